#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

// Import and export of one calendar file as whole operations, for the
// window and the command line alike. Each returns a result that carries
// the summary or the reason it failed.
namespace IcsTransfer {

// done, total; returns false to cancel.
using Progress = std::function<bool(int, int)>;

struct ImportResult
{
    bool ok = false;
    bool cancelled = false;
    QString message;           // the summary, or why nothing was imported
    QStringList unstorable;    // "\"name\": reason." of items that cannot be stored
    bool needsConsent = false; // unstorable items stopped the import; ask, then call again with force
    QList<qint64> inserted;    // the `No` of every row the import added, when it went in
};

// Reads icsPath and adds its items to the calendar file in one
// transaction. Items whose UID the calendar already holds are left out.
// Items that cannot be stored stop the import (needsConsent) unless force
// is set, when the rest go in and the summary names them.
ImportResult importFile(const QString &calendarPath, const QString &icsPath, const QStringList &typeNames,
                        const QDate &today, bool force, const Progress &progress = {});

struct ExportResult
{
    bool ok = false;
    bool cancelled = false;
    bool refused = false;     // icsPath is one of the planner's table files: nothing was tried
    bool writeFailed = false; // the file system refused the file (full, no permission...)
    QString message;          // the summary, or why nothing was written
};

// Writes the calendar's items (those lying on from..to, when both are
// valid) to icsPath in one checked step, so a failure leaves any earlier
// file as it was. A path that is the calendar itself or one of ownFiles
// (the planner's other table files) is refused before anything is read.
ExportResult exportFile(const QString &calendarPath, const QString &icsPath, const QStringList &typeNames,
                        const QDate &from, const QDate &to, const Progress &progress = {},
                        const QStringList &ownFiles = {});

// What an import did, for its closing summary.
struct ImportFacts
{
    int events = 0;
    int tasks = 0;
    QStringList expanded;     // series stored as single dates: "name (to YYYY-MM-DD)", the last date stored
    int rounded = 0;          // reminders moved to a lead the planner holds
    int alreadyThere = 0;     // items whose UID the calendar held before
    QStringList leftOut;      // "\"name\": why", items of the file not imported
    QStringList changed;      // "\"name\": what", items imported otherwise than the file says
    QStringList unknownZones; // TZIDs read as local time
    QStringList unstorable;   // "\"name\": why", items the calendar cannot hold
};

// The closing summary, e.g. "Imported 1,204 events and 37 tasks; 3
// recurring events were imported as single dates: A, B, C." Long lists
// name their first few and count the rest.
QString importSummary(const ImportFacts &facts);

// The first `shown` entries joined by separator, then "and N more".
QString firstFew(const QStringList &entries, const QString &separator, int shown = 5);

} // namespace IcsTransfer
