#pragma once

#include "views/MarkerIcons.h"

#include <QColor>
#include <QDate>
#include <QHash>
#include <QRect>

class DayView;
class TDataModule2;

// The day view's blocks as the daily page reads them: geometry in the day
// grid, colour and marker of each timed item, and the width of the grid
// they were laid out in.
struct DayPrintBlocks
{
    struct Block
    {
        QRect geometry;
        QColor color;
        Marker marker = Marker::None;
    };

    int gridWidth = 0;
    QHash<qint64, Block> blocks; // by the item's `No`

    // The blocks the day view shows now.
    static DayPrintBlocks fromDayView(const DayView &view);

    // The blocks the day view would show for the date in a grid `gridWidth`
    // wide, for a page printed without the window: points the day list
    // (Table46) and the all-day strip (Table49) at the date and runs the
    // day view's slot layout on them.
    static DayPrintBlocks layOut(TDataModule2 &data, const QDate &date, int gridWidth);
};
