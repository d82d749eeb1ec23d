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
    applyDatesAndTimes(entry, outcome.changes);
    if (entry.recurring && !applyPattern(entry, outcome.changes)) {
        outcome.message = invalidPatternMessage;
        return outcome;
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
