#pragma once

#include "ItemRow.h"
#include "RowPainter.h"

#include <QList>
#include <QWidget>

#include <functional>

class Cursor;

// A day cell: a one-column list of 18-pixel rows bound to one calendar
// cursor, each row painted by the cell kind's painter. The cursor's current
// row is the cell's current row; a cell whose cursor holds no rows shows
// one blank row.
class ItemCellList : public QWidget
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 18;

    ItemCellList(Cursor &cursor, const RowPainter &painter, QWidget *parent = nullptr);

    Cursor &cursor() { return m_cursor; }

    // The cell's date, background and the shared selection, asked for at
    // every paint (the focus and the cursor's emptiness are filled in here).
    void setContextProvider(std::function<CellContext()> provider);
    // Width of the single column; the rest of the cell stays blank.
    void setColumnWidth(int width);
    int columnWidth() const;
    // Pixels above the first item row (a title row of month and week cells).
    void setTopMargin(int pixels);

    int rowCount() const;
    // The item row under y; -1 above the rows or below the last one.
    int rowAt(int y) const;

signals:
    void rowPressed(int row, Qt::MouseButton button);
    void mouseReleased(Qt::MouseButton button);
    void doubleClicked();
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // The rows that fit in the cell as they stand now; the cursor is left
    // on its current row. False when the cursor cannot be read (closed, or
    // a row is being edited there).
    bool readRows(QList<ItemRow> *rows, qint64 *currentNo);
    int visibleRowCount() const;
    void makeCurrent(int row);

    Cursor &m_cursor;
    const RowPainter &m_painter;
    std::function<CellContext()> m_context;
    int m_columnWidth = -1; // -1: as wide as the cell
    int m_topMargin = 0;
};
