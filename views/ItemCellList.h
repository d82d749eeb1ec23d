#pragma once

#include "views/ItemRow.h"
#include "views/RowPainter.h"

#include <QColor>
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
    // Colour of the cell below and beside its rows (month cells of a
    // neighbouring month are grey).
    void setBackground(const QColor &color);
    QColor background() const { return m_background; }
    // The text of the title row, right-aligned in the column; nothing is
    // drawn there while it is empty.
    void setTitle(const QString &text, const QColor &textColor, const QColor &background);
    QString title() const { return m_title; }
    QColor titleBackground() const { return m_titleBackground; }
    // How many item rows the cell's height can show (at least one).
    int visibleRowCapacity() const;

    // Month and week cells: when the rows do not all fit, the bottom of the
    // cell says "+N more" instead of showing a row cut in half, and a click
    // on it asks for the day (moreClicked). Off by default.
    void setMoreMarkShown(bool shown);
    static constexpr int moreMarkHeight = 16;
    // The mark's place; null while every row fits or the mark is off.
    QRect moreMarkRect() const;
    // Rows hidden below the mark; 0 when there is no mark.
    int hiddenRowCount() const;
    static QString moreMarkText(int hidden);

    int rowCount() const;
    // The rows painted and clickable: all of them, or those above the mark.
    int shownRowCount() const;
    // The item row under y; -1 above the rows or below the last shown one.
    int rowAt(int y) const;

signals:
    void rowPressed(int row, Qt::MouseButton button);
    void mouseReleased(Qt::MouseButton button);
    void moreClicked(); // left press and release on the "+N more" mark
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
    // The first maxRows rows as they stand now (a cell never scrolls, so
    // the rest cannot be seen); the cursor is left on its current row.
    QList<ItemRow> readRows(int maxRows, qint64 *currentNo);
    void paintTitle(QPainter &painter);
    void paintMoreMark(QPainter &painter, int hidden);
    // Rows whose full height fits below the title row.
    bool rowsOverflow(int rows) const;
    int rowsAboveMark() const;
    void makeCurrent(int row);

    Cursor &m_cursor;
    const RowPainter &m_painter;
    std::function<CellContext()> m_context;
    int m_columnWidth = -1; // -1: as wide as the cell
    int m_topMargin = 0;
    QColor m_background = Qt::white;
    QString m_title;
    QColor m_titleText = Qt::black;
    QColor m_titleBackground = Qt::white;
    bool m_moreMark = false;
    bool m_pressedOnMark = false;
};
