// The main window driven through a real program run on a fresh data root:
// start order, menus, views, panes and dividers, placement, close and Exit.

#include "store/Clock.h"
#include "resources/DaybrookResources.h"
#include "app/HelpWindow.h"
#include "app/MonthNavigator.h"
#include "app/OnScreenPlacement.h"
#include "app/PaneDivider.h"
#include "app/PlannerProgram.h"
#include "app/ShortcutBar.h"
#include "tests/support/TestSupport.h"
#include "app/TopBar.h"
#include "app/Unit1.h"
#include "store/Unit2.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

using View = DataModuleHost::View;

namespace {

// What the installed stand-in views were asked to do, in order.
struct ViewLog
{
    QStringList calls;
    int count(const QString &call) const { return int(calls.count(call)); }
};

QString viewName(View view)
{
    switch (view) {
    case View::Day:
        return QStringLiteral("day");
    case View::Week:
        return QStringLiteral("week");
    case View::Month:
        return QStringLiteral("month");
    case View::None:
        break;
    }
    return QStringLiteral("none");
}

// Writes options and folder fields into a data root before a program run.
void prepareHome(const QString &home, std::initializer_list<std::pair<int, QVariant>> options,
                 std::initializer_list<std::pair<int, QVariant>> folder = {})
{
    TDataModule2 dm {DataRoot(home)};
    QVERIFY(dm.startUp());
    QVERIFY(dm.options().change(options));
    Cursor &folders = dm.Table61();
    QVERIFY(folders.edit());
    for (const auto &[field, value] : folder)
        folders.setValue(QString::number(field), value);
    QVERIFY(folders.post());
    dm.closeAll();
}

// Writes an SQL literal into a field of the folder row, as another program
// may: text in a number field, NULL, numbers of any size.
void writeFolderFieldAsSql(const QString &home, int field, const QString &literal)
{
    const QByteArray path = QString(home + "/Data/folderslist.db").toUtf8();
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.constData(), &db), SQLITE_OK);
    const QByteArray sql = QStringLiteral("UPDATE folders SET \"%1\" = %2").arg(field).arg(literal).toUtf8();
    const int result = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(result, SQLITE_OK);
}

// A program run on its own data root, with stand-in views that log their hooks.
class Run
{
public:
    explicit Run(const QString &home, bool trayAvailable = true)
        : m_tray(trayAvailable)
    {
        PlannerProgram::Settings settings;
        settings.root = DataRoot(home);
        settings.trayAvailable = [this] { return m_tray; };
        settings.showMessage = [this](const QString &text) { messages << text; };
        program = std::make_unique<PlannerProgram>(std::move(settings));
        program->addMainWindowPart([this](PlannerProgram &p) { installViews(p.mainWindow()); });
    }

    bool start() { return program->start().isOk(); }
    TForm1 &window() { return program->mainWindow(); }
    TDataModule2 &dm() { return program->dataModule(); }
    int folderField(int field) { return dm().Table61().asInt(QString::number(field)); }
    void setTray(bool available) { m_tray = available; }

    std::unique_ptr<PlannerProgram> program;
    ViewLog log;
    QList<int> taskPadViews;
    QStringList messages;

private:
    void installViews(TForm1 &window)
    {
        for (View view : {View::Day, View::Week, View::Month}) {
            const QString name = viewName(view);
            TForm1::ViewHooks hooks;
            hooks.build = [this, name](const QDate &date) {
                log.calls << name + " build " + date.toString(Qt::ISODate);
            };
            hooks.datePicked = [this, name](const QDate &date) {
                log.calls << name + " pick " + date.toString(Qt::ISODate);
            };
            hooks.leave = [this, name] { log.calls << name + " leave"; };
            window.installView(view, new QWidget, hooks);
        }
        QObject::connect(&window, &TForm1::taskPadViewRequested, [this](int view) { taskPadViews << view; });
    }

    bool m_tray;
};

// Menu contents as captions, "-" for a separator, submenus by their title.
QStringList captions(const QMenu *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions())
        result << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return result;
}

QAction *menuEntry(QMenuBar *bar, const QString &menuTitle, const QString &entry)
{
    for (QAction *top : bar->actions()) {
        // Looked up as a person reads them, without the mnemonic marks.
        if (QString(top->text()).remove('&') != menuTitle)
            continue;
        for (QAction *action : top->menu()->actions()) {
            if (QString(action->text()).remove('&') == entry)
                return action;
        }
    }
    return nullptr;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { Clock::setNowForTesting(QDateTime()); }

    void startsInOrder();
    void hiddenAtStartOnlyWithNotificationArea_data();
    void hiddenAtStartOnlyWithNotificationArea();
    void menusCarryTheirCaptions_data();
    void menusCarryTheirCaptions();
    void trayMenuCarriesItsCaptions();
    void configuresFromOptionsAndFolder();
    void regionsAreLaidOutAcrossTheWindow();
    void rightPaneGivesWayFirst_data();
    void rightPaneGivesWayFirst();
    void folderPaneFromOptions_data();
    void folderPaneFromOptions();
    void foldersButtonClosesAndReopens();
    void lastViewOfTheFolderIsBuilt_data();
    void lastViewOfTheFolderIsBuilt();
    void badFolderFieldsTakeTheirDefaults_data();
    void badFolderFieldsTakeTheirDefaults();
    void tallNavigatorGivesWayToALowWindow();
    void showViewPressesButtonsAndRecordsTheView();
    void choosingTheCurrentViewChangesNothing();
    void dayWeekDayLeavesAndBuildsEachOnce();
    void datePicksAndStepsRebuildTheCurrentView();
    void captionsFollowTheView_data();
    void captionsFollowTheView();
    void dividersSnapAndStore();
    void draggingDividerTwoWithTheMouse();
    void typeNamesReachTheBlockMenu();
    void maximiseStoresTheNormalBounds();
    void closeStoresPlacementAndNextStartRestoresIt();
    void closeHidesIntoTheNotificationArea();
    void withoutNotificationAreaCloseMinimises();
    void minimiseToTrayWhileMaximisedStoresOnlyTheFlag();
    void exitStoresPlacementAndClosesTheStore();
    void deferredPreviewAsksForTheCurrentView();
    void helpOpensOnItsContents();
    void shortcutsReachTheirCommands_data();
    void shortcutsReachTheirCommands();
    void helpPageListsEveryShortcut();
    void shortcutBarFitsTheSmallestWindow();
    void windowsOpenInsideTheScreen_data();
    void windowsOpenInsideTheScreen();

private:
    std::unique_ptr<TempHome> m_home;
};

void MainWindowTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
    Clock::setNowForTesting(QDateTime(QDate(2025, 3, 9), QTime(10, 0)));
}

void MainWindowTest::init()
{
    m_home = std::make_unique<TempHome>();
    QVERIFY(m_home->isValid());
}

void MainWindowTest::startsInOrder()
{
    Run run(m_home->path());
    QStringList events;
    run.program->addMainWindowPart([&](PlannerProgram &p) {
        events << QStringLiteral("main window part, store open: %1").arg(p.dataModule().Table60().isOpen());
        QObject::connect(&p.mainWindow(), &TForm1::configured, [&] { events << QStringLiteral("configured"); });
    });
    run.program->addHiddenWindow([&](PlannerProgram &p) {
        events << QStringLiteral("hidden window 1, main window shown: %1").arg(p.mainWindow().isVisible());
    });
    run.program->addHiddenWindow([&](PlannerProgram &) { events << QStringLiteral("hidden window 2"); });

    QVERIFY(run.start());
    QCOMPARE(events,
             QStringList({QStringLiteral("main window part, store open: 0"), QStringLiteral("configured"),
                          QStringLiteral("hidden window 1, main window shown: 1"), QStringLiteral("hidden window 2")}));
    // The folder's last view was built while the window was configured.
    QCOMPARE(run.log.calls, QStringList({QStringLiteral("day build 2025-03-09")}));
    QCOMPARE(run.window().windowTitle(), QStringLiteral("Daybrook Planner"));
    QCOMPARE(run.window().folderName(), QStringLiteral("Personal Calendar"));
}

void MainWindowTest::hiddenAtStartOnlyWithNotificationArea_data()
{
    QTest::addColumn<bool>("hideAtStart");
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<bool>("shown");
    QTest::newRow("shown by default") << false << true << true;
    QTest::newRow("hidden at start with a notification area") << true << true << false;
    QTest::newRow("no notification area: shown whatever 17 says") << true << false << true;
}

void MainWindowTest::hiddenAtStartOnlyWithNotificationArea()
{
    QFETCH(bool, hideAtStart);
    QFETCH(bool, trayAvailable);
    QFETCH(bool, shown);
    prepareHome(m_home->path(), {{17, hideAtStart}});
    Run run(m_home->path(), trayAvailable);
    QVERIFY(run.start());
    QCOMPARE(run.window().isVisible(), shown);
    if (!shown) {
        run.window().restoreWindow();
        QVERIFY(run.window().isVisible());
        QCOMPARE(run.window().currentView(), View::Day);
    }
}

void MainWindowTest::menusCarryTheirCaptions_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("shortcuts"); // one per entry, "" for none
    const QString s = QStringLiteral("-");
    QTest::newRow("File") << 0 << QStringLiteral("&File ")
                          << QStringList {QStringLiteral("New &Folder"),
                                          s,
                                          QStringLiteral("New &Calendar       "),
                                          s,
                                          QStringLiteral("&Import iCalendar..."),
                                          QStringLiteral("&Export iCalendar..."),
                                          s,
                                          QStringLiteral("&Print Preview"),
                                          s,
                                          QStringLiteral("&Minimize in sistem tray"),
                                          QStringLiteral("E&xit")}
                          << QStringList {"", "", "", "", "", "", "", "Ctrl+P", "", "", "Ctrl+Q"};
    // With nothing done yet, undo and redo are disabled and name nothing.
    QTest::newRow("Edit") << 1 << QStringLiteral("&Edit")
                          << QStringList {QStringLiteral("&Undo"), QStringLiteral("&Redo"), s,
                                          QStringLiteral("&Find Items...")}
                          << QStringList {"Ctrl+Z", "Ctrl+Y", "", "Ctrl+F"};
    QTest::newRow("Actions")
        << 2 << QStringLiteral("&Actions")
        << QStringList {QStringLiteral("New &Appointment"),           s, QStringLiteral("New All &Day Event"), s,
                        QStringLiteral("New &Recurring Appointment"), s, QStringLiteral("New &Task")}
        << QStringList {"Ctrl+N", "", "", "", "", "", "Ctrl+Shift+N"};
    QTest::newRow("View") << 3 << QStringLiteral("&View ")
                          << QStringList {QStringLiteral("&Day                           "),
                                          s,
                                          QStringLiteral("&Week"),
                                          s,
                                          QStringLiteral("&Month"),
                                          s,
                                          QStringLiteral("Go to &Today"),
                                          QStringLiteral("&Back"),
                                          QStringLiteral("&Forward"),
                                          s,
                                          QStringLiteral("Task&Pad View")}
                          << QStringList {"Ctrl+1", "",         "Ctrl+2",    "", "Ctrl+3", "",
                                          "Ctrl+T", "Alt+Left", "Alt+Right", "", ""};
    QTest::newRow("Tools") << 4 << QStringLiteral("&Tools ")
                           << QStringList {QStringLiteral("&Options                   "), s,
                                           QStringLiteral("&Reminders")}
                           << QStringList {"", "", ""};
    QTest::newRow("Help") << 5 << QStringLiteral("&Help ") << QStringList {QStringLiteral("&Help Topics"),
                                                                           s,
                                                                           QStringLiteral("Tehnical &Support"),
                                                                           QStringLiteral("Daybrook Planner &Web Site"),
                                                                           s,
                                                                           QStringLiteral("&About")}
                          << QStringList {"F1", "", "", "", "", ""};
}

void MainWindowTest::menusCarryTheirCaptions()
{
    QFETCH(int, index);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);
    Run run(m_home->path());
    QVERIFY(run.start());
    const QList<QAction *> menus = run.window().menuBar()->actions();
    QCOMPARE(menus.size(), 6);
    QCOMPARE(menus.at(index)->text(), title);
    QCOMPARE(captions(menus.at(index)->menu()), entries);
    QFETCH(QStringList, shortcuts);
    QStringList shown;
    for (const QAction *action : menus.at(index)->menu()->actions())
        shown << action->shortcut().toString(QKeySequence::PortableText);
    QCOMPARE(shown, shortcuts);
}

void MainWindowTest::trayMenuCarriesItsCaptions()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    const QString s = QStringLiteral("-");
    QCOMPARE(captions(run.window().trayMenu()),
             QStringList({QStringLiteral("Daybrook Planner"), s, QStringLiteral("Reminders"), QStringLiteral("Options"),
                          s, QStringLiteral("Help"), s, QStringLiteral("New Event"), QStringLiteral("New Task"), s,
                          QStringLiteral("Exit")}));
    QMenu *taskPad = menuEntry(run.window().menuBar(), QStringLiteral("View "), QStringLiteral("TaskPad View"))->menu();
    QCOMPARE(captions(taskPad),
             QStringList({QStringLiteral("&All Tasks"), QStringLiteral("T&oday's Tasks"),
                          QStringLiteral("Active Tasks for &Selected Days"),
                          QStringLiteral("Tasks for &Next Seven Days"), QStringLiteral("O&verdue Tasks")}));
}

void MainWindowTest::configuresFromOptionsAndFolder()
{
    prepareHome(m_home->path(), {{30, true}}, {{2, QStringLiteral("Work")}, {5, 388}, {6, 296}, {8, 4}});
    Run run(m_home->path());
    bool twentyFour = false;
    int taskPadView = 0;
    run.program->addMainWindowPart([&](PlannerProgram &p) {
        QObject::connect(&p.mainWindow(), &TForm1::clockFormatApplied, [&](bool on) { twentyFour = on; });
        QObject::connect(&p.mainWindow(), &TForm1::taskPadViewRequested, [&](int view) { taskPadView = view; });
    });
    QVERIFY(run.start());
    QVERIFY(twentyFour);
    QCOMPARE(taskPadView, 4);
    QCOMPARE(run.window().folderName(), QStringLiteral("Work"));
    QCOMPARE(run.window().topBar()->folderNameLabel()->text(), QStringLiteral("Work"));
    QCOMPARE(run.window().rightPaneWidth(), 388);
    QCOMPARE(run.window().navigatorHeight(), 296);
    QCOMPARE(run.window().navigator()->columns(), 2);
    QCOMPARE(run.window().navigator()->rows(), 2);
    QCOMPARE(run.window().selectionStartRow(), 16);
    QCOMPARE(run.window().selectionEndRow(), 16);
}

void MainWindowTest::regionsAreLaidOutAcrossTheWindow()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    window.resize(1000, 700);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto placed = [&window](const QWidget *widget) {
        return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    };
    const int menuBottom = placed(window.menuBar()).bottom();
    const QRect top = placed(window.topBar());
    QCOMPARE(top, QRect(0, menuBottom + 1, 1000, 60));
    const QWidget *strip = window.topBar()->foldersButton()->parentWidget();
    QCOMPARE(placed(strip), QRect(0, top.bottom() - 23, 1000, 24));
    const QImage picture = window.grab().toImage();
    QCOMPARE(picture.pixel(500, top.bottom() - 2), strip->palette().color(QPalette::Dark).rgb());

    const int bodyTop = top.bottom() + 1;
    const int bodyHeight = 700 - bodyTop;
    QCOMPARE(placed(window.shortcutBar()), QRect(0, bodyTop, 100, bodyHeight));
    // Folder pane 150 wide (the new data root's width) and a 3-pixel divider.
    const QRect view = placed(window.viewWidget(View::Day));
    QCOMPARE(view.left(), 100 + 150 + 3);
    QCOMPARE(view.top(), bodyTop);
    const QRect navigator = placed(window.navigator());
    QCOMPARE(navigator, QRect(1000 - 194, bodyTop, 194, 148));
    QCOMPARE(view.right() + 1 + 3, navigator.left());
    const QRect taskPad = placed(window.taskPadArea());
    QCOMPARE(taskPad, QRect(1000 - 194, navigator.bottom() + 1 + 3, 194, 700 - navigator.bottom() - 4));
}

void MainWindowTest::rightPaneGivesWayFirst_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<int>("navigatorWidth");
    QTest::addColumn<int>("viewWidth");
    // Shortcut bar 100, folder pane 150 and two dividers of 3 besides the
    // view and the navigator.
    QTest::newRow("wide: two navigator months") << QSize(1200, 700) << 388 << 1200 - 256 - 388;
    QTest::newRow("just room for two months") << QSize(804, 700) << 388 << 160;
    QTest::newRow("a month less, the view keeps its width") << QSize(790, 700) << 194 << 790 - 256 - 194;
    QTest::newRow("far below the smallest window") << QSize(300, 120) << 194 << 160;
}

// A small window keeps every pane usable: the right pane drops whole months
// before the view narrows, and the window stops at a size where the view,
// one navigator month and the task pad still fit.
void MainWindowTest::rightPaneGivesWayFirst()
{
    QFETCH(QSize, asked);
    QFETCH(int, navigatorWidth);
    QFETCH(int, viewWidth);
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    window.resize(1400, 800);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.dragRightPaneDivider(388);
    QCOMPARE(window.rightPaneWidth(), 388);

    window.resize(asked);
    QCoreApplication::sendPostedEvents(); // the layout follows the new pane width
    const QRect view(window.viewWidget(View::Day)->mapTo(&window, QPoint(0, 0)), window.viewWidget(View::Day)->size());
    QCOMPARE(window.navigator()->width(), navigatorWidth);
    QCOMPARE(view.width(), viewWidth);
    QCOMPARE(view.right() + 1 + 3 + navigatorWidth, window.width());
    QVERIFY(view.height() >= 148 + 3 + 4 * 18);
    QVERIFY(window.taskPadArea()->height() >= 4 * 18);
    QCOMPARE(window.taskPadArea()->width(), navigatorWidth);
    // The stored width is kept for a wider window.
    QCOMPARE(window.rightPaneWidth(), 388);
    QCOMPARE(run.folderField(5), 388);
    window.resize(1400, 800);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(window.navigator()->width(), 388);
}

void MainWindowTest::folderPaneFromOptions_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("storedWidth");
    QTest::addColumn<int>("width");
    QTest::newRow("shown, 60 wide: opens 100 wide") << true << 60 << 100;
    QTest::newRow("shown, 250 wide") << true << 250 << 250;
    QTest::newRow("not shown: one pixel") << false << 250 << 1;
}

void MainWindowTest::folderPaneFromOptions()
{
    QFETCH(bool, shown);
    QFETCH(int, storedWidth);
    QFETCH(int, width);
    prepareHome(m_home->path(), {{18, storedWidth}, {19, shown}});
    Run run(m_home->path());
    QVERIFY(run.start());
    QCOMPARE(run.window().folderPaneWidth(), width);
    QCOMPARE(run.window().folderPaneOpen(), shown);
    QCOMPARE(run.window().topBar()->foldersButton()->isChecked(), shown);
}

void MainWindowTest::foldersButtonClosesAndReopens()
{
    prepareHome(m_home->path(), {{18, 80}, {19, true}});
    Run run(m_home->path());
    QVERIFY(run.start());
    QToolButton *folders = run.window().topBar()->foldersButton();
    QTest::mouseClick(folders, Qt::LeftButton);
    QCOMPARE(run.window().folderPaneWidth(), 1);
    QVERIFY(!folders->isChecked());
    QVERIFY(!run.dm().options().boolField(19));
    QTest::mouseClick(folders, Qt::LeftButton);
    QCOMPARE(run.window().folderPaneWidth(), 100);
    QVERIFY(folders->isChecked());
    QVERIFY(run.dm().options().boolField(19));
}

void MainWindowTest::lastViewOfTheFolderIsBuilt_data()
{
    QTest::addColumn<QString>("stored"); // an SQL literal in folders "7"
    QTest::addColumn<View>("current");
    QTest::addColumn<int>("rightPaneWidth");
    QTest::newRow("1: day") << "1" << View::Day << 194;
    QTest::newRow("2: week") << "2" << View::Week << 194;
    QTest::newRow("3: month, right pane collapsed") << "3" << View::Month << 1;
    // No other program's value leaves the window without a view.
    QTest::newRow("7 starts in the day view") << "7" << View::Day << 194;
    QTest::newRow("0 starts in the day view") << "0" << View::Day << 194;
    QTest::newRow("-1 starts in the day view") << "-1" << View::Day << 194;
    QTest::newRow("'week' starts in the day view") << "'week'" << View::Day << 194;
    QTest::newRow("blank starts in the day view") << "NULL" << View::Day << 194;
}

void MainWindowTest::lastViewOfTheFolderIsBuilt()
{
    QFETCH(QString, stored);
    QFETCH(View, current);
    QFETCH(int, rightPaneWidth);
    prepareHome(m_home->path(), {});
    writeFolderFieldAsSql(m_home->path(), 7, stored);
    Run run(m_home->path());
    QVERIFY(run.start());
    QCOMPARE(run.window().currentView(), current);
    QCOMPARE(run.window().topBar()->pressedView(), current);
    QCOMPARE(run.window().rightPaneWidth(), rightPaneWidth);
    QCOMPARE(run.log.calls.size(), 1);
    QVERIFY(!run.window().dateCaption().isEmpty());
}

// The other view settings of the folder row: what the planner never writes
// takes the value of a new folder, and a navigator too tall for the window
// shows the months that fit, so that the task pad stays on the screen.
void MainWindowTest::badFolderFieldsTakeTheirDefaults_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("stored"); // an SQL literal
    QTest::addColumn<int>("navigatorHeight");
    QTest::addColumn<int>("rightPaneWidth");
    QTest::addColumn<int>("taskPadView");
    QTest::newRow("navigator of two months") << 6 << "296" << 296 << 194 << 1;
    QTest::newRow("navigator hidden") << 6 << "0" << 0 << 194 << 1;
    QTest::newRow("navigator at -99999") << 6 << "-99999" << 148 << 194 << 1;
    QTest::newRow("navigator at 99999") << 6 << "99999" << 148 << 194 << 1;
    QTest::newRow("navigator as text") << 6 << "'tall'" << 148 << 194 << 1;
    QTest::newRow("right pane of two months") << 5 << "388" << 148 << 388 << 1;
    QTest::newRow("right pane at -5") << 5 << "-5" << 148 << 194 << 1;
    QTest::newRow("right pane at 0") << 5 << "0" << 148 << 194 << 1;
    QTest::newRow("right pane as text") << 5 << "'wide'" << 148 << 194 << 1;
    QTest::newRow("task pad view 4") << 8 << "4" << 148 << 194 << 4;
    QTest::newRow("task pad view 9") << 8 << "9" << 148 << 194 << 1;
    QTest::newRow("task pad view as text") << 8 << "'all'" << 148 << 194 << 1;
}

void MainWindowTest::badFolderFieldsTakeTheirDefaults()
{
    QFETCH(int, field);
    QFETCH(QString, stored);
    QFETCH(int, navigatorHeight);
    QFETCH(int, rightPaneWidth);
    QFETCH(int, taskPadView);
    prepareHome(m_home->path(), {{11, false}, {12, 20}, {13, 20}, {14, 900}, {15, 1100}});
    writeFolderFieldAsSql(m_home->path(), field, stored);
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    QCOMPARE(window.currentView(), View::Day);
    QCOMPARE(window.navigatorHeight(), navigatorHeight);
    QCOMPARE(window.navigator()->height(), navigatorHeight);
    QCOMPARE(window.navigator()->isVisible(), navigatorHeight > 0);
    QCOMPARE(window.rightPaneWidth(), rightPaneWidth);
    QCOMPARE(run.taskPadViews, QList<int> {taskPadView});
}

void MainWindowTest::tallNavigatorGivesWayToALowWindow()
{
    // Six months down is a height the planner keeps, but not in a window
    // of 687 pixels: the navigator shows what fits, and grows back.
    prepareHome(m_home->path(), {{11, false}, {12, 20}, {13, 20}, {14, 687}, {15, 814}}, {{6, 888}});
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    QCOMPARE(window.navigatorHeight(), 888);
    const int shown = window.navigator()->height();
    QVERIFY2(shown < 888 && shown > 0 && shown % 148 == 0, qPrintable(QString::number(shown)));
    QVERIFY(window.navigator()->mapTo(&window, QPoint(0, shown)).y() <= window.height());
    window.resize(window.width(), 1010);
    QCOMPARE(window.navigator()->height(), 888);
    QCOMPARE(window.navigatorHeight(), 888);
}

void MainWindowTest::showViewPressesButtonsAndRecordsTheView()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    window.setDaySelection(20, 23);

    QTest::mouseClick(window.topBar()->viewButton(View::Week), Qt::LeftButton);
    QCOMPARE(window.currentView(), View::Week);
    QCOMPARE(window.topBar()->pressedView(), View::Week);
    QVERIFY(window.viewMenuAction(View::Week)->isChecked());
    QVERIFY(!window.viewMenuAction(View::Day)->isChecked());
    QCOMPARE(run.folderField(7), 2);
    QCOMPARE(window.selectionStartRow(), 16);
    QCOMPARE(window.selectionEndRow(), 16);

    menuEntry(window.menuBar(), QStringLiteral("View "), QStringLiteral("Month"))->trigger();
    QCOMPARE(window.currentView(), View::Month);
    QCOMPARE(window.topBar()->pressedView(), View::Month);
    QCOMPARE(run.folderField(7), 3);
    QCOMPARE(window.rightPaneWidth(), 1);
    const int storedWidth = run.folderField(5);
    window.dragRightPaneDivider(600); // the folded pane stays folded in the month view
    QCOMPARE(window.rightPaneWidth(), 1);
    QCOMPARE(run.folderField(5), storedWidth);

    menuEntry(window.menuBar(), QStringLiteral("View "), QStringLiteral("Day                           "))->trigger();
    QCOMPARE(window.currentView(), View::Day);
    QCOMPARE(run.folderField(7), 1);
    QCOMPARE(window.rightPaneWidth(), run.folderField(5));
    QCOMPARE(window.navigatorHeight(), run.folderField(6));
}

void MainWindowTest::choosingTheCurrentViewChangesNothing()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    const QStringList before = run.log.calls;
    QTest::mouseClick(run.window().topBar()->viewButton(View::Day), Qt::LeftButton);
    menuEntry(run.window().menuBar(), QStringLiteral("View "), QStringLiteral("Day                           "))
        ->trigger();
    QCOMPARE(run.log.calls, before);
    // The button stays pressed although the click toggled it.
    QCOMPARE(run.window().topBar()->pressedView(), View::Day);
    QVERIFY(run.window().viewMenuAction(View::Day)->isChecked());
}

void MainWindowTest::dayWeekDayLeavesAndBuildsEachOnce()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    run.log.calls.clear();
    run.window().showView(View::Week);
    run.window().showView(View::Day);
    QCOMPARE(run.log.calls,
             QStringList({QStringLiteral("day leave"), QStringLiteral("week build 2025-03-09"),
                          QStringLiteral("week leave"), QStringLiteral("day build 2025-03-09")}));
}

void MainWindowTest::datePicksAndStepsRebuildTheCurrentView()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    run.log.calls.clear();

    emit window.navigator()->datePicked(QDate(2025, 1, 31));
    window.showView(View::Month);
    QTest::mouseClick(window.topBar()->forwardButton(), Qt::LeftButton);
    QCOMPARE(window.shownDate(), QDate(2025, 2, 28));
    QCOMPARE(window.dateCaption(), QStringLiteral("February 2025"));
    QTest::mouseClick(window.topBar()->todayButton(), Qt::LeftButton);
    QCOMPARE(window.shownDate(), QDate(2025, 3, 9));
    QCOMPARE(window.navigator()->date(), QDate(2025, 3, 9));

    QCOMPARE(run.log.calls,
             QStringList({QStringLiteral("day pick 2025-01-31"), QStringLiteral("day leave"),
                          QStringLiteral("month build 2025-01-31"), QStringLiteral("month pick 2025-02-28"),
                          QStringLiteral("month pick 2025-03-09")}));
}

void MainWindowTest::captionsFollowTheView_data()
{
    QTest::addColumn<View>("view");
    QTest::addColumn<QString>("caption");
    QTest::newRow("day") << View::Day << QStringLiteral("Sunday, March 9, 2025");
    QTest::newRow("week") << View::Week << QStringLiteral("March 03 - March 09");
    QTest::newRow("month") << View::Month << QStringLiteral("March 2025");
}

void MainWindowTest::captionsFollowTheView()
{
    QFETCH(View, view);
    QFETCH(QString, caption);
    Run run(m_home->path());
    QVERIFY(run.start());
    run.window().showView(view);
    QCOMPARE(run.window().topBar()->dateCaptionLabel()->text(), caption);
}

void MainWindowTest::dividersSnapAndStore()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    window.resize(1400, 800);
    QSignalSpy scrollBarsHidden(&window, &TForm1::rightPaneDragged);

    window.dragRightPaneDivider(300);
    QCOMPARE(window.rightPaneWidth(), 388);
    QCOMPARE(run.folderField(5), 388);
    window.dragRightPaneDivider(290);
    QCOMPARE(window.rightPaneWidth(), 194);
    QCOMPARE(run.folderField(5), 194);
    QCOMPARE(scrollBarsHidden.count(), 2);

    window.dragNavigatorDivider(230);
    QCOMPARE(window.navigatorHeight(), 296);
    QCOMPARE(run.folderField(6), 296);
    window.dragNavigatorDivider(200);
    QCOMPARE(window.navigatorHeight(), 148);
    QCOMPARE(run.folderField(6), 148);

    window.dragFolderDivider(220);
    QCOMPARE(window.folderPaneWidth(), 220);
    QCOMPARE(run.dm().options().intField(18), 220);
}

void MainWindowTest::draggingDividerTwoWithTheMouse()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    window.resize(1400, 800);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *divider = window.findChildren<PaneDivider *>().at(1); // the one left of the right pane
    QCOMPARE(divider->cursor().shape(), Qt::SplitHCursor);

    QTest::mousePress(divider, Qt::LeftButton, {}, QPoint(1, 100));
    QTest::mouseMove(divider, QPoint(1 - 220, 100)); // the pane would be 414 wide
    QCOMPARE(window.rightPaneWidth(), 388);
    QTest::mouseRelease(divider, Qt::LeftButton, {}, QPoint(1 - 220, 100));
    QCOMPARE(run.folderField(5), 388);
}

void MainWindowTest::typeNamesReachTheBlockMenu()
{
    prepareHome(m_home->path(), {{33, QStringLiteral("Clients")}});
    Run run(m_home->path());
    QVERIFY(run.start());
    QCOMPARE(run.window().blockTypeAction(0)->text(), QStringLiteral("Standard"));
    QCOMPARE(run.window().blockTypeAction(2)->text(), QStringLiteral("Clients"));
    QCOMPARE(run.window().blockTypeAction(10)->text(), QStringLiteral("Phone Call"));
    QCOMPARE(captions(run.window().blockMenu()).first(), QStringLiteral("Open"));
    QCOMPARE(run.window().blockMenu()->actions().at(1)->text(), QStringLiteral("Event Types  "));
}

void MainWindowTest::maximiseStoresTheNormalBounds()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setGeometry(120, 80, 700, 500);
    QTRY_COMPARE(window.geometry(), QRect(120, 80, 700, 500));

    window.showMaximized();
    QTRY_VERIFY(window.isMaximized());
    OptionsRecord &options = run.dm().options();
    QCOMPARE(QRect(options.intField(12), options.intField(13), options.intField(15), options.intField(14)),
             QRect(120, 80, 700, 500));
    QVERIFY(!options.boolField(11));
}

void MainWindowTest::closeStoresPlacementAndNextStartRestoresIt()
{
    {
        Run run(m_home->path());
        QVERIFY(run.start());
        TForm1 &window = run.window();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setGeometry(130, 90, 640, 480);
        QTRY_COMPARE(window.geometry(), QRect(130, 90, 640, 480));
        window.close();
        OptionsRecord &options = run.dm().options();
        QVERIFY(!options.boolField(11));
        QCOMPARE(QRect(options.intField(12), options.intField(13), options.intField(15), options.intField(14)),
                 QRect(130, 90, 640, 480));

        window.restoreWindow();
        window.showMaximized();
        QTRY_VERIFY(window.isMaximized());
        window.close();
        QVERIFY(options.boolField(11));
        // Closing a maximised window leaves the normal bounds as they were.
        QCOMPARE(QRect(options.intField(12), options.intField(13), options.intField(15), options.intField(14)),
                 QRect(130, 90, 640, 480));
        run.program->exit();
    }
    Run next(m_home->path());
    QVERIFY(next.start());
    TForm1 &window = next.window();
    QVERIFY(window.isMaximized());
    QCOMPARE(window.normalGeometry(), QRect(130, 90, 640, 480));
    window.showNormal();
    QTRY_COMPARE(window.geometry(), QRect(130, 90, 640, 480));
}

void MainWindowTest::closeHidesIntoTheNotificationArea()
{
    Run run(m_home->path(), true);
    QVERIFY(run.start());
    TForm1 &window = run.window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.close()); // refused: the program keeps running
    QVERIFY(!window.isVisible());
    QVERIFY(!run.program->hasExited());
    window.restoreWindow();
    QVERIFY(window.isVisible());
}

void MainWindowTest::withoutNotificationAreaCloseMinimises()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this platform has a notification area");
    prepareHome(m_home->path(), {{17, true}});
    PlannerProgram::Settings settings; // the desktop's own answer: none offscreen
    settings.root = DataRoot(m_home->path());
    settings.showMessage = [](const QString &) {};
    PlannerProgram program(std::move(settings));
    QVERIFY(program.start());
    TForm1 &window = program.mainWindow();
    QVERIFY(window.isVisible()); // "17" ignored: nothing else would lead back to it
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QTRY_VERIFY(window.isMinimized());
    window.restoreWindow();
    QTRY_VERIFY(!window.isMinimized());

    menuEntry(window.menuBar(), QStringLiteral("File "), QStringLiteral("Minimize in sistem tray"))->trigger();
    QVERIFY(window.isVisible());
    QTRY_VERIFY(window.isMinimized());
    QVERIFY(!program.hasExited());
}

void MainWindowTest::minimiseToTrayWhileMaximisedStoresOnlyTheFlag()
{
    Run run(m_home->path(), true);
    QVERIFY(run.start());
    TForm1 &window = run.window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setGeometry(110, 70, 650, 550);
    QTRY_COMPARE(window.geometry(), QRect(110, 70, 650, 550));
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized());
    QVERIFY(run.dm().options().change({{12, 1}, {13, 2}, {14, 300}, {15, 400}}));

    window.minimizeToTray();
    QVERIFY(!window.isVisible());
    OptionsRecord &options = run.dm().options();
    QVERIFY(options.boolField(11));
    QCOMPARE(QRect(options.intField(12), options.intField(13), options.intField(15), options.intField(14)),
             QRect(1, 2, 400, 300));
    window.trayMenu()->actions().first()->trigger(); // "Daybrook Planner"
    QVERIFY(window.isVisible());
    QVERIFY(window.isMaximized());
}

void MainWindowTest::exitStoresPlacementAndClosesTheStore()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setGeometry(140, 100, 660, 470);
    QTRY_COMPARE(window.geometry(), QRect(140, 100, 660, 470));
    window.close();
    QVERIFY(run.dm().options().change({{12, 0}})); // Exit must store the placement once more

    window.trayMenu()->actions().last()->trigger(); // "Exit"
    QVERIFY(run.program->hasExited());
    QVERIFY(!window.isVisible());
    QVERIFY(!run.dm().table(1).isOpen());
    QVERIFY(!run.dm().Table61().isOpen());
    QVERIFY(!run.dm().Table60().isOpen());

    TDataModule2 reopened {DataRoot(m_home->path())};
    QVERIFY(reopened.startUp());
    QCOMPARE(reopened.options().intField(12), 140);
    QCOMPARE(reopened.options().intField(15), 660);
}

void MainWindowTest::deferredPreviewAsksForTheCurrentView()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    run.window().showView(View::Week);
    QSignalSpy due(&run.window(), &TForm1::deferredPreviewDue);
    run.window().startDeferredPreview();
    QCOMPARE(due.count(), 0);
    QVERIFY(due.wait(3000));
    QCOMPARE(due.count(), 1);
    QCOMPARE(due.at(0).at(0).value<View>(), View::Week);
}

void MainWindowTest::helpOpensOnItsContents()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    menuEntry(run.window().menuBar(), QStringLiteral("Help "), QStringLiteral("Help Topics"))->trigger();
    HelpWindow *help = run.window().helpWindow();
    QVERIFY(help);
    QVERIFY(help->isVisible());
    QCOMPARE(help->currentPage(), HelpWindow::contentsPage());
}

// Each shortcut, pressed in the main window, reaches its command.
void MainWindowTest::shortcutsReachTheirCommands_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("effect");
    QTest::newRow("Ctrl+2: week") << QKeySequence("Ctrl+2") << "week view";
    QTest::newRow("Ctrl+3: month") << QKeySequence("Ctrl+3") << "month view";
    QTest::newRow("Ctrl+1: day") << QKeySequence("Ctrl+1") << "day view";
    QTest::newRow("Alt+Left: the day before") << QKeySequence("Alt+Left") << "2025-03-08";
    QTest::newRow("Alt+Right: the next day") << QKeySequence("Alt+Right") << "2025-03-10";
    QTest::newRow("Ctrl+T: today") << QKeySequence("Ctrl+T") << "2025-03-09";
    QTest::newRow("Ctrl+N: new appointment") << QKeySequence("Ctrl+N") << "new appointment";
    QTest::newRow("Ctrl+Shift+N: new task") << QKeySequence("Ctrl+Shift+N") << "new task";
    QTest::newRow("Ctrl+P: print preview") << QKeySequence("Ctrl+P") << "print preview";
    QTest::newRow("F1: help") << QKeySequence("F1") << "help";
    QTest::newRow("Ctrl+Q: exit") << QKeySequence("Ctrl+Q") << "exit";
}

void MainWindowTest::shortcutsReachTheirCommands()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, effect);
    Clock::setNowForTesting(QDateTime(QDate(2025, 3, 9), QTime(10, 0)));
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Today is the 9th; a shortcut that moves the date starts elsewhere.
    if (effect == "2025-03-09")
        window.pickDate(QDate(2025, 4, 1));
    QStringList seen;
    connect(&window, &TForm1::newAppointmentRequested, this, [&seen] { seen << "new appointment"; });
    connect(&window, &TForm1::newTaskRequested, this, [&seen] { seen << "new task"; });
    connect(&window, &TForm1::printPreviewRequested, this, [&seen] { seen << "print preview"; });
    connect(&window, &TForm1::exitRequested, this, [&seen] { seen << "exit"; });
    if (effect == "day view")
        window.showView(View::Week);

    QTest::keySequence(&window, keys);

    if (effect.endsWith(" view")) {
        QCOMPARE(viewName(window.currentView()) + " view", effect);
    } else if (effect.startsWith("2025-")) {
        QCOMPARE(window.shownDate(), QDate::fromString(effect, Qt::ISODate));
    } else if (effect == "help") {
        QVERIFY(window.helpWindow() && window.helpWindow()->isVisible());
    } else {
        QCOMPARE(seen, QStringList {effect});
    }
    Clock::setNowForTesting(QDateTime());
}

// The help page lists every shortcut the menus show, as the menus show it.
void MainWindowTest::helpPageListsEveryShortcut()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    QFile page(QStringLiteral(":/help/keyboard.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    QVERIFY(QFile(QStringLiteral(":/help/contents.html")).open(QIODevice::ReadOnly));
    int listed = 0;
    for (QAction *top : run.window().menuBar()->actions()) {
        for (QAction *action : top->menu()->actions()) {
            for (const QKeySequence &shortcut : action->shortcuts()) {
                const QString keys = shortcut.toString(QKeySequence::NativeText);
                QVERIFY2(text.contains("<td>" + keys + "</td>"), qPrintable(keys));
                ++listed;
            }
        }
    }
    QCOMPARE(listed, 15);
}

// At the smallest size the window takes, the five shortcut buttons and their
// captions stand one below the other, none over the next, all inside the bar.
void MainWindowTest::shortcutBarFitsTheSmallestWindow()
{
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(window.minimumSize());
    QTRY_COMPARE(window.size(), window.minimumSize());
    QCoreApplication::processEvents();
    ShortcutBar *bar = window.shortcutBar();
    const QList<QToolButton *> buttons = {bar->newEventButton(), bar->newTaskButton(), bar->remindersButton(),
                                          bar->optionsButton(), bar->previewButton()};
    for (int i = 0; i < buttons.size(); ++i) {
        const QRect shown = buttons.at(i)->geometry();
        QVERIFY2(bar->rect().contains(shown), qPrintable(buttons.at(i)->text()));
        // Icon and caption as the button lays them out fit its height.
        QVERIFY2(buttons.at(i)->sizeHint().height() <= shown.height(), qPrintable(buttons.at(i)->text()));
        if (i + 1 < buttons.size())
            QVERIFY2(shown.bottom() < buttons.at(i + 1)->geometry().top(), qPrintable(buttons.at(i)->text()));
    }
}

// A window that would open past the screen's edges (a help window below a
// main window low on the screen, a dialog left where the screen ended)
// opens inside the screen's available area.
void MainWindowTest::windowsOpenInsideTheScreen_data()
{
    QTest::addColumn<QPoint>("mainWindowAt");
    QTest::addColumn<QPoint>("helpAt"); // (-1, -1): never placed
    QTest::newRow("centred over a main window low on the screen") << QPoint(100, 450) << QPoint(-1, -1);
    QTest::newRow("left below the screen's bottom") << QPoint(0, 0) << QPoint(100, 499);
    QTest::newRow("left past the right edge") << QPoint(0, 0) << QPoint(700, 20);
    QTest::newRow("left above and left of the screen") << QPoint(0, 0) << QPoint(-300, -200);
}

void MainWindowTest::windowsOpenInsideTheScreen()
{
    QFETCH(QPoint, mainWindowAt);
    QFETCH(QPoint, helpAt);
    OnScreenPlacement::install();
    Run run(m_home->path());
    QVERIFY(run.start());
    TForm1 &window = run.window();
    window.move(mainWindowAt);
    window.showHelp();
    HelpWindow *help = window.helpWindow();
    QVERIFY(help);
    if (helpAt != QPoint(-1, -1)) {
        help->hide();
        help->move(helpAt);
        window.showHelp();
    }
    const QRect available = help->screen()->availableGeometry();
    QVERIFY2(available.contains(help->frameGeometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                            .arg(help->x())
                            .arg(help->y())
                            .arg(help->width())
                            .arg(help->height())
                            .arg(available.width())
                            .arg(available.height())));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
