#include "views/MonthPainters.h"

#include "views/ClockText.h"
#include "views/TypeColors.h"

namespace {

bool isAllDaySingle(const ItemRow &item)
{
    return item.A && !item.isMultiDay();
}

} // namespace

RowPainter::Colors MonthRowPainter::chooseColors(const ItemRow &item, bool, const CellContext &cell) const
{
    // A timed one-day item of the standard type takes the cell's own colour.
    const bool typeColored = item.T != 0 || item.isMultiDay() || item.A;
    return selectionColors(item, cell, typeColored ? TypeColors::color(item.T) : cell.background);
}

void MonthRowPainter::paintContent(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const
{
    if (!item.isMultiDay() && item.St.isValid()) {
        const QString time = ClockText::format(item.St, cell.use24Hour);
        const QString text = time + QLatin1Char(' ') + item.Subject;
        // On the 12-hour clock the times of a cell end in one column.
        const int x = cell.use24Hour ? 5 : 44 - canvas.textWidth(time);
        canvas.text(x, canvas.T() + 2, text);
    }
    paintSteps(canvas, item, cell);
}

int MonthRowPainter::bandSubjectX(const ItemRow &item, const CellContext &cell, int column)
{
    const qint64 daysIn = item.S.isValid() ? item.S.daysTo(cell.date) : 0;
    const qint64 k = qMin<qint64>(daysIn, column);
    return 5 - int(k) * cell.columnPitch;
}

void MondayPainter::paintSteps(RowCanvas &c, const ItemRow &item, const CellContext &cell) const
{
    const int L = c.L(), T = c.T(), R = c.R(), B = c.B();
    const bool multi = item.isMultiDay();
    c.rowGap();
    if (isAllDaySingle(item)) {
        c.text(5, T + 2, item.Subject);
        c.bandEdges();
        c.boxSides(L + 3, R - 4);
    }
    if (multi)
        c.bandEdges();
    c.erase(L, 5, T + 2, B - 2);
    if (!multi)
        c.erase(R - 1, 5, T + 2, B - 1);
    if (multi) {
        c.text(5, T + 2, item.Subject);
        if (item.S == cell.date)
            c.cap(L + 3);
        if (item.E == cell.date) {
            c.erase(R - 1, 5, T + 1, B - 1);
            c.cap(R - 4);
        }
    }
}

void MidweekPainter::paintSteps(RowCanvas &c, const ItemRow &item, const CellContext &cell) const
{
    const int L = c.L(), T = c.T(), R = c.R(), B = c.B();
    const bool multi = item.isMultiDay();
    c.rowGap();
    if (isAllDaySingle(item)) {
        c.text(5, T + 2, item.Subject);
        c.bandEdges();
        c.boxSides(L + 3, R - 5);
    }
    if (!multi)
        c.erase(L, 5, T + 2, B);
    if (multi) {
        c.bandEdges();
        // Closes the pixel column between this cell and the next.
        c.line(R, T, R, B, TypeColors::color(item.T));
    }
    if (!multi)
        c.erase(R - 2, 4, T + 2, B);
    c.leftTicks();
    if (!multi)
        c.line(L, T - 2, L, B, Qt::black); // the column separator
    if (multi) {
        c.text(bandSubjectX(item, cell, cell.columnIndex), T + 2, item.Subject);
        if (item.S == cell.date) {
            c.erase(L, 5, T + 1, B - 1);
            c.cap(L + 3);
            c.line(L, T - 1, L, B, Qt::black);
        }
        if (item.E == cell.date) {
            c.erase(R - 1, 5, T + 2, B - 1);
            c.cap(R - 4);
        }
    }
    c.leftTicks();
}

void SaturdayPainter::paintSteps(RowCanvas &c, const ItemRow &item, const CellContext &cell) const
{
    const int L = c.L(), T = c.T(), R = c.R(), B = c.B();
    const bool multi = item.isMultiDay();
    c.rowGap();
    if (isAllDaySingle(item)) {
        c.text(5, T + 2, item.Subject);
        c.bandEdges();
        c.boxSides(L + 4, R - 4);
    }
    if (multi)
        c.bandEdges();
    if (!multi)
        c.erase(L + 1, 5, T + 2, B);
    c.leftTicks();
    if (!multi)
        c.line(L, T, L, B, Qt::black);
    if (multi) {
        c.text(bandSubjectX(item, cell, 5), T + 2, item.Subject);
        if (item.S == cell.date) {
            c.erase(L + 1, 5, T + 2, B);
            c.cap(L + 3);
            c.line(L, T, L, B, Qt::black);
        }
        if (item.E == cell.date)
            c.cap(R - 2);
    }
    c.erase(R, 6, T + 2, B);
}

void SundayPainter::paintSteps(RowCanvas &c, const ItemRow &item, const CellContext &cell) const
{
    const int L = c.L(), T = c.T(), R = c.R(), B = c.B();
    const bool multi = item.isMultiDay();
    c.rowGap();
    if (isAllDaySingle(item)) {
        c.text(5, T + 2, item.Subject);
        c.bandEdges();
        c.boxSides(L + 4, R - 4);
    }
    if (multi)
        c.bandEdges();
    c.erase(L + 1, 5, T + 2, B);
    if (multi) {
        // Sunday sits below Saturday, so a band starts its text afresh here.
        c.text(5, T + 2, item.Subject);
        if (item.S == cell.date)
            c.cap(L + 3);
        if (item.E == cell.date)
            c.cap(R - 2);
    }
    c.erase(R, 6, T + 2, B);
}
