#include "views/DayLayout.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "views/DayGeometry.h"
#include "views/OccurrenceRules.h"

using namespace DayGeometry;

namespace {

using ItemField::No;

qint64 itemNo(const Cursor &row)
{
    return row.value(No).toLongLong();
}

// Top and unreplaced height (B - T) of an item's block.
QPair<int, int> rawExtent(const Cursor &row)
{
    const QTime start = row.asTime(ItemField::St);
    const QTime end = row.asTime(ItemField::Et);
    const int top = blockTop(start);
    if (!end.isValid())
        return {top, 0};
    return {top, blockBottom(end) - top};
}

} // namespace

DayLayout::DayLayout(Cursor &slotCursor, Cursor &runningCursor)
    : m_slot(slotCursor)
    , m_running(runningCursor)
{
    static_assert(std::tuple_size_v<decltype(m_starting)> == rowCount, "one count per slot");
}

QRect DayLayout::verticalExtent(const Cursor &row)
{
    const auto [top, height] = rawExtent(row);
    // An end before the start (written by another tool) is drawn like a
    // zero-length item rather than upside down.
    return QRect(0, top, 0, height > 0 ? height : rowHeight);
}

int DayLayout::runningRightEdge(const QDate &d, int slot, const Blocks &blocks)
{
    // The right edge of the chain of blocks still running at the slot's
    // start, taken in start order.
    OccurrenceRules::runningAtSlot(m_running, d, slot);
    int right = 0;
    for (m_running.first(); !m_running.eof(); m_running.next()) {
        const QRect geometry = blocks.geometryOf(itemNo(m_running));
        if (geometry.isNull())
            continue; // a row without a block takes no room
        if (geometry.x() >= right)
            right = geometry.x() + geometry.width();
    }
    return right;
}

void DayLayout::countStarts(const QDate &d)
{
    // The look-ahead of a slot's items is the busiest of the later slots
    // they cover; those rows are exactly the items starting in each slot.
    // One pass over the day's starts counts them all: a start belongs to
    // the slot whose first 29 minutes (inclusive) hold it, as in the
    // slot-start rule, so a start in a half hour's last minute counts for
    // no slot.
    constexpr int slotMs = 30 * 60 * 1000;
    constexpr int lastStartMs = 29 * 60 * 1000;
    m_starting.fill(0);
    OccurrenceRules::startingOnDay(m_slot, d);
    for (m_slot.first(); !m_slot.eof(); m_slot.next()) {
        const int ms = m_slot.asTime(ItemField::St).msecsSinceStartOfDay();
        const int slot = ms / slotMs;
        if (slot < rowCount && ms - slot * slotMs <= lastStartMs)
            ++m_starting[slot];
    }
}

int DayLayout::lookAheadCount(int slot, int rawHeight) const
{
    int most = 0;
    if (rawHeight < rowHeight)
        return most;
    const int lastSlot = qMin(slot + rawHeight / rowHeight - 1, rowCount - 1);
    for (int j = slot + 1; j <= lastSlot; ++j)
        most = qMax(most, m_starting[j]);
    return most;
}

void DayLayout::run(const QDate &d, int gridWidth, Blocks &blocks)
{
    countStarts(d);
    for (int slot = 0; slot < rowCount; ++slot) {
        const int starting = m_starting[slot];
        if (starting == 0)
            continue;
        OccurrenceRules::startingInSlot(m_slot, d, slot);
        int running = runningRightEdge(d, slot, blocks);
        // A long chain of overlaps can use up the width; the slot's blocks
        // then start again at the left, over the older ones, instead of
        // falling off the grid where nobody could see or reach them.
        if (gridWidth - running < minimumBlockWidth + blockGap)
            running = 0;
        int x = (running == 0) ? 0 : running + blockGap;

        int lookAhead = 0; // grows over the rows of this slot, never reset within it
        for (m_slot.first(); !m_slot.eof(); m_slot.next()) {
            const int rawHeight = rawExtent(m_slot).second;
            lookAhead = qMax(lookAhead, lookAheadCount(slot, rawHeight));
            const QRect extent = verticalExtent(m_slot);
            const int share = qMax((gridWidth - running) / (starting + lookAhead), minimumBlockWidth + blockGap);
            if (x + share - blockGap > gridWidth && x > 0)
                x = 0;
            blocks.place(m_slot, QRect(x, extent.y(), share - blockGap, extent.height()));
            x += share;
        }
        m_slot.first();
    }
}
