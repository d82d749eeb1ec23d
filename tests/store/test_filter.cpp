// The filter language and the way the store answers it from its indexes.

#include "store/Cursor.h"
#include "store/FilterLiterals.h"
#include "store/ItemFields.h"
#include "store/TableFile.h"
#include "tests/store/SeriesWalk.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <iterator>
#include <set>

namespace {

struct Item
{
    QString subject;
    QVariant s, e, md, st, et, a, ta, re, ret, d, m, mon;
};

// The SQL side of "Rr occurs" and "Rr reminds", by the day-by-day walk:
// series_occurs(Rr, S, Rx, date) and series_reminds(Rr, S, Rx, Rs, date).
QString columnText(sqlite3_value *value)
{
    return sqlite3_value_type(value) == SQLITE_NULL
        ? QString()
        : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)));
}

bool walkedSeriesHas(sqlite3_value *rule, sqlite3_value *start, sqlite3_value *removed, const QDate &date)
{
    const QDate first = QDate::fromString(columnText(start), Qt::ISODate);
    if (columnText(rule).isEmpty() || !first.isValid() || !date.isValid())
        return false;
    SeriesDates gone;
    for (const QString &text : columnText(removed).split(QLatin1Char(','), Qt::SkipEmptyParts))
        gone.push_back(QDate::fromString(text, Qt::ISODate));
    const SeriesDates dates = walkedDates(columnText(rule), first, gone, date);
    return std::find(dates.begin(), dates.end(), date) != dates.end();
}

void seriesOccurs(sqlite3_context *context, int, sqlite3_value **values)
{
    const QDate date = QDate::fromString(columnText(values[3]), Qt::ISODate);
    sqlite3_result_int(context, walkedSeriesHas(values[0], values[1], values[2], date));
}

void seriesReminds(sqlite3_context *context, int, sqlite3_value **values)
{
    const QDate start = QDate::fromString(columnText(values[1]), Qt::ISODate);
    const QDate reminder = QDate::fromString(columnText(values[3]), Qt::ISODate);
    const QDate date = QDate::fromString(columnText(values[4]), Qt::ISODate);
    sqlite3_result_int(context,
                       reminder.isValid() && start.isValid()
                           && walkedSeriesHas(values[0], values[1], values[2], date.addDays(-start.daysTo(reminder))));
}

// The visible rows read in runs by Cursor::readRows (runs of three, so that
// some start in the middle of the rows) and one by one through the cursor:
// every id, number and text must agree. Empty when they do. Asked for the
// fields the views' cells read alone, the runs come from the fields kept
// beside the candidates; with others among them, from the table.
QString blockAgainstOneByOne(Cursor &cursor, bool cellFieldsOnly)
{
    std::vector<Cursor::Field> numbers, texts;
    for (const QString &name : {ItemField::No, ItemField::S, ItemField::E, ItemField::St, ItemField::Et, ItemField::A,
                                ItemField::T, ItemField::R, ItemField::Re, ItemField::Subject})
        numbers.push_back(cursor.field(name));
    texts.push_back(cursor.field(ItemField::Subject));
    if (!cellFieldsOnly) {
        for (const QString &name : {ItemField::Ta, ItemField::Rs})
            numbers.push_back(cursor.field(name));
        for (const QString &name : {ItemField::Loc, ItemField::Md})
            texts.push_back(cursor.field(name));
    }
    const int numberCount = int(numbers.size()), textCount = int(texts.size());
    constexpr int run = 3;
    std::vector<qint64> ids(run), blockNumbers(run * numberCount), ownNumbers(numberCount);
    std::vector<QStringView> blockTexts(run * textCount);
    const Cursor::RowBlock block {numbers.data(), numberCount,         texts.data(),     textCount,
                                  ids.data(),     blockNumbers.data(), blockTexts.data()};
    int pos = 0;
    cursor.first();
    for (int from = 0; from < cursor.recordCount() + run; from += run) {
        const int read = cursor.readRows(from, run, block);
        if (read != qBound(0, cursor.recordCount() - from, run))
            return QStringLiteral("%1 rows read at %2 of %3").arg(read).arg(from).arg(cursor.recordCount());
        for (int i = 0; i < read; ++i, ++pos, cursor.next()) {
            cursor.readNumbers(numbers.data(), numberCount, ownNumbers.data());
            const QString where = QStringLiteral("row %1 (No %2): ").arg(pos).arg(cursor.currentId());
            if (ids[i] != cursor.currentId())
                return where + QStringLiteral("id %1").arg(ids[i]);
            for (int k = 0; k < numberCount; ++k) {
                if (blockNumbers[i * numberCount + k] != ownNumbers[k])
                    return where
                        + QStringLiteral("number %1: %2, one by one %3")
                              .arg(k)
                              .arg(blockNumbers[i * numberCount + k])
                              .arg(ownNumbers[k]);
            }
            for (int k = 0; k < textCount; ++k) {
                const QStringView own = cursor.textView(texts[k]), got = blockTexts[i * textCount + k];
                if (got != own || got.isNull() != own.isNull())
                    return where + QStringLiteral("text %1: '%2', one by one '%3'").arg(k).arg(got).arg(own);
            }
        }
    }
    return cursor.eof() ? QString() : QStringLiteral("rows left after the runs");
}

} // namespace

class TestFilter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Cursor m_cursor;

    QStringList visible(const QString &filter)
    {
        if (!m_cursor.setFilter(filter))
            return {QStringLiteral("parse error: ") + m_cursor.lastError()};
        m_cursor.setFiltered(true);
        QStringList result;
        for (m_cursor.first(); !m_cursor.eof(); m_cursor.next())
            result << m_cursor.asText(QStringLiteral("Subject"));
        result.sort();
        return result;
    }

    void add(const Item &item)
    {
        m_cursor.insert();
        m_cursor.setValue(QStringLiteral("Subject"), item.subject);
        const std::pair<const char *, QVariant> values[] = {
            {"S", item.s},   {"E", item.e},   {"Md", item.md},   {"St", item.st}, {"Et", item.et}, {"A", item.a},
            {"Ta", item.ta}, {"Re", item.re}, {"Ret", item.ret}, {"D", item.d},   {"M", item.m},   {"Mon", item.mon}};
        for (const auto &[field, value] : values)
            m_cursor.setValue(QString::fromLatin1(field), value);
        QVERIFY2(m_cursor.post(), qPrintable(m_cursor.lastError()));
    }

private slots:
    void initTestCase()
    {
        pinTestLocale();
        const QString path = m_dir.filePath(QStringLiteral("filter.db"));
        const Outcome created = TableFile::create(path, calendarSchema());
        QVERIFY2(created, qPrintable(created.error()));
        m_cursor.setTableFile(m_dir.path(), QStringLiteral("filter.db"), calendarSchema());
        QVERIFY(m_cursor.open());
        const QVariant blank;
        // subject, S, E, Md, St, Et, A, Ta, Re, Ret, D, M, Mon
        add({"one-date", QDate(2024, 5, 3), QDate(2024, 5, 3), "0", QTime(9, 0), QTime(10, 30), blank, blank, blank,
             blank, blank, blank, blank});
        add({"span", QDate(2024, 4, 28), QDate(2024, 5, 5), blank, QTime(8, 0), QTime(9, 0), false, false, false, blank,
             blank, blank, blank});
        add({"task", QDate(2024, 5, 1), QDate(2024, 5, 9), blank, blank, blank, blank, true, blank, blank, blank, blank,
             blank});
        add({"weekly", QDate(2024, 4, 1), QDate(2024, 4, 1), "0", QTime(7, 0), QTime(7, 30), blank, blank, true, "2",
             blank, blank, true});
        add({"it's quoted", QDate(2023, 1, 1), QDate(2023, 1, 1), "0", blank, blank, true, blank, blank, blank, blank,
             blank, blank});
    }

    void grammar_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("empty filter lets every row through")
            << QString() << QStringList {"it's quoted", "one-date", "span", "task", "weekly"};
        QTest::newRow("uneven spaces, no space before and")
            << "S <='5/3/2024'and E >= '5/3/2024' and Ta<>'True'" << QStringList {"one-date", "span"};
        QTest::newRow("and binds tighter than or")
            << "Re = 'True' and  Mon = 'True' and S < '5/6/2024' or S='5/3/2024' and Md ='0'"
            << QStringList {"one-date", "weekly"};
        QTest::newRow("dates compare by value, not as text")
            << "S > '12/31/2023' and S < '4/29/2024'" << QStringList {"span", "weekly"};
        QTest::newRow("ISO and other day spellings are the same date")
            << "S = '2024-05-03' or S = '05/03/2024'" << QStringList {"one-date"};
        QTest::newRow("times compare by value")
            << "St < '9:30:00 AM' and Et > '9:30:00 AM'" << QStringList {"one-date"};
        QTest::newRow("blank boolean passes <> True")
            << "Ta<>'True' and Re<>'True' and A<>'True'" << QStringList {"one-date", "span"};
        QTest::newRow("false boolean is not blank") << "A = 'False'" << QStringList {"span"};
        QTest::newRow("blank never equals, <> holds, ordering fails")
            << "Md='0' or Md<>'0' and St < '11:00:00 PM'" << QStringList {"it's quoted", "one-date", "span", "weekly"};
        QTest::newRow("blank Md passes Md<>'0'") << "Md<>'0'" << QStringList {"span", "task"};
        QTest::newRow("Null") << "St = Null" << QStringList {"it's quoted", "task"};
        QTest::newRow("not Null") << "Ret <> Null" << QStringList {"weekly"};
        QTest::newRow("text compares as text") << "Ret = '2'" << QStringList {"weekly"};
        QTest::newRow("doubled quote inside a literal") << "Subject = 'it''s quoted'" << QStringList {"it's quoted"};
        QTest::newRow("keywords and names in any case")
            << "subject = 'span' OR s = '1/1/2023'" << QStringList {"it's quoted", "span"};
        // Rows are numbered in the order initTestCase adds them.
        QTest::newRow("in: listed numbers, any order") << "No in '4,1'" << QStringList {"one-date", "weekly"};
        QTest::newRow("in: repeats, spaces and unknown numbers")
            << "No in ' 2, 9,2 ' and S < '5/1/2024'" << QStringList {"span"};
        QTest::newRow("in beside a smaller bucket") << "Re = 'True' and No in '1,2,3,4'" << QStringList {"weekly"};
        QTest::newRow("two in tests") << "No in '1' and No in '1,3'" << QStringList {"one-date"};
        QTest::newRow("in with an empty list") << "No in ''" << none;
        QTest::newRow("in or a test") << "NO IN '3' or Subject = 'span'" << QStringList {"span", "task"};
        QTest::newRow("SQL in a literal is only text") << "Subject = 'x'' or 1=1; DROP TABLE items; --'" << none;
    }

    void grammar()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(visible(filter), expected);
    }

    void errorsNameThePosition_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("position");
        QTest::newRow("unknown field") << "Nope = '1'"
                                       << "position 1";
        QTest::newRow("missing quote") << "S = '5/3/2024"
                                       << "position 5";
        QTest::newRow("not a date") << "S = 'soon'"
                                    << "position 5";
        QTest::newRow("missing operator") << "Subject 'x'"
                                          << "position 9";
        QTest::newRow("dangling and") << "Ta <> 'True' and"
                                      << "position 17";
        QTest::newRow("two values") << "T = '1' '2'"
                                    << "position 9";
        QTest::newRow("ordering with Null") << "S < Null"
                                            << "position 5";
        QTest::newRow("stray character") << "S = '1/1/2024' ; T = '1'"
                                         << "position 16";
        QTest::newRow("in on a text field") << "Subject in '1'"
                                            << "position 9";
        QTest::newRow("in without quotes") << "No in 1"
                                           << "position 7";
        QTest::newRow("in with a word") << "No in '1,two'"
                                        << "position 7";
        QTest::newRow("occurs on another field") << "Subject occurs '2024-05-01'"
                                                 << "position 9";
        QTest::newRow("reminds on another field") << "S reminds '2024-05-01'"
                                                  << "position 3";
        QTest::newRow("occurs without a date") << "Rr occurs 'soon'"
                                               << "position 11";
        QTest::newRow("occurs without quotes") << "Rr occurs 2024"
                                               << "position 11";
    }

    void errorsNameThePosition()
    {
        QFETCH(QString, filter);
        QFETCH(QString, position);
        QVERIFY(m_cursor.setFilter(QStringLiteral("Subject = 'span'")));
        m_cursor.setFiltered(true);
        QVERIFY(!m_cursor.setFilter(filter));
        QVERIFY2(m_cursor.lastError().contains(position), qPrintable(m_cursor.lastError()));
        // The previous filter stays in force.
        QCOMPARE(m_cursor.filter(), QStringLiteral("Subject = 'span'"));
        QCOMPARE(m_cursor.recordCount(), 1);
    }

    // "Rr occurs" and "Rr reminds" on a fortnightly series of four, its
    // second date removed, its reminder a day ahead.
    void seriesTests_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        const QStringList none, series {"fortnightly"};
        QTest::newRow("an occurrence") << "Rr occurs '2024-05-27'" << series;
        QTest::newRow("the first date, in the locale's form") << "Rr occurs '4/29/2024'" << series;
        QTest::newRow("between two occurrences") << "Rr occurs '2024-05-20'" << none;
        QTest::newRow("a removed date") << "Rr occurs '2024-05-13'" << none;
        QTest::newRow("the last of the count") << "Rr occurs '2024-06-10'" << series;
        QTest::newRow("after the count") << "Rr occurs '2024-06-24'" << none;
        QTest::newRow("before the first date") << "Rr occurs '2024-04-15'" << none;
        QTest::newRow("a reminder a day ahead") << "Rr reminds '2024-06-09'" << series;
        QTest::newRow("no reminder on the occurrence itself") << "Rr reminds '2024-06-10'" << none;
        QTest::newRow("no reminder for a removed date") << "Rr reminds '2024-05-12'" << none;
        QTest::newRow("beside other tests and clauses")
            << "Re = 'True' and Rr occurs '2024-05-27' and A <> 'True' or Subject = 'plain'"
            << QStringList {"fortnightly", "plain"};
        QTest::newRow("a failing test beside it") << "Rr occurs '2024-05-27' and Ta = 'True'" << none;
        QTest::newRow("a blank Rr never occurs") << "Subject = 'plain' and Rr occurs '2024-04-29'" << none;
        QTest::newRow("keywords in any case") << "rr OCCURS '2024-05-27'" << series;
        QTest::newRow("a first date off its pattern") << "Rr occurs '2024-05-01'" << QStringList {"last Friday"};
        QTest::newRow("the last Friday of a month of five") << "Rr occurs '2024-05-31'" << QStringList {"last Friday"};
        QTest::newRow("not the fourth Friday of it") << "Rr occurs '2024-05-24'" << none;
    }

    void seriesTests()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(TableFile::create(dir.filePath(QStringLiteral("series.db")), calendarSchema()));
        Cursor cursor;
        cursor.setTableFile(dir.path(), QStringLiteral("series.db"), calendarSchema());
        QVERIFY(cursor.open());
        cursor.insert();
        cursor.setValue(ItemField::Subject, QStringLiteral("fortnightly"));
        cursor.setValue(ItemField::S, QDate(2024, 4, 29));
        cursor.setValue(ItemField::E, QDate(2024, 4, 29));
        cursor.setValue(ItemField::Md, QStringLiteral("0"));
        cursor.setValue(ItemField::Re, true);
        cursor.setValue(ItemField::Ret, QStringLiteral("2"));
        cursor.setValue(ItemField::Rs, QDate(2024, 4, 28));
        cursor.setValue(ItemField::Rr, QStringLiteral("FREQ=WEEKLY;INTERVAL=2;COUNT=4"));
        cursor.setValue(ItemField::Rx, QStringLiteral("2024-05-13"));
        QVERIFY(cursor.post());
        cursor.insert();
        cursor.setValue(ItemField::Subject, QStringLiteral("last Friday"));
        cursor.setValue(ItemField::S, QDate(2024, 5, 1));
        cursor.setValue(ItemField::Rr, QStringLiteral("FREQ=MONTHLY;BYDAY=-1FR"));
        QVERIFY(cursor.post());
        cursor.insert();
        cursor.setValue(ItemField::Subject, QStringLiteral("plain"));
        cursor.setValue(ItemField::S, QDate(2024, 4, 29));
        cursor.setValue(ItemField::E, QDate(2024, 4, 29));
        QVERIFY(cursor.post());
        QVERIFY2(cursor.setFilter(filter), qPrintable(cursor.lastError()));
        cursor.setFiltered(true);
        QStringList found;
        for (cursor.first(); !cursor.eof(); cursor.next())
            found << cursor.asText(ItemField::Subject);
        found.sort();
        QCOMPARE(found, expected);
    }

    // The store answers filters from indexes it keeps in step with every
    // post. Whatever it answers must be exactly what SQLite finds in the
    // durable copy for the same rule, through inserts, edits and deletes.
    void indexedAnswersMatchTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("random.db"));
        QVERIFY(TableFile::create(path, calendarSchema()).isOk());
        Cursor cursor;
        cursor.setTableFile(dir.path(), QStringLiteral("random.db"), calendarSchema());
        QVERIFY(cursor.open());

        QRandomGenerator random(20240503);
        const QDate origin(2024, 1, 1);
        const QStringList weekdays {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        const QStringList rules {"FREQ=DAILY;INTERVAL=3",
                                 "FREQ=DAILY;BYDAY=SA,SU;COUNT=5",
                                 "FREQ=WEEKLY",
                                 "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,TH;COUNT=8",
                                 "FREQ=WEEKLY;INTERVAL=3;BYDAY=WE,SU;WKST=SU",
                                 "FREQ=WEEKLY;UNTIL=20240601",
                                 "FREQ=MONTHLY",
                                 "FREQ=MONTHLY;BYMONTHDAY=31",
                                 "FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=-1",
                                 "FREQ=MONTHLY;BYDAY=-1FR",
                                 "FREQ=MONTHLY;BYDAY=2WE;COUNT=3",
                                 "FREQ=YEARLY;BYMONTH=3;BYDAY=2WE",
                                 "FREQ=YEARLY;BYMONTH=6;BYMONTHDAY=-1"};
        auto fill = [&] {
            const QDate start = origin.addDays(random.bounded(120));
            const int kind = random.bounded(10);
            cursor.setValue(QStringLiteral("S"), start);
            cursor.setValue(QStringLiteral("E"), kind < 3 ? start.addDays(random.bounded(1, 70)) : start);
            cursor.setValue(QStringLiteral("Md"), kind < 3 ? QVariant() : QVariant(QStringLiteral("0")));
            cursor.setValue(QStringLiteral("Ta"), kind == 3 ? QVariant(true) : QVariant());
            cursor.setValue(QStringLiteral("Re"), kind >= 7 ? QVariant(true) : QVariant(false));
            cursor.setValue(QStringLiteral("Ret"), QString::number(random.bounded(1, 5)));
            cursor.setValue(QStringLiteral("D"), QString::number(random.bounded(1, 32)));
            cursor.setValue(QStringLiteral("M"), QString::number(random.bounded(1, 13)));
            cursor.setValue(weekdays[random.bounded(7)], true);
            // A third of the recurring rows are extended series, a few of
            // their dates removed, some with a reminder days ahead or after.
            const bool extended = kind >= 7 && random.bounded(3) != 0;
            QStringList removed;
            for (int k = random.bounded(3); extended && k > 0; --k)
                removed << start.addDays(random.bounded(60)).toString(Qt::ISODate);
            cursor.setValue(ItemField::Rr, extended ? QVariant(rules[random.bounded(int(rules.size()))]) : QVariant());
            cursor.setValue(ItemField::Rx, removed.isEmpty() ? QVariant() : QVariant(removed.join(QLatin1Char(','))));
            cursor.setValue(ItemField::Rs,
                            random.bounded(2) ? QVariant(start.addDays(random.bounded(-3, 4))) : QVariant());
        };
        for (int i = 0; i < 300; ++i) {
            cursor.insert();
            fill();
            QVERIFY(cursor.post());
        }
        // Warm the indexes, then change the rows under them.
        QVERIFY(cursor.setFilter(QStringLiteral("S <='3/1/2024'and E >= '3/1/2024' or Re = 'True' and D = '5'")));
        cursor.setFiltered(true);
        cursor.setFiltered(false);
        for (int i = 0; i < 150; ++i) {
            cursor.first();
            for (int skip = random.bounded(cursor.recordCount()); skip > 0; --skip)
                cursor.next();
            if (i % 3 == 0) {
                QVERIFY(cursor.deleteRow());
            } else {
                QVERIFY(cursor.edit());
                fill();
                QVERIFY(cursor.post());
            }
        }

        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_create_function(db, "series_occurs", 4, SQLITE_UTF8, nullptr, seriesOccurs, nullptr, nullptr);
        sqlite3_create_function(db, "series_reminds", 5, SQLITE_UTF8, nullptr, seriesReminds, nullptr, nullptr);
        for (QDate day = origin; day < origin.addDays(200); day = day.addDays(3)) {
            const QString text = QLocale().toString(day, QStringLiteral("M/d/yyyy"));
            const QString w = weekdays[day.dayOfWeek() % 7];
            const QString d = QString::number(day.day()), m = QString::number(day.month());
            const QString rule =
                QStringLiteral("S <='%1'and E >= '%1' and Ta<>'True' or Re = 'True' and  %2 = 'True' and S < '%1' or "
                               "Re = 'True' and Ret='3' and D = '%3' and S < '%1' or Re = 'True' and  D = '%3' and M = "
                               "'%4' and S < '%1' or Re = 'True' and Rr occurs '%5' and A <> 'True' or Rr reminds '%5'")
                    .arg(text, w, d, m, day.toString(Qt::ISODate));
            QVERIFY(cursor.setFilter(rule));
            cursor.setFiltered(true);
            std::set<qint64> store;
            for (cursor.first(); !cursor.eof(); cursor.next())
                store.insert(cursor.currentId());
            QCOMPARE(blockAgainstOneByOne(cursor, true), QString());
            QCOMPARE(blockAgainstOneByOne(cursor, false), QString());

            const QString iso = day.toString(Qt::ISODate);
            const QByteArray sql =
                QStringLiteral(
                    "SELECT No FROM items WHERE (S <= '%1' AND E >= '%1' AND coalesce(Ta, 0) <> 1) OR "
                    "(Re = 1 AND \"%2\" = 1 AND S < '%1') OR (Re = 1 AND Ret = '3' AND D = '%3' AND S < '%1') OR "
                    "(Re = 1 AND D = '%3' AND M = '%4' AND S < '%1') OR "
                    "(Re = 1 AND series_occurs(Rr, S, Rx, '%1') AND coalesce(A, 0) <> 1) OR "
                    "series_reminds(Rr, S, Rx, Rs, '%1')")
                    .arg(iso, w, d, m)
                    .toUtf8();
            std::set<qint64> file;
            sqlite3_stmt *statement = nullptr;
            QCOMPARE(sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr), SQLITE_OK);
            while (sqlite3_step(statement) == SQLITE_ROW)
                file.insert(sqlite3_column_int64(statement, 0));
            sqlite3_finalize(statement);
            QVERIFY2(store == file,
                     qPrintable(QStringLiteral("rows differ on %1: store %2, file %3")
                                    .arg(iso)
                                    .arg(store.size())
                                    .arg(file.size())));
        }
        sqlite3_close(db);
    }
    // The series index lists each series under the years its span touches
    // (and, far from today, under none). Every change that moves a span,
    // made here or by another program, must move its series with it: the
    // store answers as SQLite's day-by-day walk on the file, in the years
    // of the window and outside it.
    void seriesIndexFollowsSpansAcrossYears()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("years.db"));
        QVERIFY(TableFile::create(path, calendarSchema()).isOk());
        Cursor cursor;
        cursor.setTableFile(dir.path(), QStringLiteral("years.db"), calendarSchema());
        QVERIFY(cursor.open());
        auto write = [&](const QString &subject, const QDate &start, const QString &rule) {
            cursor.setValue(ItemField::Subject, subject);
            cursor.setValue(ItemField::S, start);
            cursor.setValue(ItemField::E, start);
            cursor.setValue(ItemField::Md, QStringLiteral("0"));
            cursor.setValue(ItemField::Re, true);
            cursor.setValue(ItemField::Ret, QStringLiteral("2"));
            cursor.setValue(ItemField::Rr, rule);
        };
        auto add = [&](const QString &subject, const QDate &start, const QString &rule) {
            cursor.insert();
            write(subject, start, rule);
            return cursor.post();
        };
        auto find = [&](const QString &subject) {
            cursor.setFiltered(false);
            for (cursor.first(); !cursor.eof(); cursor.next()) {
                if (cursor.asText(ItemField::Subject) == subject)
                    return true;
            }
            return false;
        };
        auto edit = [&](const QString &subject, const char *field, const QVariant &value) {
            if (!find(subject) || !cursor.edit())
                return false;
            cursor.setValue(QString::fromLatin1(field), value);
            return cursor.post();
        };
        QVERIFY(add(QStringLiteral("until 2021"), QDate(2019, 1, 7), QStringLiteral("FREQ=WEEKLY;UNTIL=20211231")));
        QVERIFY(add(QStringLiteral("thirty"), QDate(2024, 12, 2), QStringLiteral("FREQ=WEEKLY;INTERVAL=2;COUNT=30")));
        QVERIFY(add(QStringLiteral("month ends from 2027"), QDate(2027, 1, 31),
                    QStringLiteral("FREQ=MONTHLY;BYMONTHDAY=-1")));
        QVERIFY(
            add(QStringLiteral("since 1984"), QDate(1984, 3, 14), QStringLiteral("FREQ=YEARLY;BYMONTH=3;BYDAY=2WE")));
        QVERIFY(add(QStringLiteral("every third day"), QDate(2030, 6, 1), QStringLiteral("FREQ=DAILY;INTERVAL=3")));

        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_create_function(db, "series_occurs", 4, SQLITE_UTF8, nullptr, seriesOccurs, nullptr, nullptr);
        sqlite3_create_function(db, "series_reminds", 5, SQLITE_UTF8, nullptr, seriesReminds, nullptr, nullptr);
        std::vector<QDate> days;
        for (int year : {1984, 1990, 2019, 2020, 2021, 2022, 2024, 2025, 2026, 2027, 2028, 2030, 2031, 2070}) {
            for (QDate day(year, 1, 1); day.year() == year; day = day.addDays(day.month() == 3 ? 2 : 13))
                days.push_back(day);
        }
        auto agree = [&](const char *step) {
            for (const QDate &day : days) {
                const QString iso = day.toString(Qt::ISODate);
                if (!cursor.setFilter(QStringLiteral("Re = 'True' and Rr occurs '%1' or Rr reminds '%1'").arg(iso)))
                    return QStringLiteral("%1: filter refused").arg(QLatin1String(step));
                cursor.setFiltered(true);
                std::set<qint64> store;
                for (cursor.first(); !cursor.eof(); cursor.next())
                    store.insert(cursor.currentId());
                const QByteArray sql = QStringLiteral("SELECT No FROM items WHERE (Re = 1 AND series_occurs(Rr, S, Rx, "
                                                      "'%1')) OR series_reminds(Rr, S, Rx, Rs, '%1')")
                                           .arg(iso)
                                           .toUtf8();
                std::set<qint64> file;
                sqlite3_stmt *statement = nullptr;
                if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
                    return QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromUtf8(sqlite3_errmsg(db)));
                while (sqlite3_step(statement) == SQLITE_ROW)
                    file.insert(sqlite3_column_int64(statement, 0));
                sqlite3_finalize(statement);
                if (store != file)
                    return QStringLiteral("%1: rows differ on %2 (store %3, file %4)")
                        .arg(QLatin1String(step), iso)
                        .arg(store.size())
                        .arg(file.size());
            }
            return QString();
        };
        QCOMPARE(agree("as written"), QString());
        QVERIFY(add(QStringLiteral("Mondays and Fridays"), QDate(2023, 1, 2),
                    QStringLiteral("FREQ=WEEKLY;BYDAY=MO,FR;UNTIL=20260630")));
        QCOMPARE(agree("a series inserted"), QString());
        QVERIFY(edit(QStringLiteral("until 2021"), "Rr", QStringLiteral("FREQ=WEEKLY;UNTIL=20251231")));
        QCOMPARE(agree("an end moved four years on"), QString());
        QVERIFY(edit(QStringLiteral("thirty"), "Rr", QStringLiteral("FREQ=WEEKLY;INTERVAL=2;COUNT=3")));
        QCOMPARE(agree("a count cut"), QString());
        QVERIFY(edit(QStringLiteral("thirty"), "Rx", QStringLiteral("2024-12-16")));
        QCOMPARE(agree("a date removed"), QString());
        QVERIFY(edit(QStringLiteral("month ends from 2027"), "S", QDate(2020, 1, 31)));
        QCOMPARE(agree("a start moved seven years back"), QString());
        QVERIFY(edit(QStringLiteral("every third day"), "Rs", QDate(2030, 5, 30)));
        QCOMPARE(agree("a reminder set"), QString());
        QVERIFY(edit(QStringLiteral("Mondays and Fridays"), "Rr", QVariant()));
        QCOMPARE(agree("a rule cleared"), QString());
        QVERIFY(find(QStringLiteral("since 1984")));
        QVERIFY(cursor.deleteRow());
        QCOMPARE(agree("a series deleted"), QString());
        QCOMPARE(sqlite3_exec(db,
                              "UPDATE items SET Rr = 'FREQ=WEEKLY;UNTIL=20190301' WHERE Subject = 'until 2021';"
                              "UPDATE items SET S = '2031-01-31', E = '2031-01-31' WHERE Subject = 'month ends from "
                              "2027';"
                              "INSERT INTO items (Subject, S, E, Md, Re, Ret, Rr) VALUES ('theirs', '2021-05-03', "
                              "'2021-05-03', '0', 1, '2', 'FREQ=MONTHLY;BYDAY=1MO;UNTIL=20280101')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        cursor.refresh();
        QCOMPARE(agree("another program's writes read anew"), QString());
        sqlite3_close(db);
    }

    // A run of rows read at once gives what the cursor gives row by row:
    // from the fields kept beside the candidates while the rows are as the
    // filter found them, and from the table once any row has changed since
    // (before this cursor re-reads, and after).
    void blockReadsMatchOneByOne_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change :
             {"none", "edit elsewhere", "delete elsewhere", "insert elsewhere", "outside write", "edit here"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }

    void blockReadsMatchOneByOne()
    {
        QFETCH(QString, change);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("block.db"));
        QVERIFY(TableFile::create(path, calendarSchema()).isOk());
        Cursor reader, writer;
        for (Cursor *cursor : {&reader, &writer}) {
            cursor->setTableFile(dir.path(), QStringLiteral("block.db"), calendarSchema());
            QVERIFY(cursor->open());
        }
        QRandomGenerator random(7);
        const QDate day(2024, 3, 13); // a Wednesday
        auto maybe = [&random](const QVariant &value) { return random.bounded(4) == 0 ? QVariant() : value; };
        auto fill = [&](Cursor &cursor, int kind) {
            const QDate start = day.addDays(kind == 0 ? random.bounded(-3, 1) : -random.bounded(1, 30));
            cursor.setValue(ItemField::Subject, maybe(QStringLiteral("item %1").arg(random.bounded(1000))));
            cursor.setValue(ItemField::Loc, maybe(QStringLiteral("room %1").arg(random.bounded(9))));
            cursor.setValue(ItemField::Md, maybe(QStringLiteral("0")));
            cursor.setValue(ItemField::S, start);
            cursor.setValue(ItemField::E, kind == 0 ? start.addDays(random.bounded(4)) : start);
            cursor.setValue(ItemField::St, maybe(QTime(random.bounded(24), 30)));
            cursor.setValue(ItemField::Et, maybe(QTime(random.bounded(24), 0)));
            cursor.setValue(ItemField::A, maybe(bool(random.bounded(2))));
            cursor.setValue(ItemField::T, maybe(random.bounded(11)));
            cursor.setValue(ItemField::R, maybe(bool(random.bounded(2))));
            cursor.setValue(ItemField::Ta, maybe(false));
            cursor.setValue(ItemField::Rs, maybe(start));
            cursor.setValue(ItemField::Re, kind != 0);
            cursor.setValue(ItemField::Wed, kind == 1);
            cursor.setValue(ItemField::D, QString::number(day.day()));
            cursor.setValue(ItemField::Rr, kind == 2 ? QVariant(QStringLiteral("FREQ=DAILY")) : QVariant());
        };
        for (int i = 0; i < 60; ++i) {
            writer.insert();
            fill(writer, i % 3);
            QVERIFY2(writer.post(), qPrintable(writer.lastError()));
        }
        // Spans covering the day, the weekday's series, the day of the
        // month and the extended series (rows read from the table).
        const QString D = FilterLiterals::date(day);
        QVERIFY(reader.setFilter(
            "S <='" + D + "'and E >= '" + D + "' and Ta<>'True' or Re = 'True' and Wed = 'True' and S < '" + D
            + "' or Re = 'True' and D = '13' and S < '" + D + "' or Re = 'True' and Rr occurs '" + D + "'"));
        reader.setFiltered(true);
        QVERIFY(reader.recordCount() > 20);
        for (const bool cellFieldsOnly : {true, false})
            QCOMPARE(blockAgainstOneByOne(reader, cellFieldsOnly), QString());

        reader.first();
        for (int i = 0; i < reader.recordCount() / 2; ++i)
            reader.next();
        const qint64 middle = reader.currentId();
        if (change == QLatin1String("edit here")) {
            QVERIFY(reader.edit());
            const Cursor::Field subject = reader.field(ItemField::Subject);
            qint64 id = 0;
            QStringView text;
            QCOMPARE(reader.readRows(0, 1, {nullptr, 0, &subject, 1, &id, nullptr, &text}), 0);
            reader.setValue(ItemField::Subject, QStringLiteral("edited here"));
            reader.setValue(ItemField::St, QTime(6, 15));
            QVERIFY(reader.post());
        } else if (change == QLatin1String("outside write")) {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
            const QByteArray sql =
                "UPDATE items SET Subject = 'outside', T = 9, St = NULL WHERE No = " + QByteArray::number(middle);
            QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
            QVERIFY(reader.noticeOutsideChanges());
        } else if (change != QLatin1String("none")) {
            QVERIFY(writer.locate(ItemField::No, middle));
            if (change == QLatin1String("delete elsewhere")) {
                QVERIFY(writer.deleteRow());
            } else if (change == QLatin1String("edit elsewhere")) {
                QVERIFY(writer.edit());
                writer.setValue(ItemField::Subject, QStringLiteral("edited elsewhere"));
                writer.setValue(ItemField::T, 4);
                writer.setValue(ItemField::Et, QVariant());
                QVERIFY(writer.post());
            } else {
                writer.insert();
                fill(writer, 1);
                QVERIFY(writer.post());
            }
        }
        for (const bool cellFieldsOnly : {true, false})
            QCOMPARE(blockAgainstOneByOne(reader, cellFieldsOnly), QString());
        reader.refresh();
        for (const bool cellFieldsOnly : {true, false})
            QCOMPARE(blockAgainstOneByOne(reader, cellFieldsOnly), QString());
    }

    // The literals the program writes into its own filters read back as
    // what they were made from, a quote inside a text included.
    void quotedLiteralsReadBack_data()
    {
        QTest::addColumn<QString>("quoted");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("date") << FilterLiterals::quoted(QDate(2024, 5, 3)) << "'2024-05-03'"
                              << "S = " + FilterLiterals::quoted(QDate(2024, 5, 3)) << QStringList {"one-date"};
        QTest::newRow("time") << FilterLiterals::quoted(QTime(7, 30)) << "'07:30:00'"
                              << "Et = " + FilterLiterals::quoted(QTime(7, 30)) << QStringList {"weekly"};
        QTest::newRow("text with a quote")
            << FilterLiterals::quoted(QStringLiteral("it's quoted")) << "'it''s quoted'"
            << "Subject = " + FilterLiterals::quoted(QStringLiteral("it's quoted")) << QStringList {"it's quoted"};
        QTest::newRow("text that tries to end the literal")
            << FilterLiterals::quoted(QStringLiteral("x' or Subject <> '")) << "'x'' or Subject <> '''"
            << "Subject = " + FilterLiterals::quoted(QStringLiteral("x' or Subject <> '")) << QStringList();
        QTest::newRow("invalid date is blank") << FilterLiterals::quoted(QDate()) << "''"
                                               << "Subject = " + FilterLiterals::quoted(QDate()) << QStringList();
    }

    void quotedLiteralsReadBack()
    {
        QFETCH(QString, quoted);
        QFETCH(QString, text);
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(quoted, text);
        QCOMPARE(visible(filter), expected);
    }
};

QTEST_GUILESS_MAIN(TestFilter)
#include "test_filter.moc"
