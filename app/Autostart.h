#pragma once

#include <QString>

#include <optional>

// Starting the planner with the user's session. On Windows it is the value
// "Daybrook Planner" under the machine's Run key; on Linux and other XDG
// desktops an autostart entry in $XDG_CONFIG_HOME/autostart. The options
// dialog calls registerProgram or removeProgram on every "OK".
namespace Autostart {

inline constexpr char EntryName[] = "Daybrook Planner";

// Registers programPath (the full path of the program file, no arguments).
// Returns the message to show when the entry could not be written; when the
// place for it cannot be opened at all nothing is written and nothing is
// reported.
[[nodiscard]] std::optional<QString> registerProgram(const QString &programPath);

// Removes the entry; an absent entry is no error.
void removeProgram();

bool isRegistered();

// The program path the entry starts, empty when there is none.
QString registeredProgram();

// The autostart entry file of XDG desktops.
QString xdgEntryPath();

// A path quoted for the Exec key of a desktop entry.
QString desktopExecValue(const QString &programPath);

} // namespace Autostart
