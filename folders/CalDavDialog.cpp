#include "folders/CalDavDialog.h"

#include "sync/PasswordSource.h"
#include "sync/SyncEngine.h"
#include "views/MinimiseGuard.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int LabelLeft = 8;
constexpr int BoxLeft = 96;
constexpr int BoxHeight = 21;
constexpr int ButtonLeft = 360;
constexpr int ButtonWidth = 81;

} // namespace

CalDavDialog::CalDavDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    MinimiseGuard::install(this);
    setWindowTitle(QStringLiteral("CalDAV Calendar"));
    setFixedSize(452, 196);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);

    m_address = addRow(QStringLiteral("Server address:"), 16, 345);
    m_address->setPlaceholderText(QStringLiteral("https://host/dav/user/calendar/"));
    m_user = addRow(QStringLiteral("User name:"), 44, 160);
    m_password = addRow(QStringLiteral("Password:"), 72, 160);
    m_password->setEchoMode(QLineEdit::Password);
    m_test = addButton(QStringLiteral("Test"), ButtonLeft, 42);
    m_syncNow = addButton(QStringLiteral("Sync now"), ButtonLeft, 70);
    m_answer = new QLabel(this);
    m_answer->setGeometry(LabelLeft, 102, 436, 50);
    m_answer->setWordWrap(true);
    m_answer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_ok = addButton(QStringLiteral("OK"), ButtonLeft - 96, 160);
    m_cancel = addButton(QStringLiteral("Cancel"), ButtonLeft, 160);
    m_ok->setDefault(true);

    connect(m_test, &QPushButton::clicked, this, &CalDavDialog::testClicked);
    connect(m_syncNow, &QPushButton::clicked, this, &CalDavDialog::syncNowClicked);
    connect(m_ok, &QPushButton::clicked, this, &CalDavDialog::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &CalDavDialog::reject);
}

CalDavDialog::~CalDavDialog()
{
    if (m_check)
        m_check->cancel();
}

QLineEdit *CalDavDialog::addRow(const QString &label, int top, int width)
{
    auto *caption = new QLabel(label, this);
    caption->setGeometry(LabelLeft, top + 4, BoxLeft - LabelLeft - 4, 13);
    auto *box = new QLineEdit(this);
    box->setGeometry(BoxLeft, top, width, BoxHeight);
    caption->setBuddy(box);
    return box;
}

QPushButton *CalDavDialog::addButton(const QString &caption, int left, int top)
{
    auto *button = new QPushButton(caption, this);
    button->setGeometry(left, top, ButtonWidth, 25);
    button->setAutoDefault(false);
    return button;
}

void CalDavDialog::openFor(const QString &calendarPath)
{
    m_calendarPath = calendarPath;
    m_password->clear();
    m_answer->clear();
    setBusy(false);
    const std::optional<CalDavBinding> kept = keptBinding();
    m_address->setText(kept ? kept->url.toString() : QString());
    m_user->setText(kept ? kept->user : QString());
    m_password->setPlaceholderText(kept && !kept->user.isEmpty() ? QStringLiteral("(blank: the kept one)") : QString());
    m_address->setFocus();
    open();
}

// The binding the file holds now; nothing when it holds none or cannot be read.
std::optional<CalDavBinding> CalDavDialog::keptBinding() const
{
    const Result<std::optional<CalDavBinding>> bound = CalDavBinding::read(m_calendarPath);
    return bound ? bound.value() : std::nullopt;
}

std::optional<CalDavBinding> CalDavDialog::typedBinding() const
{
    const QString address = m_address->text().trimmed();
    if (address.isEmpty())
        return std::nullopt;
    return CalDavBinding {QUrl(address, QUrl::StrictMode), m_user->text().trimmed()};
}

QString CalDavDialog::answer() const
{
    return m_answer->text();
}

void CalDavDialog::showAnswer(const QString &text)
{
    m_answer->setText(text);
    emit answered(text);
}

// While the keyring is asked, the binding is already written: the dialog
// stays until the keyring has answered, so that its answer is seen.
void CalDavDialog::setBusy(bool busy)
{
    for (QWidget *control :
         {static_cast<QWidget *>(m_ok), static_cast<QWidget *>(m_cancel), static_cast<QWidget *>(m_syncNow)})
        control->setEnabled(!busy);
}

void CalDavDialog::done(int result)
{
    if (m_keyring)
        return;
    if (m_check)
        m_check->cancel();
    QDialog::done(result);
}

QString CalDavDialog::testAnswer(const SyncSummary &summary)
{
    using Failure = SyncSummary::Failure;
    switch (summary.failure) {
    case Failure::None:
        return QStringLiteral("The collection answers and the sign-in is accepted.");
    case Failure::SignInFailed:
        return QStringLiteral("Sign-in failed: ") + summary.message;
    case Failure::Unreachable:
        return QStringLiteral("No answer: ") + summary.message;
    case Failure::NotCalendar:
        return QStringLiteral("No calendar at this address: ") + summary.message;
    case Failure::Certificate:
    case Failure::ServerError:
    case Failure::LocalFile:
    case Failure::Cancelled:
        break;
    }
    return QStringLiteral("The test failed: ") + summary.message;
}

void CalDavDialog::testClicked()
{
    const std::optional<CalDavBinding> binding = typedBinding();
    if (!binding) {
        showAnswer(QStringLiteral("Type the address of the calendar collection."));
        return;
    }
    if (const QString why = CalDavBinding::urlProblem(binding->url); !why.isEmpty()) {
        showAnswer(why);
        return;
    }
    if (m_check)
        return;
    if (!m_password->text().isEmpty() || binding->user.isEmpty()) {
        runTest(*binding, m_password->text());
        return;
    }
    // Blank: the password the planner would sync with.
    auto *source = new PasswordSource(this);
    connect(source, &PasswordSource::found, this, [this, source, binding = *binding](const QString &password) {
        source->deleteLater();
        runTest(binding, password);
    });
    connect(source, &PasswordSource::missing, this, [this, source](const QString &why) {
        source->deleteLater();
        showAnswer(QStringLiteral("Type the password to test the sign-in: none is kept (%1).").arg(why));
    });
    source->fetch(*binding);
}

void CalDavDialog::runTest(const CalDavBinding &binding, const QString &password)
{
    if (m_check)
        return;
    m_check = new SyncEngine(m_calendarPath, binding, password, QStringList(), nullptr, this);
    connect(m_check, &SyncEngine::finished, this, &CalDavDialog::tested);
    m_test->setEnabled(false);
    m_answer->setText(QStringLiteral("Testing…"));
    m_check->startTest();
}

void CalDavDialog::tested(const SyncSummary &summary)
{
    m_check->deleteLater();
    m_check = nullptr;
    m_test->setEnabled(true);
    showAnswer(testAnswer(summary));
}

void CalDavDialog::syncNowClicked()
{
    const std::optional<CalDavBinding> typed = typedBinding();
    const std::optional<CalDavBinding> kept = keptBinding();
    // The engine syncs against the state the file keeps of its own
    // collection: another address is only taken at "OK".
    if (!typed) {
        showAnswer(kept ? QStringLiteral("Press OK to remove the binding.")
                        : QStringLiteral("Type the address of the calendar collection."));
        return;
    }
    if (typed != kept) {
        showAnswer(QStringLiteral("Press OK to bind the calendar to this address; it then syncs at once."));
        return;
    }
    m_answer->setText(QStringLiteral("Syncing…"));
    emit syncNowRequested(m_calendarPath, m_password->text());
}

void CalDavDialog::okClicked()
{
    const std::optional<CalDavBinding> typed = typedBinding();
    if (!typed) {
        unbind();
        return;
    }
    if (const QString why = CalDavBinding::urlProblem(typed->url); !why.isEmpty()) {
        showAnswer(why);
        return;
    }
    if (typed != keptBinding()) {
        if (const Outcome written = CalDavBinding::write(m_calendarPath, *typed); !written) {
            showAnswer(written.error());
            return;
        }
    }
    const QString password = m_password->text();
    if (password.isEmpty()) {
        emit saved(m_calendarPath, typed, QString());
        accept();
        return;
    }
    keepPassword(*typed, password);
}

void CalDavDialog::unbind()
{
    if (const std::optional<CalDavBinding> kept = keptBinding()) {
        if (const Outcome cleared = CalDavBinding::clear(m_calendarPath); !cleared) {
            showAnswer(cleared.error());
            return;
        }
        // A password nothing uses any more leaves the keyring too.
        auto *source = new PasswordSource(parent() ? parent() : this);
        connect(source, &PasswordSource::stored, source, &QObject::deleteLater);
        connect(source, &PasswordSource::missing, source, &QObject::deleteLater);
        source->forget(*kept);
    }
    emit saved(m_calendarPath, std::nullopt, QString());
    accept();
}

void CalDavDialog::keepPassword(const CalDavBinding &binding, const QString &password)
{
    setBusy(true);
    m_answer->setText(QStringLiteral("Storing the password in the keyring…"));
    m_keyring = new PasswordSource(this);
    connect(m_keyring, &PasswordSource::stored, this, [this, binding, password] {
        m_keyring->deleteLater();
        m_keyring = nullptr;
        setBusy(false);
        m_password->clear();
        emit saved(m_calendarPath, binding, password);
        accept();
    });
    connect(m_keyring, &PasswordSource::missing, this, [this, binding, password](QString why) {
        while (why.endsWith(QLatin1Char('.')))
            why.chop(1);
        m_keyring->deleteLater();
        m_keyring = nullptr;
        setBusy(false);
        // The binding is kept and the typed password serves this run; the
        // box empties so that "OK" now only closes.
        m_password->clear();
        emit saved(m_calendarPath, binding, password);
        showAnswer(QStringLiteral("The password could not be stored in the keyring: %1. The calendar is bound; "
                                  "the planner asks for the password when it syncs, unless %2 is set.")
                       .arg(why, QLatin1String(PasswordSource::environmentVariable)));
    });
    m_keyring->store(binding, password);
}
