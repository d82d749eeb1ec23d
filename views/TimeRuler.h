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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_use24Hour = false;
};
