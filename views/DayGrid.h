#pragma once

#include <QColor>
#include <QWidget>

#include <vector>

class DayBlock;
class QMouseEvent;

// The 48 half-hour rows of the day view, shaded for working hours, with
// the selected rows highlighted, and the blocks painted over them in the
// order they were added (a later block covers an earlier one). It reports
// presses, drags, double clicks and typed characters, on the grid or on
// the topmost block under the pointer: a press on a block holds the mouse
// for that block until every button is up, as a widget's press would.
class DayGrid : public QWidget
{
    Q_OBJECT
public:
    struct Shading
    {
        QColor workColor = QColor(153, 204, 255); // options "48"
        QColor offColor = Qt::white;              // options "47"
        int workStart = 16;                       // options "42": first working row
        int workEnd = 34;                         // options "43": first row after work
        bool workingDay = true;
    };

    explicit DayGrid(QWidget *parent = nullptr);

    void setShading(const Shading &shading);
    // Rows first..last (in any order) are highlighted.
    void setHighlightedRows(int first, int last);

    QColor rowColor(int row) const;

    // The blocks painted (not owned): added on top, raised to the top,
    // taken out. A block that changed is repainted with updateBlock().
    void addBlock(DayBlock *block);
    void raiseBlock(DayBlock *block);
    void removeBlock(DayBlock *block);
    void removeAllBlocks();
    void updateBlock(const DayBlock *block);
    int blockCount() const { return int(m_blocks.size()); }
    // The topmost block covering grid point p; null when none does.
    DayBlock *blockAt(const QPoint &p) const;

signals:
    void pressed(int y);
    void dragged(int y);
    void released(int y);
    void doubleClicked();
    void characterTyped(const QString &text);
    // On a block; y is the pointer's height below the block's top.
    void blockPressed(DayBlock *block, Qt::MouseButton button, int y);
    void blockDragged(DayBlock *block, int y);
    void blockReleased(DayBlock *block, Qt::MouseButton button);
    void blockDoubleClicked(DayBlock *block);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The block that gets the mouse event at p, null for the grid itself.
    DayBlock *receiverAt(const QPoint &p) const;
    void grabFor(const QPoint &p, const QMouseEvent &event);
    void showPointerShape(const DayBlock *block, int y);

    Shading m_shading;
    std::vector<DayBlock *> m_blocks; // bottom first
    // While a button is down the press's receiver keeps the mouse; when its
    // block goes away meanwhile, events go to whatever is under the pointer.
    bool m_grabbing = false;
    bool m_grabLost = false;
    DayBlock *m_grabbed = nullptr;
    int m_highlightFirst = 16;
    int m_highlightLast = 16;
};
