// Hostile and odd iCalendar files: each ends with a clear line or a
// sensible import, and whatever is left out or changed is named.
#include "tests/ical/IcalTestSupport.h"
#include "tests/support/TestSupport.h"

#include "ical/IcsCommand.h"
#include "ical/IcsImporter.h"
#include "ical/IcsTransfer.h"

#include "store/Clock.h"
#include "store/ItemFileWriter.h"

#include <QTextStream>
#include <QtTest>

#include <ctime>

namespace {

QByteArray calendar(const QByteArray &body)
{
    return "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//test//EN\n" + body + "END:VCALENDAR\n";
}

QByteArray vevent(const QByteArray &uid, const QByteArray &summary, const QByteArray &lines)
{
    return "BEGIN:VEVENT\nUID:" + uid + "\nSUMMARY:" + summary + "\n" + lines + "END:VEVENT\n";
}

IcsTransfer::ImportResult importText(const Home &home, const QByteArray &text, bool force = false)
{
    const QString path = home.file("in.ics");
    writeFile(path, text);
    return importInto(home, path, force);
}

// Start and end of each stored item: "S E St Et".
QStringList spans(const Home &home)
{
    QStringList out;
    for (const QString &line : itemLines(home.calendar()))
        out << line.section('|', 0, 3).replace('|', ' ').trimmed();
    return out;
}

// Rows as another program may write them, straight into the calendar file.
void insertRow(const Home &home, const QList<QPair<const char *, QVariant>> &fields)
{
    ItemFileWriter writer;
    QVERIFY2(writer.open(home.calendar()), qPrintable(writer.lastError()));
    std::vector<QVariant> row(calendarSchema().fields.size());
    for (const auto &[name, value] : fields)
        row[calendarSchema().fieldIndex(QLatin1String(name))] = value;
    QVERIFY(writer.begin());
    qint64 no = 0;
    QVERIFY2(writer.insertItem(row, QString(), &no), qPrintable(writer.lastError()));
    QVERIFY(writer.commit());
}

} // namespace

class TestIcalHostile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
        pinTestLocale();
        Clock::setNowForTesting(QDateTime(QDate(2025, 1, 1), QTime(10, 0)));
    }

    // Files libical would crash or hang on, or misread, are refused before
    // it parses them, with their line; nothing reaches the calendar.
    void refusedWithTheirLine_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        const QByteArray start = "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nUID:x\nDTSTART:20250101T100000Z\n";
        QByteArray deep = start;
        for (int i = 0; i < 300000; ++i)
            deep += "BEGIN:X-A\n";
        for (int i = 0; i < 300000; ++i)
            deep += "END:X-A\n";
        deep += "END:VEVENT\nEND:VCALENDAR\n";
        QTest::newRow("300,000 nested blocks")
            << deep << "line 36: BEGIN:X-A nests deeper than 32 levels, more than any calendar needs";

        const QByteArray zone =
            "BEGIN:VTIMEZONE\nTZID:Odd\nBEGIN:STANDARD\nDTSTART:19700101T000000\n%RULE%TZOFFSETFROM:%FROM%\n"
            "TZOFFSETTO:+0100\nEND:STANDARD\nEND:VTIMEZONE\n";
        const QByteArray use = vevent("z", "Zoned", "DTSTART;TZID=Odd:20250310T090000\n");
        QTest::newRow("zone rule every minute")
            << calendar(QByteArray(zone).replace("%RULE%", "RRULE:FREQ=MINUTELY\n").replace("%FROM%", "+0000") + use)
            << "line 8: a time zone rule repeats more often than daily (FREQ=MINUTELY)";
        QTest::newRow("zone rule every hour") << calendar(
            QByteArray(zone).replace("%RULE%", "RRULE:FREQ=HOURLY;INTERVAL=1\n").replace("%FROM%", "+0000") + use)
                                              << "line 8: a time zone rule repeats more often than daily (FREQ=HOURLY)";
        QTest::newRow("offset of four days")
            << calendar(QByteArray(zone).replace("%RULE%", "").replace("%FROM%", "+9999") + use)
            << "line 8: TZOFFSETFROM lies beyond 18 hours from UTC: +9999";
        QTest::newRow("NUL in a subject")
            << calendar(vevent("n", QByteArray("Bad\0byte", 8), "DTSTART:20250101T100000Z\n"))
            << "line 6: SUMMARY holds a NUL byte, which iCalendar text cannot carry";
        QTest::newRow("CR inside a line, echoed escaped")
            << QByteArray("BEGIN:VCALENDAR\nVERSION:2.0\nEND:VTO\rDO\nEND:VCALENDAR\n")
            << "line 3: END:VTO\\x0DDO without its BEGIN";
        QTest::newRow("CR-only lines, never ended") << QByteArray("BEGIN:VCALENDAR\rVERSION:2.0\rBEGIN:VEVENT\rUID:x\r")
                                                    << "line 3: BEGIN:VEVENT is never ended";
        QTest::newRow("trigger past an int")
            << calendar(vevent("t", "Far",
                               "DTSTART:20250101T100000Z\nBEGIN:VALARM\nACTION:DISPLAY\n"
                               "TRIGGER:-P99999999999W\nEND:VALARM\n"))
            << "line 10: TRIGGER holds a number too large for a duration: -P99999999999W";
    }
    void refusedWithTheirLine()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        Home home;
        QVERIFY(home.ok());
        const IcsTransfer::ImportResult result = importText(home, text);
        QVERIFY(!result.ok);
        QVERIFY2(result.message.contains(reason), qPrintable(result.message));
        QVERIFY(!result.message.contains('\r'));
        QVERIFY(result.message.contains(QStringLiteral("nothing was imported")));
        QCOMPARE(itemLines(home.calendar()), QStringList());
    }

    // Old Mac programs end lines in CR alone: the same file reads the same.
    void crOnlyLinesAreLines()
    {
        Home home;
        QByteArray text = readAll(fixture("apple.ics"));
        text.replace("\r\n", "\n").replace('\n', '\r');
        const IcsTransfer::ImportResult result = importText(home, text);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(itemLines(home.calendar()),
                 QString::fromUtf8(readAll(fixture("apple.expected"))).split('\n', Qt::SkipEmptyParts));
    }

    // A 16 MB line once cost libical the square of its length.
    void aLongLineIsReadOnce()
    {
        Home home;
        const QByteArray text =
            calendar(vevent("long", "Long", "DTSTART:20250310T090000Z\nX-BLOB:" + QByteArray(16 << 20, 'b') + "\n"));
        const IcsTransfer::ImportResult result = importText(home, text);
        QVERIFY2(result.ok, qPrintable(result.message.left(300)));
        QCOMPARE(spans(home), QStringList {"2025-03-10 2025-03-10 10:00 10:00"});
    }

    // Rules that never stop stop at the bound per series, and the summary says so.
    void expansionIsBounded_data()
    {
        QTest::addColumn<QByteArray>("rule");
        QTest::addColumn<QString>("firstDate");
        QTest::newRow("every minute, endless") << QByteArray("FREQ=MINUTELY") << "2020-06-01 2020-06-01 11:00 11:30";
        QTest::newRow("every second, a billion times")
            << QByteArray("FREQ=SECONDLY;COUNT=1000000000") << "2020-06-01 2020-06-01 11:00 11:30";
        QTest::newRow("every BY part") << QByteArray(
            "FREQ=SECONDLY;BYSECOND=0,30;BYMINUTE=0,15,30,45;BYHOUR=9,10,11;BYDAY=MO,TU,WE,TH,FR;BYMONTHDAY=1,2,3,4,5,"
            "6,7,8,9,10;"
            "BYMONTH=1,2,3,4,5,6;BYYEARDAY=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15;BYWEEKNO=1,2,3;BYSETPOS=1,-1;WKST=MO")
                                       << "";
    }
    void expansionIsBounded()
    {
        QFETCH(QByteArray, rule);
        QFETCH(QString, firstDate);
        Home home;
        const IcsTransfer::ImportResult result = importText(
            home,
            calendar(vevent("m", "Ticker", "DTSTART:20200601T090000Z\nDTEND:20200601T093000Z\nRRULE:" + rule + "\n")));
        QVERIFY2(result.ok, qPrintable(result.message));
        const QStringList stored = spans(home);
        QVERIFY(stored.size() <= IcsImporter::maxDatesPerSeries);
        if (!firstDate.isEmpty()) {
            QCOMPARE(stored.size(), 5000);
            QCOMPARE(stored.first(), firstDate);
            QVERIFY2(result.message.contains(QStringLiteral("1 item was imported otherwise than the file says: "
                                                            "\"Ticker\": only its first 5,000 dates were imported")),
                     qPrintable(result.message));
        }
    }

    void expansionIsBoundedPerFile()
    {
        Home home;
        QByteArray body;
        for (int i = 0; i < 12; ++i)
            body += vevent("s" + QByteArray::number(i), "Series " + QByteArray::number(i),
                           "DTSTART:20250101T090000Z\nRRULE:FREQ=HOURLY\n");
        const IcsTransfer::ImportResult result = importText(home, calendar(body));
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(itemLines(home.calendar()).size(), 50000);
        QVERIFY2(result.message.contains(QStringLiteral(
                     "2 items were left out: \"Series 10\": the file's series reached 50,000 single dates in all "
                     "before it; \"Series 11\": the file's series reached 50,000 single dates in all before it;")),
                 qPrintable(result.message));
    }

    // Items once dropped or moved without a word: imported sensibly, or
    // named in the summary with the reason.
    void nothingVanishesSilently_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("summary");
        QTest::newRow("no DTSTART")
            << calendar(vevent("a", "No start", "DTEND:20250310T100000Z\n")
                        + vevent("b", "Fine", "DTSTART:20250310T100000Z\n"))
            << QStringList {"2025-03-10 2025-03-10 11:00 11:00"}
            << "Imported 1 event and 0 tasks; 1 item was left out: \"No start\": it has no start (DTSTART).";
        QTest::newRow("UNTIL before DTSTART")
            << calendar(vevent("u", "Backwards", "DTSTART:20250310T090000Z\nRRULE:FREQ=DAILY;UNTIL=20250301T000000Z\n"))
            << QStringList {"2025-03-10 2025-03-10 10:00 10:00"}
            << "Imported 1 event and 0 tasks; 1 recurring event was imported as single dates: Backwards (to "
               "2025-03-10); 1 item was "
               "imported otherwise than "
               "the file says: \"Backwards\": its rule ends (UNTIL) before it starts; it was imported on its start "
               "date alone.";
        QTest::newRow("a rule that yields no dates")
            << calendar(vevent("n", "Never",
                               "DTSTART;VALUE=DATE:20250210\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30;COUNT=3\n"))
            << QStringList {"2025-02-10 2025-02-10"}
            << "Imported 1 event and 0 tasks; 1 recurring event was imported "
               "as single dates: Never (to 2025-02-10); 1 item was imported otherwise than "
               "the file says: \"Never\": its rule gives no date after its "
               "start; it was imported on its start date alone.";
        QTest::newRow("9999-12-30 with COUNT=5")
            << calendar(vevent("e", "The end", "DTSTART;VALUE=DATE:99991230\nRRULE:FREQ=DAILY;COUNT=5\n"))
            << QStringList {"9999-12-30 9999-12-30", "9999-12-31 9999-12-31"}
            << "Imported 1 event and 0 tasks; 1 recurring event was imported as single dates: The end (to 9999-12-31); "
               "1 item was "
               "imported otherwise than "
               "the file says: \"The end\": its dates after 9999-12-31 were left out.";
        QTest::newRow("RDATEs before DTSTART")
            << calendar(vevent("r", "Extra", "DTSTART;VALUE=DATE:20250310\nRDATE;VALUE=DATE:20250301,20250305\n"))
            << QStringList {"2025-03-01 2025-03-01", "2025-03-05 2025-03-05", "2025-03-10 2025-03-10"}
            << "Imported 1 event and 0 tasks; 1 recurring event was imported as single dates: Extra (to 2025-03-10).";
        QTest::newRow("VEVENT outside VCALENDAR")
            << QByteArray(calendar(vevent("in", "Inside", "DTSTART:20250310T090000Z\n"))
                          + vevent("out", "Outside", "DTSTART:20250311T090000Z\n"))
            << QStringList {"2025-03-10 2025-03-10 10:00 10:00", "2025-03-11 2025-03-11 10:00 10:00"}
            << "Imported 2 events and 0 tasks.";
        QTest::newRow("23:59:60 ends its own day")
            << calendar(vevent("l", "Leap", "DTSTART:20250310T233000\nDTEND:20250310T235960\n"))
            << QStringList {"2025-03-10 2025-03-10 23:30 23:59"} << "Imported 1 event and 0 tasks.";
        QTest::newRow("a UID twice in one file") << calendar(vevent("same", "First", "DTSTART:20250310T090000Z\n")
                                                             + vevent("same", "Second", "DTSTART:20250311T090000Z\n"))
                                                 << QStringList {"2025-03-10 2025-03-10 10:00 10:00"}
                                                 << "Imported 1 event and 0 tasks; 1 item was left out: \"Second\": "
                                                    "its UID is that of an earlier item in the file.";
        QTest::newRow("unknown TZID")
            << calendar(vevent("z", "Mars", "DTSTART;TZID=Mars/Olympus:20250310T090000\n"))
            << QStringList {"2025-03-10 2025-03-10 09:00 09:00"}
            << "Imported 1 event and 0 tasks; 1 time zone is unknown, its times were read as local time: Mars/Olympus.";
    }
    void nothingVanishesSilently()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, stored);
        QFETCH(QString, summary);
        Home home;
        const IcsTransfer::ImportResult result = importText(home, text);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(spans(home), stored);
        QCOMPARE(result.message, summary);
    }

    // A rule no series row holds, endless and starting after today: five
    // years of single dates from its own start.
    void endlessSeriesStartingLaterGetsFiveYears()
    {
        Home home;
        const IcsTransfer::ImportResult result = importText(
            home, calendar(vevent("f", "Future", "DTSTART;VALUE=DATE:20300101\nRRULE:FREQ=MONTHLY;BYMONTHDAY=1,15\n")));
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.message,
                 QStringLiteral("Imported 1 event and 0 tasks; 1 recurring event was imported as single "
                                "dates: Future (to 2035-01-01)."));
        const QStringList stored = spans(home);
        QCOMPARE(stored.size(), 121);
        QCOMPARE(stored.first(), QStringLiteral("2030-01-01 2030-01-01"));
        QCOMPARE(stored.at(1), QStringLiteral("2030-01-15 2030-01-15"));
        QCOMPARE(stored.last(), QStringLiteral("2035-01-01 2035-01-01"));
    }

    // RFC 5545: a wall time its zone skips takes the offset before the
    // gap, on that day alone; the series keeps its wall time.
    void daylightSavingGap_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("one event in the gap")
            << QByteArray("DTSTART;TZID=Europe/Berlin:20250330T023000\nDTEND;TZID=Europe/Berlin:20250330T040000\n")
            << QStringList {"2025-03-30 2025-03-30 03:30 04:00"};
        QTest::newRow("daily series from the gap keeps 02:30") << QByteArray(
            "DTSTART;TZID=Europe/Berlin:20250330T023000\nDTEND;TZID=Europe/Berlin:20250330T033000\nRRULE:FREQ=DAILY\n")
                                                               << QStringList {"2025-03-30 2025-03-30 02:30 03:30"};
        QTest::newRow("expanded series: the gap day alone moves")
            << QByteArray("DTSTART;TZID=Europe/Berlin:20250330T023000\nDTEND;TZID=Europe/"
                          "Berlin:20250330T033000\nRRULE:FREQ=DAILY;COUNT=3;BYHOUR=2\n")
            << QStringList {"2025-03-30 2025-03-30 03:30 04:30", "2025-03-31 2025-03-31 02:30 03:30",
                            "2025-04-01 2025-04-01 02:30 03:30"};
        // A zone whose gap is at midnight, as Sao Paulo's was until 2019.
        QTest::newRow("midnight gap, the same day")
            << QByteArray("DTSTART;TZID=Midnight:20181104T000000\nDTEND;TZID=Midnight:20181104T020000\n")
            << QStringList {"2018-11-04 2018-11-04 04:00 05:00"};
        QTest::newRow("midnight gap: a daily series gains nothing")
            << QByteArray("DTSTART;TZID=Midnight:20181103T000000\nRRULE:FREQ=DAILY;COUNT=3;BYHOUR=0\n")
            << QStringList {"2018-11-03 2018-11-03 04:00 04:00", "2018-11-04 2018-11-04 04:00 04:00",
                            "2018-11-05 2018-11-05 03:00 03:00"};
    }
    void daylightSavingGap()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QStringList, stored);
        Home home;
        const QByteArray midnight =
            "BEGIN:VTIMEZONE\nTZID:Midnight\nBEGIN:STANDARD\nDTSTART:20180218T000000\nTZOFFSETFROM:-0200\n"
            "TZOFFSETTO:-0300\nEND:STANDARD\nBEGIN:DAYLIGHT\nDTSTART:20181104T000000\nTZOFFSETFROM:-0300\n"
            "TZOFFSETTO:-0200\nEND:DAYLIGHT\nEND:VTIMEZONE\n";
        const IcsTransfer::ImportResult result = importText(home, calendar(midnight + vevent("g", "Gap", lines)));
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(spans(home), stored);
    }

    // The planner's own row in the gap comes back as it went out.
    void gapSeriesSurvivesItsOwnExport()
    {
        Home home;
        insertRow(home,
                  {{"Subject", "Early"},
                   {"S", QDate(2025, 3, 30)},
                   {"E", QDate(2025, 3, 30)},
                   {"St", QTime(2, 30)},
                   {"Et", QTime(3, 0)},
                   {"A", false},
                   {"Md", "0"},
                   {"T", 0},
                   {"Re", true},
                   {"Ret", "1"},
                   {"Sun", true},
                   {"Mon", true},
                   {"Tue", true},
                   {"Wed", true},
                   {"Thu", true},
                   {"Fri", true},
                   {"Sat", true},
                   {"Ta", false}});
        const QString out = home.file("out.ics");
        QVERIFY(IcsTransfer::exportFile(home.calendar(), out, typeNames, {}, {}).ok);
        Home again;
        QVERIFY(importInto(again, out).ok);
        QCOMPARE(itemLines(again.calendar()), itemLines(home.calendar()));
    }

    // Reminder leads: the nearest lead the editor offers, in 64 bits; one
    // longer than any is refused by name.
    void remindersOfAnyLength_data()
    {
        QTest::addColumn<QByteArray>("trigger");
        QTest::addColumn<QString>("lead");
        QTest::addColumn<QString>("summary");
        QTest::newRow("7 minutes")
            << QByteArray("-PT7M") << "1|5|minute(s)"
            << "Imported 1 event and 0 tasks; 1 reminder was rounded to the nearest lead the planner holds.";
        QTest::newRow("24,856 days")
            << QByteArray("-P24856D") << "-||"
            << "Imported 1 event and 0 tasks; 1 item was imported otherwise than the file says: \"Lead\": its reminder "
               "comes more than 14 days before it, earlier than any lead the planner offers; it was imported without a "
               "reminder.";
        QTest::newRow("100,000 weeks")
            << QByteArray("-P100000W") << "-||"
            << "Imported 1 event and 0 tasks; 1 item was imported otherwise than the file says: \"Lead\": its reminder "
               "comes more than 14 days before it, earlier than any lead the planner offers; it was imported without a "
               "reminder.";
    }
    void remindersOfAnyLength()
    {
        QFETCH(QByteArray, trigger);
        QFETCH(QString, lead);
        QFETCH(QString, summary);
        Home home;
        const IcsTransfer::ImportResult result =
            importText(home,
                       calendar(vevent("r", "Lead",
                                       "DTSTART:20250310T090000Z\nBEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:" + trigger
                                           + "\nEND:VALARM\n")));
        QVERIFY2(result.ok, qPrintable(result.message));
        const QStringList lines = itemLines(home.calendar());
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().section('|', 12, 14), lead);
        QCOMPARE(result.message, summary);
    }

    // Rows other programs wrote: every exported file imports again; what
    // iCalendar cannot express is left out and named.
    void exportWritesWhatImportReads()
    {
        Home home;
        const QList<QPair<const char *, QVariant>> monthly {{"S", QDate(2025, 3, 10)},
                                                            {"E", QDate(2025, 3, 10)},
                                                            {"A", true},
                                                            {"Re", true},
                                                            {"Ret", "3"},
                                                            {"Ta", false}};
        insertRow(home,
                  QList<QPair<const char *, QVariant>>(monthly)
                      << QPair<const char *, QVariant> {"Subject", "Blank day"});
        insertRow(home,
                  QList<QPair<const char *, QVariant>>(monthly) << QPair<const char *, QVariant> {"Subject", "Day zero"}
                                                                << QPair<const char *, QVariant> {"D", "0"});
        insertRow(home,
                  {{"Subject", "Bad month"},
                   {"S", QDate(2025, 3, 10)},
                   {"E", QDate(2025, 3, 10)},
                   {"A", true},
                   {"Re", true},
                   {"Ret", "4"},
                   {"D", "10"},
                   {"M", "13"},
                   {"Ta", false}});
        insertRow(home,
                  {{"Subject", "To the end"},
                   {"S", QDate(9999, 12, 30)},
                   {"E", QDate(9999, 12, 31)},
                   {"A", true},
                   {"Ta", false}});
        insertRow(home,
                  {{"Subject", "Long lead"},
                   {"S", QDate(2025, 3, 10)},
                   {"E", QDate(2025, 3, 10)},
                   {"St", QTime(9, 0)},
                   {"Et", QTime(10, 0)},
                   {"A", false},
                   {"R", true},
                   {"Tr", "30000"},
                   {"Tm", "day(s)"},
                   {"Ta", false}});
        const QString out = home.file("out.ics");
        const IcsTransfer::ExportResult exported = IcsTransfer::exportFile(home.calendar(), out, typeNames, {}, {});
        QVERIFY2(exported.ok, qPrintable(exported.message));
        QCOMPARE(exported.message,
                 QStringLiteral(
                     "Exported 2 events and 0 tasks to \"%1\"; 3 items that iCalendar cannot express were left out: "
                     "\"Blank day\" (its monthly pattern has no usable day (D)); \"Day zero\" (its monthly pattern "
                     "has no usable day (D)); \"Bad month\" (its yearly pattern has no usable day and month (D, M)).")
                     .arg(out));
        const QByteArray text = readAll(out);
        QVERIFY(!text.contains("ERROR"));
        QVERIFY(!text.contains("DTEND;VALUE=DATE:0000"));
        QVERIFY(text.contains("TRIGGER:-P30000D\r\n"));

        Home again;
        const IcsTransfer::ImportResult imported = importInto(again, out);
        QVERIFY2(imported.ok, qPrintable(imported.message));
        QCOMPARE(spans(again), (QStringList {"9999-12-30 9999-12-31", "2025-03-10 2025-03-10 09:00 10:00"}));
    }

    // Many items that cannot be stored: the first few by name, the rest counted.
    void manyUnstorableItemsAreCounted()
    {
        Home home;
        QByteArray body;
        for (int i = 0; i < 20; ++i)
            body += vevent("u" + QByteArray::number(i), QByteArray::number(i) + QByteArray(150, 'x'),
                           "DTSTART:20250310T090000Z\n");
        body += vevent("ok", "Short", "DTSTART:20250310T090000Z\n");
        const QString path = home.file("many.ics");
        writeFile(path, calendar(body));
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QCOMPARE(runIcsCommand(QStringList {"daybrook", "--home", home.path(), "--import", path}, outStream, errStream),
                 2);
        errStream.flush();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.contains(QStringLiteral("; and 15 more. (--force imports the rest)")), qPrintable(err));
        QCOMPARE(err.count(QStringLiteral("holds at most 150 characters")), 5);

        const IcsTransfer::ImportResult forced = importInto(home, path, true);
        QVERIFY(forced.ok);
        QVERIFY2(forced.message.startsWith(QStringLiteral(
                     "Imported 1 event and 0 tasks; 20 items that cannot be stored were left out: \"0xxx")),
                 qPrintable(forced.message));
        QVERIFY2(forced.message.endsWith(QStringLiteral("the value has 151; and 15 more.")),
                 qPrintable(forced.message));
    }

    // "...the value has 151.." had two periods.
    void forcedSummaryEndsOnce()
    {
        Home home;
        const IcsTransfer::ImportResult forced =
            importText(home, calendar(vevent("l", QByteArray(151, 'x'), "DTSTART:20250310T090000Z\n")), true);
        QVERIFY(forced.ok);
        QVERIFY2(forced.message.endsWith(QStringLiteral("the value has 151.")), qPrintable(forced.message));
        QVERIFY(!forced.message.endsWith(QStringLiteral("..")));
    }
};

QTEST_GUILESS_MAIN(TestIcalHostile)
#include "test_ical_hostile.moc"
