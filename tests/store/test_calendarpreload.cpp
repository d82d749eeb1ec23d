#include "store/CalendarPreload.h"
#include "store/Cursor.h"
#include "store/TableFile.h"
#include "store/Unit2.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

#include <sqlite3.h>

namespace {

QString cleanPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool addAppointment(Cursor &cursor, const QString &subject)
{
    cursor.insert();
    cursor.setValue("Subject", subject);
    cursor.setValue("S", QDate(2025, 3, 12));
    cursor.setValue("E", QDate(2025, 3, 12));
    cursor.setValue("Md", "0");
    cursor.setValue("St", QTime(9, 0));
    cursor.setValue("Et", QTime(10, 0));
    return cursor.post();
}

// Another program's connection adds a row to the calendar file.
bool insertElsewhere(const QString &path, const QString &subject)
{
    sqlite3 *db = nullptr;
    bool done = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK;
    const QByteArray sql = "INSERT INTO items (Subject, S, E, Md, St, Et) VALUES ('" + subject.toUtf8()
        + "', '2025-03-12', '2025-03-12', '0', '09:00:00', '10:00:00')";
    done = done && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

} // namespace

class TestCalendarPreload : public QObject
{
    Q_OBJECT

private slots:
    void readsTheFileStartUpOpens_data();
    void readsTheFileStartUpOpens();
    void outsideWriteAfterThePreloadIsNoticed();
};

// Each set-up leaves a data root behind; the preload must read exactly the
// calendar start-up then opens, or nothing when start-up has to create or
// refuse it first.
void TestCalendarPreload::readsTheFileStartUpOpens_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("opened"); // relative to the data root

    QTest::newRow("nothing yet") << "none" << false << "Personal Calendar/Personal Calendar.db";
    QTest::newRow("default calendar") << "first start" << true << "Personal Calendar/Personal Calendar.db";
    QTest::newRow("active folder's own file") << "work" << true << "Work/work.db";
    QTest::newRow("active folder unknown: the first")
        << "work, unknown active" << true << "Personal Calendar/Personal Calendar.db";
    QTest::newRow("active folder's file missing")
        << "work, file removed" << true << "Personal Calendar/Personal Calendar.db";
    QTest::newRow("active folder's file no calendar")
        << "work, file damaged" << false << "Personal Calendar/Personal Calendar.db";
    QTest::newRow("default calendar missing") << "default removed" << false << "Personal Calendar/Personal Calendar.db";
}

void TestCalendarPreload::readsTheFileStartUpOpens()
{
    QFETCH(QString, setUp);
    QFETCH(bool, read);
    QFETCH(QString, opened);
    TempHome home;
    const QString work = home.path() + "Work/work.db";
    if (setUp != "none") {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        QVERIFY(addAppointment(dm.Table50(), "Dentist"));
        if (setUp.startsWith("work")) {
            QVERIFY(dm.createCalendarTable(home.path() + "Work/", "work.db"));
            Cursor &folders = dm.Table61();
            folders.insert();
            folders.setValue("2", "Work");
            folders.setValue("3", "Work/");
            folders.setValue("4", "work.db");
            QVERIFY(folders.post());
            QVERIFY(dm.options().change({{46, setUp.contains("unknown") ? 999 : folders.currentId()}}));
        }
    }
    if (setUp.contains("removed"))
        QVERIFY(
            QFile::remove(setUp.startsWith("work") ? work : home.path() + "Personal Calendar/Personal Calendar.db"));
    if (setUp.contains("damaged")) {
        QFile damaged(work);
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("not a calendar");
    }
    const QByteArray workBytes = readBytes(work);

    auto preload = std::make_unique<CalendarPreload>(DataRoot(home.path()));
    preload->wait();
    QCOMPARE(preload->loadedPath(), read ? cleanPath(home.path() + opened) : QString());
    QCOMPARE(TableFile::isOpenHere(home.path() + opened), read);
    QCOMPARE(readBytes(work), workBytes); // a file start-up will not open is left as it is

    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    preload.reset();
    QCOMPARE(cleanPath(dm.table(1).filePath()), cleanPath(home.path() + opened));
    QVERIFY(dm.table(1).isOpen());
    // Only the default calendar holds a row, unless it was made anew.
    const bool dentistThere = setUp != "none" && setUp != "default removed" && !opened.startsWith("Work");
    QCOMPARE(dm.Table50().recordCount(), dentistThere ? 1 : 0);
}

// A write another program commits between the preload's read and the
// start-up is no different from one after it: the check for outside
// changes finds it.
void TestCalendarPreload::outsideWriteAfterThePreloadIsNoticed()
{
    TempHome home;
    const QString calendar = home.path() + "Personal Calendar/Personal Calendar.db";
    {
        TDataModule2 dm {DataRoot(home.path())};
        QVERIFY(dm.startUp());
        QVERIFY(addAppointment(dm.Table50(), "Dentist"));
    }
    CalendarPreload preload {DataRoot(home.path())};
    preload.wait();
    QVERIFY(insertElsewhere(calendar, "Written elsewhere"));

    TDataModule2 dm {DataRoot(home.path())};
    QVERIFY(dm.startUp());
    dm.noticeOutsideChanges();
    QStringList subjects;
    Cursor &rows = dm.Table50();
    for (rows.first(); !rows.eof(); rows.next())
        subjects << rows.asText("Subject");
    subjects.sort();
    QCOMPARE(subjects, QStringList({"Dentist", "Written elsewhere"}));
}

QTEST_GUILESS_MAIN(TestCalendarPreload)
#include "test_calendarpreload.moc"
