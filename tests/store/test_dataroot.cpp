#include "store/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

class TestDataRoot : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinTestLocale(); }
    void cleanup() { qunsetenv("DAYBROOK_HOME"); }

    void resolve_data();
    void resolve();
    void perUserDirectoryWhenNothingIsGiven();
    void pathsBelowTheRoot();
    void folderPathsAsStored_data();
    void folderPathsAsStored();
};

void TestDataRoot::resolve_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("expected");

    QTest::newRow("--home DIR") << QStringList {"daybrook", "--home", "/tmp/a"} << ""
                                << "/tmp/a/";
    QTest::newRow("--home=DIR") << QStringList {"daybrook", "--home=/tmp/b/"} << ""
                                << "/tmp/b/";
    QTest::newRow("--home beats the environment") << QStringList {"daybrook", "--home", "/tmp/a"} << "/tmp/env"
                                                  << "/tmp/a/";
    QTest::newRow("environment") << QStringList {"daybrook"} << "/tmp/env"
                                 << "/tmp/env/";
    QTest::newRow("path is cleaned") << QStringList {"daybrook", "--home", "/tmp/x/../c//"} << ""
                                     << "/tmp/c/";
    QTest::newRow("--home without a value is ignored") << QStringList {"daybrook", "--home"} << "/tmp/env"
                                                       << "/tmp/env/";
    QTest::newRow("other arguments around it")
        << QStringList {"daybrook", "--agenda", "2025-01-01", "2025-01-02", "--home", "/tmp/d"} << ""
        << "/tmp/d/";
}

void TestDataRoot::resolve()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, environment);
    QFETCH(QString, expected);
    if (!environment.isEmpty())
        qputenv("DAYBROOK_HOME", environment.toUtf8());
    const DataRoot root = DataRoot::resolve(arguments);
    QVERIFY(root.isValid());
    QCOMPARE(root.programDir(), expected);
}

void TestDataRoot::perUserDirectoryWhenNothingIsGiven()
{
    // The test executable's directory holds no Data/, so it is no portable install.
    QVERIFY(!QFileInfo(QCoreApplication::applicationDirPath() + "/Data").exists());
    const DataRoot root = DataRoot::resolve({"daybrook"});
    QString expected = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCOMPARE(root.programDir(), QDir::cleanPath(expected) + '/');
}

void TestDataRoot::pathsBelowTheRoot()
{
    const DataRoot root("/srv/planner");
    QCOMPARE(root.programDir(), QString("/srv/planner/"));
    QCOMPARE(root.dataDir(), QString("/srv/planner/Data/"));
    QCOMPARE(root.defaultCalendarDir(), QString("/srv/planner/Personal Calendar/"));
    QCOMPARE(root.defaultSoundPath(), QString("/srv/planner/daybrook1.wav"));
    QVERIFY(!DataRoot().isValid());
}

// The folders list keeps a calendar folder inside the data root relative to
// it, and reads a relative one against the root it is in; a folder
// elsewhere, and every absolute row written before, stands as it is.
void TestDataRoot::folderPathsAsStored_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("the default calendar folder") << "/srv/planner/Personal Calendar/"
                                                 << "Personal Calendar/"
                                                 << "/srv/planner/Personal Calendar/";
    QTest::newRow("a folder two levels down") << "/srv/planner/cal/work/"
                                              << "cal/work/"
                                              << "/srv/planner/cal/work/";
    QTest::newRow("without the closing separator") << "/srv/planner/cal"
                                                   << "cal"
                                                   << "/srv/planner/cal";
    QTest::newRow("the root itself") << "/srv/planner/"
                                     << "./"
                                     << "/srv/planner/";
    QTest::newRow("an unclean path inside") << "/srv/planner/x/../cal/"
                                            << "cal/"
                                            << "/srv/planner/cal/";
    QTest::newRow("a folder outside") << "/home/ann/cal/"
                                      << "/home/ann/cal/"
                                      << "/home/ann/cal/";
    QTest::newRow("a sibling with the root's name as prefix") << "/srv/planner2/cal/"
                                                              << "/srv/planner2/cal/"
                                                              << "/srv/planner2/cal/";
    QTest::newRow("blank") << ""
                           << ""
                           << "";
}

void TestDataRoot::folderPathsAsStored()
{
    QFETCH(QString, dir);
    QFETCH(QString, stored);
    QFETCH(QString, readBack);
    const DataRoot root("/srv/planner");
    QCOMPARE(root.storedFolderPath(dir), stored);
    QCOMPARE(root.folderPath(stored), readBack);
    // The same row in a copy of the root names the copy's folder.
    if (stored.startsWith('/') || stored.isEmpty())
        QCOMPARE(DataRoot("/mnt/copy").folderPath(stored), stored);
    else
        QCOMPARE(DataRoot("/mnt/copy").folderPath(stored),
                 "/mnt/copy/" + readBack.mid(QString("/srv/planner/").size()));
}

QTEST_GUILESS_MAIN(TestDataRoot)
#include "test_dataroot.moc"
