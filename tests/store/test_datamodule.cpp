#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/LocaleFormats.h"
#include "store/OptionLists.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QtTest>

#include <sqlite3.h>

namespace {

// Records what the data module asks of the main window.
class FakeHost : public DataModuleHost
{
public:
    View view = View::None;
    int relayouts = 0;
    QStringList events;
    std::function<void()> onConfigure;

    void showFolderName(const QString &name) override { events << "folder name " + name; }
    void configureWindow() override
    {
        events << "configure";
        if (onConfigure)
            onConfigure();
    }
    View activeView() const override { return view; }
    void relayoutMonthFillers() override { ++relayouts; }
};

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Inserts a row with the given fields and posts it; returns its No (0 on failure).
qint64 addRow(Cursor &cursor, const QVariantMap &fields)
{
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << "post failed:" << cursor.lastError();
        cursor.cancel();
        return 0;
    }
    return cursor.currentId();
}

// Subjects of every row the cursor shows, in its order.
QStringList subjects(Cursor &cursor)
{
    QStringList list;
    for (cursor.first(); !cursor.eof(); cursor.next())
        list << cursor.asText("Subject");
    return list;
}

QStringList allSubjects(Cursor &cursor)
{
    cursor.setFiltered(false);
    cursor.refresh();
    QStringList list = subjects(cursor);
    list.sort();
    return list;
}

// A one-date appointment.
QVariantMap appointment(const QString &subject, const QDate &date)
{
    return {{"Subject", subject}, {"S", date}, {"E", date}, {"Md", "0"}, {"St", QTime(9, 0)}, {"Et", QTime(10, 0)}};
}

// The bytes of a SQLite database that holds some table but not `table`.
QByteArray databaseWithoutTable(const char *table)
{
    QTemporaryDir dir;
    const QByteArray path = (dir.path() + "/other.db").toUtf8();
    sqlite3 *db = nullptr;
    sqlite3_open(path.constData(), &db);
    const QByteArray sql =
        QByteArray("CREATE TABLE not_") + table + " (x INTEGER); INSERT INTO not_" + table + " VALUES (1);";
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return readBytes(QString::fromUtf8(path));
}

} // namespace

class TestDataModule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinTestLocale();
        QVERIFY(firstStart(m_firstStarted.path()));
    }
    void cleanup() { Clock::setNowForTesting(QDateTime()); }

    void firstStartCreatesTheDataRoot();
    void firstStartOptions_data();
    void firstStartOptions();
    void firstStartFolderRow();
    void secondStartReadsWhatIsThere();
    void startUpRunsItsStepsInOrder();
    void cursorOrders_data();
    void cursorOrders();

    void emptySoundFieldIsFilled();
    void activeFolderIsLocated();
    void unknownActiveFolderUsesFirstRow();
    void missingFolderFileFallsBackToDefault_data();
    void missingFolderFileFallsBackToDefault();
    void damagedCalendarAtStartUp_data();
    void damagedCalendarAtStartUp();
    void damagedCalendarOnSwitchKeepsCalendar();

    void unreadableSettingsTable_data();
    void unreadableSettingsTable();
    void missingSettingsTableIsCreated_data();
    void missingSettingsTableIsCreated();

    void emptySettingsTablesGetDefaults();
    void optionChangeDuringDialogIsPostedBesideItsEdit_data();
    void optionChangeDuringDialogIsPostedBesideItsEdit();
    void optionsFileWithoutTaskReminderFieldOpens();
    void optionsFromBeforeTheLastScanField();

    void purgeOldItems_data();
    void purgeOldItems();

    void afterPostRefresh_data();
    void afterPostRefresh();

    void createCalendarTable();
    void createCalendarRefusesActiveCalendar_data();
    void createCalendarRefusesActiveCalendar();
    void createCalendarFailsWhenFileIsInUse();
    void closeAllClosesEveryCursor();

private:
    TempHome m_firstStarted; // a data root after its first start, only read

    // Runs a first start on home and closes the module again.
    static bool firstStart(const QString &home);
    // Adds a folder row naming dir + file (creating that calendar) and
    // makes it the active folder.
    static qint64 addActiveFolder(TDataModule2 &dm, const QString &name, const QString &dir, const QString &file);
};

bool TestDataModule::firstStart(const QString &home)
{
    TDataModule2 dm {DataRoot(home)};
    return dm.startUp().isOk();
}

qint64 TestDataModule::addActiveFolder(TDataModule2 &dm, const QString &name, const QString &dir, const QString &file)
{
    if (!dm.createCalendarTable(dir, file))
        return 0;
    const qint64 id =
        addRow(dm.Table61(), {{"2", name}, {"3", dir}, {"4", file}, {"5", 194}, {"6", 148}, {"7", 1}, {"8", 1}});
    if (id == 0 || !dm.options().change({{46, id}}))
        return 0;
    return id;
}

void TestDataModule::firstStartCreatesTheDataRoot()
{
    TempHome home;
    FakeHost host;
    TDataModule2 dm {DataRoot(home.path())};
    dm.setHost(&host);
    const Outcome started = dm.startUp();
    QVERIFY2(started, qPrintable(started.error()));

    QVERIFY(QFileInfo(home.path() + "Data/options.db").isFile());
    QVERIFY(QFileInfo(home.path() + "Data/folderslist.db").isFile());
    const QString calendar = home.path() + "Personal Calendar/Personal Calendar.db";
    QVERIFY(QFileInfo(calendar).isFile());
    QCOMPARE(dm.table(1).filePath(), calendar);
    QCOMPARE(dm.Table50().filePath(), calendar);
    QCOMPARE(dm.table(1).recordCount(), 0);
    QVERIFY(dm.folderFileOpened());
    QCOMPARE(host.events, QStringList({"folder name Personal Calendar", "configure"}));
}

void TestDataModule::firstStartOptions_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("default reminder lead: 5 minutes") << 2 << QVariant(1);
    QTest::newRow("snooze: 0 minutes") << 3 << QVariant(0);
    QTest::newRow("Sunday off") << 4 << QVariant(false);
    QTest::newRow("Monday on") << 5 << QVariant(true);
    QTest::newRow("Friday on") << 9 << QVariant(true);
    QTest::newRow("Saturday off") << 10 << QVariant(false);
    QTest::newRow("work starts 8:00 AM") << 42 << QVariant(16);
    QTest::newRow("work ends 5:00 PM") << 43 << QVariant(34);
    QTest::newRow("week starts Sunday") << 45 << QVariant(0);
    QTest::newRow("outside hours white") << 47 << QVariant("clWhite");
    QTest::newRow("working hours blue") << 48 << QVariant("$00FFCC99");
    QTest::newRow("print from 12:00 AM") << 53 << QVariant(0);
    QTest::newRow("no purge") << 52 << QVariant(false);
    QTest::newRow("type 0") << 31 << QVariant("Standard");
    QTest::newRow("type 5") << 36 << QVariant("Must Attend");
    QTest::newRow("type 7") << 38 << QVariant("Needs Preparation");
    QTest::newRow("type 10") << 41 << QVariant("Phone Call");
}

void TestDataModule::firstStartOptions()
{
    QFETCH(int, field);
    QFETCH(QVariant, expected);
    TDataModule2 dm {DataRoot(m_firstStarted.path())};
    const Outcome opened = dm.openForReading();
    QVERIFY2(opened, qPrintable(opened.error()));
    QCOMPARE(dm.Table60().value(QString::number(field)), expected);
    QCOMPARE(dm.Table60().recordCount(), 1);
    QCOMPARE(dm.options().textField(22), m_firstStarted.path() + "daybrook1.wav");
    QCOMPARE(dm.options().colorField(48, Qt::black), QColor(153, 204, 255));
}

void TestDataModule::firstStartFolderRow()
{
    TempHome home;
    TDataModule2 dm {DataRoot(home.path())};
    const Outcome started = dm.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    Cursor &folders = dm.Table61();
    QCOMPARE(folders.recordCount(), 1);
    QCOMPARE(folders.asText("2"), QString("Personal Calendar"));
    // Inside the data root, kept relative to it: a copy of the root reads its own calendar.
    QCOMPARE(folders.asText("3"), QString("Personal Calendar/"));
    QCOMPARE(folders.asText("4"), QString("Personal Calendar.db"));
    QCOMPARE(folders.asText("5"), QString("194"));
    QCOMPARE(folders.asText("6"), QString("148"));
    QCOMPARE(folders.asText("7"), QString("1"));
    QCOMPARE(folders.asText("8"), QString("1"));
    QCOMPARE(dm.options().intField(46), folders.asInt("1"));
}

void TestDataModule::secondStartReadsWhatIsThere()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        QVERIFY(addRow(dm.Table50(), appointment("kept", QDate(2025, 3, 3))) > 0);
        QVERIFY(dm.options().change({{2, 4}}));
    }
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QCOMPARE(dm.Table60().recordCount(), 1);
    QCOMPARE(dm.Table61().recordCount(), 1);
    QCOMPARE(dm.options().intField(2), 4);
    QCOMPARE(allSubjects(dm.table(1)), QStringList {"kept"});
}

void TestDataModule::startUpRunsItsStepsInOrder()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        QVERIFY(addRow(dm.Table50(), appointment("old", QDate(2025, 1, 2))) > 0);
        QVERIFY(dm.options().change({{52, true}, {54, 30}, {22, QString()}}));
    }
    Clock::setNowForTesting(QDateTime(QDate(2025, 3, 31), QTime(12, 0)));
    FakeHost host;
    TDataModule2 dm {DataRoot(home.path())};
    dm.setHost(&host);
    // When the window is configured the calendar is open, purged and the
    // sound path filled.
    bool calendarOpen = false;
    int rowsLeft = -1;
    QString sound;
    host.onConfigure = [&] {
        calendarOpen = dm.table(1).isOpen();
        dm.table(1).setFiltered(false);
        dm.table(1).refresh();
        rowsLeft = dm.table(1).recordCount();
        sound = dm.options().textField(22);
    };
    QVERIFY(dm.startUp());
    QCOMPARE(host.events, QStringList({"folder name Personal Calendar", "configure"}));
    QVERIFY(calendarOpen);
    QCOMPARE(rowsLeft, 0);
    QCOMPARE(sound, home.path() + "daybrook1.wav");
}

void TestDataModule::cursorOrders_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("order");
    QTest::newRow("month cell 1") << 1 << "sta";
    QTest::newRow("month cell 42") << 42 << "sta";
    QTest::newRow("slot starts") << 43 << "end";
    QTest::newRow("running") << 44 << "sta";
    QTest::newRow("look-ahead") << 45 << "";
    QTest::newRow("day blocks") << 46 << "";
    QTest::newRow("task pad") << 47 << "";
    QTest::newRow("reminders") << 48 << "";
    QTest::newRow("all-day strip") << 49 << "sta";
    QTest::newRow("edit cursor") << 50 << "";
}

void TestDataModule::cursorOrders()
{
    QFETCH(int, number);
    QFETCH(QString, order);
    TDataModule2 dm {DataRoot("/nonexistent")};
    QCOMPARE(dm.table(number).name(), QString("Table%1").arg(number));
    QCOMPARE(dm.table(number).indexName(), order);
}

void TestDataModule::emptySoundFieldIsFilled()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        QVERIFY(dm.options().change({{22, QString()}}));
        QVERIFY(dm.Table60().isBlank("22"));
    }
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QCOMPARE(dm.options().textField(22), home.path() + "daybrook1.wav");
    // Posted at once, not only held in the row.
    TDataModule2 reader {DataRoot(home.path())};
    QVERIFY(reader.openForReading());
    QCOMPARE(reader.options().textField(22), home.path() + "daybrook1.wav");
}

void TestDataModule::activeFolderIsLocated()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    const QString workDir = home.path() + "Work/";
    qint64 workId = 0;
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        workId = addActiveFolder(dm, "Work", workDir, "work.db");
        QVERIFY(workId > 0);
    }
    FakeHost host;
    TDataModule2 dm {DataRoot(home.path())};
    dm.setHost(&host);
    QVERIFY(dm.startUp());
    QCOMPARE(dm.Table61().currentId(), workId);
    QCOMPARE(dm.table(1).filePath(), workDir + "work.db");
    QVERIFY(dm.folderFileOpened());
    QCOMPARE(host.events.first(), QString("folder name Work"));
}

void TestDataModule::unknownActiveFolderUsesFirstRow()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    qint64 firstId = 0;
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        firstId = dm.Table61().currentId();
        QVERIFY(addActiveFolder(dm, "Work", home.path() + "Work/", "work.db") > 0);
        QVERIFY(dm.options().change({{46, 999}}));
    }
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QCOMPARE(dm.Table61().currentId(), firstId);
    QCOMPARE(dm.table(1).filePath(), home.path() + "Personal Calendar/Personal Calendar.db");
}

void TestDataModule::missingFolderFileFallsBackToDefault_data()
{
    QTest::addColumn<QString>("path"); // relative to the data root; "" leaves it blank
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("removeFile");

    QTest::newRow("file removed") << "Work/"
                                  << "work.db" << true;
    QTest::newRow("path and file blank") << ""
                                         << "" << false;
    QTest::newRow("file blank, path a directory") << "Work/"
                                                  << "" << false;
    QTest::newRow("path without separator, file removed") << "Work"
                                                          << "work.db" << true;
}

void TestDataModule::missingFolderFileFallsBackToDefault()
{
    QFETCH(QString, path);
    QFETCH(QString, file);
    QFETCH(bool, removeFile);
    TempHome home;
    QVERIFY(firstStart(home.path()));
    const QString dir = path.isEmpty() ? QString() : home.path() + path;
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        QVERIFY(dm.createCalendarTable(home.path() + "Work/", "work.db"));
        const qint64 id = addRow(dm.Table61(), {{"2", "Work"}, {"3", dir}, {"4", file}, {"7", 1}});
        QVERIFY(id > 0);
        QVERIFY(dm.options().change({{46, id}}));
    }
    if (removeFile)
        QVERIFY(QFile::remove(home.path() + "Work/work.db"));

    TDataModule2 dm {DataRoot(home.path())};
    QSignalSpy spy(&dm, &TDataModule2::storeMessage);
    QVERIFY(dm.startUp());
    QVERIFY(!dm.folderFileOpened());
    // A file that has disappeared is named; a folder that names none is
    // the default calendar without a word.
    if (removeFile) {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(),
                 "The calendar file " + QDir::toNativeSeparators(home.path() + "Work/work.db")
                     + " is missing; the default calendar "
                     + QDir::toNativeSeparators(home.path() + "Personal Calendar/Personal Calendar.db")
                     + " was opened instead.");
    } else {
        QCOMPARE(spy.count(), 0);
    }
    QCOMPARE(dm.table(1).filePath(), home.path() + "Personal Calendar/Personal Calendar.db");
    QCOMPARE(dm.Table61().asText("2"), QString("Work"));
    QCOMPARE(dm.Table61().asText("3"), QString("Personal Calendar/"));
    QCOMPARE(dm.Table61().asText("4"), QString("Personal Calendar.db"));

    // The rewrite was posted: the next start opens the folder's own file.
    TDataModule2 again {DataRoot(home.path())};
    QVERIFY(again.openForReading());
    QCOMPARE(again.Table61().asText("3"), QString("Personal Calendar/"));
    QVERIFY(again.folderFileOpened());
}

void TestDataModule::damagedCalendarAtStartUp_data()
{
    QTest::addColumn<bool>("truncate"); // else: a text file named .db
    QTest::newRow("text file named .db") << false;
    QTest::newRow("truncated database") << true;
}

void TestDataModule::damagedCalendarAtStartUp()
{
    QFETCH(bool, truncate);
    TempHome home;
    QVERIFY(firstStart(home.path()));
    const QString bad = home.path() + "Work/bad.db";
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        QVERIFY(addActiveFolder(dm, "Work", home.path() + "Work/", "bad.db") > 0);
    }
    if (truncate) {
        // Enough rows for many pages, so that cutting the file loses rows.
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(bad.toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 2000) "
                              "INSERT INTO items (Subject, S, E, Md) "
                              "SELECT 'item number ' || x, '2025-03-03', '2025-03-03', '0' FROM n",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
    }
    if (truncate) {
        const QByteArray whole = readBytes(bad);
        QVERIFY(whole.size() > 8192);
        QVERIFY(writeBytes(bad, whole.left(whole.size() / 2)));
    } else {
        QVERIFY(writeBytes(bad, "this is not a calendar\n"));
    }
    const QByteArray before = readBytes(bad);

    TDataModule2 dm {DataRoot(home.path())};
    QSignalSpy spy(&dm, &TDataModule2::storeMessage);
    const Outcome started = dm.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    QCOMPARE(spy.count(), 1);
    QVERIFY2(spy.at(0).at(0).toString().contains("bad.db"), qPrintable(spy.at(0).at(0).toString()));
    QVERIFY(!dm.folderFileOpened());
    QCOMPARE(dm.table(1).filePath(), home.path() + "Personal Calendar/Personal Calendar.db");
    QVERIFY(dm.Table50().isOpen());
    // The folder keeps naming the user's file, and the file is as it was.
    QCOMPARE(dm.Table61().asText("4"), QString("bad.db"));
    dm.closeAll();
    QCOMPARE(readBytes(bad), before);
    QVERIFY(!QFile::exists(bad + "-journal"));
    QVERIFY(!QFile::exists(bad + "-wal"));
}

void TestDataModule::damagedCalendarOnSwitchKeepsCalendar()
{
    TempHome home;
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QVERIFY(addRow(dm.Table50(), appointment("mine", QDate(2025, 3, 3))) > 0);
    const QString bad = home.path() + "Other/bad.db";
    QVERIFY(writeBytes(bad, "not a database"));
    QVERIFY(addRow(dm.Table61(), {{"2", "Other"}, {"3", home.path() + "Other/"}, {"4", "bad.db"}}) > 0);

    QSignalSpy spy(&dm, &TDataModule2::storeMessage);
    QVERIFY(!dm.openCalendarFolder());
    QCOMPARE(spy.count(), 1);
    QVERIFY(spy.at(0).at(0).toString().contains("bad.db"));
    QCOMPARE(dm.table(1).filePath(), home.path() + "Personal Calendar/Personal Calendar.db");
    QCOMPARE(allSubjects(dm.table(1)), QStringList {"mine"});
    QCOMPARE(readBytes(bad), QByteArray("not a database"));
}

void TestDataModule::unreadableSettingsTable_data()
{
    QTest::addColumn<QString>("badFile");
    QTest::addColumn<QString>("otherFile");
    QTest::addColumn<QByteArray>("content");
    const QByteArray text = "options of another program\n";
    QTest::newRow("options is a text file") << "options.db"
                                            << "folderslist.db" << text;
    QTest::newRow("folders is a text file") << "folderslist.db"
                                            << "options.db" << text;
    QTest::newRow("options is a database of another program") << "options.db"
                                                              << "folderslist.db" << databaseWithoutTable("options");
    QTest::newRow("options header, then garbage")
        << "options.db"
        << "folderslist.db" << QByteArray("SQLite format 3").append('\0').append(4080, 'x');
}

void TestDataModule::unreadableSettingsTable()
{
    QFETCH(QString, badFile);
    QFETCH(QString, otherFile);
    QFETCH(QByteArray, content);
    TempHome home;
    const QString bad = home.path() + "Data/" + badFile;
    QVERIFY(writeBytes(bad, content));

    TDataModule2 dm {DataRoot(home.path())};
    const Outcome started = dm.startUp();
    QVERIFY(!started);
    QVERIFY2(started.error().contains(badFile), qPrintable(started.error()));
    dm.closeAll();
    QCOMPARE(readBytes(bad), content);
    // Nothing else was written either.
    QVERIFY(!QFile::exists(home.path() + "Data/" + otherFile));
    QVERIFY(!QFile::exists(home.path() + "Personal Calendar"));
    QCOMPARE(QDir(home.path() + "Data").entryList(QDir::Files), QStringList {badFile});
}

void TestDataModule::missingSettingsTableIsCreated_data()
{
    QTest::addColumn<QString>("removed");
    QTest::newRow("options") << "options.db";
    QTest::newRow("folders list") << "folderslist.db";
}

void TestDataModule::missingSettingsTableIsCreated()
{
    QFETCH(QString, removed);
    TempHome home;
    QVERIFY(firstStart(home.path()));
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        QVERIFY(addActiveFolder(dm, "Work", home.path() + "Work/", "work.db") > 0);
        QVERIFY(dm.options().change({{30, true}}));
    }
    QVERIFY(QFile::remove(home.path() + "Data/" + removed));

    TDataModule2 dm {DataRoot(home.path())};
    const Outcome started = dm.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    QCOMPARE(dm.Table60().recordCount(), 1);
    QVERIFY(dm.Table61().recordCount() >= 1);
    if (removed == "options.db") {
        // Fresh defaults, on the first folder; the folders list is as it was.
        QVERIFY(!dm.options().boolField(30));
        QCOMPARE(dm.options().intField(2), 1);
        QCOMPARE(dm.Table61().recordCount(), 2);
        QCOMPARE(dm.Table61().asText("2"), QString("Personal Calendar"));
    } else {
        // One default folder; the options keep their values.
        QVERIFY(dm.options().boolField(30));
        QCOMPARE(dm.Table61().recordCount(), 1);
        QCOMPARE(dm.Table61().asText("2"), QString("Personal Calendar"));
    }
    QCOMPARE(dm.table(1).filePath(), home.path() + "Personal Calendar/Personal Calendar.db");
}

void TestDataModule::emptySettingsTablesGetDefaults()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        for (Cursor *cursor : {&dm.Table60(), &dm.Table61()}) {
            cursor->first();
            while (!cursor->eof())
                QVERIFY(cursor->deleteRow());
        }
    }
    TDataModule2 dm {DataRoot(home.path())};
    const Outcome started = dm.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    QCOMPARE(dm.Table60().recordCount(), 1);
    QCOMPARE(dm.options().typeName(1), QString("Important"));
    QCOMPARE(dm.Table61().recordCount(), 1);
    QCOMPARE(dm.Table61().asText("2"), QString("Personal Calendar"));
    QCOMPARE(dm.options().intField(46), dm.Table61().asInt("1"));
}

// An options file made before field 56 existed opens as it is: a reader
// sees the field blank and leaves the file alone; start-up adds the column.
void TestDataModule::optionsFromBeforeTheLastScanField()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    const QString file = home.path() + "Data/options.db";
    auto columns = [&file] {
        sqlite3 *db = nullptr;
        QStringList names;
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_stmt *info = nullptr;
            sqlite3_prepare_v2(db, "PRAGMA table_info(options)", -1, &info, nullptr);
            while (sqlite3_step(info) == SQLITE_ROW)
                names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info, 1)));
            sqlite3_finalize(info);
        }
        sqlite3_close(db);
        return names;
    };
    {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "ALTER TABLE options DROP COLUMN \"56\"", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    QVERIFY(!columns().contains("56"));
    {
        TDataModule2 reader {DataRoot(home.path())};
        const Outcome opened = reader.openForReading(1);
        QVERIFY2(opened, qPrintable(opened.error()));
        QVERIFY(reader.options().textField(56).isEmpty());
        QCOMPARE(reader.options().typeName(1), QString("Important"));
    }
    QVERIFY(!columns().contains("56"));

    TDataModule2 dm {DataRoot(home.path())};
    const Outcome started = dm.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    QVERIFY(columns().contains("56"));
    QVERIFY(dm.options().textField(56).isEmpty());
    QCOMPARE(dm.options().typeName(1), QString("Important"));
    QVERIFY(dm.options().change({{56, "2024-05-20T10:00:20"}}));
    QCOMPARE(dm.options().textField(56), QString("2024-05-20T10:00:20"));
}

void TestDataModule::optionChangeDuringDialogIsPostedBesideItsEdit_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("dialog cancelled") << false;
    QTest::newRow("dialog confirmed") << true;
}

// While the options dialog holds the row in edit mode, a writer such as
// Exit (window placement) or the folder divider posts its own fields at
// once; the dialog's OK or Cancel decides only about the dialog's changes.
void TestDataModule::optionChangeDuringDialogIsPostedBesideItsEdit()
{
    QFETCH(bool, confirm);
    TempHome home;
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QVERIFY(dm.Table60().edit());
    dm.Table60().setValue("30", true);
    dm.Table60().setValue("18", 300); // a field both write: the edit keeps its own value

    QVERIFY(dm.options().change({{11, false}, {12, 40}, {18, 222}}));
    QCOMPARE(dm.Table60().state(), Cursor::State::Edit);
    QCOMPARE(dm.options().intField(12), 40);
    QVERIFY(dm.options().boolField(30)); // the dialog's change is still its own
    {
        TDataModule2 onDisk {DataRoot(home.path())};
        QVERIFY(onDisk.openForReading(1));
        QCOMPARE(onDisk.options().intField(12), 40);
        QCOMPARE(onDisk.options().intField(18), 222);
        QVERIFY(!onDisk.options().boolField(30));
    }

    if (confirm)
        QVERIFY(dm.Table60().post());
    else
        dm.Table60().cancel();
    TDataModule2 after {DataRoot(home.path())};
    QVERIFY(after.openForReading(1));
    QCOMPARE(after.options().intField(12), 40);
    QCOMPARE(after.options().boolField(30), confirm);
    // The dialog's own write of 18 goes with its OK, the writer's stays on Cancel.
    QCOMPARE(after.options().intField(18), confirm ? 300 : 222);
}

// Option files from before "Set reminders on tasks with due dates" have no
// column "55": a reader sees it blank and leaves the file alone, start-up
// adds the column and keeps every other setting.
void TestDataModule::optionsFileWithoutTaskReminderFieldOpens()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    const QString optionsFile = home.path() + "Data/options.db";
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(optionsFile.toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "ALTER TABLE options DROP COLUMN \"55\"; UPDATE options SET \"54\" = 45", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);
    const QByteArray before = readBytes(optionsFile);

    {
        TDataModule2 reader {DataRoot(home.path())};
        const Outcome opened = reader.openForReading(1);
        QVERIFY2(opened, qPrintable(opened.error()));
        QVERIFY(!reader.options().boolField(55));
        QCOMPARE(reader.options().intField(54), 45);
    }
    QCOMPARE(readBytes(optionsFile), before);

    {
        TDataModule2 dm {DataRoot(home.path())};
        const Outcome started = dm.startUp();
        QVERIFY2(started, qPrintable(started.error()));
        QCOMPARE(dm.options().intField(54), 45);
        QVERIFY(dm.options().change({{55, true}}));
    }
    TDataModule2 again {DataRoot(home.path())};
    QVERIFY(again.openForReading(1));
    QVERIFY(again.options().boolField(55));
    QCOMPARE(again.options().intField(54), 45);
}

void TestDataModule::purgeOldItems_data()
{
    QTest::addColumn<bool>("purgeOn");
    QTest::addColumn<QString>("age"); // as stored, in SQL
    QTest::addColumn<QStringList>("kept");

    const QStringList all {"1 March",
                           "28 February",
                           "blank-start task",
                           "dated task",
                           "multi-date 20 Feb - 5 Mar",
                           "recurring from last year",
                           "today"};
    const QStringList kept30 {"1 March", "blank-start task", "dated task", "recurring from last year", "today"};
    QTest::newRow("age 30 on 31 March") << true << "30" << kept30;
    QTest::newRow("switched off") << false << "30" << all;
    QTest::newRow("age 1 keeps yesterday")
        << true << "1" << QStringList {"blank-start task", "dated task", "recurring from last year", "today"};
    QTest::newRow("age 3650") << true << "3650" << all;
    // Only a whole age of 1 to 3650 days purges; anything else would read
    // as 0 (every past item) or worse, so nothing is deleted.
    QTest::newRow("negative age deletes nothing") << true << "-5" << all;
    QTest::newRow("age 0 deletes nothing") << true << "0" << all;
    QTest::newRow("blank age deletes nothing") << true << "NULL" << all;
    QTest::newRow("text age deletes nothing") << true << "'thirty'" << all;
    QTest::newRow("age with trailing text deletes nothing") << true << "'30 days'" << all;
    QTest::newRow("age 2^32 + 30 deletes nothing") << true << "4294967326" << all;
    QTest::newRow("age 3651 deletes nothing") << true << "3651" << all;
}

void TestDataModule::purgeOldItems()
{
    QFETCH(bool, purgeOn);
    QFETCH(QString, age);
    QFETCH(QStringList, kept);
    TempHome home;
    QVERIFY(firstStart(home.path()));
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        Cursor &c = dm.Table50();
        QVERIFY(addRow(c, appointment("28 February", QDate(2025, 2, 28))) > 0);
        QVERIFY(addRow(c, appointment("1 March", QDate(2025, 3, 1))) > 0);
        QVERIFY(addRow(c, appointment("today", QDate(2025, 3, 31))) > 0);
        QVERIFY(addRow(c,
                       {{"Subject", "recurring from last year"},
                        {"S", QDate(2024, 6, 10)},
                        {"E", QDate(2024, 6, 10)},
                        {"Md", "0"},
                        {"Re", true},
                        {"Ret", "2"},
                        {"Mon", true}})
                > 0);
        QVERIFY(addRow(c, {{"Subject", "dated task"}, {"S", QDate(2025, 1, 5)}, {"E", QDate(2025, 1, 9)}, {"Ta", true}})
                > 0);
        QVERIFY(addRow(c, {{"Subject", "blank-start task"}, {"Ta", true}}) > 0);
        QVERIFY(addRow(c,
                       {{"Subject", "multi-date 20 Feb - 5 Mar"},
                        {"S", QDate(2025, 2, 20)},
                        {"E", QDate(2025, 3, 5)},
                        {"A", true}})
                > 0);
        QVERIFY(dm.options().change({{52, purgeOn}}));
    }
    // The age as another program may have left it.
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(home.path() + "Data/options.db").constData(), &db), SQLITE_OK);
    const QByteArray setAge = "UPDATE options SET \"54\" = " + age.toUtf8();
    QCOMPARE(sqlite3_exec(db, setAge.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    Clock::setNowForTesting(QDateTime(QDate(2025, 3, 31), QTime(8, 0)));
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QCOMPARE(allSubjects(dm.table(1)), kept);
}

void TestDataModule::afterPostRefresh_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("refreshedCells");
    QTest::addColumn<int>("relayouts");
    QTest::newRow("week") << int(DataModuleHost::View::Week) << 7 << 0;
    QTest::newRow("month") << int(DataModuleHost::View::Month) << 42 << 1;
    QTest::newRow("day") << int(DataModuleHost::View::Day) << 0 << 0;
}

void TestDataModule::afterPostRefresh()
{
    QFETCH(int, view);
    QFETCH(int, refreshedCells);
    QFETCH(int, relayouts);
    TempHome home;
    FakeHost host;
    host.view = DataModuleHost::View(view);
    TDataModule2 dm {DataRoot(home.path())};
    dm.setHost(&host);
    QVERIFY(dm.startUp());
    const QDate date(2025, 3, 12);
    const QString filter = "S = '" + LocaleFormats::formatDate(date) + "'";
    for (int number : {1, 7, 8, 42, 48}) {
        QVERIFY(dm.table(number).setFilter(filter));
        dm.table(number).setFiltered(true);
        QCOMPARE(dm.table(number).recordCount(), 0);
    }
    QVERIFY(addRow(dm.Table50(), appointment("new", date)) > 0);

    QCOMPARE(dm.Table48().recordCount(), 1);
    QCOMPARE(host.relayouts, relayouts);
    if (refreshedCells >= 7) {
        QCOMPARE(dm.table(1).recordCount(), 1);
        QCOMPARE(dm.table(7).recordCount(), 1);
    }
    if (refreshedCells == 42) {
        QCOMPARE(dm.table(8).recordCount(), 1);
        QCOMPARE(dm.table(42).recordCount(), 1);
    }
}

void TestDataModule::createCalendarTable()
{
    TempHome home;
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QVERIFY(addRow(dm.Table50(), appointment("mine", QDate(2025, 3, 3))) > 0);
    const QString active = dm.table(1).filePath();

    // A new file in a new folder, then the same name again over rows.
    const QString dir = home.path() + "New/";
    for (int round = 0; round < 2; ++round) {
        QVERIFY(dm.createCalendarTable(dir, "new.db"));
        QVERIFY(QFileInfo(dir + "new.db").isFile());
        Cursor fresh;
        fresh.setTableFile(dir, "new.db", calendarSchema());
        QVERIFY(fresh.open());
        QCOMPARE(fresh.recordCount(), 0);
        QVERIFY(addRow(fresh, appointment("to be replaced", QDate(2025, 3, 4))) > 0);
    }
    // The calendar cursors are back on the calendar they had.
    for (int number = 1; number <= 50; ++number) {
        QVERIFY(dm.table(number).isOpen());
        QCOMPARE(dm.table(number).filePath(), active);
    }
    QCOMPARE(allSubjects(dm.table(1)), QStringList {"mine"});
}

void TestDataModule::createCalendarRefusesActiveCalendar_data()
{
    QTest::addColumn<QString>("dir"); // below the data root
    QTest::addColumn<QString>("file");
    QTest::newRow("the same path") << "Personal Calendar/"
                                   << "Personal Calendar.db";
    QTest::newRow("no separator at the end") << "Personal Calendar"
                                             << "Personal Calendar.db";
    QTest::newRow("through another folder") << "Data/../Personal Calendar/"
                                            << "Personal Calendar.db";
}

void TestDataModule::createCalendarRefusesActiveCalendar()
{
    QFETCH(QString, dir);
    QFETCH(QString, file);
    TempHome home;
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QVERIFY(addRow(dm.Table50(), appointment("mine", QDate(2025, 3, 3))) > 0);
    const QString active = home.path() + "Personal Calendar/Personal Calendar.db";
    const QByteArray before = readBytes(active);

    QSignalSpy spy(&dm, &TDataModule2::storeMessage);
    QVERIFY(!dm.createCalendarTable(home.path() + dir, file));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QString("The calendar file is in use"));
    QCOMPARE(readBytes(active), before);
    QVERIFY(dm.calendarCursorsOpen());
    QCOMPARE(allSubjects(dm.table(1)), QStringList {"mine"});
}

void TestDataModule::createCalendarFailsWhenFileIsInUse()
{
    TempHome home;
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    QVERIFY(addRow(dm.Table50(), appointment("mine", QDate(2025, 3, 3))) > 0);
    const QString dir = home.path() + "Shared/";
    QVERIFY(dm.createCalendarTable(dir, "shared.db"));
    {
        Cursor other;
        other.setTableFile(dir, "shared.db", calendarSchema());
        QVERIFY(other.open());
        QVERIFY(addRow(other, appointment("theirs", QDate(2025, 3, 4))) > 0);
    }
    const QByteArray before = readBytes(dir + "shared.db");

    // Another program holds the file locked.
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QString(dir + "shared.db").toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    QSignalSpy spy(&dm, &TDataModule2::storeMessage);
    // A message box shown for the failure lets timers run; they must see
    // the calendar as not there yet.
    QList<bool> openWhileTelling;
    connect(&dm, &TDataModule2::storeMessage, this, [&] { openWhileTelling << dm.calendarCursorsOpen(); });
    QVERIFY(dm.calendarCursorsOpen());
    const bool created = dm.createCalendarTable(dir, "shared.db");
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    QVERIFY(!created);
    QVERIFY(!spy.isEmpty());
    QVERIFY(!openWhileTelling.contains(true));
    QVERIFY(dm.calendarCursorsOpen());
    QCOMPARE(spy.last().at(0).toString(), QString("The calendar file is in use"));
    QCOMPARE(readBytes(dir + "shared.db"), before);
    QVERIFY(dm.Table50().isOpen());
    QCOMPARE(dm.Table50().filePath(), home.path() + "Personal Calendar/Personal Calendar.db");
    QCOMPARE(allSubjects(dm.table(1)), QStringList {"mine"});
}

void TestDataModule::closeAllClosesEveryCursor()
{
    TempHome home;
    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    dm.closeAll();
    QVERIFY(!dm.calendarCursorsOpen());
    for (int number : {1, 25, 50, 60, 61})
        QVERIFY2(!dm.table(number).isOpen(), qPrintable(dm.table(number).name()));
}

QTEST_GUILESS_MAIN(TestDataModule)
#include "test_datamodule.moc"
