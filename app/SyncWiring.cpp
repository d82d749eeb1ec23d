#include "app/SyncWiring.h"

#include "app/FolderWiring.h"
#include "app/PlannerProgram.h"
#include "app/TopBar.h"
#include "app/Unit1.h"
#include "folders/CalDavBox.h"
#include "folders/Unit7.h"
#include "store/Unit2.h"
#include "views/TypeColors.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>

namespace {

std::optional<QString> askInWindow(QWidget *window, const CalDavBinding &binding, const QString &why)
{
    bool given = false;
    const QString password =
        QInputDialog::getText(window, QStringLiteral("Sign in"),
                              QStringLiteral("The server at %1 refused the sign-in%2.\nPassword of %3:")
                                  .arg(binding.url.toDisplayString(),
                                       why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why), binding.user),
                              QLineEdit::Password, QString(), &given);
    return given ? std::optional<QString>(password) : std::nullopt;
}

bool sameFile(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

SyncScheduler *installSyncScheduler(PlannerProgram &program, FolderParts &folders)
{
    TForm1 &window = program.mainWindow();
    TDataModule2 &store = program.dataModule();
    SyncScheduler::Hooks hooks;
    hooks.calendarPath = [&store] { return store.Table50().filePath(); };
    hooks.typeNames = [&store] {
        QStringList names;
        for (int type = 0; type < TypeColors::typeCount; ++type)
            names << store.options().typeName(type);
        return names;
    };
    hooks.calendarChanged = [&store] { store.noticeOutsideChanges(); };
    hooks.showState = [&window](const QString &text) { window.topBar()->setSyncState(text); };
    hooks.askPassword = [&window](const CalDavBinding &binding, const QString &why) {
        return askInWindow(&window, binding, why);
    };
    hooks.window = &window;
    auto *scheduler = new SyncScheduler(std::move(hooks), &window);
    QObject::connect(&store, &TDataModule2::calendarChanged, scheduler, &SyncScheduler::followCalendarChange);

    if (TForm7 *editor = folders.editor) {
        CalDavBox *box = editor->calDavBox();
        QObject::connect(box, &CalDavBox::passwordTyped, scheduler, &SyncScheduler::usePassword);
        QObject::connect(box, &CalDavBox::message, &program,
                         [&program](const QString &text) { program.showMessage(text); });
        QObject::connect(box, &CalDavBox::syncNowRequested, scheduler, [scheduler, &program](const QString &path) {
            if (!sameFile(path, program.dataModule().Table50().filePath())) {
                program.showMessage(QStringLiteral("The calendar is bound. It syncs while its folder is open."));
                return;
            }
            scheduler->syncNow();
        });
        // A binding made or changed at "OK" takes effect at once.
        QObject::connect(editor, &TForm7::posted, scheduler, &SyncScheduler::syncNow);
    }
    // The first sync once the window is up.
    QTimer::singleShot(0, scheduler, &SyncScheduler::start);
    return scheduler;
}
