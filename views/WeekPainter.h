#pragma once

#include "views/RowPainter.h"

// The seven day cells of the week view (DBGrid43DrawColumnCell): start and
// end times of timed items, marker icons, framed all-day boxes and bands.
class WeekPainter : public RowPainter
{
protected:
    Colors chooseColors(const ItemRow &item, bool current, const CellContext &cell) const override;
    QColor gapColor(const CellContext &) const override { return Qt::white; }
    void paintContent(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const override;

private:
    static void paintTimes(RowCanvas &canvas, const ItemRow &item, const CellContext &cell);
};
