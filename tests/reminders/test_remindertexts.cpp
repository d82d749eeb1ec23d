// The texts of the reminders window, the snooze period and the bundled
// reminder sound.

#include "resources/DaybrookResources.h"
#include "reminders/DueText.h"
#include "reminders/SnoozePeriod.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDate today(2024, 5, 20); // a Monday

ReminderRow appointment(const QTime &start, const QDate &date = today)
{
    ReminderRow row;
    row.start = date;
    row.startTime = start;
    row.reminderDate = date;
    row.reminderTime = start;
    return row;
}

ReminderRow task(const QTime &due)
{
    ReminderRow row;
    row.task = true;
    row.reminderDate = today;
    row.reminderTime = due;
    return row;
}

ReminderRow allDay()
{
    ReminderRow row = appointment(QTime());
    row.allDay = true;
    return row;
}

ReminderRow recurring(const QString &ret, const QString &amount, const QString &unit)
{
    ReminderRow row = appointment(QTime(16, 45), today.addDays(-40));
    row.recurring = true;
    row.ret = ret;
    row.leadAmount = amount;
    row.leadUnit = unit;
    return row;
}

} // namespace

Q_DECLARE_METATYPE(ReminderRow)

class TestReminderTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }
    void dueIn_data();
    void dueIn();
    void headerTime_data();
    void headerTime();
    void missedSince();
    void snooze_data();
    void snooze();
    void snoozeLeadEntries();
    void chimeIsWhatTheGeneratorWrites();
};

void TestReminderTexts::dueIn_data()
{
    QTest::addColumn<ReminderRow>("row");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<QString>("text");

    const QTime t1410(14, 10);
    QTest::newRow("16:45 shows whole hours") << appointment(QTime(16, 45)) << t1410 << "2 hours";
    QTest::newRow("14:50 shows minutes") << appointment(QTime(14, 50)) << t1410 << "40 minutes";
    QTest::newRow("14:10 shows 0 minutes") << appointment(QTime(14, 10)) << t1410 << "0 minutes";
    QTest::newRow("13:05 shows 1 hours overdue") << appointment(QTime(13, 5)) << t1410 << "1 hours overdue";
    QTest::newRow("13:55 shows 15 minutes overdue") << appointment(QTime(13, 55)) << t1410 << "15 minutes overdue";
    QTest::newRow("seconds of now are dropped") << appointment(QTime(14, 50)) << QTime(14, 10, 59) << "40 minutes";
    QTest::newRow("in three days") << appointment(QTime(9, 0), today.addDays(3)) << t1410 << "3 days";
    QTest::newRow("started yesterday") << appointment(QTime(9, 0), today.addDays(-1)) << t1410 << "-1 days";
    QTest::newRow("all-day: time since midnight") << allDay() << t1410 << "14 hours overdue";
    QTest::newRow("all-day just after midnight") << allDay() << QTime(0, 25) << "25 minutes overdue";
    QTest::newRow("all-day at midnight") << allDay() << QTime(0, 0) << "";
    QTest::newRow("monthly with a lead of days") << recurring("3", "3", "day(s)") << t1410 << "3 days";
    QTest::newRow("yearly with a lead of days") << recurring("4", "14", "day(s)") << t1410 << "14 days";
    QTest::newRow("monthly with a lead of hours counts down") << recurring("3", "2", "hour(s)") << t1410 << "2 hours";
    QTest::newRow("weekly counts down to today's start") << recurring("2", "3", "day(s)") << t1410 << "2 hours";
    ReminderRow fortnightly = recurring("2", "1", "day(s)");
    fortnightly.extended = true;
    QTest::newRow("extended weekly with a lead of days") << fortnightly << t1410 << "1 days";
    QTest::newRow("task ahead") << task(QTime(16, 45)) << t1410 << "2 hours";
    QTest::newRow("task overdue") << task(QTime(13, 55)) << t1410 << "15 minutes overdue";
    QTest::newRow("task now") << task(QTime(14, 10)) << t1410 << "0 minutes";
}

void TestReminderTexts::dueIn()
{
    QFETCH(ReminderRow, row);
    QFETCH(QTime, now);
    QTEST(DueText::dueIn(row, today, now), "text");
}

void TestReminderTexts::headerTime_data()
{
    QTest::addColumn<ReminderRow>("row");
    QTest::addColumn<bool>("use24Hour");
    QTest::addColumn<QString>("text");

    QTest::newRow("task at 09:00, 24-hour") << task(QTime(9, 0)) << true << "Due: Monday, May 20, 2024 09:00";
    QTest::newRow("task at 09:00, 12-hour") << task(QTime(9, 0)) << false << "Due: Monday, May 20, 2024 9:00 AM";
    QTest::newRow("appointment, 12-hour")
        << appointment(QTime(14, 5)) << false << "Start time: Monday, May 20, 2024 2:05 PM";
    QTest::newRow("appointment, 24-hour")
        << appointment(QTime(14, 5)) << true << "Start time: Monday, May 20, 2024 14:05";
    QTest::newRow("all-day at midnight") << allDay() << false << "Start time: Monday, May 20, 2024 12:00 AM";
}

void TestReminderTexts::headerTime()
{
    QFETCH(ReminderRow, row);
    QFETCH(bool, use24Hour);
    QTEST(DueText::headerTime(row, use24Hour), "text");
}

void TestReminderTexts::missedSince()
{
    QCOMPARE(DueText::missedSince(QDate(2024, 5, 19)), QString("overdue since 5/19/2024"));
}

void TestReminderTexts::snooze_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QTime>("sn");
    QTest::addColumn<QDate>("sns");

    const QDateTime late(today, QTime(23, 58, 40));
    const QDateTime morning(today, QTime(10, 15, 30));
    QTest::newRow("5 minutes across midnight") << "5"
                                               << "minutes" << late << "" << QTime(0, 3) << today.addDays(1);
    QTest::newRow("0 minutes: this minute") << "0"
                                            << "minutes" << morning << "" << QTime(10, 15) << today;
    QTest::newRow("2 hours") << "2"
                             << "hour(s)" << morning << "" << QTime(12, 15) << today;
    QTest::newRow("2 days keep the minute") << "2"
                                            << "day(s)" << morning << "" << QTime(10, 15) << today.addDays(2);
    QTest::newRow("blanks around the amount") << " 10 "
                                              << "minutes" << morning << "" << QTime(10, 25) << today;
    QTest::newRow("60 minutes") << "60"
                                << "minutes" << morning << "Enter a whole number of minutes from 0 to 59." << QTime()
                                << QDate();
    QTest::newRow("24 hours") << "24"
                              << "hour(s)" << morning << "Enter a whole number of hours from 0 to 23." << QTime()
                              << QDate();
    QTest::newRow("negative days") << "-1"
                                   << "day(s)" << morning << "Enter a whole number of days from 0 to 365." << QTime()
                                   << QDate();
    QTest::newRow("not a number") << "soon"
                                  << "minutes" << morning << "Enter a whole number of minutes from 0 to 59." << QTime()
                                  << QDate();
    QTest::newRow("empty box") << ""
                               << "hour(s)" << morning << "Enter a whole number of hours from 0 to 23." << QTime()
                               << QDate();
}

void TestReminderTexts::snooze()
{
    QFETCH(QString, amount);
    QFETCH(QString, unit);
    QFETCH(QDateTime, now);
    const SnoozePeriod::Outcome outcome = SnoozePeriod::apply(amount, unit, now);
    QTEST(outcome.message, "message");
    QTEST(outcome.sn, "sn");
    QTEST(outcome.sns, "sns");
}

void TestReminderTexts::snoozeLeadEntries()
{
    QStringList amounts, units;
    for (int i = 0; i < 17; ++i) {
        amounts << SnoozePeriod::amountText(i);
        units << SnoozePeriod::unitLabel(i);
    }
    QCOMPARE(amounts,
             (QStringList {"0", "5", "10", "15", "30", "1", "2", "3", "4", "6", "8", "12", "1", "2", "3", "7", "14"}));
    QCOMPARE(units.mid(0, 5), QStringList(5, "minutes"));
    QCOMPARE(units.mid(5, 7), QStringList(7, "hour(s)"));
    QCOMPARE(units.mid(12), QStringList(5, "day(s)"));
}

// The checked-in chime must be the generator's output: a stale or hand-
// edited file would ship a sound nobody can remake.
void TestReminderTexts::chimeIsWhatTheGeneratorWrites()
{
    initDaybrookResources();
    QFile bundled(":/sounds/daybrook1.wav");
    QVERIFY(bundled.open(QIODevice::ReadOnly));
    const QByteArray expected = bundled.readAll();

    QTemporaryDir dir;
    const QString made = dir.path() + "/chime.wav";
    QCOMPARE(QProcess::execute(QStringLiteral(MAKE_CHIME), {made}), 0);
    QFile file(made);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray actual = file.readAll();

    QCOMPARE(actual.size(), expected.size());
    QVERIFY(expected.startsWith("RIFF"));
    QCOMPARE(actual.left(44), expected.left(44)); // the header: PCM, mono, 16 bit, 22050 Hz
    QCOMPARE(expected.mid(8, 8), QByteArray("WAVEfmt "));
    // Another maths library may round a sample the other way.
    const auto *a = reinterpret_cast<const qint16 *>(actual.constData() + 44);
    const auto *e = reinterpret_cast<const qint16 *>(expected.constData() + 44);
    int loudest = 0;
    for (qsizetype i = 0; i < (expected.size() - 44) / 2; ++i) {
        QVERIFY2(std::abs(a[i] - e[i]) <= 1, qPrintable(QString("sample %1").arg(i)));
        loudest = std::max(loudest, std::abs(int(e[i])));
    }
    // Audible but not harsh: well below full scale.
    QVERIFY(loudest > 8000 && loudest < 20000);
}

QTEST_MAIN(TestReminderTexts)
#include "test_remindertexts.moc"
