// Finding items by a word: which texts match in which script, that a
// series is one result with its pattern in words, and the order of the
// results, checked on rows as the editors and the series commands write them.

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/ItemSearch.h"
#include "store/SeriesRow.h"
#include "store/SeriesText.h"
#include "store/TableFile.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestItemSearch : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Cursor> m_cursor;

    // A one-date item; an invalid start time makes it all day.
    qint64 addItem(const QString &subject, const QDate &date, const QTime &start = QTime(),
                   const QString &location = QString(), const QString &notes = QString())
    {
        Cursor &c = *m_cursor;
        c.insert();
        c.setValue(ItemField::Subject, subject);
        c.setValue(ItemField::Loc, location.isEmpty() ? QVariant() : QVariant(location));
        c.setValue(ItemField::N, notes.isEmpty() ? QVariant() : QVariant(notes));
        c.setValue(ItemField::S, date);
        c.setValue(ItemField::E, date);
        c.setValue(ItemField::Md, QStringLiteral("0"));
        c.setValue(ItemField::A, !start.isValid());
        if (start.isValid()) {
            c.setValue(ItemField::St, start);
            c.setValue(ItemField::Et, start.addSecs(3600));
        }
        if (!c.post())
            qFatal("%s", qPrintable(c.lastError()));
        return c.currentId();
    }

    // A weekly series of the pattern fields, as the event editor saves one.
    qint64 addWeeklyPattern(const QString &subject, const QDate &start, const QString &flags)
    {
        Cursor &c = *m_cursor;
        c.insert();
        c.setValue(ItemField::Subject, subject);
        c.setValue(ItemField::S, start);
        c.setValue(ItemField::E, start);
        c.setValue(ItemField::Md, QStringLiteral("0"));
        c.setValue(ItemField::St, QTime(18, 0));
        c.setValue(ItemField::Et, QTime(19, 0));
        c.setValue(ItemField::Re, true);
        c.setValue(ItemField::Ret, RecurrenceKind::Weekly);
        for (int flag = 0; flag < 7; ++flag)
            c.setValue(ItemField::weekdayFlags()[flag], flags[flag] == QLatin1Char('1'));
        if (!c.post())
            qFatal("%s", qPrintable(c.lastError()));
        return c.currentId();
    }

    qint64 addExtendedSeries(const QString &subject, const QString &rule, const QDate &start)
    {
        Cursor &c = *m_cursor;
        c.insert();
        c.setValue(ItemField::Subject, subject);
        c.setValue(ItemField::A, true);
        const Result<SeriesRule> parsed = SeriesRule::parse(rule);
        if (!parsed || !SeriesRow::writeExtendedSeries(c, parsed.value(), start, {}) || !c.post())
            qFatal("the series %s was not written", qPrintable(rule));
        return c.currentId();
    }

    QStringList found(const QString &text)
    {
        QStringList lines;
        for (const FoundItem &item : ItemSearch(text).findAll(*m_cursor)) {
            lines << QStringLiteral("%1 %2 %3 %4")
                         .arg(item.date().toString(Qt::ISODate), item.startTime.toString(QStringLiteral("HH:mm")),
                              item.subject, item.pattern)
                         .trimmed();
        }
        return lines;
    }

private slots:
    void initTestCase() { pinTestLocale(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(TableFile::create(m_dir->filePath(QStringLiteral("items.db")), calendarSchema()));
        m_cursor = std::make_unique<Cursor>();
        m_cursor->setTableFile(m_dir->path(), QStringLiteral("items.db"), calendarSchema());
        QVERIFY(m_cursor->open());
    }

    void cleanup()
    {
        m_cursor.reset();
        m_dir.reset();
    }

    // Where the text is stored ("subject", "location", "notes"), what is
    // stored there, and what the user types.
    void matchesInEveryTextFieldAndScript_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("matches");
        QTest::newRow("subject, other case") << "subject"
                                             << "Dentist appointment"
                                             << "dENTIST" << true;
        QTest::newRow("location") << "location"
                                  << "Room 12, Baker Street"
                                  << "baker street" << true;
        QTest::newRow("notes") << "notes"
                               << "Bring the X-ray\nand the card"
                               << "x-RAY" << true;
        QTest::newRow("blanks around the typed text") << "subject"
                                                      << "Dentist"
                                                      << "  dentist " << true;
        QTest::newRow("Cyrillic") << "subject"
                                  << "Встреча в Москве"
                                  << "МОСКВЕ" << true;
        QTest::newRow("Greek, final sigma") << "notes"
                                            << "Οδός Ερμού 5"
                                            << "ΟΔΌΣ ΕΡΜΟΎ" << true;
        QTest::newRow("CJK") << "location"
                             << "与客户的会议室"
                             << "会议" << true;
        QTest::newRow("German umlaut") << "subject"
                                       << "Ärztin Müller"
                                       << "ÄRZTIN MÜLLER" << true;
        QTest::newRow("ß stored, ss typed") << "location"
                                            << "Hauptstraße 5"
                                            << "STRASSE" << true;
        QTest::newRow("ss stored, ß typed") << "location"
                                            << "Hauptstrasse 5"
                                            << "straße" << true;
        QTest::newRow("capital ẞ stored") << "subject"
                                          << "HAUPTSTRAẞE"
                                          << "straße" << true;
        QTest::newRow("first letter matched again later") << "subject"
                                                          << "dad's dog, then Dentist"
                                                          << "dentist" << true;
        QTest::newRow("the text at the very end") << "notes"
                                                  << "see the dentist"
                                                  << "DENTIST" << true;
        QTest::newRow("Kelvin sign folds to k") << "subject"
                                                << "\u212Aiosk"
                                                << "kiosk" << true;
        QTest::newRow("k typed for the Kelvin sign, not first") << "subject"
                                                                << "Ba\u212Aery"
                                                                << "bakery" << true;
        QTest::newRow("a longer word") << "subject"
                                       << "Dentist"
                                       << "dentists" << false;
        QTest::newRow("another Cyrillic word") << "subject"
                                               << "Встреча в Москве"
                                               << "Киев" << false;
        QTest::newRow("umlaut is not its base letter") << "subject"
                                                       << "Müller"
                                                       << "muller" << false;
    }

    void matchesInEveryTextFieldAndScript()
    {
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, matches);
        const QDate date(2024, 5, 6);
        addItem(QStringLiteral("unrelated"), date, QTime(9, 0), QStringLiteral("elsewhere"), QStringLiteral("nothing"));
        const qint64 no = field == QLatin1String("subject") ? addItem(stored, date, QTime(10, 0))
            : field == QLatin1String("location")            ? addItem(QStringLiteral("x"), date, QTime(10, 0), stored)
                                                 : addItem(QStringLiteral("x"), date, QTime(10, 0), {}, stored);
        const std::vector<FoundItem> items = ItemSearch(typed).findAll(*m_cursor);
        if (!matches) {
            QCOMPARE(items.size(), size_t(0));
            return;
        }
        QCOMPARE(items.size(), size_t(1));
        QCOMPARE(items.front().no, no);
        QCOMPARE(items.front().calendar, m_dir->filePath(QStringLiteral("items.db")));
    }

    void emptyTextFindsNothing()
    {
        addItem(QStringLiteral("Dentist"), QDate(2024, 5, 6));
        QVERIFY(ItemSearch(QStringLiteral("   ")).findAll(*m_cursor).empty());
        QVERIFY(ItemSearch(QString()).findAll(*m_cursor).empty());
    }

    // Past and future alike, sorted by date and time, a series once with its
    // pattern (of the pattern fields or of a rule), and an occurrence moved
    // out of a series as a row of its own.
    void seriesOnceAndEverythingByDate()
    {
        addItem(QStringLiteral("Yoga in the park"), QDate(2031, 6, 2), QTime(8, 0));
        addItem(QStringLiteral("Yoga retreat"), QDate(2019, 4, 12));
        addWeeklyPattern(QStringLiteral("Yoga class"), QDate(2020, 3, 2), QStringLiteral("0100100"));
        const qint64 series = addExtendedSeries(QStringLiteral("Yoga review"),
                                                QStringLiteral("FREQ=MONTHLY;BYDAY=-1FR"), QDate(2025, 1, 31));
        // The occurrence of 28 February moved to the 27th, as the day view writes it.
        const qint64 moved = addItem(QStringLiteral("Yoga review (moved)"), QDate(2025, 2, 27), QTime(14, 0));
        QVERIFY(m_cursor->locate(ItemField::No, moved) && m_cursor->edit());
        m_cursor->setValue(ItemField::Rp, int(series));
        m_cursor->setValue(ItemField::Ro, QDate(2025, 2, 28));
        QVERIFY(m_cursor->post());
        addItem(QStringLiteral("Yoga mat"), QDate(2025, 2, 27)); // all day, before the timed item of its day
        addItem(QStringLiteral("Dentist"), QDate(2025, 2, 27), QTime(9, 0));

        const QStringList expected = {
            "2019-04-12  Yoga retreat",
            "2020-03-02 18:00 Yoga class Every week on Monday and Thursday, from 3/2/2020",
            "2025-01-31  Yoga review Every month on the last Friday, from 1/31/2025",
            "2025-02-27  Yoga mat",
            "2025-02-27 14:00 Yoga review (moved)",
            "2031-06-02 08:00 Yoga in the park",
        };
        QCOMPARE(found(QStringLiteral("yoga")), expected);
    }

    void patternsInWords_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("text");
        QTest::newRow("every day") << "FREQ=DAILY" << QDate(2024, 1, 1) << "Every day, from 1/1/2024";
        QTest::newRow("every weekday") << "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR" << QDate(2024, 1, 1)
                                       << "Every weekday, from 1/1/2024";
        QTest::newRow("every third day, ten times")
            << "FREQ=DAILY;INTERVAL=3;COUNT=10" << QDate(2024, 1, 1) << "Every 3 days, from 1/1/2024, 10 times";
        QTest::newRow("fortnightly on the first date's weekday")
            << "FREQ=WEEKLY;INTERVAL=2" << QDate(2024, 1, 2) << "Every 2 weeks on Tuesday, from 1/2/2024";
        QTest::newRow("three weekdays") << "FREQ=WEEKLY;BYDAY=MO,WE,FR" << QDate(2024, 1, 1)
                                        << "Every week on Monday, Wednesday and Friday, from 1/1/2024";
        QTest::newRow("monthly on the first date's day") << "FREQ=MONTHLY;UNTIL=20241231" << QDate(2024, 1, 15)
                                                         << "Every month on day 15, from 1/15/2024, until 12/31/2024";
        QTest::newRow("last day of the month")
            << "FREQ=MONTHLY;BYMONTHDAY=-1" << QDate(2024, 1, 31) << "Every month on the last day, from 1/31/2024";
        QTest::newRow("first Monday of March") << "FREQ=YEARLY;BYMONTH=3;BYDAY=1MO" << QDate(2024, 3, 4)
                                               << "Every year on the first Monday of March, from 3/4/2024";
        QTest::newRow("29 February") << "FREQ=YEARLY;COUNT=1" << QDate(2024, 2, 29)
                                     << "Every year on February 29, from 2/29/2024, once";
    }

    void patternsInWords()
    {
        QFETCH(QString, rule);
        QFETCH(QDate, start);
        QFETCH(QString, text);
        const Result<SeriesRule> parsed = SeriesRule::parse(rule);
        QVERIFY2(parsed, qPrintable(parsed.error()));
        QCOMPARE(SeriesText::describe(SeriesOccurrences(parsed.value(), start, {})), text);
    }
};

QTEST_GUILESS_MAIN(TestItemSearch)
#include "test_itemsearch.moc"
