// The event editor's series beyond the four patterns: which controls give
// which stored fields, an extended row read back into the controls and
// saved again, and the messages of an interval, end or count it cannot take.

#include "editors/BoxText.h"
#include "editors/RecurrencePanel.h"
#include "editors/Unit3.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/Unit2.h"
#include "tests/support/TestSupport.h"
#include "views/DayViewOps.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using RecurrencePattern::Kind;

Q_DECLARE_METATYPE(Kind)

namespace {

const QDate wednesday(2024, 5, 8);

class FixedDay : public DayViewOps
{
public:
    QDate shownDate() const override { return wednesday; }
    int selectionStartRow() const override { return 18; }
    int selectionEndRow() const override { return 19; }
    bool isShowing() const override { return false; }
    void addBlock(qint64) override { }
    void removeAllBlocks() override { }
    void relayoutBlocks() override { }
    void rebuild() override { }
};

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// What the test sets beyond the choice: "interval", "end" (0 none, 1 by,
// 2 after), "endDate", "count", "nth", "ordinal", "weekday", "day",
// "month", "tick" (weekday flags to click, `Sun` = 0), "everyWeekday".
void setControls(RecurrencePanel *pattern, Kind choice, const QVariantMap &controls)
{
    if (pattern->choice() != choice)
        click(pattern->choiceButton(choice));
    if (controls.contains("everyWeekday"))
        click(pattern->everyWeekdayButton());
    for (const QVariant &flag : controls.value("tick").toList())
        click(pattern->weekdayBox(flag.toInt()));
    const bool yearly = choice == Kind::Yearly;
    if (controls.contains("month"))
        pattern->monthList()->setCurrentIndex(controls.value("month").toInt());
    if (controls.contains("day"))
        (yearly ? pattern->yearlyDayBox() : pattern->monthlyDayBox())->setText(controls.value("day").toString());
    if (controls.value("nth").toBool()) {
        click(yearly ? pattern->yearlyNthButton() : pattern->monthlyNthButton());
        (yearly ? pattern->yearlyOrdinalList() : pattern->monthlyOrdinalList())
            ->setCurrentIndex(controls.value("ordinal").toInt());
        (yearly ? pattern->yearlyWeekdayList() : pattern->monthlyWeekdayList())
            ->setCurrentIndex(controls.value("weekday").toInt());
    }
    if (controls.contains("interval"))
        pattern->intervalBox()->setText(controls.value("interval").toString());
    if (controls.contains("end"))
        pattern->setEnd(RecurrencePanel::End(controls.value("end").toInt()));
    if (controls.contains("endDate"))
        pattern->endDateBox()->setText(controls.value("endDate").toString());
    if (controls.contains("count"))
        pattern->countBox()->setText(controls.value("count").toString());
}

} // namespace

class TestSeriesEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newSeriesIsAFourPatternSeries();
    void controlsGiveStoredFields_data();
    void controlsGiveStoredFields();
    void extendedRowReadsBack_data();
    void extendedRowReadsBack();
    void changedRuleKeepsRemovedDatesStillOccurring_data();
    void changedRuleKeepsRemovedDatesStillOccurring();
    void badSeriesInputKeepsTheDialogOpen_data();
    void badSeriesInputKeepsTheDialogOpen();

private:
    qint64 addItem(const QVariantMap &fields);
    Cursor &stored(qint64 no);
    void compareStored(qint64 no, const QVariantMap &expected);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    FixedDay m_dayView;
    std::unique_ptr<TForm3> m_form;
    QStringList m_messages;
};

void TestSeriesEditor::initTestCase()
{
    pinTestLocale();
    Clock::setNowForTesting(QDateTime(QDate(2024, 5, 20), QTime(12, 0)));
}

void TestSeriesEditor::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    QVERIFY(m_data->options().change({{30, false}, {1, false}}));
    m_form = std::make_unique<TForm3>(*m_data, &m_dayView);
    m_messages.clear();
    m_form->setMessageReporter([this](QWidget *, TForm3::MessageKind, const QString &text) { m_messages << text; });
}

void TestSeriesEditor::cleanup()
{
    m_form.reset();
    m_data.reset();
    m_home.reset();
}

qint64 TestSeriesEditor::addItem(const QVariantMap &fields)
{
    Cursor &cursor = m_data->table(1);
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        return 0;
    }
    return cursor.currentId();
}

Cursor &TestSeriesEditor::stored(qint64 no)
{
    Cursor &cursor = m_data->table(2);
    cursor.setFiltered(false);
    cursor.refresh();
    if (!cursor.locate(ItemField::No, no))
        qWarning() << "item" << no << "not stored";
    return cursor;
}

// Dates compare as dates, booleans as flags, everything else as text
// (blank for an empty string).
void TestSeriesEditor::compareStored(qint64 no, const QVariantMap &expected)
{
    Cursor &item = stored(no);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString field = it.key();
        const QVariant want = it.value();
        QString got;
        QString wanted;
        if (want.typeId() == QMetaType::QTime) {
            got = item.asTime(field).toString(Qt::ISODate);
            wanted = want.toTime().toString(Qt::ISODate);
        } else if (want.typeId() == QMetaType::QDate) {
            got = item.asDate(field).toString(Qt::ISODate);
            wanted = want.toDate().toString(Qt::ISODate);
        } else if (want.typeId() == QMetaType::Bool) {
            got = item.asBool(field) ? "true" : "false";
            wanted = want.toBool() ? "true" : "false";
        } else {
            got = item.asText(field);
            wanted = want.toString();
        }
        QVERIFY2(got == wanted, qPrintable(QString("%1 is '%2', not '%3'").arg(field, got, wanted)));
    }
}

// A new recurring appointment shows a four-pattern series as before:
// interval 1, no end, day D.
void TestSeriesEditor::newSeriesIsAFourPatternSeries()
{
    m_form->newRecurringAppointment();
    RecurrencePanel *pattern = m_form->patternArea();
    QCOMPARE(pattern->intervalBox()->text(), QString("1"));
    QCOMPARE(pattern->intervalUnitLabel()->text(), QString("week(s)"));
    QCOMPARE(pattern->endList()->currentText(), QString("No end date"));
    QVERIFY(pattern->intervalBox()->isVisible());
    QVERIFY(!pattern->endDateBox()->isVisible());
    QVERIFY(!pattern->countBox()->isVisible());
    click(pattern->choiceButton(Kind::Monthly));
    QVERIFY(pattern->monthlyDayButton()->isChecked());
    QCOMPARE(pattern->intervalUnitLabel()->text(), QString("month(s)"));
    pattern->setEnd(RecurrencePanel::End::AfterCount);
    QVERIFY(pattern->countBox()->isVisible());
    QVERIFY(!pattern->endDateBox()->isVisible());
}

void TestSeriesEditor::controlsGiveStoredFields_data()
{
    QTest::addColumn<Kind>("choice");
    QTest::addColumn<QVariantMap>("controls");
    QTest::addColumn<QVariantMap>("expected");

    // The four patterns as before: nothing in the new fields.
    QTest::newRow("weekly on its weekday")
        << Kind::Weekly << QVariantMap {}
        << QVariantMap {{"Rr", ""}, {"Rx", ""}, {"Ret", "2"}, {"S", wednesday}, {"Wed", true}, {"Mon", false}};
    QTest::newRow("weekly Monday and Wednesday")
        << Kind::Weekly << QVariantMap {{"tick", QVariantList {1}}}
        << QVariantMap {{"Rr", ""}, {"Ret", "2"}, {"Mon", true}, {"Wed", true}};
    QTest::newRow("every day") << Kind::Daily << QVariantMap {}
                               << QVariantMap {{"Rr", ""}, {"Ret", "1"}, {"Sun", true}, {"Sat", true}};
    QTest::newRow("every weekday") << Kind::Daily << QVariantMap {{"everyWeekday", true}}
                                   << QVariantMap {{"Rr", ""}, {"Ret", "1"}, {"Sun", false}, {"Mon", true}};
    QTest::newRow("monthly on day 15")
        << Kind::Monthly << QVariantMap {{"day", "15"}}
        << QVariantMap {{"Rr", ""}, {"Rx", ""}, {"Ret", "3"}, {"D", "15"}, {"S", QDate(2024, 5, 15)}};
    QTest::newRow("yearly on 10 March")
        << Kind::Yearly << QVariantMap {{"month", 2}, {"day", "10"}}
        << QVariantMap {{"Rr", ""}, {"Ret", "4"}, {"D", "10"}, {"M", "3"}, {"S", QDate(2024, 3, 10)}};

    // Beyond them: the extended shape, first occurrence on or after the start.
    const QVariantMap shape {{"Md", "0"},    {"D", ""},      {"M", ""}, {"Sun", false},
                             {"Mon", false}, {"Wed", false}, {"Rx", ""}};
    auto extended = [&](const QVariantMap &fields) {
        QVariantMap all = shape;
        all.insert(fields);
        return all;
    };
    QTest::newRow("every 3 days")
        << Kind::Daily << QVariantMap {{"interval", "3"}}
        << extended({{"Rr", "FREQ=DAILY;INTERVAL=3"}, {"Ret", "1"}, {"S", wednesday}, {"E", wednesday}});
    QTest::newRow("every weekday until June")
        << Kind::Daily << QVariantMap {{"everyWeekday", true}, {"end", 1}, {"endDate", "6/30/2024"}}
        << extended({{"Rr", "FREQ=DAILY;UNTIL=20240630;BYDAY=MO,TU,WE,TH,FR"}, {"S", wednesday}});
    QTest::newRow("fortnightly Monday and Wednesday, ten times")
        << Kind::Weekly << QVariantMap {{"tick", QVariantList {1}}, {"interval", "2"}, {"end", 2}, {"count", "10"}}
        << extended({{"Rr", "FREQ=WEEKLY;INTERVAL=2;COUNT=10;BYDAY=MO,WE"}, {"Ret", "2"}, {"S", wednesday}});
    QTest::newRow("every 2 months on day 15")
        << Kind::Monthly << QVariantMap {{"day", "15"}, {"interval", "2"}}
        << extended({{"Rr", "FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=15"}, {"Ret", "3"}, {"S", QDate(2024, 5, 15)}});
    // As day D does, the series starts in the start's month or year.
    QTest::newRow("monthly on day 5, three times")
        << Kind::Monthly << QVariantMap {{"day", "5"}, {"end", 2}, {"count", "3"}}
        << extended({{"Rr", "FREQ=MONTHLY;COUNT=3;BYMONTHDAY=5"}, {"S", QDate(2024, 5, 5)}});
    QTest::newRow("second Wednesday of November, day box on 20")
        << Kind::Yearly << QVariantMap {{"month", 10}, {"day", "20"}, {"nth", true}, {"ordinal", 1}, {"weekday", 2}}
        << extended({{"Rr", "FREQ=YEARLY;BYMONTH=11;BYDAY=2WE"}, {"S", QDate(2024, 11, 13)}});
    QTest::newRow("monthly on day 31 every 2 months")
        << Kind::Monthly << QVariantMap {{"day", "31"}, {"interval", "2"}}
        << extended({{"Rr", "FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=31"}, {"S", QDate(2024, 5, 31)}});
    QTest::newRow("last Friday until the year's end")
        << Kind::Monthly
        << QVariantMap {{"nth", true}, {"ordinal", 4}, {"weekday", 4}, {"end", 1}, {"endDate", "12/31/2024"}}
        << extended({{"Rr", "FREQ=MONTHLY;UNTIL=20241231;BYDAY=-1FR"}, {"S", QDate(2024, 5, 31)}});
    QTest::newRow("second Tuesday") << Kind::Monthly << QVariantMap {{"nth", true}, {"ordinal", 1}, {"weekday", 1}}
                                    << extended({{"Rr", "FREQ=MONTHLY;BYDAY=2TU"}, {"S", QDate(2024, 5, 14)}});
    QTest::newRow("the last day") << Kind::Monthly << QVariantMap {{"nth", true}, {"ordinal", 4}, {"weekday", 7}}
                                  << extended({{"Rr", "FREQ=MONTHLY;BYMONTHDAY=-1"}, {"S", QDate(2024, 5, 31)}});
    QTest::newRow("second Wednesday of November")
        << Kind::Yearly << QVariantMap {{"month", 10}, {"nth", true}, {"ordinal", 1}, {"weekday", 2}}
        << extended({{"Rr", "FREQ=YEARLY;BYMONTH=11;BYDAY=2WE"}, {"Ret", "4"}, {"S", QDate(2024, 11, 13)}});
    QTest::newRow("10 March every 2 years")
        << Kind::Yearly << QVariantMap {{"month", 2}, {"day", "10"}, {"interval", "2"}}
        << extended({{"Rr", "FREQ=YEARLY;INTERVAL=2;BYMONTH=3;BYMONTHDAY=10"}, {"S", QDate(2024, 3, 10)}});
    QTest::newRow("29 February until 2040")
        << Kind::Yearly << QVariantMap {{"month", 1}, {"day", "29"}, {"end", 1}, {"endDate", "1/1/2040"}}
        << extended({{"Rr", "FREQ=YEARLY;UNTIL=20400101;BYMONTH=2;BYMONTHDAY=29"}, {"S", QDate(2024, 2, 29)}});
}

void TestSeriesEditor::controlsGiveStoredFields()
{
    QFETCH(Kind, choice);
    QFETCH(QVariantMap, controls);
    QFETCH(QVariantMap, expected);

    m_form->newRecurringAppointment();
    setControls(m_form->patternArea(), choice, controls);
    click(m_form->okButton());
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
    QVERIFY(!m_form->isVisible());
    compareStored(m_data->Table50().currentId(), expected);
}

void TestSeriesEditor::extendedRowReadsBack_data()
{
    QTest::addColumn<QVariantMap>("row");
    QTest::addColumn<Kind>("choice");
    QTest::addColumn<QVariantMap>("controls"); // as setControls names them

    const QVariantMap base {
        {"Subject", "Series"}, {"Re", true}, {"Md", "0"}, {"St", QTime(9, 0)}, {"Et", QTime(10, 0)}};
    auto row = [&](const QString &ret, const QDate &start, const QString &rule, const QString &removed) {
        QVariantMap all = base;
        all.insert({{"Ret", ret}, {"S", start}, {"E", start}, {"Rr", rule}, {"Rx", removed}});
        return all;
    };
    QTest::newRow("last Friday, six times")
        << row("3", QDate(2024, 5, 31), "FREQ=MONTHLY;COUNT=6;BYDAY=-1FR", "2024-07-26") << Kind::Monthly
        << QVariantMap {{"interval", "1"}, {"end", 2}, {"count", "6"}, {"nth", true}, {"ordinal", 4}, {"weekday", 4}};
    QTest::newRow("fortnightly until")
        << row("2", QDate(2024, 5, 6), "FREQ=WEEKLY;INTERVAL=2;UNTIL=20241231;BYDAY=MO,WE", "2024-05-20,2024-06-05")
        << Kind::Weekly
        << QVariantMap {{"interval", "2"}, {"end", 1}, {"endDate", "12/31/2024"}, {"tick", QVariantList {1, 3}}};
    QTest::newRow("last day every 3 months")
        << row("3", QDate(2024, 1, 31), "FREQ=MONTHLY;INTERVAL=3;BYMONTHDAY=-1", "") << Kind::Monthly
        << QVariantMap {{"interval", "3"}, {"end", 0}, {"nth", true}, {"ordinal", 4}, {"weekday", 7}};
    QTest::newRow("yearly on day 10, with a removed date")
        << row("4", QDate(2024, 3, 10), "FREQ=YEARLY;BYMONTH=3;BYMONTHDAY=10", "2025-03-10") << Kind::Yearly
        << QVariantMap {{"interval", "1"}, {"end", 0}, {"month", 2}, {"day", "10"}};
    QTest::newRow("weekly, its one removed date keeps the rule")
        << row("2", QDate(2024, 5, 8), "FREQ=WEEKLY;BYDAY=WE", "2024-05-15") << Kind::Weekly
        << QVariantMap {{"interval", "1"}, {"end", 0}, {"tick", QVariantList {3}}};
}

// The controls show the rule; changing only the subject and the time
// keeps the rule and the removed dates as they were.
void TestSeriesEditor::extendedRowReadsBack()
{
    QFETCH(QVariantMap, row);
    QFETCH(Kind, choice);
    QFETCH(QVariantMap, controls);

    const qint64 no = addItem(row);
    QVERIFY(no != 0);
    QVERIFY(m_form->editItem(no));
    RecurrencePanel *pattern = m_form->patternArea();
    QCOMPARE(pattern->choice(), choice);
    QCOMPARE(pattern->shownPanel(), choice);
    QCOMPARE(pattern->intervalBox()->text(), controls.value("interval").toString());
    QCOMPARE(int(pattern->end()), controls.value("end").toInt());
    if (controls.contains("count"))
        QCOMPARE(pattern->countBox()->text(), controls.value("count").toString());
    if (controls.contains("endDate"))
        QCOMPARE(pattern->endDateBox()->text(), controls.value("endDate").toString());
    const bool yearly = choice == Kind::Yearly;
    if (controls.contains("nth")) {
        QVERIFY((yearly ? pattern->yearlyNthButton() : pattern->monthlyNthButton())->isChecked());
        QCOMPARE((yearly ? pattern->yearlyOrdinalList() : pattern->monthlyOrdinalList())->currentIndex(),
                 controls.value("ordinal").toInt());
        QCOMPARE((yearly ? pattern->yearlyWeekdayList() : pattern->monthlyWeekdayList())->currentIndex(),
                 controls.value("weekday").toInt());
    }
    if (controls.contains("day")) {
        QVERIFY((yearly ? pattern->yearlyDayButton() : pattern->monthlyDayButton())->isChecked());
        QCOMPARE((yearly ? pattern->yearlyDayBox() : pattern->monthlyDayBox())->text(),
                 controls.value("day").toString());
    }
    if (controls.contains("month"))
        QCOMPARE(pattern->monthList()->currentIndex(), controls.value("month").toInt());
    for (const QVariant &flag : controls.value("tick").toList())
        QVERIFY(pattern->weekdayBox(flag.toInt())->isChecked());

    m_form->subjectBox()->setText("Renamed");
    m_form->startTimeBox()->setText("11:00 AM");
    m_form->endTimeBox()->setText("11:30 AM");
    click(m_form->okButton());
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
    compareStored(no,
                  {{"Subject", "Renamed"},
                   {"Rr", row.value("Rr")},
                   {"Rx", row.value("Rx")},
                   {"S", row.value("S")},
                   {"St", QTime(11, 0)}});
}

void TestSeriesEditor::changedRuleKeepsRemovedDatesStillOccurring_data()
{
    QTest::addColumn<QVariantMap>("controls");
    QTest::addColumn<QVariantMap>("expected");

    // Monday and Wednesday from 6 May 2024, 15 May (a Wednesday) and 20 May
    // (a Monday) removed.
    QTest::newRow("every week instead of every second")
        << QVariantMap {{"interval", "1"}}
        << QVariantMap {{"Rr", "FREQ=WEEKLY;BYDAY=MO,WE"}, {"Rx", "2024-05-15,2024-05-20"}};
    QTest::newRow("Mondays only") << QVariantMap {{"interval", "1"}, {"tick", QVariantList {3}}}
                                  << QVariantMap {{"Rr", "FREQ=WEEKLY;BYDAY=MO"}, {"Rx", "2024-05-20"}};
    QTest::newRow("Wednesdays only, ending")
        << QVariantMap {{"tick", QVariantList {1}}, {"end", 2}, {"count", "4"}}
        << QVariantMap {{"Rr", "FREQ=WEEKLY;COUNT=4;BYDAY=WE"}, {"Rx", "2024-05-15"}};
    // Every date removed is gone from the series: the four-pattern row again.
    QTest::newRow("Tuesdays") << QVariantMap {{"interval", "1"}, {"tick", QVariantList {1, 3, 2}}}
                              << QVariantMap {{"Rr", ""}, {"Rx", ""}, {"Tue", true}, {"Mon", false}};
}

void TestSeriesEditor::changedRuleKeepsRemovedDatesStillOccurring()
{
    QFETCH(QVariantMap, controls);
    QFETCH(QVariantMap, expected);

    const qint64 no = addItem({{"Subject", "Series"},
                               {"Re", true},
                               {"Ret", "2"},
                               {"Md", "0"},
                               {"S", QDate(2024, 5, 6)},
                               {"E", QDate(2024, 5, 6)},
                               {"St", QTime(9, 0)},
                               {"Et", QTime(10, 0)},
                               {"Rr", "FREQ=WEEKLY;BYDAY=MO,WE"},
                               {"Rx", "2024-05-15,2024-05-20"}});
    QVERIFY(m_form->editItem(no));
    setControls(m_form->patternArea(), Kind::Weekly, controls);
    click(m_form->okButton());
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
    compareStored(no, expected);
}

void TestSeriesEditor::badSeriesInputKeepsTheDialogOpen_data()
{
    QTest::addColumn<QVariantMap>("controls");
    QTest::addColumn<QString>("message");

    const QString interval = "The interval must be a number from 1 to 999.";
    QTest::newRow("interval 0") << QVariantMap {{"interval", "0"}} << interval;
    QTest::newRow("interval negative") << QVariantMap {{"interval", "-5"}} << interval;
    QTest::newRow("interval blank") << QVariantMap {{"interval", ""}} << interval;
    QTest::newRow("interval not a number") << QVariantMap {{"interval", "two"}} << interval;
    QTest::newRow("end before the start")
        << QVariantMap {{"end", 1}, {"endDate", "5/1/2024"}} << "The end date must not be before the start date.";
    QTest::newRow("end before the first occurrence")
        << QVariantMap {{"tick", QVariantList {3, 5}}, {"end", 1}, {"endDate", "5/9/2024"}}
        << "The end date must not be before the start date.";
    QTest::newRow("zero occurrences") << QVariantMap {{"end", 2}, {"count", "0"}}
                                      << "The number of occurrences must be at least 1.";
    QTest::newRow("no count") << QVariantMap {{"end", 2}, {"count", ""}}
                              << "The number of occurrences must be at least 1.";
}

void TestSeriesEditor::badSeriesInputKeepsTheDialogOpen()
{
    QFETCH(QVariantMap, controls);
    QFETCH(QString, message);

    m_form->newRecurringAppointment();
    setControls(m_form->patternArea(), Kind::Weekly, controls);
    click(m_form->okButton());
    QCOMPARE(m_messages, QStringList {message});
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_data->Table50().state(), Cursor::State::Insert);
    Cursor &all = m_data->table(2);
    all.setFiltered(false);
    all.refresh();
    QCOMPARE(all.recordCount(), 0);
}

QTEST_MAIN(TestSeriesEditor)
#include "test_serieseditor.moc"
