#pragma once

#include <QDate>
#include <QTime>

#include <optional>

class Cursor;
class OptionsRecord;

// "Set reminders on tasks with due dates" (options "55"): a task saved with
// a due date and no reminder gets one, on the due date at the task reminder
// time (options "44").
//
// "No reminder" means the reminder is off and neither its date nor its time
// was ever filled. Switching a task's reminder off in the task editor
// leaves both filled, so a reminder the user turned off stays off; a
// completed task is left alone too.
namespace TaskDueReminder {

// The task reminder time when options "44" is blank.
inline QTime fallbackTime()
{
    return QTime(8, 0);
}

// What the rule reads of a task row.
struct Task
{
    QDate due {};            // `E`
    bool completed = false;  // `C`
    bool reminderOn = false; // `R`
    QDate reminderDate {};   // `Rs`
    QTime reminderTime {};   // `Rt`
};

struct Reminder
{
    QDate date; // for `Rs`
    QTime time; // for `Rt`
};

// The reminder the task is to get, or nothing when it keeps what it has.
std::optional<Reminder> proposed(const Task &task, bool optionOn, const QTime &taskReminderTime);

// Applies the rule to the task row that `task` holds in insert or edit mode,
// just before it is posted: sets `R`, `Rs` and `Rt` when the rule gives a
// reminder. Returns whether the row was changed.
bool apply(const OptionsRecord &options, Cursor &task);

} // namespace TaskDueReminder
