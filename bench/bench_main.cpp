// daybrook_bench: times the store the way the views use it.
//
//   daybrook_bench [--sizes 1000,10000,100000] [--runs 20] [--seed 1]
//                  [--daybrook PATH]
//
// For each size it generates a data root in a temporary directory, then
// runs itself as a child (`--measure DIR`) so that the peak memory belongs
// to that size alone, and finally times the agenda process over the March
// 2025 month grid. Every figure is the median of --runs runs.
#include "ItemGenerator.h"
#include "LocaleFormats.h"
#include "OccurrenceRules.h"
#include "Unit2.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
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

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Reads every row the cursor shows, as a cell painter would; returns the
// number of rows (the sum keeps the reads from being optimised away).
long readAll(Cursor &cursor, qint64 *checksum)
{
    long rows = 0;
    for (cursor.first(); !cursor.eof(); cursor.next()) {
        *checksum += cursor.value(QStringLiteral("No")).toLongLong();
        *checksum += cursor.asText(QStringLiteral("Subject")).size();
        *checksum += cursor.asTime(QStringLiteral("St")).msecsSinceStartOfDay();
        *checksum += cursor.asTime(QStringLiteral("Et")).msecsSinceStartOfDay();
        *checksum += cursor.asInt(QStringLiteral("T")) + cursor.asBool(QStringLiteral("A"))
                     + cursor.asBool(QStringLiteral("R")) + cursor.asBool(QStringLiteral("Re"));
        ++rows;
    }
    return rows;
}

// The reminder scanner's due-item predicate for a moment.
QString dueItemFilter(const QDateTime &now)
{
    static const char *const weekdayFields[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const QDate today = now.date();
    const QString T = LocaleFormats::formatDate(today);
    const QString W = QLatin1String(weekdayFields[today.dayOfWeek() - 1]);
    const QString d = QString::number(today.day());
    const QString m = QString::number(today.month());
    const QString N = LocaleFormats::formatTime(now.time());
    return "Rs = '" + T + "' and Sno<>'True' and Re<>'True' and R = 'True' or Re = 'True' and " + W
        + " = 'True' and Di<>'" + T + "' and S < '" + T + "' and R = 'True' or Re = 'True' and Ret='3' and Rd = '" + d
        + "' and Di<>'" + T + "' and S < '" + LocaleFormats::formatDate(today.addDays(32))
        + "' and R = 'True' or Re = 'True' and Rd = '" + d + "' and Rm = '" + m + "' and Di<>'" + T + "' and S < '"
        + LocaleFormats::formatDate(today.addDays(365)) + "' and R = 'True' or Sno = 'True' and R = 'True' and Sns = '"
        + T + "' and Sn <= '" + N + "'";
}

struct Figures
{
    double open = 0, firstMonth = 0, month = 0, day = 0, reminder = 0;
    long monthRows = 0, dayRows = 0, reminderRows = 0, items = 0;
    long peakRssKb = 0;
    qint64 checksum = 0; // of the values read, printed so that no read is skipped
};

Figures measure(const QString &home, int runs)
{
    Figures f;
    qint64 checksum = 0;
    const DataRoot root(home);

    std::vector<double> opens;
    for (int i = 0; i < runs; ++i) {
        TDataModule2 dm(root);
        bool ok = false;
        opens.push_back(millisecondsOf([&] { ok = dm.startUp(); }));
        if (!ok)
            qFatal("cannot open %s: %s", qPrintable(home), qPrintable(dm.startUpError()));
    }
    f.open = median(opens);

    TDataModule2 dm(root);
    if (!dm.startUp())
        qFatal("cannot open %s", qPrintable(home));
    dm.Table50().setFiltered(false);
    f.items = dm.Table50().recordCount();

    auto fillMonth = [&] {
        f.monthRows = 0;
        for (int cell = 1; cell <= 42; ++cell) {
            OccurrenceRules::occursOn(dm.table(cell), monthGridStart.addDays(cell - 1));
            f.monthRows += readAll(dm.table(cell), &checksum);
        }
    };
    f.firstMonth = millisecondsOf(fillMonth);
    std::vector<double> months;
    for (int i = 0; i < runs; ++i)
        months.push_back(millisecondsOf(fillMonth));
    f.month = median(months);

    auto fillDay = [&] {
        f.dayRows = 0;
        OccurrenceRules::timedOn(dm.Table46(), dayViewDate);
        f.dayRows += readAll(dm.Table46(), &checksum);
        OccurrenceRules::allDayOn(dm.Table49(), dayViewDate);
        f.dayRows += readAll(dm.Table49(), &checksum);
        for (int slot = 0; slot < 48; ++slot) {
            OccurrenceRules::startingInSlot(dm.Table43(), dayViewDate, slot);
            f.dayRows += readAll(dm.Table43(), &checksum);
            OccurrenceRules::runningAtSlot(dm.Table44(), dayViewDate, slot);
            f.dayRows += readAll(dm.Table44(), &checksum);
        }
    };
    fillDay(); // the day view's indexes are built once, like the month's
    std::vector<double> days;
    for (int i = 0; i < runs; ++i)
        days.push_back(millisecondsOf(fillDay));
    f.day = median(days);

    const QString due = dueItemFilter(reminderNow);
    auto requery = [&] {
        if (!dm.Table48().setFilter(due))
            qFatal("reminder filter: %s", qPrintable(dm.Table48().lastError()));
        dm.Table48().setFiltered(true);
        f.reminderRows = readAll(dm.Table48(), &checksum);
    };
    requery();
    std::vector<double> reminders;
    for (int i = 0; i < runs; ++i)
        reminders.push_back(millisecondsOf(requery));
    f.reminder = median(reminders);

    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    f.peakRssKb = usage.ru_maxrss;
    f.checksum = checksum;
    return f;
}

QString figuresLine(const Figures &f)
{
    return QStringLiteral("items=%1 open=%2 first_month=%3 month=%4 day=%5 reminder=%6 month_rows=%7 day_rows=%8 "
                          "reminder_rows=%9 rss_kb=%10 checksum=%11")
        .arg(f.items)
        .arg(f.open, 0, 'f', 3)
        .arg(f.firstMonth, 0, 'f', 3)
        .arg(f.month, 0, 'f', 3)
        .arg(f.day, 0, 'f', 3)
        .arg(f.reminder, 0, 'f', 3)
        .arg(f.monthRows)
        .arg(f.dayRows)
        .arg(f.reminderRows)
        .arg(f.peakRssKb)
        .arg(f.checksum);
}

Figures parseFigures(const QString &line)
{
    Figures f;
    for (const QString &pair : line.trimmed().split(QLatin1Char(' '))) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        const double value = pair.section(QLatin1Char('='), 1).toDouble();
        if (key == QLatin1String("items")) f.items = long(value);
        else if (key == QLatin1String("open")) f.open = value;
        else if (key == QLatin1String("first_month")) f.firstMonth = value;
        else if (key == QLatin1String("month")) f.month = value;
        else if (key == QLatin1String("day")) f.day = value;
        else if (key == QLatin1String("reminder")) f.reminder = value;
        else if (key == QLatin1String("month_rows")) f.monthRows = long(value);
        else if (key == QLatin1String("day_rows")) f.dayRows = long(value);
        else if (key == QLatin1String("reminder_rows")) f.reminderRows = long(value);
        else if (key == QLatin1String("rss_kb")) f.peakRssKb = long(value);
    }
    return f;
}

// Median wall time of the whole agenda process over the month grid.
double timeAgenda(const QString &program, const QString &home, int runs, QString *problem)
{
    const QStringList args{QStringLiteral("--home"), home, QStringLiteral("--agenda"),
                           monthGridStart.toString(Qt::ISODate), monthGridStart.addDays(41).toString(Qt::ISODate)};
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        bool finished = false;
        times.push_back(millisecondsOf([&] {
            process.start(program, args);
            finished = process.waitForFinished(60000);
        }));
        if (!finished || process.exitCode() != 0 || process.readAllStandardOutput().count('\n') < 42) {
            *problem = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
            return 0;
        }
    }
    return median(times);
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
    const QStringList sizes = option("--sizes", QStringLiteral("1000,10000,100000")).split(QLatin1Char(','));

    std::printf("Median of %d runs, times in ms; seed %llu; agenda program %s\n\n", runs, seed,
                qPrintable(QFileInfo(agendaProgram).fileName()));
    std::printf("| N | open calendar | first month fill | month fill | day filters | reminder re-query "
                "| agenda process | peak RSS MB | rows month / day / reminders |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
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
        QString problem;
        const double agenda = timeAgenda(agendaProgram, dir.path(), runs, &problem);
        if (!problem.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        std::printf("| %s | %.1f | %.2f | %.2f | %.2f | %.3f | %.0f | %.1f | %ld / %ld / %ld |\n",
                    qPrintable(QLocale(QLocale::English).toString(size.toInt())), f.open, f.firstMonth, f.month, f.day,
                    f.reminder, agenda, f.peakRssKb / 1024.0, f.monthRows, f.dayRows, f.reminderRows);
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
        std::printf("%s\n", qPrintable(figuresLine(measure(args.at(measureAt + 1), runs))));
        return 0;
    }
    return runAll(args);
}
