#pragma once

#include <QWidget>

#include <functional>

// A thin bar between two panes. Dragging it proposes a new size for the pane
// it resizes; the main window decides (and snaps) the size it really takes.
class PaneDivider : public QWidget
{
    Q_OBJECT
public:
    // Which side of the divider the resized pane lies on.
    enum class Pane { Left, Right, Above };

    static constexpr int Thickness = 3;

    PaneDivider(Pane pane, QWidget *parent = nullptr);

    // The size of the resized pane when the drag starts.
    void setSizeAtPress(std::function<int()> currentSize) { m_currentSize = std::move(currentSize); }

signals:
    void dragged(int proposedSize); // while the mouse moves with the button down
    void released();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int along(const QPointF &globalPos) const;

    Pane m_pane;
    std::function<int()> m_currentSize;
    int m_pressPos = 0;
    int m_pressSize = 0;
    bool m_dragging = false;
};
