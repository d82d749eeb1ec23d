#include "editors/TaskSave.h"

#include "store/ItemFields.h"

#include "editors/BoxText.h"

#include <QDate>
#include <QTime>

namespace TaskSave {

namespace {

// A box's value: invalid for "None", which blanks the field.
QVariant dateValue(const QString &text)
{
    return isNone(text) ? QVariant() : QVariant(BoxText::readDate(text));
}

QVariant timeValue(const QString &text)
{
    return isNone(text) ? QVariant() : QVariant(BoxText::readTime(text));
}

bool readsAsDate(const QString &text)
{
    return isNone(text) || BoxText::readDate(text).isValid();
}

bool readsAsTime(const QString &text)
{
    return isNone(text) || BoxText::readTime(text).isValid();
}

} // namespace

bool isNone(const QString &text)
{
    // Exactly the word the boxes show: "none" typed by hand is no date.
    return text == noneText;
}

Outcome run(const TaskEntry &entry)
{
    Outcome outcome;
    if (!readsAsDate(entry.dueDate) || !readsAsDate(entry.startDate) || !readsAsDate(entry.reminderDate)
        || !readsAsTime(entry.reminderTime)) {
        outcome.message = invalidDateMessage;
        return outcome;
    }
    if (!isNone(entry.dueDate) && !isNone(entry.startDate)
        && BoxText::readDate(entry.startDate) > BoxText::readDate(entry.dueDate)) {
        outcome.message = dueBeforeStartMessage;
        return outcome;
    }
    outcome.changes.set(ItemField::E, dateValue(entry.dueDate));
    outcome.changes.set(ItemField::S, dateValue(entry.startDate));
    outcome.changes.set(ItemField::Rs, dateValue(entry.reminderDate));
    outcome.changes.set(ItemField::Rt, timeValue(entry.reminderTime));
    return outcome;
}

} // namespace TaskSave
