#include "store/Clock.h"
#include "views/ClockText.h"
#include "store/Cursor.h"
#include "views/DayBlock.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "views/ItemCellList.h"
#include "views/MarkerIcons.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QStyleHints>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

// The day view on a real calendar: block geometry, labels, shading, and
// the mouse and keyboard driving selection, quick entry and dragging.
class TestDayView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void blockGeometry_data();
    void blockGeometry();
    void labels_data();
    void labels();
    void markerAndLabelPosition();
    void blockFrameLiesOnTheRowLines();
    void rowShading_data();
    void rowShading();
    void selectingRows_data();
    void selectingRows();
    void doubleClickOnGridAsksForNewAppointment();
    void quickEntry();
    void quickEntryIgnoresControlCharacters();
    void subjectEditorKeepsTheCapacity();
    void subjectEditorKeepsALongerSubjectWhole();
    void pressingABlockSelectsIt();
    void clickOnBlockOpensEditorAfterDoubleClickTime();
    void doubleClickOnBlockOpensTheItem();
    void dragging_data();
    void dragging();
    void layoutFollowsADrag();
    void reminderMovesWithTheStart();
    void blockMenuRetypesAndDeletes();
    void crowdedDayKeepsEveryBlockOnTheGrid();
    void pointerShapes();
    void allDayStripAndCaption();
    void paintingACellKeepsItsCurrentRow();
    void scrollingInWholeRows();
    void rulerShowsNoCutLabelUnderTheStrip_data();
    void rulerShowsNoCutLabelUnderTheStrip();
    void rebuildShowsEachBlockOnce();
    void overlappingBlocksStackInOrder();
    void itemSavedElsewhereGetsABlock();
    void followsTheNavigatorDate();

private:
    qint64 addItem(const QString &subject, const QTime &start, const QTime &end, const QVariantMap &more = {});
    void showDay(const QDate &date);
    DayBlock *blockOf(const QString &subject);
    Cursor &items();

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    std::unique_ptr<DayView> m_view;
};

namespace {

constexpr int G = 401; // grid width: odd, so that integer division shows
const QDate wednesday(2024, 5, 1);
const QDate sunday(2024, 5, 5);
const QColor selection(49, 106, 197);
const QColor workColor(153, 204, 255);

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

QPoint rowPoint(int row)
{
    return QPoint(10, 19 * row + 5);
}

// Presses a block at grid height pressY, moves the pointer to each grid
// height of `moves` with the left button held, and releases it; the pointer
// keeps its place across the block, which may move sideways meanwhile.
void dragBlock(DayGrid *grid, DayBlock *block, int pressY, const QList<int> &moves)
{
    const int x = block->width() / 2;
    sendMouse(grid, QEvent::MouseButtonPress, QPoint(block->x() + x, pressY), Qt::LeftButton, Qt::LeftButton);
    for (int y : moves)
        sendMouse(grid, QEvent::MouseMove, QPoint(block->x() + x, y), Qt::NoButton, Qt::LeftButton);
    const int lastY = moves.isEmpty() ? pressY : moves.last();
    sendMouse(grid, QEvent::MouseButtonRelease, QPoint(block->x() + x, lastY), Qt::LeftButton, Qt::NoButton);
}

// A point given within a block, in the grid that paints it.
QPoint on(const DayBlock *block, const QPoint &within)
{
    return block->area().topLeft() + within;
}

QImage pictureOf(DayGrid *grid, const DayBlock *block)
{
    return grid->grab(block->area()).toImage();
}

} // namespace

void TestDayView::initTestCase()
{
    pinTestLocale();
    Clock::setNowForTesting(QDateTime(wednesday, QTime(12, 0)));
}

void TestDayView::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    m_view = std::make_unique<DayView>(*m_data);
    connect(m_data.get(), &TDataModule2::calendarChanged, m_view.get(), &DayView::followCalendarChange);
    m_view->resize(55 + G + 16, 600);
    m_view->setShownDate(wednesday);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestDayView::cleanup()
{
    m_view.reset();
    m_data.reset();
    m_home.reset();
}

Cursor &TestDayView::items()
{
    return m_data->Table50();
}

qint64 TestDayView::addItem(const QString &subject, const QTime &start, const QTime &end, const QVariantMap &more)
{
    Cursor &cursor = items();
    cursor.insert();
    cursor.setValue("Subject", subject);
    cursor.setValue("S", wednesday);
    cursor.setValue("E", wednesday);
    cursor.setValue("Md", "0");
    cursor.setValue("St", start.isValid() ? QVariant(start) : QVariant());
    cursor.setValue("Et", end.isValid() ? QVariant(end) : QVariant());
    cursor.setValue("T", 0);
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        cursor.cancel();
        return 0;
    }
    return cursor.currentId();
}

void TestDayView::showDay(const QDate &date)
{
    m_view->setShownDate(date);
    m_view->build();
}

DayBlock *TestDayView::blockOf(const QString &subject)
{
    Cursor &cursor = items();
    cursor.setFiltered(false);
    cursor.refresh();
    if (!cursor.locate("Subject", subject))
        return nullptr;
    return m_view->block(cursor.currentId());
}

void TestDayView::blockGeometry_data()
{
    QTest::addColumn<QString>("itemsText"); // "09:00-10:00 A; ..."
    QTest::addColumn<QList<QRect>>("expected");

    const int half = G / 2;
    QTest::newRow("one item alone") << "09:00-10:00 A" << QList<QRect> {{0, 341, G - 3, 38}};
    QTest::newRow("two starting together, the later end first")
        << "09:00-10:00 Short; 09:00-11:00 Long" << QList<QRect> {{half, 341, half - 3, 38}, {0, 341, half - 3, 76}};
    QTest::newRow("a start under both counts in the look-ahead")
        << "09:00-11:00 Long; 09:00-10:00 Short; 10:00-10:30 Later"
        << QList<QRect> {{0, 341, G / 3 - 3, 76}, {G / 3, 341, G / 3 - 3, 38}, {G / 3, 379, (G - (G / 3 - 3)) - 3, 19}};
    QTest::newRow("an item under a longer one")
        << "09:00-11:00 First; 10:00-10:30 Second" << QList<QRect> {{0, 341, half - 3, 76}, {half, 379, G - half, 19}};
    QTest::newRow("inside one row") << "09:15-09:20 A" << QList<QRect> {{0, 341, G - 3, 19}};
    QTest::newRow("zero length") << "09:00-09:00 A" << QList<QRect> {{0, 341, G - 3, 19}};
    QTest::newRow("ends at 23:55") << "23:00-23:55 A" << QList<QRect> {{0, 873, G - 3, 38}};
    QTest::newRow("separate items keep the full width")
        << "08:00-09:00 A; 09:00-10:00 B" << QList<QRect> {{0, 303, G - 3, 38}, {0, 341, G - 3, 38}};
}

void TestDayView::blockGeometry()
{
    QFETCH(QString, itemsText);
    QFETCH(QList<QRect>, expected);

    QStringList subjects;
    for (const QString &entry : itemsText.split(';')) {
        const QStringList parts = entry.trimmed().split(' ');
        const QStringList times = parts[0].split('-');
        subjects << parts[1];
        QVERIFY(addItem(parts[1], QTime::fromString(times[0], "hh:mm"), QTime::fromString(times[1], "hh:mm")));
    }
    showDay(wednesday);
    QCOMPARE(m_view->gridWidth(), G);
    QCOMPARE(m_view->blocks().size(), subjects.size());
    for (int i = 0; i < subjects.size(); ++i) {
        DayBlock *block = blockOf(subjects[i]);
        QVERIFY2(block, qPrintable(subjects[i]));
        QCOMPARE(block->extent(), expected[i]);
    }
}

void TestDayView::labels_data()
{
    QTest::addColumn<bool>("use24Hour");
    QTest::addColumn<bool>("reminder");
    QTest::addColumn<bool>("recurring");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("marker");

    QTest::newRow("12-hour") << false << false << false << "9:00am-10:30am Dentist" << int(Marker::None);
    QTest::newRow("24-hour") << true << false << false << "09:00-10:30 Dentist" << int(Marker::None);
    QTest::newRow("reminder") << false << true << false << "9:00am-10:30am Dentist" << int(Marker::Reminder);
    QTest::newRow("recurring") << true << false << true << "09:00-10:30 Dentist" << int(Marker::Recurrence);
    QTest::newRow("both") << false << true << true << "9:00am-10:30am Dentist" << int(Marker::Both);
}

void TestDayView::labels()
{
    QFETCH(bool, use24Hour);
    QFETCH(bool, reminder);
    QFETCH(bool, recurring);
    QFETCH(QString, label);
    QFETCH(int, marker);

    QVERIFY(m_data->options().change({{30, use24Hour}}));
    QVERIFY(addItem("Dentist", QTime(9, 0), QTime(10, 30),
                    {{"R", reminder}, {"Re", recurring}, {"Ret", recurring ? QVariant("2") : QVariant()}}));
    showDay(wednesday);
    DayBlock *block = blockOf("Dentist");
    QVERIFY(block);
    QCOMPARE(block->label(), label);
    QCOMPARE(int(block->marker()), marker);
}

void TestDayView::markerAndLabelPosition()
{
    QVERIFY(addItem("Dentist", QTime(9, 0), QTime(10, 30), {{"R", true}, {"Re", true}, {"T", 2}}));
    showDay(wednesday);
    DayBlock *block = blockOf("Dentist");
    QVERIFY(block);
    const QImage image = pictureOf(m_view->grid(), block);
    const QColor fill(153, 204, 255);
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(image.pixelColor(block->width() - 1, 20), QColor(Qt::black));
    QCOMPARE(image.pixelColor(2, 20), fill);
    const QImage icon = MarkerIcons::image(Marker::Both);
    for (int x = 0; x < icon.width(); ++x)
        for (int y = 0; y < icon.height(); ++y)
            QCOMPARE(image.pixelColor(5 + x, 2 + y),
                     icon.pixelColor(x, y) == QColor(Qt::black) ? QColor(Qt::black) : fill);
    // The label follows the double icon at x 37.
    int firstInk = -1;
    for (int x = 37; x < 60 && firstInk < 0; ++x)
        for (int y = 3; y < 14; ++y)
            if (image.pixelColor(x, y) != fill) {
                firstInk = x;
                break;
            }
    QVERIFY2(firstInk >= 37 && firstInk <= 39, qPrintable(QString::number(firstInk)));
}

// A block runs from the row line above its first row to the line below its
// last, and its frame covers both lines: one line between two rows, never a
// second one drawn just above the grid's own.
void TestDayView::blockFrameLiesOnTheRowLines()
{
    const qint64 no = addItem("Dentist", QTime(9, 0), QTime(10, 0));
    showDay(wednesday);
    QCOMPARE(m_view->block(no)->extent(), QRect(0, 341, G - 3, 38));
    const QImage image = m_view->grid()->grab().toImage();
    const QColor fill(Qt::white);
    QStringList column;
    for (int y = 338; y <= 382; ++y) {
        const QColor c = image.pixelColor(G / 2, y);
        column << (c == QColor(Qt::black) ? "black" : c == fill ? "fill" : c.name());
    }
    QCOMPARE(column.at(341 - 338), QString("black")); // the line above 09:00
    QCOMPARE(column.at(342 - 338), QString("fill"));
    QCOMPARE(column.at(378 - 338), QString("fill"));  // no line of the block's own
    QCOMPARE(column.at(379 - 338), QString("black")); // the line below 09:30
    QCOMPARE(column.filter("black").size(), 2);
}

void TestDayView::rowShading_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("row");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("working day, work hours") << wednesday << 20 << workColor;
    QTest::newRow("working day, row before work") << wednesday << 15 << QColor(Qt::white);
    QTest::newRow("working day, row after the selected one") << wednesday << 17 << workColor;
    QTest::newRow("working day, last work row") << wednesday << 33 << workColor;
    QTest::newRow("working day, first row after work") << wednesday << 34 << QColor(Qt::white);
    QTest::newRow("working day, early morning") << wednesday << 4 << QColor(Qt::white);
    QTest::newRow("non-working day inside work hours") << sunday << 20 << QColor(Qt::white);
    QTest::newRow("selected row") << wednesday << 16 << selection;
}

void TestDayView::rowShading()
{
    QFETCH(QDate, date);
    QFETCH(int, row);
    QFETCH(QColor, expected);

    showDay(date);
    const QImage image = m_view->grid()->grab().toImage();
    QCOMPARE(image.pixelColor(G / 2, 19 * row + 5), expected);
    QCOMPARE(image.pixelColor(G / 2, 19 * row + 18), QColor(128, 128, 128));
}

void TestDayView::selectingRows_data()
{
    QTest::addColumn<int>("pressRow");
    QTest::addColumn<int>("releaseRow");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("endRow");
    QTest::addColumn<QTime>("startTime");
    QTest::addColumn<QTime>("endTime");

    QTest::newRow("down over two rows") << 20 << 21 << 20 << 21 << QTime(10, 0) << QTime(11, 0);
    QTest::newRow("upwards is swapped") << 25 << 22 << 22 << 25 << QTime(11, 0) << QTime(13, 0);
    QTest::newRow("one row") << 3 << 3 << 3 << 3 << QTime(1, 30) << QTime(2, 0);
    QTest::newRow("last row ends at 23:55") << 46 << 47 << 46 << 47 << QTime(23, 0) << QTime(23, 55);
}

void TestDayView::selectingRows()
{
    QFETCH(int, pressRow);
    QFETCH(int, releaseRow);
    QFETCH(int, startRow);
    QFETCH(int, endRow);
    QFETCH(QTime, startTime);
    QFETCH(QTime, endTime);

    showDay(wednesday);
    QWidget *grid = m_view->grid();
    sendMouse(grid, QEvent::MouseButtonPress, rowPoint(pressRow), Qt::LeftButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseMove, rowPoint(releaseRow), Qt::NoButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseButtonRelease, rowPoint(releaseRow), Qt::LeftButton, Qt::NoButton);

    QCOMPARE(m_view->selectionStartRow(), startRow);
    QCOMPARE(m_view->selectionEndRow(), endRow);
    QCOMPARE(m_view->selectedStartTime(), startTime);
    QCOMPARE(m_view->selectedEndTime(), endTime);
    const QImage image = grid->grab().toImage();
    for (int row = startRow - 1; row <= endRow + 1; ++row) {
        if (row < 0 || row > 47)
            continue;
        const bool selected = row >= startRow && row <= endRow;
        QCOMPARE(image.pixelColor(G / 2, 19 * row + 5) == selection, selected);
    }
}

void TestDayView::doubleClickOnGridAsksForNewAppointment()
{
    showDay(wednesday);
    QSignalSpy spy(m_view.get(), &DayView::newAppointmentRequested);
    QTest::mouseDClick(m_view->grid(), Qt::LeftButton, {}, rowPoint(20));
    QCOMPARE(spy.count(), 1);
}

void TestDayView::quickEntry()
{
    showDay(wednesday);
    QWidget *grid = m_view->grid();
    sendMouse(grid, QEvent::MouseButtonPress, rowPoint(20), Qt::LeftButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseButtonRelease, rowPoint(21), Qt::LeftButton, Qt::NoButton);
    grid->setFocus();
    QTest::keyClicks(grid, "L");

    Cursor &list = m_data->Table46();
    QCOMPARE(list.recordCount(), 1);
    list.first();
    QCOMPARE(list.asText("Subject"), QString("L"));
    QCOMPARE(list.asTime("St"), QTime(10, 0));
    QCOMPARE(list.asTime("Et"), QTime(11, 0));
    QCOMPARE(list.asDate("S"), wednesday);
    QCOMPARE(list.asDate("E"), wednesday);
    QCOMPARE(list.asText("Md"), QString("0"));
    QVERIFY(!list.asBool("R"));
    const qint64 no = list.currentId();

    QLineEdit *editor = m_view->subjectEditor();
    DayBlock *block = m_view->block(no);
    QVERIFY(block);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->text(), QString("L"));
    QCOMPARE(editor->cursorPosition(), 1);
    QVERIFY(block->isSelected());
    QCOMPARE(block->extent(), QRect(0, 379, G - 3, 38));
    QCOMPARE(editor->geometry(), QRect(5, 381, G - 3 - 7, 34));

    // Typing goes on in the editor; a click on the grid closes it and
    // renews the block's label.
    QTest::keyClicks(editor, "ow");
    sendMouse(grid, QEvent::MouseButtonPress, rowPoint(2), Qt::LeftButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseButtonRelease, rowPoint(2), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!editor->isVisible());
    QVERIFY(!block->isSelected());
    QCOMPARE(block->label(), QString("10:00am-11:00am Low"));
    Cursor &stored = items();
    stored.setFiltered(false);
    stored.refresh();
    QVERIFY(stored.locate("No", no));
    QCOMPARE(stored.asText("Subject"), QString("Low"));
}

void TestDayView::quickEntryIgnoresControlCharacters()
{
    showDay(wednesday);
    m_view->grid()->setFocus();
    QTest::keyClick(m_view->grid(), Qt::Key_Return);
    QTest::keyClick(m_view->grid(), Qt::Key_Backspace);
    QCOMPARE(m_data->Table46().recordCount(), 0);
    QVERIFY(m_view->blocks().isEmpty());
}

void TestDayView::subjectEditorKeepsTheCapacity()
{
    showDay(wednesday);
    m_view->grid()->setFocus();
    QTest::keyClicks(m_view->grid(), "x");
    QLineEdit *editor = m_view->subjectEditor();
    QCOMPARE(editor->maxLength(), 150);
    QTest::keyClicks(editor, QString(200, 'y'));
    QCOMPARE(editor->text().size(), 150);
    m_view->relayoutBlocks();
    Cursor &list = m_data->Table46();
    list.first();
    QCOMPARE(list.asText("Subject"), QString("x") + QString(149, 'y'));
}

// A subject longer than its capacity, written by another program, is shown
// whole in the in-place editor; typing does not save it cut, the store
// refuses it by name and the table keeps it as it was.
void TestDayView::subjectEditorKeepsALongerSubjectWhole()
{
    const QString longSubject = QString(145, 'x') + QString("0123456789");
    m_view.reset();
    m_data.reset();
    {
        const QString path = m_home->path() + "Personal Calendar/Personal Calendar.db";
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        const QString sql = QString("INSERT INTO items (Subject, S, E, Md, St, Et, T) "
                                    "VALUES ('%1', '2024-05-01', '2024-05-01', '0', '09:00:00', '10:00:00', 0)")
                                .arg(longSubject);
        QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    QVERIFY(m_data->startUp());
    m_view = std::make_unique<DayView>(*m_data);
    connect(m_data.get(), &TDataModule2::calendarChanged, m_view.get(), &DayView::followCalendarChange);
    m_view->resize(55 + G + 16, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    showDay(wednesday);
    QCOMPARE(m_view->blocks().size(), 1);
    const qint64 no = m_view->blocks().first()->itemNo();
    QSignalSpy errors(m_view.get(), &DayView::storeError);
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(150);
    QTest::mouseClick(m_view->grid(), Qt::LeftButton, {}, on(m_view->block(no), QPoint(50, 10)));
    QLineEdit *editor = m_view->subjectEditor();
    QTRY_VERIFY(editor->isVisible());
    QCOMPARE(editor->text(), longSubject);
    editor->setFocus();
    editor->end(false);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(editor->text(), longSubject.chopped(1));
    m_view->relayoutBlocks(); // saves what waits in the edit buffer
    QCOMPARE(errors.count(), 1);
    QVERIFY2(errors.first().first().toString().contains("Subject"), qPrintable(errors.first().first().toString()));
    Cursor &all = m_data->table(2);
    all.setFiltered(false);
    all.refresh();
    QVERIFY(all.locate("No", no));
    QCOMPARE(all.asText("Subject"), longSubject);
}

void TestDayView::pressingABlockSelectsIt()
{
    const qint64 a = addItem("A", QTime(9, 0), QTime(10, 0));
    const qint64 b = addItem("B", QTime(11, 0), QTime(12, 0));
    showDay(wednesday);
    DayBlock *blockA = m_view->block(a);
    DayBlock *blockB = m_view->block(b);
    QTest::mousePress(m_view->grid(), Qt::LeftButton, {}, on(blockA, QPoint(50, 10)));
    QTest::mouseRelease(m_view->grid(), Qt::LeftButton, {}, on(blockA, QPoint(50, 10)));
    QCOMPARE(m_data->Table46().currentId(), a);
    QImage image = pictureOf(m_view->grid(), blockA);
    QCOMPARE(image.pixelColor(1, 1), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(blockA->width() - 3, 20), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(3, 20), QColor(Qt::white));

    QTest::mousePress(m_view->grid(), Qt::LeftButton, {}, on(blockB, QPoint(50, 10)));
    QCOMPARE(m_data->Table46().currentId(), b);
    QVERIFY(blockB->isSelected());
    QVERIFY(!blockA->isSelected());
    image = pictureOf(m_view->grid(), blockA);
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white));
}

void TestDayView::clickOnBlockOpensEditorAfterDoubleClickTime()
{
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(150);
    const qint64 no = addItem("Dentist", QTime(9, 0), QTime(10, 0));
    showDay(wednesday);
    DayBlock *block = m_view->block(no);
    QTest::mouseClick(m_view->grid(), Qt::LeftButton, {}, on(block, QPoint(50, 10)));
    QLineEdit *editor = m_view->subjectEditor();
    QVERIFY(!editor->isVisible());
    QTRY_VERIFY(editor->isVisible());
    QCOMPARE(editor->text(), QString("Dentist"));
    QCOMPARE(editor->geometry(), QRect(5, 343, G - 3 - 7, 34));
    QVERIFY(block->isSelected());
}

void TestDayView::doubleClickOnBlockOpensTheItem()
{
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(150);
    const qint64 no = addItem("Dentist", QTime(9, 0), QTime(10, 0));
    showDay(wednesday);
    QSignalSpy spy(m_view.get(), &DayView::openItemRequested);
    QTest::mouseDClick(m_view->grid(), Qt::LeftButton, {}, on(m_view->block(no), QPoint(50, 10)));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toLongLong(), no);
    QCOMPARE(m_data->Table50().currentId(), no);
    QTest::qWait(300);
    QVERIFY(!m_view->subjectEditor()->isVisible());
}

void TestDayView::dragging_data()
{
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<int>("pressY"); // grid heights
    QTest::addColumn<QList<int>>("moves");
    QTest::addColumn<QTime>("newStart");
    QTest::addColumn<QTime>("newEnd");
    QTest::addColumn<QRect>("geometry");

    const QTime nine(9, 0), ten(10, 0);
    // The 09:00-10:00 block spans grid heights 341..378.
    QTest::newRow("bottom edge 10 px below")
        << nine << ten << 377 << QList<int> {389} << nine << QTime(10, 30) << QRect(0, 341, G - 3, 57);
    QTest::newRow("bottom edge above the block's top")
        << nine << ten << 377 << QList<int> {330} << nine << nine << QRect(0, 341, G - 3, 19);
    QTest::newRow("bottom edge to the end of the day")
        << nine << ten << 377 << QList<int> {905} << nine << QTime(23, 55) << QRect(0, 341, G - 3, 570);
    QTest::newRow("top edge 25 px down") << nine << ten << 342 << QList<int> {366} << QTime(9, 30) << ten
                                         << QRect(0, 360, G - 3, 19);
    QTest::newRow("top edge 5 px above") << nine << ten << 342 << QList<int> {336} << QTime(8, 30) << ten
                                         << QRect(0, 322, G - 3, 57);
    QTest::newRow("top edge below the bottom, item from 09:15")
        << QTime(9, 15) << ten << 342 << QList<int> {390} << nine << ten << QRect(0, 341, G - 3, 38);
    QTest::newRow("body grabbed in its second row, pointer 40 below the top")
        << nine << ten << 361 << QList<int> {381} << QTime(9, 30) << QTime(10, 30) << QRect(0, 360, G - 3, 38);
    QTest::newRow("body follows the pointer row by row")
        << nine << ten << 346 << QList<int> {365, 384} << ten << QTime(11, 0) << QRect(0, 379, G - 3, 38);
    QTest::newRow("body up by less than a row stays")
        << nine << ten << 346 << QList<int> {335} << nine << ten << QRect(0, 341, G - 3, 38);
    QTest::newRow("body past the end of the day") << QTime(23, 0) << QTime(23, 55) << 878 << QList<int> {897}
                                                  << QTime(23, 30) << QTime(23, 55) << QRect(0, 892, G - 3, 19);
}

void TestDayView::dragging()
{
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(int, pressY);
    QFETCH(QList<int>, moves);
    QFETCH(QTime, newStart);
    QFETCH(QTime, newEnd);
    QFETCH(QRect, geometry);

    const qint64 no = addItem("Meeting", start, end);
    showDay(wednesday);
    DayBlock *block = m_view->block(no);
    QVERIFY(block);
    dragBlock(m_view->grid(), block, pressY, moves);

    // Every step is in the table at once.
    Cursor &stored = items();
    stored.setFiltered(false);
    stored.refresh();
    QVERIFY(stored.locate("No", no));
    QCOMPARE(stored.asTime("St"), newStart);
    QCOMPARE(stored.asTime("Et"), newEnd);
    QCOMPARE(block->extent(), geometry);
    QCOMPARE(block->label(), ClockText::blockLabel(newStart, newEnd, "Meeting", false));
}

void TestDayView::layoutFollowsADrag()
{
    const qint64 a = addItem("A", QTime(9, 0), QTime(10, 0));
    const qint64 b = addItem("B", QTime(11, 0), QTime(12, 0));
    showDay(wednesday);
    QCOMPARE(m_view->block(a)->extent(), QRect(0, 341, G - 3, 38));
    // B's top edge dragged up to 09:30 puts it beside A.
    dragBlock(m_view->grid(), m_view->block(b), 418, {377});
    QCOMPARE(m_view->block(b)->extent(), QRect(G / 2, 360, G - G / 2, 95));
    QCOMPARE(m_view->block(a)->extent(), QRect(0, 341, G / 2 - 3, 38));
}

void TestDayView::reminderMovesWithTheStart()
{
    // 15 minutes before 09:00; the body dragged down one row moves the item
    // to 09:30, so the reminder must follow to 09:15.
    const qint64 no =
        addItem("Dentist", QTime(9, 0), QTime(10, 0),
                {{"R", true}, {"Rs", wednesday}, {"Rt", QTime(8, 45)}, {"Tr", "15"}, {"Tm", "minute(s)"}});
    const qint64 early =
        addItem("Early", QTime(0, 0), QTime(1, 0),
                {{"R", true}, {"Rs", wednesday.addDays(-1)}, {"Rt", QTime(23, 0)}, {"Tr", "1"}, {"Tm", "hour(s)"}});
    showDay(wednesday);
    dragBlock(m_view->grid(), m_view->block(no), 350, {369});
    // Shrinking from the bottom leaves the start, and so the reminder, alone.
    dragBlock(m_view->grid(), m_view->block(early), 36, {20});
    Cursor &stored = items();
    stored.setFiltered(false);
    stored.refresh();
    QVERIFY(stored.locate("No", no));
    QCOMPARE(stored.asTime("St"), QTime(9, 30));
    QCOMPARE(stored.asDate("Rs"), wednesday);
    QCOMPARE(stored.asTime("Rt"), QTime(9, 15));
    QVERIFY(stored.locate("No", early));
    QCOMPARE(stored.asTime("St"), QTime(0, 0));
    QCOMPARE(stored.asDate("Rs"), wednesday.addDays(-1));
    QCOMPARE(stored.asTime("Rt"), QTime(23, 0));
}

void TestDayView::blockMenuRetypesAndDeletes()
{
    const qint64 keep = addItem("Keep", QTime(9, 0), QTime(10, 0));
    const qint64 gone = addItem("Gone", QTime(9, 0), QTime(10, 0));
    showDay(wednesday);
    QCOMPARE(m_view->block(keep)->width(), G / 2 - 3); // side by side

    dragBlock(m_view->grid(), m_view->block(keep), 350, {}); // a press makes it the menu's item
    QVERIFY(m_view->setCurrentItemType(9));
    const QImage keepBlock = pictureOf(m_view->grid(), m_view->block(keep));
    QCOMPARE(keepBlock.pixelColor(keepBlock.width() / 2, keepBlock.height() - 6), QColor(102, 204, 153));

    dragBlock(m_view->grid(), m_view->block(gone), 350, {});
    QVERIFY(m_view->deleteCurrentItem());
    QVERIFY(!m_view->block(gone));
    QCOMPARE(m_view->block(keep)->width(), G - 3); // alone again
    Cursor &stored = items();
    stored.setFiltered(false);
    stored.refresh();
    QVERIFY(!stored.locate("No", gone));
    QVERIFY(stored.locate("No", keep));
    QCOMPARE(stored.asInt("T"), 9);
}

void TestDayView::crowdedDayKeepsEveryBlockOnTheGrid()
{
    // A chain of overlaps that never ends would push later blocks past the
    // right edge; every block must stay on the grid and wide enough to grab.
    QList<qint64> numbers;
    for (int i = 0; i < 40; ++i)
        numbers << addItem(QStringLiteral("Item %1").arg(i), QTime(7, 0).addSecs(i * 15 * 60),
                           QTime(9, 0).addSecs(i * 15 * 60));
    for (int i = 0; i < 60; ++i)
        numbers << addItem(QStringLiteral("Same %1").arg(i), QTime(20, 0), QTime(21, 0));
    showDay(wednesday);
    for (qint64 no : numbers) {
        const QRect geometry = m_view->block(no)->extent();
        QVERIFY2(geometry.left() >= 0 && geometry.right() < G && geometry.width() >= 8,
                 qPrintable(QStringLiteral("item %1 at %2,%3 width %4")
                                .arg(no)
                                .arg(geometry.x())
                                .arg(geometry.y())
                                .arg(geometry.width())));
    }
}

void TestDayView::pointerShapes()
{
    const qint64 no = addItem("A", QTime(9, 0), QTime(10, 0));
    showDay(wednesday);
    DayBlock *block = m_view->block(no);
    for (const auto &[y, shape] :
         {std::pair {1, Qt::SizeVerCursor}, std::pair {15, Qt::ArrowCursor}, std::pair {36, Qt::SizeVerCursor}}) {
        sendMouse(m_view->grid(), QEvent::MouseMove, on(block, QPoint(30, y)), Qt::NoButton, Qt::NoButton);
        QCOMPARE(m_view->grid()->cursor().shape(), shape);
    }
    // Moving without the button changes nothing.
    QCOMPARE(block->extent(), QRect(0, 341, G - 3, 38));
}

void TestDayView::allDayStripAndCaption()
{
    showDay(wednesday);
    QCOMPARE(m_view->allDayStrip()->height(), 18);
    QCOMPARE(m_view->caption(), QString("Wednesday, May 1, 2024"));

    QVERIFY(addItem("Holiday", QTime(), QTime(), {{"A", true}, {"T", 4}}));
    QVERIFY(addItem(
        "Trip", QTime(), QTime(),
        {{"A", true}, {"T", 6}, {"Md", QVariant()}, {"S", wednesday.addDays(-1)}, {"E", wednesday.addDays(2)}}));
    QSignalSpy spy(m_view.get(), &DayView::captionChanged);
    showDay(wednesday);
    QCOMPARE(spy.count(), 1);
    ItemCellList *strip = m_view->allDayStrip();
    QCOMPARE(strip->rowCount(), 2);
    QCOMPARE(strip->height(), 36);
    QCOMPARE(strip->columnWidth(), strip->width() - 16);
    QVERIFY(m_view->blocks().isEmpty());
    // The band (first in start order) runs open through the left edge.
    const QImage image = strip->grab().toImage();
    QCOMPARE(image.pixelColor(3, 9), QColor(153, 255, 255));
    QCOMPARE(image.pixelColor(strip->columnWidth() / 2, 1), QColor(Qt::black));
    QCOMPARE(image.pixelColor(strip->columnWidth() - 20, 18 + 9), QColor(215, 215, 215));
    // The grid starts below the strip.
    QCOMPARE(m_view->grid()->mapTo(m_view.get(), QPoint(0, 0)).y() + m_view->scrollPosition(), 36);
}

void TestDayView::paintingACellKeepsItsCurrentRow()
{
    for (const char *subject : {"One", "Two", "Three", "Four"})
        QVERIFY(addItem(subject, QTime(), QTime(), {{"A", true}}));
    showDay(wednesday);
    ItemCellList *strip = m_view->allDayStrip();
    QCOMPARE(strip->rowCount(), 4);
    // Only the first row fits; the current row may lie in or below it.
    strip->resize(strip->width(), 18);
    Cursor &cursor = strip->cursor();
    for (const char *subject : {"Three", "One", "Four"}) {
        QVERIFY(cursor.locate("Subject", subject));
        const qint64 current = cursor.currentId();
        strip->grab();
        QCOMPARE(cursor.currentId(), current);
        QCOMPARE(cursor.asText("Subject"), QString(subject));
    }
}

void TestDayView::scrollingInWholeRows()
{
    m_view->resize(m_view->width(), 500);
    showDay(wednesday);
    QVERIFY(m_view->scrollBar()->isVisible());
    QCOMPARE(m_view->scrollBar()->singleStep(), 19);
    QCOMPARE(m_view->scrollPosition(), 361);
    // Row 19 (09:30) is the first row under the strip.
    QCOMPARE(m_view->grid()->mapTo(m_view.get(), QPoint(0, 19 * 19)).y(), 18);
    m_view->scrollBar()->setValue(100);
    QCOMPARE(m_view->scrollPosition(), 95);
    m_view->resize(m_view->width(), 18 + 930);
    QVERIFY(!m_view->scrollBar()->isVisible());
    QCOMPARE(m_view->scrollPosition(), 0);
}

void TestDayView::rulerShowsNoCutLabelUnderTheStrip_data()
{
    QTest::addColumn<int>("scroll");
    QTest::addColumn<bool>("labelOnTop");
    QTest::newRow("09:30 on top (the start)") << 367 << false;
    QTest::newRow("08:30 on top") << 323 << false;
    QTest::newRow("09:00 on top") << 342 << true;
}

// The first ruler row under the all-day strip holds either a whole hour
// label or no ink at all, never the cut-off foot of the label above.
void TestDayView::rulerShowsNoCutLabelUnderTheStrip()
{
    QFETCH(int, scroll);
    QFETCH(bool, labelOnTop);
    m_view->resize(m_view->width(), 500);
    showDay(wednesday);
    m_view->scrollBar()->setValue(scroll);
    const int stripHeight = m_view->allDayStrip()->height();
    const QImage image = m_view->grab(QRect(0, stripHeight, 55, 19)).toImage();
    // The labels are black; face and row lines are light.
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) < 100;
    QCOMPARE(ink > 0, labelOnTop);
}

void TestDayView::rebuildShowsEachBlockOnce()
{
    addItem("A", QTime(9, 0), QTime(10, 0));
    addItem("B", QTime(9, 0), QTime(9, 30));
    showDay(wednesday);
    m_view->build();
    m_view->rebuild();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(m_view->blocks().size(), 2);
    QCOMPARE(m_view->grid()->blockCount(), 2);
    m_view->removeAllBlocks();
    QCOMPARE(m_view->grid()->blockCount(), 0);
    // Once another view is current, an editor's rebuild leaves it alone.
    m_view->setShowing(false);
    m_view->rebuild();
    QCOMPARE(m_view->grid()->blockCount(), 0);
}

void TestDayView::overlappingBlocksStackInOrder()
{
    // A later block covers an earlier one, in the picture and for the
    // mouse, until the earlier one is raised; one pixel below the extent
    // still belongs to the block.
    DayGrid grid;
    grid.resize(200, 912);
    DayBlock lower(1), upper(2);
    lower.setExtent(QRect(0, 341, 120, 38));
    lower.setAppearance(QColor(255, 0, 0), QString(), Marker::None);
    upper.setExtent(QRect(60, 360, 120, 38));
    upper.setAppearance(QColor(0, 255, 0), QString(), Marker::None);
    grid.addBlock(&lower);
    grid.addBlock(&upper);
    const QPoint overlap(90, 370);
    QCOMPARE(grid.blockAt(overlap), &upper);
    QCOMPARE(grid.grab().toImage().pixelColor(overlap), QColor(0, 255, 0));
    QCOMPARE(grid.blockAt(QPoint(10, 379)), &lower);
    QCOMPARE(grid.blockAt(QPoint(10, 380)), nullptr);
    grid.raiseBlock(&lower);
    QCOMPARE(grid.blockAt(overlap), &lower);
    QCOMPARE(grid.grab().toImage().pixelColor(overlap), QColor(255, 0, 0));
    grid.removeBlock(&lower);
    QCOMPARE(grid.blockAt(overlap), &upper);
    QCOMPARE(grid.blockCount(), 1);
    grid.removeAllBlocks();
}

void TestDayView::itemSavedElsewhereGetsABlock()
{
    const qint64 a = addItem("A", QTime(9, 0), QTime(11, 0));
    showDay(wednesday);
    // What the event editor does after saving a new item of the shown date.
    const qint64 b = addItem("B", QTime(10, 0), QTime(10, 30));
    m_view->addBlock(b);
    QVERIFY(m_view->block(b));
    m_view->relayoutBlocks();
    QCOMPARE(m_view->block(a)->extent(), QRect(0, 341, G / 2 - 3, 76));
    QCOMPARE(m_view->block(b)->extent(), QRect(G / 2, 379, G - G / 2, 19));
    QCOMPARE(m_view->block(b)->label(), QString("10:00am-10:30am B"));
}

void TestDayView::followsTheNavigatorDate()
{
    QDate navigator = sunday;
    m_view->setShownDateSource([&navigator] { return navigator; });
    QCOMPARE(m_view->shownDate(), sunday);
    m_view->build();
    QCOMPARE(m_view->caption(), QString("Sunday, May 5, 2024"));
    // Without a build the blocks stay, but commands see the new date.
    navigator = wednesday;
    QCOMPARE(m_view->shownDate(), wednesday);
    QCOMPARE(m_view->caption(), QString("Sunday, May 5, 2024"));
    m_view->setShownDateSource({});
}

QTEST_MAIN(TestDayView)
#include "test_day_view.moc"
