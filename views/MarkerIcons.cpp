#include "views/MarkerIcons.h"

#include <QPainter>

namespace {

// A bell with short ringing strokes on both sides.
const char *const bellArt[14] = {
    "................", ".......##.......", ".....######.....", "..#.########.#..", ".#..########..#.",
    "#...########...#", "....########....", "#...########...#", ".#.##########.#.", "..############..",
    "..############..", "................", "......####......", ".......##.......",
};

// Two arrows chasing each other around a circle.
const char *const arrowsArt[14] = {
    "................", ".....######.....", "....##....##.#..", "...##......###..", "..##......####..",
    "..#.............", "..#.............", ".............#..", ".............#..", "..####......##..",
    "..###......##...", "..#.##....##....", ".....######.....", "................",
};

QImage fromArt(const char *const art[14])
{
    QImage image(16, 14, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 16; ++x)
            if (art[y][x] == '#')
                image.setPixelColor(x, y, Qt::black);
    return image;
}

} // namespace

namespace MarkerIcons {

Marker markerFor(bool reminder, bool recurring)
{
    if (reminder && recurring)
        return Marker::Both;
    if (reminder)
        return Marker::Reminder;
    if (recurring)
        return Marker::Recurrence;
    return Marker::None;
}

QImage image(Marker marker)
{
    static const QImage bell = fromArt(bellArt);
    static const QImage arrows = fromArt(arrowsArt);
    switch (marker) {
    case Marker::Reminder:
        return bell;
    case Marker::Recurrence:
        return arrows;
    case Marker::Both: {
        static const QImage both = [] {
            QImage pair(32, 14, QImage::Format_ARGB32);
            pair.fill(Qt::transparent);
            QPainter painter(&pair);
            painter.drawImage(0, 0, bell);
            painter.drawImage(16, 0, arrows);
            return pair;
        }();
        return both;
    }
    case Marker::None:
        break;
    }
    return QImage();
}

int width(Marker marker)
{
    switch (marker) {
    case Marker::Reminder:
    case Marker::Recurrence:
        return 16;
    case Marker::Both:
        return 32;
    case Marker::None:
        break;
    }
    return 0;
}

} // namespace MarkerIcons
