#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/LocaleFormats.h"
#include "store/SeriesRow.h"
#include "store/TableFile.h"
#include "views/OccurrenceRules.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

// The occurrence rules evaluated by the store on a real calendar file, for
// the cases where a wrong rule would show an item on the wrong day.
class TestOccurrenceRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void rules_data();
    void rules();
    void dayStartsHoldEverySlotsStarts();
    void extendedSeries_data();
    void extendedSeries();
    void filterTexts_data();
    void filterTexts();

private:
    QTemporaryDir m_dir;
    Cursor m_cursor {QStringLiteral("rules")};
    Cursor m_series {QStringLiteral("series")};
};

namespace {

enum class Rule { General, Timed, AllDay, SlotStart, Running };

void applyRule(Cursor &cursor, Rule rule, const QDate &date, int slot)
{
    switch (rule) {
    case Rule::General:
        OccurrenceRules::occursOn(cursor, date);
        break;
    case Rule::Timed:
        OccurrenceRules::timedOn(cursor, date);
        break;
    case Rule::AllDay:
        OccurrenceRules::allDayOn(cursor, date);
        break;
    case Rule::SlotStart:
        OccurrenceRules::startingInSlot(cursor, date, slot);
        break;
    case Rule::Running:
        OccurrenceRules::runningAtSlot(cursor, date, slot);
        break;
    }
}

QStringList subjectsOf(Cursor &cursor)
{
    QStringList got;
    for (cursor.first(); !cursor.eof(); cursor.next())
        got << cursor.asText("Subject");
    got.sort();
    return got;
}

QVariantMap recurring(const QString &subject, const QDate &first, const QString &ret)
{
    return {{"Subject", subject}, {"S", first},         {"E", first},         {"Md", "0"},  {"Re", true},
            {"Ret", ret},         {"St", QTime(12, 0)}, {"Et", QTime(13, 0)}, {"A", false}, {"Ta", false}};
}

QVariantMap withFields(QVariantMap map, const QVariantMap &more)
{
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

QVariantMap weekdays(QVariantMap map, const QStringList &on)
{
    for (const char *day : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
        map.insert(day, on.contains(QLatin1String(day)));
    return map;
}

} // namespace

namespace {

// Inserts an extended series through the store's one writer and gives its No.
qint64 insertSeries(Cursor &cursor, QVariantMap fields, const QString &rule, const QDate &start,
                    const SeriesDates &removed)
{
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    const Result<SeriesRule> parsed = SeriesRule::parse(rule);
    if (!parsed || !SeriesRow::writeExtendedSeries(cursor, parsed.value(), start, removed) || !cursor.post())
        return 0;
    return cursor.currentId();
}

} // namespace

void TestOccurrenceRules::initTestCase()
{
    pinTestLocale();
    const Outcome created = TableFile::create(m_dir.path() + "/rules.db", calendarSchema());
    QVERIFY2(created, qPrintable(created.error()));
    m_cursor.setTableFile(m_dir.path(), "rules.db", calendarSchema());
    m_cursor.setIndexName("sta");
    QVERIFY(m_cursor.open());

    const QList<QVariantMap> rows = {
        // Weekly on Monday, first dated Monday 3 May 2021.
        weekdays(recurring("weekly Mon", QDate(2021, 5, 3), "2"), {"Mon"}),
        // Every weekday, first dated Saturday 1 May 2021, 08:00-08:30.
        weekdays(withFields(recurring("weekdays", QDate(2021, 5, 1), "1"), {{"St", QTime(8, 0)}, {"Et", QTime(8, 30)}}),
                 {"Mon", "Tue", "Wed", "Thu", "Fri"}),
        // Monthly on the 31st, first dated 31 January 2021.
        weekdays(withFields(recurring("monthly 31", QDate(2021, 1, 31), "3"), {{"D", "31"}}), {}),
        // Yearly on 29 February, first dated 2004, all day.
        weekdays(withFields(recurring("yearly 29 Feb", QDate(2004, 2, 29), "4"),
                            {{"D", "29"}, {"M", "2"}, {"A", true}, {"St", QVariant()}, {"Et", QVariant()}}),
                 {}),
        // Once yearly on 14 January, then turned weekly on Sundays.
        weekdays(withFields(recurring("yearly turned weekly", QDate(2020, 1, 14), "2"), {{"D", "14"}, {"M", "1"}}),
                 {"Sun"}),
        // Multi-date timed item from 3 to 5 May 2021.
        {{"Subject", "multi-date"},
         {"S", QDate(2021, 5, 3)},
         {"E", QDate(2021, 5, 5)},
         {"St", QTime(15, 0)},
         {"Et", QTime(10, 0)},
         {"A", false}},
        // One-date timed 09:00-10:30 on Wednesday 12 May 2021, booleans blank.
        {{"Subject", "timed 9-10:30"},
         {"S", QDate(2021, 5, 12)},
         {"E", QDate(2021, 5, 12)},
         {"Md", "0"},
         {"St", QTime(9, 0)},
         {"Et", QTime(10, 30)}},
        // One-date all-day event on 12 May 2021.
        {{"Subject", "all-day 12 May"}, {"S", QDate(2021, 5, 12)}, {"E", QDate(2021, 5, 12)}, {"Md", "0"}, {"A", true}},
        // Zero length at 09:00 on Thursday 13 May 2021.
        {{"Subject", "zero length"},
         {"S", QDate(2021, 5, 13)},
         {"E", QDate(2021, 5, 13)},
         {"Md", "0"},
         {"St", QTime(9, 0)},
         {"Et", QTime(9, 0)},
         {"A", false}},
        // A task spanning the whole test period: never on any view.
        {{"Subject", "task"}, {"S", QDate(2021, 5, 1)}, {"E", QDate(2021, 5, 31)}, {"Ta", true}},
    };
    for (const QVariantMap &row : rows) {
        m_cursor.insert();
        for (auto it = row.cbegin(); it != row.cend(); ++it)
            m_cursor.setValue(it.key(), it.value());
        QVERIFY2(m_cursor.post(), qPrintable(m_cursor.lastError()));
    }

    // Extended series, in their own file so the rows above keep their answers.
    QVERIFY(TableFile::create(m_dir.path() + "/series.db", calendarSchema()));
    m_series.setTableFile(m_dir.path(), "series.db", calendarSchema());
    m_series.setIndexName("sta");
    QVERIFY(m_series.open());
    const QVariantMap timed = {{"St", QTime(12, 0)}, {"Et", QTime(13, 0)}, {"A", false}, {"Ta", false}};
    const QVariantMap allDay = {{"A", true}, {"Ta", false}};
    // Every other Monday from 3 May 2021, ten times; 31 May skipped, 14 June moved.
    const qint64 fortnightly =
        insertSeries(m_series, withFields(timed, {{"Subject", "fortnightly"}}), "FREQ=WEEKLY;INTERVAL=2;COUNT=10",
                     QDate(2021, 5, 3), {QDate(2021, 5, 31), QDate(2021, 6, 14)});
    QVERIFY(fortnightly != 0);
    QVERIFY(insertSeries(m_series, withFields(allDay, {{"Subject", "last Friday"}}), "FREQ=MONTHLY;BYDAY=-1FR",
                         QDate(2021, 4, 30), {})
            != 0);
    // Three days from Thursday 1 July 2021, the first removed.
    QVERIFY(insertSeries(m_series, withFields(allDay, {{"Subject", "three days"}}), "FREQ=DAILY;COUNT=3",
                         QDate(2021, 7, 1), {QDate(2021, 7, 1)})
            != 0);
    m_series.insert();
    for (const auto &[field, value] :
         std::initializer_list<std::pair<const char *, QVariant>> {{"Subject", "moved"},
                                                                   {"S", QDate(2021, 6, 15)},
                                                                   {"E", QDate(2021, 6, 15)},
                                                                   {"Md", "0"},
                                                                   {"St", QTime(14, 0)},
                                                                   {"Et", QTime(15, 0)},
                                                                   {"A", false},
                                                                   {"Rp", fortnightly},
                                                                   {"Ro", QDate(2021, 6, 14)}})
        m_series.setValue(field, value);
    QVERIFY2(m_series.post(), qPrintable(m_series.lastError()));
}

void TestOccurrenceRules::rules_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("expected");

    const int G = int(Rule::General), T = int(Rule::Timed), A = int(Rule::AllDay);
    const int S = int(Rule::SlotStart), R = int(Rule::Running);
    auto row = [](const char *name, int rule, QDate date, int slot, QStringList expected) {
        expected.sort();
        QTest::newRow(name) << rule << date << slot << expected;
    };

    // Weekly: on its first date and every Monday after, never before.
    row("weekly, first date", G, {2021, 5, 3}, -1, {"multi-date", "weekdays", "weekly Mon"});
    row("weekly, a week later", G, {2021, 5, 10}, -1, {"weekdays", "weekly Mon"});
    row("weekly, two weeks later", G, {2021, 5, 17}, -1, {"weekdays", "weekly Mon"});
    row("weekly, the Monday before", G, {2021, 4, 26}, -1, {});

    // Every weekday: on its first date (a Saturday), then Monday to Friday only.
    row("weekdays, first date Saturday", G, {2021, 5, 1}, -1, {"weekdays"});
    row("weekdays, next Saturday", G, {2021, 5, 8}, -1, {});
    row("weekdays, Sunday after (only the Sunday series)", G, {2021, 5, 2}, -1, {"yearly turned weekly"});
    row("weekdays, Friday", G, {2021, 5, 7}, -1, {"weekdays"});

    // Monthly on the 31st: 31 March yes, no day of April.
    row("monthly 31, 31 March", G, {2021, 3, 31}, -1, {"monthly 31"});
    row("monthly 31, 30 April", G, {2021, 4, 30}, -1, {});
    row("monthly 31, first date", G, {2021, 1, 31}, -1, {"monthly 31", "yearly turned weekly"});

    // Yearly on 29 February: 2008 yes, nothing in 2005 (28 Feb, 1 Mar).
    row("yearly 29 Feb, 2008", G, {2008, 2, 29}, -1, {"yearly 29 Feb"});
    row("yearly 29 Feb, 28 Feb 2005", G, {2005, 2, 28}, -1, {});
    row("yearly 29 Feb, 1 Mar 2005", G, {2005, 3, 1}, -1, {});
    row("yearly 29 Feb, all-day strip 2008", A, {2008, 2, 29}, -1, {"yearly 29 Feb"});
    row("yearly 29 Feb, no block 2008", T, {2008, 2, 29}, -1, {});

    // A yearly item turned weekly still passes on its day and month.
    row("turned weekly, 14 Jan 2021 (Thursday)", G, {2021, 1, 14}, -1, {"yearly turned weekly"});
    row("turned weekly, a Sunday", G, {2021, 1, 17}, -1, {"yearly turned weekly"});
    row("turned weekly, a Monday", G, {2021, 1, 18}, -1, {});

    // Multi-date timed item: in the strip on each of its dates, never a block.
    row("multi-date, strip, first date", A, {2021, 5, 3}, -1, {"multi-date"});
    row("multi-date, strip, middle", A, {2021, 5, 4}, -1, {"multi-date"});
    row("multi-date, strip, last date", A, {2021, 5, 5}, -1, {"multi-date"});
    row("multi-date, strip, day after", A, {2021, 5, 6}, -1, {});
    row("multi-date, no block, first date", T, {2021, 5, 3}, -1, {"weekdays", "weekly Mon"});
    row("multi-date, no block, middle", T, {2021, 5, 4}, -1, {"weekdays"});
    row("multi-date, no slot", S, {2021, 5, 3}, 30, {});

    // Blocks and strip split one-date items by their all-day flag; blank A is a block.
    row("12 May blocks", T, {2021, 5, 12}, -1, {"timed 9-10:30", "weekdays"});
    row("12 May strip", A, {2021, 5, 12}, -1, {"all-day 12 May"});
    row("12 May general", G, {2021, 5, 12}, -1, {"all-day 12 May", "timed 9-10:30", "weekdays"});

    // Slots: 09:00-10:30 starts in the 09:00 slot only, runs at 09:30 and 10:00.
    row("starts at 08:00 (recurring)", S, {2021, 5, 12}, 16, {"weekdays"});
    row("starts at 08:30", S, {2021, 5, 12}, 17, {});
    row("starts at 09:00", S, {2021, 5, 12}, 18, {"timed 9-10:30"});
    row("starts at 09:30", S, {2021, 5, 12}, 19, {});
    row("running at 09:00", R, {2021, 5, 12}, 18, {});
    row("running at 09:30", R, {2021, 5, 12}, 19, {"timed 9-10:30"});
    row("running at 10:00", R, {2021, 5, 12}, 20, {"timed 9-10:30"});
    row("running at 10:30", R, {2021, 5, 12}, 21, {});
    row("running at 08:00 (recurring ends 08:30)", R, {2021, 5, 12}, 16, {});
    row("all-day never in a slot", S, {2021, 5, 12}, 0, {});

    // Zero length at 09:00: starts in its slot, runs in none.
    row("zero length starts at 09:00", S, {2021, 5, 13}, 18, {"zero length"});
    row("zero length not running at 09:00", R, {2021, 5, 13}, 18, {});
    row("zero length not running at 09:30", R, {2021, 5, 13}, 19, {});
}

void TestOccurrenceRules::rules()
{
    QFETCH(int, rule);
    QFETCH(QDate, date);
    QFETCH(int, slot);
    QFETCH(QStringList, expected);

    applyRule(m_cursor, Rule(rule), date, slot);
    QVERIFY(m_cursor.filtered());
    const QStringList got = subjectsOf(m_cursor);
    QCOMPARE(m_cursor.recordCount(), got.size());
    QCOMPARE(got, expected);
}

void TestOccurrenceRules::dayStartsHoldEverySlotsStarts()
{
    // The day layout counts each slot's starts from one pass over the day's
    // rule; a start in a half hour's last minute belongs to no slot.
    const Outcome created = TableFile::create(m_dir.path() + "/starts.db", calendarSchema());
    QVERIFY2(created, qPrintable(created.error()));
    Cursor day(QStringLiteral("day")), slot(QStringLiteral("slot"));
    for (Cursor *cursor : {&day, &slot}) {
        cursor->setTableFile(m_dir.path(), "starts.db", calendarSchema());
        QVERIFY(cursor->open());
    }
    const QDate date(2021, 5, 12); // a Wednesday
    const QList<QTime> starts = {QTime(0, 0),   QTime(8, 29),      QTime(8, 29, 30), QTime(8, 30),
                                 QTime(23, 59), QTime(23, 59, 30), QTime()};
    for (const QTime &start : starts) {
        slot.insert();
        slot.setValue("Subject", start.toString());
        slot.setValue("S", date);
        slot.setValue("E", date);
        slot.setValue("Md", "0");
        slot.setValue("St", start.isValid() ? QVariant(start) : QVariant());
        QVERIFY2(slot.post(), qPrintable(slot.lastError()));
    }
    QSet<qint64> inSlots;
    for (int s = 0; s < 48; ++s) {
        OccurrenceRules::startingInSlot(slot, date, s);
        for (slot.first(); !slot.eof(); slot.next())
            inSlots.insert(slot.currentId());
    }
    QSet<qint64> dayStarts;
    OccurrenceRules::startingOnDay(day, date);
    for (day.first(); !day.eof(); day.next()) {
        const int ms = day.asTime("St").msecsSinceStartOfDay();
        if (ms % (30 * 60 * 1000) <= 29 * 60 * 1000)
            dayStarts.insert(day.currentId());
    }
    QCOMPARE(day.recordCount(), 5); // every start up to 23:59:00
    QCOMPARE(inSlots.size(), 4);    // 00:00, 08:29, 08:30, 23:59
    QCOMPARE(dayStarts, inSlots);
}

void TestOccurrenceRules::extendedSeries_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("expected");

    const int G = int(Rule::General), T = int(Rule::Timed), A = int(Rule::AllDay);
    const int S = int(Rule::SlotStart), R = int(Rule::Running);
    auto row = [](const char *name, int rule, QDate date, int slot, QStringList expected) {
        QTest::newRow(name) << rule << date << slot << expected;
    };

    row("fortnightly, first date", G, {2021, 5, 3}, -1, {"fortnightly"});
    row("fortnightly, the week between", G, {2021, 5, 10}, -1, {});
    row("fortnightly, second", G, {2021, 5, 17}, -1, {"fortnightly"});
    row("fortnightly, skipped", G, {2021, 5, 31}, -1, {});
    row("fortnightly, moved away", G, {2021, 6, 14}, -1, {});
    row("fortnightly, moved to", G, {2021, 6, 15}, -1, {"moved"});
    row("fortnightly, tenth", G, {2021, 9, 6}, -1, {"fortnightly"});
    row("fortnightly, after the tenth", G, {2021, 9, 20}, -1, {});
    row("fortnightly, a block", T, {2021, 6, 28}, -1, {"fortnightly"});
    row("fortnightly, not in the strip", A, {2021, 6, 28}, -1, {});
    row("fortnightly, starts at 12:00", S, {2021, 6, 28}, 24, {"fortnightly"});
    row("fortnightly, not at 12:30", S, {2021, 6, 28}, 25, {});
    row("fortnightly, runs at 12:30", R, {2021, 6, 28}, 25, {"fortnightly"});
    row("fortnightly, skipped runs nowhere", R, {2021, 5, 31}, 25, {});
    row("moved, starts at 14:00", S, {2021, 6, 15}, 28, {"moved"});
    row("moved, not at its old time", S, {2021, 6, 14}, 24, {});

    row("last Friday, May 2021", A, {2021, 5, 28}, -1, {"last Friday"});
    row("last Friday, not the one before", G, {2021, 5, 21}, -1, {});
    row("last Friday, February 2022", G, {2022, 2, 25}, -1, {"last Friday"});
    row("last Friday, never a block", T, {2021, 5, 28}, -1, {});

    row("three days, first removed", G, {2021, 7, 1}, -1, {});
    row("three days, second", A, {2021, 7, 2}, -1, {"three days"});
    row("three days, third", G, {2021, 7, 3}, -1, {"three days"});
    row("three days, a removed date still counts", G, {2021, 7, 4}, -1, {});
}

void TestOccurrenceRules::extendedSeries()
{
    QFETCH(int, rule);
    QFETCH(QDate, date);
    QFETCH(int, slot);
    QFETCH(QStringList, expected);

    applyRule(m_series, Rule(rule), date, slot);
    QCOMPARE(subjectsOf(m_series), expected);
}

void TestOccurrenceRules::filterTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    // The texts as the calendar has always written them, for Monday 3 May
    // 2021 and the 9:00 slot, with ISO literals in place of the locale's,
    // and the extended series' clause after them.
    const QString t1 = QStringLiteral("09:00:00");
    const QString t2 = QStringLiteral("09:29:00");
    QTest::newRow("general") << OccurrenceRules::generalFilter(QDate(2021, 5, 3))
                             << "S <='2021-05-03'and E >= '2021-05-03' and Ta<>'True' or Re = 'True' and  Mon = 'True' "
                                "and S < '2021-05-03' or Re = 'True' and Ret='3' and D = '3' and S < '2021-05-03' or "
                                "Re = 'True' and  D = '3' and M = '5' and S < '2021-05-03' or Re = 'True' and Rr "
                                "occurs '2021-05-03'";
    QTest::newRow("running") << OccurrenceRules::runningFilter(QDate(2021, 5, 3), QTime(9, 0))
                             << "S ='2021-05-03' and Md ='0' and St < '" + t1 + "' and Et > '" + t1
            + "' or Re = 'True' and  Mon = 'True' and S < '2021-05-03' and St < '" + t1 + "' and Et > '" + t1
            + "' or Re = 'True' and Ret='3' and D = '3' and S < "
              "'2021-05-03' and St < '"
            + t1 + "' and Et > '" + t1 + "' or Re = 'True' and  D = '3' and M = '5' and S < '2021-05-03' and St < '"
            + t1 + "' and Et > '" + t1 + "' or Re = 'True' and Rr occurs '2021-05-03' and St < '" + t1 + "' and Et > '"
            + t1 + "'";
    QTest::newRow("slot start, t2 is 29 minutes on")
        << OccurrenceRules::slotStartFilter(QDate(2021, 5, 3), QTime(9, 0)).section(" or ", 0, 0)
        << "S ='2021-05-03' and Md ='0' and St >= '" + t1 + "' and St <= '" + t2 + "'";
}

void TestOccurrenceRules::filterTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

QTEST_GUILESS_MAIN(TestOccurrenceRules)
#include "test_occurrence_rules.moc"
