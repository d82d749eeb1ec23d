#include "WindowPlacement.h"

namespace {
constexpr int SmallestUsableSide = 100;
constexpr int VisibleOverlap = 50; // this much of the window must lie on a screen
}

QRect WindowPlacement::boundsToApply(const QRect &stored, const QList<QRect> &screens, const QSize &initialSize)
{
    QRect bounds = stored;
    if (bounds.width() < SmallestUsableSide || bounds.height() < SmallestUsableSide)
        bounds.setSize(initialSize);
    if (screens.isEmpty())
        return bounds;
    for (const QRect &screen : screens) {
        const QRect overlap = screen.intersected(bounds);
        if (overlap.width() >= VisibleOverlap && overlap.height() >= VisibleOverlap)
            return bounds;
    }
    const QRect first = screens.first();
    bounds.moveTopLeft(first.topLeft());
    return bounds;
}
