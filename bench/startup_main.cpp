// daybrook_startup --home DIR [--since NS]: the planner's start as main() runs it (all
// subsystems, the window shown), timed to the window's first paint; then
// the day view switched between two weekdays of March 2025, each switch
// built and painted. Prints "first_paint=MS switch=MS blocks=N" and ends;
// daybrook_bench runs it as a child on the offscreen platform and passes
// the monotonic clock at its spawn as --since, so that the first paint
// counts loading the program too.
#include "store/DataRoot.h"
#include "views/DayBlock.h"
#include "resources/DaybrookResources.h"
#include "app/PlannerProgram.h"
#include "app/Subsystems.h"
#include "app/Unit1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

qint64 monotonicNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Notes the moment any widget is first painted, in ms since sinceNs.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(qint64 sinceNs)
        : m_since(sinceNs)
    { }
    double at = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (at < 0 && event->type() == QEvent::Paint && watched->isWidgetType())
            at = double(monotonicNs() - m_since) / 1e6;
        return false;
    }

private:
    qint64 m_since;
};

} // namespace

int main(int argc, char *argv[])
{
    const qint64 mainStarted = monotonicNs();
    QCoreApplication::setApplicationName(QStringLiteral("daybrook"));
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    initDaybrookResources();
    QStringList arguments = app.arguments();
    // More switches (--switches N) make a profile of the switch stand out.
    const qsizetype switchesAt = arguments.indexOf(QStringLiteral("--switches"));
    const int switches =
        switchesAt >= 0 && switchesAt + 1 < arguments.size() ? qMax(1, arguments.at(switchesAt + 1).toInt()) : 6;
    const qsizetype sinceAt = arguments.indexOf(QStringLiteral("--since"));
    const qint64 since =
        sinceAt >= 0 && sinceAt + 1 < arguments.size() ? arguments.at(sinceAt + 1).toLongLong() : mainStarted;

    PlannerProgram::Settings settings;
    settings.root = DataRoot::resolve(arguments);
    // Shown whatever the options say about hiding it in a notification area.
    settings.trayAvailable = [] { return false; };
    settings.showMessage = [](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    PlannerProgram program(std::move(settings));
    installSubsystems(program);
    FirstPaint firstPaint(since);
    app.installEventFilter(&firstPaint);
    if (!program.start())
        return 1;
    // Start-up itself may run events (and paint) before the loop would start.
    while (firstPaint.at < 0)
        app.processEvents(QEventLoop::WaitForMoreEvents);
    app.removeEventFilter(&firstPaint);

    // The day view switched to another weekday, as a pick in the navigator
    // does, and painted.
    TForm1 &form = program.mainWindow();
    std::vector<double> times;
    for (int i = 0; i < switches; ++i) {
        QElapsedTimer timer;
        timer.start();
        form.pickDate(QDate(2025, 3, 12 + i % 2));
        form.repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    const qsizetype blocks = form.findChildren<DayBlock *>().size();
    std::printf("first_paint=%.3f switch=%.3f blocks=%lld\n", firstPaint.at, times[times.size() / 2],
                static_cast<long long>(blocks));
    std::fflush(stdout);
    std::_Exit(0); // the figures are out; tearing the window down is no part of them
}
