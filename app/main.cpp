#include "Agenda.h"
#include "AppIcons.h"
#include "CommandLine.h"
#include "DataRoot.h"
#include "DaybrookResources.h"
#include "IcsCommand.h"
#include "PlannerProgram.h"
#include "PrintCommand.h"
#include "SingleInstanceGuard.h"
#include "Subsystems.h"

#include <QApplication>
#include <QFont>
#include <QStringList>
#include <QStyleFactory>

#include <cstdio>

namespace {

QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void applyLook(QApplication &app)
{
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Flat menus: white, a pale blue bar in a selection-blue frame under the
    // mouse, check marks without empty boxes.
    app.setStyleSheet(QStringLiteral(
        "QMenu { background: white; border: 1px solid rgb(160,160,164); padding: 2px; }"
        "QMenu::item { padding: 3px 24px 3px 24px; border: 1px solid transparent; }"
        "QMenu::item:selected { background: rgb(223,233,247); border-color: rgb(49,106,197); color: black; }"
        "QMenu::separator { height: 1px; background: rgb(212,208,200); margin: 3px 2px; }"
        "QMenu::indicator { width: 13px; height: 13px; left: 5px; }"
        "QMenu::indicator:non-exclusive:unchecked { image: none; }"
        "QMenuBar::item:selected { background: rgb(223,233,247); border: 1px solid rgb(49,106,197); }"));
    // The dialogs are laid out for an 11-pixel sans-serif font.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    app.setFont(font);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("daybrook"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DAYBROOK_VERSION));
    const QStringList arguments = argumentList(argc, argv);

    const CommandLine line = CommandLine::parse(arguments);
    switch (line.mode()) {
    case CommandLine::Mode::Error:
        std::fprintf(stderr, "%s\n%s", qPrintable(line.error()), qPrintable(CommandLine::usage()));
        return 2;
    case CommandLine::Mode::Help:
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    case CommandLine::Mode::Version:
        std::printf("Daybrook Planner %s\n", DAYBROOK_VERSION);
        return 0;
    case CommandLine::Mode::Agenda:
        // A terminal command: it prints and ends, whether or not a planner runs.
        return runAgenda(arguments);
    case CommandLine::Mode::Ics:
        return runIcsCommand(arguments);
    case CommandLine::Mode::Print:
        return runPrintCommand(arguments);
    case CommandLine::Mode::Window:
        break;
    }

    SingleInstanceGuard guard;
    if (!guard.acquire())
        return 0; // another copy runs: end at once, silently

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the planner lives on in the notification area
    initDaybrookResources();
    applyLook(app);
    app.setWindowIcon(AppIcons::icon(QStringLiteral("daybrook-planner")));
    app.setDesktopFileName(QStringLiteral("daybrook-planner")); // ties the windows to the installed entry

    PlannerProgram::Settings settings;
    settings.root = DataRoot::resolve(arguments);
    PlannerProgram program(std::move(settings));
    QObject::connect(&program, &PlannerProgram::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    installSubsystems(program);
    if (!program.start()) {
        program.showMessage(program.startUpError());
        return 1;
    }
    return app.exec();
}
