#include "views/CellGeometry.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "views/DayView.h"
#include "views/ItemCellList.h"
#include "views/MonthView.h"
#include "views/SeparatorLines.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"
#include "views/ViewFonts.h"
#include "views/ViewState.h"
#include "views/WeekView.h"

#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QColor selection(49, 106, 197);
const QColor grey(212, 208, 200);
const QColor type1(255, 153, 153);
const QSize monthArea(701, 533); // odd sizes, so that every integer division shows
const QSize weekArea(701, 533);

// Stands in for the main window: tells the data module which view is shown
// and passes the after-post refresh on to it, as the window does.
class ViewsHost : public DataModuleHost
{
public:
    View view = View::None;
    CellsView *cells = nullptr;
    View activeView() const override { return view; }
    void relayoutMonthFillers() override { refreshed(); }
    void weekCellsRefreshed() override { refreshed(); }

private:
    void refreshed()
    {
        if (cells)
            cells->cellsRefreshed();
    }
};

// Press, release, double click and release, as the window system delivers
// a double click on an item row.
void doubleClickRow(ItemCellList *cell, int row)
{
    const QPoint at(40, 18 + 18 * row + 9);
    QTest::mouseClick(cell, Qt::LeftButton, Qt::NoModifier, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), cell->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cell, &dbl);
}

} // namespace

// The week and month views on a real calendar: cell geometry, dates and
// titles of the grids, the selected day, and the mouse and keyboard
// commands on cells (selection, band highlight, double click, Delete).
class TestCellViews : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void monthCellGeometry_data();
    void monthCellGeometry();
    void monthColumnLines_data();
    void monthColumnLines();
    void weekCellGeometry_data();
    void weekCellGeometry();
    void weekHeaderBarsAndLines();

    void monthGrid_data();
    void monthGrid();
    void monthCellsSitWhereTheGeometrySays();
    void monthLinesFollowTheRows();
    void weekOfTheNavigator_data();
    void weekOfTheNavigator();

    void clickingSelectsDayAndItem();
    void bandHighlightCrossesCells();
    void rightClickSelectsNoItem();
    void pressOnOneDayRowUnhighlightsTheBand_data();
    void pressOnOneDayRowUnhighlightsTheBand();
    void weekHeaderBarFollowsTheClick();
    void deleteKey_data();
    void deleteKey();
    void navigationKeysAreSwallowed();
    void doubleClick_data();
    void doubleClick();
    void cellsReadOnlyTheRowsTheyShow();
    void fullCellSaysHowManyAreHidden_data();
    void fullCellSaysHowManyAreHidden();
    void clickOnTheMoreMarkAsksForTheDay_data();
    void clickOnTheMoreMarkAsksForTheDay();

    void allDayStripOpensAndDeletes();

private:
    qint64 addItem(const QString &subject, const QDate &start, const QDate &end, const QTime &from, int type = 0,
                   bool allDay = false);
    void showMonth(const QDate &navigator);
    void showWeek(const QDate &navigator);
    void click(ItemCellList *cell, int row, Qt::MouseButton button = Qt::LeftButton);
    QColor rowPixel(ItemCellList *cell, int row, int x);
    QColor shownPixel(ItemCellList *cell, int row, int x);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    ViewsHost m_host;
    ViewState m_state;
    std::unique_ptr<MonthView> m_month;
    std::unique_ptr<WeekView> m_week;
    QDate m_navigator;
};

void TestCellViews::initTestCase()
{
    pinTestLocale();
    Clock::setNowForTesting(QDateTime(QDate(2025, 3, 12), QTime(12, 0)));
}

void TestCellViews::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    m_host = ViewsHost();
    m_data->setHost(&m_host);
    m_state = ViewState();
}

void TestCellViews::cleanup()
{
    m_month.reset();
    m_week.reset();
    m_data.reset();
    m_home.reset();
}

qint64 TestCellViews::addItem(const QString &subject, const QDate &start, const QDate &end, const QTime &from, int type,
                              bool allDay)
{
    Cursor &cursor = m_data->Table50();
    cursor.insert();
    cursor.setValue("Subject", subject);
    cursor.setValue("S", start);
    cursor.setValue("E", end);
    cursor.setValue("Md", start == end ? QVariant("0") : QVariant()); // blank for several dates
    cursor.setValue("A", allDay);
    if (from.isValid()) {
        cursor.setValue("St", from);
        cursor.setValue("Et", from.addSecs(3600));
    }
    cursor.setValue("T", type);
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        cursor.cancel();
        return 0;
    }
    return cursor.currentId();
}

void TestCellViews::showMonth(const QDate &navigator)
{
    m_navigator = navigator;
    m_month = std::make_unique<MonthView>(*m_data, m_state);
    m_month->setNavigatorMover([this](const QDate &date) { m_navigator = date; });
    m_month->resize(monthArea.width(), CellGeometry::headerHeight + monthArea.height());
    m_month->show();
    QVERIFY(QTest::qWaitForWindowActive(m_month.get()));
    m_month->build(navigator);
    m_host.view = DataModuleHost::View::Month;
    m_host.cells = m_month.get();
}

void TestCellViews::showWeek(const QDate &navigator)
{
    m_navigator = navigator;
    m_week = std::make_unique<WeekView>(*m_data, m_state);
    m_week->setNavigatorMover([this](const QDate &date) { m_navigator = date; });
    m_week->resize(weekArea);
    m_week->show();
    QVERIFY(QTest::qWaitForWindowActive(m_week.get()));
    m_week->build(navigator);
    m_host.view = DataModuleHost::View::Week;
    m_host.cells = m_week.get();
}

// A click on item row `row` of the cell (-1: on the title row).
void TestCellViews::click(ItemCellList *cell, int row, Qt::MouseButton button)
{
    QTest::mouseClick(cell, button, Qt::NoModifier, QPoint(40, 18 + 18 * row + 9));
}

QColor TestCellViews::rowPixel(ItemCellList *cell, int row, int x)
{
    const QImage image = cell->grab().toImage();
    return image.pixelColor(x, 18 + 18 * row + 9);
}

// What the window shows at a row now: the last painting, not a fresh
// rendering, so a cell that was never told to repaint keeps its old look.
QColor TestCellViews::shownPixel(ItemCellList *cell, int row, int x)
{
    QCoreApplication::processEvents();
    QWidget *window = cell->window();
    const QPoint at = cell->mapTo(window, QPoint(x, 18 + 18 * row + 9));
    const QImage shot = window->screen()->grabWindow(window->winId(), at.x(), at.y(), 1, 1).toImage();
    return shot.pixelColor(0, 0);
}

// --- geometry ------------------------------------------------------------------------

void TestCellViews::monthCellGeometry_data()
{
    // W = 701, H = 533: P = 116, Q = 88, H div 12 = 44.
    QTest::addColumn<int>("cell");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("Monday, first row") << 1 << QRect(0, 0, 132, 88);
    QTest::newRow("Friday, first row") << 5 << QRect(464, 0, 132, 88);
    QTest::newRow("Saturday over Sunday") << 6 << QRect(580, 0, 137, 44);
    QTest::newRow("Sunday below Saturday") << 7 << QRect(580, 44, 137, 44);
    QTest::newRow("Wednesday, third row") << 17 << QRect(232, 176, 132, 88);
    QTest::newRow("last row takes the rest") << 36 << QRect(0, 440, 132, 93);
    QTest::newRow("last Saturday") << 41 << QRect(580, 440, 137, 44);
    QTest::newRow("last Sunday") << 42 << QRect(580, 484, 137, 49);
}

void TestCellViews::monthCellGeometry()
{
    QFETCH(int, cell);
    QFETCH(QRect, expected);
    QCOMPARE(CellGeometry::monthCell(cell, monthArea), expected);
}

void TestCellViews::monthColumnLines_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("Monday has none") << 1 << 3 << QRect();
    QTest::newRow("Tuesday without items") << 2 << 0 << QRect(116, 18, 1, 88);
    QTest::newRow("Tuesday, two items") << 2 << 2 << QRect(116, 54, 1, 52);
    QTest::newRow("Tuesday overflowing") << 2 << 4 << QRect(116, 72, 1, 34);
    QTest::newRow("Thursday, third row") << 18 << 1 << QRect(348, 176 + 36, 1, 70);
    QTest::newRow("Saturday runs through Sunday") << 6 << 0 << QRect(580, 18, 1, 44 + 44);
    QTest::newRow("Sunday has none") << 7 << 0 << QRect();
}

void TestCellViews::monthColumnLines()
{
    QFETCH(int, cell);
    QFETCH(int, rows);
    QFETCH(QRect, expected);
    QCOMPARE(CellGeometry::monthColumnLine(cell, rows, monthArea), expected);
}

void TestCellViews::weekCellGeometry_data()
{
    // W = 701, H = 533: H div 3 = 177, H div 6 = 88.
    QTest::addColumn<int>("day");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("Monday") << 1 << QRect(0, 0, 366, 177);
    QTest::newRow("Tuesday") << 2 << QRect(0, 177, 366, 177);
    QTest::newRow("Wednesday takes the rest") << 3 << QRect(0, 354, 366, 179);
    QTest::newRow("Thursday") << 4 << QRect(350, 0, 367, 177);
    QTest::newRow("Friday") << 5 << QRect(350, 177, 367, 177);
    QTest::newRow("Saturday") << 6 << QRect(350, 354, 367, 88);
    QTest::newRow("Sunday at the bottom") << 7 << QRect(350, 442, 367, 91);
}

void TestCellViews::weekCellGeometry()
{
    QFETCH(int, day);
    QFETCH(QRect, expected);
    QCOMPARE(CellGeometry::weekCell(day, weekArea), expected);
}

void TestCellViews::weekHeaderBarsAndLines()
{
    QCOMPARE(CellGeometry::weekHeaderBar(1, weekArea), QRect(0, 0, 350, 18));
    QCOMPARE(CellGeometry::weekHeaderBar(3, weekArea), QRect(0, 354, 350, 18));
    QCOMPARE(CellGeometry::weekHeaderBar(4, weekArea), QRect(351, 0, 350, 18));
    QCOMPARE(CellGeometry::weekHeaderBar(7, weekArea), QRect(351, 442, 350, 18));
    const QList<QRect> lines {QRect(350, 0, 1, 533), QRect(0, 176, 701, 1), QRect(0, 353, 701, 1),
                              QRect(350, 441, 367, 1)};
    QCOMPARE(CellGeometry::weekLines(weekArea), lines);
}

// --- the grids -----------------------------------------------------------------------

void TestCellViews::monthGrid_data()
{
    QTest::addColumn<QDate>("navigator");
    QTest::addColumn<QDate>("firstCell");
    QTest::addColumn<int>("cellOfTheFirst");
    QTest::addColumn<QString>("firstTitle");
    QTest::addColumn<int>("greyBefore"); // cells of the previous month
    QTest::addColumn<QDate>("lastCell");
    QTest::newRow("March 2025 starts on a Saturday")
        << QDate(2025, 3, 12) << QDate(2025, 2, 24) << 6 << "February 24" << 5 << QDate(2025, 4, 6);
    QTest::newRow("June 2025 starts on a Sunday")
        << QDate(2025, 6, 30) << QDate(2025, 5, 26) << 7 << "May 26" << 6 << QDate(2025, 7, 6);
    QTest::newRow("September 2025 starts on a Monday")
        << QDate(2025, 9, 1) << QDate(2025, 9, 1) << 1 << "September 1" << 0 << QDate(2025, 10, 12);
}

void TestCellViews::monthGrid()
{
    QFETCH(QDate, navigator);
    QFETCH(QDate, firstCell);
    QFETCH(int, cellOfTheFirst);
    QFETCH(QString, firstTitle);
    QFETCH(int, greyBefore);
    QFETCH(QDate, lastCell);
    showMonth(navigator);

    QCOMPARE(m_state.MonthFirstDate, firstCell);
    QCOMPARE(m_month->cellDate(41), lastCell);
    QCOMPARE(m_month->cell(0)->title(), firstTitle);
    const QDate first(navigator.year(), navigator.month(), 1);
    QCOMPARE(m_month->cellDate(cellOfTheFirst - 1), first);
    QCOMPARE(m_month->cell(cellOfTheFirst - 1)->title(), QLocale().toString(first, "MMMM d"));
    if (cellOfTheFirst > 2)
        QCOMPARE(m_month->cell(1)->title(), QString::number(firstCell.day() + 1));
    for (int i = 0; i < greyBefore; ++i)
        QCOMPARE(m_month->cell(i)->background(), grey);
    QCOMPARE(m_month->cell(cellOfTheFirst - 1)->background(), QColor(Qt::white));
    QCOMPARE(m_month->cell(41)->background(), grey);

    // The navigator's day: its title white on blue, the state naming its cell.
    const int selected = int(firstCell.daysTo(navigator));
    QCOMPARE(m_state.SelectedCellNo, selected + 1);
    QCOMPARE(m_month->cell(selected)->titleBackground(), selection);
    const QImage title = m_month->cell(selected)->grab().toImage();
    QCOMPARE(title.pixelColor(3, 3), selection);
    QCOMPARE(m_month->cell(selected == 0 ? 1 : 0)->titleBackground(),
             m_month->cell(selected == 0 ? 1 : 0)->background());
    QCOMPARE(m_state.SelectedItemNo, QStringLiteral("0"));
}

void TestCellViews::monthCellsSitWhereTheGeometrySays()
{
    showMonth(QDate(2025, 3, 12));
    QCOMPARE(m_month->area()->size(), monthArea);
    for (int n : {1, 6, 7, 12, 36, 42}) {
        QCOMPARE(m_month->cell(n - 1)->geometry(), CellGeometry::monthCell(n, monthArea));
        QCOMPARE(m_month->cell(n - 1)->columnWidth(), CellGeometry::monthCell(n, monthArea).width() - 16);
    }
    // The header strip names the six columns.
    QCOMPARE(MonthHeaderStrip::captions(),
             QStringList({"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Sat/Sun"}));
    QCOMPARE(m_month->headerStrip()->geometry(), QRect(0, 0, monthArea.width(), 20));
}

void TestCellViews::monthLinesFollowTheRows()
{
    showMonth(QDate(2025, 3, 12));
    // Tuesday 4 March is cell 9; its column line starts below its title row.
    const QRect before = CellGeometry::monthColumnLine(9, 0, monthArea);
    QVERIFY(m_month->separatorLines()->lines().contains(before));

    addItem("Dentist", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(9, 0));
    addItem("Lunch", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(12, 0)); // the after-post refresh follows
    QCOMPARE(m_month->cell(8)->rowCount(), 2);
    QVERIFY(!m_month->separatorLines()->lines().contains(before));
    QVERIFY(m_month->separatorLines()->lines().contains(CellGeometry::monthColumnLine(9, 2, monthArea)));
}

void TestCellViews::weekOfTheNavigator_data()
{
    QTest::addColumn<QDate>("navigator");
    QTest::addColumn<QDate>("monday");
    QTest::addColumn<int>("selectedDay"); // 1..7
    QTest::addColumn<QString>("firstBar");
    QTest::newRow("Sunday navigator") << QDate(2025, 3, 9) << QDate(2025, 3, 3) << 7 << "Monday, March 3 ";
    QTest::newRow("Monday navigator") << QDate(2025, 3, 3) << QDate(2025, 3, 3) << 1 << "Monday, March 3 ";
    QTest::newRow("week across two months") << QDate(2025, 5, 1) << QDate(2025, 4, 28) << 4 << "Monday, April 28 ";
}

void TestCellViews::weekOfTheNavigator()
{
    QFETCH(QDate, navigator);
    QFETCH(QDate, monday);
    QFETCH(int, selectedDay);
    QFETCH(QString, firstBar);
    showWeek(navigator);
    QCOMPARE(m_state.WeekFirstDate, monday);
    QCOMPARE(m_state.SelectedCellNo, 42 + selectedDay);
    QCOMPARE(m_week->headerBar(0)->text(), firstBar);
    QCOMPARE(m_week->headerBar(6)->text(), QLocale().toString(monday.addDays(6), "dddd, MMMM d "));
    for (int k = 1; k <= 7; ++k) {
        const QImage bar = m_week->headerBar(k - 1)->grab().toImage();
        const QColor expected = k == selectedDay ? selection : QApplication::palette().color(QPalette::Button);
        QCOMPARE(bar.pixelColor(bar.width() / 3, bar.height() / 2), expected);
        QCOMPARE(m_week->cell(k - 1)->geometry(), CellGeometry::weekCell(k, weekArea));
        QCOMPARE(m_week->headerBar(k - 1)->geometry(), CellGeometry::weekHeaderBar(k, weekArea));
    }
}

// --- the commands on cells -------------------------------------------------------------

void TestCellViews::clickingSelectsDayAndItem()
{
    const qint64 dentist = addItem("Dentist", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(9, 0));
    showMonth(QDate(2025, 3, 12));
    ItemCellList *tuesday = m_month->cell(8); // 4 March
    ItemCellList *friday = m_month->cell(11); // 7 March

    click(tuesday, 0);
    QCOMPARE(m_state.SelectedItemNo, QString::number(dentist));
    QCOMPARE(m_state.SelectedCellNo, 9);
    QCOMPARE(m_navigator, QDate(2025, 3, 4));
    QVERIFY(tuesday->hasFocus());
    QCOMPARE(rowPixel(tuesday, 0, 100), selection); // highlighted while its cell has the focus
    QCOMPARE(tuesday->titleBackground(), selection);
    // The editor now works on that day's items.
    QCOMPARE(m_data->Table50().filter(), tuesday->cursor().filter());

    // An empty part of Friday: the item loses its highlight, Friday is the day.
    click(friday, 2);
    QCOMPARE(m_state.SelectedItemNo, QStringLiteral("0"));
    QCOMPARE(m_state.SelectedCellNo, 12);
    QCOMPARE(m_navigator, QDate(2025, 3, 7));
    QCOMPARE(rowPixel(tuesday, 0, 100), QColor(Qt::white)); // a type-0 timed item: the cell's colour
    QCOMPARE(tuesday->titleBackground(), QColor(Qt::white));
    QCOMPARE(friday->titleBackground(), selection);
    // ... and Delete now deletes nothing.
    QTest::keyClick(friday, Qt::Key_Delete);
    QCOMPARE(tuesday->rowCount(), 1);
}

void TestCellViews::bandHighlightCrossesCells()
{
    // A type-1 band from Tuesday 4 to Thursday 6 March, a one-day item on Friday.
    addItem("Trip", QDate(2025, 3, 4), QDate(2025, 3, 6), QTime(), 1, true);
    const qint64 call = addItem("Call", QDate(2025, 3, 7), QDate(2025, 3, 7), QTime(10, 0));
    showMonth(QDate(2025, 3, 12));
    const QList<int> bandCells {8, 9, 10};

    click(m_month->cell(9), 0); // the band in Wednesday's cell
    QVERIFY(m_state.LastSelectionMultiDay);
    for (int i : bandCells)
        QCOMPARE(rowPixel(m_month->cell(i), 0, 60), selection);

    click(m_month->cell(11), 0); // the one-day item elsewhere
    QCOMPARE(m_state.SelectedItemNo, QString::number(call));
    QVERIFY(!m_state.LastSelectionMultiDay);
    for (int i : bandCells)
        QCOMPARE(rowPixel(m_month->cell(i), 0, 60), type1);
    QCOMPARE(rowPixel(m_month->cell(11), 0, 100), selection);

    // A selected one-day item shows only while its cell has the focus.
    m_month->cell(20)->setFocus();
    QCOMPARE(rowPixel(m_month->cell(11), 0, 100), QColor(Qt::white));
}

void TestCellViews::rightClickSelectsNoItem()
{
    addItem("Dentist", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(9, 0));
    showMonth(QDate(2025, 3, 12));
    click(m_month->cell(8), 0, Qt::RightButton);
    QCOMPARE(m_state.SelectedCellNo, 9);
    QCOMPARE(m_navigator, QDate(2025, 3, 4));
    QCOMPARE(m_state.SelectedItemNo, QStringLiteral("0"));
}

void TestCellViews::pressOnOneDayRowUnhighlightsTheBand_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("right button") << Qt::RightButton;
    QTest::newRow("middle button") << Qt::MiddleButton;
}

// The band is selected in Wednesday's cell; a press on the one-day item
// below it in that same cell makes that item the cell's current row, and
// still every cell of the band must lose the highlight.
void TestCellViews::pressOnOneDayRowUnhighlightsTheBand()
{
    QFETCH(Qt::MouseButton, button);
    addItem("Trip", QDate(2025, 3, 4), QDate(2025, 3, 6), QTime(), 1, true);
    addItem("Call", QDate(2025, 3, 5), QDate(2025, 3, 5), QTime(10, 0));
    showMonth(QDate(2025, 3, 12));
    const QList<int> bandCells {8, 9, 10};

    click(m_month->cell(9), 0);
    QVERIFY(m_state.LastSelectionMultiDay);
    for (int i : bandCells)
        QCOMPARE(shownPixel(m_month->cell(i), 0, 60), selection);

    click(m_month->cell(9), 1, button);
    QCOMPARE(m_state.SelectedItemNo, QStringLiteral("0"));
    QCOMPARE(m_month->cell(9)->cursor().asText("Subject"), QString("Call"));
    for (int i : bandCells)
        QCOMPARE(shownPixel(m_month->cell(i), 0, 60), type1);
}

void TestCellViews::weekHeaderBarFollowsTheClick()
{
    const qint64 band = addItem("Fair", QDate(2025, 3, 4), QDate(2025, 3, 5), QTime(), 1, true);
    showWeek(QDate(2025, 3, 9));
    click(m_week->cell(1), 0); // Tuesday's first row is the band
    QCOMPARE(m_state.SelectedCellNo, 44);
    QCOMPARE(m_state.SelectedItemNo, QString::number(band));
    QCOMPARE(m_navigator, QDate(2025, 3, 4));
    const QImage sundayBar = m_week->headerBar(6)->grab().toImage();
    QCOMPARE(sundayBar.pixelColor(sundayBar.width() / 3, 9), QApplication::palette().color(QPalette::Button));
    const QImage tuesdayBar = m_week->headerBar(1)->grab().toImage();
    QCOMPARE(tuesdayBar.pixelColor(tuesdayBar.width() / 3, 9), selection);
    // The band is highlighted in both of its days.
    QCOMPARE(rowPixel(m_week->cell(1), 0, 200), selection);
    QCOMPARE(rowPixel(m_week->cell(2), 0, 200), selection);
}

void TestCellViews::deleteKey_data()
{
    QTest::addColumn<bool>("selectFirst");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("rowsLeft");
    QTest::addColumn<bool>("stillSelected");
    QTest::newRow("Delete with a selected item") << true << Qt::KeyboardModifiers() << 1 << false;
    QTest::newRow("Delete with no item selected") << false << Qt::KeyboardModifiers() << 2 << false;
    QTest::newRow("Ctrl+Delete is swallowed") << true << Qt::KeyboardModifiers(Qt::ControlModifier) << 2 << true;
}

void TestCellViews::deleteKey()
{
    QFETCH(bool, selectFirst);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, rowsLeft);
    QFETCH(bool, stillSelected);
    const qint64 first = addItem("Dentist", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(9, 0));
    addItem("Lunch", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(12, 0));
    for (bool month : {true, false}) {
        if (month)
            showMonth(QDate(2025, 3, 12));
        else
            showWeek(QDate(2025, 3, 4));
        CellsView *view = month ? static_cast<CellsView *>(m_month.get()) : m_week.get();
        ItemCellList *tuesday = view->cell(month ? 8 : 1);
        if (tuesday->rowCount() < 2) // the month pass deleted one; start again
            addItem("Again", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(8, 0));
        QCOMPARE(tuesday->rowCount(), 2);
        click(tuesday, selectFirst ? 0 : 3);
        const qint64 clicked = tuesday->cursor().currentId();
        QTest::keyClick(tuesday, Qt::Key_Delete, modifiers);
        QCOMPARE(tuesday->rowCount(), rowsLeft);
        QCOMPARE(m_state.hasSelectedItem(), stillSelected);
        Cursor &all = m_data->table(47);
        all.setFiltered(false);
        all.refresh();
        QCOMPARE(all.locate("No", clicked), rowsLeft == 2 || clicked == 0);
        Q_UNUSED(first);
    }
}

void TestCellViews::navigationKeysAreSwallowed()
{
    addItem("Dentist", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(9, 0));
    addItem("Lunch", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(12, 0));
    showMonth(QDate(2025, 3, 12));
    ItemCellList *tuesday = m_month->cell(8);
    click(tuesday, 0);
    const qint64 current = tuesday->cursor().currentId();
    for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left, Qt::Key_PageDown, Qt::Key_PageUp,
                    Qt::Key_End, Qt::Key_Home})
        QTest::keyClick(tuesday, Qt::Key(key));
    QCOMPARE(tuesday->cursor().currentId(), current);
    QVERIFY(tuesday->hasFocus());
    QCOMPARE(m_state.SelectedCellNo, 9);
}

void TestCellViews::doubleClick_data()
{
    QTest::addColumn<bool>("onItem");
    QTest::newRow("on an item opens it") << true;
    QTest::newRow("on an empty day of the next month starts a new appointment") << false;
}

void TestCellViews::doubleClick()
{
    QFETCH(bool, onItem);
    const qint64 dentist = addItem("Dentist", QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(9, 0));
    showMonth(QDate(2025, 3, 12));
    QSignalSpy open(m_month.get(), &CellsView::openItemRequested);
    QSignalSpy create(m_month.get(), &CellsView::newAppointmentRequested);
    ItemCellList *cell = m_month->cell(onItem ? 8 : 37); // 4 March, or grey 2 April
    doubleClickRow(cell, 0);
    if (onItem) {
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.first().first().toLongLong(), dentist);
        QCOMPARE(create.count(), 0);
    } else {
        QCOMPARE(open.count(), 0);
        QCOMPARE(create.count(), 1);
        QCOMPARE(m_navigator, QDate(2025, 4, 2)); // the new appointment's date
    }
}

void TestCellViews::cellsReadOnlyTheRowsTheyShow()
{
    // More items than the cell can show: painting reads the first rows and
    // leaves the cursor on the row the user picked.
    for (int i = 0; i < 30; ++i)
        addItem(QStringLiteral("Item %1").arg(i), QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(7, 0).addSecs(60 * i));
    showMonth(QDate(2025, 3, 12));
    ItemCellList *tuesday = m_month->cell(8);
    QCOMPARE(tuesday->visibleRowCapacity(), 4); // 88 - 18 = 70 pixels for rows
    click(tuesday, 2);
    const qint64 picked = tuesday->cursor().currentId();
    QVERIFY(picked != 0);
    tuesday->grab();
    QCOMPARE(tuesday->cursor().currentId(), picked);
    QCOMPARE(rowPixel(tuesday, 2, 110), selection);
    // Month lines for an overflowing cell cover the part row at the bottom.
    QVERIFY(m_month->separatorLines()->lines().contains(CellGeometry::monthColumnLine(9, 30, monthArea)));
}

void TestCellViews::fullCellSaysHowManyAreHidden_data()
{
    QTest::addColumn<bool>("week");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("mark"); // empty: no mark

    // A month cell has 88 - 18 = 70 pixels for rows: three rows and the mark.
    QTest::newRow("month: three rows fit") << false << 3 << 3 << QString();
    QTest::newRow("month: a fourth row would be cut") << false << 4 << 3 << QString("+1 more");
    QTest::newRow("month: ten rows") << false << 10 << 3 << QString("+7 more");
    // Tuesday's week cell: 177 - 18 = 159 pixels, eight rows and the mark.
    QTest::newRow("week: eight rows fit") << true << 8 << 8 << QString();
    QTest::newRow("week: twelve rows") << true << 12 << 7 << QString("+5 more");
}

void TestCellViews::fullCellSaysHowManyAreHidden()
{
    QFETCH(bool, week);
    QFETCH(int, items);
    QFETCH(int, shown);
    QFETCH(QString, mark);
    for (int i = 0; i < items; ++i)
        addItem(QStringLiteral("Item %1").arg(i), QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(7, 0).addSecs(60 * i), 1);
    if (week)
        showWeek(QDate(2025, 3, 4));
    else
        showMonth(QDate(2025, 3, 12));
    ItemCellList *tuesday = week ? m_week->cell(1) : m_month->cell(8);
    QCOMPARE(tuesday->rowCount(), items);
    QCOMPARE(tuesday->shownRowCount(), shown);

    const QImage image = tuesday->grab().toImage();
    const QRect markRect = tuesday->moreMarkRect();
    // The rows above the mark are painted in their type colour ...
    for (int row = 0; row < shown; ++row)
        QCOMPARE(image.pixelColor(tuesday->columnWidth() - 20, 18 + 18 * row + 9), type1);
    if (mark.isEmpty()) {
        QVERIFY(markRect.isNull());
        QCOMPARE(tuesday->hiddenRowCount(), 0);
        return;
    }
    // ... and below them the cell says how many it cannot show: no part of
    // a row, only the mark's text in the selection colour on the cell's own.
    QCOMPARE(markRect, QRect(0, tuesday->height() - 16, tuesday->columnWidth(), 16));
    QCOMPARE(ItemCellList::moreMarkText(tuesday->hiddenRowCount()), mark);
    int inkLeft = -1, inkRight = -1;
    for (int y = 18 + 18 * shown; y < tuesday->height(); ++y) {
        for (int x = 0; x < tuesday->columnWidth(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            QVERIFY2(pixel != type1, qPrintable(QString("row paint at %1,%2").arg(x).arg(y)));
            if (pixel != QColor(Qt::white) && markRect.contains(x, y)) {
                inkLeft = inkLeft < 0 ? x : qMin(inkLeft, x);
                inkRight = qMax(inkRight, x);
            }
        }
    }
    // The underlined text starts 5 pixels in and is as wide as its words.
    QCOMPARE(inkLeft, 5);
    QFont font = ViewFonts::cellFont();
    font.setUnderline(true);
    const int textWidth = QFontMetrics(font).horizontalAdvance(mark);
    QVERIFY2(qAbs(inkRight - inkLeft + 1 - textWidth) <= 2,
             qPrintable(QString("ink %1, text %2").arg(inkRight - inkLeft + 1).arg(textWidth)));
}

void TestCellViews::clickOnTheMoreMarkAsksForTheDay_data()
{
    QTest::addColumn<bool>("week");
    QTest::newRow("month cell") << false;
    QTest::newRow("week cell") << true;
}

void TestCellViews::clickOnTheMoreMarkAsksForTheDay()
{
    QFETCH(bool, week);
    for (int i = 0; i < 12; ++i)
        addItem(QStringLiteral("Item %1").arg(i), QDate(2025, 3, 4), QDate(2025, 3, 4), QTime(7, 0).addSecs(60 * i));
    CellsView *view = nullptr;
    if (week) {
        showWeek(QDate(2025, 3, 7));
        view = m_week.get();
    } else {
        showMonth(QDate(2025, 3, 12));
        view = m_month.get();
    }
    ItemCellList *tuesday = view->cell(week ? 1 : 8);
    QSignalSpy dayWanted(view, &CellsView::dayViewRequested);
    const QRect markRect = tuesday->moreMarkRect();
    QVERIFY(!markRect.isNull());

    // The right button on the mark only selects the day.
    QTest::mouseClick(tuesday, Qt::RightButton, Qt::NoModifier, markRect.center());
    QCOMPARE(dayWanted.count(), 0);
    QCOMPARE(m_navigator, QDate(2025, 3, 4));

    QTest::mouseClick(tuesday, Qt::LeftButton, Qt::NoModifier, markRect.center());
    QCOMPARE(dayWanted.count(), 1);
    QCOMPARE(dayWanted.first().first().toDate(), QDate(2025, 3, 4));
    QCOMPARE(m_navigator, QDate(2025, 3, 4));
    QCOMPARE(m_state.SelectedItemNo, QStringLiteral("0")); // the mark is no item

    // A row above the mark is still an item.
    click(tuesday, 0);
    QCOMPARE(dayWanted.count(), 1);
    QVERIFY(m_state.hasSelectedItem());
}

// --- the all-day strip of the day view ---------------------------------------------------

void TestCellViews::allDayStripOpensAndDeletes()
{
    const QDate day(2025, 3, 12);
    DayView view(*m_data);
    connect(m_data.get(), &TDataModule2::calendarChanged, &view, &DayView::followCalendarChange);
    view.resize(600, 500);
    view.setShownDate(day);
    view.setShowing(true);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy open(&view, &DayView::openItemRequested);

    view.build(); // empty strip: a double click does nothing
    ItemCellList *strip = view.allDayStrip();
    QTest::mouseDClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(40, 9));
    QCOMPARE(open.count(), 0);

    const qint64 holiday = addItem("Holiday", day, day, QTime(), 2, true);
    const qint64 fair = addItem("Fair", day.addDays(-1), day.addDays(1), QTime(), 3, true);
    view.rebuild();
    QCOMPARE(strip->rowCount(), 2);
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(40, 18 + 9));
    const qint64 second = strip->cursor().currentId();
    QVERIFY(second == holiday || second == fair);
    QTest::mouseDClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(40, 18 + 9));
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.first().first().toLongLong(), second);

    QTest::keyClick(strip, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(strip->rowCount(), 2);
    QTest::keyClick(strip, Qt::Key_Delete);
    QCOMPARE(strip->rowCount(), 1);
    QVERIFY(strip->cursor().currentId() != second);
}

QTEST_MAIN(TestCellViews)
#include "test_cell_views.moc"
