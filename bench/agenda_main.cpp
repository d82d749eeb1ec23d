// daybrook_agenda: the agenda command alone, for timing it as a process
// where the planner's own executable is not at hand.
#include "app/Agenda.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runAgenda(app.arguments());
}
