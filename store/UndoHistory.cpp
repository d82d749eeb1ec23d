#include "store/UndoHistory.h"

#include <algorithm>

namespace {

template<class Rows> auto rowIn(Rows &rows, qint64 id) -> decltype(&rows.front())
{
    const auto it = std::find_if(rows.begin(), rows.end(), [id](const RowWrite &row) { return row.id == id; });
    return it == rows.end() ? nullptr : &*it;
}

} // namespace

void UndoHistory::Step::add(const RowWrite &write)
{
    RowWrite *known = rowIn(rows, write.id);
    if (!known) {
        if (write.before != write.after)
            rows.push_back(write);
        return;
    }
    known->after = write.after;
    // Back where it started: a post that changed nothing, or a row that came
    // and went within the step (a copy that was given up again).
    if (known->before == known->after)
        rows.erase(rows.begin() + (known - rows.data()));
}

std::vector<RowWrite> UndoHistory::Step::undoing() const
{
    std::vector<RowWrite> back;
    back.reserve(rows.size());
    for (const RowWrite &row : rows)
        back.push_back({row.id, row.after, row.before});
    return back;
}

bool UndoHistory::continues(const Step &top, const Step &step)
{
    if (step.gesture == 0 || top.gesture != step.gesture)
        return false;
    // Only from where the top step left a row: a write in between (another
    // program's) would otherwise be undone without its check.
    return std::all_of(step.rows.begin(), step.rows.end(), [&top](const RowWrite &row) {
        const RowWrite *known = rowIn(top.rows, row.id);
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
        for (const RowWrite &row : step.rows)
            top.add(row);
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
