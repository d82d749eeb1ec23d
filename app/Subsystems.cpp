#include "Subsystems.h"

#include "AboutBox.h"
#include "PlannerProgram.h"
#include "Unit1.h"

void installSubsystems(PlannerProgram &program)
{
    // Hidden windows in their start-up order: event editor, task editor,
    // options dialog, reminders window, folder editor, about box, then the
    // month, week and day report layouts. Each part adds its own line here.
    program.addHiddenWindow([](PlannerProgram &p) {
        p.mainWindow().setAboutBox(new AboutBox(&p.mainWindow()));
    });
}
