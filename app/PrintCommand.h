#pragma once

#include <QStringList>

class QTextStream;

// The print command, for scripts and for checking a page on a machine
// without a printer: `daybrook [--home DIR] --print day|week|month DATE
// --pdf FILE` renders the page Print Preview would show for the view on
// DATE (an ISO date, the date navigator's date) into a one-page PDF. It
// opens no window and writes nothing but the PDF, which appears complete
// or not at all.
//
// Returns the process exit code: 0; 2 after one line on the error stream
// for a missing, unknown or bad argument, a PDF path that is one of the
// planner's own table files, or an unusable data root; 1 when the PDF
// cannot be written (a file it would replace is left as it was).
int runPrintCommand(const QStringList &arguments);
int runPrintCommand(const QStringList &arguments, QTextStream &err);
