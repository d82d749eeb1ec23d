#include "views/PixelArt.h"

namespace PixelArt {

QImage image(const char *const *rows, int height, Palette palette)
{
    const int width = int(qstrlen(rows[0]));
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, palette(rows[y][x]));
    return image;
}

} // namespace PixelArt
