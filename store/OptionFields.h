#pragma once

#include <QString>

class Cursor;

// The options table and the folders list name their fields by decimal
// numbers written as text. Code names a field by what it means, so a wrong
// number is a misspelt name instead of a field that silently reads blank.

namespace NumberedFields {

// The stored name of field number `field`: "1", "46".
inline QString fieldName(int field)
{
    return QString::number(field);
}

} // namespace NumberedFields

// The options row's fields, by number (OptionsRecord reads and changes them
// by number; its typed getters are what callers use).
namespace OptionField {

constexpr int DefaultReminder = 1;     // new appointments start with the reminder on
constexpr int DefaultReminderLead = 2; // index into the lead list
constexpr int DefaultSnoozePeriod = 3; // index into the lead list
constexpr int SundayIsWorkingDay = 4;  // 4 .. 10: Sunday .. Saturday
constexpr int SaturdayIsWorkingDay = 10;
constexpr int WindowMaximised = 11;
constexpr int WindowLeft = 12;
constexpr int WindowTop = 13;
constexpr int WindowHeight = 14;
constexpr int WindowWidth = 15;
constexpr int OpenOnStartup = 16;
constexpr int HideOnStartup = 17;
constexpr int FolderPaneWidth = 18;
constexpr int FolderPaneShown = 19;
constexpr int PaperIsLetter = 20; // false: A4
constexpr int PlaySoundFile = 21;
constexpr int SoundFile = 22;
constexpr int Clock24Hour = 30;
constexpr int FirstTypeName = 31; // 31 .. 41: event types 0 .. 10
constexpr int WorkStart = 42;     // index into the half-hour list
constexpr int WorkEnd = 43;       // the first half hour no longer working
constexpr int TaskReminderTime = 44;
constexpr int FirstDayOfWeek = 45; // 0 Sunday, anything else Monday
constexpr int ActiveFolder = 46;   // the folders list's Id of the active folder
constexpr int OffHoursColor = 47;
constexpr int WorkingHoursColor = 48;
constexpr int DailyPrintTaskPad = 49;
constexpr int WeeklyPrintTaskPad = 50;
constexpr int DeleteOldItems = 52;
constexpr int DailyPrintFrom = 53; // hour 0 .. 7
constexpr int DeleteOlderThanDays = 54;
// Fields of this program's own, which older option files lack.
constexpr int RemindTasksWithDueDates = 55;
constexpr int LastReminderScan = 56; // "yyyy-MM-ddTHH:mm:ss"

} // namespace OptionField

// The folders list's fields and what a new folder row starts with.
//
// These are namespace-scope objects: read them from functions, never from
// the initializer of another file's namespace-scope object.
namespace FolderListField {

inline const QString Id = QStringLiteral("1"); // assigned by the store
inline const QString Name = QStringLiteral("2");
inline const QString Path = QStringLiteral("3"); // the calendar file's directory
inline const QString File = QStringLiteral("4"); // the calendar file's name
inline const QString RightPaneWidth = QStringLiteral("5");
inline const QString NavigatorHeight = QStringLiteral("6");
inline const QString View = QStringLiteral("7");        // 1 day, 2 week, 3 month
inline const QString TaskPadView = QStringLiteral("8"); // 1 .. 5

constexpr int DefaultRightPaneWidth = 194;  // one navigator month across
constexpr int DefaultNavigatorHeight = 148; // one navigator month down
constexpr int DefaultView = 1;              // day
constexpr int DefaultTaskPadView = 1;       // all tasks

// Sets the view fields ("5" .. "8") of the row the folders cursor is
// inserting to what a new folder starts with.
void setNewFolderView(Cursor &folders);

} // namespace FolderListField
