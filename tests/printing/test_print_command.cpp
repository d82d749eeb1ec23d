#include "DataRoot.h"
#include "TestSupport.h"
#include "Unit2.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

// `daybrook --print`: a bad argument is one line on standard error and exit
// code 2 with no window and no file; a good one writes a one-page PDF.
class TestPrintCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badArguments_data();
    void badArguments();
    void missingDataRoot();
    void writesAPdf_data();
    void writesAPdf();
    void unwritablePathLeavesNoFile();

private:
    struct Run
    {
        int code = -1;
        QByteArray out;
        QByteArray err;
    };
    Run daybrook(const QStringList &arguments);

    TempHome m_home;
    QTemporaryDir m_out;
    QTemporaryDir m_runtime;
};

void TestPrintCommand::initTestCase()
{
    QVERIFY(m_home.isValid() && m_out.isValid() && m_runtime.isValid());
    QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    TDataModule2 store(DataRoot(m_home.path()));
    QVERIFY2(store.startUp(), qPrintable(store.startUpError()));
    Cursor &items = store.Table50();
    items.insert();
    items.setValue("Subject", "Dentist");
    items.setValue("S", QDate(2025, 3, 4));
    items.setValue("E", QDate(2025, 3, 4));
    items.setValue("Md", "0");
    items.setValue("St", QTime(9, 0));
    items.setValue("Et", QTime(10, 30));
    QVERIFY2(items.post(), qPrintable(items.lastError()));
    store.closeAll();
}

TestPrintCommand::Run TestPrintCommand::daybrook(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DAYBROOK_HOME"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the command must not need a display
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(DAYBROOK_EXE), arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

void TestPrintCommand::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString pdf = QStringLiteral("out.pdf");
    QTest::newRow("no --pdf") << QStringList{"--print", "day", "2025-03-04"} << "usage: daybrook";
    QTest::newRow("--pdf without a page") << QStringList{"--pdf", pdf} << "usage: daybrook";
    QTest::newRow("unknown page") << QStringList{"--print", "year", "2025-03-04", "--pdf", pdf}
                                  << "print: not a page (day, week or month): year";
    QTest::newRow("not a date") << QStringList{"--print", "day", "2025-02-30", "--pdf", pdf}
                                << "print: not a date (YYYY-MM-DD): 2025-02-30";
    QTest::newRow("locale date") << QStringList{"--print", "week", "3/4/2025", "--pdf", pdf}
                                 << "print: not a date (YYYY-MM-DD): 3/4/2025";
    QTest::newRow("unknown argument") << QStringList{"--print", "day", "2025-03-04", "--pdf", pdf, "--colour"}
                                      << "print: unknown argument: --colour";
    QTest::newRow("page without date") << QStringList{"--pdf", pdf, "--print", "day"} << "usage: daybrook";
    QTest::newRow("two pages") << QStringList{"--print", "day", "2025-03-04", "--print", "week", "2025-03-04",
                                              "--pdf", pdf}
                               << "usage: daybrook";
}

void TestPrintCommand::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QString pdf = m_out.filePath(QStringLiteral("out.pdf"));
    arguments.replaceInStrings(QStringLiteral("out.pdf"), pdf);
    const Run run = daybrook(QStringList{"--home", m_home.path()} + arguments);
    QCOMPARE(run.code, 2);
    const QList<QByteArray> lines = run.err.trimmed().split('\n');
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(message.toUtf8()), run.err.constData());
    QVERIFY(run.out.isEmpty());
    QVERIFY(!QFile::exists(pdf));
}

void TestPrintCommand::missingDataRoot()
{
    QTemporaryDir empty;
    const QString pdf = m_out.filePath(QStringLiteral("none.pdf"));
    const Run run = daybrook({"--home", empty.path(), "--print", "month", "2025-03-04", "--pdf", pdf});
    QCOMPARE(run.code, 2);
    QCOMPARE(run.err.trimmed().split('\n').size(), 1);
    QVERIFY(run.err.startsWith("print: "));
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(QDir(empty.path()).isEmpty()); // nothing was created
}

void TestPrintCommand::writesAPdf_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("day") << "day";
    QTest::newRow("week") << "week";
    QTest::newRow("month") << "month";
}

void TestPrintCommand::writesAPdf()
{
    QFETCH(QString, page);
    const QString pdf = m_out.filePath(page + QStringLiteral(".pdf"));
    const Run run = daybrook({"--home", m_home.path(), "--print", page, "2025-03-04", "--pdf", pdf});
    QVERIFY2(run.code == 0, run.err.constData());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(content.startsWith("%PDF-"));
    QVERIFY(content.trimmed().endsWith("%%EOF"));
    QCOMPARE(content.count("/Type /Page\n") + content.count("/Type /Page\r") + content.count("/Type /Page "), 1);
    // Nothing else was left beside it.
    QCOMPARE(QDir(m_out.path()).entryList(QDir::Files).filter(page).size(), 1);
}

void TestPrintCommand::unwritablePathLeavesNoFile()
{
    const QString pdf = m_out.filePath(QStringLiteral("no/such/dir/page.pdf"));
    const Run run = daybrook({"--home", m_home.path(), "--print", "day", "2025-03-04", "--pdf", pdf});
    QCOMPARE(run.code, 1);
    QVERIFY(run.err.startsWith("print: cannot write "));
    QVERIFY(!QFile::exists(pdf));
}

QTEST_GUILESS_MAIN(TestPrintCommand)
#include "test_print_command.moc"
