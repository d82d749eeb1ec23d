#include "store/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include "tests/support/FullDisk.h"

#include <csignal>
#include <sys/resource.h>

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
    void pdfTextHoldsEverySubject_data();
    void pdfTextHoldsEverySubject();
    void fullDiskKeepsTheOldPdf_data();
    void fullDiskKeepsTheOldPdf();
    void writeErrorOnADevice();
    void refusesTheTableFiles_data();
    void refusesTheTableFiles();

private:
    struct Run
    {
        int code = -1;
        QByteArray out;
        QByteArray err;
    };
    Run daybrook(const QStringList &arguments, qint64 fileSizeLimit = 0);
    static void addItem(TDataModule2 &store, const QString &subject, const QDate &s, const QDate &e);

    TempHome m_home;
    QTemporaryDir m_out;
    QTemporaryDir m_runtime;
};

void TestPrintCommand::initTestCase()
{
    QVERIFY(m_home.isValid() && m_out.isValid() && m_runtime.isValid());
    QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    TDataModule2 store(DataRoot(m_home.path()));
    const Outcome started = store.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    Cursor &items = store.Table50();
    items.insert();
    items.setValue("Subject", "Dentist");
    items.setValue("S", QDate(2025, 3, 4));
    items.setValue("E", QDate(2025, 3, 4));
    items.setValue("Md", "0");
    items.setValue("St", QTime(9, 0));
    items.setValue("Et", QTime(10, 30));
    QVERIFY2(items.post(), qPrintable(items.lastError()));
    addItem(store, "Conference day", QDate(2025, 3, 4), QDate(2025, 3, 4));
    addItem(store, "Harbour trip", QDate(2025, 3, 5), QDate(2025, 3, 7));

    // A second folder, whose calendar is one of the planner's table files too.
    QVERIFY(QDir().mkpath(m_home.path() + "Work"));
    QVERIFY(store.createCalendarTable(m_home.path() + "Work/", "Work.db"));
    Cursor &folders = store.Table61();
    folders.insert();
    folders.setValue("2", "Work");
    folders.setValue("3", m_home.path() + "Work/");
    folders.setValue("4", "Work.db");
    QVERIFY2(folders.post(), qPrintable(folders.lastError()));
    store.closeAll();
}

void TestPrintCommand::addItem(TDataModule2 &store, const QString &subject, const QDate &s, const QDate &e)
{
    Cursor &items = store.Table50();
    items.insert();
    items.setValue("Subject", subject);
    items.setValue("S", s);
    items.setValue("E", e);
    items.setValue("Md", s == e ? "0" : "1");
    items.setValue("A", true); // no times: an all-day item or a band
    QVERIFY2(items.post(), qPrintable(items.lastError()));
}

TestPrintCommand::Run TestPrintCommand::daybrook(const QStringList &arguments, qint64 fileSizeLimit)
{
    QProcess process;
    if (fileSizeLimit > 0) {
        // The kernel refuses writes past the limit (EFBIG) as a full disk
        // refuses them; the signal it would also send is ignored.
        process.setChildProcessModifier([fileSizeLimit] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit {rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
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
    QTest::newRow("no --pdf") << QStringList {"--print", "day", "2025-03-04"} << "usage: daybrook";
    QTest::newRow("--pdf without a page") << QStringList {"--pdf", pdf} << "usage: daybrook";
    QTest::newRow("unknown page") << QStringList {"--print", "year", "2025-03-04", "--pdf", pdf}
                                  << "print: not a page (day, week or month): year";
    QTest::newRow("not a date") << QStringList {"--print", "day", "2025-02-30", "--pdf", pdf}
                                << "print: not a date (YYYY-MM-DD): 2025-02-30";
    QTest::newRow("locale date") << QStringList {"--print", "week", "3/4/2025", "--pdf", pdf}
                                 << "print: not a date (YYYY-MM-DD): 3/4/2025";
    QTest::newRow("unknown argument") << QStringList {"--print", "day", "2025-03-04", "--pdf", pdf, "--colour"}
                                      << "print: unknown argument: --colour";
    QTest::newRow("page without date") << QStringList {"--pdf", pdf, "--print", "day"} << "usage: daybrook";
    QTest::newRow("two pages") << QStringList {"--print", "day",        "2025-03-04", "--print",
                                               "week",    "2025-03-04", "--pdf",      pdf}
                               << "usage: daybrook";
}

void TestPrintCommand::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QString pdf = m_out.filePath(QStringLiteral("out.pdf"));
    arguments.replaceInStrings(QStringLiteral("out.pdf"), pdf);
    const Run run = daybrook(QStringList {"--home", m_home.path()} + arguments);
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

void TestPrintCommand::pdfTextHoldsEverySubject_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("subjects");
    QTest::newRow("day") << "day" << QStringList {"Dentist", "Conference day"};
    QTest::newRow("week") << "week" << QStringList {"Dentist", "Conference day", "Harbour trip"};
    QTest::newRow("month") << "month" << QStringList {"Dentist", "Conference day", "Harbour trip"};
}

// The body is drawn as vector drawing, so its text is text in the PDF.
void TestPrintCommand::pdfTextHoldsEverySubject()
{
    QFETCH(QString, page);
    QFETCH(QStringList, subjects);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString pdf = m_out.filePath(page + QStringLiteral("-text.pdf"));
    const Run run = daybrook({"--home", m_home.path(), "--print", page, "2025-03-04", "--pdf", pdf});
    QVERIFY2(run.code == 0, run.err.constData());
    QProcess extract;
    extract.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(extract.waitForFinished(30000));
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    for (const QString &subject : subjects)
        QVERIFY2(text.contains(subject), qPrintable(subject + QStringLiteral(" missing from:\n") + text));
}

void TestPrintCommand::fullDiskKeepsTheOldPdf_data()
{
    QTest::addColumn<bool>("tmpfs");
    QTest::addColumn<QString>("message");
    QTest::newRow("full file system") << true << "No space left on device";
    QTest::newRow("file size limit") << false << "File too large";
}

// A PDF that does not fit is reported with the system's reason, and the
// file it would have replaced keeps its content; nothing is left beside it.
void TestPrintCommand::fullDiskKeepsTheOldPdf()
{
    QFETCH(bool, tmpfs);
    QFETCH(QString, message);
    const FullDisk::SmallFileSystem small;
    QTemporaryDir plain;
    if (tmpfs && !small.isMounted())
        QSKIP("mounting a small tmpfs needs root and mount rights");
    const QString dir = tmpfs ? small.path() : plain.path();
    const QString pdf = dir + QStringLiteral("/page.pdf");
    const QByteArray old("%PDF-1.4 the earlier page\n");
    if (tmpfs) {
        QVERIFY(small.put(QStringLiteral("page.pdf"), old));
    } else {
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(old), old.size());
    }
    const Run run = daybrook({"--home", m_home.path(), "--print", "day", "2025-03-04", "--pdf", pdf}, tmpfs ? 0 : 4096);
    QCOMPARE(run.code, 1);
    QCOMPARE(QString::fromLocal8Bit(run.err.trimmed()), QStringLiteral("print: cannot write %1: %2").arg(pdf, message));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral("filler"));
    QCOMPARE(left, QStringList {QStringLiteral("page.pdf")});
}

void TestPrintCommand::writeErrorOnADevice()
{
    QTemporaryDir dir;
    const QString full = FullDisk::device(dir);
    if (full.isEmpty())
        QSKIP("making a device node needs root");
    const Run run = daybrook({"--home", m_home.path(), "--print", "month", "2025-03-04", "--pdf", full});
    QCOMPARE(run.code, 1);
    QCOMPARE(QString::fromLocal8Bit(run.err.trimmed()),
             QStringLiteral("print: cannot write %1: No space left on device").arg(full));
    QVERIFY(!QFileInfo(full).isFile()); // still the device
}

void TestPrintCommand::refusesTheTableFiles_data()
{
    QTest::addColumn<QString>("target"); // below the data root
    QTest::addColumn<QString>("named");
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("active calendar") << "Personal Calendar/Personal Calendar.db"
                                     << "Personal Calendar/Personal Calendar.db" << false;
    QTest::newRow("options") << "Data/options.db"
                             << "Data/options.db" << false;
    QTest::newRow("folders list") << "Data/folderslist.db"
                                  << "Data/folderslist.db" << false;
    QTest::newRow("another folder's calendar") << "Work/Work.db"
                                               << "Work/Work.db" << false;
    QTest::newRow("a table's journal") << "Data/folderslist.db-journal"
                                       << "Data/folderslist.db-journal" << false;
    QTest::newRow("by another path") << "Work/../Data/options.db"
                                     << "Data/options.db" << false;
    QTest::newRow("through a symlink") << "Data/options.db"
                                       << "Data/options.db" << true;
}

void TestPrintCommand::refusesTheTableFiles()
{
    QFETCH(QString, target);
    QFETCH(QString, named);
    QFETCH(bool, throughLink);
    const QString file = m_home.path() + target;
    QFile original(m_home.path() + named);
    const bool existed = original.exists();
    QByteArray before;
    if (existed) {
        QVERIFY(original.open(QIODevice::ReadOnly));
        before = original.readAll();
        original.close();
    }
    QString pdf = file;
    if (throughLink) {
        pdf = m_out.filePath(QStringLiteral("link.pdf"));
        QFile::remove(pdf);
        QVERIFY(QFile::link(file, pdf));
    }

    const Run run = daybrook({"--home", m_home.path(), "--print", "week", "2025-03-04", "--pdf", pdf});
    QCOMPARE(run.code, 2);
    QCOMPARE(QString::fromLocal8Bit(run.err.trimmed()),
             QStringLiteral("print: \"%1\" is one of the planner's own table files; choose another file.")
                 .arg(m_home.path() + named));
    QCOMPARE(original.exists(), existed);
    if (existed) {
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), before);
    }
}

QTEST_GUILESS_MAIN(TestPrintCommand)
#include "test_print_command.moc"
