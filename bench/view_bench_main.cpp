// daybrook_viewbench: times the week and month views as the user meets them.
//
//   daybrook_viewbench [--items 100000] [--runs 30] [--seed 1]
//                      [--width 1160] [--height 760]
//
// Generates a data root in a temporary directory, opens it, and shows the
// month and week views offscreen in an area of the given size (about what a
// maximised window on a 1280 x 900 screen leaves them). For each view it
// times switching (the month: refill for the next month, 42 filters, then
// one paint of the whole view; the week: the build for the next week and
// one paint) and a bare repaint. Prints min / median / max in milliseconds.
#include "bench/ItemGenerator.h"
#include "views/MonthView.h"
#include "store/Unit2.h"
#include "views/ViewState.h"
#include "views/WeekView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double cpuMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Spread
{
    double min = 0, median = 0, max = 0;
};

Spread spreadOf(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    return {ms.front(), n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2, ms.back()};
}

// Wall time, and the process's CPU time beside it: the machine is shared,
// and the CPU time shows the work itself when other processes crowd it.
struct Timing
{
    Spread wall, cpu;
};

Timing timeRuns(int runs, const std::function<void(int)> &work)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = cpuMilliseconds();
        timer.start();
        work(i);
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuMilliseconds() - cpuStart);
    }
    return {spreadOf(wall), spreadOf(cpu)};
}

void print(const char *what, const Timing &t)
{
    std::printf("| %s | %.2f (%.2f) | %.2f (%.2f) | %.2f (%.2f) |\n", what, t.wall.min, t.cpu.min, t.wall.median,
                t.cpu.median, t.wall.max, t.cpu.max);
}

// Paints the whole view the way the window system would ask for it.
void paint(QWidget &view, QImage &canvas)
{
    view.render(&canvas);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QStringList args = app.arguments();
    auto number = [&args](const char *name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        if (at < 0)
            return fallback;
        bool ok = false;
        const int value = at + 1 < args.size() ? args.at(at + 1).toInt(&ok) : 0;
        if (!ok || value <= 0) {
            std::fprintf(stderr, "daybrook_viewbench: %s needs a positive number\n", name);
            std::exit(2);
        }
        return value;
    };
    for (int i = 1; i < args.size(); i += 2) {
        static const QStringList known = {"--items", "--runs", "--seed", "--width", "--height"};
        if (!known.contains(args.at(i))) {
            std::fprintf(stderr, "daybrook_viewbench: unknown argument %s\n", qPrintable(args.at(i)));
            return 2;
        }
    }
    const int items = number("--items", 100000);
    const int runs = number("--runs", 30);
    const int seed = number("--seed", 1);
    const QSize area(number("--width", 1160), number("--height", 760));

    QTemporaryDir dir;
    QString error;
    if (!dir.isValid() || !ItemGenerator::makeDataRoot(dir.path() + "/root", items, std::uint64_t(seed), &error)) {
        std::fprintf(stderr, "daybrook_viewbench: %s\n", qPrintable(error));
        return 1;
    }
    TDataModule2 dm {DataRoot(dir.path() + "/root/")};
    if (const Outcome started = dm.startUp(); !started) {
        std::fprintf(stderr, "daybrook_viewbench: %s\n", qPrintable(started.error()));
        return 1;
    }

    ViewState state;
    QImage canvas(area, QImage::Format_ARGB32_Premultiplied);
    std::printf("%d items, seed %d, view area %d x %d, %d runs\n\n", items, seed, area.width(), area.height(), runs);
    std::printf("| work | min ms (CPU) | median ms (CPU) | max ms (CPU) |\n|---|---|---|---|\n");

    // Months of 2025 and 2026 in turn; the first switch builds the store's
    // lookup structures and is left out.
    const QDate start(2025, 3, 12);
    {
        MonthView month(dm, state);
        month.resize(area);
        month.show();
        month.build(start);
        paint(month, canvas);
        print("month view: switch month (42 fills, paint)", timeRuns(runs, [&](int i) {
                  month.refill(start.addMonths(1 + i % 18));
                  paint(month, canvas);
              }));
        print("month view: refill alone (42 fills)",
              timeRuns(runs, [&](int i) { month.refill(start.addMonths(1 + i % 18)); }));
        print("month view: repaint", timeRuns(runs, [&](int) { paint(month, canvas); }));
        // One cell of a weekday in the middle of the month (about 1,150 items).
        ItemCellList &cell = *month.cell(17);
        QImage cellCanvas(cell.size(), QImage::Format_ARGB32_Premultiplied);
        print("month view: repaint one cell list", timeRuns(runs, [&](int) { paint(cell, cellCanvas); }));
        month.hide();
    }
    {
        WeekView week(dm, state);
        week.resize(area);
        week.show();
        week.build(start);
        paint(week, canvas);
        print("week view: switch week (7 fills, build, paint)", timeRuns(runs, [&](int i) {
                  week.build(start.addDays(7 * (1 + i % 40)));
                  paint(week, canvas);
              }));
        print("week view: repaint", timeRuns(runs, [&](int) { paint(week, canvas); }));
    }
    return 0;
}
