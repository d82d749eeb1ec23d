// The month navigator: which months and days it shows, and what a click or a
// key picks.

#include "store/Clock.h"
#include "app/MonthNavigator.h"
#include "tests/support/TestSupport.h"

#include <QSignalSpy>
#include <QtTest>

class MonthNavigatorTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        pinTestLocale();
        Clock::setNowForTesting(QDateTime(QDate(2025, 3, 9), QTime(10, 0)));
    }
    void cleanupTestCase() { Clock::setNowForTesting(QDateTime()); }

    void monthsFitTheSize_data();
    void monthsFitTheSize();
    void clickPicksTheDayUnderTheMouse_data();
    void clickPicksTheDayUnderTheMouse();
    void setDateScrollsOnlyAsFarAsNeeded();
    void keysMoveThePick_data();
    void keysMoveThePick();
    void arrowsScrollWithoutPicking();
};

void MonthNavigatorTest::monthsFitTheSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("one month") << QSize(194, 148) << 1 << 1;
    QTest::newRow("two across, two down") << QSize(388, 296) << 2 << 2;
    QTest::newRow("a part month is not shown") << QSize(387, 300) << 1 << 2;
    QTest::newRow("narrower than a month still shows one") << QSize(50, 40) << 1 << 1;
}

void MonthNavigatorTest::monthsFitTheSize()
{
    QFETCH(QSize, size);
    QFETCH(int, columns);
    QFETCH(int, rows);
    MonthNavigator navigator;
    navigator.resize(size);
    QCOMPARE(navigator.columns(), columns);
    QCOMPARE(navigator.rows(), rows);
}

void MonthNavigatorTest::clickPicksTheDayUnderTheMouse_data()
{
    QTest::addColumn<QDate>("day");
    QTest::newRow("a day of the first month") << QDate(2025, 3, 20);
    QTest::newRow("a leading day of the month before") << QDate(2025, 2, 28);
    QTest::newRow("a day of the second month") << QDate(2025, 4, 2);
    QTest::newRow("a trailing day after the last month") << QDate(2025, 5, 3);
}

void MonthNavigatorTest::clickPicksTheDayUnderTheMouse()
{
    QFETCH(QDate, day);
    MonthNavigator navigator;
    navigator.resize(388, 148);
    navigator.setDate(QDate(2025, 3, 9));
    QCOMPARE(navigator.firstShownMonth(), QDate(2025, 3, 1));
    QSignalSpy picked(&navigator, &MonthNavigator::datePicked);

    const QRect box = navigator.dayRect(day);
    QVERIFY(!box.isEmpty());
    QTest::mouseClick(&navigator, Qt::LeftButton, {}, box.center());
    QCOMPARE(picked.count(), 1);
    QCOMPARE(picked.at(0).at(0).toDate(), day);
    QCOMPARE(navigator.date(), day);
}

void MonthNavigatorTest::setDateScrollsOnlyAsFarAsNeeded()
{
    MonthNavigator navigator;
    navigator.resize(388, 148);
    navigator.setDate(QDate(2025, 3, 9));
    QSignalSpy picked(&navigator, &MonthNavigator::datePicked);
    navigator.setDate(QDate(2025, 4, 15)); // already shown
    QCOMPARE(navigator.firstShownMonth(), QDate(2025, 3, 1));
    navigator.setDate(QDate(2025, 5, 1)); // one past the end: the view moves by one
    QCOMPARE(navigator.firstShownMonth(), QDate(2025, 4, 1));
    navigator.setDate(QDate(2024, 12, 25));
    QCOMPARE(navigator.firstShownMonth(), QDate(2024, 12, 1));
    QCOMPARE(picked.count(), 0); // only the user picks
    // A day shown twice would be ambiguous: the grey tail of December is not drawn.
    QVERIFY(navigator.dayRect(QDate(2025, 1, 1)).isValid());
    QCOMPARE(navigator.dateAt(navigator.dayRect(QDate(2025, 1, 1)).center()), QDate(2025, 1, 1));
}

void MonthNavigatorTest::keysMoveThePick_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("left") << int(Qt::Key_Left) << QDate(2025, 3, 8);
    QTest::newRow("right") << int(Qt::Key_Right) << QDate(2025, 3, 10);
    QTest::newRow("up") << int(Qt::Key_Up) << QDate(2025, 3, 2);
    QTest::newRow("down") << int(Qt::Key_Down) << QDate(2025, 3, 16);
    QTest::newRow("page down") << int(Qt::Key_PageDown) << QDate(2025, 4, 9);
}

void MonthNavigatorTest::keysMoveThePick()
{
    QFETCH(int, key);
    QFETCH(QDate, expected);
    MonthNavigator navigator;
    navigator.resize(194, 148);
    navigator.setDate(QDate(2025, 3, 9));
    QSignalSpy picked(&navigator, &MonthNavigator::datePicked);
    QTest::keyClick(&navigator, Qt::Key(key));
    QCOMPARE(picked.count(), 1);
    QCOMPARE(navigator.date(), expected);
}

void MonthNavigatorTest::arrowsScrollWithoutPicking()
{
    MonthNavigator navigator;
    navigator.resize(388, 148);
    navigator.setDate(QDate(2025, 3, 9));
    QSignalSpy picked(&navigator, &MonthNavigator::datePicked);
    QTest::mouseClick(&navigator, Qt::LeftButton, {}, QPoint(388 - 10, 12));
    QCOMPARE(navigator.firstShownMonth(), QDate(2025, 5, 1));
    QTest::mouseClick(&navigator, Qt::LeftButton, {}, QPoint(10, 12));
    QCOMPARE(navigator.firstShownMonth(), QDate(2025, 3, 1));
    QCOMPARE(picked.count(), 0);
    QCOMPARE(navigator.date(), QDate(2025, 3, 9));
}

QTEST_MAIN(MonthNavigatorTest)
#include "tst_monthnavigator.moc"
