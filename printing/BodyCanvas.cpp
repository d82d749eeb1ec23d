#include "BodyCanvas.h"

#include "ViewFonts.h"

#include <QFontMetrics>
#include <QPainter>

BodyCanvas::BodyCanvas(QPainter &painter)
    : m_painter(painter)
    , m_font(ViewFonts::cellFont())
{
}

void BodyCanvas::fill(const QRect &rect, const QColor &color)
{
    m_painter.fillRect(rect, color);
}

// Lines are filled rectangles: they land on whole pixels in the picture and
// on whole units on paper, whatever the painter's scale.
void BodyCanvas::hline(int x1, int x2, int y, const QColor &color)
{
    if (x2 != x1)
        m_painter.fillRect(QRect(qMin(x1, x2 + 1), y, qAbs(x2 - x1), 1), color);
}

void BodyCanvas::vline(int x, int y1, int y2, const QColor &color)
{
    if (y2 != y1)
        m_painter.fillRect(QRect(x, qMin(y1, y2 + 1), 1, qAbs(y2 - y1)), color);
}

void BodyCanvas::wideLine(int x, int width, int y1, int y2, const QColor &color)
{
    if (y2 > y1)
        m_painter.fillRect(QRect(x - width / 2, y1, width, y2 - y1), color);
}

void BodyCanvas::outline(int left, int top, int right, int bottom)
{
    hline(left, right, top);
    vline(right, top, bottom);
    hline(right, left, bottom);
    vline(left, bottom, top);
}

void BodyCanvas::text(int x, int y, const QString &text)
{
    if (text.isEmpty())
        return;
    m_painter.setFont(m_font);
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPoint(x, y + QFontMetrics(m_font).ascent()), text);
}

void BodyCanvas::clippedText(const QRect &clip, int x, int y, const QString &text)
{
    if (text.isEmpty() || clip.isEmpty())
        return;
    m_painter.save();
    m_painter.setClipRect(clip, Qt::IntersectClip);
    this->text(x, y, text);
    m_painter.restore();
}

int BodyCanvas::textWidth(const QString &text) const
{
    return QFontMetrics(m_font).horizontalAdvance(text);
}

void BodyCanvas::image(int x, int y, const QImage &image)
{
    if (!image.isNull())
        m_painter.drawImage(x, y, image);
}
