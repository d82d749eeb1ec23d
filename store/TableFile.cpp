#include "TableFile.h"

#include "Cursor.h"
#include "LocaleFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

// Open pictures by absolute path (and mode), shared by every cursor on them.
std::map<QString, std::weak_ptr<TableFile>> &registry()
{
    static std::map<QString, std::weak_ptr<TableFile>> files;
    return files;
}

QString absolutePath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString quoted(const QString &name)
{
    QString copy = name;
    copy.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + copy + QLatin1Char('"');
}

bool isNumeric(FieldType type)
{
    return type != FieldType::Text && type != FieldType::Memo;
}

// The declared SQL type of a field's column.
QString columnType(const FieldDef &field)
{
    if (field.type == FieldType::AutoIncrement)
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    return isNumeric(field.type) && field.type != FieldType::Date && field.type != FieldType::Time
               ? QStringLiteral("INTEGER")
               : QStringLiteral("TEXT");
}

constexpr qint64 kBlankValue = std::numeric_limits<qint64>::min(); // TableFile::kBlank

// "YYYY-MM-DD" -> Julian day; false when it is not a date.
bool parseIsoDate(const char *text, int length, qint64 *julian)
{
    if (length < 10 || text[4] != '-' || text[7] != '-')
        return false;
    auto digits = [text](int from, int count, int *value) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            v = v * 10 + (text[i] - '0');
        }
        *value = v;
        return true;
    };
    int y = 0, m = 0, d = 0;
    if (!digits(0, 4, &y) || !digits(5, 2, &m) || !digits(8, 2, &d))
        return false;
    const QDate date(y, m, d);
    if (!date.isValid())
        return false;
    *julian = date.toJulianDay();
    return true;
}

// "HH:MM:SS" or "HH:MM" -> milliseconds of the day.
bool parseIsoTime(const char *text, int length, qint64 *msecs)
{
    if (length < 5 || text[2] != ':')
        return false;
    auto two = [text](int from, int *value) {
        if (text[from] < '0' || text[from] > '9' || text[from + 1] < '0' || text[from + 1] > '9')
            return false;
        *value = (text[from] - '0') * 10 + (text[from + 1] - '0');
        return true;
    };
    int h = 0, m = 0, s = 0;
    if (!two(0, &h) || !two(3, &m))
        return false;
    if (length >= 8 && (text[5] != ':' || !two(6, &s)))
        return false;
    if (h > 23 || m > 59 || s > 59)
        return false;
    *msecs = ((h * 60 + m) * 60 + s) * 1000;
    return true;
}

qint64 monthNumber(qint64 julian)
{
    const QDate date = QDate::fromJulianDay(julian);
    return qint64(date.year()) * 12 + date.month() - 1;
}

// Spans longer than this many months are kept in one list that every
// coverage query reads, instead of in every month bucket.
constexpr qint64 kLongSpanMonths = 120;
constexpr qint64 kLongSpanKey = std::numeric_limits<qint64>::min() + 1;

const std::vector<int> kNoSlots;

// How long an operation waits for another program's lock before it says
// that the file is busy.
constexpr int kBusyMilliseconds = 1000;

// Characters (code points) of a text: a surrogate pair counts once.
qsizetype characterCount(const QString &text)
{
    qsizetype count = text.size();
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            --count;
    }
    return count;
}

} // namespace

TableFile::TableFile(QString path, const TableSchema &schema, bool readOnly)
    : m_path(std::move(path)), m_schema(schema), m_readOnly(readOnly)
{
    m_columns.resize(schema.fields.size());
    for (int i = 0; i < schema.fields.size(); ++i) {
        m_columns[i].numeric = isNumeric(schema.fields[i].type);
        if (schema.fields[i].type == FieldType::AutoIncrement)
            m_identityField = i;
    }
    for (const IndexDef &index : schema.indexes) {
        OrderPlan plan;
        plan.index = &index;
        plan.descending = index.descending;
        plan.caseSensitivity = index.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (const QString &name : index.fields) {
            const int f = schema.fieldIndex(name);
            if (f >= 0 && f != m_identityField) // the identity is the last key anyway
                plan.fields.push_back(f);
        }
        m_orderPlans.push_back(std::move(plan));
    }
}

TableFile::~TableFile()
{
    if (m_db)
        sqlite3_close(m_db);
}

QString TableFile::notThisKind(const QString &path, const TableSchema &schema)
{
    QString kind = QStringLiteral("table file");
    if (&schema == &calendarSchema())
        kind = QStringLiteral("calendar file");
    else if (&schema == &optionsSchema())
        kind = QStringLiteral("options table");
    else if (&schema == &foldersSchema())
        kind = QStringLiteral("folders list");
    return QStringLiteral("The file \"%1\" is not a %2.").arg(QDir::toNativeSeparators(path), kind);
}

std::shared_ptr<TableFile> TableFile::acquire(const QString &path, const TableSchema &schema, bool readOnly, QString *error)
{
    const QString absolute = absolutePath(path);
    const QString key = absolute + (readOnly ? QStringLiteral("\n(read-only)") : QString());
    // A picture holds the columns of the table it was opened for: a cursor
    // that expects another table (a folder naming "folderslist.db" as its
    // calendar) must never read or write it.
    for (const auto &[otherKey, other] : registry()) {
        const auto file = other.lock();
        if (file && file->m_path == absolute && &file->m_schema != &schema) {
            *error = notThisKind(absolute, schema);
            return nullptr;
        }
    }
    if (auto existing = registry()[key].lock())
        return existing;
    std::shared_ptr<TableFile> file(new TableFile(absolute, schema, readOnly));
    if (!file->load(error)) {
        registry().erase(key);
        return nullptr;
    }
    registry()[key] = file;
    return file;
}

bool TableFile::exists(const QString &path)
{
    return QFileInfo(path).isFile();
}

bool TableFile::isOpenHere(const QString &path)
{
    const QString absolute = absolutePath(path);
    for (const auto &[key, file] : registry()) {
        if (!file.expired() && key.startsWith(absolute) && (key.size() == absolute.size() || key[absolute.size()] == QLatin1Char('\n')))
            return true;
    }
    return false;
}

QString TableFile::errorText(const QString &what) const
{
    const QString native = QDir::toNativeSeparators(m_path);
    // Waiting longer for a lock would only hold up start-up; say so at once.
    if (sqlite3_errcode(m_db) == SQLITE_BUSY || sqlite3_errcode(m_db) == SQLITE_LOCKED)
        return QStringLiteral("The file \"%1\" is busy: another program is using it. Try again in a moment.").arg(native);
    if (sqlite3_extended_errcode(m_db) == SQLITE_READONLY_ROLLBACK)
        return QStringLiteral("The file \"%1\" holds an unfinished change of a program that stopped, and it cannot be undone "
                              "without write access. Start Daybrook Planner once with write access to the file to repair it.")
            .arg(native);
    return QStringLiteral("%1 \"%2\": %3.").arg(what, native, QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void TableFile::recoverHotJournal() const
{
    // A writer killed in the middle of a post leaves its journal behind, and
    // only a connection that may write can roll it back; a reader opens the
    // file for writing just long enough for SQLite to do so. A journal that
    // is not hot (another program is writing) is left alone by SQLite.
    if (QFileInfo(m_path + QStringLiteral("-journal")).size() <= 0)
        return;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
        // A journal that another program is still writing is not hot: no
        // use waiting for it here.
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

bool TableFile::load(QString *error)
{
    const QString native = QDir::toNativeSeparators(m_path);
    if (!exists(m_path)) {
        *error = QStringLiteral("The file \"%1\" does not exist.").arg(native);
        return false;
    }
    if (m_readOnly)
        recoverHotJournal();
    // One connection per file, used from the user-interface thread only.
    const int flags = (m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot open the file"));
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyMilliseconds);
    sqlite3_exec(m_db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);

    // Check that the table and every field are there before reading anything.
    sqlite3_stmt *info = nullptr;
    const QByteArray infoSql = QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_schema.sqlTable)).toUtf8();
    if (sqlite3_prepare_v2(m_db, infoSql.constData(), -1, &info, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("The file is not a readable table"));
        return false;
    }
    QSet<QString> columns;
    int rc;
    while ((rc = sqlite3_step(info)) == SQLITE_ROW)
        columns.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info, 1))).toLower());
    sqlite3_finalize(info);
    if (rc != SQLITE_DONE) {
        *error = errorText(QStringLiteral("The file is not a readable table"));
        return false;
    }
    if (columns.isEmpty()) {
        *error = notThisKind(m_path, m_schema);
        return false;
    }
    QStringList names;
    for (const FieldDef &field : m_schema.fields) {
        if (columns.contains(field.name.toLower())) {
            names << quoted(field.name);
            continue;
        }
        if (!field.addedLater) {
            *error = QStringLiteral("The table in \"%1\" has no field \"%2\".").arg(native, field.name);
            return false;
        }
        // A reader leaves the file as it is and sees the new field blank.
        if (m_readOnly) {
            names << QStringLiteral("NULL");
            continue;
        }
        const QByteArray alter = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                     .arg(quoted(m_schema.sqlTable), quoted(field.name), columnType(field))
                                     .toUtf8();
        if (sqlite3_exec(m_db, alter.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            *error = errorText(QStringLiteral("Cannot add the field \"%1\" to the file").arg(field.name));
            return false;
        }
        names << quoted(field.name);
    }
    m_selectSql = QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid BETWEEN ?1 AND ?2 ORDER BY rowid")
                      .arg(names.join(QLatin1String(", ")), quoted(m_schema.sqlTable))
                      .toUtf8();
    return readPicture(error);
}

bool TableFile::readPicture(QString *error)
{
    QString readError;
    if (!readAllRows(m_selectSql, &readError)) {
        *error = readError.isEmpty() ? errorText(QStringLiteral("Cannot read the file")) : readError;
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    m_dataVersion = dataVersion();
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    return true;
}

qint64 TableFile::dataVersion() const
{
    // Changes when another connection commits to the file, and only then.
    qint64 version = -1;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA data_version", -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return version;
}

bool TableFile::syncWithFile()
{
    if (dataVersion() == m_dataVersion)
        return false;
    QString error;
    reload(&error);
    return true;
}

bool TableFile::reload(QString *error)
{
    m_ids.clear();
    for (Column &column : m_columns) {
        column.numbers.clear();
        column.texts.clear();
    }
    m_freeSlots.clear();
    m_slotById.clear();
    m_equality.clear();
    m_spans.clear();
    m_orders.clear();
    m_allRows.clear();
    m_marks.clear();
    m_markStamp = 0;
    const bool read = readPicture(error);
    if (!read) {
        // What was half read is no picture of the file: show none.
        m_ids.clear();
        for (Column &column : m_columns) {
            column.numbers.clear();
            column.texts.clear();
        }
        m_slotById.clear();
    }
    for (Cursor *cursor : m_cursors)
        cursor->tableReloaded();
    return read;
}

namespace TableLoading {

// How a stored value becomes a column value, worked out once per table.
enum class Decode : quint8 { Text, Code, Date, Time, Boolean, Integer, Identity };

std::vector<Decode> decodersFor(const TableSchema &schema)
{
    std::vector<Decode> decode;
    for (const FieldDef &field : schema.fields) {
        switch (field.type) {
        case FieldType::Text:
            // Short texts are codes such as "0" or "Normal": shared, not copied per row.
            decode.push_back(field.size <= 50 ? Decode::Code : Decode::Text);
            break;
        case FieldType::Memo:
            decode.push_back(Decode::Text);
            break;
        case FieldType::Date:
            decode.push_back(Decode::Date);
            break;
        case FieldType::Time:
            decode.push_back(Decode::Time);
            break;
        case FieldType::Boolean:
            decode.push_back(Decode::Boolean);
            break;
        case FieldType::Integer:
            decode.push_back(Decode::Integer);
            break;
        case FieldType::AutoIncrement:
            decode.push_back(Decode::Identity);
            break;
        }
    }
    return decode;
}

// Where one reader puts its rows: a run of rows of the columns, from the
// row the pointers point at, capacity rows long.
struct RowSink
{
    qint64 *ids = nullptr;
    std::vector<qint64 *> numbers; // per field; null for texts
    std::vector<QString *> texts;  // per field; null for numbers
    size_t capacity = 0;
    size_t filled = 0;
    QHash<QByteArray, QString> codes; // each distinct short text, converted once
};

// The last code read in a field: consecutive rows mostly repeat it.
struct LastCode
{
    QByteArray bytes;
    QString text;
};

const char *textOf(sqlite3_value *value)
{
    return reinterpret_cast<const char *>(sqlite3_value_text(value));
}

// A stored value of a numeric field, read tolerantly: a value of the wrong
// kind is blank, as it would be for a row the program wrote itself.
qint64 decodeNumber(Decode decode, sqlite3_value *value, int type)
{
    qint64 number = kBlankValue;
    switch (decode) {
    case Decode::Date:
        if (type != SQLITE_TEXT || !parseIsoDate(textOf(value), sqlite3_value_bytes(value), &number))
            number = kBlankValue;
        break;
    case Decode::Time:
        if (type != SQLITE_TEXT || !parseIsoTime(textOf(value), sqlite3_value_bytes(value), &number))
            number = kBlankValue;
        break;
    case Decode::Boolean:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            number = sqlite3_value_int64(value) != 0 ? 1 : 0;
        } else {
            const char *text = textOf(value);
            const QByteArray word = QByteArray(text, sqlite3_value_bytes(value)).trimmed().toLower();
            number = (word == "1" || word == "true") ? 1 : (word == "0" || word == "false") ? 0 : kBlankValue;
        }
        break;
    case Decode::Integer: {
        // Text, or a number beyond 32 bits, is no value of the field:
        // SQLite's own conversion would give 0, a leading number or a
        // truncated value.
        qint64 whole = kBlankValue;
        if (type == SQLITE_INTEGER) {
            whole = sqlite3_value_int64(value);
        } else if (type == SQLITE_FLOAT) {
            const double real = sqlite3_value_double(value);
            if (real >= std::numeric_limits<int>::min() && real <= std::numeric_limits<int>::max() && real == double(qint64(real)))
                whole = qint64(real);
        }
        number = whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max() ? whole : kBlankValue;
        break;
    }
    default:
        number = sqlite3_value_int64(value);
        break;
    }
    return number;
}

QString decodeCode(sqlite3_value *value, LastCode &last, QHash<QByteArray, QString> &codes)
{
    const char *text = textOf(value);
    const int size = sqlite3_value_bytes(value);
    if (size == last.bytes.size() && std::memcmp(text, last.bytes.constData(), size_t(size)) == 0)
        return last.text;
    auto it = codes.constFind(QByteArray::fromRawData(text, size));
    if (it == codes.constEnd())
        it = codes.insert(QByteArray(text, size), QString::fromUtf8(text, size));
    last.bytes = it.key();
    last.text = it.value();
    return last.text;
}

// Reads the rows with from <= rowid <= to through select (which takes the
// two bounds as parameters) into sink. False on a read error, or when there
// are more rows than the sink holds.
bool readRange(sqlite3 *db, const QByteArray &select, const std::vector<Decode> &decode, qint64 from, qint64 to, RowSink *sink)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, select.constData(), int(select.size()), &statement, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int64(statement, 1, from);
    sqlite3_bind_int64(statement, 2, to);
    const int fieldCount = int(decode.size());
    std::vector<LastCode> lastCodes(fieldCount);
    sink->filled = 0;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const size_t row = sink->filled;
        if (row == sink->capacity) {
            rc = SQLITE_ERROR;
            break;
        }
        sink->ids[row] = sqlite3_column_int64(statement, 0);
        for (int f = 0; f < fieldCount; ++f) {
            sqlite3_value *value = sqlite3_column_value(statement, f + 1);
            const int type = sqlite3_value_type(value);
            switch (decode[f]) {
            case Decode::Text:
                if (type != SQLITE_NULL)
                    sink->texts[f][row] = QString::fromUtf8(textOf(value), sqlite3_value_bytes(value));
                break;
            case Decode::Code:
                if (type != SQLITE_NULL)
                    sink->texts[f][row] = decodeCode(value, lastCodes[f], sink->codes);
                break;
            default:
                sink->numbers[f][row] = type == SQLITE_NULL ? kBlankValue : decodeNumber(decode[f], value, type);
                break;
            }
        }
        ++sink->filled;
    }
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE;
}

// Runs one query that yields one integer; false when it fails or yields no row.
bool queryNumber(sqlite3 *db, const QByteArray &sql, qint64 parameter, qint64 *result)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        return false;
    if (sql.contains('?'))
        sqlite3_bind_int64(statement, 1, parameter);
    const bool found = sqlite3_step(statement) == SQLITE_ROW;
    if (found)
        *result = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return found;
}

// Below this many rows a second reader costs more than it saves.
constexpr qint64 kSplitRows = 8192;

} // namespace TableLoading

using namespace TableLoading;

bool TableFile::readAllRows(const QByteArray &select, QString *error)
{
    // A read transaction keeps the file as it is now for every connection
    // that reads it below: no other writer can commit while it lasts.
    if (sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    const QByteArray table = quoted(m_schema.sqlTable).toUtf8();
    qint64 count = 0;
    if (!queryNumber(m_db, "SELECT count(*) FROM " + table, 0, &count))
        return false;
    const std::vector<Decode> decode = decodersFor(m_schema);
    constexpr qint64 lowest = std::numeric_limits<qint64>::min(), highest = std::numeric_limits<qint64>::max();

    // The columns get their final size at once; each reader fills its run.
    m_ids.resize(size_t(count));
    for (Column &column : m_columns) {
        if (column.numeric)
            column.numbers.resize(size_t(count));
        else
            column.texts.resize(size_t(count));
    }
    auto sinkAt = [this, &decode](size_t first, size_t capacity) {
        RowSink sink;
        sink.ids = m_ids.data() + first;
        sink.capacity = capacity;
        for (size_t f = 0; f < decode.size(); ++f) {
            sink.numbers.push_back(m_columns[f].numeric ? m_columns[f].numbers.data() + first : nullptr);
            sink.texts.push_back(m_columns[f].numeric ? nullptr : m_columns[f].texts.data() + first);
        }
        return sink;
    };
    auto countMismatch = [error, this] {
        *error = QStringLiteral("Cannot read the file \"%1\": its table does not hold the rows it counts.")
                     .arg(QDir::toNativeSeparators(m_path));
        return false;
    };

    // A large table is read in two halves at once: the later half on a
    // second, read-only connection in a helper thread. In WAL mode another
    // connection could see a newer state of the file, so it is read whole.
    qint64 median = 0;
    QByteArray journalMode;
    if (count >= kSplitRows && sqlite3_threadsafe() != 0) {
        sqlite3_stmt *mode = nullptr;
        if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &mode, nullptr) == SQLITE_OK && sqlite3_step(mode) == SQLITE_ROW)
            journalMode = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(mode, 0))).toLower();
        sqlite3_finalize(mode);
    }
    const bool split = !journalMode.isEmpty() && journalMode != "wal"
                       && queryNumber(m_db, "SELECT rowid FROM " + table + " ORDER BY rowid LIMIT 1 OFFSET ?", count / 2, &median);
    std::vector<RowSink> sinks;
    if (!split) {
        sinks.push_back(sinkAt(0, size_t(count)));
        if (!readRange(m_db, select, decode, lowest, highest, &sinks[0]))
            return false;
        if (sinks[0].filled != size_t(count))
            return countMismatch();
    } else {
        const size_t firstHalf = size_t(count / 2);
        sinks.push_back(sinkAt(0, firstHalf));
        sinks.push_back(sinkAt(firstHalf, size_t(count) - firstHalf));
        const QByteArray path = QFile::encodeName(m_path);
        bool helperRead = false;
        std::thread helper([&] {
            sqlite3 *db = nullptr;
            if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
                // Give up quickly when the file is busy: the main connection reads it then.
                sqlite3_busy_timeout(db, 100);
                helperRead = readRange(db, select, decode, median, highest, &sinks[1]);
            }
            sqlite3_close(db);
        });
        const bool firstRead = readRange(m_db, select, decode, lowest, median - 1, &sinks[0]);
        helper.join();
        if (!firstRead)
            return false;
        if (!helperRead && !readRange(m_db, select, decode, median, highest, &sinks[1]))
            return false;
        if (sinks[0].filled != sinks[0].capacity || sinks[1].filled != sinks[1].capacity)
            return countMismatch();
    }
    for (const RowSink &sink : sinks) {
        for (const QString &code : sink.codes)
            m_textPool.insert(code);
    }
    m_slotById.reserve(m_ids.size());
    for (int slot = 0; slot < int(m_ids.size()); ++slot)
        m_slotById.emplace(m_ids[slot], slot);
    return true;
}

TableFile::StoredRow TableFile::compareStoredRow(qint64 id, int slot)
{
    // The stored row, read exactly as loading reads it, against the picture.
    const std::vector<Decode> decode = decodersFor(m_schema);
    std::vector<qint64> numbers(decode.size(), kBlank);
    std::vector<QString> texts(decode.size());
    qint64 storedId = 0;
    RowSink sink;
    sink.ids = &storedId;
    sink.capacity = 1;
    for (size_t f = 0; f < decode.size(); ++f) {
        sink.numbers.push_back(m_columns[f].numeric ? &numbers[f] : nullptr);
        sink.texts.push_back(m_columns[f].numeric ? nullptr : &texts[f]);
    }
    if (!readRange(m_db, m_selectSql, decode, id, id, &sink))
        return StoredRow::Unreadable;
    if (sink.filled == 0)
        return StoredRow::Gone;
    for (int f = 0; f < int(decode.size()); ++f) {
        if (f == m_identityField)
            continue;
        const Column &column = m_columns[f];
        if (column.numeric ? numbers[f] != column.numbers[slot] : texts[f] != column.texts[slot])
            return StoredRow::Changed;
    }
    return StoredRow::AsSeen;
}

bool TableFile::beginCheckedWrite(qint64 id, int slot, QString *error, bool *gone, bool *conflict)
{
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    const StoredRow stored = compareStoredRow(id, slot);
    if (stored == StoredRow::AsSeen)
        return true;
    if (stored == StoredRow::Unreadable)
        *error = errorText(QStringLiteral("Cannot read the file"));
    else if (stored == StoredRow::Gone)
        *error = QStringLiteral("The item was deleted by another program. Nothing was saved.");
    else
        *error = QStringLiteral("The item was changed by another program. Nothing was saved; the item now shows what the other program wrote.");
    if (gone)
        *gone = stored == StoredRow::Gone;
    if (conflict)
        *conflict = stored != StoredRow::Unreadable;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    // Show the file as it is now, so that the next edit starts from there.
    if (stored != StoredRow::Unreadable) {
        QString reloadError;
        reload(&reloadError);
    }
    return false;
}

bool TableFile::commitWrite(QString *error)
{
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    *error = errorText(QStringLiteral("Cannot write to the file"));
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

QString TableFile::internText(const QString &text)
{
    auto it = m_textPool.constFind(text);
    if (it != m_textPool.constEnd())
        return *it;
    m_textPool.insert(text);
    return text;
}

bool TableFile::create(const QString &path, const TableSchema &schema, QString *error)
{
    const QString absolute = absolutePath(path);
    const QString native = QDir::toNativeSeparators(absolute);
    if (isOpenHere(absolute)) {
        *error = QStringLiteral("The file \"%1\" is open.").arg(native);
        return false;
    }
    if (exists(absolute)) {
        // Another process holding the file shows as a lock we cannot take.
        sqlite3 *probe = nullptr;
        bool locked = false;
        if (sqlite3_open_v2(QFile::encodeName(absolute).constData(), &probe, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            locked = sqlite3_exec(probe, "BEGIN EXCLUSIVE; ROLLBACK;", nullptr, nullptr, nullptr) == SQLITE_BUSY;
        }
        sqlite3_close(probe);
        if (locked) {
            *error = QStringLiteral("The file \"%1\" is locked by another program.").arg(native);
            return false;
        }
    }

    // Build the new file beside the old one and swap it in only when it is
    // complete, so a failure never leaves half a table behind.
    const QString temporary = absolute + QStringLiteral(".new");
    QFile::remove(temporary);
    QStringList columns;
    for (const FieldDef &field : schema.fields) {
        columns << quoted(field.name) + QLatin1Char(' ') + columnType(field);
    }
    QStringList statements;
    statements << QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(schema.sqlTable), columns.join(QLatin1String(", ")));
    for (const IndexDef &index : schema.indexes) {
        if (index.name.isEmpty())
            continue; // the primary index is the table's own key
        QStringList parts;
        for (const QString &name : index.fields) {
            const int f = schema.fieldIndex(name);
            QString part = quoted(name);
            if (index.caseInsensitive && !isNumeric(schema.fields[f].type))
                part += QStringLiteral(" COLLATE NOCASE");
            if (index.descending)
                part += QStringLiteral(" DESC");
            parts << part;
        }
        statements << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                          .arg(quoted(index.name), quoted(schema.sqlTable), parts.join(QLatin1String(", ")));
    }
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
              == SQLITE_OK;
    const QByteArray script = (QStringLiteral("PRAGMA synchronous=FULL; BEGIN; ") + statements.join(QLatin1String("; "))
                               + QStringLiteral("; COMMIT;"))
                                  .toUtf8();
    ok = ok && sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    sqlite3_close(db);
    QString reason = message;
    if (ok) {
        // A journal left beside the old file would be played into the new one.
        for (const char *suffix : {"-journal", "-wal", "-shm"})
            QFile::remove(absolute + QLatin1String(suffix));
        // One rename over the old file: at every moment either the old or
        // the new table is there, never neither.
        std::error_code renameError;
        std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()), std::filesystem::path(absolute.toStdU16String()),
                                renameError);
        ok = !renameError;
        if (!ok)
            reason = QString::fromStdString(renameError.message());
    }
    if (!ok) {
        QFile::remove(temporary);
        *error = QStringLiteral("Cannot create the file \"%1\": %2.").arg(native, reason);
        return false;
    }
    return true;
}

// --- reading ------------------------------------------------------------

int TableFile::slotOf(qint64 id) const
{
    const auto it = m_slotById.find(id);
    return it == m_slotById.end() ? -1 : it->second;
}

QVariant TableFile::cellValue(int slot, int field) const
{
    const Column &column = m_columns[field];
    if (!column.numeric) {
        const QString &text = column.texts[slot];
        return text.isNull() ? QVariant() : QVariant(text);
    }
    const qint64 number = column.numbers[slot];
    if (number == kBlank)
        return {};
    switch (m_schema.fields[field].type) {
    case FieldType::Date:
        return QDate::fromJulianDay(number);
    case FieldType::Time:
        return QTime::fromMSecsSinceStartOfDay(int(number));
    case FieldType::Boolean:
        return number != 0;
    case FieldType::AutoIncrement:
        return qlonglong(number);
    default:
        return int(number);
    }
}

QVariant TableFile::value(qint64 id, int field) const
{
    return valueAt(slotOf(id), field);
}

QVariant TableFile::valueAt(int slot, int field) const
{
    if (slot < 0 || field < 0 || field >= int(m_columns.size()))
        return {};
    if (field == m_identityField)
        return qlonglong(m_ids[slot]);
    return cellValue(slot, field);
}

std::vector<QVariant> TableFile::row(qint64 id) const
{
    std::vector<QVariant> values(m_columns.size());
    for (int f = 0; f < int(values.size()); ++f)
        values[f] = value(id, f);
    return values;
}

namespace {

// A text test bound to its column; a blank text is a null QString.
struct TextTest
{
    const QString *texts = nullptr;
    FilterExpression::Op op = FilterExpression::Op::Eq;
    bool isNull = false;
    const QString *text = nullptr;
};

constexpr qint64 kBlankNumber = std::numeric_limits<qint64>::min();

// A numeric test bound to its column as a range of stored values: it holds
// when the value lies in [low, low + span] (or outside it, for <>). Blanks
// hold the smallest value, so the ranges of <, <=, > and >= leave them out
// and that of "= Null" is the blank alone.
struct NumberTest
{
    const qint64 *numbers = nullptr;
    quint64 low = 0;
    quint64 span = 0;
    bool outside = false;

    bool holds(int slot) const { return (quint64(numbers[slot]) - low <= span) != outside; }
};

// Binds test to the numbers of its column; false when no value can pass it.
bool bindNumberTest(const FilterExpression::Test &test, const qint64 *numbers, NumberTest *bound)
{
    using Op = FilterExpression::Op;
    constexpr qint64 highest = std::numeric_limits<qint64>::max();
    qint64 low = test.number, high = test.number;
    bool outside = false;
    if (test.isNull) {
        low = high = kBlankNumber;
        outside = test.op == Op::Ne;
    } else {
        switch (test.op) {
        case Op::Eq:
            break;
        case Op::Ne:
            outside = true;
            break;
        case Op::Lt:
            if (test.number <= kBlankNumber + 1)
                return false;
            low = kBlankNumber + 1;
            high = test.number - 1;
            break;
        case Op::Le:
            low = kBlankNumber + 1;
            break;
        case Op::Gt:
            if (test.number == highest)
                return false;
            low = test.number + 1;
            high = highest;
            break;
        case Op::Ge:
            high = highest;
            break;
        }
    }
    bound->numbers = numbers;
    bound->low = quint64(low);
    bound->span = quint64(high) - quint64(low);
    bound->outside = outside;
    return true;
}

inline bool textHolds(const TextTest &test, int slot)
{
    using Op = FilterExpression::Op;
    const QString &value = test.texts[slot];
    if (test.isNull)
        return (test.op == Op::Eq) == value.isNull();
    if (value.isNull())
        return test.op == Op::Ne;
    const int order = value.compare(*test.text);
    switch (test.op) {
    case Op::Eq:
        return order == 0;
    case Op::Ne:
        return order != 0;
    case Op::Lt:
        return order < 0;
    case Op::Le:
        return order <= 0;
    case Op::Gt:
        return order > 0;
    case Op::Ge:
        return order >= 0;
    }
    return false;
}

// One clause bound to the columns: numeric tests first, as they are cheap.
struct BoundClause
{
    std::vector<NumberTest> numbers;
    std::vector<TextTest> texts;

    bool holds(int slot) const
    {
        for (const NumberTest &test : numbers) {
            if (!test.holds(slot))
                return false;
        }
        for (const TextTest &test : texts) {
            if (!textHolds(test, slot))
                return false;
        }
        return true;
    }
};

} // namespace

int TableFile::compareInOrder(int slotA, int slotB, const IndexDef *order) const
{
    const OrderPlan *plan = orderPlan(order);
    if (plan) {
        for (int f : plan->fields) {
            const Column &column = m_columns[f];
            int result = 0;
            if (column.numeric) {
                const qint64 a = column.numbers[slotA], b = column.numbers[slotB];
                result = a < b ? -1 : (a > b ? 1 : 0); // kBlank is the smallest: blanks first
            } else {
                const QString &a = column.texts[slotA], &b = column.texts[slotB];
                if (a.isNull() || b.isNull())
                    result = a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
                else if (a.constData() != b.constData()) // shared texts are equal
                    result = a.compare(b, plan->caseSensitivity);
            }
            if (result != 0)
                return plan->descending ? -result : result;
        }
    }
    const qint64 a = m_ids[slotA], b = m_ids[slotB];
    return a < b ? -1 : (a > b ? 1 : 0);
}

namespace {

// A row's place in an order, worked out once per sort so that comparing
// two rows is comparing numbers: numbers as they are, a text by its first
// three characters (blank smallest). A text longer than that is marked
// inexact and compared in full only when the leading characters tie.
constexpr int kMaxSortFields = 6;
struct SortKey
{
    std::array<qint64, kMaxSortFields> keys;
    quint32 inexact = 0; // bit i: field i is a text longer than its key
    int slot = 0;
    qint64 id = 0;
};

qint64 textSortKey(const QString &text, Qt::CaseSensitivity sensitivity, bool *exact)
{
    qint64 key = 0;
    for (int i = 0; i < 3; ++i) {
        QChar c = i < text.size() ? text[i] : QChar();
        if (sensitivity == Qt::CaseInsensitive)
            c = c.toCaseFolded();
        key = (key << 16) | c.unicode();
    }
    *exact = text.size() <= 3;
    return key;
}

} // namespace

void TableFile::sortSlots(std::vector<int> &slotList, const IndexDef *order) const
{
    const OrderPlan *plan = orderPlan(order);
    if (plan && plan->fields.size() > size_t(kMaxSortFields)) {
        std::sort(slotList.begin(), slotList.end(), [this, order](int a, int b) { return compareInOrder(a, b, order) < 0; });
        return;
    }
    const std::vector<int> noFields;
    const std::vector<int> &fields = plan ? plan->fields : noFields;
    std::vector<SortKey> keys(slotList.size());
    for (size_t i = 0; i < slotList.size(); ++i) {
        SortKey &key = keys[i];
        key.slot = slotList[i];
        key.id = m_ids[key.slot];
        for (size_t f = 0; f < fields.size(); ++f) {
            const Column &column = m_columns[fields[f]];
            if (column.numeric) {
                key.keys[f] = column.numbers[key.slot];
                continue;
            }
            const QString &text = column.texts[key.slot];
            bool exact = true;
            key.keys[f] = text.isNull() ? kBlank : textSortKey(text, plan->caseSensitivity, &exact);
            if (!exact)
                key.inexact |= 1u << f;
        }
    }
    const bool descending = plan && plan->descending;
    std::sort(keys.begin(), keys.end(), [&](const SortKey &a, const SortKey &b) {
        for (size_t f = 0; f < fields.size(); ++f) {
            int result = a.keys[f] < b.keys[f] ? -1 : (a.keys[f] > b.keys[f] ? 1 : 0);
            if (result == 0 && ((a.inexact | b.inexact) & (1u << f))) {
                const Column &column = m_columns[fields[f]];
                result = column.texts[a.slot].compare(column.texts[b.slot], plan->caseSensitivity);
            }
            if (result != 0)
                return descending ? result > 0 : result < 0;
        }
        return a.id < b.id;
    });
    for (size_t i = 0; i < keys.size(); ++i)
        slotList[i] = keys[i].slot;
}

const TableFile::OrderPlan *TableFile::orderPlan(const IndexDef *order) const
{
    if (!order)
        return nullptr;
    for (const OrderPlan &plan : m_orderPlans) {
        if (plan.index == order)
            return &plan;
    }
    return nullptr;
}

bool TableFile::lessInOrder(qint64 a, qint64 b, const IndexDef *order) const
{
    const int slotA = slotOf(a), slotB = slotOf(b);
    if (slotA < 0 || slotB < 0)
        return a < b;
    return compareInOrder(slotA, slotB, order) < 0;
}

TableFile::OrderCache &TableFile::orderCache(const IndexDef *order)
{
    auto it = m_orders.find(order);
    if (it != m_orders.end())
        return it->second;
    OrderCache cache;
    cache.sorted.reserve(m_slotById.size());
    for (int slot = 0; slot < int(m_ids.size()); ++slot) {
        if (m_ids[slot] != 0)
            cache.sorted.push_back(slot);
    }
    sortSlots(cache.sorted, order);
    return m_orders.emplace(order, std::move(cache)).first->second;
}

const std::vector<int> &TableFile::orderedSlots(const IndexDef *order)
{
    return orderCache(order).sorted;
}

const std::vector<int> &TableFile::ranks(const IndexDef *order)
{
    OrderCache &cache = orderCache(order);
    if (cache.rankDirty) {
        cache.rank.assign(m_ids.size(), -1);
        for (int position = 0; position < int(cache.sorted.size()); ++position)
            cache.rank[cache.sorted[position]] = position;
        cache.rankDirty = false;
    }
    return cache.rank;
}

qint64 TableFile::textKey(const QString &text)
{
    return qint64(qHash(text, 0));
}

qint64 TableFile::equalityKey(int slot, int field) const
{
    const Column &column = m_columns[field];
    if (column.numeric)
        return column.numbers[slot];
    const QString &text = column.texts[slot];
    return text.isNull() ? kBlank : textKey(text);
}

TableFile::EqualityIndex &TableFile::equalityIndex(int field)
{
    auto it = m_equality.find(field);
    if (it != m_equality.end())
        return it->second;
    EqualityIndex &index = m_equality[field];
    for (int slot = 0; slot < int(m_ids.size()); ++slot) {
        if (m_ids[slot] == 0)
            continue;
        const qint64 key = equalityKey(slot, field);
        if (key != kBlank)
            index.buckets[key].push_back(slot);
    }
    return index;
}

void TableFile::addToSpan(SpanIndex &index, int slot, qint64 start, qint64 end)
{
    const qint64 first = monthNumber(start), last = monthNumber(end);
    if (last - first > kLongSpanMonths) {
        index.months[kLongSpanKey].push_back(slot);
        return;
    }
    for (qint64 month = first; month <= last; ++month)
        index.months[month].push_back(slot);
}

TableFile::SpanIndex &TableFile::spanIndex(int startField, int endField)
{
    for (SpanIndex &index : m_spans) {
        if (index.startField == startField && index.endField == endField)
            return index;
    }
    SpanIndex &index = m_spans.emplace_back();
    index.startField = startField;
    index.endField = endField;
    const auto &starts = m_columns[startField].numbers, &ends = m_columns[endField].numbers;
    for (int slot = 0; slot < int(m_ids.size()); ++slot) {
        if (m_ids[slot] != 0 && starts[slot] != kBlank && ends[slot] != kBlank && starts[slot] < ends[slot])
            addToSpan(index, slot, starts[slot], ends[slot]);
    }
    return index;
}

void TableFile::candidatesFor(const FilterExpression::Clause &clause, std::vector<const std::vector<int> *> *lists, bool *scanAll,
                              int *impliedTest)
{
    size_t best = std::numeric_limits<size_t>::max();
    *impliedTest = -1;
    auto bucket = [](const std::unordered_map<qint64, std::vector<int>> &buckets, qint64 key) -> const std::vector<int> * {
        const auto it = buckets.find(key);
        return it == buckets.end() ? &kNoSlots : &it->second;
    };
    for (int t = 0; t < int(clause.size()); ++t) {
        const FilterExpression::Test &test = clause[t];
        if (test.op != FilterExpression::Op::Eq || test.isNull)
            continue;
        const bool numeric = m_columns[test.field].numeric;
        const std::vector<int> *slotList = bucket(equalityIndex(test.field).buckets, numeric ? test.number : textKey(test.text));
        if (slotList->size() < best) {
            best = slotList->size();
            lists->assign(1, slotList);
            // A number's bucket holds exactly the rows that pass its test;
            // a text's bucket is keyed by a hash and is only a superset.
            *impliedTest = numeric ? t : -1;
        }
    }
    // "start <= X and end >= X" on two date fields: the rows whose span covers X.
    for (const FilterExpression::Test &low : clause) {
        if (low.op != FilterExpression::Op::Le || low.isNull || m_schema.fields[low.field].type != FieldType::Date)
            continue;
        for (const FilterExpression::Test &high : clause) {
            if (high.op != FilterExpression::Op::Ge || high.isNull || high.field == low.field
                || m_schema.fields[high.field].type != FieldType::Date || high.number != low.number)
                continue;
            const SpanIndex &spans = spanIndex(low.field, high.field);
            const std::vector<int> *sameDay = bucket(equalityIndex(low.field).buckets, low.number);
            const std::vector<int> *month = bucket(spans.months, monthNumber(low.number));
            const std::vector<int> *longSpans = bucket(spans.months, kLongSpanKey);
            const size_t size = sameDay->size() + month->size() + longSpans->size();
            if (size < best) {
                best = size;
                *lists = {sameDay, month, longSpans};
                *impliedTest = -1;
            }
        }
    }
    *scanAll = best == std::numeric_limits<size_t>::max();
}

std::shared_ptr<TableFile::RowList> TableFile::select(const FilterExpression *filter, const IndexDef *order)
{
    if (!filter || filter->clauses().empty()) {
        std::shared_ptr<RowList> &all = m_allRows[order];
        if (!all) {
            const std::vector<int> &slotList = orderedSlots(order);
            all = std::make_shared<RowList>(slotList.size());
            std::transform(slotList.begin(), slotList.end(), all->begin(),
                           [this](int slot) { return RowRef{m_ids[slot], slot}; });
        }
        return all;
    }
    auto result = std::make_shared<RowList>();
    RowList &ids = *result;
    if (m_marks.size() < m_ids.size())
        m_marks.resize(m_ids.size(), 0);
    if (++m_markStamp == 0) {
        std::fill(m_marks.begin(), m_marks.end(), 0);
        m_markStamp = 1;
    }
    std::vector<int> passed;
    BoundClause bound;
    auto consider = [&](int slot) {
        if (m_marks[slot] != m_markStamp && bound.holds(slot)) {
            m_marks[slot] = m_markStamp;
            passed.push_back(slot);
        }
    };
    for (const FilterExpression::Clause &clause : filter->clauses()) {
        std::vector<const std::vector<int> *> lists;
        bool scanAll = false;
        int impliedTest = -1;
        candidatesFor(clause, &lists, &scanAll, &impliedTest);
        bound.numbers.clear();
        bound.texts.clear();
        bool possible = true;
        for (int t = 0; t < int(clause.size()) && possible; ++t) {
            const FilterExpression::Test &test = clause[t];
            const Column &column = m_columns[test.field];
            if (t == impliedTest)
                continue;
            if (column.numeric) {
                NumberTest number;
                possible = bindNumberTest(test, column.numbers.data(), &number);
                bound.numbers.push_back(number);
            } else {
                bound.texts.push_back({column.texts.data(), test.op, test.isNull, &test.text});
            }
        }
        if (!possible)
            continue;
        if (scanAll) {
            for (int slot = 0; slot < int(m_ids.size()); ++slot) {
                if (m_ids[slot] != 0)
                    consider(slot);
            }
        } else {
            for (const std::vector<int> *list : lists) {
                for (int slot : *list)
                    consider(slot);
            }
        }
    }
    // A large result reads faster from the cached full order than sorted anew.
    if (passed.size() * 8 > m_slotById.size()) {
        for (int slot : orderedSlots(order)) {
            if (m_marks[slot] == m_markStamp)
                ids.push_back({m_ids[slot], slot});
        }
        return result;
    }
    const std::vector<int> &rank = ranks(order);
    std::sort(passed.begin(), passed.end(), [&rank](int a, int b) { return rank[a] < rank[b]; });
    ids.reserve(passed.size());
    for (int slot : passed)
        ids.push_back({m_ids[slot], slot});
    return result;
}

// --- writing ------------------------------------------------------------

bool TableFile::coerce(const FieldDef &field, const QVariant &in, QVariant *out)
{
    *out = QVariant();
    if (!in.isValid() || in.isNull())
        return true;
    const bool isText = in.typeId() == QMetaType::QString;
    const QString text = isText ? in.toString() : QString();
    if (isText && text.isEmpty())
        return true;
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Memo:
        *out = in.toString();
        return true;
    case FieldType::Date: {
        QDate date;
        if (in.typeId() == QMetaType::QDate)
            date = in.toDate();
        else if (in.typeId() == QMetaType::QDateTime)
            date = in.toDateTime().date();
        else if (isText)
            date = LocaleFormats::parseDate(text);
        if (!date.isValid())
            return false;
        *out = date;
        return true;
    }
    case FieldType::Time: {
        QTime time;
        if (in.typeId() == QMetaType::QTime)
            time = in.toTime();
        else if (in.typeId() == QMetaType::QDateTime)
            time = in.toDateTime().time();
        else if (isText)
            time = LocaleFormats::parseTime(text);
        if (!time.isValid())
            return false;
        // Stored to the second.
        *out = QTime(time.hour(), time.minute(), time.second());
        return true;
    }
    case FieldType::Boolean: {
        if (isText) {
            const QString word = text.trimmed();
            if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || word == QLatin1String("1")) {
                *out = true;
                return true;
            }
            if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || word == QLatin1String("0")) {
                *out = false;
                return true;
            }
            return false;
        }
        if (in.typeId() == QMetaType::Bool || in.canConvert<qlonglong>()) {
            *out = in.toBool();
            return true;
        }
        return false;
    }
    case FieldType::Integer:
    case FieldType::AutoIncrement: {
        bool ok = false;
        // Only digits (and a leading sign): toLongLong would stop at a NUL
        // inside the text and take the number before it.
        const QString digits = text.trimmed();
        const bool decimal = std::all_of(digits.cbegin(), digits.cend(), [&digits](const QChar &c) {
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (&c == digits.cbegin() && (c == QLatin1Char('-') || c == QLatin1Char('+')));
        });
        const qlonglong number = isText ? (decimal ? digits.toLongLong(&ok) : 0) : in.toLongLong(&ok);
        if (!ok || (field.type == FieldType::Integer && (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())))
            return false;
        *out = field.type == FieldType::Integer ? QVariant(int(number)) : QVariant(number);
        return true;
    }
    }
    return false;
}

bool TableFile::validate(const std::vector<QVariant> &values, QString *error) const
{
    if (m_readOnly) {
        *error = QStringLiteral("The file \"%1\" is open for reading only.").arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    for (int f = 0; f < m_schema.fields.size(); ++f) {
        const FieldDef &field = m_schema.fields[f];
        if (!values[f].isValid())
            continue;
        if (field.type == FieldType::Text) {
            // A capacity counts characters: an emoji is one, not two UTF-16 units.
            const QString text = values[f].toString();
            const qsizetype characters = characterCount(text);
            if (characters > field.size) {
                *error = QStringLiteral("The field %1 holds at most %2 characters; the value has %3.")
                             .arg(field.name, QString::number(field.size), QString::number(characters));
                return false;
            }
        }
        // The stored form "YYYY-MM-DD" has room for years 1 to 9999 only.
        if (field.type == FieldType::Date) {
            const int year = values[f].toDate().year();
            if (year < 1 || year > 9999) {
                *error = QStringLiteral("The field %1 holds a date outside the years 1 to 9999.").arg(field.name);
                return false;
            }
        }
    }
    return true;
}

void TableFile::bindStored(sqlite3_stmt *statement, int position, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(statement, position);
        return;
    case QMetaType::Bool:
        sqlite3_bind_int(statement, position, value.toBool() ? 1 : 0);
        return;
    case QMetaType::Int:
    case QMetaType::LongLong:
        sqlite3_bind_int64(statement, position, value.toLongLong());
        return;
    default:
        break;
    }
    QString text;
    if (value.typeId() == QMetaType::QDate)
        text = value.toDate().toString(Qt::ISODate);
    else if (value.typeId() == QMetaType::QTime)
        text = value.toTime().toString(QStringLiteral("HH:mm:ss"));
    else
        text = value.toString();
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, position, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

bool TableFile::execute(const QString &sql, const std::vector<QVariant> &binds, QString *error, qint64 *insertedRowId)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    for (int i = 0; i < int(binds.size()); ++i)
        bindStored(statement, i + 1, binds[i]);
    const int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        *error = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    if (insertedRowId)
        *insertedRowId = sqlite3_last_insert_rowid(m_db);
    return true;
}

void TableFile::storeRow(int slot, const std::vector<QVariant> &values)
{
    for (int f = 0; f < int(m_columns.size()); ++f) {
        Column &column = m_columns[f];
        const QVariant &value = values[f];
        if (!column.numeric) {
            QString text = value.isValid() ? value.toString() : QString();
            if (!text.isNull() && m_schema.fields[f].type == FieldType::Text && m_schema.fields[f].size <= 50)
                text = internText(text);
            column.texts[slot] = text;
            continue;
        }
        qint64 number = kBlank;
        if (f == m_identityField)
            number = m_ids[slot];
        else if (value.isValid()) {
            switch (m_schema.fields[f].type) {
            case FieldType::Date:
                number = value.toDate().toJulianDay();
                break;
            case FieldType::Time:
                number = value.toTime().msecsSinceStartOfDay();
                break;
            case FieldType::Boolean:
                number = value.toBool() ? 1 : 0;
                break;
            default:
                number = value.toLongLong();
                break;
            }
        }
        column.numbers[slot] = number;
    }
}

void TableFile::indexSlot(int slot)
{
    m_allRows.clear(); // cursors keep theirs until they refresh
    for (auto &[order, cache] : m_orders) {
        const auto at = std::lower_bound(cache.sorted.begin(), cache.sorted.end(), slot,
                                         [this, order = order](int a, int b) { return compareInOrder(a, b, order) < 0; });
        cache.sorted.insert(at, slot);
        cache.rankDirty = true;
    }
    for (auto &[field, index] : m_equality) {
        const qint64 key = equalityKey(slot, field);
        if (key != kBlank)
            index.buckets[key].push_back(slot);
    }
    for (SpanIndex &index : m_spans) {
        const qint64 start = m_columns[index.startField].numbers[slot], end = m_columns[index.endField].numbers[slot];
        if (start != kBlank && end != kBlank && start < end)
            addToSpan(index, slot, start, end);
    }
}

void TableFile::unindexSlot(int slot)
{
    auto removeFrom = [slot](std::unordered_map<qint64, std::vector<int>> &buckets, qint64 key) {
        auto it = buckets.find(key);
        if (it == buckets.end())
            return;
        auto &slotList = it->second;
        slotList.erase(std::remove(slotList.begin(), slotList.end(), slot), slotList.end());
        if (slotList.empty())
            buckets.erase(it);
    };
    for (auto &[order, cache] : m_orders) {
        const auto at = std::find(cache.sorted.begin(), cache.sorted.end(), slot);
        if (at != cache.sorted.end())
            cache.sorted.erase(at);
        cache.rankDirty = true;
    }
    for (auto &[field, index] : m_equality) {
        const qint64 key = equalityKey(slot, field);
        if (key != kBlank)
            removeFrom(index.buckets, key);
    }
    for (SpanIndex &index : m_spans) {
        const qint64 start = m_columns[index.startField].numbers[slot], end = m_columns[index.endField].numbers[slot];
        if (start == kBlank || end == kBlank || start >= end)
            continue;
        const qint64 first = monthNumber(start), last = monthNumber(end);
        if (last - first > kLongSpanMonths) {
            removeFrom(index.months, kLongSpanKey);
            continue;
        }
        for (qint64 month = first; month <= last; ++month)
            removeFrom(index.months, month);
    }
}

bool TableFile::insertRow(std::vector<QVariant> &values, qint64 *newId, QString *error)
{
    if (!validate(values, error))
        return false;
    QStringList names, marks;
    std::vector<QVariant> binds;
    for (int f = 0; f < m_schema.fields.size(); ++f) {
        if (f == m_identityField)
            continue;
        names << quoted(m_schema.fields[f].name);
        marks << QStringLiteral("?");
        binds.push_back(values[f]);
    }
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(quoted(m_schema.sqlTable), names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    qint64 id = 0;
    if (!execute(sql, binds, error, &id))
        return false;

    int slot;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
    } else {
        slot = int(m_ids.size());
        m_ids.push_back(0);
        for (Column &column : m_columns) {
            if (column.numeric)
                column.numbers.push_back(kBlank);
            else
                column.texts.emplace_back();
        }
    }
    m_ids[slot] = id;
    m_slotById.emplace(id, slot);
    if (m_identityField >= 0)
        values[m_identityField] = qlonglong(id);
    storeRow(slot, values);
    indexSlot(slot);
    *newId = id;
    return true;
}

bool TableFile::updateRow(qint64 id, const std::vector<QVariant> &values, QString *error, bool *conflict)
{
    const int slot = slotOf(id);
    if (slot < 0) {
        *error = QStringLiteral("The row has been deleted.");
        if (conflict)
            *conflict = true;
        return false;
    }
    if (!validate(values, error))
        return false;
    QStringList sets;
    std::vector<QVariant> binds;
    for (int f = 0; f < m_schema.fields.size(); ++f) {
        if (f == m_identityField)
            continue;
        sets << quoted(m_schema.fields[f].name) + QStringLiteral(" = ?");
        binds.push_back(values[f]);
    }
    binds.push_back(qlonglong(id));
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quoted(m_schema.sqlTable), sets.join(QLatin1String(", ")));
    // Another program may have changed or deleted the row since it was
    // read: the post writes only over the row as this store last saw it.
    if (!beginCheckedWrite(id, slot, error, nullptr, conflict))
        return false;
    if (!execute(sql, binds, error) || !changedOneRow(error) || !commitWrite(error)) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    unindexSlot(slot);
    storeRow(slot, values);
    indexSlot(slot);
    return true;
}

bool TableFile::deleteRow(qint64 id, QString *error)
{
    const int slot = slotOf(id);
    if (slot < 0)
        return true; // already gone
    if (m_readOnly) {
        std::vector<QVariant> none(m_columns.size());
        return validate(none, error);
    }
    bool gone = false;
    if (!beginCheckedWrite(id, slot, error, &gone))
        return gone; // deleted already, as wanted; the picture has been re-read
    if (!execute(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_schema.sqlTable)), {qlonglong(id)}, error)
        || !changedOneRow(error) || !commitWrite(error)) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    unindexSlot(slot);
    m_slotById.erase(id);
    m_ids[slot] = 0;
    for (Column &column : m_columns) {
        if (column.numeric)
            column.numbers[slot] = kBlank;
        else
            column.texts[slot] = QString();
    }
    m_freeSlots.push_back(slot);
    ErasedAt erasedAt;
    for (auto &[order, all] : m_allRows) {
        const auto at = std::find_if(all->begin(), all->end(), [id](const RowRef &row) { return row.id == id; });
        erasedAt[all.get()] = at == all->end() ? -1 : int(at - all->begin());
        if (at != all->end())
            all->erase(at);
    }
    for (Cursor *cursor : m_cursors)
        cursor->rowDeleted(id, erasedAt);
    return true;
}

bool TableFile::changedOneRow(QString *error)
{
    if (sqlite3_changes(m_db) == 1)
        return true;
    *error = QStringLiteral("The item was changed by another program. Nothing was saved.");
    return false;
}

void TableFile::attach(Cursor *cursor)
{
    m_cursors.push_back(cursor);
}

void TableFile::detach(Cursor *cursor)
{
    m_cursors.erase(std::remove(m_cursors.begin(), m_cursors.end(), cursor), m_cursors.end());
}
