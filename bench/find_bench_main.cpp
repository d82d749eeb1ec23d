// daybrook_findbench [--items 100000] [--runs 15] [--seed 1]: the Find Items
// window on a generated calendar whose rows carry a location and notes, as
// a user types "dentist" letter by letter, then a word that is nowhere.
// For each text: from the key press (the text box's new text) to the list
// showing the text's results, with the event loop running as in the
// planner, in wall and CPU time; and the longest slice of reading, the most
// that typing can wait.
// Figures are min, median and max of the runs in milliseconds.

#include "app/FindItemsWindow.h"
#include "bench/ItemGenerator.h"
#include "store/Cursor.h"
#include "store/ItemSearch.h"
#include "store/TableSchema.h"
#include "store/Unit2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <ctime>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A location on three rows in four and notes on every other row, about 90
// characters long, so that each row's three texts are read.
bool addLocationsAndNotes(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return false;
    const char *sql = "UPDATE items SET "
                      "Loc = CASE No % 4 WHEN 0 THEN NULL WHEN 1 THEN 'Room ' || (No % 50) "
                      "WHEN 2 THEN 'Hauptstraße ' || (No % 90) ELSE 'Клиника на Арбате' END, "
                      "N = CASE No % 2 WHEN 0 THEN NULL ELSE 'Notes for item ' || No || "
                      "': bring the papers, call ahead when late, parking behind the building.' END";
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

struct Figures
{
    std::vector<double> listed; // key press to list, ms
    std::vector<double> cpu;    // the process's CPU time in that span, ms
    std::vector<double> slice;  // longest slice, ms
    size_t found = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// min / median / max
QString spread(const std::vector<double> &v)
{
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    return QStringLiteral("%1 / %2 / %3").arg(*low, 0, 'f', 1).arg(median(v), 0, 'f', 1).arg(*high, 0, 'f', 1);
}

void print(const char *text, const Figures &f)
{
    std::printf("| %s | %zu | %s | %s | %s |\n", text, f.found, qPrintable(spread(f.listed)), qPrintable(spread(f.cpu)),
                qPrintable(spread(f.slice)));
}

double cpuMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The longest of the slices ItemSearch::scan reads between events, in CPU
// time (the machine is shared: wall time would time the other processes),
// on a cursor of its own.
double longestSlice(Cursor &cursor, const QString &text)
{
    const ItemSearch search(text);
    std::vector<FoundItem> found;
    double longest = 0;
    cursor.first();
    for (bool done = false; !done;) {
        const double before = cpuMilliseconds();
        done = search.scan(cursor, FindItemsWindow::rowsPerSlice, found);
        longest = std::max(longest, cpuMilliseconds() - before);
    }
    return longest;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int items = 100000;
    int runs = 15;
    quint64 seed = 1;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--items"))
            items = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--runs"))
            runs = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--seed"))
            seed = args[i + 1].toULongLong();
    }
    QTemporaryDir dir;
    QString error;
    if (!ItemGenerator::makeDataRoot(dir.path() + QLatin1Char('/'), items, seed, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const DataRoot root(dir.path() + QLatin1Char('/'));
    if (!addLocationsAndNotes(root.defaultCalendarDir() + DataRoot::defaultCalendarFile())) {
        std::fprintf(stderr, "could not add locations and notes\n");
        return 1;
    }
    TDataModule2 store(root);
    if (!store.startUp()) {
        std::fprintf(stderr, "the data root did not open\n");
        return 1;
    }

    FindItemsWindow::Hooks hooks;
    hooks.activeCalendar = [&store] { return store.Table50().filePath(); };
    FindItemsWindow window(std::move(hooks));
    window.show();
    Cursor own;
    own.setTableFile(store.Table50().directory(), store.Table50().fileName(), calendarSchema());
    if (!own.open())
        return 1;

    const char *typed[] = {"d", "de", "den", "dent", "denti", "dentis", "dentist", "арбат", "zzzz"};
    std::vector<Figures> figures(std::size(typed));
    for (int run = 0; run < runs; ++run) {
        for (size_t t = 0; t < std::size(typed); ++t) {
            const QString text = QString::fromUtf8(typed[t]);
            QEventLoop loop;
            QObject::connect(&window, &FindItemsWindow::searchFinished, &loop, &QEventLoop::quit);
            QElapsedTimer timer;
            const double cpuBefore = cpuMilliseconds();
            timer.start();
            window.textBox()->setText(text);
            if (window.isSearching())
                loop.exec();
            figures[t].listed.push_back(timer.nsecsElapsed() / 1e6);
            figures[t].cpu.push_back(cpuMilliseconds() - cpuBefore);
            figures[t].found = window.results().size();
            figures[t].slice.push_back(longestSlice(own, text));
        }
    }
    std::printf("%d items, %d runs, %d rows a slice\n\n", items, runs, FindItemsWindow::rowsPerSlice);
    std::printf("| typed | found | key press to list, ms | its CPU time, ms | longest slice, ms |\n");
    std::printf("|---|---|---|---|---|\n");
    for (size_t t = 0; t < std::size(typed); ++t)
        print(typed[t], figures[t]);
    return 0;
}
