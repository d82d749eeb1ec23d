#include "app/FolderWiring.h"

#include "folders/FolderCommands.h"
#include "folders/FolderList.h"
#include "folders/FolderSwitch.h"
#include "app/PlannerProgram.h"
#include "app/Unit1.h"
#include "store/Unit2.h"
#include "folders/Unit7.h"

FolderSwitchHost folderSwitchHost(TForm1 &window)
{
    using View = TForm1::View;
    FolderSwitchHost host;
    host.releaseView = [&window] { return static_cast<int>(window.releaseCurrentView()); };
    // Views not built yet on this installation show their empty area.
    host.showView = [&window](int view) {
        window.showView(view >= 1 && view <= 3 ? static_cast<View>(view) : View::None);
    };
    host.showTaskPadView = [&window](int view) { emit window.taskPadViewRequested(view); };
    host.showFolderName = [&window](const QString &name) { window.showFolderName(name); };
    return host;
}

void installFolderList(PlannerProgram &program, FolderParts &parts)
{
    TForm1 &window = program.mainWindow();
    auto *list = new FolderList(program.dataModule().Table61());
    parts.list = list;
    window.installFolderList(list);
    QObject::connect(&window, &TForm1::configured, list, &FolderList::reload);
    QObject::connect(&window, &TForm1::resizeHandled, list, &FolderList::reload);
}

void installFolderEditor(PlannerProgram &program, FolderParts &parts, FolderDialogs dialogs)
{
    TForm1 &window = program.mainWindow();
    if (!parts.list)
        return;
    auto *editor = new TForm7(program.dataModule().Table61(), dialogs, program.dataModule().root(), &window);
    auto *commands = new FolderCommands(program.dataModule(), *parts.list, *editor, folderSwitchHost(window),
                                        std::move(dialogs), &window);
    parts.editor = editor;
    parts.commands = commands;
    QObject::connect(&window, &TForm1::newFolderRequested, commands, &FolderCommands::newFolder);
    QObject::connect(&window, &TForm1::newCalendarRequested, commands, [commands] { commands->newCalendar(); });
    QObject::connect(commands, &FolderCommands::message, &program,
                     [&program](const QString &text) { program.showMessage(text); });
}
