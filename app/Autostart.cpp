#include "app/Autostart.h"

#include "store/SafeFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
QString entryText(const QString &programPath, const QString &dataRoot)
{
    QString exec = desktopExecValue(programPath);
    if (!dataRoot.isEmpty())
        exec += QStringLiteral(" --home ") + desktopExecValue(dataRoot);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Exec=%2\n"
                          "Icon=daybrook-planner\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(QLatin1String(EntryName), exec);
}

// Reads the arguments back out of an Exec value written by desktopExecValue:
// first the key's string escaping, then the quoting of each word.
QStringList execArguments(const QString &value)
{
    QString text;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size() && value[i + 1] == QLatin1Char('\\'))
            ++i;
        text += value[i];
    }
    text.replace(QStringLiteral("%%"), QStringLiteral("%"));
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < text.size())
                word += text[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c == QLatin1Char(' ')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

QStringList registeredArguments()
{
    QFile file(xdgEntryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString execKey = QStringLiteral("Exec=");
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(execKey))
            return execArguments(line.mid(execKey.size()));
    }
    return {};
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
    const bool needsQuotes =
        std::any_of(value.cbegin(), value.cend(), [&reserved](QChar c) { return reserved.contains(c); });
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

namespace {

// The Run value: the program's path alone, or quoted and followed by
// --home and the quoted data root.
QString runValue(const QString &programPath, const QString &dataRoot)
{
    const QString program = QDir::toNativeSeparators(programPath);
    if (dataRoot.isEmpty())
        return program;
    return QStringLiteral("\"%1\" --home \"%2\"").arg(program, QDir::toNativeSeparators(dataRoot));
}

QStringList registeredArguments()
{
    QSettings run(runKey(), QSettings::NativeFormat);
    const QString value = run.value(QLatin1String(EntryName)).toString();
    if (!value.startsWith(QLatin1Char('"')))
        return value.isEmpty() ? QStringList() : QStringList {value};
    QStringList words;
    for (const QString &part : value.split(QLatin1Char('"'))) {
        if (!part.trimmed().isEmpty())
            words << part.trimmed();
    }
    return words;
}

} // namespace

Outcome registerProgram(const QString &programPath, const QString &dataRoot)
{
    QSettings run(runKey(), QSettings::NativeFormat);
    run.setValue(QLatin1String(EntryName), runValue(programPath, dataRoot));
    run.sync();
    // Without the right to write under the machine's key nothing is written
    // and nothing is said; the option keeps the user's choice.
    if (run.status() == QSettings::AccessError)
        return {};
    if (run.status() != QSettings::NoError)
        return Outcome::failed(failedMessage());
    return {};
}

void removeProgram()
{
    QSettings run(runKey(), QSettings::NativeFormat);
    run.remove(QLatin1String(EntryName));
}

#else

Outcome registerProgram(const QString &programPath, const QString &dataRoot)
{
    const QString path = xdgEntryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return {};
    if (!SafeFileWrite::replace(path, entryText(programPath, dataRoot).toUtf8()))
        return Outcome::failed(failedMessage());
    return {};
}

void removeProgram()
{
    QFile::remove(xdgEntryPath());
}

#endif

QString registeredProgram()
{
    const QStringList arguments = registeredArguments();
    return arguments.isEmpty() ? QString() : arguments.first();
}

QString registeredDataRoot()
{
    const QStringList arguments = registeredArguments();
    const qsizetype home = arguments.indexOf(QStringLiteral("--home"));
    return home >= 1 && home + 1 < arguments.size() ? arguments.at(home + 1) : QString();
}

QString dataRootToPass(const DataRoot &inUse)
{
    if (!inUse.isValid() || inUse == DataRoot::standard())
        return QString();
    return QDir::cleanPath(inUse.programDir());
}

bool isRegistered()
{
    return !registeredProgram().isEmpty();
}

} // namespace Autostart
