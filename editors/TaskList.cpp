#include "editors/TaskList.h"

#include "store/Clock.h"
#include "views/TaskPictures.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int scrollBarWidth = 16;
constexpr int emptyTextTop = 3;

} // namespace

QColor TaskList::selectedBackground()
{
    return QColor(49, 106, 197);
}

QColor TaskList::completedText()
{
    return QColor(128, 128, 128);
}

QColor TaskList::overdueText()
{
    return QColor(255, 0, 0);
}

QString TaskList::emptyText()
{
    return QStringLiteral("There are no items to show in this view");
}

TaskList::TaskList(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("taskList"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setFixedWidth(scrollBarWidth);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    viewport()->setPalette(palette);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

void TaskList::setRows(std::vector<TaskRow> rows, int current)
{
    m_rows = std::move(rows);
    m_current = current >= 0 && current < int(m_rows.size()) ? current : -1;
    setVerticalScrollBarPolicy(m_rows.empty() ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    updateScrollBar();
    ensureVisible(m_current);
    viewport()->update();
}

void TaskList::setCurrentIndex(int index)
{
    if (index < -1 || index >= int(m_rows.size()) || index == m_current)
        return;
    m_current = index;
    ensureVisible(index);
    viewport()->update();
}

int TaskList::subjectColumnWidth() const
{
    return width() - subjectLeft - (m_rows.empty() ? 0 : scrollBarWidth);
}

int TaskList::visibleRows() const
{
    return std::max(1, viewport()->height() / rowHeight);
}

int TaskList::rowAt(const QPoint &pos) const
{
    if (pos.y() < 0)
        return -1;
    const int index = verticalScrollBar()->value() + pos.y() / rowHeight;
    return index < int(m_rows.size()) ? index : -1;
}

QRect TaskList::rowRect(int index) const
{
    const int top = (index - verticalScrollBar()->value()) * rowHeight;
    return QRect(0, top, subjectLeft + subjectColumnWidth(), rowHeight);
}

void TaskList::updateScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, std::max(0, int(m_rows.size()) - visibleRows()));
    bar->setPageStep(visibleRows());
    bar->setSingleStep(1);
}

void TaskList::ensureVisible(int index)
{
    if (index < 0)
        return;
    QScrollBar *bar = verticalScrollBar();
    if (index < bar->value())
        bar->setValue(index);
    else if (index >= bar->value() + visibleRows())
        bar->setValue(index - visibleRows() + 1);
}

// --- drawing ---------------------------------------------------------------

void TaskList::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    if (m_rows.empty()) {
        paintEmptyText(painter);
        return;
    }
    const int first = verticalScrollBar()->value();
    const int last = std::min(int(m_rows.size()), first + visibleRows() + 1);
    for (int index = first; index < last; ++index)
        paintRow(painter, index);
}

void TaskList::paintRow(QPainter &painter, int index) const
{
    const TaskRow &task = m_rows[size_t(index)];
    const QRect row = rowRect(index);
    const bool selected = index == m_current;
    const bool focused = hasFocus();

    QColor background = viewport()->palette().color(QPalette::Base);
    if (selected)
        background = focused ? selectedBackground() : palette().color(QPalette::Button);
    painter.fillRect(row, background);

    // Completed tasks are grey and struck out; a task due before today is
    // red wherever the selection does not colour it, also when completed.
    QColor text = task.completed ? completedText() : viewport()->palette().color(QPalette::Text);
    if (selected)
        text = focused ? QColor(Qt::white) : QColor(Qt::black);
    else if (task.due.isValid() && task.due < Clock::today())
        text = overdueText();
    QFont font = this->font();
    font.setStrikeOut(task.completed);
    painter.setFont(font);
    painter.setPen(text);
    const QRect subject(subjectLeft, row.top(), subjectColumnWidth(), rowHeight);
    painter.save();
    painter.setClipRect(subject);
    painter.drawText(subject.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     task.subject);
    painter.restore();

    painter.drawImage(pictureColumnWidth + 3, row.top() + 2, TaskPictures::completionBox(task.completed));
    painter.drawImage(2, row.top() + 2, TaskPictures::task());
}

void TaskList::paintEmptyText(QPainter &painter) const
{
    const int left = width() > 200 ? 50 : 2;
    painter.setFont(font());
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font());
    painter.drawText(left, emptyTextTop + metrics.ascent(), emptyText());
}

// --- input -------------------------------------------------------------------

void TaskList::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos);
    m_pressedRow = event->button() == Qt::LeftButton ? row : -2;
    setFocus(Qt::MouseFocusReason);
    emit pressed(row, pos);
}

void TaskList::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos);
    const bool sameRow = event->button() == Qt::LeftButton && m_pressedRow >= 0 && row == m_pressedRow;
    m_pressedRow = -2;
    if (sameRow)
        emit clicked(row, pos);
}

void TaskList::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    emit doubleClicked(rowAt(event->position().toPoint()));
}

void TaskList::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        // Ctrl+Delete is no shortcut here: only the plain key deletes.
        if (!(event->modifiers() & Qt::ControlModifier))
            emit deletePressed();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (m_rows.empty())
            return;
        const int last = int(m_rows.size()) - 1;
        int index = std::max(m_current, 0);
        switch (event->key()) {
        case Qt::Key_Up:
            index -= 1;
            break;
        case Qt::Key_Down:
            index += 1;
            break;
        case Qt::Key_Home:
            index = 0;
            break;
        case Qt::Key_End:
            index = last;
            break;
        case Qt::Key_PageUp:
            index -= visibleRows();
            break;
        default:
            index += visibleRows();
            break;
        }
        index = std::clamp(index, 0, last);
        if (index != m_current) {
            setCurrentIndex(index);
            emit currentMoved(index);
        }
        return;
    }
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TaskList::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void TaskList::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TaskList::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
