#include "printing/TaskPadIcons.h"

#include "views/PixelArt.h"

namespace {

// Pixel art: '#' black, 'r' dark red, 'g' green, 'b' blue, 'w' white,
// anything else transparent. The print has its own, plainer colours.
QColor colourOf(char c)
{
    switch (c) {
    case '#':
        return QColor(Qt::black);
    case 'r':
        return QColor(128, 0, 0);
    case 'g':
        return QColor(0, 128, 0);
    case 'b':
        return QColor(0, 0, 255);
    case 'w':
        return QColor(Qt::white);
    default:
        return QColor(Qt::transparent);
    }
}

QImage fromArt(const char *const *rows, int height)
{
    return PixelArt::image(rows, height, colourOf);
}

const char *const taskArt[14] = {
    "..########..", "..#wwwwww#..", "..#wwwwwwr..", "..#wwwwwrr..", "..#wwwwrr#..", "..#rwwrrw#..", "..#rrrrww#..",
    "..#wrrwww#..", "..#wwwwww#..", "..#w####w#..", "..#wwwwww#..", "..#w###ww#..", "..#wwwwww#..", "..########..",
};

const char *const pageArt[12] = {
    "#####....", "#www##...", "#www#w#..", "#www####.", "#wwwwww#.", "#w####w#.",
    "#wwwwww#.", "#w####w#.", "#wwwwww#.", "#w####w#.", "#wwwwww#.", "########.",
};

const char *const tickArt[12] = {
    "............", "..........#.", ".........##.", "........###.", ".#.....###..", ".##...###...",
    ".###.###....", "..#####.....", "...###......", "....#.......", "............", "............",
};

const char *const doneArt[13] = {
    "bbbbbbbbbbbbb", "bwwwwwwwwwwwb", "bwwwwwwwwwgwb", "bwwwwwwwwggwb", "bwwwwwwwgggwb",
    "bwgwwwwgggwwb", "bwggwwgggwwwb", "bwgggggggwwwb", "bwwgggggwwwwb", "bwwwgggwwwwwb",
    "bwwwwgwwwwwwb", "bwwwwwwwwwwwb", "bbbbbbbbbbbbb",
};

const char *const emptyArt[13] = {
    "bbbbbbbbbbbbb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bbbbbbbbbbbbb",
};

} // namespace

namespace TaskPadIcons {

QImage task()
{
    static const QImage i = fromArt(taskArt, 14);
    return i;
}
QImage page()
{
    static const QImage i = fromArt(pageArt, 12);
    return i;
}
QImage tick()
{
    static const QImage i = fromArt(tickArt, 12);
    return i;
}
QImage doneBox()
{
    static const QImage i = fromArt(doneArt, 13);
    return i;
}
QImage emptyBox()
{
    static const QImage i = fromArt(emptyArt, 13);
    return i;
}

} // namespace TaskPadIcons
