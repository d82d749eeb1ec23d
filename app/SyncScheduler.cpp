#include "app/SyncScheduler.h"

#include "store/Unit2.h"
#include "sync/PasswordSource.h"
#include "sync/SyncEngine.h"
#include "sync/SyncStateFile.h"

#include <QLocale>
#include <QProgressDialog>

#include <utility>

namespace {

QString waitingPhrase(int waiting)
{
    return waiting == 1 ? QStringLiteral("1 change waiting") : QStringLiteral("%1 changes waiting").arg(waiting);
}

QString withWaiting(const QString &state, int waiting)
{
    return waiting > 0 ? state + QStringLiteral(" — ") + waitingPhrase(waiting) : state;
}

} // namespace

SyncScheduler::SyncScheduler(Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_hooks(std::move(hooks))
{
    m_period.setInterval(periodMilliseconds);
    connect(&m_period, &QTimer::timeout, this, [this] { sync(Trigger::Automatic); });
    m_changeDelay.setSingleShot(true);
    m_changeDelay.setInterval(changeDelayMilliseconds);
    connect(&m_changeDelay, &QTimer::timeout, this, &SyncScheduler::changesSettled);
}

SyncScheduler::~SyncScheduler()
{
    // A sync under way stops with what it wrote consistent.
    if (m_engine)
        m_engine->cancel();
}

void SyncScheduler::start()
{
    m_period.start();
    sync(Trigger::Automatic);
}

void SyncScheduler::syncNow()
{
    sync(Trigger::Requested);
}

void SyncScheduler::syncNowWith(const QString &password)
{
    if (!password.isEmpty())
        m_oneOff = password;
    sync(Trigger::Requested);
}

QProgressDialog *SyncScheduler::progressDialog() const
{
    return m_progress;
}

bool SyncScheduler::isSyncing() const
{
    return m_engine != nullptr;
}

void SyncScheduler::usePassword(const CalDavBinding &binding, const QString &password)
{
    m_typed.insert(PasswordSource::keyringKey(binding), password);
    m_signInFailed = false;
}

QString SyncScheduler::stateText(const SyncSummary &summary, const QTime &at, int waiting)
{
    using Failure = SyncSummary::Failure;
    switch (summary.failure) {
    case Failure::None: {
        QString text = QStringLiteral("Synced ") + QLocale().toString(at, QLocale::ShortFormat);
        if (summary.conflicts == 1)
            text += QStringLiteral(" — 1 conflicting copy");
        else if (summary.conflicts > 1)
            text += QStringLiteral(" — %1 conflicting copies").arg(summary.conflicts);
        return withWaiting(text, waiting);
    }
    case Failure::Unreachable:
        return withWaiting(QStringLiteral("Offline"), waiting);
    case Failure::ServerError:
        return withWaiting(QStringLiteral("Server error"), waiting);
    case Failure::SignInFailed:
        return withWaiting(QStringLiteral("Sign-in failed"), waiting);
    case Failure::Cancelled:
        return withWaiting(QStringLiteral("Sync cancelled"), waiting);
    case Failure::Certificate:
    case Failure::NotCalendar:
    case Failure::LocalFile:
        break;
    }
    return withWaiting(QStringLiteral("Sync stopped: ") + summary.message, waiting);
}

void SyncScheduler::show(const QString &text)
{
    m_state = text;
    if (m_hooks.showState)
        m_hooks.showState(text);
}

// A calendar switch starts over with the calendar now open.
void SyncScheduler::follow(const QString &path)
{
    if (path == m_path)
        return;
    m_path = path;
    m_signInFailed = false;
    m_oneOff.reset();
    m_waitingAfterLast.clear();
    show(QString());
}

void SyncScheduler::sync(Trigger trigger)
{
    if (m_engine) {
        if (trigger == Trigger::Requested)
            m_again = true;
        return;
    }
    follow(m_hooks.calendarPath ? m_hooks.calendarPath() : QString());
    if (m_path.isEmpty())
        return;
    const Result<std::optional<CalDavBinding>> bound = CalDavBinding::read(m_path);
    if (!bound || !bound.value()) {
        show(QString());
        return;
    }
    if (m_signInFailed && trigger == Trigger::Automatic)
        return;
    const CalDavBinding binding = *bound.value();
    const QString path = m_path;
    if (trigger == Trigger::Requested && m_oneOff) {
        const QString password = *std::exchange(m_oneOff, std::nullopt);
        run(path, binding, password);
        m_oneOffRun = m_engine != nullptr;
        return;
    }
    const auto typed = m_typed.constFind(PasswordSource::keyringKey(binding));
    if (typed != m_typed.constEnd()) {
        run(path, binding, *typed);
        return;
    }
    // One lookup at a time; the keyring answers later.
    delete m_passwords;
    m_passwords = new PasswordSource(this);
    connect(m_passwords, &PasswordSource::found, this,
            [this, path, binding](const QString &password) { run(path, binding, password); });
    connect(m_passwords, &PasswordSource::missing, this,
            [this, path, binding, trigger](const QString &why) { passwordMissing(path, binding, why, trigger); });
    m_passwords->fetch(binding);
}

void SyncScheduler::passwordMissing(const QString &path, const CalDavBinding &binding, const QString &why,
                                    Trigger trigger)
{
    if (binding.user.isEmpty()) {
        run(path, binding, QString());
        return;
    }
    if (trigger == Trigger::Requested) {
        askAgain(binding, why);
        return;
    }
    show(QStringLiteral("No password: Sync now to sign in"));
}

void SyncScheduler::run(const QString &path, const CalDavBinding &binding, const QString &password)
{
    if (m_engine || path != m_path)
        return;
    m_waitingAtStart = waitingChanges(path);
    m_engine = new SyncEngine(path, binding, password, m_hooks.typeNames ? m_hooks.typeNames() : QStringList(),
                              &m_network, this);
    connect(m_engine, &SyncEngine::progress, this, &SyncScheduler::showProgress);
    connect(m_engine, &SyncEngine::finished, this, &SyncScheduler::finished);
    m_engine->start();
}

void SyncScheduler::showProgress(int done, int total)
{
    if (!m_progress && total >= progressFrom && m_engine) {
        m_progress = new QProgressDialog(QStringLiteral("Syncing the calendar with its server…"),
                                         QStringLiteral("Cancel"), 0, total, m_hooks.window);
        m_progress->setWindowTitle(QStringLiteral("Sync"));
        // The window stays usable; only the sync waits for the user.
        m_progress->setWindowModality(Qt::NonModal);
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        connect(m_progress, &QProgressDialog::canceled, this, [this] {
            if (m_engine)
                m_engine->cancel();
        });
        m_progress->show();
    }
    if (m_progress) {
        m_progress->setMaximum(total);
        m_progress->setValue(done);
    }
    emit progress(done, total);
}

void SyncScheduler::finished(const SyncSummary &summary)
{
    const CalDavBinding binding = m_engine->binding();
    m_engine->deleteLater();
    m_engine = nullptr;
    if (m_progress)
        m_progress->deleteLater();
    // The views show what the sync wrote now, not at the next check.
    if (m_hooks.calendarChanged)
        m_hooks.calendarChanged();

    m_waitingAfterLast = waitingChanges(m_path);
    const int waiting = SyncEngine::changesWaiting(m_path);
    show(stateText(summary, QTime::currentTime(), waiting));
    const bool oneOff = std::exchange(m_oneOffRun, false);
    emit synced(summary);

    // A password tried once says nothing of the one kept.
    if (summary.failure == SyncSummary::Failure::SignInFailed && !oneOff) {
        m_signInFailed = true;
        m_typed.remove(PasswordSource::keyringKey(binding));
        m_again = false;
        // Out of the engine's signal: the question waits for the user.
        QTimer::singleShot(0, this, [this, binding, why = summary.message] { askAgain(binding, why); });
        return;
    }
    // A change made while the sync ran, which it did not take up.
    const bool changedMeanwhile = summary.ok() && !(m_waitingAfterLast - m_waitingAtStart).isEmpty();
    if (m_again) {
        m_again = false;
        sync(Trigger::Requested);
    } else if (changedMeanwhile) {
        m_changeDelay.start();
    }
}

void SyncScheduler::askAgain(const CalDavBinding &binding, const QString &why)
{
    if (!m_hooks.askPassword) {
        show(QStringLiteral("Sign-in failed"));
        return;
    }
    const std::optional<QString> password = m_hooks.askPassword(binding, why);
    if (!password) {
        show(withWaiting(QStringLiteral("Sign-in failed"), SyncEngine::changesWaiting(m_path)));
        return;
    }
    usePassword(binding, *password);
    // Kept for the next start too, when a keyring is there.
    auto *keyring = new PasswordSource(this);
    connect(keyring, &PasswordSource::stored, keyring, &QObject::deleteLater);
    connect(keyring, &PasswordSource::missing, keyring, &QObject::deleteLater);
    keyring->store(binding, *password);
    sync(Trigger::Requested);
}

void SyncScheduler::followCalendarChange(const CalendarChange &)
{
    // A burst of edits becomes one sync once it has settled.
    m_changeDelay.start();
}

void SyncScheduler::changesSettled()
{
    const QString path = m_hooks.calendarPath ? m_hooks.calendarPath() : QString();
    if (path != m_path) {
        sync(Trigger::Automatic);
        return;
    }
    if (m_engine || m_path.isEmpty())
        return; // the sync under way compares when it ends
    const Waiting now = waitingChanges(m_path);
    // Only what the sync wrote came back: nothing new waits.
    if ((now - m_waitingAfterLast).isEmpty())
        return;
    if (m_signInFailed) {
        show(withWaiting(QStringLiteral("Sign-in failed"), SyncEngine::changesWaiting(m_path)));
        m_waitingAfterLast = now;
        return;
    }
    sync(Trigger::Automatic);
}

// Each local change not on the server yet, as the row and the hash of its
// fields (a deleted row with an empty hash): an edit to a row already
// waiting changes its hash, so it counts as new.
SyncScheduler::Waiting SyncScheduler::waitingChanges(const QString &path)
{
    Waiting waiting;
    SyncStateFile file;
    if (!file.open(path, true) || !file.binding())
        return waiting;
    QHash<qint64, SyncStateFile::ItemState> states = file.states();
    for (const SyncStateFile::LocalRow &row : file.rows()) {
        const auto state = states.constFind(row.no);
        if (state == states.constEnd() || state->hash != row.hash)
            waiting.insert({row.no, row.hash});
        states.remove(row.no);
    }
    for (auto gone = states.constBegin(); gone != states.constEnd(); ++gone)
        waiting.insert({gone.key(), QByteArray()});
    return waiting;
}
