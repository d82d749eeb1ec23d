#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

const QByteArray showRequest = QByteArrayLiteral("show\n");
// A running copy answers at once; a copy that is stuck must not hold the
// second start (and the user's desktop session) for long.
constexpr int RequestTimeoutMs = 2000;

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString &directory)
    : m_path(QDir(directory).filePath(QLatin1String(LockName)))
    , m_lock(m_path)
{
    // A running copy may hold the lock for weeks; only a dead owner makes it
    // stale, never its age.
    m_lock.setStaleLockTime(0);
}

SingleInstanceGuard::~SingleInstanceGuard() = default;

QString SingleInstanceGuard::runtimeDirectory()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

bool SingleInstanceGuard::acquire()
{
    if (m_lock.tryLock(0))
        return true;
    return m_lock.error() != QLockFile::LockFailedError;
}

bool SingleInstanceGuard::listenForShowRequests(std::function<void()> showRequested)
{
    if (!m_lock.isLocked())
        return false;
    // Holding the lock makes this copy the only one: a socket file still
    // there belongs to a copy that crashed.
    QLocalServer::removeServer(requestSocketPath());
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(requestSocketPath())) {
        m_server.reset();
        return false;
    }
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this, showRequested] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, showRequested] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == showRequest && showRequested)
                    showRequested();
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool SingleInstanceGuard::askRunningCopyToShow()
{
    QLocalSocket socket;
    socket.connectToServer(requestSocketPath());
    if (!socket.waitForConnected(RequestTimeoutMs))
        return false;
    socket.write(showRequest);
    if (!socket.waitForBytesWritten(RequestTimeoutMs))
        return false;
    // The running copy hangs up once it has read the request.
    if (socket.state() == QLocalSocket::ConnectedState)
        socket.waitForDisconnected(RequestTimeoutMs);
    return true;
}
