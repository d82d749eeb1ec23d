#pragma once

#include <QDate>

// What the editors ask of the day view after they have saved an item: the
// shown date, the selected rows, and the block operations that keep the
// view in step without a full rebuild.
class DayViewOps
{
public:
    virtual ~DayViewOps() = default;

    virtual QDate shownDate() const = 0;
    // Selected half-hour rows, 0..47, start <= end.
    virtual int selectionStartRow() const = 0;
    virtual int selectionEndRow() const = 0;

    virtual bool isShowing() const = 0;       // the day view is the current view
    virtual void addBlock(qint64 itemNo) = 0; // a block for the item (a row of Table46)
    virtual void removeAllBlocks() = 0;
    virtual void relayoutBlocks() = 0;
    virtual void rebuild() = 0; // all-day strip, day list and blocks anew
};
