// `daybrook --search TEXT` on a calendar written as the planner writes it:
// the lines, their order and formats, and the refusals.

#include "app/SearchCommand.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/SeriesRow.h"
#include "store/Unit2.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

namespace {

struct RunResult
{
    int code = -1;
    QString out;
    QString err;
};

RunResult search(const QStringList &arguments)
{
    RunResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = runSearch(QStringList {"daybrook"} + arguments, out, err);
    out.flush();
    err.flush();
    return result;
}

void post(Cursor &cursor, const QVariantMap &fields)
{
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post())
        qFatal("%s", qPrintable(cursor.lastError()));
}

} // namespace

class TestSearchCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinTestLocale();
        QVERIFY(m_home.isValid());
        TDataModule2 store {DataRoot(m_home.path())};
        QVERIFY(store.startUp());
        Cursor &items = store.Table50();
        using namespace ItemField;
        // No 1: five years ahead, timed.
        post(items,
             {{Subject, "Dentist"},
              {S, QDate(2031, 3, 4)},
              {E, QDate(2031, 3, 4)},
              {Md, "0"},
              {St, QTime(9, 0)},
              {Et, QTime(9, 45)},
              {A, false}});
        // No 2: the word in the notes only, six years back, all day.
        post(items,
             {{Subject, "Check-up"},
              {N, "with the DENTIST downtown"},
              {S, QDate(2019, 3, 4)},
              {E, QDate(2019, 3, 4)},
              {Md, "0"},
              {A, true}});
        // No 3: no match.
        post(items,
             {{Subject, "Dinner"},
              {Loc, "Harbour"},
              {S, QDate(2025, 3, 4)},
              {E, QDate(2025, 3, 4)},
              {Md, "0"},
              {A, true}});
        // No 4: a weekly series with a tab in its subject, found in its location.
        post(items,
             {{Subject, "Team\tsync"},
              {Loc, "Dentist's old office"},
              {S, QDate(2024, 1, 1)},
              {E, QDate(2024, 1, 1)},
              {Md, "0"},
              {St, QTime(14, 0)},
              {Et, QTime(15, 0)},
              {Re, true},
              {Ret, RecurrenceKind::Weekly},
              {Mon, true}});
        // No 5: a task due 2025-06-30 without start.
        post(items, {{Subject, "Call the dentist"}, {Ta, true}, {E, QDate(2025, 6, 30)}});
        store.closeAll();
    }

    void printsMatchingItemsByDate()
    {
        const RunResult result = search({"--home", m_home.path(), "--search", "dentist"});
        QCOMPARE(result.code, 0);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out,
                 QStringLiteral("2\t2019-03-04\t2019-03-04\t\t\tCheck-up\n"
                                "4\t2024-01-01\t2024-01-01\t14:00\t15:00\tTeam sync\n"
                                "5\t\t2025-06-30\t\t\tCall the dentist\n"
                                "1\t2031-03-04\t2031-03-04\t09:00\t09:45\tDentist\n"));
    }

    void noMatchPrintsNothing()
    {
        const RunResult result = search({"--home", m_home.path(), "--search", "orthodontist"});
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err, QString());
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("err");
        QTest::newRow("no text") << QStringList {"--search"} << "usage: daybrook [--home DIR] --search TEXT\n";
        QTest::newRow("blank text") << QStringList {"--search", "  "} << "search: the text to find is empty\n";
        QTest::newRow("no data root") << QStringList {"--home", "/nonexistent/daybrook", "--search", "x"} << "search: ";
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, err);
        const RunResult result = search(arguments);
        QCOMPARE(result.code, 2);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.startsWith(err), qPrintable(result.err));
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "test_searchcommand.moc"
