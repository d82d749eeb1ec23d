#include "views/MarkerIcons.h"
#include "views/MonthPainters.h"
#include "views/StripPainter.h"
#include "tests/support/TestSupport.h"
#include "views/TypeColors.h"
#include "views/WeekPainter.h"

#include <QPainter>
#include <QtTest>

// The row painters checked on the pixels of rendered cells.
class TestCellPainters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }

    void backgrounds_data();
    void backgrounds();
    void bandCaps_data();
    void bandCaps();
    void bandTextContinuesAcrossCells_data();
    void bandTextContinuesAcrossCells();
    void twelveHourTimesEndInOneColumn();
    void markers_data();
    void markers();
    void swatches_data();
    void swatches();
    void combinedIconIsBothSideBySide();
    void narrowStripKeepsTextInItsBox_data();
    void narrowStripKeepsTextInItsBox();
};

namespace {

enum class Kind { Monday, Midweek, Saturday, Sunday, Week, Strip };

const RowPainter &painterFor(Kind kind)
{
    static const MondayPainter monday;
    static const MidweekPainter midweek;
    static const SaturdayPainter saturday;
    static const SundayPainter sunday;
    static const WeekPainter week;
    static const StripPainter strip;
    switch (kind) {
    case Kind::Monday:
        return monday;
    case Kind::Midweek:
        return midweek;
    case Kind::Saturday:
        return saturday;
    case Kind::Sunday:
        return sunday;
    case Kind::Week:
        return week;
    case Kind::Strip:
        break;
    }
    return strip;
}

constexpr int cellWidth = 120;
const QDate wednesday(2024, 5, 1);
const QColor selection(49, 106, 197);
const QColor grey(212, 208, 200);
const QColor important(255, 153, 153);

// One row of 18 pixels at the top of a cell `width` wide, in a picture
// `imageWidth` wide (0: as wide as the row) to show what runs past it.
QImage render(Kind kind, const ItemRow &item, const CellContext &cell, bool current = false, int width = cellWidth,
              int imageWidth = 0)
{
    QImage image(qMax(width, imageWidth), 18, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painterFor(kind).paint(painter, QRect(0, 0, width, 18), item, current, cell);
    return image;
}

ItemRow timed(qint64 no, int type, const QTime &start = QTime(9, 0), const QTime &end = QTime(10, 0))
{
    ItemRow row;
    row.No = no;
    row.T = type;
    row.S = row.E = wednesday;
    row.St = start;
    row.Et = end;
    return row;
}

ItemRow band(qint64 no, const QDate &first, const QDate &last, const QString &subject = QString())
{
    ItemRow row;
    row.No = no;
    row.T = 3;
    row.S = first;
    row.E = last;
    row.A = true;
    row.Subject = subject;
    return row;
}

CellContext cellOn(const QDate &date)
{
    CellContext cell;
    cell.date = date;
    return cell;
}

bool isBlack(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y) == QColor(Qt::black);
}

// Columns of [from, to) that hold a pixel other than `ground` in the text rows.
QList<int> inkColumns(const QImage &image, int from, int to, const QColor &ground)
{
    QList<int> columns;
    for (int x = from; x < to; ++x)
        for (int y = 3; y <= 14; ++y)
            if (image.pixelColor(x, y) != ground) {
                columns << x;
                break;
            }
    return columns;
}

} // namespace

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(ItemRow)
Q_DECLARE_METATYPE(CellContext)

void TestCellPainters::narrowStripKeepsTextInItsBox_data()
{
    QTest::addColumn<ItemRow>("item");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("boxRight"); // the box's right side, -1 for a band

    const QString subject = QStringLiteral("Regional planning conference with the whole team");
    ItemRow box = band(5, wednesday, wednesday, subject);
    ItemRow marked = box;
    marked.R = marked.Re = true; // the 32-pixel combined icon
    QTest::newRow("all-day box") << box << 60 << 56;
    QTest::newRow("all-day box with both markers") << marked << 30 << 26;
    QTest::newRow("band through the day") << band(6, wednesday.addDays(-1), wednesday.addDays(1), subject) << 60 << -1;
}

// The strip's column is narrower than the strip by its scroll bar; nothing
// of the row may show beyond its box, nor beside the column.
void TestCellPainters::narrowStripKeepsTextInItsBox()
{
    QFETCH(ItemRow, item);
    QFETCH(int, width);
    QFETCH(int, boxRight);
    const int stripWidth = width + 16;
    const QImage image = render(Kind::Strip, item, cellOn(wednesday), false, width, stripWidth);
    const QColor fill = TypeColors::color(3);
    QCOMPARE(inkColumns(image, width - 3, stripWidth, Qt::white), QList<int>());
    if (boxRight >= 0) {
        for (int y = 1; y <= 16; ++y)
            QVERIFY(isBlack(image, boxRight, y));
    }
    // The subject (or its icon) is there, cut at the box.
    QVERIFY(!inkColumns(image, 6, width - 6, fill).isEmpty());
}

void TestCellPainters::backgrounds_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<ItemRow>("item");
    QTest::addColumn<CellContext>("cell");
    QTest::addColumn<bool>("current");
    QTest::addColumn<QColor>("expected");

    CellContext focused = cellOn(wednesday);
    focused.selectedItemNo = QStringLiteral("7");
    focused.hasFocus = true;
    CellContext unfocused = focused;
    unfocused.hasFocus = false;
    CellContext neighbouring = cellOn(wednesday);
    neighbouring.background = grey;
    CellContext stripFocused = cellOn(wednesday);
    stripFocused.hasFocus = true;
    CellContext stripEmpty = stripFocused;
    stripEmpty.cursorEmpty = true;

    QTest::newRow("month: selected one-day item in the focused cell")
        << Kind::Midweek << timed(7, 1) << focused << false << selection;
    QTest::newRow("month: selected one-day item, focus elsewhere")
        << Kind::Midweek << timed(7, 1) << unfocused << false << important;
    QTest::newRow("month: selected band stays highlighted without focus")
        << Kind::Monday << band(7, wednesday.addDays(-1), wednesday.addDays(1)) << unfocused << false << selection;
    QTest::newRow("month: other item while one is selected")
        << Kind::Midweek << timed(8, 1) << focused << false << important;
    QTest::newRow("month: timed standard item on a neighbouring month's day")
        << Kind::Midweek << timed(3, 0) << neighbouring << false << grey;
    QTest::newRow("month: timed important item on a neighbouring month's day")
        << Kind::Midweek << timed(3, 1) << neighbouring << false << important;
    QTest::newRow("month: standard band takes the type colour, not the cell's")
        << Kind::Saturday << band(3, wednesday.addDays(-1), wednesday.addDays(1)) << neighbouring << false
        << TypeColors::color(3);
    QTest::newRow("month: empty row of a grey cell") << Kind::Sunday << ItemRow() << neighbouring << false << grey;
    QTest::newRow("week: timed standard item is white")
        << Kind::Week << timed(3, 0) << neighbouring << false << QColor(Qt::white);
    QTest::newRow("week: selected one-day item in the focused cell")
        << Kind::Week << timed(7, 2) << focused << false << selection;
    QTest::newRow("week: selected one-day item, focus elsewhere")
        << Kind::Week << timed(7, 2) << unfocused << false << TypeColors::color(2);
    QTest::newRow("strip: current row with focus")
        << Kind::Strip << band(5, wednesday, wednesday) << stripFocused << true << selection;
    QTest::newRow("strip: current row without focus")
        << Kind::Strip << band(5, wednesday, wednesday) << unfocused << true << TypeColors::color(3);
    QTest::newRow("strip: other row with focus")
        << Kind::Strip << band(5, wednesday, wednesday) << stripFocused << false << TypeColors::color(3);
    QTest::newRow("strip: empty cursor") << Kind::Strip << ItemRow() << stripEmpty << false << QColor(Qt::white);
}

void TestCellPainters::backgrounds()
{
    QFETCH(Kind, kind);
    QFETCH(ItemRow, item);
    QFETCH(CellContext, cell);
    QFETCH(bool, current);
    QFETCH(QColor, expected);
    // A point of the row's fill clear of text and line work.
    QCOMPARE(render(kind, item, cell, current).pixelColor(cellWidth - 20, 9), expected);
}

void TestCellPainters::bandCaps_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("dayOfBand"); // 0, 1, 2 of a three-day band
    QTest::addColumn<int>("leftCapX");
    QTest::addColumn<int>("rightCapX");
    QTest::addColumn<bool>("leftCap");
    QTest::addColumn<bool>("rightCap");

    const int R = cellWidth;
    for (Kind kind : {Kind::Week, Kind::Strip, Kind::Monday, Kind::Midweek}) {
        const char *name = kind == Kind::Week ? "week"
            : kind == Kind::Strip             ? "strip"
            : kind == Kind::Monday            ? "monday"
                                              : "midweek";
        QTest::addRow("%s: first day", name) << kind << 0 << 3 << R - 4 << true << false;
        QTest::addRow("%s: middle day", name) << kind << 1 << 3 << R - 4 << false << false;
        QTest::addRow("%s: last day", name) << kind << 2 << 3 << R - 4 << false << true;
    }
}

void TestCellPainters::bandCaps()
{
    QFETCH(Kind, kind);
    QFETCH(int, dayOfBand);
    QFETCH(int, leftCapX);
    QFETCH(int, rightCapX);
    QFETCH(bool, leftCap);
    QFETCH(bool, rightCap);

    const ItemRow item = band(4, wednesday, wednesday.addDays(2));
    CellContext cell = cellOn(wednesday.addDays(dayOfBand));
    cell.columnPitch = cellWidth;
    cell.columnIndex = 2 + dayOfBand;
    const QImage image = render(kind, item, cell);
    // The band's edges run through every cell; the caps close it only at its ends.
    QVERIFY(isBlack(image, cellWidth / 2, 1));
    QVERIFY(isBlack(image, cellWidth / 2, 16));
    QCOMPARE(isBlack(image, leftCapX, 9), leftCap);
    QCOMPARE(isBlack(image, rightCapX, 9), rightCap);
}

void TestCellPainters::bandTextContinuesAcrossCells_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("daysIn");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("referenceOffset");

    // A band from Wednesday (column 2); pitch P = 120.
    QTest::newRow("Thursday shows the slice after Wednesday's") << Kind::Midweek << 1 << 3 << cellWidth;
    QTest::newRow("Friday") << Kind::Midweek << 2 << 4 << 2 * cellWidth;
    QTest::newRow("Saturday") << Kind::Saturday << 3 << 5 << 3 * cellWidth;
    QTest::newRow("Sunday starts the text afresh") << Kind::Sunday << 4 << 6 << 0;
    QTest::newRow("Monday of the next week starts afresh") << Kind::Monday << 5 << 0 << 0;
    QTest::newRow("Tuesday of the next week follows Monday") << Kind::Midweek << 6 << 1 << cellWidth;
}

void TestCellPainters::bandTextContinuesAcrossCells()
{
    QFETCH(Kind, kind);
    QFETCH(int, daysIn);
    QFETCH(int, column);
    QFETCH(int, referenceOffset);

    const QString subject = QStringLiteral("Conference on small planners, their users and their many calendars");
    const ItemRow item = band(9, wednesday, wednesday.addDays(10), subject);
    CellContext first = cellOn(wednesday);
    first.columnPitch = cellWidth;
    first.columnIndex = 2;
    const QImage reference = render(Kind::Midweek, item, first, false, 4 * cellWidth);

    CellContext cell = first;
    cell.date = wednesday.addDays(daysIn);
    cell.columnIndex = column;
    const QImage slice = render(kind, item, cell);
    for (int x = 10; x < cellWidth - 10; ++x)
        for (int y = 3; y <= 14; ++y)
            QCOMPARE(slice.pixelColor(x, y), reference.pixelColor(x + referenceOffset, y));
}

void TestCellPainters::twelveHourTimesEndInOneColumn()
{
    const QColor ground = Qt::white;
    CellContext cell = cellOn(wednesday);
    QList<int> rightEdges;
    for (const QTime &start : {QTime(9, 0), QTime(22, 30)}) {
        const QImage image = render(Kind::Midweek, timed(2, 0, start), cell);
        const QList<int> ink = inkColumns(image, 6, 70, ground);
        QVERIFY(!ink.isEmpty());
        rightEdges << ink.last();
    }
    QCOMPARE(rightEdges[0], rightEdges[1]);
    QVERIFY2(rightEdges[0] >= 40 && rightEdges[0] < 44, qPrintable(QString::number(rightEdges[0])));

    // With a subject, the text goes on after one space.
    ItemRow meeting = timed(2, 0);
    meeting.Subject = QStringLiteral("H");
    const QList<int> ink = inkColumns(render(Kind::Midweek, meeting, cell), 44, 70, ground);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.first() >= 45 && ink.first() <= 50, qPrintable(QString::number(ink.first())));
}

void TestCellPainters::markers_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("timedItem");
    QTest::addColumn<bool>("reminder");
    QTest::addColumn<bool>("recurring");
    QTest::addColumn<int>("marker");
    QTest::addColumn<int>("iconX");
    QTest::addColumn<int>("iconY");
    QTest::addColumn<int>("subjectX");

    QTest::newRow("week timed: both, subject 34 after the icon")
        << Kind::Week << true << true << true << int(Marker::Both) << 93 << 1 << 127;
    QTest::newRow("week timed: reminder")
        << Kind::Week << true << true << false << int(Marker::Reminder) << 93 << 1 << 111;
    QTest::newRow("week timed: none") << Kind::Week << true << false << false << int(Marker::None) << 93 << 1 << 98;
    QTest::newRow("week band: both at x 38")
        << Kind::Week << false << true << true << int(Marker::Both) << 6 << 2 << 38;
    QTest::newRow("week band: recurrence")
        << Kind::Week << false << false << true << int(Marker::Recurrence) << 6 << 2 << 25;
    QTest::newRow("week band: none") << Kind::Week << false << false << false << int(Marker::None) << 6 << 2 << 6;
    QTest::newRow("strip: both") << Kind::Strip << false << true << true << int(Marker::Both) << 6 << 2 << 38;
    QTest::newRow("strip: reminder") << Kind::Strip << false << true << false << int(Marker::Reminder) << 6 << 2 << 25;
}

void TestCellPainters::markers()
{
    QFETCH(Kind, kind);
    QFETCH(bool, timedItem);
    QFETCH(bool, reminder);
    QFETCH(bool, recurring);
    QFETCH(int, marker);
    QFETCH(int, iconX);
    QFETCH(int, iconY);
    QFETCH(int, subjectX);

    // A band that neither starts nor ends here, so no cap meets the icon.
    ItemRow item = timedItem ? timed(6, 2) : band(6, wednesday.addDays(-1), wednesday.addDays(1));
    item.R = reminder;
    item.Re = recurring;
    const QColor ground = TypeColors::color(item.T);
    const CellContext cell = cellOn(wednesday);

    const QImage bare = render(Kind(kind), item, cell, false, 240);
    const QImage icon = MarkerIcons::image(Marker(marker));
    const int iconWidth = MarkerIcons::width(Marker(marker));
    QCOMPARE(icon.width(), iconWidth);
    for (int x = 0; x < (iconWidth ? iconWidth : 16); ++x)
        for (int y = 1; y < 13; ++y) {
            const bool ink = iconWidth && icon.pixelColor(x, y) == QColor(Qt::black);
            QCOMPARE(bare.pixelColor(iconX + x, iconY + y), ink ? QColor(Qt::black) : ground);
        }

    item.Subject = QStringLiteral("H");
    const QList<int> ink = inkColumns(render(kind, item, cell, false, 240), iconX + iconWidth, 200, ground);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.first() >= subjectX && ink.first() <= subjectX + 2, qPrintable(QString::number(ink.first())));
}

void TestCellPainters::swatches_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QColor>("fill");

    QTest::newRow("standard is off-white so it shows") << 0 << QColor(245, 245, 245);
    QTest::newRow("important") << 1 << important;
    QTest::newRow("anniversary") << 9 << QColor(102, 204, 153);
    QTest::newRow("phone call") << 10 << QColor(255, 255, 153);
}

void TestCellPainters::swatches()
{
    QFETCH(int, type);
    QFETCH(QColor, fill);
    const QImage swatch = TypeColors::swatch(type).toImage();
    QCOMPARE(swatch.size(), QSize(16, 16));
    QCOMPARE(swatch.pixelColor(7, 7), fill);
    QCOMPARE(swatch.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(swatch.pixelColor(14, 14), QColor(Qt::black));
    QCOMPARE(swatch.pixelColor(15, 15), QColor(Qt::white));
}

void TestCellPainters::combinedIconIsBothSideBySide()
{
    const QImage both = MarkerIcons::image(Marker::Both);
    QCOMPARE(both.size(), QSize(32, 14));
    QCOMPARE(MarkerIcons::image(Marker::Reminder).size(), QSize(16, 14));
    QCOMPARE(both.copy(0, 0, 16, 14), MarkerIcons::image(Marker::Reminder));
    QCOMPARE(both.copy(16, 0, 16, 14), MarkerIcons::image(Marker::Recurrence));
    QVERIFY(MarkerIcons::image(Marker::None).isNull());
    QCOMPARE(MarkerIcons::markerFor(false, false), Marker::None);
}

QTEST_MAIN(TestCellPainters)
#include "test_cell_painters.moc"
