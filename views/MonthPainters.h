#pragma once

#include "views/RowPainter.h"

// The four painters of the month view's day cells. They share the colour
// choice and the time text; each column kind closes bands and erases its
// edges in its own way so that neighbouring cells join into one bar.
class MonthRowPainter : public RowPainter
{
protected:
    Colors chooseColors(const ItemRow &item, bool current, const CellContext &cell) const override;
    QColor gapColor(const CellContext &cell) const override { return cell.background; }
    void paintContent(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const override;

    // The steps after the time text, in the cell kind's own order.
    virtual void paintSteps(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const = 0;

    // Start of the subject of a band in the cell of weekday column
    // `column`: the text runs on from the band's first visible day in this
    // week row, so each cell shows its own slice of one line.
    static int bandSubjectX(const ItemRow &item, const CellContext &cell, int column);
};

// Month cells of the Monday column (DBGrid1DrawColumnCell).
class MondayPainter : public MonthRowPainter
{
protected:
    void paintSteps(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const override;
};

// Month cells Tuesday to Friday (DBGrid2DrawColumnCell).
class MidweekPainter : public MonthRowPainter
{
protected:
    void paintSteps(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const override;
};

// Upper half of the weekend column (DBGrid6DrawColumnCell).
class SaturdayPainter : public MonthRowPainter
{
protected:
    void paintSteps(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const override;
};

// Lower half of the weekend column (DBGrid7DrawColumnCell).
class SundayPainter : public MonthRowPainter
{
protected:
    void paintSteps(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const override;
};
