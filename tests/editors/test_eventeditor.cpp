// The event editor on a real calendar: the three commands, opening, the
// toggles and pickers, saving with its messages and the encoding every
// saved item gets, and the day view kept in step afterwards.

#include "editors/BoxText.h"
#include "editors/CalendarDropDown.h"
#include "store/Clock.h"
#include "store/ItemFields.h"
#include "store/Cursor.h"
#include "views/DayBlock.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "views/DayViewOps.h"
#include "editors/DropDownList.h"
#include "editors/DropDownWatcher.h"
#include "editors/HalfHourPicker.h"
#include "editors/MinuteStrip.h"
#include "views/OccurrenceRules.h"
#include "editors/RecurrencePanel.h"
#include "tests/support/TestSupport.h"
#include "editors/ToggleButton.h"
#include "views/TypeColors.h"
#include "store/Unit2.h"
#include "editors/Unit3.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QScopeGuard>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

using RecurrencePattern::Kind;

Q_DECLARE_METATYPE(Kind)

namespace {

const QDate wednesday(2024, 5, 8);
const QDate today(2024, 5, 20);

// What the editor asks of the day view, recorded.
class FakeDayView : public DayViewOps
{
public:
    QDate date = wednesday;
    int start = 16;
    int end = 16;
    bool showing = false;
    QStringList calls;

    QDate shownDate() const override { return date; }
    int selectionStartRow() const override { return start; }
    int selectionEndRow() const override { return std::max(start, end); }
    bool isShowing() const override { return showing; }
    void addBlock(qint64 itemNo) override { calls << QStringLiteral("add %1").arg(itemNo); }
    void removeAllBlocks() override { calls << QStringLiteral("remove all"); }
    void relayoutBlocks() override { calls << QStringLiteral("relayout"); }
    void rebuild() override { calls << QStringLiteral("rebuild"); }
};

struct Message
{
    TForm3::MessageKind kind;
    QString text;
};

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button = Qt::NoButton,
               Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// The middle of entry `index` of a drop-down list.
QPoint entryPoint(const DropDownList *list, int index)
{
    return QPoint(10, list->entryTop(index) + DropDownList::entryHeight / 2);
}

void replaceText(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
}

} // namespace

class TestEventEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowAndLayout();
    void recurrenceToggleChangesLayoutAndPattern();
    void minimisingBringsBothWindowsBack();
    void commands_data();
    void commands();
    void newAppointmentDropsTheOpenEdit();
    void openingFillsFromTheRow_data();
    void openingFillsFromTheRow();
    void defaultLeadWhenUnitBlank();
    void boxesOpeningDoesNotFillKeepTheirText();
    void typeListNamesAndChoice();
    void reminderToggle();
    void allDayToggleSwitchOff();

    void saveMessagesKeepTheDialogOpen_data();
    void saveMessagesKeepTheDialogOpen();
    void storeRefusalShowsTheStoreText();
    void textBeyondCapacityIsKeptAndRefused_data();
    void textBeyondCapacityIsKeptAndRefused();
    void reopenedAllDayEventWithMinuteLeadSaves();
    void itemDeletedUnderTheDialog();
    void cancelDropsEveryWrite();
    void movingTheReminderEndsItsSnooze_data();
    void movingTheReminderEndsItsSnooze();
    void savedEncoding_data();
    void savedEncoding();
    void reopeningShowsThePattern_data();
    void reopeningShowsThePattern();
    void switchingPatternsKeepsDayAndMonth();
    void weeklyWithNoDayTicked();

    void halfHourList();
    void halfHourListKeepsStartBeforeEnd_data();
    void halfHourListKeepsStartBeforeEnd();
    void minuteStrip();
    void calendarDropDown();
    void leadList();
    void dropDownWatcher();

    void dayViewFollowUp_data();
    void dayViewFollowUp();
    void endToEndNewEventOnTheDayView();

private:
    void openNew(void (TForm3::*command)());
    void openItem(qint64 no);
    qint64 addItem(const QVariantMap &fields);
    Cursor &stored(qint64 no);
    int storedCount();
    qint64 saveAndGetNo();
    void setOption(int field, const QVariant &value);
    void startStore();

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    FakeDayView m_dayView;
    std::unique_ptr<TForm3> m_form;
    QList<Message> m_messages;
};

void TestEventEditor::initTestCase()
{
    pinTestLocale();
    Clock::setNowForTesting(QDateTime(today, QTime(12, 0)));
}

void TestEventEditor::init()
{
    m_home = std::make_unique<TempHome>();
    startStore();
}

// The data module and a fresh dialog on the temporary home.
void TestEventEditor::startStore()
{
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    setOption(30, false);
    setOption(1, false);
    m_dayView = FakeDayView();
    m_form = std::make_unique<TForm3>(*m_data, &m_dayView);
    m_messages.clear();
    m_form->setMessageReporter([this](QWidget *, TForm3::MessageKind kind, const QString &text) {
        m_messages << Message {kind, text};
    });
}

void TestEventEditor::cleanup()
{
    m_form.reset();
    m_data.reset();
    m_home.reset();
}

void TestEventEditor::setOption(int field, const QVariant &value)
{
    QVERIFY(m_data->options().change({{field, value}}));
}

void TestEventEditor::openNew(void (TForm3::*command)())
{
    (m_form.get()->*command)();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestEventEditor::openItem(qint64 no)
{
    QVERIFY(m_form->editItem(no));
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

qint64 TestEventEditor::addItem(const QVariantMap &fields)
{
    Cursor &cursor = m_data->table(1);
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        return 0;
    }
    return cursor.currentId();
}

// The item as the table holds it, read through a cursor the editor does not use.
Cursor &TestEventEditor::stored(qint64 no)
{
    Cursor &cursor = m_data->table(2);
    cursor.setFiltered(false);
    cursor.refresh();
    if (!cursor.locate(QStringLiteral("No"), no))
        qWarning() << "item" << no << "not stored";
    return cursor;
}

int TestEventEditor::storedCount()
{
    Cursor &cursor = m_data->table(2);
    cursor.setFiltered(false);
    cursor.refresh();
    return cursor.recordCount();
}

qint64 TestEventEditor::saveAndGetNo()
{
    click(m_form->okButton());
    if (!m_messages.isEmpty())
        qWarning() << "save refused:" << m_messages.last().text;
    return m_form->isVisible() ? 0 : m_data->Table50().currentId();
}

// --- the window ------------------------------------------------------------

void TestEventEditor::windowAndLayout()
{
    openNew(&TForm3::newAppointment);
    QCOMPARE(m_form->windowTitle(), QString("Edit Event"));
    QCOMPARE(m_form->size(), QSize(567, TForm3::plainHeight));
    QVERIFY(m_form->isModal() || m_form->windowModality() != Qt::NonModal);
    // A title bar without buttons.
    const Qt::WindowFlags flags = m_form->windowFlags();
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(!(flags
              & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                 | Qt::WindowSystemMenuHint)));
    QCOMPARE(m_form->windowType(), Qt::Dialog);
    QCOMPARE(m_form->notesBox()->y(), 256);
    QCOMPARE(m_form->okButton()->y(), 368);
    QCOMPARE(m_form->cancelButton()->y(), 368);
    QCOMPARE(m_form->okButton()->text(), QString("OK"));
    QCOMPARE(m_form->cancelButton()->text(), QString("Cancel"));
    QCOMPARE(m_form->allDayToggle()->text(), QString("All day event"));
    QCOMPARE(m_form->reminderToggle()->text(), QString("Reminder"));
    QCOMPARE(m_form->recurrenceToggle()->text(), QString("Recurence"));
    QVERIFY(!m_form->patternArea()->isVisible());
    QCOMPARE(m_form->subjectBox()->maxLength(), 150);
    QCOMPARE(m_form->locationBox()->maxLength(), 100);
    QCOMPARE(m_form->leadBox()->maxLength(), 3);

    // A toggle that is on wears the light blue face inside a blue frame.
    click(m_form->reminderToggle());
    const QImage on = m_form->reminderToggle()->grab().toImage();
    QCOMPARE(on.pixelColor(0, 0), QColor(49, 106, 197));
    QCOMPARE(on.pixelColor(on.width() - 3, on.height() / 2), QColor(223, 233, 247));
    click(m_form->reminderToggle());
    const QImage off = m_form->reminderToggle()->grab().toImage();
    QCOMPARE(off.pixelColor(0, 0), m_form->palette().color(QPalette::Button));

    // "Cancel" closes; the next command reuses the same dialog.
    click(m_form->cancelButton());
    QVERIFY(!m_form->isVisible());
    openNew(&TForm3::newAllDayEvent);
    QVERIFY(m_form->isVisible());
}

// A window manager that shows a minimise button anyway iconifies the main
// window together with its modal dialog; both must come back.
void TestEventEditor::minimisingBringsBothWindowsBack()
{
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    TForm3 form(*m_data, &m_dayView, &owner);
    form.setMessageReporter([](QWidget *, TForm3::MessageKind, const QString &) {});
    form.newAppointment();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    owner.setWindowState(Qt::WindowMinimized);
    form.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!(form.windowState() & Qt::WindowMinimized));
    QTRY_VERIFY(!(owner.windowState() & Qt::WindowMinimized));
    QVERIFY(form.isVisible());
    form.cancelEdit();
}

void TestEventEditor::recurrenceToggleChangesLayoutAndPattern()
{
    openNew(&TForm3::newAppointment);
    Cursor &row = m_data->Table50();
    RecurrencePanel *pattern = m_form->patternArea();

    click(m_form->recurrenceToggle());
    QVERIFY(m_form->recurrenceToggle()->isChecked());
    QCOMPARE(m_form->size(), QSize(567, TForm3::recurringHeight));
    QCOMPARE(m_form->notesBox()->y(), 352);
    QCOMPARE(m_form->okButton()->y(), 464);
    QVERIFY(pattern->isVisible());
    QVERIFY(!m_form->endDateBox()->isVisible());
    QVERIFY(!m_form->endLabel()->isVisible());
    QVERIFY(!m_form->endCalendarButton()->isVisible());
    QVERIFY(m_form->endTimeBox()->isVisible());
    QVERIFY(m_form->subjectBox()->hasFocus());
    // The proposal: weekly on the start's weekday, Wednesday 8 May.
    QCOMPARE(pattern->choice(), Kind::Weekly);
    QCOMPARE(pattern->shownPanel(), Kind::Weekly);
    QCOMPARE(row.asText("Ret"), QString("2"));
    QVERIFY(row.asBool("Re"));
    for (int flag = 0; flag < 7; ++flag) {
        const bool wednesdayFlag = flag == 3;
        QCOMPARE(row.asBool(ItemField::weekdayFlags().at(flag)), wednesdayFlag);
        QCOMPARE(pattern->weekdayBox(flag)->isChecked(), wednesdayFlag);
    }

    click(pattern->choiceButton(Kind::Monthly));
    QCOMPARE(pattern->monthlyDayBox()->text(), QString("8"));
    click(m_form->recurrenceToggle());
    QCOMPARE(m_form->size(), QSize(567, TForm3::plainHeight));
    QCOMPARE(m_form->notesBox()->y(), 256);
    QCOMPARE(m_form->okButton()->y(), 368);
    QVERIFY(!pattern->isVisible());
    QVERIFY(m_form->endDateBox()->isVisible());
    QVERIFY(row.isBlank("Ret"));
    QVERIFY(!row.asBool("Re"));
    QVERIFY(row.isBlank("Ret"));
    for (const QString &day : ItemField::weekdayFlags())
        QVERIFY(!row.isBlank(day) && !row.asBool(day));
    QCOMPARE(pattern->choice(), Kind::Monthly); // the choice stays
    QVERIFY(m_form->subjectBox()->hasFocus());
}

// --- the commands ----------------------------------------------------------

void TestEventEditor::commands_data()
{
    QTest::addColumn<int>("command"); // 0 appointment, 1 all-day, 2 recurring
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("endRow");
    QTest::addColumn<bool>("defaultReminder");
    QTest::addColumn<QString>("startTime");
    QTest::addColumn<QString>("endTime");

    QTest::newRow("appointment, rows 16-17") << 0 << 16 << 17 << false << "8:00 AM"
                                             << "9:00 AM";
    QTest::newRow("appointment, reminder by default") << 0 << 16 << 16 << true << "8:00 AM"
                                                      << "8:30 AM";
    QTest::newRow("appointment to the day's end") << 0 << 46 << 47 << false << "11:00 PM"
                                                  << "11:55 PM";
    QTest::newRow("all-day event") << 1 << 18 << 19 << true << "9:00 AM"
                                   << "10:00 AM";
    QTest::newRow("recurring appointment") << 2 << 20 << 20 << false << "10:00 AM"
                                           << "10:30 AM";
}

void TestEventEditor::commands()
{
    QFETCH(int, command);
    QFETCH(int, startRow);
    QFETCH(int, endRow);
    QFETCH(bool, defaultReminder);
    QFETCH(QString, startTime);
    QFETCH(QString, endTime);

    setOption(1, defaultReminder);
    m_dayView.start = startRow;
    m_dayView.end = endRow;
    void (TForm3::*commands[])() = {&TForm3::newAppointment, &TForm3::newAllDayEvent, &TForm3::newRecurringAppointment};
    openNew(commands[command]);

    Cursor &row = m_data->Table50();
    QCOMPARE(row.state(), Cursor::State::Insert);
    QCOMPARE(row.asDate("S"), wednesday);
    QCOMPARE(row.asDate("E"), wednesday);
    QCOMPARE(row.asText("Md"), QString("0"));
    QCOMPARE(row.asInt("T"), 0);
    QCOMPARE(row.asBool("R"), defaultReminder);
    QCOMPARE(row.asBool("A"), command == 1);
    QCOMPARE(row.asBool("Re"), command == 2);
    QCOMPARE(m_form->startDateBox()->text(), QString("5/8/2024"));
    QCOMPARE(m_form->endDateBox()->text(), QString("5/8/2024"));
    QCOMPARE(m_form->startTimeBox()->text(), startTime);
    QCOMPARE(m_form->endTimeBox()->text(), endTime);
    QCOMPARE(m_form->typeList()->currentIndex(), 0);
    QCOMPARE(m_form->reminderToggle()->isChecked(), defaultReminder);
    QCOMPARE(m_form->leadBox()->isEnabled(), defaultReminder);
    QCOMPARE(m_form->allDayToggle()->isChecked(), command == 1);
    QCOMPARE(m_form->startTimeBox()->isVisible(), command != 1);
    QCOMPARE(m_form->endListButton()->isVisible(), command != 1);
    QCOMPARE(m_form->recurrenceToggle()->isChecked(), command == 2);
    QCOMPARE(m_form->height(), command == 2 ? TForm3::recurringHeight : TForm3::plainHeight);
    if (command == 2) {
        QCOMPARE(row.asText("Ret"), QString("2"));
        QCOMPARE(m_form->patternArea()->choice(), Kind::Weekly);
        QCOMPARE(m_form->patternArea()->shownPanel(), Kind::Weekly);
        QVERIFY(m_form->patternArea()->weekdayBox(3)->isChecked());
        QVERIFY(!m_form->patternArea()->weekdayBox(2)->isChecked());
    } else {
        QVERIFY(row.isBlank("Ret"));
        QVERIFY(row.isBlank("Wed"));
    }
}

void TestEventEditor::newAppointmentDropsTheOpenEdit()
{
    const qint64 no = addItem({{"Subject", "Dentist"},
                               {"S", wednesday},
                               {"E", wednesday},
                               {"Md", "0"},
                               {"St", QTime(9, 0)},
                               {"Et", QTime(10, 0)}});
    openItem(no);
    click(m_form->allDayToggle()); // written at once into the edit
    m_form->newAppointment();
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_data->Table50().state(), Cursor::State::Insert);
    QVERIFY(!stored(no).asBool("A"));
    QCOMPARE(stored(no).asText("Subject"), QString("Dentist"));
}

// --- opening ---------------------------------------------------------------

void TestEventEditor::openingFillsFromTheRow_data()
{
    QTest::addColumn<bool>("use24Hour");
    QTest::addColumn<QString>("startTime");
    QTest::addColumn<QString>("endTime");
    QTest::addColumn<QString>("firstEntry");
    QTest::addColumn<QString>("lastEntry");
    QTest::newRow("12-hour clock") << false << "9:00 AM"
                                   << "1:30 PM"
                                   << "12:00 AM"
                                   << "11:30 PM";
    QTest::newRow("24-hour clock") << true << "09:00"
                                   << "13:30"
                                   << "00:00"
                                   << "23:30";
}

void TestEventEditor::openingFillsFromTheRow()
{
    QFETCH(bool, use24Hour);
    QFETCH(QString, startTime);
    QFETCH(QString, endTime);
    QFETCH(QString, firstEntry);
    QFETCH(QString, lastEntry);

    setOption(30, use24Hour);
    const qint64 no = addItem({{"Subject", "Review"},
                               {"Loc", "Room 4"},
                               {"N", "bring notes"},
                               {"S", wednesday},
                               {"E", wednesday},
                               {"Md", "0"},
                               {"St", QTime(9, 0)},
                               {"Et", QTime(13, 30)},
                               {"T", 5},
                               {"R", true},
                               {"Tr", "2"},
                               {"Tm", "hour(s)"}});
    openItem(no);
    QCOMPARE(m_data->Table50().state(), Cursor::State::Edit);
    QCOMPARE(m_form->subjectBox()->text(), QString("Review"));
    QCOMPARE(m_form->locationBox()->text(), QString("Room 4"));
    QCOMPARE(m_form->notesBox()->toPlainText(), QString("bring notes"));
    QCOMPARE(m_form->startDateBox()->text(), QString("5/8/2024"));
    QCOMPARE(m_form->startTimeBox()->text(), startTime);
    QCOMPARE(m_form->endTimeBox()->text(), endTime);
    QCOMPARE(m_form->leadBox()->text(), QString("2"));
    QCOMPARE(m_form->unitLabel()->text(), QString("hour(s)"));
    QVERIFY(m_form->reminderToggle()->isChecked());
    QVERIFY(m_form->leadBox()->isEnabled());
    QCOMPARE(m_form->typeList()->currentIndex(), 5);
    const QStringList entries = m_form->halfHourPicker()->list()->entries();
    QCOMPARE(entries.size(), 48);
    QCOMPARE(entries.first(), firstEntry);
    QCOMPARE(entries.last(), lastEntry);
    QVERIFY(m_form->dropDownWatcher()->isActive());
}

void TestEventEditor::defaultLeadWhenUnitBlank()
{
    setOption(2, 3);
    const qint64 no =
        addItem({{"S", wednesday}, {"E", wednesday}, {"Md", "0"}, {"St", QTime(9, 0)}, {"Et", QTime(10, 0)}});
    openItem(no);
    QCOMPARE(m_form->leadBox()->text(), QString("15"));
    QCOMPARE(m_form->unitLabel()->text(), QString("minute(s)"));
}

void TestEventEditor::boxesOpeningDoesNotFillKeepTheirText()
{
    const qint64 timed = addItem({{"S", wednesday},
                                  {"E", wednesday},
                                  {"Md", "0"},
                                  {"St", QTime(14, 0)},
                                  {"Et", QTime(15, 0)},
                                  {"Re", true},
                                  {"Ret", "3"},
                                  {"D", "12"},
                                  {"M", "7"}});
    const qint64 allDay = addItem({{"S", wednesday}, {"E", wednesday}, {"Md", "0"}, {"A", true}});
    openItem(timed);
    click(m_form->cancelButton());
    openItem(allDay);
    // An item without times shows the last item's times, and the month list
    // its last month; the day boxes always show `D`, here blank.
    QCOMPARE(m_form->startTimeBox()->text(), QString("2:00 PM"));
    QCOMPARE(m_form->endTimeBox()->text(), QString("3:00 PM"));
    QCOMPARE(m_form->patternArea()->monthList()->currentIndex(), 6);
    QCOMPARE(m_form->patternArea()->monthlyDayBox()->text(), QString());
    QCOMPARE(m_form->patternArea()->choice(), Kind::None);
}

void TestEventEditor::typeListNamesAndChoice()
{
    setOption(32, "Urgent");
    openNew(&TForm3::newAppointment);
    QComboBox *types = m_form->typeList();
    QCOMPARE(types->count(), 11);
    QCOMPARE(types->maxVisibleItems(), 11);
    QCOMPARE(types->itemText(0), QString("Standard"));
    QCOMPARE(types->itemText(1), QString("Urgent"));
    QCOMPARE(types->itemText(10), QString("Phone Call"));
    QCOMPARE(types->itemIcon(2).pixmap(16, 16).toImage().pixelColor(7, 7), QColor(153, 204, 255));

    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
    QTest::keyClick(types, Qt::Key_Down);
    QCOMPARE(m_data->Table50().asInt("T"), 2); // at once, before "OK"
}

void TestEventEditor::reminderToggle()
{
    openNew(&TForm3::newAppointment);
    click(m_form->reminderToggle());
    QVERIFY(m_data->Table50().asBool("R"));
    QVERIFY(m_form->leadBox()->isEnabled());
    QVERIFY(m_form->unitLabel()->isEnabled());
    QVERIFY(m_form->leadListButton()->isEnabled());
    QVERIFY(m_form->leadBox()->hasFocus());
    click(m_form->reminderToggle());
    QVERIFY(!m_data->Table50().asBool("R"));
    QVERIFY(!m_form->leadBox()->isEnabled());
    QVERIFY(!m_form->leadListButton()->isEnabled());
    QVERIFY(m_form->subjectBox()->hasFocus());
}

void TestEventEditor::allDayToggleSwitchOff()
{
    const qint64 no = addItem({{"S", wednesday}, {"E", wednesday}, {"Md", "0"}, {"A", true}});
    openItem(no);
    QVERIFY(!m_form->startTimeBox()->isVisible());
    click(m_form->allDayToggle());
    Cursor &row = m_data->Table50();
    QVERIFY(!row.asBool("A"));
    QVERIFY(m_form->startTimeBox()->isVisible());
    QCOMPARE(row.asTime("St"), QTime(8, 0));
    QCOMPARE(row.asTime("Et"), QTime(8, 30));
    QCOMPARE(m_form->startTimeBox()->text(), QString("8:00 AM"));
    QCOMPARE(m_form->endTimeBox()->text(), QString("8:30 AM"));
    click(m_form->allDayToggle());
    QVERIFY(row.asBool("A"));
    QVERIFY(!m_form->endTimeBox()->isVisible());
}

// --- saving ----------------------------------------------------------------

void TestEventEditor::saveMessagesKeepTheDialogOpen_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("start time no time") << "startTimeBox"
                                        << "noonish"
                                        << "You must specify a valid date and/or time.";
    QTest::newRow("lead abc, reminder off") << "leadBox"
                                            << "abc"
                                            << "The duration you entered is not valid.";
    QTest::newRow("lead 75 minutes") << "leadBox"
                                     << "75"
                                     << "The duration you entered is not valid.";
    QTest::newRow("pattern day box no number, recurring") << "monthlyDayBox"
                                                          << "x"
                                                          << "The recurrence pattern is not valid.";
    QTest::newRow("end before start") << "endTimeBox"
                                      << "7:00 AM"
                                      << "The End time you entered occurs before the Start time";
}

void TestEventEditor::saveMessagesKeepTheDialogOpen()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    // The pattern boxes are read only for a recurring item.
    const bool pattern = box == QLatin1String("monthlyDayBox");
    openNew(pattern ? &TForm3::newRecurringAppointment : &TForm3::newAppointment);
    m_form->findChild<QLineEdit *>(box)->setText(text); // the lead box also while disabled
    click(m_form->okButton());
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().text, message);
    QCOMPARE(m_messages.first().kind, TForm3::MessageKind::Validation);
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_data->Table50().state(), Cursor::State::Insert);
    QCOMPARE(storedCount(), 0);
}

void TestEventEditor::storeRefusalShowsTheStoreText()
{
    openNew(&TForm3::newAppointment);
    // A value the store refuses, as a broken write would leave it.
    m_data->Table50().setValue("T", "many");
    click(m_form->okButton());
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().kind, TForm3::MessageKind::StoreError);
    QVERIFY(m_messages.first().text != QString("The End time you entered occurs before the Start time"));
    QCOMPARE(m_messages.first().text, m_data->Table50().lastError());
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_data->Table50().state(), Cursor::State::Insert);
}

void TestEventEditor::textBeyondCapacityIsKeptAndRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("capacity");
    QTest::newRow("subject") << "Subject"
                             << "subjectBox" << 150;
    QTest::newRow("location") << "Loc"
                              << "locationBox" << 100;
}

// Another program wrote a value longer than the field's capacity. Opening
// the item and pressing "OK" unchanged must neither cut it nor post it.
void TestEventEditor::textBeyondCapacityIsKeptAndRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, box);
    QFETCH(int, capacity);
    const QString longText = QString("x").repeated(capacity - 1) + QString("0123456789");
    m_form.reset();
    m_data.reset();
    {
        const QString path = m_home->path() + "Personal Calendar/Personal Calendar.db";
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        const QString sql = QString("INSERT INTO items (\"%1\", S, E, Md, St, Et) "
                                    "VALUES ('%2', '2024-05-08', '2024-05-08', '0', '09:00:00', '10:00:00')")
                                .arg(field, longText);
        QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    startStore();
    Cursor &all = m_data->table(2);
    all.setFiltered(false);
    all.refresh();
    QCOMPARE(all.recordCount(), 1);
    all.first();
    const qint64 no = all.currentId();

    openItem(no);
    auto *edit = m_form->findChild<QLineEdit *>(box);
    QCOMPARE(edit->text(), longText);
    click(m_form->okButton());
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().kind, TForm3::MessageKind::StoreError);
    QVERIFY2(m_messages.first().text.contains(field) && m_messages.first().text.contains(QString::number(capacity)),
             qPrintable(m_messages.first().text));
    QVERIFY(m_form->isVisible());
    QCOMPARE(edit->text(), longText);
    QCOMPARE(stored(no).asText(field), longText);
    click(m_form->cancelButton());

    // The next item gets the capacity back as its typing limit.
    openNew(&TForm3::newAppointment);
    QCOMPARE(edit->maxLength(), capacity);
}

// An all-day event reopened from the table leaves its hidden time boxes
// empty; a minute lead then reminds at 00:00 of its date.
void TestEventEditor::reopenedAllDayEventWithMinuteLeadSaves()
{
    const qint64 no = addItem({{"Subject", "Holiday"},
                               {"S", wednesday},
                               {"E", wednesday},
                               {"Md", "0"},
                               {"A", true},
                               {"R", true},
                               {"Tr", "15"},
                               {"Tm", "minute(s)"}});
    openItem(no);
    QVERIFY(m_form->startTimeBox()->text().isEmpty());
    click(m_form->okButton());
    QVERIFY2(m_messages.isEmpty(), m_messages.isEmpty() ? "" : qPrintable(m_messages.first().text));
    QVERIFY(!m_form->isVisible());
    Cursor &item = stored(no);
    QCOMPARE(item.asDate("Rs"), wednesday);
    QCOMPARE(item.asTime("Rt"), QTime(0, 0));
    QVERIFY(item.isBlank("St"));
}

void TestEventEditor::itemDeletedUnderTheDialog()
{
    const qint64 first = addItem({{"Subject", "first"},
                                  {"S", wednesday},
                                  {"E", wednesday},
                                  {"Md", "0"},
                                  {"St", QTime(9, 0)},
                                  {"Et", QTime(10, 0)}});
    const qint64 second = addItem({{"Subject", "second"},
                                   {"S", wednesday},
                                   {"E", wednesday},
                                   {"Md", "0"},
                                   {"St", QTime(11, 0)},
                                   {"Et", QTime(12, 0)}});
    openItem(second);
    QVERIFY(stored(second).deleteRow());
    click(m_form->allDayToggle());
    click(m_form->okButton());
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().kind, TForm3::MessageKind::StoreError);
    QVERIFY(m_form->isVisible());
    // The other item got none of the dialog's values.
    QCOMPARE(stored(first).asText("Subject"), QString("first"));
    QVERIFY(!stored(first).asBool("A"));
    click(m_form->cancelButton());
    QVERIFY(!m_form->isVisible());
}

void TestEventEditor::cancelDropsEveryWrite()
{
    const qint64 no = addItem({{"Subject", "Gym"},
                               {"S", wednesday},
                               {"E", wednesday},
                               {"Md", "0"},
                               {"St", QTime(9, 0)},
                               {"Et", QTime(10, 0)},
                               {"T", 1}});
    openItem(no);
    replaceText(m_form->subjectBox(), "Swim");
    click(m_form->reminderToggle());
    click(m_form->recurrenceToggle());
    m_form->typeList()->setFocus();
    QTest::keyClick(m_form->typeList(), Qt::Key_Down);
    click(m_form->cancelButton());
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_data->Table50().state(), Cursor::State::Browse);
    QVERIFY(!m_form->dropDownWatcher()->isActive());
    Cursor &item = stored(no);
    QCOMPARE(item.asText("Subject"), QString("Gym"));
    QCOMPARE(item.asInt("T"), 1);
    QVERIFY(!item.asBool("R"));
    QVERIFY(!item.asBool("Re"));
    QVERIFY(item.isBlank("Ret"));
}

// A snoozed reminder that the user moves or switches off and on is no
// longer the one that was snoozed; a save that leaves it alone keeps the snooze.
void TestEventEditor::movingTheReminderEndsItsSnooze_data()
{
    QTest::addColumn<QString>("lead");
    QTest::addColumn<QString>("startTime");
    QTest::addColumn<bool>("snoozedAfter");
    QTest::newRow("saved unchanged") << "15"
                                     << "9:00 AM" << true;
    QTest::newRow("another lead") << "30"
                                  << "9:00 AM" << false;
    QTest::newRow("another start") << "15"
                                   << "10:00 AM" << false;
}

void TestEventEditor::movingTheReminderEndsItsSnooze()
{
    QFETCH(QString, lead);
    QFETCH(QString, startTime);
    const qint64 no = addItem({{"Subject", "Gym"},
                               {"S", wednesday},
                               {"E", wednesday},
                               {"Md", "0"},
                               {"St", QTime(9, 0)},
                               {"Et", QTime(11, 0)},
                               {"R", true},
                               {"Rs", wednesday},
                               {"Rt", QTime(8, 45)},
                               {"Tr", "15"},
                               {"Tm", "minute(s)"},
                               {"Sno", true},
                               {"Sns", wednesday},
                               {"Sn", QTime(8, 50)}});
    openItem(no);
    replaceText(m_form->leadBox(), lead);
    replaceText(m_form->startTimeBox(), startTime);
    QCOMPARE(saveAndGetNo(), no);
    Cursor &item = stored(no);
    QTEST(item.asBool("Sno"), "snoozedAfter");
    QVERIFY(item.asBool("R"));
}

// How each kind of item is written, and that the occurrence rules then show
// it on the right dates.
void TestEventEditor::savedEncoding_data()
{
    QTest::addColumn<int>("command");      // 0 appointment, 1 all-day, 2 recurring
    QTest::addColumn<bool>("toggleOn");    // switch "Recurence" on in the dialog
    QTest::addColumn<Kind>("choice");      // then pick this choice (None: keep)
    QTest::addColumn<QString>("weekdays"); // "every weekday", or weekday boxes to flip
    QTest::addColumn<QString>("dayBox");
    QTest::addColumn<int>("month"); // month list position, -1 to keep
    QTest::addColumn<QString>("startDate");
    QTest::addColumn<QVariantMap>("expected");
    QTest::addColumn<QList<QDate>>("occursOn");
    QTest::addColumn<QList<QDate>>("notOn");

    const QVariant blank;
    auto flags = [](const QString &days) {
        QVariantMap map;
        for (const QString &day : ItemField::weekdayFlags())
            map[day] = days.contains(day);
        return map;
    };
    auto merge = [](QVariantMap a, const QVariantMap &b) {
        for (auto it = b.cbegin(); it != b.cend(); ++it)
            a[it.key()] = it.value();
        return a;
    };

    QTest::newRow("never recurring appointment")
        << 0 << false << Kind::None << ""
        << "" << -1 << ""
        << QVariantMap {{"Re", false}, {"Ret", blank},   {"Sun", blank},   {"Wed", blank}, {"D", blank},
                        {"M", blank},  {"S", wednesday}, {"E", wednesday}, {"Md", "0"},    {"A", false}}
        << QList<QDate> {wednesday} << QList<QDate> {wednesday.addDays(7)};
    QTest::newRow("never recurring all-day event")
        << 1 << false << Kind::None << ""
        << "" << -1 << "" << QVariantMap {{"Re", false}, {"Ret", blank}, {"Sun", blank}, {"A", true},
                                          {"St", blank}, {"Et", blank},  {"Md", "0"}}
        << QList<QDate> {wednesday} << QList<QDate> {wednesday.addDays(1)};
    QTest::newRow("switched on: weekly proposal, Wednesday 8 May")
        << 0 << true << Kind::None << ""
        << "" << -1 << ""
        << merge(flags("Wed"), {{"Re", true}, {"Ret", "2"}, {"S", wednesday}, {"E", wednesday}, {"Md", "0"}})
        << QList<QDate> {wednesday, QDate(2024, 5, 15), QDate(2024, 6, 5)}
        << QList<QDate> {QDate(2024, 5, 1), QDate(2024, 5, 14)};
    QTest::newRow("weekly, Monday added")
        << 2 << false << Kind::None << "Mon"
        << "" << -1 << "" << merge(flags("Mon Wed"), {{"Re", true}, {"Ret", "2"}})
        << QList<QDate> {QDate(2024, 5, 13), QDate(2024, 5, 15)} << QList<QDate> {QDate(2024, 5, 14)};
    QTest::newRow("daily, every day") << 2 << false << Kind::Daily << ""
                                      << "" << -1 << ""
                                      << merge(flags("Sun Mon Tue Wed Thu Fri Sat"),
                                               {{"Re", true}, {"Ret", "1"}, {"E", wednesday}})
                                      << QList<QDate> {QDate(2024, 5, 11), QDate(2024, 5, 12)}
                                      << QList<QDate> {QDate(2024, 5, 7)};
    QTest::newRow("daily, every weekday")
        << 2 << false << Kind::Daily << "every weekday"
        << "" << -1 << "" << merge(flags("Mon Tue Wed Thu Fri"), {{"Re", true}, {"Ret", "1"}})
        << QList<QDate> {QDate(2024, 5, 10), QDate(2024, 5, 13)}
        << QList<QDate> {QDate(2024, 5, 11), QDate(2024, 5, 12)};
    QTest::newRow("monthly 31 from an April start")
        << 2 << false << Kind::Monthly << ""
        << "31" << -1 << "4/10/2024"
        << merge(flags(""),
                 {{"Re", true},
                  {"Ret", "3"},
                  {"D", "30"},
                  {"M", blank},
                  {"S", QDate(2024, 4, 30)},
                  {"E", QDate(2024, 4, 30)},
                  {"Md", "0"}})
        << QList<QDate> {QDate(2024, 4, 30), QDate(2024, 5, 30), QDate(2024, 6, 30)}
        << QList<QDate> {QDate(2024, 5, 31), QDate(2024, 4, 10)};
    QTest::newRow("monthly 0: the month's last day")
        << 2 << false << Kind::Monthly << ""
        << "0" << -1 << "2/3/2024"
        << merge(flags(""), {{"Re", true}, {"Ret", "3"}, {"D", "29"}, {"S", QDate(2024, 2, 29)}})
        << QList<QDate> {QDate(2024, 3, 29)} << QList<QDate> {QDate(2024, 3, 31)};
    QTest::newRow("yearly March 5 from 20 January 2025")
        << 2 << false << Kind::Yearly << ""
        << "5" << 2 << "1/20/2025"
        << merge(flags(""),
                 {{"Re", true},
                  {"Ret", "4"},
                  {"D", "5"},
                  {"M", "3"},
                  {"S", QDate(2025, 3, 5)},
                  {"E", QDate(2025, 3, 5)},
                  {"Md", "0"}})
        << QList<QDate> {QDate(2025, 3, 5), QDate(2026, 3, 5)} << QList<QDate> {QDate(2025, 4, 5)};
    QTest::newRow("yearly January") << 2 << false << Kind::Yearly << ""
                                    << "14" << 0 << "1/20/2025"
                                    << QVariantMap {{"Ret", "4"}, {"D", "14"}, {"M", "1"}, {"S", QDate(2025, 1, 14)}}
                                    << QList<QDate> {QDate(2026, 1, 14)} << QList<QDate> {QDate(2025, 2, 14)};
}

void TestEventEditor::savedEncoding()
{
    QFETCH(int, command);
    QFETCH(bool, toggleOn);
    QFETCH(Kind, choice);
    QFETCH(QString, weekdays);
    QFETCH(QString, dayBox);
    QFETCH(int, month);
    QFETCH(QString, startDate);
    QFETCH(QVariantMap, expected);
    QFETCH(QList<QDate>, occursOn);
    QFETCH(QList<QDate>, notOn);

    void (TForm3::*commands[])() = {&TForm3::newAppointment, &TForm3::newAllDayEvent, &TForm3::newRecurringAppointment};
    openNew(commands[command]);
    RecurrencePanel *pattern = m_form->patternArea();
    if (toggleOn)
        click(m_form->recurrenceToggle());
    if (!startDate.isEmpty())
        replaceText(m_form->startDateBox(), startDate);
    if (choice != Kind::None)
        click(pattern->choiceButton(choice));
    if (weekdays == QLatin1String("every weekday")) {
        click(pattern->everyWeekdayButton());
    } else {
        const QStringList names = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        for (const QString &day : weekdays.split(' ', Qt::SkipEmptyParts))
            click(pattern->weekdayBox(names.indexOf(day)));
    }
    if (month >= 0)
        pattern->monthList()->setCurrentIndex(month);
    if (!dayBox.isEmpty())
        replaceText(choice == Kind::Yearly ? pattern->yearlyDayBox() : pattern->monthlyDayBox(), dayBox);

    const qint64 no = saveAndGetNo();
    QVERIFY(no != 0);
    Cursor &item = stored(no);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(item.value(it.key()) == it.value(),
                 qPrintable(QString("%1 is %2").arg(it.key(), item.value(it.key()).toString())));

    Cursor &rule = m_data->table(3);
    for (const QDate &date : occursOn) {
        OccurrenceRules::occursOn(rule, date);
        QVERIFY2(rule.locate("No", no), qPrintable(date.toString(Qt::ISODate)));
    }
    for (const QDate &date : notOn) {
        OccurrenceRules::occursOn(rule, date);
        QVERIFY2(!rule.locate("No", no), qPrintable(date.toString(Qt::ISODate)));
    }
}

void TestEventEditor::reopeningShowsThePattern_data()
{
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<Kind>("choice");
    QTest::addColumn<bool>("everyDay");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("day");

    const QVariantMap base {{"S", QDate(2025, 3, 5)}, {"E", QDate(2025, 3, 5)}, {"Md", "0"},
                            {"St", QTime(9, 0)},      {"Et", QTime(9, 30)},     {"Re", true}};
    QVariantMap weekday = base;
    weekday.insert({{"Ret", "1"},
                    {"Sun", false},
                    {"Mon", true},
                    {"Tue", true},
                    {"Wed", true},
                    {"Thu", true},
                    {"Fri", true},
                    {"Sat", false}});
    QVariantMap everyDay = base;
    everyDay.insert({{"Ret", "1"},
                     {"Sun", true},
                     {"Mon", true},
                     {"Tue", true},
                     {"Wed", true},
                     {"Thu", true},
                     {"Fri", true},
                     {"Sat", true}});
    QVariantMap yearly = base;
    yearly.insert({{"Ret", "4"}, {"D", "5"}, {"M", "3"}});
    QTest::newRow("every weekday") << weekday << Kind::Daily << false << -1 << "";
    QTest::newRow("every day") << everyDay << Kind::Daily << true << -1 << "";
    QTest::newRow("yearly March 5") << yearly << Kind::Yearly << false << 2 << "5";
}

void TestEventEditor::reopeningShowsThePattern()
{
    QFETCH(QVariantMap, fields);
    QFETCH(Kind, choice);
    QFETCH(bool, everyDay);
    QFETCH(int, month);
    QFETCH(QString, day);

    openItem(addItem(fields));
    RecurrencePanel *pattern = m_form->patternArea();
    QCOMPARE(pattern->choice(), choice);
    QCOMPARE(pattern->shownPanel(), choice);
    QVERIFY(pattern->isVisible());
    QCOMPARE(m_form->height(), TForm3::recurringHeight);
    if (choice == Kind::Daily) {
        QCOMPARE(pattern->everyDayButton()->isChecked(), everyDay);
        QCOMPARE(pattern->everyWeekdayButton()->isChecked(), !everyDay);
    } else {
        QCOMPARE(pattern->monthList()->currentIndex(), month);
        QCOMPARE(pattern->monthList()->currentText(), QString("March"));
        QCOMPARE(pattern->yearlyDayBox()->text(), day);
    }
}

void TestEventEditor::switchingPatternsKeepsDayAndMonth()
{
    const qint64 no = addItem({{"S", QDate(2025, 3, 5)},
                               {"E", QDate(2025, 3, 5)},
                               {"Md", "0"},
                               {"St", QTime(9, 0)},
                               {"Et", QTime(9, 30)},
                               {"Re", true},
                               {"Ret", "4"},
                               {"D", "5"},
                               {"M", "3"}});
    openItem(no);
    click(m_form->patternArea()->choiceButton(Kind::Weekly));
    QCOMPARE(saveAndGetNo(), no);
    QCOMPARE(stored(no).asText("Ret"), QString("2"));
    QCOMPARE(stored(no).asText("D"), QString("5"));
    QCOMPARE(stored(no).asText("M"), QString("3"));
    QVERIFY(stored(no).asBool("Wed"));

    openItem(no);
    click(m_form->recurrenceToggle());
    QCOMPARE(saveAndGetNo(), no);
    Cursor &item = stored(no);
    QVERIFY(!item.asBool("Re"));
    QVERIFY(item.isBlank("Ret"));
    QVERIFY(!item.asBool("Wed"));
    QCOMPARE(item.asText("D"), QString("5"));
    QCOMPARE(item.asText("M"), QString("3"));
}

void TestEventEditor::weeklyWithNoDayTicked()
{
    openNew(&TForm3::newRecurringAppointment);
    click(m_form->patternArea()->weekdayBox(3)); // the proposed Wednesday, off again
    const qint64 no = saveAndGetNo();
    QVERIFY(no != 0);
    QCOMPARE(stored(no).asText("Ret"), QString("2"));
    for (const QString &day : ItemField::weekdayFlags())
        QVERIFY(!stored(no).asBool(day));
}

// --- pickers ---------------------------------------------------------------

void TestEventEditor::halfHourList()
{
    openNew(&TForm3::newAppointment);
    replaceText(m_form->startTimeBox(), "9:10 AM");
    click(m_form->startListButton());
    HalfHourPicker *picker = m_form->halfHourPicker();
    DropDownList *list = picker->list();
    QVERIFY(list->isVisible());
    QCOMPARE(list->topIndex(), 18);
    QCOMPARE(list->currentIndex(), 18);
    QCOMPARE(list->y(), TForm3::startRowBottom);
    QCOMPARE(list->x(), m_form->startTimeBox()->x());
    QCOMPARE(list->size(), QSize(87, 11 * 15 + 2));
    QVERIFY(m_form->startTimeBox()->hasFocus());

    // Hover selects the entry under the pointer; the strip follows it.
    sendMouse(list, QEvent::MouseMove, QPoint(20, 1 + 3 * 15 + 4));
    QCOMPARE(list->currentIndex(), 21);
    MinuteStrip *strip = picker->strip();
    QCOMPARE(strip->y() + MinuteStrip::gap, list->y() + list->entryTop(21));
    QCOMPARE(strip->x() + strip->width(), list->x());
    QCOMPARE(strip->minuteAt(0), 55);
    QCOMPARE(strip->minuteAt(4), 35);

    sendMouse(list, QEvent::MouseButtonPress, entryPoint(list, 21), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_form->startTimeBox()->text(), QString("10:30 AM"));
    QVERIFY(!list->isVisible());
    QVERIFY(!strip->isVisible());
    // 10:30 is after the end time 8:30, so the end follows.
    QCOMPARE(m_form->endTimeBox()->text(), QString("10:30 AM"));

    // A box that is no time opens the list at the row's own time.
    replaceText(m_form->endTimeBox(), "later");
    click(m_form->endListButton());
    QCOMPARE(list->y(), TForm3::endRowBottom);
    QCOMPARE(list->topIndex(), 17); // `Et` 8:30
}

void TestEventEditor::halfHourListKeepsStartBeforeEnd_data()
{
    QTest::addColumn<bool>("servesEnd");
    QTest::addColumn<QString>("endDate");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("end 7 PM before start 8 PM moves the start") << true << "5/8/2024" << 38 << "7:00 PM"
                                                                << "7:00 PM";
    QTest::newRow("end after start changes nothing") << true << "5/8/2024" << 42 << "8:00 PM"
                                                     << "9:00 PM";
    QTest::newRow("start 9:30 PM after end moves the end") << false << "5/8/2024" << 43 << "9:30 PM"
                                                           << "9:30 PM";
    QTest::newRow("end before start on another date moves the start") << true << "5/9/2024" << 14 << "7:00 AM"
                                                                      << "7:00 AM";
    QTest::newRow("start after end on another date moves the end") << false << "5/9/2024" << 43 << "9:30 PM"
                                                                   << "9:30 PM";
}

void TestEventEditor::halfHourListKeepsStartBeforeEnd()
{
    QFETCH(bool, servesEnd);
    QFETCH(QString, endDate);
    QFETCH(int, entry);
    QFETCH(QString, start);
    QFETCH(QString, end);

    openNew(&TForm3::newAppointment);
    replaceText(m_form->startTimeBox(), "8:00 PM");
    replaceText(m_form->endTimeBox(), "9:00 PM");
    replaceText(m_form->endDateBox(), endDate);
    click(servesEnd ? m_form->endListButton() : m_form->startListButton());
    DropDownList *list = m_form->halfHourPicker()->list();
    list->setTopIndex(entry);
    sendMouse(list, QEvent::MouseButtonPress, entryPoint(list, entry), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_form->startTimeBox()->text(), start);
    QCOMPARE(m_form->endTimeBox()->text(), end);
}

void TestEventEditor::minuteStrip()
{
    setOption(30, true);
    openNew(&TForm3::newAppointment);
    click(m_form->startListButton());
    DropDownList *list = m_form->halfHourPicker()->list();
    MinuteStrip *strip = m_form->halfHourPicker()->strip();
    sendMouse(list, QEvent::MouseMove, entryPoint(list, 18)); // 09:00, a full hour
    QCOMPARE(strip->minuteAt(0), 25);
    QCOMPARE(strip->minuteAt(4), 5);

    const QPoint label1 = strip->labelRect(1).center();
    sendMouse(strip, QEvent::MouseMove, label1);
    QCOMPARE(strip->grab().toImage().pixelColor(label1), MinuteStrip::hoverColor());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(strip, &leave);
    QCOMPARE(strip->grab().toImage().pixelColor(label1), QColor(Qt::white));

    sendMouse(strip, QEvent::MouseButtonPress, label1, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_form->startTimeBox()->text(), QString("09:20"));
    QCOMPARE(m_form->endTimeBox()->text(), QString("08:30")); // no adjustment from the strip
    QVERIFY(!strip->isVisible());
}

void TestEventEditor::calendarDropDown()
{
    setOption(45, 1);
    const qint64 no =
        addItem({{"S", wednesday}, {"E", wednesday}, {"Md", "0"}, {"St", QTime(9, 0)}, {"Et", QTime(10, 0)}});
    openItem(no);
    replaceText(m_form->startDateBox(), "6/1/2024");
    click(m_form->startCalendarButton());
    CalendarDropDown *drop = m_form->calendarDropDown();
    QCalendarWidget *calendar = drop->calendar();
    QVERIFY(drop->isVisible());
    QCOMPARE(drop->y(), TForm3::startRowBottom);
    QCOMPARE(calendar->selectedDate(), wednesday); // the row's date, not the box text
    QCOMPARE(calendar->firstDayOfWeek(), Qt::Monday);

    // A click within the top 48 pixels only navigates.
    QAbstractItemView *days = calendar->findChild<QAbstractItemView *>();
    QWidget *viewport = days->viewport();
    const QPoint dayCell = days->visualRect(days->model()->index(3, 3)).center();
    const int cellTop = viewport->mapTo(drop, dayCell).y();
    QVERIFY2(cellTop > CalendarDropDown::titleZone, "the day cells lie below the title zone");
    const QPoint headerCell = days->visualRect(days->model()->index(0, 3)).center();
    QVERIFY(viewport->mapTo(drop, headerCell).y() <= CalendarDropDown::titleZone);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, headerCell);
    QVERIFY(drop->isVisible());
    QCOMPARE(m_form->startDateBox()->text(), QString("6/1/2024"));
    auto *nextMonth = calendar->findChild<QToolButton *>("qt_calendar_nextmonth");
    QVERIFY(nextMonth->mapTo(drop, QPoint(0, nextMonth->height())).y() <= CalendarDropDown::titleZone);
    QTest::mouseClick(nextMonth, Qt::LeftButton);
    QCOMPARE(calendar->monthShown(), 6);
    QVERIFY(drop->isVisible());
    QCOMPARE(m_form->startDateBox()->text(), QString("6/1/2024"));
    calendar->setCurrentPage(2024, 5);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, dayCell);
    QVERIFY(!drop->isVisible());
    const QDate picked = BoxText::readDate(m_form->startDateBox()->text());
    QVERIFY(picked.isValid());
    QCOMPARE(picked.month(), 5);
    QCOMPARE(m_data->Table50().asDate("S"), picked);

    // "Today" fills the box only.
    click(m_form->endCalendarButton());
    QCOMPARE(drop->y(), TForm3::endRowBottom);
    QTest::mouseClick(drop->todayButton(), Qt::LeftButton);
    QVERIFY(!drop->isVisible());
    QCOMPARE(m_form->endDateBox()->text(), QString("5/20/2024"));
    QCOMPARE(m_data->Table50().asDate("E"), wednesday);
}

void TestEventEditor::leadList()
{
    openNew(&TForm3::newAppointment);
    click(m_form->reminderToggle());
    click(m_form->leadListButton());
    DropDownList *list = m_form->leadList();
    QVERIFY(list->isVisible());
    QCOMPARE(list->y(), TForm3::leadListTop);
    QCOMPARE(list->entries().size(), 17);
    QCOMPARE(list->entries().first(), QString("0 minutes"));
    QCOMPARE(list->entries().last(), QString("14 days"));

    list->setTopIndex(0);
    sendMouse(list, QEvent::MouseMove, entryPoint(list, 5));
    QCOMPARE(list->currentIndex(), 5);
    sendMouse(list, QEvent::MouseButtonPress, entryPoint(list, 5), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(!list->isVisible());
    QCOMPARE(m_form->leadBox()->text(), QString("1"));
    QCOMPARE(m_form->unitLabel()->text(), QString("hour(s)"));

    click(m_form->leadListButton());
    list->setTopIndex(10);
    sendMouse(list, QEvent::MouseButtonPress, entryPoint(list, 15), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_form->leadBox()->text(), QString("7"));
    QCOMPARE(m_form->unitLabel()->text(), QString("day(s)"));
}

void TestEventEditor::dropDownWatcher()
{
    openNew(&TForm3::newAppointment);
    DropDownWatcher *watcher = m_form->dropDownWatcher();
    DropDownList *halfHours = m_form->halfHourPicker()->list();

    click(m_form->startListButton());
    watcher->check();
    QVERIFY(halfHours->isVisible()); // its box has the focus
    m_form->subjectBox()->setFocus();
    watcher->check();
    QVERIFY(!halfHours->isVisible());
    QVERIFY(!m_form->halfHourPicker()->strip()->isVisible());

    click(m_form->startCalendarButton());
    watcher->check();
    QVERIFY(m_form->calendarDropDown()->isVisible());
    m_form->subjectBox()->setFocus();
    watcher->check();
    QVERIFY(!m_form->calendarDropDown()->isVisible());

    click(m_form->reminderToggle());
    click(m_form->leadListButton());
    watcher->check();
    QVERIFY(m_form->leadList()->isVisible());
    m_form->locationBox()->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->leadList()->isVisible(), 1000); // the timer itself

    // A click on the dialog's background closes every picker at once.
    click(m_form->endListButton());
    QVERIFY(halfHours->isVisible());
    QTest::mouseClick(m_form.get(), Qt::LeftButton, {}, QPoint(500, 150));
    QVERIFY(!halfHours->isVisible());
}

// --- after the save --------------------------------------------------------

void TestEventEditor::dayViewFollowUp_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("newStartDate"); // typed before "OK"; empty keeps
    QTest::addColumn<bool>("startsOnShownDate");
    QTest::addColumn<bool>("showing");
    QTest::addColumn<bool>("blockAfter"); // the saved item has a block on the shown date

    QTest::newRow("new item on the shown date") << false << "" << true << true << true;
    QTest::newRow("new item on another date") << false << "5/9/2024" << true << true << false;
    QTest::newRow("existing item moved away") << true << "5/9/2024" << true << true << false;
    QTest::newRow("existing item moved onto the shown date") << true << "5/8/2024" << false << true << true;
    QTest::newRow("existing item staying") << true << "" << true << true << true;
    QTest::newRow("another view is current") << false << "" << true << false << false;
}

// The day view follows the save through the calendar's change notice, as
// the planner wires it: the saved item's block comes, stays or goes.
void TestEventEditor::dayViewFollowUp()
{
    QFETCH(bool, existing);
    QFETCH(QString, newStartDate);
    QFETCH(bool, startsOnShownDate);
    QFETCH(bool, showing);
    QFETCH(bool, blockAfter);

    DayView view(*m_data);
    connect(m_data.get(), &TDataModule2::calendarChanged, &view, &DayView::followCalendarChange);
    view.resize(55 + 401 + 16, 600);
    view.setShownDate(wednesday);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QDate itemDate = startsOnShownDate ? wednesday : QDate(2024, 5, 9);
    qint64 no = 0;
    if (existing)
        no = addItem({{"S", itemDate}, {"E", itemDate}, {"Md", "0"}, {"St", QTime(9, 0)}, {"Et", QTime(10, 0)}});
    view.build();
    view.setShowing(showing);
    QCOMPARE(view.block(no) != nullptr, existing && startsOnShownDate);
    // The editor opens items of other days too (the reminders window's).
    m_data->Table50().setFiltered(false);
    m_form->setDayView(&view);
    const auto restore = qScopeGuard([this] { m_form->setDayView(&m_dayView); });
    if (existing)
        openItem(no);
    else
        openNew(&TForm3::newAppointment);
    if (!newStartDate.isEmpty()) {
        replaceText(m_form->startDateBox(), newStartDate);
        replaceText(m_form->endDateBox(), newStartDate);
    }
    // Building the day anew re-filters the editor's cursor: an existing
    // item is known by its number.
    const qint64 savedNew = saveAndGetNo();
    const qint64 saved = existing ? no : savedNew;
    QVERIFY(!m_form->isVisible());
    QVERIFY(saved != 0);
    QCOMPARE(view.block(saved) != nullptr, blockAfter);
    QVERIFY(!m_form->dropDownWatcher()->isActive());
}

void TestEventEditor::endToEndNewEventOnTheDayView()
{
    DayView view(*m_data);
    connect(m_data.get(), &TDataModule2::calendarChanged, &view, &DayView::followCalendarChange);
    view.resize(55 + 401 + 16, 600);
    view.setShownDate(wednesday);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.build();
    m_form->setDayView(&view);

    // Drag over the rows 09:00 to 09:59.
    QWidget *grid = view.grid();
    sendMouse(grid, QEvent::MouseButtonPress, QPoint(10, 19 * 18 + 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseMove, QPoint(10, 19 * 19 + 5), Qt::NoButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseButtonRelease, QPoint(10, 19 * 19 + 5), Qt::LeftButton, Qt::NoButton);

    openNew(&TForm3::newAppointment); // "New Event"

    QCOMPARE(m_form->startTimeBox()->text(), QString("9:00 AM"));
    QCOMPARE(m_form->endTimeBox()->text(), QString("10:00 AM"));

    m_form->subjectBox()->setFocus();
    QTest::keyClicks(m_form->subjectBox(), "Dentist");
    m_form->typeList()->setFocus();
    QTest::keyClick(m_form->typeList(), Qt::Key_Down);
    QTest::keyClick(m_form->typeList(), Qt::Key_Down); // "Business"
    click(m_form->reminderToggle());
    click(m_form->leadListButton());
    DropDownList *leads = m_form->leadList();
    leads->setTopIndex(0);
    sendMouse(leads, QEvent::MouseButtonPress, entryPoint(leads, 3), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_form->leadBox()->text(), QString("15"));
    click(m_form->okButton());
    QVERIFY(m_messages.isEmpty());
    QVERIFY(!m_form->isVisible());

    const qint64 no = m_data->Table50().currentId();
    Cursor &item = stored(no);
    QCOMPARE(item.asText("Subject"), QString("Dentist"));
    QCOMPARE(item.asInt("T"), 2);
    QVERIFY(item.asBool("R"));
    QCOMPARE(item.asDate("Rs"), wednesday);
    QCOMPARE(item.asTime("Rt"), QTime(8, 45));
    QCOMPARE(item.asText("Tr"), QString("15"));
    QCOMPARE(item.asText("Tm"), QString("minute(s)"));

    DayBlock *block = view.block(no);
    QVERIFY(block);
    QCOMPARE(block->color(), TypeColors::color(2));
    QCOMPARE(block->marker(), Marker::Reminder);
    QCOMPARE(block->extent().top(), 38 * 9 - 1);
    QCOMPARE(block->extent().height(), 38);
    QVERIFY(block->label().endsWith("Dentist"));
    const QImage picture = view.grid()->grab(block->area()).toImage();
    QCOMPARE(picture.pixelColor(block->width() - 6, block->height() - 5), TypeColors::color(2));
}

QTEST_MAIN(TestEventEditor)
#include "test_eventeditor.moc"
