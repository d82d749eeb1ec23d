#include "editors/RowEditDialog.h"

#include "editors/DropDownWatcher.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/OptionsRecord.h"
#include "store/Unit2.h"

RowEditDialog::RowEditDialog(const QString &objectName, const QString &title, TDataModule2 &data, QWidget *parent)
    : EditDialog(objectName, title, parent)
    , m_data(data)
    , m_reporter(showMessageBox)
    , m_watcher(new DropDownWatcher(this))
{ }

RowEditDialog::~RowEditDialog() = default;

void RowEditDialog::setMessageReporter(MessageReporter reporter)
{
    m_reporter = reporter ? std::move(reporter) : MessageReporter(showMessageBox);
}

OptionsRecord &RowEditDialog::options() const
{
    return m_data.options();
}

bool RowEditDialog::use24Hour() const
{
    return options().clock24Hour();
}

void RowEditDialog::writeField(const QString &field, const QVariant &value)
{
    // Writes that are made at once join the pending insert or edit, so that
    // "Cancel" drops them with the rest. Should that edit have been ended
    // under the dialog (the item deleted elsewhere), the cursor now stands
    // on some other item, which must not receive this dialog's values.
    if (row().state() == Cursor::State::Browse)
        return;
    row().setValue(field, value);
}

void RowEditDialog::report(MessageKind kind, const QString &text)
{
    m_reporter(this, kind, text);
}

bool RowEditDialog::reportItemGone()
{
    if (row().state() != Cursor::State::Browse)
        return false;
    report(MessageKind::StoreError, QStringLiteral("The item has been deleted."));
    return true;
}

void RowEditDialog::rememberReminder()
{
    m_reminderAtOpen = ReminderFields::of(row());
}

void RowEditDialog::endStaleSnooze()
{
    if (ReminderFields::of(row()) != m_reminderAtOpen && row().asBool(ItemField::Sno))
        writeField(ItemField::Sno, false);
}

void RowEditDialog::finishEdit(int result)
{
    m_watcher->stop();
    m_watcher->closeAll();
    leave(result);
    emit editEnded();
}

void RowEditDialog::cancelEdit()
{
    row().cancel();
    finishEdit(QDialog::Rejected);
}

void RowEditDialog::mousePressEvent(QMouseEvent *event)
{
    m_watcher->closeAll();
    EditDialog::mousePressEvent(event);
}
