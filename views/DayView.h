#pragma once

#include "views/BlockDrag.h"
#include "views/DayLayout.h"
#include "views/DayViewOps.h"
#include "views/OccurrenceCommands.h"
#include "views/StripPainter.h"
#include "store/Unit2.h"

#include <QDate>
#include <QHash>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <functional>

class Cursor;
class DayBlock;
class DayGrid;
class ItemCellList;
class QLineEdit;
class QScrollBar;
class TDataModule2;
class TimeRuler;

// The day view: an all-day strip over a time ruler and a grid of 48
// half-hour rows, in which every timed item of the shown date is a block.
// Items that overlap share the width side by side. The user selects rows
// (the time of a new appointment), types into them to enter an item,
// edits a block's subject in place and drags blocks to move or resize them.
//
// Cursors: Table46 is the day list (one block per row, current row = the
// selected block), Table49 the all-day strip, Table43/44 the slot
// scans of the layout; Table50 is given the day's filter for the editor.
class DayView : public QWidget, public DayViewOps, private DayLayout::Blocks
{
    Q_OBJECT
public:
    explicit DayView(TDataModule2 &data, QWidget *parent = nullptr);
    ~DayView() override;

    // The date of the month navigator. Takes effect at the next build.
    void setShownDate(const QDate &date);
    // Lets shownDate() follow the navigator live, so that commands started
    // from another view (New Appointment) see the navigator's date; each
    // build then shows that date.
    void setShownDateSource(std::function<QDate()> source) { m_dateSource = std::move(source); }
    QDate shownDate() const override { return m_dateSource ? m_dateSource() : m_date; }

    // Whether the day view is the current view; build() sets it.
    bool isShowing() const override { return m_showing; }
    void setShowing(bool showing) { m_showing = showing; }

    // Build for the shown date: filters, blocks, strip, caption.
    void build();
    // Removes the blocks and builds again; nothing while another view is current.
    void rebuild() override;
    // Follows a change to the calendar's rows, whoever made it: an item
    // that came into the shown day gets its block, one that left it has the
    // day built anew, and every block moves to where its item now puts it.
    // The selected block, the selected rows, the scroll position and an
    // open subject editor stay; the last goes on once it is closed.
    void followCalendarChange(const CalendarChange &change);
    // Moves every existing block to where its item's times put it.
    void relayoutBlocks() override;
    // The window changed size: the blocks move only when the grid's width
    // changed, as their places depend on nothing else.
    void followResize();
    // A block for the item, which must be a row of the day list (nothing
    // while another view is current).
    void addBlock(qint64 itemNo) override;
    void addBlockForCurrentRow();
    void removeBlock(qint64 itemNo);
    void removeAllBlocks() override;

    // The block menu, on the item of the last pressed block (Table46's
    // current row): the item takes event type `type` and its block the
    // type's colour at once; or the item is deleted, its block removed and
    // the day built anew. False (nothing changed) when the store refused.
    // An occurrence of a series asks first whether the command is for that
    // occurrence or the whole series (opening one detaches it).
    bool setCurrentItemType(int type);
    bool deleteCurrentItem();
    void openCurrentItem();
    // Selects the item of the shown day, as a click would: its block,
    // scrolled into sight, or its row of the all-day strip. False when the
    // day does not show it.
    bool selectItem(qint64 itemNo);

    // Who answers that question; a dialog over the view unless set (not owned).
    void setOccurrenceQuestion(OccurrenceQuestion *question) { m_asker.setQuestion(question); }

    // The rows the user selected; both 16 at start and after a week or
    // month build (resetSelection).
    int selectionStartRow() const override { return m_selStart; }
    int selectionEndRow() const override { return qMax(m_selStart, m_selEnd); }
    void resetSelection();
    // Start and end time of a new appointment from the selected rows.
    QTime selectedStartTime() const;
    QTime selectedEndTime() const;

    // The shown date in the locale's long date format (the title strip).
    QString caption() const;

    // Current scroll position in pixels, a whole number of rows.
    int scrollPosition() const { return m_scrollPosition; }

    DayBlock *block(qint64 itemNo) const { return m_blocks.value(itemNo); }
    QList<DayBlock *> blocks() const { return m_blocks.values(); }
    DayGrid *grid() const { return m_grid; }
    ItemCellList *allDayStrip() const { return m_strip; }
    TimeRuler *ruler() const { return m_ruler; }
    QLineEdit *subjectEditor() const { return m_editor; }
    QScrollBar *scrollBar() const { return m_scrollBar; }
    int gridWidth() const;

signals:
    void newAppointmentRequested();                                  // double click on the grid
    void openItemRequested(qint64 itemNo);                           // double click on a block; Table50 is on the item
    void blockMenuRequested(qint64 itemNo, const QPoint &globalPos); // right click on a block
    void captionChanged(const QString &caption);
    void selectionChanged(int startRow, int endRow); // the selected half-hour rows, start <= end
    void storeError(const QString &message);         // a post failed; the store's own text

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    // DayLayout::Blocks
    QRect geometryOf(qint64 itemNo) const override;
    void place(const Cursor &row, const QRect &geometry) override;

    Cursor &dayList();
    bool use24Hour() const;
    void runLayout(bool creating);
    void applyAppearance(DayBlock *block, const Cursor &row);
    DayBlock *createBlock(qint64 itemNo);
    void moveBlock(DayBlock *block, const QRect &extent);
    void renewLabel(DayBlock *block);
    bool locateItem(qint64 itemNo);
    void updateShading();
    void updateStripHeight();
    void layoutChildren();
    void setScrollPosition(int pixels);

    // Selection of rows.
    void onGridPressed(int y);
    void onGridDragged(int y);
    void onGridReleased(int y);
    void showSelection();

    // Quick entry and the in-place subject editor.
    void onCharacterTyped(const QString &text);
    // Typing into it is the undo step stepName; a gesture of 0 starts one.
    void openSubjectEditor(qint64 itemNo, const QString &stepName = QStringLiteral("Edit"), quint64 gesture = 0);
    void onSubjectEdited(const QString &text);
    void closeSubjectEditor();
    void unselectCurrentBlock();
    void selectBlock(DayBlock *block);

    // Blocks and the mouse.
    void onBlockPressed(DayBlock *block, Qt::MouseButton button, int y);
    void onBlockDragged(DayBlock *block, int y);
    void onBlockReleased(DayBlock *block, Qt::MouseButton button);
    void onBlockDoubleClicked(DayBlock *block);
    void onClickTimeout();
    // The all-day strip: double click opens its current item, Delete
    // deletes it.
    void onStripDoubleClicked();
    void onStripKey(int key, Qt::KeyboardModifiers modifiers);
    bool writeDragStep(qint64 itemNo, const QList<BlockDrag::Writes> &posts);
    bool detachDraggedOccurrence(DayBlock *block);
    void openItem(Cursor &cursor);
    bool deleteFrom(Cursor &cursor);
    bool post(Cursor &cursor);
    bool postTyping(Cursor &cursor); // the subject editor's text, in its undo step

    TDataModule2 &m_data;
    QDate m_date; // the date the view was last built for
    std::function<QDate()> m_dateSource;
    bool m_showing = false;
    bool m_creatingBlocks = false;
    int m_laidOutWidth = -1; // grid width of the last layout

    ItemCellList *m_strip = nullptr;
    StripPainter m_stripPainter;
    QWidget *m_viewport = nullptr;
    QWidget *m_content = nullptr;
    TimeRuler *m_ruler = nullptr;
    DayGrid *m_grid = nullptr;
    QScrollBar *m_scrollBar = nullptr;
    QLineEdit *m_editor = nullptr;
    int m_scrollPosition = 0;
    int m_wantedScroll = 0;

    // Owned; the grid paints them. A block whose own event led to its
    // removal is deleted once that is handled (DayBlock::dispose).
    QHash<qint64, DayBlock *> m_blocks;
    qint64 m_selectedNo = 0; // the block marked selected, 0 for none
    qint64 m_editorNo = 0;   // the item under the in-place editor, 0 while hidden
    // The undo step the editor's typing belongs to: the new item it began
    // with, or the edit of the subject it was opened on.
    QString m_editorStepName;
    quint64 m_editorGesture = 0;
    // The changes that came while the subject editor was open, applied when
    // it closes. Kept by row, so that the editor's own posts do not turn
    // into a rebuild that replaces every block.
    CalendarChange m_changeWaiting;
    bool m_hasChangeWaiting = false;

    int m_selStart = 16;
    int m_selEnd = 16;
    bool m_selecting = false;

    OccurrenceAsker m_asker {this};

    BlockDrag::State m_drag;
    bool m_dragStepped = false; // a drag step ran since the last press
    quint64 m_dragGesture = 0;  // every step of one drag is one undo step
    bool m_afterDoubleClick = false;
    QTimer m_clickTimer; // a single click waits out the double-click time
    qint64 m_clickedNo = 0;
};
