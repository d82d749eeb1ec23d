// The single-instance guard with real processes: a second start ends at once
// and silently, a lock left by a copy that crashed does not stop the next
// one, and a store that cannot start ends the program with code 1.

#include "app/SingleInstanceGuard.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {
constexpr int StartTimeoutMs = 20000;
}

class SingleInstanceTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void secondStartEndsSilently();
    void secondStartAsksTheRunningCopyToShow();
    void requestWithoutARunningCopyFails();
    void staleLockOfACrashedCopyIsTakenOver();
    void unreadableStoreEndsWithAMessage();

private:
    // A planner process on this test's data root and runtime directory.
    std::unique_ptr<QProcess> startPlanner();
    QString lockPath() const { return QDir(m_runtime->path()).filePath(QLatin1String(SingleInstanceGuard::LockName)); }
    qint64 lockOwner() const;
    bool waitUntilRunning(QProcess &planner);

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_runtime;
    std::vector<std::unique_ptr<QProcess>> m_started;
};

void SingleInstanceTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid() && m_runtime->isValid());
    QVERIFY(QFile::setPermissions(m_runtime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void SingleInstanceTest::cleanup()
{
    for (auto &planner : m_started) {
        if (planner->state() != QProcess::NotRunning) {
            planner->kill();
            planner->waitForFinished();
        }
    }
    m_started.clear();
}

std::unique_ptr<QProcess> SingleInstanceTest::startPlanner()
{
    auto planner = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    env.remove(QStringLiteral("DAYBROOK_HOME"));
    planner->setProcessEnvironment(env);
    planner->start(QStringLiteral(DAYBROOK_EXECUTABLE), {QStringLiteral("--home"), m_home->path()});
    return planner;
}

qint64 SingleInstanceTest::lockOwner() const
{
    QFile lock(lockPath());
    if (!lock.open(QIODevice::ReadOnly))
        return 0;
    return lock.readLine().trimmed().toLongLong();
}

bool SingleInstanceTest::waitUntilRunning(QProcess &planner)
{
    if (!planner.waitForStarted(StartTimeoutMs))
        return false;
    // Running means holding the lock and having set up its data root.
    QElapsedTimer timer;
    timer.start();
    const QString options = m_home->path() + QStringLiteral("/Data/options.db");
    while (timer.elapsed() < StartTimeoutMs) {
        if (lockOwner() == planner.processId() && QFile::exists(options))
            return planner.state() == QProcess::Running;
        if (planner.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(50);
    }
    return false;
}

void SingleInstanceTest::secondStartEndsSilently()
{
    m_started.push_back(startPlanner());
    QProcess &first = *m_started.back();
    QVERIFY(waitUntilRunning(first));

    m_started.push_back(startPlanner());
    QProcess &second = *m_started.back();
    QVERIFY(second.waitForFinished(StartTimeoutMs));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());
    QCOMPARE(second.readAllStandardError(), QByteArray());

    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(lockOwner(), first.processId());
}

// On a desktop without a notification area the window of a running copy may
// be hidden or minimised with no way back: a second start is that way.
void SingleInstanceTest::secondStartAsksTheRunningCopyToShow()
{
    SingleInstanceGuard running(m_runtime->path());
    QVERIFY(running.acquire());
    int requests = 0;
    QVERIFY(running.listenForShowRequests([&requests] { ++requests; }));
    // Only the copy that holds the lock listens.
    SingleInstanceGuard restarted(m_runtime->path());
    QVERIFY(!restarted.listenForShowRequests([] {}));

    SingleInstanceGuard second(m_runtime->path());
    QVERIFY(!second.acquire());
    QVERIFY(second.askRunningCopyToShow());
    QTRY_COMPARE(requests, 1);
    SingleInstanceGuard third(m_runtime->path());
    QVERIFY(!third.acquire());
    QVERIFY(third.askRunningCopyToShow());
    QTRY_COMPARE(requests, 2);
}

void SingleInstanceTest::requestWithoutARunningCopyFails()
{
    SingleInstanceGuard alone(m_runtime->path());
    QVERIFY(!alone.askRunningCopyToShow());
}

void SingleInstanceTest::staleLockOfACrashedCopyIsTakenOver()
{
    m_started.push_back(startPlanner());
    QProcess &crashed = *m_started.back();
    QVERIFY(waitUntilRunning(crashed));
    crashed.kill(); // no chance to clean up: the lock file stays behind
    QVERIFY(crashed.waitForFinished(StartTimeoutMs));
    QVERIFY(QFile::exists(lockPath()));

    m_started.push_back(startPlanner());
    QProcess &next = *m_started.back();
    QVERIFY(waitUntilRunning(next));
    QCOMPARE(lockOwner(), next.processId());
}

void SingleInstanceTest::unreadableStoreEndsWithAMessage()
{
    QVERIFY(QDir().mkpath(m_home->path() + QStringLiteral("/Data")));
    QFile options(m_home->path() + QStringLiteral("/Data/options.db"));
    QVERIFY(options.open(QIODevice::WriteOnly));
    options.write("this is not a database, and it never was one: the planner must not start on it");
    options.close();

    m_started.push_back(startPlanner());
    QProcess &planner = *m_started.back();
    QVERIFY(planner.waitForFinished(StartTimeoutMs));
    QCOMPARE(planner.exitStatus(), QProcess::NormalExit);
    QCOMPARE(planner.exitCode(), 1);
    // Offscreen there is no one to click a message box: the reason goes to
    // standard error.
    QVERIFY(planner.readAllStandardError().contains("options.db"));
    // The lock goes with the process that gave up.
    QVERIFY(!QFile::exists(lockPath()));
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
