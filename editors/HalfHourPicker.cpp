#include "editors/HalfHourPicker.h"

#include "editors/DropDownList.h"
#include "editors/MinuteStrip.h"

#include <QLineEdit>

HalfHourPicker::HalfHourPicker(QWidget *dialog)
    : QObject(dialog)
    , m_list(new DropDownList(dialog))
    , m_strip(new MinuteStrip(dialog))
{
    m_list->setObjectName(QStringLiteral("halfHourList"));
    m_strip->setObjectName(QStringLiteral("minuteStrip"));
    m_list->setVisibleRows(visibleEntries, listWidth);
    connect(m_list, &DropDownList::currentIndexChanged, this, &HalfHourPicker::placeStrip);
    connect(m_list, &DropDownList::entryClicked, this, [this](int index) {
        QLineEdit *served = m_served;
        close();
        emit entryChosen(served, index);
    });
    connect(m_strip, &MinuteStrip::minuteClicked, this, [this](int minute) {
        QLineEdit *served = m_served;
        const QTime time(m_list->currentIndex() / 2, minute);
        close();
        emit minuteChosen(served, time);
    });
}

void HalfHourPicker::setEntries(const QStringList &texts)
{
    m_list->setEntries(texts);
}

int HalfHourPicker::entryOf(const QTime &time)
{
    return time.isValid() ? time.hour() * 2 + time.minute() / 30 : 0;
}

void HalfHourPicker::open(QLineEdit *served, int top, const QTime &time)
{
    m_served = served;
    const int index = entryOf(time);
    m_list->setTopIndex(index);
    m_list->move(served->x(), top);
    m_list->setCurrentIndex(index);
    placeStrip(index);
    m_list->show();
    m_list->raise();
    m_strip->show();
    m_strip->raise();
    served->setFocus();
}

void HalfHourPicker::close()
{
    m_list->hide();
    m_strip->hide();
}

bool HalfHourPicker::isOpen() const
{
    return m_list->isVisible();
}

void HalfHourPicker::placeStrip(int index)
{
    if (index < 0)
        return;
    m_strip->setEntryIndex(index);
    m_strip->move(m_list->x() - m_strip->width(), m_list->y() + m_list->entryTop(index) - MinuteStrip::gap);
}
