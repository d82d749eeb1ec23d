// The planner as main() wires it, with another program writing its calendar
// file: rows inserted, changed and deleted through a second SQLite
// connection show in the day, week and month views and in the task pad,
// and a reminder it writes rings at its minute, all without a user action.

#include "store/Clock.h"
#include "store/Cursor.h"
#include "views/DayBlock.h"
#include "views/DayView.h"
#include "resources/DaybrookResources.h"
#include "app/PlannerProgram.h"
#include "reminders/ReminderScanner.h"
#include "app/Subsystems.h"
#include "editors/TaskList.h"
#include "editors/TaskPad.h"
#include "tests/support/OutsideProgram.h"
#include "tests/support/TestSupport.h"
#include "app/Unit1.h"
#include "store/Unit2.h"
#include "reminders/Unit6.h"
#include "views/ItemCellList.h"
#include "views/MonthView.h"
#include "views/WeekView.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

namespace {

const QDate today(2025, 3, 12); // a Wednesday
// Another program's commit shows in the window within this time.
constexpr int noticeMilliseconds = 2000;

QStringList blockSubjects(DayView *day)
{
    QStringList subjects;
    for (DayBlock *block : day->blocks())
        subjects << block->label().section(' ', 1, -1); // after the times
    subjects.sort();
    return subjects;
}

QStringList taskSubjects(TaskPad *pad)
{
    QStringList subjects;
    for (const TaskRow &row : pad->list()->rows())
        subjects << row.subject;
    return subjects;
}

QStringList cursorSubjects(Cursor &cursor)
{
    QStringList subjects;
    const qint64 current = cursor.currentId();
    for (cursor.first(); !cursor.eof(); cursor.next())
        subjects << cursor.asText("Subject");
    if (current != 0)
        cursor.locate("No", current);
    return subjects;
}

TForm6 *remindersWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<TForm6 *>(widget))
            return window;
    }
    return nullptr;
}

} // namespace

class OutsideChangesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void anotherProgramsWritesShowEverywhere();
};

void OutsideChangesTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
}

void OutsideChangesTest::anotherProgramsWritesShowEverywhere()
{
    Clock::setNowForTesting(QDateTime(today, QTime(8, 0, 5)));
    TempHome home;
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QStringList messages;
    PlannerProgram::Settings settings;
    settings.root = DataRoot(home.path());
    settings.trayAvailable = [] { return false; };
    settings.showMessage = [&messages](const QString &text) { messages << text; };
    PlannerProgram program(std::move(settings));
    installSubsystems(program);
    const Outcome started = program.start();
    QVERIFY2(started, qPrintable(started.error()));

    TForm1 &window = program.mainWindow();
    window.resize(1000, 1100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showView(TForm1::View::Day);
    window.pickDate(today);
    auto *day = qobject_cast<DayView *>(window.viewWidget(TForm1::View::Day));
    auto *pad = window.findChild<TaskPad *>();
    TForm6 *reminders = remindersWindow();
    QVERIFY(day && pad && reminders);
    QVERIFY(!reminders->isVisible());
    TDataModule2 &store = program.dataModule();
    const QString calendar = store.table(1).filePath();

    // A selected block keeps its selection through another program's change.
    QVERIFY(runOutside(calendar,
                       "INSERT INTO items (Subject, S, E, Md, St, Et, T, R, Re, Ta) VALUES "
                       "('Standup', '2025-03-12', '2025-03-12', '0', '09:00:00', '09:30:00', 0, 0, 0, 0)"));
    QTRY_COMPARE_WITH_TIMEOUT(blockSubjects(day), QStringList {"Standup"}, noticeMilliseconds);

    // Inserted: an appointment, a task and an item whose reminder is due
    // in the next minute.
    QVERIFY(runOutside(calendar,
                       "INSERT INTO items (Subject, S, E, Md, St, Et, T, R, Re, Ta) VALUES "
                       "('Lunch', '2025-03-12', '2025-03-12', '0', '12:00:00', '13:00:00', 0, 0, 0, 0);"
                       "INSERT INTO items (Subject, Ta, C, P) VALUES ('Call the bank', 1, 0, 'Normal');"
                       "INSERT INTO items (Subject, S, E, Md, St, Et, T, R, Rs, Rt, Re, Ta) VALUES "
                       "('Dentist', '2025-03-12', '2025-03-12', '0', '08:15:00', '09:00:00', 0, 1, "
                       "'2025-03-12', '08:01:00', 0, 0)"));
    QTRY_COMPARE_WITH_TIMEOUT(blockSubjects(day).size(), 3, noticeMilliseconds);
    QCOMPARE(blockSubjects(day), (QStringList {"Dentist", "Lunch", "Standup"}));
    QCOMPARE(taskSubjects(pad), QStringList {"Call the bank"});
    QVERIFY(cursorSubjects(store.Table48()).contains("Dentist"));

    // The reminder rings at its minute, by the reminders window's own timer.
    Clock::setNowForTesting(QDateTime(today, QTime(8, 1, 2)));
    QTRY_VERIFY_WITH_TIMEOUT(reminders->isVisible(), TForm6::tickMilliseconds + 2000);
    QCOMPARE(reminders->subjectLabel()->text(), QString("Dentist"));
    reminders->hide();

    // Changed and deleted, in the week view.
    window.showView(TForm1::View::Week);
    Cursor &wednesday = store.table(3);
    QCOMPARE(cursorSubjects(wednesday).size(), 3); // Standup, Dentist, Lunch
    QVERIFY(runOutside(calendar,
                       "UPDATE items SET Subject = 'Lunch with Ann' WHERE Subject = 'Lunch';"
                       "UPDATE items SET C = 1, Subject = 'Called the bank' WHERE Subject = 'Call the bank';"
                       "DELETE FROM items WHERE Subject = 'Standup'"));
    QTRY_VERIFY_WITH_TIMEOUT(cursorSubjects(wednesday).contains("Lunch with Ann"), noticeMilliseconds);
    QVERIFY(!cursorSubjects(wednesday).contains("Standup"));
    auto *week = qobject_cast<WeekView *>(window.viewWidget(TForm1::View::Week));
    QVERIFY(week);
    QCOMPARE(week->cell(2)->rowCount(), 2); // Dentist, Lunch with Ann
    QCOMPARE(taskSubjects(pad), QStringList {"Called the bank"});
    QVERIFY(pad->list()->rows().front().completed);

    // And the month view: 12 March is the 17th cell from Monday 24 February.
    window.showView(TForm1::View::Month);
    Cursor &twelfth = store.table(17);
    QVERIFY(runOutside(calendar, "DELETE FROM items WHERE Subject = 'Dentist'"));
    QTRY_VERIFY_WITH_TIMEOUT(!cursorSubjects(twelfth).contains("Dentist"), noticeMilliseconds);
    QVERIFY(cursorSubjects(twelfth).contains("Lunch with Ann"));
    auto *month = qobject_cast<MonthView *>(window.viewWidget(TForm1::View::Month));
    QVERIFY(month);
    QCOMPARE(month->cell(16)->rowCount(), 1);

    // Back in the day view, the day shows what is left.
    window.showView(TForm1::View::Day);
    QCOMPARE(blockSubjects(day), QStringList {"Lunch with Ann"});
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    Clock::setNowForTesting(QDateTime());
}

QTEST_MAIN(OutsideChangesTest)
#include "tst_outsidechanges.moc"
