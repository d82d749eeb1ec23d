#include "tests/ical/IcalTestSupport.h"
#include "tests/support/TestSupport.h"

#include "ical/IcsCommand.h"
#include "ical/IcsImporter.h"
#include "ical/IcsTransfer.h"

#include "store/Clock.h"
#include "store/DataRoot.h"
#include "store/Unit2.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>
#include <QtTest>

#include <libical/ical.h>

#include <ctime>
#include <memory>

class TestIcal : public QObject
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

    // Files in the styles of common programs, each against the rows it must give.
    void importsWhatOtherProgramsWrite_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Outlook: Windows zone names, own and missing VTIMEZONE, CRLF") << "outlook";
        QTest::newRow("Google: UTC times, folded lines, X- properties, 90-minute alarm") << "google";
        QTest::newRow("Apple: all-day without DTEND, yearly birthday, tasks") << "apple";
        QTest::newRow("zone with history: the 2007 daylight-saving change") << "history";
        QTest::newRow("rules: series kept whole with an exception and a changed one, one expanded") << "rules";
    }
    void importsWhatOtherProgramsWrite()
    {
        QFETCH(QString, name);
        Home home;
        QVERIFY(home.ok());
        const IcsTransfer::ImportResult result = importInto(home, fixture(name + ".ics"));
        QVERIFY2(result.ok, qPrintable(result.message));
        const QStringList expected =
            QString::fromUtf8(readAll(fixture(name + ".expected"))).split('\n', Qt::SkipEmptyParts);
        const QStringList actual = itemLines(home.calendar());
        if (actual != expected)
            qWarning().noquote() << "actual:\n" << actual.join('\n');
        QCOMPARE(actual, expected);
    }

    void summaryNamesWhatHappened()
    {
        Home home;
        const IcsTransfer::ImportResult first = importInto(home, fixture("google.ics"));
        QCOMPARE(first.message,
                 QStringLiteral(
                     "Imported 2 events and 0 tasks; 1 reminder was rounded to the nearest lead the planner holds."));
        const IcsTransfer::ImportResult rules = importInto(home, fixture("rules.ics"));
        QCOMPARE(rules.message,
                 QStringLiteral("Imported 5 events and 0 tasks; 1 recurring event was imported as single dates: "
                                "Last weekday (to 2025-03-31); 1 reminder was rounded to the nearest lead the planner "
                                "holds."));
        const IcsTransfer::ImportResult again = importInto(home, fixture("apple.ics"));
        QCOMPARE(again.message, QStringLiteral("Imported 2 events and 2 tasks."));
    }

    void reimportAddsNothing()
    {
        Home home;
        QVERIFY(importInto(home, fixture("rules.ics")).ok);
        const QStringList before = itemLines(home.calendar());
        const IcsTransfer::ImportResult again = importInto(home, fixture("rules.ics"));
        QVERIFY(again.ok);
        QCOMPARE(again.message, QStringLiteral("Imported 0 events and 0 tasks; 7 items were already in the calendar."));
        QCOMPARE(itemLines(home.calendar()), before);
    }

    // Export, import into an empty calendar, export again: the same events.
    void roundTripKeepsEverything()
    {
        Home first;
        for (const char *name : {"outlook", "google", "apple", "history", "rules"})
            QVERIFY(importInto(first, fixture(QString::fromLatin1(name) + ".ics")).ok);
        const QString a = first.file("a.ics");
        const IcsTransfer::ExportResult exported = IcsTransfer::exportFile(first.calendar(), a, typeNames, {}, {});
        QVERIFY2(exported.ok, qPrintable(exported.message));
        QCOMPARE(exported.message, QStringLiteral("Exported 16 events and 2 tasks to \"%1\".").arg(a));

        Home second;
        QVERIFY(importInto(second, a).ok);
        QCOMPARE(itemLines(second.calendar()), itemLines(first.calendar()));
        const QString b = second.file("b.ics");
        QVERIFY(IcsTransfer::exportFile(second.calendar(), b, typeNames, {}, {}).ok);
        QCOMPARE(withoutStamps(readAll(b)), withoutStamps(readAll(a)));

        // A later export keeps every UID.
        const QString c = first.file("c.ics");
        QVERIFY(IcsTransfer::exportFile(first.calendar(), c, typeNames, {}, {}).ok);
        QCOMPARE(withoutStamps(readAll(c)), withoutStamps(readAll(a)));
    }

    void exportIsValidForLibical()
    {
        Home home;
        for (const char *name : {"outlook", "apple", "rules"})
            QVERIFY(importInto(home, fixture(QString::fromLatin1(name) + ".ics")).ok);
        const QString out = home.file("out.ics");
        QVERIFY(IcsTransfer::exportFile(home.calendar(), out, typeNames, {}, {}).ok);
        const QByteArray text = readAll(out);
        std::unique_ptr<icalcomponent, void (*)(icalcomponent *)> root(icalparser_parse_string(text.constData()),
                                                                       icalcomponent_free);
        QVERIFY(root);
        QCOMPARE(icalcomponent_isa(root.get()), ICAL_VCALENDAR_COMPONENT);
        QCOMPARE(icalcomponent_count_errors(root.get()), 0);
        QVERIFY(icalrestriction_check(root.get()));
        QCOMPARE(icalcomponent_count_errors(root.get()), 0);
        QVERIFY(text.contains("BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"));
        QVERIFY(text.contains("DTSTART;TZID=Europe/Berlin:20250310T090000\r\n"));
        QVERIFY(text.contains("DTSTART;VALUE=DATE:20250314\r\nDTEND;VALUE=DATE:20250315\r\n"));
        QVERIFY(text.contains("RRULE:FREQ=YEARLY;BYMONTHDAY=12;BYMONTH=4\r\n")
                || text.contains("RRULE:FREQ=YEARLY;BYMONTH=4;BYMONTHDAY=12\r\n"));
        QVERIFY(text.contains("TRIGGER:-P1D\r\n"));
    }

    void exportIsReadByPythonIcalendar()
    {
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"),
                              {QStringLiteral("-c"), QStringLiteral("import icalendar")})
            != 0)
            QSKIP("Python's icalendar package is not installed");
        Home home;
        for (const char *name : {"outlook", "google", "apple", "rules"})
            QVERIFY(importInto(home, fixture(QString::fromLatin1(name) + ".ics")).ok);
        const QString out = home.file("out.ics");
        QVERIFY(IcsTransfer::exportFile(home.calendar(), out, typeNames, {}, {}).ok);
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, icalendar\n"
                                     "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
                                     "events = [c for c in cal.walk('VEVENT')]\n"
                                     "for e in events: e.decoded('DTSTART'); e.decoded('DTEND')\n"
                                     "print(len(events), len(cal.walk('VTODO')), len(cal.walk('VTIMEZONE')))\n"),
                      out});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(python.exitCode(), 0);
        QCOMPARE(python.readAllStandardOutput().trimmed(), QByteArray("14 2 1"));
    }

    void brokenFileIsRefusedWhole_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        const QByteArray good = "BEGIN:VEVENT\nUID:ok\nDTSTART:20250101T100000Z\nSUMMARY:Fine\nEND:VEVENT\n";
        QTest::newRow("END without BEGIN")
            << QByteArray("BEGIN:VCALENDAR\nVERSION:2.0\n" + good + "END:VTODO\nEND:VCALENDAR\n")
            << "line 8: END:VTODO without its BEGIN";
        QTest::newRow("never ended") << QByteArray("BEGIN:VCALENDAR\nVERSION:2.0\n" + good + "BEGIN:VEVENT\nUID:x\n")
                                     << "line 8: BEGIN:VEVENT is never ended";
        QTest::newRow("not a date") << QByteArray(
            "BEGIN:VCALENDAR\nVERSION:2.0\n" + good
            + "BEGIN:VEVENT\nUID:x\nDTSTART:2025-13-45\nEND:VEVENT\nEND:VCALENDAR\n")
                                    << "line 10: DTSTART is not a date or time: 2025-13-45";
        QTest::newRow("some other file") << QByteArray("Subject,Start Date\nDentist,3/10/2025\n")
                                         << "line 1: text outside";
        QTest::newRow("empty") << QByteArray() << "line 1: not an iCalendar file";
    }
    void brokenFileIsRefusedWhole()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        Home home;
        const QString path = home.file("broken.ics");
        writeFile(path, text);
        const IcsTransfer::ImportResult result = importInto(home, path);
        QVERIFY(!result.ok);
        QVERIFY2(result.message.contains(reason), qPrintable(result.message));
        QVERIFY(result.message.contains(QStringLiteral("nothing was imported")));
        QCOMPARE(itemLines(home.calendar()), QStringList());
    }

    void itemThatCannotBeStoredNeedsConsent()
    {
        Home home;
        const QString path = home.file("long.ics");
        writeFile(
            path,
            "BEGIN:VCALENDAR\nVERSION:2.0\n"
            "BEGIN:VEVENT\nUID:long\nDTSTART:20250101T100000Z\nSUMMARY:"
                + QByteArray(151, 'x')
                + "\nEND:VEVENT\n"
                  "BEGIN:VEVENT\nUID:short\nDTSTART:20250102T100000Z\nSUMMARY:Short\nEND:VEVENT\nEND:VCALENDAR\n");
        const IcsTransfer::ImportResult asked = importInto(home, path);
        QVERIFY(!asked.ok);
        QVERIFY(asked.needsConsent);
        QVERIFY2(asked.message.startsWith(QStringLiteral("1 item cannot be stored, nothing was imported: \"xxxxx")),
                 qPrintable(asked.message));
        QVERIFY(asked.message.endsWith(
            QStringLiteral("...\": The field Subject holds at most 150 characters; the value has 151.")));
        QCOMPARE(itemLines(home.calendar()).size(), 0);

        const IcsTransfer::ImportResult forced = importInto(home, path, true);
        QVERIFY(forced.ok);
        QVERIFY2(forced.message.startsWith(
                     QStringLiteral("Imported 1 event and 0 tasks; 1 item that cannot be stored was left out: \"xxx")),
                 qPrintable(forced.message));
        const QStringList rows = itemLines(home.calendar());
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows.first().endsWith(QStringLiteral("|Short|")));
    }

    void cancelLeavesTheCalendarAsItWas()
    {
        Home home;
        int calls = 0;
        const IcsTransfer::ImportResult result =
            importInto(home, fixture("rules.ics"), false, [&calls](int, int) { return ++calls < 1; });
        QVERIFY(!result.ok);
        QVERIFY(result.cancelled);
        QCOMPARE(result.message, QStringLiteral("The import was cancelled; the calendar is as it was."));
        QCOMPARE(itemLines(home.calendar()), QStringList());
    }

    // An endless series of the set that began years ago stays one row,
    // which holds its past dates as well as its future ones.
    void endlessSeriesIsOneRow()
    {
        Home home;
        const QString path = home.file("endless.ics");
        writeFile(path,
                  "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nUID:e\nDTSTART;VALUE=DATE:20200101\n"
                  "SUMMARY:Water plants\nRRULE:FREQ=DAILY;INTERVAL=3\nEND:VEVENT\nEND:VCALENDAR\n");
        const IcsTransfer::ImportResult result = importInto(home, path);
        QCOMPARE(result.message, QStringLiteral("Imported 1 event and 0 tasks."));
        QCOMPARE(itemLines(home.calendar()),
                 QStringList {"2020-01-01|2020-01-01|||1|0|1|1|0000000|||0|-|||||0|-||Water plants||FREQ=DAILY;"
                              "INTERVAL=3|||"});
    }

    // The leads of the editor's list, "0 minutes" to "14 days": the nearest
    // one, the longer on a tie; none beyond the longest.
    void leadsThePlannerHolds_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<bool>("holdable");
        QTest::addColumn<int>("amount");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("exact");
        QTest::newRow("at the start") << qint64(0) << true << 0 << "minute(s)" << true;
        QTest::newRow("15 minutes") << qint64(900) << true << 15 << "minute(s)" << true;
        QTest::newRow("7 minutes, nearest 5") << qint64(420) << true << 5 << "minute(s)" << false;
        QTest::newRow("59 minutes, nearest 1 hour") << qint64(3540) << true << 1 << "hour(s)" << false;
        QTest::newRow("2 hours") << qint64(7200) << true << 2 << "hour(s)" << true;
        QTest::newRow("5 hours, tie goes earlier") << qint64(5 * 3600) << true << 6 << "hour(s)" << false;
        QTest::newRow("3 days") << qint64(3 * 86400) << true << 3 << "day(s)" << true;
        QTest::newRow("2 weeks") << qint64(14 * 86400) << true << 14 << "day(s)" << true;
        QTest::newRow("10 days, nearest 7") << qint64(10 * 86400) << true << 7 << "day(s)" << false;
        QTest::newRow("90 seconds, nearest the start") << qint64(90) << true << 0 << "minute(s)" << false;
        QTest::newRow("90 minutes, tie goes earlier") << qint64(5400) << true << 2 << "hour(s)" << false;
        QTest::newRow("70 minutes") << qint64(4200) << true << 1 << "hour(s)" << false;
        QTest::newRow("25 hours") << qint64(25 * 3600) << true << 1 << "day(s)" << false;
        QTest::newRow("after the start") << qint64(-600) << true << 0 << "minute(s)" << false;
        QTest::newRow("15 days, beyond the list") << qint64(15 * 86400) << false << 0 << "" << false;
        QTest::newRow("24,856 days, past 32 bits") << qint64(24856) * 86400 << false << 0 << "" << false;
        QTest::newRow("100,000 weeks") << qint64(100000) * 7 * 86400 << false << 0 << "" << false;
    }
    void leadsThePlannerHolds()
    {
        QFETCH(qint64, seconds);
        QFETCH(bool, holdable);
        QFETCH(int, amount);
        QFETCH(QString, unit);
        QFETCH(bool, exact);
        bool wasExact = !exact;
        const auto lead = IcsImporter::holdableLead(seconds, &wasExact);
        QCOMPARE(bool(lead), holdable);
        if (lead) {
            QCOMPARE(lead->first, amount);
            QCOMPARE(lead->second, unit);
        }
        QCOMPARE(wasExact, exact);
    }

    void exportOfARange()
    {
        Home home;
        QVERIFY(importInto(home, fixture("outlook.ics")).ok);
        QVERIFY(importInto(home, fixture("apple.ics")).ok);
        const QString out = home.file("range.ics");
        const IcsTransfer::ExportResult result =
            IcsTransfer::exportFile(home.calendar(), out, typeNames, QDate(2025, 3, 14), QDate(2025, 4, 30));
        QVERIFY(result.ok);
        // The day off, the birthday series (which starts inside the range) and the task due on 20 March.
        QCOMPARE(result.message, QStringLiteral("Exported 2 events and 1 task to \"%1\".").arg(out));
        const QByteArray text = readAll(out);
        QVERIFY(text.contains("SUMMARY:Company day off"));
        QVERIFY(text.contains("SUMMARY:Anna's birthday"));
        QVERIFY(text.contains("SUMMARY:File taxes"));
        QVERIFY(!text.contains("SUMMARY:Dentist"));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("firstLine");
        const QString usage = "usage: daybrook [--home DIR] --import FILE.ics [--force] | --export FILE.ics [FROM TO]";
        QTest::newRow("import without a file") << QStringList {"--import"} << 2 << usage;
        QTest::newRow("import and export") << QStringList {"--import", "a.ics", "--export", "b.ics"} << 2 << usage;
        QTest::newRow("import, extra argument")
            << QStringList {"--import", "a.ics", "--frce"} << 2 << "import: unknown argument: --frce";
        QTest::newRow("export, one date") << QStringList {"--export", "b.ics", "2025-01-01"} << 2
                                          << "export: give both FROM and TO (YYYY-MM-DD), or neither";
        QTest::newRow("export, bad date") << QStringList {"--export", "b.ics", "2025-01-01", "1/2/25"} << 2
                                          << "export: not a date (YYYY-MM-DD): 1/2/25";
        QTest::newRow("export, reversed") << QStringList {"--export", "b.ics", "2025-02-01", "2025-01-01"} << 2
                                          << "export: the range ends before it starts: 2025-02-01 2025-01-01";
        QTest::newRow("export, --force") << QStringList {"--export", "b.ics", "--force"} << 2
                                         << "export: --force belongs to --import";
        QTest::newRow("import of a missing file")
            << QStringList {"--import", "/nonexistent/x.ics"} << 2
            << "import: Cannot read \"/nonexistent/x.ics\": No such file or directory";
        QTest::newRow("import") << QStringList {"--import", fixture("apple.ics")} << 0
                                << "Imported 2 events and 2 tasks.";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, firstLine);
        Home home;
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int exitCode =
            runIcsCommand(QStringList {"daybrook", "--home", home.path()} + arguments, outStream, errStream);
        outStream.flush();
        QCOMPARE(exitCode, code);
        const QString printed = code == 0 ? out : err;
        QCOMPARE(printed.count('\n'), 1);
        QCOMPARE(printed.trimmed(), firstLine);
    }
};

QTEST_GUILESS_MAIN(TestIcal)
#include "test_ical.moc"
