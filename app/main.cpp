#include "app/Agenda.h"
#include "app/AppIcons.h"
#include "app/CommandLine.h"
#include "store/CalendarPreload.h"
#include "store/DataRoot.h"
#include "resources/DaybrookResources.h"
#include "ical/IcsCommand.h"
#include "sync/SyncCommand.h"
#include "app/OnScreenPlacement.h"
#include "app/PlannerProgram.h"
#include "app/PrintCommand.h"
#include "app/SearchCommand.h"
#include "app/SingleInstanceGuard.h"
#include "app/Subsystems.h"
#include "app/Unit1.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QStringList>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

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

// Qt ends a program whose platform cannot be opened (no display, an unknown
// QT_QPA_PLATFORM) with an abort and several lines of its own. While the
// application object is made, its messages are held back: a fatal one
// becomes the planner's one line and exit code 2, the others are passed on
// once the display is open.
class DisplayOpening
{
public:
    explicit DisplayOpening(SingleInstanceGuard &guard)
    {
        s_guard = &guard;
        s_previous = qInstallMessageHandler(&DisplayOpening::hold);
    }
    ~DisplayOpening()
    {
        qInstallMessageHandler(s_previous);
        s_guard = nullptr;
        for (const Held &message : s_held)
            s_previous(message.type, QMessageLogContext(), message.text);
        s_held.clear();
    }
    DisplayOpening(const DisplayOpening &) = delete;
    DisplayOpening &operator=(const DisplayOpening &) = delete;

private:
    struct Held
    {
        QtMsgType type;
        QString text;
    };

    static void hold(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type != QtFatalMsg) {
            s_held.push_back({type, text});
            return;
        }
        std::fputs("daybrook: no display could be opened (the --agenda, --search, --print, --import and "
                   "--export commands need none)\n",
                   stderr);
        std::fflush(stderr);
        if (s_guard)
            s_guard->release(); // the next start need not find out that this one died
        std::_Exit(2);
    }

    static inline SingleInstanceGuard *s_guard = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
    static inline std::vector<Held> s_held;
};

// A second start hands the running copy the user's wish to see it, then
// ends silently.
int askRunningCopyToShow(SingleInstanceGuard &guard, int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    guard.askRunningCopyToShow();
    return 0;
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
        // One line that says what was wrong; the whole usage is --help's.
        std::fprintf(stderr, "%s\n", qPrintable(line.error()));
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
    case CommandLine::Mode::Search:
        return runSearch(arguments);
    case CommandLine::Mode::Ics:
        return runIcsCommand(arguments);
    case CommandLine::Mode::Sync:
        return runSyncCommand(arguments);
    case CommandLine::Mode::Print:
        return runPrintCommand(arguments);
    case CommandLine::Mode::Window:
        break;
    }

    SingleInstanceGuard guard;
    if (!guard.acquire())
        return askRunningCopyToShow(guard, argc, argv);

    std::unique_ptr<QApplication> application;
    {
        const DisplayOpening opening(guard);
        application = std::make_unique<QApplication>(argc, argv);
    }
    QApplication &app = *application;
    PlannerProgram::Settings settings;
    // The data root is known once the application is (a portable copy keeps
    // it beside the program); its calendar is read from then on, while the
    // look, the window and its parts are made on this thread.
    settings.root = DataRoot::resolve(arguments);
    settings.preload = std::make_shared<CalendarPreload>(settings.root);
    app.setQuitOnLastWindowClosed(false); // the planner lives on in the notification area
    initDaybrookResources();
    applyLook(app);
    OnScreenPlacement::install();
    app.setWindowIcon(AppIcons::icon(QStringLiteral("daybrook-planner")));
    app.setDesktopFileName(QStringLiteral("daybrook-planner")); // ties the windows to the installed entry

    PlannerProgram program(std::move(settings));
    QObject::connect(&program, &PlannerProgram::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    installSubsystems(program);
    if (const Outcome started = program.start(); !started) {
        program.showMessage(started.error());
        return 1;
    }
    guard.listenForShowRequests([&program] { program.mainWindow().restoreWindow(); });
    return app.exec();
}
