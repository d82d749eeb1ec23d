#pragma once

#include "printing/ReportPage.h"

#include <QDate>

class BodyCanvas;
class Cursor;
class TDataModule2;
struct ItemRow;

// The weekly page (portrait): Monday to Wednesday in the left column,
// Thursday to Sunday in the right one with Saturday and Sunday sharing the
// bottom third, and the task pad column when it is included. Drawn from the
// week cursors Table1..Table7 as they stand and the task cursor Table47.
class TForm10 : public ReportPage
{
public:
    static constexpr int RowHeight = 18;

    TForm10();

    // Paper (options "20") and whether the task pad is included ("50").
    void setGeometry(PrintGeometry::Paper paper, bool taskPad);

    // Day k (1..7) shows weekFirstDate + k - 1 and the rows of Table<k>;
    // the week cursors are left at their first rows.
    void drawBody(TDataModule2 &data, const QDate &weekFirstDate, bool use24Hour);

    struct Day
    {
        int k;
        QDate date;
        int m, y, h, K;
        int maxRows() const { return h / RowHeight - 1; }
    };
    Day day(int k, const QDate &date) const;
    // The caption of the week view's header bar for the date.
    static QString caption(const QDate &date);

private:
    static void drawDay(BodyCanvas &canvas, const Day &d, Cursor &cursor, bool use24Hour);
    static void drawRow(BodyCanvas &canvas, const Day &d, int S, const ItemRow &item, bool use24Hour);
};
