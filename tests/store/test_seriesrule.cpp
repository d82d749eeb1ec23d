// Series rules: what they accept, how they are written, and on which dates
// a series falls, checked against a walk over the calendar day by day.

#include "store/SeriesRule.h"
#include "tests/store/SeriesWalk.h"

#include <QMap>
#include <QtTest>

namespace {

QString listed(const SeriesDates &dates)
{
    QStringList texts;
    for (const QDate &date : dates)
        texts << date.toString(Qt::ISODate);
    return texts.join(QLatin1Char(' '));
}

} // namespace

class TestSeriesRule : public QObject
{
    Q_OBJECT

private slots:
    void occurrencesMatchADayByDayWalk_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("expectedCount"); // in [from, to]: the walk is checked too
        const QDate d2023(2023, 1, 1), d2029(2029, 12, 31);
        QTest::newRow("every 3 days across a month and a year end")
            << "FREQ=DAILY;INTERVAL=3" << QDate(2023, 12, 27) << "" << QDate(2023, 12, 20) << QDate(2024, 3, 10) << 25;
        QTest::newRow("every other weekday") << "FREQ=DAILY;INTERVAL=2;BYDAY=MO,TU,WE,TH,FR" << QDate(2024, 2, 26) << ""
                                             << d2023 << QDate(2024, 6, 30) << 45;
        QTest::newRow("every 7 days on a weekday it never reaches: the first date only")
            << "FREQ=DAILY;INTERVAL=7;BYDAY=TU" << QDate(2024, 5, 6) << "" << d2023 << d2029 << 1;
        QTest::newRow("fortnightly Monday and Thursday, weeks from Sunday, first date a Sunday")
            << "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,TH;WKST=SU" << QDate(2024, 12, 29) << "" << d2023 << QDate(2025, 12, 31)
            << 54;
        QTest::newRow("fortnightly Monday and Thursday, weeks from Monday, first date a Sunday")
            << "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,TH" << QDate(2024, 12, 29) << "" << d2023 << QDate(2025, 12, 31) << 53;
        QTest::newRow("fortnightly, ten times, two removed (they still count)")
            << "FREQ=WEEKLY;INTERVAL=2;COUNT=10" << QDate(2025, 12, 15) << "2025-12-29,2026-03-09" << d2023 << d2029
            << 8;
        QTest::newRow("every 3 weeks on the first date's weekday, years later")
            << "FREQ=WEEKLY;INTERVAL=3" << QDate(2019, 3, 6) << "2031-01-01" << QDate(2030, 11, 1) << QDate(2031, 3, 1)
            << 6;
        QTest::newRow("first date off the pattern counts toward COUNT")
            << "FREQ=WEEKLY;BYDAY=MO;COUNT=3" << QDate(2024, 5, 8) << "" << d2023 << d2029 << 3;
        QTest::newRow("monthly on the 31st skips the shorter months")
            << "FREQ=MONTHLY" << QDate(2024, 1, 31) << "" << d2023 << QDate(2025, 12, 31) << 14;
        QTest::newRow("monthly on day 29 meets February in leap years only")
            << "FREQ=MONTHLY;BYMONTHDAY=29" << QDate(2023, 1, 29) << "" << d2023 << QDate(2028, 12, 31) << 68;
        QTest::newRow("every 2 months on the last day, through leap and other Februaries")
            << "FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=-1" << QDate(2023, 12, 31) << "" << d2023 << d2029 << 37;
        QTest::newRow("monthly on the last Friday, in months of four and of five Fridays")
            << "FREQ=MONTHLY;BYDAY=-1FR" << QDate(2024, 1, 26) << "" << d2023 << QDate(2025, 12, 31) << 24;
        QTest::newRow("monthly on the fourth Friday, not the fifth where a month has one")
            << "FREQ=MONTHLY;BYDAY=4FR" << QDate(2024, 1, 26) << "" << d2023 << QDate(2025, 12, 31) << 24;
        QTest::newRow("every 3 months on the second Wednesday, ending by a date between two")
            << "FREQ=MONTHLY;INTERVAL=3;BYDAY=2WE;UNTIL=20251201" << QDate(2024, 1, 10) << "" << d2023 << d2029 << 8;
        QTest::newRow("yearly on 29 February: leap years, 2100 not one")
            << "FREQ=YEARLY" << QDate(2096, 2, 29) << "" << QDate(2090, 1, 1) << QDate(2112, 12, 31) << 4;
        QTest::newRow("yearly on the last day of February")
            << "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1" << QDate(2023, 2, 28) << "" << d2023 << QDate(2032, 12, 31) << 10;
        QTest::newRow("every 2 years on the second Wednesday of March, first date in January")
            << "FREQ=YEARLY;INTERVAL=2;BYMONTH=3;BYDAY=2WE" << QDate(2024, 1, 10) << "" << d2023 << QDate(2034, 12, 31)
            << 7;
        QTest::newRow("yearly on the last Monday of May, six times, one removed")
            << "FREQ=YEARLY;BYMONTH=5;BYDAY=-1MO;COUNT=6" << QDate(2024, 5, 27) << "2026-05-25" << d2023 << d2029 << 5;
        QTest::newRow("weekly ending on an occurrence")
            << "FREQ=WEEKLY;UNTIL=20240527" << QDate(2024, 5, 6) << "" << d2023 << d2029 << 4;
        QTest::newRow("weekly ending between two occurrences")
            << "FREQ=WEEKLY;UNTIL=20240530" << QDate(2024, 5, 6) << "" << d2023 << d2029 << 4;
        QTest::newRow("monthly six times with two removed")
            << "FREQ=MONTHLY;COUNT=6" << QDate(2024, 10, 15) << "2024-11-15,2025-02-15" << d2023 << d2029 << 4;
        QTest::newRow("first date removed")
            << "FREQ=DAILY;COUNT=5" << QDate(2024, 2, 27) << "2024-02-27" << d2023 << d2029 << 4;
        QTest::newRow("window inside a long series")
            << "FREQ=DAILY;INTERVAL=5" << QDate(2001, 3, 3) << "" << QDate(2026, 2, 1) << QDate(2026, 2, 28) << 5;
    }

    void occurrencesMatchADayByDayWalk()
    {
        QFETCH(QString, rule);
        QFETCH(QDate, start);
        QFETCH(QString, removed);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, expectedCount);
        const Result<SeriesRule> parsed = SeriesRule::parse(rule);
        QVERIFY2(parsed, qPrintable(parsed.error()));
        const Result<SeriesDates> removedDates = parseRemovedDates(removed);
        QVERIFY(removedDates);

        QDate walkedLast;
        SeriesDates walked =
            walkedDates(rule, start, removedDates.value(), std::max(to, QDate(2040, 1, 1)), &walkedLast);
        walked.erase(
            std::remove_if(walked.begin(), walked.end(), [&](const QDate &date) { return date < from || date > to; }),
            walked.end());
        QCOMPARE(int(walked.size()), expectedCount);

        const SeriesOccurrences series(parsed.value(), start, removedDates.value());
        QCOMPARE(listed(series.occurrences(from, to)), listed(walked));
        // Asked one date at a time, from a week before the window on.
        SeriesDates single;
        for (QDate date = from.addDays(-7); date <= to; date = date.addDays(1)) {
            if (series.occursOn(date) && date >= from)
                single.push_back(date);
        }
        QCOMPARE(listed(single), listed(walked));
        // An ending series knows its last counted date, removed or not.
        if (parsed->count > 0 || parsed->until.isValid())
            QCOMPARE(series.last(), walkedLast);
        else
            QVERIFY(!series.last().isValid());
    }

    void canonicalText_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("already canonical") << "FREQ=WEEKLY;INTERVAL=2;COUNT=10;BYDAY=MO,WE"
                                           << "FREQ=WEEKLY;INTERVAL=2;COUNT=10;BYDAY=MO,WE";
        QTest::newRow("parts in any order, days in week order, lower case") << "byday=FR,MO;freq=weekly;interval=2"
                                                                            << "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,FR";
        QTest::newRow("INTERVAL=1 and a WKST that changes nothing are left out") << "FREQ=DAILY;INTERVAL=1;WKST=SU"
                                                                                 << "FREQ=DAILY";
        QTest::newRow("WKST=SU kept where it decides the weeks") << "WKST=SU;FREQ=WEEKLY;INTERVAL=3;BYDAY=TU,SU"
                                                                 << "FREQ=WEEKLY;INTERVAL=3;BYDAY=TU,SU;WKST=SU";
        QTest::newRow("WKST=MO is the default") << "FREQ=WEEKLY;INTERVAL=3;WKST=MO"
                                                << "FREQ=WEEKLY;INTERVAL=3";
        QTest::newRow("yearly nth weekday") << "BYDAY=-1FR;BYMONTH=11;FREQ=YEARLY;UNTIL=20301231"
                                            << "FREQ=YEARLY;UNTIL=20301231;BYMONTH=11;BYDAY=-1FR";
        QTest::newRow("last day of the month") << "FREQ=MONTHLY;BYMONTHDAY=-1;COUNT=12"
                                               << "FREQ=MONTHLY;COUNT=12;BYMONTHDAY=-1";
    }

    void canonicalText()
    {
        QFETCH(QString, input);
        QFETCH(QString, canonical);
        const Result<SeriesRule> parsed = SeriesRule::parse(input);
        QVERIFY2(parsed, qPrintable(parsed.error()));
        QCOMPARE(parsed->text(), canonical);
        QCOMPARE(SeriesRule::parse(canonical)->text(), canonical);
    }

    void outsideTheSetIsRefusedWithItsReason_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "The series rule is empty.";
        QTest::newRow("no FREQ") << "INTERVAL=2"
                                 << "The series rule has no FREQ.";
        QTest::newRow("hourly") << "FREQ=HOURLY"
                                << "FREQ must be DAILY, WEEKLY, MONTHLY or YEARLY, not \"HOURLY\".";
        QTest::newRow("interval 0") << "FREQ=DAILY;INTERVAL=0"
                                    << "INTERVAL must be a number from 1 to 999, not \"0\".";
        QTest::newRow("interval 1000") << "FREQ=DAILY;INTERVAL=1000"
                                       << "INTERVAL must be a number from 1 to 999, not \"1000\".";
        QTest::newRow("count 0") << "FREQ=DAILY;COUNT=0"
                                 << "COUNT must be a number from 1 on, not \"0\".";
        QTest::newRow("count and until") << "FREQ=DAILY;COUNT=3;UNTIL=20250101"
                                         << "A series rule gives COUNT or UNTIL, not both.";
        QTest::newRow("until with a time") << "FREQ=DAILY;UNTIL=20250101T120000Z"
                                           << "UNTIL must be a date YYYYMMDD, not \"20250101T120000Z\".";
        QTest::newRow("until not a date") << "FREQ=DAILY;UNTIL=20250231"
                                          << "UNTIL must be a date YYYYMMDD, not \"20250231\".";
        QTest::newRow("fifth weekday") << "FREQ=MONTHLY;BYDAY=5FR"
                                       << "The ordinal of a weekday must be 1 to 4 or -1 (the last), not \"5\".";
        QTest::newRow("second last weekday") << "FREQ=MONTHLY;BYDAY=-2FR"
                                             << "The ordinal of a weekday must be 1 to 4 or -1 (the last), not \"-2\".";
        QTest::newRow("two ordinal weekdays")
            << "FREQ=MONTHLY;BYDAY=1MO,3MO"
            << "BYDAY with an ordinal (such as 2WE) must name one weekday only, not \"1MO,3MO\".";
        QTest::newRow("monthly on every Friday")
            << "FREQ=MONTHLY;BYDAY=FR"
            << "With FREQ=MONTHLY, BYDAY must be one weekday with an ordinal 1 to 4 or -1 (such as 2WE or -1FR).";
        QTest::newRow("weekly with an ordinal")
            << "FREQ=WEEKLY;BYDAY=2MO"
            << "A weekday with an ordinal (such as 2WE) needs FREQ=MONTHLY or YEARLY.";
        QTest::newRow("bad weekday") << "FREQ=WEEKLY;BYDAY=MO,XX"
                                     << "BYDAY must list weekdays MO to SU, each with at most an ordinal 1 to 4 or -1 "
                                        "(such as MO,WE or 2WE), not \"MO,XX\".";
        QTest::newRow("weekday twice") << "FREQ=WEEKLY;BYDAY=MO,MO"
                                       << "BYDAY names MO twice.";
        QTest::newRow("two month days") << "FREQ=MONTHLY;BYMONTHDAY=1,15"
                                        << "BYMONTHDAY must be one day from 1 to 31 or -1 (the last), not \"1,15\".";
        QTest::newRow("second last day") << "FREQ=MONTHLY;BYMONTHDAY=-2"
                                         << "BYMONTHDAY must be one day from 1 to 31 or -1 (the last), not \"-2\".";
        QTest::newRow("month day and weekday") << "FREQ=MONTHLY;BYMONTHDAY=13;BYDAY=1FR"
                                               << "A series rule gives BYDAY or BYMONTHDAY, not both.";
        QTest::newRow("month day on a weekly rule") << "FREQ=WEEKLY;BYMONTHDAY=3"
                                                    << "BYMONTHDAY needs FREQ=MONTHLY or YEARLY.";
        QTest::newRow("BYMONTH on a monthly rule") << "FREQ=MONTHLY;BYMONTH=3"
                                                   << "BYMONTH needs FREQ=YEARLY.";
        QTest::newRow("two months") << "FREQ=YEARLY;BYMONTH=3,9"
                                    << "BYMONTH must be one month from 1 to 12, not \"3,9\".";
        QTest::newRow("yearly weekday without a month") << "FREQ=YEARLY;BYDAY=1MO"
                                                        << "With FREQ=YEARLY, BYDAY and BYMONTHDAY need BYMONTH.";
        QTest::newRow("week from Wednesday") << "FREQ=WEEKLY;WKST=WE"
                                             << "WKST must be MO or SU, not \"WE\".";
        QTest::newRow("set position") << "FREQ=MONTHLY;BYDAY=MO,TU;BYSETPOS=-1"
                                      << "BYSETPOS is not part of the series rules the planner keeps.";
        QTest::newRow("part twice") << "FREQ=DAILY;FREQ=WEEKLY"
                                    << "The series rule gives FREQ twice.";
        QTest::newRow("no value") << "FREQ=DAILY;COUNT"
                                  << "\"COUNT\" in the series rule is not of the form NAME=VALUE.";
        QTest::newRow("count with a sign") << "FREQ=DAILY;COUNT=+3"
                                           << "COUNT must be a number from 1 on, not \"+3\".";
    }

    void outsideTheSetIsRefusedWithItsReason()
    {
        QFETCH(QString, input);
        QFETCH(QString, message);
        const Result<SeriesRule> parsed = SeriesRule::parse(input);
        QVERIFY(parsed.isFailed());
        QCOMPARE(parsed.error(), message);
    }

    void removedDatesReadAndWrite()
    {
        const Result<SeriesDates> read = parseRemovedDates(QStringLiteral(" 2025-03-04, 2024-12-31,,2025-03-04 "));
        QVERIFY(read);
        QCOMPARE(removedDatesText(read.value()), QStringLiteral("2024-12-31,2025-03-04"));
        QVERIFY(parseRemovedDates(QString()));
        QCOMPARE(parseRemovedDates(QStringLiteral("2024-12-31,12/31/2024")).error(),
                 QStringLiteral("The removed date \"12/31/2024\" is not a date YYYY-MM-DD."));
    }
};

QTEST_GUILESS_MAIN(TestSeriesRule)
#include "test_seriesrule.moc"
