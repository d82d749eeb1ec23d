#include "views/ItemCellList.h"

#include "store/Cursor.h"
#include "views/ViewFonts.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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
    return row < shownRowCount() ? row : -1;
}

void ItemCellList::setMoreMarkShown(bool shown)
{
    m_moreMark = shown;
    update();
}

bool ItemCellList::rowsOverflow(int rows) const
{
    return m_moreMark && rows * rowHeight > height() - m_topMargin;
}

int ItemCellList::rowsAboveMark() const
{
    return qMax(0, (height() - m_topMargin - moreMarkHeight) / rowHeight);
}

int ItemCellList::shownRowCount() const
{
    const int rows = rowCount();
    return rowsOverflow(rows) ? qMin(rows, rowsAboveMark()) : rows;
}

int ItemCellList::hiddenRowCount() const
{
    return rowCount() - shownRowCount();
}

QRect ItemCellList::moreMarkRect() const
{
    if (!rowsOverflow(rowCount()))
        return QRect();
    return QRect(0, height() - moreMarkHeight, columnWidth(), moreMarkHeight);
}

QString ItemCellList::moreMarkText(int hidden)
{
    return QStringLiteral("+%1 more").arg(hidden);
}

void ItemCellList::setBackground(const QColor &color)
{
    m_background = color;
    update();
}

void ItemCellList::setTitle(const QString &text, const QColor &textColor, const QColor &background)
{
    m_title = text;
    m_titleText = textColor;
    m_titleBackground = background;
    update(0, 0, width(), m_topMargin);
}

int ItemCellList::visibleRowCapacity() const
{
    const int room = height() - m_topMargin;
    return qMax(1, (room + rowHeight - 1) / rowHeight);
}

QList<ItemRow> ItemCellList::readRows(int maxRows, qint64 *currentNo)
{
    QList<ItemRow> rows;
    *currentNo = 0;
    // A row being edited must not be moved off; it is painted as it was.
    if (!m_cursor.isOpen() || m_cursor.state() != Cursor::State::Browse)
        return rows;
    *currentNo = m_cursor.currentId();
    rows = ItemRow::readRows(m_cursor, 0, maxRows);
    // A cell shows its first row as current when the cursor stood past
    // its rows.
    if (*currentNo == 0)
        m_cursor.first();
    return rows;
}

void ItemCellList::paintTitle(QPainter &painter)
{
    if (m_topMargin <= 0 || m_title.isEmpty())
        return;
    const QRect title(0, 0, columnWidth(), m_topMargin);
    painter.fillRect(title, m_titleBackground);
    painter.setFont(ViewFonts::cellFont());
    painter.setPen(m_titleText);
    painter.drawText(title.adjusted(0, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, m_title);
}

void ItemCellList::paintMoreMark(QPainter &painter, int hidden)
{
    const QRect mark = moreMarkRect();
    painter.fillRect(mark, m_background);
    QFont font = ViewFonts::cellFont();
    font.setUnderline(true); // it reads as what it is: something to click
    painter.setFont(font);
    painter.setPen(RowPainter::selectionColor());
    painter.drawText(mark.adjusted(5, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, moreMarkText(hidden));
}

void ItemCellList::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    paintTitle(painter);
    qint64 currentNo = 0;
    const int total = rowCount();
    const bool overflow = rowsOverflow(total);
    QList<ItemRow> rows = readRows(overflow ? rowsAboveMark() : visibleRowCapacity(), &currentNo);
    CellContext context = m_context();
    context.hasFocus = hasFocus();
    context.cursorEmpty = rows.isEmpty();
    if (rows.isEmpty())
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
    if (overflow)
        paintMoreMark(painter, total - int(rows.size()));
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
    m_pressedOnMark = event->button() == Qt::LeftButton && moreMarkRect().contains(event->position().toPoint());
    update();
    emit rowPressed(row, event->button());
}

void ItemCellList::mouseReleaseEvent(QMouseEvent *event)
{
    const bool onMark =
        m_pressedOnMark && event->button() == Qt::LeftButton && moreMarkRect().contains(event->position().toPoint());
    m_pressedOnMark = false;
    // The day is selected first, so the mark's day is the navigator's.
    emit mouseReleased(event->button());
    if (onMark)
        emit moreClicked();
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
