#include "views/MonthView.h"

#include "views/CellGeometry.h"
#include "store/Cursor.h"
#include "views/OccurrenceRules.h"
#include "views/SeparatorLines.h"
#include "store/Unit2.h"
#include "views/ViewFonts.h"

#include <QLocale>
#include <QPainter>
#include <QResizeEvent>

using namespace CellGeometry;

MonthView::MonthView(TDataModule2 &data, ViewState &state, QWidget *parent)
    : CellsView(data, state, parent)
{
    setAutoFillBackground(true);
    m_header = new MonthHeaderStrip(this);
    m_area = new QWidget(this);
    for (int n = 1; n <= cellCountInMonth; ++n) {
        ItemCellList *cell = addCell(m_area, painterFor(monthWeekday(n)));
        cell->setObjectName(QStringLiteral("DBGrid%1").arg(n));
    }
    setSeparatorLines(new SeparatorLines(m_area));
}

const RowPainter &MonthView::painterFor(int weekday) const
{
    // Each column kind joins its bands to its neighbours in its own way.
    switch (weekday) {
    case 0:
        return m_monday;
    case 5:
        return m_saturday;
    case 6:
        return m_sunday;
    default:
        return m_midweek;
    }
}

QString MonthView::titleText(const QDate &date, int cellNumber)
{
    const QLocale locale;
    if (cellNumber == 1 || date.day() == 1)
        return locale.toString(date, QStringLiteral("MMMM d"));
    return locale.toString(date, QStringLiteral("d"));
}

void MonthView::build(const QDate &navigatorDate)
{
    state().SelectedItemNo = QStringLiteral("0");
    layoutCells();
    refill(navigatorDate);
}

void MonthView::refill(const QDate &navigatorDate)
{
    ViewState &s = state();
    const QDate first(navigatorDate.year(), navigatorDate.month(), 1);
    s.MonthFirstDate = first.addDays(1 - first.dayOfWeek());
    m_shownMonth = navigatorDate.month();
    for (int i = 0; i < cellCount(); ++i) {
        const QDate date = cellDate(i);
        OccurrenceRules::occursOn(cursorOf(i), date);
        ItemCellList *c = cell(i);
        const QColor background = dayBackground(i);
        c->setBackground(background);
        c->setTitle(titleText(date, i + 1), Qt::black, background);
    }
    placeLines();
    const int selected = int(s.MonthFirstDate.daysTo(navigatorDate));
    s.SelectedCellNo = selected + 1;
    markDay(selected, true);
    s.SelectedItemNo = QStringLiteral("0");
    resetRowHeights();
}

void MonthView::cellsRefreshed()
{
    placeLines();
    CellsView::cellsRefreshed();
}

QColor MonthView::dayBackground(int index) const
{
    return cellDate(index).month() == m_shownMonth ? QColor(Qt::white) : neighbourColor();
}

void MonthView::markDay(int index, bool selected)
{
    if (index < 0 || index >= cellCount())
        return;
    const QColor background = dayBackground(index);
    ItemCellList *c = cell(index);
    if (selected)
        c->setTitle(c->title(), Qt::white, RowPainter::selectionColor());
    else
        c->setTitle(c->title(), Qt::black, background);
}

CellContext MonthView::cellContext(int index) const
{
    CellContext context;
    context.background = dayBackground(index);
    context.columnPitch = monthPitchX(m_area->size());
    context.columnIndex = qMin(monthWeekday(index + 1), 4);
    return context;
}

void MonthView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutCells();
}

void MonthView::layoutCells()
{
    m_header->setGeometry(0, 0, width(), headerHeight);
    m_area->setGeometry(0, headerHeight, width(), qMax(0, height() - headerHeight));
    const QSize size = m_area->size();
    for (int i = 0; i < cellCount(); ++i) {
        const QRect geometry = monthCell(i + 1, size);
        cell(i)->setGeometry(geometry);
        cell(i)->setColumnWidth(geometry.width() - hiddenStrip);
    }
    separatorLines()->setGeometry(QRect(QPoint(0, 0), size));
    separatorLines()->raise();
    placeLines();
}

void MonthView::placeLines()
{
    const QSize size = m_area->size();
    QList<QRect> lines = monthFixedLines(size);
    for (int i = 0; i < cellCount(); ++i) {
        const QRect line = monthColumnLine(i + 1, cell(i)->shownRowCount(), size);
        if (!line.isNull())
            lines.append(line);
    }
    separatorLines()->setLines(lines);
}

// --- the header strip ------------------------------------------------------------

MonthHeaderStrip::MonthHeaderStrip(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
}

QStringList MonthHeaderStrip::captions()
{
    return {QStringLiteral("Monday"),   QStringLiteral("Tuesday"), QStringLiteral("Wednesday"),
            QStringLiteral("Thursday"), QStringLiteral("Friday"),  QStringLiteral("Sat/Sun")};
}

void MonthHeaderStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(ViewFonts::cellFont());
    painter.setPen(palette().color(QPalette::WindowText));
    const QStringList names = captions();
    for (int i = 0; i < names.size(); ++i)
        painter.drawText(monthHeaderLabel(i, width()), Qt::AlignCenter, names.at(i));
    // Sunken dividers: a dark line with a light one beside it.
    for (int i = 0; i < 5; ++i) {
        const int x = monthHeaderDividerX(i, width());
        painter.fillRect(QRect(x, 2, 1, height() - 4), palette().color(QPalette::Dark));
        painter.fillRect(QRect(x + 1, 2, 1, height() - 4), palette().color(QPalette::Light));
    }
}
