#pragma once

#include <QStringList>

class QTextStream;

// The agenda command, for scripts and for checking a calendar from a
// terminal: `daybrook [--home DIR] --agenda FROM TO` prints, for every date
// from FROM to TO (ISO dates, at most 3,660 days), a line with the date and
// then one tab-separated line per item lying on it, in `sta` order:
// No, S, E, St, Et, A, Re, Ta, T, Subject. It reads the active folder's
// calendar and writes nothing, not even a missing data root.
//
// Returns the process exit code: 0, or 2 after one line on the error
// stream for a bad date, a reversed or too long range, or an unusable data
// root.
int runAgenda(const QStringList &arguments);
int runAgenda(const QStringList &arguments, QTextStream &out, QTextStream &err);
