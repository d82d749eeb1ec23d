// The command line as a script meets it: the real program, run as a child
// with its own data root and runtime directory, must answer a bad argument
// with a line that says what was wrong and exit code 2, never a window.

#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

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
    void noDisplay_data();
    void noDisplay();

private:
    struct Run
    {
        bool finished = false;
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList &arguments, const QProcessEnvironment &changes = {});

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

// `changes` holds variables to set; one set to "-" is removed.
CommandLineTest::Run CommandLineTest::run(const QStringList &arguments, const QProcessEnvironment &changes)
{
    QProcess planner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    env.insert(QStringLiteral("DAYBROOK_HOME"), m_home->path());
    for (const QString &name : changes.keys()) {
        if (changes.value(name) == QLatin1String("-"))
            env.remove(name);
        else
            env.insert(name, changes.value(name));
    }
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
    QTest::newRow("unknown option") << QStringList {"--agneda", "2024-05-01", "2024-05-02"}
                                    << "daybrook: unknown option --agneda";
    QTest::newRow("unknown short option") << QStringList {"-x"} << "daybrook: unknown option -x";
    QTest::newRow("stray word") << QStringList {"agenda"} << "daybrook: unexpected argument agenda";
    QTest::newRow("--home without a directory") << QStringList {"--home"} << "daybrook: --home needs a directory";
    QTest::newRow("--home followed by an option")
        << QStringList {"--home", "--agenda", "2024-05-01", "2024-05-02"} << "daybrook: --home needs a directory";
    QTest::newRow("--agenda without dates")
        << QStringList {"--agenda"} << "daybrook: --agenda needs two dates, FROM and TO";
    QTest::newRow("--agenda with one date")
        << QStringList {"--agenda", "2024-05-01"} << "daybrook: --agenda needs two dates, FROM and TO";
    // Each command reads only its own arguments: two of them together are
    // refused as such, not as an unknown argument of one of them.
    QTest::newRow("--print and --agenda")
        << QStringList {"--print", "day", "2025-01-01", "--pdf", "a.pdf", "--agenda", "2025-01-01", "2025-01-02"}
        << "daybrook: --print and --agenda cannot be combined";
    QTest::newRow("--agenda and --pdf") << QStringList {"--agenda", "2025-01-01", "2025-01-02", "--pdf", "a.pdf"}
                                        << "daybrook: --agenda and --pdf cannot be combined";
    QTest::newRow("--import and --export") << QStringList {"--import", "a.ics", "--export", "b.ics"}
                                           << "daybrook: --import and --export cannot be combined";
    QTest::newRow("--export and --print")
        << QStringList {"--export", "b.ics", "--print", "week", "2025-01-01", "--pdf", "a.pdf"}
        << "daybrook: --export and --print cannot be combined";
    QTest::newRow("unknown option after --agenda")
        << QStringList {"--agenda", "2024-05-01", "2024-05-02", "--verbose"} << "daybrook: unknown option --verbose";
    QTest::newRow("unknown option alone") << QStringList {"--bogus"} << "daybrook: unknown option --bogus";
    QTest::newRow("--search without a text") << QStringList {"--search"} << "daybrook: --search needs a text to find";
    QTest::newRow("--search with an empty text")
        << QStringList {"--search", ""} << "daybrook: --search needs a text to find";
    QTest::newRow("--search followed by an option")
        << QStringList {"--search", "--home", "/tmp"} << "daybrook: --search needs a text to find";
    QTest::newRow("--search given twice")
        << QStringList {"--search", "a", "--search", "b"} << "daybrook: --search given twice";
    QTest::newRow("--search with a stray word")
        << QStringList {"--search", "dentist", "today"} << "daybrook: unexpected argument today";
    QTest::newRow("--search and --agenda") << QStringList {"--search", "x", "--agenda", "2025-01-01", "2025-01-02"}
                                           << "daybrook: --search and --agenda cannot be combined";
    QTest::newRow("--search and --print")
        << QStringList {"--search", "x", "--print", "day", "2025-01-01", "--pdf", "a.pdf"}
        << "daybrook: --search and --print cannot be combined";
}

void CommandLineTest::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstLine);
    const Run result = run(arguments);
    QVERIFY2(result.finished, "the program kept running (a window opened)");
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    // One line, as every refusal: the usage is --help's to print.
    QCOMPARE(result.err, firstLine + QLatin1Char('\n'));
    // Nothing was set up: the program ended before it touched the data root.
    QVERIFY(QDir(m_home->path()).isEmpty());
}

// The print and iCalendar commands read their own arguments: one line each.
void CommandLineTest::commandsCheckTheirOwnArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::newRow("--import without a file")
        << QStringList {"--import"}
        << "usage: daybrook [--home DIR] --import FILE.ics [--force] | --export FILE.ics [FROM TO]";
    QTest::newRow("--import with a stray word")
        << QStringList {"--import", "a.ics", "now"} << "import: unknown argument: now";
    QTest::newRow("--export with one date")
        << QStringList {"--export", "b.ics", "2025-01-01"} << "export: give both FROM and TO (YYYY-MM-DD), or neither";
    QTest::newRow("--print without --pdf")
        << QStringList {"--print", "day", "2025-01-01"}
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

// Without a display the window cannot open: one line says so and the exit
// code is 2, as for any start that cannot do what it was asked. The
// terminal commands never need a display.
void CommandLineTest::noDisplay_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");
    const QString noDisplay = QStringLiteral(
        "daybrook: no display could be opened (the --agenda, --search, --print, --import and --export commands need "
        "none)\n");
    QTest::newRow("the window, no X display") << "xcb" << QStringList() << 2 << noDisplay;
    QTest::newRow("the window, no platform of that name") << "nonesuch" << QStringList() << 2 << noDisplay;
    QTest::newRow("--agenda") << "xcb" << QStringList {"--agenda", "2025-01-01", "2025-01-01"} << 0 << QString();
    QTest::newRow("--search") << "xcb" << QStringList {"--search", "dentist"} << 0 << QString();
    QTest::newRow("--print") << "xcb" << QStringList {"--print", "day", "2025-01-01", "--pdf", "day.pdf"} << 0
                             << QString();
    QTest::newRow("--export") << "xcb" << QStringList {"--export", "all.ics"} << 0 << QString();
}

void CommandLineTest::noDisplay()
{
    QFETCH(QString, platform);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    {
        TDataModule2 store {DataRoot(m_home->path())};
        QVERIFY(store.startUp());
    }
    QProcessEnvironment changes;
    changes.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    changes.insert(QStringLiteral("DISPLAY"), QStringLiteral("-"));
    changes.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("-"));
    const QString pdf = QDir(m_home->path()).filePath(QStringLiteral("day.pdf"));
    const QString ics = QDir(m_home->path()).filePath(QStringLiteral("all.ics"));
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^day\\.pdf$")), pdf);
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^all\\.ics$")), ics);
    const Run result = run(arguments, changes);
    QVERIFY2(result.finished, "the program kept running");
    QCOMPARE(result.exitCode, exitCode);
    if (exitCode == 0)
        QVERIFY2(!result.err.contains(QStringLiteral("display")), qPrintable(result.err));
    else
        QCOMPARE(result.err, err);
    // A start that could not open its window leaves no lock behind.
    QVERIFY(!QFile::exists(QDir(m_runtime->path()).filePath(QStringLiteral("irgendwaseinmages"))));
}

void CommandLineTest::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("--help") << QStringList {"--help"} << "usage: daybrook [--home DIR]";
    QTest::newRow("--help with --home") << QStringList {"--home", "/nonexistent", "--help"}
                                        << "usage: daybrook [--home DIR]";
    QTest::newRow("--version") << QStringList {"--version"} << "Daybrook Planner " DAYBROOK_VERSION;
    QTest::newRow("--help with --search") << QStringList {"--search", "x", "--help"} << "usage: daybrook [--home DIR]";
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
