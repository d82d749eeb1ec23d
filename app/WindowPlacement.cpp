#include "app/WindowPlacement.h"

#include <algorithm>

namespace {
constexpr int SmallestUsableSide = 100;
constexpr int VisibleOverlap = 50; // this much of the window must lie on a screen
// Far beyond any desktop, and far enough below 2^31 that sums of two stay exact.
constexpr int CoordinateLimit = 1 << 24;
} // namespace

QRect WindowPlacement::storedBounds(int left, int top, int width, int height)
{
    return QRect(std::clamp(left, -CoordinateLimit, CoordinateLimit),
                 std::clamp(top, -CoordinateLimit, CoordinateLimit), std::clamp(width, 0, CoordinateLimit),
                 std::clamp(height, 0, CoordinateLimit));
}

QRect WindowPlacement::boundsToApply(const QRect &stored, const QList<QRect> &screens, const QSize &initialSize)
{
    QRect bounds = stored;
    if (bounds.width() < SmallestUsableSide || bounds.height() < SmallestUsableSide)
        bounds.setSize(initialSize);
    if (screens.isEmpty())
        return bounds;
    QRect desktop;
    for (const QRect &screen : screens)
        desktop |= screen;
    if (bounds.width() > desktop.width() || bounds.height() > desktop.height())
        bounds.setSize(initialSize);
    for (const QRect &screen : screens) {
        const QRect overlap = screen.intersected(bounds);
        if (overlap.width() >= VisibleOverlap && overlap.height() >= VisibleOverlap)
            return bounds;
    }
    const QRect first = screens.first();
    bounds.moveTopLeft(first.topLeft());
    return bounds;
}
