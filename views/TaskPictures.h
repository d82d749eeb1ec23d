#pragma once

#include <QImage>

// The small pictures of tasks, shared by the task pad and the printed task
// column: the task sheet, the header's page and tick, and the completion
// boxes. The original pictures had a teal ground that was never drawn; here
// that ground is simply transparent.
namespace TaskPictures {

QImage task();                        // 12 x 14: a sheet with a dark red tick
QImage page();                        // 9 x 12: a page with a folded corner
QImage tick();                        // 12 x 12: a tick mark
QImage completionBox(bool completed); // 13 x 13: blue frame, a green tick when completed

} // namespace TaskPictures
