#include "views/CellGeometry.h"

namespace CellGeometry {

int monthPitchX(const QSize &area)
{
    return area.width() / 6;
}

int monthPitchY(const QSize &area)
{
    return area.height() / 6;
}

QRect monthCell(int n, const QSize &area)
{
    const int W = area.width(), H = area.height();
    const int P = monthPitchX(area), Q = monthPitchY(area);
    const int r = monthWeekRow(n), c = monthWeekday(n);
    const int weekendWidth = W - 5 * P + hiddenStrip;
    // The last week row takes what the integer pitch leaves over.
    const int rowHeightHere = r == 5 ? H - 5 * Q : Q;
    switch (c) {
    case 5: // Saturday: the upper part of the weekend column
        return QRect(5 * P, r * Q, weekendWidth, H / 12);
    case 6: // Sunday below it
        return QRect(5 * P, r * Q + H / 12, weekendWidth, rowHeightHere - H / 12);
    default:
        return QRect(c * P, r * Q, P + hiddenStrip, rowHeightHere);
    }
}

QList<QRect> monthFixedLines(const QSize &area)
{
    const int W = area.width();
    const int P = monthPitchX(area), Q = monthPitchY(area);
    QList<QRect> lines;
    for (int k = 1; k <= 5; ++k)
        lines.append(QRect(0, k * Q, W, 1));
    for (int r = 0; r < 6; ++r)
        lines.append(QRect(5 * P, monthCell(7 * r + 7, area).top(), W - 5 * P, 1));
    for (int c = 1; c <= 5; ++c)
        lines.append(QRect(c * P, 0, 1, rowHeight));
    return lines;
}

QRect monthColumnLine(int n, int rows, const QSize &area)
{
    const int c = monthWeekday(n);
    if (c < 1 || c > 5)
        return QRect();
    const QRect cell = monthCell(n, area);
    const int y0 = cell.top(), h = cell.height();
    int top, length;
    if (rowHeight * (rows + 1) <= h) {
        top = y0 + rowHeight * (rows + 1);
        length = h - rowHeight * rows;
    } else {
        // The rows overflow the cell: the line covers the part row at the
        // bottom and the title row of the cell below.
        top = y0 + h - h % rowHeight;
        length = h % rowHeight + rowHeight;
    }
    if (c == 5)
        length += monthCell(n + 1, area).height();
    return QRect(c * monthPitchX(area), top, 1, length);
}

QRect monthHeaderLabel(int i, int areaWidth)
{
    const int P = areaWidth / 6;
    return QRect(i * P + 1, 0, P - 2, headerHeight);
}

int monthHeaderDividerX(int i, int areaWidth)
{
    return (i + 1) * (areaWidth / 6) - 1;
}

QRect weekCell(int k, const QSize &area)
{
    const int W = area.width(), H = area.height();
    const int third = H / 3, sixth = H / 6;
    const int leftWidth = W / 2 + hiddenStrip;
    const int rightWidth = W - W / 2 + hiddenStrip;
    switch (k) {
    case 1:
        return QRect(0, 0, leftWidth, third);
    case 2:
        return QRect(0, third, leftWidth, third);
    case 3:
        return QRect(0, 2 * third, leftWidth, H - 2 * third);
    case 4:
        return QRect(W / 2, 0, rightWidth, third);
    case 5:
        return QRect(W / 2, third, rightWidth, third);
    case 6:
        return QRect(W / 2, 2 * third, rightWidth, sixth);
    default: {
        const int height = H - 2 * third - sixth;
        return QRect(W / 2, H - height, rightWidth, height);
    }
    }
}

QRect weekHeaderBar(int k, const QSize &area)
{
    const int W = area.width();
    const int top = weekCell(k, area).top();
    if (k <= 3)
        return QRect(0, top, W / 2, rowHeight);
    return QRect(W / 2 + 1, top, W - W / 2 - 1, rowHeight);
}

QList<QRect> weekLines(const QSize &area)
{
    const int W = area.width(), H = area.height();
    const QRect sunday = weekCell(7, area);
    return {QRect(W / 2, 0, 1, H), QRect(0, weekCell(5, area).top() - 1, W, 1),
            QRect(0, weekCell(6, area).top() - 1, W, 1), QRect(W / 2, sunday.top() - 1, sunday.width(), 1)};
}

} // namespace CellGeometry
