// daybrook_startup --home DIR [--since NS] [--switches N] [--scrolls N]: the planner's
// start as main() runs it (all subsystems, the window shown), timed to the
// window's first paint; then the day view switched between two weekdays of
// March 2025, each switch built and painted; then (with --scrolls) the last
// day scrolled by a page N times, each step painted. Prints
// "first_paint=MS switch=MS blocks=N" (and "scroll=MIN/MEDIAN/MAX") and ends;
// daybrook_bench runs it as a child on the offscreen platform and passes
// the monotonic clock at its spawn as --since, so that the first paint
// counts loading the program too.
#include "store/DataRoot.h"
#include "views/DayGeometry.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "resources/DaybrookResources.h"
#include "app/PlannerProgram.h"
#include "app/Subsystems.h"
#include "app/Unit1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QScrollBar>

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
    const qsizetype scrollsAt = arguments.indexOf(QStringLiteral("--scrolls"));
    const int scrolls =
        scrollsAt >= 0 && scrollsAt + 1 < arguments.size() ? qMax(0, arguments.at(scrollsAt + 1).toInt()) : 0;
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
    DayView *day = form.findChild<DayView *>();
    const qsizetype blocks = day ? day->blocks().size() : 0;
    std::printf("first_paint=%.3f switch=%.3f blocks=%lld", firstPaint.at, times[times.size() / 2],
                static_cast<long long>(blocks));

    // Page by page down the day and back to its top, as the scroll bar's
    // page area does, each step painted before the next. When the all-day
    // strip leaves the grid no room in the window (a million items put
    // about a thousand all-day rows there), a page of the grid as tall as a
    // 1280 x 1024 screen shows is painted into a picture instead.
    std::vector<double> steps;
    QScrollBar *bar = day ? day->scrollBar() : nullptr;
    const bool inWindow = bar && bar->isVisible() && bar->pageStep() > DayGeometry::rowHeight;
    const int page = inWindow ? bar->pageStep() : 700;
    QImage picture(day ? day->grid()->width() : 1, page, QImage::Format_RGB32);
    for (int i = 0; day && i < scrolls; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (inWindow) {
            bar->setValue(bar->value() >= bar->maximum() ? 0 : bar->value() + bar->pageStep());
            form.repaint();
        } else {
            const int top = (i * page) % DayGeometry::gridHeight;
            day->grid()->render(&picture, QPoint(), QRegion(0, top, picture.width(), page));
        }
        steps.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(steps.begin(), steps.end());
    if (!steps.empty())
        std::printf(" scroll=%.3f/%.3f/%.3f scroll_in=%s", steps.front(), steps[steps.size() / 2], steps.back(),
                    inWindow ? "window" : "picture");
    std::printf("\n");
    std::fflush(stdout);
    std::_Exit(0); // the figures are out; tearing the window down is no part of them
}
