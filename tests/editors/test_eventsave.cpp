// The rules of the event editor that need no window: reading the boxes,
// the save stages and their messages, the reminder computation, the
// pattern application and the first values of a new item.

#include "editors/BoxText.h"
#include "store/Clock.h"
#include "store/ItemFields.h"
#include "editors/EventSave.h"
#include "editors/NewEvent.h"
#include "editors/RecurrencePattern.h"
#include "editors/ReminderComputation.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

using RecurrencePattern::Kind;

Q_DECLARE_METATYPE(Kind)

class TestEventSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }

    void dateBoxRoundTrip_data();
    void dateBoxRoundTrip();
    void twoDigitYearIsNearToday_data();
    void twoDigitYearIsNearToday();
    void timeBoxReading_data();
    void timeBoxReading();

    void saveStages_data();
    void saveStages();
    void derivedDatesAndTimes_data();
    void derivedDatesAndTimes();
    void recurringEntryGetsItsFirstDate();

    void reminder_data();
    void reminder();

    void patternApplication_data();
    void patternApplication();

    void newItemTimes_data();
    void newItemTimes();
    void newRecurringAppointmentIsWeeklyOnItsWeekday();
};

// --- boxes -----------------------------------------------------------------

void TestEventSave::dateBoxRoundTrip_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("1999") << QDate(1999, 12, 31) << "12/31/1999";
    QTest::newRow("2000") << QDate(2000, 2, 29) << "2/29/2000";
    QTest::newRow("2029") << QDate(2029, 1, 5) << "1/5/2029";
}

void TestEventSave::dateBoxRoundTrip()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(BoxText::date(date), text);
    QCOMPARE(BoxText::readDate(text), date);
}

void TestEventSave::twoDigitYearIsNearToday_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    const QDate dec2026(2026, 12, 10);
    QTest::newRow("en_US 12/11/26") << "en_US" << dec2026 << "12/11/26" << QDate(2026, 12, 11);
    QTest::newRow("de_DE 11.12.26") << "de_DE" << dec2026 << "11.12.26" << QDate(2026, 12, 11);
    QTest::newRow("en_US one-digit year") << "en_US" << dec2026 << "1/5/7" << QDate(2007, 1, 5);
    QTest::newRow("49 years ahead") << "en_US" << dec2026 << "1/1/75" << QDate(2075, 1, 1);
    QTest::newRow("50 years back") << "en_US" << dec2026 << "1/1/76" << QDate(1976, 1, 1);
    QTest::newRow("29 February 2000") << "en_US" << dec2026 << "2/29/00" << QDate(2000, 2, 29);
    QTest::newRow("follows the clock") << "en_US" << QDate(2090, 6, 1) << "3/4/26" << QDate(2126, 3, 4);
    QTest::newRow("four digits stay") << "en_US" << dec2026 << "12/11/1926" << QDate(1926, 12, 11);
    QTest::newRow("de_DE four digits stay") << "de_DE" << dec2026 << "11.12.1926" << QDate(1926, 12, 11);
    QTest::newRow("ISO stays") << "en_US" << dec2026 << "2024-05-01" << QDate(2024, 5, 1);
    QTest::newRow("no date") << "en_US" << dec2026 << "13/45/26" << QDate();
}

void TestEventSave::twoDigitYearIsNearToday()
{
    QFETCH(QString, locale);
    QFETCH(QDate, today);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QLocale::setDefault(QLocale(locale));
    Clock::setNowForTesting(QDateTime(today, QTime(12, 0)));
    const QDate read = BoxText::readDate(text);
    Clock::setNowForTesting(QDateTime());
    pinTestLocale();
    QCOMPARE(read, date);
}

void TestEventSave::timeBoxReading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("time");
    QTest::newRow("one-digit hour") << "8:00" << QTime(8, 0);
    QTest::newRow("two-digit hour") << "08:00" << QTime(8, 0);
    QTest::newRow("AM") << "8:00 AM" << QTime(8, 0);
    QTest::newRow("PM") << "7:30 PM" << QTime(19, 30);
    QTest::newRow("noon") << "12:00 PM" << QTime(12, 0);
    QTest::newRow("midnight") << "12:00 AM" << QTime(0, 0);
    QTest::newRow("with seconds") << "9:15:00 AM" << QTime(9, 15);
    QTest::newRow("24-hour evening") << "23:30" << QTime(23, 30);
    QTest::newRow("words") << "soon" << QTime();
    QTest::newRow("hour 25") << "25:00" << QTime();
    QTest::newRow("empty") << "" << QTime();
}

void TestEventSave::timeBoxReading()
{
    QFETCH(QString, text);
    QFETCH(QTime, time);
    QCOMPARE(BoxText::readTime(text), time);
}

// --- save stages -----------------------------------------------------------

namespace {

// A one-date appointment on 5 May 2024, 9:00 to 10:00, 15 minutes lead.
EventEntry appointment()
{
    EventEntry e;
    e.startDate = QStringLiteral("5/5/2024");
    e.endDate = QStringLiteral("5/5/2024");
    e.startTime = QStringLiteral("9:00 AM");
    e.endTime = QStringLiteral("10:00 AM");
    e.lead = QStringLiteral("15");
    e.unit = QStringLiteral("minute(s)");
    return e;
}

EventEntry recurring(Kind pattern)
{
    EventEntry e = appointment();
    e.recurring = true;
    e.pattern = pattern;
    return e;
}

EventEntry allDay(const QString &times)
{
    EventEntry e = appointment();
    e.allDay = true;
    e.startTime = e.endTime = times;
    return e;
}

} // namespace

void TestEventSave::saveStages_data()
{
    QTest::addColumn<EventEntry>("entry");
    QTest::addColumn<QString>("message");
    const QString dateMsg = "You must specify a valid date and/or time.";
    const QString leadMsg = "The duration you entered is not valid.";
    const QString patternMsg = "The recurrence pattern is not valid.";
    const QString orderMsg = "The End time you entered occurs before the Start time";

    EventEntry e = appointment();
    QTest::newRow("a plain appointment is saved") << e << QString();

    // Stage 1: dates and times.
    e = appointment();
    e.startDate = "5/35/2024";
    QTest::newRow("start date no date") << e << dateMsg;
    e = appointment();
    e.endDate = "";
    QTest::newRow("end date empty") << e << dateMsg;
    e = recurring(Kind::Weekly);
    e.endDate = "never";
    QTest::newRow("end date not read while recurring") << e << QString();
    e = appointment();
    e.startTime = "9 o'clock";
    QTest::newRow("start time no time") << e << dateMsg;
    e = appointment();
    e.endTime = "";
    QTest::newRow("end time empty") << e << dateMsg;
    e = allDay("later");
    e.unit = "day(s)";
    QTest::newRow("times not read while all-day") << e << QString();

    // Stage 2: the lead, whether the reminder is on or not.
    e = appointment();
    e.lead = "abc";
    QTest::newRow("lead abc") << e << leadMsg;
    e = appointment();
    e.lead = "";
    QTest::newRow("lead empty") << e << leadMsg;

    // Stage 3: the pattern, and the lead as the start takes it.
    e = recurring(Kind::Monthly);
    e.monthlyDay = "x";
    QTest::newRow("monthly day box not a number") << e << patternMsg;
    e = recurring(Kind::Monthly);
    e.monthlyDay = "5";
    e.yearlyDay = "y";
    QTest::newRow("other day box not a number") << e << patternMsg;
    e = appointment();
    e.monthlyDay = "x";
    QTest::newRow("day boxes ignored when not recurring") << e << QString();
    e = recurring(Kind::Monthly);
    e.monthlyDay = "";
    QTest::newRow("monthly day box empty") << e << patternMsg;
    e = recurring(Kind::Yearly);
    e.yearlyDay = "";
    e.monthIndex = 2;
    QTest::newRow("yearly day box empty") << e << patternMsg;
    e = recurring(Kind::Yearly);
    e.startDate = "1/20/2025";
    e.yearlyDay = "30";
    e.monthIndex = 1;
    QTest::newRow("yearly 30 February") << e << patternMsg;
    e = recurring(Kind::Yearly);
    e.startDate = "1/20/2025";
    e.yearlyDay = "31";
    e.monthIndex = 3;
    QTest::newRow("yearly 31 April") << e << patternMsg;
    e = appointment();
    e.lead = "60";
    QTest::newRow("60 minutes") << e << leadMsg;
    e = appointment();
    e.lead = "24";
    e.unit = "hour(s)";
    QTest::newRow("24 hours") << e << leadMsg;
    e = allDay("");
    e.unit = "minute(s)";
    QTest::newRow("minute lead on all-day item without times") << e << QString();

    // Stage 4: the order of start and end.
    e = appointment();
    e.startTime = "10:00 AM";
    e.endTime = "9:00 AM";
    QTest::newRow("10:00 to 9:00 on one date") << e << orderMsg;
    e = appointment();
    e.endTime = "9:00 AM";
    QTest::newRow("equal times") << e << QString();
    e = appointment();
    e.startTime = "10:00 AM";
    e.endTime = "9:00 AM";
    e.endDate = "5/6/2024";
    QTest::newRow("10:00 to 9:00 the next day") << e << QString();
    e = appointment();
    e.startDate = "5/6/2024";
    QTest::newRow("start date after end date") << e << orderMsg;
    e = allDay("9:00 AM");
    e.startDate = "5/6/2024";
    QTest::newRow("all-day, start date after end date") << e << orderMsg;
    e = allDay("10:00 AM");
    e.endTime = "9:00 AM";
    QTest::newRow("all-day, hidden times not compared") << e << QString();
    e = appointment();
    e.endDate = "05/05/2024";
    e.startTime = "10:00 AM";
    e.endTime = "9:00 AM";
    QTest::newRow("one date in two spellings is compared as one date") << e << orderMsg;
    e = recurring(Kind::Weekly);
    e.startTime = "10:00 AM";
    e.endTime = "9:00 AM";
    e.endDate = "5/9/2024";
    QTest::newRow("recurring, times compared on its one date") << e << orderMsg;

    // Precedence: only the first failing stage speaks.
    e = appointment();
    e.startDate = "x";
    e.lead = "abc";
    QTest::newRow("bad date before bad lead") << e << dateMsg;
    e = recurring(Kind::Monthly);
    e.lead = "abc";
    e.monthlyDay = "x";
    QTest::newRow("bad lead before bad pattern") << e << leadMsg;
    e = recurring(Kind::Monthly);
    e.monthlyDay = "x";
    e.startTime = "10:00 AM";
    e.endTime = "9:00 AM";
    QTest::newRow("bad pattern before end before start") << e << patternMsg;
}

void TestEventSave::saveStages()
{
    QFETCH(EventEntry, entry);
    QFETCH(QString, message);
    QCOMPARE(EventSave::run(entry).message, message);
}

void TestEventSave::derivedDatesAndTimes_data()
{
    QTest::addColumn<EventEntry>("entry");
    QTest::addColumn<QVariant>("md");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QTime>("startTime");

    EventEntry e = appointment();
    QTest::newRow("one date") << e << QVariant("0") << QDate(2024, 5, 5) << QTime(9, 0);
    e = appointment();
    e.endDate = "05/05/2024";
    QTest::newRow("one date in two spellings") << e << QVariant("0") << QDate(2024, 5, 5) << QTime(9, 0);
    e = appointment();
    e.endDate = "5/7/2024";
    QTest::newRow("several dates") << e << QVariant() << QDate(2024, 5, 7) << QTime(9, 0);
    e = allDay("9:00 AM");
    e.unit = "day(s)";
    QTest::newRow("all-day has no times") << e << QVariant("0") << QDate(2024, 5, 5) << QTime();
    e = recurring(Kind::Daily);
    e.endDate = "6/1/2024";
    QTest::newRow("recurring lies on its start") << e << QVariant("0") << QDate(2024, 5, 5) << QTime(9, 0);
}

void TestEventSave::derivedDatesAndTimes()
{
    QFETCH(EventEntry, entry);
    QFETCH(QVariant, md);
    QFETCH(QDate, end);
    QFETCH(QTime, startTime);
    const EventSave::Outcome outcome = EventSave::run(entry);
    QVERIFY2(outcome.ok(), qPrintable(outcome.message));
    QCOMPARE(outcome.changes.value("Md"), md);
    QCOMPARE(outcome.changes.value("S").toDate(), QDate(2024, 5, 5));
    QCOMPARE(outcome.changes.value("E").toDate(), end);
    QCOMPARE(outcome.changes.value("St").toTime(), startTime);
    QCOMPARE(outcome.changes.value("Tr").toString(), entry.lead);
    QCOMPARE(outcome.changes.value("Tm").toString(), entry.unit);
}

void TestEventSave::recurringEntryGetsItsFirstDate()
{
    EventEntry e = recurring(Kind::Monthly);
    e.startDate = "4/10/2024";
    e.endDate = "4/12/2024";
    e.monthlyDay = "31";
    const EventSave::Outcome outcome = EventSave::run(e);
    QVERIFY(outcome.ok());
    QCOMPARE(e.startDate, QString("4/30/2024"));
    QCOMPARE(e.endDate, QString("4/30/2024"));
    QCOMPARE(outcome.changes.value("S").toDate(), QDate(2024, 4, 30));
    QCOMPARE(outcome.changes.value("E").toDate(), QDate(2024, 4, 30));
    QCOMPARE(outcome.changes.value("D").toString(), QString("30"));
    QVERIFY(!outcome.changes.contains("M"));
    // The reminder follows the moved start: 15 minutes before 9:00 on 30 April.
    QCOMPARE(outcome.changes.value("Rs").toDate(), QDate(2024, 4, 30));
    QCOMPARE(outcome.changes.value("Rd").toString(), QString("30"));
}

// --- reminder --------------------------------------------------------------

void TestEventSave::reminder_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("lead");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("allDay");
    QTest::addColumn<Kind>("pattern");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QDate>("rs");   // invalid: Rs keeps its value
    QTest::addColumn<QTime>("rt");   // invalid: Rt keeps its value
    QTest::addColumn<QString>("rd"); // empty: Rd keeps its value
    QTest::addColumn<QString>("rm");

    const QDate may5(2024, 5, 5);
    const QDate none;
    const QTime keep;
    QTest::newRow("15 minutes before 9:00") << may5 << "9:00 AM"
                                            << "15"
                                            << "minute(s)" << false << Kind::None << true << may5 << QTime(8, 45) << ""
                                            << "";
    QTest::newRow("30 minutes before 0:15, across midnight")
        << may5 << "12:15 AM"
        << "30"
        << "minute(s)" << false << Kind::None << true << QDate(2024, 5, 4) << QTime(23, 45) << ""
        << "";
    QTest::newRow("0 minutes") << may5 << "21:10"
                               << "0"
                               << "minute(s)" << false << Kind::None << true << may5 << QTime(21, 10) << ""
                               << "";
    QTest::newRow("2 hours before 1:00, across midnight")
        << may5 << "1:00 AM"
        << "2"
        << "hour(s)" << false << Kind::None << true << QDate(2024, 5, 4) << QTime(23, 0) << ""
        << "";
    QTest::newRow("12 hours before 7:30 PM") << may5 << "7:30 PM"
                                             << "12"
                                             << "hour(s)" << false << Kind::None << true << may5 << QTime(7, 30) << ""
                                             << "";
    QTest::newRow("2 days before 9:00") << may5 << "9:00 AM"
                                        << "2"
                                        << "day(s)" << false << Kind::None << true << QDate(2024, 5, 3) << QTime(9, 0)
                                        << ""
                                        << "";
    QTest::newRow("14 days, back into April")
        << may5 << "9:00 AM"
        << "14"
        << "day(s)" << false << Kind::None << true << QDate(2024, 4, 21) << QTime(9, 0) << ""
        << "";

    // All-day items: the hidden start time box still counts.
    QTest::newRow("all-day, minutes: midnight")
        << may5 << "9:00 AM"
        << "15"
        << "minute(s)" << true << Kind::None << true << may5 << QTime(0, 0) << ""
        << "";
    QTest::newRow("all-day, hours: the hidden start time")
        << may5 << "9:00 AM"
        << "2"
        << "hour(s)" << true << Kind::None << true << may5 << QTime(7, 0) << ""
        << "";
    QTest::newRow("all-day, days: the hidden start time")
        << may5 << "9:00 AM"
        << "2"
        << "day(s)" << true << Kind::None << true << QDate(2024, 5, 3) << QTime(9, 0) << ""
        << "";
    QTest::newRow("all-day without times, hours: midnight, date kept")
        << may5 << ""
        << "2"
        << "hour(s)" << true << Kind::None << true << none << QTime(0, 0) << ""
        << "";
    QTest::newRow("all-day without times, days: midnight")
        << may5 << ""
        << "1"
        << "day(s)" << true << Kind::None << true << QDate(2024, 5, 4) << QTime(0, 0) << ""
        << "";

    // Monthly and yearly series are reminded by the reminder date's day.
    QTest::newRow("monthly, 2 days before 1 June")
        << QDate(2024, 6, 1) << "9:00 AM"
        << "2"
        << "day(s)" << false << Kind::Monthly << true << QDate(2024, 5, 30) << QTime(9, 0) << "30"
        << "";
    QTest::newRow("yearly, 1 day before 1 March 2024")
        << QDate(2024, 3, 1) << "9:00 AM"
        << "1"
        << "day(s)" << false << Kind::Yearly << true << QDate(2024, 2, 29) << QTime(9, 0) << "29"
        << "2";
    QTest::newRow("yearly, 30 minutes before 0:10 on 1 January")
        << QDate(2025, 1, 1) << "0:10"
        << "30"
        << "minute(s)" << false << Kind::Yearly << true << QDate(2024, 12, 31) << QTime(23, 40) << "31"
        << "12";
    QTest::newRow("monthly all-day without times, hours: no day derived")
        << QDate(2024, 6, 1) << ""
        << "3"
        << "hour(s)" << true << Kind::Monthly << true << none << QTime(0, 0) << ""
        << "";
    QTest::newRow("weekly: no day derived")
        << may5 << "9:00 AM"
        << "1"
        << "day(s)" << false << Kind::Weekly << true << QDate(2024, 5, 4) << QTime(9, 0) << ""
        << "";

    // Leads the start cannot take.
    QTest::newRow("60 minutes") << may5 << "9:00 AM"
                                << "60"
                                << "minute(s)" << false << Kind::None << false << none << keep << ""
                                << "";
    QTest::newRow("negative minutes") << may5 << "9:00 AM"
                                      << "-5"
                                      << "minute(s)" << false << Kind::None << false << none << keep << ""
                                      << "";
    QTest::newRow("24 hours") << may5 << "9:00 AM"
                              << "24"
                              << "hour(s)" << false << Kind::None << false << none << keep << ""
                              << "";
    QTest::newRow("all-day without times, minutes: midnight of the start date")
        << may5 << ""
        << "5"
        << "minute(s)" << true << Kind::None << true << may5 << QTime(0, 0) << ""
        << "";
    QTest::newRow("timed item without a start time, minutes")
        << may5 << ""
        << "5"
        << "minute(s)" << false << Kind::None << false << none << keep << ""
        << "";
}

void TestEventSave::reminder()
{
    QFETCH(QDate, start);
    QFETCH(QString, time);
    QFETCH(QString, lead);
    QFETCH(QString, unit);
    QFETCH(bool, allDay);
    QFETCH(Kind, pattern);
    QFETCH(bool, valid);
    QFETCH(QDate, rs);
    QFETCH(QTime, rt);
    QFETCH(QString, rd);
    QFETCH(QString, rm);

    const auto fields = ReminderComputation::compute({start, time, lead, unit, allDay, pattern});
    QCOMPARE(fields.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(fields->rs.value_or(QDate()), rs);
    QCOMPARE(fields->rt.value_or(QTime()), rt);
    QCOMPARE(fields->rd.value_or(QString()), rd);
    QCOMPARE(fields->rm.value_or(QString()), rm);
}

// --- pattern application ---------------------------------------------------

void TestEventSave::patternApplication_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("dayBox"); // the box of the chosen pattern
    QTest::addColumn<int>("monthIndex");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QString>("d");
    QTest::addColumn<QString>("m");

    const QDate april20(2024, 4, 20);
    QTest::newRow("monthly 31 in April") << Kind::Monthly << april20 << "31" << 0 << true << QDate(2024, 4, 30) << "30"
                                         << "";
    QTest::newRow("monthly 15, start 20 April moves back")
        << Kind::Monthly << april20 << "15" << 0 << true << QDate(2024, 4, 15) << "15"
        << "";
    QTest::newRow("monthly 0: last day") << Kind::Monthly << april20 << "0" << 0 << true << QDate(2024, 4, 30) << "30"
                                         << "";
    QTest::newRow("monthly 0 in a leap February")
        << Kind::Monthly << QDate(2024, 2, 3) << "0" << 0 << true << QDate(2024, 2, 29) << "29"
        << "";
    QTest::newRow("monthly negative: last day")
        << Kind::Monthly << april20 << "-4" << 0 << true << QDate(2024, 4, 30) << "30"
        << "";
    QTest::newRow("monthly 1") << Kind::Monthly << april20 << "1" << 0 << true << QDate(2024, 4, 1) << "1"
                               << "";
    QTest::newRow("monthly empty box") << Kind::Monthly << april20 << "" << 0 << false << QDate() << ""
                                       << "";

    const QDate jan20(2025, 1, 20);
    QTest::newRow("yearly March 5") << Kind::Yearly << jan20 << "5" << 2 << true << QDate(2025, 3, 5) << "5"
                                    << "3";
    QTest::newRow("yearly January") << Kind::Yearly << jan20 << "14" << 0 << true << QDate(2025, 1, 14) << "14"
                                    << "1";
    QTest::newRow("yearly December 31") << Kind::Yearly << jan20 << "31" << 11 << true << QDate(2025, 12, 31) << "31"
                                        << "12";
    QTest::newRow("yearly February 30") << Kind::Yearly << jan20 << "30" << 1 << false << QDate() << ""
                                        << "";
    QTest::newRow("yearly April 31") << Kind::Yearly << jan20 << "31" << 3 << false << QDate() << ""
                                     << "";
    QTest::newRow("yearly 29 February in a common year") << Kind::Yearly << jan20 << "29" << 1 << false << QDate() << ""
                                                         << "";
    QTest::newRow("yearly 29 February in a leap year")
        << Kind::Yearly << QDate(2024, 1, 20) << "29" << 1 << true << QDate(2024, 2, 29) << "29"
        << "2";
    QTest::newRow("yearly March 31 from a February start stays the 31st")
        << Kind::Yearly << QDate(2025, 2, 10) << "31" << 2 << true << QDate(2025, 3, 31) << "31"
        << "3";
    QTest::newRow("yearly 0: length of the start's month")
        << Kind::Yearly << QDate(2025, 4, 2) << "0" << 6 << true << QDate(2025, 7, 30) << "30"
        << "7";
    QTest::newRow("yearly empty box") << Kind::Yearly << jan20 << "" << 2 << false << QDate() << ""
                                      << "";

    QTest::newRow("weekly keeps the start") << Kind::Weekly << april20 << "" << 0 << true << april20 << ""
                                            << "";
    QTest::newRow("daily keeps the start") << Kind::Daily << april20 << "x" << 0 << true << april20 << ""
                                           << "";
}

void TestEventSave::patternApplication()
{
    QFETCH(Kind, kind);
    QFETCH(QDate, start);
    QFETCH(QString, dayBox);
    QFETCH(int, monthIndex);
    QFETCH(bool, valid);
    QFETCH(QDate, first);
    QFETCH(QString, d);
    QFETCH(QString, m);

    const QString monthly = kind == Kind::Monthly ? dayBox : QString();
    const QString yearly = kind == Kind::Monthly ? QString() : dayBox;
    const auto applied = RecurrencePattern::apply(kind, start, monthly, yearly, monthIndex);
    QCOMPARE(applied.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(applied->start, first);
    QCOMPARE(applied->d.value_or(QString()), d);
    QCOMPARE(applied->m.value_or(QString()), m);
}

// --- new items -------------------------------------------------------------

void TestEventSave::newItemTimes_data()
{
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("endRow");
    QTest::addColumn<QTime>("st");
    QTest::addColumn<QTime>("et");
    QTest::newRow("rows 16 to 17") << 16 << 17 << QTime(8, 0) << QTime(9, 0);
    QTest::newRow("no selection since start") << 16 << 16 << QTime(8, 0) << QTime(8, 30);
    QTest::newRow("row 0") << 0 << 0 << QTime(0, 0) << QTime(0, 30);
    QTest::newRow("row 17 is 8:30") << 17 << 18 << QTime(8, 30) << QTime(9, 30);
    QTest::newRow("ending in row 47") << 40 << 47 << QTime(20, 0) << QTime(23, 55);
    QTest::newRow("dragged upwards") << 20 << 18 << QTime(10, 0) << QTime(10, 30);
}

void TestEventSave::newItemTimes()
{
    QFETCH(int, startRow);
    QFETCH(int, endRow);
    QFETCH(QTime, st);
    QFETCH(QTime, et);
    const FieldChanges row = NewEvent::fields(NewEvent::Kind::Appointment, QDate(2024, 5, 8), startRow, endRow, false);
    QCOMPARE(row.value("St").toTime(), st);
    QCOMPARE(row.value("Et").toTime(), et);
    QCOMPARE(row.value("Md").toString(), QString("0"));
    QCOMPARE(row.value("S").toDate(), QDate(2024, 5, 8));
    QCOMPARE(row.value("E").toDate(), QDate(2024, 5, 8));
    QCOMPARE(row.value("Re").toBool(), false);
    QVERIFY(!row.contains("Ret"));
    QVERIFY(!row.contains("Sun"));
}

void TestEventSave::newRecurringAppointmentIsWeeklyOnItsWeekday()
{
    // 8 May 2024 is a Wednesday.
    const FieldChanges row = NewEvent::fields(NewEvent::Kind::RecurringAppointment, QDate(2024, 5, 8), 16, 16, true);
    QCOMPARE(row.value("Re").toBool(), true);
    QCOMPARE(row.value("Ret").toString(), QString("2"));
    QCOMPARE(row.value("R").toBool(), true);
    for (const QString &day : ItemField::weekdayFlags())
        QCOMPARE(row.value(day).toBool(), day == QLatin1String("Wed"));
}

QTEST_GUILESS_MAIN(TestEventSave)
#include "test_eventsave.moc"
