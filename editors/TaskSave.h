#pragma once

#include "editors/EventSave.h"

#include <QString>

// What the task editor shows when "OK" is pressed: its four date and time
// boxes. "None" (exactly so, capital N) stands for a blank field.
struct TaskEntry
{
    QString dueDate;
    QString startDate;
    QString reminderDate;
    QString reminderTime;
};

// The two checks of saving a task and the four fields they decide.
namespace TaskSave {

inline const QString noneText = QStringLiteral("None");
inline const QString invalidDateMessage = QStringLiteral("You must specify a valid date and/or time.");
inline const QString dueBeforeStartMessage =
    QStringLiteral("The due date of a task cannot occur before its start date");

struct Outcome
{
    QString message;      // empty when the row may be posted
    FieldChanges changes; // `E`, `S`, `Rs`, `Rt`: set only when the checks pass
    bool ok() const { return message.isEmpty(); }
};

// A box's text for a blank field, and whether a box holds that text.
bool isNone(const QString &text);

// Both checks; the reminder boxes are checked whether the reminder is on or off.
Outcome run(const TaskEntry &entry);

} // namespace TaskSave
