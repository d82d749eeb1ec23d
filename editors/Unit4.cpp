#include "editors/Unit4.h"

#include "editors/BoxText.h"
#include "editors/CalendarDropDown.h"
#include "store/ItemFields.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "editors/DropDownList.h"
#include "editors/DropDownWatcher.h"
#include "editors/HalfHourPicker.h"
#include "store/OptionLists.h"
#include "store/OptionsRecord.h"
#include "store/TaskDueReminder.h"
#include "editors/TaskSave.h"
#include "editors/ToggleButton.h"
#include "store/Unit2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

// Layout of the dialog, in pixels from its client area's top left. Each
// date row ends where its drop-down opens.
constexpr int labelLeft = 8;
constexpr int boxLeft = 72;
constexpr int boxHeight = 21;
constexpr int subjectTop = 10;
constexpr int priorityRowTop = 44;
constexpr int dueTop = TForm4::dueRowBottom - boxHeight;
constexpr int startTop = TForm4::startRowBottom - boxHeight;
constexpr int reminderTop = TForm4::reminderRowBottom - boxHeight;
constexpr int dateBoxWidth = 90;
constexpr int pickerButtonWidth = 18;
constexpr int reminderDateLeft = 104;
constexpr int reminderTimeLeft = 222;
constexpr int timeBoxWidth = 70;
constexpr int notesTop = 210;
constexpr int notesHeight = 128;
constexpr int buttonsTop = 350;

const QStringList priorities = {TaskPriority::Low, TaskPriority::Normal, TaskPriority::High};

QLabel *addLabel(QWidget *parent, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(left, top + 3, boxLeft - labelLeft - 2, 16);
    return label;
}

QLineEdit *addBox(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

QToolButton *addPickerButton(QWidget *parent, const QString &name, const QLineEdit *box)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(Qt::DownArrow);
    button->setFocusPolicy(Qt::NoFocus); // the served box keeps the focus
    button->setGeometry(box->geometry().right() + 2, box->y(), pickerButtonWidth, boxHeight);
    return button;
}

QString dateText(const QDate &date)
{
    return date.isValid() ? BoxText::date(date) : TaskSave::noneText;
}

} // namespace

TForm4::TForm4(TDataModule2 &data, QWidget *parent)
    : RowEditDialog(QStringLiteral("TForm4"), QStringLiteral("Edit Task"), data, parent)
{
    setFixedSize(clientWidth, clientHeight);

    buildControls();
    buildPickers();
    connectHandlers();
}

TForm4::~TForm4() = default;

// --- building ------------------------------------------------------------

void TForm4::buildControls()
{
    addLabel(this, QStringLiteral("Subject:"), labelLeft, subjectTop);
    m_subject = addBox(this, QStringLiteral("subjectBox"),
                       QRect(boxLeft, subjectTop, clientWidth - boxLeft - labelLeft, boxHeight));
    m_subject->setMaxLength(150);

    m_completed = new QCheckBox(QStringLiteral("Completed"), this);
    m_completed->setObjectName(QStringLiteral("completedBox"));
    m_completed->setGeometry(boxLeft, priorityRowTop, 100, boxHeight);
    addLabel(this, QStringLiteral("Priority:"), 220, priorityRowTop);
    m_priority = new QComboBox(this);
    m_priority->setObjectName(QStringLiteral("priorityList"));
    m_priority->addItems(priorities);
    m_priority->setGeometry(276, priorityRowTop, 100, 22);

    addLabel(this, QStringLiteral("Due date:"), labelLeft, dueTop);
    m_dueDate = addBox(this, QStringLiteral("dueDateBox"), QRect(boxLeft, dueTop, dateBoxWidth, boxHeight));
    m_dueButton = addPickerButton(this, QStringLiteral("dueCalendarButton"), m_dueDate);
    addLabel(this, QStringLiteral("Start date:"), labelLeft, startTop);
    m_startDate = addBox(this, QStringLiteral("startDateBox"), QRect(boxLeft, startTop, dateBoxWidth, boxHeight));
    m_startButton = addPickerButton(this, QStringLiteral("startCalendarButton"), m_startDate);

    m_reminder = new ToggleButton(QStringLiteral("Reminder"), this);
    m_reminder->setObjectName(QStringLiteral("reminderToggle"));
    m_reminder->setGeometry(labelLeft, reminderTop - 1, 90, 23);
    m_reminderDate =
        addBox(this, QStringLiteral("reminderDateBox"), QRect(reminderDateLeft, reminderTop, dateBoxWidth, boxHeight));
    m_reminderDateButton = addPickerButton(this, QStringLiteral("reminderCalendarButton"), m_reminderDate);
    m_reminderTime =
        addBox(this, QStringLiteral("reminderTimeBox"), QRect(reminderTimeLeft, reminderTop, timeBoxWidth, boxHeight));
    m_reminderTimeButton = addPickerButton(this, QStringLiteral("reminderListButton"), m_reminderTime);

    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("notesBox"));
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_notes->setTabChangesFocus(true);
    m_notes->setGeometry(labelLeft, notesTop, clientWidth - 2 * labelLeft, notesHeight);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_ok->setGeometry(clientWidth - 2 * 83 - 2, buttonsTop, 75, 25);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setGeometry(clientWidth - 83, buttonsTop, 75, 25);

    setTabOrder(m_subject, m_completed);
    setTabOrder(m_completed, m_priority);
    setTabOrder(m_priority, m_dueDate);
    setTabOrder(m_dueDate, m_startDate);
    setTabOrder(m_startDate, m_reminder);
    setTabOrder(m_reminder, m_reminderDate);
    setTabOrder(m_reminderDate, m_reminderTime);
    setTabOrder(m_reminderTime, m_notes);
    setTabOrder(m_notes, m_ok);
    setTabOrder(m_ok, m_cancel);
}

void TForm4::buildPickers()
{
    m_calendarDrop = new CalendarDropDown(this, CalendarDropDown::Buttons::TodayAndNone);
    m_halfHour = new HalfHourPicker(this);
    DropDownWatcher *watcher = dropDownWatcher();
    watcher->watch([this] { return m_calendarDrop->isVisible() && m_calendarDrop->calendarHasFocus(); },
                   [this] { m_calendarDrop->close(); });
    watcher->watch([this] { return m_reminderTime->hasFocus(); }, [this] { m_halfHour->close(); });
}

void TForm4::connectHandlers()
{
    connect(m_ok, &QPushButton::clicked, this, &TForm4::save);
    connect(m_cancel, &QPushButton::clicked, this, &TForm4::cancelEdit);
    connect(m_completed, &QCheckBox::clicked, this, [this](bool ticked) { writeField(ItemField::C, ticked); });
    connect(m_priority, &QComboBox::activated, this, &TForm4::priorityChosen);
    connect(m_reminder, &ToggleButton::clicked, this, &TForm4::reminderToggled);

    connect(m_dueButton, &QToolButton::clicked, this, [this] { openCalendar(m_dueDate); });
    connect(m_startButton, &QToolButton::clicked, this, [this] { openCalendar(m_startDate); });
    connect(m_reminderDateButton, &QToolButton::clicked, this, [this] { openCalendar(m_reminderDate); });
    connect(m_calendarDrop, &CalendarDropDown::datePicked, this, &TForm4::calendarDatePicked);
    connect(m_calendarDrop, &CalendarDropDown::todayChosen, this, [](QLineEdit *served) {
        if (served)
            served->setText(BoxText::date(Clock::today()));
    });
    connect(m_calendarDrop, &CalendarDropDown::noneChosen, this, &TForm4::calendarNoneChosen);

    connect(m_reminderTimeButton, &QToolButton::clicked, this, &TForm4::openHalfHourList);
    connect(m_halfHour, &HalfHourPicker::entryChosen, this, [this](QLineEdit *served, int index) {
        if (served)
            served->setText(m_halfHour->list()->entries().value(index));
    });
    connect(m_halfHour, &HalfHourPicker::minuteChosen, this, [this](QLineEdit *served, const QTime &time) {
        if (served)
            served->setText(BoxText::time(time, use24Hour()));
    });
}

// --- the row -------------------------------------------------------------

Cursor &TForm4::row() const
{
    return data().Table47();
}

QString TForm4::taskReminderTimeText() const
{
    // A row without the option still proposes a time rather than an empty box.
    QTime time = options().taskReminderTime();
    if (!time.isValid())
        time = QTime(8, 0);
    return BoxText::timeWithLocaleAmPm(time, use24Hour());
}

void TForm4::applyFirstDayOfWeek()
{
    const Qt::DayOfWeek day = options().firstDayOfWeek();
    m_calendarDrop->setFirstDayOfWeek(day);
    emit firstDayOfWeekApplied(day);
}

// --- commands ------------------------------------------------------------

void TForm4::newTask()
{
    if (isVisible())
        cancelEdit();
    row().insert();
    writeField(ItemField::C, false);
    writeField(ItemField::R, false);
    writeField(ItemField::P, TaskPriority::Normal);
    showModal();
}

bool TForm4::editCurrentTask()
{
    if (isVisible())
        cancelEdit();
    if (row().recordCount() == 0 || row().eof() || !row().edit())
        return false;
    showModal();
    return true;
}

bool TForm4::editTask(qint64 no)
{
    if (isVisible())
        cancelEdit();
    // The task may lie outside the task pad's view; the view comes back
    // when the dialog closes.
    if (!row().setFilter(QStringLiteral("Ta='True'")))
        return false;
    row().refresh();
    if (!row().locate(ItemField::No, no) || !row().edit()) {
        emit editEnded();
        return false;
    }
    showModal();
    return true;
}

void TForm4::showModal()
{
    fillFromRow();
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    m_subject->setFocus();
}

// --- opening -------------------------------------------------------------

void TForm4::fillFromRow()
{
    dropDownWatcher()->closeAll();
    rememberReminder();
    m_subject->setText(row().asText(ItemField::Subject));
    m_notes->setPlainText(row().asText(ItemField::N));
    m_completed->setChecked(row().asBool(ItemField::C));

    QStringList halfHours; // step 1
    for (int i = 0; i < HalfHourList::count; ++i)
        halfHours << BoxText::time(HalfHourList::time(i), use24Hour());
    m_halfHour->setEntries(halfHours);

    m_dueDate->setText(dateText(row().asDate(ItemField::E))); // step 2
    m_startDate->setText(dateText(row().asDate(ItemField::S)));
    m_reminderDate->setText(dateText(row().asDate(ItemField::Rs)));
    const QTime reminderTime = row().asTime(ItemField::Rt); // step 3
    m_reminderTime->setText(reminderTime.isValid() ? BoxText::time(reminderTime, use24Hour()) : TaskSave::noneText);
    applyReminderState(row().asBool(ItemField::R));                      // step 4
    const int priority = priorities.indexOf(row().asText(ItemField::P)); // step 5
    if (priority >= 0)
        m_priority->setCurrentIndex(priority);
    dropDownWatcher()->start(); // step 6
}

void TForm4::applyReminderState(bool on)
{
    m_reminder->setChecked(on);
    for (QWidget *w : {static_cast<QWidget *>(m_reminderDate), static_cast<QWidget *>(m_reminderDateButton),
                       static_cast<QWidget *>(m_reminderTime), static_cast<QWidget *>(m_reminderTimeButton)})
        w->setEnabled(on);
}

// --- saving --------------------------------------------------------------

bool TForm4::save()
{
    if (reportItemGone())
        return false;
    const TaskSave::Outcome outcome =
        TaskSave::run({m_dueDate->text(), m_startDate->text(), m_reminderDate->text(), m_reminderTime->text()});
    if (!outcome.ok()) {
        report(MessageKind::Validation, outcome.message);
        return false;
    }
    writeField(ItemField::Subject, m_subject->text());
    writeField(ItemField::N, m_notes->toPlainText());
    for (const auto &[field, value] : outcome.changes.list())
        writeField(field, value);
    writeField(ItemField::Ta, true);
    // "Set reminders on tasks with due dates" gives a due task without a
    // reminder one before it is stored.
    TaskDueReminder::apply(options(), row());
    endStaleSnooze();
    const TDataModule2::UndoStep step(
        data(), row().state() == Cursor::State::Insert ? QStringLiteral("New Task") : QStringLiteral("Edit"));
    // A refused post keeps the row in its edit, so nothing typed is lost and
    // the user can mend what the store objected to.
    if (!row().post()) {
        report(MessageKind::StoreError, row().lastError());
        return false;
    }
    row().refresh();
    finishEdit(QDialog::Accepted);
    return true;
}

// --- handlers ------------------------------------------------------------

void TForm4::priorityChosen(int index)
{
    writeField(ItemField::P, priorities.value(index));
}

void TForm4::reminderToggled(bool on)
{
    applyReminderState(on);
    writeField(ItemField::R, on);
    if (on) {
        if (TaskSave::isNone(m_reminderTime->text()))
            m_reminderTime->setText(taskReminderTimeText());
        if (TaskSave::isNone(m_reminderDate->text()))
            m_reminderDate->setText(BoxText::date(Clock::today()));
        return;
    }
    // Switched off, the boxes still get values that save: the reminder
    // boxes are checked whether the reminder is on or off.
    if (!BoxText::readDate(m_reminderDate->text()).isValid())
        m_reminderDate->setText(BoxText::date(Clock::today()));
    if (!BoxText::readTime(m_reminderTime->text()).isValid())
        m_reminderTime->setText(taskReminderTimeText());
}

void TForm4::openCalendar(QLineEdit *served)
{
    dropDownWatcher()->closeAll();
    const int top = served == m_dueDate ? dueRowBottom : served == m_startDate ? startRowBottom : reminderRowBottom;
    m_calendarDrop->openFor(served, top, BoxText::readDate(served->text()));
}

void TForm4::calendarDatePicked(QLineEdit *served, const QDate &date)
{
    if (!served)
        return;
    const QString text = BoxText::date(date);
    served->setText(text);
    // Only an erased due date follows the start; "None" is a choice.
    if (served == m_startDate && m_dueDate->text().isEmpty()) {
        m_dueDate->setText(text);
        m_reminderDate->setText(text);
    }
}

void TForm4::calendarNoneChosen(QLineEdit *served)
{
    if (!served)
        return;
    served->setText(TaskSave::noneText);
    // Without a due date the start date means nothing either.
    if (served == m_dueDate)
        m_startDate->setText(TaskSave::noneText);
}

void TForm4::openHalfHourList()
{
    dropDownWatcher()->closeAll();
    QTime time = BoxText::readTime(m_reminderTime->text());
    if (!time.isValid()) {
        time = options().taskReminderTime();
        if (!time.isValid())
            time = QTime(8, 0);
    }
    m_halfHour->open(m_reminderTime, reminderRowBottom, time);
}
