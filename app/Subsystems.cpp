#include "Subsystems.h"

#include "AboutBox.h"
#include "PlannerProgram.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"

#include "DayView.h"
#include "TimeRuler.h"
#include "TypeColors.h"

#include <QMenu>

#include <memory>

namespace {

// The parts that are created at different moments of start-up but must
// reach each other once they exist.
struct Parts
{
    DayView *day = nullptr;
    TForm3 *eventEditor = nullptr;
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
    QObject::connect(day, &DayView::storeError, &p, [&p](const QString &message) { p.showMessage(message); });

    // The block menu acts on the item of the last pressed block.
    QObject::connect(&form, &TForm1::blockTypeRequested, day, [day](int type) { day->setCurrentItemType(type); });
    QObject::connect(&form, &TForm1::blockDeleteRequested, day, [day] { day->deleteCurrentItem(); });
    for (int type = 0; type < TypeColors::typeCount; ++type)
        form.blockTypeAction(type)->setIcon(TypeColors::swatchIcon(type));
}

void installEventEditor(PlannerProgram &p, Parts &parts)
{
    TForm1 &form = p.mainWindow();
    auto *editor = new TForm3(p.dataModule(), parts.day, &form);
    parts.eventEditor = editor;

    QObject::connect(&form, &TForm1::newAppointmentRequested, editor, &TForm3::newAppointment);
    QObject::connect(&form, &TForm1::newAllDayEventRequested, editor, &TForm3::newAllDayEvent);
    QObject::connect(&form, &TForm1::newRecurringAppointmentRequested, editor, &TForm3::newRecurringAppointment);
    if (DayView *day = parts.day) {
        QObject::connect(day, &DayView::newAppointmentRequested, editor, &TForm3::newAppointment);
        QObject::connect(day, &DayView::openItemRequested, editor, [editor](qint64 no) { editor->editItem(no); });
        QObject::connect(&form, &TForm1::blockOpenRequested, editor, [editor, &p] {
            editor->editItem(p.dataModule().Table46().currentId());
        });
    }
}

} // namespace

void installSubsystems(PlannerProgram &program)
{
    auto parts = std::make_shared<Parts>();

    // Views go into the main window before the store starts, so that the
    // window's configuration builds the folder's last view.
    program.addMainWindowPart([parts](PlannerProgram &p) { installDayView(p, *parts); });

    // Hidden windows in their start-up order: event editor, task editor,
    // options dialog, reminders window, folder editor, about box, then the
    // month, week and day report layouts.
    program.addHiddenWindow([parts](PlannerProgram &p) { installEventEditor(p, *parts); });
    program.addHiddenWindow([](PlannerProgram &p) {
        p.mainWindow().setAboutBox(new AboutBox(&p.mainWindow()));
    });
}
