#include "store/TableFile.h"

#include "store/Cursor.h"
#include "store/LocaleFormats.h"

#include <QDir>
#include <QFileInfo>

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
    : m_path(std::move(path))
    , m_schema(schema)
    , m_readOnly(readOnly)
    , m_picture(schema)
    , m_indexes(schema, m_picture)
    , m_query(schema, m_picture, m_indexes)
    , m_file(m_path, schema, readOnly)
{ }

TableFile::~TableFile() = default;

TableFile::Acquired TableFile::acquire(const QString &path, const TableSchema &schema, bool readOnly)
{
    const QString absolute = absolutePath(path);
    const QString key = absolute + (readOnly ? QStringLiteral("\n(read-only)") : QString());
    // A picture holds the columns of the table it was opened for: a cursor
    // that expects another table (a folder naming "folderslist.db" as its
    // calendar) must never read or write it.
    for (const auto &[otherKey, other] : registry()) {
        const auto file = other.lock();
        if (file && file->m_path == absolute && &file->m_schema != &schema)
            return Acquired::failed(SqliteFile::notThisKind(absolute, schema));
    }
    if (auto existing = registry()[key].lock())
        return existing;
    std::shared_ptr<TableFile> file(new TableFile(absolute, schema, readOnly));
    if (!file->load()) {
        registry().erase(key);
        return Acquired::failed(file->m_file.lastError());
    }
    registry()[key] = file;
    return file;
}

bool TableFile::exists(const QString &path)
{
    return SqliteFile::exists(path);
}

bool TableFile::isOpenHere(const QString &path)
{
    const QString absolute = absolutePath(path);
    for (const auto &[key, file] : registry()) {
        if (!file.expired() && key.startsWith(absolute)
            && (key.size() == absolute.size() || key[absolute.size()] == QLatin1Char('\n')))
            return true;
    }
    return false;
}

bool TableFile::load()
{
    return m_file.open() && m_file.readPicture(m_picture);
}

bool TableFile::syncWithFile()
{
    if (!m_file.changedSinceRead())
        return false;
    reload();
    return true;
}

bool TableFile::reload()
{
    // An edit in progress began on the row as it was: when the re-read
    // shows it changed or gone, its post must not write over that.
    std::vector<std::pair<Cursor *, std::vector<QVariant>>> edits;
    for (Cursor *cursor : m_cursors) {
        if (cursor->m_state == Cursor::State::Edit)
            edits.emplace_back(cursor, row(cursor->m_editId));
    }
    const std::unordered_map<qint64, size_t> before = rowFingerprints();
    m_picture.clear();
    m_indexes.clear();
    m_query.clear();
    const bool read = m_file.readPicture(m_picture);
    if (!read) {
        // What was half read is no picture of the file: show none.
        m_picture.clear();
    }
    for (const auto &[cursor, before] : edits) {
        if (!contains(cursor->m_editId))
            cursor->m_staleEdit = SqliteFile::deletedElsewhereText();
        else if (row(cursor->m_editId) != before)
            cursor->m_staleEdit = SqliteFile::changedElsewhereText();
    }
    for (Cursor *cursor : m_cursors)
        cursor->tableReloaded();
    if (!read) {
        m_reloadedUnannounced = true;
        return false;
    }
    // The rows that came, went or changed: listeners refresh only what shows them.
    std::unordered_map<qint64, size_t> after = rowFingerprints();
    for (const auto &[id, print] : before) {
        const auto now = after.find(id);
        if (now == after.end() || now->second != print)
            noteChanged(id);
        if (now != after.end())
            after.erase(now);
    }
    for (const auto &[id, print] : after)
        noteChanged(id);
    return true;
}

size_t TableFile::fingerprint(int slot) const
{
    size_t seed = 0;
    for (int f = 0; f < m_picture.fieldCount(); ++f) {
        seed = m_picture.column(f).numeric
            ? qHashMulti(seed, m_picture.numberAt(slot, f))
            : qHashMulti(seed, m_picture.textAt(slot, f), m_picture.textAt(slot, f).isNull());
    }
    return seed;
}

std::unordered_map<qint64, size_t> TableFile::rowFingerprints() const
{
    std::unordered_map<qint64, size_t> prints;
    prints.reserve(m_picture.rowCount());
    const std::vector<qint64> &ids = m_picture.ids();
    for (int slot = 0; slot < m_picture.slotCount(); ++slot) {
        if (m_picture.slotOf(ids[slot]) == slot)
            prints.emplace(ids[slot], fingerprint(slot));
    }
    return prints;
}

void TableFile::announceChanges()
{
    // A listener that writes adds to what is noted; the loop below hands
    // that on too, instead of announcing from inside another announcement.
    if (m_announcing)
        return;
    m_announcing = true;
    while (m_reloadedUnannounced || !m_changedIds.empty()) {
        TableChange change;
        change.wholeFile = m_reloadedUnannounced;
        if (!change.wholeFile) {
            std::sort(m_changedIds.begin(), m_changedIds.end());
            m_changedIds.erase(std::unique(m_changedIds.begin(), m_changedIds.end()), m_changedIds.end());
            change.ids = std::move(m_changedIds);
        }
        m_changedIds.clear();
        m_reloadedUnannounced = false;
        const std::vector<Cursor *> cursors = m_cursors; // a hook may close a cursor
        for (Cursor *cursor : cursors) {
            if (cursor->m_changeHook && std::find(m_cursors.begin(), m_cursors.end(), cursor) != m_cursors.end())
                cursor->m_changeHook(change);
        }
    }
    m_announcing = false;
}

bool TableFile::beginCheckedWrite(qint64 id, int slot, bool *gone)
{
    using StoredRow = SqliteFile::StoredRow;
    const StoredRow stored = m_file.beginCheckedWrite(id, slot, m_picture);
    if (stored == StoredRow::AsSeen)
        return true;
    m_lastError = m_file.lastError();
    if (stored == StoredRow::NotBegun)
        return false;
    if (gone)
        *gone = stored == StoredRow::Gone;
    m_lastWriteConflicted = stored != StoredRow::Unreadable;
    // Show the file as it is now, so that the next edit starts from there.
    if (stored != StoredRow::Unreadable)
        reload();
    return false;
}

Outcome TableFile::create(const QString &path, const TableSchema &schema)
{
    const QString absolute = absolutePath(path);
    const QString native = QDir::toNativeSeparators(absolute);
    if (isOpenHere(absolute))
        return Outcome::failed(QStringLiteral("The file \"%1\" is open.").arg(native));
    return SqliteFile::create(absolute, schema);
}

// --- reading ------------------------------------------------------------

int TableFile::slotOf(qint64 id) const
{
    return m_picture.slotOf(id);
}

QVariant TableFile::value(qint64 id, int field) const
{
    return valueAt(slotOf(id), field);
}

QVariant TableFile::valueAt(int slot, int field) const
{
    return m_picture.valueAt(slot, field);
}

std::vector<QVariant> TableFile::row(qint64 id) const
{
    std::vector<QVariant> values(m_picture.fieldCount());
    for (int f = 0; f < int(values.size()); ++f)
        values[f] = value(id, f);
    return values;
}

bool TableFile::lessInOrder(qint64 a, qint64 b, const IndexDef *order) const
{
    const int slotA = slotOf(a), slotB = slotOf(b);
    if (slotA < 0 || slotB < 0)
        return a < b;
    return m_indexes.compareInOrder(slotA, slotB, order) < 0;
}

std::shared_ptr<TableFile::RowList> TableFile::select(const FilterExpression *filter, const IndexDef *order,
                                                      std::shared_ptr<const CarriedRows> *carried)
{
    return m_query.select(filter, order, carried);
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
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                || (&c == digits.cbegin() && (c == QLatin1Char('-') || c == QLatin1Char('+')));
        });
        const qlonglong number = isText ? (decimal ? digits.toLongLong(&ok) : 0) : in.toLongLong(&ok);
        if (!ok
            || (field.type == FieldType::Integer
                && (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())))
            return false;
        *out = field.type == FieldType::Integer ? QVariant(int(number)) : QVariant(number);
        return true;
    }
    }
    return false;
}

bool TableFile::validate(const std::vector<QVariant> &values)
{
    if (m_readOnly) {
        m_lastError = QStringLiteral("The file \"%1\" is open for reading only.").arg(QDir::toNativeSeparators(m_path));
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
                m_lastError = QStringLiteral("The field %1 holds at most %2 characters; the value has %3.")
                                  .arg(field.name, QString::number(field.size), QString::number(characters));
                return false;
            }
        }
        // The stored form "YYYY-MM-DD" has room for years 1 to 9999 only.
        if (field.type == FieldType::Date) {
            const int year = values[f].toDate().year();
            if (year < 1 || year > 9999) {
                m_lastError = QStringLiteral("The field %1 holds a date outside the years 1 to 9999.").arg(field.name);
                return false;
            }
        }
    }
    return true;
}

bool TableFile::insertRow(std::vector<QVariant> &values, qint64 *newId)
{
    m_lastError.clear();
    m_lastWriteConflicted = false;
    if (!validate(values))
        return false;
    qint64 id = 0;
    if (!m_file.insertRow(values, &id)) {
        m_lastError = m_file.lastError();
        return false;
    }

    const int slot = m_picture.takeSlot(id);
    if (m_picture.identityField() >= 0)
        values[m_picture.identityField()] = qlonglong(id);
    m_picture.storeRow(slot, values);
    m_query.forgetSharedLists();
    m_indexes.indexSlot(slot);
    noteChanged(id);
    *newId = id;
    tellWrite(id, std::nullopt);
    return true;
}

bool TableFile::updateRow(qint64 id, const std::vector<QVariant> &values)
{
    m_lastError.clear();
    m_lastWriteConflicted = false;
    const int slot = slotOf(id);
    if (slot < 0) {
        m_lastError = QStringLiteral("The row has been deleted.");
        m_lastWriteConflicted = true;
        return false;
    }
    if (!validate(values))
        return false;
    // Another program may have changed or deleted the row since it was
    // read: the post writes only over the row as this store last saw it.
    if (!beginCheckedWrite(id, slot))
        return false;
    const RowWrite::Image before = hasWriteHooks() ? imageOf(id) : std::nullopt;
    if (!m_file.updateRow(id, values)) {
        m_lastError = m_file.lastError();
        return false;
    }
    m_indexes.unindexSlot(slot);
    m_picture.storeRow(slot, values);
    m_query.forgetSharedLists();
    m_indexes.indexSlot(slot);
    noteChanged(id);
    tellWrite(id, before);
    return true;
}

bool TableFile::deleteRow(qint64 id)
{
    m_lastError.clear();
    m_lastWriteConflicted = false;
    const int slot = slotOf(id);
    if (slot < 0)
        return true; // already gone
    if (m_readOnly) {
        std::vector<QVariant> none(m_picture.fieldCount());
        return validate(none);
    }
    bool gone = false;
    if (!beginCheckedWrite(id, slot, &gone))
        return gone; // deleted already, as wanted; the picture has been re-read
    const RowWrite::Image before = hasWriteHooks() ? imageOf(id) : std::nullopt;
    if (!m_file.deleteRow(id)) {
        m_lastError = m_file.lastError();
        return false;
    }
    m_indexes.unindexSlot(slot);
    m_picture.freeSlot(slot);
    noteChanged(id);
    ErasedAt erasedAt = m_query.eraseFromSharedLists(id);
    for (Cursor *cursor : m_cursors)
        cursor->rowDeleted(id, erasedAt);
    tellWrite(id, before);
    return true;
}

// --- writes heard, and put back -----------------------------------------

bool TableFile::hasWriteHooks() const
{
    return std::any_of(m_cursors.begin(), m_cursors.end(), [](const Cursor *c) { return bool(c->m_writeHook); });
}

RowWrite::Image TableFile::imageOf(qint64 id) const
{
    if (!contains(id))
        return std::nullopt;
    return row(id);
}

void TableFile::tellWrite(qint64 id, RowWrite::Image before)
{
    if (!hasWriteHooks())
        return;
    const RowWrite write {id, std::move(before), imageOf(id)};
    const std::vector<Cursor *> cursors = m_cursors;
    for (Cursor *cursor : cursors) {
        if (cursor->m_writeHook)
            cursor->m_writeHook(write);
    }
}

bool TableFile::rewriteConflict(const QString &message)
{
    m_lastError = message;
    m_lastWriteConflicted = true;
    return false;
}

bool TableFile::rewriteRows(const std::vector<RowWrite> &rows)
{
    m_lastError.clear();
    m_lastWriteConflicted = false;
    if (m_readOnly) {
        std::vector<QVariant> none(m_picture.fieldCount());
        return validate(none);
    }
    // What another program wrote and the timer has not yet noticed counts
    // as well: the rows are compared with the file as it is now.
    syncWithFile();
    for (const RowWrite &write : rows) {
        if (imageOf(write.id) != write.before)
            return rewriteConflict(write.before && !contains(write.id) ? SqliteFile::deletedElsewhereText()
                                                                       : SqliteFile::changedElsewhereText());
    }
    if (!m_file.beginWrite()) {
        m_lastError = m_file.lastError();
        return false;
    }
    // Another connection may have committed between the re-read above and
    // the lock the transaction holds now.
    for (const RowWrite &write : rows) {
        using StoredRow = SqliteFile::StoredRow;
        const StoredRow stored = m_file.storedRow(write.id, slotOf(write.id), m_picture);
        const StoredRow expected = write.before ? StoredRow::AsSeen : StoredRow::Gone;
        if (stored == expected)
            continue;
        m_file.rollbackWrite();
        if (stored == StoredRow::Unreadable) {
            m_lastError = m_file.lastError();
            return false;
        }
        reload();
        return rewriteConflict(SqliteFile::changedElsewhereText());
    }
    for (const RowWrite &write : rows) {
        const bool written = write.after ? m_file.putRow(write.id, *write.after) : m_file.removeRow(write.id);
        if (!written) {
            m_lastError = m_file.lastError();
            m_file.rollbackWrite();
            return false;
        }
    }
    if (!m_file.commitWrite()) {
        m_lastError = m_file.lastError();
        return false;
    }
    for (const RowWrite &write : rows)
        showRewritten(write);
    return true;
}

void TableFile::showRewritten(const RowWrite &write)
{
    const qint64 id = write.id;
    int slot = slotOf(id);
    noteChanged(id);
    if (!write.after) {
        if (slot < 0)
            return;
        m_indexes.unindexSlot(slot);
        m_picture.freeSlot(slot);
        ErasedAt erasedAt = m_query.eraseFromSharedLists(id);
        for (Cursor *cursor : m_cursors)
            cursor->rowDeleted(id, erasedAt);
        return;
    }
    if (slot >= 0) {
        m_indexes.unindexSlot(slot);
        // An edit begun on the row began on what it no longer is.
        for (Cursor *cursor : m_cursors) {
            if (cursor->m_state == Cursor::State::Edit && cursor->m_editId == id)
                cursor->m_staleEdit = SqliteFile::changedElsewhereText();
        }
    } else {
        slot = m_picture.takeSlot(id);
    }
    m_picture.storeRow(slot, *write.after);
    m_query.forgetSharedLists();
    m_indexes.indexSlot(slot);
}

void TableFile::attach(Cursor *cursor)
{
    m_cursors.push_back(cursor);
}

void TableFile::detach(Cursor *cursor)
{
    m_cursors.erase(std::remove(m_cursors.begin(), m_cursors.end(), cursor), m_cursors.end());
}
