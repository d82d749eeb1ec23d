// The task editor on a real calendar: opening from the row with "None" for
// blank fields, the calendar drop-down's "Today" and "None", the reminder
// toggle, the two save stages with their messages, "Cancel", opening a task
// by number, and the first day of the week of the month calendars.

#include "editors/BoxText.h"
#include "editors/CalendarDropDown.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "editors/DropDownList.h"
#include "editors/DropDownWatcher.h"
#include "editors/HalfHourPicker.h"
#include "editors/TaskList.h"
#include "editors/TaskPad.h"
#include "tests/support/TestSupport.h"
#include "editors/ToggleButton.h"
#include "store/Unit2.h"
#include "editors/Unit4.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QDate today(2024, 5, 15);

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void replaceText(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
}

} // namespace

class TestTaskEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowAndLayout();
    void newTaskSavedWithoutChanges();
    void openingFillsFromTheRow_data();
    void openingFillsFromTheRow();
    void immediateWritesAndCancel();

    void saveStages_data();
    void saveStages();
    void storeRefusalKeepsTheDialogOpen();

    void calendarChoices_data();
    void calendarChoices();
    void reminderToggle();
    void halfHourListOfTheReminderTime();

    void editTaskByNumberRestoresTheView();
    void firstDayOfWeek_data();
    void firstDayOfWeek();
    void movedReminderEndsTheSnooze_data();
    void movedReminderEndsTheSnooze();
    void dueTaskGetsAReminderWhenTheOptionIsOn_data();
    void dueTaskGetsAReminderWhenTheOptionIsOn();

private:
    void openNew();
    qint64 addTask(const QVariantMap &fields);
    Cursor &stored(qint64 no);
    int storedTasks();
    void setOption(int field, const QVariant &value);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    std::unique_ptr<TForm4> m_form;
    QStringList m_messages;
};

void TestTaskEditor::initTestCase()
{
    pinTestLocale();
    Clock::setNowForTesting(QDateTime(today, QTime(12, 0)));
}

void TestTaskEditor::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    setOption(30, false);
    setOption(44, QTime(8, 0));
    m_data->Table47().setFiltered(false);
    m_form = std::make_unique<TForm4>(*m_data);
    m_messages.clear();
    m_form->setMessageReporter([this](QWidget *, TForm4::MessageKind, const QString &text) { m_messages << text; });
}

void TestTaskEditor::cleanup()
{
    m_form.reset();
    m_data.reset();
    m_home.reset();
}

void TestTaskEditor::setOption(int field, const QVariant &value)
{
    QVERIFY(m_data->options().change({{field, value}}));
}

void TestTaskEditor::openNew()
{
    m_form->newTask();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

qint64 TestTaskEditor::addTask(const QVariantMap &fields)
{
    Cursor &cursor = m_data->table(1);
    cursor.insert();
    cursor.setValue("Ta", true);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        return 0;
    }
    m_data->Table47().refresh();
    return cursor.currentId();
}

Cursor &TestTaskEditor::stored(qint64 no)
{
    Cursor &cursor = m_data->table(2);
    cursor.setFiltered(false);
    cursor.refresh();
    if (!cursor.locate("No", no))
        qWarning() << "item" << no << "not stored";
    return cursor;
}

int TestTaskEditor::storedTasks()
{
    Cursor &cursor = m_data->table(2);
    cursor.setFiltered(false);
    cursor.refresh();
    return cursor.recordCount();
}

// --- the window ----------------------------------------------------------------

// A snooze belongs to the reminder it was set on.
void TestTaskEditor::movedReminderEndsTheSnooze_data()
{
    QTest::addColumn<QString>("reminderDate");
    QTest::addColumn<bool>("snoozed");
    QTest::newRow("reminder moved") << "3/21/2025" << false;
    QTest::newRow("reminder kept") << "3/20/2025" << true;
}

void TestTaskEditor::movedReminderEndsTheSnooze()
{
    QFETCH(QString, reminderDate);
    QFETCH(bool, snoozed);
    const qint64 no = addTask({{"Subject", "Call bank"},
                               {"E", QDate(2025, 3, 20)},
                               {"R", true},
                               {"Rs", QDate(2025, 3, 20)},
                               {"Rt", QTime(9, 0)},
                               {"Sno", true},
                               {"Sn", QTime(9, 5)},
                               {"Sns", QDate(2025, 3, 20)}});
    QVERIFY(no);
    QVERIFY(m_form->editTask(no));
    replaceText(m_form->reminderDateBox(), reminderDate);
    click(m_form->okButton());
    QCOMPARE(m_messages, QStringList());
    QCOMPARE(stored(no).asBool("Sno"), snoozed);
}

// "Set reminders on tasks with due dates": the editor's save applies it.
void TestTaskEditor::dueTaskGetsAReminderWhenTheOptionIsOn_data()
{
    QTest::addColumn<bool>("optionOn");
    QTest::addColumn<bool>("reminded");
    QTest::newRow("option on") << true << true;
    QTest::newRow("option off") << false << false;
}

void TestTaskEditor::dueTaskGetsAReminderWhenTheOptionIsOn()
{
    QFETCH(bool, optionOn);
    QFETCH(bool, reminded);
    setOption(55, optionOn);
    setOption(44, QTime(7, 30));
    openNew();
    replaceText(m_form->dueDateBox(), "3/20/2025");
    click(m_form->okButton());
    QCOMPARE(m_messages, QStringList());
    Cursor &task = stored(m_data->Table47().currentId());
    QCOMPARE(task.asDate("E"), QDate(2025, 3, 20));
    QCOMPARE(task.asBool("R"), reminded);
    QCOMPARE(task.asDate("Rs"), reminded ? QDate(2025, 3, 20) : QDate());
    QCOMPARE(task.asTime("Rt"), reminded ? QTime(7, 30) : QTime());
}

void TestTaskEditor::windowAndLayout()
{
    openNew();
    QCOMPARE(m_form->windowTitle(), QString("Edit Task"));
    QCOMPARE(m_form->size(), QSize(547, 385));
    QVERIFY(m_form->windowModality() != Qt::NonModal);
    QVERIFY(!(m_form->windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(m_form->priorityList()->count(), 3);
    QCOMPARE(m_form->priorityList()->itemText(0), QString("Low"));
    QCOMPARE(m_form->priorityList()->itemText(2), QString("High"));
    QCOMPARE(m_form->dueDateBox()->geometry().bottom() + 1, 115);
    QCOMPARE(m_form->startDateBox()->geometry().bottom() + 1, 149);
    QCOMPARE(m_form->reminderDateBox()->geometry().bottom() + 1, 195);
    QCOMPARE(m_form->calendarDropDown()->noneButton()->text(), QString("None"));
    QCOMPARE(m_form->calendarDropDown()->todayButton()->text(), QString("Today"));
    // The window has no close box: closing it is refused.
    m_form->close();
    QVERIFY(m_form->isVisible());
    click(m_form->cancelButton());
}

void TestTaskEditor::newTaskSavedWithoutChanges()
{
    QSignalSpy ended(m_form.get(), &TForm4::editEnded);
    openNew();
    QCOMPARE(m_form->dueDateBox()->text(), QString("None"));
    QCOMPARE(m_form->startDateBox()->text(), QString("None"));
    QCOMPARE(m_form->reminderDateBox()->text(), QString("None"));
    QCOMPARE(m_form->reminderTimeBox()->text(), QString("None"));
    QCOMPARE(m_form->priorityList()->currentText(), QString("Normal"));
    QVERIFY(!m_form->reminderToggle()->isChecked());
    QVERIFY(!m_form->reminderDateBox()->isEnabled());
    QVERIFY(!m_form->reminderListButton()->isEnabled());
    QVERIFY(m_form->dropDownWatcher()->isActive());

    click(m_form->okButton());
    QCOMPARE(m_messages, QStringList());
    QVERIFY(!m_form->isVisible());
    QVERIFY(!m_form->dropDownWatcher()->isActive());
    QCOMPARE(ended.count(), 1);
    Cursor &task = stored(m_data->Table47().currentId());
    QVERIFY(task.asBool("Ta"));
    QVERIFY(!task.isBlank("C") && !task.asBool("C"));
    QVERIFY(!task.isBlank("R") && !task.asBool("R"));
    QCOMPARE(task.asText("P"), QString("Normal"));
    for (const char *blank : {"S", "E", "Rs", "Rt", "Tr", "Tm"})
        QVERIFY2(task.isBlank(blank), blank);
}

void TestTaskEditor::openingFillsFromTheRow_data()
{
    QTest::addColumn<bool>("twentyFour");
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QStringList>("boxes"); // due, start, reminder date, reminder time
    QTest::addColumn<QString>("priority");
    QTest::addColumn<bool>("reminder");

    QTest::newRow("every field set, 12-hour clock")
        << false
        << QVariantMap {{"E", QDate(2024, 5, 20)},
                        {"S", QDate(2024, 5, 18)},
                        {"Rs", QDate(2024, 5, 19)},
                        {"Rt", QTime(14, 30)},
                        {"R", true},
                        {"P", "High"}}
        << QStringList {"5/20/2024", "5/18/2024", "5/19/2024", "2:30 PM"} << "High" << true;
    QTest::newRow("24-hour clock") << true << QVariantMap {{"Rt", QTime(9, 5)}, {"P", "Low"}}
                                   << QStringList {"None", "None", "None", "09:05"} << "Low" << false;
    QTest::newRow("blank fields are None; an unknown priority keeps the list")
        << false << QVariantMap {{"P", "Urgent"}} << QStringList {"None", "None", "None", "None"} << "High" << false;
}

void TestTaskEditor::openingFillsFromTheRow()
{
    QFETCH(bool, twentyFour);
    QFETCH(QVariantMap, fields);
    QFETCH(QStringList, boxes);
    QFETCH(QString, priority);
    QFETCH(bool, reminder);
    setOption(30, twentyFour);
    m_form->priorityList()->setCurrentIndex(2); // left from an earlier use
    fields.insert("Subject", "Pay rent");
    fields.insert("N", "before noon");
    const qint64 no = addTask(fields);

    QVERIFY(m_form->editTask(no));
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(m_form->subjectBox()->text(), QString("Pay rent"));
    QCOMPARE(m_form->notesBox()->toPlainText(), QString("before noon"));
    const QStringList shown = {m_form->dueDateBox()->text(), m_form->startDateBox()->text(),
                               m_form->reminderDateBox()->text(), m_form->reminderTimeBox()->text()};
    QCOMPARE(shown, boxes);
    QCOMPARE(m_form->priorityList()->currentText(), priority);
    QCOMPARE(m_form->reminderToggle()->isChecked(), reminder);
    QCOMPARE(m_form->reminderTimeBox()->isEnabled(), reminder);
    QCOMPARE(m_form->halfHourPicker()->list()->entries().at(27), twentyFour ? QString("13:30") : QString("1:30 PM"));
    click(m_form->cancelButton());
}

void TestTaskEditor::immediateWritesAndCancel()
{
    const qint64 no = addTask({{"Subject", "Unchanged"}, {"P", "Low"}});
    const int before = storedTasks();
    QVERIFY(m_form->editTask(no));
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    click(m_form->completedBox());
    m_form->priorityList()->activated(2);
    QCOMPARE(m_data->Table47().value("C").toBool(), true);
    QCOMPARE(m_data->Table47().value("P").toString(), QString("High"));
    replaceText(m_form->subjectBox(), "Changed");
    click(m_form->cancelButton());
    QVERIFY(!m_form->isVisible());
    QCOMPARE(stored(no).asText("Subject"), QString("Unchanged"));
    QCOMPARE(stored(no).asText("P"), QString("Low"));
    QVERIFY(!stored(no).asBool("C"));

    // A new task cancelled leaves nothing behind.
    openNew();
    click(m_form->cancelButton());
    QCOMPARE(storedTasks(), before);
}

// --- saving ------------------------------------------------------------------------

void TestTaskEditor::saveStages_data()
{
    QTest::addColumn<QStringList>("boxes"); // due, start, reminder date, reminder time
    QTest::addColumn<QString>("message");
    QTest::addColumn<QVariantList>("saved"); // E, S, Rs, Rt

    const QVariant blank;
    const QString invalid = "You must specify a valid date and/or time.";
    const QString beforeStart = "The due date of a task cannot occur before its start date";

    QTest::newRow("all None") << QStringList {"None", "None", "None", "None"} << QString()
                              << QVariantList {blank, blank, blank, blank};
    QTest::newRow("all set") << QStringList {"5/20/2024", "5/18/2024", "5/19/2024", "9:30 AM"} << QString()
                             << QVariantList {QDate(2024, 5, 20), QDate(2024, 5, 18), QDate(2024, 5, 19), QTime(9, 30)};
    QTest::newRow("start after due") << QStringList {"5/9/2024", "5/10/2024", "None", "None"} << beforeStart
                                     << QVariantList {};
    QTest::newRow("start equals due") << QStringList {"5/10/2024", "5/10/2024", "None", "None"} << QString()
                                      << QVariantList {QDate(2024, 5, 10), QDate(2024, 5, 10), blank, blank};
    QTest::newRow("start with due None") << QStringList {"None", "5/10/2024", "None", "None"} << QString()
                                         << QVariantList {blank, QDate(2024, 5, 10), blank, blank};
    QTest::newRow("due with start None") << QStringList {"5/10/2024", "None", "None", "None"} << QString()
                                         << QVariantList {QDate(2024, 5, 10), blank, blank, blank};
    QTest::newRow("none in small letters is no date")
        << QStringList {"None", "None", "none", "None"} << invalid << QVariantList {};
    QTest::newRow("an erased due date is no date")
        << QStringList {"", "None", "None", "None"} << invalid << QVariantList {};
    QTest::newRow("a bad start date") << QStringList {"None", "13/45/2024", "None", "None"} << invalid
                                      << QVariantList {};
    QTest::newRow("a bad reminder time") << QStringList {"None", "None", "None", "25:99"} << invalid << QVariantList {};
    QTest::newRow("dates are checked before their order")
        << QStringList {"5/9/2024", "5/10/2024", "soon", "None"} << invalid << QVariantList {};
}

void TestTaskEditor::saveStages()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, message);
    QFETCH(QVariantList, saved);
    QSignalSpy ended(m_form.get(), &TForm4::editEnded);
    openNew();
    replaceText(m_form->subjectBox(), "A task");
    replaceText(m_form->dueDateBox(), boxes[0]);
    replaceText(m_form->startDateBox(), boxes[1]);
    // The reminder boxes are read whether the reminder is on or off.
    m_form->reminderDateBox()->setText(boxes[2]);
    m_form->reminderTimeBox()->setText(boxes[3]);

    click(m_form->okButton());
    if (!message.isEmpty()) {
        QCOMPARE(m_messages, QStringList {message});
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_data->Table47().state(), Cursor::State::Insert);
        QCOMPARE(ended.count(), 0);
        click(m_form->cancelButton());
        return;
    }
    QCOMPARE(m_messages, QStringList());
    QVERIFY(!m_form->isVisible());
    QCOMPARE(ended.count(), 1);
    Cursor &task = stored(m_data->Table47().currentId());
    QCOMPARE(task.asText("Subject"), QString("A task"));
    QVERIFY(task.asBool("Ta"));
    const QStringList fields = {"E", "S", "Rs", "Rt"};
    for (int i = 0; i < fields.size(); ++i)
        QVERIFY2(task.value(fields[i]) == saved[i], qPrintable(fields[i]));
}

void TestTaskEditor::storeRefusalKeepsTheDialogOpen()
{
    openNew();
    // Subjects hold 150 characters; the box limits typing, a longer value
    // set from elsewhere is refused by the store.
    m_form->subjectBox()->setMaxLength(400);
    m_form->subjectBox()->setText(QString(151, QLatin1Char('x')));
    click(m_form->okButton());
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_data->Table47().state(), Cursor::State::Insert);
    click(m_form->cancelButton());
}

// --- pickers -------------------------------------------------------------------------

void TestTaskEditor::calendarChoices_data()
{
    QTest::addColumn<QString>("served");     // due, start, reminder
    QTest::addColumn<QString>("choice");     // pick (22 May), Today, None
    QTest::addColumn<QStringList>("before"); // due, start, reminder date
    QTest::addColumn<QStringList>("after");

    const QString picked = "5/22/2024";
    const QStringList allNone = {"None", "None", "None"};
    const QStringList filled = {"5/20/2024", "5/10/2024", "5/1/2024"};
    QTest::newRow("start picked while the due date is erased fills due and reminder")
        << "start"
        << "pick" << QStringList {"", "None", "None"} << QStringList {picked, picked, picked};
    QTest::newRow("start picked while the due date is None changes only the start")
        << "start"
        << "pick" << allNone << QStringList {"None", picked, "None"};
    QTest::newRow("due picked") << "due"
                                << "pick" << allNone << QStringList {picked, "None", "None"};
    QTest::newRow("reminder picked") << "reminder"
                                     << "pick" << allNone << QStringList {"None", "None", picked};
    QTest::newRow("Today for the start") << "start"
                                         << "Today" << allNone << QStringList {"None", "5/15/2024", "None"};
    QTest::newRow("None for the due date also clears the start")
        << "due"
        << "None" << filled << QStringList {"None", "None", "5/1/2024"};
    QTest::newRow("None for the start keeps the due date")
        << "start"
        << "None" << filled << QStringList {"5/20/2024", "None", "5/1/2024"};
    QTest::newRow("None for the reminder date") << "reminder"
                                                << "None" << filled << QStringList {"5/20/2024", "5/10/2024", "None"};
}

void TestTaskEditor::calendarChoices()
{
    QFETCH(QString, served);
    QFETCH(QString, choice);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    const qint64 no = addTask({{"R", true}});
    QVERIFY(m_form->editTask(no));
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_form->dueDateBox()->setText(before[0]);
    m_form->startDateBox()->setText(before[1]);
    m_form->reminderDateBox()->setText(before[2]);

    QToolButton *button = served == "due" ? m_form->dueCalendarButton()
        : served == "start"               ? m_form->startCalendarButton()
                                          : m_form->reminderCalendarButton();
    QTest::mouseClick(button, Qt::LeftButton);
    CalendarDropDown *drop = m_form->calendarDropDown();
    QVERIFY(drop->isVisible());
    const int expectedTop = served == "due" ? 115 : served == "start" ? 149 : 195;
    QCOMPARE(drop->y(), expectedTop);

    if (choice == "pick") {
        QCalendarWidget *calendar = drop->calendar();
        calendar->setCurrentPage(2024, 5);
        auto *view = calendar->findChild<QAbstractItemView *>();
        QModelIndex target;
        for (int r = 0; r < view->model()->rowCount() && !target.isValid(); ++r)
            for (int c = 0; c < view->model()->columnCount(); ++c) {
                const QModelIndex index = view->model()->index(r, c);
                if (r > 0 && index.data().toInt() == 22) {
                    target = index;
                    break;
                }
            }
        QVERIFY(target.isValid());
        const QPoint at = view->visualRect(target).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    } else if (choice == "Today") {
        click(drop->todayButton());
    } else {
        click(drop->noneButton());
    }
    QVERIFY(!drop->isVisible());
    const QStringList shown = {m_form->dueDateBox()->text(), m_form->startDateBox()->text(),
                               m_form->reminderDateBox()->text()};
    QCOMPARE(shown, after);
    click(m_form->cancelButton());
}

void TestTaskEditor::reminderToggle()
{
    openNew();
    ToggleButton *toggle = m_form->reminderToggle();
    click(toggle);
    QVERIFY(toggle->isChecked());
    QVERIFY(m_form->reminderDateBox()->isEnabled());
    QVERIFY(m_form->reminderCalendarButton()->isEnabled());
    QVERIFY(m_form->reminderTimeBox()->isEnabled());
    QCOMPARE(m_form->reminderDateBox()->text(), QString("5/15/2024"));
    QCOMPARE(m_form->reminderTimeBox()->text(), QString("8:00 AM"));
    QVERIFY(m_data->Table47().value("R").toBool());

    click(toggle);
    QVERIFY(!toggle->isChecked());
    QVERIFY(!m_form->reminderTimeBox()->isEnabled());
    QCOMPARE(m_form->reminderDateBox()->text(), QString("5/15/2024"));
    QCOMPARE(m_form->reminderTimeBox()->text(), QString("8:00 AM"));

    click(m_form->okButton());
    QCOMPARE(m_messages, QStringList());
    Cursor &task = stored(m_data->Table47().currentId());
    QVERIFY(!task.asBool("R"));
    QCOMPARE(task.asDate("Rs"), today);
    QCOMPARE(task.asTime("Rt"), QTime(8, 0));

    // Switched off with boxes that hold no date or time, they get today and
    // the task reminder time; with 24 hours, as "hh:mm".
    setOption(30, true);
    setOption(44, QTime(7, 30));
    openNew();
    click(toggle);
    m_form->reminderDateBox()->setText("None");
    m_form->reminderTimeBox()->setText("later");
    click(toggle);
    QCOMPARE(m_form->reminderDateBox()->text(), QString("5/15/2024"));
    QCOMPARE(m_form->reminderTimeBox()->text(), QString("07:30"));
    click(m_form->cancelButton());
}

void TestTaskEditor::halfHourListOfTheReminderTime()
{
    openNew();
    click(m_form->reminderToggle());
    m_form->reminderTimeBox()->setText("None");
    QTest::mouseClick(m_form->reminderListButton(), Qt::LeftButton);
    HalfHourPicker *picker = m_form->halfHourPicker();
    QVERIFY(picker->isOpen());
    // "None": the task reminder time of the options, 8:00, entry 16.
    QCOMPARE(picker->list()->topIndex(), 16);
    QCOMPARE(picker->list()->currentIndex(), 16);
    QCOMPARE(picker->list()->y(), 195);
    QVERIFY(m_form->reminderTimeBox()->hasFocus());

    QTest::mouseClick(picker->list(), Qt::LeftButton, {},
                      QPoint(10, picker->list()->entryTop(19) + DropDownList::entryHeight / 2));
    QVERIFY(!picker->isOpen());
    QCOMPARE(m_form->reminderTimeBox()->text(), QString("9:30 AM"));

    // The watcher closes the list once the time box loses the focus.
    QTest::mouseClick(m_form->reminderListButton(), Qt::LeftButton);
    QVERIFY(picker->isOpen());
    QCOMPARE(picker->list()->topIndex(), 19);
    m_form->subjectBox()->setFocus();
    m_form->dropDownWatcher()->check();
    QVERIFY(!picker->isOpen());
    click(m_form->cancelButton());
}

// --- with the task pad ------------------------------------------------------------------

void TestTaskEditor::editTaskByNumberRestoresTheView()
{
    TaskPad pad(*m_data);
    pad.resize(194, 300);
    connect(m_form.get(), &TForm4::editEnded, &pad, &TaskPad::applyStoredView);
    const qint64 done = addTask({{"Subject", "Old and done"}, {"E", QDate(2024, 5, 20)}, {"S", QDate(2024, 5, 1)}});
    addTask({{"Subject", "Overdue"}, {"E", QDate(2024, 5, 1)}, {"S", QDate(2024, 4, 1)}});
    pad.applyView(5);
    QCOMPARE(pad.list()->rows().size(), size_t(1));
    const QString overdueFilter = m_data->Table47().filter();

    // A task outside the view opens all the same...
    QVERIFY(m_form->editTask(done));
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(m_form->subjectBox()->text(), QString("Old and done"));
    // ...and "Cancel" brings back the chosen view.
    click(m_form->cancelButton());
    QCOMPARE(m_data->Table47().filter(), overdueFilter);
    QCOMPARE(pad.list()->rows().size(), size_t(1));

    // "OK" too, and the changed task shows in it.
    QVERIFY(m_form->editTask(done));
    replaceText(m_form->dueDateBox(), "5/2/2024");
    click(m_form->okButton());
    QCOMPARE(m_messages, QStringList());
    QCOMPARE(m_data->Table47().filter(), overdueFilter);
    QCOMPARE(pad.list()->rows().size(), size_t(2));

    QVERIFY(!m_form->editTask(9999));
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_data->Table47().filter(), overdueFilter);
}

void TestTaskEditor::firstDayOfWeek_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<Qt::DayOfWeek>("first");
    QTest::newRow("0 is Sunday") << 0 << Qt::Sunday;
    QTest::newRow("1 is Monday") << 1 << Qt::Monday;
    QTest::newRow("any other value is Monday") << 2 << Qt::Monday;
}

void TestTaskEditor::firstDayOfWeek()
{
    QFETCH(int, option);
    QFETCH(Qt::DayOfWeek, first);
    setOption(45, option);
    QSignalSpy applied(m_form.get(), &TForm4::firstDayOfWeekApplied);
    m_form->applyFirstDayOfWeek();
    QCOMPARE(m_form->calendarDropDown()->calendar()->firstDayOfWeek(), first);
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied.at(0).at(0).value<Qt::DayOfWeek>(), first);
}

QTEST_MAIN(TestTaskEditor)
#include "test_taskeditor.moc"
