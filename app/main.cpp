#include "DataRoot.h"
#include "DaybrookResources.h"
#include "PlannerProgram.h"
#include "SingleInstanceGuard.h"
#include "Subsystems.h"

#if __has_include("Agenda.h")
#include "Agenda.h"
#define DAYBROOK_HAS_AGENDA 1
#endif

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

#ifdef DAYBROOK_HAS_AGENDA
    // A terminal command: it prints and ends, whether or not a planner runs.
    if (arguments.contains(QStringLiteral("--agenda")))
        return runAgenda(arguments);
#endif

    SingleInstanceGuard guard;
    if (!guard.acquire())
        return 0; // another copy runs: end at once, silently

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the planner lives on in the notification area
    initDaybrookResources();
    applyLook(app);

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
