#include "sync/SyncSummary.h"

QString SyncSummary::countsLine() const
{
    return QStringLiteral("pulled %1, pushed %2, deleted %3, conflicts %4")
        .arg(pulled)
        .arg(pushed)
        .arg(deleted)
        .arg(conflicts);
}
