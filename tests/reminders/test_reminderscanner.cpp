// The reminder scanner over a fixed "now": which items the due-item
// predicate lists, when a tick raises an alarm, and the catch-up of
// reminders whose minute passed unseen.

#include "tests/reminders/ReminderFixture.h"
#include "reminders/DuePredicate.h"
#include "reminders/ReminderScanner.h"
#include "store/TableFile.h"

#include <QSignalSpy>

#include <sqlite3.h>

namespace {

const QDate monday(2024, 5, 20);  // a Monday
const QDate the17th(2024, 6, 17); // a Monday, the 17th

// A fortnightly meeting on Mondays at 10:00 from 6 May 2024, ten times,
// reminding the day before at 17:00. 17 June is removed and 1 July moved
// to Wednesday 3 July, whose own row reminds that day at 15:00:
//   occurrences     05-06 05-20 06-03 (06-17) (07-01) 07-15 07-29 08-12 08-26 09-09
//   reminder days   05-05 05-19 06-02 (06-16) (06-30) 07-14 07-28 08-11 08-25 09-08
const QDate fortnightStart(2024, 5, 6);
const QDate removedDate(2024, 6, 17);
const QDate movedFrom(2024, 7, 1);
const QDate movedTo(2024, 7, 3);

QDateTime on(int month, int day, int h, int m, int s = 0)
{
    return QDateTime(QDate(2024, month, day), QTime(h, m, s));
}

QDateTime at(const QDate &date, int h, int m, int s = 0)
{
    return QDateTime(date, QTime(h, m, s));
}

} // namespace

class TestReminderScanner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }
    void cleanup() { Clock::setNowForTesting({}); }

    void ticks_data();
    void ticks();
    void activeWindowSkipsTheTick();
    void closedCursorSkipsTheTick();
    void filterIsLocaleFree();
    void dueFilterText();
    void extendedSeriesTicks_data();
    void extendedSeriesTicks();

    void catchUpAtStartUp();
    void catchUpNeedsARememberedScan();
    void catchUpAfterAGapBetweenTicks();
    void catchUpOverALongGap_data();
    void catchUpOverALongGap();
    void outsideWriteDueSinceTheLastTickRings();
    void lastScanWaitsForTheOptionsDialog();
    void missedItemsStayWithTheirCalendar();
    void extendedSeriesCatchUp_data();
    void extendedSeriesCatchUp();

private:
    // The meeting above, dismissed on `dismissed` (or not), and its moved
    // occurrence; their numbers.
    static std::pair<qint64, qint64> addFortnightly(ReminderFixture &fixture, const QDate &dismissed);
};

std::pair<qint64, qint64> TestReminderScanner::addFortnightly(ReminderFixture &fixture, const QDate &dismissed)
{
    QVariantMap item = extendedSeries("Fortnightly", "FREQ=WEEKLY;INTERVAL=2;COUNT=10", fortnightStart, QTime(10, 0), 1,
                                      QTime(17, 0), {removedDate, movedFrom});
    if (dismissed.isValid())
        item.insert("Di", dismissed);
    const qint64 series = fixture.add(item);
    if (series == 0)
        return {};
    const qint64 moved =
        fixture.add(with(oneOff("Fortnightly (moved)", movedTo, QTime(15, 0)), {{"Rp", series}, {"Ro", movedFrom}}));
    return {series, moved};
}

// items: fields of each item; ticks: the moments of successive ticks;
// then how many alarms were raised, what Table48 lists after the last
// tick and which row is current.
void TestReminderScanner::ticks_data()
{
    QTest::addColumn<QList<QVariantMap>>("items");
    QTest::addColumn<QList<QDateTime>>("ticks");
    QTest::addColumn<int>("alarms");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("current");

    const auto one = [](const QVariantMap &item) { return QList<QVariantMap> {item}; };
    const QVariantMap at1430 = oneOff("Dentist", monday, QTime(14, 30));

    QTest::newRow("one-off at 14:30 is listed from midnight without an alarm")
        << one(at1430) << QList<QDateTime> {at(monday, 0, 0, 5)} << 0 << QStringList {"Dentist"} << "Dentist";
    QTest::newRow("one-off at 14:30 raises one alarm in its minute")
        << one(at1430)
        << QList<QDateTime> {at(monday, 14, 29, 55), at(monday, 14, 30, 5), at(monday, 14, 30, 15),
                             at(monday, 14, 30, 59), at(monday, 14, 31, 9)}
        << 1 << QStringList {"Dentist"} << "Dentist";
    QTest::newRow("one-off of tomorrow is not listed")
        << one(oneOff("Later", monday.addDays(1), QTime(14, 30))) << QList<QDateTime> {at(monday, 14, 30)} << 0
        << QStringList {} << "";
    QTest::newRow("two at 09:00 give one alarm, the lower No current")
        << QList<QVariantMap> {oneOff("Early", monday, QTime(8, 0)), oneOff("First", monday, QTime(9, 0)),
                               oneOff("Second", monday, QTime(9, 0))}
        << QList<QDateTime> {at(monday, 9, 0, 1), at(monday, 9, 0, 11), at(monday, 9, 0, 21)} << 1
        << QStringList {"Early", "First", "Second"} << "First";
    QTest::newRow("daily at 09:00 raises on each day")
        << one(daily("Pills", monday.addDays(-10), QTime(9, 0)))
        << QList<QDateTime> {at(monday, 9, 0, 5), at(monday, 9, 0, 15), at(monday.addDays(1), 9, 0, 5)} << 2
        << QStringList {"Pills"} << "Pills";
    QTest::newRow("weekly on Mondays is not listed on its first date")
        << one(weekly("Standup", monday, QTime(9, 0), {"Mon"})) << QList<QDateTime> {at(monday, 9, 0)} << 0
        << QStringList {} << "";
    QTest::newRow("weekly on Mondays is listed the next Monday")
        << one(weekly("Standup", monday, QTime(9, 0), {"Mon"})) << QList<QDateTime> {at(monday.addDays(7), 9, 0)} << 1
        << QStringList {"Standup"} << "Standup";
    QTest::newRow("weekly on Mondays is not listed on Tuesday")
        << one(weekly("Standup", monday, QTime(9, 0), {"Mon"})) << QList<QDateTime> {at(monday.addDays(8), 9, 0)} << 0
        << QStringList {} << "";
    QTest::newRow("Di today keeps a daily item out")
        << one(with(daily("Pills", monday.addDays(-10), QTime(9, 0)), {{"Di", monday}}))
        << QList<QDateTime> {at(monday, 9, 0)} << 0 << QStringList {} << "";
    QTest::newRow("Di of today does not matter tomorrow")
        << one(with(daily("Pills", monday.addDays(-10), QTime(9, 0)), {{"Di", monday}}))
        << QList<QDateTime> {at(monday.addDays(1), 9, 0)} << 1 << QStringList {"Pills"} << "Pills";
    QTest::newRow("monthly on the 17th starting 20 days ahead is listed on the 17th")
        << one(monthly("Rent", the17th.addDays(20), 17, QTime(10, 0))) << QList<QDateTime> {at(the17th, 8, 0)} << 0
        << QStringList {"Rent"} << "Rent";
    QTest::newRow("monthly on the 17th is not listed on the 16th")
        << one(monthly("Rent", the17th.addDays(20), 17, QTime(10, 0)))
        << QList<QDateTime> {at(the17th.addDays(-1), 8, 0)} << 0 << QStringList {} << "";
    QTest::newRow("monthly starting 40 days ahead is not listed yet")
        << one(monthly("Rent", the17th.addDays(40), 17, QTime(10, 0))) << QList<QDateTime> {at(the17th, 8, 0)} << 0
        << QStringList {} << "";
    QTest::newRow("yearly by reminder day and month") << one(
        with(weekly("Birthday", monday.addYears(-3), QTime(8, 0), {}), {{"Ret", "4"}, {"Rd", "20"}, {"Rm", "5"}}))
                                                      << QList<QDateTime> {at(monday, 8, 0)} << 1
                                                      << QStringList {"Birthday"} << "Birthday";

    const QVariantMap snoozed = with(oneOff("Call back", monday, QTime(11, 0)),
                                     {{"Sno", true}, {"Sns", monday}, {"Sn", QTime(15, 10)}, {"Di", monday}});
    QTest::newRow("snoozed to 15:10 is not listed before it")
        << one(snoozed) << QList<QDateTime> {at(monday, 15, 9, 50)} << 0 << QStringList {} << "";
    QTest::newRow("snoozed to 15:10 is listed and raised at 15:10")
        << one(snoozed) << QList<QDateTime> {at(monday, 15, 9, 50), at(monday, 15, 10, 0), at(monday, 15, 10, 10)} << 1
        << QStringList {"Call back"} << "Call back";
    QTest::newRow("snoozed to 15:10 is gone the next day")
        << one(snoozed) << QList<QDateTime> {at(monday.addDays(1), 15, 10)} << 0 << QStringList {} << "";
    QTest::newRow("a reminder switched off is not listed")
        << one(with(at1430, {{"R", false}})) << QList<QDateTime> {at(monday, 14, 30)} << 0 << QStringList {} << "";
    QTest::newRow("a reminder time with seconds never matches")
        << one(with(at1430, {{"Rt", QTime(14, 30, 30)}})) << QList<QDateTime> {at(monday, 14, 30, 40)} << 0
        << QStringList {"Dentist"} << "Dentist";
}

void TestReminderScanner::ticks()
{
    QFETCH(QList<QVariantMap>, items);
    QFETCH(QList<QDateTime>, ticks);

    ReminderFixture fixture;
    for (const QVariantMap &item : items)
        QVERIFY(fixture.add(item) != 0);
    Clock::setNowForTesting(ticks.first().addSecs(-5));
    ReminderScanner scanner(fixture.data());
    scanner.start();
    QSignalSpy alarms(&scanner, &ReminderScanner::alarmRaised);
    QSignalSpy headers(&scanner, &ReminderScanner::headerRefreshNeeded);
    for (const QDateTime &moment : ticks) {
        Clock::setNowForTesting(moment);
        scanner.tick();
    }
    QTEST(int(alarms.count()), "alarms");
    QTEST(fixture.listed(), "listed");
    QTEST(fixture.currentSubject(), "current");
    QVERIFY(headers.count() >= alarms.count());
}

void TestReminderScanner::activeWindowSkipsTheTick()
{
    ReminderFixture fixture;
    fixture.add(oneOff("Dentist", monday, QTime(14, 30)));
    bool shown = false;
    bool active = false;
    ReminderScanner scanner(fixture.data());
    scanner.setWindowState([&] { return shown; }, [&] { return active; });
    Clock::setNowForTesting(at(monday, 14, 29, 50));
    scanner.start();
    QSignalSpy alarms(&scanner, &ReminderScanner::alarmRaised);
    QSignalSpy headers(&scanner, &ReminderScanner::headerRefreshNeeded);

    fixture.add(oneOff("Added while working", monday, QTime(16, 0)));
    shown = active = true;
    Clock::setNowForTesting(at(monday, 14, 30, 0));
    scanner.tick();
    QCOMPARE(alarms.count(), 0);
    QCOMPARE(headers.count(), 1); // the header still follows the cursor
    QCOMPARE(fixture.listed(), QStringList {"Dentist"});

    // Shown but not active (say, minimised): the tick scans again.
    active = false;
    Clock::setNowForTesting(at(monday, 14, 30, 10));
    scanner.tick();
    QCOMPARE(alarms.count(), 1);
    QCOMPARE(fixture.listed(), (QStringList {"Dentist", "Added while working"}));
}

void TestReminderScanner::closedCursorSkipsTheTick()
{
    ReminderFixture fixture;
    fixture.add(oneOff("Dentist", monday, QTime(14, 30)));
    Clock::setNowForTesting(at(monday, 14, 29, 50));
    ReminderScanner scanner(fixture.data());
    scanner.start();
    QSignalSpy alarms(&scanner, &ReminderScanner::alarmRaised);
    QSignalSpy headers(&scanner, &ReminderScanner::headerRefreshNeeded);
    fixture.data().Table48().close();
    Clock::setNowForTesting(at(monday, 14, 30, 0));
    scanner.tick();
    QCOMPARE(alarms.count(), 0);
    QCOMPARE(headers.count(), 0);
}

// The filter is written in one form whatever the locale, and reads the same.
void TestReminderScanner::filterIsLocaleFree()
{
    ReminderFixture fixture;
    fixture.add(oneOff("Dentist", monday, QTime(14, 30)));
    ReminderScanner scanner(fixture.data());
    Clock::setNowForTesting(at(monday, 14, 30, 0));
    for (const QLocale &locale : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Arabic, QLocale::Egypt),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(locale);
        scanner.requery();
        QVERIFY2(fixture.data().Table48().filter().contains("Rs = '2024-05-20'"), qPrintable(locale.name()));
        QCOMPARE(fixture.listed(), QStringList {"Dentist"});
    }
    pinTestLocale();
}

// Last scan yesterday at 18:00; the planner starts today at 10:00:20.
// The whole text for one moment, as the store's filter parser reads it.
void TestReminderScanner::dueFilterText()
{
    QCOMPARE(
        DuePredicate::dueFilter(monday, QTime(10, 0, 5)),
        QStringLiteral(
            "Rs = '2024-05-20' and Sno <> 'True' and Re <> 'True' and R = 'True'"
            " or Re = 'True' and Mon = 'True' and Di <> '2024-05-20' and S < '2024-05-20' and R = 'True'"
            " or Re = 'True' and Ret = '3' and Rd = '20' and Di <> '2024-05-20' and S < '2024-06-21' and R = 'True'"
            " or Re = 'True' and Rd = '20' and Rm = '5' and Di <> '2024-05-20' and S < '2025-05-20' and R = 'True'"
            " or Sno = 'True' and R = 'True' and Sns = '2024-05-20' and Sn <= '10:00:05'"
            " or R = 'True' and Re = 'True' and Rr reminds '2024-05-20' and Di <> '2024-05-20'"));
}

// dismissed: the series' Di; ticks, alarms and listed as in ticks().
void TestReminderScanner::extendedSeriesTicks_data()
{
    QTest::addColumn<QDate>("dismissed");
    QTest::addColumn<QList<QDateTime>>("ticks");
    QTest::addColumn<int>("alarms");
    QTest::addColumn<QStringList>("listed");

    const QStringList series {"Fortnightly"};
    QTest::newRow("rings on an occurrence's reminder day at its time")
        << QDate() << QList<QDateTime> {on(6, 2, 16, 59, 55), on(6, 2, 17, 0, 5), on(6, 2, 17, 0, 25)} << 1 << series;
    QTest::newRow("listed on the reminder day before its time")
        << QDate() << QList<QDateTime> {on(6, 2, 9, 0)} << 0 << series;
    QTest::newRow("the first occurrence reminds too") << QDate() << QList<QDateTime> {on(5, 5, 17, 0)} << 1 << series;
    QTest::newRow("not on the occurrence's own day")
        << QDate() << QList<QDateTime> {on(6, 3, 17, 0)} << 0 << QStringList {};
    QTest::newRow("not in the week between")
        << QDate() << QList<QDateTime> {on(5, 26, 17, 0), on(5, 27, 17, 0)} << 0 << QStringList {};
    QTest::newRow("not for the removed date") << QDate() << QList<QDateTime> {on(6, 16, 17, 0)} << 0 << QStringList {};
    QTest::newRow("not where the moved occurrence was")
        << QDate() << QList<QDateTime> {on(6, 30, 17, 0)} << 0 << QStringList {};
    QTest::newRow("the moved occurrence at its new time")
        << QDate() << QList<QDateTime> {on(7, 3, 14, 59, 55), on(7, 3, 15, 0, 5)} << 1
        << QStringList {"Fortnightly (moved)"};
    QTest::newRow("the tenth occurrence rings") << QDate() << QList<QDateTime> {on(9, 8, 17, 0)} << 1 << series;
    QTest::newRow("nothing after the tenth") << QDate() << QList<QDateTime> {on(9, 22, 17, 0)} << 0 << QStringList {};
    QTest::newRow("dismissed today: not listed")
        << QDate(2024, 6, 2) << QList<QDateTime> {on(6, 2, 17, 0)} << 0 << QStringList {};
    QTest::newRow("dismissed on one reminder day, the next occurrence rings")
        << QDate(2024, 6, 2) << QList<QDateTime> {on(7, 14, 17, 0)} << 1 << series;
}

void TestReminderScanner::extendedSeriesTicks()
{
    QFETCH(QDate, dismissed);
    QFETCH(QList<QDateTime>, ticks);

    ReminderFixture fixture;
    QVERIFY(addFortnightly(fixture, dismissed).first != 0);
    Clock::setNowForTesting(ticks.first().addSecs(-5));
    ReminderScanner scanner(fixture.data());
    scanner.start();
    QSignalSpy alarms(&scanner, &ReminderScanner::alarmRaised);
    for (const QDateTime &moment : ticks) {
        Clock::setNowForTesting(moment);
        scanner.tick();
    }
    QTEST(int(alarms.count()), "alarms");
    QTEST(fixture.listed(), "listed");
}

void TestReminderScanner::catchUpAtStartUp()
{
    ReminderFixture fixture;
    const QDate yesterday = monday.addDays(-1);
    fixture.setOption(ReminderScanner::lastScanField, "2024-05-19T18:00:04");
    const qint64 evening = fixture.add(oneOff("Evening", yesterday, QTime(20, 0)));
    fixture.add(oneOff("Before the last scan", yesterday, QTime(17, 0)));
    fixture.add(oneOff("At the last scan", yesterday, QTime(18, 0)));
    const qint64 morning = fixture.add(oneOff("This morning", monday, QTime(8, 0)));
    fixture.add(oneOff("This minute", monday, QTime(10, 0)));
    fixture.add(oneOff("Still to come", monday, QTime(16, 0)));
    const qint64 monthlyNo = fixture.add(monthly("Rent", yesterday.addMonths(-2), 19, QTime(20, 30)));
    const qint64 snoozedNo = fixture.add(with(oneOff("Snoozed", yesterday.addDays(-1), QTime(9, 0)),
                                              {{"Sno", true}, {"Sns", yesterday}, {"Sn", QTime(21, 15)}}));
    const qint64 dismissed =
        fixture.add(with(daily("Dismissed yesterday", yesterday.addDays(-30), QTime(19, 0)), {{"Di", yesterday}}));

    Clock::setNowForTesting(at(monday, 10, 0, 20));
    ReminderScanner scanner(fixture.data());
    QVERIFY(scanner.start());
    QCOMPARE(scanner.lastAlarmMinute(), at(monday, 10, 0));
    QCOMPARE(fixture.listed(),
             (QStringList {"Evening", "This morning", "This minute", "Still to come", "Rent", "Snoozed",
                           "Dismissed yesterday"}));
    QCOMPARE(scanner.missedMoment(evening), at(yesterday, 20, 0));
    QCOMPARE(scanner.missedMoment(morning), at(monday, 8, 0));
    QCOMPARE(scanner.missedMoment(monthlyNo), at(yesterday, 20, 30));
    QCOMPARE(scanner.missedMoment(snoozedNo), at(yesterday, 21, 15));
    QCOMPARE(scanner.missedMoment(dismissed), QDateTime()); // listed for today's reminder only

    // A first tick in the same minute raises nothing more.
    QSignalSpy alarms(&scanner, &ReminderScanner::alarmRaised);
    Clock::setNowForTesting(at(monday, 10, 0, 30));
    scanner.tick();
    QCOMPARE(alarms.count(), 0);

    // Dismissed or snoozed, a missed one-off leaves the list.
    scanner.forget(evening);
    scanner.requery();
    QVERIFY(!fixture.listed().contains("Evening"));
}

void TestReminderScanner::catchUpNeedsARememberedScan()
{
    ReminderFixture fixture;
    fixture.add(oneOff("Yesterday", monday.addDays(-1), QTime(20, 0)));
    QVERIFY(fixture.data().options().textField(ReminderScanner::lastScanField).isEmpty());
    Clock::setNowForTesting(at(monday, 10, 0, 20));
    ReminderScanner scanner(fixture.data());
    QVERIFY(!scanner.start());
    QCOMPARE(fixture.listed(), QStringList {});
    // The moment is kept locale-free, to the second, in local time.
    QCOMPARE(fixture.data().options().textField(ReminderScanner::lastScanField), QString("2024-05-20T10:00:20"));
    // Written once a minute, not at every tick.
    Clock::setNowForTesting(at(monday, 10, 0, 40));
    scanner.tick();
    QCOMPARE(fixture.data().options().textField(ReminderScanner::lastScanField), QString("2024-05-20T10:00:20"));
    Clock::setNowForTesting(at(monday, 10, 1, 0));
    scanner.tick();
    QCOMPARE(fixture.data().options().textField(ReminderScanner::lastScanField), QString("2024-05-20T10:01:00"));
}

void TestReminderScanner::catchUpAfterAGapBetweenTicks()
{
    ReminderFixture fixture;
    fixture.add(oneOff("During the sleep", monday, QTime(10, 2)));
    fixture.add(oneOff("Before the sleep", monday, QTime(10, 0)));
    Clock::setNowForTesting(at(monday, 10, 0, 5));
    ReminderScanner scanner(fixture.data());
    scanner.start();
    QSignalSpy alarms(&scanner, &ReminderScanner::alarmRaised);
    scanner.tick();
    QCOMPARE(alarms.count(), 1); // 10:00 itself
    QCOMPARE(scanner.missedMoment(fixture.data().Table48().currentId()), QDateTime());

    Clock::setNowForTesting(at(monday, 10, 0, 15));
    scanner.tick();
    Clock::setNowForTesting(at(monday, 10, 5, 0)); // woke up
    scanner.tick();
    QCOMPARE(alarms.count(), 2);
    QCOMPARE(fixture.currentSubject(), QString("During the sleep")); // the first due row
    QCOMPARE(fixture.listed(), (QStringList {"During the sleep", "Before the sleep"}));

    // Regular ticks find no gap.
    Clock::setNowForTesting(at(monday, 10, 5, 10));
    scanner.tick();
    QCOMPARE(alarms.count(), 2);
}

void TestReminderScanner::lastScanWaitsForTheOptionsDialog()
{
    ReminderFixture fixture;
    Clock::setNowForTesting(at(monday, 10, 0, 20));
    ReminderScanner scanner(fixture.data());
    scanner.start();
    Cursor &options = fixture.data().Table60();
    QVERIFY(options.edit());
    options.setValue("30", true); // the dialog's unfinished change
    Clock::setNowForTesting(at(monday, 10, 1, 0));
    scanner.tick();
    QCOMPARE(options.state(), Cursor::State::Edit);
    options.cancel();
    QVERIFY(!fixture.data().options().boolField(30));
    QCOMPARE(fixture.data().options().textField(ReminderScanner::lastScanField), QString("2024-05-20T10:00:20"));
    Clock::setNowForTesting(at(monday, 10, 2, 0));
    scanner.tick();
    QCOMPARE(fixture.data().options().textField(ReminderScanner::lastScanField), QString("2024-05-20T10:02:00"));
}

// After a folder switch, the numbers of the old calendar's missed items
// would name other items.
void TestReminderScanner::missedItemsStayWithTheirCalendar()
{
    ReminderFixture fixture;
    fixture.setOption(ReminderScanner::lastScanField, "2024-05-19T08:00:00");
    fixture.add(oneOff("Yesterday", monday.addDays(-1), QTime(16, 0)));
    Clock::setNowForTesting(at(monday, 10, 0));
    ReminderScanner scanner(fixture.data());
    QVERIFY(scanner.start());
    QCOMPARE(fixture.listed(), QStringList {"Yesterday"});

    const QString other = fixture.home() + "Other.db";
    const Outcome created = TableFile::create(other, calendarSchema());
    QVERIFY2(created, qPrintable(created.error()));
    Cursor &reminders = fixture.data().Table48();
    reminders.close();
    reminders.setTableFile(fixture.home(), "Other.db", calendarSchema());
    QVERIFY(reminders.open());
    reminders.insert();
    for (const auto &[field, value] : oneOff("Next week", monday.addDays(7), QTime(9, 0)).toStdMap())
        reminders.setValue(field, value);
    QVERIFY(reminders.post());
    scanner.requery();
    QCOMPARE(fixture.listed(), QStringList {});
}

void TestReminderScanner::catchUpOverALongGap_data()
{
    QTest::addColumn<QVariantMap>("item");
    QTest::addColumn<QDateTime>("missed");
    const QDate longAgo(2023, 1, 1);
    const QTime nine(9, 0);
    QTest::newRow("weekly, on another weekday")
        << weekly("Wed", longAgo, nine, {"Wed"}) << at(monday.addDays(-5), 9, 0);
    QTest::newRow("weekly, today before now") << weekly("Mon", longAgo, nine, {"Mon"}) << at(monday, 9, 0);
    QTest::newRow("weekly, today after now")
        << weekly("Mon", longAgo, QTime(11, 0), {"Mon"}) << at(monday.addDays(-7), 11, 0);
    QTest::newRow("weekly, dismissed today")
        << with(weekly("Mon", longAgo, nine, {"Mon"}), {{"Di", monday}}) << at(monday.addDays(-7), 9, 0);
    QTest::newRow("daily from today") << daily("New", monday, QTime(8, 0)) << QDateTime();
    QTest::newRow("monthly on the 31st") << monthly("Rent", longAgo, 31, nine) << at(QDate(2024, 3, 31), 9, 0);
    QTest::newRow("monthly on a day as 07") << with(monthly("Rent", longAgo, 7, nine), {{"Rd", "07"}}) << QDateTime();
    QTest::newRow("yearly on 29 February")
        << with(monthly("Leap", QDate(2020, 1, 1), 29, nine), {{"Ret", "4"}, {"Rm", "2"}})
        << at(QDate(2024, 2, 29), 9, 0);
    QTest::newRow("yearly, series starting within a year")
        << with(monthly("Ahead", QDate(2025, 1, 1), 20, QTime(8, 0)), {{"Ret", "4"}, {"Rm", "5"}}) << at(monday, 8, 0);
    QTest::newRow("one-off within the gap")
        << oneOff("Once", QDate(2023, 12, 24), nine) << at(QDate(2023, 12, 24), 9, 0);
    QTest::newRow("one-off before the searched span") << oneOff("Older", QDate(2023, 2, 1), nine) << QDateTime();
    QTest::newRow("snoozed within the gap") << with(oneOff("Snoozed", QDate(2023, 11, 2), nine),
                                                    {{"Sno", true}, {"Sns", QDate(2024, 1, 5)}, {"Sn", QTime(14, 5)}})
                                            << at(QDate(2024, 1, 5), 14, 5);
}

// Five hundred days since the last scan: every kind of reminder is found at
// the last moment the due-item predicate would have listed it on its day.
void TestReminderScanner::catchUpOverALongGap()
{
    QFETCH(QVariantMap, item);
    QFETCH(QDateTime, missed);
    ReminderFixture fixture;
    const QDateTime now = at(monday, 10, 0, 20);
    fixture.setOption(ReminderScanner::lastScanField, now.addDays(-500).toString("yyyy-MM-ddTHH:mm:ss"));
    const qint64 no = fixture.add(item);
    Clock::setNowForTesting(now);
    ReminderScanner scanner(fixture.data());
    QCOMPARE(scanner.start(), missed.isValid());
    QCOMPARE(scanner.missedMoment(no), missed);
}

// lastScan and now: the span the start-up catches up on; then the moments
// of the last missed reminder of the series and of its moved occurrence,
// read off the dates written out at the top of this file.
void TestReminderScanner::extendedSeriesCatchUp_data()
{
    QTest::addColumn<QDateTime>("lastScan");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDate>("dismissed");
    QTest::addColumn<QDateTime>("seriesMissed");
    QTest::addColumn<QDateTime>("movedMissed");

    const QDateTime none;
    QTest::newRow("weeks of reminders: the last of each")
        << on(5, 1, 10, 0) << on(7, 20, 10, 0, 20) << QDate() << on(7, 14, 17, 0) << on(7, 3, 15, 0);
    QTest::newRow("only the removed date's reminder day")
        << on(6, 10, 10, 0) << on(6, 20, 10, 0, 20) << QDate() << none << none;
    QTest::newRow("only the moved occurrence's old reminder day: the moved one")
        << on(6, 28, 10, 0) << on(7, 10, 10, 0, 20) << QDate() << none << on(7, 3, 15, 0);
    QTest::newRow("the week between") << on(5, 20, 10, 0) << on(5, 31, 10, 0, 20) << QDate() << none << none;
    QTest::newRow("ends in the minute before the reminder")
        << on(6, 1, 10, 0) << on(6, 2, 16, 59, 30) << QDate() << none << none;
    QTest::newRow("ends in the reminder's minute")
        << on(6, 1, 10, 0) << on(6, 2, 17, 0, 10) << QDate() << on(6, 2, 17, 0) << none;
    QTest::newRow("starts after the reminder's minute")
        << on(6, 2, 17, 0, 30) << on(6, 12, 10, 0, 20) << QDate() << none << none;
    QTest::newRow("the last one dismissed: the one before the removed and the moved")
        << on(5, 1, 10, 0) << on(7, 20, 10, 0, 20) << QDate(2024, 7, 14) << on(6, 2, 17, 0) << on(7, 3, 15, 0);
    QTest::newRow("past the tenth") << on(9, 1, 10, 0) << on(12, 1, 10, 0, 20) << QDate() << on(9, 8, 17, 0) << none;
}

void TestReminderScanner::extendedSeriesCatchUp()
{
    QFETCH(QDateTime, lastScan);
    QFETCH(QDateTime, now);
    QFETCH(QDate, dismissed);
    QFETCH(QDateTime, seriesMissed);
    QFETCH(QDateTime, movedMissed);
    ReminderFixture fixture;
    fixture.setOption(ReminderScanner::lastScanField, lastScan.toString("yyyy-MM-ddTHH:mm:ss"));
    const auto [series, moved] = addFortnightly(fixture, dismissed);
    QVERIFY(series != 0 && moved != 0);
    Clock::setNowForTesting(now);
    ReminderScanner scanner(fixture.data());
    QCOMPARE(scanner.start(), seriesMissed.isValid() || movedMissed.isValid());
    QCOMPARE(scanner.missedMoment(series), seriesMissed);
    QCOMPARE(scanner.missedMoment(moved), movedMissed);
}

// Another program writes an item whose reminder is due in the minute the
// last tick already scanned: the change notice rings it, once; one due in
// the next minute rings at that minute's tick.
void TestReminderScanner::outsideWriteDueSinceTheLastTickRings()
{
    ReminderFixture fixture;
    Clock::setNowForTesting(at(monday, 8, 0, 5));
    ReminderScanner scanner(fixture.data());
    scanner.start();
    connect(&fixture.data(), &TDataModule2::calendarChanged, &scanner, &ReminderScanner::followCalendarChange);
    QSignalSpy alarms(&scanner, &ReminderScanner::alarmRaised);
    scanner.tick();
    QCOMPARE(alarms.count(), 0);

    auto writeOutside = [&fixture](const QString &subject, const QString &time) {
        const QString path = fixture.data().table(1).filePath();
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        const QString sql = QString("INSERT INTO items (Subject, S, E, Md, St, Et, R, Rs, Rt, Re, Ta) VALUES "
                                    "('%1', '2024-05-20', '2024-05-20', '0', '%2', '%2', 1, '2024-05-20', '%2', 0, 0)")
                                .arg(subject, time);
        QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    };
    Clock::setNowForTesting(at(monday, 8, 0, 40));
    writeOutside("Now", "08:00:00");
    writeOutside("Next minute", "08:01:00");
    QVERIFY(fixture.data().noticeOutsideChanges());
    QCOMPARE(alarms.count(), 1);
    QCOMPARE(scanner.lastAlarmMinute(), at(monday, 8, 0));
    QCOMPARE(fixture.listed(), (QStringList {"Now", "Next minute"}));

    Clock::setNowForTesting(at(monday, 8, 0, 50));
    scanner.tick();
    QCOMPARE(alarms.count(), 1);
    Clock::setNowForTesting(at(monday, 8, 1, 0));
    scanner.tick();
    QCOMPARE(alarms.count(), 2);
    QCOMPARE(fixture.currentSubject(), QString("Next minute"));

    // An edit of an item whose alarm has rung does not ring it again.
    Clock::setNowForTesting(at(monday, 8, 1, 30));
    Cursor &edit = fixture.data().Table50();
    QVERIFY(edit.locate("Subject", "Next minute"));
    QVERIFY(edit.edit());
    edit.setValue("Loc", "Room 2");
    QVERIFY(edit.post());
    QCOMPARE(alarms.count(), 2);
}

QTEST_MAIN(TestReminderScanner)
#include "test_reminderscanner.moc"
