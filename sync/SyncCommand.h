#pragma once

#include <QStringList>

class QTextStream;

// The sync commands for scripts:
//   daybrook [--home DIR] --caldav URL [--user NAME]
//     binds the active folder's calendar to the CalDAV collection at URL
//     and syncs it once;
//   daybrook [--home DIR] --sync
//     syncs every bound calendar of the folders list.
// The password comes from DAYBROOK_CALDAV_PASSWORD, else the keyring, else
// the terminal. Prints one line per calendar, "NAME: pulled N, pushed N,
// deleted N, conflicts N", and returns 0 when every calendar synced; 2 for
// a refused argument; 3 when a server cannot be reached or refuses the
// credentials (one line on the error stream naming the calendar and the
// server's answer; nothing changed locally); 1 when a calendar could not
// be synced for another reason (a server error, the calendar file).
int runSyncCommand(const QStringList &arguments);
int runSyncCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Whether the arguments ask for one of these commands.
bool isSyncCommand(const QStringList &arguments);
