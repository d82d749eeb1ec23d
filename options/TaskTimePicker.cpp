#include "options/TaskTimePicker.h"

#include "editors/DropDownList.h"
#include "editors/HalfHourPicker.h"
#include "editors/MinuteStrip.h"

#include <QMouseEvent>
#include <QWidget>

TaskTimePicker::TaskTimePicker(QWidget *dialog)
    : QObject(dialog)
    , m_list(new DropDownList(dialog))
    , m_fullHourStrip(new MinuteStrip(dialog))
    , m_halfHourStrip(new MinuteStrip(dialog))
{
    m_list->setObjectName(QStringLiteral("taskTimeList"));
    m_fullHourStrip->setObjectName(QStringLiteral("fullHourStrip"));
    m_halfHourStrip->setObjectName(QStringLiteral("halfHourStrip"));
    m_list->setVisibleRows(visibleEntries, listWidth);
    // A strip's labels follow the parity of the entry it is set to: the
    // editors show the early minutes beside a full hour (even entry), so a
    // strip set to an odd entry reads "55".."35" and one set to an even
    // entry "25".."05". Each strip keeps its labels; the list picks the strip.
    m_fullHourStrip->setEntryIndex(1);
    m_halfHourStrip->setEntryIndex(0);

    connect(m_list, &DropDownList::currentIndexChanged, this, &TaskTimePicker::showStrip);
    m_list->installEventFilter(this);
    connect(m_list, &DropDownList::entryClicked, this, [this](int index) {
        close();
        emit entryChosen(index);
    });
    for (MinuteStrip *strip : {m_fullHourStrip, m_halfHourStrip})
        connect(strip, &MinuteStrip::minuteClicked, this, &TaskTimePicker::chooseMinute);
}

void TaskTimePicker::setEntries(const QStringList &texts)
{
    m_list->setEntries(texts);
}

MinuteStrip *TaskTimePicker::stripFor(int index) const
{
    return index % 2 == 0 ? m_fullHourStrip : m_halfHourStrip;
}

void TaskTimePicker::open(const QPoint &at, const QTime &time)
{
    const int index = HalfHourPicker::entryOf(time);
    m_list->move(at);
    m_list->setTopIndex(index);
    m_list->show();
    m_list->raise();
    if (m_list->currentIndex() == index)
        showStrip(index);
    else
        m_list->setCurrentIndex(index);
}

void TaskTimePicker::close()
{
    m_list->hide();
    m_fullHourStrip->hide();
    m_halfHourStrip->hide();
}

bool TaskTimePicker::isOpen() const
{
    return m_list->isVisible();
}

bool TaskTimePicker::eventFilter(QObject *watched, QEvent *event)
{
    // The selected entry may have scrolled since its strip was placed; the
    // list announces only a change of entry, so a move over the same entry
    // places the strip again.
    if (watched == m_list && event->type() == QEvent::MouseMove) {
        const int index = m_list->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint().y());
        if (index >= 0 && index == m_list->currentIndex())
            showStrip(index);
    }
    return QObject::eventFilter(watched, event);
}

void TaskTimePicker::showStrip(int index)
{
    if (index < 0 || !m_list->isVisible())
        return;
    MinuteStrip *shown = stripFor(index);
    MinuteStrip *other = shown == m_fullHourStrip ? m_halfHourStrip : m_fullHourStrip;
    other->hide();
    shown->move(m_list->x() - shown->width(), m_list->y() + m_list->entryTop(index) - MinuteStrip::gap);
    shown->show();
    shown->raise();
}

void TaskTimePicker::chooseMinute(int minute)
{
    const QTime time(m_list->currentIndex() / 2, minute);
    close();
    emit timeChosen(time);
}
