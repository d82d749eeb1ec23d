#include "ical/IcsCommand.h"

#include "ical/IcsTransfer.h"

#include "store/Clock.h"
#include "store/DataRoot.h"
#include "store/OwnTableFiles.h"
#include "store/TerminalCommand.h"
#include "store/TypeNames.h"
#include "store/Unit2.h"

#include <QTextStream>

namespace {

using TerminalCommand::fail;
using TerminalCommand::isoDate;

const QString importOption = QStringLiteral("--import");
const QString exportOption = QStringLiteral("--export");
const QString forceOption = QStringLiteral("--force");
const QString homeOption = QStringLiteral("--home");

struct Request
{
    bool import = false;
    QString file;
    QDate from, to;
    bool force = false;
    QString error;
};

// Every argument must be known: a mistyped option must not be taken for
// a file name.
Request parse(const QStringList &arguments)
{
    Request request;
    QStringList rest;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == homeOption) {
            ++i; // its value is the data root's business
        } else if (a == forceOption) {
            request.force = true;
        } else if (a == importOption || a == exportOption) {
            if (!request.file.isEmpty() || i + 1 >= arguments.size()) {
                request.error = QStringLiteral(
                    "usage: daybrook [--home DIR] --import FILE.ics [--force] | --export FILE.ics [FROM TO]");
                return request;
            }
            request.import = a == importOption;
            request.file = arguments.at(++i);
        } else {
            rest << a;
        }
    }
    if (request.file.isEmpty() || request.file.startsWith(QLatin1String("--"))) {
        request.error =
            QStringLiteral("usage: daybrook [--home DIR] --import FILE.ics [--force] | --export FILE.ics [FROM TO]");
        return request;
    }
    if (request.import && !rest.isEmpty()) {
        request.error = QStringLiteral("import: unknown argument: %1").arg(rest.first());
        return request;
    }
    if (!request.import) {
        if (request.force) {
            request.error = QStringLiteral("export: --force belongs to --import");
            return request;
        }
        if (rest.size() == 1 || rest.size() > 2) {
            request.error = QStringLiteral("export: give both FROM and TO (YYYY-MM-DD), or neither");
            return request;
        }
        if (rest.size() == 2) {
            request.from = isoDate(rest.at(0));
            request.to = isoDate(rest.at(1));
            if (!request.from.isValid() || !request.to.isValid())
                request.error = QStringLiteral("export: not a date (YYYY-MM-DD): %1")
                                    .arg(!request.from.isValid() ? rest.at(0) : rest.at(1));
            else if (request.to < request.from)
                request.error =
                    QStringLiteral("export: the range ends before it starts: %1 %2").arg(rest.at(0), rest.at(1));
        }
    }
    return request;
}

} // namespace

bool isIcsCommand(const QStringList &arguments)
{
    return arguments.contains(importOption) || arguments.contains(exportOption);
}

int runIcsCommand(const QStringList &arguments)
{
    return TerminalCommand::run(
        [&arguments](QTextStream &out, QTextStream &err) { return runIcsCommand(arguments, out, err); });
}

int runIcsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const Request request = parse(arguments);
    if (!request.error.isEmpty())
        return fail(err, request.error);
    const QString what = request.import ? QStringLiteral("import") : QStringLiteral("export");

    // The store only tells where the active calendar is and what the types
    // are called; the transfer itself works on the file.
    QString calendarPath;
    QStringList names;
    QStringList ownFiles;
    {
        // An import is the first start of a fresh data root as much as the
        // planner's own; an export only reads.
        TDataModule2 store(DataRoot::resolve(arguments));
        if (const Outcome opened = request.import ? store.startUp() : store.openForReading(1); !opened)
            return fail(err, QStringLiteral("%1: %2").arg(what, opened.error()));
        calendarPath = store.table(1).filePath();
        names = typeNames(store.options());
        ownFiles = OwnTableFiles::of(store);
        store.closeAll();
    }

    if (request.import) {
        const IcsTransfer::ImportResult result =
            IcsTransfer::importFile(calendarPath, request.file, names, Clock::today(), request.force);
        if (!result.ok)
            return fail(err,
                        QStringLiteral("import: %1%2")
                            .arg(result.message,
                                 result.needsConsent ? QStringLiteral(" (--force imports the rest)") : QString()));
        out << result.message << '\n';
        return 0;
    }
    const IcsTransfer::ExportResult result =
        IcsTransfer::exportFile(calendarPath, request.file, names, request.from, request.to, {}, ownFiles);
    if (result.writeFailed) {
        err << QStringLiteral("export: %1").arg(result.message) << '\n';
        err.flush();
        return 1;
    }
    if (!result.ok)
        return fail(err, QStringLiteral("export: %1").arg(result.message));
    out << result.message << '\n';
    return 0;
}
