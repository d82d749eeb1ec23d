#pragma once

#include "app/SyncScheduler.h"

struct FolderParts;
class PlannerProgram;

// The scheduler of the open calendar's sync in a program run: its state in
// the title strip, the password asked in the window after a refusal, and
// the folder editor's "Sync now" and typed passwords.
SyncScheduler *installSyncScheduler(PlannerProgram &program, FolderParts &folders);
