#include "IcsTransfer.h"

#include "IcsExporter.h"
#include "IcsImporter.h"

#include "store/Cursor.h"
#include "store/ItemFileWriter.h"
#include "store/OwnTableFiles.h"
#include "store/SafeFileWrite.h"
#include "store/TableSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

namespace IcsTransfer {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString count(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(QLocale().toString(n), QLatin1String(n == 1 ? one : many));
}

} // namespace

QString importSummary(int events, int tasks, const QStringList &expanded, int rounded, int alreadyThere, const QStringList &leftOut)
{
    QStringList parts;
    parts << QStringLiteral("Imported %1 and %2").arg(count(events, "event", "events"), count(tasks, "task", "tasks"));
    if (!expanded.isEmpty())
        parts << QStringLiteral("%1 imported as single dates: %2")
                     .arg(count(int(expanded.size()), "recurring event was", "recurring events were"), expanded.join(QLatin1String(", ")));
    if (rounded > 0)
        parts << QStringLiteral("%1 to the nearest lead the planner holds").arg(count(rounded, "reminder was rounded", "reminders were rounded"));
    if (alreadyThere > 0)
        parts << QStringLiteral("%1 already in the calendar").arg(count(alreadyThere, "item was", "items were"));
    if (!leftOut.isEmpty())
        parts << QStringLiteral("%1 left out: %2").arg(count(int(leftOut.size()), "item that cannot be stored was", "items that cannot be stored were"),
                                                       leftOut.join(QLatin1String("; ")));
    return parts.join(QLatin1String("; ")) + QLatin1Char('.');
}

ImportResult importFile(const QString &calendarPath, const QString &icsPath, const QStringList &typeNames, const QDate &today,
                        bool force, const Progress &progress)
{
    ImportResult result;
    QFile file(icsPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.message = QStringLiteral("Cannot read \"%1\": %2").arg(native(icsPath), file.errorString());
        return result;
    }
    const IcsImporter::Plan plan = IcsImporter(typeNames, today).read(file.readAll());
    if (!plan.parseError.isEmpty()) {
        result.message = QStringLiteral("\"%1\" is not a readable iCalendar file, nothing was imported: %2").arg(native(icsPath), plan.parseError);
        return result;
    }

    ItemFileWriter writer;
    QString error;
    if (!writer.open(calendarPath, &error)) {
        result.message = error;
        return result;
    }
    const QHash<QString, qint64> known = writer.itemsByUid();
    QSet<QString> seen;
    std::vector<const IcsImporter::Item *> toStore;
    int alreadyThere = 0;
    for (const IcsImporter::Item &item : plan.items) {
        if (known.contains(item.uid) || seen.contains(item.uid)) {
            ++alreadyThere;
            continue;
        }
        seen.insert(item.uid);
        const QString problem = ItemFileWriter::rowProblem(item.row);
        if (!problem.isEmpty()) {
            const QString name = item.name.size() > 60 ? item.name.left(57) + QStringLiteral("...") : item.name;
            result.unstorable << QStringLiteral("\"%1\": %2").arg(name, problem);
            continue;
        }
        toStore.push_back(&item);
    }
    if (!result.unstorable.isEmpty() && !force) {
        result.needsConsent = true;
        result.message = QStringLiteral("%1 cannot be stored, nothing was imported: %2")
                             .arg(count(int(result.unstorable.size()), "item", "items"), result.unstorable.join(QLatin1String("; ")));
        return result;
    }

    if (!writer.begin(&error)) {
        result.message = error;
        return result;
    }
    int events = 0, tasks = 0;
    QSet<QString> seriesStored;
    QStringList expanded;
    int rounded = 0;
    const int total = int(toStore.size());
    for (int i = 0; i < total; ++i) {
        if (progress && i % 100 == 0 && !progress(i, total)) {
            writer.rollback();
            result.cancelled = true;
            result.message = QStringLiteral("The import was cancelled; the calendar is as it was.");
            return result;
        }
        const IcsImporter::Item &item = *toStore[i];
        qint64 no = 0;
        if (!writer.insertItem(item.row, item.uid, &no, &error)) {
            writer.rollback();
            result.message = QStringLiteral("Nothing was imported: %1").arg(error);
            return result;
        }
        rounded += item.roundedLead ? 1 : 0;
        if (item.task)
            ++tasks;
        else if (item.series.isEmpty())
            ++events;
        else if (!seriesStored.contains(item.series)) {
            seriesStored.insert(item.series);
            expanded << (item.name.isEmpty() ? QStringLiteral("(no subject)") : item.name);
            ++events;
        }
    }
    if (!writer.commit(&error)) {
        result.message = QStringLiteral("Nothing was imported: %1").arg(error);
        return result;
    }
    if (progress)
        progress(total, total);
    result.ok = true;
    result.message = importSummary(events, tasks, expanded, rounded, alreadyThere, result.unstorable);
    return result;
}

ExportResult exportFile(const QString &calendarPath, const QString &icsPath, const QStringList &typeNames, const QDate &from,
                        const QDate &to, const Progress &progress, const QStringList &ownFiles)
{
    ExportResult result;
    const QString own = OwnTableFiles::matching(QStringList(ownFiles) << calendarPath, icsPath);
    if (!own.isEmpty()) {
        result.refused = true;
        result.message = OwnTableFiles::refusal(own);
        return result;
    }
    const QFileInfo calendar(calendarPath);
    // A read-write cursor shares the picture of a calendar the planner has open.
    Cursor items(QStringLiteral("export"));
    items.setTableFile(calendar.absolutePath(), calendar.fileName(), calendarSchema());
    if (!items.open()) {
        items.setReadOnly(true);
        if (!items.open()) {
            result.message = items.lastError();
            return result;
        }
    }

    ItemFileWriter uids;
    QString error;
    const bool canStoreUids = uids.open(calendarPath, &error) || uids.openForReading(calendarPath, &error);
    if (!canStoreUids) {
        result.message = error;
        return result;
    }
    IcsExporter exporter(typeNames);
    if (from.isValid() && to.isValid())
        exporter.setRange(from, to);
    QHash<qint64, QString> newUids;
    IcsExporter::Counts counts;
    const QByteArray text = exporter.exportItems(items, uids.uidsByItem(), &newUids, &counts, progress);
    if (text.isEmpty()) {
        result.cancelled = true;
        result.message = QStringLiteral("The export was cancelled; no file was written.");
        return result;
    }

    // New UIDs are kept before the file is written, so that the items keep
    // them in every later export; a calendar we may not write gets new ones
    // next time.
    if (!newUids.isEmpty() && uids.begin(&error)) {
        bool stored = true;
        for (auto it = newUids.constBegin(); it != newUids.constEnd() && stored; ++it)
            stored = uids.setUid(it.key(), it.value(), &error);
        if (stored)
            uids.commit(&error);
        else
            uids.rollback();
    }

    if (!SafeFileWrite::replace(icsPath, text, &error)) {
        result.writeFailed = true;
        result.message = QStringLiteral("Cannot write \"%1\": %2").arg(native(icsPath), error);
        return result;
    }
    result.ok = true;
    result.message = QStringLiteral("Exported %1 and %2 to \"%3\".")
                         .arg(count(counts.events, "event", "events"), count(counts.tasks, "task", "tasks"), native(icsPath));
    return result;
}

} // namespace IcsTransfer
