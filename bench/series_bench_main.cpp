// daybrook_seriesbench [--items 100000] [--runs 15] [--percent 5] [--of series|rows]:
// the month grid's 42 filters on a generated calendar, as the views set
// them today and with the extended series' clause appended, on the calendar
// as generated and on a copy where a share of the series (or, harsher, of
// all rows, most of them single items made series) are extended series
// (intervals, ends, a few removed dates each). The three kinds of run
// alternate; figures are min, median and max of the runs in milliseconds.

#include "bench/ItemGenerator.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/TableFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QDate kGridStart(2025, 2, 24); // the Monday before 1 March 2025

QString generalRule(const QDate &day, bool withSeries)
{
    const QString text = QLocale().toString(day, QStringLiteral("M/d/yyyy"));
    QString rule =
        QStringLiteral("S <='%1'and E >= '%1' and Ta<>'True' or Re = 'True' and  %2 = 'True' and S < '%1' or "
                       "Re = 'True' and Ret='3' and D = '%3' and S < '%1' or Re = 'True' and  D = '%3' and "
                       "M = '%4' and S < '%1'")
            .arg(text, ItemField::weekdayFlag(day), QString::number(day.day()), QString::number(day.month()));
    if (withSeries)
        rule += QStringLiteral(" or Re = 'True' and Rr occurs '%1'").arg(day.toString(Qt::ISODate));
    return rule;
}

// Every twentieth series or row (for 5%) becomes an extended series starting on its date.
bool extend(const QString &path, int percent, bool ofRows)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return false;
    const char *rules[] = {"FREQ=WEEKLY;INTERVAL=2;COUNT=10",       "FREQ=WEEKLY;INTERVAL=3;BYDAY=MO,TH",
                           "FREQ=DAILY;INTERVAL=2;UNTIL=20271231",  "FREQ=MONTHLY;BYDAY=-1FR",
                           "FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=-1", "FREQ=MONTHLY;BYDAY=2WE;COUNT=24",
                           "FREQ=YEARLY;BYMONTH=11;BYDAY=4TH",      "FREQ=WEEKLY;BYDAY=TU;UNTIL=20260630"};
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int kind = 0; kind < 8; ++kind) {
        const QByteArray sql =
            QStringLiteral("UPDATE items SET Re = 1, Ret = '2', E = S, Md = '0', Sun = 0, Mon = 0, Tue = 0, Wed = 0, "
                           "Thu = 0, Fri = 0, Sat = 0, D = NULL, M = NULL, Rd = NULL, Rm = NULL, Rr = '%1', "
                           "Rx = date(S, '+14 days') || ',' || date(S, '+63 days') "
                           "WHERE (No * %2) % 100 < %2 AND (No / 100) % 8 = %3 AND coalesce(Ta, 0) = 0 %4")
                .arg(QLatin1String(rules[kind]))
                .arg(percent)
                .arg(kind)
                .arg(QLatin1String(ofRows ? "" : "AND Re = 1"))
                .toUtf8();
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
            sqlite3_close(db);
            return false;
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return true;
}

struct Figures
{
    std::vector<double> runs;
    long rows = 0;
    QString text() const
    {
        std::vector<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        return QStringLiteral("%1 / %2 / %3")
            .arg(sorted.front(), 0, 'f', 2)
            .arg(sorted[sorted.size() / 2], 0, 'f', 2)
            .arg(sorted.back(), 0, 'f', 2);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    int items = 100000, runs = 15, percent = 5;
    bool ofRows = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--of") && i + 1 < args.size()
            && (args[i + 1] == QLatin1String("series") || args[i + 1] == QLatin1String("rows"))) {
            ofRows = args[++i] == QLatin1String("rows");
            continue;
        }
        bool ok = i + 1 < args.size();
        const int value = ok ? args[i + 1].toInt(&ok) : 0;
        if (!ok || value < 1
            || (args[i] != QLatin1String("--items") && args[i] != QLatin1String("--runs")
                && args[i] != QLatin1String("--percent"))) {
            std::fprintf(stderr,
                         "usage: daybrook_seriesbench [--items N] [--runs N] [--percent 1..100] [--of series|rows]\n");
            return 2;
        }
        (args[i] == QLatin1String("--items") ? items : args[i] == QLatin1String("--runs") ? runs : percent) = value;
        ++i;
    }
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.db")),
                  extended = dir.filePath(QStringLiteral("extended.db"));
    const Outcome created = TableFile::create(plain, calendarSchema());
    QString error = created.error();
    if (!created || !ItemGenerator::fill(plain, items, 7, &error) || !QFile::copy(plain, extended)
        || !extend(extended, std::min(percent, 100), ofRows)) {
        std::fprintf(stderr, "%s\n", qPrintable(error.isEmpty() ? QStringLiteral("cannot set up") : error));
        return 1;
    }
    // The month view's 42 cursors on each file.
    auto cursorsOn = [&](const QString &name) {
        std::vector<std::unique_ptr<Cursor>> cursors;
        for (int cell = 0; cell < 42; ++cell) {
            cursors.push_back(std::make_unique<Cursor>());
            cursors.back()->setTableFile(dir.path(), name, calendarSchema());
            cursors.back()->setIndexName(QStringLiteral("sta"));
            if (!cursors.back()->open())
                std::fprintf(stderr, "cannot open %s\n", qPrintable(name));
        }
        return cursors;
    };
    auto plainCursors = cursorsOn(QStringLiteral("plain.db"));
    auto extendedCursors = cursorsOn(QStringLiteral("extended.db"));
    auto fill = [](std::vector<std::unique_ptr<Cursor>> &cursors, bool withSeries, Figures &figures) {
        QElapsedTimer timer;
        timer.start();
        long rows = 0;
        for (int cell = 0; cell < 42; ++cell) {
            Cursor &cursor = *cursors[cell];
            cursor.setFilter(generalRule(kGridStart.addDays(cell), withSeries));
            cursor.setFiltered(true);
            rows += cursor.recordCount();
        }
        figures.runs.push_back(double(timer.nsecsElapsed()) / 1e6);
        figures.rows = rows;
    };
    Figures first, today, appendedPlain, appendedExtended;
    fill(extendedCursors, true, first); // builds the series index
    for (int run = 0; run < runs; ++run) {
        fill(plainCursors, false, today);
        fill(plainCursors, true, appendedPlain);
        fill(extendedCursors, true, appendedExtended);
    }
    std::printf("| items | extended | of | first fill, series index built | today's filters | with the series clause, "
                "no extended rows | with the series clause, extended rows |\n");
    std::printf("| %d | %d%% | %s | %.2f | %s (%ld rows) | %s (%ld rows) | %s (%ld rows) |\n", items, percent,
                ofRows ? "rows" : "series", first.runs[0], qPrintable(today.text()), today.rows,
                qPrintable(appendedPlain.text()), appendedPlain.rows, qPrintable(appendedExtended.text()),
                appendedExtended.rows);
    return 0;
}
