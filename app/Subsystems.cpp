#include "app/Subsystems.h"

#include "app/AboutBox.h"
#include "store/Clock.h"
#include "app/IcsWindowCommands.h"
#include "store/OwnTableFiles.h"
#include "app/Autostart.h"
#include "app/MonthNavigator.h"
#include "app/FindItemsWindow.h"
#include "app/FolderWiring.h"
#include "folders/FolderCommands.h"
#include "store/OptionFields.h"
#include "app/PlannerProgram.h"
#include "app/SyncWiring.h"
#include "printing/PrintPreview.h"
#include "app/Unit1.h"
#include "store/Unit2.h"
#include "store/TypeNames.h"
#include "editors/Unit3.h"
#include "editors/Unit4.h"

#include "editors/CalendarDropDown.h"
#include "editors/TaskPad.h"
#include "views/TaskPictures.h"
#include "app/ViewDates.h"
#include "options/Unit5.h"

#include "reminders/ReminderScanner.h"
#include "reminders/Unit6.h"

#include "views/DayView.h"
#include "views/MonthView.h"
#include "views/TimeRuler.h"
#include "views/TypeColors.h"
#include "views/WeekView.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QPixmap>

#include <memory>

namespace {

// The parts that are created at different moments of start-up but must
// reach each other once they exist.
struct Parts
{
    DayView *day = nullptr;
    WeekView *week = nullptr;
    MonthView *month = nullptr;
    TForm3 *eventEditor = nullptr;
    TaskPad *taskPad = nullptr;
    TForm4 *taskEditor = nullptr;
    TForm5 *optionsDialog = nullptr;
    FolderParts folders;
};

void installDayView(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *day = new DayView(p.dataModule());
    parts.day = day;
    day->setShownDateSource([&form] { return form.shownDate(); });

    TForm1::ViewHooks hooks;
    hooks.build = [day](const QDate &date) {
        day->setShowing(true);
        day->setShownDate(date);
        day->build();
    };
    hooks.datePicked = [day](const QDate &date) {
        day->removeAllBlocks();
        day->setShownDate(date);
        day->build();
    };
    hooks.leave = [day] {
        day->removeAllBlocks();
        day->setShowing(false);
        day->resetSelection();
    };
    hooks.resized = [day] { day->followResize(); };
    form.installView(TForm1::View::Day, day, hooks);

    QObject::connect(day, &DayView::captionChanged, &form, &TForm1::setDateCaption);
    QObject::connect(day, &DayView::selectionChanged, &form, &TForm1::setDaySelection);
    // Start-up relabels the ruler before any view is built; building then
    // follows the option by itself.
    QObject::connect(&form, &TForm1::clockFormatApplied, day, [day](bool on) { day->ruler()->setUse24Hour(on); });
    QObject::connect(day, &DayView::blockMenuRequested, &form,
                     [&form](qint64, const QPoint &at) { form.blockMenu()->popup(at); });
    QObject::connect(day, &DayView::storeError, &p,
                     [&p, &form](const QString &message) { p.showMessage(message, &form); });
    QObject::connect(&p.dataModule(), &TDataModule2::calendarChanged, day, &DayView::followCalendarChange);

    // The block menu acts on the item of the last pressed block.
    QObject::connect(&form, &TForm1::blockTypeRequested, day, [day](int type) { day->setCurrentItemType(type); });
    QObject::connect(&form, &TForm1::blockDeleteRequested, day, [day] { day->deleteCurrentItem(); });
    for (int type = 0; type < TypeColors::typeCount; ++type)
        form.blockTypeAction(type)->setIcon(TypeColors::swatchIcon(type));
}

// What the week and month views share: a click moves the navigator, and
// their commands reach the editor once it exists.
void connectCellsView(PlannerProgram &p, CellsView *view)
{
    TForm1 &form = p.mainWindow();
    view->setNavigatorMover([&form](const QDate &date) { form.setShownDate(date); });
    QObject::connect(view, &CellsView::storeError, &p,
                     [&p, &form](const QString &message) { p.showMessage(message, &form); });
    QObject::connect(view, &CellsView::dayViewRequested, &form, [&form](const QDate &date) {
        form.setShownDate(date);
        form.showView(TForm1::View::Day);
    });
}

// The week and month views' hooks: a picked date builds the view for it,
// and a resize builds the whole view again, selection included.
template<class View> TForm1::ViewHooks cellsViewHooks(TForm1 &form, View *view)
{
    TForm1::ViewHooks hooks;
    hooks.build = [view](const QDate &date) { view->build(date); };
    hooks.datePicked = hooks.build;
    hooks.resized = [view, &form] { view->build(form.shownDate()); };
    hooks.refreshed = [view] { view->cellsRefreshed(); };
    return hooks;
}

void installWeekView(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *week = new WeekView(p.dataModule(), form.viewState());
    parts.week = week;
    connectCellsView(p, week);

    form.installView(TForm1::View::Week, week, cellsViewHooks(form, week));
}

void installMonthView(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *month = new MonthView(p.dataModule(), form.viewState());
    parts.month = month;
    connectCellsView(p, month);

    TForm1::ViewHooks hooks = cellsViewHooks(form, month);
    // The navigator and the back and forward buttons keep the cells where
    // they are and refill them.
    hooks.datePicked = [month](const QDate &date) { month->refill(date); };
    form.installView(TForm1::View::Month, month, hooks);
}

void connectCellCommands(TForm3 *editor, CellsView *view)
{
    if (!view)
        return;
    QObject::connect(view, &CellsView::openItemRequested, editor, [editor](qint64 no) { editor->editItem(no); });
    QObject::connect(view, &CellsView::newAppointmentRequested, editor, &TForm3::newAppointment);
}

void installEventEditor(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *editor = new TForm3(p.dataModule(), parts.day, &form);
    parts.eventEditor = editor;

    QObject::connect(&form, &TForm1::newAppointmentRequested, editor, &TForm3::newAppointment);
    QObject::connect(&form, &TForm1::newAllDayEventRequested, editor, &TForm3::newAllDayEvent);
    QObject::connect(&form, &TForm1::newRecurringAppointmentRequested, editor, &TForm3::newRecurringAppointment);
    connectCellCommands(editor, parts.week);
    connectCellCommands(editor, parts.month);
    if (DayView *day = parts.day) {
        QObject::connect(day, &DayView::newAppointmentRequested, editor, &TForm3::newAppointment);
        QObject::connect(day, &DayView::openItemRequested, editor, [editor](qint64 no) { editor->editItem(no); });
        // An occurrence of a series asks first; the answer comes back as openItemRequested.
        QObject::connect(&form, &TForm1::blockOpenRequested, day, &DayView::openCurrentItem);
    }
}

// The first dates of the week and month the views show (the shared view
// state once a view has been built), else those the navigator's date gives.
void shownFirstDates(TForm1 &form, QDate *weekFirstDate, QDate *monthFirstDate)
{
    const QDate navigator = form.shownDate();
    const ViewState &state = form.viewState();
    *weekFirstDate = state.WeekFirstDate.isValid() ? state.WeekFirstDate : ViewDates::weekFirstDate(navigator);
    *monthFirstDate = state.MonthFirstDate.isValid()
        ? state.MonthFirstDate
        : ViewDates::weekFirstDate(QDate(navigator.year(), navigator.month(), 1));
}

// The dates the task pad's views 3 and 4 are computed from. The week and
// month views start on the Monday on or before the navigator's date and the
// first of its month.
TaskPadFilter::Dates taskPadDates(TForm1 &form)
{
    TaskPadFilter::Dates dates;
    dates.current = form.currentView();
    dates.today = Clock::today();
    dates.navigator = form.shownDate();
    shownFirstDates(form, &dates.weekFirstDate, &dates.monthFirstDate);
    return dates;
}

void markTaskPadView(TForm1 &form, int chosen)
{
    static const QIcon tick(QPixmap::fromImage(TaskPictures::tick()));
    static const QIcon blank = [] {
        QPixmap empty(TaskPictures::tick().size());
        empty.fill(Qt::transparent);
        return QIcon(empty);
    }();
    for (int view = TaskPadFilter::firstView; view <= TaskPadFilter::lastView; ++view) {
        QAction *action = form.taskPadViewAction(view);
        action->setChecked(view == chosen);
        action->setIcon(view == chosen ? tick : blank);
    }
}

// The task pad goes in below the navigator before the store starts, so
// that the window's configuration applies the folder's task pad view.
void installTaskPad(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *pad = new TaskPad(p.dataModule());
    parts.taskPad = pad;
    pad->setDatesSource([&form] { return taskPadDates(form); });
    form.installTaskPad(pad);
    QObject::connect(&form, &TForm1::taskPadViewRequested, pad, &TaskPad::applyView);
    QObject::connect(pad, &TaskPad::viewApplied, &form, [&form](int view) { markTaskPadView(form, view); });
    QObject::connect(pad, &TaskPad::storeError, &p,
                     [&p, &form](const QString &message) { p.showMessage(message, &form); });
    QObject::connect(&p.dataModule(), &TDataModule2::calendarChanged, pad, &TaskPad::followCalendarChange);
}

void installTaskEditor(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *editor = new TForm4(p.dataModule(), &form);
    parts.taskEditor = editor;
    QObject::connect(&form, &TForm1::newTaskRequested, editor, &TForm4::newTask);
    if (TaskPad *pad = parts.taskPad) {
        QObject::connect(pad, &TaskPad::openTaskRequested, editor, &TForm4::editCurrentTask);
        QObject::connect(editor, &TForm4::editEnded, pad, &TaskPad::applyStoredView);
    }

    // The task editor sets the first day of the week of every month
    // calendar of the program: the navigator, the event editor's drop-down
    // and its own.
    QObject::connect(editor, &TForm4::firstDayOfWeekApplied, form.navigator(), &MonthNavigator::setFirstDayOfWeek);
    if (TForm3 *eventEditor = parts.eventEditor) {
        QObject::connect(editor, &TForm4::firstDayOfWeekApplied, eventEditor->calendarDropDown(),
                         &CalendarDropDown::setFirstDayOfWeek);
    }
    editor->applyFirstDayOfWeek();
}

// The iCalendar commands of the File menu. An import writes the calendar
// file through a connection of its own: the store notices that at once
// instead of at its next check, and the views follow its change notice.
void installCalendarTransfer(PlannerProgram &p, Parts &)
{
    TForm1 &form = p.mainWindow();
    TDataModule2 &store = p.dataModule();
    IcsWindowCommands::Hooks hooks;
    hooks.calendarPath = [&store] { return store.Table50().filePath(); };
    hooks.ownTableFiles = [&store] { return OwnTableFiles::of(store); };
    hooks.typeNames = [&store] { return typeNames(store.options()); };
    hooks.calendarChanged = [&store] { store.noticeOutsideChanges(); };
    hooks.imported = [&store](const QList<qint64> &rows) { store.addInsertedStep(QStringLiteral("Import"), rows); };
    auto *commands = new IcsWindowCommands(&form, std::move(hooks), &form);
    QObject::connect(&form, &TForm1::importCalendarRequested, commands, &IcsWindowCommands::importCalendar);
    QObject::connect(&form, &TForm1::exportCalendarRequested, commands, &IcsWindowCommands::exportCalendar);
}

// The Edit menu's undo and redo: the entries name the active calendar's
// next steps, and a refusal is told like any store message.
void installUndo(PlannerProgram &p, Parts &)
{
    TForm1 &form = p.mainWindow();
    TDataModule2 &store = p.dataModule();
    const auto showOutcome = [&p, &form](const Outcome &done) {
        if (done.isFailed())
            p.showMessage(done.error(), &form);
    };
    QObject::connect(&form, &TForm1::undoRequested, &store, [&store, showOutcome] { showOutcome(store.undo()); });
    QObject::connect(&form, &TForm1::redoRequested, &store, [&store, showOutcome] { showOutcome(store.redo()); });
    QObject::connect(&store, &TDataModule2::undoHistoryChanged, &form,
                     [&store, &form] { form.setUndoNames(store.undoName(), store.redoName()); });
}

// The options dialog's "OK" hands each setting to the window that shows
// it. Parts built later follow TForm5::firstDayOfWeekApplied (their month
// calendars) and TForm5::optionsApplied (whatever paints times or colours).
void installOptionsDialog(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *dialog = new TForm5(p.dataModule(), &form);
    parts.optionsDialog = dialog;
    dialog->setStartWithSystem([&p](bool on) -> Outcome {
        if (on)
            return Autostart::registerProgram(QCoreApplication::applicationFilePath(),
                                              Autostart::dataRootToPass(p.dataModule().root()));
        Autostart::removeProgram();
        return {};
    });

    QObject::connect(&form, &TForm1::optionsRequested, dialog, &TForm5::openOptions);
    // The ruler is relabelled exactly as at start-up.
    QObject::connect(dialog, &TForm5::clockFormatApplied, &form, &TForm1::clockFormatApplied);
    QObject::connect(dialog, &TForm5::firstDayOfWeekApplied, &form,
                     [&form](Qt::DayOfWeek day) { form.navigator()->setFirstDayOfWeek(day); });
    if (TForm3 *editor = parts.eventEditor)
        QObject::connect(dialog, &TForm5::firstDayOfWeekApplied, editor->calendarDropDown(),
                         &CalendarDropDown::setFirstDayOfWeek);
    QObject::connect(dialog, &TForm5::typeNamesApplied, &form, &TForm1::applyTypeNames);
    // Rebuilding takes the working hours, colours and clock format anew.
    if (DayView *day = parts.day)
        QObject::connect(dialog, &TForm5::optionsApplied, day, [day] { day->rebuild(); });
    // The task editor passes the first day of the week on to its own
    // calendar as well as the navigator's and the event editor's.
    if (TForm4 *taskEditor = parts.taskEditor)
        QObject::connect(dialog, &TForm5::firstDayOfWeekApplied, taskEditor, &TForm4::applyFirstDayOfWeek);
    // The week and month cells paint times and colours from the options.
    QObject::connect(dialog, &TForm5::optionsApplied, &form, [&form, pad = parts.taskPad] {
        if (form.currentView() == TForm1::View::Week || form.currentView() == TForm1::View::Month)
            form.pickDate(form.shownDate());
        if (pad)
            pad->update();
    });
}

void installPrinting(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *preview = new PrintPreview(p.dataModule(), &form);

    QObject::connect(&form, &TForm1::printPreviewRequested, preview, [preview, &form, day = parts.day] {
        PrintPreview::Request request;
        request.view = form.currentView();
        request.shownDate = form.shownDate();
        request.title = form.dateCaption();
        shownFirstDates(form, &request.weekFirstDate, &request.monthFirstDate);
        request.now = Clock::now();
        if (request.view == TForm1::View::Day)
            request.dayBlocks = day ? DayPrintBlocks::fromDayView(*day) : preview->layOutDay(request.shownDate);
        if (preview->prepare(request))
            form.startDeferredPreview();
    });
    QObject::connect(&form, &TForm1::deferredPreviewDue, preview,
                     [preview, &form](TForm1::View view) { preview->openPreview(view, &form); });
}

// The reminders window has no owner, so that it keeps a taskbar entry of
// its own; it goes with the main window, while the data module still lives.
void installReminders(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *reminders = new TForm6(p.dataModule());
    QObject::connect(&form, &QObject::destroyed, reminders, [reminders] { delete reminders; });
    // The window stays on top: its messages must open above it.
    reminders->setMessageSink([&p, reminders](const QString &message) { p.showMessage(message, reminders); });
    QObject::connect(&p.dataModule(), &TDataModule2::calendarChanged, &reminders->scanner(),
                     &ReminderScanner::followCalendarChange);

    QObject::connect(&form, &TForm1::remindersRequested, reminders, &TForm6::showReminders);
    if (TForm3 *editor = parts.eventEditor)
        QObject::connect(reminders, &TForm6::openEventRequested, editor, [editor](qint64 no) { editor->editItem(no); });
    if (TForm4 *taskEditor = parts.taskEditor)
        QObject::connect(reminders, &TForm6::openTaskRequested, taskEditor, &TForm4::editTask);
    reminders->start();
}

// Every folder's calendar file, read through a cursor of its own: Table61's
// current row is the current folder and must not move.
std::vector<FindItemsWindow::Calendar> folderCalendars(TDataModule2 &store)
{
    std::vector<FindItemsWindow::Calendar> calendars;
    const Cursor &list = store.Table61();
    if (!list.isOpen())
        return calendars;
    Cursor folders(QStringLiteral("FindItemsFolders"));
    folders.setTableFile(list.directory(), list.fileName(), *list.schema());
    if (!folders.open())
        return calendars;
    for (folders.first(); !folders.eof(); folders.next()) {
        const QString path = store.root().folderPath(folders.asText(FolderListField::Path));
        calendars.push_back({TDataModule2::folderFilePath(path, folders.asText(FolderListField::File)),
                             folders.asText(FolderListField::Name), folders.currentId()});
    }
    return calendars;
}

bool isActiveCalendar(TDataModule2 &store, const QString &calendar)
{
    return QFileInfo(calendar).absoluteFilePath() == QFileInfo(store.Table50().filePath()).absoluteFilePath();
}

// Shows a found item's day in the day view with the item selected, after
// switching to its folder when it is another calendar's.
bool showFoundItem(PlannerProgram &p, Parts &parts, const FoundItem &item, qint64 folderId)
{
    TForm1 &form = p.mainWindow();
    TDataModule2 &store = p.dataModule();
    if (!isActiveCalendar(store, item.calendar)) {
        if (folderId == 0 || !parts.folders.commands)
            return false;
        parts.folders.commands->folderClicked(folderId);
        if (!isActiveCalendar(store, item.calendar))
            return false; // the switch was refused, and said why
    }
    const QDate date = item.date();
    if (!date.isValid())
        return item.task; // an undated task has no day; its editor is the next step
    if (form.currentView() == TForm1::View::Day) {
        form.pickDate(date);
    } else {
        form.setShownDate(date);
        form.showView(TForm1::View::Day);
    }
    // A task has no place in the day view: its day shows, and the task pad beside it.
    if (!item.task && parts.day)
        parts.day->selectItem(item.no);
    return true;
}

void installFindItems(PlannerProgram &p, std::shared_ptr<Parts> parts)
{
    TForm1 &form = p.mainWindow();
    TDataModule2 &store = p.dataModule();
    FindItemsWindow::Hooks hooks;
    hooks.activeCalendar = [&store] { return store.Table50().isOpen() ? store.Table50().filePath() : QString(); };
    hooks.calendars = [&store] { return folderCalendars(store); };
    hooks.showItem = [&p, parts](const FoundItem &item, qint64 folderId) {
        return showFoundItem(p, *parts, item, folderId);
    };
    hooks.openItem = [parts](const FoundItem &item) {
        if (item.task && parts->taskEditor)
            parts->taskEditor->editTask(item.no);
        else if (!item.task && parts->eventEditor)
            parts->eventEditor->editItem(item.no);
    };
    hooks.use24Hour = [&store] { return store.options().clock24Hour(); };
    auto *window = new FindItemsWindow(std::move(hooks), &form);
    QObject::connect(&form, &TForm1::findItemsRequested, window, &FindItemsWindow::openWindow);
    QObject::connect(&store, &TDataModule2::calendarChanged, window, &FindItemsWindow::followCalendarChange);
}

} // namespace

void installSubsystems(PlannerProgram &program)
{
    auto parts = std::make_shared<Parts>();

    // Views go into the main window before the store starts, so that the
    // window's configuration builds the folder's last view.
    program.addMainWindowPart([parts](PlannerProgram &p) { installDayView(p, *parts); });
    program.addMainWindowPart([parts](PlannerProgram &p) { installTaskPad(p, *parts); });
    program.addMainWindowPart([parts](PlannerProgram &p) { installWeekView(p, *parts); });
    program.addMainWindowPart([parts](PlannerProgram &p) { installMonthView(p, *parts); });
    program.addMainWindowPart([parts](PlannerProgram &p) { installFolderList(p, parts->folders); });
    program.addMainWindowPart([parts](PlannerProgram &p) { installUndo(p, *parts); });

    // Hidden windows in their start-up order: event editor, task editor,
    // options dialog, reminders window, folder editor, about box, then the
    // month, week and day report layouts.
    program.addHiddenWindow([parts](PlannerProgram &p) { installEventEditor(p, *parts); });
    program.addHiddenWindow([parts](PlannerProgram &p) { installTaskEditor(p, *parts); });
    program.addHiddenWindow([parts](PlannerProgram &p) { installOptionsDialog(p, *parts); });
    program.addHiddenWindow([parts](PlannerProgram &p) { installReminders(p, *parts); });
    program.addHiddenWindow([parts](PlannerProgram &p) { installFolderEditor(p, parts->folders); });
    program.addHiddenWindow([parts](PlannerProgram &p) { installSyncScheduler(p, parts->folders); });
    program.addHiddenWindow([](PlannerProgram &p) { p.mainWindow().setAboutBox(new AboutBox(&p.mainWindow())); });
    program.addHiddenWindow([parts](PlannerProgram &p) { installCalendarTransfer(p, *parts); });
    program.addHiddenWindow([parts](PlannerProgram &p) { installPrinting(p, *parts); });
    program.addHiddenWindow([parts](PlannerProgram &p) { installFindItems(p, parts); });
}
