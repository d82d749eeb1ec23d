#include "DataRoot.h"

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

} // namespace

DataRoot::DataRoot(const QString &directory)
    : m_dir(asDirectory(directory))
{
}

DataRoot DataRoot::resolve(const QStringList &arguments)
{
    const QString home = homeArgument(arguments);
    if (!home.isEmpty())
        return DataRoot(home);

    const QString fromEnv = qEnvironmentVariable("DAYBROOK_HOME");
    if (!fromEnv.isEmpty())
        return DataRoot(fromEnv);

    const QString portable = portableDirectory();
    if (!portable.isEmpty())
        return DataRoot(portable);

    return DataRoot(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
