// The command line as a script meets it: the real program, run as a child
// with its own data root and runtime directory, must answer a bad argument
// with a line that says what was wrong and exit code 2, never a window.

#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int FinishTimeoutMs = 20000;
}

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void badArguments_data();
    void badArguments();
    void helpAndVersion_data();
    void helpAndVersion();
    void commandsCheckTheirOwnArguments_data();
    void commandsCheckTheirOwnArguments();

private:
    struct Run
    {
        bool finished = false;
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList &arguments);

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_runtime;
};

void CommandLineTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid() && m_runtime->isValid());
    QFile::setPermissions(m_runtime->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

CommandLineTest::Run CommandLineTest::run(const QStringList &arguments)
{
    QProcess planner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    env.insert(QStringLiteral("DAYBROOK_HOME"), m_home->path());
    planner.setProcessEnvironment(env);
    planner.start(QStringLiteral(DAYBROOK_EXECUTABLE), arguments);
    Run result;
    result.finished = planner.waitForFinished(FinishTimeoutMs);
    if (!result.finished) {
        // A window opened after all: end it so that the test can report that.
        planner.kill();
        planner.waitForFinished();
        return result;
    }
    result.exitCode = planner.exitCode();
    result.out = QString::fromLocal8Bit(planner.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(planner.readAllStandardError());
    return result;
}

void CommandLineTest::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("unknown option") << QStringList{"--agneda", "2024-05-01", "2024-05-02"}
                                    << "daybrook: unknown option --agneda";
    QTest::newRow("unknown short option") << QStringList{"-x"} << "daybrook: unknown option -x";
    QTest::newRow("stray word") << QStringList{"agenda"} << "daybrook: unexpected argument agenda";
    QTest::newRow("--home without a directory") << QStringList{"--home"} << "daybrook: --home needs a directory";
    QTest::newRow("--home followed by an option")
        << QStringList{"--home", "--agenda", "2024-05-01", "2024-05-02"} << "daybrook: --home needs a directory";
    QTest::newRow("--agenda without dates") << QStringList{"--agenda"}
                                            << "daybrook: --agenda needs two dates, FROM and TO";
    QTest::newRow("--agenda with one date") << QStringList{"--agenda", "2024-05-01"}
                                            << "daybrook: --agenda needs two dates, FROM and TO";
    QTest::newRow("unknown option after --agenda")
        << QStringList{"--agenda", "2024-05-01", "2024-05-02", "--verbose"} << "daybrook: unknown option --verbose";
}

void CommandLineTest::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstLine);
    const Run result = run(arguments);
    QVERIFY2(result.finished, "the program kept running (a window opened)");
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    const QStringList lines = result.err.split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), firstLine);
    QVERIFY(result.err.contains(QStringLiteral("usage: daybrook [--home DIR]\n")));
    // Nothing was set up: the program ended before it touched the data root.
    QVERIFY(QDir(m_home->path()).isEmpty());
}

// The print and iCalendar commands read their own arguments: one line each.
void CommandLineTest::commandsCheckTheirOwnArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::newRow("--import without a file") << QStringList{"--import"}
        << "usage: daybrook [--home DIR] --import FILE.ics [--force] | --export FILE.ics [FROM TO]";
    QTest::newRow("--import with a stray word") << QStringList{"--import", "a.ics", "now"} << "import: unknown argument: now";
    QTest::newRow("--export with one date") << QStringList{"--export", "b.ics", "2025-01-01"}
                                            << "export: give both FROM and TO (YYYY-MM-DD), or neither";
    QTest::newRow("--print without --pdf") << QStringList{"--print", "day", "2025-01-01"}
        << "usage: daybrook [--home DIR] --print day|week|month DATE --pdf FILE (DATE as YYYY-MM-DD)";
}

void CommandLineTest::commandsCheckTheirOwnArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    const Run result = run(arguments);
    QVERIFY2(result.finished, "the program kept running (a window opened)");
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QCOMPARE(result.err, line + QLatin1Char('\n'));
    QVERIFY(QDir(m_home->path()).isEmpty());
}

void CommandLineTest::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("--help") << QStringList{"--help"} << "usage: daybrook [--home DIR]";
    QTest::newRow("--help with --home") << QStringList{"--home", "/nonexistent", "--help"}
                                        << "usage: daybrook [--home DIR]";
    QTest::newRow("--version") << QStringList{"--version"} << "Daybrook Planner " DAYBROOK_VERSION;
}

void CommandLineTest::helpAndVersion()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstLine);
    const Run result = run(arguments);
    QVERIFY2(result.finished, "the program kept running (a window opened)");
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
    QCOMPARE(result.out.split(QLatin1Char('\n')).first(), firstLine);
    QVERIFY(QDir(m_home->path()).isEmpty());
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
