#include "printing/PrintGeometry.h"

PrintGeometry PrintGeometry::forPaper(Paper paper, bool taskPad)
{
    PrintGeometry g;
    g.paper = paper;
    const bool letter = paper == Paper::Letter;
    g.J = letter ? 160 : 171;
    g.W = letter ? 720 : 696;
    g.I = letter ? 824 : 893;
    g.T = taskPad ? (letter ? 170 : 165) : 0;
    if (taskPad)
        g.K = letter ? 275 : 266;
    else
        g.K = letter ? 360 : 348;
    return g;
}

QPageSize PrintGeometry::pageSize() const
{
    return QPageSize(isLetter() ? QPageSize::Letter : QPageSize::A4);
}
