#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/SeriesRow.h"
#include "store/SeriesRule.h"
#include "store/Unit2.h"
#include "tests/support/TestSupport.h"
#include "views/DayBlock.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "views/ItemCellList.h"
#include "views/MonthView.h"
#include "views/OccurrenceCommands.h"
#include "views/OccurrenceRules.h"
#include "views/ViewState.h"
#include "views/WeekView.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace ItemField;
using Answer = OccurrenceQuestion::Answer;
Q_DECLARE_METATYPE(OccurrenceQuestion::Answer)

namespace {

// A weekly series on Wednesdays from 1 May 2024, 09:00-10:00, reminder at
// 08:45; the day view shows its second occurrence.
const QDate firstDate(2024, 5, 1);
const QDate shown(2024, 5, 8);
const QDate nextWeek(2024, 5, 15);

// Answers the question as told and counts how often it was asked.
class ScriptedQuestion : public OccurrenceQuestion
{
public:
    Answer answer = Answer::Cancel;
    int deleteAsked = 0;
    int openAsked = 0;
    Answer askDelete() override
    {
        ++deleteAsked;
        return answer;
    }
    Answer askOpen() override
    {
        ++openAsked;
        return answer;
    }
};

class NoHost : public DataModuleHost
{
public:
    CellsView *cells = nullptr;
    View activeView() const override { return cells ? View::Week : View::Day; }
    void weekCellsRefreshed() override
    {
        if (cells)
            cells->cellsRefreshed();
    }
};

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Presses the block at its own height pressY and moves the pointer with
// the left button held to each of the grid heights in moves, then releases
// at pressY within the block where it then stands.
void dragBlock(DayGrid *grid, DayBlock *block, int pressY, const QList<int> &gridMoves)
{
    const int x = block->width() / 2;
    sendMouse(grid, QEvent::MouseButtonPress, block->area().topLeft() + QPoint(x, pressY), Qt::LeftButton,
              Qt::LeftButton);
    for (int y : gridMoves)
        sendMouse(grid, QEvent::MouseMove, QPoint(block->x() + x, y), Qt::NoButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseButtonRelease, block->area().topLeft() + QPoint(x, pressY), Qt::LeftButton,
              Qt::NoButton);
}

} // namespace

// The commands on one occurrence of a series, on a real calendar file: what
// the store holds afterwards and on which dates the views' rule finds it.
class TestOccurrenceCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void deleteInTheDayView_data();
    void deleteInTheDayView();
    void deleteTheLastOccurrenceDeletesTheSeries();
    void deleteKeyInTheWeekView_data();
    void deleteKeyInTheWeekView();
    void dragMovesTheOccurrenceOnly();
    void dragOfAPlainItemIsUnchanged();
    void open_data();
    void open();
    void openInTheMonthView();

private:
    qint64 addSeries();
    qint64 addOneOff(const QString &subject, const QDate &date, const QVariantMap &more = {});
    // The row No of the whole calendar, or false when it is gone.
    bool storedRow(qint64 no);
    bool occursOn(qint64 no, const QDate &date);
    int rowCount();
    void showDay();

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    std::unique_ptr<DayView> m_view;
    NoHost m_host;
    ScriptedQuestion m_question;
};

void TestOccurrenceCommands::initTestCase()
{
    pinTestLocale();
    Clock::setNowForTesting(QDateTime(firstDate, QTime(12, 0)));
}

void TestOccurrenceCommands::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    m_host = NoHost();
    m_data->setHost(&m_host);
    m_question = ScriptedQuestion();
    m_view = std::make_unique<DayView>(*m_data);
    m_view->setOccurrenceQuestion(&m_question);
    connect(m_data.get(), &TDataModule2::calendarChanged, m_view.get(), &DayView::followCalendarChange);
    m_view->resize(55 + 401 + 16, 600);
    m_view->setShownDate(shown);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestOccurrenceCommands::cleanup()
{
    m_view.reset();
    m_data.reset();
    m_home.reset();
}

qint64 TestOccurrenceCommands::addSeries()
{
    return addOneOff(QStringLiteral("Weekly"), firstDate,
                     {{Re, true},
                      {Ret, RecurrenceKind::Weekly},
                      {Wed, true},
                      {R, true},
                      {Rs, firstDate},
                      {Rt, QTime(8, 45)},
                      {Tr, QStringLiteral("15")},
                      {Tm, QStringLiteral("minute(s)")}});
}

qint64 TestOccurrenceCommands::addOneOff(const QString &subject, const QDate &date, const QVariantMap &more)
{
    Cursor &cursor = m_data->Table50();
    cursor.insert();
    cursor.setValue(Subject, subject);
    cursor.setValue(S, date);
    cursor.setValue(E, date);
    cursor.setValue(Md, QStringLiteral("0"));
    cursor.setValue(St, QTime(9, 0));
    cursor.setValue(Et, QTime(10, 0));
    cursor.setValue(T, 0);
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        cursor.cancel();
        return 0;
    }
    return cursor.currentId();
}

bool TestOccurrenceCommands::storedRow(qint64 no)
{
    Cursor &all = m_data->table(47);
    all.setFiltered(false);
    all.refresh();
    return all.locate(No, no);
}

int TestOccurrenceCommands::rowCount()
{
    Cursor &all = m_data->table(47);
    all.setFiltered(false);
    all.refresh();
    return all.recordCount();
}

bool TestOccurrenceCommands::occursOn(qint64 no, const QDate &date)
{
    Cursor &day = m_data->table(48);
    OccurrenceRules::occursOn(day, date);
    return day.locate(No, no);
}

void TestOccurrenceCommands::showDay()
{
    m_view->setShownDate(shown);
    m_view->build();
}

void TestOccurrenceCommands::deleteInTheDayView_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("seriesKept");
    QTest::addColumn<QString>("removed"); // Rx of the series afterwards
    QTest::addColumn<bool>("onShown");    // the series on the shown date afterwards

    QTest::newRow("this occurrence") << Answer::Occurrence << true << "2024-05-08" << false;
    QTest::newRow("the series") << Answer::Series << false << "" << false;
    QTest::newRow("cancel") << Answer::Cancel << true << "" << true;
}

void TestOccurrenceCommands::deleteInTheDayView()
{
    QFETCH(Answer, answer);
    QFETCH(bool, seriesKept);
    QFETCH(QString, removed);
    QFETCH(bool, onShown);
    const qint64 series = addSeries();
    // An occurrence moved earlier, from 15 to 16 May: it belongs to the series.
    const qint64 moved = addOneOff(QStringLiteral("Moved"), nextWeek.addDays(1), {{Rp, series}, {Ro, nextWeek}});
    const qint64 other = addOneOff(QStringLiteral("Other"), shown);
    showDay();
    QVERIFY(m_view->block(series));

    m_question.answer = answer;
    dragBlock(m_view->grid(), m_view->block(series), 5, {}); // the press makes it the menu's item
    QCOMPARE(m_view->deleteCurrentItem(), answer != Answer::Cancel);
    QCOMPARE(m_question.deleteAsked, 1);

    QCOMPARE(storedRow(series), seriesKept);
    if (seriesKept) {
        QCOMPARE(m_data->table(47).asText(Rx), removed);
        QCOMPARE(m_data->table(47).asText(Rr).isEmpty(), removed.isEmpty()); // a plain series stays plain
    }
    QCOMPARE(occursOn(series, shown), onShown);
    QCOMPARE(occursOn(series, firstDate), seriesKept);
    QCOMPARE(bool(m_view->block(series)), onShown);
    QCOMPARE(storedRow(moved), seriesKept);
    QVERIFY(storedRow(other));
    QVERIFY(m_view->block(other));
}

void TestOccurrenceCommands::deleteTheLastOccurrenceDeletesTheSeries()
{
    const qint64 series = addSeries();
    Cursor &row = m_data->Table50();
    QVERIFY(row.locate(No, series) && row.edit());
    const Result<SeriesRule> rule = SeriesRule::parse(QStringLiteral("FREQ=WEEKLY;COUNT=2"));
    QVERIFY(rule);
    QVERIFY(SeriesRow::writeExtendedSeries(row, rule.value(), firstDate, {firstDate}));
    QVERIFY(row.post());
    QVERIFY(occursOn(series, shown));
    QVERIFY(!occursOn(series, firstDate));
    showDay();

    m_question.answer = Answer::Occurrence;
    dragBlock(m_view->grid(), m_view->block(series), 5, {});
    QVERIFY(m_view->deleteCurrentItem());
    QVERIFY(!storedRow(series));
    QCOMPARE(rowCount(), 0);
}

void TestOccurrenceCommands::deleteKeyInTheWeekView_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("recurring");
    QTest::addColumn<int>("asked");
    QTest::addColumn<bool>("onShown");
    QTest::addColumn<bool>("onNextWeek");

    QTest::newRow("this occurrence") << Answer::Occurrence << true << 1 << false << true;
    QTest::newRow("the series") << Answer::Series << true << 1 << false << false;
    QTest::newRow("cancel") << Answer::Cancel << true << 1 << true << true;
    QTest::newRow("a one-off item asks nothing") << Answer::Cancel << false << 0 << false << false;
}

void TestOccurrenceCommands::deleteKeyInTheWeekView()
{
    QFETCH(Answer, answer);
    QFETCH(bool, recurring);
    QFETCH(int, asked);
    QFETCH(bool, onShown);
    QFETCH(bool, onNextWeek);
    const qint64 no = recurring ? addSeries() : addOneOff(QStringLiteral("Once"), shown);
    m_view.reset();
    ViewState state;
    WeekView week(*m_data, state);
    week.setOccurrenceQuestion(&m_question);
    m_host.cells = &week;
    week.resize(701, 533);
    week.show();
    QVERIFY(QTest::qWaitForWindowExposed(&week));
    week.build(shown);
    ItemCellList *wednesday = week.cell(2); // the week starts on Monday 6 May
    QCOMPARE(week.cellDate(2), shown);
    QCOMPARE(wednesday->rowCount(), 1);
    QTest::mouseClick(wednesday, Qt::LeftButton, Qt::NoModifier, QPoint(40, 18 + 9));
    QCOMPARE(state.SelectedItemNo, QString::number(no));

    m_question.answer = answer;
    QTest::keyClick(wednesday, Qt::Key_Delete);
    QCOMPARE(m_question.deleteAsked, asked);
    QCOMPARE(occursOn(no, shown), onShown);
    QCOMPARE(occursOn(no, nextWeek), onNextWeek);
    QCOMPARE(wednesday->rowCount(), onShown ? 1 : 0);
    QCOMPARE(state.hasSelectedItem(), answer == Answer::Cancel && recurring);
    m_host.cells = nullptr;
}

void TestOccurrenceCommands::dragMovesTheOccurrenceOnly()
{
    const qint64 series = addSeries();
    showDay();
    DayBlock *block = m_view->block(series);
    QVERIFY(block);
    QCOMPARE(block->y(), 341); // 09:00
    // Body pressed in its first row, moved 25 pixels down: one row later.
    dragBlock(m_view->grid(), block, 5, {341 + 25});

    QCOMPARE(rowCount(), 2);
    QVERIFY(storedRow(series));
    Cursor &all = m_data->table(47);
    QCOMPARE(all.asText(Rx), QStringLiteral("2024-05-08"));
    QCOMPARE(all.asTime(St), QTime(9, 0));
    all.first();
    if (all.currentId() == series)
        all.next();
    const qint64 copy = all.currentId();
    QVERIFY(copy != series);
    QCOMPARE(all.asBool(Re), false);
    QVERIFY(all.isBlank(Rr) && all.isBlank(Rx) && all.isBlank(Ret));
    QCOMPARE(all.value(Rp).toLongLong(), series);
    QCOMPARE(all.asDate(Ro), shown);
    QCOMPARE(all.asDate(S), shown);
    QCOMPARE(all.asDate(E), shown);
    QCOMPARE(all.asTime(St), QTime(9, 30));
    QCOMPARE(all.asTime(Et), QTime(10, 30));
    QCOMPARE(all.asText(Subject), QStringLiteral("Weekly"));
    // The reminder keeps its lead before the moved occurrence.
    QCOMPARE(all.asDate(Rs), shown);
    QCOMPARE(all.asTime(Rt), QTime(9, 15));

    QVERIFY(occursOn(copy, shown));
    QVERIFY(!occursOn(series, shown));
    QVERIFY(occursOn(series, firstDate));
    QVERIFY(occursOn(series, nextWeek));
    QVERIFY(!occursOn(copy, nextWeek));
    // The block that was dragged shows the moved row, and it is the only one.
    QCOMPARE(m_view->blocks().size(), 1);
    QCOMPARE(m_view->block(copy), block);
    QCOMPARE(block->y(), 360);

    // Dragged again it is a one-off: it keeps its link, nothing else is added.
    dragBlock(m_view->grid(), block, 5, {360 + 25});
    QCOMPARE(rowCount(), 2);
    QVERIFY(storedRow(copy));
    QCOMPARE(all.asTime(St), QTime(10, 0));
    QCOMPARE(all.value(Rp).toLongLong(), series);
    QCOMPARE(all.asDate(Ro), shown);
    QVERIFY(storedRow(series));
    QCOMPARE(all.asText(Rx), QStringLiteral("2024-05-08"));
    QCOMPARE(m_question.deleteAsked + m_question.openAsked, 0);
}

void TestOccurrenceCommands::dragOfAPlainItemIsUnchanged()
{
    const qint64 once = addOneOff(QStringLiteral("Once"), shown);
    showDay();
    dragBlock(m_view->grid(), m_view->block(once), 5, {341 + 25});
    QCOMPARE(rowCount(), 1);
    QVERIFY(storedRow(once));
    QCOMPARE(m_data->table(47).asTime(St), QTime(9, 30));
    QVERIFY(m_data->table(47).isBlank(Rp));
    QVERIFY(m_data->table(47).isBlank(Ro));
}

void TestOccurrenceCommands::open_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("rows"); // in the calendar afterwards
    QTest::addColumn<bool>("seriesOpened");
    QTest::addColumn<bool>("opened");

    QTest::newRow("this occurrence") << Answer::Occurrence << 2 << false << true;
    QTest::newRow("the series") << Answer::Series << 1 << true << true;
    QTest::newRow("cancel") << Answer::Cancel << 1 << false << false;
}

void TestOccurrenceCommands::open()
{
    QFETCH(Answer, answer);
    QFETCH(int, rows);
    QFETCH(bool, seriesOpened);
    QFETCH(bool, opened);
    const qint64 series = addSeries();
    showDay();
    QSignalSpy opens(m_view.get(), &DayView::openItemRequested);
    m_question.answer = answer;
    dragBlock(m_view->grid(), m_view->block(series), 5, {});
    m_view->openCurrentItem();
    QCOMPARE(m_question.openAsked, 1);
    QCOMPARE(opens.size(), opened ? 1 : 0);
    QCOMPARE(rowCount(), rows);
    QCOMPARE(occursOn(series, shown), rows == 1);
    QVERIFY(occursOn(series, nextWeek));
    if (!opened)
        return;
    const qint64 no = opens.first().first().toLongLong();
    QCOMPARE(no == series, seriesOpened);
    if (seriesOpened)
        return;
    // The occurrence became a row of its own, in its old place.
    QVERIFY(storedRow(no));
    Cursor &all = m_data->table(47);
    QCOMPARE(all.value(Rp).toLongLong(), series);
    QCOMPARE(all.asDate(Ro), shown);
    QCOMPARE(all.asDate(S), shown);
    QCOMPARE(all.asTime(St), QTime(9, 0));
    QVERIFY(occursOn(no, shown));
    // The editor's cursor can reach it.
    QVERIFY(m_data->Table50().locate(No, no));
}

void TestOccurrenceCommands::openInTheMonthView()
{
    const qint64 series = addSeries();
    m_view.reset();
    ViewState state;
    MonthView month(*m_data, state);
    month.setOccurrenceQuestion(&m_question);
    month.resize(701, 553);
    month.show();
    QVERIFY(QTest::qWaitForWindowExposed(&month));
    month.build(shown);
    int index = 0;
    while (index < month.cellCount() && month.cellDate(index) != shown)
        ++index;
    QVERIFY(index < month.cellCount());
    ItemCellList *cell = month.cell(index);
    QCOMPARE(cell->rowCount(), 1);
    QSignalSpy opens(&month, &CellsView::openItemRequested);
    m_question.answer = Answer::Occurrence;
    const QPoint at(40, 18 + 9);
    QTest::mouseClick(cell, Qt::LeftButton, Qt::NoModifier, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), cell->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cell, &dbl);

    QCOMPARE(m_question.openAsked, 1);
    QCOMPARE(opens.size(), 1);
    const qint64 no = opens.first().first().toLongLong();
    QVERIFY(no != series);
    QVERIFY(storedRow(no));
    QCOMPARE(m_data->table(47).value(Rp).toLongLong(), series);
    QCOMPARE(m_data->table(47).asDate(Ro), shown);
    QVERIFY(occursOn(no, shown));
    QVERIFY(!occursOn(series, shown));
    QVERIFY(occursOn(series, nextWeek));
}

QTEST_MAIN(TestOccurrenceCommands)
#include "test_occurrence_commands.moc"
