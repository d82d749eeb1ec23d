#pragma once

#include <QDate>
#include <QString>
#include <QTime>

class Cursor;

// The fields of one Table48 row that the reminders window shows.
struct ReminderRow
{
    qint64 no = 0;
    QString subject;
    QString location;
    bool task = false;      // Ta
    bool allDay = false;    // A
    bool recurring = false; // Re
    QString ret;            // Ret: recurrence kind code
    bool extended = false;  // Rr set: a series of any kind may remind days ahead
    QDate start;            // S
    QTime startTime;        // St
    QDate reminderDate;     // Rs
    QTime reminderTime;     // Rt
    QString leadAmount;     // Tr
    QString leadUnit;       // Tm

    static ReminderRow fromCursor(const Cursor &cursor);
};

// The texts of the reminders window that depend on the row and the clock.
namespace DueText {

// The "Due in" column at time of day `now` (cut to the minute): a countdown
// or an overdue time in whole hours or minutes, or days to the start.
QString dueIn(const ReminderRow &row, const QDate &today, const QTime &now);

// The "Due in" column of a reminder missed on an earlier day.
QString missedSince(const QDate &day);

// The header's time line: "Due: " for a task, "Start time: " otherwise,
// the long date and the time.
QString headerTime(const ReminderRow &row, bool use24Hour);

// "14:05" in 24-hour mode, "2:05 PM" otherwise.
QString clockText(const QTime &time, bool use24Hour);

} // namespace DueText
