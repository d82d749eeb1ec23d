#include "views/DayView.h"

#include "views/ClockText.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "views/DayBlock.h"
#include "views/DayGeometry.h"
#include "views/DayGrid.h"
#include "views/ItemCellList.h"
#include "views/MarkerIcons.h"
#include "views/OccurrenceRules.h"
#include "store/ItemFields.h"
#include "store/TableSchema.h"
#include "views/TimeRuler.h"
#include "views/TypeColors.h"
#include "store/Unit2.h"
#include "views/ViewFonts.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QWheelEvent>

#include <algorithm>

using namespace DayGeometry;

namespace {
using ItemField::Et;
using ItemField::No;
using ItemField::St;
using ItemField::Subject;

// The typing limit of the in-place editor: the capacity of `Subject`.
int subjectCapacity()
{
    const TableSchema &schema = calendarSchema();
    return schema.fields.at(schema.fieldIndex(Subject)).size;
}
} // namespace

DayView::DayView(TDataModule2 &data, QWidget *parent)
    : QWidget(parent)
    , m_data(data)
    , m_date(Clock::today())
    , m_wantedScroll(initialScroll)
{
    m_strip = new ItemCellList(data.Table49(), m_stripPainter, this);
    m_strip->setObjectName(QStringLiteral("DBGrid52"));
    // The strip highlights its current row only once the user clicks it.
    m_strip->setFocusPolicy(Qt::ClickFocus);
    m_strip->setContextProvider([this] {
        CellContext context;
        context.date = m_date;
        context.use24Hour = use24Hour();
        return context;
    });

    m_viewport = new QWidget(this);
    m_content = new QWidget(m_viewport);
    m_content->setAutoFillBackground(true);
    m_ruler = new TimeRuler(m_content);
    m_grid = new DayGrid(m_content);

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setSingleStep(rowHeight);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        m_wantedScroll = value;
        setScrollPosition(value);
    });

    m_editor = new QLineEdit(m_grid);
    m_editor->setObjectName(QStringLiteral("SubjectEditor"));
    m_editor->setFrame(false);
    m_editor->setMaxLength(subjectCapacity());
    m_editor->setFont(ViewFonts::cellFont());
    m_editor->setAlignment(Qt::AlignLeft | Qt::AlignTop); // where the block's label stood
    m_editor->hide();
    connect(m_editor, &QLineEdit::textEdited, this, &DayView::onSubjectEdited);
    // Typed text is written as soon as the editor loses the focus, so that
    // nothing waits unsaved in the day list's edit buffer.
    connect(m_editor, &QLineEdit::editingFinished, this, [this] {
        Cursor &list = dayList();
        if (list.state() != Cursor::State::Browse)
            postTyping(list);
    });

    connect(m_grid, &DayGrid::pressed, this, &DayView::onGridPressed);
    connect(m_grid, &DayGrid::dragged, this, &DayView::onGridDragged);
    connect(m_grid, &DayGrid::released, this, &DayView::onGridReleased);
    connect(m_grid, &DayGrid::doubleClicked, this, [this] {
        m_clickTimer.stop();
        emit newAppointmentRequested();
    });
    connect(m_grid, &DayGrid::characterTyped, this, &DayView::onCharacterTyped);
    connect(m_grid, &DayGrid::blockPressed, this, &DayView::onBlockPressed);
    connect(m_grid, &DayGrid::blockDragged, this, &DayView::onBlockDragged);
    connect(m_grid, &DayGrid::blockReleased, this, &DayView::onBlockReleased);
    connect(m_grid, &DayGrid::blockDoubleClicked, this, &DayView::onBlockDoubleClicked);
    connect(m_strip, &ItemCellList::rowPressed, this, [this] { m_clickTimer.stop(); });
    connect(m_strip, &ItemCellList::doubleClicked, this, &DayView::onStripDoubleClicked);
    connect(m_strip, &ItemCellList::keyPressed, this, &DayView::onStripKey);

    m_clickTimer.setSingleShot(true);
    connect(&m_clickTimer, &QTimer::timeout, this, &DayView::onClickTimeout);

    showSelection();
    layoutChildren();
}

DayView::~DayView()
{
    // Destroying the children takes the focus from an open subject editor,
    // whose editingFinished would then reach a day view that is half gone.
    m_editor->disconnect(this);
    m_grid->removeAllBlocks();
    for (DayBlock *b : std::as_const(m_blocks))
        DayBlock::dispose(b);
}

Cursor &DayView::dayList()
{
    return m_data.Table46();
}

bool DayView::use24Hour() const
{
    return m_data.options().clock24Hour();
}

int DayView::gridWidth() const
{
    return m_grid->width();
}

void DayView::setShownDate(const QDate &date)
{
    m_date = date;
}

QString DayView::caption() const
{
    return QLocale().toString(m_date, QLocale::LongFormat);
}

QTime DayView::selectedStartTime() const
{
    return rowTime(selectionStartRow());
}

QTime DayView::selectedEndTime() const
{
    return timeAfterRow(selectionEndRow());
}

void DayView::resetSelection()
{
    m_selStart = m_selEnd = 16;
    showSelection();
}

// --- building and layout -------------------------------------------------

namespace {

// A day may hold a thousand blocks: while they are taken out or placed,
// the grid's updates are off, so that nothing is marked dirty block by
// block; the grid repaints once when they are back on.
class GridUpdatesPaused
{
public:
    explicit GridUpdatesPaused(QWidget *grid)
        : m_grid(grid)
        , m_updating(grid->updatesEnabled())
    {
        grid->setUpdatesEnabled(false);
    }
    ~GridUpdatesPaused() { m_grid->setUpdatesEnabled(m_updating); }
    GridUpdatesPaused(const GridUpdatesPaused &) = delete;
    GridUpdatesPaused &operator=(const GridUpdatesPaused &) = delete;

private:
    QWidget *m_grid;
    bool m_updating;
};

} // namespace

void DayView::build()
{
    m_clickTimer.stop();
    closeSubjectEditor();
    const GridUpdatesPaused paused(m_grid);
    // Each item gets exactly one block, even when the caller did not remove
    // the blocks of the previous build.
    removeAllBlocks();
    m_date = shownDate();
    m_showing = true;
    m_drag = BlockDrag::State();
    updateShading();
    m_ruler->setUse24Hour(use24Hour());

    OccurrenceRules::occursOn(m_data.Table50(), m_date);
    OccurrenceRules::timedOn(dayList(), m_date);
    OccurrenceRules::allDayOn(m_data.Table49(), m_date);

    runLayout(true);
    m_editor->hide();
    updateStripHeight();
    m_grid->update();
    m_strip->update();
    emit captionChanged(caption());
}

void DayView::rebuild()
{
    // Editors call this after a save; another current view stays untouched.
    if (!m_showing)
        return;
    removeAllBlocks();
    build();
}

void DayView::followCalendarChange(const CalendarChange &change)
{
    if (!m_showing)
        return;
    // The text being typed is the user's: the change follows when it is posted.
    if (m_editorNo != 0) {
        m_changeWaiting.merge(change);
        m_hasChangeWaiting = true;
        return;
    }
    Cursor &list = dayList();
    if (!list.isOpen() || list.state() != Cursor::State::Browse)
        return;
    const qint64 selected = m_selectedNo;
    const qint64 current = list.currentId();
    list.refresh();
    bool leftTheDay = false;
    QList<qint64> cameIntoTheDay;
    auto follow = [&](qint64 no) {
        const bool heldBefore = block(no) != nullptr;
        const bool heldAfter = list.locate(No, no);
        leftTheDay = leftTheDay || (heldBefore && !heldAfter);
        if (!heldBefore && heldAfter)
            cameIntoTheDay << no;
    };
    if (change.wholeCalendar) {
        for (qint64 no : m_blocks.keys())
            follow(no);
        leftTheDay = true; // any item may have come: the day is read anew
    } else {
        for (qint64 no : change.rows)
            follow(no);
    }
    if (leftTheDay) {
        // The day view removes blocks only all at once; the build brings
        // back every block that still belongs to the day.
        removeAllBlocks();
        build();
        if (DayBlock *b = block(selected))
            selectBlock(b);
    } else {
        for (qint64 no : cameIntoTheDay)
            addBlock(no);
        for (Cursor *scan : {&m_data.Table43(), &m_data.Table44()})
            if (scan->isOpen() && scan->state() == Cursor::State::Browse)
                scan->refresh();
        // Also with no blocks: the re-layout sets the all-day strip's height.
        relayoutBlocks();
    }
    if (current == 0 || !list.locate(No, current))
        list.first();
    m_strip->update();
}

void DayView::relayoutBlocks()
{
    // The pending subject goes to the table first, so labels show it.
    closeSubjectEditor();
    // Posts made through other cursors (the event editor's) become visible.
    for (Cursor *cursor : {&dayList(), &m_data.Table49()})
        if (cursor->isOpen() && cursor->state() == Cursor::State::Browse)
            cursor->refresh();
    runLayout(false);
    updateStripHeight();
    m_grid->update();
}

void DayView::runLayout(bool creating)
{
    if (!m_date.isValid() || !dayList().isOpen())
        return;
    // The grid repaints once, when the last block is in place.
    const GridUpdatesPaused paused(m_grid);
    m_creatingBlocks = creating;
    m_laidOutWidth = gridWidth();
    DayLayout layout(m_data.Table43(), m_data.Table44());
    layout.run(m_date, gridWidth(), *this);
    m_creatingBlocks = false;
}

QRect DayView::geometryOf(qint64 itemNo) const
{
    const DayBlock *b = block(itemNo);
    return b ? b->extent() : QRect();
}

void DayView::place(const Cursor &row, const QRect &geometry)
{
    const qint64 no = row.value(No).toLongLong();
    DayBlock *b = block(no);
    if (!b) {
        // A re-layout only moves blocks; only a build creates them.
        if (!m_creatingBlocks)
            return;
        b = createBlock(no);
    }
    moveBlock(b, geometry);
    applyAppearance(b, row);
}

void DayView::moveBlock(DayBlock *b, const QRect &extent)
{
    m_grid->updateBlock(b);
    b->setExtent(extent);
    m_grid->updateBlock(b);
}

void DayView::applyAppearance(DayBlock *b, const Cursor &row)
{
    b->setAppearance(TypeColors::color(row.asInt(ItemField::T)),
                     ClockText::blockLabel(row.asTime(St), row.asTime(Et), row.asText(Subject), use24Hour()),
                     MarkerIcons::markerFor(row.asBool(ItemField::R), row.asBool(ItemField::Re)));
    m_grid->updateBlock(b);
}

DayBlock *DayView::createBlock(qint64 itemNo)
{
    auto *b = new DayBlock(itemNo);
    m_blocks.insert(itemNo, b);
    m_grid->addBlock(b);
    return b;
}

void DayView::addBlockForCurrentRow()
{
    Cursor &list = dayList();
    const qint64 no = list.currentId();
    if (no == 0 || block(no))
        return;
    DayBlock *b = createBlock(no);
    const QRect extent = DayLayout::verticalExtent(list);
    moveBlock(b, QRect(0, extent.y(), qMax(0, gridWidth() - blockGap), extent.height()));
    applyAppearance(b, list);
}

void DayView::addBlock(qint64 itemNo)
{
    if (!m_showing)
        return;
    Cursor &list = dayList();
    // The item may have been posted through another cursor since the day
    // list was last read.
    if (!locateItem(itemNo) && list.state() == Cursor::State::Browse) {
        list.refresh();
        if (!locateItem(itemNo))
            return;
    }
    addBlockForCurrentRow();
}

void DayView::removeBlock(qint64 itemNo)
{
    DayBlock *b = m_blocks.take(itemNo);
    if (!b)
        return;
    if (m_editorNo == itemNo)
        closeSubjectEditor();
    if (m_selectedNo == itemNo)
        m_selectedNo = 0;
    if (m_clickedNo == itemNo)
        m_clickTimer.stop();
    m_grid->removeBlock(b);
    DayBlock::dispose(b);
}

void DayView::removeAllBlocks()
{
    closeSubjectEditor();
    if (m_blocks.contains(m_clickedNo))
        m_clickTimer.stop();
    m_grid->removeAllBlocks();
    for (DayBlock *b : std::as_const(m_blocks))
        DayBlock::dispose(b);
    m_blocks.clear();
    m_selectedNo = 0;
}

bool DayView::setCurrentItemType(int type)
{
    Cursor &list = dayList();
    const qint64 no = list.currentId();
    const TDataModule2::UndoStep step(m_data, QStringLiteral("Change Type"));
    if (no == 0 || !list.edit())
        return false;
    list.setValue(ItemField::T, type);
    if (!post(list))
        return false;
    if (DayBlock *b = block(no))
        applyAppearance(b, list);
    return true;
}

bool DayView::deleteCurrentItem()
{
    Cursor &list = dayList();
    if (list.currentId() == 0)
        return false;
    return deleteFrom(list);
}

bool DayView::deleteFrom(Cursor &cursor)
{
    Outcome done;
    {
        // One change notice, and so one build of the day, for a series and
        // its moved occurrences.
        const TDataModule2::ChangeBatch batch(m_data);
        const TDataModule2::UndoStep step(m_data, QStringLiteral("Delete"));
        done = OccurrenceCommands::deleteItem(cursor, m_date, m_asker.question());
    }
    if (done.isFailed())
        emit storeError(done.error());
    return done.isOk();
}

void DayView::openCurrentItem()
{
    if (dayList().currentId() != 0)
        openItem(dayList());
}

void DayView::openItem(Cursor &cursor)
{
    Result<qint64> chosen = Result<qint64>::cancelled();
    {
        const TDataModule2::ChangeBatch batch(m_data);
        const TDataModule2::UndoStep step(m_data, QStringLiteral("Open Occurrence"));
        chosen = OccurrenceCommands::itemToOpen(cursor, m_date, m_asker.question());
    }
    if (chosen.isFailed())
        emit storeError(chosen.error());
    else if (chosen)
        emit openItemRequested(chosen.value());
}

bool DayView::selectItem(qint64 itemNo)
{
    closeSubjectEditor();
    if (DayBlock *b = block(itemNo)) {
        if (!locateItem(itemNo))
            return false;
        selectBlock(b);
        const QRect extent = b->extent();
        const int viewHeight = m_scrollBar->pageStep();
        if (m_scrollBar->isVisible()
            && (extent.top() < m_scrollPosition || extent.bottom() > m_scrollPosition + viewHeight))
            m_scrollBar->setValue(qMin(extent.top(), m_scrollBar->maximum()));
        return true;
    }
    Cursor &strip = m_data.Table49();
    if (!strip.isOpen() || strip.state() != Cursor::State::Browse || !strip.locate(No, itemNo))
        return false;
    unselectCurrentBlock();
    m_strip->update();
    return true;
}

bool DayView::locateItem(qint64 itemNo)
{
    Cursor &list = dayList();
    if (list.state() != Cursor::State::Browse)
        return list.currentId() == itemNo;
    return list.currentId() == itemNo || list.locate(No, itemNo);
}

void DayView::renewLabel(DayBlock *b)
{
    if (locateItem(b->itemNo()))
        applyAppearance(b, dayList());
}

void DayView::updateShading()
{
    OptionsRecord &options = m_data.options();
    DayGrid::Shading shading;
    shading.workingDay = options.isWorkingDay(m_date);
    shading.workStart = options.workStart();
    shading.workEnd = options.workEnd();
    shading.offColor = options.offHoursColor();
    shading.workColor = options.workingHoursColor();
    m_grid->setShading(shading);
}

void DayView::updateStripHeight()
{
    const int rows = m_strip->rowCount();
    const int height = stripRowHeight * qMax(1, rows);
    if (m_strip->height() != height)
        m_strip->resize(m_strip->width(), height);
    layoutChildren();
    m_strip->update();
}

void DayView::layoutChildren()
{
    const int w = width();
    const int stripHeight = m_strip->height() > 0 ? m_strip->height() : stripRowHeight;
    m_strip->setGeometry(rulerWidth, 0, qMax(0, w - rulerWidth), stripHeight);
    m_strip->setColumnWidth(qMax(0, m_strip->width() - scrollBarWidth));

    const int viewHeight = qMax(0, height() - stripHeight);
    const int viewWidth = qMax(0, w - scrollBarWidth);
    m_viewport->setGeometry(0, stripHeight, viewWidth, viewHeight);
    m_content->resize(viewWidth, contentHeight);
    m_ruler->setGeometry(0, 0, rulerWidth, contentHeight);
    m_grid->setGeometry(rulerWidth, 0, qMax(0, viewWidth - rulerWidth), gridHeight);

    // Below 930 pixels the content scrolls, in whole rows.
    const bool scrolling = viewHeight < contentHeight;
    const int maximum = scrolling ? contentHeight - viewHeight : 0;
    {
        const QSignalBlocker blocker(m_scrollBar);
        m_scrollBar->setGeometry(w - scrollBarWidth, stripHeight, scrollBarWidth, viewHeight);
        m_scrollBar->setRange(0, maximum);
        m_scrollBar->setPageStep(qMax(rowHeight, viewHeight));
        m_scrollBar->setValue(qMin(m_wantedScroll, maximum));
    }
    m_scrollBar->setVisible(scrolling);
    setScrollPosition(scrolling ? m_scrollBar->value() : 0);
}

void DayView::setScrollPosition(int pixels)
{
    m_scrollPosition = pixels - pixels % rowHeight;
    m_content->move(0, -m_scrollPosition);
    m_ruler->setVisibleTop(m_scrollPosition);
}

void DayView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
    followResize();
}

void DayView::followResize()
{
    if (m_showing && gridWidth() != m_laidOutWidth)
        relayoutBlocks();
}

void DayView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
}

void DayView::wheelEvent(QWheelEvent *event)
{
    if (m_scrollBar->isVisible())
        QCoreApplication::sendEvent(m_scrollBar, event);
}

// --- selecting rows ------------------------------------------------------

void DayView::showSelection()
{
    m_grid->setHighlightedRows(m_selStart, m_selEnd);
    emit selectionChanged(selectionStartRow(), selectionEndRow());
}

void DayView::onGridPressed(int y)
{
    m_clickTimer.stop();
    m_drag = BlockDrag::State();
    // A click on the grid ends in-place editing and unselects the block.
    closeSubjectEditor();
    unselectCurrentBlock();
    m_selStart = m_selEnd = rowAt(y);
    m_selecting = true;
    showSelection();
}

void DayView::onGridDragged(int y)
{
    if (!m_selecting)
        return;
    m_selEnd = rowAt(y);
    showSelection();
}

void DayView::onGridReleased(int y)
{
    m_selEnd = rowAt(y);
    if (m_selEnd < m_selStart)
        std::swap(m_selStart, m_selEnd);
    m_selecting = false;
    showSelection();
}

// --- quick entry and the subject editor ----------------------------------

void DayView::onCharacterTyped(const QString &text)
{
    // Only characters that can stand in a subject start an entry.
    if (text.isEmpty() || !text.at(0).isPrint())
        return;
    closeSubjectEditor();
    Cursor &list = dayList();
    if (!list.isOpen())
        return;
    if (list.recordCount() > 0)
        unselectCurrentBlock();
    if (m_selEnd < m_selStart) {
        m_selEnd = m_selStart;
        showSelection();
    }

    // The new item and what is typed into it are one step to undo.
    m_editorStepName = QStringLiteral("New Item");
    m_editorGesture = m_data.newGesture();
    const TDataModule2::UndoStep step(m_data, m_editorStepName, m_editorGesture);
    list.insert();
    list.setValue(ItemField::Md, QStringLiteral("0"));
    list.setValue(ItemField::S, m_date);
    list.setValue(ItemField::E, m_date);
    list.setValue(St, rowTime(m_selStart));
    list.setValue(Et, timeAfterRow(m_selEnd));
    list.setValue(ItemField::T, 0);
    list.setValue(ItemField::Re, false);
    list.setValue(ItemField::R, false);
    if (!post(list))
        return;
    const qint64 no = list.currentId();
    addBlockForCurrentRow();
    relayoutBlocks();

    openSubjectEditor(no, m_editorStepName, m_editorGesture);
    if (m_editorNo != no || !list.edit())
        return;
    list.setValue(Subject, text);
    if (!post(list))
        return;
    m_editor->setText(text);
    m_editor->setCursorPosition(text.size());
    renewLabel(block(no));
}

void DayView::openSubjectEditor(qint64 itemNo, const QString &stepName, quint64 gesture)
{
    DayBlock *b = block(itemNo);
    if (!b || !locateItem(itemNo))
        return;
    m_editorNo = itemNo;
    m_editorStepName = stepName;
    m_editorGesture = gesture != 0 ? gesture : m_data.newGesture();
    const QRect g = b->extent();
    m_editor->setGeometry(g.x() + 5, g.y() + 2, g.width() - 7, g.height() - 4);
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Base, b->color());
    m_editor->setPalette(palette);
    // setText() would cut a longer subject that another program wrote, and
    // the next keystroke would save it cut; the whole text stays, and the
    // store refuses it by name when it is saved.
    const QString subject = dayList().asText(Subject);
    m_editor->setMaxLength(std::max(subjectCapacity(), int(subject.size())));
    m_editor->setText(subject);
    selectBlock(b);
    m_grid->raiseBlock(b);
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus();
}

void DayView::onSubjectEdited(const QString &text)
{
    Cursor &list = dayList();
    if (m_editorNo == 0 || !locateItem(m_editorNo))
        return;
    if (list.state() == Cursor::State::Browse && !list.edit())
        return;
    list.setValue(Subject, text);
}

void DayView::closeSubjectEditor()
{
    const qint64 no = m_editorNo;
    m_editorNo = 0;
    Cursor &list = dayList();
    if (list.state() != Cursor::State::Browse)
        postTyping(list);
    if (m_editor->isVisible())
        m_editor->hide();
    if (DayBlock *b = block(no))
        renewLabel(b);
    if (m_hasChangeWaiting) {
        const CalendarChange waiting = m_changeWaiting;
        m_changeWaiting = CalendarChange();
        m_hasChangeWaiting = false;
        followCalendarChange(waiting);
    }
}

void DayView::unselectCurrentBlock()
{
    if (DayBlock *b = block(m_selectedNo)) {
        b->setSelected(false);
        m_grid->updateBlock(b);
    }
    m_selectedNo = 0;
}

void DayView::selectBlock(DayBlock *b)
{
    unselectCurrentBlock();
    b->setSelected(true);
    m_grid->updateBlock(b);
    m_selectedNo = b->itemNo();
}

bool DayView::postTyping(Cursor &cursor)
{
    const TDataModule2::UndoStep step(m_data, m_editorStepName, m_editorGesture);
    return post(cursor);
}

bool DayView::post(Cursor &cursor)
{
    if (cursor.post())
        return true;
    const QString message = cursor.lastError();
    cursor.cancel();
    emit storeError(message);
    return false;
}

// --- blocks and the mouse ------------------------------------------------

void DayView::onBlockPressed(DayBlock *b, Qt::MouseButton button, int y)
{
    m_clickTimer.stop();
    m_dragStepped = false;
    m_drag = BlockDrag::pressAt(y, b->extent().height());
    m_dragGesture = m_data.newGesture();
    closeSubjectEditor();
    unselectCurrentBlock();
    // Failing to reach the item leaves the view as it was.
    if (!locateItem(b->itemNo()))
        return;
    selectBlock(b);
    if (button == Qt::RightButton)
        emit blockMenuRequested(b->itemNo(), QCursor::pos());
}

void DayView::onBlockDragged(DayBlock *b, int y)
{
    if (m_drag.zone == BlockDrag::Zone::None || !locateItem(b->itemNo()))
        return;
    Cursor &list = dayList();
    const BlockDrag::Result result =
        BlockDrag::step(m_drag, b->y(), b->extent().height(), y, list.asTime(St), list.asTime(Et));
    if (result.step == BlockDrag::Step::None)
        return;
    const TDataModule2::UndoStep step(
        m_data, m_drag.zone == BlockDrag::Zone::Body ? QStringLiteral("Move") : QStringLiteral("Resize"),
        m_dragGesture);
    // Only the dragged occurrence of a series moves: it becomes an item of
    // its own before the first step is written to it.
    if (OccurrenceCommands::isSeries(list) && !detachDraggedOccurrence(b))
        return;
    const qint64 no = b->itemNo();
    m_dragStepped = true;
    moveBlock(b, QRect(b->x(), result.top, b->width(), result.height));
    m_grid->update();
    writeDragStep(no, result.posts);
    const bool bottomStep = result.step == BlockDrag::Step::GrowBottom || result.step == BlockDrag::Step::ShrinkBottom;
    if (bottomStep && b->extent().height() == 0)
        moveBlock(b, QRect(b->x(), b->y(), b->width(), rowHeight));
    renewLabel(b);
    relayoutBlocks();
}

namespace {

// A reminder is its lead before the start: when a drag moves the start, the
// reminder moves with it, or it would ring at the old time.
void moveReminderWithStart(Cursor &row, const QTime &oldStart)
{
    const QTime newStart = row.asTime(ItemField::St);
    if (!oldStart.isValid() || !newStart.isValid() || oldStart == newStart || row.isBlank(ItemField::Rs)
        || row.isBlank(ItemField::Rt))
        return;
    const QDateTime due =
        QDateTime(row.asDate(ItemField::Rs), row.asTime(ItemField::Rt), Qt::UTC).addSecs(oldStart.secsTo(newStart));
    row.setValue(ItemField::Rs, due.date());
    row.setValue(ItemField::Rt, due.time());
    // Monthly and yearly series keep the reminder's day (and month) beside it.
    if (!row.isBlank(ItemField::Rd))
        row.setValue(ItemField::Rd, QString::number(due.date().day()));
    if (!row.isBlank(ItemField::Rm))
        row.setValue(ItemField::Rm, QString::number(due.date().month()));
}

} // namespace

bool DayView::detachDraggedOccurrence(DayBlock *b)
{
    const qint64 seriesNo = b->itemNo();
    Result<qint64> copy = Result<qint64>::cancelled();
    {
        const TDataModule2::ChangeBatch batch(m_data);
        copy = OccurrenceCommands::detachOccurrence(dayList(), m_date);
        if (copy) {
            // The block passes to the new row before the change is heard,
            // so the view sees a block that stayed, not one that left the
            // day (which would build the day anew and end the drag).
            const qint64 copyNo = copy.value();
            m_blocks.remove(seriesNo);
            b->setItemNo(copyNo);
            m_blocks.insert(copyNo, b);
            if (m_selectedNo == seriesNo)
                m_selectedNo = copyNo;
            if (m_clickedNo == seriesNo)
                m_clickedNo = copyNo;
        }
    }
    if (!copy) {
        emit storeError(copy.error());
        return false;
    }
    return locateItem(copy.value());
}

bool DayView::writeDragStep(qint64 itemNo, const QList<BlockDrag::Writes> &posts)
{
    Cursor &list = dayList();
    for (const BlockDrag::Writes &writes : posts) {
        if (!locateItem(itemNo) || !list.edit())
            return false;
        const QTime oldStart = list.asTime(St);
        for (const auto &[field, time] : writes)
            list.setValue(field, time);
        moveReminderWithStart(list, oldStart);
        if (!post(list))
            return false;
    }
    return true;
}

void DayView::onBlockReleased(DayBlock *b, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    if (m_afterDoubleClick) {
        m_afterDoubleClick = false;
        return;
    }
    // A drag is no click: the block stays without the editor.
    if (m_dragStepped)
        return;
    m_clickedNo = b->itemNo();
    m_clickTimer.start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

void DayView::onClickTimeout()
{
    if (block(m_clickedNo))
        openSubjectEditor(m_clickedNo);
}

void DayView::onBlockDoubleClicked(DayBlock *b)
{
    m_clickTimer.stop();
    m_afterDoubleClick = true;
    closeSubjectEditor();
    const qint64 no = b->itemNo();
    Cursor &edit = m_data.Table50();
    if (edit.state() != Cursor::State::Browse)
        return;
    if (!edit.locate(No, no)) {
        // Another part may have given the edit cursor its own filter.
        OccurrenceRules::occursOn(edit, m_date);
        if (!edit.locate(No, no))
            return;
    }
    openItem(edit);
}

// --- the all-day strip -------------------------------------------------------------

void DayView::onStripDoubleClicked()
{
    Cursor &strip = m_data.Table49();
    if (strip.isOpen() && strip.recordCount() > 0 && strip.currentId() != 0)
        openItem(strip);
}

void DayView::onStripKey(int key, Qt::KeyboardModifiers modifiers)
{
    // Ctrl+Delete would be the list's own record deletion: never reached.
    if (key != Qt::Key_Delete || (modifiers & Qt::ControlModifier))
        return;
    Cursor &strip = m_data.Table49();
    if (!strip.isOpen() || strip.recordCount() == 0)
        return;
    // The calendar's change notice builds the day anew.
    deleteFrom(strip);
}
