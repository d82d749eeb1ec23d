#pragma once

#include <QStringList>

class QTextStream;

// The iCalendar commands for scripts:
//   daybrook [--home DIR] --import FILE.ics [--force]
//   daybrook [--home DIR] --export FILE.ics [FROM TO]
// on the active folder's calendar. Prints the summary and returns 0, or
// one line on the error stream and 2 (1 when the export's file cannot be
// written; an earlier file stays as it was). An export onto one of the
// planner's own table files is refused. --force imports the items that can
// be stored when some cannot (they are named in the summary).
int runIcsCommand(const QStringList &arguments);
int runIcsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Whether the arguments ask for one of these commands.
bool isIcsCommand(const QStringList &arguments);
