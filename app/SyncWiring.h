#pragma once

#include "app/SyncScheduler.h"

struct FolderParts;
class PlannerProgram;

// The scheduler of the open calendar's sync in a program run: its state in
// the title strip, the password asked in the window after a refusal, and
// "Sync now" and "OK" of the CalDAV dialog of "Edit Folder".
SyncScheduler *installSyncScheduler(PlannerProgram &program, FolderParts &folders);
