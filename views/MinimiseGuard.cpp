#include "views/MinimiseGuard.h"

#include <QDialog>
#include <QEvent>
#include <QTimer>

void MinimiseGuard::install(QDialog *dialog)
{
    dialog->installEventFilter(new MinimiseGuard(dialog));
}

MinimiseGuard::MinimiseGuard(QDialog *dialog)
    : QObject(dialog)
    , m_dialog(dialog)
{ }

bool MinimiseGuard::eventFilter(QObject *watched, QEvent *event)
{
    // After the state change has run its course, or the window manager
    // undoes the undo.
    if (watched == m_dialog && event->type() == QEvent::WindowStateChange
        && (m_dialog->windowState() & Qt::WindowMinimized))
        QTimer::singleShot(0, this, &MinimiseGuard::undoMinimise);
    return false;
}

void MinimiseGuard::undoMinimise()
{
    if (QWidget *owner = m_dialog->parentWidget() ? m_dialog->parentWidget()->window() : nullptr) {
        if (owner->windowState() & Qt::WindowMinimized)
            owner->setWindowState(owner->windowState() & ~Qt::WindowMinimized);
    }
    if (!(m_dialog->windowState() & Qt::WindowMinimized))
        return;
    m_dialog->setWindowState(m_dialog->windowState() & ~Qt::WindowMinimized);
    m_dialog->raise();
    m_dialog->activateWindow();
}
