#pragma once

#include <QByteArray>
#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

// Reads an iCalendar text into calendar rows: VEVENT as appointments and
// events, VTODO as tasks. Times become local wall times; a reminder lead
// the planner cannot hold is rounded to the nearest one it can; a
// recurring event whose rule the planner cannot express exactly becomes
// its single occurrences.
class IcsImporter
{
public:
    struct Item
    {
        std::vector<QVariant> row; // one value per calendar field
        QString uid;               // the UID the row is matched on later
        QString name;              // the subject, for messages
        bool task = false;
        QString series;            // for one date of an expanded series: the series' UID
        bool roundedLead = false;  // its reminder lead was moved to one the planner holds
    };

    struct Plan
    {
        QString parseError;         // the file as a whole cannot be read
        std::vector<Item> items;    // in the order of the file
        int events = 0;             // VEVENTs read (a series counts once)
        int tasks = 0;              // VTODOs read
        QStringList expanded;       // series imported as single dates, by name
    };

    // typeNames: the event types' names 0..10, for matching CATEGORIES.
    // today: where an endless series that must be expanded starts.
    IcsImporter(QStringList typeNames, const QDate &today);

    Plan read(const QByteArray &text) const;

    // The nearest lead the planner holds for a reminder `seconds` before
    // the start: amount and unit ("minute(s)", "hour(s)", "day(s)").
    // *exact says whether nothing was rounded.
    static std::pair<int, QString> holdableLead(qint64 seconds, bool *exact);

private:
    QStringList m_typeNames;
    QDate m_today;
};
