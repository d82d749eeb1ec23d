#include "views/DayGeometry.h"

#include <QtGlobal>

namespace DayGeometry {

int blockTop(const QTime &start)
{
    return hourHeight * start.hour() + (start.minute() >= 30 ? rowHeight : 0) - 1;
}

int blockBottom(const QTime &end)
{
    const int m = end.minute();
    const int e = (m == 0) ? 0 : (m <= 30 ? rowHeight : hourHeight);
    return hourHeight * end.hour() + e - 1;
}

int rowAt(int y)
{
    return qBound(0, y / rowHeight, rowCount - 1);
}

QTime rowTime(int row)
{
    row = qBound(0, row, rowCount - 1);
    return QTime(row / 2, 30 * (row % 2));
}

QTime timeAfterRow(int row)
{
    if (row > rowCount - 2)
        return endOfDay();
    return rowTime(row + 1);
}

QTime timeOfPosition(int position)
{
    // Integer division truncates toward zero, as the row arithmetic expects.
    return rowTime((position + rowHeight) / rowHeight);
}

QTime endOfDay()
{
    return QTime(23, 55);
}

} // namespace DayGeometry
