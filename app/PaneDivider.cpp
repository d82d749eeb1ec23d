#include "app/PaneDivider.h"

#include <QMouseEvent>

PaneDivider::PaneDivider(Pane pane, QWidget *parent)
    : QWidget(parent)
    , m_pane(pane)
{
    if (pane == Pane::Above) {
        setFixedHeight(Thickness);
        setCursor(Qt::SplitVCursor);
    } else {
        setFixedWidth(Thickness);
        setCursor(Qt::SplitHCursor);
    }
    setAttribute(Qt::WA_StyledBackground, true);
}

int PaneDivider::along(const QPointF &globalPos) const
{
    return qRound(m_pane == Pane::Above ? globalPos.y() : globalPos.x());
}

void PaneDivider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_currentSize)
        return;
    m_dragging = true;
    m_pressPos = along(event->globalPosition());
    m_pressSize = m_currentSize();
}

void PaneDivider::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const int moved = along(event->globalPosition()) - m_pressPos;
    // A pane on the right grows when the divider moves left.
    emit dragged(m_pane == Pane::Right ? m_pressSize - moved : m_pressSize + moved);
}

void PaneDivider::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    emit released();
}
