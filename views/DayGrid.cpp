#include "views/DayGrid.h"

#include "views/BlockDrag.h"
#include "views/DayBlock.h"
#include "views/DayGeometry.h"
#include "views/RowPainter.h"
#include "views/ViewFonts.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using namespace DayGeometry;

DayGrid::DayGrid(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // the pointer shape follows a block's resize zones
}

void DayGrid::setShading(const Shading &shading)
{
    m_shading = shading;
    update();
}

void DayGrid::setHighlightedRows(int first, int last)
{
    m_highlightFirst = qMin(first, last);
    m_highlightLast = qMax(first, last);
    update();
}

QColor DayGrid::rowColor(int row) const
{
    if (row >= m_highlightFirst && row <= m_highlightLast)
        return RowPainter::selectionColor();
    const bool workTime = m_shading.workingDay && row >= m_shading.workStart && row < m_shading.workEnd;
    return workTime ? m_shading.workColor : m_shading.offColor;
}

void DayGrid::addBlock(DayBlock *block)
{
    m_blocks.push_back(block);
    updateBlock(block);
}

void DayGrid::raiseBlock(DayBlock *block)
{
    const auto it = std::find(m_blocks.begin(), m_blocks.end(), block);
    if (it == m_blocks.end() || it + 1 == m_blocks.end())
        return;
    std::rotate(it, it + 1, m_blocks.end());
    updateBlock(block);
}

void DayGrid::removeBlock(DayBlock *block)
{
    const auto it = std::find(m_blocks.begin(), m_blocks.end(), block);
    if (it == m_blocks.end())
        return;
    updateBlock(block);
    m_blocks.erase(it);
    if (m_grabbed == block) {
        m_grabbed = nullptr;
        m_grabLost = true;
    }
}

void DayGrid::removeAllBlocks()
{
    m_blocks.clear();
    if (m_grabbed) {
        m_grabbed = nullptr;
        m_grabLost = true;
    }
    update();
}

void DayGrid::updateBlock(const DayBlock *block)
{
    update(block->area());
}

DayBlock *DayGrid::blockAt(const QPoint &p) const
{
    for (auto it = m_blocks.rbegin(); it != m_blocks.rend(); ++it)
        if ((*it)->area().contains(p))
            return *it;
    return nullptr;
}

DayBlock *DayGrid::receiverAt(const QPoint &p) const
{
    return m_grabbing && !m_grabLost ? m_grabbed : blockAt(p);
}

void DayGrid::grabFor(const QPoint &p, const QMouseEvent &event)
{
    // A press with no other button held picks its receiver anew, also
    // when the release of an earlier press never came.
    if (m_grabbing && event.buttons() != event.button())
        return;
    m_grabbing = true;
    m_grabLost = false;
    m_grabbed = blockAt(p);
}

void DayGrid::showPointerShape(const DayBlock *block, int y)
{
    const bool edge = block && BlockDrag::overResizeEdge(y, block->height());
    setCursor(edge ? Qt::SizeVerCursor : Qt::ArrowCursor);
}

void DayGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Button));
    const QColor lineColor(128, 128, 128);
    for (int row = 0; row < rowCount; ++row) {
        const int top = row * rowHeight;
        painter.fillRect(QRect(0, top, width(), rowHeight), rowColor(row));
        painter.fillRect(QRect(0, top + rowHeight - 1, width(), 1), lineColor);
    }
    painter.setFont(ViewFonts::cellFont());
    painter.setPen(Qt::black);
    const QRect exposed = event->rect();
    for (const DayBlock *block : m_blocks)
        if (block->area().intersects(exposed))
            block->paint(painter);
}

void DayGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    grabFor(p, *event);
    if (DayBlock *block = receiverAt(p)) {
        const DayBlock::EventScope scope(*block);
        emit blockPressed(block, event->button(), p.y() - block->y());
    } else if (event->button() == Qt::LeftButton) {
        emit pressed(p.y());
    }
}

void DayGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    DayBlock *block = receiverAt(p);
    if (!m_grabbing || block)
        showPointerShape(block, block ? p.y() - block->y() : 0);
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (block) {
        const DayBlock::EventScope scope(*block);
        emit blockDragged(block, p.y() - block->y());
    } else {
        emit dragged(p.y());
    }
}

void DayGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    DayBlock *block = receiverAt(p);
    if (event->buttons() == Qt::NoButton)
        m_grabbing = false;
    if (block) {
        const DayBlock::EventScope scope(*block);
        emit blockReleased(block, event->button());
    } else if (event->button() == Qt::LeftButton) {
        emit released(p.y());
    }
}

void DayGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    grabFor(p, *event);
    if (event->button() != Qt::LeftButton)
        return;
    if (DayBlock *block = receiverAt(p)) {
        const DayBlock::EventScope scope(*block);
        emit blockDoubleClicked(block);
    } else {
        emit doubleClicked();
    }
}
void DayGrid::keyPressEvent(QKeyEvent *event)
{
    if (!event->text().isEmpty())
        emit characterTyped(event->text());
    else
        QWidget::keyPressEvent(event);
}
