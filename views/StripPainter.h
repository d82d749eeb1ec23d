#pragma once

#include "views/RowPainter.h"

// The all-day strip above the day view's rows (DBGrid52DrawColumnCell):
// all-day items as framed boxes, items of several days as bands.
class StripPainter : public RowPainter
{
protected:
    Colors chooseColors(const ItemRow &item, bool current, const CellContext &cell) const override;
    QColor gapColor(const CellContext &) const override { return Qt::white; }
    void paintContent(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const override;
};
