#pragma once

#include "store/Result.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QStringList>

#include <functional>

class Cursor;

// Turns the items of a calendar into one iCalendar text: appointments and
// events as VEVENT (recurring ones with an RRULE, reminders as VALARM),
// tasks as VTODO. Local times go out with the system zone's TZID and its
// VTIMEZONE.
class IcsExporter
{
public:
    struct Counts
    {
        int events = 0;
        int tasks = 0;
        QStringList leftOut; // "\"name\" (why)" of items iCalendar cannot express
    };

    // typeNames: the display names of the event types 0..10 (CATEGORIES).
    explicit IcsExporter(QStringList typeNames);

    // Only items that lie on a date from..to (and tasks due or starting
    // then); both invalid for every item.
    void setRange(const QDate &from, const QDate &to);

    // Items keep the UID they were imported or first exported with; an item
    // without one gets a new UID, which newUids receives so that the caller
    // can store it. progress(done, total) returns false to stop (then it is
    // cancelled).
    Result<QByteArray> exportItems(Cursor &items, const QHash<qint64, QString> &uids, QHash<qint64, QString> *newUids,
                                   Counts *counts, const std::function<bool(int, int)> &progress = {});

private:
    bool inRange(const Cursor &item) const;

    QStringList m_typeNames;
    QDate m_from;
    QDate m_to;
};
