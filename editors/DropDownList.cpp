#include "editors/DropDownList.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {
constexpr int frame = 1;
constexpr int scrollBarWidth = 16;
const QColor selectionColor(49, 106, 197);
} // namespace

DropDownList::DropDownList(QWidget *parent)
    : QWidget(parent)
    , m_scrollBar(new QScrollBar(Qt::Vertical, this))
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    m_scrollBar->setSingleStep(1);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        m_top = value;
        update();
    });
    hide();
}

void DropDownList::setEntries(const QStringList &entries)
{
    m_entries = entries;
    m_current = std::min(m_current, int(m_entries.size()) - 1);
    updateScrollBar();
    update();
}

void DropDownList::setEntryText(int index, const QString &text)
{
    if (index >= 0 && index < m_entries.size()) {
        m_entries[index] = text;
        update();
    }
}

void DropDownList::setVisibleRows(int rows, int width)
{
    m_visibleRows = rows;
    resize(width, rows * entryHeight + 2 * frame);
    updateScrollBar();
}

int DropDownList::maxTop() const
{
    return std::max(0, int(m_entries.size()) - m_visibleRows);
}

void DropDownList::setTopIndex(int index)
{
    m_top = std::clamp(index, 0, maxTop());
    m_scrollBar->setValue(m_top);
    update();
}

void DropDownList::setCurrentIndex(int index)
{
    if (index < -1 || index >= m_entries.size() || index == m_current)
        return;
    m_current = index;
    update();
    emit currentIndexChanged(index);
}

int DropDownList::entryTop(int index) const
{
    return frame + (index - m_top) * entryHeight;
}

int DropDownList::indexAt(int y) const
{
    if (y < frame || y >= frame + m_visibleRows * entryHeight)
        return -1;
    const int index = m_top + (y - frame) / entryHeight;
    return index < m_entries.size() ? index : -1;
}

void DropDownList::updateScrollBar()
{
    const bool needed = m_entries.size() > m_visibleRows;
    m_scrollBar->setVisible(needed);
    m_scrollBar->setRange(0, maxTop());
    m_scrollBar->setPageStep(m_visibleRows);
    m_scrollBar->setGeometry(width() - frame - scrollBarWidth, frame, scrollBarWidth, height() - 2 * frame);
    m_top = std::min(m_top, maxTop());
}

void DropDownList::resizeEvent(QResizeEvent *)
{
    updateScrollBar();
}

void DropDownList::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const int textRight = width() - frame - (m_scrollBar->isVisible() ? scrollBarWidth : 0);
    for (int row = 0; row < m_visibleRows; ++row) {
        const int index = m_top + row;
        if (index >= m_entries.size())
            break;
        const QRect entryRect(frame, entryTop(index), textRight - frame, entryHeight);
        const bool selected = index == m_current;
        if (selected)
            painter.fillRect(entryRect, selectionColor);
        painter.setPen(selected ? Qt::white : Qt::black);
        painter.drawText(entryRect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, m_entries.at(index));
    }
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void DropDownList::mouseMoveEvent(QMouseEvent *event)
{
    const int index = indexAt(event->position().toPoint().y());
    if (index >= 0)
        setCurrentIndex(index);
}

void DropDownList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = indexAt(event->position().toPoint().y());
    if (index < 0)
        return;
    setCurrentIndex(index);
    emit entryClicked(index);
}

void DropDownList::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        setTopIndex(m_top - 3 * steps);
}
