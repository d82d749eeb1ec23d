// What the store must do when files, locales, other programs or the user's
// timing are not as the planner would like: refuse a file of the wrong
// kind, read its own filters in every locale, never write over a row that
// another program changed, recover a file left by a killed writer, and
// never lose or cut a value without a word.
#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/FilterLiterals.h"
#include "views/OccurrenceRules.h"
#include "store/TableFile.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QSignalSpy>
#include <QtTest>

#include <sqlite3.h>

#include <atomic>
#include <thread>

namespace {

// Runs SQL on a connection of its own, as another program would.
bool runSql(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    char *message = nullptr;
    ok = ok && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK;
    if (message)
        qWarning("%s", message);
    sqlite3_free(message);
    sqlite3_close(db);
    return ok;
}

QString textOfRow(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QString result = QStringLiteral("(none)");
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

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

QVariantMap appointment(const QString &subject, const QDate &date, const QTime &from = QTime(9, 0),
                        const QTime &to = QTime(10, 30))
{
    return {{"Subject", subject}, {"S", date}, {"E", date}, {"Md", "0"}, {"St", from}, {"Et", to}};
}

QStringList subjects(Cursor &cursor)
{
    QStringList list;
    for (cursor.first(); !cursor.eof(); cursor.next())
        list << cursor.asText("Subject");
    return list;
}

QStringList messagesOf(const QSignalSpy &spy)
{
    QStringList list;
    for (const QList<QVariant> &call : spy)
        list << call.at(0).toString();
    return list;
}

// A calendar file with its own directory, and a cursor open on it.
struct Calendar
{
    QTemporaryDir dir;
    Cursor cursor {QStringLiteral("calendar")};
    QString path() const { return dir.path() + "/cal.db"; }
    bool open()
    {
        if (!TableFile::create(path(), calendarSchema()))
            return false;
        cursor.setTableFile(dir.path(), "cal.db", calendarSchema());
        return cursor.open();
    }
};

bool firstStart(const QString &home)
{
    TDataModule2 dm {DataRoot(home)};
    return dm.startUp().isOk();
}

// Makes the active folder row name dir + file.
bool pointFolderAt(const QString &home, const QString &dir, const QString &file)
{
    TDataModule2 dm {DataRoot(home)};
    if (!dm.startUp() || !dm.Table61().edit())
        return false;
    dm.Table61().setValue("3", dir);
    dm.Table61().setValue("4", file);
    return dm.Table61().post();
}

} // namespace

class TestStoreSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }
    void cleanup()
    {
        pinTestLocale();
        Clock::setNowForTesting(QDateTime());
    }

    void fileOfAnotherTableIsNoCalendar_data();
    void fileOfAnotherTableIsNoCalendar();
    void ownFiltersReadInEveryLocale();
    void postRefusesRowChangedElsewhere_data();
    void postRefusesRowChangedElsewhere();
    void refreshSeesOtherPrograms();
    void readerRecoversKilledWriter();
    void integerFieldsReadBlank_data();
    void integerFieldsReadBlank();
    void longDataRootStarts();
    void dateOutsideYearsIsRefused_data();
    void dateOutsideYearsIsRefused();
    void moveSavesPendingEdit_data();
    void moveSavesPendingEdit();
    void failedPendingPostIsReported();
    void replacingCalendarIsAtomic();
    void capacityCountsCharacters();
    void filterMessages_data();
    void filterMessages();
    void busyCalendarFailsAtOnce();
    void missingCalendarsAreNamed();
};

void TestStoreSafety::fileOfAnotherTableIsNoCalendar_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("folders list") << "folderslist.db";
    QTest::newRow("options") << "options.db";
}

void TestStoreSafety::fileOfAnotherTableIsNoCalendar()
{
    QFETCH(QString, file);
    TempHome home;
    QVERIFY(firstStart(home.path()));
    QVERIFY(pointFolderAt(home.path(), home.path() + "Data/", file));
    const QString named = QDir::toNativeSeparators(home.path() + "Data/" + file);
    const QString expected = "The file \"" + named + "\" is not a calendar file.";
    const QString defaultCalendar = home.path() + "Personal Calendar/Personal Calendar.db";

    // Start-up reads the settings table through its own cursor and must not
    // let fifty calendar cursors read that picture: it opens the default
    // calendar and says why.
    {
        TDataModule2 dm {DataRoot(home.path())};
        QSignalSpy messages(&dm, &TDataModule2::storeMessage);
        const Outcome started = dm.startUp();
        QVERIFY2(started, qPrintable(started.error()));
        QCOMPARE(messagesOf(messages),
                 QStringList {expected + " The default calendar " + QDir::toNativeSeparators(defaultCalendar)
                              + " was opened instead."});
        QCOMPARE(dm.table(1).filePath(), defaultCalendar);
        QVERIFY(addRow(dm.Table50(), appointment("kept apart", QDate(2025, 3, 3))) > 0);
        QCOMPARE(dm.Table61().recordCount(), 1);
        QCOMPARE(dm.Table60().recordCount(), 1);
    }
    // The agenda's reader refuses it with the same words.
    TDataModule2 reader {DataRoot(home.path())};
    const Outcome opened = reader.openForReading(1);
    QVERIFY(!opened);
    QCOMPARE(opened.error(), expected);
}

void TestStoreSafety::ownFiltersReadInEveryLocale()
{
    Calendar calendar;
    QVERIFY(calendar.open());
    Cursor &c = calendar.cursor;
    const QDate day(2024, 3, 5); // a Tuesday
    QVERIFY(addRow(c, appointment("one date", day)) > 0);
    QVERIFY(addRow(c, {{"Subject", "span"}, {"S", day.addDays(-2)}, {"E", day.addDays(1)}, {"A", true}}) > 0);
    QVERIFY(addRow(c,
                   {{"Subject", "weekly"},
                    {"S", day.addDays(-14)},
                    {"E", day.addDays(-14)},
                    {"Md", "0"},
                    {"Re", true},
                    {"Ret", "2"},
                    {"Tue", true},
                    {"St", QTime(13, 0)},
                    {"Et", QTime(14, 0)}})
            > 0);
    QVERIFY(addRow(c, appointment("other day", day.addDays(1))) > 0);

    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    QVERIFY(locales.size() > 100);
    QStringList failures;
    for (const QLocale &locale : locales) {
        QLocale::setDefault(locale);
        struct Rule
        {
            QString text;
            QStringList expected;
        };
        const Rule rules[] = {
            {OccurrenceRules::generalFilter(day), {"one date", "span", "weekly"}},
            {OccurrenceRules::timedFilter(day), {"one date", "weekly"}},
            {OccurrenceRules::allDayFilter(day), {"span"}},
            {OccurrenceRules::slotStartFilter(day, QTime(9, 0)), {"one date"}},
            {OccurrenceRules::runningFilter(day, QTime(10, 0)), {"one date"}},
            {OccurrenceRules::slotStartFilter(day, QTime(13, 0)), {"weekly"}},
            {"S < '" + FilterLiterals::date(day) + "'", {"span", "weekly"}},
        };
        for (const Rule &rule : rules) {
            if (!c.setFilter(rule.text)) {
                failures << locale.name() + ": " + c.lastError();
                continue;
            }
            c.setFiltered(true);
            QStringList rows = subjects(c);
            rows.sort();
            if (rows != rule.expected)
                failures << locale.name() + ": " + rule.text + " gave " + rows.join(", ");
        }
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 10).join('\n')));
}

void TestStoreSafety::postRefusesRowChangedElsewhere_data()
{
    QTest::addColumn<QString>("otherProgram");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("storedAfter");
    QTest::newRow("changed a field") << "UPDATE items SET Subject = 'theirs' WHERE No = 1"
                                     << "The item was changed by another program. Nothing was saved; the item now "
                                        "shows what the other program wrote."
                                     << "theirs";
    QTest::newRow("deleted the row") << "DELETE FROM items WHERE No = 1"
                                     << "The item was deleted by another program. Nothing was saved."
                                     << "(none)";
}

void TestStoreSafety::postRefusesRowChangedElsewhere()
{
    QFETCH(QString, otherProgram);
    QFETCH(QString, message);
    QFETCH(QString, storedAfter);
    Calendar calendar;
    QVERIFY(calendar.open());
    Cursor &c = calendar.cursor;
    QCOMPARE(addRow(c, appointment("mine", QDate(2025, 1, 6))), qint64(1));

    QVERIFY(runSql(calendar.path(), otherProgram));
    c.first();
    QVERIFY(c.edit());
    c.setValue("Loc", "typed here");
    QVERIFY(!c.post());
    QCOMPARE(c.lastError(), message);
    QCOMPARE(textOfRow(calendar.path(), "SELECT Subject FROM items WHERE No = 1"), storedAfter);
    QCOMPARE(textOfRow(calendar.path(), "SELECT count(*) FROM items WHERE Loc IS NOT NULL"), QString("0"));
    // The edit made on the old row is gone, and the picture shows the file.
    QCOMPARE(c.state(), Cursor::State::Browse);
    QVERIFY(!c.post() || c.state() == Cursor::State::Browse);
    QCOMPARE(textOfRow(calendar.path(), "SELECT count(*) FROM items WHERE Loc IS NOT NULL"), QString("0"));
    c.setFiltered(false);
    QCOMPARE(subjects(c), storedAfter == "(none)" ? QStringList() : QStringList {storedAfter});
}

void TestStoreSafety::refreshSeesOtherPrograms()
{
    Calendar calendar;
    QVERIFY(calendar.open());
    Cursor &c = calendar.cursor;
    QVERIFY(addRow(c, appointment("ours", QDate(2025, 1, 6))) > 0);
    Cursor other(QStringLiteral("other"));
    other.setTableFile(calendar.dir.path(), "cal.db", calendarSchema());
    QVERIFY(other.open());

    QVERIFY(runSql(calendar.path(),
                   "INSERT INTO items (Subject, S, E, Md) VALUES ('theirs', '2025-01-06', '2025-01-06', '0');"
                   "UPDATE items SET Subject = 'ours, renamed' WHERE Subject = 'ours'"));
    c.refresh();
    QCOMPARE(subjects(c), QStringList({"ours, renamed", "theirs"}));
    // Every cursor on the file reads the new picture.
    QCOMPARE(subjects(other), QStringList({"ours, renamed", "theirs"}));
}

void TestStoreSafety::readerRecoversKilledWriter()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    const QString calendarPath = home.path() + "Personal Calendar/Personal Calendar.db";
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        for (int i = 0; i < 3; ++i)
            QVERIFY(addRow(dm.Table50(), appointment(QString("posted %1").arg(i), QDate(2025, 5, 1))) > 0);
    }
    // A writer stopped in the middle of a large post: its changed pages are
    // in the file and the old ones in a hot journal. A copy of both, taken
    // while the writer holds its transaction, is what a kill leaves behind.
    QTemporaryDir scratch;
    const QString copy = scratch.path() + "/cal.db";
    QVERIFY(QFile::copy(calendarPath, copy));
    sqlite3 *writer = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(copy).constData(), &writer), SQLITE_OK);
    QCOMPARE(
        sqlite3_exec(
            writer,
            "PRAGMA cache_size=10; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<3000) "
            "INSERT INTO items (Subject, S, E, Md) SELECT printf('half-written %d %.200c', i, 'x'), '2025-05-01', "
            "'2025-05-01', '0' FROM n;",
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    QVERIFY(QFileInfo(copy + "-journal").size() > 0);
    QVERIFY(QFile::remove(calendarPath));
    QVERIFY(QFile::copy(copy, calendarPath));
    QVERIFY(QFile::copy(copy + "-journal", calendarPath + "-journal"));
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);

    TDataModule2 reader {DataRoot(home.path())};
    const Outcome opened = reader.openForReading(1);
    QVERIFY2(opened, qPrintable(opened.error()));
    Cursor &day = reader.table(1);
    OccurrenceRules::occursOn(day, QDate(2025, 5, 1));
    QCOMPARE(subjects(day), QStringList({"posted 0", "posted 1", "posted 2"}));
    QVERIFY(!QFileInfo(calendarPath + "-journal").exists() || QFileInfo(calendarPath + "-journal").size() == 0);
}

void TestStoreSafety::integerFieldsReadBlank_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("a whole number") << "7" << QVariant(7);
    QTest::newRow("the smallest 32-bit number") << "-2147483648" << QVariant(int(-2147483647 - 1));
    QTest::newRow("text") << "'seven'" << QVariant();
    QTest::newRow("text after a number") << "'12abc'" << QVariant();
    QTest::newRow("beyond 32 bits") << "4294967303" << QVariant();
    QTest::newRow("just beyond 32 bits") << "2147483648" << QVariant();
    QTest::newRow("a fraction") << "2.5" << QVariant();
}

void TestStoreSafety::integerFieldsReadBlank()
{
    QFETCH(QString, stored);
    QFETCH(QVariant, expected);
    QTemporaryDir dir;
    const QString path = dir.path() + "/cal.db";
    QVERIFY(TableFile::create(path, calendarSchema()).isOk());
    QVERIFY(runSql(path, "INSERT INTO items (Subject, T) VALUES ('row', " + stored + ")"));
    Cursor c(QStringLiteral("reader"));
    c.setTableFile(dir.path(), "cal.db", calendarSchema());
    QVERIFY(c.open());
    QCOMPARE(c.value("T"), expected);
    QCOMPARE(c.isBlank("T"), !expected.isValid());
}

void TestStoreSafety::longDataRootStarts()
{
    // A data root whose paths are longer than 255 characters.
    TempHome base;
    const QString home = base.path() + QString(120, 'd') + "/" + QString(120, 'e') + "/" + QString(60, 'f') + "/";
    QVERIFY(QDir().mkpath(home));
    {
        TDataModule2 dm {DataRoot(home)};
        const Outcome started = dm.startUp();
        QVERIFY2(started, qPrintable(started.error()));
        QCOMPARE(dm.Table61().asText("3"), QString("Personal Calendar/"));
        QCOMPARE(dm.options().textField(22), home + "daybrook1.wav");
    }
    TDataModule2 again {DataRoot(home)};
    const Outcome started = again.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    QVERIFY(again.folderFileOpened());
}

void TestStoreSafety::dateOutsideYearsIsRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("message");
    QTest::newRow("start in year 10000") << "S" << QDate(10000, 1, 1)
                                         << "The field S holds a date outside the years 1 to 9999.";
    QTest::newRow("reminder before year 1")
        << "Rs" << QDate(-1, 12, 31) << "The field Rs holds a date outside the years 1 to 9999.";
}

void TestStoreSafety::dateOutsideYearsIsRefused()
{
    QFETCH(QString, field);
    QFETCH(QDate, date);
    QFETCH(QString, message);
    Calendar calendar;
    QVERIFY(calendar.open());
    Cursor &c = calendar.cursor;
    c.insert();
    c.setValue("Subject", "far away");
    c.setValue(field, date);
    QVERIFY(!c.post());
    QCOMPARE(c.lastError(), message);
    QCOMPARE(textOfRow(calendar.path(), "SELECT count(*) FROM items"), QString("0"));
}

void TestStoreSafety::moveSavesPendingEdit_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("inserting");
    for (const char *action : {"first", "next", "locate", "refresh", "filter on", "close"}) {
        QTest::addRow("edit, then %s", action) << action << false;
        QTest::addRow("insert, then %s", action) << action << true;
    }
}

void TestStoreSafety::moveSavesPendingEdit()
{
    QFETCH(QString, action);
    QFETCH(bool, inserting);
    Calendar calendar;
    QVERIFY(calendar.open());
    Cursor &c = calendar.cursor;
    QVERIFY(addRow(c, appointment("a", QDate(2025, 1, 6))) > 0);
    QVERIFY(addRow(c, appointment("b", QDate(2025, 1, 7))) > 0);
    // In this order a new row with a blank Md comes first, ahead of both.
    c.setIndexName("sta");
    if (inserting) {
        c.insert();
    } else {
        c.first();
        QVERIFY(c.edit());
    }
    c.setValue("Subject", "typed");
    if (action == "first")
        c.first();
    else if (action == "next")
        c.next();
    else if (action == "locate") {
        QVERIFY(c.locate("Subject", "b"));
        QCOMPARE(c.asText("Subject"), QString("b"));
    } else if (action == "refresh")
        c.refresh();
    else if (action == "filter on")
        c.setFiltered(true);
    else
        c.close();
    QCOMPARE(c.state(), Cursor::State::Browse);
    const QString expected = inserting ? "a,b,typed" : "b,typed";
    QCOMPARE(
        textOfRow(calendar.path(), "SELECT group_concat(Subject) FROM (SELECT Subject FROM items ORDER BY Subject)"),
        expected);
}

void TestStoreSafety::failedPendingPostIsReported()
{
    Calendar calendar;
    QVERIFY(calendar.open());
    Cursor &c = calendar.cursor;
    QVERIFY(addRow(c, appointment("a", QDate(2025, 1, 6))) > 0);
    QStringList reported;
    c.setPostFailureHook([&reported](const QString &message) { reported << message; });
    c.first();
    QVERIFY(c.edit());
    c.setValue("Subject", QString(151, 'x'));
    c.next();
    QCOMPARE(reported, QStringList {"The field Subject holds at most 150 characters; the value has 151."});
    // The typing is still there to be mended, and nothing was written.
    QCOMPARE(c.state(), Cursor::State::Edit);
    QCOMPARE(c.asText("Subject"), QString(151, 'x'));
    QCOMPARE(textOfRow(calendar.path(), "SELECT Subject FROM items"), QString("a"));
    c.setPostFailureHook({});
}

void TestStoreSafety::replacingCalendarIsAtomic()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/cal.db";
    QVERIFY(TableFile::create(path, calendarSchema()).isOk());
    std::atomic<bool> done {false};
    std::atomic<int> missing {0};
    const QByteArray name = QFile::encodeName(path);
    std::thread watcher([&] {
        while (!done) {
            if (!QFileInfo::exists(QString::fromUtf8(name)))
                ++missing;
        }
    });
    for (int i = 0; i < 40; ++i) {
        const Outcome created = TableFile::create(path, calendarSchema());
        QVERIFY2(created, qPrintable(created.error()));
    }
    done = true;
    watcher.join();
    QCOMPARE(missing.load(), 0);
}

void TestStoreSafety::capacityCountsCharacters()
{
    Calendar calendar;
    QVERIFY(calendar.open());
    Cursor &c = calendar.cursor;
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    QVERIFY(addRow(c, {{"Subject", emoji.repeated(150)}}) > 0);
    QCOMPARE(c.asText("Subject"), emoji.repeated(150));
    c.insert();
    c.setValue("Subject", emoji.repeated(151));
    QVERIFY(!c.post());
    QCOMPARE(c.lastError(), QString("The field Subject holds at most 150 characters; the value has 151."));
}

void TestStoreSafety::filterMessages_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("message");
    QTest::newRow("%1 inside a literal")
        << "T = '%1 or %2'"
        << "'%1 or %2' at position 5 of the filter is not a whole number for the field T.";
    QTest::newRow("a character outside the basic plane")
        << QString("Subject = 'a' and ") + QString::fromUcs4(U"\U0001F600")
        << QString("Unexpected character '") + QString::fromUcs4(U"\U0001F600") + "' at position 19 of the filter.";
    QTest::newRow("NUL inside a number") << QString("T = '12") + QChar(0) + "3'"
                                         << QString("'12") + QChar(0)
            + "3' at position 5 of the filter is not a whole number for the field T.";
}

void TestStoreSafety::filterMessages()
{
    QFETCH(QString, filter);
    QFETCH(QString, message);
    Calendar calendar;
    QVERIFY(calendar.open());
    QVERIFY(!calendar.cursor.setFilter(filter));
    QCOMPARE(calendar.cursor.lastError(), message);
}

void TestStoreSafety::busyCalendarFailsAtOnce()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    const QString calendarPath = home.path() + "Personal Calendar/Personal Calendar.db";
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(calendarPath).constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO items (Subject) VALUES ('locked');", nullptr, nullptr,
                          nullptr),
             SQLITE_OK);
    const QString busy = "The file \"" + QDir::toNativeSeparators(calendarPath)
        + "\" is busy: another program is using it. Try again in a moment.";

    QElapsedTimer timer;
    timer.start();
    {
        TDataModule2 dm {DataRoot(home.path())};
        const Outcome started = dm.startUp();
        QVERIFY(!started);
        QCOMPARE(started.error(), "No calendar could be opened: " + busy);
    }
    TDataModule2 reader {DataRoot(home.path())};
    const Outcome opened = reader.openForReading(1);
    QVERIFY(!opened);
    QCOMPARE(opened.error(), busy);
    // Both together in well under the twelve seconds that start-up alone
    // used to wait.
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

void TestStoreSafety::missingCalendarsAreNamed()
{
    TempHome home;
    QVERIFY(firstStart(home.path()));
    const QString defaultPath = home.path() + "Personal Calendar/Personal Calendar.db";
    QTemporaryDir elsewhere;
    QVERIFY(pointFolderAt(home.path(), elsewhere.path() + "/", "gone.db"));
    QVERIFY(QFile::remove(defaultPath));
    {
        TDataModule2 dm {DataRoot(home.path())};
        QSignalSpy messages(&dm, &TDataModule2::storeMessage);
        QVERIFY(dm.startUp());
        QCOMPARE(messagesOf(messages),
                 QStringList {"The calendar file " + QDir::toNativeSeparators(elsewhere.path() + "/gone.db")
                              + " is missing; the default calendar " + QDir::toNativeSeparators(defaultPath)
                              + " was opened instead."});
    }
    // The folder now names the default calendar; when that one is gone, it
    // is made anew and the user told.
    QVERIFY(QFile::remove(defaultPath));
    TDataModule2 dm {DataRoot(home.path())};
    QSignalSpy messages(&dm, &TDataModule2::storeMessage);
    QVERIFY(dm.startUp());
    QCOMPARE(messagesOf(messages),
             QStringList {"The default calendar " + QDir::toNativeSeparators(defaultPath)
                          + " was missing; an empty one was created in its place."});
}

QTEST_GUILESS_MAIN(TestStoreSafety)
#include "test_storesafety.moc"
