#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// Places where every write fails as on a full disk, for the tests of the
// checked saves. Both need root (the tests run as root in CI) and are empty
// where the system does not allow them; the caller then skips.
namespace FullDisk {

// A character device like /dev/full (writes fail with ENOSPC) of the
// test's own, so that a save which wrongly replaces its target replaces
// this node and never the system's /dev/full.
inline QString device(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("full"));
    if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        return {};
    return path;
}

// A tmpfs of two pages mounted on a directory: a small file fits, then
// fill() takes the rest.
class SmallFileSystem
{
public:
    SmallFileSystem()
        : m_point(QFile::encodeName(m_dir.path()))
    {
        m_mounted = m_dir.isValid() && ::mount("tmpfs", m_point.constData(), "tmpfs", 0, "size=8k") == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount(m_point.constData());
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool isMounted() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString path() const { return m_dir.path(); }

    // Writes `name` unbuffered, then fills the rest with a file "filler".
    bool put(const QString &name, const QByteArray &content) const
    {
        QFile file(filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(content) != content.size())
            return false;
        file.close();
        QFile filler(filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_point;
    bool m_mounted = false;
};

} // namespace FullDisk
