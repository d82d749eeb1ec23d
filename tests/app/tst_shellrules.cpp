// The main window's rules that need no window: divider snapping, the folder
// pane's width, the views' dates and captions, the restored placement.

#include "app/PaneSizes.h"
#include "tests/support/TestSupport.h"
#include "app/ViewDates.h"
#include "app/WindowPlacement.h"

#include <QtTest>

using View = DataModuleHost::View;

class ShellRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { pinTestLocale(); }

    void rightPaneSnapsToWholeMonths_data();
    void rightPaneSnapsToWholeMonths();
    void navigatorSnapsToWholeMonths_data();
    void navigatorSnapsToWholeMonths();
    void openFolderPaneWidth_data();
    void openFolderPaneWidth();
    void steppedDate_data();
    void steppedDate();
    void caption_data();
    void caption();
    void restoredBounds_data();
    void restoredBounds();
    void extremeStoredPlacement_data();
    void extremeStoredPlacement();
};

void ShellRulesTest::rightPaneSnapsToWholeMonths_data()
{
    QTest::addColumn<int>("proposed");
    QTest::addColumn<int>("snapped");
    QTest::newRow("300 rounds up to two months") << 300 << 388;
    QTest::newRow("290 rounds down to one month") << 290 << 194;
    QTest::newRow("50 leaves the 1-pixel pane") << 50 << 1;
    QTest::newRow("0 leaves the 1-pixel pane") << 0 << 1;
    QTest::newRow("96: remainder below half a month") << 96 << 1;
    QTest::newRow("97: remainder of half a month rounds up") << 97 << 194;
    QTest::newRow("exactly one month") << 194 << 194;
    QTest::newRow("291: half a month past one") << 291 << 388;
    QTest::newRow("negative drag past the edge") << -40 << 1;
}

void ShellRulesTest::rightPaneSnapsToWholeMonths()
{
    QFETCH(int, proposed);
    QFETCH(int, snapped);
    QCOMPARE(PaneSizes::snapRightPaneWidth(proposed), snapped);
}

void ShellRulesTest::navigatorSnapsToWholeMonths_data()
{
    QTest::addColumn<int>("proposed");
    QTest::addColumn<int>("snapped");
    QTest::newRow("200 rounds down to one month") << 200 << 148;
    QTest::newRow("230 rounds up to two months") << 230 << 296;
    QTest::newRow("73 hides the navigator") << 73 << 0;
    QTest::newRow("74 rounds up to one month") << 74 << 148;
    QTest::newRow("0 stays 0") << 0 << 0;
    QTest::newRow("221: remainder 73 rounds down") << 221 << 148;
    QTest::newRow("222: remainder 74 rounds up") << 222 << 296;
}

void ShellRulesTest::navigatorSnapsToWholeMonths()
{
    QFETCH(int, proposed);
    QFETCH(int, snapped);
    QCOMPARE(PaneSizes::snapNavigatorHeight(proposed), snapped);
}

void ShellRulesTest::openFolderPaneWidth_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("width");
    QTest::newRow("60 opens 100 wide") << 60 << 100;
    QTest::newRow("100 opens 100 wide") << 100 << 100;
    QTest::newRow("101 is kept") << 101 << 101;
    QTest::newRow("a blank width opens 100 wide") << 0 << 100;
    QTest::newRow("never wider than 400") << 900 << 400;
}

void ShellRulesTest::openFolderPaneWidth()
{
    QFETCH(int, stored);
    QFETCH(int, width);
    QCOMPARE(PaneSizes::openFolderPaneWidth(stored), width);
}

void ShellRulesTest::steppedDate_data()
{
    QTest::addColumn<View>("view");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("day forward over a month end") << View::Day << QDate(2025, 1, 31) << 1 << QDate(2025, 2, 1);
    QTest::newRow("day back over a year end") << View::Day << QDate(2025, 1, 1) << -1 << QDate(2024, 12, 31);
    QTest::newRow("week forward") << View::Week << QDate(2025, 3, 9) << 1 << QDate(2025, 3, 16);
    QTest::newRow("week back") << View::Week << QDate(2025, 3, 9) << -1 << QDate(2025, 3, 2);
    QTest::newRow("month forward from the 31st") << View::Month << QDate(2025, 1, 31) << 1 << QDate(2025, 2, 28);
    QTest::newRow("month forward into a leap February") << View::Month << QDate(2024, 1, 30) << 1 << QDate(2024, 2, 29);
    QTest::newRow("month back over a year end") << View::Month << QDate(2025, 1, 15) << -1 << QDate(2024, 12, 15);
    QTest::newRow("no view does not move") << View::None << QDate(2025, 1, 15) << 1 << QDate(2025, 1, 15);
}

void ShellRulesTest::steppedDate()
{
    QFETCH(View, view);
    QFETCH(QDate, date);
    QFETCH(int, direction);
    QFETCH(QDate, expected);
    QCOMPARE(ViewDates::stepped(view, date, direction), expected);
}

void ShellRulesTest::caption_data()
{
    QTest::addColumn<View>("view");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("caption");
    QTest::newRow("day: long date") << View::Day << QDate(2025, 3, 9) << QStringLiteral("Sunday, March 9, 2025");
    QTest::newRow("week of a Sunday starts the Monday before")
        << View::Week << QDate(2025, 3, 9) << QStringLiteral("March 03 - March 09");
    QTest::newRow("week of a Monday starts that day")
        << View::Week << QDate(2025, 3, 10) << QStringLiteral("March 10 - March 16");
    QTest::newRow("week across two months") << View::Week << QDate(2025, 5, 1) << QStringLiteral("April 28 - May 04");
    QTest::newRow("month") << View::Month << QDate(2025, 2, 28) << QStringLiteral("February 2025");
    QTest::newRow("no view, no caption") << View::None << QDate(2025, 2, 28) << QString();
}

void ShellRulesTest::caption()
{
    QFETCH(View, view);
    QFETCH(QDate, date);
    QFETCH(QString, caption);
    QCOMPARE(ViewDates::caption(view, date), caption);
}

void ShellRulesTest::restoredBounds_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("expected");
    const QList<QRect> one = {QRect(0, 0, 1280, 1024)};
    const QList<QRect> two = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    QTest::newRow("on the screen: kept") << QRect(100, 60, 814, 687) << one << QRect(100, 60, 814, 687);
    QTest::newRow("on the second screen: kept") << QRect(1500, 100, 800, 600) << two << QRect(1500, 100, 800, 600);
    QTest::newRow("second screen gone: moved onto the first")
        << QRect(1500, 100, 800, 600) << one << QRect(0, 0, 800, 600);
    QTest::newRow("only a sliver visible: moved") << QRect(1260, 1000, 800, 600) << one << QRect(0, 0, 800, 600);
    QTest::newRow("blank size: the initial size") << QRect(100, 60, 0, 0) << one << QRect(100, 60, 814, 687);
    QTest::newRow("no screens known: as stored")
        << QRect(-5000, 0, 800, 600) << QList<QRect>() << QRect(-5000, 0, 800, 600);
}

void ShellRulesTest::restoredBounds()
{
    QFETCH(QRect, stored);
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, expected);
    QCOMPARE(WindowPlacement::boundsToApply(stored, screens, QSize(814, 687)), expected);
}

// Option fields written by another program may hold any 32-bit value; none
// may overflow on the way to the window's bounds (the sanitizer build
// reports the overflow, the plain build a window nobody can see).
void ShellRulesTest::extremeStoredPlacement_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QRect>("expected");
    constexpr int max = std::numeric_limits<int>::max();
    constexpr int min = std::numeric_limits<int>::min();
    QTest::newRow("left near 2^31") << max - 10 << 60 << 814 << 687 << QRect(0, 0, 814, 687);
    QTest::newRow("top near 2^31") << 100 << max << 814 << 687 << QRect(0, 0, 814, 687);
    QTest::newRow("width near 2^31") << 100 << 60 << max << 687 << QRect(100, 60, 814, 687);
    QTest::newRow("height near 2^31") << 100 << 60 << 814 << max - 1 << QRect(100, 60, 814, 687);
    QTest::newRow("left and width near 2^31") << max << 60 << max << 687 << QRect(0, 0, 814, 687);
    QTest::newRow("most negative left") << min << 60 << 814 << 687 << QRect(0, 0, 814, 687);
    QTest::newRow("most negative everything") << min << min << min << min << QRect(0, 0, 814, 687);
    QTest::newRow("negative size") << 100 << 60 << -800 << -600 << QRect(100, 60, 814, 687);
    QTest::newRow("slightly off the left edge: kept") << -20 << 10 << 814 << 687 << QRect(-20, 10, 814, 687);
    QTest::newRow("larger than the screen") << 0 << 0 << 5000 << 4000 << QRect(0, 0, 814, 687);
}

void ShellRulesTest::extremeStoredPlacement()
{
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QRect, expected);
    const QList<QRect> screens = {QRect(0, 0, 1280, 1024)};
    const QRect bounds = WindowPlacement::boundsToApply(WindowPlacement::storedBounds(left, top, width, height),
                                                        screens, QSize(814, 687));
    QCOMPARE(bounds, expected);
}

QTEST_APPLESS_MAIN(ShellRulesTest)
#include "tst_shellrules.moc"
