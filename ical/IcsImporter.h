#pragma once

#include "store/Result.h"

#include <QByteArray>
#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

// Reads an iCalendar text into calendar rows: VEVENT as appointments and
// events, VTODO as tasks. Times become local wall times; a reminder lead
// the planner cannot hold is rounded to the nearest one its editor offers;
// a recurring event stays one series row (extended when its rule needs
// it, with its overrides linked) unless its rule lies outside what a
// series row holds: then it becomes its single occurrences, within bounds.
class IcsImporter
{
public:
    struct Item
    {
        std::vector<QVariant> row; // one value per calendar field
        QString uid;               // the UID the row is matched on later
        QString name;              // the subject, for messages
        bool task = false;
        QString series;           // for one date of an expanded series: the series' UID
        QString seriesUid;        // for a moved occurrence of a series kept whole: the series' UID (`Rp`)
        bool roundedLead = false; // its reminder lead was moved to one the planner holds
    };

    struct Plan
    {
        std::vector<Item> items;  // in the order of the file
        int events = 0;           // VEVENTs read (a series counts once)
        int tasks = 0;            // VTODOs read
        QStringList expanded;     // series imported as single dates, by name
        QStringList leftOut;      // "\"name\": why", items the file holds that are not imported
        QStringList changed;      // "\"name\": what", items imported otherwise than the file says
        QStringList unknownZones; // TZIDs nobody defines, whose times were read as local time
    };

    // typeNames: the event types' names 0..10, for matching CATEGORIES.
    // today: an endless series that must be expanded ends endlessYears after it.
    IcsImporter(QStringList typeNames, const QDate &today);

    // Fails with the reason the file as a whole cannot be read; progress(done,
    // total) returns false to stop (then it is cancelled).
    Result<Plan> read(const QByteArray &text, const std::function<bool(int, int)> &progress = {}) const;

    // The lead of the editor's list nearest to a reminder `seconds` before
    // the start: amount and unit ("minute(s)", "hour(s)", "day(s)"); on a
    // tie the longer, so that the reminder never comes later than asked.
    // *exact says whether nothing was rounded. Leads longer than the
    // longest entry are none the planner holds (nullopt).
    static std::optional<std::pair<int, QString>> holdableLead(qint64 seconds, bool *exact);

    // A series gives at most this many single dates, and a file at most
    // maxExpandedDates in all; the rest are left out and the summary says so.
    static constexpr int maxDatesPerSeries = 5000;
    static constexpr int endlessYears = 5;
    static constexpr int maxExpandedDates = 50000;

    // An item's name as messages quote it: "(no subject)", or its subject
    // cut to 60 characters.
    static QString quoted(const QString &subject);

private:
    QStringList m_typeNames;
    QDate m_today;
    QTimeZone m_localZone; // looked up once: a sync reads thousands of objects through one importer
};
