#include "store/OptionLists.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

// The colour a text reads as; invalid when it is none.
static QColor parsed(const QString &text)
{
    return ColorText::parse(text).value_or(QColor());
}

class TestOptionLists : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }

    void leadList_data();
    void leadList();
    void leadListIsComplete();
    void leadIndexOfUnknown_data();
    void leadIndexOfUnknown();

    void halfHourList_data();
    void halfHourList();

    void colorReadsBothForms_data();
    void colorReadsBothForms();
    void colorWriterPrefersName_data();
    void colorWriterPrefersName();
    void colorRejects_data();
    void colorRejects();
};

void TestOptionLists::leadList_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("amount");
    QTest::addColumn<QString>("unitText");
    QTest::addColumn<int>("minutes");

    QTest::newRow("first") << 0 << "0 minutes" << 0 << "minute(s)" << 0;
    QTest::newRow("default lead") << 1 << "5 minutes" << 5 << "minute(s)" << 5;
    QTest::newRow("last minutes") << 4 << "30 minutes" << 30 << "minute(s)" << 30;
    QTest::newRow("first hour") << 5 << "1 hour" << 1 << "hour(s)" << 60;
    QTest::newRow("6 hours after 4") << 9 << "6 hours" << 6 << "hour(s)" << 360;
    QTest::newRow("12 hours") << 11 << "12 hours" << 12 << "hour(s)" << 720;
    QTest::newRow("first day") << 12 << "1 day" << 1 << "day(s)" << 1440;
    QTest::newRow("7 days after 3") << 15 << "7 days" << 7 << "day(s)" << 10080;
    QTest::newRow("last") << 16 << "14 days" << 14 << "day(s)" << 20160;
}

void TestOptionLists::leadList()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(int, amount);
    QFETCH(QString, unitText);
    QFETCH(int, minutes);

    const Lead &lead = LeadList::entries().at(index);
    QCOMPARE(lead.text, text);
    QCOMPARE(lead.amount, amount);
    QCOMPARE(lead.unitText(), unitText);
    QCOMPARE(lead.minutes(), minutes);
    QCOMPARE(LeadList::indexOf(amount, unitText), index);
}

void TestOptionLists::leadListIsComplete()
{
    const QList<Lead> &list = LeadList::entries();
    QCOMPARE(list.size(), 17);
    // Every entry's text is its amount and unit, and the list grows strictly.
    for (qsizetype i = 1; i < list.size(); ++i)
        QVERIFY2(list.at(i - 1).minutes() < list.at(i).minutes(), qPrintable(list.at(i).text));
    for (const Lead &lead : list)
        QVERIFY2(lead.text.startsWith(QString::number(lead.amount) + QLatin1Char(' ')), qPrintable(lead.text));
}

void TestOptionLists::leadIndexOfUnknown_data()
{
    QTest::addColumn<int>("amount");
    QTest::addColumn<QString>("unitText");
    QTest::newRow("amount not offered") << 20 << "minute(s)";
    QTest::newRow("5 hours is not offered") << 5 << "hour(s)";
    QTest::newRow("blank unit") << 15 << "";
    QTest::newRow("unknown unit") << 1 << "week(s)";
}

void TestOptionLists::leadIndexOfUnknown()
{
    QFETCH(int, amount);
    QFETCH(QString, unitText);
    QCOMPARE(LeadList::indexOf(amount, unitText), -1);
}

void TestOptionLists::halfHourList_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QTime>("time");
    QTest::newRow("midnight") << 0 << QTime(0, 0);
    QTest::newRow("first half hour") << 1 << QTime(0, 30);
    QTest::newRow("8:00 AM") << 16 << QTime(8, 0);
    QTest::newRow("5:00 PM") << 34 << QTime(17, 0);
    QTest::newRow("11:30 PM") << 47 << QTime(23, 30);
    QTest::newRow("past the end") << 48 << QTime();
    QTest::newRow("negative") << -1 << QTime();
}

void TestOptionLists::halfHourList()
{
    QFETCH(int, index);
    QFETCH(QTime, time);
    QCOMPARE(HalfHourList::time(index), time);
}

void TestOptionLists::colorReadsBothForms_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QColor>("color");
    QTest::newRow("white") << "clWhite"
                           << "$00FFFFFF" << QColor(255, 255, 255);
    QTest::newRow("red is the low byte") << "clRed"
                                         << "$000000FF" << QColor(255, 0, 0);
    QTest::newRow("blue is the high byte") << "clBlue"
                                           << "$00FF0000" << QColor(0, 0, 255);
    QTest::newRow("sky blue") << "clSkyBlue"
                              << "$00F0CAA6" << QColor(166, 202, 240);
    QTest::newRow("medium gray") << "clMedGray"
                                 << "$00A4A0A0" << QColor(160, 160, 164);
    QTest::newRow("cream") << "clCream"
                           << "$00F0FBFF" << QColor(255, 251, 240);
}

void TestOptionLists::colorReadsBothForms()
{
    QFETCH(QString, name);
    QFETCH(QString, hex);
    QFETCH(QColor, color);
    QCOMPARE(parsed(name), color);
    QCOMPARE(parsed(hex), color);
    QCOMPARE(parsed(hex.toLower()), color);
    QCOMPARE(ColorText::write(color), name);
}

void TestOptionLists::colorWriterPrefersName_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("text");
    QTest::newRow("named") << QColor(0, 128, 128) << "clTeal";
    QTest::newRow("working hours default") << QColor(153, 204, 255) << "$00FFCC99";
    QTest::newRow("one step from white") << QColor(255, 255, 254) << "$00FEFFFF";
}

void TestOptionLists::colorWriterPrefersName()
{
    QFETCH(QColor, color);
    QFETCH(QString, text);
    QCOMPARE(ColorText::write(color), text);
    QCOMPARE(parsed(text), color);
}

void TestOptionLists::colorRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("unknown name") << "clBtnFace";
    QTest::newRow("system colour high byte") << "$FF00000F";
    QTest::newRow("seven digits") << "$0FFCC99";
    QTest::newRow("not hex") << "$00FFCCZZ";
    QTest::newRow("no dollar") << "00FFCC99";
}

void TestOptionLists::colorRejects()
{
    QFETCH(QString, text);
    QVERIFY(!ColorText::parse(text).has_value());
}

QTEST_GUILESS_MAIN(TestOptionLists)
#include "test_optionlists.moc"
