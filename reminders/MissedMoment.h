#pragma once

#include "store/SeriesRule.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <array>

// When a recurring item's reminder last fell due within a span of time, by
// clauses 2 to 4 of the due-item predicate as they stood on each day of the
// span: the catch-up asks this once per recurring item instead of building
// the predicate for every day it missed.
namespace MissedMoment {

// The fields of an item that the recurring clauses read.
struct Recurring
{
    QDate start;                     // S
    QDate dismissed;                 // Di
    QTime reminder;                  // Rt
    QString kind;                    // Ret
    QString day;                     // Rd
    QString month;                   // Rm
    std::array<bool, 7> weekdays {}; // Mon .. Sun
};

// The latest moment from `from` up to and including `until` (both to the
// second) at which a clause listed the item on that day and its reminder
// time fell in the span; invalid when there is none.
QDateTime lastRecurring(const Recurring &item, const QDateTime &from, const QDateTime &until);

// The same for an extended series, whose pattern fields say nothing: the
// reminder of each of its occurrences falls `leadDays` (`Rs` - `S`, zero or
// less) after it, at `item.reminder`, unless `item.dismissed` is that day.
// Only `item.dismissed` and `item.reminder` are read.
QDateTime lastOfSeries(const Recurring &item, const SeriesOccurrences &series, int leadDays, const QDateTime &from,
                       const QDateTime &until);

} // namespace MissedMoment
