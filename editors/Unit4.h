#pragma once

#include "editors/RowEditDialog.h"

class CalendarDropDown;
class Cursor;
class HalfHourPicker;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class TDataModule2;
class ToggleButton;

// TForm4: the task editor "Edit Task". It edits the row of the task cursor
// Table47, which the caller has put on a new row or into edit mode on a
// task. "OK" checks the dates, marks the row as a task and posts it,
// "Cancel" drops it; both end with editEnded(), after which the task pad
// applies its view again (a caller may have changed the cursor's filter).
// Created once and reused.
class TForm4 : public RowEditDialog
{
    Q_OBJECT
public:
    static constexpr int clientWidth = 547;
    static constexpr int clientHeight = 385;

    // Where the pickers open, from the dialog's top.
    static constexpr int dueRowBottom = 115;
    static constexpr int startRowBottom = 149;
    static constexpr int reminderRowBottom = 195;

    explicit TForm4(TDataModule2 &data, QWidget *parent = nullptr);
    ~TForm4() override;

    // Sets the first day of the week of this editor's calendar from options
    // "45" (0 Sunday, anything else Monday) and announces it, so that the
    // other month calendars of the program follow.
    void applyFirstDayOfWeek();

    // Shows the dialog modally for the row Table47 already holds in insert
    // or edit mode. Returns at once; the dialog blocks the other windows.
    void showModal();
    // What "OK" does. True when the row was posted and the dialog closed.
    bool save();

    // --- controls, for the tests and the screenshots --------------------
    QLineEdit *subjectBox() const { return m_subject; }
    QCheckBox *completedBox() const { return m_completed; }
    QComboBox *priorityList() const { return m_priority; }
    QLineEdit *dueDateBox() const { return m_dueDate; }
    QLineEdit *startDateBox() const { return m_startDate; }
    QLineEdit *reminderDateBox() const { return m_reminderDate; }
    QLineEdit *reminderTimeBox() const { return m_reminderTime; }
    QToolButton *dueCalendarButton() const { return m_dueButton; }
    QToolButton *startCalendarButton() const { return m_startButton; }
    QToolButton *reminderCalendarButton() const { return m_reminderDateButton; }
    QToolButton *reminderListButton() const { return m_reminderTimeButton; }
    ToggleButton *reminderToggle() const { return m_reminder; }
    QPlainTextEdit *notesBox() const { return m_notes; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    CalendarDropDown *calendarDropDown() const { return m_calendarDrop; }
    HalfHourPicker *halfHourPicker() const { return m_halfHour; }

public slots:
    // "New Task": drops an edit in progress, inserts a new row (not
    // completed, no reminder, priority "Normal") and opens the dialog on it.
    void newTask();
    // Opens the task pad's current task. False when the cursor has none.
    bool editCurrentTask();
    // Opens task `no` ("Open Item" of the reminders window): the task
    // cursor is set to list every task, located on it and put into edit
    // mode. False, and nothing shown, when no task has that number.
    bool editTask(qint64 no);

signals:
    void firstDayOfWeekApplied(Qt::DayOfWeek day);

private:
    void buildControls();
    void buildPickers();
    void connectHandlers();

    Cursor &row() const override;
    QString taskReminderTimeText() const;
    void fillFromRow();
    void applyReminderState(bool on);

    void reminderToggled(bool on);
    void priorityChosen(int index);
    void openCalendar(QLineEdit *served);
    void calendarDatePicked(QLineEdit *served, const QDate &date);
    void calendarNoneChosen(QLineEdit *served);
    void openHalfHourList();

    QLineEdit *m_subject = nullptr;
    QCheckBox *m_completed = nullptr;
    QComboBox *m_priority = nullptr;
    QLineEdit *m_dueDate = nullptr;
    QToolButton *m_dueButton = nullptr;
    QLineEdit *m_startDate = nullptr;
    QToolButton *m_startButton = nullptr;
    ToggleButton *m_reminder = nullptr;
    QLineEdit *m_reminderDate = nullptr;
    QToolButton *m_reminderDateButton = nullptr;
    QLineEdit *m_reminderTime = nullptr;
    QToolButton *m_reminderTimeButton = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;

    CalendarDropDown *m_calendarDrop = nullptr;
    HalfHourPicker *m_halfHour = nullptr;
};
