// Undo and redo of the user's changes: each step is put back and done
// again in the file itself (every field and the `No` of every row), a row
// another program changed since is never written over, and each calendar
// keeps its own history.

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/Unit2.h"
#include "tests/support/OutsideProgram.h"
#include "tests/support/TestSupport.h"
#include "views/OccurrenceCommands.h"

#include <QSignalSpy>
#include <QtTest>

using namespace ItemField;

namespace {

const QDate day(2025, 3, 12);
const QDate seriesStart(2025, 3, 5); // a Wednesday; the series is weekly

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

QVariantMap appointment(const QString &subject, const QDate &date = day)
{
    return {{Subject, subject}, {S, date}, {E, date}, {Md, "0"}, {St, QTime(9, 0)}, {Et, QTime(10, 0)}};
}

// Puts the cursor on the row with that `No`, whatever it shows.
bool onRow(Cursor &cursor, qint64 no)
{
    cursor.setFiltered(false);
    cursor.refresh();
    return cursor.locate(No, no);
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }
    void init();
    void cleanup();

    void undoAndRedoRestoreTheFile_data();
    void undoAndRedoRestoreTheFile();
    void anotherProgramsChangeRefusesTheUndo_data();
    void anotherProgramsChangeRefusesTheUndo();
    void aNewChangeClearsRedo();
    void writesWithoutAStepAreNotUndone();
    void aHundredStepsAreKept();
    void eachCalendarKeepsItsHistory();

private:
    QString calendar() const { return m_data->table(1).filePath(); }
    // Runs one kind of change inside its step; the rows it expects to
    // touch are those the fixture made.
    bool change(const QString &kind);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    qint64 m_plain = 0;  // a one-off appointment on `day`
    qint64 m_series = 0; // a weekly series from seriesStart, `day` one of its dates
};

void TestUndo::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    QVERIFY(m_data->startUp());
    m_plain = addRow(m_data->Table50(), appointment("Dentist"));
    QVariantMap weekly = appointment("Standup", seriesStart);
    weekly.insert(Re, true);
    weekly.insert(Ret, RecurrenceKind::Weekly);
    weekly.insert(Wed, true);
    m_series = addRow(m_data->Table50(), weekly);
    QVERIFY(m_plain > 0 && m_series > 0);
    QVERIFY(m_data->undoName().isEmpty());
}

void TestUndo::cleanup()
{
    m_data.reset();
    m_home.reset();
}

bool TestUndo::change(const QString &kind)
{
    Cursor &cursor = m_data->Table46();
    if (kind == "new item") {
        const TDataModule2::UndoStep step(*m_data, "New Item");
        return addRow(m_data->Table50(), appointment("Lunch")) > 0;
    }
    if (kind == "edit") {
        const TDataModule2::UndoStep step(*m_data, "Edit");
        if (!onRow(cursor, m_plain) || !cursor.edit())
            return false;
        cursor.setValue(Subject, "Dentist, Dr Brown");
        cursor.setValue(St, QTime(11, 0));
        return cursor.post();
    }
    if (kind == "delete") {
        const TDataModule2::UndoStep step(*m_data, "Delete");
        return onRow(cursor, m_plain) && cursor.deleteRow();
    }
    if (kind == "occurrence delete") {
        const TDataModule2::UndoStep step(*m_data, "Delete");
        return onRow(cursor, m_series) && OccurrenceCommands::deleteOccurrence(cursor, day).isOk();
    }
    if (kind == "series delete") {
        const TDataModule2::UndoStep step(*m_data, "Delete");
        return onRow(cursor, m_series) && OccurrenceCommands::deleteSeries(cursor).isOk();
    }
    if (kind == "occurrence move in two events") {
        // A drag: the occurrence leaves the series at its first step, then
        // moves at each later one, each an event of its own.
        const quint64 gesture = m_data->newGesture();
        qint64 copy = 0;
        {
            const TDataModule2::UndoStep step(*m_data, "Move", gesture);
            const Result<qint64> detached =
                onRow(cursor, m_series) ? OccurrenceCommands::detachOccurrence(cursor, day) : Result<qint64>(0);
            if (!detached || detached.value() == 0)
                return false;
            copy = detached.value();
        }
        for (const int hour : {10, 11}) {
            const TDataModule2::UndoStep step(*m_data, "Move", gesture);
            if (!onRow(cursor, copy) || !cursor.edit())
                return false;
            cursor.setValue(St, QTime(hour, 0));
            cursor.setValue(Et, QTime(hour + 1, 0));
            if (!cursor.post())
                return false;
        }
        return true;
    }
    if (kind == "import") {
        // Another connection of the program inserts the rows.
        const QString sql = QStringLiteral("INSERT INTO items (No, Subject, S, E, Md) VALUES "
                                           "(40, 'Conference', '2025-04-01', '2025-04-03', '0'), "
                                           "(41, 'Dinner', '2025-04-02', '2025-04-02', '0')");
        if (!runOutside(calendar(), sql))
            return false;
        m_data->addInsertedStep("Import", {40, 41});
        return true;
    }
    return false;
}

void TestUndo::undoAndRedoRestoreTheFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rowsAfter");
    QTest::newRow("new item") << "new item"
                              << "New Item" << 3;
    QTest::newRow("edit") << "edit"
                          << "Edit" << 2;
    QTest::newRow("delete") << "delete"
                            << "Delete" << 1;
    QTest::newRow("one occurrence deleted") << "occurrence delete"
                                            << "Delete" << 2;
    QTest::newRow("series deleted") << "series delete"
                                    << "Delete" << 1;
    QTest::newRow("occurrence moved by a drag of two steps") << "occurrence move in two events"
                                                             << "Move" << 3;
    QTest::newRow("iCalendar import") << "import"
                                      << "Import" << 4;
}

void TestUndo::undoAndRedoRestoreTheFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(int, rowsAfter);
    const QStringList before = fileRows(calendar());
    QVERIFY(change(kind));
    const QStringList after = fileRows(calendar());
    QCOMPARE(after.size(), rowsAfter);
    QVERIFY(after != before);
    QCOMPARE(m_data->undoName(), name);
    QCOMPARE(m_data->redoName(), QString());

    QSignalSpy changes(m_data.get(), &TDataModule2::calendarChanged);
    QVERIFY(m_data->undo());
    QCOMPARE(fileRows(calendar()), before);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(m_data->undoName(), QString());
    QCOMPARE(m_data->redoName(), name);
    // The cursors read what the file holds.
    Cursor &all = m_data->Table47();
    all.setFiltered(false);
    all.refresh();
    QCOMPARE(all.recordCount(), before.size());

    QVERIFY(m_data->redo());
    QCOMPARE(fileRows(calendar()), after);
    QCOMPARE(m_data->undoName(), name);
    QVERIFY(m_data->undo());
    QCOMPARE(fileRows(calendar()), before);
    QVERIFY(m_data->undo().isCancelled()); // nothing more to undo
}

void TestUndo::anotherProgramsChangeRefusesTheUndo_data()
{
    QTest::addColumn<bool>("noticed");
    QTest::addColumn<QString>("kind");
    QTest::newRow("edited row, change not yet noticed") << false << "edit";
    QTest::newRow("edited row, change noticed") << true << "edit";
    QTest::newRow("new row, change not yet noticed") << false << "new item";
}

void TestUndo::anotherProgramsChangeRefusesTheUndo()
{
    QFETCH(bool, noticed);
    QFETCH(QString, kind);
    QVERIFY(change(kind));
    const qint64 touched = kind == "edit" ? m_plain : m_plain + 2;
    QVERIFY(runOutside(calendar(), QStringLiteral("UPDATE items SET Loc = 'Room 4' WHERE No = %1").arg(touched)));
    if (noticed)
        QVERIFY(m_data->noticeOutsideChanges());
    const QStringList outside = fileRows(calendar());

    const Outcome undone = m_data->undo();
    QVERIFY(undone.isFailed());
    QCOMPARE(undone.error(),
             QString("Undo %1 is not possible: another program has changed the item since. Nothing "
                     "was changed, and this change has been taken off the list.")
                 .arg(kind == "edit" ? "Edit" : "New Item"));
    QCOMPARE(fileRows(calendar()), outside);
    QCOMPARE(m_data->undoName(), QString());
    QCOMPARE(m_data->redoName(), QString());
    // The picture shows the other program's change, for the next edit.
    QCOMPARE(m_data->Table50().rowImage(touched)->at(calendarSchema().fieldIndex(Loc)).toString(), QString("Room 4"));
}

void TestUndo::aNewChangeClearsRedo()
{
    QVERIFY(change("delete"));
    QVERIFY(m_data->undo());
    QCOMPARE(m_data->redoName(), QString("Delete"));
    QVERIFY(change("new item"));
    QCOMPARE(m_data->redoName(), QString());
    QVERIFY(m_data->redo().isCancelled());
    QCOMPARE(m_data->undoName(), QString("New Item"));
}

void TestUndo::writesWithoutAStepAreNotUndone()
{
    QSignalSpy history(m_data.get(), &TDataModule2::undoHistoryChanged);
    // The fixture's own rows were posted without a step; so is this edit.
    Cursor &cursor = m_data->Table46();
    QVERIFY(onRow(cursor, m_plain) && cursor.edit());
    cursor.setValue(Subject, "Dentist, moved");
    QVERIFY(cursor.post());
    QVERIFY(runOutside(calendar(),
                       "INSERT INTO items (Subject, S, E, Md) VALUES ('Outside', '2025-03-12', "
                       "'2025-03-12', '0')"));
    QVERIFY(m_data->noticeOutsideChanges());
    // A step in which nothing was written is none either.
    {
        const TDataModule2::UndoStep nothing(*m_data, "Delete");
    }
    QCOMPARE(m_data->undoName(), QString());
    QCOMPARE(history.count(), 0);
    QVERIFY(m_data->undo().isCancelled());
}

void TestUndo::aHundredStepsAreKept()
{
    const QStringList before = fileRows(calendar());
    Cursor &cursor = m_data->Table46();
    for (int i = 1; i <= 101; ++i) {
        const TDataModule2::UndoStep step(*m_data, "Edit");
        QVERIFY(onRow(cursor, m_plain) && cursor.edit());
        cursor.setValue(Subject, QString::number(i));
        QVERIFY(cursor.post());
    }
    for (int i = 1; i <= 101; ++i)
        QVERIFY2(m_data->undo(), qPrintable(QString::number(i)));
    QCOMPARE(fileRows(calendar()), before);
}

void TestUndo::eachCalendarKeepsItsHistory()
{
    QVERIFY(change("delete"));
    const QString first = calendar();
    const qint64 firstFolder = m_data->Table61().currentId();
    const QString dir = m_home->path() + "Work/";
    QVERIFY(m_data->createCalendarTable(dir, "Work.db"));
    QVERIFY(addRow(m_data->Table61(), {{"2", "Work"}, {"3", dir}, {"4", "Work.db"}, {"7", 1}, {"8", 1}}) > 0);

    QSignalSpy history(m_data.get(), &TDataModule2::undoHistoryChanged);
    QVERIFY(m_data->openCalendarFolder());
    QCOMPARE(calendar(), dir + "Work.db");
    QVERIFY(history.count() > 0);
    QCOMPARE(m_data->undoName(), QString());
    {
        const TDataModule2::UndoStep step(*m_data, "New Item");
        QVERIFY(addRow(m_data->Table50(), appointment("Review")) > 0);
    }
    QCOMPARE(m_data->undoName(), QString("New Item"));

    QVERIFY(m_data->Table61().locate("1", firstFolder));
    QVERIFY(m_data->openCalendarFolder());
    QCOMPARE(calendar(), first);
    QCOMPARE(m_data->undoName(), QString("Delete"));
    QVERIFY(m_data->undo());
    QVERIFY(fileRows(first).first().startsWith(QString::number(m_plain) + "|Dentist|"));
    QCOMPARE(fileRows(dir + "Work.db").size(), 1); // the other calendar's step stays its own
}

QTEST_GUILESS_MAIN(TestUndo)
#include "test_undo.moc"
