#include "views/BlockDrag.h"
#include "views/ClockText.h"
#include "views/DayGeometry.h"
#include "tests/support/TestSupport.h"
#include "views/TimeRuler.h"

#include <QtTest>

// Times and pixels of the day view, and what each drag step writes.
class TestDayGeometry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }

    void blockEdges_data();
    void blockEdges();
    void rowTimes_data();
    void rowTimes();
    void clockTexts_data();
    void clockTexts();
    void rulerLabels_data();
    void rulerLabels();
    void pressZones_data();
    void pressZones();
    void dragSteps_data();
    void dragSteps();
};

namespace {

// "St=09:30|Et=10:30": one entry per post, the writes of one post joined by ",".
QString postsText(const QList<BlockDrag::Writes> &posts)
{
    QStringList parts;
    for (const BlockDrag::Writes &writes : posts) {
        QStringList fields;
        for (const auto &[field, time] : writes)
            fields << field + QLatin1Char('=') + time.toString(QStringLiteral("hh:mm"));
        parts << fields.join(QLatin1Char(','));
    }
    return parts.join(QLatin1Char('|'));
}

} // namespace

void TestDayGeometry::blockEdges_data()
{
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");

    QTest::newRow("09:00-10:00") << QTime(9, 0) << QTime(10, 0) << 341 << 379;
    QTest::newRow("start rounds down, end rounds up") << QTime(9, 15) << QTime(9, 20) << 341 << 360;
    QTest::newRow("end on the half hour") << QTime(9, 30) << QTime(10, 30) << 360 << 398;
    QTest::newRow("end one minute past the half hour") << QTime(9, 30) << QTime(10, 31) << 360 << 417;
    QTest::newRow("midnight start") << QTime(0, 0) << QTime(0, 30) << -1 << 18;
    QTest::newRow("ends at 23:55, the grid's bottom") << QTime(23, 0) << QTime(23, 55) << 873 << 911;
}

void TestDayGeometry::blockEdges()
{
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(int, top);
    QFETCH(int, bottom);
    QCOMPARE(DayGeometry::blockTop(start), top);
    QCOMPARE(DayGeometry::blockBottom(end), bottom);
}

void TestDayGeometry::rowTimes_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QTime>("after");

    QTest::newRow("first row") << 0 << QTime(0, 0) << QTime(0, 30);
    QTest::newRow("row 16 is 08:00") << 16 << QTime(8, 0) << QTime(8, 30);
    QTest::newRow("row 21") << 21 << QTime(10, 30) << QTime(11, 0);
    QTest::newRow("row 46 ends at 23:30") << 46 << QTime(23, 0) << QTime(23, 30);
    QTest::newRow("last row ends at 23:55") << 47 << QTime(23, 30) << QTime(23, 55);
}

void TestDayGeometry::rowTimes()
{
    QFETCH(int, row);
    QFETCH(QTime, time);
    QFETCH(QTime, after);
    QCOMPARE(DayGeometry::rowTime(row), time);
    QCOMPARE(DayGeometry::timeAfterRow(row), after);
    // A row's top edge reads back as the row's own time.
    QCOMPARE(DayGeometry::timeOfPosition(DayGeometry::rowTop(row)), time);
}

void TestDayGeometry::clockTexts_data()
{
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<bool>("use24Hour");
    QTest::addColumn<QString>("label");

    QTest::newRow("12-hour") << QTime(9, 0) << QTime(10, 30) << false << "9:00am-10:30am Dentist";
    QTest::newRow("24-hour") << QTime(9, 0) << QTime(10, 30) << true << "09:00-10:30 Dentist";
    QTest::newRow("12-hour around noon") << QTime(11, 30) << QTime(12, 0) << false << "11:30am-12:00pm Dentist";
    QTest::newRow("12-hour midnight and evening") << QTime(0, 0) << QTime(23, 55) << false << "12:00am-11:55pm Dentist";
    QTest::newRow("24-hour evening") << QTime(13, 5) << QTime(23, 55) << true << "13:05-23:55 Dentist";
}

void TestDayGeometry::clockTexts()
{
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(bool, use24Hour);
    QFETCH(QString, label);
    QCOMPARE(ClockText::blockLabel(start, end, QStringLiteral("Dentist"), use24Hour), label);
}

void TestDayGeometry::rulerLabels_data()
{
    QTest::addColumn<int>("hour");
    QTest::addColumn<bool>("use24Hour");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("minutes");

    QTest::newRow("12h midnight") << 0 << false << "12"
                                  << "00";
    QTest::newRow("12h 9") << 9 << false << "9"
                           << "00";
    QTest::newRow("12h noon") << 12 << false << "12"
                              << "pm";
    QTest::newRow("12h 13 reads 1") << 13 << false << "1"
                                    << "00";
    QTest::newRow("12h 23 reads 11") << 23 << false << "11"
                                     << "00";
    QTest::newRow("24h midnight") << 0 << true << "00"
                                  << "00";
    QTest::newRow("24h 9") << 9 << true << "09"
                           << "00";
    QTest::newRow("24h noon") << 12 << true << "12"
                              << "00";
    QTest::newRow("24h 13") << 13 << true << "13"
                            << "00";
}

void TestDayGeometry::rulerLabels()
{
    QFETCH(int, hour);
    QFETCH(bool, use24Hour);
    QFETCH(QString, number);
    QFETCH(QString, minutes);
    const TimeRuler::HourLabel label = TimeRuler::hourLabel(hour, use24Hour);
    QCOMPARE(label.hour, number);
    QCOMPARE(label.minutes, minutes);
}

void TestDayGeometry::pressZones_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("zone");
    QTest::addColumn<int>("grabRow");
    QTest::addColumn<bool>("resizeShape");

    // A block of height 38.
    QTest::newRow("top edge") << 3 << int(BlockDrag::Zone::TopEdge) << 0 << true;
    QTest::newRow("body, first row") << 4 << int(BlockDrag::Zone::Body) << 0 << false;
    QTest::newRow("body, second row") << 20 << int(BlockDrag::Zone::Body) << 1 << false;
    QTest::newRow("body down to H - 4") << 34 << int(BlockDrag::Zone::Body) << 1 << false;
    QTest::newRow("bottom edge") << 35 << int(BlockDrag::Zone::BottomEdge) << 0 << true;
}

void TestDayGeometry::pressZones()
{
    QFETCH(int, y);
    QFETCH(int, zone);
    QFETCH(int, grabRow);
    QFETCH(bool, resizeShape);
    const BlockDrag::State state = BlockDrag::pressAt(y, 38);
    QCOMPARE(int(state.zone), zone);
    QCOMPARE(state.grabRow, grabRow);
    QCOMPARE(BlockDrag::overResizeEdge(y, 38), resizeShape);
}

void TestDayGeometry::dragSteps_data()
{
    QTest::addColumn<int>("pressY");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("height");
    QTest::addColumn<QTime>("start");
    QTest::addColumn<QTime>("end");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("newTop");
    QTest::addColumn<int>("newHeight");
    QTest::addColumn<QString>("posts");

    using S = BlockDrag::Step;
    const QTime nine(9, 0), ten(10, 0);
    // A 09:00-10:00 block: top 341, height 38.
    QTest::newRow("bottom edge 1 px below")
        << 36 << 341 << 38 << nine << ten << 39 << int(S::GrowBottom) << 341 << 57 << "Et=10:30";
    QTest::newRow("bottom edge 18 px below")
        << 36 << 341 << 38 << nine << ten << 56 << int(S::GrowBottom) << 341 << 57 << "Et=10:30";
    QTest::newRow("bottom edge 19 px below")
        << 36 << 341 << 38 << nine << ten << 57 << int(S::GrowBottom) << 341 << 76 << "Et=11:00";
    QTest::newRow("bottom edge to the last row")
        << 36 << 341 << 38 << nine << ten << 560 << int(S::GrowBottom) << 341 << 570 << "Et=23:55";
    QTest::newRow("bottom edge into the block's first row")
        << 36 << 341 << 38 << nine << ten << 10 << int(S::ShrinkBottom) << 341 << 19 << "Et=09:30";
    QTest::newRow("bottom edge above the block's top")
        << 36 << 341 << 38 << nine << ten << -5 << int(S::ShrinkBottom) << 341 << 38 << "Et=09:00";
    QTest::newRow("bottom edge inside its last row")
        << 36 << 341 << 38 << nine << ten << 25 << int(S::None) << 341 << 38 << "";
    QTest::newRow("top edge 20 px down") << 1 << 341 << 38 << nine << ten << 20 << int(S::ShrinkTop) << 360 << 19
                                         << "St=09:30";
    QTest::newRow("top edge 37 px down") << 1 << 341 << 38 << nine << ten << 37 << int(S::ShrinkTop) << 360 << 19
                                         << "St=09:30";
    QTest::newRow("top edge below the bottom: item 09:15")
        << 1 << 341 << 38 << QTime(9, 15) << ten << 45 << int(S::ShrinkTop) << 341 << 38 << "St=10:00|St=09:00";
    QTest::newRow("top edge 1 px above") << 1 << 341 << 38 << nine << ten << -1 << int(S::GrowTop) << 322 << 57
                                         << "St=08:30";
    QTest::newRow("top edge 18 px above")
        << 1 << 341 << 38 << nine << ten << -18 << int(S::GrowTop) << 322 << 57 << "St=08:30";
    QTest::newRow("top edge 19 px above")
        << 1 << 341 << 38 << nine << ten << -19 << int(S::GrowTop) << 303 << 76 << "St=08:00";
    QTest::newRow("top edge above the grid")
        << 1 << -1 << 38 << QTime(0, 0) << QTime(1, 0) << -5 << int(S::GrowTop) << -20 << 57 << "St=00:00";
    QTest::newRow("body grabbed in row 1, pointer at 40")
        << 20 << 341 << 38 << nine << ten << 40 << int(S::MoveDown) << 360 << 38 << "St=09:30|Et=10:30";
    QTest::newRow("body grabbed in row 1, pointer at 38")
        << 20 << 341 << 38 << nine << ten << 38 << int(S::None) << 341 << 38 << "";
    QTest::newRow("body up out of the block by less than a row")
        << 5 << 341 << 38 << nine << ten << -10 << int(S::MoveUp) << 341 << 38 << "St=09:00|Et=10:00";
    QTest::newRow("body up a whole row") << 5 << 341 << 38 << nine << ten << -19 << int(S::MoveUp) << 322 << 38
                                         << "St=08:30|Et=09:30";
    QTest::newRow("body grabbed in row 1, pointer in row 0")
        << 20 << 341 << 38 << nine << ten << 10 << int(S::MoveUp) << 322 << 38 << "St=08:30|Et=09:30";
    QTest::newRow("body past the end of the day") << 5 << 873 << 38 << QTime(23, 0) << QTime(23, 55) << 20
                                                  << int(S::MoveDown) << 892 << 38 << "St=23:30|Et=23:55";
    QTest::newRow("body below the last row") << 5 << 892 << 38 << QTime(23, 30) << QTime(23, 55) << 20
                                             << int(S::MoveDown) << 911 << 38 << "St=23:55|Et=23:55";
    QTest::newRow("body above the first row")
        << 5 << -1 << 38 << QTime(0, 0) << QTime(1, 0) << -19 << int(S::MoveUp) << -20 << 38 << "St=00:00|Et=00:30";
}

void TestDayGeometry::dragSteps()
{
    QFETCH(int, pressY);
    QFETCH(int, top);
    QFETCH(int, height);
    QFETCH(QTime, start);
    QFETCH(QTime, end);
    QFETCH(int, y);
    QFETCH(int, step);
    QFETCH(int, newTop);
    QFETCH(int, newHeight);
    QFETCH(QString, posts);

    const BlockDrag::State state = BlockDrag::pressAt(pressY, height);
    const BlockDrag::Result result = BlockDrag::step(state, top, height, y, start, end);
    QCOMPARE(int(result.step), step);
    QCOMPARE(result.top, newTop);
    QCOMPARE(result.height, newHeight);
    QCOMPARE(postsText(result.posts), posts);
}

QTEST_GUILESS_MAIN(TestDayGeometry)
#include "test_day_geometry.moc"
