#include "views/TaskPictures.h"

#include "views/PixelArt.h"

#include <QColor>

namespace {

// Pixel art: '.' transparent, 'k' black, 'w' white, 'r' dark red,
// 'b' blue frame, 'g' green, 'G' grey.
QColor colourOf(char c)
{
    switch (c) {
    case 'k':
        return QColor(0, 0, 0);
    case 'w':
        return QColor(255, 255, 255);
    case 'r':
        return QColor(128, 0, 0);
    case 'b':
        return QColor(28, 81, 128);
    case 'g':
        return QColor(33, 161, 33);
    case 'G':
        return QColor(128, 128, 128);
    default:
        return QColor(Qt::transparent);
    }
}

template<int Rows> QImage fromArt(const char *const (&art)[Rows])
{
    return PixelArt::image(art, Rows, colourOf);
}

const char *const taskArt[14] = {
    "...kkkkkk...", "kkkwGGGGwkkk", "kwwwwwwwwwwk", "kwwwwwwwwrwk", "kwwwwwwwrrwk", "kwwwwwwrrwwk", "kwrwwwrrwwwk",
    "kwrrwrrwwwwk", "kwwrrrwwwwwk", "kwwwrwwwwwwk", "kwwwwwwwwwwk", "kwwwwwwwwwwk", "kwwwwwwwwwwk", "kkkkkkkkkkkk",
};

const char *const pageArt[12] = {
    "kkkkkk...", "kwwwwkk..", "kwwwwkwk.", "kwwwwkkkk", "kwwwwwwwk", "kwkkkkkwk",
    "kwwwwwwwk", "kwkkkkkwk", "kwwwwwwwk", "kwkkkkkwk", "kwwwwwwwk", "kkkkkkkkk",
};

const char *const tickArt[12] = {
    "............", "..........kk", ".........kk.", "........kkk.", ".......kkk..", "k.....kkk...",
    "kk...kkk....", "kkk.kkk.....", ".kkkkk......", "..kkk.......", "...k........", "............",
};

const char *const boxArt[13] = {
    "bbbbbbbbbbbbb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb",
    "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bbbbbbbbbbbbb",
};

const char *const tickedBoxArt[13] = {
    "bbbbbbbbbbbbb", "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bwwwwwwwwgwwb", "bwwwwwwwggwwb",
    "bwwgwwwgggwwb", "bwwggwgggwwwb", "bwwgggggwwwwb", "bwwwgggwwwwwb", "bwwwwgwwwwwwb",
    "bwwwwwwwwwwwb", "bwwwwwwwwwwwb", "bbbbbbbbbbbbb",
};

} // namespace

namespace TaskPictures {

QImage task()
{
    static const QImage image = fromArt(taskArt);
    return image;
}

QImage page()
{
    static const QImage image = fromArt(pageArt);
    return image;
}

QImage tick()
{
    static const QImage image = fromArt(tickArt);
    return image;
}

QImage completionBox(bool completed)
{
    static const QImage empty = fromArt(boxArt);
    static const QImage ticked = fromArt(tickedBoxArt);
    return completed ? ticked : empty;
}

} // namespace TaskPictures
