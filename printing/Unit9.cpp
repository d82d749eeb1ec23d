#include "printing/Unit9.h"

#include "printing/BodyCanvas.h"
#include "views/ClockText.h"
#include "store/Cursor.h"
#include "views/ItemRow.h"
#include "views/TypeColors.h"
#include "store/Unit2.h"

#include <QLocale>
#include <QPainter>

namespace {

constexpr int MonthCells = 42;

} // namespace

TForm9::TForm9()
    : ReportPage(QPageLayout::Landscape, QPoint(48, 90), QSize(1026, 659))
{
    m_titlePos = QPoint(64, 54);
    m_titleFont = arial(14);
    m_printDateTop = 752;
    setPaper(PrintGeometry::Paper::Letter);
}

void TForm9::setPaper(PrintGeometry::Paper paper)
{
    m_geometry = PrintGeometry::forPaper(paper, false);
    m_headerBox = QRect(48, 40, m_geometry.monthGridWidth(), 47);
}

void TForm9::paintExtras(QPainter &painter) const
{
    // The rule closes the bottom of the month grid.
    painter.fillRect(QRect(48, 749, m_geometry.monthGridWidth(), 1), Qt::black);
}

QString TForm9::cellTitle(int n, const QDate &date)
{
    const QLocale locale;
    if (n == 1 || date.day() == 1)
        return locale.toString(date, QStringLiteral("MMMM d"));
    return locale.toString(date, QStringLiteral("d"));
}

TForm9::Cell TForm9::cell(int n, const QDate &date) const
{
    const int J = m_geometry.J;
    Cell c {n, date, 0, (n / 7) * CellHeight, CellHeight, J};
    switch (n % 7) {
    case 6: // Saturday: upper half of the weekend column
        c.P = 5 * J;
        c.h = WeekendHalf;
        break;
    case 0: // Sunday: lower half, under the Saturday of its week row
        c.P = 5 * J;
        c.Y -= WeekendHalf;
        c.h = WeekendHalf;
        break;
    default:
        c.P = (n % 7 - 1) * J;
        break;
    }
    return c;
}

void TForm9::drawBody(TDataModule2 &data, const QDate &monthFirstDate, bool use24Hour)
{
    clearBody();
    BodyCanvas canvas(bodyPicture());
    for (int n = 1; n <= MonthCells; ++n) {
        Cursor &cursor = data.table(n);
        drawCell(canvas, cell(n, monthFirstDate.addDays(n - 1)), cursor, use24Hour);
        if (cursor.isOpen())
            cursor.first();
    }
    // On Letter the grid is narrower than the picture.
    canvas.fill(QRect(m_geometry.monthGridWidth(), 0, bodyRect().width(), bodyRect().height()), Qt::white);
}

void TForm9::drawCell(BodyCanvas &canvas, const Cell &c, Cursor &cursor, bool use24Hour)
{
    // Every cell prints white: neither the grey of a neighbouring month nor
    // the selected day.
    canvas.fill(QRect(c.P, c.Y, c.J, c.h), Qt::white);
    canvas.vline(c.P, c.Y, c.Y + c.h);
    canvas.hline(c.P, c.R(), c.Y);
    if (c.weekday() >= 5)
        canvas.vline(c.R() - 1, c.Y, c.Y + c.h);

    // Past the last date a calendar can hold the cursor has no day to
    // stand for, whatever rows it still lists.
    if (!isCalendarDate(c.date))
        return;
    const QString title = cellTitle(c.n, c.date);
    canvas.text(c.R() - 6 - canvas.textWidth(title), c.Y + 3, title);

    if (!cursor.isOpen())
        return;
    cursor.first();
    for (int r = 1; r <= c.maxRows() && !cursor.eof(); ++r, cursor.next())
        drawRow(canvas, c, c.Y + RowHeight * r, ItemRow::fromCursor(cursor), use24Hour);
}

void TForm9::drawRow(BodyCanvas &canvas, const Cell &c, int V, const ItemRow &item, bool use24Hour)
{
    const int P = c.P;
    const int R = c.R();
    const int J = c.J;
    const bool monday = c.weekday() == 0;
    const bool sunday = c.isSunday();
    const bool weekend = c.weekday() >= 5;
    const bool multiDay = item.isMultiDay();
    const bool timed = item.St.isValid();

    canvas.fill(QRect(QPoint(monday || sunday ? P + 1 : P, V + 1), QPoint(R - 1, V + 16)), TypeColors::color(item.T));

    if (!multiDay) {
        const QString time = ClockText::format(item.St, use24Hour);
        int x = P + 5;
        if (!timed)
            x = P + 3;
        else if (!use24Hour)
            x = P + 46 - canvas.textWidth(time);
        canvas.clippedText(QRect(QPoint(P + 5, V + 2), QPoint(P + J - 1, V + 15)), x, V + 2,
                           time + QLatin1Char(' ') + item.Subject);
    }
    if (multiDay || !timed) {
        canvas.hline(P, R, V + 1);
        canvas.hline(P, R, V + 16);
    }
    if (!multiDay && !timed) { // an all-day item: a closed box
        canvas.vline(P + 4, V + 2, V + 17);
        canvas.vline(R - 5, V + 2, V + 17);
    }
    if (multiDay) {
        if (!monday && !sunday) {
            // The subject runs on from the band's first day in this week row.
            const int k = int(qMin<qint64>(item.S.daysTo(c.date), c.weekday()));
            canvas.clippedText(QRect(QPoint(P, V + 2), QPoint(R - 1, V + 15)), P + 5 - k * J, V + 2, item.Subject);
        } else {
            canvas.clippedText(QRect(QPoint(P + 5, V + 2), QPoint(R - 1, V + 15)), P + 5, V + 2, item.Subject);
        }
        if (item.S == c.date) { // the band's start
            canvas.wideLine(P + 2, 4, V + 2, V + 16, Qt::white);
            canvas.vline(P, V, V + 18);
            canvas.vline(P + 4, V + 2, V + 17);
        }
    } else {
        canvas.wideLine(P + 2, 4, V + 2, V + 16, Qt::white);
        canvas.wideLine(R - 2, 4, V + 2, V + 16, Qt::white);
        canvas.vline(P, V, V + 18);
    }
    if (monday || sunday)
        canvas.wideLine(P + 2, 3, V + 2, V + 16, Qt::white);
    if (weekend) {
        canvas.wideLine(R - 2, 3, V + 2, V + 16, Qt::white);
        canvas.vline(R - 1, V, V + 18);
    }
    if (multiDay && item.E == c.date) { // the band's end
        canvas.wideLine(R - 2, 6, V + 2, V + 16, Qt::white);
        canvas.vline(R - 6, V + 2, V + 17);
    }
}
