#pragma once

#include <QStringList>

class QTextStream;

// The search command, for scripts: `daybrook [--home DIR] --search TEXT`
// prints every item of the active folder's calendar whose subject,
// location or notes contain TEXT (as the Find Items window finds them), one
// tab-separated line each, sorted by date: No, S, E, St, Et, Subject, in
// the agenda's formats. A series is one line, with its first date. No
// match prints nothing. It reads the calendar and writes nothing.
//
// Returns the process exit code: 0, or 2 after one line on the error
// stream for a missing or empty text or an unusable data root.
int runSearch(const QStringList &arguments);
int runSearch(const QStringList &arguments, QTextStream &out, QTextStream &err);
