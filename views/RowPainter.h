#pragma once

#include "views/ItemRow.h"
#include "views/MarkerIcons.h"

#include <QColor>
#include <QDate>
#include <QRect>
#include <QString>

class QPainter;

// What a painter needs to know about the cell it paints into.
struct CellContext
{
    QDate date;                                   // the date the cell shows
    QColor background = Qt::white;                // month cells: white, or grey for a neighbouring month
    bool hasFocus = false;                        // the cell has the keyboard focus
    bool use24Hour = false;                       // options "30", read by the cell at paint time
    QString selectedItemNo = QStringLiteral("0"); // the shared view state's SelectedItemNo
    bool cursorEmpty = false;                     // the cell's cursor holds no rows (one blank row is painted)
    int columnPitch = 0;                          // month column pitch P (month area width div 6)
    int columnIndex = 0;                          // month weekday column: Monday 0 .. Friday 4
};

// Line work in the coordinates of one row: L, T, R, B with R and B the
// first pixels outside the row. Every line excludes its end point; a wide
// line is centred on its x. Text positions are offsets from the cell's left
// edge, which is x = 0 of the painter.
class RowCanvas
{
public:
    RowCanvas(QPainter &painter, const QRect &row, QColor background, QColor text, QColor gap);

    int L() const { return m_l; }
    int T() const { return m_t; }
    int R() const { return m_r; }
    int B() const { return m_b; }
    QColor background() const { return m_background; }

    void fill();
    void line(int x1, int y1, int x2, int y2, const QColor &color);
    void text(int x, int y, const QString &text);
    void textEndingAt(int xEnd, int y, const QString &text);
    int textWidth(const QString &text) const;
    void marker(int x, int y, Marker marker);

    // Text and markers drawn after this stay within x in [left, right) of
    // the row, until unclip().
    void clipColumns(int left, int right);
    void unclip();

    // Two one-pixel lines in the gap colour at the top and bottom of the row.
    void rowGap();
    // The black top and bottom edges of a band or framed box.
    void bandEdges();
    // A black vertical that closes a band at its first or last day.
    void cap(int x);
    // The two black verticals of a framed all-day box.
    void boxSides(int leftX, int rightX);
    // A line of width w in the gap colour at x from y1 to y2.
    void erase(int x, int width, int y1, int y2);
    // Black one-pixel ticks at the top and bottom of the left edge.
    void leftTicks();

private:
    QPainter &m_painter;
    int m_l, m_t, m_r, m_b;
    QColor m_background;
    QColor m_text;
    QColor m_gap;
    bool m_clipped = false;
};

// Paints one row of a day cell. One painter object serves every cell of
// its kind; it keeps no state between rows.
class RowPainter
{
public:
    virtual ~RowPainter() = default;

    // row: the row rectangle; current: the row is the cell's current row.
    void paint(QPainter &painter, const QRect &row, const ItemRow &item, bool current, const CellContext &cell) const;

    static QColor selectionColor() { return QColor(49, 106, 197); }

protected:
    struct Colors
    {
        QColor background;
        QColor text = Qt::black;
    };

    virtual Colors chooseColors(const ItemRow &item, bool current, const CellContext &cell) const = 0;
    virtual QColor gapColor(const CellContext &cell) const = 0;
    // Everything after the fill.
    virtual void paintContent(RowCanvas &canvas, const ItemRow &item, const CellContext &cell) const = 0;

    // Shared by the month and week painters: a selected band stays
    // highlighted in every cell, a selected one-day item only in the
    // focused cell.
    static Colors selectionColors(const ItemRow &item, const CellContext &cell, QColor unselected);
    // Subject x after a marker at the left of a row: one icon, both, none.
    static int subjectX(Marker marker, int afterOne, int afterBoth, int withoutIcon);
};
