#include "views/WeekPainter.h"

#include "views/ClockText.h"
#include "views/TypeColors.h"

RowPainter::Colors WeekPainter::chooseColors(const ItemRow &item, bool, const CellContext &cell) const
{
    return selectionColors(item, cell, TypeColors::color(item.T));
}

void WeekPainter::paintTimes(RowCanvas &c, const ItemRow &item, const CellContext &cell)
{
    const int y = c.T() + 2;
    const bool h24 = cell.use24Hour;
    if (item.St.isValid()) {
        const QString start = ClockText::format(item.St, h24);
        if (h24)
            c.text(5, y, start);
        else
            c.textEndingAt(47, y, start);
    }
    // The subject of a timed item goes with its end time only.
    if (!item.Et.isValid())
        return;
    const QString end = ClockText::format(item.Et, h24);
    if (h24)
        c.text(40, y, end);
    else
        c.textEndingAt(90, y, end);
    const Marker marker = MarkerIcons::markerFor(item.R, item.Re);
    const int iconX = h24 ? 71 : 93;
    c.marker(iconX, c.T() + 1, marker);
    c.text(iconX + subjectX(marker, 18, 34, 5), y, item.Subject);
}

void WeekPainter::paintContent(RowCanvas &c, const ItemRow &item, const CellContext &cell) const
{
    const int L = c.L(), T = c.T(), R = c.R(), B = c.B();
    const bool multi = item.isMultiDay();
    const Marker marker = MarkerIcons::markerFor(item.R, item.Re);
    if (!multi)
        paintTimes(c, item, cell);
    c.rowGap();
    if (item.A && !multi) {
        c.marker(6, T + 2, marker);
        c.text(subjectX(marker, 25, 40, 8), T + 2, item.Subject);
        c.bandEdges();
        c.boxSides(L + 3, R - 4);
    }
    if (multi) {
        c.bandEdges();
        c.marker(6, T + 2, marker);
        c.text(subjectX(marker, 25, 38, 6), T + 2, item.Subject);
        if (item.S == cell.date)
            c.cap(L + 3);
        if (item.E == cell.date)
            c.cap(R - 4);
    }
    c.erase(L, 6, T, B);
    c.erase(R, 6, T, B);
}
