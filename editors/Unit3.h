#pragma once

#include "editors/EventSave.h"
#include "editors/NewEvent.h"
#include "editors/RecurrencePattern.h"
#include "editors/RowEditDialog.h"
#include "store/SeriesRule.h"

#include <QDate>
#include <QTime>

class CalendarDropDown;
class Cursor;
class DayViewOps;
class DropDownList;
class HalfHourPicker;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class RecurrencePanel;
class TDataModule2;
class ToggleButton;

// TForm3: the event editor "Edit Event", in which every appointment,
// all-day event and recurring appointment is created and changed. It edits
// the row of the edit cursor Table50: whoever opens it first puts that
// cursor on a new row or into edit mode on an item. "OK" checks, derives
// and posts the row, "Cancel" drops it; the dialog is left no other way.
// Created once and reused, so boxes that opening does not refill keep
// their text from the last use.
class TForm3 : public RowEditDialog
{
    Q_OBJECT
public:
    static constexpr int clientWidth = 567;
    // The dialog is 439 pixels tall with the Recurrence toggle off and 534
    // with it on, title bar and borders included; the client area is that
    // less the frame of a fixed dialog, so that the buttons sit a margin
    // above the bottom edge and not a title bar's height.
    static constexpr int frameHeight = 34;
    static constexpr int plainHeight = 439 - frameHeight;     // Recurrence toggle off
    static constexpr int recurringHeight = 534 - frameHeight; // Recurrence toggle on

    explicit TForm3(TDataModule2 &data, DayViewOps *dayView = nullptr, QWidget *parent = nullptr);
    ~TForm3() override;

    // The day view that supplies date and selection of new items and is
    // kept in step after a save; without one, new items start today at 8:00.
    void setDayView(DayViewOps *dayView) { m_dayView = dayView; }

    // --- commands -------------------------------------------------------
    // "New Appointment": drops an edit in progress, then a new item from
    // the day view's shown date and selected rows.
    void newAppointment();
    // "New All Day Event".
    void newAllDayEvent();
    // "New Recurring Appointment": weekly on the shown date's weekday.
    void newRecurringAppointment();
    // Opens the item `no` (Table50 is located on it and put into edit
    // mode). False, and nothing shown, when Table50 does not hold it.
    bool editItem(qint64 no);
    // Shows the dialog modally for the row Table50 already holds in insert
    // or edit mode. Returns at once; the dialog blocks the other windows
    // until "OK" or "Cancel" closes it.
    void showModal();
    // What "OK" does: checks, derives, posts and updates the day view. True
    // when the row was posted and the dialog closed.
    bool save();

    // --- controls, for the tests and the screenshots --------------------
    QLineEdit *subjectBox() const { return m_subject; }
    QLineEdit *locationBox() const { return m_location; }
    QComboBox *typeList() const { return m_typeList; }
    QLineEdit *startDateBox() const { return m_startDate; }
    QLineEdit *endDateBox() const { return m_endDate; }
    QLineEdit *startTimeBox() const { return m_startTime; }
    QLineEdit *endTimeBox() const { return m_endTime; }
    QToolButton *startCalendarButton() const { return m_startCalendarButton; }
    QToolButton *endCalendarButton() const { return m_endCalendarButton; }
    QToolButton *startListButton() const { return m_startListButton; }
    QToolButton *endListButton() const { return m_endListButton; }
    QLabel *endLabel() const { return m_endLabel; }
    ToggleButton *allDayToggle() const { return m_allDay; }
    ToggleButton *reminderToggle() const { return m_reminder; }
    ToggleButton *recurrenceToggle() const { return m_recurrence; }
    QLineEdit *leadBox() const { return m_leadBox; }
    QLabel *unitLabel() const { return m_unitLabel; }
    QToolButton *leadListButton() const { return m_leadListButton; }
    RecurrencePanel *patternArea() const { return m_pattern; }
    QPlainTextEdit *notesBox() const { return m_notes; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    HalfHourPicker *halfHourPicker() const { return m_halfHour; }
    CalendarDropDown *calendarDropDown() const { return m_calendarDrop; }
    DropDownList *leadList() const { return m_leadList; }

    // Where the pickers open, from the dialog's top.
    static constexpr int startRowBottom = 148;
    static constexpr int endRowBottom = 186;
    static constexpr int leadListTop = 220;

private:
    void buildControls();
    void buildPickers();
    void connectHandlers();

    Cursor &row() const override;
    void writeChanges(const FieldChanges &changes);
    void startNewItem(NewEvent::Kind kind);

    // The reminder as the row holds it: on, date and time.

    // Opening, the steps that fill the dialog from the row.
    void fillFromRow();
    void fillTimeBoxes(const QTime &start, const QTime &end);
    void fillPatternChoice();
    void fillPatternBoxes();
    void fillTypeList();
    void fillSeriesRule();
    void fillDayOrNth(bool nth, int ordinalIndex, int weekdayIndex, int monthDay, QLineEdit *dayBox,
                      QRadioButton *dayButton, QRadioButton *nthButton, QComboBox *ordinals, QComboBox *weekdays);
    void applyRecurrenceLayout(bool recurring);
    void applyAllDayLayout(bool allDay);
    void applyReminderState(bool on);

    // Saving.
    EventEntry currentEntry() const;
    void showEntry(const EventEntry &entry);

    // Handlers of the controls.
    void typeChosen(int index);
    void allDayToggled(bool on);
    void reminderToggled(bool on);
    void recurrenceToggled(bool on);
    void patternChosen(RecurrencePattern::Kind kind);
    void everyDayChosen();
    void everyWeekdayChosen();
    void writeWeekFlags(const RecurrencePattern::WeekFlags &flags);
    void showWeekFlags();
    void openCalendar(QLineEdit *served);
    void calendarDatePicked(QLineEdit *served, const QDate &date);
    void openHalfHourList(QLineEdit *served);
    void halfHourEntryChosen(QLineEdit *served, int index);
    void openLeadList();
    void chooseLead(int index);

    DayViewOps *m_dayView;

    QLineEdit *m_subject = nullptr;
    QLineEdit *m_location = nullptr;
    QComboBox *m_typeList = nullptr;
    QLineEdit *m_startDate = nullptr;
    QToolButton *m_startCalendarButton = nullptr;
    QLineEdit *m_startTime = nullptr;
    QToolButton *m_startListButton = nullptr;
    ToggleButton *m_allDay = nullptr;
    QLabel *m_endLabel = nullptr;
    QLineEdit *m_endDate = nullptr;
    QToolButton *m_endCalendarButton = nullptr;
    QLineEdit *m_endTime = nullptr;
    QToolButton *m_endListButton = nullptr;
    ToggleButton *m_reminder = nullptr;
    QLineEdit *m_leadBox = nullptr;
    QLabel *m_unitLabel = nullptr;
    QToolButton *m_leadListButton = nullptr;
    ToggleButton *m_recurrence = nullptr;
    RecurrencePanel *m_pattern = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;

    HalfHourPicker *m_halfHour = nullptr;
    CalendarDropDown *m_calendarDrop = nullptr;
    DropDownList *m_leadList = nullptr;

    SeriesDates m_removedDates; // of the row opened, kept where still occurrences
};
