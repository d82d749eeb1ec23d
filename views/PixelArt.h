#pragma once

#include <QColor>
#include <QImage>

// Small pictures written as text: one string a row, one character a pixel.
namespace PixelArt {

// The colour of one character; Qt::transparent leaves the pixel empty.
using Palette = QColor (*)(char c);

// The picture of `height` rows, as wide as the first row.
QImage image(const char *const *rows, int height, Palette palette);

} // namespace PixelArt
