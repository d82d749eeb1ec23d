// The week, month and day views wired into a real program run, as the
// planner starts them: back and forward, the after-post refresh reaching
// the cells, the item commands reaching the event editor and the block menu.

#include "store/Clock.h"
#include "views/CellGeometry.h"
#include "store/Cursor.h"
#include "resources/DaybrookResources.h"
#include "views/DayBlock.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "views/ItemCellList.h"
#include "views/MonthView.h"
#include "app/PlannerProgram.h"
#include "views/SeparatorLines.h"
#include "app/Subsystems.h"
#include "tests/support/TestSupport.h"
#include "app/Unit1.h"
#include "store/Unit2.h"
#include "editors/Unit3.h"
#include "views/WeekView.h"

#include <QAction>
#include <QtTest>

#include <memory>

using View = DataModuleHost::View;

class ViewsWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void backAndForward_data();
    void backAndForward();
    void afterPostRefreshReachesTheCells_data();
    void afterPostRefreshReachesTheCells();
    void resizingBuildsAgain_data();
    void resizingBuildsAgain();
    void doubleClickOnAnEmptyDayProposesEightOClock();
    void blockMenuRecoloursAtOnce();
    void moreMarkShowsTheDayInTheDayView_data();
    void moreMarkShowsTheDayInTheDayView();

private:
    qint64 addItem(const QString &subject, const QDate &date, int type);
    MonthView *month() { return static_cast<MonthView *>(window().viewWidget(View::Month)); }
    WeekView *week() { return static_cast<WeekView *>(window().viewWidget(View::Week)); }
    DayView *day() { return static_cast<DayView *>(window().viewWidget(View::Day)); }
    TForm1 &window() { return m_program->mainWindow(); }

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<PlannerProgram> m_program;
};

void ViewsWindowTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
}

void ViewsWindowTest::init()
{
    Clock::setNowForTesting(QDateTime(QDate(2025, 1, 31), QTime(12, 0)));
    m_home = std::make_unique<TempHome>();
    PlannerProgram::Settings settings;
    settings.root = DataRoot(m_home->path());
    settings.trayAvailable = [] { return false; };
    settings.showMessage = [](const QString &text) { qWarning() << text; };
    m_program = std::make_unique<PlannerProgram>(std::move(settings));
    installSubsystems(*m_program);
    QVERIFY(m_program->start());
    window().resize(1000, 700);
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
}

void ViewsWindowTest::cleanup()
{
    m_program.reset();
    m_home.reset();
    Clock::setNowForTesting(QDateTime());
}

qint64 ViewsWindowTest::addItem(const QString &subject, const QDate &date, int type)
{
    Cursor &cursor = m_program->dataModule().Table50();
    cursor.insert();
    cursor.setValue("Subject", subject);
    cursor.setValue("S", date);
    cursor.setValue("E", date);
    cursor.setValue("Md", "0");
    cursor.setValue("St", QTime(9, 0));
    cursor.setValue("Et", QTime(10, 0));
    cursor.setValue("T", type);
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        cursor.cancel();
        return 0;
    }
    return cursor.currentId();
}

void ViewsWindowTest::backAndForward_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QDate>("navigator");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QDate>("firstShown"); // MonthFirstDate or WeekFirstDate after the step
    QTest::newRow("month forward from 31 January")
        << int(View::Month) << 1 << QDate(2025, 2, 28) << "February 2025" << QDate(2025, 1, 27);
    QTest::newRow("month back from 31 January")
        << int(View::Month) << -1 << QDate(2024, 12, 31) << "December 2024" << QDate(2024, 11, 25);
    QTest::newRow("week forward") << int(View::Week) << 1 << QDate(2025, 2, 7) << "February 03 - February 09"
                                  << QDate(2025, 2, 3);
    QTest::newRow("week back across two months")
        << int(View::Week) << -1 << QDate(2025, 1, 24) << "January 20 - January 26" << QDate(2025, 1, 20);
    QTest::newRow("day back") << int(View::Day) << -1 << QDate(2025, 1, 30) << "Thursday, January 30, 2025" << QDate();
}

void ViewsWindowTest::backAndForward()
{
    QFETCH(int, view);
    QFETCH(int, direction);
    QFETCH(QDate, navigator);
    QFETCH(QString, caption);
    QFETCH(QDate, firstShown);
    window().showView(View(view));
    window().stepView(direction);
    QCOMPARE(window().shownDate(), navigator);
    QCOMPARE(window().dateCaption(), caption);
    const ViewState &state = window().viewState();
    if (View(view) == View::Month) {
        QCOMPARE(state.MonthFirstDate, firstShown);
        QCOMPARE(state.SelectedCellNo, int(firstShown.daysTo(navigator)) + 1);
        QCOMPARE(month()->cell(state.SelectedCellNo - 1)->titleBackground(), QColor(49, 106, 197));
    } else if (View(view) == View::Week) {
        QCOMPARE(state.WeekFirstDate, firstShown);
        QCOMPARE(state.SelectedCellNo, int(firstShown.daysTo(navigator)) + 43);
    } else {
        QCOMPARE(day()->shownDate(), navigator);
    }
}

void ViewsWindowTest::afterPostRefreshReachesTheCells_data()
{
    QTest::addColumn<int>("view");
    QTest::newRow("month") << int(View::Month);
    QTest::newRow("week") << int(View::Week);
}

void ViewsWindowTest::afterPostRefreshReachesTheCells()
{
    QFETCH(int, view);
    window().showView(View(view));
    // Wednesday 29 January: month cell 31 (the grid starts on 30 December), week cell 3.
    const bool inMonth = View(view) == View::Month;
    CellsView *cells = inMonth ? static_cast<CellsView *>(month()) : week();
    const int index = inMonth ? 30 : 2;
    ItemCellList *wednesday = cells->cell(index);
    QCOMPARE(cells->cellDate(index), QDate(2025, 1, 29));
    QCOMPARE(wednesday->rowCount(), 0);

    addItem("Dentist", QDate(2025, 1, 29), 1); // posted through the edit cursor, as the editor does
    QCOMPARE(wednesday->rowCount(), 1);
    const QImage shown = wednesday->grab().toImage();
    QCOMPARE(shown.pixelColor(wednesday->columnWidth() - 20, 18 + 9), QColor(255, 153, 153));
    if (inMonth) {
        const QSize area = month()->area()->size();
        QVERIFY(month()->separatorLines()->lines().contains(CellGeometry::monthColumnLine(31, 1, area)));
        QVERIFY(!month()->separatorLines()->lines().contains(CellGeometry::monthColumnLine(31, 0, area)));
    }
}

void ViewsWindowTest::resizingBuildsAgain_data()
{
    afterPostRefreshReachesTheCells_data();
}

void ViewsWindowTest::resizingBuildsAgain()
{
    QFETCH(int, view);
    const bool inMonth = View(view) == View::Month;
    addItem("Dentist", QDate(2025, 1, 29), 1);
    window().showView(View(view));
    CellsView *cells = inMonth ? static_cast<CellsView *>(month()) : week();
    ItemCellList *wednesday = cells->cell(inMonth ? 30 : 2);
    QTest::mouseClick(wednesday, Qt::LeftButton, Qt::NoModifier, QPoint(30, 18 + 9));
    const ViewState &state = window().viewState();
    QVERIFY(state.hasSelectedItem());
    QCOMPARE(window().shownDate(), QDate(2025, 1, 29));

    window().resize(900, 640);
    QCOMPARE(state.SelectedItemNo, QStringLiteral("0"));
    QCOMPARE(cells->cellDate(inMonth ? 30 : 2), QDate(2025, 1, 29)); // the same days
    QCOMPARE(state.SelectedCellNo, inMonth ? 31 : 45);
    if (inMonth) {
        const QSize area = month()->area()->size();
        QCOMPARE(month()->cell(30)->geometry(), CellGeometry::monthCell(31, area));
    } else {
        QCOMPARE(week()->cell(2)->geometry(), CellGeometry::weekCell(3, week()->area()->size()));
    }
}

void ViewsWindowTest::doubleClickOnAnEmptyDayProposesEightOClock()
{
    window().showView(View::Month);
    ItemCellList *cell = month()->cell(41); // Sunday 9 February, a grey cell of the next month
    const QPoint at(30, 30);
    QTest::mouseClick(cell, Qt::LeftButton, Qt::NoModifier, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), cell->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cell, &dbl);
    QCOMPARE(window().shownDate(), QDate(2025, 2, 9));
    auto *editor = window().findChild<TForm3 *>();
    QVERIFY(editor);
    QTRY_VERIFY(editor->isVisible());
    Cursor &row = m_program->dataModule().Table50();
    QCOMPARE(row.state(), Cursor::State::Insert);
    QCOMPARE(row.value("S").toDate(), QDate(2025, 2, 9));
    QCOMPARE(row.value("St").toTime(), QTime(8, 0));
    QCOMPARE(row.value("Et").toTime(), QTime(8, 30));
}

void ViewsWindowTest::blockMenuRecoloursAtOnce()
{
    const qint64 no = addItem("Dentist", QDate(2025, 1, 31), 0);
    window().showView(View::Week); // the day view is built anew with the item
    window().showView(View::Day);
    DayBlock *block = day()->block(no);
    QVERIFY(block);
    QTest::mousePress(day()->grid(), Qt::LeftButton, Qt::NoModifier, block->area().topLeft() + QPoint(10, 10));
    QTest::mouseRelease(day()->grid(), Qt::LeftButton, Qt::NoModifier, block->area().topLeft() + QPoint(10, 10));

    // The menu's type entries carry the type names and swatches.
    QCOMPARE(window().blockTypeAction(9)->text(), QStringLiteral("Anniversary"));
    QVERIFY(!window().blockTypeAction(9)->icon().isNull());
    window().blockTypeAction(9)->trigger();
    QCOMPARE(day()->block(no), block); // recoloured in place, not rebuilt
    QCOMPARE(block->color(), QColor(102, 204, 153));
    Cursor &stored = m_program->dataModule().table(45);
    stored.setFiltered(false);
    stored.refresh();
    QVERIFY(stored.locate("No", no));
    QCOMPARE(stored.asInt("T"), 9);
}

void ViewsWindowTest::moreMarkShowsTheDayInTheDayView_data()
{
    QTest::addColumn<int>("view");
    QTest::newRow("month") << int(View::Month);
    QTest::newRow("week") << int(View::Week);
}

void ViewsWindowTest::moreMarkShowsTheDayInTheDayView()
{
    QFETCH(int, view);
    const QDate full(2025, 1, 28);
    for (int i = 0; i < 14; ++i)
        addItem(QStringLiteral("Item %1").arg(i), full, 0);
    window().showView(View(view));
    CellsView *cells = View(view) == View::Month ? static_cast<CellsView *>(month()) : week();
    ItemCellList *cell = nullptr;
    for (int i = 0; i < cells->cellCount(); ++i) {
        if (cells->cellDate(i) == full)
            cell = cells->cell(i);
    }
    QVERIFY(cell);
    const QRect mark = cell->moreMarkRect();
    QVERIFY(!mark.isNull());
    QTest::mouseClick(cell, Qt::LeftButton, Qt::NoModifier, mark.center());
    QCOMPARE(window().currentView(), View::Day);
    QCOMPARE(window().shownDate(), full);
    QCOMPARE(window().dateCaption(), QString("Tuesday, January 28, 2025"));
}

QTEST_MAIN(ViewsWindowTest)
#include "tst_viewswindow.moc"
