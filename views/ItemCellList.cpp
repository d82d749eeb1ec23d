#include "ItemCellList.h"

#include "Cursor.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
const QString No = QStringLiteral("No");
}

ItemCellList::ItemCellList(Cursor &cursor, const RowPainter &painter, QWidget *parent)
    : QWidget(parent)
    , m_cursor(cursor)
    , m_painter(painter)
    , m_context([] { return CellContext(); })
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ItemCellList::setContextProvider(std::function<CellContext()> provider)
{
    m_context = std::move(provider);
    update();
}

void ItemCellList::setColumnWidth(int width)
{
    m_columnWidth = width;
    update();
}

int ItemCellList::columnWidth() const
{
    return m_columnWidth < 0 ? width() : m_columnWidth;
}

void ItemCellList::setTopMargin(int pixels)
{
    m_topMargin = pixels;
    update();
}

int ItemCellList::rowCount() const
{
    return m_cursor.isOpen() ? m_cursor.recordCount() : 0;
}

int ItemCellList::rowAt(int y) const
{
    if (y < m_topMargin)
        return -1;
    const int row = (y - m_topMargin) / rowHeight;
    return row < rowCount() ? row : -1;
}

int ItemCellList::visibleRowCount() const
{
    const int room = height() - m_topMargin;
    return room > 0 ? (room + rowHeight - 1) / rowHeight : 0;
}

bool ItemCellList::readRows(QList<ItemRow> *rows, qint64 *currentNo)
{
    *currentNo = 0;
    // A row being edited must not be moved off; it is painted as it was.
    if (!m_cursor.isOpen() || m_cursor.state() != Cursor::State::Browse)
        return false;
    *currentNo = m_cursor.currentId();
    // A month's cells hold thousands of rows between them, of which a few
    // show: only those are read at every paint.
    const int wanted = visibleRowCount();
    int currentAt = -1;
    m_cursor.first();
    for (int i = 0; i < wanted && !m_cursor.eof(); ++i, m_cursor.next()) {
        if (m_cursor.currentId() == *currentNo)
            currentAt = i;
        rows->append(ItemRow::fromCursor(m_cursor));
    }
    if (currentAt >= 0) {
        m_cursor.first();
        for (int i = 0; i < currentAt; ++i)
            m_cursor.next();
    } else if (*currentNo == 0 || !m_cursor.locate(No, *currentNo)) {
        m_cursor.first();
    }
    return true;
}

void ItemCellList::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    qint64 currentNo = 0;
    QList<ItemRow> rows;
    const bool readable = readRows(&rows, &currentNo);
    CellContext context = m_context();
    context.hasFocus = hasFocus();
    context.cursorEmpty = !readable || m_cursor.recordCount() == 0;
    if (context.cursorEmpty)
        rows.append(ItemRow());
    painter.setClipRect(rect());
    const int width = columnWidth();
    for (int i = 0; i < rows.size(); ++i) {
        const QRect row(0, m_topMargin + i * rowHeight, width, rowHeight);
        if (row.top() >= height())
            break;
        const bool current = rows[i].No != 0 && rows[i].No == currentNo;
        m_painter.paint(painter, row, rows[i], current, context);
    }
}

void ItemCellList::makeCurrent(int row)
{
    if (m_cursor.state() != Cursor::State::Browse)
        return;
    m_cursor.first();
    for (int i = 0; i < row && !m_cursor.eof(); ++i)
        m_cursor.next();
}

void ItemCellList::mousePressEvent(QMouseEvent *event)
{
    const int row = rowAt(int(event->position().y()));
    if (row >= 0)
        makeCurrent(row);
    update();
    emit rowPressed(row, event->button());
}

void ItemCellList::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseReleased(event->button());
}

void ItemCellList::mouseDoubleClickEvent(QMouseEvent *)
{
    emit doubleClicked();
}

void ItemCellList::keyPressEvent(QKeyEvent *event)
{
    emit keyPressed(event->key(), event->modifiers());
}

void ItemCellList::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ItemCellList::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}
