#pragma once

#include "views/CellsView.h"
#include "views/MonthPainters.h"

class MonthHeaderStrip;

// The month view: six weeks from the Monday on or before the first of the
// navigator's month, in 42 day cells on Table1..Table42. Monday to Friday
// have a column each; Saturday and Sunday share the sixth, Saturday above.
// Cells of the navigator's month are white, the others grey.
class MonthView : public CellsView
{
    Q_OBJECT
public:
    static constexpr int cellCountInMonth = 42;

    MonthView(TDataModule2 &data, ViewState &state, QWidget *parent = nullptr);

    // Lays the cells out for the current size, then refills for the date.
    void build(const QDate &navigatorDate);
    // Dates, filters, titles, colours, lines and the selected day, without
    // moving the cells.
    void refill(const QDate &navigatorDate);
    // Row counts may have changed: the column lines follow them.
    void cellsRefreshed() override;

    QWidget *area() const { return m_area; }
    MonthHeaderStrip *headerStrip() const { return m_header; }
    // "February 24", "25", ... as the cell's title row shows it.
    static QString titleText(const QDate &date, int cellNumber);
    static QColor neighbourColor() { return QColor(212, 208, 200); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    QDate firstDate() const override { return state().MonthFirstDate; }
    int cellNumber(int index) const override { return index + 1; }
    void markDay(int index, bool selected) override;
    CellContext cellContext(int index) const override;

private:
    const RowPainter &painterFor(int weekday) const;
    void layoutCells();
    void placeLines();
    QColor dayBackground(int index) const;

    MondayPainter m_monday;
    MidweekPainter m_midweek;
    SaturdayPainter m_saturday;
    SundayPainter m_sunday;
    MonthHeaderStrip *m_header = nullptr;
    QWidget *m_area = nullptr;
    int m_shownMonth = 0; // month number of the navigator's date at the last refill
};

// The strip of column names above the month: "Monday" .. "Friday",
// "Sat/Sun", with a sunken divider between them.
class MonthHeaderStrip : public QWidget
{
    Q_OBJECT
public:
    explicit MonthHeaderStrip(QWidget *parent = nullptr);
    static QStringList captions();

protected:
    void paintEvent(QPaintEvent *event) override;
};
