#include "printing/BodyCanvas.h"

#include "printing/BodyPicture.h"
#include "views/ViewFonts.h"

#include <QFontMetrics>

BodyCanvas::BodyCanvas(BodyPicture &picture)
    : m_picture(picture)
    , m_font(ViewFonts::cellFont())
{ }

void BodyCanvas::fill(const QRect &rect, const QColor &color)
{
    m_picture.fill(rect, color);
}

// Lines are filled rectangles: they land on whole units on paper and on
// whole pixels in a picture of the body, whatever the painter's scale.
void BodyCanvas::hline(int x1, int x2, int y, const QColor &color)
{
    if (x2 != x1)
        m_picture.fill(QRect(qMin(x1, x2 + 1), y, qAbs(x2 - x1), 1), color);
}

void BodyCanvas::vline(int x, int y1, int y2, const QColor &color)
{
    if (y2 != y1)
        m_picture.fill(QRect(x, qMin(y1, y2 + 1), 1, qAbs(y2 - y1)), color);
}

void BodyCanvas::wideLine(int x, int width, int y1, int y2, const QColor &color)
{
    if (y2 > y1)
        m_picture.fill(QRect(x - width / 2, y1, width, y2 - y1), color);
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
    m_picture.text(QPoint(x, y), text, m_font);
}

void BodyCanvas::clippedText(const QRect &clip, int x, int y, const QString &text)
{
    if (!clip.isEmpty())
        m_picture.text(QPoint(x, y), text, m_font, clip);
}

int BodyCanvas::textWidth(const QString &text) const
{
    return QFontMetrics(m_font).horizontalAdvance(text);
}

void BodyCanvas::image(int x, int y, const QImage &image)
{
    m_picture.image(QPoint(x, y), image);
}
