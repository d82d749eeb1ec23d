#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// The main window's remembered placement (options "11" to "15"): whether it
// was maximised and its normal bounds.
struct WindowPlacement
{
    bool maximized = false; // "11"
    QRect normalBounds;     // left "12", top "13", height "14", width "15"

    // The bounds the four option fields describe. The fields may hold any
    // integer (another program can write them), so each is first brought
    // into a range where a rectangle's right and bottom edges cannot
    // overflow.
    static QRect storedBounds(int left, int top, int width, int height);

    // The bounds to open the window with. A stored size too small to use,
    // or larger than all screens together, keeps the initial size; bounds
    // that no longer meet any screen (a monitor was removed) are moved onto
    // the first screen, so the window can never open where nobody can see it.
    static QRect boundsToApply(const QRect &stored, const QList<QRect> &screens, const QSize &initialSize);
};
