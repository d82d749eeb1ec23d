#include "store/Cursor.h"

#include "store/FilterExpression.h"
#include "store/LocaleFormats.h"
#include "store/TableFile.h"

#include <QDir>
#include <QtGlobal>

#include <algorithm>

Cursor::Cursor(QString name)
    : m_name(std::move(name))
{ }

Cursor::~Cursor()
{
    // Whoever would hear of a failed post may be gone already; an owner that
    // wants to hear it closes the cursor first.
    m_postFailure = nullptr;
    close();
}

void Cursor::setTableFile(const QString &directory, const QString &fileName, const TableSchema &schema)
{
    Q_ASSERT_X(!isOpen(), "Cursor::setTableFile", "the cursor must be closed");
    m_directory = directory;
    m_fileName = fileName;
    m_schema = &schema;
}

QString Cursor::filePath() const
{
    return QDir(m_directory).filePath(m_fileName);
}

bool Cursor::fail(const QString &message)
{
    m_lastError = message;
    return false;
}

bool Cursor::open()
{
    if (isOpen())
        return true;
    if (!m_schema)
        return fail(QStringLiteral("No table has been set for %1.").arg(m_name));
    TableFile::Acquired acquired = TableFile::acquire(filePath(), *m_schema, m_readOnly);
    if (!acquired)
        return fail(acquired.error());
    m_table = std::move(acquired).value();
    m_table->attach(this);
    m_state = State::Browse;
    m_lastError.clear();
    rebuildRows(0);
    return true;
}

void Cursor::close()
{
    if (!m_table)
        return;
    // A pending edit is saved, never dropped; a post that fails is reported
    // before the cursor lets go of it.
    if (inEdit() && !postPending())
        cancel();
    m_table->detach(this);
    m_table.reset();
    m_rows.reset();
    m_carried.reset();
    m_pos = 0;
    m_slot = -1;
    m_state = State::Browse;
    m_buffer.clear();
    m_changed.clear();
}

void Cursor::setIndexName(const QString &name)
{
    m_indexName = name.compare(QLatin1String("primary"), Qt::CaseInsensitive) == 0 ? QString() : name;
    if (isOpen())
        rebuildRows(currentId());
}

bool Cursor::setFilter(const QString &text)
{
    if (!m_schema)
        return fail(QStringLiteral("No table has been set for %1.").arg(m_name));
    FilterExpression::Parsed parsed = FilterExpression::parse(text, *m_schema);
    if (!parsed)
        return fail(parsed.error());
    m_filterText = text;
    m_filterExpr = std::move(parsed).value();
    if (isOpen() && m_filtered)
        rebuildRows(0);
    return true;
}

void Cursor::setFiltered(bool on)
{
    if (m_filtered == on)
        return;
    m_filtered = on;
    if (isOpen())
        rebuildRows(0);
}

void Cursor::rebuildRows(qint64 keepId)
{
    if (!postPending())
        return;
    reselectRows(keepId);
}

void Cursor::reselectRows(qint64 keepId)
{
    const IndexDef *order = m_schema->index(m_indexName);
    m_rows = m_table->select(m_filtered ? m_filterExpr.get() : nullptr, order, &m_carried);
    m_pos = 0;
    if (keepId != 0) {
        const auto it =
            std::find_if(m_rows->begin(), m_rows->end(), [keepId](const RowRef &row) { return row.id == keepId; });
        if (it != m_rows->end())
            m_pos = int(it - m_rows->begin());
    }
    findCurrentSlot();
}

bool Cursor::postPending()
{
    if (!inEdit() || post())
        return true;
    if (m_postFailure)
        m_postFailure(m_lastError);
    // A post refused because another program changed the row has dropped
    // the edit (and said so); the cursor may move on.
    return !inEdit();
}

void Cursor::first()
{
    if (!postPending())
        return;
    m_pos = 0;
    findCurrentSlot();
}

void Cursor::next()
{
    if (!postPending())
        return;
    if (m_pos < rowCount())
        ++m_pos;
    findCurrentSlot();
}

bool Cursor::eof() const
{
    return m_pos >= rowCount();
}

int Cursor::recordCount() const
{
    return rowCount();
}

void Cursor::refresh()
{
    if (!isOpen() || !postPending())
        return;
    // Another program may have written the file; re-reading it costs
    // something only when it did.
    if (m_table->syncWithFile()) {
        announce();
        return; // every cursor on the file has re-read its rows
    }
    rebuildRows(currentId());
}

bool Cursor::noticeOutsideChanges()
{
    if (!isOpen() || !m_table->syncWithFile())
        return false;
    announce();
    return true;
}

void Cursor::announce()
{
    // A hook may close this cursor; the table stays until its announcement ends.
    if (const std::shared_ptr<TableFile> table = m_table)
        table->announceChanges();
}

int Cursor::fieldIndex(const QString &field) const
{
    const int index = m_schema ? m_schema->fieldIndex(field) : -1;
    Q_ASSERT_X(index >= 0, "Cursor", qPrintable(QStringLiteral("unknown field %1").arg(field)));
    return index;
}

bool Cursor::locate(const QString &field, const QVariant &wanted)
{
    if (!isOpen())
        return false;
    const int f = fieldIndex(field);
    QVariant value;
    if (f < 0 || !TableFile::coerce(m_schema->fields[f], wanted, &value) || !value.isValid())
        return false;
    // Saving a pending insert adds a row to this cursor's rows: save first,
    // then look.
    if (!postPending())
        return false;
    for (int pos = 0; pos < rowCount(); ++pos) {
        if (m_table->value(idAt(pos), f) == value) {
            m_pos = pos;
            findCurrentSlot();
            return true;
        }
    }
    return false;
}

qint64 Cursor::currentId() const
{
    if (!isOpen() || m_state == State::Insert)
        return 0;
    if (m_state == State::Edit)
        return m_editId;
    return idAt(m_pos);
}

void Cursor::insert()
{
    if (!isOpen())
        return;
    // An edit that cannot be saved has been reported; the new row must not
    // be written into its buffer.
    if (!postPending())
        cancel();
    m_buffer.assign(m_schema->fields.size(), QVariant());
    m_changed.assign(m_schema->fields.size(), false);
    m_bufferError.clear();
    m_state = State::Insert;
}

bool Cursor::edit()
{
    if (!isOpen())
        return fail(QStringLiteral("The table is not open."));
    if (inEdit())
        return true;
    const qint64 id = currentId();
    if (id == 0 || !m_table->contains(id))
        return fail(QStringLiteral("There is no current row to edit."));
    m_buffer = m_table->row(id);
    m_changed.assign(m_buffer.size(), false);
    m_bufferError.clear();
    m_staleEdit.clear();
    m_editId = id;
    m_state = State::Edit;
    return true;
}

bool Cursor::post()
{
    if (!isOpen())
        return fail(QStringLiteral("The table is not open."));
    if (m_state == State::Browse)
        return true;
    if (!m_bufferError.isEmpty())
        return fail(m_bufferError);
    if (m_state == State::Edit && !m_staleEdit.isEmpty()) {
        // Another program changed the row after the edit began: the values
        // in the buffer would put the old ones back over its change.
        const QString why = m_staleEdit;
        cancel();
        return fail(why);
    }
    if (m_state == State::Insert) {
        qint64 id = 0;
        if (!m_table->insertRow(m_buffer, &id))
            return fail(m_table->lastError());
        // The new row becomes current, at its place in this cursor's order.
        const IndexDef *order = m_schema->index(m_indexName);
        RowList &rows = ownRows();
        const auto at = std::lower_bound(rows.begin(), rows.end(), id, [this, order](const RowRef &a, qint64 b) {
            return m_table->lessInOrder(a.id, b, order);
        });
        m_pos = int(at - rows.begin());
        rows.insert(at, RowRef {id, m_table->slotOf(id)});
        findCurrentSlot();
    } else {
        // The row being edited, wherever the cursor's rows have moved since.
        if (!m_table->updateRow(m_editId, m_buffer)) {
            // The edit was made on what the row no longer is: posting it
            // again would put the old values back over the other change.
            const QString error = m_table->lastError();
            if (m_table->lastWriteConflicted())
                cancel();
            fail(error);
            announce(); // the file was read anew
            return false;
        }
        findCurrentSlot();
    }
    m_state = State::Browse;
    m_editId = 0;
    m_buffer.clear();
    m_changed.clear();
    m_bufferError.clear();
    m_lastError.clear();
    announce();
    if (m_afterPost)
        m_afterPost();
    return true;
}

void Cursor::cancel()
{
    m_staleEdit.clear();
    m_editId = 0;
    m_state = State::Browse;
    m_buffer.clear();
    m_changed.clear();
    m_bufferError.clear();
}

bool Cursor::postBesideEdit(const std::vector<std::pair<QString, QVariant>> &values)
{
    if (!isOpen())
        return fail(QStringLiteral("The table is not open."));
    if (m_state == State::Insert)
        return fail(QStringLiteral("The row is not yet posted."));
    const qint64 id = currentId();
    if (id == 0 || !m_table->contains(id))
        return fail(QStringLiteral("There is no current row to edit."));
    std::vector<QVariant> stored = m_table->row(id);
    std::vector<std::pair<int, QVariant>> written;
    for (const auto &[field, value] : values) {
        const int f = fieldIndex(field);
        if (f < 0)
            return fail(QStringLiteral("Unknown field %1.").arg(field));
        QVariant coerced;
        if (!TableFile::coerce(m_schema->fields[f], value, &coerced))
            return fail(QStringLiteral("'%1' is not a valid value for the field %2.").arg(value.toString(), field));
        stored[f] = coerced;
        written.emplace_back(f, coerced);
    }
    if (!m_table->updateRow(id, stored)) {
        fail(m_table->lastError());
        announce(); // a conflict has read the file anew
        return false;
    }
    if (m_state == State::Edit) {
        for (const auto &[f, value] : written) {
            if (!m_changed[f])
                m_buffer[f] = value;
        }
    }
    m_lastError.clear();
    announce();
    if (m_afterPost)
        m_afterPost();
    return true;
}

bool Cursor::deleteRow()
{
    if (!isOpen())
        return fail(QStringLiteral("The table is not open."));
    if (m_state == State::Insert) {
        cancel();
        return true;
    }
    cancel();
    const qint64 id = currentId();
    if (id == 0)
        return fail(QStringLiteral("There is no current row to delete."));
    const bool deleted = m_table->deleteRow(id);
    if (!deleted)
        fail(m_table->lastError());
    announce();
    return deleted;
}

bool Cursor::rewriteRows(const std::vector<RowWrite> &rows)
{
    m_lastWriteConflicted = false;
    if (!isOpen())
        return fail(QStringLiteral("The table is not open."));
    const bool written = m_table->rewriteRows(rows);
    if (!written) {
        m_lastWriteConflicted = m_table->lastWriteConflicted();
        fail(m_table->lastError());
    }
    announce(); // the rows, or a re-read of the file
    return written;
}

RowWrite::Image Cursor::rowImage(qint64 id) const
{
    if (!isOpen() || !m_table->contains(id))
        return std::nullopt;
    return m_table->row(id);
}

void Cursor::tableReloaded()
{
    // Rows may have come, gone or moved; an edit in progress stays as it is
    // (its post checks the row again).
    reselectRows(m_state == State::Edit ? m_editId : currentId());
}

RowList &Cursor::ownRows()
{
    m_carried.reset(); // the caller changes the rows
    if (!m_rows)
        m_rows = std::make_shared<RowList>();
    else if (m_rows.use_count() > 1)
        m_rows = std::make_shared<RowList>(*m_rows);
    return *m_rows;
}

void Cursor::rowDeleted(qint64 id, std::unordered_map<const RowList *, int> &erasedAt)
{
    if (!m_rows)
        return;
    m_carried.reset();
    // A list shared with other cursors loses the row once, by whoever comes first.
    auto known = erasedAt.find(m_rows.get());
    int pos;
    if (known != erasedAt.end()) {
        pos = known->second;
    } else {
        const auto it = std::find_if(m_rows->begin(), m_rows->end(), [id](const RowRef &row) { return row.id == id; });
        pos = it == m_rows->end() ? -1 : int(it - m_rows->begin());
        if (it != m_rows->end())
            m_rows->erase(it);
        erasedAt[m_rows.get()] = pos;
    }
    if (m_state == State::Edit && id == m_editId)
        cancel();
    if (pos < 0)
        return;
    if (pos < m_pos)
        --m_pos;
    findCurrentSlot();
}

QVariant Cursor::valueOf(int f) const
{
    if (f < 0 || !isOpen())
        return {};
    if (inEdit())
        return m_buffer[f];
    return m_table->valueAt(m_slot, f);
}

// The typed reads below go straight to the column where the field has the
// type asked for, and through the QVariant otherwise; both give the same.
bool Cursor::isBlank(Field field) const
{
    const int f = field.index;
    if (f >= 0 && m_slot >= 0 && m_state == State::Browse) {
        const FieldType type = m_schema->fields[f].type;
        return type == FieldType::Text || type == FieldType::Memo ? m_table->textAt(m_slot, f).isNull()
                                                                  : m_table->numberAt(m_slot, f) == TableFile::kBlank;
    }
    return !valueOf(f).isValid();
}

bool Cursor::asBool(Field field) const
{
    const int f = field.index;
    if (readsStored(f, FieldType::Boolean)) {
        const qint64 number = m_table->numberAt(m_slot, f);
        return number != TableFile::kBlank && number != 0;
    }
    return valueOf(f).toBool();
}

int Cursor::asInt(Field field) const
{
    const int f = field.index;
    if (readsStored(f, FieldType::Integer) || readsStored(f, FieldType::AutoIncrement)) {
        const qint64 number = m_table->numberAt(m_slot, f);
        return number == TableFile::kBlank ? 0 : int(number);
    }
    return valueOf(f).toInt();
}

QDate Cursor::asDate(Field field) const
{
    const int f = field.index;
    if (readsStored(f, FieldType::Date)) {
        const qint64 number = m_table->numberAt(m_slot, f);
        return number == TableFile::kBlank ? QDate() : QDate::fromJulianDay(number);
    }
    return valueOf(f).toDate();
}

QTime Cursor::asTime(Field field) const
{
    const int f = field.index;
    if (readsStored(f, FieldType::Time)) {
        const qint64 number = m_table->numberAt(m_slot, f);
        return number == TableFile::kBlank ? QTime() : QTime::fromMSecsSinceStartOfDay(int(number));
    }
    return valueOf(f).toTime();
}

QString Cursor::asText(Field field) const
{
    const int f = field.index;
    if (readsStored(f, FieldType::Text) || readsStored(f, FieldType::Memo))
        return m_table->textAt(m_slot, f);
    const QVariant v = valueOf(f);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::QDate:
        return LocaleFormats::formatDate(v.toDate());
    case QMetaType::QTime:
        return LocaleFormats::formatTime(v.toTime());
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

QStringView Cursor::textView(Field field) const
{
    const int f = field.index;
    if (readsStored(f, FieldType::Text) || readsStored(f, FieldType::Memo))
        return m_table->textAt(m_slot, f);
    Q_ASSERT_X(f < 0 || m_schema->fields[f].type == FieldType::Text || m_schema->fields[f].type == FieldType::Memo,
               "Cursor::textView", "not a text field");
    // In edit the buffer holds the text as a QString inside its QVariant.
    if (f >= 0 && inEdit() && m_buffer[f].typeId() == QMetaType::QString)
        return *static_cast<const QString *>(m_buffer[f].constData());
    return {};
}

void Cursor::readNumbers(const Field *fields, int count, qint64 *numbers) const
{
    constexpr int kMostAtOnce = 64;
    if (m_slot >= 0 && m_state == State::Browse && count <= kMostAtOnce
        && std::all_of(fields, fields + count, [](Field field) { return field.index >= 0; })) {
        int indexes[kMostAtOnce];
        std::transform(fields, fields + count, indexes, [](Field field) { return field.index; });
        m_table->numbersAt(m_slot, indexes, count, numbers);
        return;
    }
    // In edit the buffer holds the values.
    for (int i = 0; i < count; ++i) {
        const int f = fields[i].index;
        numbers[i] = f < 0 ? kBlankNumber : TablePicture::storedNumber(m_schema->fields[f].type, valueOf(f));
    }
}

int Cursor::readRows(int from, int count, const RowBlock &block) const
{
    constexpr int kMost = CarriedFields::kMostFields;
    Q_ASSERT_X(block.numberCount <= kMost && block.textCount <= kMost, "Cursor::readRows", "too many fields");
    if (!isOpen() || inEdit() || from < 0 || count <= 0 || from >= rowCount() || block.numberCount > kMost
        || block.textCount > kMost)
        return 0;
    count = std::min(count, rowCount() - from);
    int numberFields[kMost], textFields[kMost];
    std::transform(block.numberFields, block.numberFields + block.numberCount, numberFields,
                   [](Field field) { return field.index; });
    std::transform(block.textFields, block.textFields + block.textCount, textFields,
                   [](Field field) { return field.index; });
    const CarriedFields::Read read {numberFields, block.numberCount, textFields, block.textCount,
                                    block.ids,    block.numbers,     block.texts};
    m_table->readRows(*m_rows, m_carried.get(), from, count, read);
    return count;
}

void Cursor::setValue(const QString &field, const QVariant &value)
{
    Q_ASSERT_X(inEdit(), "Cursor::setValue", "the cursor is not in edit or insert state");
    const int f = fieldIndex(field);
    if (f < 0 || !inEdit())
        return;
    QVariant coerced;
    if (!TableFile::coerce(m_schema->fields[f], value, &coerced)) {
        m_bufferError = QStringLiteral("'%1' is not a valid value for the field %2.").arg(value.toString(), field);
        m_lastError = m_bufferError;
        return;
    }
    m_buffer[f] = coerced;
    m_changed[f] = true;
}

bool Cursor::setText(const QString &field, const QString &text)
{
    const int f = fieldIndex(field);
    if (f < 0)
        return fail(QStringLiteral("Unknown field %1.").arg(field));
    if (!inEdit())
        return fail(QStringLiteral("The row is not being edited."));
    QVariant coerced;
    if (!TableFile::coerce(m_schema->fields[f], text, &coerced))
        return fail(QStringLiteral("'%1' is not a valid value for the field %2.").arg(text, field));
    m_buffer[f] = coerced;
    m_changed[f] = true;
    return true;
}
