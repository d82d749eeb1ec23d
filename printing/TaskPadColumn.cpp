#include "printing/TaskPadColumn.h"

#include "printing/BodyCanvas.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "printing/TaskPadIcons.h"

namespace TaskPadColumn {

void draw(BodyCanvas &canvas, const PrintGeometry &g, Cursor &tasks)
{
    if (g.T <= 0)
        return;
    const int x0 = g.taskPadLeft();
    const int rowHeight = PrintGeometry::TaskRowHeight;
    canvas.fill(QRect(x0, 0, g.T, g.I), Qt::white);
    canvas.outline(x0, 0, g.W - 1, g.I);

    canvas.image(x0 + 3, 3, TaskPadIcons::page());
    canvas.image(x0 + 20, 3, TaskPadIcons::tick());
    canvas.text(x0 + 41, 2, QStringLiteral("Task Pad"));

    if (!tasks.isOpen())
        return;
    tasks.first();
    for (int r = 1; r <= PrintGeometry::MaxTasks && !tasks.eof(); ++r, tasks.next()) {
        const int top = rowHeight * r;
        canvas.image(x0 + 3, top + 2, TaskPadIcons::task());
        canvas.image(x0 + 20, top + 2, tasks.asBool(ItemField::C) ? TaskPadIcons::doneBox() : TaskPadIcons::emptyBox());
        const QRect clip(x0 + 40, top, g.T - 41, rowHeight);
        canvas.clippedText(clip, x0 + 40, top + 2, tasks.asText(ItemField::Subject));
    }
}

} // namespace TaskPadColumn
