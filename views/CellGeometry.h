#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// Where the day cells of the week and month views lie inside their area of
// W x H pixels. Every cell is 16 pixels wider than the room it owns; the
// extra strip lies under its right neighbour or outside the area, so a
// cell's single column (its width less 16) is what the user sees.
namespace CellGeometry {

constexpr int rowHeight = 18;    // title row and item rows alike
constexpr int hiddenStrip = 16;  // cell width beyond the visible column
constexpr int headerHeight = 20; // the month view's strip of column names

// --- month: 42 cells, six columns with Saturday over Sunday in the last ---

int monthPitchX(const QSize &area); // P = W div 6
int monthPitchY(const QSize &area); // Q = H div 6
// Cell n = 1..42.
QRect monthCell(int n, const QSize &area);
// Weekday column of cell n: 0 = Monday .. 6 = Sunday; week row 0..5.
inline int monthWeekday(int n)
{
    return (n - 1) % 7;
}
inline int monthWeekRow(int n)
{
    return (n - 1) / 7;
}

// The one-pixel black lines that do not depend on the cells' contents:
// the five week row lines, the line over each Sunday, and the column lines
// through the title row of the first week row.
QList<QRect> monthFixedLines(const QSize &area);
// The column line below the item rows of cell n (Tuesday to Saturday),
// for a cell holding `rows` item rows; the Saturday line runs on through
// the Sunday cell below it. Empty for the other cells.
QRect monthColumnLine(int n, int rows, const QSize &area);

// Header label i = 0..5 of the strip above the month ("Monday".."Sat/Sun")
// and the sunken divider after label i = 0..4, in strip coordinates.
QRect monthHeaderLabel(int i, int areaWidth);
int monthHeaderDividerX(int i, int areaWidth);

// --- week: seven cells in two columns, Saturday over Sunday at the bottom --

// Day k = 1..7 (Monday..Sunday).
QRect weekCell(int k, const QSize &area);
// The header bar over the title row of day k.
QRect weekHeaderBar(int k, const QSize &area);
QList<QRect> weekLines(const QSize &area);

} // namespace CellGeometry
