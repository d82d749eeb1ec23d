#include "tests/ical/IcalTestSupport.h"
#include "tests/support/TestSupport.h"

#include "app/IcsWindowCommands.h"

#include "store/DataRoot.h"
#include "store/ItemFileWriter.h"
#include "store/Unit2.h"

#include <QFile>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <QtTest>

// The File menu's iCalendar commands with their dialogs replaced: what the
// user is asked and told, and that the views hear of an import.
class TestIcalWindow : public QObject
{
    Q_OBJECT

    struct Seen
    {
        QStringList told;
        QStringList asked;
        int changed = 0;
        bool answer = false;
    };

    IcsWindowCommands::Hooks hooks(const QString &calendar, const QString &importFile, const QString &exportFile,
                                   Seen &seen)
    {
        IcsWindowCommands::Hooks h;
        h.calendarPath = [calendar] { return calendar; };
        h.typeNames = [] {
            return QStringList {"Standard", "Important",   "Business",        "Personal",
                                "Vacation", "Must Attend", "Travel Required", "Needs Preparation",
                                "Birthday", "Anniversary", "Phone Call"};
        };
        h.calendarChanged = [&seen] { ++seen.changed; };
        h.chooseImportFile = [importFile](QWidget *, const QString &) { return importFile; };
        h.chooseExportFile = [exportFile](QWidget *, const QString &) { return exportFile; };
        h.ask = [&seen](QWidget *, const QString &question) {
            seen.asked << question;
            return seen.answer;
        };
        h.tell = [&seen](QWidget *, const QString &text, bool failure) {
            seen.told << (failure ? "failure: " : "") + text;
        };
        return h;
    }

    QString makeCalendar(TempHome &home)
    {
        TDataModule2 store(DataRoot::resolve({"daybrook", "--home", home.path()}));
        if (!store.startUp())
            return QString();
        const QString path = store.Table50().filePath();
        store.closeAll();
        return path;
    }

private slots:
    void initTestCase() { pinTestLocale(); }

    void importTellsTheSummaryAndRebuilds()
    {
        TempHome home;
        const QString calendar = makeCalendar(home);
        QVERIFY(!calendar.isEmpty());
        const QString file = home.path() + "one.ics";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nUID:a\nDTSTART:20250310T090000\nDTEND:20250310T100000\n"
                "SUMMARY:Dentist\nEND:VEVENT\nEND:VCALENDAR\n");
        f.close();
        Seen seen;
        QWidget window;
        IcsWindowCommands commands(&window, hooks(calendar, file, QString(), seen));
        commands.importCalendar();
        QCOMPARE(seen.told, QStringList {"Imported 1 event and 0 tasks."});
        QCOMPARE(seen.changed, 1);
        QCOMPARE(itemLines(calendar).size(), 1);

        // A file dialog left with Cancel does nothing at all.
        Seen none;
        IcsWindowCommands cancelled(&window, hooks(calendar, QString(), QString(), none));
        cancelled.importCalendar();
        QVERIFY(none.told.isEmpty());
        QCOMPARE(none.changed, 0);
    }

    // The whole import is one step of the open calendar's undo history:
    // undone, every item goes; redone, each comes back with its `No` and UID.
    void importIsOneStepToUndo()
    {
        TempHome home;
        TDataModule2 store(DataRoot::resolve({"daybrook", "--home", home.path()}));
        QVERIFY(store.startUp());
        const QString calendar = store.Table50().filePath();
        const QString file = home.path() + "three.ics";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BEGIN:VCALENDAR\nVERSION:2.0\n"
                "BEGIN:VEVENT\nUID:a\nDTSTART:20250310T090000\nDTEND:20250310T100000\nSUMMARY:Dentist\nEND:VEVENT\n"
                "BEGIN:VEVENT\nUID:b\nDTSTART:20250311T120000\nDTEND:20250311T130000\nSUMMARY:Lunch\nEND:VEVENT\n"
                "BEGIN:VTODO\nUID:c\nSUMMARY:Taxes\nEND:VTODO\nEND:VCALENDAR\n");
        f.close();
        Seen seen;
        IcsWindowCommands::Hooks h = hooks(calendar, file, QString(), seen);
        h.calendarChanged = [&store] { store.noticeOutsideChanges(); };
        h.imported = [&store](const QList<qint64> &rows) { store.addInsertedStep("Import", rows); };
        QWidget window;
        IcsWindowCommands commands(&window, h);
        commands.importCalendar();
        QCOMPARE(seen.told, QStringList {"Imported 2 events and 1 task."});
        const QStringList imported = itemLines(calendar);
        QCOMPARE(imported.size(), 3);
        const auto uids = [&calendar] {
            ItemFileWriter writer;
            return writer.openForReading(calendar) ? writer.itemsByUid() : QHash<QString, qint64>();
        };
        const QHash<QString, qint64> numbers = uids();
        QCOMPARE(numbers.size(), 3);
        QCOMPARE(store.undoName(), QString("Import"));

        QVERIFY(store.undo());
        QCOMPARE(itemLines(calendar), QStringList());
        QCOMPARE(store.redoName(), QString("Import"));
        QVERIFY(store.redo());
        QCOMPARE(itemLines(calendar), imported);
        QCOMPARE(uids(), numbers);
    }

    // Reading a large file takes a while before its first item: the
    // progress shows from the start, and the window paints meanwhile.
    void progressShowsAtOnce()
    {
        TempHome home;
        const QString calendar = makeCalendar(home);
        const QString file = home.path() + "many.ics";
        QByteArray text = "BEGIN:VCALENDAR\nVERSION:2.0\n";
        for (int i = 0; i < 2000; ++i)
            text += "BEGIN:VEVENT\nUID:e" + QByteArray::number(i)
                + "\nDTSTART:20250310T090000Z\nSUMMARY:Item\nEND:VEVENT\n";
        text += "END:VCALENDAR\n";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        Seen seen;
        QWidget window;
        IcsWindowCommands commands(&window, hooks(calendar, file, QString(), seen));
        bool shownAtFirstPaint = false, looked = false;
        QTimer::singleShot(0, &window, [&] {
            looked = true;
            for (QProgressDialog *dialog : window.findChildren<QProgressDialog *>())
                shownAtFirstPaint |= dialog->isVisible();
        });
        commands.importCalendar();
        QVERIFY(looked);
        QVERIFY(shownAtFirstPaint);
        QCOMPARE(seen.told, QStringList {"Imported 2,000 events and 0 tasks."});
    }

    // 20,000 unstorable items once made a question taller than any screen.
    void manyUnstorableItemsMakeAShortQuestion()
    {
        TempHome home;
        const QString calendar = makeCalendar(home);
        const QString file = home.path() + "long.ics";
        QByteArray text = "BEGIN:VCALENDAR\nVERSION:2.0\n";
        for (int i = 0; i < 20; ++i)
            text += "BEGIN:VEVENT\nUID:l" + QByteArray::number(i) + "\nDTSTART:20250310T090000\nLOCATION:"
                + QByteArray(101, 'L') + "\nSUMMARY:Far " + QByteArray::number(i) + "\nEND:VEVENT\n";
        text += "END:VCALENDAR\n";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        Seen seen;
        QWidget window;
        IcsWindowCommands commands(&window, hooks(calendar, file, QString(), seen));
        commands.importCalendar();
        QCOMPARE(seen.asked.size(), 1);
        const QString reason = QStringLiteral(": The field Loc holds at most 100 characters; the value has 101.\n");
        QCOMPARE(seen.asked.first(),
                 QStringLiteral("20 items cannot be stored:\n\n\"Far 0\"%1\"Far 1\"%1\"Far 2\"%1\"Far 3\"%1\"Far 4\"%1"
                                "and 15 more\n\nImport the other items without them?")
                     .arg(reason));
    }

    void itemsThatCannotBeStoredAreAskedAbout_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("stored");
        QTest::newRow("No: nothing") << false << "Nothing was imported." << 0;
        QTest::newRow("Yes: the rest") << true
                                       << "Imported 1 event and 0 tasks; 1 item that cannot be stored was left out: \""
                                       << 1;
    }
    void itemsThatCannotBeStoredAreAskedAbout()
    {
        QFETCH(bool, answer);
        QFETCH(QString, told);
        QFETCH(int, stored);
        TempHome home;
        const QString calendar = makeCalendar(home);
        const QString file = home.path() + "long.ics";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nUID:a\nDTSTART:20250310T090000\nLOCATION:"
                + QByteArray(101, 'L')
                + "\nSUMMARY:Far "
                  "away\nEND:VEVENT\nBEGIN:VEVENT\nUID:b\nDTSTART:20250311T090000\nSUMMARY:Near\nEND:VEVENT\nEND:"
                  "VCALENDAR\n");
        f.close();
        Seen seen;
        seen.answer = answer;
        QWidget window;
        IcsWindowCommands commands(&window, hooks(calendar, file, QString(), seen));
        commands.importCalendar();
        QCOMPARE(seen.asked.size(), 1);
        QCOMPARE(seen.asked.first(),
                 QStringLiteral("1 item cannot be stored:\n\n\"Far away\": The field Loc holds at most 100 characters; "
                                "the value has 101.\n\nImport the other items without them?"));
        QCOMPARE(seen.told.size(), 1);
        QVERIFY2(seen.told.first().startsWith(told), qPrintable(seen.told.first()));
        QCOMPARE(itemLines(calendar).size(), stored);
        QCOMPARE(seen.changed, stored);
    }

    void exportAddsTheSuffix()
    {
        TempHome home;
        const QString calendar = makeCalendar(home);
        Seen seen;
        QWidget window;
        IcsWindowCommands commands(&window, hooks(calendar, QString(), home.path() + "backup", seen));
        commands.exportCalendar();
        QCOMPARE(seen.told,
                 QStringList {QStringLiteral("Exported 0 events and 0 tasks to \"%1backup.ics\".").arg(home.path())});
        QVERIFY(QFile::exists(home.path() + "backup.ics"));
    }

    void exportToAnUnwritablePlaceFails()
    {
        TempHome home;
        const QString calendar = makeCalendar(home);
        Seen seen;
        QWidget window;
        IcsWindowCommands commands(&window, hooks(calendar, QString(), "/nonexistent/dir/x.ics", seen));
        commands.exportCalendar();
        QCOMPARE(seen.told.size(), 1);
        QVERIFY2(seen.told.first().startsWith("failure: Cannot write \"/nonexistent/dir/x.ics\""),
                 qPrintable(seen.told.first()));
    }
};

QTEST_MAIN(TestIcalWindow)
#include "test_ical_window.moc"
