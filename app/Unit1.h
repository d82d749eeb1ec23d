#pragma once

#include "app/PaneSizes.h"
#include "store/Unit2.h"
#include "views/ViewState.h"

#include <QDate>
#include <QMainWindow>

#include <array>
#include <functional>

class FolderPane;
class HelpWindow;
class MonthNavigator;
class PaneDivider;
class QAction;
class QMenu;
class QStackedWidget;
class QTimer;
class ShortcutBar;
class TopBar;
class TrayIcon;

// The main window: menus, top bar, shortcut bar, folder pane, the view area
// and the right pane with the month navigator and the task pad. It owns the
// current view and the shown date; the views, the folder list and the task
// pad are installed into it by their own parts, and the commands it cannot
// carry out itself are announced as signals.
class TForm1 : public QMainWindow, public DataModuleHost
{
    Q_OBJECT
public:
    using View = DataModuleHost::View;

    static constexpr int InitialWidth = 814;
    static constexpr int InitialHeight = 687;
    static constexpr int ShortcutBarWidth = 100;
    static constexpr int FirstSelectedRow = 16; // 08:00, the day view's selection at creation

    // What the main window asks of an installed view. Every hook may be left
    // empty; the caption at the right of the title strip is set to the view's
    // default text before build and datePicked run, so a view only sets it
    // when it wants another text.
    struct ViewHooks
    {
        std::function<void(const QDate &)> build;      // build for the shown date
        std::function<void(const QDate &)> datePicked; // the shown date changed while current
        std::function<void()> leave;                   // another view is about to be built
        std::function<void()> resized;                 // the window or a divider changed size
        std::function<void()> refreshed;               // the calendar cursors were re-read after a post
    };

    // trayAvailable is asked at the moment of use: when it says no, closing
    // the window minimises it instead of hiding it and start-up ignores
    // "Hide main window on startup".
    explicit TForm1(TDataModule2 &dataModule, std::function<bool()> trayAvailable, QWidget *parent = nullptr);
    ~TForm1() override;

    TDataModule2 &dataModule() { return m_dm; }
    bool trayAvailable() const { return m_trayAvailable(); }

    // --- the data module's view of the window ----------------------------
    void showFolderName(const QString &name) override;
    void configureWindow() override;
    View activeView() const override { return m_currentView; }
    void relayoutMonthFillers() override;
    void weekCellsRefreshed() override;

    // The selection the week and month views, their painters and printing share.
    ViewState &viewState() { return m_viewState; }

    // --- views ------------------------------------------------------------
    void installView(View view, QWidget *widget, ViewHooks hooks);
    QWidget *viewWidget(View view) const;
    // Presses V's button and checks its menu entry; builds V unless it is
    // already the current view.
    void showView(View view);
    View currentView() const { return m_currentView; }
    // Before the calendar cursors close for a folder switch: the current view
    // lets go of the calendar's rows (the day view drops its blocks) and is
    // no longer current, so that showing a view afterwards builds it anew.
    // Returns the view that was current.
    View releaseCurrentView();
    QDate shownDate() const;
    // Moves the navigator to the date without touching the views (a click in
    // a month or week cell selects its day this way).
    void setShownDate(const QDate &date);
    // The navigator's date pick: rebuilds (day, week) or refills (month) the
    // current view for the date.
    void pickDate(const QDate &date);
    void goToToday();
    // The back and forward buttons: one day, week or month.
    void stepView(int direction);
    void setDateCaption(const QString &text);
    QString dateCaption() const;
    QString folderName() const;

    // The day view's time selection, half-hour rows 0..47.
    int selectionStartRow() const { return m_selectionStartRow; }
    int selectionEndRow() const { return m_selectionEndRow; }
    void setDaySelection(int startRow, int endRow);

    // --- panes and dividers ----------------------------------------------
    void installFolderList(QWidget *list);
    void installTaskPad(QWidget *taskPad);
    QWidget *taskPadArea() const { return m_taskPadArea; }
    MonthNavigator *navigator() const { return m_navigator; }

    // The "Folders" button and the folder pane's close button.
    void toggleFolderPane();
    void setFolderPaneOpen(bool open);
    bool folderPaneOpen() const;
    int folderPaneWidth() const;
    int rightPaneWidth() const;
    int navigatorHeight() const;

    // What each divider does with the size a drag proposes.
    void dragFolderDivider(int proposedWidth);
    void dragRightPaneDivider(int proposedWidth);
    void dragNavigatorDivider(int proposedHeight);

    // Lays the panes and the current view out again (after a resize, a
    // divider release, opening or closing the folder pane).
    void runResizeHandling();

    // --- the day view block's right-click menu --------------------------
    QMenu *blockMenu() const { return m_blockMenu; }
    QAction *blockTypeAction(int type) const { return m_blockTypeActions.at(type); }
    // Copies the type names (options "31".."41") into the block menu.
    void applyTypeNames();

    // --- window life ----------------------------------------------------
    // Stores "11" and, unless maximised, the normal bounds in "12".."15".
    void storePlacement();
    void minimizeToTray();
    void restoreWindow();
    // Exit: stores the placement, hides the window and asks the program to end.
    void exitProgram();
    void showHelp();
    void showAbout();
    void setAboutBox(QDialog *aboutBox) { m_aboutBox = aboutBox; }
    HelpWindow *helpWindow() const { return m_help; }

    // Print Preview prepares its page, then asks for the preview 500 ms later.
    void startDeferredPreview();

    // The Edit menu's "Undo <what>" and "Redo <what>": the names of the
    // steps (empty: nothing to undo or redo, the entry disabled).
    void setUndoNames(const QString &undoName, const QString &redoName);
    QAction *undoAction() const { return m_undoAction; }
    QAction *redoAction() const { return m_redoAction; }

    QAction *viewMenuAction(View view) const;
    QAction *taskPadViewAction(int view) const; // "TaskPad View" entry 1..5
    QMenu *trayMenu() const;
    TopBar *topBar() const { return m_topBar; }
    ShortcutBar *shortcutBar() const { return m_shortcutBar; }

signals:
    // Commands carried out by other parts.
    void undoRequested();
    void redoRequested();
    void newFolderRequested();
    void newCalendarRequested();
    void printPreviewRequested();
    void importCalendarRequested(); // an .ics file into the active calendar
    void exportCalendarRequested(); // the active calendar to an .ics file
    void findItemsRequested();      // the Find Items window
    void newAppointmentRequested();
    void newAllDayEventRequested();
    void newRecurringAppointmentRequested();
    void newTaskRequested();
    void taskPadViewRequested(int view); // 1..5
    void optionsRequested();
    void remindersRequested();
    void blockOpenRequested();
    void blockTypeRequested(int type);
    void blockDeleteRequested();
    void deferredPreviewDue(DataModuleHost::View view);
    void exitRequested();

    // Moments other parts follow.
    void clockFormatApplied(bool twentyFourHours); // start-up: relabel the time ruler
    void rightPaneDragged();                       // hide the views' scroll bars
    void resizeHandled();                          // size the folder list and the task pad
    void configured();                             // the data module configured the window
    void storeError(const QString &message);       // a write of the window's settings failed

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct InstalledView
    {
        QWidget *widget = nullptr;
        ViewHooks hooks;
    };

    void createMenus();
    void createBlockMenu();
    void createTray();
    QWidget *createBody();
    QWidget *createRightPane();
    void connectCommands();

    InstalledView &installed(View view);
    void buildCurrentView();
    void refreshCaption();
    void applyFolderPane(bool open);
    void setRightPaneWidth(int width);
    int shownRightPaneWidth() const;
    void applyRightPaneWidth();
    void applyMinimumSize();
    void setNavigatorHeight(int height);
    void applyNavigatorHeight();
    void applyPlacement();
    void hideIntoTray();
    int availableRightPaneWidth() const;

    void writeFolderField(const QString &field, int value);
    void changeOptions(std::initializer_list<std::pair<int, QVariant>> values);

    TDataModule2 &m_dm;
    std::function<bool()> m_trayAvailable;

    TopBar *m_topBar = nullptr;
    ShortcutBar *m_shortcutBar = nullptr;
    FolderPane *m_folderPane = nullptr;
    PaneDivider *m_folderDivider = nullptr; // divider 1
    QStackedWidget *m_viewStack = nullptr;
    PaneDivider *m_rightPaneDivider = nullptr; // divider 2
    QWidget *m_rightPane = nullptr;
    MonthNavigator *m_navigator = nullptr;
    PaneDivider *m_navigatorDivider = nullptr; // divider 3
    QWidget *m_taskPadArea = nullptr;
    TrayIcon *m_tray = nullptr;
    HelpWindow *m_help = nullptr;
    QDialog *m_aboutBox = nullptr;
    QMenu *m_blockMenu = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    std::array<QAction *, 11> m_blockTypeActions {};
    std::array<QAction *, 4> m_viewActions {};        // by View; [0] unused
    std::array<QAction *, 5> m_taskPadViewActions {}; // views 1..5 at [0]..[4]
    QTimer *m_previewTimer = nullptr;

    std::array<InstalledView, 4> m_views; // by View; [0] is the empty area of no view
    View m_currentView = View::None;
    ViewState m_viewState;
    int m_selectionStartRow = FirstSelectedRow;
    int m_selectionEndRow = FirstSelectedRow;
    int m_rightPaneWidth = PaneSizes::NavigatorMonthWidth;
    int m_navigatorHeight = PaneSizes::NavigatorMonthHeight;
    bool m_folderPaneOpen = false;
    bool m_configured = false;
    bool m_applyingPlacement = false;
};
