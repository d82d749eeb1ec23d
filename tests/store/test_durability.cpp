#include "store/Cursor.h"
#include "store/TableFile.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

#include <sqlite3.h>

#include <set>

// A writer killed with SIGKILL in the middle of its posts leaves a calendar
// file that opens, passes SQLite's integrity check and holds every row
// whose post had returned.
class TestDurability : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }
    void killedWriterLosesNoPostedRow_data();
    void killedWriterLosesNoPostedRow();
};

namespace {

QString integrityCheck(const QString &path, std::set<qint64> *ids)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return QStringLiteral("cannot open");
    }
    QString result;
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        result += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_prepare_v2(db, "SELECT No FROM items", -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        ids->insert(sqlite3_column_int64(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

} // namespace

void TestDurability::killedWriterLosesNoPostedRow_data()
{
    QTest::addColumn<int>("postsBeforeKill");
    QTest::newRow("early") << 5;
    QTest::newRow("after a while") << 120;
    QTest::newRow("later still") << 400;
}

void TestDurability::killedWriterLosesNoPostedRow()
{
    QFETCH(int, postsBeforeKill);
    QTemporaryDir dir;
    const QString path = dir.path() + "/cal.db";
    const Outcome created = TableFile::create(path, calendarSchema());
    QVERIFY2(created, qPrintable(created.error()));

    QProcess child;
    child.start(DURABILITY_CHILD, {dir.path() + "/", "cal.db"});
    QVERIFY(child.waitForStarted());
    QByteArray printed;
    while (printed.count('\n') < postsBeforeKill) {
        QVERIFY2(child.waitForReadyRead(20000), child.readAllStandardError().constData());
        printed += child.readAllStandardOutput();
    }
    child.kill(); // SIGKILL
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    printed += child.readAllStandardOutput();

    // Only whole lines were printed after a post returned.
    std::set<qint64> posted;
    const QList<QByteArray> lines = printed.left(printed.lastIndexOf('\n')).split('\n');
    for (const QByteArray &line : lines)
        posted.insert(line.toLongLong());
    QVERIFY(int(posted.size()) >= postsBeforeKill);

    std::set<qint64> stored;
    QCOMPARE(integrityCheck(path, &stored), QString("ok"));
    for (qint64 no : posted)
        QVERIFY2(stored.count(no) == 1, qPrintable(QString("row %1 was lost").arg(no)));

    // And the store itself opens it with every row.
    Cursor cursor;
    cursor.setTableFile(dir.path(), "cal.db", calendarSchema());
    QVERIFY2(cursor.open(), qPrintable(cursor.lastError()));
    QCOMPARE(cursor.recordCount(), int(stored.size()));
}

QTEST_GUILESS_MAIN(TestDurability)
#include "test_durability.moc"
