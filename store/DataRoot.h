#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files: the "program directory" of the
// planner. Data/ (options.db, folderslist.db), the default calendar folder
// "Personal Calendar/" and the default reminder sound live below it.
class DataRoot
{
public:
    DataRoot() = default;
    explicit DataRoot(const QString &directory);

    // Picks the data root for this run: --home DIR, then $DAYBROOK_HOME,
    // then the executable's directory when it holds Data/ (portable
    // install), else the per-user data directory.
    static DataRoot resolve(const QStringList &arguments);

    // Every path below ends in '/' when it names a directory.
    QString programDir() const { return m_dir; }
    QString dataDir() const { return m_dir + QStringLiteral("Data/"); }
    QString defaultCalendarDir() const { return m_dir + QStringLiteral("Personal Calendar/"); }
    static QString defaultCalendarFile() { return QStringLiteral("Personal Calendar.db"); }
    QString defaultSoundPath() const { return m_dir + QStringLiteral("daybrook1.wav"); }

    bool isValid() const { return !m_dir.isEmpty(); }

private:
    QString m_dir;
};
