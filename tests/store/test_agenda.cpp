#include "app/Agenda.h"
#include "store/Cursor.h"
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

RunResult agenda(const QStringList &arguments)
{
    RunResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = runAgenda(QStringList {"daybrook"} + arguments, out, err);
    out.flush();
    err.flush();
    return result;
}

qint64 addItem(Cursor &cursor, const QVariantMap &fields)
{
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        return 0;
    }
    return cursor.currentId();
}

// Every file below dir with its bytes and time of change.
QMap<QString, QPair<QByteArray, QDateTime>> snapshot(const QString &dir)
{
    QMap<QString, QPair<QByteArray, QDateTime>> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files.insert(path, {file.readAll(), QFileInfo(path).lastModified()});
    }
    return files;
}

} // namespace

class TestAgenda : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void printsEachDateWithItsItems();
    void extendedSeriesOnItsDates();
    void writesNothing();
    void longestRangeIsAccepted();
    void badInput_data();
    void badInput();

private:
    TempHome m_home;
    QHash<QString, qint64> m_no; // No of each item by a short name
};

void TestAgenda::initTestCase()
{
    pinTestLocale();
    QVERIFY(m_home.isValid());
    TDataModule2 dm {DataRoot(m_home.path())};
    const Outcome started = dm.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    Cursor &c = dm.Table50();
    const QDate may3(2021, 5, 3);
    m_no["standup"] = addItem(c,
                              {{"Subject", "Standup"},
                               {"S", may3},
                               {"E", may3},
                               {"Md", "0"},
                               {"St", QTime(9, 0)},
                               {"Et", QTime(9, 15)},
                               {"A", false},
                               {"Ta", false},
                               {"Re", true},
                               {"Ret", "2"},
                               {"Mon", true},
                               {"Wed", true},
                               {"Sun", false},
                               {"T", 2}});
    m_no["conference"] = addItem(
        c, {{"Subject", "Conference"}, {"S", QDate(2021, 5, 4)}, {"E", QDate(2021, 5, 6)}, {"A", true}, {"T", 6}});
    // Every boolean and the type left blank, as the day view's grid writes it.
    m_no["dentist"] = addItem(c,
                              {{"Subject", "Dentist"},
                               {"S", QDate(2021, 5, 5)},
                               {"E", QDate(2021, 5, 5)},
                               {"Md", "0"},
                               {"St", QTime(14, 0)},
                               {"Et", QTime(15, 0)}});
    m_no["task"] = addItem(c, {{"Subject", "Task"}, {"S", QDate(2021, 5, 5)}, {"E", QDate(2021, 5, 5)}, {"Ta", true}});
    m_no["monthly"] = addItem(c,
                              {{"Subject", "Monthly report"},
                               {"S", QDate(2021, 4, 7)},
                               {"E", QDate(2021, 4, 7)},
                               {"Md", "0"},
                               {"A", true},
                               {"Re", true},
                               {"Ret", "3"},
                               {"D", "7"},
                               {"T", 0}});
    m_no["yearly"] = addItem(c,
                             {{"Subject", "Yearly"},
                              {"S", QDate(2020, 5, 2)},
                              {"E", QDate(2020, 5, 2)},
                              {"Md", "0"},
                              {"St", QTime(8, 0)},
                              {"Et", QTime(8, 30)},
                              {"Re", true},
                              {"Ret", "4"},
                              {"D", "2"},
                              {"M", "5"},
                              {"T", 0}});
    m_no["tab"] = addItem(c,
                          {{"Subject", "Pack\tbags\n"},
                           {"S", QDate(2021, 5, 6)},
                           {"E", QDate(2021, 5, 6)},
                           {"Md", "0"},
                           {"A", true},
                           {"T", 0}});

    // Every other Monday from 7 June 2021, three times, the second skipped.
    c.insert();
    for (const auto &[field, value] : std::initializer_list<std::pair<const char *, QVariant>> {
             {"Subject", "Fortnightly"}, {"St", QTime(10, 0)}, {"Et", QTime(11, 0)}, {"A", false}, {"Ta", false}})
        c.setValue(field, value);
    const Result<SeriesRule> rule = SeriesRule::parse("FREQ=WEEKLY;INTERVAL=2;COUNT=3");
    QVERIFY(rule);
    QVERIFY(SeriesRow::writeExtendedSeries(c, rule.value(), QDate(2021, 6, 7), {QDate(2021, 6, 21)}));
    QVERIFY2(c.post(), qPrintable(c.lastError()));
    m_no["fortnightly"] = c.currentId();

    for (auto it = m_no.cbegin(); it != m_no.cend(); ++it)
        QVERIFY2(it.value() > 0, qPrintable(it.key()));
}

void TestAgenda::printsEachDateWithItsItems()
{
    const RunResult r = agenda({"--home", m_home.path(), "--agenda", "2021-05-01", "2021-05-07"});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);

    auto line = [this](const char *name, const QString &rest) {
        return QString::number(m_no[name]) + '\t' + rest + '\n';
    };
    const QString conference = line("conference", "2021-05-04\t2021-05-06\t\t\t1\t0\t0\t6\tConference");
    const QString standup = line("standup", "2021-05-03\t2021-05-03\t09:00\t09:15\t0\t1\t0\t2\tStandup");
    const QString expected = QString("2021-05-01\n") + "2021-05-02\n"
        + line("yearly", "2020-05-02\t2020-05-02\t08:00\t08:30\t0\t1\t0\t0\tYearly") + "2021-05-03\n" + standup
        + "2021-05-04\n" + conference + "2021-05-05\n" + conference + standup
        + line("dentist", "2021-05-05\t2021-05-05\t14:00\t15:00\t0\t0\t0\t\tDentist") + "2021-05-06\n" + conference
        + line("tab", "2021-05-06\t2021-05-06\t\t\t1\t0\t0\t0\tPack bags ") + "2021-05-07\n"
        + line("monthly", "2021-04-07\t2021-04-07\t\t\t1\t1\t0\t0\tMonthly report");
    QCOMPARE(r.out, expected);
}

void TestAgenda::extendedSeriesOnItsDates()
{
    const RunResult r = agenda({"--home", m_home.path(), "--agenda", "2021-06-01", "2021-07-31"});
    QCOMPARE(r.code, 0);
    QStringList dates;
    QString date;
    const QString prefix = QString::number(m_no["fortnightly"]) + '\t';
    for (const QString &line : r.out.split('\n')) {
        if (!line.contains('\t'))
            date = line;
        else if (line.startsWith(prefix))
            dates << date;
    }
    QCOMPARE(dates, QStringList({"2021-06-07", "2021-07-05"}));
}

void TestAgenda::writesNothing()
{
    const auto before = snapshot(m_home.path());
    QVERIFY(before.size() >= 3);
    QTest::qWait(20); // so that a write would show in the times of change
    const RunResult r = agenda({"--home", m_home.path(), "--agenda", "2021-01-01", "2021-12-31"});
    QCOMPARE(r.code, 0);
    QCOMPARE(snapshot(m_home.path()), before);
}

void TestAgenda::longestRangeIsAccepted()
{
    const QDate from(2020, 1, 1);
    const RunResult r =
        agenda({"--home", m_home.path(), "--agenda", "2020-01-01", from.addDays(3659).toString(Qt::ISODate)});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.count(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}\\n", QRegularExpression::MultilineOption)), 3660);
}

void TestAgenda::badInput_data()
{
    QTest::addColumn<QString>("home"); // "good", "missing", "empty", "broken" or "damaged"
    QTest::addColumn<QStringList>("range");

    QTest::newRow("month 13") << "good" << QStringList {"2021-13-01", "2021-12-31"};
    QTest::newRow("30 February") << "good" << QStringList {"2021-01-01", "2021-02-30"};
    QTest::newRow("locale date") << "good" << QStringList {"5/1/2021", "5/7/2021"};
    QTest::newRow("no leading zeros") << "good" << QStringList {"2021-5-1", "2021-5-7"};
    QTest::newRow("reversed range") << "good" << QStringList {"2021-05-07", "2021-05-01"};
    QTest::newRow("3,661 days") << "good"
                                << QStringList {"2020-01-01", QDate(2020, 1, 1).addDays(3660).toString(Qt::ISODate)};
    QTest::newRow("TO missing") << "good" << QStringList {"2021-05-01"};
    QTest::newRow("data root does not exist") << "missing" << QStringList {"2021-05-01", "2021-05-07"};
    QTest::newRow("data root never set up") << "empty" << QStringList {"2021-05-01", "2021-05-07"};
    QTest::newRow("options unreadable") << "broken" << QStringList {"2021-05-01", "2021-05-07"};
    QTest::newRow("calendar file damaged") << "damaged" << QStringList {"2021-05-01", "2021-05-07"};
    QTest::newRow("folder names the folders list")
        << "folders list as calendar" << QStringList {"2021-05-01", "2021-05-07"};
}

void TestAgenda::badInput()
{
    QFETCH(QString, home);
    QFETCH(QStringList, range);
    QTemporaryDir scratch;
    QString root = m_home.path();
    if (home == "missing") {
        root = scratch.path() + "/not/there";
    } else if (home == "empty") {
        root = scratch.path();
    } else if (home == "broken") {
        root = scratch.path();
        QDir().mkpath(root + "/Data");
        QFile::copy(m_home.path() + "Data/folderslist.db", root + "/Data/folderslist.db");
        QFile options(root + "/Data/options.db");
        QVERIFY(options.open(QIODevice::WriteOnly));
        options.write("not a table\n");
    } else if (home == "damaged") {
        root = scratch.path();
        {
            TDataModule2 dm {DataRoot(root)};
            QVERIFY(dm.startUp());
        }
        QFile calendar(root + "/Personal Calendar/Personal Calendar.db");
        QVERIFY(calendar.open(QIODevice::WriteOnly | QIODevice::Truncate));
        calendar.write("not a calendar\n");
    } else if (home == "folders list as calendar") {
        root = scratch.path() + "/";
        TDataModule2 dm {DataRoot(root)};
        QVERIFY(dm.startUp());
        QVERIFY(dm.Table61().edit());
        dm.Table61().setValue("3", root + "Data/");
        dm.Table61().setValue("4", "folderslist.db");
        QVERIFY(dm.Table61().post());
    }
    const auto before = snapshot(scratch.path());

    const RunResult r = agenda(QStringList {"--home", root, "--agenda"} + range);
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(r.err.endsWith('\n'));
    QVERIFY(r.err.size() > 10);
    QCOMPARE(snapshot(scratch.path()), before);
    QVERIFY(!QFileInfo::exists(scratch.path() + "/not"));
}

QTEST_GUILESS_MAIN(TestAgenda)
#include "test_agenda.moc"
