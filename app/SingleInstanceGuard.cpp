#include "SingleInstanceGuard.h"

#include <QDir>
#include <QStandardPaths>

SingleInstanceGuard::SingleInstanceGuard(const QString &directory)
    : m_path(QDir(directory).filePath(QLatin1String(LockName)))
    , m_lock(m_path)
{
    // A running copy may hold the lock for weeks; only a dead owner makes it
    // stale, never its age.
    m_lock.setStaleLockTime(0);
}

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
