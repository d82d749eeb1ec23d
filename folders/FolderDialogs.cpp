#include "folders/FolderDialogs.h"

#include <QDialog>
#include <QFileDialog>

namespace {

const QString calendarFilter = QStringLiteral("Calendar database files (*.db)");

} // namespace

FolderDialogs FolderDialogs::standard()
{
    FolderDialogs dialogs;
    dialogs.chooseNewCalendarFile = [](QWidget *parent, const QString &startDir) {
        // The overwrite question is the New Calendar command's own, with its
        // own wording and a Cancel button.
        return QFileDialog::getSaveFileName(parent, QString(), startDir, calendarFilter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    dialogs.chooseCalendarFile = [](QWidget *parent, const QString &startDir) {
        return QFileDialog::getOpenFileName(parent, QString(), startDir, calendarFilter);
    };
    dialogs.confirm = [](QWidget *parent, const QString &question) {
        return QMessageBox::question(parent, QStringLiteral("Confirm"), question,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
    };
    dialogs.runModal = [](QDialog &dialog) { return dialog.exec(); };
    return dialogs;
}
