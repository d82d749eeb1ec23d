#include "tests/support/FullDisk.h"
#include "tests/support/TestSupport.h"

#include "ical/IcsCommand.h"
#include "app/IcsWindowCommands.h"

#include "store/DataRoot.h"
#include "store/OwnTableFiles.h"
#include "store/Unit2.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

// Where an export's file goes: never over one of the planner's own table
// files, and onto a full disk with the system's reason while an earlier
// file keeps its content.
class TestIcalExportTarget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusesTheTableFiles_data();
    void refusesTheTableFiles();
    void windowRefusesTheTableFiles();
    void fullDiskKeepsTheOldFile();
    void writeErrorOnADevice();

private:
    struct Run
    {
        int code = -1;
        QString out, err;
    };
    Run exportTo(const QString &file);
    static QByteArray contentOf(const QString &path);

    TempHome m_home;
    QTemporaryDir m_out;
};

void TestIcalExportTarget::initTestCase()
{
    QVERIFY(m_home.isValid() && m_out.isValid());
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
    store.closeAll();
}

TestIcalExportTarget::Run TestIcalExportTarget::exportTo(const QString &file)
{
    Run run;
    QTextStream out(&run.out), err(&run.err);
    run.code = runIcsCommand({"daybrook", "--home", m_home.path(), "--export", file}, out, err);
    out.flush();
    err.flush();
    run.err = run.err.trimmed();
    return run;
}

QByteArray TestIcalExportTarget::contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void TestIcalExportTarget::refusesTheTableFiles_data()
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
    QTest::newRow("through a symlink") << "Data/folderslist.db"
                                       << "Data/folderslist.db" << true;
}

void TestIcalExportTarget::refusesTheTableFiles()
{
    QFETCH(QString, target);
    QFETCH(QString, named);
    QFETCH(bool, throughLink);
    const QByteArray before = contentOf(m_home.path() + named);
    QString file = m_home.path() + target;
    if (throughLink) {
        file = m_out.filePath(QStringLiteral("link.ics"));
        QFile::remove(file);
        QVERIFY(QFile::link(m_home.path() + target, file));
    }
    const Run run = exportTo(file);
    QCOMPARE(run.code, 2);
    QCOMPARE(run.err,
             QStringLiteral("export: \"%1\" is one of the planner's own table files; choose another file.")
                 .arg(m_home.path() + named));
    QCOMPARE(contentOf(m_home.path() + named), before);
}

void TestIcalExportTarget::windowRefusesTheTableFiles()
{
    TDataModule2 store(DataRoot(m_home.path()));
    const Outcome started = store.startUp();
    QVERIFY2(started, qPrintable(started.error()));
    const QString options = m_home.path() + QStringLiteral("Data/options.db");
    const QByteArray before = contentOf(options);
    QString told;
    bool failure = false;
    IcsWindowCommands::Hooks hooks;
    hooks.calendarPath = [&store] { return store.Table50().filePath(); };
    hooks.ownTableFiles = [&store] { return OwnTableFiles::of(store); };
    hooks.typeNames = [] { return QStringList(11, QStringLiteral("Standard")); };
    hooks.chooseExportFile = [&options](QWidget *, const QString &) { return options; };
    hooks.tell = [&](QWidget *, const QString &text, bool failed) {
        told = text;
        failure = failed;
    };
    IcsWindowCommands commands(nullptr, hooks);
    commands.exportCalendar();
    QVERIFY(failure);
    QCOMPARE(told, QStringLiteral("\"%1\" is one of the planner's own table files; choose another file.").arg(options));
    QCOMPARE(contentOf(options), before);
    store.closeAll();
}

void TestIcalExportTarget::fullDiskKeepsTheOldFile()
{
    const FullDisk::SmallFileSystem small;
    if (!small.isMounted())
        QSKIP("mounting a small tmpfs needs root and mount rights");
    const QString ics = small.filePath(QStringLiteral("calendar.ics"));
    const QByteArray old("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    QVERIFY(small.put(QStringLiteral("calendar.ics"), old));
    const Run run = exportTo(ics);
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err, QStringLiteral("export: Cannot write \"%1\": No space left on device").arg(ics));
    QCOMPARE(contentOf(ics), old);
    QCOMPARE(QDir(small.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("calendar.ics"), QStringLiteral("filler")}));
}

void TestIcalExportTarget::writeErrorOnADevice()
{
    QTemporaryDir dir;
    const QString full = FullDisk::device(dir);
    if (full.isEmpty())
        QSKIP("making a device node needs root");
    const Run run = exportTo(full);
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err, QStringLiteral("export: Cannot write \"%1\": No space left on device").arg(full));
    QVERIFY(!QFileInfo(full).isFile()); // still the device
}

QTEST_MAIN(TestIcalExportTarget)
#include "test_ical_export_target.moc"
