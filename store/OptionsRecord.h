#pragma once

#include <QColor>
#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

#include <initializer_list>
#include <utility>

class Cursor;

// Typed access to the single row of the options table (cursor `Table60`).
// Fields are named by their numbers ("1" .. "56", store/OptionFields.h);
// every read goes to the row at the moment of use, so a value posted by
// anyone is seen at once. Callers read an option by what it means; the
// numbered reads are for the options dialog's generic bindings.
class OptionsRecord
{
public:
    explicit OptionsRecord(Cursor &table60)
        : m_table(table60)
    { }

    bool boolField(int field) const; // blank -> false
    int intField(int field) const;   // blank -> 0
    QTime timeField(int field) const;
    QString textField(int field) const;
    QColor colorField(int field, const QColor &fallback) const;

    // Edit, set the fields, post: the one-step change every writer other
    // than the options dialog uses. While the dialog edits the row the
    // fields are posted beside its edit, which keeps only its own changes.
    // False (the row unchanged) when the post fails; the cursor's
    // lastError() says why.
    [[nodiscard]] bool change(std::initializer_list<std::pair<int, QVariant>> values);

    // Display name of event type t (0..10).
    QString typeName(int type) const;

    // Reminders
    bool defaultReminder() const;    // new appointments start with it on
    int defaultReminderLead() const; // index into the lead list
    int defaultSnoozePeriod() const; // index into the lead list
    bool playSoundFile() const;
    QString soundFile() const;
    bool remindTasksWithDueDates() const;
    QTime taskReminderTime() const;   // invalid when blank
    QString lastReminderScan() const; // "yyyy-MM-ddTHH:mm:ss", or blank

    // Calendar and display
    bool isWorkingDay(const QDate &date) const;
    int workStart() const; // index into the half-hour list
    int workEnd() const;   // the first half hour no longer working
    QColor offHoursColor() const;
    QColor workingHoursColor() const;
    Qt::DayOfWeek firstDayOfWeek() const; // blank or 0 Sunday, any other Monday
    bool clock24Hour() const;

    // Main window and folders
    bool windowMaximised() const;
    int windowLeft() const;
    int windowTop() const;
    int windowWidth() const;
    int windowHeight() const;
    bool openOnStartup() const;
    bool hideOnStartup() const;
    int folderPaneWidth() const;
    bool folderPaneShown() const;
    QVariant activeFolder() const; // the active folder's Id as stored, or null

    // Printing and old items
    bool paperIsLetter() const; // false: A4
    bool dailyPrintTaskPad() const;
    bool weeklyPrintTaskPad() const;
    int dailyPrintFrom() const; // the hour the printed day begins
    bool deleteOldItems() const;
    // The age limit of "Delete items older than" in days; 0 unless the row
    // holds a whole number.
    int deleteOlderThanDays() const;

    Cursor &cursor() { return m_table; }

private:
    Cursor &m_table;
};
