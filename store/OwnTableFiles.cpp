#include "store/OwnTableFiles.h"

#include "store/Cursor.h"
#include "store/OptionFields.h"
#include "store/TableSchema.h"
#include "store/Unit2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// The path the file is reached by in the end: symlinks resolved when it
// exists, else its clean absolute path (a save would create it there).
QString resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// Two names of one file: a hard link has no symlink to resolve.
bool sameInode(const QString &a, const QString &b)
{
    struct stat first
    {
    }, second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

void addFolderCalendars(const Cursor &folders, QStringList &files)
{
    // A cursor of its own: the folders list's current row is the current
    // folder, which a check must not move.
    Cursor list(QStringLiteral("OwnTableFiles"));
    list.setTableFile(folders.directory(), folders.fileName(), foldersSchema());
    list.setReadOnly(true);
    if (!list.open())
        return;
    for (list.first(); !list.eof(); list.next()) {
        const QString file = list.asText(FolderListField::File);
        if (!file.isEmpty())
            files << TDataModule2::folderFilePath(list.asText(FolderListField::Path), file);
    }
}

} // namespace

namespace OwnTableFiles {

QStringList of(TDataModule2 &store)
{
    QStringList files;
    if (store.table(1).isOpen())
        files << store.table(1).filePath();
    const QString data = store.root().dataDir();
    files << data + QStringLiteral("options.db") << data + QStringLiteral("folderslist.db");
    if (store.Table61().isOpen())
        addFolderCalendars(store.Table61(), files);
    // SQLite's files beside a table: a journal written over is a table
    // rolled back to nonsense.
    const QStringList tables = files;
    for (const QString &table : tables)
        for (const char *side : {"-journal", "-wal", "-shm"})
            files << table + QLatin1String(side);
    return files;
}

QString matching(const QStringList &files, const QString &target)
{
    if (target.isEmpty())
        return {};
    const QString wanted = resolved(target);
    for (const QString &file : files) {
        if (resolved(file) == wanted || sameInode(file, target))
            return file;
    }
    return {};
}

QString refusal(const QString &file)
{
    return QStringLiteral("\"%1\" is one of the planner's own table files; choose another file.")
        .arg(QDir::toNativeSeparators(file));
}

} // namespace OwnTableFiles
