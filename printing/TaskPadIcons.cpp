#include "TaskPadIcons.h"

#include <QPainter>

namespace {

// Pixel art: '#' black, 'r' dark red, 'g' green, 'b' blue, 'w' white,
// anything else transparent.
QImage fromArt(const char *const *rows, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            QColor color;
            switch (rows[y][x]) {
            case '#': color = Qt::black; break;
            case 'r': color = QColor(128, 0, 0); break;
            case 'g': color = QColor(0, 128, 0); break;
            case 'b': color = QColor(0, 0, 255); break;
            case 'w': color = Qt::white; break;
            default: continue;
            }
            image.setPixelColor(x, y, color);
        }
    }
    return image;
}

const char *const taskArt[14] = {
    "..########..",
    "..#wwwwww#..",
    "..#wwwwwwr..",
    "..#wwwwwrr..",
    "..#wwwwrr#..",
    "..#rwwrrw#..",
    "..#rrrrww#..",
    "..#wrrwww#..",
    "..#wwwwww#..",
    "..#w####w#..",
    "..#wwwwww#..",
    "..#w###ww#..",
    "..#wwwwww#..",
    "..########..",
};

const char *const pageArt[12] = {
    "#####....",
    "#www##...",
    "#www#w#..",
    "#www####.",
    "#wwwwww#.",
    "#w####w#.",
    "#wwwwww#.",
    "#w####w#.",
    "#wwwwww#.",
    "#w####w#.",
    "#wwwwww#.",
    "########.",
};

const char *const tickArt[12] = {
    "............",
    "..........#.",
    ".........##.",
    "........###.",
    ".#.....###..",
    ".##...###...",
    ".###.###....",
    "..#####.....",
    "...###......",
    "....#.......",
    "............",
    "............",
};

const char *const doneArt[13] = {
    "bbbbbbbbbbbbb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwgwb",
    "bwwwwwwwwggwb",
    "bwwwwwwwgggwb",
    "bwgwwwwgggwwb",
    "bwggwwgggwwwb",
    "bwgggggggwwwb",
    "bwwgggggwwwwb",
    "bwwwgggwwwwwb",
    "bwwwwgwwwwwwb",
    "bwwwwwwwwwwwb",
    "bbbbbbbbbbbbb",
};

const char *const emptyArt[13] = {
    "bbbbbbbbbbbbb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb",
    "bbbbbbbbbbbbb",
};

} // namespace

namespace TaskPadIcons {

QImage task() { static const QImage i = fromArt(taskArt, 12, 14); return i; }
QImage page() { static const QImage i = fromArt(pageArt, 9, 12); return i; }
QImage tick() { static const QImage i = fromArt(tickArt, 12, 12); return i; }
QImage doneBox() { static const QImage i = fromArt(doneArt, 13, 13); return i; }
QImage emptyBox() { static const QImage i = fromArt(emptyArt, 13, 13); return i; }

} // namespace TaskPadIcons
