#pragma once

#include "printing/ReportPage.h"

#include <QDate>
#include <QStringList>

class BodyCanvas;
class Cursor;
class TDataModule2;
struct DayPrintBlocks;

// The daily page (portrait): 17 hours of the day view from the "Print
// from:" hour, its blocks where the day view places them, the all-day strip
// above the grid and the task pad column when it is included. Drawn from
// the day list Table46, the all-day strip Table49 and the task cursor
// Table47, with the blocks' geometry taken from the day view.
class TForm11 : public ReportPage
{
public:
    static constexpr int PrintedHours = 17;
    static constexpr int GridTop = 169;
    static constexpr int GridBottom = 815;
    static constexpr int HalfHour = 19;
    static constexpr int AppointmentLeft = 65;
    static constexpr int StripRows = 9;

    TForm11();

    // Paper (options "20") and whether the task pad is included ("49").
    void setGeometry(PrintGeometry::Paper paper, bool taskPad);

    // firstHour: options "53" (0..7); shownDate: the day the view shows.
    void drawBody(TDataModule2 &data, const DayPrintBlocks &blocks, const QDate &shownDate, int firstHour,
                  bool use24Hour);

    // The page's hour labels, as the day view's time ruler writes the hours.
    QStringList hourLabels() const { return m_hourLabels; }
    static QRect hourLabelRect(int i) { return QRect(49, 344 + 38 * i, 25, 25); }

protected:
    void paintExtras(QPainter &painter) const override;

private:
    void drawGrid(BodyCanvas &canvas) const;
    void drawBlocks(BodyCanvas &canvas, Cursor &dayList, const DayPrintBlocks &blocks, int firstHour,
                    bool use24Hour) const;
    void drawStrip(BodyCanvas &canvas, Cursor &strip, const QDate &shownDate) const;
    int appointmentRight() const { return m_geometry.W - m_geometry.T; }

    QStringList m_hourLabels;
};
