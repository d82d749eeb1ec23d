#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

// The standard dialogs the folder commands and "Edit Folder" ask through.
// Each is a replaceable function, so that a test answers them without a
// dialog waiting for a person.
struct FolderDialogs
{
    // File-save dialog for a new calendar, starting in startDir; "" when
    // cancelled. Asks no question of its own about an existing file.
    std::function<QString(QWidget *parent, const QString &startDir)> chooseNewCalendarFile;
    // File-open dialog for a calendar, starting in startDir; "" when cancelled.
    std::function<QString(QWidget *parent, const QString &startDir)> chooseCalendarFile;
    // A confirmation with the buttons Yes, No and Cancel.
    std::function<QMessageBox::StandardButton(QWidget *parent, const QString &question)> confirm;
    // Runs a dialog modally and returns its result.
    std::function<int(QDialog &dialog)> runModal;

    // The desktop's own dialogs.
    static FolderDialogs standard();
};
