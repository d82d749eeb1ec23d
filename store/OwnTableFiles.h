#pragma once

#include <QString>
#include <QStringList>

class TDataModule2;

// The table files a data root's planner reads and writes: a file written
// over one of them (an export, a PDF) destroys the user's data, so every
// save target is checked against them first.
namespace OwnTableFiles {

// The calendar the cursors read, Data/options.db, Data/folderslist.db and
// the calendar of every folder in the folders list, each with SQLite's
// journal files beside it.
QStringList of(TDataModule2 &store);

// The one of `files` that `target` names, compared as canonical paths (so
// through symlinks and "..") when both exist; an empty string when none.
QString matching(const QStringList &files, const QString &target);

// The refusal for writing onto one of them, naming it.
QString refusal(const QString &file);

} // namespace OwnTableFiles
