#include "views/BlockDrag.h"

#include "store/ItemFields.h"

#include "views/DayGeometry.h"

using namespace DayGeometry;

namespace BlockDrag {

namespace {

using ItemField::Et;
using ItemField::St;

// An end past the last row is the end of the day.
QTime endAt(int position)
{
    return position > lastRowLimit ? endOfDay() : timeOfPosition(position);
}

Result bottomEdgeStep(int top, int height, int y, const QTime &itemStart)
{
    Result r {Step::None, top, height, {}};
    if (y > height) {
        r.step = Step::GrowBottom;
        r.height = height + ((y - height) / rowHeight) * rowHeight + rowHeight;
        r.posts = {{{Et, endAt(top + r.height)}}};
    } else if (y < height - rowHeight) {
        r.step = Step::ShrinkBottom;
        if (y >= 0) {
            r.height = height - ((height - y) / rowHeight) * rowHeight;
            r.posts = {{{Et, timeOfPosition(top + r.height)}}};
        } else {
            // Dragged above the block: the item ends where it starts.
            r.posts = {{{Et, itemStart}}};
        }
    }
    return r;
}

Result topEdgeStep(int top, int height, int y, const QTime &itemEnd)
{
    Result r {Step::None, top, height, {}};
    if (y > rowHeight) {
        r.step = Step::ShrinkTop;
        if (y < height) {
            const int f = (y / rowHeight) * rowHeight;
            r.height = height - f;
            r.top = top + f;
            r.posts = {{{St, timeOfPosition(r.top)}}};
        } else {
            r.posts = {{{St, itemEnd}}, {{St, timeOfPosition(top)}}};
        }
    } else if (y < 0) {
        r.step = Step::GrowTop;
        const int f = (y / rowHeight) * rowHeight;
        r.height = height - f + rowHeight;
        r.top = top + f - rowHeight;
        r.posts = {{{St, r.top <= 0 ? QTime(0, 0) : timeOfPosition(r.top)}}};
    }
    return r;
}

Result bodyStep(int grabRow, int top, int height, int y)
{
    Result r {Step::None, top, height, {}};
    if (y > rowHeight * grabRow + rowHeight) {
        r.step = Step::MoveDown;
        r.top = top + ((y / rowHeight) - grabRow) * rowHeight;
        const QTime start = r.top > lastRowLimit ? endOfDay() : timeOfPosition(r.top);
        const QTime end = (r.top + height > lastRowLimit || r.top < 0) ? endOfDay() : timeOfPosition(r.top + height);
        r.posts = {{{St, start}}, {{Et, end}}};
    } else if (y < rowHeight * grabRow) {
        r.step = Step::MoveUp;
        if (y < 0)
            r.top = top + (y / rowHeight) * rowHeight;
        else if (y > 0)
            r.top = top - rowHeight;
        const QTime start = r.top < 0 ? QTime(0, 0) : timeOfPosition(r.top);
        r.posts = {{{St, start}}, {{Et, endAt(r.top + height)}}};
    }
    return r;
}

} // namespace

State pressAt(int y, int height)
{
    if (y < edgeZone)
        return {Zone::TopEdge, 0};
    if (y <= height - edgeZone)
        return {Zone::Body, y / rowHeight};
    return {Zone::BottomEdge, 0};
}

bool overResizeEdge(int y, int height)
{
    return y < edgeZone || y > height - edgeZone;
}

Result step(const State &state, int top, int height, int y, const QTime &itemStart, const QTime &itemEnd)
{
    switch (state.zone) {
    case Zone::BottomEdge:
        return bottomEdgeStep(top, height, y, itemStart);
    case Zone::TopEdge:
        return topEdgeStep(top, height, y, itemEnd);
    case Zone::Body:
        return bodyStep(state.grabRow, top, height, y);
    case Zone::None:
        break;
    }
    return Result {Step::None, top, height, {}};
}

} // namespace BlockDrag
