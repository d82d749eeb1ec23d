#pragma once

#include <QDate>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>

class QCalendarWidget;
class QPushButton;

// A month calendar that drops down below a date box, with a "Today" button
// (and, for boxes that may stay empty, a "None" button beside it) under a
// separating line. Clicks in its top 48 pixels (the month title and its
// arrows) only navigate; a click further down picks a date.
class CalendarDropDown : public QFrame
{
    Q_OBJECT
public:
    static constexpr int titleZone = 48;

    enum class Buttons { Today, TodayAndNone };

    explicit CalendarDropDown(QWidget *dialog, Buttons buttons = Buttons::Today);

    // Opens at the served box's left below `top` (dialog coordinates),
    // showing `shown`; the calendar takes the focus.
    void openFor(QLineEdit *served, int top, const QDate &shown);
    void close();
    QLineEdit *served() const { return m_served; }

    void setFirstDayOfWeek(Qt::DayOfWeek day);
    // Whether the focus is inside the calendar (what keeps it open).
    bool calendarHasFocus() const;

    QCalendarWidget *calendar() const { return m_calendar; }
    QPushButton *todayButton() const { return m_today; }
    QPushButton *noneButton() const { return m_none; } // null without one

signals:
    void datePicked(QLineEdit *served, const QDate &date);
    void todayChosen(QLineEdit *served);
    void noneChosen(QLineEdit *served);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Presses the calendar does not take stay here: passed on, they would
    // reach the dialog as a click on its background, which closes pickers.
    void mousePressEvent(QMouseEvent *event) override;

private:
    QCalendarWidget *m_calendar;
    QPushButton *m_today;
    QPushButton *m_none = nullptr;
    QPointer<QLineEdit> m_served;
    int m_pressY = 0; // last press, from the drop-down's top edge
};
