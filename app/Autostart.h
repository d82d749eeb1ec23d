#pragma once

#include "store/DataRoot.h"
#include "store/Result.h"

#include <QString>

// Starting the planner with the user's session. On Windows it is the value
// "Daybrook Planner" under the machine's Run key; on Linux and other XDG
// desktops an autostart entry in $XDG_CONFIG_HOME/autostart. The options
// dialog calls registerProgram or removeProgram on every "OK".
namespace Autostart {

inline constexpr char EntryName[] = "Daybrook Planner";

// Registers programPath (the full path of the program file). A dataRoot
// that is not empty is passed as "--home DIR", so that a user who keeps the
// planner's files elsewhere gets the same calendar at log-on; the default
// data root adds no arguments. Fails with the message to show when the
// entry could not be written; when the place for it cannot be opened at all
// nothing is written and nothing is reported.
[[nodiscard]] Outcome registerProgram(const QString &programPath, const QString &dataRoot = QString());

// Removes the entry; an absent entry is no error.
void removeProgram();

bool isRegistered();

// The program path the entry starts, empty when there is none.
QString registeredProgram();
// The data root the entry passes with --home, empty when it passes none.
QString registeredDataRoot();

// The autostart entry file of XDG desktops.
QString xdgEntryPath();

// What registerProgram is to pass for the data root in use: nothing when a
// start at log-on would find it anyway, else its directory.
QString dataRootToPass(const DataRoot &inUse);

// A path quoted for the Exec key of a desktop entry.
QString desktopExecValue(const QString &programPath);

} // namespace Autostart
