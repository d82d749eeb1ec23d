#include "store/SeriesText.h"

#include "store/LocaleFormats.h"
#include "store/SeriesRule.h"

#include <QStringList>

namespace {

using Frequency = SeriesRule::Frequency;

const char *const weekdayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char *const monthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
const char *const ordinalNames[] = {"first", "second", "third", "fourth"};

// "Monday", "Monday and Thursday", "Monday, Wednesday and Friday".
QString weekdayList(int weekdays)
{
    QStringList names;
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        if (weekdays & SeriesRule::weekdayBit(day))
            names << QLatin1String(weekdayNames[day - 1]);
    if (names.size() < 2)
        return names.join(QString());
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// The one weekday of a rule with an ordinal: "second Wednesday", "last Friday".
QString nthWeekday(const SeriesRule &rule)
{
    const QString which =
        rule.ordinal == -1 ? QStringLiteral("last") : QLatin1String(ordinalNames[qBound(1, rule.ordinal, 4) - 1]);
    return which + QLatin1Char(' ') + weekdayList(rule.weekdays);
}

// "Every day", "Every 3 weeks": the unit of the frequency, counted.
QString every(const SeriesRule &rule)
{
    static const char *const units[] = {"day", "week", "month", "year"};
    const QString unit = QLatin1String(units[int(rule.frequency)]);
    if (rule.interval <= 1)
        return QStringLiteral("Every ") + unit;
    return QStringLiteral("Every %1 %2s").arg(rule.interval).arg(unit);
}

constexpr int weekdaysMondayToFriday = 0x1f;
constexpr int everyWeekday = 0x7f;

// Where in its period the series falls. The rule has what it took from its
// first date written out, so every case names its days.
QString pattern(const SeriesRule &rule)
{
    switch (rule.frequency) {
    case Frequency::Daily:
        if (rule.weekdays == weekdaysMondayToFriday && rule.interval <= 1)
            return QStringLiteral("Every weekday");
        if (rule.weekdays == 0 || rule.weekdays == everyWeekday)
            return every(rule);
        return every(rule) + QStringLiteral(" on ") + weekdayList(rule.weekdays);
    case Frequency::Weekly:
        return every(rule) + QStringLiteral(" on ") + weekdayList(rule.weekdays);
    case Frequency::Monthly:
        if (rule.ordinal != 0)
            return every(rule) + QStringLiteral(" on the ") + nthWeekday(rule);
        if (rule.monthDay == -1)
            return every(rule) + QStringLiteral(" on the last day");
        return every(rule) + QStringLiteral(" on day %1").arg(rule.monthDay);
    case Frequency::Yearly: {
        const QString month = QLatin1String(monthNames[qBound(1, rule.month, 12) - 1]);
        if (rule.ordinal != 0)
            return every(rule) + QStringLiteral(" on the ") + nthWeekday(rule) + QStringLiteral(" of ") + month;
        if (rule.monthDay == -1)
            return every(rule) + QStringLiteral(" on the last day of ") + month;
        return every(rule) + QStringLiteral(" on %1 %2").arg(month).arg(rule.monthDay);
    }
    }
    return every(rule);
}

} // namespace

namespace SeriesText {

QString describe(const SeriesOccurrences &series)
{
    const SeriesRule rule = series.rule().explicitFor(series.start());
    QString text = pattern(rule) + QStringLiteral(", from ") + LocaleFormats::formatDate(series.start());
    if (rule.count == 1)
        text += QStringLiteral(", once");
    else if (rule.count > 1)
        text += QStringLiteral(", %1 times").arg(rule.count);
    else if (rule.until.isValid())
        text += QStringLiteral(", until ") + LocaleFormats::formatDate(rule.until);
    return text;
}

} // namespace SeriesText
