#pragma once

#include "views/ItemCellList.h"
#include "views/OccurrenceCommands.h"
#include "views/ViewState.h"

#include <QDate>
#include <QList>
#include <QWidget>

#include <functional>

class Cursor;
class SeparatorLines;
class TDataModule2;

// What the week and month views share: day cells on the calendar cursors
// Table1.., each listing the items of one date, and the commands on them
// (select a day and an item by clicking, open or start an item by double
// clicking, delete with the Delete key). Cell i (0-based) shows cursor
// Table<i+1> and the date firstDate() + i; the shared view state names the
// selected day and item.
class CellsView : public QWidget
{
    Q_OBJECT
public:
    CellsView(TDataModule2 &data, ViewState &state, QWidget *parent = nullptr);

    // Moves the date navigator; a click in a cell selects its day this way.
    void setNavigatorMover(std::function<void(const QDate &)> mover) { m_moveNavigator = std::move(mover); }

    int cellCount() const { return int(m_cells.size()); }
    ItemCellList *cell(int index) const { return m_cells.at(index); }
    SeparatorLines *separatorLines() const { return m_lines; }
    // The date cell i shows.
    QDate cellDate(int index) const { return firstDate().addDays(index); }

    // Every row of a cell, its title row included, is 18 pixels high by
    // construction; what is left of resetting the row heights is painting
    // the cells anew, which the build and the refill end with.
    void resetRowHeights() { repaintCells(); }

    // The cursors were re-read after a post or a delete: repaint every cell
    // (and place what depends on the row counts).
    virtual void cellsRefreshed();

    // Who answers whether a command on an occurrence of a series is for it
    // or the series; a dialog over the view unless set (not owned).
    void setOccurrenceQuestion(OccurrenceQuestion *question) { m_asker.setQuestion(question); }

signals:
    void openItemRequested(qint64 itemNo); // double click on a selected item
    void newAppointmentRequested();        // double click with no item selected
    // A click on a full cell's "+N more" mark: the whole day is wanted, in
    // the day view. The click has selected the day already.
    void dayViewRequested(const QDate &date);
    void storeError(const QString &message);

protected:
    // Creates cell i with its painter; the subclass places it.
    ItemCellList *addCell(QWidget *area, const RowPainter &painter);
    void setSeparatorLines(SeparatorLines *lines) { m_lines = lines; }

    TDataModule2 &data() { return m_data; }
    ViewState &state() { return m_state; }
    const ViewState &state() const { return m_state; }
    Cursor &cursorOf(int index);
    bool use24Hour() const;

    virtual QDate firstDate() const = 0;
    // SelectedCellNo of cell i (month 1..42, week 43..49) and back.
    virtual int cellNumber(int index) const = 0;
    int selectedIndex() const;
    // Shows cell i's day as selected or not (title row or header bar).
    virtual void markDay(int index, bool selected) = 0;
    // The painter's picture of cell i beyond the shared selection.
    virtual CellContext cellContext(int index) const = 0;

    void repaintCells();

private:
    void onRowPressed(int index, int row, Qt::MouseButton button);
    void onReleased(int index, Qt::MouseButton button);
    void selectDay(int index);
    void selectItem(int index);
    void onDoubleClicked();
    void onKey(int index, int key, Qt::KeyboardModifiers modifiers);
    bool currentRowIsMultiDay(int index);
    bool locateSelected(Cursor &cursor);

    TDataModule2 &m_data;
    ViewState &m_state;
    QList<ItemCellList *> m_cells;
    SeparatorLines *m_lines = nullptr;
    std::function<void(const QDate &)> m_moveNavigator;
    int m_pressedRow = -1;
    OccurrenceAsker m_asker {this};
};
