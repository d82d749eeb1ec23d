#include "views/WeekView.h"

#include "views/CellGeometry.h"
#include "views/OccurrenceRules.h"
#include "views/SeparatorLines.h"
#include "views/ViewFonts.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QResizeEvent>

using namespace CellGeometry;

WeekView::WeekView(TDataModule2 &data, ViewState &state, QWidget *parent)
    : CellsView(data, state, parent)
{
    m_area = new QWidget(this);
    for (int k = 1; k <= daysInWeek; ++k) {
        ItemCellList *cell = addCell(m_area, m_painter);
        cell->setObjectName(QStringLiteral("DBGrid%1").arg(42 + k));
    }
    // The bars lie over the cells' title rows; a click on a bar selects
    // the day below it.
    for (int k = 1; k <= daysInWeek; ++k) {
        auto *bar = new QLabel(m_area);
        bar->setObjectName(QStringLiteral("Panel%1").arg(16 + k));
        bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
        bar->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        bar->setAutoFillBackground(true);
        bar->setFont(ViewFonts::cellFont());
        bar->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_bars.append(bar);
    }
    setSeparatorLines(new SeparatorLines(m_area));
}

QString WeekView::barCaption(const QDate &date)
{
    return QLocale().toString(date, QStringLiteral("dddd, MMMM d "));
}

void WeekView::build(const QDate &navigatorDate)
{
    ViewState &s = state();
    s.SelectedItemNo = QStringLiteral("0");
    // Weeks always start on Monday here; the first day of the week the user
    // chose applies to the navigators only.
    s.WeekFirstDate = navigatorDate.addDays(1 - navigatorDate.dayOfWeek());
    layoutCells();
    for (int i = 0; i < cellCount(); ++i) {
        OccurrenceRules::occursOn(cursorOf(i), cellDate(i));
        m_bars[i]->setText(barCaption(cellDate(i)));
        markDay(i, false);
    }
    const int selected = int(s.WeekFirstDate.daysTo(navigatorDate));
    markDay(selected, true);
    s.SelectedCellNo = selected + 43;
    resetRowHeights();
}

void WeekView::markDay(int index, bool selected)
{
    if (index < 0 || index >= m_bars.size())
        return;
    QLabel *bar = m_bars[index];
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window,
                     selected ? RowPainter::selectionColor() : QApplication::palette().color(QPalette::Button));
    palette.setColor(QPalette::WindowText, selected ? QColor(Qt::white) : QColor(Qt::black));
    bar->setPalette(palette);
}

CellContext WeekView::cellContext(int) const
{
    return CellContext(); // white cells; the week painter ignores the month's pitch
}

void WeekView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutCells();
}

void WeekView::layoutCells()
{
    m_area->setGeometry(rect());
    const QSize size = m_area->size();
    for (int i = 0; i < cellCount(); ++i) {
        const QRect geometry = weekCell(i + 1, size);
        cell(i)->setGeometry(geometry);
        cell(i)->setColumnWidth(geometry.width() - hiddenStrip);
        m_bars[i]->setGeometry(weekHeaderBar(i + 1, size));
        m_bars[i]->raise();
    }
    separatorLines()->setGeometry(QRect(QPoint(0, 0), size));
    separatorLines()->setLines(weekLines(size));
    separatorLines()->raise();
}
