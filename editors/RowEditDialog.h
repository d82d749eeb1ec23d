#pragma once

#include "editors/EditDialog.h"
#include "editors/ReminderFields.h"

class Cursor;
class DropDownWatcher;
class OptionsRecord;
class TDataModule2;

// RowEditDialog: an editing dialog that edits the current row of one of
// the store's cursors, which its caller has put on a new row or into edit
// mode. It owns what every such editor does alike: writes that join the
// pending edit only while there is one, the message when the item went
// away under the dialog, the snooze that a moved reminder ends, and
// leaving through "OK" or "Cancel" with the drop-down pickers closed.
class RowEditDialog : public EditDialog
{
    Q_OBJECT
public:
    ~RowEditDialog() override;

    // In place of the modal message box; none restores the box.
    void setMessageReporter(MessageReporter reporter);

    // What "Cancel" does: drops the row's changes and closes the dialog.
    void cancelEdit() override;

    DropDownWatcher *dropDownWatcher() const { return m_watcher; }

signals:
    // "OK" or "Cancel" closed the dialog.
    void editEnded();

protected:
    RowEditDialog(const QString &objectName, const QString &title, TDataModule2 &data, QWidget *parent);

    // The cursor whose row the dialog edits.
    virtual Cursor &row() const = 0;
    TDataModule2 &data() const { return m_data; }
    OptionsRecord &options() const;
    bool use24Hour() const;

    void writeField(const QString &field, const QVariant &value);
    void report(MessageKind kind, const QString &text);
    // "OK" on a row whose edit has ended under the dialog: says so and
    // returns true.
    bool reportItemGone();

    // Taken when the dialog opens on a row, so that a save can tell whether
    // the reminder moved.
    void rememberReminder();
    // A snooze belongs to the reminder it was set on; a moved or switched
    // reminder is found again by its own date and time.
    void endStaleSnooze();

    // Closes the dialog with `result` after "OK" posted or "Cancel" dropped
    // the row.
    void finishEdit(int result);

    void mousePressEvent(QMouseEvent *event) override;

private:
    TDataModule2 &m_data;
    MessageReporter m_reporter;
    DropDownWatcher *m_watcher;
    ReminderFields m_reminderAtOpen;
};
