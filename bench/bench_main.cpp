// daybrook_bench: times the store the way the views use it.
//
//   daybrook_bench [--sizes 1000,10000,100000] [--runs 20] [--seed 1]
//                  [--daybrook PATH]
//
// (1,000,000 only when --sizes names it.)
// For each size it generates a data root in a temporary directory, then
// runs itself as a child (`--measure DIR`) so that the peak memory belongs
// to that size alone, then times the agenda process over the March 2025
// month grid and the planner's start to its first paint (daybrook_startup). Every figure is the median of --runs runs.
#include "bench/ItemGenerator.h"
#include "store/FilterLiterals.h"
#include "views/OccurrenceRules.h"
#include "store/ItemFields.h"
#include "store/Unit2.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <vector>

namespace {

const QDate monthGridStart(2025, 2, 24); // Monday before 1 March 2025
const QDate dayViewDate(2025, 3, 12);
const QDateTime reminderNow(QDate(2025, 3, 12), QTime(10, 0));

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double cpuMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Wall and CPU time of repeated runs. The machine is shared, so the CPU
// time shows the work itself when other processes crowd the cores.
struct Samples
{
    std::vector<double> wall, cpu;

    void time(const std::function<void()> &work)
    {
        QElapsedTimer timer;
        const double cpuStart = cpuMilliseconds();
        timer.start();
        work();
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuMilliseconds() - cpuStart);
    }
    double medianWall() const { return median(wall); }
    double medianCpu() const { return median(cpu); }
};

// Reads every row the cursor shows as a cell painter does, the item's
// `No`, `Subject`, `St`, `Et`, `T`, `A`, `R` and `Re`: fields looked up
// once, then runs of rows read at once (`Cursor::readRows`, as `ItemRow`
// reads a cell's rows), the subject's text in place.
// Returns the number of rows (the sum keeps the reads from being optimised
// away).
long readAll(Cursor &cursor, qint64 *checksum)
{
    const Cursor::Field subject = cursor.field(ItemField::Subject);
    const Cursor::Field numbers[] = {cursor.field(ItemField::St), cursor.field(ItemField::Et),
                                     cursor.field(ItemField::T),  cursor.field(ItemField::A),
                                     cursor.field(ItemField::R),  cursor.field(ItemField::Re)};
    constexpr int count = int(std::size(numbers));
    constexpr int chunk = 32;
    qint64 ids[chunk], n[chunk * count];
    QStringView subjects[chunk];
    const Cursor::RowBlock block {numbers, count, &subject, 1, ids, n, subjects};
    long rows = 0;
    for (int read; (read = cursor.readRows(int(rows), chunk, block)) > 0; rows += read) {
        for (int i = 0; i < read; ++i) {
            *checksum += ids[i] + subjects[i].size();
            for (int k = 0; k < count; ++k)
                *checksum += n[i * count + k] == Cursor::kBlankNumber ? 0 : n[i * count + k];
        }
    }
    return rows;
}

// The reminder scanner's due-item predicate for a moment.
QString dueItemFilter(const QDateTime &now)
{
    const QDate today = now.date();
    const QString T = FilterLiterals::date(today);
    const QString W = ItemField::weekdayFlag(today);
    const QString d = QString::number(today.day());
    const QString m = QString::number(today.month());
    const QString N = FilterLiterals::time(now.time());
    return "Rs = '" + T + "' and Sno<>'True' and Re<>'True' and R = 'True' or Re = 'True' and " + W
        + " = 'True' and Di<>'" + T + "' and S < '" + T + "' and R = 'True' or Re = 'True' and Ret='3' and Rd = '" + d
        + "' and Di<>'" + T + "' and S < '" + FilterLiterals::date(today.addDays(32))
        + "' and R = 'True' or Re = 'True' and Rd = '" + d + "' and Rm = '" + m + "' and Di<>'" + T + "' and S < '"
        + FilterLiterals::date(today.addDays(365)) + "' and R = 'True' or Sno = 'True' and R = 'True' and Sns = '" + T
        + "' and Sn <= '" + N + "'";
}

// The figures of one size, by name; the measuring child prints them as
// "name=value" pairs and the parent reads them back.
using Figures = QMap<QString, double>;

Figures measure(const QString &home, int runs, int openRuns)
{
    Figures f;
    qint64 checksum = 0;
    const DataRoot root(home);

    Samples open;
    for (int i = 0; i < openRuns; ++i) {
        TDataModule2 dm(root);
        Outcome started;
        open.time([&] { started = dm.startUp(); });
        if (!started)
            qFatal("cannot open %s: %s", qPrintable(home), qPrintable(started.error()));
    }

    TDataModule2 dm(root);
    if (!dm.startUp())
        qFatal("cannot open %s", qPrintable(home));
    dm.Table50().setFiltered(false);
    f["items"] = dm.Table50().recordCount();

    auto fillMonth = [&] {
        long rows = 0;
        for (int cell = 1; cell <= 42; ++cell) {
            OccurrenceRules::occursOn(dm.table(cell), monthGridStart.addDays(cell - 1));
            rows += readAll(dm.table(cell), &checksum);
        }
        f["month_rows"] = rows;
    };
    Samples firstMonth, month;
    firstMonth.time(fillMonth); // builds the store's lookup structures
    for (int i = 0; i < runs; ++i)
        month.time(fillMonth);

    auto fillDay = [&] {
        long rows = 0;
        OccurrenceRules::timedOn(dm.Table46(), dayViewDate);
        rows += readAll(dm.Table46(), &checksum);
        OccurrenceRules::allDayOn(dm.Table49(), dayViewDate);
        rows += readAll(dm.Table49(), &checksum);
        for (int slot = 0; slot < 48; ++slot) {
            OccurrenceRules::startingInSlot(dm.Table43(), dayViewDate, slot);
            rows += readAll(dm.Table43(), &checksum);
            OccurrenceRules::runningAtSlot(dm.Table44(), dayViewDate, slot);
            rows += readAll(dm.Table44(), &checksum);
        }
        f["day_rows"] = rows;
    };
    Samples day;
    fillDay();
    for (int i = 0; i < runs; ++i)
        day.time(fillDay);

    const QString due = dueItemFilter(reminderNow);
    auto requery = [&] {
        if (!dm.Table48().setFilter(due))
            qFatal("reminder filter: %s", qPrintable(dm.Table48().lastError()));
        dm.Table48().setFiltered(true);
        f["reminder_rows"] = readAll(dm.Table48(), &checksum);
    };
    Samples reminder;
    requery();
    for (int i = 0; i < runs; ++i)
        reminder.time(requery);

    for (const auto &[name, samples] : {std::pair {"open", &open},
                                        {"first_month", &firstMonth},
                                        {"month", &month},
                                        {"day", &day},
                                        {"reminder", &reminder}}) {
        f[QLatin1String(name)] = samples->medianWall();
        f[QLatin1String(name) + QLatin1String("_cpu")] = samples->medianCpu();
    }
    struct rusage usage
    { };
    getrusage(RUSAGE_SELF, &usage);
    f["rss_kb"] = usage.ru_maxrss;
    f["checksum"] = double(checksum % 1000000); // printed so that no read is skipped
    return f;
}

QString figuresLine(const Figures &f)
{
    QStringList pairs;
    for (auto it = f.cbegin(); it != f.cend(); ++it)
        pairs << it.key() + QLatin1Char('=') + QString::number(it.value(), 'f', 3);
    return pairs.join(QLatin1Char(' '));
}

Figures parseFigures(const QString &line)
{
    Figures f;
    for (const QString &pair : line.trimmed().split(QLatin1Char(' ')))
        f[pair.section(QLatin1Char('='), 0, 0)] = pair.section(QLatin1Char('='), 1).toDouble();
    return f;
}

// Runs program once with its output in outputPath; the child's own CPU time
// and peak memory come from wait4(). False when it could not run or failed.
bool runChild(const QString &program, const QStringList &args, const QString &outputPath, double *wallMs, double *cpuMs,
              long *peakRssKb)
{
    std::vector<QByteArray> storage {QFile::encodeName(program)};
    for (const QString &arg : args)
        storage.push_back(arg.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray output = QFile::encodeName(outputPath);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    struct rusage usage
    { };
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    *wallMs = double(timer.nsecsElapsed()) / 1e6;
    *cpuMs =
        (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    *peakRssKb = std::max(*peakRssKb, long(usage.ru_maxrss));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The whole agenda process over the month grid: wall and CPU time of each
// run, and its peak memory.
Samples timeAgenda(const QString &program, const QString &home, int runs, long *peakRssKb, QString *problem)
{
    const QStringList args {QStringLiteral("--home"), home, QStringLiteral("--agenda"),
                            monthGridStart.toString(Qt::ISODate), monthGridStart.addDays(41).toString(Qt::ISODate)};
    const QString output = home + QStringLiteral("/agenda.txt");
    Samples samples;
    for (int i = 0; i < runs; ++i) {
        double wall = 0, cpu = 0;
        const bool ok = runChild(program, args, output, &wall, &cpu, peakRssKb);
        QFile printed(output);
        if (!ok || !printed.open(QIODevice::ReadOnly) || printed.readAll().count('\n') < 42) {
            *problem = QStringLiteral("%1 failed").arg(program);
            break;
        }
        samples.wall.push_back(wall);
        samples.cpu.push_back(cpu);
    }
    return samples;
}

// The planner's start to its first paint and the day view's weekday switch
// (daybrook_startup, offscreen): median of each, and the peak memory.
struct StartupFigures
{
    Samples firstPaint, daySwitch;
    long peakRssKb = 0;
    int blocks = 0;
};

StartupFigures timeStartup(const QString &program, const QString &home, int runs, QString *problem)
{
    StartupFigures figures;
    const QString output = home + QStringLiteral("/startup.txt");
    for (int i = 0; i < runs; ++i) {
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const QString since = QString::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec);
        double wall = 0, cpu = 0;
        const bool ok = runChild(program, {QStringLiteral("--home"), home, QStringLiteral("--since"), since}, output,
                                 &wall, &cpu, &figures.peakRssKb);
        QFile printed(output);
        const Figures f =
            ok && printed.open(QIODevice::ReadOnly) ? parseFigures(QString::fromLatin1(printed.readAll())) : Figures();
        if (!f.contains(QStringLiteral("first_paint")) || f.value("first_paint") < 0) {
            *problem = QStringLiteral("%1 failed").arg(program);
            break;
        }
        figures.firstPaint.wall.push_back(f.value("first_paint"));
        figures.daySwitch.wall.push_back(f.value("switch"));
        figures.blocks = int(f.value("blocks"));
    }
    return figures;
}

double loadAverage()
{
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

int runAll(const QStringList &args)
{
    auto option = [&args](const char *name, const QString &fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
    };
    const int runs = option("--runs", QStringLiteral("20")).toInt();
    const qulonglong seed = option("--seed", QStringLiteral("1")).toULongLong();
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString agendaProgram = option("--daybrook", exeDir + QStringLiteral("/daybrook_agenda"));
    const QString startupProgram = exeDir + QStringLiteral("/daybrook_startup");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStringList sizes = option("--sizes", QStringLiteral("1000,10000,100000")).split(QLatin1Char(','));
    std::sort(sizes.begin(), sizes.end(), [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });

    std::printf("Median of %d runs; wall time in ms, CPU time in brackets; seed %llu; agenda program %s; "
                "load average %.2f at start\n\n",
                runs, seed, qPrintable(QFileInfo(agendaProgram).fileName()), loadAverage());
    std::printf("| N | open calendar | first month fill | month fill | day filters | reminder re-query "
                "| agenda process | peak RSS MB (bench / agenda) | rows month / day / reminders "
                "| first paint | day switch | planner peak RSS MB / day blocks |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const QString &size : sizes) {
        QTemporaryDir dir;
        QString error;
        if (!ItemGenerator::makeDataRoot(dir.path(), size.toInt(), seed, &error)) {
            std::fprintf(stderr, "generator: %s\n", qPrintable(error));
            return 1;
        }
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--measure"), dir.path(), QStringLiteral("--runs"), QString::number(runs)});
        if (!child.waitForFinished(600000) || child.exitCode() != 0) {
            std::fprintf(stderr, "measure failed: %s\n", child.readAllStandardError().constData());
            return 1;
        }
        const Figures f = parseFigures(QString::fromLatin1(child.readAllStandardOutput()));
        long agendaRssKb = 0;
        QString problem;
        const Samples agenda = timeAgenda(agendaProgram, dir.path(), runs, &agendaRssKb, &problem);
        if (!problem.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        const StartupFigures startup = timeStartup(startupProgram, dir.path(), runs, &problem);
        if (!problem.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        auto both = [&f](const char *name) {
            return QStringLiteral("%1 (%2)")
                .arg(f.value(QLatin1String(name)), 0, 'f', 3)
                .arg(f.value(QLatin1String(name) + QLatin1String("_cpu")), 0, 'f', 3);
        };
        std::printf("| %s | %s | %s | %s | %s | %s | %.0f (%.0f) | %.1f / %.1f | %.0f / %.0f / %.0f "
                    "| %.0f | %.1f | %.1f / %d |\n",
                    qPrintable(QLocale(QLocale::English).toString(size.toInt())), qPrintable(both("open")),
                    qPrintable(both("first_month")), qPrintable(both("month")), qPrintable(both("day")),
                    qPrintable(both("reminder")), agenda.medianWall(), agenda.medianCpu(), f.value("rss_kb") / 1024.0,
                    agendaRssKb / 1024.0, f.value("month_rows"), f.value("day_rows"), f.value("reminder_rows"),
                    startup.firstPaint.medianWall(), startup.daySwitch.medianWall(), startup.peakRssKb / 1024.0,
                    startup.blocks);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QStringList args = app.arguments();
    const qsizetype measureAt = args.indexOf(QStringLiteral("--measure"));
    if (measureAt >= 0 && measureAt + 1 < args.size()) {
        const qsizetype runsAt = args.indexOf(QStringLiteral("--runs"));
        const int runs = runsAt >= 0 && runsAt + 1 < args.size() ? args.at(runsAt + 1).toInt() : 20;
        // Fewer openings (--open-runs 1) let a profile of the fills stand out.
        const qsizetype openRunsAt = args.indexOf(QStringLiteral("--open-runs"));
        const int openRuns =
            openRunsAt >= 0 && openRunsAt + 1 < args.size() ? qMax(1, args.at(openRunsAt + 1).toInt()) : runs;
        std::printf("%s\n", qPrintable(figuresLine(measure(args.at(measureAt + 1), runs, openRuns))));
        return 0;
    }
    return runAll(args);
}
