#include "views/CellsView.h"

#include "store/Cursor.h"
#include "views/SeparatorLines.h"
#include "store/ItemFields.h"
#include "store/Unit2.h"

namespace {
using ItemField::No;
const QString NoItem = QStringLiteral("0");
} // namespace

CellsView::CellsView(TDataModule2 &data, ViewState &state, QWidget *parent)
    : QWidget(parent)
    , m_data(data)
    , m_state(state)
{ }

ItemCellList *CellsView::addCell(QWidget *area, const RowPainter &painter)
{
    const int index = int(m_cells.size());
    auto *cell = new ItemCellList(m_data.table(index + 1), painter, area);
    cell->setTopMargin(ItemCellList::rowHeight);
    cell->setMoreMarkShown(true);
    cell->setContextProvider([this, index] {
        CellContext context = cellContext(index);
        context.date = cellDate(index);
        context.use24Hour = use24Hour();
        context.selectedItemNo = m_state.SelectedItemNo;
        return context;
    });
    connect(cell, &ItemCellList::rowPressed, this,
            [this, index](int row, Qt::MouseButton button) { onRowPressed(index, row, button); });
    connect(cell, &ItemCellList::mouseReleased, this,
            [this, index](Qt::MouseButton button) { onReleased(index, button); });
    connect(cell, &ItemCellList::doubleClicked, this, &CellsView::onDoubleClicked);
    connect(cell, &ItemCellList::moreClicked, this, [this, index] { emit dayViewRequested(cellDate(index)); });
    connect(cell, &ItemCellList::keyPressed, this,
            [this, index](int key, Qt::KeyboardModifiers modifiers) { onKey(index, key, modifiers); });
    m_cells.append(cell);
    return cell;
}

Cursor &CellsView::cursorOf(int index)
{
    return m_data.table(index + 1);
}

bool CellsView::use24Hour() const
{
    return m_data.options().clock24Hour(); // read at every paint: the option may change meanwhile
}

int CellsView::selectedIndex() const
{
    const int index = m_state.SelectedCellNo - cellNumber(0);
    return index >= 0 && index < int(m_cells.size()) ? index : -1;
}

void CellsView::repaintCells()
{
    for (ItemCellList *cell : m_cells)
        cell->update();
}

void CellsView::cellsRefreshed()
{
    repaintCells();
}

bool CellsView::currentRowIsMultiDay(int index)
{
    Cursor &cursor = cursorOf(index);
    if (!cursor.isOpen() || cursor.eof())
        return false;
    return cursor.asDate(ItemField::S) != cursor.asDate(ItemField::E);
}

// --- the mouse -----------------------------------------------------------------

void CellsView::onRowPressed(int, int row, Qt::MouseButton button)
{
    // Only a left click on an item row selects the item, at the release.
    m_pressedRow = button == Qt::LeftButton ? row : -1;
}

void CellsView::onReleased(int index, Qt::MouseButton button)
{
    selectDay(index);
    if (button == Qt::LeftButton && m_pressedRow >= 0)
        selectItem(index);
    m_pressedRow = -1;
}

void CellsView::selectDay(int index)
{
    // The editor works on the day's items from now on; an edit still open
    // (the modal editor lets no click through, but a test or a late event
    // might) keeps its rows.
    Cursor &edit = m_data.Table50();
    if (edit.isOpen() && edit.state() == Cursor::State::Browse) {
        if (edit.setFilter(cursorOf(index).filter()))
            edit.setFiltered(true);
    }
    // A band is known by what was selected, not by the previous cell's
    // current row alone: the press that led here (a right or middle click
    // on a one-day row of that very cell) may have moved it off the band.
    const bool bandWasSelected = m_state.hasSelectedItem() && m_state.LastSelectionMultiDay;
    m_state.SelectedItemNo = NoItem;

    // The item selected before loses its highlight: everywhere when it was
    // a band.
    const int previous = selectedIndex();
    if (previous >= 0) {
        m_cells[previous]->update();
        if (bandWasSelected || currentRowIsMultiDay(previous))
            repaintCells();
    } else if (bandWasSelected) {
        repaintCells();
    }
    if (previous != index) {
        if (previous >= 0)
            markDay(previous, false);
        m_state.SelectedCellNo = cellNumber(index);
        markDay(index, true);
        if (m_moveNavigator)
            m_moveNavigator(cellDate(index));
        m_cells[index]->update();
    }
    m_state.SelectedCellNo = cellNumber(index);
}

void CellsView::selectItem(int index)
{
    Cursor &cursor = cursorOf(index);
    const qint64 no = cursor.isOpen() ? cursor.currentId() : 0;
    m_state.SelectedItemNo = no ? QString::number(no) : NoItem;
    m_cells[index]->update();
    const bool multiDay = no != 0 && currentRowIsMultiDay(index);
    // Every cell the old or the new band crosses repaints.
    if (multiDay || m_state.LastSelectionMultiDay)
        repaintCells();
    m_state.LastSelectionMultiDay = multiDay;
}

void CellsView::onDoubleClicked()
{
    if (!m_state.hasSelectedItem()) {
        emit newAppointmentRequested(); // on the navigator's date, which the click has set
        return;
    }
    const int index = selectedIndex();
    if (index < 0 || !locateSelected(cursorOf(index))) {
        emit openItemRequested(m_state.SelectedItemNo.toLongLong());
        return;
    }
    Result<qint64> chosen = Result<qint64>::cancelled();
    {
        const TDataModule2::ChangeBatch batch(m_data);
        const TDataModule2::UndoStep step(m_data, QStringLiteral("Open Occurrence"));
        chosen = OccurrenceCommands::itemToOpen(cursorOf(index), cellDate(index), m_asker.question());
    }
    if (chosen.isFailed())
        emit storeError(chosen.error());
    else if (chosen)
        emit openItemRequested(chosen.value());
}

bool CellsView::locateSelected(Cursor &cursor)
{
    const qint64 selected = m_state.SelectedItemNo.toLongLong();
    return cursor.isOpen() && cursor.recordCount() > 0
        && (cursor.currentId() == selected || cursor.locate(No, selected));
}

// --- the keyboard --------------------------------------------------------------

void CellsView::onKey(int index, int key, Qt::KeyboardModifiers modifiers)
{
    // Page and arrow keys, Home and End never move between rows or cells,
    // and Ctrl+Delete never reaches the cell's own record deletion: the
    // cell's rows are the store's, not the user's to walk through.
    if (key != Qt::Key_Delete || (modifiers & Qt::ControlModifier))
        return;
    if (!m_state.hasSelectedItem())
        return;
    // Only the selected item goes, even when the focus reached this cell
    // some other way than the click that selected it.
    Cursor &cursor = cursorOf(index);
    if (!locateSelected(cursor))
        return;
    // The calendar's change notice re-reads and repaints the cells, which
    // paint the selection as it is set here; one notice for a series and
    // its moved occurrences.
    Outcome done;
    {
        const TDataModule2::ChangeBatch batch(m_data);
        const TDataModule2::UndoStep step(m_data, QStringLiteral("Delete"));
        done = OccurrenceCommands::deleteItem(cursor, cellDate(index), m_asker.question());
    }
    if (done.isFailed())
        emit storeError(done.error());
    if (done)
        m_state.SelectedItemNo = NoItem;
}
