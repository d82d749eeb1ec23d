#pragma once

#include "folders/FolderDialogs.h"

class FolderCommands;
class FolderList;
class PlannerProgram;
class TForm1;
class TForm7;
struct FolderSwitchHost;

// The folder subsystem in a program run: the folder list goes into the
// folder pane before the store starts (so that the window's configuration
// sizes it); "Edit Folder" and the commands come with the hidden windows.
struct FolderParts
{
    FolderList *list = nullptr;
    TForm7 *editor = nullptr;
    FolderCommands *commands = nullptr;
};

// What a folder switch asks of the main window.
FolderSwitchHost folderSwitchHost(TForm1 &window);

void installFolderList(PlannerProgram &program, FolderParts &parts);
void installFolderEditor(PlannerProgram &program, FolderParts &parts,
                         FolderDialogs dialogs = FolderDialogs::standard());
