#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class QPainter;

// A page body recorded once and painted as often as the preview, a printer
// or a PDF asks for it, always as vector drawing: filled rectangles, text in
// its font and small pictures, in the body's own units. Text therefore
// stays text on paper and in a PDF, at any resolution.
//
// An opaque fill hides what lies wholly under it; such parts are dropped as
// they are covered, so a PDF's text holds only what the page shows.
class BodyPicture
{
public:
    // Starts afresh: the whole body white.
    void clear(const QSize &size);
    bool isNull() const { return m_size.isEmpty(); }
    QSize size() const { return m_size; }

    // Every part is cut off outside `clip` (an empty clip cuts nothing).
    void fill(const QRect &rect, const QColor &color);
    void text(const QPoint &topLeft, const QString &text, const QFont &font, const QRect &clip = {});
    void image(const QPoint &topLeft, const QImage &image);

    // Paints the body with its top-left corner at the painter's origin.
    void paint(QPainter &painter) const;
    // The body as a picture of `scale` pixels per unit, for reading it back.
    QImage toImage(int scale) const;

private:
    struct Part
    {
        enum class Kind { Fill, Text, Image } kind;
        QRect extent; // what it covers, clip included
        QColor color;
        QPoint origin;
        QString text;
        QFont font;
        QImage image;
        QRect clip;
    };

    void add(Part part);

    QSize m_size;
    std::vector<Part> m_parts;
};
