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
    // The data root a start finds without being told (neither --home nor
    // $DAYBROOK_HOME): the portable install's or the per-user one.
    static DataRoot standard();

    // Every path below ends in '/' when it names a directory.
    QString programDir() const { return m_dir; }
    QString dataDir() const { return m_dir + QStringLiteral("Data/"); }
    QString defaultCalendarDir() const { return m_dir + QStringLiteral("Personal Calendar/"); }
    static QString defaultCalendarFile() { return QStringLiteral("Personal Calendar.db"); }
    QString defaultSoundPath() const { return m_dir + QStringLiteral("daybrook1.wav"); }

    // A calendar folder as the folders list keeps it (field "3"): relative
    // to the data root when it lies inside it ("Personal Calendar/", "./"
    // for the root itself), so that a copied or moved data root reads and
    // writes its own calendars; any other folder as given.
    QString storedFolderPath(const QString &dir) const;
    // The folder a stored path names: a relative one lies in the data root,
    // an absolute one (every row before this rule) is read as it stands; a
    // blank one stays blank.
    QString folderPath(const QString &stored) const;

    bool isValid() const { return !m_dir.isEmpty(); }
    bool operator==(const DataRoot &other) const = default;

private:
    QString m_dir;
};
