#include "editors/CalendarDropDown.h"

#include "store/Clock.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextCharFormat>
#include <QHBoxLayout>
#include <QVBoxLayout>

CalendarDropDown::CalendarDropDown(QWidget *dialog, Buttons buttons)
    : QFrame(dialog)
    , m_calendar(new QCalendarWidget(this))
    , m_today(new QPushButton(QStringLiteral("Today"), this))
{
    setObjectName(QStringLiteral("calendarDropDown"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);

    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setGridVisible(false);
    m_calendar->setStyleSheet(
        QStringLiteral("#qt_calendar_navigationbar { background-color: rgb(49,106,197); }"
                       "#qt_calendar_navigationbar QToolButton { color: white; background: transparent; }"
                       "#qt_calendar_navigationbar QSpinBox { color: black; }"));
    QTextCharFormat header;
    header.setForeground(QColor(49, 106, 197));
    m_calendar->setHeaderTextFormat(header);

    m_today->setFocusPolicy(Qt::NoFocus);
    m_today->setFlat(true);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_calendar);
    layout->addWidget(line);
    if (buttons == Buttons::TodayAndNone) {
        m_none = new QPushButton(QStringLiteral("None"), this);
        m_none->setFocusPolicy(Qt::NoFocus);
        m_none->setFlat(true);
        auto *row = new QHBoxLayout;
        row->setSpacing(0);
        row->addWidget(m_today);
        row->addWidget(m_none);
        layout->addLayout(row);
        connect(m_none, &QPushButton::clicked, this, [this] {
            QLineEdit *served = m_served;
            close();
            emit noneChosen(served);
        });
    } else {
        layout->addWidget(m_today);
    }
    setFixedSize(220, 200);

    // The press position decides whether a click picks; presses anywhere in
    // the calendar are watched so the title's clicks are known as such.
    m_calendar->findChild<QAbstractItemView *>()->viewport()->installEventFilter(this);
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](const QDate &date) {
        if (m_pressY <= titleZone)
            return;
        QLineEdit *served = m_served;
        close();
        emit datePicked(served, date);
    });
    connect(m_today, &QPushButton::clicked, this, [this] {
        QLineEdit *served = m_served;
        close();
        emit todayChosen(served);
    });
    hide();
}

bool CalendarDropDown::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto *widget = static_cast<QWidget *>(watched);
        const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
        m_pressY = widget->mapTo(this, pos).y();
    }
    return QFrame::eventFilter(watched, event);
}

void CalendarDropDown::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void CalendarDropDown::openFor(QLineEdit *served, int top, const QDate &shown)
{
    m_served = served;
    const QDate date = shown.isValid() ? shown : Clock::today();
    m_calendar->setSelectedDate(date);
    m_calendar->setCurrentPage(date.year(), date.month());
    move(served->x(), top);
    show();
    raise();
    m_calendar->setFocus();
}

void CalendarDropDown::close()
{
    hide();
}

void CalendarDropDown::setFirstDayOfWeek(Qt::DayOfWeek day)
{
    m_calendar->setFirstDayOfWeek(day);
}

bool CalendarDropDown::calendarHasFocus() const
{
    // The month menu is a window of its own, owned by a button of the title.
    if (QWidget *popup = QApplication::activePopupWidget()) {
        const QWidget *owner = popup->parentWidget();
        return owner && (owner == m_calendar || m_calendar->isAncestorOf(owner));
    }
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == m_calendar || m_calendar->isAncestorOf(focus));
}
