#include "views/DayBlock.h"

#include "views/BlockDrag.h"
#include "views/ViewFonts.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

DayBlock::DayBlock(qint64 itemNo, QWidget *grid)
    : QWidget(grid)
    , m_itemNo(itemNo)
{
    setObjectName(nameFor(itemNo));
    setMouseTracking(true); // the pointer shape follows the resize zones
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QString DayBlock::nameFor(qint64 itemNo)
{
    return QStringLiteral("Pan") + QString::number(itemNo);
}

void DayBlock::setItemNo(qint64 itemNo)
{
    m_itemNo = itemNo;
    setObjectName(nameFor(itemNo));
}

void DayBlock::setAppearance(const QColor &color, const QString &label, Marker marker)
{
    m_color = color;
    m_label = label;
    m_marker = marker;
    update();
}

void DayBlock::setLabel(const QString &label)
{
    m_label = label;
    update();
}

void DayBlock::setSelected(bool selected)
{
    m_selected = selected;
    update();
}

int DayBlock::labelX(Marker marker)
{
    switch (marker) {
    case Marker::Reminder:
    case Marker::Recurrence:
        return 21;
    case Marker::Both:
        return 37;
    case Marker::None:
        break;
    }
    return 4;
}

void DayBlock::setExtent(const QRect &extent)
{
    setGeometry(extent.adjusted(0, 0, 0, 1));
}

QRect DayBlock::extent() const
{
    return geometry().adjusted(0, 0, 0, -1);
}

void DayBlock::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), m_color);
    painter.drawImage(5, 2, MarkerIcons::image(m_marker));
    painter.setFont(ViewFonts::cellFont());
    painter.setPen(Qt::black);
    const QFontMetrics metrics(painter.font());
    painter.drawText(QPoint(labelX(m_marker), 2 + metrics.ascent()), m_label);
    // The frame goes on last so that a long label ends at the right edge.
    // A selected block gets a 3-pixel blue frame, drawn inside the block.
    const int frame = m_selected ? 3 : 1;
    const QColor frameColor = m_selected ? QColor(0, 0, 255) : QColor(Qt::black);
    painter.fillRect(QRect(0, 0, w, frame), frameColor);
    painter.fillRect(QRect(0, h - frame, w, frame), frameColor);
    painter.fillRect(QRect(0, 0, frame, h), frameColor);
    painter.fillRect(QRect(w - frame, 0, frame, h), frameColor);
}

bool DayBlock::event(QEvent *event)
{
    ++m_eventDepth;
    const bool handled = QWidget::event(event);
    --m_eventDepth;
    return handled;
}

void DayBlock::mousePressEvent(QMouseEvent *event)
{
    emit pressed(this, event->button(), int(event->position().y()));
}

void DayBlock::mouseMoveEvent(QMouseEvent *event)
{
    const int y = int(event->position().y());
    setCursor(BlockDrag::overResizeEdge(y, height()) ? Qt::SizeVerCursor : Qt::ArrowCursor);
    if (event->buttons() & Qt::LeftButton)
        emit dragged(this, y);
}

void DayBlock::mouseReleaseEvent(QMouseEvent *event)
{
    emit released(this, event->button());
}

void DayBlock::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked(this);
}
