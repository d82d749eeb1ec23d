#pragma once

#include <QTime>

// Pixel geometry of the day view: 48 half-hour rows of 19 pixels, and the
// mapping between times of day and block edges.
namespace DayGeometry {

constexpr int rowHeight = 19; // one half-hour row
constexpr int rowCount = 48;
constexpr int gridHeight = 912;    // 48 rows
constexpr int contentHeight = 930; // the scrolled content, margin included
constexpr int hourHeight = 38;
constexpr int rulerWidth = 55;
constexpr int scrollBarWidth = 16;
constexpr int stripRowHeight = 18;
constexpr int blockGap = 3;          // between blocks that share a slot
constexpr int minimumBlockWidth = 8; // narrower blocks could not be seen or grabbed
constexpr int edgeZone = 4;          // resize zone at a block's top and bottom
constexpr int lastRowLimit = 893;    // an edge beyond it stands for the end of the day
constexpr int initialScroll = 367;   // shows 09:30 at the top once rounded to whole rows

// Top of a block starting at `start`: rounded down to its half hour.
int blockTop(const QTime &start);
// Bottom of a block ending at `end`: rounded up to the next half hour.
int blockBottom(const QTime &end);
// Top edge of row r (the row's first pixel is one below it).
inline int rowTop(int row)
{
    return rowHeight * row - 1;
}

// The row under a grid y, kept within 0..47.
int rowAt(int y);
// The time a row stands for: r div 2 hours, 30 x (r mod 2) minutes.
QTime rowTime(int row);
// The end written for a selection or entry ending with row r: the time of
// row r + 1, or 23:55 for the last row.
QTime timeAfterRow(int row);
// The time of a block edge at position p: (p + 19) div 19 half hours.
// Positions outside the day read as its first or last row; callers that
// mean "end of the day" write 23:55 themselves.
QTime timeOfPosition(int position);

QTime endOfDay(); // 23:55

} // namespace DayGeometry
