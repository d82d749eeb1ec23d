#include "printing/Unit10.h"

#include "printing/BodyCanvas.h"
#include "views/ClockText.h"
#include "store/Cursor.h"
#include "views/ItemRow.h"
#include "printing/TaskPadColumn.h"
#include "views/TypeColors.h"
#include "store/Unit2.h"

#include <QLocale>

TForm10::TForm10()
    : ReportPage(QPageLayout::Portrait, QPoint(48, 166), QSize(720, 894))
{
    setGeometry(PrintGeometry::Paper::Letter, false);
}

void TForm10::setGeometry(PrintGeometry::Paper paper, bool taskPad)
{
    setPortraitGeometry(PrintGeometry::forPaper(paper, taskPad));
}

QString TForm10::caption(const QDate &date)
{
    return QLocale().toString(date, QStringLiteral("dddd, MMMM d "));
}

TForm10::Day TForm10::day(int k, const QDate &date) const
{
    const bool letter = m_geometry.isLetter();
    const int third = letter ? 275 : 298;
    const int K = m_geometry.K;
    switch (k) {
    case 1:
    case 2:
    case 3:
        return {k, date, 0, (k - 1) * third, third, K};
    case 4:
    case 5:
        return {k, date, K, (k - 4) * third, third, K};
    case 6:
        return {k, date, K, letter ? 550 : 596, letter ? 138 : 150, K};
    default:
        return {k, date, K, letter ? 688 : 746, letter ? 137 : 148, K};
    }
}

void TForm10::drawBody(TDataModule2 &data, const QDate &weekFirstDate, bool use24Hour)
{
    clearBody();
    BodyCanvas canvas(bodyPicture());
    for (int k = 1; k <= 7; ++k) {
        Cursor &cursor = data.table(k);
        drawDay(canvas, day(k, weekFirstDate.addDays(k - 1)), cursor, use24Hour);
        if (cursor.isOpen())
            cursor.first();
    }
    TaskPadColumn::draw(canvas, m_geometry, data.Table47());
}

void TForm10::drawDay(BodyCanvas &canvas, const Day &d, Cursor &cursor, bool use24Hour)
{
    const int right = d.m + d.K;
    canvas.fill(QRect(d.m, d.y, d.K, d.h), Qt::white);
    canvas.vline(d.m, d.y + d.h, d.y);
    canvas.hline(d.m, right, d.y);
    if (d.k == 3 || d.k == 7)
        canvas.hline(d.m, right, d.y + d.h - 1);
    if (d.k >= 4)
        canvas.vline(right, d.y, d.y + d.h);

    // Past the last date a calendar can hold the cursor has no day to
    // stand for, whatever rows it still lists.
    if (!isCalendarDate(d.date))
        return;
    const QString text = caption(d.date);
    canvas.text(right - canvas.textWidth(text) - 2, d.y + 3, text);

    if (!cursor.isOpen())
        return;
    cursor.first();
    for (int r = 1; r <= d.maxRows() && !cursor.eof(); ++r, cursor.next())
        drawRow(canvas, d, d.y + RowHeight * r, ItemRow::fromCursor(cursor), use24Hour);
}

void TForm10::drawRow(BodyCanvas &canvas, const Day &d, int S, const ItemRow &item, bool use24Hour)
{
    const int m = d.m;
    const int right = m + d.K - 5; // the row's right end
    const bool multiDay = item.isMultiDay();
    const bool timed = item.St.isValid();

    canvas.fill(QRect(QPoint(m + 4, S + 1), QPoint(right - 1, S + 16)), TypeColors::color(item.T));

    if (!multiDay && timed) {
        const QString start = ClockText::format(item.St, use24Hour);
        canvas.text(use24Hour ? m + 5 : m + 47 - canvas.textWidth(start), S + 2, start);
    }
    if (!multiDay && item.Et.isValid()) {
        const QString end = ClockText::format(item.Et, use24Hour);
        const int clipLeft = use24Hour ? m + 40 : m + 47;
        const int x = use24Hour ? m + 40 : m + 90 - canvas.textWidth(end);
        canvas.clippedText(QRect(QPoint(clipLeft, S + 2), QPoint(right - 1, S + 15)), x, S + 2,
                           end + QLatin1Char(' ') + item.Subject);
    }
    if (multiDay || !timed)
        canvas.clippedText(QRect(QPoint(m + 5, S + 2), QPoint(right - 1, S + 15)), m + 5, S + 2, item.Subject);
    if (multiDay || !timed) {
        canvas.hline(m + 4, right, S + 1);
        canvas.hline(m + 4, right, S + 16);
    }
    if (!multiDay && !timed) { // an all-day item: a closed box
        canvas.vline(m + 4, S + 2, S + 17);
        canvas.vline(m + d.K - 6, S + 2, S + 17);
    }
    if (multiDay && item.S == d.date)
        canvas.vline(m + 4, S + 2, S + 17);
    if (multiDay && item.E == d.date)
        canvas.vline(m + d.K - 6, S + 2, S + 17);
}
