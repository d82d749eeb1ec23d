#include "printing/Unit11.h"

#include "printing/BodyCanvas.h"
#include "views/ClockText.h"
#include "store/Cursor.h"
#include "views/DayGeometry.h"
#include "printing/DayPrintBlocks.h"
#include "views/ItemRow.h"
#include "printing/TaskPadColumn.h"
#include "views/TimeRuler.h"
#include "views/TypeColors.h"
#include "store/ItemFields.h"
#include "store/Unit2.h"

#include <QPainter>

TForm11::TForm11()
    : ReportPage(QPageLayout::Portrait, QPoint(48, 166), QSize(720, 894))
{
    setGeometry(PrintGeometry::Paper::Letter, false);
}

void TForm11::setGeometry(PrintGeometry::Paper paper, bool taskPad)
{
    setPortraitGeometry(PrintGeometry::forPaper(paper, taskPad));
}

void TForm11::paintExtras(QPainter &painter) const
{
    painter.setFont(arial(16));
    painter.setPen(Qt::black);
    for (int i = 0; i < m_hourLabels.size(); ++i)
        painter.drawText(hourLabelRect(i), Qt::AlignRight | Qt::AlignTop, m_hourLabels.at(i));
}

void TForm11::drawBody(TDataModule2 &data, const DayPrintBlocks &blocks, const QDate &shownDate, int firstHour,
                       bool use24Hour)
{
    firstHour = qBound(0, firstHour, 7);
    clearBody();
    m_hourLabels.clear();
    for (int i = 0; i < PrintedHours; ++i)
        m_hourLabels << TimeRuler::hourLabel(firstHour + i, use24Hour).hour;

    BodyCanvas canvas(bodyPicture());
    drawGrid(canvas);
    drawBlocks(canvas, data.Table46(), blocks, firstHour, use24Hour);

    // Blocks outside the printed hours are cut off at the grid's edges.
    const int right = appointmentRight();
    canvas.fill(QRect(0, 0, right, GridTop), Qt::white);
    canvas.fill(QRect(1, GridBottom + 1, right - 1, bodyRect().height()), Qt::white);
    canvas.outline(0, 0, right, m_geometry.I);

    drawStrip(canvas, data.Table49(), shownDate);
    TaskPadColumn::draw(canvas, m_geometry, data.Table47());
}

void TForm11::drawGrid(BodyCanvas &canvas) const
{
    const int right = appointmentRight();
    canvas.vline(62, 0, m_geometry.I);
    for (int j = 0; j <= 2 * PrintedHours; ++j) {
        const int y = GridTop + HalfHour * j;
        canvas.hline(AppointmentLeft, right, y);
        if (j % 2) {
            canvas.hline(30, AppointmentLeft, y); // the half hour
        } else {
            canvas.text(32, 172 + HalfHour * j, QStringLiteral("00"));
            canvas.hline(0, AppointmentLeft, y); // the hour
        }
    }
}

void TForm11::drawBlocks(BodyCanvas &canvas, Cursor &dayList, const DayPrintBlocks &blocks, int firstHour,
                         bool use24Hour) const
{
    if (!dayList.isOpen() || blocks.gridWidth <= 0)
        return;
    const int A = appointmentRight() - AppointmentLeft;
    const int D = blocks.gridWidth;
    // A block's top in the day grid is the line above its first row; the
    // printed grid's first line (GridTop) is that line for the first hour,
    // so block outlines lie on the printed grid lines.
    const int firstLine = DayGeometry::rowTop(2 * firstHour);
    for (dayList.first(); !dayList.eof(); dayList.next()) {
        const auto found = blocks.blocks.constFind(dayList.value(ItemField::No).toLongLong());
        if (found == blocks.blocks.constEnd())
            continue;
        const QRect &g = found->geometry;
        const int x = g.x() < 1 ? AppointmentLeft : AppointmentLeft + int(qint64(g.x()) * A / D);
        const int w = int(qint64(g.width()) * A / D);
        const int y = g.y() - firstLine + GridTop;
        const int h = g.height() + 1;

        canvas.fill(QRect(x, y, w, h), found->color);
        canvas.outline(x, y, x + w - 1, y + h - 1);
        canvas.image(x + 3, y + 2, MarkerIcons::image(found->marker));
        const int g0 = MarkerIcons::width(found->marker);
        const QString label = ClockText::blockLabel(dayList.asTime(ItemField::St), dayList.asTime(ItemField::Et),
                                                    dayList.asText(ItemField::Subject), use24Hour);
        canvas.clippedText(QRect(QPoint(x + g0 + 5, y + 1), QPoint(x + w - 2, y + h - 3)), x + g0 + 5, y + 2, label);
    }
}

void TForm11::drawStrip(BodyCanvas &canvas, Cursor &strip, const QDate &shownDate) const
{
    if (!strip.isOpen())
        return;
    const int right = appointmentRight() - 5;
    strip.first();
    for (int i = 0; i < StripRows && !strip.eof(); ++i, strip.next()) {
        const ItemRow item = ItemRow::fromCursor(strip);
        const int R = 18 * i;
        canvas.fill(QRect(QPoint(4, R + 3), QPoint(right - 1, R + 18)), TypeColors::color(item.T));
        canvas.clippedText(QRect(QPoint(6, R + 3), QPoint(right - 1, R + 18)), 5, R + 4, item.Subject);
        canvas.hline(4, right, R + 3);
        canvas.hline(4, right, R + 18);
        if (!item.isMultiDay() && !item.St.isValid()) {
            canvas.vline(4, R + 3, R + 19);
            canvas.vline(right, R + 3, R + 19);
        }
        if (item.S == shownDate)
            canvas.vline(4, R + 3, R + 19);
        if (item.E == shownDate)
            canvas.vline(right, R + 3, R + 19);
    }
}
