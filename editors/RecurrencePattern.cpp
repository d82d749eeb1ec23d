#include "editors/RecurrencePattern.h"

namespace RecurrencePattern {

WeekFlags noDays()
{
    return {false, false, false, false, false, false, false};
}

WeekFlags everyDay()
{
    return {true, true, true, true, true, true, true};
}

WeekFlags everyWeekday()
{
    return {false, true, true, true, true, true, false};
}

WeekFlags onlyWeekdayOf(const QDate &date)
{
    WeekFlags flags = noDays();
    if (date.isValid())
        flags[ItemField::weekdayFlagIndex(date)] = true;
    return flags;
}

static std::optional<int> readDay(const QString &text)
{
    bool ok = false;
    const int day = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return day;
}

bool dayBoxReadable(const QString &text)
{
    return text.trimmed().isEmpty() || readDay(text).has_value();
}

static std::optional<Application> applyMonthly(const QDate &start, const QString &dayText)
{
    const std::optional<int> k = readDay(dayText);
    if (!k)
        return std::nullopt;
    const int length = start.daysInMonth();
    const int day = (*k > 0 && *k < length) ? *k : length;
    const QDate moved(start.year(), start.month(), day);
    return Application {moved, QString::number(day), std::nullopt};
}

static std::optional<Application> applyYearly(const QDate &start, const QString &dayText, int monthIndex)
{
    const std::optional<int> k = readDay(dayText);
    if (!k || monthIndex < 0 || monthIndex > 11)
        return std::nullopt;
    const int month = monthIndex + 1;
    // A positive day is taken as typed: "31 March" stays the 31st even when
    // the start lies in a shorter month, and a day the chosen month lacks
    // (30 February, 31 April) is refused rather than moved.
    const int day = *k > 0 ? *k : start.daysInMonth();
    const QDate moved(start.year(), month, day);
    if (!moved.isValid())
        return std::nullopt;
    return Application {moved, QString::number(day), QString::number(month)};
}

std::optional<Application> apply(Kind kind, const QDate &start, const QString &monthlyDay, const QString &yearlyDay,
                                 int monthIndex)
{
    if (!start.isValid())
        return std::nullopt;
    switch (kind) {
    case Kind::Monthly:
        return applyMonthly(start, monthlyDay);
    case Kind::Yearly:
        return applyYearly(start, yearlyDay, monthIndex);
    case Kind::None:
    case Kind::Daily:
    case Kind::Weekly:
        break;
    }
    return Application {start, std::nullopt, std::nullopt};
}

} // namespace RecurrencePattern
