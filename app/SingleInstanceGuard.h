#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second copy of the planner from running in the same user session:
// a lock named "irgendwaseinmages" in the session's runtime directory, held
// until the process ends. A lock left behind by a copy that crashed is taken
// over, since the process that owned it is gone.
class SingleInstanceGuard
{
public:
    static constexpr char LockName[] = "irgendwaseinmages";

    explicit SingleInstanceGuard(const QString &directory = runtimeDirectory());

    // True when this is the only running copy. Only a lock held by a live
    // copy says no: a lock that cannot be made at all (an unwritable runtime
    // directory) lets the program run rather than never start.
    bool acquire();

    QString lockFilePath() const { return m_path; }
    static QString runtimeDirectory();

private:
    QString m_path;
    QLockFile m_lock;
};
