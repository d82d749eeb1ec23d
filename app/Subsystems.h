#pragma once

class PlannerProgram;

// Wires every part of the planner into a program run: the views, folder list
// and task pad into the main window, then the windows created hidden at
// start, in their start-up order.
void installSubsystems(PlannerProgram &program);
