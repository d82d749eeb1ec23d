#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for, checked before anything starts: a script
// that mistypes an option gets one line on standard error and exit code 2,
// never a window it would wait on.
class CommandLine
{
public:
    // Print, Ics and Sync name commands that check the rest of their arguments
    // themselves, with the same one line and exit code 2.
    enum class Mode { Window, Agenda, Search, Print, Ics, Sync, Help, Version, Error };

    // `arguments` includes the program name, as QCoreApplication gives it.
    static CommandLine parse(const QStringList &arguments);
    // The whole usage text, for --help; a refused argument gets one line instead.
    static QString usage();

    Mode mode() const { return m_mode; }
    QString error() const { return m_error; } // one line, for Mode::Error

private:
    Mode m_mode = Mode::Window;
    QString m_error;
};
