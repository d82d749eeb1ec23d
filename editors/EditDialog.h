#pragma once

#include <QDialog>

#include <functional>

// EditDialog: the frame the planner's editing dialogs share. They have a
// title bar and nothing else, the classic 8-point dialog font, and are left
// only through "OK" or "Cancel" (Escape counts as "Cancel"); a close request
// from the window manager is refused.
class EditDialog : public QDialog
{
    Q_OBJECT
public:
    enum class MessageKind { Validation, StoreError };
    // Shows a message to the user and returns when it has been seen. Tests
    // put a recorder here in place of the modal box.
    using MessageReporter = std::function<void(QWidget *parent, MessageKind kind, const QString &text)>;
    // The modal box: an information box for a rejected input, a warning
    // for a failure of the store.
    static void showMessageBox(QWidget *parent, MessageKind kind, const QString &text);

    // What "Cancel" does.
    virtual void cancelEdit() = 0;
    void reject() override; // Escape is "Cancel"

protected:
    EditDialog(const QString &objectName, const QString &title, QWidget *parent);

    // Closes the dialog with `result`; the only close closeEvent lets by.
    void leave(int result);
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_leaving = false; // OK or Cancel is closing the dialog
};
