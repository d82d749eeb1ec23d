#pragma once

#include "store/Result.h"
#include "store/SeriesRule.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <array>
#include <utility>
#include <vector>

class Cursor;

// How a series lives in a calendar item row. A recurring row with `Rr`
// blank is a series of the pattern fields (`Ret`, `Sun`..`Sat`, `D`, `M`)
// and nothing else. A row with `Rr` set is an "extended" series, written
// only in this shape, so that the pattern clauses of the day filters and
// of the reminder scanner never match it except on its first date `S` and
// its rule alone says where it falls:
//
//   `Re` true, `Ret` the kind code of the rule's frequency, `S` its first
//   occurrence (never a removed date), `E` = `S`, `Md` "0", the weekday
//   flags false, `D`, `M`, `Rd`, `Rm` blank, `Rr` the rule's canonical
//   text with what it took from the first date written out, `Rx` the
//   removed dates after `S` (blank for none). `Rs` keeps its lead.
//
// A moved or changed occurrence is an ordinary one-off row with `Rp` the
// `No` of its series and `Ro` the date it replaces; the series lists that
// date in `Rx`, so nothing shows in the old place.
namespace SeriesRow {

using FieldValues = std::vector<std::pair<QString, QVariant>>;

// The rule that gives exactly the dates of a pattern-field series: `Ret`,
// the flags Sunday first, `D` and `M` as stored. Fails when the pattern
// falls on its weekdays and on a day of the month or year as well (an old
// yearly row switched to weekly keeps `D` and `M` and matches both), which
// no one rule says.
Result<SeriesRule> ruleOfPattern(const QString &ret, const std::array<bool, 7> &weekdayFlags, const QString &day,
                                 const QString &month);
// The same for the cursor's current row (or edit buffer).
Result<SeriesRule> ruleOfPattern(const Cursor &cursor);

// The field values that make a row the extended series of rule from start
// with those dates removed (in the shape above). A removed first date
// moves `S` to the first occurrence left, lowers COUNT by the occurrences
// passed and moves the reminder date `Rs` (given, or invalid) with it.
// Fails with a message when the rule is not of the set or no occurrence
// is left.
Result<FieldValues> extendedSeriesValues(const SeriesRule &rule, const QDate &start, const SeriesDates &removed,
                                         const QDate &reminderDate);
// Writes them into the cursor's edit buffer (Edit or Insert state), with
// the reminder date read from it; nothing is written on failure.
Outcome writeExtendedSeries(Cursor &cursor, const SeriesRule &rule, const QDate &start, const SeriesDates &removed);

// The series of the cursor's recurring row, extended or not: its rule (the
// pattern's rule when `Rr` is blank), first date and removed dates.
Result<SeriesOccurrences> seriesOf(const Cursor &cursor);

// "Delete this occurrence": the cursor's recurring row, in its edit buffer,
// becomes the extended series without date. Fails, writing nothing, when
// the row is not recurring or the date was its last occurrence (then the
// caller deletes the series).
Outcome removeOccurrence(Cursor &cursor, const QDate &date);

} // namespace SeriesRow
