#include "app/Unit1.h"

#include "app/AboutBox.h"
#include "app/AppIcons.h"
#include "store/Clock.h"
#include "store/OptionFields.h"
#include "folders/FolderFields.h"
#include "folders/FolderPane.h"
#include "app/HelpWindow.h"
#include "app/MonthNavigator.h"
#include "app/PaneDivider.h"
#include "app/ProductLinks.h"
#include "app/ShortcutBar.h"
#include "app/TopBar.h"
#include "app/TrayIcon.h"
#include "app/ViewDates.h"
#include "app/WindowPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

namespace {

constexpr int DeferredPreviewMs = 500;
// The narrowest view a person can still work in: the day view's ruler and
// scroll bar beside a grid of 89 pixels, where blocks can still be seen,
// clicked and dragged. It leaves the first window (814 pixels, folder pane
// open, two navigator months) as it was.
constexpr int SmallestViewWidth = 160;
// The body below the top bar is never lower than one navigator month above
// a divider and a few task pad rows (the day view then shows ten rows).
constexpr int SmallestBodyHeight = PaneSizes::NavigatorMonthHeight + PaneDivider::Thickness + 4 * 18;

// A blank view area, shown until a view is installed for it.
QWidget *emptyViewArea()
{
    auto *area = new QWidget;
    area->setAutoFillBackground(true);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Window, Qt::white);
    area->setPalette(palette);
    return area;
}

// The platform's key for a standard command, or the usual one where the
// platform names none (some have no Quit key).
QKeySequence standardKey(QKeySequence::StandardKey key, const QKeySequence &usual)
{
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    return keys.isEmpty() ? usual : keys.first();
}

int viewIndex(DataModuleHost::View view)
{
    return static_cast<int>(view);
}

} // namespace

TForm1::TForm1(TDataModule2 &dataModule, std::function<bool()> trayAvailable, QWidget *parent)
    : QMainWindow(parent)
    , m_dm(dataModule)
    , m_trayAvailable(std::move(trayAvailable))
{
    setWindowTitle(QStringLiteral("Daybrook Planner"));
    setWindowIcon(AppIcons::icon(QStringLiteral("daybrook-planner")));
    resize(InitialWidth, InitialHeight);

    m_previewTimer = new QTimer(this);
    m_previewTimer->setSingleShot(true);
    m_previewTimer->setInterval(DeferredPreviewMs);
    connect(m_previewTimer, &QTimer::timeout, this, [this] { emit deferredPreviewDue(m_currentView); });

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_topBar = new TopBar(central);
    layout->addWidget(m_topBar);
    layout->addWidget(createBody(), 1);
    setCentralWidget(central);

    createMenus();
    createBlockMenu();
    createTray();
    connectCommands();

    // Main window creation: the navigator on today, both selection rows at 16.
    m_navigator->setDate(Clock::today());
    setDaySelection(FirstSelectedRow, FirstSelectedRow);
    refreshCaption();
}

TForm1::~TForm1() = default;

// --- construction ----------------------------------------------------------

QWidget *TForm1::createBody()
{
    auto *body = new QWidget(this);
    auto *row = new QHBoxLayout(body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    m_shortcutBar = new ShortcutBar(body);
    m_folderPane = new FolderPane(body);
    m_folderDivider = new PaneDivider(PaneDivider::Pane::Left, body);
    m_viewStack = new QStackedWidget(body);
    m_rightPaneDivider = new PaneDivider(PaneDivider::Pane::Right, body);
    m_viewStack->setMinimumWidth(1);
    for (InstalledView &view : m_views) {
        view.widget = emptyViewArea();
        m_viewStack->addWidget(view.widget);
    }

    row->addWidget(m_shortcutBar);
    row->addWidget(m_folderPane);
    row->addWidget(m_folderDivider);
    row->addWidget(m_viewStack, 1);
    row->addWidget(m_rightPaneDivider);
    row->addWidget(createRightPane());

    m_folderPane->setFixedWidth(PaneSizes::CollapsedWidth);
    m_folderDivider->setSizeAtPress([this] { return folderPaneWidth(); });
    m_rightPaneDivider->setSizeAtPress([this] { return rightPaneWidth(); });
    connect(m_folderDivider, &PaneDivider::dragged, this, &TForm1::dragFolderDivider);
    connect(m_folderDivider, &PaneDivider::released, this, &TForm1::runResizeHandling);
    connect(m_rightPaneDivider, &PaneDivider::dragged, this, &TForm1::dragRightPaneDivider);
    connect(m_rightPaneDivider, &PaneDivider::released, this, &TForm1::runResizeHandling);
    return body;
}

QWidget *TForm1::createRightPane()
{
    m_rightPane = new QWidget(this);
    m_rightPane->setMinimumWidth(1);
    auto *column = new QVBoxLayout(m_rightPane);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_navigator = new MonthNavigator(m_rightPane);
    m_navigatorDivider = new PaneDivider(PaneDivider::Pane::Above, m_rightPane);
    m_taskPadArea = emptyViewArea();
    m_taskPadArea->setMinimumWidth(1);
    column->addWidget(m_navigator, 0, Qt::AlignLeft);
    column->addWidget(m_navigatorDivider);
    column->addWidget(m_taskPadArea, 1);

    m_navigatorDivider->setSizeAtPress([this] { return navigatorHeight(); });
    connect(m_navigatorDivider, &PaneDivider::dragged, this, &TForm1::dragNavigatorDivider);
    connect(m_navigator, &MonthNavigator::datePicked, this, &TForm1::pickDate);

    setRightPaneWidth(m_rightPaneWidth);
    setNavigatorHeight(m_navigatorHeight);
    return m_rightPane;
}

void TForm1::createMenus()
{
    // Menu captions keep their exact spacing and spelling: other tools and
    // the help pages name them as they appear. Each carries a mnemonic (the
    // letter after "&", Alt+F opens File), and the common commands a
    // shortcut: the platform's standard key where Qt names one, so that a
    // desktop that binds Print or Quit elsewhere is followed.
    QMenuBar *bar = menuBar();
    const auto shortcut = [](QAction *action, const QKeySequence &keys) {
        action->setShortcut(keys);
        // Shown in the menu on every desktop, also where menus hide them by default.
        action->setShortcutVisibleInContextMenu(true);
        return action;
    };

    QMenu *file = bar->addMenu(QStringLiteral("&File "));
    file->addAction(QStringLiteral("New &Folder"), this, &TForm1::newFolderRequested);
    file->addSeparator();
    file->addAction(QStringLiteral("New &Calendar       "), this, &TForm1::newCalendarRequested);
    file->addSeparator();
    file->addAction(QStringLiteral("&Import iCalendar..."), this, &TForm1::importCalendarRequested);
    file->addAction(QStringLiteral("&Export iCalendar..."), this, &TForm1::exportCalendarRequested);
    file->addSeparator();
    shortcut(file->addAction(QStringLiteral("&Print Preview"), this, &TForm1::printPreviewRequested),
             standardKey(QKeySequence::Print, QKeySequence(Qt::CTRL | Qt::Key_P)));
    file->addSeparator();
    file->addAction(QStringLiteral("&Minimize in sistem tray"), this, &TForm1::minimizeToTray);
    shortcut(file->addAction(QStringLiteral("E&xit"), this, &TForm1::exitProgram),
             standardKey(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));

    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    m_undoAction =
        shortcut(edit->addAction(QString(), this, &TForm1::undoRequested), QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redoAction = edit->addAction(QString(), this, &TForm1::redoRequested);
    // Both keys, as desktops differ on which one redoes.
    m_redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    m_redoAction->setShortcutVisibleInContextMenu(true);
    setUndoNames(QString(), QString());
    edit->addSeparator();
    shortcut(edit->addAction(QStringLiteral("&Find Items..."), this, &TForm1::findItemsRequested),
             standardKey(QKeySequence::Find, QKeySequence(Qt::CTRL | Qt::Key_F)));

    QMenu *actions = bar->addMenu(QStringLiteral("&Actions"));
    shortcut(actions->addAction(QStringLiteral("New &Appointment"), this, &TForm1::newAppointmentRequested),
             standardKey(QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N)));
    actions->addSeparator();
    actions->addAction(QStringLiteral("New All &Day Event"), this, &TForm1::newAllDayEventRequested);
    actions->addSeparator();
    actions->addAction(QStringLiteral("New &Recurring Appointment"), this, &TForm1::newRecurringAppointmentRequested);
    actions->addSeparator();
    shortcut(actions->addAction(QStringLiteral("New &Task"), this, &TForm1::newTaskRequested),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));

    QMenu *view = bar->addMenu(QStringLiteral("&View "));
    // Check marks, not radio bullets: showView keeps exactly one checked.
    const auto addViewEntry = [&](View which, const QString &caption, Qt::Key key) {
        QAction *action = view->addAction(caption, this, [this, which] { showView(which); });
        action->setCheckable(true);
        shortcut(action, QKeySequence(Qt::CTRL | key));
        m_viewActions[viewIndex(which)] = action;
    };
    addViewEntry(View::Day, QStringLiteral("&Day                           "), Qt::Key_1);
    view->addSeparator();
    addViewEntry(View::Week, QStringLiteral("&Week"), Qt::Key_2);
    view->addSeparator();
    addViewEntry(View::Month, QStringLiteral("&Month"), Qt::Key_3);
    view->addSeparator();
    shortcut(view->addAction(QStringLiteral("Go to &Today"), this, &TForm1::goToToday),
             QKeySequence(Qt::CTRL | Qt::Key_T));
    // The top bar's back and forward buttons, for the keyboard.
    shortcut(view->addAction(QStringLiteral("&Back"), this, [this] { stepView(-1); }),
             standardKey(QKeySequence::Back, QKeySequence(Qt::ALT | Qt::Key_Left)));
    shortcut(view->addAction(QStringLiteral("&Forward"), this, [this] { stepView(1); }),
             standardKey(QKeySequence::Forward, QKeySequence(Qt::ALT | Qt::Key_Right)));
    view->addSeparator();
    QMenu *taskPad = view->addMenu(QStringLiteral("Task&Pad View"));
    const QStringList taskPadViews = {QStringLiteral("&All Tasks"), QStringLiteral("T&oday's Tasks"),
                                      QStringLiteral("Active Tasks for &Selected Days"),
                                      QStringLiteral("Tasks for &Next Seven Days"), QStringLiteral("O&verdue Tasks")};
    for (int i = 0; i < taskPadViews.size(); ++i) {
        m_taskPadViewActions[i] =
            taskPad->addAction(taskPadViews.at(i), this, [this, i] { emit taskPadViewRequested(i + 1); });
        m_taskPadViewActions[i]->setCheckable(true);
    }

    QMenu *tools = bar->addMenu(QStringLiteral("&Tools "));
    tools->addAction(QStringLiteral("&Options                   "), this, &TForm1::optionsRequested);
    tools->addSeparator();
    tools->addAction(QStringLiteral("&Reminders"), this, &TForm1::remindersRequested);

    QMenu *help = bar->addMenu(QStringLiteral("&Help "));
    shortcut(help->addAction(QStringLiteral("&Help Topics"), this, &TForm1::showHelp),
             standardKey(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
    help->addSeparator();
    help->addAction(QStringLiteral("Tehnical &Support"), this, &ProductLinks::openSupportMail);
    help->addAction(QStringLiteral("Daybrook Planner &Web Site"), this, &ProductLinks::openWebSite);
    help->addSeparator();
    help->addAction(QStringLiteral("&About"), this, &TForm1::showAbout);
}

void TForm1::setUndoNames(const QString &undoName, const QString &redoName)
{
    // A disabled entry keeps its bare verb, so that the menu never shows a
    // blank line.
    m_undoAction->setText(undoName.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo %1").arg(undoName));
    m_undoAction->setEnabled(!undoName.isEmpty());
    m_redoAction->setText(redoName.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo %1").arg(redoName));
    m_redoAction->setEnabled(!redoName.isEmpty());
}

void TForm1::createBlockMenu()
{
    m_blockMenu = new QMenu(this);
    m_blockMenu->addAction(QStringLiteral("Open"), this, &TForm1::blockOpenRequested);
    QMenu *types = m_blockMenu->addMenu(QStringLiteral("Event Types  "));
    for (int type = 0; type < int(m_blockTypeActions.size()); ++type)
        m_blockTypeActions[type] = types->addAction(QString(), this, [this, type] { emit blockTypeRequested(type); });
    m_blockMenu->addAction(QStringLiteral("Delete"), this, &TForm1::blockDeleteRequested);
}

void TForm1::createTray()
{
    m_tray = new TrayIcon(this);
    connect(m_tray, &TrayIcon::restoreRequested, this, &TForm1::restoreWindow);
    connect(m_tray, &TrayIcon::remindersRequested, this, &TForm1::remindersRequested);
    connect(m_tray, &TrayIcon::optionsRequested, this, &TForm1::optionsRequested);
    connect(m_tray, &TrayIcon::helpRequested, this, &TForm1::showHelp);
    connect(m_tray, &TrayIcon::newEventRequested, this, &TForm1::newAppointmentRequested);
    connect(m_tray, &TrayIcon::newTaskRequested, this, &TForm1::newTaskRequested);
    connect(m_tray, &TrayIcon::exitRequested, this, &TForm1::exitProgram);
    m_tray->show();
}

void TForm1::connectCommands()
{
    connect(m_topBar, &TopBar::todayClicked, this, &TForm1::goToToday);
    connect(m_topBar, &TopBar::viewClicked, this, &TForm1::showView);
    connect(m_topBar, &TopBar::backClicked, this, [this] { stepView(-1); });
    connect(m_topBar, &TopBar::forwardClicked, this, [this] { stepView(1); });
    connect(m_topBar, &TopBar::foldersClicked, this, &TForm1::toggleFolderPane);
    connect(m_folderPane, &FolderPane::closeClicked, this, [this] { setFolderPaneOpen(false); });

    connect(m_shortcutBar->newEventButton(), &QToolButton::clicked, this, &TForm1::newAppointmentRequested);
    connect(m_shortcutBar->newTaskButton(), &QToolButton::clicked, this, &TForm1::newTaskRequested);
    connect(m_shortcutBar->remindersButton(), &QToolButton::clicked, this, &TForm1::remindersRequested);
    connect(m_shortcutBar->optionsButton(), &QToolButton::clicked, this, &TForm1::optionsRequested);
    connect(m_shortcutBar->previewButton(), &QToolButton::clicked, this, &TForm1::printPreviewRequested);
}

// --- the data module's view of the window -----------------------------------

void TForm1::showFolderName(const QString &name)
{
    m_topBar->setFolderName(name);
}

QString TForm1::folderName() const
{
    return m_topBar->folderName();
}

void TForm1::configureWindow()
{
    OptionsRecord &options = m_dm.options();
    applyFolderPane(options.folderPaneShown());
    emit clockFormatApplied(options.clock24Hour());
    // The navigator follows the first day of the week the user chose, from
    // the first moment it is seen.
    m_navigator->setFirstDayOfWeek(options.firstDayOfWeek());

    // A last view the planner never writes (another program's row) starts
    // in the day view rather than in no view at all.
    m_currentView = View::None;
    showView(static_cast<View>(FolderFields::view(m_dm.Table61())));

    emit taskPadViewRequested(FolderFields::taskPadView(m_dm.Table61()));
    applyPlacement();
    setNavigatorHeight(FolderFields::navigatorHeight(m_dm.Table61()));
    applyTypeNames();
    m_configured = true;
    runResizeHandling();
    emit configured();
}

void TForm1::relayoutMonthFillers()
{
    InstalledView &month = installed(View::Month);
    if (month.hooks.refreshed)
        month.hooks.refreshed();
}

void TForm1::weekCellsRefreshed()
{
    InstalledView &week = installed(View::Week);
    if (week.hooks.refreshed)
        week.hooks.refreshed();
}

// --- views -------------------------------------------------------------------

TForm1::InstalledView &TForm1::installed(View view)
{
    return m_views[viewIndex(view)];
}

void TForm1::installView(View view, QWidget *widget, ViewHooks hooks)
{
    if (view == View::None || !widget)
        return;
    InstalledView &slot = installed(view);
    const int index = m_viewStack->indexOf(slot.widget);
    const bool wasShown = m_viewStack->currentIndex() == index;
    m_viewStack->removeWidget(slot.widget);
    delete slot.widget;
    m_viewStack->insertWidget(index, widget);
    slot.widget = widget;
    slot.hooks = std::move(hooks);
    if (wasShown)
        m_viewStack->setCurrentIndex(index);
}

QWidget *TForm1::viewWidget(View view) const
{
    return m_views[viewIndex(view)].widget;
}

QAction *TForm1::viewMenuAction(View view) const
{
    return m_viewActions[viewIndex(view)];
}

QAction *TForm1::taskPadViewAction(int view) const
{
    return view >= 1 && view <= int(m_taskPadViewActions.size()) ? m_taskPadViewActions[view - 1] : nullptr;
}

QMenu *TForm1::trayMenu() const
{
    return m_tray->menu();
}

void TForm1::showView(View view)
{
    m_topBar->setPressedView(view);
    for (View each : {View::Day, View::Week, View::Month})
        m_viewActions[viewIndex(each)]->setChecked(each == view);
    if (view == m_currentView || view == View::None)
        return;
    InstalledView &leaving = installed(m_currentView);
    if (leaving.hooks.leave)
        leaving.hooks.leave();
    m_currentView = view;
    buildCurrentView();
}

TForm1::View TForm1::releaseCurrentView()
{
    const View released = m_currentView;
    InstalledView &view = installed(released);
    if (view.hooks.leave)
        view.hooks.leave();
    m_currentView = View::None;
    return released;
}

void TForm1::buildCurrentView()
{
    // The month view takes the right pane's width; the pane stays folded
    // (and its divider still) until another view gives it back.
    const bool month = m_currentView == View::Month;
    setRightPaneWidth(month ? PaneSizes::CollapsedWidth : FolderFields::rightPaneWidth(m_dm.Table61()));
    setNavigatorHeight(FolderFields::navigatorHeight(m_dm.Table61()));
    m_rightPaneDivider->setEnabled(!month);
    if (m_currentView != View::Day)
        setDaySelection(FirstSelectedRow, FirstSelectedRow);
    writeFolderField(FolderListField::View, viewIndex(m_currentView));

    InstalledView &view = installed(m_currentView);
    m_viewStack->setCurrentWidget(view.widget);
    refreshCaption();
    if (view.hooks.build)
        view.hooks.build(shownDate());
}

QDate TForm1::shownDate() const
{
    return m_navigator->date();
}

void TForm1::setShownDate(const QDate &date)
{
    m_navigator->setDate(date);
}

void TForm1::pickDate(const QDate &date)
{
    m_navigator->setDate(date);
    InstalledView &view = installed(m_currentView);
    refreshCaption();
    if (view.hooks.datePicked)
        view.hooks.datePicked(shownDate());
    else if (view.hooks.build)
        view.hooks.build(shownDate());
}

void TForm1::goToToday()
{
    pickDate(Clock::today());
}

void TForm1::stepView(int direction)
{
    if (m_currentView == View::None)
        return;
    pickDate(ViewDates::stepped(m_currentView, shownDate(), direction));
}

void TForm1::refreshCaption()
{
    setDateCaption(ViewDates::caption(m_currentView, shownDate()));
}

void TForm1::setDateCaption(const QString &text)
{
    m_topBar->setDateCaption(text);
}

QString TForm1::dateCaption() const
{
    return m_topBar->dateCaption();
}

void TForm1::setDaySelection(int startRow, int endRow)
{
    m_selectionStartRow = startRow;
    m_selectionEndRow = endRow;
}

// --- panes and dividers ------------------------------------------------------

void TForm1::installFolderList(QWidget *list)
{
    m_folderPane->setList(list);
}

void TForm1::installTaskPad(QWidget *taskPad)
{
    auto *column = static_cast<QVBoxLayout *>(m_rightPane->layout());
    delete column->replaceWidget(m_taskPadArea, taskPad); // the layout item of the placeholder is ours
    delete m_taskPadArea;
    m_taskPadArea = taskPad;
    m_taskPadArea->setMinimumWidth(1);
}

bool TForm1::folderPaneOpen() const
{
    return m_folderPaneOpen;
}

int TForm1::folderPaneWidth() const
{
    return m_folderPane->minimumWidth();
}

int TForm1::rightPaneWidth() const
{
    return m_rightPaneWidth;
}

int TForm1::navigatorHeight() const
{
    return m_navigatorHeight;
}

void TForm1::toggleFolderPane()
{
    setFolderPaneOpen(!folderPaneOpen());
}

void TForm1::setFolderPaneOpen(bool open)
{
    changeOptions({{OptionField::FolderPaneShown, open}});
    applyFolderPane(open);
    runResizeHandling();
}

void TForm1::applyFolderPane(bool open)
{
    m_folderPaneOpen = open;
    m_topBar->setFoldersOn(open);
    const int width =
        open ? PaneSizes::openFolderPaneWidth(m_dm.options().folderPaneWidth()) : PaneSizes::CollapsedWidth;
    m_folderPane->setFixedWidth(width);
    // A closed pane has nothing to drag.
    m_folderDivider->setEnabled(open);
    applyRightPaneWidth();
}

void TForm1::setRightPaneWidth(int width)
{
    m_rightPaneWidth = width;
    applyRightPaneWidth();
}

// The right pane gives way first when the window is too narrow for it and
// the view: it drops whole navigator months, down to one, while its stored
// width stays for when the window grows again.
int TForm1::shownRightPaneWidth() const
{
    const int room = width() - ShortcutBarWidth - folderPaneWidth() - 2 * PaneDivider::Thickness - SmallestViewWidth;
    if (m_rightPaneWidth <= room)
        return m_rightPaneWidth;
    const int months = std::max(1, room / PaneSizes::NavigatorMonthWidth);
    return std::min(m_rightPaneWidth, months * PaneSizes::NavigatorMonthWidth);
}

void TForm1::applyRightPaneWidth()
{
    const int shown = shownRightPaneWidth();
    m_rightPane->setFixedWidth(shown);
    // In the month view the pane is one pixel wide and the navigator keeps a
    // month's width beyond it.
    m_navigator->setFixedWidth(std::max(shown, PaneSizes::NavigatorMonthWidth));
    applyMinimumSize();
}

// The smallest window in which every pane stays usable: the shortcut bar,
// the folder pane as wide as it is, the smallest view, and one navigator
// month (or the folded pane of the month view).
void TForm1::applyMinimumSize()
{
    const int rightPane = std::min(m_rightPaneWidth, PaneSizes::NavigatorMonthWidth);
    const int bodyWidth =
        ShortcutBarWidth + folderPaneWidth() + 2 * PaneDivider::Thickness + SmallestViewWidth + rightPane;
    const int top = menuBar()->sizeHint().height() + m_topBar->sizeHint().height();
    // The shortcut bar's buttons keep their size: the body is never lower
    // than they need, or their captions would run into the next icon.
    const int body = std::max(SmallestBodyHeight, m_shortcutBar->minimumSizeHint().height());
    setMinimumSize(std::max(bodyWidth, m_topBar->minimumSizeHint().width()), top + body);
}

void TForm1::setNavigatorHeight(int height)
{
    m_navigatorHeight = height;
    applyNavigatorHeight();
}

// Like the right pane's width, the navigator's height gives way to a window
// too low for it; the stored height stays for when the window grows.
void TForm1::applyNavigatorHeight()
{
    const int body = height() - menuBar()->sizeHint().height() - m_topBar->sizeHint().height();
    const int shown = PaneSizes::shownNavigatorHeight(m_navigatorHeight, body - PaneDivider::Thickness);
    m_navigator->setFixedHeight(shown);
    m_navigator->setVisible(shown > 0);
}

int TForm1::availableRightPaneWidth() const
{
    return width() - ShortcutBarWidth - folderPaneWidth() - 2 * PaneDivider::Thickness - SmallestViewWidth;
}

void TForm1::dragFolderDivider(int proposedWidth)
{
    if (!folderPaneOpen())
        return;
    const int room = width() - ShortcutBarWidth - rightPaneWidth() - 2 * PaneDivider::Thickness - SmallestViewWidth;
    const int width =
        std::min(PaneSizes::dragFolderPaneWidth(proposedWidth), std::max(room, PaneSizes::FolderDragMinimum));
    if (width == folderPaneWidth())
        return;
    changeOptions({{OptionField::FolderPaneWidth, width}});
    m_folderPane->setFixedWidth(width);
    applyRightPaneWidth();
}

void TForm1::dragRightPaneDivider(int proposedWidth)
{
    if (m_currentView == View::Month)
        return;
    const int room = availableRightPaneWidth();
    int width = PaneSizes::snapRightPaneWidth(std::min(proposedWidth, room));
    if (width > room)
        width = std::max(width - PaneSizes::NavigatorMonthWidth, PaneSizes::CollapsedWidth);
    if (width != rightPaneWidth()) {
        writeFolderField(FolderListField::RightPaneWidth, width);
        setRightPaneWidth(width);
    }
    emit rightPaneDragged();
}

void TForm1::dragNavigatorDivider(int proposedHeight)
{
    const int room = m_rightPane->height() - PaneDivider::Thickness;
    int height = PaneSizes::snapNavigatorHeight(std::min(proposedHeight, room));
    if (height > room)
        height = std::max(height - PaneSizes::NavigatorMonthHeight, 0);
    if (height == navigatorHeight())
        return;
    writeFolderField(FolderListField::NavigatorHeight, height);
    setNavigatorHeight(height);
}

void TForm1::runResizeHandling()
{
    if (!m_configured)
        return;
    InstalledView &view = installed(m_currentView);
    if (view.hooks.resized)
        view.hooks.resized();
    emit resizeHandled();
}

// --- block menu ----------------------------------------------------------------

void TForm1::applyTypeNames()
{
    for (int type = 0; type < int(m_blockTypeActions.size()); ++type)
        m_blockTypeActions[type]->setText(m_dm.options().typeName(type));
}

// --- window life ---------------------------------------------------------------

void TForm1::applyPlacement()
{
    OptionsRecord &options = m_dm.options();
    const QRect stored = WindowPlacement::storedBounds(options.windowLeft(), options.windowTop(), options.windowWidth(),
                                                       options.windowHeight());
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    m_applyingPlacement = true;
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    setGeometry(WindowPlacement::boundsToApply(stored, screens, QSize(InitialWidth, InitialHeight)));
    if (options.windowMaximised())
        setWindowState(windowState() | Qt::WindowMaximized);
    m_applyingPlacement = false;
}

void TForm1::storePlacement()
{
    if (isMaximized()) {
        changeOptions({{OptionField::WindowMaximised, true}});
        return;
    }
    const QRect bounds = geometry();
    changeOptions({{OptionField::WindowMaximised, false},
                   {OptionField::WindowLeft, bounds.x()},
                   {OptionField::WindowTop, bounds.y()},
                   {OptionField::WindowHeight, bounds.height()},
                   {OptionField::WindowWidth, bounds.width()}});
}

void TForm1::hideIntoTray()
{
    // Without a notification area a hidden window could never be found
    // again, while the single-instance guard turns every new start away.
    if (trayAvailable())
        hide();
    else
        showMinimized();
}

void TForm1::minimizeToTray()
{
    storePlacement();
    hideIntoTray();
}

void TForm1::restoreWindow()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TForm1::exitProgram()
{
    storePlacement();
    hide();
    emit exitRequested();
}

void TForm1::showHelp()
{
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->showContents();
}

void TForm1::showAbout()
{
    if (!m_aboutBox)
        m_aboutBox = new AboutBox(this);
    m_aboutBox->exec();
}

void TForm1::startDeferredPreview()
{
    m_previewTimer->start();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closing never ends the program: it keeps running for its reminders and
    // ends only through Exit.
    storePlacement();
    hideIntoTray();
    event->ignore();
}

void TForm1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange && !m_applyingPlacement && m_configured) {
        const auto oldState = static_cast<QWindowStateChangeEvent *>(event)->oldState();
        // The stored bounds are always the normal ones, taken as the user
        // maximises.
        if (isMaximized() && !(oldState & Qt::WindowMaximized)) {
            const QRect normal = normalGeometry();
            changeOptions({{OptionField::WindowLeft, normal.x()},
                           {OptionField::WindowTop, normal.y()},
                           {OptionField::WindowHeight, normal.height()},
                           {OptionField::WindowWidth, normal.width()}});
        }
    }
    QMainWindow::changeEvent(event);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyRightPaneWidth();
    applyNavigatorHeight();
    runResizeHandling();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    runResizeHandling();
}

// --- stored settings -------------------------------------------------------------

void TForm1::writeFolderField(const QString &field, int value)
{
    Cursor &folders = m_dm.Table61();
    if (!folders.isOpen() || folders.state() != Cursor::State::Browse || !folders.edit())
        return;
    if (!folders.setText(field, QString::number(value)) || !folders.post()) {
        const QString error = folders.lastError();
        folders.cancel();
        emit storeError(error);
    }
}

void TForm1::changeOptions(std::initializer_list<std::pair<int, QVariant>> values)
{
    if (!m_dm.Table60().isOpen())
        return;
    if (!m_dm.options().change(values))
        emit storeError(m_dm.Table60().lastError());
}
