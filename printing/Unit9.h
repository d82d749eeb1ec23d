#pragma once

#include "printing/ReportPage.h"

#include <QDate>

class BodyCanvas;
class Cursor;
class TDataModule2;
struct ItemRow;

// The monthly page (landscape): the six weeks of the month view as a grid
// of six columns, Monday to Friday and a shared weekend column, drawn from
// the month cursors Table1..Table42 as they stand.
class TForm9 : public ReportPage
{
public:
    static constexpr int CellHeight = 110;
    static constexpr int WeekendHalf = 55;
    static constexpr int RowHeight = 18;
    static constexpr int WeekdayRows = 5;
    static constexpr int WeekendRows = 2;

    TForm9();

    // Header box, rule and the column width J follow the paper.
    void setPaper(PrintGeometry::Paper paper);

    // Draws the body: cell N shows monthFirstDate + N - 1 and the rows of
    // Table<N> from its first; the cursors are left at their first rows.
    void drawBody(TDataModule2 &data, const QDate &monthFirstDate, bool use24Hour);

    // The title of cell N as the month view shows it.
    static QString cellTitle(int n, const QDate &date);

protected:
    void paintExtras(QPainter &painter) const override;

private:
    struct Cell
    {
        int n;
        QDate date;
        int P, Y, h, J;
        int R() const { return P + J; }
        int weekday() const { return (n - 1) % 7; } // Monday 0 .. Sunday 6
        bool isSaturday() const { return weekday() == 5; }
        bool isSunday() const { return weekday() == 6; }
        int maxRows() const { return weekday() >= 5 ? WeekendRows : WeekdayRows; }
    };

    Cell cell(int n, const QDate &date) const;
    static void drawCell(BodyCanvas &canvas, const Cell &c, Cursor &cursor, bool use24Hour);
    static void drawRow(BodyCanvas &canvas, const Cell &c, int V, const ItemRow &item, bool use24Hour);
};
