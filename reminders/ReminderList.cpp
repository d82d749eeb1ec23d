#include "reminders/ReminderList.h"

#include "reminders/ReminderIcons.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

const QColor selectionColor(49, 106, 197);

} // namespace

ReminderList::ReminderList(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
}

void ReminderList::setRows(const QList<ReminderRow> &rows, int current)
{
    m_rows = rows;
    m_current = rows.isEmpty() ? -1 : std::clamp(current, 0, int(rows.size()) - 1);
    updateScrollBar();
    if (m_current >= 0) {
        // Keep the current row in sight, as the grid of the cursor does.
        const int top = m_current * rowHeight;
        QScrollBar *bar = verticalScrollBar();
        if (top < bar->value())
            bar->setValue(top);
        else if (top + rowHeight > bar->value() + viewport()->height())
            bar->setValue(top + rowHeight - viewport()->height());
    }
    viewport()->update();
}

QRect ReminderList::rowRect(int index) const
{
    return QRect(0, index * rowHeight - verticalScrollBar()->value(), iconColumn + subjectColumn + dueColumn,
                 rowHeight);
}

void ReminderList::updateScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setSingleStep(rowHeight);
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, int(m_rows.size()) * rowHeight - viewport()->height()));
}

void ReminderList::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void ReminderList::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    for (int i = 0; i < m_rows.size(); ++i) {
        const QRect rect = rowRect(i);
        if (rect.bottom() >= 0 && rect.top() < viewport()->height())
            paintRow(painter, i, rect);
    }
}

void ReminderList::paintRow(QPainter &painter, int index, const QRect &rect)
{
    const ReminderRow &row = m_rows.at(index);
    const bool selected = index == m_current;
    painter.fillRect(rect, selected ? selectionColor : QColor(Qt::white));
    painter.setPen(selected ? Qt::white : Qt::black);

    const QRect icon(rect.left(), rect.top(), iconColumn, rect.height());
    if (row.task)
        painter.drawPixmap(icon.left() + 4, icon.top() + 2, ReminderIcons::taskIcon());
    else
        painter.drawPixmap(icon.left() + 2, icon.top() + 2, ReminderIcons::appointmentIcon());

    const QRect subject(icon.right() + 1, rect.top(), subjectColumn, rect.height());
    painter.drawText(subject.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(row.subject, Qt::ElideRight, subject.width() - 4));

    const QRect due(subject.right() + 1, rect.top(), dueColumn, rect.height());
    const QString text = m_dueText ? m_dueText(row) : QString();
    painter.drawText(due.adjusted(3, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, due.width() - 5));
}

void ReminderList::mousePressEvent(QMouseEvent *event)
{
    const int index = (int(event->position().y()) + verticalScrollBar()->value()) / rowHeight;
    if (event->button() == Qt::LeftButton && index >= 0 && index < m_rows.size())
        emit rowChosen(index);
}

void ReminderList::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        // Ctrl+Delete would delete the row in a data grid; here it does nothing.
        if (!(event->modifiers() & Qt::ControlModifier))
            emit deletePressed();
        return;
    case Qt::Key_Up:
        if (m_current > 0)
            emit rowChosen(m_current - 1);
        return;
    case Qt::Key_Down:
        if (m_current + 1 < m_rows.size())
            emit rowChosen(m_current + 1);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ReminderList::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        emit keyReleased();
    QAbstractScrollArea::keyReleaseEvent(event);
}

ReminderListHeader::ReminderListHeader(QWidget *parent)
    : QWidget(parent)
{ }

void ReminderListHeader::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    painter.setPen(palette().buttonText().color());
    painter.drawText(QRect(4, 0, dividerX - 4, height), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Subject"));
    painter.drawText(QRect(dueTextX, 0, width() - dueTextX, height), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Due in"));
    painter.setPen(palette().dark().color());
    painter.drawLine(dividerX, 1, dividerX, height - 2);
    painter.drawLine(0, height - 1, width(), height - 1);
    painter.setPen(palette().light().color());
    painter.drawLine(dividerX + 1, 1, dividerX + 1, height - 2);
}
