#include "app/SyncWiring.h"

#include "app/FolderWiring.h"
#include "app/PlannerProgram.h"
#include "app/TopBar.h"
#include "app/Unit1.h"
#include "folders/CalDavDialog.h"
#include "folders/Unit7.h"
#include "store/Unit2.h"
#include "store/TypeNames.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>

#include <memory>

namespace {

std::optional<QString> askInWindow(QWidget *window, const CalDavBinding &binding, const QString &why)
{
    bool given = false;
    const QString password = QInputDialog::getText(
        window, QStringLiteral("Sign in"),
        QStringLiteral("%1.\nPassword of %2:")
            .arg(why.isEmpty()
                     ? QStringLiteral("%1 refused the sign-in").arg(binding.url.toDisplayString(QUrl::RemoveUserInfo))
                     : why,
                 binding.user),
        QLineEdit::Password, QString(), &given);
    return given ? std::optional<QString>(password) : std::nullopt;
}

bool sameFile(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// "Sync now" and "OK" of "CalDAV Calendar": the open calendar syncs at
// once, and its answer shows in the dialog as in the title strip.
void wireCalDavDialog(CalDavDialog &dialog, SyncScheduler &scheduler, TDataModule2 &store)
{
    QObject::connect(&dialog, &CalDavDialog::syncNowRequested, &scheduler,
                     [&dialog, &scheduler, &store](const QString &path, const QString &password) {
                         if (!sameFile(path, store.Table50().filePath())) {
                             dialog.showAnswer(QStringLiteral("The calendar syncs while its folder is the open one."));
                             return;
                         }
                         auto answer = std::make_shared<QMetaObject::Connection>();
                         *answer = QObject::connect(&scheduler, &SyncScheduler::synced, &dialog, [&, answer] {
                             QObject::disconnect(*answer);
                             dialog.showAnswer(scheduler.stateText());
                         });
                         scheduler.syncNowWith(password);
                     });
    QObject::connect(&dialog, &CalDavDialog::saved, &scheduler,
                     [&scheduler, &store](const QString &path, const std::optional<CalDavBinding> &binding,
                                          const QString &password) {
                         if (binding && !password.isEmpty())
                             scheduler.usePassword(*binding, password);
                         // A binding made, changed or removed takes effect at once.
                         if (sameFile(path, store.Table50().filePath()))
                             scheduler.syncNow();
                     });
}

} // namespace

SyncScheduler *installSyncScheduler(PlannerProgram &program, FolderParts &folders)
{
    TForm1 &window = program.mainWindow();
    TDataModule2 &store = program.dataModule();
    SyncScheduler::Hooks hooks;
    hooks.calendarPath = [&store] { return store.Table50().filePath(); };
    hooks.typeNames = [&store] { return typeNames(store.options()); };
    hooks.calendarChanged = [&store] { store.noticeOutsideChanges(); };
    hooks.showState = [&window](const QString &text) { window.topBar()->setSyncState(text); };
    hooks.askPassword = [&window](const CalDavBinding &binding, const QString &why) {
        return askInWindow(&window, binding, why);
    };
    hooks.window = &window;
    auto *scheduler = new SyncScheduler(std::move(hooks), &window);
    QObject::connect(&store, &TDataModule2::calendarChanged, scheduler, &SyncScheduler::followCalendarChange);

    if (TForm7 *editor = folders.editor) {
        QObject::connect(editor, &TForm7::calDavDialogMade, scheduler,
                         [scheduler, &store](CalDavDialog &dialog) { wireCalDavDialog(dialog, *scheduler, store); });
    }
    // The first sync once the window is up.
    QTimer::singleShot(0, scheduler, &SyncScheduler::start);
    return scheduler;
}
