#pragma once

#include <QDate>
#include <QRect>

#include <array>

class Cursor;

// The slot layout of the day view's blocks. Slot by slot, the items that
// start in a slot share the width left of the blocks still running at its
// start; an item that covers later slots also counts the items starting in
// them, so that it leaves room for them. Items are read through the day
// view's two scan cursors; the blocks themselves stay with the caller.
class DayLayout
{
public:
    // Where the blocks live: their current geometry, and placing one.
    class Blocks
    {
    public:
        virtual ~Blocks() = default;
        // Current geometry of the item's block; a null QRect when it has none.
        virtual QRect geometryOf(qint64 itemNo) const = 0;
        // Puts the block of the item on `row`'s current row at `geometry`.
        virtual void place(const Cursor &row, const QRect &geometry) = 0;
    };

    // slotCursor: Table43 (`end` order); runningCursor: Table44 (`sta`).
    DayLayout(Cursor &slotCursor, Cursor &runningCursor);

    // Lays out every block of date d in a grid `gridWidth` pixels wide.
    void run(const QDate &d, int gridWidth, Blocks &blocks);

    // Top and height of an item's block from its times; a zero height (or
    // one that makes no sense) becomes one row.
    static QRect verticalExtent(const Cursor &row);

private:
    int runningRightEdge(const QDate &d, int slot, const Blocks &blocks);
    // How many items start in each slot of date d.
    void countStarts(const QDate &d);
    int lookAheadCount(int slot, int rawHeight) const;

    Cursor &m_slot;
    Cursor &m_running;
    std::array<int, 48> m_starting {};
};
