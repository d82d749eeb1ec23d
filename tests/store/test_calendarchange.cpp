// The data module's one change notice: every post and delete through any
// calendar cursor, and every write another program commits to the file,
// ends in exactly one calendarChanged() naming the calendar and its rows.

#include "store/Cursor.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QSignalSpy>
#include <QtTest>

#include <sqlite3.h>

namespace {

const QDate day(2025, 3, 12);

QVariantMap appointment(const QString &subject)
{
    return {{"Subject", subject}, {"S", day}, {"E", day}, {"Md", "0"}, {"St", QTime(9, 0)}, {"Et", QTime(10, 0)}};
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

// Another program: its own connection to the calendar file.
bool runOutside(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK
        && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

CalendarChange changeAt(const QSignalSpy &spy, int index)
{
    return spy.at(index).at(0).value<CalendarChange>();
}

} // namespace

class TestCalendarChange : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }
    void init();
    void cleanup();

    void ownWritesAnnounceOnce_data();
    void ownWritesAnnounceOnce();
    void outsideWritesAreNoticedWithoutAsking_data();
    void outsideWritesAreNoticedWithoutAsking();
    void nothingChangedNothingAnnounced();
    void batchAnnouncesOnce();
    void editOverAnOutsideChangeIsRefused_data();
    void editOverAnOutsideChangeIsRefused();

private:
    QString calendarPath() const { return m_data->table(1).filePath(); }

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    qint64 m_first = 0;
    qint64 m_second = 0;
};

void TestCalendarChange::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    QVERIFY(m_data->startUp());
    m_first = addRow(m_data->Table50(), appointment("first"));
    m_second = addRow(m_data->Table50(), appointment("second"));
    QVERIFY(m_first > 0 && m_second > 0);
}

void TestCalendarChange::cleanup()
{
    m_data.reset();
    m_home.reset();
}

void TestCalendarChange::ownWritesAnnounceOnce_data()
{
    QTest::addColumn<QString>("write");
    QTest::newRow("insert through the editor's cursor") << "insert";
    QTest::newRow("edit through the day list") << "edit";
    QTest::newRow("field posted beside an edit") << "beside";
    QTest::newRow("delete through a cell's cursor") << "delete";
}

// The row each write touched, once, from whichever cursor it went through.
void TestCalendarChange::ownWritesAnnounceOnce()
{
    QFETCH(QString, write);
    QSignalSpy spy(m_data.get(), &TDataModule2::calendarChanged);
    qint64 row = m_second;
    if (write == "insert") {
        row = addRow(m_data->Table50(), appointment("third"));
    } else if (write == "edit") {
        Cursor &list = m_data->Table46();
        list.refresh();
        QVERIFY(list.locate("No", m_second));
        QVERIFY(list.edit());
        list.setValue("Subject", "renamed");
        QVERIFY(list.post());
    } else if (write == "beside") {
        Cursor &reminders = m_data->Table48();
        QVERIFY(reminders.locate("No", m_second));
        QVERIFY(reminders.postBesideEdit({{"Di", day}}));
    } else {
        Cursor &cell = m_data->table(3);
        cell.refresh();
        QVERIFY(cell.locate("No", m_second));
        QVERIFY(cell.deleteRow());
    }
    QCOMPARE(spy.count(), 1);
    const CalendarChange change = changeAt(spy, 0);
    QCOMPARE(change.calendar, calendarPath());
    QCOMPARE(change.rows, QList<qint64> {row});
    QVERIFY(!change.wholeCalendar);
}

void TestCalendarChange::outsideWritesAreNoticedWithoutAsking_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("shownSubjects");
    QTest::addColumn<bool>("newRow");
    QTest::newRow("insert") << "INSERT INTO items (Subject, S, E, Md, St, Et) "
                               "VALUES ('outside', '2025-03-12', '2025-03-12', '0', '11:00:00', '12:00:00')"
                            << "first,second,outside" << true;
    QTest::newRow("update") << "UPDATE items SET Subject = 'changed' WHERE Subject = 'second'"
                            << "changed,first" << false; // ordered by subject after the times
    QTest::newRow("delete") << "DELETE FROM items WHERE Subject = 'second'"
                            << "first" << false;
}

// Within two seconds and with no call into the store, the cursors show what
// the other program wrote and one notice names the row.
void TestCalendarChange::outsideWritesAreNoticedWithoutAsking()
{
    QFETCH(QString, sql);
    QFETCH(QString, shownSubjects);
    QFETCH(bool, newRow);
    Cursor &cell = m_data->table(5);
    QVERIFY(cell.setFilter("S = '" + day.toString(Qt::ISODate) + "'"));
    cell.setFiltered(true);
    QCOMPARE(cell.recordCount(), 2);
    QSignalSpy spy(m_data.get(), &TDataModule2::calendarChanged);

    QVERIFY(runOutside(calendarPath(), sql));
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 2000);
    const CalendarChange change = changeAt(spy, 0);
    QCOMPARE(change.calendar, calendarPath());
    QCOMPARE(change.rows.size(), 1);
    QCOMPARE(change.rows.first(), newRow ? m_second + 1 : m_second);
    QStringList subjects;
    for (cell.first(); !cell.eof(); cell.next())
        subjects << cell.asText("Subject");
    QCOMPARE(subjects.join(','), shownSubjects);

    // The write is noticed once, not at every check after it.
    QTest::qWait(3 * TDataModule2::outsideCheckMilliseconds);
    QCOMPARE(spy.count(), 1);
}

void TestCalendarChange::nothingChangedNothingAnnounced()
{
    QSignalSpy spy(m_data.get(), &TDataModule2::calendarChanged);
    // Another program that only reads, a post the store refuses, a delete
    // with no row and the checks of a quiet file say nothing.
    QVERIFY(runOutside(calendarPath(), "SELECT count(*) FROM items"));
    Cursor &edit = m_data->Table50();
    edit.insert();
    edit.setValue("Subject", QString(151, 'x'));
    QVERIFY(!edit.post());
    edit.cancel();
    Cursor &empty = m_data->table(9);
    QVERIFY(empty.setFilter("S = '1999-01-01'"));
    empty.setFiltered(true);
    QVERIFY(!empty.deleteRow());
    QTest::qWait(3 * TDataModule2::outsideCheckMilliseconds);
    QVERIFY(!m_data->noticeOutsideChanges());
    QCOMPARE(spy.count(), 0);
}

void TestCalendarChange::batchAnnouncesOnce()
{
    QSignalSpy spy(m_data.get(), &TDataModule2::calendarChanged);
    qint64 third = 0;
    {
        const TDataModule2::ChangeBatch batch(*m_data);
        third = addRow(m_data->Table50(), appointment("third"));
        m_data->table(1).refresh();
        QVERIFY(m_data->table(1).locate("No", m_first));
        QVERIFY(m_data->table(1).deleteRow());
        QCOMPARE(spy.count(), 0);
    }
    QCOMPARE(spy.count(), 1);
    QCOMPARE(changeAt(spy, 0).rows, QList<qint64>({m_first, third}));
}

void TestCalendarChange::editOverAnOutsideChangeIsRefused_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    QTest::newRow("changed") << "UPDATE items SET Loc = 'elsewhere' WHERE Subject = 'second'"
                             << "The item was changed by another program. Nothing was saved; the item now shows what "
                                "the other program wrote."
                             << "second";
    QTest::newRow("deleted") << "DELETE FROM items WHERE Subject = 'second'"
                             << "The item was deleted by another program. Nothing was saved."
                             << "";
}

// An editor holds its row in edit while the store re-reads the file under
// it: its save must not put the old values back over the other program's.
void TestCalendarChange::editOverAnOutsideChangeIsRefused()
{
    QFETCH(QString, sql);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    Cursor &edit = m_data->Table50();
    QVERIFY(edit.locate("No", m_second));
    QVERIFY(edit.edit());
    edit.setValue("Subject", "typed in the editor");
    QVERIFY(runOutside(calendarPath(), sql));
    QVERIFY(m_data->noticeOutsideChanges());
    QCOMPARE(edit.state(), Cursor::State::Edit); // the editor stays open on it
    QVERIFY(!edit.post());
    QCOMPARE(edit.lastError(), message);
    Cursor &all = m_data->table(2);
    all.setFiltered(false);
    all.refresh();
    QCOMPARE(all.locate("No", m_second) ? all.asText("Subject") : QString(), stored);
}

QTEST_GUILESS_MAIN(TestCalendarChange)
#include "test_calendarchange.moc"
