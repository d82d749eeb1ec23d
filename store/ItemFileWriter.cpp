#include "store/ItemFileWriter.h"

#include "store/SqliteFile.h"
#include "store/TableFile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

namespace {

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

ItemFileWriter::~ItemFileWriter()
{
    rollback();
    sqlite3_finalize(m_insertItem);
    sqlite3_finalize(m_insertUid);
    sqlite3_close(m_db);
}

bool ItemFileWriter::open(const QString &path)
{
    return openFile(path, false, &m_lastError);
}

bool ItemFileWriter::openForReading(const QString &path)
{
    return openFile(path, true, &m_lastError);
}

bool ItemFileWriter::openFile(const QString &path, bool readOnly, QString *error)
{
    m_path = path;
    m_readOnly = readOnly;
    if (!QFile::exists(path)) {
        *error = QStringLiteral("The file \"%1\" does not exist.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot open the file"));
        return false;
    }
    sqlite3_busy_timeout(m_db, 1000);
    sqlite3_exec(m_db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt *check =
        prepare(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='items'"), error);
    if (!check)
        return false;
    const bool hasItems = sqlite3_step(check) == SQLITE_ROW && sqlite3_column_int(check, 0) == 1;
    sqlite3_finalize(check);
    if (!hasItems) {
        *error = QStringLiteral("The file \"%1\" is not a calendar file.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return readOnly || addLaterFields(error);
}

// An older file lacks the fields that came later; every row this writer
// inserts names them, as a cursor opened for writing would have added them.
bool ItemFileWriter::addLaterFields(QString *error)
{
    sqlite3_stmt *info = prepare(QStringLiteral("SELECT lower(name) FROM pragma_table_info('items')"), error);
    if (!info)
        return false;
    QStringList columns;
    while (sqlite3_step(info) == SQLITE_ROW)
        columns << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info, 0)));
    sqlite3_finalize(info);
    for (const FieldDef &field : calendarSchema().fields) {
        if (field.addedLater && !columns.contains(field.name.toLower())
            && !SqliteFile::addColumn(m_db, calendarSchema(), field)) {
            *error = errorText(QStringLiteral("Cannot add the field \"%1\" to the file").arg(field.name));
            return false;
        }
    }
    return true;
}

QString ItemFileWriter::errorText(const QString &what) const
{
    return QStringLiteral("%1 \"%2\": %3")
        .arg(what, QDir::toNativeSeparators(m_path),
             m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory"));
}

sqlite3_stmt *ItemFileWriter::prepare(const QString &sql, QString *error)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot read the file"));
        return nullptr;
    }
    return statement;
}

bool ItemFileWriter::exec(const char *sql, QString *error)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    return true;
}

bool ItemFileWriter::ensureUidTable(QString *error)
{
    return exec("CREATE TABLE IF NOT EXISTS item_uids (\"No\" INTEGER PRIMARY KEY, \"UID\" TEXT NOT NULL UNIQUE)",
                error);
}

template<typename Each> void ItemFileWriter::forEachUid(Each each)
{
    QString ignored;
    sqlite3_stmt *statement = prepare(
        QStringLiteral("SELECT u.\"No\", u.\"UID\" FROM item_uids u JOIN items i ON i.\"No\" = u.\"No\""), &ignored);
    if (!statement)
        return; // no UID table yet: nothing was ever imported or exported
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 1));
        each(sqlite3_column_int64(statement, 0), QString::fromUtf8(text));
    }
    sqlite3_finalize(statement);
}

QHash<QString, qint64> ItemFileWriter::itemsByUid()
{
    QHash<QString, qint64> result;
    forEachUid([&result](qint64 no, const QString &uid) { result.insert(uid, no); });
    return result;
}

QHash<qint64, QString> ItemFileWriter::uidsByItem()
{
    QHash<qint64, QString> result;
    forEachUid([&result](qint64 no, const QString &uid) { result.insert(no, uid); });
    return result;
}

QString ItemFileWriter::rowProblem(const std::vector<QVariant> &row)
{
    const TableSchema &schema = calendarSchema();
    for (int f = 0; f < schema.fields.size() && f < int(row.size()); ++f) {
        const FieldDef &field = schema.fields[f];
        if (field.type == FieldType::AutoIncrement || !row[f].isValid())
            continue;
        QVariant stored;
        if (!TableFile::coerce(field, row[f], &stored))
            return QStringLiteral("The value of the field %1 is not a valid %2.")
                .arg(field.name, field.type == FieldType::Date ? QStringLiteral("date") : QStringLiteral("value"));
        if (field.type == FieldType::Text) {
            const qsizetype characters = stored.toString().toUcs4().size();
            if (characters > field.size)
                return QStringLiteral("The field %1 holds at most %2 characters; the value has %3.")
                    .arg(field.name)
                    .arg(field.size)
                    .arg(characters);
        }
        if (field.type == FieldType::Date && (stored.toDate().year() < 1 || stored.toDate().year() > 9999))
            return QStringLiteral("The date in the field %1 lies outside the years 1 to 9999.").arg(field.name);
    }
    return QString();
}

bool ItemFileWriter::begin()
{
    if (m_readOnly) {
        m_lastError = QStringLiteral("The calendar file is open for reading only.");
        return false;
    }
    if (!exec("BEGIN IMMEDIATE", &m_lastError))
        return false;
    m_inTransaction = true;
    return ensureUidTable(&m_lastError);
}

bool ItemFileWriter::insertItem(const std::vector<QVariant> &row, const QString &uid, qint64 *no)
{
    const TableSchema &schema = calendarSchema();
    if (!m_insertItem) {
        QStringList names, marks;
        for (const FieldDef &field : schema.fields) {
            if (field.type == FieldType::AutoIncrement)
                continue;
            names << quoted(field.name);
            marks << QStringLiteral("?");
        }
        m_insertItem = prepare(QStringLiteral("INSERT INTO items (%1) VALUES (%2)")
                                   .arg(names.join(QLatin1String(", ")), marks.join(QLatin1String(", "))),
                               &m_lastError);
        if (!m_insertItem)
            return false;
    }
    const QString problem = rowProblem(row);
    if (!problem.isEmpty()) {
        m_lastError = problem;
        return false;
    }
    int position = 0;
    for (int f = 0; f < schema.fields.size(); ++f) {
        if (schema.fields[f].type == FieldType::AutoIncrement)
            continue;
        QVariant stored;
        TableFile::coerce(schema.fields[f], f < int(row.size()) ? row[f] : QVariant(), &stored);
        SqliteFile::bindStored(m_insertItem, ++position, stored);
    }
    const int rc = sqlite3_step(m_insertItem);
    sqlite3_reset(m_insertItem);
    sqlite3_clear_bindings(m_insertItem);
    if (rc != SQLITE_DONE) {
        m_lastError = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    *no = sqlite3_last_insert_rowid(m_db);
    return uid.isEmpty() || setUid(*no, uid);
}

bool ItemFileWriter::setUid(qint64 no, const QString &uid)
{
    if (!m_insertUid) {
        m_insertUid =
            prepare(QStringLiteral("INSERT OR REPLACE INTO item_uids (\"No\", \"UID\") VALUES (?, ?)"), &m_lastError);
        if (!m_insertUid)
            return false;
    }
    sqlite3_bind_int64(m_insertUid, 1, no);
    SqliteFile::bindStored(m_insertUid, 2, uid);
    const int rc = sqlite3_step(m_insertUid);
    sqlite3_reset(m_insertUid);
    if (rc != SQLITE_DONE) {
        m_lastError = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    return true;
}

bool ItemFileWriter::commit()
{
    if (!m_inTransaction)
        return true;
    if (!exec("COMMIT", &m_lastError)) {
        rollback();
        return false;
    }
    m_inTransaction = false;
    return true;
}

void ItemFileWriter::rollback()
{
    if (m_inTransaction && m_db)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_inTransaction = false;
}
