#include "views/DayGrid.h"

#include "views/DayGeometry.h"
#include "views/RowPainter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using namespace DayGeometry;

DayGrid::DayGrid(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
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
}

void DayGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit pressed(int(event->position().y()));
}

void DayGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        emit dragged(int(event->position().y()));
}

void DayGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit released(int(event->position().y()));
}

void DayGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

void DayGrid::keyPressEvent(QKeyEvent *event)
{
    if (!event->text().isEmpty())
        emit characterTyped(event->text());
    else
        QWidget::keyPressEvent(event);
}
