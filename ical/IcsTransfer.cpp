#include "ical/IcsTransfer.h"

#include "ical/IcsExporter.h"
#include "ical/IcsImporter.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/ItemFileWriter.h"
#include "store/OwnTableFiles.h"
#include "store/SafeFileWrite.h"
#include "store/TableSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <algorithm>

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

// Entries that end in a period of their own, for a list inside a sentence.
QStringList inSentence(QStringList entries)
{
    for (QString &entry : entries) {
        if (entry.endsWith(QLatin1Char('.')))
            entry.chop(1);
    }
    return entries;
}

} // namespace

QString firstFew(const QStringList &entries, const QString &separator, int shown)
{
    if (entries.size() <= shown)
        return entries.join(separator);
    return QStringLiteral("%1%2and %3 more")
        .arg(entries.mid(0, shown).join(separator), separator, QLocale().toString(entries.size() - shown));
}

QString importSummary(const ImportFacts &facts)
{
    const QString between = QStringLiteral("; ");
    QStringList parts;
    parts << QStringLiteral("Imported %1 and %2")
                 .arg(count(facts.events, "event", "events"), count(facts.tasks, "task", "tasks"));
    if (!facts.expanded.isEmpty())
        parts << QStringLiteral("%1 imported as single dates: %2")
                     .arg(count(int(facts.expanded.size()), "recurring event was", "recurring events were"),
                          firstFew(facts.expanded, QStringLiteral(", ")));
    if (facts.rounded > 0)
        parts << QStringLiteral("%1 to the nearest lead the planner holds")
                     .arg(count(facts.rounded, "reminder was rounded", "reminders were rounded"));
    if (facts.alreadyThere > 0)
        parts << QStringLiteral("%1 already in the calendar").arg(count(facts.alreadyThere, "item was", "items were"));
    if (!facts.leftOut.isEmpty())
        parts << QStringLiteral("%1 left out: %2")
                     .arg(count(int(facts.leftOut.size()), "item was", "items were"), firstFew(facts.leftOut, between));
    if (!facts.changed.isEmpty())
        parts << QStringLiteral("%1 otherwise than the file says: %2")
                     .arg(count(int(facts.changed.size()), "item was imported", "items were imported"),
                          firstFew(facts.changed, between));
    if (!facts.unknownZones.isEmpty())
        parts << QStringLiteral("%1 unknown, its times were read as local time: %2")
                     .arg(count(int(facts.unknownZones.size()), "time zone is", "time zones are"),
                          firstFew(facts.unknownZones, QStringLiteral(", ")));
    if (!facts.unstorable.isEmpty())
        parts << QStringLiteral("%1 left out: %2")
                     .arg(count(int(facts.unstorable.size()), "item that cannot be stored was",
                                "items that cannot be stored were"),
                          firstFew(facts.unstorable, between));
    return parts.join(between) + QLatin1Char('.');
}

ImportResult importFile(const QString &calendarPath, const QString &icsPath, const QStringList &typeNames,
                        const QDate &today, bool force, const Progress &progress)
{
    ImportResult result;
    QFile file(icsPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.message = QStringLiteral("Cannot read \"%1\": %2").arg(native(icsPath), file.errorString());
        return result;
    }
    const Result<IcsImporter::Plan> read = IcsImporter(typeNames, today).read(file.readAll(), progress);
    if (read.isCancelled()) {
        result.cancelled = true;
        result.message = QStringLiteral("The import was cancelled; the calendar is as it was.");
        return result;
    }
    if (!read) {
        result.message = QStringLiteral("\"%1\" is not a readable iCalendar file, nothing was imported: %2")
                             .arg(native(icsPath), read.error());
        return result;
    }
    const IcsImporter::Plan &plan = read.value();

    ItemFileWriter writer;
    if (!writer.open(calendarPath)) {
        result.message = writer.lastError();
        return result;
    }
    const QHash<QString, qint64> known = writer.itemsByUid();
    QSet<QString> seen;
    std::vector<const IcsImporter::Item *> toStore;
    ImportFacts facts;
    facts.leftOut = plan.leftOut;
    facts.changed = plan.changed;
    facts.unknownZones = plan.unknownZones;
    QSet<QString> repeatedNamed; // a repeated series is named once
    for (const IcsImporter::Item &item : plan.items) {
        if (known.contains(item.uid)) {
            ++facts.alreadyThere;
            continue;
        }
        if (seen.contains(item.uid)) {
            const QString source = item.series.isEmpty() ? item.uid : item.series;
            if (!repeatedNamed.contains(source)) {
                repeatedNamed.insert(source);
                facts.leftOut << QStringLiteral("%1: its UID is that of an earlier item in the file")
                                     .arg(IcsImporter::quoted(item.name));
            }
            continue;
        }
        seen.insert(item.uid);
        const QString problem = ItemFileWriter::rowProblem(item.row);
        if (!problem.isEmpty()) {
            result.unstorable << QStringLiteral("%1: %2").arg(IcsImporter::quoted(item.name), problem);
            continue;
        }
        toStore.push_back(&item);
    }
    if (!result.unstorable.isEmpty() && !force) {
        result.needsConsent = true;
        result.message = QStringLiteral("%1 cannot be stored, nothing was imported: %2.")
                             .arg(count(int(result.unstorable.size()), "item", "items"),
                                  firstFew(inSentence(result.unstorable), QStringLiteral("; ")));
        return result;
    }

    if (!writer.begin()) {
        result.message = writer.lastError();
        return result;
    }
    // A moved occurrence names its series' `No`, known once the series is in.
    std::stable_partition(toStore.begin(), toStore.end(),
                          [](const IcsImporter::Item *item) { return item->seriesUid.isEmpty(); });
    QHash<QString, qint64> seriesNo;
    QStringList seriesOrder;        // expanded series, in the order of the file
    QHash<QString, QDate> seriesTo; // ... and the last date each was expanded to
    const int total = int(toStore.size());
    for (int i = 0; i < total; ++i) {
        if (progress && i % 100 == 0 && !progress(i, total)) {
            writer.rollback();
            result.cancelled = true;
            result.message = QStringLiteral("The import was cancelled; the calendar is as it was.");
            return result;
        }
        const IcsImporter::Item &item = *toStore[i];
        std::vector<QVariant> row = item.row;
        if (!item.seriesUid.isEmpty()) {
            // The series was already in the calendar or was left out: the
            // occurrence stands alone rather than pointing at nothing.
            const auto series = seriesNo.constFind(item.seriesUid);
            row[calendarSchema().fieldIndex(ItemField::Rp)] =
                series != seriesNo.constEnd() ? QVariant(*series) : QVariant();
            if (series == seriesNo.constEnd())
                row[calendarSchema().fieldIndex(ItemField::Ro)] = QVariant();
        }
        qint64 no = 0;
        if (!writer.insertItem(row, item.uid, &no)) {
            const QString error = writer.lastError();
            writer.rollback();
            result.message = QStringLiteral("Nothing was imported: %1").arg(error);
            return result;
        }
        result.inserted << no;
        if (item.series.isEmpty())
            seriesNo.insert(item.uid, no);
        facts.rounded += item.roundedLead ? 1 : 0;
        if (item.task)
            ++facts.tasks;
        else if (item.series.isEmpty())
            ++facts.events;
        else {
            const QDate date = item.row[calendarSchema().fieldIndex(ItemField::S)].toDate();
            if (!seriesTo.contains(item.series)) {
                seriesOrder << item.series;
                facts.expanded << (item.name.isEmpty() ? QStringLiteral("(no subject)") : item.name);
                ++facts.events;
            }
            seriesTo[item.series] = std::max(seriesTo.value(item.series), date);
        }
    }
    for (int s = 0; s < seriesOrder.size(); ++s)
        facts.expanded[s] += QStringLiteral(" (to %1)").arg(seriesTo.value(seriesOrder.at(s)).toString(Qt::ISODate));
    if (!writer.commit()) {
        result.message = QStringLiteral("Nothing was imported: %1").arg(writer.lastError());
        result.inserted.clear();
        return result;
    }
    if (progress)
        progress(total, total);
    result.ok = true;
    facts.unstorable = inSentence(result.unstorable);
    result.message = importSummary(facts);
    return result;
}

ExportResult exportFile(const QString &calendarPath, const QString &icsPath, const QStringList &typeNames,
                        const QDate &from, const QDate &to, const Progress &progress, const QStringList &ownFiles)
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
    const bool canStoreUids = uids.open(calendarPath) || uids.openForReading(calendarPath);
    if (!canStoreUids) {
        result.message = uids.lastError();
        return result;
    }
    IcsExporter exporter(typeNames);
    if (from.isValid() && to.isValid())
        exporter.setRange(from, to);
    QHash<qint64, QString> newUids;
    IcsExporter::Counts counts;
    const Result<QByteArray> exported = exporter.exportItems(items, uids.uidsByItem(), &newUids, &counts, progress);
    if (!exported) {
        result.cancelled = true;
        result.message = QStringLiteral("The export was cancelled; no file was written.");
        return result;
    }

    // New UIDs are kept before the file is written, so that the items keep
    // them in every later export; a calendar we may not write gets new ones
    // next time.
    if (!newUids.isEmpty() && uids.begin()) {
        bool stored = true;
        for (auto it = newUids.constBegin(); it != newUids.constEnd() && stored; ++it)
            stored = uids.setUid(it.key(), it.value());
        if (stored)
            uids.commit();
        else
            uids.rollback();
    }

    if (const Outcome written = SafeFileWrite::replace(icsPath, exported.value()); !written) {
        result.writeFailed = true;
        result.message = QStringLiteral("Cannot write \"%1\": %2").arg(native(icsPath), written.error());
        return result;
    }
    result.ok = true;
    result.message =
        QStringLiteral("Exported %1 and %2 to \"%3\"")
            .arg(count(counts.events, "event", "events"), count(counts.tasks, "task", "tasks"), native(icsPath));
    if (!counts.leftOut.isEmpty())
        result.message += QStringLiteral("; %1 left out: %2")
                              .arg(count(int(counts.leftOut.size()), "item that iCalendar cannot express was",
                                         "items that iCalendar cannot express were"),
                                   firstFew(counts.leftOut, QStringLiteral("; ")));
    result.message += QLatin1Char('.');
    return result;
}

} // namespace IcsTransfer
