#pragma once

#include "views/CellsView.h"
#include "views/WeekPainter.h"

class QLabel;

// The week view: Monday to Sunday of the navigator's week in seven day
// cells on Table1..Table7, in two columns (Monday to Wednesday at the left,
// Thursday to Sunday at the right with Saturday over Sunday), each under a
// header bar naming its day.
class WeekView : public CellsView
{
    Q_OBJECT
public:
    static constexpr int daysInWeek = 7;

    WeekView(TDataModule2 &data, ViewState &state, QWidget *parent = nullptr);

    // The whole build for the navigator's date: layout, filters, header
    // bars and the selected day.
    void build(const QDate &navigatorDate);

    QWidget *area() const { return m_area; }
    QLabel *headerBar(int index) const { return m_bars.at(index); }
    // "Monday, March 3 " as a header bar shows it.
    static QString barCaption(const QDate &date);

protected:
    void resizeEvent(QResizeEvent *event) override;
    QDate firstDate() const override { return state().WeekFirstDate; }
    int cellNumber(int index) const override { return index + 43; }
    void markDay(int index, bool selected) override;
    CellContext cellContext(int index) const override;

private:
    void layoutCells();

    WeekPainter m_painter;
    QWidget *m_area = nullptr;
    QList<QLabel *> m_bars;
};
