#include "store/TaskDueReminder.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/OptionsRecord.h"

namespace TaskDueReminder {

std::optional<Reminder> proposed(const Task &task, bool optionOn, const QTime &taskReminderTime)
{
    if (!optionOn || !task.due.isValid() || task.completed)
        return std::nullopt;
    const bool hadReminder = task.reminderOn || task.reminderDate.isValid() || task.reminderTime.isValid();
    if (hadReminder)
        return std::nullopt;
    return Reminder {task.due, taskReminderTime.isValid() ? taskReminderTime : fallbackTime()};
}

bool apply(const OptionsRecord &options, Cursor &task)
{
    if (task.state() == Cursor::State::Browse)
        return false;
    const Task read {task.asDate(ItemField::E), task.asBool(ItemField::C), task.asBool(ItemField::R),
                     task.asDate(ItemField::Rs), task.asTime(ItemField::Rt)};
    const std::optional<Reminder> reminder =
        proposed(read, options.remindTasksWithDueDates(), options.taskReminderTime());
    if (!reminder)
        return false;
    task.setValue(ItemField::R, true);
    task.setValue(ItemField::Rs, reminder->date);
    task.setValue(ItemField::Rt, reminder->time);
    return true;
}

} // namespace TaskDueReminder
