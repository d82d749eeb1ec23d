#pragma once

#include "store/Result.h"

#include <QByteArray>
#include <QString>

// Replaces a file's content as one step: the bytes go to a new file beside
// it, every write, the flush to disk and the close are checked, and only
// then does the new file take the old one's name. A failure (a full disk,
// a quota, a file size limit) leaves the old file as it was and says why in
// the system's words. A symlink is followed: the file it points to is
// replaced. A target that is no regular file (a device, a pipe) is written
// straight through, with every write checked all the same.
namespace SafeFileWrite {

Outcome replace(const QString &path, const QByteArray &bytes);

} // namespace SafeFileWrite
