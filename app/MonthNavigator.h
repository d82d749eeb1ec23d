#pragma once

#include <QDate>
#include <QWidget>

// The month navigator of the right pane: as many months as fit, 194 pixels
// across and 148 down each, with one selected date. Picking a date with the
// mouse or the keyboard emits datePicked; setDate only moves the selection.
class MonthNavigator : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MonthWidth = 194;
    static constexpr int MonthHeight = 148;

    explicit MonthNavigator(QWidget *parent = nullptr);

    QDate date() const { return m_date; }
    // Selects the date and scrolls as little as needed to show it.
    void setDate(const QDate &date);

    void setFirstDayOfWeek(Qt::DayOfWeek day);
    Qt::DayOfWeek firstDayOfWeek() const { return m_firstDayOfWeek; }

    QDate firstShownMonth() const { return m_firstMonth; }
    int columns() const;
    int rows() const;

    // The date under a point, or an invalid date (title, margins, blank days).
    QDate dateAt(const QPoint &pos) const;
    // Where a date is drawn (empty when it is not shown).
    QRect dayRect(const QDate &date) const;

    QSize sizeHint() const override { return {MonthWidth, MonthHeight}; }

signals:
    void datePicked(const QDate &date);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct MonthGeometry;
    int shownMonths() const { return columns() * rows(); }
    QDate monthAt(int index) const { return m_firstMonth.addMonths(index); }
    QDate gridStart(const QDate &month) const;
    bool showsDayIn(int monthIndex, const QDate &day) const;
    void scrollToShow(const QDate &date);
    void scrollBy(int months);
    void pick(const QDate &date);
    void paintMonth(QPainter &painter, int index) const;
    QRect prevArrowRect() const;
    QRect nextArrowRect() const;

    QDate m_date;
    QDate m_firstMonth; // day 1 of the top-left month
    Qt::DayOfWeek m_firstDayOfWeek = Qt::Sunday;
};
