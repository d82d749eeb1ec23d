#include "store/Clock.h"
#include "store/Cursor.h"
#include "printing/DayPrintBlocks.h"
#include "views/DayView.h"
#include "views/OccurrenceRules.h"
#include "printing/PrintPreview.h"
#include "tests/support/TestSupport.h"
#include "views/TypeColors.h"
#include "store/Unit2.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <memory>

// The printed pages, checked on their body pictures at the page
// coordinates: the daily grid and blocks, the weekly boxes, the monthly
// cells and bands, the task pad column and the frame around the body.
class TestPrintLayouts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dailyStartsAtThePrintFromHour();
    void pdfTextIsWhatThePageShows();
    void overlapPrintsInTheRightHalf();
    void allDayStripHoldsNine();
    void dailyTaskPadOnA4();
    void weekdayHoldsFourteenOnLetter();
    void weeklyColumnsWithTheTaskPad_data();
    void weeklyColumnsWithTheTaskPad();
    void timedRowInTheWeek();
    void monthCellHoldsFive();
    void bandFromThursdayToTuesday();
    void neighbouringMonthPrintsWhite();
    void monthPrintsTheCellsAsTheViewFilteredThem();
    void cursorsNoViewFilteredFollowTheNextPage();
    void taskPadPrintsFortyFour();
    void taskPadPrintsTheTaskPadsView();
    void printDate_data();
    void printDate();
    void monthlyFrameFollowsThePaper_data();
    void monthlyFrameFollowsThePaper();
    void daysPastTheLastDatePrintEmpty_data();
    void daysPastTheLastDatePrintEmpty();

private:
    qint64 addItem(const QString &subject, const QDate &s, const QDate &e, const QTime &st, const QTime &et, int type,
                   const QVariantMap &more = {});
    void addTask(const QString &subject, bool done);
    void setOptions(std::initializer_list<std::pair<int, QVariant>> values);
    PrintPreview::Request request(PrintPreview::View view, const QDate &date);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    std::unique_ptr<PrintPreview> m_preview;
};

namespace {

const QDate tuesday(2025, 3, 4);         // in the week of Monday 3 March 2025
const QDate marchFirstCell(2025, 2, 24); // the month view of March 2025 starts here
const QColor black(Qt::black);
const QColor white(Qt::white);

bool isBlack(const QColor &c)
{
    return c.red() < 60 && c.green() < 60 && c.blue() < 60;
}

// Whether a strip of the picture holds any dark pixel (text, icons).
bool hasInk(const ReportPage &page, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isBlack(page.bodyPixel(x, y)))
                return true;
    return false;
}

// Whether a part of the picture is white throughout.
bool allWhite(const ReportPage &page, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (page.bodyPixel(x, y) != QColor(Qt::white))
                return false;
    return true;
}

// The page at one pixel per unit.
QImage pageAt96(const ReportPage &page)
{
    const QSize size = page.pageLayout().fullRectPixels(96).size();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    page.paintPage(painter);
    return image;
}

} // namespace

void TestPrintLayouts::initTestCase()
{
    pinTestLocale();
    Clock::setNowForTesting(QDateTime(tuesday, QTime(17, 13)));
}

void TestPrintLayouts::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    m_preview = std::make_unique<PrintPreview>(*m_data);
    setOptions({{20, true}, {30, false}, {49, false}, {50, false}, {52, false}, {53, 0}});
}

void TestPrintLayouts::cleanup()
{
    m_preview.reset();
    m_data.reset();
    m_home.reset();
}

qint64 TestPrintLayouts::addItem(const QString &subject, const QDate &s, const QDate &e, const QTime &st,
                                 const QTime &et, int type, const QVariantMap &more)
{
    Cursor &cursor = m_data->Table50();
    cursor.insert();
    cursor.setValue("Subject", subject);
    cursor.setValue("S", s);
    cursor.setValue("E", e);
    cursor.setValue("Md", s == e ? "0" : "1");
    cursor.setValue("St", st.isValid() ? QVariant(st) : QVariant());
    cursor.setValue("Et", et.isValid() ? QVariant(et) : QVariant());
    cursor.setValue("T", type);
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        cursor.cancel();
        return 0;
    }
    return cursor.currentId();
}

void TestPrintLayouts::addTask(const QString &subject, bool done)
{
    Cursor &cursor = m_data->Table47();
    cursor.insert();
    cursor.setValue("Subject", subject);
    cursor.setValue("Ta", true);
    cursor.setValue("C", done);
    cursor.setValue("P", "Normal");
    QVERIFY2(cursor.post(), qPrintable(cursor.lastError()));
}

void TestPrintLayouts::setOptions(std::initializer_list<std::pair<int, QVariant>> values)
{
    QVERIFY2(m_data->options().change(values), qPrintable(m_data->Table60().lastError()));
}

PrintPreview::Request TestPrintLayouts::request(PrintPreview::View view, const QDate &date)
{
    PrintPreview::Request r;
    r.view = view;
    r.shownDate = date;
    r.title = QStringLiteral("Title");
    r.weekFirstDate = date.addDays(1 - date.dayOfWeek());
    r.monthFirstDate = marchFirstCell;
    r.now = Clock::now();
    if (view == PrintPreview::View::Day)
        r.dayBlocks = m_preview->layOutDay(date);
    return r;
}

void TestPrintLayouts::dailyStartsAtThePrintFromHour()
{
    setOptions({{53, 7}});
    addItem("Seven", tuesday, tuesday, QTime(7, 0), QTime(8, 0), 1);
    addItem("Six", tuesday, tuesday, QTime(6, 0), QTime(6, 30), 2);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Day, tuesday)));
    const TForm11 &page = m_preview->daily();

    QCOMPARE(page.hourLabels().size(), 17);
    QCOMPARE(page.hourLabels().first(), QStringLiteral("7"));
    QCOMPARE(page.hourLabels().last(), QStringLiteral("11"));
    // The 7:00 block (top 265 in the day view's grid) prints from y = 169:
    // its outline lies on the grid's 7:00 and 8:00 lines, one line each.
    QVERIFY(isBlack(page.bodyPixel(400, 169)));
    QCOMPARE(page.bodyPixel(400, 170), TypeColors::color(1));
    QCOMPARE(page.bodyPixel(400, 206), TypeColors::color(1));
    QVERIFY(isBlack(page.bodyPixel(400, 207)));
    QCOMPARE(page.bodyPixel(400, 208), white);
    // The 6:00 block lay above the grid and is cut off.
    for (int y = 120; y < 169; y += 4)
        QCOMPARE(page.bodyPixel(400, y), white);
}

// A block above the printed hours is cut off on paper, so its subject is
// not in the PDF's text either; a shown block's is.
void TestPrintLayouts::pdfTextIsWhatThePageShows()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    setOptions({{53, 7}});
    addItem("Seven o'clock", tuesday, tuesday, QTime(7, 0), QTime(8, 0), 1);
    addItem("Six o'clock", tuesday, tuesday, QTime(6, 0), QTime(6, 30), 2);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Day, tuesday)));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("day.pdf"));
    const Outcome written = PrintPreview::writePdf(m_preview->daily(), pdf);
    QVERIFY2(written, qPrintable(written.error()));
    QProcess extract;
    extract.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(extract.waitForFinished(30000));
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("7:00am-8:00am Seven o'clock")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("Six o'clock")), qPrintable(text));
}

void TestPrintLayouts::overlapPrintsInTheRightHalf()
{
    addItem("Left", tuesday, tuesday, QTime(9, 0), QTime(10, 0), 1);
    addItem("Right", tuesday, tuesday, QTime(9, 0), QTime(10, 0), 2);
    DayView view(*m_data);
    view.resize(55 + 401 + 16, 600);
    view.setShownDate(tuesday);
    view.show();
    view.build();

    PrintPreview::Request r = request(PrintPreview::View::Day, tuesday);
    r.dayBlocks = DayPrintBlocks::fromDayView(view);
    QCOMPARE(r.dayBlocks.blocks.size(), 2);
    QVERIFY(m_preview->prepare(r));
    const TForm11 &page = m_preview->daily();
    const int A = 720 - 65;
    const int y = 169 + 9 * 38 + 10;
    QCOMPARE(page.bodyPixel(65 + A / 4, y), TypeColors::color(1));
    QCOMPARE(page.bodyPixel(65 + 3 * A / 4, y), TypeColors::color(2));
}

void TestPrintLayouts::allDayStripHoldsNine()
{
    for (int i = 0; i < 12; ++i)
        addItem(QStringLiteral("Holiday %1").arg(i), tuesday, tuesday, QTime(), QTime(), 1 + i % 10);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Day, tuesday)));
    const TForm11 &page = m_preview->daily();
    Cursor &strip = m_data->Table49();
    strip.first();
    for (int i = 0; i < 9; ++i, strip.next())
        QCOMPARE(page.bodyPixel(600, 18 * i + 10), TypeColors::color(strip.asInt("T")));
    // A tenth row would lie at 165..181; above the grid line there is only white.
    QCOMPARE(page.bodyPixel(600, 167), white);
}

void TestPrintLayouts::dailyTaskPadOnA4()
{
    setOptions({{20, false}, {49, true}});
    addItem("Meeting", tuesday, tuesday, QTime(9, 0), QTime(10, 0), 3);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Day, tuesday)));
    const TForm11 &page = m_preview->daily();
    QCOMPARE(page.geometry().W - page.geometry().T, 531);
    const int y = 169 + 9 * 38 + 10;
    QCOMPARE(page.bodyPixel(525, y), TypeColors::color(3)); // the block fills the column up to its edge
    QVERIFY(isBlack(page.bodyPixel(531, y)));               // the grid's right outline
    QCOMPARE(page.bodyPixel(540, y), white);                // the task pad column
    QVERIFY(isBlack(page.bodyPixel(695, y)));               // its right outline at W - 1
    QVERIFY(hasInk(page, QRect(531 + 41, 3, 40, 10)));      // "Task Pad"
}

void TestPrintLayouts::weekdayHoldsFourteenOnLetter()
{
    const QDate monday = tuesday.addDays(-1);
    for (int i = 0; i < 20; ++i)
        addItem(QStringLiteral("A%1").arg(i), tuesday, tuesday, QTime(7, 0).addSecs(i * 1800),
                QTime(7, 30).addSecs(i * 1800), 4);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Week, monday)));
    const TForm10 &page = m_preview->weekly();
    const TForm10::Day day = page.day(2, tuesday);
    QCOMPARE(day.maxRows(), 14);
    QCOMPARE(page.day(6, tuesday).maxRows(), 6);
    QCOMPARE(page.bodyPixel(340, 275 + 18 * 14 + 8), TypeColors::color(4));
    QCOMPARE(page.bodyPixel(340, 275 + 18 * 15 + 8), white);
}

void TestPrintLayouts::weeklyColumnsWithTheTaskPad_data()
{
    QTest::addColumn<bool>("letter");
    QTest::addColumn<bool>("taskPad");
    QTest::addColumn<int>("K");
    QTest::addColumn<int>("taskLeft");
    QTest::addColumn<int>("sundayTop");
    QTest::addColumn<int>("sundayHeight");
    QTest::newRow("Letter with the task pad") << true << true << 275 << 550 << 688 << 137;
    QTest::newRow("Letter without") << true << false << 360 << 720 << 688 << 137;
    // On A4 the two day columns (532) reach one unit into the task column.
    QTest::newRow("A4 with the task pad") << false << true << 266 << 531 << 746 << 148;
    QTest::newRow("A4 without") << false << false << 348 << 696 << 746 << 148;
}

void TestPrintLayouts::weeklyColumnsWithTheTaskPad()
{
    QFETCH(bool, letter);
    QFETCH(bool, taskPad);
    QFETCH(int, K);
    QFETCH(int, taskLeft);
    QFETCH(int, sundayTop);
    QFETCH(int, sundayHeight);
    setOptions({{20, letter}, {50, taskPad}});
    const QDate thursday = tuesday.addDays(2);
    addItem("Thursday", thursday, thursday, QTime(), QTime(), 5);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Week, tuesday)));
    const TForm10 &page = m_preview->weekly();

    QCOMPARE(page.geometry().K, K);
    QCOMPARE(page.headerBox().width(), letter ? 720 : 696);
    QVERIFY(isBlack(page.bodyPixel(0, 100))); // Monday's left edge
    QVERIFY(isBlack(page.bodyPixel(K, 100))); // Thursday's left edge
    QCOMPARE(page.bodyPixel(K + 1, 100), white);
    // Thursday's all-day box spans its column.
    QCOMPARE(page.bodyPixel(K + K - 8, 18 + 8), TypeColors::color(5));
    QVERIFY(isBlack(page.bodyPixel(K + K - 6, 18 + 8)));
    QCOMPARE(page.bodyPixel(K + K - 4, 18 + 8), white);
    // Sunday's bottom edge.
    QVERIFY(isBlack(page.bodyPixel(K + 100, sundayTop + sundayHeight - 1)));
    if (taskPad) {
        QVERIFY(isBlack(page.bodyPixel(taskLeft, 400)));
        QVERIFY(isBlack(page.bodyPixel(page.geometry().W - 1, 400)));
        QCOMPARE(page.geometry().W - page.geometry().T, taskLeft);
    } else {
        QCOMPARE(page.bodyPixel(2 * K - 1, 400), white);
    }
}

void TestPrintLayouts::timedRowInTheWeek()
{
    setOptions({{30, true}});
    addItem("Dentist", tuesday, tuesday, QTime(9, 0), QTime(10, 30), 6);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Week, tuesday)));
    const TForm10 &page = m_preview->weekly();
    const int S = 275 + 18;
    QVERIFY(hasInk(page, QRect(5, S + 2, 30, 12)));  // 09:00
    QVERIFY(hasInk(page, QRect(40, S + 2, 30, 12))); // 10:30 ...
    QCOMPARE(page.bodyPixel(4, S + 8), TypeColors::color(6));
    QCOMPARE(page.bodyPixel(3, S + 8), white);
    QCOMPARE(page.bodyPixel(360 - 6, S + 8), TypeColors::color(6)); // an open row: no box
}

void TestPrintLayouts::monthCellHoldsFive()
{
    const QDate wednesday(2025, 3, 12); // cell 17: week row 2, column 2
    const QDate saturday(2025, 3, 15);  // cell 20
    for (int i = 0; i < 7; ++i)
        addItem(QStringLiteral("W%1").arg(i), wednesday, wednesday, QTime(8 + i, 0), QTime(8 + i, 30), 7);
    for (int i = 0; i < 3; ++i)
        addItem(QStringLiteral("S%1").arg(i), saturday, saturday, QTime(8 + i, 0), QTime(8 + i, 30), 7);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Month, wednesday)));
    const TForm9 &page = m_preview->monthly();
    const int J = 160;
    const int wedLeft = 2 * J;
    const int rowTop = 2 * 110;
    QCOMPARE(page.bodyPixel(wedLeft + J - 10, rowTop + 18 * 5 + 9), TypeColors::color(7));
    QCOMPARE(page.bodyPixel(wedLeft + J - 10, rowTop + 18 * 6 + 9), white); // the next week row's title
    const int satLeft = 5 * J;
    QCOMPARE(page.bodyPixel(satLeft + J - 10, rowTop + 18 * 2 + 9), TypeColors::color(7));
    QCOMPARE(page.bodyPixel(satLeft + 20, rowTop + 18 * 3 + 9), white); // Sunday's title row
    // The grid is 960 wide on Letter; the rest of the picture stays white.
    QCOMPARE(page.bodyPixel(6 * J + 10, rowTop + 30), white);
    // The drawing moved the cursor; it is set back to its first row.
    Cursor &cell = m_data->table(17);
    QCOMPARE(cell.asText("Subject"), QStringLiteral("W0"));
}

void TestPrintLayouts::monthPrintsTheCellsAsTheViewFilteredThem()
{
    // A month view that shows February (the navigator since moved into
    // March by a click in a grey cell) keeps its cursors; the page prints
    // its rows and leaves the filters alone.
    const QDate february(2025, 2, 3);
    addItem("February", QDate(2025, 2, 5), QDate(2025, 2, 5), QTime(9, 0), QTime(10, 0), 9);
    for (int n = 1; n <= 42; ++n)
        OccurrenceRules::occursOn(m_data->table(n), february.addDays(n - 1));
    const QString viewFilter = m_data->table(3).filter();
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Month, QDate(2025, 3, 12))));
    QCOMPARE(m_data->table(3).filter(), viewFilter);
    QCOMPARE(m_preview->monthly().bodyPixel(2 * 160 + 100, 18 + 9), TypeColors::color(9));
}

void TestPrintLayouts::bandFromThursdayToTuesday()
{
    const QDate thursday(2025, 3, 6);     // cell 11
    const QDate nextTuesday(2025, 3, 11); // cell 16
    addItem("Conference", thursday, nextTuesday, QTime(), QTime(), 8);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Month, thursday)));
    const TForm9 &page = m_preview->monthly();
    const int J = 160;
    const int V1 = 110 + 18;      // first item row of the second week row
    const int sundayV = 165 + 18; // Sunday 9 March: cell 14, the lower half beside Friday
    const int V3 = 220 + 18;      // third week row
    struct Cell
    {
        const char *name;
        int P;
        int V;
        bool start;
        bool end;
    };
    const Cell cells[] = {
        {"Thursday", 3 * J, V1, true, false},  {"Friday", 4 * J, V1, false, false},
        {"Saturday", 5 * J, V1, false, false}, {"Sunday", 5 * J, sundayV, false, false},
        {"Monday", 0, V3, false, false},       {"Tuesday", J, V3, false, true},
    };
    for (const Cell &c : cells) {
        const int y = c.V + 9;
        QVERIFY2(isBlack(page.bodyPixel(c.P + 30, c.V + 1)), c.name); // band edges
        QVERIFY2(isBlack(page.bodyPixel(c.P + 30, c.V + 16)), c.name);
        QCOMPARE(isBlack(page.bodyPixel(c.P + 4, y)), c.start);
        QCOMPARE(isBlack(page.bodyPixel(c.P + J - 6, y)), c.end);
    }
    // The subject starts in Thursday's cell, again in the Sunday half and
    // again on Monday; in Friday it runs on past the cell.
    QVERIFY(hasInk(page, QRect(3 * J + 5, V1 + 3, 20, 11)));
    QVERIFY(hasInk(page, QRect(5 * J + 5, sundayV + 3, 20, 11)));
    QVERIFY(hasInk(page, QRect(5, V3 + 3, 20, 11)));
    QVERIFY(!hasInk(page, QRect(4 * J + 8, V1 + 3, 100, 11)));
}

void TestPrintLayouts::cursorsNoViewFilteredFollowTheNextPage()
{
    // Without a week view the page filters the day cursors itself, and
    // again for the next week.
    const QDate nextTuesday = tuesday.addDays(7);
    addItem("Next week", nextTuesday, nextTuesday, QTime(), QTime(), 10);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Week, tuesday)));
    QCOMPARE(m_preview->weekly().bodyPixel(100, 275 + 18 + 8), white);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Week, nextTuesday)));
    QCOMPARE(m_preview->weekly().bodyPixel(100, 275 + 18 + 8), TypeColors::color(10));
}

void TestPrintLayouts::neighbouringMonthPrintsWhite()
{
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Month, QDate(2025, 3, 12))));
    const TForm9 &page = m_preview->monthly();
    // 24 February (cell 1) is grey on screen; on paper it is white.
    QCOMPARE(page.bodyPixel(20, 60), white);
    QCOMPARE(TForm9::cellTitle(1, marchFirstCell), QStringLiteral("February 24"));
    QCOMPARE(TForm9::cellTitle(6, QDate(2025, 3, 1)), QStringLiteral("March 1"));
    QCOMPARE(TForm9::cellTitle(7, QDate(2025, 3, 2)), QStringLiteral("2"));
}

void TestPrintLayouts::taskPadPrintsFortyFour()
{
    setOptions({{50, true}});
    for (int i = 1; i <= 50; ++i)
        addTask(QStringLiteral("Task %1").arg(i), i % 2 == 0);
    addItem("Not a task", tuesday, tuesday, QTime(9, 0), QTime(10, 0), 1);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Week, tuesday)));
    const TForm10 &page = m_preview->weekly();
    const int x0 = 550;
    // The task picture's top edge in row r; the completion box's blue frame.
    QVERIFY(isBlack(page.bodyPixel(x0 + 3 + 4, 18 * 44 + 2)));
    QVERIFY(!isBlack(page.bodyPixel(x0 + 3 + 4, 18 * 45 + 2)));
    QCOMPARE(page.bodyPixel(x0 + 20, 18 * 44 + 2), QColor(0, 0, 255));
    QCOMPARE(page.bodyPixel(x0 + 20, 18 * 45 + 2), white);
    QVERIFY(hasInk(page, QRect(x0 + 40, 18 * 44 + 2, 40, 12)));
}

void TestPrintLayouts::taskPadPrintsTheTaskPadsView()
{
    setOptions({{49, true}});
    addTask("Open", false);
    addTask("Done", true);
    // The task pad has its cursor on a view of its own; the page keeps it.
    Cursor &tasks = m_data->Table47();
    QVERIFY(tasks.setFilter("Ta='True' and C='True'"));
    tasks.setFiltered(true);
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Day, tuesday)));
    const TForm11 &page = m_preview->daily();
    const int x0 = 720 - 170;
    QVERIFY(hasInk(page, QRect(x0 + 40, 18 + 2, 40, 12)));
    QVERIFY(!hasInk(page, QRect(x0 + 40, 36 + 2, 40, 12)));
    QCOMPARE(tasks.filter(), QStringLiteral("Ta='True' and C='True'"));
}

void TestPrintLayouts::printDate_data()
{
    QTest::addColumn<bool>("use24Hour");
    QTest::addColumn<QString>("expected");
    QTest::newRow("12-hour clock") << false << "3/4/2025 5:13 PM";
    QTest::newRow("24-hour clock") << true << "3/4/2025 17:13";
}

void TestPrintLayouts::printDate()
{
    QFETCH(bool, use24Hour);
    QFETCH(QString, expected);
    setOptions({{30, use24Hour}, {52, true}});
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Week, tuesday)));
    const TForm10 &page = m_preview->weekly();
    QCOMPARE(page.printDate(), expected);
    QVERIFY(page.printDateShown());
    QCOMPARE(page.printDateRect().x() + page.printDateRect().width(), 48 + 720);
    QCOMPARE(page.printDateRect().y(), 824 + 168);

    setOptions({{52, false}});
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Week, tuesday)));
    QVERIFY(!page.printDateShown());
}

void TestPrintLayouts::monthlyFrameFollowsThePaper_data()
{
    QTest::addColumn<bool>("letter");
    QTest::addColumn<int>("width");
    QTest::newRow("Letter") << true << 960;
    QTest::newRow("A4") << false << 1026;
}

void TestPrintLayouts::monthlyFrameFollowsThePaper()
{
    QFETCH(bool, letter);
    QFETCH(int, width);
    setOptions({{20, letter}});
    QVERIFY(m_preview->prepare(request(PrintPreview::View::Month, QDate(2025, 3, 12))));
    const TForm9 &page = m_preview->monthly();
    QCOMPARE(page.pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(page.pageLayout().pageSize().id(), letter ? QPageSize::Letter : QPageSize::A4);
    const QImage image = pageAt96(page);
    QVERIFY(isBlack(image.pixelColor(48 + width - 1, 40)));  // header box
    QVERIFY(isBlack(image.pixelColor(48 + width - 1, 749))); // the rule under the grid
    QCOMPARE(image.pixelColor(48 + width + 1, 749), white);
    QVERIFY(isBlack(image.pixelColor(48 + (width / 6) * 5, 90 + 300))); // the weekend column's edge
}

void TestPrintLayouts::daysPastTheLastDatePrintEmpty_data()
{
    QTest::addColumn<int>("view");
    QTest::newRow("month") << int(PrintPreview::View::Month);
    QTest::newRow("week") << int(PrintPreview::View::Week);
}

// The weeks around 9999-12-31 run on past the last date a calendar holds:
// those days print as empty boxes, not with whatever their cursors list.
void TestPrintLayouts::daysPastTheLastDatePrintEmpty()
{
    QFETCH(int, view);
    const QDate last(9999, 12, 31); // a Friday
    addItem("Last", last, last, QTime(9, 0), QTime(10, 0), 3);
    addItem("Unrelated", tuesday, tuesday, QTime(9, 0), QTime(10, 0), 4);
    addTask("A task", false);

    PrintPreview::Request r = request(PrintPreview::View(view), last);
    r.monthFirstDate = QDate(9999, 11, 29); // the Monday before 9999-12-01
    QVERIFY(m_preview->prepare(r));
    if (PrintPreview::View(view) == PrintPreview::View::Month) {
        const TForm9 &page = m_preview->monthly();
        const int J = page.geometry().J;
        // 9999-12-31 is cell 33 (Friday of the fifth week row): its first row.
        const int fifthRow = 4 * TForm9::CellHeight;
        QCOMPARE(page.bodyPixel(4 * J + 80, fifthRow + 18 + 9), TypeColors::color(3));
        // Saturday and Sunday after it, and the whole sixth week row: nothing inside.
        QVERIFY(allWhite(page, QRect(5 * J + 2, fifthRow + 1, J - 4, TForm9::WeekendHalf - 2)));
        QVERIFY(allWhite(page, QRect(5 * J + 2, fifthRow + TForm9::WeekendHalf + 1, J - 4, TForm9::WeekendHalf - 2)));
        for (int column = 0; column < 5; ++column)
            QVERIFY(allWhite(page, QRect(column * J + 2, 5 * TForm9::CellHeight + 1, J - 4, TForm9::CellHeight - 2)));
    } else {
        const TForm10 &page = m_preview->weekly();
        const TForm10::Day friday = page.day(5, last);
        QCOMPARE(page.bodyPixel(friday.m + 100, friday.y + 18 + 8), TypeColors::color(3));
        for (int k : {6, 7}) {
            const TForm10::Day d = page.day(k, last.addDays(k - 5));
            QVERIFY2(allWhite(page, QRect(d.m + 2, d.y + 2, d.K - 4, d.h - 4)), qPrintable(QString::number(k)));
        }
    }
}

QTEST_MAIN(TestPrintLayouts)
#include "test_print_layouts.moc"
