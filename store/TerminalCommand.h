#pragma once

#include <QDate>
#include <QString>

#include <functional>

class QTextStream;

// What the planner's command-line modes for scripts share: they may run
// before the program has an application object, write to the terminal's
// streams, and answer a refused argument with one line and exit code 2.
namespace TerminalCommand {

using Body = std::function<int(QTextStream &out, QTextStream &err)>;

// Runs `body` on the process's stdout and stderr and returns its exit code.
// Creates a QCoreApplication for the run when there is none yet: the data
// root may be the executable's own directory, which only an application
// object knows.
int run(const Body &body);

// Writes `line` to `err` and returns 2, the exit code of a refused argument.
int fail(QTextStream &err, const QString &line);

// An ISO date written out in full (YYYY-MM-DD), or an invalid date: a
// script's date must not depend on the locale or be read leniently.
QDate isoDate(const QString &text);

} // namespace TerminalCommand
