#include "tests/ical/IcalTestSupport.h"

#include "store/ItemFields.h"
#include "store/SeriesRow.h"

#include <QtTest>

#include <functional>

namespace {

// An iCalendar file around the given VEVENT lines (CRLF endings).
QByteArray calendarOf(const QStringList &lines)
{
    QStringList all {"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Test//Test//EN"};
    all << lines << "END:VCALENDAR";
    return (all.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QStringList vevent(const QString &uid, const QString &summary, const QStringList &properties)
{
    QStringList lines {"BEGIN:VEVENT", "UID:" + uid, "DTSTAMP:20250101T000000Z", "SUMMARY:" + summary};
    return lines << properties << "END:VEVENT";
}

// Every occurrence date of every series row in from..to, with the moved
// occurrences (Rp set) on their own dates, ascending.
SeriesDates shownDates(const QString &calendarPath, const QDate &from, const QDate &to, int *rows = nullptr)
{
    const QFileInfo info(calendarPath);
    Cursor c(QStringLiteral("check"));
    c.setTableFile(info.absolutePath(), info.fileName(), calendarSchema());
    c.setReadOnly(true);
    SeriesDates dates;
    if (!c.open())
        return dates;
    int n = 0;
    for (c.first(); !c.eof(); c.next(), ++n) {
        if (c.asBool(ItemField::Re)) {
            const Result<SeriesOccurrences> series = SeriesRow::seriesOf(c);
            if (series) {
                const SeriesDates some = series.value().occurrences(from, to);
                dates.insert(dates.end(), some.begin(), some.end());
            }
        } else {
            const QDate date = c.asDate(ItemField::S);
            if (date >= from && date <= to)
                dates.push_back(date);
        }
    }
    std::sort(dates.begin(), dates.end());
    if (rows)
        *rows = n;
    return dates;
}

// The dates of a series found day by day: pattern says whether a day after
// the start is one, count or until ends it (a removed date still counts).
SeriesDates dayByDay(const QDate &start, const std::function<bool(const QDate &)> &pattern, int count,
                     const QDate &until, const SeriesDates &removed, const QDate &to)
{
    SeriesDates dates;
    int taken = 0;
    for (QDate d = start; d <= to && (!until.isValid() || d <= until) && (count == 0 || taken < count);
         d = d.addDays(1)) {
        if (d != start && !pattern(d))
            continue;
        ++taken;
        if (std::find(removed.begin(), removed.end(), d) == removed.end())
            dates.push_back(d);
    }
    return dates;
}

QString field(const QString &calendarPath, int row, const QString &name)
{
    const QFileInfo info(calendarPath);
    Cursor c(QStringLiteral("check"));
    c.setTableFile(info.absolutePath(), info.fileName(), calendarSchema());
    c.setReadOnly(true);
    if (!c.open())
        return QStringLiteral("cannot open");
    c.first();
    for (int i = 0; i < row && !c.eof(); ++i)
        c.next();
    if (c.eof())
        return QStringLiteral("no row");
    const QDate date = c.asDate(name);
    return date.isValid() ? date.toString(Qt::ISODate) : c.asText(name);
}

bool isLastWeekdayOfMonth(const QDate &d, int weekday)
{
    return d.dayOfWeek() == weekday && d.addDays(7).month() != d.month();
}

} // namespace

class TestIcalSeries : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setNowForTesting(QDateTime(QDate(2026, 12, 10), QTime(12, 0))); }
    void cleanup() { Clock::setNowForTesting(QDateTime()); }

    // The lunch a calendar server writes: weekly since March 2025, no end,
    // one skipped week. It stays one row and shows on every past and
    // future date but the skipped one.
    void endlessWeeklyWithExdateIsOneRow()
    {
        Home home;
        QVERIFY(home.ok());
        const QString ics = home.file("lunch.ics");
        writeFile(
            ics,
            calendarOf(vevent("lunch@server", "Lunch",
                              {"DTSTART;TZID=Europe/Berlin:20250305T123000", "DTEND;TZID=Europe/Berlin:20250305T133000",
                               "RRULE:FREQ=WEEKLY", "EXDATE;TZID=Europe/Berlin:20250409T123000"})));
        const IcsTransfer::ImportResult result = importInto(home, ics);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.message, QStringLiteral("Imported 1 event and 0 tasks."));
        int rows = 0;
        const auto weekly = [](const QDate &d) { return d.dayOfWeek() == Qt::Wednesday; };
        const SeriesDates expected =
            dayByDay(QDate(2025, 3, 5), weekly, 0, {}, {QDate(2025, 4, 9)}, QDate(2029, 12, 31));
        QCOMPARE(expected.size(), size_t(251)); // 252 Wednesdays, one skipped
        QCOMPARE(shownDates(home.calendar(), QDate(2025, 1, 1), QDate(2029, 12, 31), &rows), expected);
        QCOMPARE(rows, 1);
        QCOMPARE(shownDates(home.calendar(), QDate(2025, 1, 1), QDate(2031, 12, 31)),
                 dayByDay(QDate(2025, 3, 5), weekly, 0, {}, {QDate(2025, 4, 9)}, QDate(2031, 12, 31)));
        // The store's own filter agrees, on a past, the skipped and a far date.
        const QFileInfo info(home.calendar());
        Cursor c(QStringLiteral("filter"));
        c.setTableFile(info.absolutePath(), info.fileName(), calendarSchema());
        c.setReadOnly(true);
        QVERIFY(c.open());
        const auto matching = [&c](const char *date) {
            if (!c.setFilter(QStringLiteral("Re = 'True' and Rr occurs '%1'").arg(QLatin1String(date))))
                return -1;
            c.setFiltered(true);
            int n = 0;
            for (c.first(); !c.eof(); c.next())
                ++n;
            return n;
        };
        QCOMPARE(matching("2025-03-12"), 1);
        QCOMPARE(matching("2025-04-09"), 0);
        QCOMPARE(matching("2025-04-10"), 0);
        QCOMPARE(matching("2031-12-31"), 1);
        QCOMPARE(field(home.calendar(), 0, ItemField::Rr), QStringLiteral("FREQ=WEEKLY;BYDAY=WE"));
        QCOMPARE(field(home.calendar(), 0, ItemField::Rx), QStringLiteral("2025-04-09"));
        QCOMPARE(field(home.calendar(), 0, ItemField::St), QStringLiteral("12:30:00"));
    }

    // Series of the set: import, export, import into an empty calendar;
    // both calendars show the dates a day-by-day walk finds.
    void roundTripKeepsTheDates()
    {
        struct Case
        {
            const char *name;
            QStringList properties;
            QDate start;
            std::function<bool(const QDate &)> pattern;
            int count;
            QDate until;
            SeriesDates removed;
        };
        const std::vector<Case> cases {
            {"last Friday, ten times, one removed",
             {"DTSTART;TZID=Europe/Berlin:20250131T090000", "DTEND;TZID=Europe/Berlin:20250131T100000",
              "RRULE:FREQ=MONTHLY;BYDAY=-1FR;COUNT=10", "EXDATE;TZID=Europe/Berlin:20250328T090000"},
             QDate(2025, 1, 31),
             [](const QDate &d) { return isLastWeekdayOfMonth(d, Qt::Friday); },
             10,
             {},
             {QDate(2025, 3, 28)}},
            {"fortnightly Monday and Thursday until a UTC time",
             {"DTSTART;TZID=Europe/Berlin:20250106T180000", "DTEND;TZID=Europe/Berlin:20250106T190000",
              "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,TH;UNTIL=20260629T160000Z"},
             QDate(2025, 1, 6),
             [](const QDate &d) {
                 const qint64 week = (QDate(2025, 1, 6).daysTo(d)) / 7;
                 return week % 2 == 0 && (d.dayOfWeek() == Qt::Monday || d.dayOfWeek() == Qt::Thursday);
             },
             0,
             QDate(2026, 6, 29),
             {}},
            {"last day of February, all day",
             {"DTSTART;VALUE=DATE:20240229", "DTEND;VALUE=DATE:20240301", "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"},
             QDate(2024, 2, 29),
             [](const QDate &d) { return d.month() == 2 && d.addDays(1).month() == 3; },
             0,
             {},
             {}},
            {"every third day, twenty times, first removed",
             {"DTSTART;VALUE=DATE:20251230", "RRULE:FREQ=DAILY;INTERVAL=3;COUNT=20", "EXDATE;VALUE=DATE:20251230"},
             QDate(2025, 12, 30),
             [](const QDate &d) { return QDate(2025, 12, 30).daysTo(d) % 3 == 0; },
             20,
             {},
             {QDate(2025, 12, 30)}},
            {"second Wednesday every two months",
             {"DTSTART;TZID=Europe/Berlin:20250212T080000", "DTEND;TZID=Europe/Berlin:20250212T083000",
              "RRULE:FREQ=MONTHLY;INTERVAL=2;BYDAY=2WE"},
             QDate(2025, 2, 12),
             [](const QDate &d) {
                 return (d.month() - 2 + 12) % 2 == 0 && d.dayOfWeek() == Qt::Wednesday && (d.day() - 1) / 7 == 1;
             },
             0,
             {},
             {}},
        };
        const QDate to(2031, 12, 31);
        for (const Case &c : cases) {
            Home first;
            const QString in = first.file("in.ics");
            writeFile(in, calendarOf(vevent("series@other", QString::fromLatin1(c.name), c.properties)));
            const IcsTransfer::ImportResult imported = importInto(first, in);
            QVERIFY2(imported.ok, qPrintable(imported.message));
            QCOMPARE(imported.message, QStringLiteral("Imported 1 event and 0 tasks."));
            const SeriesDates expected = dayByDay(c.start, c.pattern, c.count, c.until, c.removed, to);
            int rows = 0;
            QVERIFY2(shownDates(first.calendar(), c.start, to, &rows) == expected, c.name);
            QCOMPARE(rows, 1);

            const QString out = first.file("out.ics");
            QVERIFY(IcsTransfer::exportFile(first.calendar(), out, typeNames, {}, {}).ok);
            const QByteArray text = readAll(out);
            QCOMPARE(text.count("BEGIN:VEVENT"), 1);
            QCOMPARE(text.mid(text.indexOf("BEGIN:VEVENT")).count("RRULE:"), 1);
            Home second;
            QVERIFY(importInto(second, out).ok);
            QVERIFY2(shownDates(second.calendar(), c.start, to, &rows) == expected, c.name);
            QCOMPARE(rows, 1);
            QCOMPARE(itemLines(second.calendar()), itemLines(first.calendar()));
        }
    }

    // A changed occurrence is its own row linked to its series, which no
    // longer shows on the replaced date; exported, it is a VEVENT with the
    // series' UID and its RECURRENCE-ID, and the series has no EXDATE for
    // that date (which would leave the override nothing to replace).
    void overrideIsLinkedAndExported()
    {
        Home home;
        const QString ics = home.file("moved.ics");
        writeFile(ics,
                  calendarOf(vevent("team@other", "Team",
                                    {"DTSTART;TZID=Europe/Berlin:20250303T100000",
                                     "DTEND;TZID=Europe/Berlin:20250303T110000", "RRULE:FREQ=WEEKLY;COUNT=8"})
                             + vevent("team@other", "Team (moved)",
                                      {"RECURRENCE-ID;TZID=Europe/Berlin:20250317T100000",
                                       "DTSTART;TZID=Europe/Berlin:20250319T140000",
                                       "DTEND;TZID=Europe/Berlin:20250319T150000"})));
        const IcsTransfer::ImportResult result = importInto(home, ics);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.message, QStringLiteral("Imported 2 events and 0 tasks."));
        const auto mondays = [](const QDate &d) { return d.dayOfWeek() == Qt::Monday; };
        SeriesDates expected = dayByDay(QDate(2025, 3, 3), mondays, 8, {}, {QDate(2025, 3, 17)}, QDate(2026, 1, 1));
        expected.push_back(QDate(2025, 3, 19));
        std::sort(expected.begin(), expected.end());
        QCOMPARE(shownDates(home.calendar(), QDate(2025, 1, 1), QDate(2026, 1, 1)), expected);
        QCOMPARE(field(home.calendar(), 0, ItemField::Rx), QStringLiteral("2025-03-17"));
        QCOMPARE(field(home.calendar(), 1, ItemField::Rp), field(home.calendar(), 0, ItemField::No));
        QCOMPARE(field(home.calendar(), 1, ItemField::Ro), QStringLiteral("2025-03-17"));

        const QString out = home.file("out.ics");
        QVERIFY(IcsTransfer::exportFile(home.calendar(), out, typeNames, {}, {}).ok);
        const QByteArray text = readAll(out);
        QCOMPARE(text.count("UID:team@other\r\n"), 2);
        QVERIFY(text.contains("RRULE:FREQ=WEEKLY;COUNT=8;BYDAY=MO\r\n"));
        QVERIFY(!text.contains("EXDATE"));
        QVERIFY(text.contains("RECURRENCE-ID;TZID=Europe/Berlin:20250317T100000\r\n"));

        Home second;
        QVERIFY(importInto(second, out).ok);
        QCOMPARE(shownDates(second.calendar(), QDate(2025, 1, 1), QDate(2026, 1, 1)), expected);
        QCOMPARE(itemLines(second.calendar()), itemLines(home.calendar()));
        QCOMPARE(field(second.calendar(), 1, ItemField::Rp), field(second.calendar(), 0, ItemField::No));
    }

    // The export of a plain pattern, an extended timed series with an
    // exception and a moved occurrence, and an all-day one with COUNT: the
    // file as it must be, byte for byte but for DTSTAMP.
    void exportMatchesTheGoldenFile()
    {
        Home home;
        QVERIFY2(importInto(home, fixture("series.ics")).ok, "import");
        const QString out = home.file("out.ics");
        const IcsTransfer::ExportResult exported = IcsTransfer::exportFile(home.calendar(), out, typeNames, {}, {});
        QVERIFY2(exported.ok, qPrintable(exported.message));
        const QByteArray actual = withoutStamps(readAll(out));
        const QByteArray golden = withoutStamps(readAll(fixture("series.golden.ics")));
        if (actual != golden)
            qWarning().noquote() << "actual:\n" << actual;
        QCOMPARE(actual, golden);

        Home again;
        QVERIFY(importInto(again, out).ok);
        QCOMPARE(itemLines(again.calendar()), itemLines(home.calendar()));
        QCOMPARE(shownDates(again.calendar(), QDate(2025, 1, 1), QDate(2030, 12, 31)),
                 shownDates(home.calendar(), QDate(2025, 1, 1), QDate(2030, 12, 31)));
    }

    void overrideWithoutItsSeriesStandsAlone()
    {
        Home home;
        const QString ics = home.file("orphan.ics");
        writeFile(ics,
                  calendarOf(vevent("gone@other", "Orphan",
                                    {"RECURRENCE-ID;VALUE=DATE:20250317", "DTSTART;VALUE=DATE:20250318"})));
        const IcsTransfer::ImportResult result = importInto(home, ics);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.message,
                 QStringLiteral("Imported 1 event and 0 tasks; 1 item was imported otherwise than the file says: "
                                "\"Orphan\": the series it changes is not in the file; it was imported as a single "
                                "item."));
        QCOMPARE(field(home.calendar(), 0, ItemField::Rp), QString());
        QCOMPARE(field(home.calendar(), 0, ItemField::Ro), QString());
        QCOMPARE(field(home.calendar(), 0, ItemField::S), QStringLiteral("2025-03-18"));
    }

    // Rules no series row holds become single dates from their own start.
    void ruleOutsideTheSetIsExpandedFromItsStart()
    {
        Home home;
        const QString ics = home.file("outside.ics");
        writeFile(ics,
                  calendarOf(vevent("payday@other", "Payday",
                                    {"DTSTART;VALUE=DATE:20200131",
                                     "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT=6"})
                             + vevent("standup@other", "Standup",
                                      {"DTSTART;VALUE=DATE:20240105", "RRULE:FREQ=MONTHLY;BYDAY=FR;BYSETPOS=1",
                                       "EXDATE;VALUE=DATE:20240301"})));
        const IcsTransfer::ImportResult result = importInto(home, ics);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.message,
                 QStringLiteral("Imported 2 events and 0 tasks; 2 recurring events were imported as single dates: "
                                "Payday (to 2020-06-30), Standup (to 2031-12-05)."));
        const SeriesDates all = shownDates(home.calendar(), QDate(1990, 1, 1), QDate(2040, 1, 1));
        const auto lastWorkday = [](const QDate &d) {
            QDate last(d.year(), d.month(), d.daysInMonth());
            while (last.dayOfWeek() > Qt::Friday)
                last = last.addDays(-1);
            return d == last;
        };
        const auto firstFriday = [](const QDate &d) { return d.dayOfWeek() == Qt::Friday && d.day() <= 7; };
        SeriesDates expected = dayByDay(QDate(2020, 1, 31), lastWorkday, 6, {}, {}, QDate(2040, 1, 1));
        const SeriesDates fridays = dayByDay(QDate(2024, 1, 5), firstFriday, 0, {}, {QDate(2024, 3, 1)},
                                             QDate(2031, 12, 10)); // five years after today
        expected.insert(expected.end(), fridays.begin(), fridays.end());
        QCOMPARE(all, expected);
    }
};

QTEST_GUILESS_MAIN(TestIcalSeries)
#include "test_ical_series.moc"
