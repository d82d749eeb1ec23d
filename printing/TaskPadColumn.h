#pragma once

#include "printing/PrintGeometry.h"

class BodyCanvas;
class Cursor;

// The task pad column at the right of the weekly and daily bodies: a header
// and up to 44 tasks of the task cursor, in its current order and filter.
namespace TaskPadColumn {

// Draws the column x = W - T .. W when the geometry includes the task pad;
// the cursor is left on the row after the last printed task.
void draw(BodyCanvas &canvas, const PrintGeometry &geometry, Cursor &tasks);

} // namespace TaskPadColumn
