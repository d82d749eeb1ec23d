#include "TableFile.h"

#include "Cursor.h"
#include "LocaleFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sqlite3.h>

#include <algorithm>

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

// "YYYY-MM-DD" -> Julian day; kBlank-like false when it is not a date.
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
}

TableFile::~TableFile()
{
    if (m_db)
        sqlite3_close(m_db);
}

std::shared_ptr<TableFile> TableFile::acquire(const QString &path, const TableSchema &schema, bool readOnly, QString *error)
{
    const QString absolute = absolutePath(path);
    const QString key = absolute + (readOnly ? QStringLiteral("\n(read-only)") : QString());
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
    return QStringLiteral("%1 \"%2\": %3.").arg(what, QDir::toNativeSeparators(m_path), QString::fromUtf8(sqlite3_errmsg(m_db)));
}

bool TableFile::load(QString *error)
{
    const QString native = QDir::toNativeSeparators(m_path);
    if (!exists(m_path)) {
        *error = QStringLiteral("The file \"%1\" does not exist.").arg(native);
        return false;
    }
    const int flags = m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot open the file"));
        return false;
    }
    sqlite3_busy_timeout(m_db, 3000);
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
        *error = QStringLiteral("The file \"%1\" holds no table \"%2\".").arg(native, m_schema.sqlTable);
        return false;
    }
    for (const FieldDef &field : m_schema.fields) {
        if (!columns.contains(field.name.toLower())) {
            *error = QStringLiteral("The table in \"%1\" has no field \"%2\".").arg(native, field.name);
            return false;
        }
    }

    QStringList names;
    for (const FieldDef &field : m_schema.fields)
        names << quoted(field.name);
    const QByteArray selectSql =
        QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(names.join(QLatin1String(", ")), quoted(m_schema.sqlTable)).toUtf8();
    sqlite3_stmt *select = nullptr;
    if (sqlite3_prepare_v2(m_db, selectSql.constData(), -1, &select, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot read the file"));
        return false;
    }
    const int fieldCount = m_schema.fields.size();
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        const int slot = int(m_ids.size());
        m_ids.push_back(sqlite3_column_int64(select, 0));
        for (int f = 0; f < fieldCount; ++f) {
            Column &column = m_columns[f];
            const int col = f + 1;
            const int type = sqlite3_column_type(select, col);
            if (!column.numeric) {
                QString text;
                if (type != SQLITE_NULL) {
                    text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(select, col)),
                                             sqlite3_column_bytes(select, col));
                    if (m_schema.fields[f].type == FieldType::Text && m_schema.fields[f].size <= 50)
                        text = internText(text);
                }
                column.texts.push_back(text);
                continue;
            }
            qint64 number = kBlank;
            if (type != SQLITE_NULL) {
                const char *raw = reinterpret_cast<const char *>(sqlite3_column_text(select, col));
                const int length = sqlite3_column_bytes(select, col);
                switch (m_schema.fields[f].type) {
                case FieldType::Date:
                    if (!parseIsoDate(raw, length, &number))
                        number = kBlank;
                    break;
                case FieldType::Time:
                    if (!parseIsoTime(raw, length, &number))
                        number = kBlank;
                    break;
                case FieldType::Boolean:
                    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
                        number = sqlite3_column_int64(select, col) != 0 ? 1 : 0;
                    } else {
                        const QByteArray word = QByteArray(raw, length).trimmed().toLower();
                        number = (word == "1" || word == "true") ? 1 : (word == "0" || word == "false") ? 0 : kBlank;
                    }
                    break;
                default:
                    number = sqlite3_column_int64(select, col);
                    break;
                }
            }
            column.numbers.push_back(number);
        }
        m_slotById.emplace(m_ids[slot], slot);
    }
    sqlite3_finalize(select);
    if (rc != SQLITE_DONE) {
        *error = errorText(QStringLiteral("Cannot read the file"));
        return false;
    }
    return true;
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
        QString type = isNumeric(field.type) && field.type != FieldType::Date && field.type != FieldType::Time
                           ? QStringLiteral("INTEGER")
                           : QStringLiteral("TEXT");
        if (field.type == FieldType::AutoIncrement)
            type = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        columns << quoted(field.name) + QLatin1Char(' ') + type;
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
    if (ok && exists(absolute))
        ok = QFile::remove(absolute);
    ok = ok && QFile::rename(temporary, absolute);
    if (!ok) {
        QFile::remove(temporary);
        *error = QStringLiteral("Cannot create the file \"%1\": %2.").arg(native, message);
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

bool TableFile::isBlank(int slot, int field) const
{
    const Column &column = m_columns[field];
    return column.numeric ? column.numbers[slot] == kBlank : column.texts[slot].isNull();
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
    const int slot = slotOf(id);
    if (slot < 0 || field < 0 || field >= int(m_columns.size()))
        return {};
    if (field == m_identityField)
        return qlonglong(id);
    return cellValue(slot, field);
}

std::vector<QVariant> TableFile::row(qint64 id) const
{
    std::vector<QVariant> values(m_columns.size());
    for (int f = 0; f < int(values.size()); ++f)
        values[f] = value(id, f);
    return values;
}

bool TableFile::testHolds(int slot, const FilterExpression::Test &test) const
{
    const Column &column = m_columns[test.field];
    const bool blank = isBlank(slot, test.field);
    if (test.isNull)
        return (test.op == FilterExpression::Op::Eq) == blank;
    if (blank)
        return test.op == FilterExpression::Op::Ne;
    int order;
    if (column.numeric) {
        const qint64 number = column.numbers[slot];
        order = number < test.number ? -1 : (number > test.number ? 1 : 0);
    } else {
        order = column.texts[slot].compare(test.text);
    }
    switch (test.op) {
    case FilterExpression::Op::Eq:
        return order == 0;
    case FilterExpression::Op::Ne:
        return order != 0;
    case FilterExpression::Op::Lt:
        return order < 0;
    case FilterExpression::Op::Le:
        return order <= 0;
    case FilterExpression::Op::Gt:
        return order > 0;
    case FilterExpression::Op::Ge:
        return order >= 0;
    }
    return false;
}

bool TableFile::clauseHolds(int slot, const FilterExpression::Clause &clause) const
{
    for (const FilterExpression::Test &test : clause) {
        if (!testHolds(slot, test))
            return false;
    }
    return true;
}

int TableFile::compareInOrder(int slotA, int slotB, const IndexDef *order) const
{
    if (order) {
        for (const QString &name : order->fields) {
            const int f = m_schema.fieldIndex(name);
            if (f < 0 || f == m_identityField)
                continue;
            const bool blankA = isBlank(slotA, f), blankB = isBlank(slotB, f);
            int result = 0;
            if (blankA || blankB) {
                result = blankA == blankB ? 0 : (blankA ? -1 : 1); // blanks first
            } else if (m_columns[f].numeric) {
                const qint64 a = m_columns[f].numbers[slotA], b = m_columns[f].numbers[slotB];
                result = a < b ? -1 : (a > b ? 1 : 0);
            } else {
                result = m_columns[f].texts[slotA].compare(m_columns[f].texts[slotB],
                                                           order->caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
            }
            if (result != 0)
                return order->descending ? -result : result;
        }
    }
    const qint64 a = m_ids[slotA], b = m_ids[slotB];
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool TableFile::lessInOrder(qint64 a, qint64 b, const IndexDef *order) const
{
    const int slotA = slotOf(a), slotB = slotOf(b);
    if (slotA < 0 || slotB < 0)
        return a < b;
    return compareInOrder(slotA, slotB, order) < 0;
}

const std::vector<int> &TableFile::orderedSlots(const IndexDef *order)
{
    auto it = m_orders.find(order);
    if (it != m_orders.end())
        return it->second;
    std::vector<int> slotList;
    slotList.reserve(m_slotById.size());
    for (int slot = 0; slot < int(m_ids.size()); ++slot) {
        if (m_ids[slot] != 0)
            slotList.push_back(slot);
    }
    std::sort(slotList.begin(), slotList.end(), [this, order](int a, int b) { return compareInOrder(a, b, order) < 0; });
    return m_orders.emplace(order, std::move(slotList)).first->second;
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

void TableFile::candidatesFor(const FilterExpression::Clause &clause, std::vector<const std::vector<int> *> *lists, bool *scanAll)
{
    size_t best = std::numeric_limits<size_t>::max();
    auto bucket = [](const std::unordered_map<qint64, std::vector<int>> &buckets, qint64 key) -> const std::vector<int> * {
        const auto it = buckets.find(key);
        return it == buckets.end() ? &kNoSlots : &it->second;
    };
    for (const FilterExpression::Test &test : clause) {
        if (test.op != FilterExpression::Op::Eq || test.isNull)
            continue;
        const bool numeric = m_columns[test.field].numeric;
        const std::vector<int> *slotList = bucket(equalityIndex(test.field).buckets, numeric ? test.number : textKey(test.text));
        if (slotList->size() < best) {
            best = slotList->size();
            lists->assign(1, slotList);
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
            }
        }
    }
    *scanAll = best == std::numeric_limits<size_t>::max();
}

std::vector<qint64> TableFile::select(const FilterExpression *filter, const IndexDef *order)
{
    std::vector<qint64> ids;
    if (!filter || filter->clauses().empty()) {
        const std::vector<int> &slotList = orderedSlots(order);
        ids.reserve(slotList.size());
        for (int slot : slotList)
            ids.push_back(m_ids[slot]);
        return ids;
    }
    if (m_marks.size() < m_ids.size())
        m_marks.resize(m_ids.size(), 0);
    if (++m_markStamp == 0) {
        std::fill(m_marks.begin(), m_marks.end(), 0);
        m_markStamp = 1;
    }
    std::vector<int> passed;
    auto consider = [&](int slot, const FilterExpression::Clause &clause) {
        if (m_marks[slot] != m_markStamp && clauseHolds(slot, clause)) {
            m_marks[slot] = m_markStamp;
            passed.push_back(slot);
        }
    };
    for (const FilterExpression::Clause &clause : filter->clauses()) {
        std::vector<const std::vector<int> *> lists;
        bool scanAll = false;
        candidatesFor(clause, &lists, &scanAll);
        if (scanAll) {
            for (int slot = 0; slot < int(m_ids.size()); ++slot) {
                if (m_ids[slot] != 0)
                    consider(slot, clause);
            }
        } else {
            for (const std::vector<int> *list : lists) {
                for (int slot : *list)
                    consider(slot, clause);
            }
        }
    }
    // A large result reads faster from the cached full order than sorted anew.
    if (passed.size() * 8 > m_slotById.size()) {
        for (int slot : orderedSlots(order)) {
            if (m_marks[slot] == m_markStamp)
                ids.push_back(m_ids[slot]);
        }
        return ids;
    }
    std::sort(passed.begin(), passed.end(), [this, order](int a, int b) { return compareInOrder(a, b, order) < 0; });
    ids.reserve(passed.size());
    for (int slot : passed)
        ids.push_back(m_ids[slot]);
    return ids;
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
        const qlonglong number = isText ? text.trimmed().toLongLong(&ok) : in.toLongLong(&ok);
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
        if (field.type == FieldType::Text && values[f].isValid() && values[f].toString().size() > field.size) {
            *error = QStringLiteral("The field %1 holds at most %2 characters; the value has %3.")
                         .arg(field.name)
                         .arg(field.size)
                         .arg(values[f].toString().size());
            return false;
        }
    }
    return true;
}

bool TableFile::execute(const QString &sql, const std::vector<QVariant> &binds, QString *error, qint64 *insertedRowId)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        *error = errorText(QStringLiteral("Cannot write to the file"));
        return false;
    }
    std::vector<QByteArray> keep; // bound texts must live until the step
    keep.reserve(binds.size());
    for (int i = 0; i < int(binds.size()); ++i) {
        const QVariant &value = binds[i];
        const int position = i + 1;
        switch (value.typeId()) {
        case QMetaType::UnknownType:
            sqlite3_bind_null(statement, position);
            break;
        case QMetaType::Bool:
            sqlite3_bind_int(statement, position, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
            sqlite3_bind_int64(statement, position, value.toLongLong());
            break;
        default: {
            QString text;
            if (value.typeId() == QMetaType::QDate)
                text = value.toDate().toString(Qt::ISODate);
            else if (value.typeId() == QMetaType::QTime)
                text = value.toTime().toString(QStringLiteral("HH:mm:ss"));
            else
                text = value.toString();
            keep.push_back(text.toUtf8());
            sqlite3_bind_text(statement, position, keep.back().constData(), int(keep.back().size()), SQLITE_STATIC);
            break;
        }
        }
    }
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

void TableFile::changed()
{
    m_orders.clear();
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
    changed();
    *newId = id;
    return true;
}

bool TableFile::updateRow(qint64 id, const std::vector<QVariant> &values, QString *error)
{
    const int slot = slotOf(id);
    if (slot < 0) {
        *error = QStringLiteral("The row has been deleted.");
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
    if (!execute(sql, binds, error))
        return false;
    unindexSlot(slot);
    storeRow(slot, values);
    indexSlot(slot);
    changed();
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
    if (!execute(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_schema.sqlTable)), {qlonglong(id)}, error))
        return false;
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
    changed();
    for (Cursor *cursor : m_cursors)
        cursor->rowDeleted(id);
    return true;
}

void TableFile::attach(Cursor *cursor)
{
    m_cursors.push_back(cursor);
}

void TableFile::detach(Cursor *cursor)
{
    m_cursors.erase(std::remove(m_cursors.begin(), m_cursors.end(), cursor), m_cursors.end());
}
