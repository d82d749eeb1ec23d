// "Set reminders on tasks with due dates": which tasks get a reminder and
// what the task row holds after the rule ran on it.

#include "store/Cursor.h"
#include "store/TaskDueReminder.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QtTest>

using TaskDueReminder::Task;

Q_DECLARE_METATYPE(Task)

class TestTaskDueReminder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { pinTestLocale(); }
    void proposed_data();
    void proposed();
    void appliedToTheTaskRow_data();
    void appliedToTheTaskRow();
};

void TestTaskDueReminder::proposed_data()
{
    QTest::addColumn<Task>("task");
    QTest::addColumn<bool>("optionOn");
    QTest::addColumn<QTime>("taskReminderTime");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time"); // invalid: no reminder given

    const QDate due(2025, 6, 12);
    QTest::newRow("due date, no reminder") << Task {due} << true << QTime(9, 30) << due << QTime(9, 30);
    QTest::newRow("option off") << Task {due} << false << QTime(9, 30) << QDate() << QTime();
    QTest::newRow("no due date") << Task {} << true << QTime(9, 30) << QDate() << QTime();
    QTest::newRow("completed") << Task {due, true} << true << QTime(9, 30) << QDate() << QTime();
    QTest::newRow("reminder already on") << Task {due, false, true, QDate(2025, 6, 1), QTime(7, 0)} << true
                                         << QTime(9, 30) << QDate() << QTime();
    QTest::newRow("reminder switched off keeps its values")
        << Task {due, false, false, QDate(2025, 6, 1), QTime(7, 0)} << true << QTime(9, 30) << QDate() << QTime();
    QTest::newRow("blank task reminder time is 8:00 AM") << Task {due} << true << QTime() << due << QTime(8, 0);
}

void TestTaskDueReminder::proposed()
{
    QFETCH(Task, task);
    QFETCH(bool, optionOn);
    QFETCH(QTime, taskReminderTime);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    const auto reminder = TaskDueReminder::proposed(task, optionOn, taskReminderTime);
    QCOMPARE(reminder.has_value(), time.isValid());
    if (reminder) {
        QCOMPARE(reminder->date, date);
        QCOMPARE(reminder->time, time);
    }
}

void TestTaskDueReminder::appliedToTheTaskRow_data()
{
    QTest::addColumn<bool>("optionOn");
    QTest::addColumn<bool>("reminderOn");
    QTest::addColumn<QString>("reminderDate");
    QTest::addColumn<QString>("reminderTime");
    QTest::newRow("option on") << true << true << "2025-06-12"
                               << "14:45:00";
    QTest::newRow("option off") << false << false << ""
                                << "";
}

// The task editor runs the rule on Table47 just before its post.
void TestTaskDueReminder::appliedToTheTaskRow()
{
    QFETCH(bool, optionOn);
    QFETCH(bool, reminderOn);
    QFETCH(QString, reminderDate);
    QFETCH(QString, reminderTime);
    TempHome home;
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QVERIFY(dm.options().change({{55, optionOn}, {44, QTime(14, 45)}}));

    Cursor &task = dm.Table47();
    task.insert();
    task.setValue("Subject", "Tax return");
    task.setValue("Ta", true);
    task.setValue("E", QDate(2025, 6, 12));
    QCOMPARE(TaskDueReminder::apply(dm.options(), task), optionOn);
    QVERIFY(task.post());

    TDataModule2 reader {DataRoot(home.path())};
    QVERIFY(reader.openForReading(1));
    Cursor &stored = reader.table(1);
    QVERIFY(stored.locate("Subject", "Tax return"));
    QCOMPARE(stored.asBool("R"), reminderOn);
    QCOMPARE(stored.asDate("Rs"), QDate::fromString(reminderDate, Qt::ISODate));
    QCOMPARE(stored.asTime("Rt"), QTime::fromString(reminderTime, Qt::ISODate));
}

QTEST_GUILESS_MAIN(TestTaskDueReminder)
#include "test_taskduereminder.moc"
