#include "store/Cursor.h"
#include "store/TaskPadFilter.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QtTest>

#include <memory>

// The five task pad views as filters on the task cursor: which tasks each
// lists around a fixed today and navigator date.
class TestTaskPadFilter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void views_data();
    void views();

private:
    void addTask(const QString &subject, const QDate &s, const QDate &e);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
};

namespace {

const QDate today(2025, 3, 5); // a Wednesday
const QDate monday(2025, 3, 3);
const QDate monthFirst(2025, 2, 24);

} // namespace

void TestTaskPadFilter::initTestCase()
{
    pinTestLocale();
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    addTask("no dates", QDate(), QDate());
    addTask("started, no due date", today.addDays(-3), QDate());
    addTask("due today", today.addDays(-1), today);
    addTask("due tomorrow", today, today.addDays(1));
    addTask("due yesterday", today.addDays(-5), today.addDays(-1));
    addTask("starts next Monday", monday.addDays(7), monday.addDays(8));
    addTask("starts in two weeks", today.addDays(14), today.addDays(15));
    // An appointment is never a task.
    Cursor &items = m_data->Table50();
    items.insert();
    items.setValue("Subject", "appointment");
    items.setValue("S", today);
    items.setValue("E", today);
    QVERIFY(items.post());
}

void TestTaskPadFilter::addTask(const QString &subject, const QDate &s, const QDate &e)
{
    Cursor &tasks = m_data->Table47();
    tasks.insert();
    tasks.setValue("Subject", subject);
    tasks.setValue("Ta", true);
    tasks.setValue("S", s.isValid() ? QVariant(s) : QVariant());
    tasks.setValue("E", e.isValid() ? QVariant(e) : QVariant());
    QVERIFY2(tasks.post(), qPrintable(tasks.lastError()));
}

void TestTaskPadFilter::views_data()
{
    using View = DataModuleHost::View;
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("1 all tasks") << 1 << int(View::Day)
                                 << QStringList {"no dates",           "started, no due date", "due today",
                                                 "due tomorrow",       "due yesterday",        "starts next Monday",
                                                 "starts in two weeks"};
    QTest::newRow("2 today's tasks") << 2 << int(View::Day)
                                     << QStringList {"no dates", "started, no due date", "due today"};
    QTest::newRow("3 selected day") << 3 << int(View::Day)
                                    << QStringList {"no dates", "started, no due date", "due today", "due tomorrow",
                                                    "due yesterday"};
    QTest::newRow("3 selected week, next Monday included")
        << 3 << int(View::Week)
        << QStringList {"no dates", "started, no due date", "due today", "due tomorrow", "starts next Monday"};
    QTest::newRow("3 selected month") << 3 << int(View::Month)
                                      << QStringList {"no dates",           "started, no due date",
                                                      "due today",          "due tomorrow",
                                                      "due yesterday",      "starts next Monday",
                                                      "starts in two weeks"};
    QTest::newRow("4 next seven days") << 4 << int(View::Day)
                                       << QStringList {"no dates", "started, no due date", "due tomorrow",
                                                       "starts next Monday"};
    QTest::newRow("5 overdue, and without a due date")
        << 5 << int(View::Day) << QStringList {"no dates", "started, no due date", "due yesterday"};
}

void TestTaskPadFilter::views()
{
    QFETCH(int, view);
    QFETCH(int, shown);
    QFETCH(QStringList, listed);
    const TaskPadFilter::Dates dates {DataModuleHost::View(shown), today, today, monday, monthFirst};
    Cursor &tasks = m_data->Table47();
    const QString text = TaskPadFilter::text(view, dates);
    QVERIFY2(tasks.setFilter(text), qPrintable(tasks.lastError()));
    tasks.setFiltered(true);
    QStringList subjects;
    for (tasks.first(); !tasks.eof(); tasks.next())
        subjects << tasks.asText("Subject");
    QCOMPARE(subjects, listed);
}

QTEST_GUILESS_MAIN(TestTaskPadFilter)
#include "test_taskpad_filter.moc"
