// daybrook_bench_ical [--items N] [--runs R] [--seed S]: times the export of
// a generated calendar to an .ics file and the import of that file into an
// empty calendar, run after run, and prints min, median and max (ms).
#include "bench/ItemGenerator.h"

#include "ical/IcsTransfer.h"

#include "store/Unit2.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QStringList typeNames {"Standard", "Important",   "Business",        "Personal",
                             "Vacation", "Must Attend", "Travel Required", "Needs Preparation",
                             "Birthday", "Anniversary", "Phone Call"};

QString calendarOf(const QString &home)
{
    return home + QStringLiteral("/Personal Calendar/Personal Calendar.db");
}

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-8s min %8.1f  median %8.1f  max %8.1f ms\n", what, times.front(), times[times.size() / 2],
                times.back());
}

int argument(const QStringList &args, const QString &name, int fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int items = argument(args, QStringLiteral("--items"), 10000);
    const int runs = std::max(1, argument(args, QStringLiteral("--runs"), 10));
    const int seed = argument(args, QStringLiteral("--seed"), 1);

    QTemporaryDir source;
    QString error;
    if (!ItemGenerator::makeDataRoot(source.path(), items, std::uint64_t(seed), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QString ics = source.path() + QStringLiteral("/out.ics");
    std::vector<double> exportTimes, importTimes;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const IcsTransfer::ExportResult exported =
            IcsTransfer::exportFile(calendarOf(source.path()), ics, typeNames, {}, {});
        exportTimes.push_back(timer.nsecsElapsed() / 1e6);
        if (!exported.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(exported.message));
            return 1;
        }

        QTemporaryDir target;
        if (!ItemGenerator::makeDataRoot(target.path(), 0, 1, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        timer.restart();
        const IcsTransfer::ImportResult imported =
            IcsTransfer::importFile(calendarOf(target.path()), ics, typeNames, QDate(2025, 1, 1), true);
        importTimes.push_back(timer.nsecsElapsed() / 1e6);
        if (!imported.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(imported.message));
            return 1;
        }
        if (run == 0)
            std::printf("%s\n%s\n", qPrintable(exported.message), qPrintable(imported.message.left(200)));
    }
    std::printf("%d items, %d runs, file %lld KB\n", items, runs, QFileInfo(ics).size() / 1024);
    report("export", exportTimes);
    report("import", importTimes);
    return 0;
}
