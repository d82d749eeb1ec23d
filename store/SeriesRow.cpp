#include "store/SeriesRow.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"

#include <algorithm>

namespace SeriesRow {

namespace {

// A day or month code as the pattern clauses compare it: decimal text
// without a leading zero, in range; 0 when it can match no date.
int patternNumber(const QString &text, int highest)
{
    for (int n = 1; n <= highest; ++n) {
        if (text == QString::number(n))
            return n;
    }
    return 0;
}

SeriesRule::Frequency frequencyOfKind(RecurrenceKind::Kind kind)
{
    switch (kind) {
    case RecurrenceKind::Kind::Daily:
        return SeriesRule::Frequency::Daily;
    case RecurrenceKind::Kind::Monthly:
        return SeriesRule::Frequency::Monthly;
    case RecurrenceKind::Kind::Yearly:
        return SeriesRule::Frequency::Yearly;
    default:
        return SeriesRule::Frequency::Weekly;
    }
}

RecurrenceKind::Kind kindOfFrequency(SeriesRule::Frequency frequency)
{
    switch (frequency) {
    case SeriesRule::Frequency::Daily:
        return RecurrenceKind::Kind::Daily;
    case SeriesRule::Frequency::Weekly:
        return RecurrenceKind::Kind::Weekly;
    case SeriesRule::Frequency::Monthly:
        return RecurrenceKind::Kind::Monthly;
    case SeriesRule::Frequency::Yearly:
        return RecurrenceKind::Kind::Yearly;
    }
    return RecurrenceKind::Kind::Weekly;
}

// The first occurrence not removed, looked for in windows that double, so
// an endless series is never walked to its end; invalid when none is left.
QDate firstLeft(const SeriesRule &rule, const QDate &start, const QDate &last, const SeriesDates &removed)
{
    const QDate end = last.isValid() ? last : QDate(9999, 12, 31);
    for (QDate from = start, to; from <= end; from = to.addDays(1)) {
        to = std::min(end, from.addDays(from == start ? 366 : from.daysTo(start) * -2 + 366));
        const SeriesDates left = rule.occurrences(start, last, from, to, removed);
        if (!left.empty())
            return left.front();
    }
    return QDate();
}

QString noOccurrenceLeft()
{
    return QStringLiteral("No occurrence of the series is left.");
}

} // namespace

Result<SeriesRule> ruleOfPattern(const QString &ret, const std::array<bool, 7> &weekdayFlags, const QString &day,
                                 const QString &month)
{
    const RecurrenceKind::Kind kind = RecurrenceKind::fromCode(ret);
    SeriesRule rule;
    for (int flag = 0; flag < 7; ++flag) {
        if (weekdayFlags[flag])
            rule.weekdays |= SeriesRule::weekdayBit(flag == 0 ? Qt::Sunday : flag); // Sunday first
    }
    const int dayNumber = patternNumber(day, 31);
    const int monthNumber = patternNumber(month, 12);
    // The pattern clauses: the weekday flags whatever the kind; day D of
    // every month for kind "3"; day D of month M whatever the kind.
    const bool monthly = kind == RecurrenceKind::Kind::Monthly && dayNumber != 0;
    const bool yearly = dayNumber != 0 && monthNumber != 0 && !monthly;
    if (rule.weekdays == 0x7f) {
        rule.frequency = SeriesRule::Frequency::Daily;
        rule.weekdays = 0;
    } else if (rule.weekdays != 0) {
        if (monthly || yearly)
            return Result<SeriesRule>::failed(QStringLiteral("The series falls on its weekdays and on a day of the "
                                                             "month or year as well; one rule cannot say both."));
        rule.frequency =
            kind == RecurrenceKind::Kind::Daily ? SeriesRule::Frequency::Daily : SeriesRule::Frequency::Weekly;
    } else if (monthly) {
        rule.frequency = SeriesRule::Frequency::Monthly;
        rule.monthDay = dayNumber;
    } else if (yearly) {
        rule.frequency = SeriesRule::Frequency::Yearly;
        rule.month = monthNumber;
        rule.monthDay = dayNumber;
    } else {
        // Nothing after the first date matches: that date alone.
        rule.frequency = frequencyOfKind(kind);
        rule.count = 1;
    }
    return rule;
}

Result<SeriesRule> ruleOfPattern(const Cursor &cursor)
{
    std::array<bool, 7> flags {};
    for (int flag = 0; flag < 7; ++flag)
        flags[flag] = cursor.asBool(ItemField::weekdayFlags()[flag]);
    return ruleOfPattern(cursor.asText(ItemField::Ret), flags, cursor.asText(ItemField::D),
                         cursor.asText(ItemField::M));
}

Result<FieldValues> extendedSeriesValues(const SeriesRule &given, const QDate &start, const SeriesDates &removed,
                                         const QDate &reminderDate)
{
    if (const Outcome checked = given.check(); !checked)
        return Result<FieldValues>::failed(checked.error());
    if (!start.isValid())
        return Result<FieldValues>::failed(QStringLiteral("The series has no first date."));
    // Written out for the first date given, so that moving it keeps the dates.
    SeriesRule rule = given.explicitFor(start);
    SeriesDates sorted = removed;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());

    QDate first = start;
    if (std::binary_search(sorted.begin(), sorted.end(), start)) {
        const QDate last = rule.lastDate(start);
        first = firstLeft(rule, start, last, sorted);
        if (!first.isValid())
            return Result<FieldValues>::failed(noOccurrenceLeft());
        if (rule.count > 0) {
            // The occurrences passed, removed ones included, leave the count.
            const SeriesDates passed = rule.occurrences(start, last, start, first.addDays(-1), {});
            rule.count -= int(passed.size());
        }
    }
    sorted.erase(sorted.begin(), std::upper_bound(sorted.begin(), sorted.end(), first));

    FieldValues values;
    values.emplace_back(ItemField::Re, true);
    values.emplace_back(ItemField::Ret, RecurrenceKind::code(kindOfFrequency(rule.frequency)));
    values.emplace_back(ItemField::S, first);
    values.emplace_back(ItemField::E, first);
    values.emplace_back(ItemField::Md, QStringLiteral("0"));
    for (const QString &flag : ItemField::weekdayFlags())
        values.emplace_back(flag, false);
    for (const QString &field : {ItemField::D, ItemField::M, ItemField::Rd, ItemField::Rm})
        values.emplace_back(field, QVariant());
    values.emplace_back(ItemField::Rr, rule.text());
    values.emplace_back(ItemField::Rx, sorted.empty() ? QVariant() : QVariant(removedDatesText(sorted)));
    if (reminderDate.isValid())
        values.emplace_back(ItemField::Rs, reminderDate.addDays(start.daysTo(first)));
    return values;
}

Outcome writeExtendedSeries(Cursor &cursor, const SeriesRule &rule, const QDate &start, const SeriesDates &removed)
{
    const Result<FieldValues> values = extendedSeriesValues(rule, start, removed, cursor.asDate(ItemField::Rs));
    if (!values)
        return Outcome::failed(values.error());
    for (const auto &[field, value] : values.value())
        cursor.setValue(field, value);
    return Outcome();
}

Result<SeriesOccurrences> seriesOf(const Cursor &cursor)
{
    if (!cursor.asBool(ItemField::Re))
        return Result<SeriesOccurrences>::failed(QStringLiteral("The item is not recurring."));
    const QDate start = cursor.asDate(ItemField::S);
    if (!start.isValid())
        return Result<SeriesOccurrences>::failed(QStringLiteral("The series has no first date."));
    const QString ruleText = cursor.asText(ItemField::Rr);
    const Result<SeriesRule> rule = ruleText.isEmpty() ? ruleOfPattern(cursor) : SeriesRule::parse(ruleText);
    if (!rule)
        return Result<SeriesOccurrences>::failed(rule.error());
    const Result<SeriesDates> removed = parseRemovedDates(cursor.asText(ItemField::Rx));
    if (!removed)
        return Result<SeriesOccurrences>::failed(removed.error());
    return SeriesOccurrences(rule.value(), start, removed.value());
}

Outcome removeOccurrence(Cursor &cursor, const QDate &date)
{
    const Result<SeriesOccurrences> series = seriesOf(cursor);
    if (!series)
        return Outcome::failed(series.error());
    if (!series->occursOn(date))
        return Outcome::failed(QStringLiteral("The series has no occurrence on %1.").arg(date.toString(Qt::ISODate)));
    SeriesDates removed = series->removed();
    removed.insert(std::upper_bound(removed.begin(), removed.end(), date), date);
    return writeExtendedSeries(cursor, series->rule(), series->start(), removed);
}

} // namespace SeriesRow
