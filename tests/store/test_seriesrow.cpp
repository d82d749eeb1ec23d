// A series in its row: the pattern fields as a rule, the shape an extended
// series is written in, and "delete this occurrence", each checked against
// the day filter texts the views set.

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/SeriesRow.h"
#include "store/TableFile.h"
#include "tests/store/SeriesWalk.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// The day view's general rule for a date, with the clause the extended
// series add to it.
QString dayFilter(const QDate &day)
{
    const QString text = day.toString(QStringLiteral("M/d/yyyy"));
    return QStringLiteral("S <='%1'and E >= '%1' and Ta<>'True' or Re = 'True' and  %2 = 'True' and S < '%1' or "
                          "Re = 'True' and Ret='3' and D = '%3' and S < '%1' or Re = 'True' and  D = '%3' and M = "
                          "'%4' and S < '%1' or Re = 'True' and Rr occurs '%5'")
        .arg(text, ItemField::weekdayFlag(day), QString::number(day.day()), QString::number(day.month()),
             day.toString(Qt::ISODate));
}

QString listed(const SeriesDates &dates)
{
    QStringList texts;
    for (const QDate &date : dates)
        texts << date.toString(Qt::ISODate);
    return texts.join(QLatin1Char(' '));
}

} // namespace

class TestSeriesRow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Cursor m_cursor;

    // The dates on which the filter texts show the row, over [from, to].
    SeriesDates shownOn(qint64 id, const QDate &from, const QDate &to)
    {
        SeriesDates dates;
        for (QDate day = from; day <= to; day = day.addDays(1)) {
            if (!m_cursor.setFilter(dayFilter(day)))
                qFatal("%s", qPrintable(m_cursor.lastError()));
            m_cursor.setFiltered(true);
            if (m_cursor.locate(ItemField::No, id))
                dates.push_back(day);
        }
        m_cursor.setFiltered(false);
        return dates;
    }

    // A recurring row of the pattern fields, as the event editor saves one.
    qint64 addPatternRow(const QDate &start, const QString &ret, const QString &flags, const QString &day,
                         const QString &month)
    {
        m_cursor.insert();
        m_cursor.setValue(ItemField::Subject, QStringLiteral("series"));
        m_cursor.setValue(ItemField::S, start);
        m_cursor.setValue(ItemField::E, start);
        m_cursor.setValue(ItemField::Md, QStringLiteral("0"));
        m_cursor.setValue(ItemField::Re, true);
        m_cursor.setValue(ItemField::Ret, ret);
        for (int flag = 0; flag < 7; ++flag)
            m_cursor.setValue(ItemField::weekdayFlags()[flag], flags[flag] == QLatin1Char('1'));
        m_cursor.setValue(ItemField::D, day.isEmpty() ? QVariant() : QVariant(day));
        m_cursor.setValue(ItemField::M, month.isEmpty() ? QVariant() : QVariant(month));
        m_cursor.setValue(ItemField::Rs, start.addDays(-1));
        m_cursor.setValue(ItemField::Rd, QString::number(start.addDays(-1).day()));
        if (!m_cursor.post())
            qFatal("%s", qPrintable(m_cursor.lastError()));
        return m_cursor.currentId();
    }

private slots:
    void initTestCase()
    {
        pinTestLocale();
        QVERIFY(TableFile::create(m_dir.filePath(QStringLiteral("rows.db")), calendarSchema()));
        m_cursor.setTableFile(m_dir.path(), QStringLiteral("rows.db"), calendarSchema());
        QVERIFY(m_cursor.open());
    }

    // Flags are Sunday first, "1" for true.
    void patternsBecomeRulesOfTheSameDates_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("ret");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("rule");
        QTest::newRow("every day") << QDate(2024, 2, 27) << "1"
                                   << "1111111"
                                   << ""
                                   << ""
                                   << "FREQ=DAILY";
        QTest::newRow("every weekday, first date a Saturday") << QDate(2024, 3, 2) << "1"
                                                              << "0111110"
                                                              << ""
                                                              << ""
                                                              << "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR";
        QTest::newRow("weekly on Monday and Sunday") << QDate(2024, 5, 6) << "2"
                                                     << "1100000"
                                                     << ""
                                                     << ""
                                                     << "FREQ=WEEKLY;BYDAY=MO,SU";
        QTest::newRow("weekly with no day: the first date alone") << QDate(2024, 5, 6) << "2"
                                                                  << "0000000"
                                                                  << ""
                                                                  << ""
                                                                  << "FREQ=WEEKLY;COUNT=1";
        QTest::newRow("monthly on the 31st") << QDate(2024, 1, 31) << "3"
                                             << "0000000"
                                             << "31"
                                             << ""
                                             << "FREQ=MONTHLY;BYMONTHDAY=31";
        QTest::newRow("monthly with a month left from before") << QDate(2024, 1, 15) << "3"
                                                               << "0000000"
                                                               << "15"
                                                               << "7"
                                                               << "FREQ=MONTHLY;BYMONTHDAY=15";
        QTest::newRow("yearly on 29 February") << QDate(2024, 2, 29) << "4"
                                               << "0000000"
                                               << "29"
                                               << "2"
                                               << "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29";
        QTest::newRow("a day with a leading zero matches nothing") << QDate(2024, 1, 5) << "3"
                                                                   << "0000000"
                                                                   << "05"
                                                                   << ""
                                                                   << "FREQ=MONTHLY;COUNT=1";
        QTest::newRow("every day with a yearly day left from before") << QDate(2024, 1, 5) << "1"
                                                                      << "1111111"
                                                                      << "5"
                                                                      << "1"
                                                                      << "FREQ=DAILY";
    }

    void patternsBecomeRulesOfTheSameDates()
    {
        QFETCH(QDate, start);
        QFETCH(QString, ret);
        QFETCH(QString, flags);
        QFETCH(QString, day);
        QFETCH(QString, month);
        QFETCH(QString, rule);
        const qint64 id = addPatternRow(start, ret, flags, day, month);
        QVERIFY(m_cursor.locate(ItemField::No, id));
        const Result<SeriesRule> converted = SeriesRow::ruleOfPattern(m_cursor);
        QVERIFY2(converted, qPrintable(converted.error()));
        QCOMPARE(converted->text(), rule);
        // Where the filter texts show the pattern row is where the rule falls.
        const QDate to = start.addYears(5);
        const SeriesDates shown = shownOn(id, start.addDays(-3), to);
        const SeriesOccurrences series(converted.value(), start, {});
        QCOMPARE(listed(series.occurrences(start.addDays(-3), to)), listed(shown));
        QVERIFY(m_cursor.locate(ItemField::No, id));
        QVERIFY(m_cursor.deleteRow());
    }

    void patternOfTwoKindsIsNoOneRule()
    {
        const Result<SeriesRule> rule =
            SeriesRow::ruleOfPattern(QStringLiteral("2"), {false, true, false, false, false, false, false},
                                     QStringLiteral("14"), QStringLiteral("1"));
        QCOMPARE(rule.error(),
                 QStringLiteral("The series falls on its weekdays and on a day of the month or year as "
                                "well; one rule cannot say both."));
    }

    // An old yearly row (its D and M and Rd kept) made an extended series:
    // the filter texts show it on the rule's dates and on no other, and a
    // removed first date moves the start, the count and the reminder.
    void extendedSeriesShowsOnItsDatesOnly_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QDate>("expectedStart");
        QTest::addColumn<QString>("expectedRule");
        QTest::addColumn<QString>("expectedRemoved");
        QTest::newRow("fortnightly ten times, one skipped")
            << "FREQ=WEEKLY;INTERVAL=2;COUNT=10"
            << "2025-02-03" << QDate(2025, 1, 6) << "FREQ=WEEKLY;INTERVAL=2;COUNT=10;BYDAY=MO"
            << "2025-02-03";
        QTest::newRow("first date removed: the start moves, the count drops")
            << "FREQ=WEEKLY;INTERVAL=2;COUNT=10"
            << "2025-01-06" << QDate(2025, 1, 20) << "FREQ=WEEKLY;INTERVAL=2;COUNT=9;BYDAY=MO"
            << "";
        QTest::newRow("first two removed, a later one kept")
            << "FREQ=MONTHLY;BYDAY=-1FR;COUNT=6"
            << "2025-01-06,2025-01-31,2025-04-25" << QDate(2025, 2, 28) << "FREQ=MONTHLY;COUNT=4;BYDAY=-1FR"
            << "2025-04-25";
        QTest::newRow("first date removed from an endless series")
            << "FREQ=MONTHLY"
            << "2025-01-06" << QDate(2025, 2, 6) << "FREQ=MONTHLY;BYMONTHDAY=6"
            << "";
        QTest::newRow("ending by a date, first removed")
            << "FREQ=DAILY;INTERVAL=10;UNTIL=20250301"
            << "2025-01-06" << QDate(2025, 1, 16) << "FREQ=DAILY;INTERVAL=10;UNTIL=20250301"
            << "";
    }

    void extendedSeriesShowsOnItsDatesOnly()
    {
        QFETCH(QString, rule);
        QFETCH(QString, removed);
        QFETCH(QDate, expectedStart);
        QFETCH(QString, expectedRule);
        QFETCH(QString, expectedRemoved);
        const QDate start(2025, 1, 6); // a Monday
        const qint64 id = addPatternRow(start, QStringLiteral("4"), QStringLiteral("0000000"), QStringLiteral("6"),
                                        QStringLiteral("1"));
        QVERIFY(m_cursor.locate(ItemField::No, id));
        QVERIFY(m_cursor.edit());
        const SeriesDates removedDates = parseRemovedDates(removed).value();
        const Outcome written =
            SeriesRow::writeExtendedSeries(m_cursor, SeriesRule::parse(rule).value(), start, removedDates);
        QVERIFY2(written, qPrintable(written.error()));
        QVERIFY2(m_cursor.post(), qPrintable(m_cursor.lastError()));

        QCOMPARE(m_cursor.asDate(ItemField::S), expectedStart);
        QCOMPARE(m_cursor.asDate(ItemField::E), expectedStart);
        QCOMPARE(m_cursor.asDate(ItemField::Rs), expectedStart.addDays(-1));
        QCOMPARE(m_cursor.asText(ItemField::Rr), expectedRule);
        QCOMPARE(m_cursor.asText(ItemField::Rx), expectedRemoved);
        const QMap<QString, QString> kinds {{"DAILY", "1"}, {"WEEKLY", "2"}, {"MONTHLY", "3"}, {"YEARLY", "4"}};
        QCOMPARE(m_cursor.asText(ItemField::Ret), kinds.value(rule.section(QLatin1Char(';'), 0, 0).mid(5)));
        for (const QString &flag : ItemField::weekdayFlags())
            QCOMPARE(m_cursor.value(flag), QVariant(false));
        for (const QString &field : {ItemField::D, ItemField::M, ItemField::Rd, ItemField::Rm})
            QVERIFY2(m_cursor.isBlank(field), qPrintable(field));

        const QDate to(2027, 12, 31);
        const SeriesDates walked = walkedDates(rule, start, removedDates, to);
        QCOMPARE(listed(shownOn(id, start.addDays(-7), to)), listed(walked));
        QVERIFY(m_cursor.locate(ItemField::No, id));
        QVERIFY(m_cursor.deleteRow());
    }

    // "Delete this occurrence" on a weekly row of the pattern fields.
    void removingOccurrencesOneByOne()
    {
        const QDate start(2025, 3, 3); // Monday
        const qint64 id = addPatternRow(start, QStringLiteral("2"), QStringLiteral("0100100"), QString(), QString());
        auto remove = [&](const QDate &date) {
            if (!m_cursor.locate(ItemField::No, id) || !m_cursor.edit())
                return Outcome::failed(QStringLiteral("no row"));
            const Outcome removed = SeriesRow::removeOccurrence(m_cursor, date);
            if (removed)
                m_cursor.post();
            else
                m_cursor.cancel();
            return removed;
        };
        QVERIFY(remove(QDate(2025, 3, 13)));
        QVERIFY(remove(start));
        QCOMPARE(remove(QDate(2025, 3, 12)).error(), QStringLiteral("The series has no occurrence on 2025-03-12."));
        QVERIFY(m_cursor.locate(ItemField::No, id));
        QCOMPARE(m_cursor.asDate(ItemField::S), QDate(2025, 3, 6));
        QCOMPARE(m_cursor.asText(ItemField::Rr), QStringLiteral("FREQ=WEEKLY;BYDAY=MO,TH"));
        QCOMPARE(m_cursor.asText(ItemField::Rx), QStringLiteral("2025-03-13"));
        QCOMPARE(listed(shownOn(id, QDate(2025, 3, 1), QDate(2025, 3, 20))),
                 QStringLiteral("2025-03-06 2025-03-10 2025-03-17 2025-03-20"));
        QVERIFY(m_cursor.deleteRow());

        // The last occurrence cannot be removed: the caller deletes the series.
        const qint64 single =
            addPatternRow(start, QStringLiteral("2"), QStringLiteral("0000000"), QString(), QString());
        QVERIFY(m_cursor.locate(ItemField::No, single));
        QVERIFY(m_cursor.edit());
        QCOMPARE(SeriesRow::removeOccurrence(m_cursor, start).error(),
                 QStringLiteral("No occurrence of the series is left."));
        m_cursor.cancel();
        QVERIFY(m_cursor.isBlank(ItemField::Rr));
        QVERIFY(m_cursor.deleteRow());
    }
};

QTEST_GUILESS_MAIN(TestSeriesRow)
#include "test_seriesrow.moc"
