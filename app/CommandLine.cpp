#include "app/CommandLine.h"

namespace {

// Options of Qt's own that the application object takes off the command
// line; they pass through so that "-platform offscreen" and the like work.
const QStringList qtOptionsWithValue = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("display"),
    QStringLiteral("style"),           QStringLiteral("stylesheet"),
    QStringLiteral("session"),
};
const QStringList qtFlags = {QStringLiteral("reverse"), QStringLiteral("nograb"), QStringLiteral("dograb"),
                             QStringLiteral("sync"), QStringLiteral("widgetcount")};

// "-platform" and "--platform" alike; empty when not an option of Qt's.
QString qtOptionName(const QString &argument)
{
    QString name = argument;
    if (name.startsWith(QLatin1String("--")))
        name.remove(0, 2);
    else if (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    else
        return QString();
    return qtOptionsWithValue.contains(name) || qtFlags.contains(name) ? name : QString();
}

// A value is missing when the list ends or the next word is another option.
bool hasValue(const QStringList &arguments, qsizetype at)
{
    return at < arguments.size() && !arguments.at(at).startsWith(QLatin1String("--"));
}

// The options that each start a command of their own. "--pdf" belongs to
// "--print", so it names the same command.
struct CommandOption
{
    const char *option;
    CommandLine::Mode mode;
};
const CommandOption commandOptions[] = {
    {"--agenda", CommandLine::Mode::Agenda}, {"--search", CommandLine::Mode::Search},
    {"--print", CommandLine::Mode::Print},   {"--pdf", CommandLine::Mode::Print},
    {"--import", CommandLine::Mode::Ics},    {"--export", CommandLine::Mode::Ics},
    {"--caldav", CommandLine::Mode::Sync},   {"--sync", CommandLine::Mode::Sync},
};

// The first two different commands the arguments ask for, as written; empty
// when they ask for one at most. "--import" and "--export" are two commands
// although one part of the program reads both.
QStringList combinedCommands(const QStringList &arguments)
{
    QStringList seen;
    CommandLine::Mode firstMode = CommandLine::Mode::Window;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        for (const CommandOption &command : commandOptions) {
            if (arguments.at(i) != QLatin1String(command.option))
                continue;
            if (seen.isEmpty()) {
                seen << arguments.at(i);
                firstMode = command.mode;
            } else if (command.mode != firstMode || command.mode == CommandLine::Mode::Ics) {
                if (arguments.at(i) != seen.first())
                    return {seen.first(), arguments.at(i)};
            }
        }
    }
    return {};
}

} // namespace

QString CommandLine::usage()
{
    return QStringLiteral("usage: daybrook [--home DIR]\n"
                          "       daybrook [--home DIR] --agenda FROM TO\n"
                          "       daybrook [--home DIR] --search TEXT\n"
                          "       daybrook [--home DIR] --print day|week|month DATE --pdf FILE\n"
                          "       daybrook [--home DIR] --import FILE.ics [--force]\n"
                          "       daybrook [--home DIR] --export FILE.ics [FROM TO]\n"
                          "       daybrook [--home DIR] --caldav URL [--user NAME]\n"
                          "       daybrook [--home DIR] --sync\n"
                          "       daybrook --help | --version\n"
                          "\n"
                          "  --home DIR        keep the planner's files in DIR (else $DAYBROOK_HOME,\n"
                          "                    a portable install's own directory, or the user's data directory)\n"
                          "  --agenda FROM TO  print the items of the dates FROM to TO (YYYY-MM-DD) and end\n"
                          "  --search TEXT     print the items whose subject, location or notes contain TEXT and end\n"
                          "  --print ... --pdf FILE  write the day, week or month page of DATE to a PDF and end\n"
                          "  --import FILE.ics add an iCalendar file's items to the active calendar and end\n"
                          "  --export FILE.ics write the active calendar (or FROM..TO) to an iCalendar file and end\n"
                          "  --caldav URL      bind the active calendar to the CalDAV collection URL,\n"
                          "                    sync it and end (--user NAME: the user to sign in as)\n"
                          "  --sync            sync every bound calendar and end; the password comes from\n"
                          "                    $DAYBROOK_CALDAV_PASSWORD, the keyring or the terminal\n"
                          "  --help            print this text and end\n"
                          "  --version         print the version and end\n");
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    // A command reads only its own arguments, so it would call the other
    // command's option unknown: say what is really wrong.
    if (const QStringList both = combinedCommands(arguments); !both.isEmpty()) {
        line.m_mode = Mode::Error;
        line.m_error = QStringLiteral("daybrook: %1 and %2 cannot be combined").arg(both.at(0), both.at(1));
        return line;
    }
    // These commands take arguments of their own and check every one.
    const auto has = [&arguments](const char *option) { return arguments.contains(QLatin1String(option)); };
    if (has("--print") || has("--pdf")) {
        line.m_mode = Mode::Print;
        return line;
    }
    if (has("--import") || has("--export")) {
        line.m_mode = Mode::Ics;
        return line;
    }
    // Before Qt's options: "--sync" is the planner's, not the X11 "-sync".
    if (has("--caldav") || has("--sync")) {
        line.m_mode = Mode::Sync;
        return line;
    }
    auto fail = [&line](const QString &error) {
        line.m_mode = Mode::Error;
        line.m_error = error;
        return line;
    };
    bool help = false;
    bool version = false;
    bool agenda = false;
    bool search = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else if (argument == QLatin1String("--home")) {
            if (!hasValue(arguments, i + 1))
                return fail(QStringLiteral("daybrook: --home needs a directory"));
            ++i;
        } else if (argument.startsWith(QLatin1String("--home="))) {
            if (argument.size() == 7)
                return fail(QStringLiteral("daybrook: --home needs a directory"));
        } else if (argument == QLatin1String("--agenda")) {
            if (agenda)
                return fail(QStringLiteral("daybrook: --agenda given twice"));
            if (!hasValue(arguments, i + 1) || !hasValue(arguments, i + 2))
                return fail(QStringLiteral("daybrook: --agenda needs two dates, FROM and TO"));
            agenda = true;
            i += 2;
        } else if (argument == QLatin1String("--search")) {
            if (search)
                return fail(QStringLiteral("daybrook: --search given twice"));
            if (!hasValue(arguments, i + 1) || arguments.at(i + 1).trimmed().isEmpty())
                return fail(QStringLiteral("daybrook: --search needs a text to find"));
            search = true;
            ++i;
        } else if (const QString qt = qtOptionName(argument); !qt.isEmpty()) {
            if (qtOptionsWithValue.contains(qt)) {
                if (i + 1 >= arguments.size())
                    return fail(QStringLiteral("daybrook: %1 needs a value").arg(argument));
                ++i;
            }
        } else if (argument.startsWith(QLatin1Char('-'))) {
            return fail(QStringLiteral("daybrook: unknown option %1").arg(argument));
        } else {
            return fail(QStringLiteral("daybrook: unexpected argument %1").arg(argument));
        }
    }
    line.m_mode = help ? Mode::Help
        : version      ? Mode::Version
        : agenda       ? Mode::Agenda
        : search       ? Mode::Search
                       : Mode::Window;
    return line;
}
