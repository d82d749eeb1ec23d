#pragma once

#include <QImage>

// The small pictures of the printed task pad column, drawn on a transparent
// ground so that they sit on the white column.
namespace TaskPadIcons {

QImage task();     // 12 x 14: a black-outlined sheet with a dark red tick
QImage page();     // 9 x 12: a page with a folded corner (header)
QImage tick();     // 12 x 12: a tick mark (header)
QImage doneBox();  // 13 x 13: blue border, green tick
QImage emptyBox(); // 13 x 13: blue border

} // namespace TaskPadIcons
