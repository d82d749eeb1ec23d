#include "editors/EditDialog.h"

#include "views/MinimiseGuard.h"

#include <QCloseEvent>
#include <QFont>
#include <QMessageBox>

void EditDialog::showMessageBox(QWidget *parent, MessageKind kind, const QString &text)
{
    const bool validation = kind == MessageKind::Validation;
    QMessageBox box(validation ? QMessageBox::Information : QMessageBox::Warning,
                    validation ? QStringLiteral("Information") : QStringLiteral("Daybrook Planner"), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

EditDialog::EditDialog(const QString &objectName, const QString &title, QWidget *parent)
    // A title bar and nothing else: no minimise, maximise or close box.
    // Some window managers (Openbox) show their buttons anyway; the
    // minimise guard undoes a minimise there.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(objectName);
    MinimiseGuard::install(this);
    setWindowTitle(title);
    QFont dialogFont;
    dialogFont.setFamilies(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    dialogFont.setPixelSize(11);
    setFont(dialogFont);
}

void EditDialog::reject()
{
    cancelEdit();
}

void EditDialog::leave(int result)
{
    m_leaving = true;
    done(result);
    m_leaving = false;
}

void EditDialog::closeEvent(QCloseEvent *event)
{
    // The window has no close box; "OK" and "Cancel" are the only ways out.
    if (!m_leaving && isVisible())
        event->ignore();
}
