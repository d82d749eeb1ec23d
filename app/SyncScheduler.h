#pragma once

#include "sync/CalDavBinding.h"
#include "sync/SyncSummary.h"

#include <QDateTime>
#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

class PasswordSource;
class QProgressDialog;
class QWidget;
class SyncEngine;
struct CalendarChange;

// Keeps the open calendar in step with its CalDAV collection while the
// window runs: a sync at start, every few minutes, a few seconds after a
// change (one sync for a burst of edits) and on request. The engine works
// on the event loop, so the window never waits for the network.
//
// The engine writes through a connection of its own, so its writes come
// back to the window as outside changes. Those are told apart from the
// user's by what is waiting to go up: a sync's own writes leave nothing new
// waiting, a user's edit always does.
class SyncScheduler : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        std::function<QString()> calendarPath;
        std::function<QStringList()> typeNames;
        // Makes the window read the calendar's changes now, not at its next check.
        std::function<void()> calendarChanged;
        // The title strip; "" when the calendar is bound to nothing.
        std::function<void(const QString &text)> showState;
        // Asks the password of the binding again (why: what the server said);
        // nullopt when the user gave up.
        std::function<std::optional<QString>(const CalDavBinding &binding, const QString &why)> askPassword;
        // The window a progress dialog stands over.
        QWidget *window = nullptr;
    };

    static constexpr int periodMilliseconds = 5 * 60 * 1000;
    static constexpr int changeDelayMilliseconds = 3000;
    // A sync of at least this many objects shows its progress and can be cancelled.
    static constexpr int progressFrom = 50;

    explicit SyncScheduler(Hooks hooks, QObject *parent = nullptr);
    ~SyncScheduler() override;

    // The first sync and the periodic timer.
    void start();
    // "Sync now": syncs the open calendar at once, asking for the password
    // again if the last sign-in failed.
    void syncNow();
    // "Sync now" with a password typed for this one sync ("" for the usual
    // source); a refusal then says so in the title strip without asking.
    void syncNowWith(const QString &password);
    void followCalendarChange(const CalendarChange &change);
    // A password typed in the window for this binding: used before the
    // environment's and the keyring's for the rest of the run.
    void usePassword(const CalDavBinding &binding, const QString &password);
    // In place of the window's question (tests answer it themselves).
    void setPasswordAsker(decltype(Hooks::askPassword) ask) { m_hooks.askPassword = std::move(ask); }

    // The wait between a change and its sync (tests shorten it).
    void setChangeDelay(int milliseconds) { m_changeDelay.setInterval(milliseconds); }
    bool isSyncing() const;
    // A change is waiting for its delay to pass.
    bool changePending() const { return m_changeDelay.isActive(); }
    QString stateText() const { return m_state; }
    QProgressDialog *progressDialog() const;

    // The title strip's words for a sync that ended at the given time with
    // waiting changes still to go up.
    static QString stateText(const SyncSummary &summary, const QTime &at, int waiting);

signals:
    // done of total objects of the sync under way.
    void progress(int done, int total);
    void synced(const SyncSummary &summary);

private:
    enum class Trigger { Automatic, Requested };
    using Waiting = QSet<QPair<qint64, QByteArray>>;

    void sync(Trigger trigger);
    void run(const QString &path, const CalDavBinding &binding, const QString &password);
    void passwordMissing(const QString &path, const CalDavBinding &binding, const QString &why, Trigger trigger);
    void showProgress(int done, int total);
    void finished(const SyncSummary &summary);
    void askAgain(const CalDavBinding &binding, const QString &why);
    void changesSettled();
    void follow(const QString &path);
    void show(const QString &text);
    static Waiting waitingChanges(const QString &path);

    Hooks m_hooks;
    QNetworkAccessManager m_network;
    QTimer m_period;
    QTimer m_changeDelay;
    SyncEngine *m_engine = nullptr;
    PasswordSource *m_passwords = nullptr;
    QPointer<QProgressDialog> m_progress;
    QHash<QString, QString> m_typed; // keyring key -> password typed this run
    QString m_path;                  // the calendar the state is about
    QString m_state;
    Waiting m_waitingAtStart;        // of the sync under way
    Waiting m_waitingAfterLast;      // after the last sync ended
    bool m_signInFailed = false;     // no automatic sync until a password is given
    bool m_again = false;            // "Sync now" while a sync ran
    std::optional<QString> m_oneOff; // the password of the next requested sync only
    bool m_oneOffRun = false;        // the sync under way uses it
};
