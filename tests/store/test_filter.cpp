// The filter language and the way the store answers it from its indexes.

#include "store/Cursor.h"
#include "store/FilterLiterals.h"
#include "store/TableFile.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <set>

namespace {

struct Item
{
    QString subject;
    QVariant s, e, md, st, et, a, ta, re, ret, d, m, mon;
};

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
        for (QDate day = origin; day < origin.addDays(200); day = day.addDays(3)) {
            const QString text = QLocale().toString(day, QStringLiteral("M/d/yyyy"));
            const QString w = weekdays[day.dayOfWeek() % 7];
            const QString d = QString::number(day.day()), m = QString::number(day.month());
            const QString rule =
                QStringLiteral("S <='%1'and E >= '%1' and Ta<>'True' or Re = 'True' and  %2 = 'True' and S < '%1' or "
                               "Re = 'True' and Ret='3' and D = '%3' and S < '%1' or Re = 'True' and  D = '%3' and M = "
                               "'%4' and S < '%1'")
                    .arg(text, w, d, m);
            QVERIFY(cursor.setFilter(rule));
            cursor.setFiltered(true);
            std::set<qint64> store;
            for (cursor.first(); !cursor.eof(); cursor.next())
                store.insert(cursor.currentId());

            const QString iso = day.toString(Qt::ISODate);
            const QByteArray sql =
                QStringLiteral(
                    "SELECT No FROM items WHERE (S <= '%1' AND E >= '%1' AND coalesce(Ta, 0) <> 1) OR "
                    "(Re = 1 AND \"%2\" = 1 AND S < '%1') OR (Re = 1 AND Ret = '3' AND D = '%3' AND S < '%1') OR "
                    "(Re = 1 AND D = '%3' AND M = '%4' AND S < '%1')")
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
