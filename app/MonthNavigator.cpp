#include "app/MonthNavigator.h"

#include "store/Clock.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {
// Layout of one month, relative to its top-left corner.
constexpr int TitleTop = 3;
constexpr int TitleHeight = 20;
constexpr int NamesTop = 25;
constexpr int NamesHeight = 16;
constexpr int GridLeft = 6;
constexpr int GridTop = 46;
constexpr int DayWidth = 26;
constexpr int DayHeight = 16;
constexpr int WeeksShown = 6;
constexpr int ArrowWidth = 18;

const QColor TitleFace(223, 233, 247);
const QColor TitleText(31, 63, 122);
const QColor SelectionFace(49, 106, 197);
const QColor TodayFrame(200, 30, 30);
const QColor OtherMonthText(160, 160, 164);

// The narrow day name ("M"); the C locale's narrow names are digits, so its
// short name gives the letter instead.
QString weekdayInitial(const QLocale &locale, int weekday)
{
    const QString narrow = locale.dayName(weekday, QLocale::NarrowFormat);
    if (!narrow.isEmpty() && !narrow.front().isDigit())
        return narrow;
    return locale.dayName(weekday, QLocale::ShortFormat).left(1);
}
} // namespace

MonthNavigator::MonthNavigator(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    setDate(Clock::today());
}

int MonthNavigator::columns() const
{
    return std::max(1, width() / MonthWidth);
}

int MonthNavigator::rows() const
{
    return std::max(1, height() / MonthHeight);
}

void MonthNavigator::setDate(const QDate &date)
{
    if (!date.isValid())
        return;
    m_date = date;
    scrollToShow(date);
    update();
}

void MonthNavigator::setFirstDayOfWeek(Qt::DayOfWeek day)
{
    m_firstDayOfWeek = day;
    update();
}

void MonthNavigator::scrollToShow(const QDate &date)
{
    const QDate month(date.year(), date.month(), 1);
    if (!m_firstMonth.isValid() || month < m_firstMonth)
        m_firstMonth = month;
    else if (month > monthAt(shownMonths() - 1))
        m_firstMonth = month.addMonths(1 - shownMonths());
}

void MonthNavigator::scrollBy(int months)
{
    m_firstMonth = m_firstMonth.addMonths(months);
    update();
}

QDate MonthNavigator::gridStart(const QDate &month) const
{
    const int back = (month.dayOfWeek() - int(m_firstDayOfWeek) + 7) % 7;
    return month.addDays(-back);
}

bool MonthNavigator::showsDayIn(int monthIndex, const QDate &day) const
{
    const QDate month = monthAt(monthIndex);
    if (day.year() == month.year() && day.month() == month.month())
        return true;
    // Days of the neighbouring months fill the grid only at the two ends of
    // the shown range, so that no date appears twice.
    if (day < month)
        return monthIndex == 0;
    return monthIndex == shownMonths() - 1;
}

QRect MonthNavigator::prevArrowRect() const
{
    return QRect(3, TitleTop, ArrowWidth, TitleHeight);
}

QRect MonthNavigator::nextArrowRect() const
{
    return QRect(columns() * MonthWidth - 3 - ArrowWidth, TitleTop, ArrowWidth, TitleHeight);
}

QDate MonthNavigator::dateAt(const QPoint &pos) const
{
    const int col = pos.x() / MonthWidth;
    const int row = pos.y() / MonthHeight;
    if (pos.x() < 0 || pos.y() < 0 || col >= columns() || row >= rows())
        return QDate();
    const int x = pos.x() - col * MonthWidth - GridLeft;
    const int y = pos.y() - row * MonthHeight - GridTop;
    if (x < 0 || y < 0 || x >= 7 * DayWidth || y >= WeeksShown * DayHeight)
        return QDate();
    const int index = row * columns() + col;
    const QDate day = gridStart(monthAt(index)).addDays((y / DayHeight) * 7 + x / DayWidth);
    return showsDayIn(index, day) ? day : QDate();
}

QRect MonthNavigator::dayRect(const QDate &date) const
{
    for (int index = 0; index < shownMonths(); ++index) {
        if (!showsDayIn(index, date))
            continue;
        const int offset = int(gridStart(monthAt(index)).daysTo(date));
        if (offset < 0 || offset >= 7 * WeeksShown)
            continue;
        const QPoint origin((index % columns()) * MonthWidth, (index / columns()) * MonthHeight);
        return QRect(origin.x() + GridLeft + (offset % 7) * DayWidth, origin.y() + GridTop + (offset / 7) * DayHeight,
                     DayWidth, DayHeight);
    }
    return QRect();
}

void MonthNavigator::pick(const QDate &date)
{
    setDate(date);
    emit datePicked(date);
}

void MonthNavigator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    for (int index = 0; index < shownMonths(); ++index)
        paintMonth(painter, index);
}

void MonthNavigator::paintMonth(QPainter &painter, int index) const
{
    const QLocale locale;
    const QDate month = monthAt(index);
    const QPoint origin((index % columns()) * MonthWidth, (index / columns()) * MonthHeight);
    painter.save();
    painter.translate(origin);

    const QRect title(3, TitleTop, MonthWidth - 6, TitleHeight);
    painter.fillRect(title, TitleFace);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(TitleText);
    painter.drawText(title, Qt::AlignCenter, locale.toString(month, QStringLiteral("MMMM yyyy")));

    // The scroll arrows sit in the outer corners of the top row.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(TitleText);
    painter.setPen(Qt::NoPen);
    const int midY = TitleTop + TitleHeight / 2;
    if (index == 0) {
        const QPointF left[] = {{8, qreal(midY)}, {14, midY - 5.0}, {14, midY + 5.0}};
        painter.drawPolygon(left, 3);
    }
    if (index == columns() - 1) {
        const qreal r = MonthWidth - 8;
        const QPointF right[] = {{r, qreal(midY)}, {r - 6, midY - 5.0}, {r - 6, midY + 5.0}};
        painter.drawPolygon(right, 3);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setFont(font());
    painter.setPen(TitleText);
    for (int i = 0; i < 7; ++i) {
        const int weekday = (int(m_firstDayOfWeek) - 1 + i) % 7 + 1;
        painter.drawText(QRect(GridLeft + i * DayWidth, NamesTop, DayWidth, NamesHeight), Qt::AlignCenter,
                         weekdayInitial(locale, weekday));
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(GridLeft, NamesTop + NamesHeight + 1, GridLeft + 7 * DayWidth - 1, NamesTop + NamesHeight + 1);

    const QDate start = gridStart(month);
    const QDate today = Clock::today();
    for (int cell = 0; cell < 7 * WeeksShown; ++cell) {
        const QDate day = start.addDays(cell);
        if (!showsDayIn(index, day))
            continue;
        const QRect box(GridLeft + (cell % 7) * DayWidth, GridTop + (cell / 7) * DayHeight, DayWidth, DayHeight);
        const bool inMonth = day.month() == month.month();
        QColor text = inMonth ? palette().color(QPalette::Text) : OtherMonthText;
        if (day == m_date) {
            painter.fillRect(box.adjusted(1, 0, -1, 0), SelectionFace);
            text = Qt::white;
        }
        if (day == today) {
            painter.setPen(TodayFrame);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box.adjusted(1, 0, -2, -1));
        }
        painter.setPen(text);
        painter.drawText(box, Qt::AlignCenter, QString::number(day.day()));
    }
    painter.restore();
}

void MonthNavigator::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    if (prevArrowRect().contains(pos)) {
        scrollBy(-shownMonths());
        return;
    }
    if (nextArrowRect().contains(pos)) {
        scrollBy(shownMonths());
        return;
    }
    const QDate day = dateAt(pos);
    if (day.isValid())
        pick(day);
}

void MonthNavigator::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        pick(m_date.addDays(-1));
        break;
    case Qt::Key_Right:
        pick(m_date.addDays(1));
        break;
    case Qt::Key_Up:
        pick(m_date.addDays(-7));
        break;
    case Qt::Key_Down:
        pick(m_date.addDays(7));
        break;
    case Qt::Key_PageUp:
        pick(m_date.addMonths(-1));
        break;
    case Qt::Key_PageDown:
        pick(m_date.addMonths(1));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MonthNavigator::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    scrollToShow(m_date);
}
