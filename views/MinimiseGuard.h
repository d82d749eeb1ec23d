#pragma once

#include <QObject>

class QDialog;

// Keeps a modal dialog from being minimised. Some window managers (Openbox)
// draw a minimise button on a dialog whatever its hints say, and iconify the
// main window with it (they are one group): the screen goes empty while the
// planner waits for "OK" or "Cancel" in a window nobody sees. The guard
// brings both back at once.
class MinimiseGuard : public QObject
{
    Q_OBJECT
public:
    // The guard lives as long as the dialog.
    static void install(QDialog *dialog);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit MinimiseGuard(QDialog *dialog);
    void undoMinimise();

    QDialog *m_dialog;
};
