#pragma once

#include "store/ItemFields.h"

#include <QDate>
#include <QString>

#include <array>
#include <optional>

// The rules of a recurring item's pattern, apart from any window: which
// weekday flags each choice proposes and how saving moves the start date
// of a monthly or yearly series. The event editor writes what these
// return into the row it edits.
namespace RecurrencePattern {

// The four exclusive choices and their `Ret` codes live with the field
// names; the names here are the event editor's.
using Kind = RecurrenceKind::Kind;

// The weekday flags `Sun`..`Sat` in the order of ItemField::weekdayFlags().
using WeekFlags = std::array<bool, 7>;

WeekFlags noDays();
WeekFlags everyDay();
WeekFlags everyWeekday(); // Monday to Friday
WeekFlags onlyWeekdayOf(const QDate &date);

// A pattern box may stay empty; when it holds text, that text must be an
// integer.
bool dayBoxReadable(const QString &text);

// What saving does to a recurring item's start date and to `D` and `M`.
struct Application
{
    QDate start;              // the series' first date
    std::optional<QString> d; // new `D`, when the pattern writes it
    std::optional<QString> m; // new `M`, when the pattern writes it
};

// Moves the start into place for a monthly or yearly series (daily and
// weekly keep it). Nothing when the day box of the chosen pattern is empty
// or not a number, or the yearly date does not exist.
//
// Monthly: the day k of the start's own month; k beyond the month's end,
// zero or negative gives its last day. Yearly: day k of the chosen month
// (monthIndex 0 = January) in the start's year; k must name an existing
// date there. Zero or a negative k falls back to the length of the start's
// month, and that date must exist in the chosen month as well.
std::optional<Application> apply(Kind kind, const QDate &start, const QString &monthlyDay, const QString &yearlyDay,
                                 int monthIndex);

} // namespace RecurrencePattern
