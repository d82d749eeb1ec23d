#include "reminders/SnoozePeriod.h"

#include "store/OptionLists.h"

namespace SnoozePeriod {

namespace {

const QString minutesLabel = QStringLiteral("minutes");
const QString hoursLabel = QStringLiteral("hour(s)");
const QString daysLabel = QStringLiteral("day(s)");

struct Range
{
    int top;
    qint64 secondsPerUnit;
    const char *message;
};

Range rangeOf(const QString &unit)
{
    if (unit == hoursLabel)
        return {23, 3600, "Enter a whole number of hours from 0 to 23."};
    if (unit == daysLabel)
        return {365, 86400, "Enter a whole number of days from 0 to 365."};
    return {59, 60, "Enter a whole number of minutes from 0 to 59."};
}

} // namespace

QString unitLabel(int index)
{
    const auto &entries = LeadList::entries();
    if (index < 0 || index >= entries.size())
        return minutesLabel;
    switch (entries.at(index).unit) {
    case Lead::Unit::Hours:
        return hoursLabel;
    case Lead::Unit::Days:
        return daysLabel;
    default:
        return minutesLabel;
    }
}

QString amountText(int index)
{
    const auto &entries = LeadList::entries();
    return index >= 0 && index < entries.size() ? QString::number(entries.at(index).amount) : QString();
}

Outcome apply(const QString &amount, const QString &unit, const QDateTime &now)
{
    const Range range = rangeOf(unit);
    bool isNumber = false;
    const int a = amount.trimmed().toInt(&isNumber);
    if (!isNumber || a < 0 || a > range.top)
        return {QString::fromLatin1(range.message), {}, {}};
    // Days keep the time of day, so calendar days are added, not 24-hour
    // spans, and a snooze across a clock change returns at the same minute.
    const QDateTime end = unit == daysLabel ? now.addDays(a) : now.addSecs(a * range.secondsPerUnit);
    const QTime t = end.time();
    return {QString(), QTime(t.hour(), t.minute()), end.date()};
}

} // namespace SnoozePeriod
