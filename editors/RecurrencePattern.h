#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The rules of a recurring item's pattern, apart from any window: which
// weekday flags each choice proposes and how saving moves the start date
// of a monthly or yearly series. The event editor writes what these
// return into the row it edits.
namespace RecurrencePattern {

// The four exclusive choices; the value is the code stored in `Ret`.
enum class Kind { None = 0, Daily = 1, Weekly = 2, Monthly = 3, Yearly = 4 };

QString retCode(Kind kind);           // "" for None
Kind fromRetCode(const QString &ret); // None for blank or unknown codes

// The weekday flags `Sun`..`Sat` in that order.
using WeekFlags = std::array<bool, 7>;
const QStringList &weekdayFields(); // "Sun", "Mon", ... "Sat"
// Sunday 1 .. Saturday 7, the numbering the flags follow.
int weekdayNumber(const QDate &date);

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
