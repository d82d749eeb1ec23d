#include "editors/EventSave.h"

#include "store/ItemFields.h"

#include "editors/BoxText.h"
#include "editors/ReminderComputation.h"

#include <QDate>
#include <QTime>

void FieldChanges::set(const QString &field, const QVariant &value)
{
    for (auto &entry : m_list) {
        if (entry.first == field) {
            entry.second = value;
            return;
        }
    }
    m_list.emplace_back(field, value);
}

bool FieldChanges::contains(const QString &field) const
{
    for (const auto &entry : m_list) {
        if (entry.first == field)
            return true;
    }
    return false;
}

QVariant FieldChanges::value(const QString &field) const
{
    for (const auto &entry : m_list) {
        if (entry.first == field)
            return entry.second;
    }
    return QVariant();
}

namespace EventSave {

namespace {

bool datesAndTimesReadable(const EventEntry &entry)
{
    if (!BoxText::readDate(entry.startDate).isValid())
        return false;
    if (!entry.recurring && !BoxText::readDate(entry.endDate).isValid())
        return false;
    if (!entry.allDay && (!BoxText::readTime(entry.startTime).isValid() || !BoxText::readTime(entry.endTime).isValid()))
        return false;
    return true;
}

bool leadReadable(const EventEntry &entry)
{
    bool ok = false;
    entry.lead.trimmed().toInt(&ok);
    return ok;
}

// Stage 3, step 2: the boxes as they stand become the row's dates and times.
// A recurring item's end date box is not read: the pattern replaces it.
void applyDatesAndTimes(const EventEntry &entry, FieldChanges &changes)
{
    const QDate start = BoxText::readDate(entry.startDate);
    const QDate end = entry.recurring ? start : BoxText::readDate(entry.endDate);
    changes.set(ItemField::S, start);
    changes.set(ItemField::E, end);
    if (entry.allDay) {
        changes.set(ItemField::St, QVariant());
        changes.set(ItemField::Et, QVariant());
    } else {
        changes.set(ItemField::St, BoxText::readTime(entry.startTime));
        changes.set(ItemField::Et, BoxText::readTime(entry.endTime));
    }
    // The same day typed in two spellings is still one date.
    changes.set(ItemField::Md, start == end ? QVariant(QStringLiteral("0")) : QVariant());
}

// Stage 3, step 3: a series lies on one date and starts where its pattern
// first occurs.
bool applyPattern(EventEntry &entry, FieldChanges &changes)
{
    changes.set(ItemField::Md, QStringLiteral("0"));
    entry.endDate = entry.startDate;
    const QDate start = BoxText::readDate(entry.startDate);
    changes.set(ItemField::S, start);
    changes.set(ItemField::E, start);

    const auto applied =
        RecurrencePattern::apply(entry.pattern, start, entry.monthlyDay, entry.yearlyDay, entry.monthIndex);
    if (!applied)
        return false;
    if (applied->start != start) {
        entry.startDate = BoxText::date(applied->start);
        entry.endDate = entry.startDate;
        changes.set(ItemField::S, applied->start);
        changes.set(ItemField::E, applied->start);
    }
    if (applied->d)
        changes.set(ItemField::D, *applied->d);
    if (applied->m)
        changes.set(ItemField::M, *applied->m);
    return true;
}

// Stage 3, step 4.
bool applyReminder(const EventEntry &entry, FieldChanges &changes)
{
    ReminderComputation::Input input;
    input.startDate = BoxText::readDate(entry.startDate);
    input.startTimeText = entry.startTime;
    input.leadText = entry.lead;
    input.unitText = entry.unit;
    input.allDay = entry.allDay;
    input.pattern = entry.pattern;
    const auto fields = ReminderComputation::compute(input);
    if (!fields)
        return false;
    if (fields->rs)
        changes.set(ItemField::Rs, *fields->rs);
    if (fields->rt)
        changes.set(ItemField::Rt, *fields->rt);
    if (fields->rd)
        changes.set(ItemField::Rd, *fields->rd);
    if (fields->rm)
        changes.set(ItemField::Rm, *fields->rm);
    changes.set(ItemField::Tr, entry.lead);
    changes.set(ItemField::Tm, entry.unit);
    return true;
}

// --- series beyond the four patterns ----------------------------------

std::optional<int> readNumber(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

// The message of an interval, end or count the series cannot take, or empty.
QString extensionMessage(const EventEntry &entry)
{
    const std::optional<int> interval = readNumber(entry.interval);
    if (!interval || *interval < 1 || *interval > SeriesRule::kMaxInterval)
        return intervalMessage;
    if (entry.end == EventEntry::End::ByDate && !BoxText::readDate(entry.untilDate).isValid())
        return invalidDateMessage;
    if (entry.end == EventEntry::End::AfterCount) {
        const std::optional<int> count = readNumber(entry.count);
        if (!count || *count < 1)
            return countMessage;
    }
    return QString();
}

void setNthDay(SeriesRule &rule, int ordinalIndex, int weekdayIndex)
{
    const int ordinal = ordinalIndex >= 0 && ordinalIndex < 4 ? ordinalIndex + 1 : -1;
    if (weekdayIndex >= 0 && weekdayIndex < 7) {
        rule.ordinal = ordinal;
        rule.weekdays = SeriesRule::weekdayBit(weekdayIndex + 1);
    } else {
        rule.monthDay = ordinal; // the nth day, or the last
    }
}

// A day box outside 1..31 keeps the fallback of the four patterns: the
// last day of the month.
int monthDayOf(const QString &text)
{
    const std::optional<int> day = readNumber(text);
    return day && *day >= 1 && *day <= 31 ? *day : -1;
}

int weekdayBits(const RecurrencePattern::WeekFlags &flags)
{
    int bits = 0;
    for (int flag = 0; flag < 7; ++flag) {
        if (flags[flag])
            bits |= SeriesRule::weekdayBit(flag == 0 ? Qt::Sunday : flag);
    }
    return bits;
}

SeriesRule ruleOfEntry(const EventEntry &entry)
{
    SeriesRule rule;
    rule.interval = readNumber(entry.interval).value_or(1);
    if (entry.end == EventEntry::End::ByDate)
        rule.until = BoxText::readDate(entry.untilDate);
    if (entry.end == EventEntry::End::AfterCount)
        rule.count = readNumber(entry.count).value_or(1);
    switch (entry.pattern) {
    case RecurrencePattern::Kind::Daily:
        rule.frequency = SeriesRule::Frequency::Daily;
        if (!entry.everyDay)
            rule.weekdays = weekdayBits(RecurrencePattern::everyWeekday());
        break;
    case RecurrencePattern::Kind::Weekly:
        rule.frequency = SeriesRule::Frequency::Weekly;
        rule.weekdays = weekdayBits(entry.weekFlags);
        break;
    case RecurrencePattern::Kind::Monthly:
        rule.frequency = SeriesRule::Frequency::Monthly;
        if (entry.monthlyNth)
            setNthDay(rule, entry.ordinalIndex, entry.weekdayIndex);
        else
            rule.monthDay = monthDayOf(entry.monthlyDay);
        break;
    case RecurrencePattern::Kind::Yearly:
        rule.frequency = SeriesRule::Frequency::Yearly;
        rule.month = entry.monthIndex + 1;
        if (entry.yearlyNth)
            setNthDay(rule, entry.ordinalIndex, entry.weekdayIndex);
        else
            rule.monthDay = monthDayOf(entry.yearlyDay);
        break;
    case RecurrencePattern::Kind::None:
        break;
    }
    return rule;
}

bool needsRule(const EventEntry &entry)
{
    return readNumber(entry.interval).value_or(1) != 1 || entry.end != EventEntry::End::None
        || (entry.pattern == RecurrencePattern::Kind::Monthly && entry.monthlyNth)
        || (entry.pattern == RecurrencePattern::Kind::Yearly && entry.yearlyNth);
}

// The first date on or after from that the rule's pattern holds; a 29
// February rule may wait eight years for it.
QDate firstOnOrAfter(const SeriesRule &rule, const QDate &from)
{
    SeriesRule pattern = rule.explicitFor(from);
    pattern.interval = 1;
    pattern.count = 0;
    pattern.until = QDate();
    const QDate before = from.addDays(-1);
    for (QDate d = from; d <= from.addYears(9); d = d.addDays(1)) {
        if (pattern.matches(before, d))
            return d;
    }
    return QDate();
}

// As the four patterns do, a monthly series starts in its start's month and
// a yearly one in its start's year, on the date the pattern gives there.
QDate firstOccurrence(const SeriesRule &rule, const QDate &typed)
{
    switch (rule.frequency) {
    case SeriesRule::Frequency::Monthly:
        return firstOnOrAfter(rule, QDate(typed.year(), typed.month(), 1));
    case SeriesRule::Frequency::Yearly:
        return firstOnOrAfter(rule, QDate(typed.year(), 1, 1));
    case SeriesRule::Frequency::Daily:
    case SeriesRule::Frequency::Weekly:
        break;
    }
    return firstOnOrAfter(rule, typed);
}

// The removed dates that are still occurrences of the series.
SeriesDates removedStillOccurring(const SeriesRule &rule, const QDate &start, const SeriesDates &removed)
{
    const SeriesOccurrences series(rule, start, {});
    SeriesDates kept;
    for (const QDate &date : removed) {
        if (date >= start && series.occursOn(date))
            kept.push_back(date);
    }
    return kept;
}

// The series from its first occurrence on or after the typed start date.
QString applyRule(EventEntry &entry, const SeriesRule &rule, Outcome &outcome)
{
    const QDate start = firstOccurrence(rule, BoxText::readDate(entry.startDate));
    if (!start.isValid())
        return invalidPatternMessage;
    if (rule.until.isValid() && rule.until < start)
        return seriesEndMessage;
    if (const ::Outcome checked = rule.check(); !checked)
        return checked.error();
    entry.startDate = BoxText::date(start);
    entry.endDate = entry.startDate;
    outcome.changes.set(ItemField::S, start);
    outcome.changes.set(ItemField::E, start);
    outcome.changes.set(ItemField::Md, QStringLiteral("0"));
    outcome.rule = rule;
    outcome.removed = removedStillOccurring(rule, start, entry.removed);
    return QString();
}

// Whether the pattern fields alone keep the series: nothing beyond the
// four patterns is chosen and no removed date still falls on it.
bool patternFieldsSuffice(const EventEntry &entry, const FieldChanges &changes)
{
    if (needsRule(entry))
        return false;
    if (entry.removed.empty())
        return true;
    return removedStillOccurring(ruleOfEntry(entry), changes.value(ItemField::S).toDate(), entry.removed).empty();
}

bool endAfterStart(const EventEntry &entry, const FieldChanges &changes)
{
    const bool oneDate = changes.value(ItemField::Md).toString() == QLatin1String("0");
    if (oneDate && !entry.allDay && BoxText::readTime(entry.startTime) > BoxText::readTime(entry.endTime))
        return false;
    return BoxText::readDate(entry.startDate) <= BoxText::readDate(entry.endDate);
}

} // namespace

Outcome run(EventEntry &entry)
{
    Outcome outcome;
    if (!datesAndTimesReadable(entry)) {
        outcome.message = invalidDateMessage;
        return outcome;
    }
    if (!leadReadable(entry)) {
        outcome.message = invalidDurationMessage;
        return outcome;
    }
    if (entry.recurring
        && (!RecurrencePattern::dayBoxReadable(entry.monthlyDay)
            || !RecurrencePattern::dayBoxReadable(entry.yearlyDay))) {
        outcome.message = invalidPatternMessage;
        return outcome;
    }
    if (entry.recurring) {
        outcome.message = extensionMessage(entry);
        if (!outcome.ok())
            return outcome;
    }
    applyDatesAndTimes(entry, outcome.changes);
    const QString typedStart = entry.startDate;
    // The day boxes matter only to a series on day D; an nth weekday series
    // goes straight to its rule.
    if (entry.recurring && !needsRule(entry) && !applyPattern(entry, outcome.changes)) {
        outcome.message = invalidPatternMessage;
        return outcome;
    }
    if (entry.recurring && !patternFieldsSuffice(entry, outcome.changes)) {
        entry.startDate = typedStart;
        outcome.message = applyRule(entry, ruleOfEntry(entry), outcome);
        if (!outcome.ok())
            return outcome;
    } else {
        outcome.changes.set(ItemField::Rr, QVariant());
        outcome.changes.set(ItemField::Rx, QVariant());
    }
    // A lead that the start cannot take is a fault of the lead, not of the
    // pattern, however late it shows.
    if (!applyReminder(entry, outcome.changes)) {
        outcome.message = invalidDurationMessage;
        return outcome;
    }
    if (!endAfterStart(entry, outcome.changes))
        outcome.message = endBeforeStartMessage;
    return outcome;
}

} // namespace EventSave
