#include "folders/FolderList.h"

#include "store/Cursor.h"
#include "store/OptionFields.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor focusSelection(49, 106, 197);

// Keys that would move the current folder: the folder changes only by a
// click, because moving it is what switches the calendar.
bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

} // namespace

FolderList::FolderList(Cursor &table61, QWidget *parent)
    : QWidget(parent)
    , m_table(table61)
{
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setFixedHeight(0);
}

void FolderList::readRows()
{
    // Reading walks the cursor; its current row is the selected folder, so
    // it is put back where it was.
    const qint64 current = m_table.currentId();
    m_rows.clear();
    for (m_table.first(); !m_table.eof(); m_table.next())
        m_rows.push_back({m_table.currentId(), m_table.asText(FolderListField::Name)});
    if (current != 0)
        m_table.locate(FolderListField::Id, current);
}

void FolderList::reload()
{
    m_newRowShown = false;
    if (m_table.isOpen()) {
        if (m_table.state() == Cursor::State::Browse)
            readRows();
        m_newRowShown = m_table.state() == Cursor::State::Insert;
    } else {
        m_rows.clear();
    }
    setFixedHeight(rowCount() * RowHeight);
    update();
}

QString FolderList::rowName(int row) const
{
    if (row >= 0 && row < int(m_rows.size()))
        return m_rows[row].name;
    return QString(); // the new row has no name yet
}

int FolderList::currentRow() const
{
    if (!m_table.isOpen())
        return -1;
    if (m_newRowShown && m_table.state() == Cursor::State::Insert)
        return int(m_rows.size());
    const qint64 id = m_table.currentId();
    for (int row = 0; row < int(m_rows.size()); ++row) {
        if (m_rows[row].id == id)
            return row;
    }
    return -1;
}

QRect FolderList::rowRect(int row) const
{
    return QRect(0, row * RowHeight, std::max(columnWidth(), 0), RowHeight);
}

QSize FolderList::sizeHint() const
{
    return QSize(100, rowCount() * RowHeight);
}

int FolderList::rowAt(const QPoint &point) const
{
    if (point.y() < 0)
        return -1;
    const int row = point.y() / RowHeight;
    return row < rowCount() ? row : -1;
}

void FolderList::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const int current = currentRow();
    for (int row = 0; row < rowCount(); ++row) {
        const QRect cell = rowRect(row);
        QColor text = palette().color(QPalette::WindowText);
        if (row == current) {
            // Without the focus the selection stays visible, greyed.
            if (hasFocus()) {
                painter.fillRect(cell, focusSelection);
                text = Qt::white;
            } else {
                painter.fillRect(cell, palette().color(QPalette::Button));
                text = palette().color(QPalette::ButtonText);
            }
        }
        painter.setPen(text);
        const QRect textRect = cell.adjusted(2, 0, -2, 0);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(rowName(row), Qt::ElideRight, textRect.width()));
    }
}

void FolderList::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const int row = rowAt(event->position().toPoint());
    if (row >= 0 && row < int(m_rows.size()))
        emit folderClicked(m_rows[row].id);
}

void FolderList::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rowAt(event->position().toPoint()) >= 0)
        emit editRequested();
}

void FolderList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete) {
        // Ctrl+Delete would delete without the checks of the Delete command.
        if (!(event->modifiers() & Qt::ControlModifier))
            emit deleteRequested();
        event->accept();
        return;
    }
    if (isNavigationKey(event->key())) {
        event->accept(); // neither the list nor the scrolling area moves
        return;
    }
    QWidget::keyPressEvent(event);
}

void FolderList::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void FolderList::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}
