#pragma once

#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

// Keeps a second copy of the planner from running in the same user session:
// a lock named "irgendwaseinmages" in the session's runtime directory, held
// until the process ends. A lock left behind by a copy that crashed is taken
// over, since the process that owned it is gone.
//
// The copy that holds the lock also listens beside it for a later start,
// which asks it to show its main window: on a desktop without a
// notification area that request is the only way back to a hidden or
// minimised window.
class SingleInstanceGuard
{
public:
    static constexpr char LockName[] = "irgendwaseinmages";

    explicit SingleInstanceGuard(const QString &directory = runtimeDirectory());
    ~SingleInstanceGuard();

    // True when this is the only running copy. Only a lock held by a live
    // copy says no: a lock that cannot be made at all (an unwritable runtime
    // directory) lets the program run rather than never start.
    bool acquire();
    // Gives the lock up before the process ends without unwinding.
    void release() { m_lock.unlock(); }

    // For the copy that holds the lock, once its window exists: runs
    // showRequested (on the event loop) for every later start. False when
    // nothing can listen; the program runs on without it.
    bool listenForShowRequests(std::function<void()> showRequested);

    // For a start that found the lock taken: asks the running copy to show
    // its main window. False when no copy listens (one still starting, or
    // one of an older build); the caller ends silently either way.
    bool askRunningCopyToShow();

    QString lockFilePath() const { return m_path; }
    QString requestSocketPath() const { return m_path + QStringLiteral(".socket"); }
    static QString runtimeDirectory();

private:
    QString m_path;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};
