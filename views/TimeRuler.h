#pragma once

#include <QString>
#include <QWidget>

// The hour column at the left of the day view's rows: for each hour a
// large number and a small minutes label at the top of its 38-pixel band,
// with a thin line every half hour.
class TimeRuler : public QWidget
{
    Q_OBJECT
public:
    struct HourLabel
    {
        QString hour;    // the large number
        QString minutes; // the small label beside it
    };

    explicit TimeRuler(QWidget *parent = nullptr);

    void setUse24Hour(bool on);
    bool use24Hour() const { return m_use24Hour; }

    static HourLabel hourLabel(int hour, bool use24Hour);

    // The first ruler row the day view's scroll position shows. The hour
    // numbers are taller than a row, so with a half-hour row on top the
    // number of the hour above would show as a cut-off stump under the
    // all-day strip; a label that starts above the shown part is left out.
    void setVisibleTop(int y);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_use24Hour = false;
    int m_visibleTop = 0;
};
