#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QTime>

// The mouse gestures that move and resize a day-view block. Every step is
// worked out from the block's current geometry and the pointer's position
// relative to the block's top, so repeating it on each pointer event makes
// the block follow the pointer row by row.
namespace BlockDrag {

enum class Zone { None, TopEdge, Body, BottomEdge };

enum class Step { None, GrowBottom, ShrinkBottom, ShrinkTop, GrowTop, MoveDown, MoveUp };

// Shared by all blocks: set by a press on a block, cleared by a press on the grid.
struct State
{
    Zone zone = Zone::None;
    int grabRow = 0; // body presses: the block row (0 first) under the pointer
};

// The zone of a press at y within a block of the given height.
State pressAt(int y, int height);
// The vertical-resize pointer shape shows over the edge zones.
bool overResizeEdge(int y, int height);

// One field write; a write list is posted as one edit, and the lists of a
// step are posted one after the other.
using Writes = QList<QPair<QString, QTime>>;

struct Result
{
    Step step = Step::None;
    int top = 0; // the block's geometry after the step
    int height = 0;
    QList<Writes> posts;
};

// The step for a pointer at y (left button held) over a block at `top`
// with `height`, whose item runs from itemStart to itemEnd.
Result step(const State &state, int top, int height, int y, const QTime &itemStart, const QTime &itemEnd);

} // namespace BlockDrag
