#include "store/SqliteFile.h"

#include "store/TablePicture.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <thread>

namespace {

QString quoted(const QString &name)
{
    QString copy = name;
    copy.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + copy + QLatin1Char('"');
}

// The declared SQL type of a field's column.
QString columnType(const FieldDef &field)
{
    if (field.type == FieldType::AutoIncrement)
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    return TablePicture::isNumeric(field.type) && field.type != FieldType::Date && field.type != FieldType::Time
        ? QStringLiteral("INTEGER")
        : QStringLiteral("TEXT");
}

constexpr qint64 kBlankValue = std::numeric_limits<qint64>::min(); // TablePicture::kBlank

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

// How long an operation waits for another program's lock before it says
// that the file is busy.
constexpr int kBusyMilliseconds = 1000;

} // namespace

SqliteFile::SqliteFile(QString path, const TableSchema &schema, bool readOnly)
    : m_path(std::move(path))
    , m_schema(schema)
    , m_readOnly(readOnly)
{
    for (int i = 0; i < schema.fields.size(); ++i) {
        if (schema.fields[i].type == FieldType::AutoIncrement)
            m_identityField = i;
    }
}

SqliteFile::~SqliteFile()
{
    if (m_db)
        sqlite3_close(m_db);
}

QString SqliteFile::notThisKind(const QString &path, const TableSchema &schema)
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

bool SqliteFile::exists(const QString &path)
{
    return QFileInfo(path).isFile();
}

QString SqliteFile::errorText(const QString &what) const
{
    const QString native = QDir::toNativeSeparators(m_path);
    // Waiting longer for a lock would only hold up start-up; say so at once.
    if (sqlite3_errcode(m_db) == SQLITE_BUSY || sqlite3_errcode(m_db) == SQLITE_LOCKED)
        return QStringLiteral("The file \"%1\" is busy: another program is using it. Try again in a moment.")
            .arg(native);
    if (sqlite3_extended_errcode(m_db) == SQLITE_READONLY_ROLLBACK)
        return QStringLiteral(
                   "The file \"%1\" holds an unfinished change of a program that stopped, and it cannot be undone "
                   "without write access. Start Daybrook Planner once with write access to the file to repair it.")
            .arg(native);
    return QStringLiteral("%1 \"%2\": %3.").arg(what, native, QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void SqliteFile::recoverHotJournal() const
{
    // A writer killed in the middle of a post leaves its journal behind, and
    // only a connection that may write can roll it back; a reader opens the
    // file for writing just long enough for SQLite to do so. A journal that
    // is not hot (another program is writing) is left alone by SQLite.
    if (QFileInfo(m_path + QStringLiteral("-journal")).size() <= 0)
        return;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr)
        == SQLITE_OK) {
        // A journal that another program is still writing is not hot: no
        // use waiting for it here.
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

bool SqliteFile::open()
{
    const QString native = QDir::toNativeSeparators(m_path);
    if (!exists(m_path)) {
        m_lastError = QStringLiteral("The file \"%1\" does not exist.").arg(native);
        return false;
    }
    if (m_readOnly)
        recoverHotJournal();
    // One connection per file, used from the user-interface thread only.
    const int flags = (m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        m_lastError = errorText(QStringLiteral("Cannot open the file"));
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyMilliseconds);
    sqlite3_exec(m_db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);

    // Check that the table and every field are there before reading anything.
    sqlite3_stmt *info = nullptr;
    const QByteArray infoSql = QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_schema.sqlTable)).toUtf8();
    if (sqlite3_prepare_v2(m_db, infoSql.constData(), -1, &info, nullptr) != SQLITE_OK) {
        m_lastError = errorText(QStringLiteral("The file is not a readable table"));
        return false;
    }
    QSet<QString> columns;
    int rc;
    while ((rc = sqlite3_step(info)) == SQLITE_ROW)
        columns.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info, 1))).toLower());
    sqlite3_finalize(info);
    if (rc != SQLITE_DONE) {
        m_lastError = errorText(QStringLiteral("The file is not a readable table"));
        return false;
    }
    if (columns.isEmpty()) {
        m_lastError = notThisKind(m_path, m_schema);
        return false;
    }
    QStringList names;
    for (const FieldDef &field : m_schema.fields) {
        if (columns.contains(field.name.toLower())) {
            names << quoted(field.name);
            continue;
        }
        if (!field.addedLater) {
            m_lastError = QStringLiteral("The table in \"%1\" has no field \"%2\".").arg(native, field.name);
            return false;
        }
        // A reader leaves the file as it is and sees the new field blank.
        if (m_readOnly) {
            names << QStringLiteral("NULL");
            continue;
        }
        if (!addColumn(m_db, m_schema, field)) {
            m_lastError = errorText(QStringLiteral("Cannot add the field \"%1\" to the file").arg(field.name));
            return false;
        }
        names << quoted(field.name);
    }
    m_selectSql = QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid BETWEEN ?1 AND ?2 ORDER BY rowid")
                      .arg(names.join(QLatin1String(", ")), quoted(m_schema.sqlTable))
                      .toUtf8();
    return true;
}

bool SqliteFile::addColumn(sqlite3 *db, const TableSchema &schema, const FieldDef &field)
{
    const QByteArray alter = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                 .arg(quoted(schema.sqlTable), quoted(field.name), columnType(field))
                                 .toUtf8();
    return sqlite3_exec(db, alter.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool SqliteFile::readPicture(TablePicture &picture)
{
    QString readError;
    if (!readAllRows(picture, m_selectSql, &readError)) {
        m_lastError = readError.isEmpty() ? errorText(QStringLiteral("Cannot read the file")) : readError;
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    m_dataVersion = dataVersion();
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    return true;
}

QString SqliteFile::changedElsewhereText()
{
    return QStringLiteral(
        "The item was changed by another program. Nothing was saved; the item now shows what the other program wrote.");
}

QString SqliteFile::deletedElsewhereText()
{
    return QStringLiteral("The item was deleted by another program. Nothing was saved.");
}

qint64 SqliteFile::dataVersion() const
{
    // Changes when another connection commits to the file, and only then.
    qint64 version = -1;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA data_version", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return version;
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
    // Numbers go into the picture's rows from firstSlot on, or, without a
    // picture, into numbers (per field; null for texts).
    TablePicture *picture = nullptr;
    size_t firstSlot = 0;
    std::vector<qint64 *> numbers;
    std::vector<QString *> texts; // per field; null for numbers
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
            if (real >= std::numeric_limits<int>::min() && real <= std::numeric_limits<int>::max()
                && real == double(qint64(real)))
                whole = qint64(real);
        }
        number =
            whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max() ? whole : kBlankValue;
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
bool readRange(sqlite3 *db, const QByteArray &select, const std::vector<Decode> &decode, qint64 from, qint64 to,
               RowSink *sink)
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
            default: {
                const qint64 number = type == SQLITE_NULL ? kBlankValue : decodeNumber(decode[f], value, type);
                if (sink->picture)
                    sink->picture->setNumber(int(sink->firstSlot + row), f, number);
                else
                    sink->numbers[f][row] = number;
                break;
            }
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

bool SqliteFile::readAllRows(TablePicture &picture, const QByteArray &select, QString *error)
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
    picture.resizeForLoad(size_t(count));
    auto sinkAt = [&picture, &decode](size_t first, size_t capacity) {
        RowSink sink;
        sink.ids = picture.idsFrom(first);
        sink.capacity = capacity;
        sink.picture = &picture;
        sink.firstSlot = first;
        for (size_t f = 0; f < decode.size(); ++f)
            sink.texts.push_back(picture.textsFrom(int(f), first));
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
        if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &mode, nullptr) == SQLITE_OK
            && sqlite3_step(mode) == SQLITE_ROW)
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
            if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
                == SQLITE_OK) {
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
            picture.poolText(code);
    }
    picture.mapLoadedIds();
    return true;
}

SqliteFile::StoredRow SqliteFile::compareStoredRow(qint64 id, int slot, const TablePicture &picture)
{
    // The stored row, read exactly as loading reads it, against the picture.
    const std::vector<Decode> decode = decodersFor(m_schema);
    std::vector<qint64> numbers(decode.size(), kBlankValue);
    std::vector<QString> texts(decode.size());
    qint64 storedId = 0;
    RowSink sink;
    sink.ids = &storedId;
    sink.capacity = 1;
    for (size_t f = 0; f < decode.size(); ++f) {
        sink.numbers.push_back(picture.column(int(f)).numeric ? &numbers[f] : nullptr);
        sink.texts.push_back(picture.column(int(f)).numeric ? nullptr : &texts[f]);
    }
    if (!readRange(m_db, m_selectSql, decode, id, id, &sink))
        return StoredRow::Unreadable;
    if (sink.filled == 0)
        return StoredRow::Gone;
    if (slot < 0)
        return StoredRow::Changed; // there, though the picture holds no such row
    for (int f = 0; f < int(decode.size()); ++f) {
        if (f == m_identityField)
            continue;
        const TablePicture::Column &column = picture.column(f);
        if (column.numeric ? numbers[f] != picture.numberAt(slot, f) : texts[f] != column.texts[slot])
            return StoredRow::Changed;
    }
    return StoredRow::AsSeen;
}

SqliteFile::StoredRow SqliteFile::beginCheckedWrite(qint64 id, int slot, const TablePicture &picture)
{
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        m_lastError = errorText(QStringLiteral("Cannot write to the file"));
        return StoredRow::NotBegun;
    }
    const StoredRow stored = compareStoredRow(id, slot, picture);
    if (stored == StoredRow::AsSeen)
        return stored;
    if (stored == StoredRow::Unreadable)
        m_lastError = errorText(QStringLiteral("Cannot read the file"));
    else if (stored == StoredRow::Gone)
        m_lastError = deletedElsewhereText();
    else
        m_lastError = changedElsewhereText();
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return stored;
}

bool SqliteFile::commitWrite(QString *error)
{
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    *error = errorText(QStringLiteral("Cannot write to the file"));
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

Outcome SqliteFile::create(const QString &absolute, const TableSchema &schema)
{
    const QString native = QDir::toNativeSeparators(absolute);
    if (exists(absolute)) {
        // Another process holding the file shows as a lock we cannot take.
        sqlite3 *probe = nullptr;
        bool locked = false;
        if (sqlite3_open_v2(QFile::encodeName(absolute).constData(), &probe, SQLITE_OPEN_READWRITE, nullptr)
            == SQLITE_OK) {
            locked = sqlite3_exec(probe, "BEGIN EXCLUSIVE; ROLLBACK;", nullptr, nullptr, nullptr) == SQLITE_BUSY;
        }
        sqlite3_close(probe);
        if (locked)
            return Outcome::failed(QStringLiteral("The file \"%1\" is locked by another program.").arg(native));
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
    statements
        << QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(schema.sqlTable), columns.join(QLatin1String(", ")));
    for (const IndexDef &index : schema.indexes) {
        if (index.name.isEmpty())
            continue; // the primary index is the table's own key
        QStringList parts;
        for (const QString &name : index.fields) {
            const int f = schema.fieldIndex(name);
            QString part = quoted(name);
            if (index.caseInsensitive && !TablePicture::isNumeric(schema.fields[f].type))
                part += QStringLiteral(" COLLATE NOCASE");
            if (index.descending)
                part += QStringLiteral(" DESC");
            parts << part;
        }
        statements << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                          .arg(quoted(index.name), quoted(schema.sqlTable), parts.join(QLatin1String(", ")));
    }
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                              nullptr)
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
        std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                                std::filesystem::path(absolute.toStdU16String()), renameError);
        ok = !renameError;
        if (!ok)
            reason = QString::fromStdString(renameError.message());
    }
    if (!ok) {
        QFile::remove(temporary);
        return Outcome::failed(QStringLiteral("Cannot create the file \"%1\": %2.").arg(native, reason));
    }
    return {};
}

void SqliteFile::bindStored(sqlite3_stmt *statement, int position, const QVariant &value)
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

bool SqliteFile::execute(const QString &sql, const std::vector<QVariant> &binds, QString *error, qint64 *insertedRowId)
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

bool SqliteFile::changedOneRow(QString *error)
{
    if (sqlite3_changes(m_db) == 1)
        return true;
    *error = QStringLiteral("The item was changed by another program. Nothing was saved.");
    return false;
}

bool SqliteFile::writeRow(const QString &verb, const QString &identity, qint64 id, const std::vector<QVariant> &values,
                          qint64 *newId)
{
    QStringList names, marks;
    std::vector<QVariant> binds;
    if (!identity.isEmpty()) {
        names << identity;
        marks << QStringLiteral("?");
        binds.push_back(qlonglong(id));
    }
    for (int f = 0; f < m_schema.fields.size(); ++f) {
        if (f == m_identityField)
            continue;
        names << quoted(m_schema.fields[f].name);
        marks << QStringLiteral("?");
        binds.push_back(values[f]);
    }
    const QString sql =
        QStringLiteral("%1 INTO %2 (%3) VALUES (%4)")
            .arg(verb, quoted(m_schema.sqlTable), names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    return execute(sql, binds, &m_lastError, newId);
}

bool SqliteFile::insertRow(const std::vector<QVariant> &values, qint64 *id)
{
    return writeRow(QStringLiteral("INSERT"), QString(), 0, values, id);
}

bool SqliteFile::updateRow(qint64 id, const std::vector<QVariant> &values)
{
    QStringList sets;
    std::vector<QVariant> binds;
    for (int f = 0; f < m_schema.fields.size(); ++f) {
        if (f == m_identityField)
            continue;
        sets << quoted(m_schema.fields[f].name) + QStringLiteral(" = ?");
        binds.push_back(values[f]);
    }
    binds.push_back(qlonglong(id));
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                            .arg(quoted(m_schema.sqlTable), sets.join(QLatin1String(", ")));
    if (!execute(sql, binds, &m_lastError) || !changedOneRow(&m_lastError) || !commitWrite(&m_lastError)) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

bool SqliteFile::deleteRow(qint64 id)
{
    if (!execute(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_schema.sqlTable)), {qlonglong(id)},
                 &m_lastError)
        || !changedOneRow(&m_lastError) || !commitWrite(&m_lastError)) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

bool SqliteFile::beginWrite()
{
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    m_lastError = errorText(QStringLiteral("Cannot write to the file"));
    return false;
}

SqliteFile::StoredRow SqliteFile::storedRow(qint64 id, int slot, const TablePicture &picture)
{
    const StoredRow stored = compareStoredRow(id, slot, picture);
    if (stored == StoredRow::Unreadable)
        m_lastError = errorText(QStringLiteral("Cannot read the file"));
    return stored;
}

bool SqliteFile::putRow(qint64 id, const std::vector<QVariant> &values)
{
    // The identity is written too: a row that comes back keeps its number,
    // which every reader that finds items by it relies on.
    const QString identity =
        m_identityField >= 0 ? quoted(m_schema.fields[m_identityField].name) : QStringLiteral("rowid");
    return writeRow(QStringLiteral("INSERT OR REPLACE"), identity, id, values, nullptr);
}

bool SqliteFile::removeRow(qint64 id)
{
    return execute(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_schema.sqlTable)), {qlonglong(id)},
                   &m_lastError);
}

bool SqliteFile::commitWrite()
{
    return commitWrite(&m_lastError);
}

void SqliteFile::rollbackWrite()
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}
