#include "sync/SyncStateFile.h"

#include "store/ItemFields.h"
#include "store/SqliteFile.h"
#include "store/TableFile.h"
#include "store/TableSchema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

namespace {

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// What this device alone knows of a reminder: a snooze or a dismissal is
// no change to the item, and a pull keeps it.
bool deviceOnly(const QString &field)
{
    return field == ItemField::Sno || field == ItemField::Sn || field == ItemField::Sns || field == ItemField::Di;
}

// The fields a row's hash covers, in schema order, and their select list.
const QStringList &hashedFields()
{
    static const QStringList fields = [] {
        QStringList names;
        for (const FieldDef &field : calendarSchema().fields) {
            if (field.type != FieldType::AutoIncrement && !deviceOnly(field.name))
                names << field.name;
        }
        return names;
    }();
    return fields;
}

QString hashedSelectList()
{
    QStringList columns;
    for (const QString &name : hashedFields())
        columns << quoted(name);
    return columns.join(QLatin1String(", "));
}

// The hash of the columns first..first+count of a stepped statement: each
// value's storage class and text, so 1 and '1' differ as SQLite keeps them.
QByteArray columnsHash(sqlite3_stmt *statement, int first, int count)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int c = first; c < first + count; ++c) {
        const char type = char('0' + sqlite3_column_type(statement, c));
        hash.addData(QByteArrayView(&type, 1));
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, c));
        const int size = sqlite3_column_bytes(statement, c);
        hash.addData(QByteArrayView(text, size));
        hash.addData(QByteArrayView("\x1f", 1));
    }
    return hash.result().toHex();
}

QVariant storedValue(int field, const std::vector<QVariant> &values)
{
    QVariant stored;
    TableFile::coerce(calendarSchema().fields[field], field < int(values.size()) ? values[field] : QVariant(), &stored);
    return stored;
}

QString columnText(sqlite3_stmt *statement, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                             sqlite3_column_bytes(statement, column));
}

QByteArray columnBytes(sqlite3_stmt *statement, int column)
{
    return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                      sqlite3_column_bytes(statement, column));
}

} // namespace

SyncStateFile::~SyncStateFile()
{
    rollback();
    for (sqlite3_stmt *statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
}

QString SyncStateFile::conflictSuffix()
{
    return QStringLiteral(" (conflicting copy)");
}

QString SyncStateFile::errorText(const QString &what) const
{
    return QStringLiteral("%1 \"%2\": %3")
        .arg(what, QDir::toNativeSeparators(m_path), QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "not open"));
}

bool SyncStateFile::open(const QString &calendarPath, bool readOnly)
{
    m_path = calendarPath;
    if (!QFile::exists(calendarPath)) {
        m_lastError = QStringLiteral("The file \"%1\" does not exist.").arg(QDir::toNativeSeparators(calendarPath));
        return false;
    }
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(QFile::encodeName(calendarPath).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        m_lastError = errorText(QStringLiteral("Cannot open the file"));
        return false;
    }
    // The window may be writing a row at the same moment.
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_exec(m_db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    const std::optional<QStringList> columns = columnsOf("items");
    if (!columns)
        return false;
    if (columns->isEmpty()) {
        m_lastError = SqliteFile::notThisKind(calendarPath, calendarSchema());
        return false;
    }
    if (readOnly)
        return true;
    for (const FieldDef &field : calendarSchema().fields) {
        if (field.addedLater && !columns->contains(field.name.toLower())
            && !SqliteFile::addColumn(m_db, calendarSchema(), field)) {
            m_lastError = errorText(QStringLiteral("Cannot add the field \"%1\" to the file").arg(field.name));
            return false;
        }
    }
    return ensureTables();
}

// The table's column names in lower case; empty for no such table.
std::optional<QStringList> SyncStateFile::columnsOf(const char *table)
{
    sqlite3_stmt *check =
        prepare(QStringLiteral("SELECT lower(name) FROM pragma_table_info('%1')").arg(QLatin1String(table)));
    if (!check)
        return std::nullopt;
    QStringList columns;
    while (sqlite3_step(check) == SQLITE_ROW)
        columns << columnText(check, 0);
    sqlite3_finalize(check);
    return columns;
}

bool SyncStateFile::ensureTables()
{
    if (!exec("CREATE TABLE IF NOT EXISTS caldav_binding (\"Url\" TEXT, \"User\" TEXT, \"SyncToken\" TEXT)")
        || !exec("CREATE TABLE IF NOT EXISTS caldav_items (\"No\" INTEGER PRIMARY KEY, \"Href\" TEXT NOT NULL, "
                 "\"ETag\" TEXT, \"Hash\" TEXT, \"Raw\" TEXT, \"ReadOnly\" INTEGER)")
        || !exec("CREATE TABLE IF NOT EXISTS item_uids (\"No\" INTEGER PRIMARY KEY, \"UID\" TEXT NOT NULL UNIQUE)"))
        return false;
    // Columns that came later: a file bound before has them added blank.
    const std::optional<QStringList> columns = columnsOf("caldav_binding");
    if (!columns)
        return false;
    for (const char *column : {"ServerTag", "FileVersion", "Sent"}) {
        if (!columns->contains(QString::fromLatin1(column).toLower())
            && !exec(QStringLiteral("ALTER TABLE caldav_binding ADD COLUMN \"%1\" TEXT")
                         .arg(QLatin1String(column))
                         .toUtf8()
                         .constData()))
            return false;
    }
    return true;
}

bool SyncStateFile::exec(const char *sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        m_lastError = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    return true;
}

sqlite3_stmt *SyncStateFile::prepare(const QString &sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        m_lastError = errorText(QStringLiteral("Cannot read the file"));
        return nullptr;
    }
    return statement;
}

// A first sync writes tens of thousands of rows through a handful of
// statements: each is prepared once. The caller resets it after use.
sqlite3_stmt *SyncStateFile::cached(const QString &sql)
{
    sqlite3_stmt *statement = m_statements.value(sql);
    if (!statement) {
        statement = prepare(sql);
        if (statement)
            m_statements.insert(sql, statement);
    }
    return statement;
}

bool SyncStateFile::run(const QString &sql, const std::vector<QVariant> &binds)
{
    sqlite3_stmt *statement = cached(sql);
    if (!statement)
        return false;
    for (int i = 0; i < int(binds.size()); ++i)
        SqliteFile::bindStored(statement, i + 1, binds[i]);
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (rc != SQLITE_DONE) {
        m_lastError = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    return true;
}

namespace {
bool tableExists(sqlite3 *db, const char *name)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?", -1, &statement,
                           nullptr)
        != SQLITE_OK)
        return false;
    sqlite3_bind_text(statement, 1, name, -1, SQLITE_STATIC);
    const bool there = sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) > 0;
    sqlite3_finalize(statement);
    return there;
}
} // namespace

std::optional<CalDavBinding> SyncStateFile::binding()
{
    if (!tableExists(m_db, "caldav_binding"))
        return std::nullopt;
    sqlite3_stmt *statement = prepare(QStringLiteral("SELECT \"Url\", \"User\" FROM caldav_binding LIMIT 1"));
    if (!statement)
        return std::nullopt;
    std::optional<CalDavBinding> result;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        const QString url = columnText(statement, 0).trimmed();
        if (!url.isEmpty())
            result = CalDavBinding {QUrl(url), columnText(statement, 1)};
    }
    sqlite3_finalize(statement);
    return result;
}

bool SyncStateFile::writeBinding(const CalDavBinding &binding)
{
    const std::optional<CalDavBinding> old = this->binding();
    if (!begin())
        return false;
    const bool otherCollection = !old || old->url != binding.url;
    const bool ok = (!otherCollection || (exec("DELETE FROM caldav_items") && exec("DELETE FROM caldav_binding")))
        && (otherCollection ? run(
                QStringLiteral("INSERT INTO caldav_binding (\"Url\", \"User\", \"SyncToken\") VALUES (?, ?, NULL)"),
                {binding.url.toString(), binding.user})
                            : run(QStringLiteral("UPDATE caldav_binding SET \"User\" = ?"), {binding.user}));
    if (!ok) {
        rollback();
        return false;
    }
    return commit();
}

bool SyncStateFile::clearBinding()
{
    if (!begin())
        return false;
    if (!exec("DELETE FROM caldav_items") || !exec("DELETE FROM caldav_binding")) {
        rollback();
        return false;
    }
    return commit();
}

QString SyncStateFile::bindingText(const char *column)
{
    if (!tableExists(m_db, "caldav_binding"))
        return QString();
    // A file bound by an older version lacks the later columns until it
    // is opened for writing: then they read blank.
    sqlite3_stmt *statement =
        prepare(QStringLiteral("SELECT \"%1\" FROM caldav_binding LIMIT 1").arg(QLatin1String(column)));
    if (!statement)
        return QString();
    QString text;
    if (sqlite3_step(statement) == SQLITE_ROW)
        text = columnText(statement, 0);
    sqlite3_finalize(statement);
    return text;
}

QString SyncStateFile::syncToken()
{
    return bindingText("SyncToken");
}

bool SyncStateFile::setSyncToken(const QString &token)
{
    return run(QStringLiteral("UPDATE caldav_binding SET \"SyncToken\" = ?, \"Sent\" = NULL"),
               {token.isEmpty() ? QVariant() : QVariant(token)});
}

QStringList SyncStateFile::sentSinceToken()
{
    return bindingText("Sent").split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool SyncStateFile::addSent(const QStringList &hrefs)
{
    QStringList all = sentSinceToken() + hrefs;
    all.removeDuplicates();
    return run(QStringLiteral("UPDATE caldav_binding SET \"Sent\" = ?"), {all.join(QLatin1Char('\n'))});
}

QString SyncStateFile::serverTag()
{
    return bindingText("ServerTag");
}

bool SyncStateFile::setServerTag(const QString &tag)
{
    return run(QStringLiteral("UPDATE caldav_binding SET \"ServerTag\" = ?"),
               {tag.isEmpty() ? QVariant() : QVariant(tag)});
}

// The change counter of the file's header (offset 24), read through
// SQLite's own file handle: another handle on the file would drop the
// process's locks when it closes. Every write transaction of any connection
// raises it, in rollback-journal mode; in WAL mode it does not, so it
// counts for nothing there. Read it under a lock only.
std::optional<quint32> SyncStateFile::changeCounter()
{
    sqlite3_file *handle = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &handle) != SQLITE_OK || !handle
        || !handle->pMethods)
        return std::nullopt;
    unsigned char header[28] = {};
    if (handle->pMethods->xRead(handle, header, sizeof header, 0) != SQLITE_OK)
        return std::nullopt;
    if (header[18] != 1 || header[19] != 1)
        return std::nullopt;
    return quint32(header[24]) << 24 | quint32(header[25]) << 16 | quint32(header[26]) << 8 | quint32(header[27]);
}

bool SyncStateFile::unchangedSinceSync()
{
    if (m_inTransaction || sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    // The read takes the lock under which the counter cannot move.
    const QString recorded = bindingText("FileVersion");
    const std::optional<quint32> counter = changeCounter();
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    return counter && !recorded.isEmpty() && recorded == QString::number(*counter);
}

bool SyncStateFile::recordFileVersion()
{
    // The write lock is held, so no other connection commits before this
    // transaction, whose commit raises the counter by one. The value
    // written always differs from the one stored (an earlier counter), so
    // the commit does write.
    if (!m_inTransaction)
        return false;
    const std::optional<quint32> counter = changeCounter();
    if (!counter)
        return true;
    return run(QStringLiteral("UPDATE caldav_binding SET \"FileVersion\" = ?"), {QString::number(*counter + 1)});
}

qint64 SyncStateFile::dataVersion()
{
    sqlite3_stmt *statement = cached(QStringLiteral("PRAGMA data_version"));
    if (!statement)
        return -1;
    const qint64 version = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_reset(statement);
    return version;
}

QHash<qint64, SyncStateFile::ItemState> SyncStateFile::states()
{
    QHash<qint64, ItemState> result;
    if (!tableExists(m_db, "caldav_items"))
        return result;
    sqlite3_stmt *statement =
        prepare(QStringLiteral("SELECT \"No\", \"Href\", \"ETag\", \"Hash\", \"ReadOnly\" FROM caldav_items"));
    if (!statement)
        return result;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ItemState state;
        state.href = columnText(statement, 1);
        state.etag = columnText(statement, 2);
        state.hash = columnBytes(statement, 3);
        state.readOnly = sqlite3_column_int(statement, 4) != 0;
        result.insert(sqlite3_column_int64(statement, 0), state);
    }
    sqlite3_finalize(statement);
    return result;
}

std::vector<SyncStateFile::LocalRow> SyncStateFile::rows()
{
    std::vector<LocalRow> result;
    const int count = int(hashedFields().size());
    sqlite3_stmt *statement = prepare(
        QStringLiteral("SELECT \"No\", \"Rp\", \"S\", \"Ro\", %1 FROM items ORDER BY \"No\"").arg(hashedSelectList()));
    if (!statement)
        return result;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        LocalRow row;
        row.no = sqlite3_column_int64(statement, 0);
        row.seriesNo = sqlite3_column_int64(statement, 1);
        row.start = columnText(statement, 2);
        row.replaced = columnText(statement, 3);
        row.hash = columnsHash(statement, 4, count);
        result.push_back(row);
    }
    sqlite3_finalize(statement);
    return result;
}

QByteArray SyncStateFile::raw(qint64 no)
{
    sqlite3_stmt *statement = cached(QStringLiteral("SELECT \"Raw\" FROM caldav_items WHERE \"No\" = ?"));
    if (!statement)
        return QByteArray();
    sqlite3_bind_int64(statement, 1, no);
    QByteArray raw;
    if (sqlite3_step(statement) == SQLITE_ROW)
        raw = columnBytes(statement, 0);
    sqlite3_reset(statement);
    return raw;
}

QByteArray SyncStateFile::rowHash(qint64 no)
{
    static const QString sql = QStringLiteral("SELECT %1 FROM items WHERE \"No\" = ?").arg(hashedSelectList());
    sqlite3_stmt *statement = cached(sql);
    if (!statement)
        return QByteArray();
    sqlite3_bind_int64(statement, 1, no);
    QByteArray hash;
    if (sqlite3_step(statement) == SQLITE_ROW)
        hash = columnsHash(statement, 0, int(hashedFields().size()));
    sqlite3_reset(statement);
    return hash;
}

QHash<qint64, QString> SyncStateFile::uids()
{
    QHash<qint64, QString> result;
    if (!tableExists(m_db, "item_uids"))
        return result;
    sqlite3_stmt *statement = prepare(QStringLiteral("SELECT \"No\", \"UID\" FROM item_uids"));
    if (!statement)
        return result;
    while (sqlite3_step(statement) == SQLITE_ROW)
        result.insert(sqlite3_column_int64(statement, 0), columnText(statement, 1));
    sqlite3_finalize(statement);
    return result;
}

bool SyncStateFile::begin()
{
    if (m_inTransaction)
        return true;
    // IMMEDIATE: the write lock is taken now, not halfway through a batch.
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    m_inTransaction = true;
    return true;
}

bool SyncStateFile::commit()
{
    if (!m_inTransaction)
        return true;
    if (!exec("COMMIT")) {
        rollback();
        return false;
    }
    m_inTransaction = false;
    return true;
}

void SyncStateFile::rollback()
{
    if (m_inTransaction && m_db)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_inTransaction = false;
}

bool SyncStateFile::insertItem(const std::vector<QVariant> &values, qint64 *no)
{
    static const QString sql = [] {
        QStringList names, marks;
        for (const FieldDef &field : calendarSchema().fields) {
            if (field.type == FieldType::AutoIncrement)
                continue;
            names << quoted(field.name);
            marks << QStringLiteral("?");
        }
        return QStringLiteral("INSERT INTO items (%1) VALUES (%2)")
            .arg(names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    }();
    std::vector<QVariant> binds;
    const TableSchema &schema = calendarSchema();
    for (int f = 0; f < schema.fields.size(); ++f) {
        if (schema.fields[f].type != FieldType::AutoIncrement)
            binds.push_back(storedValue(f, values));
    }
    if (!run(sql, binds))
        return false;
    *no = sqlite3_last_insert_rowid(m_db);
    return true;
}

bool SyncStateFile::updateItem(qint64 no, const std::vector<QVariant> &values)
{
    const auto written = [](const FieldDef &field) {
        return field.type != FieldType::AutoIncrement && !deviceOnly(field.name);
    };
    static const QString sql = [&written] {
        QStringList sets;
        for (const FieldDef &field : calendarSchema().fields) {
            if (written(field))
                sets << quoted(field.name) + QStringLiteral(" = ?");
        }
        return QStringLiteral("UPDATE items SET %1 WHERE \"No\" = ?").arg(sets.join(QLatin1String(", ")));
    }();
    std::vector<QVariant> binds;
    const TableSchema &schema = calendarSchema();
    for (int f = 0; f < schema.fields.size(); ++f) {
        if (written(schema.fields[f]))
            binds.push_back(storedValue(f, values));
    }
    binds.push_back(no);
    return run(sql, binds);
}

bool SyncStateFile::deleteItem(qint64 no)
{
    return run(QStringLiteral("DELETE FROM items WHERE \"No\" = ?"), {no}) && dropState(no)
        && run(QStringLiteral("DELETE FROM item_uids WHERE \"No\" = ?"), {no});
}

bool SyncStateFile::copyAsConflict(qint64 no, qint64 seriesNo, qint64 *copy)
{
    QStringList names;
    for (const FieldDef &field : calendarSchema().fields) {
        if (field.type != FieldType::AutoIncrement)
            names << quoted(field.name);
    }
    const QString list = names.join(QLatin1String(", "));
    if (!run(QStringLiteral("INSERT INTO items (%1) SELECT %1 FROM items WHERE \"No\" = ?").arg(list), {no}))
        return false;
    *copy = sqlite3_last_insert_rowid(m_db);
    // The subject keeps its capacity: the suffix wins over the subject's tail.
    const int capacity = calendarSchema().fields[calendarSchema().fieldIndex(ItemField::Subject)].size;
    const int keep = int(capacity - conflictSuffix().size());
    return run(QStringLiteral("UPDATE items SET \"Subject\" = substr(coalesce(\"Subject\", ''), 1, ?) || ?, "
                              "\"Rp\" = ? WHERE \"No\" = ?"),
               {keep, conflictSuffix(), seriesNo > 0 ? QVariant(seriesNo) : QVariant(), *copy});
}

bool SyncStateFile::setField(qint64 no, const QString &field, const QVariant &value)
{
    QVariant stored;
    TableFile::coerce(calendarSchema().fields[calendarSchema().fieldIndex(field)], value, &stored);
    return run(QStringLiteral("UPDATE items SET %1 = ? WHERE \"No\" = ?").arg(quoted(field)), {stored, no});
}

bool SyncStateFile::setUid(qint64 no, const QString &uid)
{
    // A UID moves to the row that now carries it.
    return run(QStringLiteral("DELETE FROM item_uids WHERE \"UID\" = ? AND \"No\" <> ?"), {uid, no})
        && run(QStringLiteral("INSERT OR REPLACE INTO item_uids (\"No\", \"UID\") VALUES (?, ?)"), {no, uid});
}

bool SyncStateFile::putState(qint64 no, const ItemState &state)
{
    return run(QStringLiteral("INSERT OR REPLACE INTO caldav_items (\"No\", \"Href\", \"ETag\", \"Hash\", \"Raw\", "
                              "\"ReadOnly\") VALUES (?, ?, ?, ?, ?, ?)"),
               {no, state.href, state.etag.isEmpty() ? QVariant() : QVariant(state.etag),
                state.hash.isEmpty() ? QVariant() : QVariant(QString::fromLatin1(state.hash)),
                state.raw.isEmpty() ? QVariant() : QVariant(QString::fromUtf8(state.raw)), state.readOnly ? 1 : 0});
}

bool SyncStateFile::dropState(qint64 no)
{
    return run(QStringLiteral("DELETE FROM caldav_items WHERE \"No\" = ?"), {no});
}
