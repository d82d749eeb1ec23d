// The reminders window on a real calendar: layout, header, the list,
// Dismiss, Snooze, Open Item, the alarm with and without sound, and the
// catch-up rows.

#include "tests/reminders/ReminderFixture.h"
#include "reminders/ReminderList.h"
#include "reminders/ReminderScanner.h"
#include "reminders/ReminderSound.h"
#include "reminders/Unit6.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

namespace {

const QDate monday(2024, 5, 20);

QDateTime at(const QDate &date, int h, int m, int s = 0)
{
    return QDateTime(date, QTime(h, m, s));
}

} // namespace

class TestReminderWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowAndLayout();
    void showingPreselectsTheDefaultSnooze();
    void headerFollowsTheCurrentRow();
    void selectedRowIsPainted();
    void dismiss_data();
    void dismiss();
    void dismissActsOnOneOccurrence();
    void snoozeActsOnOneOccurrence();
    void deleteKeys();
    void snoozeAcrossMidnightReturnsTomorrow();
    void snoozeAmountOutOfRangeWritesNothing();
    void openItemOnAnAppointment();
    void openItemOnATask();
    void alarmShowsTheWindow_data();
    void alarmShowsTheWindow();
    void unplayableSoundIsReportedOnceAMinute();
    void noAudioDeviceNoMessage();
    void alarmWithAMissingSoundSaysSo_data();
    void alarmWithAMissingSoundSaysSo();
    void freshDataRootGetsTheChime();
    void missedRowsShowTheirDate();
    void closingOnlyHides();

private:
    void makeForm();
    qint64 dueNow(const QString &subject, const QTime &start, const QString &location = QString());

    std::unique_ptr<ReminderFixture> m_fixture;
    std::unique_ptr<TForm6> m_form;
    QStringList m_messages;
    bool m_device = false;
};

void TestReminderWindow::initTestCase()
{
    pinTestLocale();
}

void TestReminderWindow::init()
{
    Clock::setNowForTesting(at(monday, 14, 10));
    m_fixture = std::make_unique<ReminderFixture>();
    m_fixture->setOption(30, false);
    m_fixture->setOption(21, false);
    m_fixture->setOption(3, 1);
    m_messages.clear();
    m_device = false;
}

void TestReminderWindow::makeForm()
{
    m_form = std::make_unique<TForm6>(m_fixture->data());
    m_form->setMessageSink([this](const QString &text) { m_messages << text; });
    m_form->sound().setDeviceCheck([this] { return m_device; });
    m_form->start();
}

void TestReminderWindow::cleanup()
{
    m_form.reset();
    m_fixture.reset();
    Clock::setNowForTesting({});
}

qint64 TestReminderWindow::dueNow(const QString &subject, const QTime &start, const QString &location)
{
    return m_fixture->add(with(oneOff(subject, monday, start), {{"Loc", location}, {"Rt", start.addSecs(-900)}}));
}

void TestReminderWindow::windowAndLayout()
{
    makeForm();
    m_form->showReminders();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(m_form->windowTitle(), QString("Reminders"));
    QCOMPARE(m_form->size(), QSize(519, 334));
    QVERIFY(m_form->isWindow());
    QVERIFY(!m_form->parentWidget()); // a taskbar entry of its own
    QVERIFY(m_form->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_form->dismissButton()->geometry(), QRect(296, 240, 89, 25));
    QCOMPARE(m_form->openButton()->geometry(), QRect(416, 240, 89, 25));
    QCOMPARE(m_form->snoozeButton()->geometry(), QRect(416, 296, 89, 25));
    QCOMPARE(m_form->snoozeButton()->text(), QString("Snooze"));
    QCOMPARE(m_form->amountBox()->geometry().topLeft(), QPoint(16, 296));
    QCOMPARE(m_form->amountBox()->width(), 33);
    QCOMPARE(m_form->subjectLabel()->geometry(), QRect(32, 8, 473, 17));
    QVERIFY(m_form->subjectLabel()->font().bold());
    QCOMPARE(m_form->list()->parentWidget()->geometry(), QRect(8, 80, 497, 153));
    QVERIFY(m_form->snoozeButton()->hasFocus());
    QVERIFY(m_form->timer()->isActive());
    QCOMPARE(m_form->timer()->interval(), 10000);
    QVERIFY(!m_form->windowIcon().isNull());
    QList<QLabel *> labels = m_form->findChildren<QLabel *>();
    QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [](QLabel *label) {
        return label->text() == "Click Snooze to be reminded again in:" && label->pos() == QPoint(16, 272);
    }));
}

void TestReminderWindow::showingPreselectsTheDefaultSnooze()
{
    m_fixture->setOption(3, 6); // "2 hours"
    makeForm();
    m_form->showReminders();
    QCOMPARE(m_form->amountBox()->text(), QString("2"));
    QCOMPARE(m_form->unitLabel()->text(), QString("hour(s)"));

    // A choice from the lead list, then a typed amount: the unit stays.
    m_form->leadListButton()->click();
    QTRY_VERIFY(m_form->leadList()->isVisible());
    m_form->leadList()->actions().at(14)->trigger();
    m_form->leadList()->hide();
    QCOMPARE(m_form->amountBox()->text(), QString("3"));
    QCOMPARE(m_form->unitLabel()->text(), QString("day(s)"));
    QCOMPARE(m_form->focusWidget(), m_form->amountBox());

    m_form->hide();
    m_form->showReminders();
    QCOMPARE(m_form->amountBox()->text(), QString("2"));
    QCOMPARE(m_form->unitLabel()->text(), QString("hour(s)"));
}

void TestReminderWindow::headerFollowsTheCurrentRow()
{
    dueNow("Dentist", QTime(16, 45), "Main Street 4");
    m_fixture->add(with(oneOff("File taxes", monday, QTime(9, 0)), {{"Ta", true}, {"S", QVariant()}}));
    makeForm();
    m_form->showReminders();

    QCOMPARE(m_form->subjectLabel()->text(), QString("Dentist"));
    QCOMPARE(m_form->timeLine()->text(), QString("Start time: Monday, May 20, 2024 4:45 PM"));
    QVERIFY(m_form->locationCaption()->isVisible());
    QCOMPARE(m_form->locationLabel()->text(), QString("Main Street 4"));
    QVERIFY(m_form->itemIcon()->isVisible());
    QCOMPARE(m_form->list()->rows().size(), 2);
    QCOMPARE(m_form->dueText(m_form->list()->rows().at(0)), QString("2 hours"));
    QCOMPARE(m_form->dueText(m_form->list()->rows().at(1)), QString("5 hours overdue"));

    // A click on the task makes it current.
    QTest::mouseClick(m_form->list()->viewport(), Qt::LeftButton, {}, QPoint(100, 18 + 9));
    QCOMPARE(m_form->subjectLabel()->text(), QString("File taxes"));
    QCOMPARE(m_form->timeLine()->text(), QString("Due: Monday, May 20, 2024 9:00 AM"));
    QVERIFY(!m_form->locationCaption()->isVisible());
    QCOMPARE(m_form->list()->currentRow(), 1);

    // A released key re-queries: the first due item is current again.
    QTest::keyClick(m_form->list(), Qt::Key_Up);
    QCOMPARE(m_form->list()->currentRow(), 0);
    QTest::keyClick(m_form->list(), Qt::Key_Down);
    QCOMPARE(m_form->list()->currentRow(), 0);
    QCOMPARE(m_form->subjectLabel()->text(), QString("Dentist"));

    // Both dismissed: an empty header.
    m_form->dismiss();
    m_form->dismiss();
    QCOMPARE(m_form->list()->rows().size(), 0);
    QVERIFY(!m_form->itemIcon()->isVisible());
    QVERIFY(!m_form->locationCaption()->isVisible());
    QCOMPARE(m_form->timeLine()->text(), QString());
}

void TestReminderWindow::selectedRowIsPainted()
{
    dueNow("First", QTime(15, 0));
    dueNow("Second", QTime(15, 30));
    makeForm();
    m_form->showReminders();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const QImage picture = m_form->list()->viewport()->grab().toImage();
    QCOMPARE(picture.pixelColor(200, 2), QColor(49, 106, 197));   // row 0, current
    QCOMPARE(picture.pixelColor(200, 18 + 2), QColor(Qt::white)); // row 1
    QCOMPARE(picture.pixelColor(200, 3 * 18), QColor(Qt::white)); // below the rows
}

void TestReminderWindow::dismiss_data()
{
    QTest::addColumn<QVariantMap>("item");
    QTest::addColumn<bool>("reminderAfter");
    QTest::addColumn<QDate>("dismissedOn");

    QTest::newRow("one-off: reminder off") << oneOff("Dentist", monday, QTime(16, 0)) << false << QDate();
    QTest::newRow("recurring: dismissed for today")
        << daily("Pills", monday.addDays(-3), QTime(16, 0)) << true << monday;
    QTest::newRow("snoozed recurring: the snooze goes too")
        << with(daily("Pills", monday.addDays(-3), QTime(9, 0)),
                {{"Sno", true}, {"Sns", monday}, {"Sn", QTime(14, 0)}, {"Di", monday}})
        << true << monday;
    QTest::newRow("extended series: dismissed for today")
        << extendedSeries("Fortnightly", "FREQ=WEEKLY;INTERVAL=2", monday.addDays(-13), QTime(10, 0), 1, QTime(16, 0))
        << true << monday;
    QTest::newRow("snoozed one-off: off, snooze gone")
        << with(oneOff("Dentist", monday, QTime(11, 0)), {{"Sno", true}, {"Sns", monday}, {"Sn", QTime(14, 0)}})
        << false << QDate();
}

void TestReminderWindow::dismiss()
{
    QFETCH(QVariantMap, item);
    const qint64 no = m_fixture->add(item);
    makeForm();
    QCOMPARE(m_fixture->listed().size(), 1);
    m_form->dismissButton()->click();
    QCOMPARE(m_fixture->listed(), QStringList());
    Cursor &row = m_fixture->stored(no);
    QTEST(row.asBool("R"), "reminderAfter");
    QTEST(row.asDate("Di"), "dismissedOn");
    QVERIFY(!row.asBool("Sno"));
    // Nor does it come back later today.
    Clock::setNowForTesting(at(monday, 23, 59));
    m_form->Timer1Timer();
    QCOMPARE(m_fixture->listed(), QStringList());
}

// A fortnightly series on Tuesdays reminding the Monday before: Dismiss on
// one Monday leaves the Monday two weeks on, the week between stays empty.
void TestReminderWindow::dismissActsOnOneOccurrence()
{
    const qint64 no = m_fixture->add(
        extendedSeries("Fortnightly", "FREQ=WEEKLY;INTERVAL=2", monday.addDays(-13), QTime(10, 0), 1, QTime(16, 0)));
    makeForm();
    QCOMPARE(m_fixture->listed(), QStringList {"Fortnightly"});
    m_form->dismissButton()->click();
    QCOMPARE(m_fixture->stored(no).asDate("Di"), monday);
    Clock::setNowForTesting(at(monday.addDays(7), 14, 10));
    m_form->Timer1Timer();
    QCOMPARE(m_fixture->listed(), QStringList());
    Clock::setNowForTesting(at(monday.addDays(14), 14, 10));
    m_form->Timer1Timer();
    QCOMPARE(m_fixture->listed(), QStringList {"Fortnightly"});
}

// The same series snoozed on one Monday: it comes back at the snooze time
// that day, not in the week between, and rings again two weeks on.
void TestReminderWindow::snoozeActsOnOneOccurrence()
{
    const qint64 no = m_fixture->add(
        extendedSeries("Fortnightly", "FREQ=WEEKLY;INTERVAL=2", monday.addDays(-13), QTime(10, 0), 1, QTime(16, 0)));
    makeForm();
    m_form->showReminders();
    m_form->chooseSnoozeLead(1); // 5 minutes
    m_form->snoozeButton()->click();
    QCOMPARE(m_fixture->stored(no).asTime("Sn"), QTime(14, 15));
    QCOMPARE(m_fixture->listed(), QStringList());

    m_form->hide();
    QSignalSpy alarms(&m_form->scanner(), &ReminderScanner::alarmRaised);
    Clock::setNowForTesting(at(monday, 14, 15, 5));
    m_form->Timer1Timer();
    QCOMPARE(alarms.count(), 1);
    QCOMPARE(m_fixture->listed(), QStringList {"Fortnightly"});
    m_form->hide();
    Clock::setNowForTesting(at(monday.addDays(7), 16, 0, 5));
    m_form->Timer1Timer();
    QCOMPARE(m_fixture->listed(), QStringList());
    m_form->hide();
    Clock::setNowForTesting(at(monday.addDays(14), 16, 0, 5));
    m_form->Timer1Timer();
    QCOMPARE(alarms.count(), 2);
    QCOMPARE(m_fixture->listed(), QStringList {"Fortnightly"});
}

void TestReminderWindow::deleteKeys()
{
    const qint64 no = dueNow("Dentist", QTime(16, 0));
    makeForm();
    m_form->showReminders();
    QTest::keyClick(m_form->list(), Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(m_fixture->stored(no).asBool("R"));
    QCOMPARE(m_fixture->listed().size(), 1);
    QTest::keyClick(m_form->list(), Qt::Key_Delete);
    QVERIFY(!m_fixture->stored(no).asBool("R"));
    QCOMPARE(m_fixture->listed().size(), 0);
}

void TestReminderWindow::snoozeAcrossMidnightReturnsTomorrow()
{
    Clock::setNowForTesting(at(monday, 23, 58, 40));
    const qint64 no = dueNow("Late call", QTime(23, 59));
    makeForm();
    m_form->showReminders();
    m_form->chooseSnoozeLead(1); // 5 minutes
    m_form->snoozeButton()->click();

    Cursor &row = m_fixture->stored(no);
    QVERIFY(row.asBool("Sno"));
    QCOMPARE(row.asTime("Sn"), QTime(0, 3));
    QCOMPARE(row.asDate("Sns"), monday.addDays(1));
    QCOMPARE(row.asDate("Di"), monday);
    QCOMPARE(m_fixture->listed(), QStringList());

    m_form->hide();
    QSignalSpy alarms(&m_form->scanner(), &ReminderScanner::alarmRaised);
    Clock::setNowForTesting(at(monday.addDays(1), 0, 2, 55));
    m_form->Timer1Timer();
    QCOMPARE(alarms.count(), 0);
    Clock::setNowForTesting(at(monday.addDays(1), 0, 3, 5));
    m_form->Timer1Timer();
    QCOMPARE(alarms.count(), 1);
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_fixture->listed(), QStringList {"Late call"});
}

void TestReminderWindow::snoozeAmountOutOfRangeWritesNothing()
{
    const qint64 no = dueNow("Dentist", QTime(16, 0));
    makeForm();
    m_form->showReminders();
    m_form->chooseSnoozeLead(2); // minutes
    m_form->amountBox()->setText("75");
    m_form->snoozeButton()->click();
    QCOMPARE(m_messages, QStringList {"Enter a whole number of minutes from 0 to 59."});
    QVERIFY(!m_fixture->stored(no).asBool("Sno"));
    QVERIFY(m_fixture->stored(no).isBlank("Sn"));
    QCOMPARE(m_fixture->listed(), QStringList {"Dentist"});

    m_form->chooseSnoozeLead(13); // 2 days
    m_form->snoozeButton()->click();
    QCOMPARE(m_fixture->stored(no).asDate("Sns"), monday.addDays(2));
    QCOMPARE(m_fixture->stored(no).asTime("Sn"), QTime(14, 10));
}

void TestReminderWindow::openItemOnAnAppointment()
{
    m_fixture->add(with(oneOff("A task", monday, QTime(9, 0)), {{"Ta", true}}));
    const qint64 no = dueNow("Dentist", QTime(16, 0));
    makeForm();
    m_form->showReminders();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->list()->rowChosen(1);
    QSignalSpy events(m_form.get(), &TForm6::openEventRequested);
    QSignalSpy tasks(m_form.get(), &TForm6::openTaskRequested);
    m_form->openButton()->click();
    QCOMPARE(events.count(), 1);
    QCOMPARE(events.at(0).at(0).toLongLong(), no);
    QCOMPARE(tasks.count(), 0);
    QVERIFY(m_form->isMinimized());
    Cursor &editCursor = m_fixture->data().Table50();
    QCOMPARE(editCursor.currentId(), no);
    QCOMPARE(editCursor.filter(), m_fixture->data().Table48().filter());
    QVERIFY(editCursor.filtered());
}

void TestReminderWindow::openItemOnATask()
{
    const qint64 no = m_fixture->add(with(oneOff("A task", monday, QTime(9, 0)), {{"Ta", true}}));
    makeForm();
    m_form->showReminders();
    // No task editor listens yet: nothing happens.
    m_form->openButton()->click();
    QVERIFY(!m_form->isMinimized());
    QCOMPARE(m_fixture->data().Table47().filter(), QString());

    QSignalSpy events(m_form.get(), &TForm6::openEventRequested);
    QSignalSpy tasks(m_form.get(), &TForm6::openTaskRequested);
    m_form->openButton()->click();
    QCOMPARE(tasks.count(), 1);
    QCOMPARE(tasks.at(0).at(0).toLongLong(), no);
    QCOMPARE(events.count(), 0);
    QCOMPARE(m_fixture->data().Table47().filter(), QString("Ta='True'"));
    QCOMPARE(m_fixture->data().Table47().currentId(), no);

    // An empty list opens nothing.
    m_form->dismiss();
    m_form->openButton()->click();
    QCOMPARE(tasks.count(), 1);
}

void TestReminderWindow::alarmShowsTheWindow_data()
{
    QTest::addColumn<bool>("soundOn");
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<int>("plays");
    QTest::newRow("sound on, hidden window") << true << false << 1;
    QTest::newRow("sound off: the window without a sound") << false << false << 0;
    QTest::newRow("minimised window is restored") << true << true << 1;
}

void TestReminderWindow::alarmShowsTheWindow()
{
    QFETCH(bool, soundOn);
    QFETCH(bool, minimised);
    m_fixture->setOption(21, soundOn);
    m_fixture->add(oneOff("Dentist", monday, QTime(14, 30)));
    m_device = true;
    makeForm();
    if (minimised) {
        m_form->showMinimized();
        QVERIFY(m_form->isMinimized());
    }
    Clock::setNowForTesting(at(monday, 14, 30, 3));
    m_form->Timer1Timer();
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_form->isMinimized());
    QTEST(m_form->sound().playsStarted(), "plays");
    Clock::setNowForTesting(at(monday, 14, 30, 13));
    m_form->Timer1Timer();
    QTEST(m_form->sound().playsStarted(), "plays");
}

void TestReminderWindow::unplayableSoundIsReportedOnceAMinute()
{
    m_fixture->setOption(21, true);
    m_fixture->setOption(22, m_fixture->home() + "no such sound.wav");
    m_device = true;
    makeForm();
    m_form->sound().play(m_fixture->data().options().textField(22));
    m_form->sound().play(m_fixture->data().options().textField(22));
    QTRY_COMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.first().startsWith("The reminder sound " + m_fixture->home()
                                          + "no such sound.wav cannot be played"));
    Clock::setNowForTesting(at(monday, 14, 11, 1));
    m_form->sound().play(m_fixture->data().options().textField(22));
    QTRY_COMPARE(m_messages.size(), 2);

    // A file that is no wave at all.
    const QString junk = m_fixture->home() + "junk.wav";
    QFile file(junk);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a sound");
    file.close();
    Clock::setNowForTesting(at(monday, 14, 12, 2));
    m_form->sound().play(junk);
    QTRY_COMPARE(m_messages.size(), 3);
    QCOMPARE(m_messages.last(), "The reminder sound " + junk + " cannot be played: it is not a wave file.");
}

void TestReminderWindow::noAudioDeviceNoMessage()
{
    // The bundled chime is a good file: without a device it is simply not
    // heard, and nothing is said about it.
    m_fixture->setOption(21, true);
    m_fixture->add(oneOff("Dentist", monday, QTime(14, 30)));
    makeForm();
    QVERIFY(QFile::exists(m_fixture->data().options().textField(22)));
    Clock::setNowForTesting(at(monday, 14, 30, 3));
    m_form->Timer1Timer();
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->sound().playsStarted(), 0);
    QTest::qWait(50);
    QCOMPARE(m_messages, QStringList());
}

void TestReminderWindow::alarmWithAMissingSoundSaysSo_data()
{
    QTest::addColumn<bool>("device");
    QTest::newRow("with an audio device") << true;
    QTest::newRow("without an audio device") << false;
}

// "Play sound file" on and a path that names nothing: every alarm minute
// says so once, whether or not anything could be heard.
void TestReminderWindow::alarmWithAMissingSoundSaysSo()
{
    QFETCH(bool, device);
    const QString missing = m_fixture->home() + "gone/chime.wav";
    m_fixture->setOption(21, true);
    m_fixture->setOption(22, missing);
    m_fixture->add(oneOff("Dentist", monday, QTime(14, 30)));
    m_fixture->add(oneOff("Call Anna", monday, QTime(14, 31)));
    m_device = device;
    makeForm();

    Clock::setNowForTesting(at(monday, 14, 30, 3));
    m_form->Timer1Timer();
    QVERIFY(m_form->isVisible());
    QTRY_COMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first(),
             "The reminder sound " + missing + " cannot be played: the file does not exist or cannot be read.");
    Clock::setNowForTesting(at(monday, 14, 30, 13));
    m_form->Timer1Timer();
    QTest::qWait(50);
    QCOMPARE(m_messages.size(), 1);

    // The next alarm, eleven seconds later but in the next minute.
    m_form->hide();
    Clock::setNowForTesting(at(monday, 14, 31, 0));
    m_form->Timer1Timer();
    QVERIFY(m_form->isVisible());
    QTRY_COMPARE(m_messages.size(), 2);
    QCOMPARE(m_form->sound().playsStarted(), 0);
}

void TestReminderWindow::freshDataRootGetsTheChime()
{
    const QString path = m_fixture->home() + "daybrook1.wav";
    QCOMPARE(m_fixture->data().options().textField(22), path);
    QVERIFY(!QFile::exists(path));
    makeForm();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(4) == "RIFF");
    QVERIFY(file.size() > 10000);
}

void TestReminderWindow::missedRowsShowTheirDate()
{
    m_fixture->setOption(ReminderScanner::lastScanField, "2024-05-19T08:00:00");
    m_fixture->add(oneOff("Yesterday", monday.addDays(-1), QTime(16, 0)));
    m_fixture->add(oneOff("This morning", monday, QTime(9, 0)));
    makeForm();
    QVERIFY(m_form->isVisible()); // the catch-up raised the alarm
    const QList<ReminderRow> rows = m_form->list()->rows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(m_form->dueText(rows.at(0)), QString("overdue since 5/19/2024"));
    QCOMPARE(m_form->dueText(rows.at(1)), QString("5 hours overdue"));
    m_form->dismiss();
    QCOMPARE(m_fixture->listed(), QStringList {"This morning"});
}

void TestReminderWindow::closingOnlyHides()
{
    makeForm();
    m_form->showReminders();
    QVERIFY(m_form->close() || !m_form->isVisible());
    QVERIFY(!m_form->isVisible());
    QVERIFY(m_form->timer()->isActive());
}

QTEST_MAIN(TestReminderWindow)
#include "test_reminderwindow.moc"
