#include "Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace Autostart {

namespace {

QString failedMessage()
{
    return QStringLiteral("Failed to set data for '%1'").arg(QLatin1String(EntryName));
}

#ifdef Q_OS_WIN
QString runKey()
{
    return QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}
#else
QString entryText(const QString &programPath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Exec=%2\n"
                          "Icon=daybrook-planner\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(QLatin1String(EntryName), desktopExecValue(programPath));
}

// Reads the program back out of an Exec value written by desktopExecValue:
// first the key's string escaping, then the quoting.
QString unquoteExec(const QString &value)
{
    QString text;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size() && value[i + 1] == QLatin1Char('\\'))
            ++i;
        text += value[i];
    }
    text.replace(QStringLiteral("%%"), QStringLiteral("%"));
    if (text.size() < 2 || !text.startsWith(QLatin1Char('"')) || !text.endsWith(QLatin1Char('"')))
        return text;
    QString path;
    for (int i = 1; i < text.size() - 1; ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size() - 1)
            ++i;
        path += text[i];
    }
    return path;
}
#endif

} // namespace

QString xdgEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/daybrook-planner.desktop");
}

QString desktopExecValue(const QString &programPath)
{
    // The Exec key quotes a path with double quotes and puts a backslash
    // before a double quote, backtick, dollar or backslash inside; the key's
    // own string escaping then doubles every backslash, and % is written %%.
    const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString value = programPath;
    const bool needsQuotes = std::any_of(value.cbegin(), value.cend(),
                                         [&reserved](QChar c) { return reserved.contains(c); });
    if (needsQuotes) {
        QString quoted;
        for (QChar c : value) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$'))
                quoted += QStringLiteral("\\\\");
            else if (c == QLatin1Char('\\'))
                quoted += QStringLiteral("\\\\\\");
            quoted += c;
        }
        value = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    value.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return value;
}

#ifdef Q_OS_WIN

std::optional<QString> registerProgram(const QString &programPath)
{
    QSettings run(runKey(), QSettings::NativeFormat);
    run.setValue(QLatin1String(EntryName), QDir::toNativeSeparators(programPath));
    run.sync();
    // Without the right to write under the machine's key nothing is written
    // and nothing is said; the option keeps the user's choice.
    if (run.status() == QSettings::AccessError)
        return std::nullopt;
    if (run.status() != QSettings::NoError)
        return failedMessage();
    return std::nullopt;
}

void removeProgram()
{
    QSettings run(runKey(), QSettings::NativeFormat);
    run.remove(QLatin1String(EntryName));
}

QString registeredProgram()
{
    QSettings run(runKey(), QSettings::NativeFormat);
    return run.value(QLatin1String(EntryName)).toString();
}

#else

std::optional<QString> registerProgram(const QString &programPath)
{
    const QString path = xdgEntryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return std::nullopt;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return failedMessage();
    file.write(entryText(programPath).toUtf8());
    if (!file.flush() || !file.commit())
        return failedMessage();
    return std::nullopt;
}

void removeProgram()
{
    QFile::remove(xdgEntryPath());
}

QString registeredProgram()
{
    QFile file(xdgEntryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QString execKey = QStringLiteral("Exec=");
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(execKey))
            return unquoteExec(line.mid(execKey.size()));
    }
    return QString();
}

#endif

bool isRegistered()
{
    return !registeredProgram().isEmpty();
}

} // namespace Autostart
