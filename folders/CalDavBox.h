#pragma once

#include "sync/CalDavBinding.h"
#include "sync/SyncSummary.h"

#include <QGroupBox>
#include <QPointer>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class SyncEngine;

// The CalDAV part of "Edit Folder": the collection a folder's calendar is
// kept in step with, its user name and password, "Test" and "Sync now".
// The address and user name are kept in the calendar file; the password
// goes to the keyring only (or, with no keyring, is kept for this run).
class CalDavBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit CalDavBox(QWidget *parent = nullptr);
    ~CalDavBox() override;

    // Shows the binding of the calendar file (blank boxes when unbound).
    void load(const QString &calendarPath);
    // Why the typed binding cannot be kept ("" when it can).
    QString problem() const;
    // Binds (or unbinds, with a blank address) the calendar file as typed and
    // hands a typed password on; the keyring's answer comes as message().
    Outcome save(const QString &calendarPath);

    // The typed binding; nullopt for a blank address.
    std::optional<CalDavBinding> typedBinding() const;

    QLineEdit *addressBox() const { return m_address; }
    QLineEdit *userBox() const { return m_user; }
    QLineEdit *passwordBox() const { return m_password; }
    QPushButton *testButton() const { return m_test; }
    QPushButton *syncNowButton() const { return m_syncNow; }
    QLabel *answerLabel() const { return m_answer; }

    // What "Test" says of a check that ended so.
    static QString testAnswer(const SyncSummary &summary);

signals:
    void syncNowRequested(const QString &calendarPath);
    // A password typed for the binding, to be used for this run.
    void passwordTyped(const CalDavBinding &binding, const QString &password);
    void message(const QString &text);
    void testAnswered(const QString &answer);

private:
    QLineEdit *addRow(const QString &label, int top, int width);
    void testClicked();
    void syncNowClicked();
    void tested(const SyncSummary &summary);
    void storePassword(const CalDavBinding &binding, const QString &password);

    QString m_calendarPath;
    QLineEdit *m_address;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QPushButton *m_test;
    QPushButton *m_syncNow;
    QLabel *m_answer;
    QPointer<SyncEngine> m_check;
};
