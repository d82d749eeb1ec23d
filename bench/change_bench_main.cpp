// daybrook_changebench --home DIR [--runs N]: on a generated data root
// (daybrook_gen), the cost of the missed-reminder catch-up at start after a
// gap of 500 days (the scanner's, and the day-by-day search it replaced,
// in alternate runs), the check for other programs' writes when nothing
// changed, and noticing one row another program changed. Prints one line
// of figures per run. The runs write the calendar and the options: use a
// data root made for the bench.
#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/DataRoot.h"
#include "store/FilterLiterals.h"
#include "store/ItemFields.h"
#include "reminders/DuePredicate.h"
#include "reminders/ReminderScanner.h"
#include "store/Unit2.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
#include <map>

namespace {

// The process's resident memory now, in KiB (Linux).
long residentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The catch-up as it was before it read the missed span at once: the
// due-item predicate of every missed day, narrowed to the missed times,
// then the re-query with every missed item. Kept here as the baseline.
std::map<qint64, QDateTime> dayByDayCatchUp(Cursor &cursor, const QDateTime &from, const QDateTime &lastMinute)
{
    auto range = [](const QString &name, const QTime &lo, const QTime &hi) {
        return " and " + name + " >= " + FilterLiterals::quoted(lo) + " and " + name
            + " <= " + FilterLiterals::quoted(hi);
    };
    auto regular = [](const QDate &T, const QString &extra) {
        const QString t = FilterLiterals::quoted(T);
        const QString d = FilterLiterals::quoted(QString::number(T.day())),
                      m = FilterLiterals::quoted(QString::number(T.month()));
        return "Rs = " + t + " and Sno <> 'True' and Re <> 'True' and R = 'True'" + extra + " or Re = 'True' and "
            + ItemField::weekdayFlag(T) + " = 'True' and Di <> " + t + " and S < " + t + " and R = 'True'" + extra
            + " or Re = 'True' and Ret = '3' and Rd = " + d + " and Di <> " + t + " and S < "
            + FilterLiterals::quoted(T.addDays(32)) + " and R = 'True'" + extra + " or Re = 'True' and Rd = " + d
            + " and Rm = " + m + " and Di <> " + t + " and S < " + FilterLiterals::quoted(T.addDays(365))
            + " and R = 'True'" + extra;
    };
    std::map<qint64, QDateTime> missed;
    auto collect = [&](const QString &filter, const QString &timeField, const QDate &day) {
        if (!cursor.setFilter(filter))
            return;
        cursor.setFiltered(true);
        for (cursor.first(); !cursor.eof(); cursor.next()) {
            const QDateTime moment(day, cursor.asTime(timeField));
            QDateTime &known = missed[cursor.currentId()];
            if (!known.isValid() || known < moment)
                known = moment;
        }
    };
    QDateTime first = QDateTime(from.date(), QTime(from.time().hour(), from.time().minute())).addSecs(60);
    const QDateTime earliest(lastMinute.date().addDays(1 - ReminderScanner::catchUpDays), QTime(0, 0));
    if (first < earliest)
        first = earliest;
    for (QDate day = first.date(); day <= lastMinute.date(); day = day.addDays(1)) {
        const QTime lo = day == first.date() ? first.time() : QTime(0, 0);
        const QTime hi = day == lastMinute.date() ? lastMinute.time().addSecs(59) : QTime(23, 59, 59);
        collect(regular(day, range(ItemField::Rt, lo, hi)), ItemField::Rt, day);
        collect("Sno = 'True' and R = 'True' and Sns = " + FilterLiterals::quoted(day) + range(ItemField::Sn, lo, hi),
                ItemField::Sn, day);
    }
    QString requery = DuePredicate::dueFilter(lastMinute.date(), lastMinute.time());
    for (const auto &entry : missed)
        requery += " or No = " + FilterLiterals::quoted(QString::number(entry.first)) + " and R = 'True' and Di <> "
            + FilterLiterals::quoted(lastMinute.date());
    if (cursor.setFilter(requery))
        cursor.setFiltered(true);
    cursor.first();
    return missed;
}

void catchUp(TDataModule2 &store, const QDateTime &now, bool dayByDay, bool requeryFirst)
{
    const QDateTime last = now.addDays(-500);
    store.options().change({{ReminderScanner::lastScanField, last.toString("yyyy-MM-ddTHH:mm:ss")}});
    const long before = residentKib();
    QElapsedTimer timer;
    timer.start();
    ReminderScanner scanner(store);
    std::map<qint64, QDateTime> baseline;
    int missed = 0;
    if (dayByDay) {
        baseline = dayByDayCatchUp(store.Table48(), last,
                                   QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())));
        missed = int(baseline.size());
    } else {
        scanner.start();
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const long growth = residentKib() - before;
    // The re-query every tick runs, with the missed items in it; beside it,
    // alternating which goes first, the filter with one clause per missed
    // item that it replaced.
    double requeryMs = 0, perItemMs = 0;
    auto timeRequery = [&] {
        timer.restart();
        scanner.requery();
        requeryMs = double(timer.nsecsElapsed()) / 1e6;
    };
    auto timePerItem = [&] {
        QString text = DuePredicate::dueFilter(now.date(), now.time());
        for (const auto &[no, moment] : dayByDayCatchUp(
                 store.table(2), last, QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()))))
            text += " or No = " + FilterLiterals::quoted(QString::number(no)) + " and R = 'True' and Di <> "
                + FilterLiterals::quoted(now.date());
        timer.restart();
        if (store.Table48().setFilter(text))
            store.Table48().setFiltered(true);
        store.Table48().first();
        perItemMs = double(timer.nsecsElapsed()) / 1e6;
    };
    if (!dayByDay && requeryFirst) {
        timeRequery();
        timePerItem();
    } else if (!dayByDay) {
        timePerItem();
        timeRequery();
    } else {
        timeRequery();
    }
    // One write of the scan moment, as start() makes it.
    timer.restart();
    store.options().change({{ReminderScanner::lastScanField, now.toString("yyyy-MM-ddTHH:mm:ss")}});
    const double writeMs = double(timer.nsecsElapsed()) / 1e6;
    if (!dayByDay) {
        // The same items at the same moments as the day-by-day search.
        baseline =
            dayByDayCatchUp(store.table(2), last, QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())));
        for (const auto &[no, moment] : baseline)
            missed += scanner.missedMoment(no) == moment ? 1 : 0;
        missed = missed == int(baseline.size()) ? missed : -missed;
    }
    std::printf("%s catch_up_ms=%.2f rss_growth_kib=%ld requery_ms=%.2f per_item_requery_ms=%.2f scan_write_ms=%.2f "
                "missed=%d listed=%d",
                dayByDay ? "day_by_day" : "span", ms, growth, requeryMs, perItemMs, writeMs, missed,
                store.Table48().recordCount());
}

void outsideChecks(TDataModule2 &store)
{
    // Nothing changed: the check the timer runs twice a second.
    constexpr int checks = 2000;
    const double cpuBefore = cpuMs();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < checks; ++i)
        store.noticeOutsideChanges();
    const double perCheckUs = double(timer.nsecsElapsed()) / 1e3 / checks;
    const double cpuPerCheckUs = (cpuMs() - cpuBefore) * 1e3 / checks;
    const double share = cpuPerCheckUs * (1000.0 / TDataModule2::outsideCheckMilliseconds) / 1e6 * 100;
    std::printf(" idle_check_us=%.2f idle_check_cpu_us=%.2f idle_core_percent=%.4f", perCheckUs, cpuPerCheckUs, share);

    // One row changed by another program: re-read and told apart.
    sqlite3 *db = nullptr;
    sqlite3_open(store.table(1).filePath().toUtf8().constData(), &db);
    sqlite3_exec(db, "UPDATE items SET Loc = coalesce(Loc, '') || 'x' WHERE No = (SELECT min(No) FROM items)", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    int rows = -1;
    QObject::connect(&store, &TDataModule2::calendarChanged, &store,
                     [&rows](const CalendarChange &change) { rows = int(change.rows.size()); });
    timer.restart();
    store.noticeOutsideChanges();
    std::printf(" outside_change_ms=%.1f changed_rows=%d", double(timer.nsecsElapsed()) / 1e6, rows);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype homeAt = args.indexOf(QStringLiteral("--home"));
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs"));
    if (homeAt < 0 || homeAt + 1 >= args.size()) {
        std::fprintf(stderr, "usage: daybrook_changebench --home DIR [--runs N]\n");
        return 2;
    }
    const int runs = runsAt >= 0 && runsAt + 1 < args.size() ? args.at(runsAt + 1).toInt() : 5;
    // The generated calendar spans 2020 .. 2029; the gap ends in March 2025.
    const QDateTime now(QDate(2025, 3, 12), QTime(10, 0, 20));
    Clock::setNowForTesting(now);
    for (int run = 0; run < runs; ++run) {
        TDataModule2 store {DataRoot(args.at(homeAt + 1))};
        if (const Outcome started = store.startUp(); !started) {
            std::fprintf(stderr, "daybrook_changebench: %s\n", qPrintable(started.error()));
            return 1;
        }
        std::printf("run=%d ", run + 1);
        // Day by day (the baseline) and over the span at once, alternating.
        catchUp(store, now, run % 2 == 0, run % 4 == 1);
        outsideChecks(store);
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
