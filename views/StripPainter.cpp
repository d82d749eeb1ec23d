#include "views/StripPainter.h"

#include "views/TypeColors.h"

#include <QApplication>
#include <QPalette>

RowPainter::Colors StripPainter::chooseColors(const ItemRow &item, bool current, const CellContext &cell) const
{
    Colors colors;
    if (cell.cursorEmpty) {
        colors.background = Qt::white;
    } else if (current && cell.hasFocus) {
        colors.background = selectionColor();
        colors.text = QApplication::palette().color(QPalette::HighlightedText);
    } else {
        colors.background = TypeColors::color(item.T);
    }
    return colors;
}

void StripPainter::paintContent(RowCanvas &c, const ItemRow &item, const CellContext &cell) const
{
    const int L = c.L(), T = c.T(), R = c.R(), B = c.B();
    const bool multi = item.isMultiDay();
    const Marker marker = MarkerIcons::markerFor(item.R, item.Re);
    const bool box = item.A && !multi;
    // In a narrow column a long subject would run past the box's right
    // side, past the band's end and into the strip beside the column.
    if (box)
        c.clipColumns(L + 4, R - 4);
    else
        c.clipColumns(L, R);
    c.marker(6, T + 2, marker);
    c.text(subjectX(marker, 25, 38, 6), T + 2, item.Subject);
    c.unclip();
    c.rowGap();
    if (box) {
        c.bandEdges();
        c.boxSides(L + 3, R - 4);
    }
    if (multi)
        c.bandEdges();
    c.erase(L, 6, T, B);
    c.erase(R, 6, T, B);
    if (multi) {
        if (item.S == cell.date)
            c.cap(L + 3);
        if (item.E == cell.date)
            c.cap(R - 4);
    }
}
