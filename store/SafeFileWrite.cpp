#include "store/SafeFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemMessage(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

Outcome fail(int code)
{
    return Outcome::failed(systemMessage(code));
}

// Every byte, through short writes and signals.
bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

Outcome writeThrough(const QByteArray &name, const QByteArray &bytes)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    if (!writeAll(fd, bytes)) {
        const int code = errno;
        ::close(fd);
        return fail(code);
    }
    if (::close(fd) != 0)
        return fail(errno);
    return {};
}

} // namespace

namespace SafeFileWrite {

Outcome replace(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    const QString target = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    const QByteArray name = QFile::encodeName(target);

    struct stat old
    { };
    const bool exists = ::stat(name.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return writeThrough(name, bytes);

    QByteArray temporary = QFile::encodeName(QFileInfo(target).absolutePath() + QStringLiteral("/.")
                                             + QFileInfo(target).fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    // The new file keeps the old one's permissions; a new one gets what the
    // umask leaves of read and write for all.
    mode_t mode = 0;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int code = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && ::rename(temporary.constData(), name.constData()) != 0)
        code = errno;
    if (code != 0) {
        ::unlink(temporary.constData());
        return fail(code);
    }
    return {};
}

} // namespace SafeFileWrite
