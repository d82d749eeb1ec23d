#include "printing/BodyPicture.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

void BodyPicture::clear(const QSize &size)
{
    m_size = size;
    m_parts.clear();
    fill(QRect(QPoint(0, 0), size), Qt::white);
}

void BodyPicture::add(Part part)
{
    if (part.extent.isEmpty())
        return;
    if (part.kind == Part::Kind::Fill && part.color.alpha() == 255) {
        const QRect covered = part.extent;
        m_parts.erase(std::remove_if(m_parts.begin(), m_parts.end(),
                                     [&covered](const Part &p) { return covered.contains(p.extent); }),
                      m_parts.end());
    }
    m_parts.push_back(std::move(part));
}

void BodyPicture::fill(const QRect &rect, const QColor &color)
{
    Part part {Part::Kind::Fill, rect.normalized(), color, {}, {}, {}, {}, {}};
    add(std::move(part));
}

void BodyPicture::text(const QPoint &topLeft, const QString &text, const QFont &font, const QRect &clip)
{
    if (text.isEmpty())
        return;
    const QFontMetrics metrics(font);
    QRect extent(topLeft, QSize(metrics.horizontalAdvance(text), metrics.height()));
    if (!clip.isNull())
        extent &= clip;
    add({Part::Kind::Text, extent, Qt::black, topLeft, text, font, {}, clip});
}

void BodyPicture::image(const QPoint &topLeft, const QImage &image)
{
    if (image.isNull())
        return;
    add({Part::Kind::Image, QRect(topLeft, image.size()), {}, topLeft, {}, {}, image, {}});
}

void BodyPicture::paint(QPainter &painter) const
{
    painter.save();
    painter.setPen(Qt::black);
    for (const Part &part : m_parts) {
        switch (part.kind) {
        case Part::Kind::Fill:
            painter.fillRect(part.extent, part.color);
            break;
        case Part::Kind::Text:
            painter.save();
            if (!part.clip.isNull())
                painter.setClipRect(part.clip, Qt::IntersectClip);
            painter.setFont(part.font);
            painter.drawText(QPoint(part.origin.x(), part.origin.y() + QFontMetrics(part.font).ascent()), part.text);
            painter.restore();
            break;
        case Part::Kind::Image:
            painter.drawImage(part.origin, part.image);
            break;
        }
    }
    painter.restore();
}

QImage BodyPicture::toImage(int scale) const
{
    QImage image(m_size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter);
    return image;
}
