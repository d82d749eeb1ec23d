#pragma once

#include "sync/CalDavBinding.h"
#include "sync/SyncSummary.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <optional>

class PasswordSource;
class QLabel;
class QLineEdit;
class QPushButton;
class SyncEngine;

// "CalDAV Calendar", opened from "Edit Folder": the collection a folder's
// calendar is kept in step with, its user name and password, "Test" and
// "Sync now". Only "OK" keeps anything: the address and user name in the
// calendar file, the password in the keyring alone. "Test" and "Sync now"
// use what is typed without keeping it, so "Cancel" has nothing to undo.
class CalDavDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CalDavDialog(QWidget *parent = nullptr);
    ~CalDavDialog() override;

    // Shows the binding of the calendar file (blank boxes when unbound) and
    // opens over the parent without blocking it.
    void openFor(const QString &calendarPath);
    QString calendarPath() const { return m_calendarPath; }

    // The typed binding; nullopt for a blank address ("not bound").
    std::optional<CalDavBinding> typedBinding() const;

    QLineEdit *addressBox() const { return m_address; }
    QLineEdit *userBox() const { return m_user; }
    QLineEdit *passwordBox() const { return m_password; }
    QPushButton *testButton() const { return m_test; }
    QPushButton *syncNowButton() const { return m_syncNow; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QString answer() const;

    // What "Test" says of a check that ended so.
    static QString testAnswer(const SyncSummary &summary);

    // The answer line, for what the window says of a sync it ran.
    void showAnswer(const QString &text);

    void done(int result) override;

signals:
    // "Sync now" on the kept binding; password: the one typed, "" for the
    // usual source (the environment, the keyring).
    void syncNowRequested(const QString &calendarPath, const QString &password);
    // "OK" kept the binding (or removed it); password: the one typed, ""
    // when none was.
    void saved(const QString &calendarPath, const std::optional<CalDavBinding> &binding, const QString &password);
    void answered(const QString &text);

private:
    QLineEdit *addRow(const QString &label, int top, int width);
    QPushButton *addButton(const QString &caption, int left, int top);
    std::optional<CalDavBinding> keptBinding() const;
    void setBusy(bool busy);

    void testClicked();
    void runTest(const CalDavBinding &binding, const QString &password);
    void tested(const SyncSummary &summary);
    void syncNowClicked();
    void okClicked();
    void unbind();
    void keepPassword(const CalDavBinding &binding, const QString &password);

    QString m_calendarPath;
    QLineEdit *m_address;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QPushButton *m_test;
    QPushButton *m_syncNow;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QLabel *m_answer;
    QPointer<SyncEngine> m_check;
    QPointer<PasswordSource> m_keyring;
};
