#include "store/UndoHistory.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>

namespace {

using Packed = UndoHistory::Step::Packed;
using Row = UndoHistory::Step::Row;

Row *rowIn(std::vector<Row> &rows, qint64 id)
{
    const auto it = std::find_if(rows.begin(), rows.end(), [id](const Row &row) { return row.id == id; });
    return it == rows.end() ? nullptr : &*it;
}

const Row *rowIn(const std::vector<Row> &rows, qint64 id)
{
    return rowIn(const_cast<std::vector<Row> &>(rows), id);
}

Packed pack(const RowWrite::Image &image)
{
    Packed packed;
    if (!image)
        return packed;
    packed.present = true;
    QDataStream out(&packed.bytes, QIODevice::WriteOnly);
    for (const QVariant &value : *image)
        out << value;
    packed.bytes.squeeze();
    return packed;
}

RowWrite::Image unpack(const Packed &packed)
{
    if (!packed.present)
        return std::nullopt;
    std::vector<QVariant> values;
    QDataStream in(packed.bytes);
    while (!in.atEnd()) {
        QVariant value;
        in >> value;
        values.push_back(std::move(value));
    }
    return values;
}

// A later image of a row the step already holds: the row keeps its first
// image and takes the new one. Back where it started (a post that changed
// nothing, a row that came and went within the step, a copy given up
// again), it is no change at all.
void merge(std::vector<Row> &rows, Row row)
{
    Row *known = rowIn(rows, row.id);
    if (!known) {
        if (row.before != row.after)
            rows.push_back(std::move(row));
        return;
    }
    known->after = std::move(row.after);
    if (known->before == known->after)
        rows.erase(rows.begin() + (known - rows.data()));
}

} // namespace

void UndoHistory::Step::add(const RowWrite &write)
{
    merge(rows, {write.id, pack(write.before), pack(write.after)});
}

std::vector<RowWrite> UndoHistory::Step::undoing() const
{
    std::vector<RowWrite> back;
    back.reserve(rows.size());
    for (const Row &row : rows)
        back.push_back({row.id, unpack(row.after), unpack(row.before)});
    return back;
}

std::vector<RowWrite> UndoHistory::Step::redoing() const
{
    std::vector<RowWrite> again;
    again.reserve(rows.size());
    for (const Row &row : rows)
        again.push_back({row.id, unpack(row.before), unpack(row.after)});
    return again;
}

bool UndoHistory::continues(const Step &top, const Step &step)
{
    if (step.gesture == 0 || top.gesture != step.gesture)
        return false;
    // Only from where the top step left a row: a write in between (another
    // program's) would otherwise be undone without its check.
    return std::all_of(step.rows.begin(), step.rows.end(), [&top](const Row &row) {
        const Row *known = rowIn(top.rows, row.id);
        return !known || known->after == row.before;
    });
}

void UndoHistory::push(std::vector<Step> &side, Step step)
{
    side.push_back(std::move(step));
    if (int(side.size()) > stepLimit)
        side.erase(side.begin());
}

void UndoHistory::add(Step step)
{
    if (step.isEmpty())
        return;
    m_redo.clear();
    if (!m_undo.empty() && continues(m_undo.back(), step)) {
        Step &top = m_undo.back();
        for (Row &row : step.rows)
            merge(top.rows, std::move(row));
        top.name = step.name;
        if (top.isEmpty())
            m_undo.pop_back();
        return;
    }
    push(m_undo, std::move(step));
}

void UndoHistory::undone()
{
    push(m_redo, std::move(m_undo.back()));
    m_undo.pop_back();
}

void UndoHistory::redone()
{
    push(m_undo, std::move(m_redo.back()));
    m_redo.pop_back();
}
