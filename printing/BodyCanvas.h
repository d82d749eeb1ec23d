#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class BodyPicture;

// Drawing into a body picture in its own pixel coordinates, the way the
// layouts describe it: lines leave out their end point, a wide line is
// centred on its x, text is placed by its top-left corner in the picture's
// 8-point font, in black.
class BodyCanvas
{
public:
    explicit BodyCanvas(BodyPicture &picture);

    void fill(const QRect &rect, const QColor &color);
    // From (x1, y) to (x2, y), x2 left out.
    void hline(int x1, int x2, int y, const QColor &color = Qt::black);
    // From (x, y1) to (x, y2), y2 left out.
    void vline(int x, int y1, int y2, const QColor &color = Qt::black);
    // A vertical line `width` wide centred on x.
    void wideLine(int x, int width, int y1, int y2, const QColor &color);
    // The outline of a rectangle through the four corners, as line segments.
    void outline(int left, int top, int right, int bottom);

    void text(int x, int y, const QString &text);
    // The text drawn at (x, y), cut off outside `clip`.
    void clippedText(const QRect &clip, int x, int y, const QString &text);
    int textWidth(const QString &text) const;
    void image(int x, int y, const QImage &image);

private:
    BodyPicture &m_picture;
    QFont m_font;
};
