#include "app/FindItemsWindow.h"

#include "app/FoundItemsModel.h"
#include "store/Cursor.h"
#include "store/TableSchema.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString absolutePath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

FindItemsWindow::FindItemsWindow(Hooks hooks, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_hooks(std::move(hooks))
{
    setWindowTitle(QStringLiteral("Find Items"));
    setObjectName(QStringLiteral("FindItemsWindow"));
    resize(560, 420);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("findText"));
    m_text->setClearButtonEnabled(true);
    m_allCalendars = new QCheckBox(QStringLiteral("All calendars"), this);
    m_model = new FoundItemsModel(this);
    m_model->setClockSource([this] { return m_hooks.use24Hour && m_hooks.use24Hour(); });
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("foundItems"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true); // rows are measured once, however many there are
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(true);
    m_status = new QLabel(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_allCalendars);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);

    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &FindItemsWindow::runSlice);
    connect(m_text, &QLineEdit::textChanged, this, &FindItemsWindow::restart);
    connect(m_allCalendars, &QCheckBox::toggled, this, &FindItemsWindow::restart);
    connect(m_list, &QTreeView::doubleClicked, this, [this](const QModelIndex &index) { activateRow(index.row()); });
    m_text->installEventFilter(this);
    m_list->installEventFilter(this);
}

FindItemsWindow::~FindItemsWindow() = default;

const std::vector<FoundItem> &FindItemsWindow::results() const
{
    return m_model->items();
}

// Beside the main window where the screen has room, so that the day view
// it shows an item in stays in sight: to its right, else below it, else
// over its lower right corner (the navigator and task pad side).
void FindItemsWindow::placeBesideOwner()
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible() || !owner->screen())
        return;
    const QRect main = owner->frameGeometry();
    const QRect screen = owner->screen()->availableGeometry();
    const QMargins frame(8, 30, 8, 8); // room for a window manager's frame around this window
    const QSize wanted = size().grownBy(frame);
    if (screen.right() - main.right() >= wanted.width()) {
        move(main.right() + 1 + frame.left(), main.top() + frame.top());
    } else if (screen.bottom() - main.bottom() >= minimumBelow) {
        const int height = qMin(wanted.height(), screen.bottom() - main.bottom()) - frame.top() - frame.bottom();
        resize(qMin(main.width() - frame.left() - frame.right(), wanted.width()), height);
        move(main.left() + frame.left(), main.bottom() + 1 + frame.top());
    } else {
        move(main.right() - wanted.width() + frame.left(), main.bottom() - wanted.height() + frame.top());
    }
}

void FindItemsWindow::openWindow()
{
    if (!m_placed) {
        placeBesideOwner();
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
    m_text->setFocus();
    m_text->selectAll();
    // The calendars may have changed while the window was hidden.
    restart();
}

void FindItemsWindow::followCalendarChange()
{
    if (isVisible())
        restart();
}

void FindItemsWindow::hideEvent(QHideEvent *event)
{
    m_slices.stop();
    closeCalendars();
    QWidget::hideEvent(event);
}

void FindItemsWindow::closeCalendars()
{
    m_queue.clear();
    m_open.clear();
}

// --- the search ----------------------------------------------------------------

void FindItemsWindow::restart()
{
    m_slices.stop();
    m_search = ItemSearch(m_text->text());
    m_found.clear();
    m_problems.clear();
    m_queue.clear();
    m_queueAt = 0;
    if (m_search.isEmpty()) {
        finish();
        return;
    }
    m_queue = calendarsToSearch(&m_problems);
    // A cursor keeps the rows it read until it re-reads: rows posted since
    // through other cursors would be missed.
    for (OpenCalendar *calendar : m_queue)
        calendar->cursor->refresh();
    if (!m_queue.empty())
        m_queue.front()->cursor->first();
    m_slices.start();
}

void FindItemsWindow::runSlice()
{
    int rows = rowsPerSlice;
    while (m_queueAt < m_queue.size() && rows > 0) {
        Cursor &cursor = *m_queue[m_queueAt]->cursor;
        if (!m_search.scan(cursor, rows, m_found))
            return; // the slice is used up; the timer brings the next
        rows = 0;
        if (++m_queueAt < m_queue.size())
            m_queue[m_queueAt]->cursor->first();
    }
    if (m_queueAt >= m_queue.size())
        finish();
}

void FindItemsWindow::finishNow()
{
    while (isSearching())
        runSlice();
}

void FindItemsWindow::finish()
{
    m_slices.stop();
    ItemSearch::sortByDate(m_found);
    QHash<QString, QString> folderNames;
    if (m_allCalendars->isChecked())
        for (const OpenCalendar *calendar : m_queue)
            folderNames.insert(calendar->cursor->filePath(), calendar->folderName);
    // The row the user was on stays current when it is listed again (the
    // list follows a change, or a folder switch that Enter made).
    const QModelIndex current = m_list->currentIndex();
    const FoundItem was = current.isValid() ? m_model->item(current.row()) : FoundItem();
    const size_t count = m_found.size();
    m_model->setItems(std::move(m_found), std::move(folderNames));
    m_found = {};
    if (count > 0) {
        const auto &items = m_model->items();
        const auto again = std::find_if(items.begin(), items.end(), [&was](const FoundItem &item) {
            return item.no == was.no && item.calendar == was.calendar;
        });
        const int row = again == items.end() ? 0 : int(again - items.begin());
        m_list->setCurrentIndex(m_model->index(row, 0));
        m_list->scrollTo(m_list->currentIndex());
        m_list->resizeColumnToContents(FoundItemsModel::DateColumn);
        m_list->resizeColumnToContents(FoundItemsModel::TimeColumn);
    }
    QString status;
    if (!m_search.isEmpty())
        status = count == 1 ? QStringLiteral("1 item")
                            : QStringLiteral("%1 items").arg(QLocale().toString(qlonglong(count)));
    for (const QString &problem : std::as_const(m_problems))
        status += QStringLiteral("\n") + problem;
    m_status->setText(status.trimmed());
    emit searchFinished();
}

std::vector<FindItemsWindow::OpenCalendar *> FindItemsWindow::calendarsToSearch(QStringList *problems)
{
    const QString active = absolutePath(m_hooks.activeCalendar ? m_hooks.activeCalendar() : QString());
    std::vector<Calendar> wanted;
    if (m_allCalendars->isChecked() && m_hooks.calendars)
        wanted = m_hooks.calendars();
    // The active calendar is searched even when no folder names it (the
    // default calendar read in place of a missing file).
    const bool activeListed = std::any_of(wanted.begin(), wanted.end(), [&active](const Calendar &calendar) {
        return absolutePath(calendar.path) == active;
    });
    if (!activeListed && !active.isEmpty())
        wanted.insert(wanted.begin(), Calendar {active, QString(), 0});

    std::vector<OpenCalendar *> queue;
    std::map<QString, OpenCalendar> kept;
    for (const Calendar &calendar : wanted) {
        const QString path = absolutePath(calendar.path);
        if (kept.count(path) != 0 || !QFileInfo(path).isFile())
            continue; // two folders on one file are searched once; a missing file has no items
        if (OpenCalendar *open = openCalendar(calendar, path == active, problems)) {
            open->folderName = calendar.folderName;
            open->folderId = calendar.folderId;
            kept[path] = std::move(*open);
            m_open.erase(path);
        }
    }
    // What is no longer searched closes; what is goes in the folders' order.
    m_open = std::move(kept);
    for (const Calendar &calendar : wanted) {
        auto it = m_open.find(absolutePath(calendar.path));
        if (it != m_open.end() && std::find(queue.begin(), queue.end(), &it->second) == queue.end())
            queue.push_back(&it->second);
    }
    return queue;
}

// The active calendar shares the picture the planner's own cursors read;
// another is opened read-only, so that searching it never writes to it,
// and is checked for other programs' writes before each search.
FindItemsWindow::OpenCalendar *FindItemsWindow::openCalendar(const Calendar &calendar, bool active,
                                                             QStringList *problems)
{
    const QString path = absolutePath(calendar.path);
    auto it = m_open.find(path);
    if (it != m_open.end() && it->second.readOnly == !active) {
        if (!active)
            it->second.cursor->noticeOutsideChanges();
        return &it->second;
    }
    OpenCalendar opened;
    opened.cursor = std::make_unique<Cursor>(QStringLiteral("FindItems"));
    const QFileInfo file(path);
    opened.cursor->setTableFile(file.path(), file.fileName(), calendarSchema());
    opened.cursor->setReadOnly(!active);
    opened.readOnly = !active;
    if (!opened.cursor->open()) {
        problems->append(opened.cursor->lastError());
        return nullptr;
    }
    m_open[path] = std::move(opened);
    return &m_open[path];
}

// --- the list ------------------------------------------------------------------

void FindItemsWindow::activateRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const FoundItem item = m_model->item(row);
    if (item.no == m_shownNo && absolutePath(item.calendar) == m_shownCalendar) {
        if (m_hooks.openItem)
            m_hooks.openItem(item);
        return;
    }
    qint64 folderId = 0;
    if (auto it = m_open.find(absolutePath(item.calendar)); it != m_open.end())
        folderId = it->second.folderId;
    if (!m_hooks.showItem || !m_hooks.showItem(item, folderId))
        return;
    m_shownNo = item.no;
    m_shownCalendar = absolutePath(item.calendar);
    // The user goes on from here: a second Enter opens the item.
    raise();
    activateWindow();
}

void FindItemsWindow::moveSelection(int step)
{
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    const int current = m_list->currentIndex().isValid() ? m_list->currentIndex().row() : -1;
    m_list->setCurrentIndex(m_model->index(qBound(0, current + step, rows - 1), 0));
}

bool FindItemsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (isEnter(key)) {
        // A search still running has not listed the newest text's items yet.
        if (isSearching())
            finishNow();
        activateRow(m_list->currentIndex().isValid() ? m_list->currentIndex().row() : 0);
        return true;
    }
    if (watched == m_text && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
        moveSelection(key->key() == Qt::Key_Down ? 1 : -1);
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        hide();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
