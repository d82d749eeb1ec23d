#include "views/RowPainter.h"

#include "views/ViewFonts.h"

#include <QFontMetrics>
#include <QPainter>

RowCanvas::RowCanvas(QPainter &painter, const QRect &row, QColor background, QColor text, QColor gap)
    : m_painter(painter)
    , m_l(row.left())
    , m_t(row.top())
    , m_r(row.left() + row.width())
    , m_b(row.top() + row.height())
    , m_background(background)
    , m_text(text)
    , m_gap(gap)
{ }

void RowCanvas::fill()
{
    m_painter.fillRect(QRect(m_l, m_t, m_r - m_l, m_b - m_t), m_background);
}

void RowCanvas::line(int x1, int y1, int x2, int y2, const QColor &color)
{
    // Only straight lines occur; the end point is left out.
    if (y1 == y2 && x1 != x2)
        m_painter.fillRect(QRect(qMin(x1, x2 + 1), y1, qAbs(x2 - x1), 1), color);
    else if (x1 == x2 && y1 != y2)
        m_painter.fillRect(QRect(x1, qMin(y1, y2 + 1), 1, qAbs(y2 - y1)), color);
}

void RowCanvas::text(int x, int y, const QString &text)
{
    if (text.isEmpty())
        return;
    const QFontMetrics metrics(m_painter.font());
    // Text is drawn opaquely, on the row's own background.
    m_painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), m_background);
    m_painter.setPen(m_text);
    m_painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

void RowCanvas::textEndingAt(int xEnd, int y, const QString &text)
{
    this->text(xEnd - textWidth(text), y, text);
}

int RowCanvas::textWidth(const QString &text) const
{
    return QFontMetrics(m_painter.font()).horizontalAdvance(text);
}

void RowCanvas::marker(int x, int y, Marker marker)
{
    if (marker != Marker::None)
        m_painter.drawImage(x, y, MarkerIcons::image(marker));
}

void RowCanvas::clipColumns(int left, int right)
{
    unclip();
    m_painter.save();
    m_painter.setClipRect(QRect(left, m_t, qMax(0, right - left), m_b - m_t), Qt::IntersectClip);
    m_clipped = true;
}

void RowCanvas::unclip()
{
    if (m_clipped)
        m_painter.restore();
    m_clipped = false;
}

void RowCanvas::rowGap()
{
    line(m_l, m_t, m_r, m_t, m_gap);
    line(m_l, m_b - 1, m_r, m_b - 1, m_gap);
}

void RowCanvas::bandEdges()
{
    line(m_l, m_t + 1, m_r, m_t + 1, Qt::black);
    line(m_l, m_b - 2, m_r, m_b - 2, Qt::black);
}

void RowCanvas::cap(int x)
{
    line(x, m_t + 1, x, m_b - 1, Qt::black);
}

void RowCanvas::boxSides(int leftX, int rightX)
{
    cap(leftX);
    cap(rightX);
}

void RowCanvas::erase(int x, int width, int y1, int y2)
{
    if (y2 > y1)
        m_painter.fillRect(QRect(x - width / 2, y1, width, y2 - y1), m_gap);
}

void RowCanvas::leftTicks()
{
    line(m_l, m_t, m_l, m_t + 1, Qt::black);
    line(m_l, m_b - 1, m_l, m_b, Qt::black);
}

void RowPainter::paint(QPainter &painter, const QRect &row, const ItemRow &item, bool current,
                       const CellContext &cell) const
{
    painter.save();
    painter.setFont(ViewFonts::cellFont());
    const Colors colors = chooseColors(item, current, cell);
    RowCanvas canvas(painter, row, colors.background, colors.text, gapColor(cell));
    canvas.fill();
    paintContent(canvas, item, cell);
    painter.restore();
}

RowPainter::Colors RowPainter::selectionColors(const ItemRow &item, const CellContext &cell, QColor unselected)
{
    Colors colors;
    colors.background = unselected;
    const bool selected = item.No != 0 && item.noText() == cell.selectedItemNo;
    const bool multiDay = item.isMultiDay();
    if (selected && (multiDay || cell.hasFocus)) {
        colors.background = selectionColor();
        colors.text = Qt::white;
    }
    return colors;
}

int RowPainter::subjectX(Marker marker, int afterOne, int afterBoth, int withoutIcon)
{
    switch (marker) {
    case Marker::Reminder:
    case Marker::Recurrence:
        return afterOne;
    case Marker::Both:
        return afterBoth;
    case Marker::None:
        break;
    }
    return withoutIcon;
}
