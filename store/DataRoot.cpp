#include "store/DataRoot.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// An absolute, clean directory path that ends in '/'; "" stays "".
QString asDirectory(const QString &path)
{
    if (path.isEmpty())
        return QString();
    QString dir = QDir::cleanPath(QDir(path).absolutePath());
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

// The value of "--home DIR" or "--home=DIR"; the last one wins.
QString homeArgument(const QStringList &arguments)
{
    QString home;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--home") && i + 1 < arguments.size())
            home = arguments.at(++i);
        else if (arg.startsWith(QLatin1String("--home=")))
            home = arg.mid(7);
    }
    return home;
}

// The executable's directory when it is a portable install (holds Data/).
QString portableDirectory()
{
    if (!QCoreApplication::instance())
        return QString();
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (exeDir.isEmpty() || !QFileInfo(exeDir + QStringLiteral("/Data")).isDir())
        return QString();
    return exeDir;
}

bool endsWithSeparator(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
}

} // namespace

QString DataRoot::storedFolderPath(const QString &dir) const
{
    if (!isValid() || dir.isEmpty() || QDir::isRelativePath(dir))
        return dir;
    const QString root = QDir::cleanPath(m_dir);
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(dir));
    QString relative;
    if (clean == root)
        relative = QStringLiteral(".");
    else if (clean.startsWith(root + QLatin1Char('/')))
        relative = clean.mid(root.size() + 1);
    else
        return dir;
    // The folders list keeps a directory with its separator at the end.
    return endsWithSeparator(dir) || relative == QLatin1String(".") ? relative + QLatin1Char('/') : relative;
}

QString DataRoot::folderPath(const QString &stored) const
{
    if (!isValid() || stored.isEmpty() || !QDir::isRelativePath(stored))
        return stored;
    const QString dir = QDir::cleanPath(m_dir + QDir::fromNativeSeparators(stored));
    return endsWithSeparator(stored) ? dir + QLatin1Char('/') : dir;
}

DataRoot::DataRoot(const QString &directory)
    : m_dir(asDirectory(directory))
{ }

DataRoot DataRoot::resolve(const QStringList &arguments)
{
    const QString home = homeArgument(arguments);
    if (!home.isEmpty())
        return DataRoot(home);

    const QString fromEnv = qEnvironmentVariable("DAYBROOK_HOME");
    if (!fromEnv.isEmpty())
        return DataRoot(fromEnv);
    return standard();
}

DataRoot DataRoot::standard()
{
    const QString portable = portableDirectory();
    if (!portable.isEmpty())
        return DataRoot(portable);

    return DataRoot(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
