#include "folders/CalDavBox.h"

#include "sync/PasswordSource.h"
#include "sync/SyncEngine.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int BoxLeft = 80;
constexpr int BoxHeight = 21;

// The file's binding; nothing when it is bound to nothing or cannot be read.
std::optional<CalDavBinding> bindingOf(const QString &calendarPath)
{
    const Result<std::optional<CalDavBinding>> bound = CalDavBinding::read(calendarPath);
    return bound ? bound.value() : std::nullopt;
}

} // namespace

CalDavBox::CalDavBox(QWidget *parent)
    : QGroupBox(QStringLiteral("CalDAV server"), parent)
{
    m_address = addRow(QStringLiteral("Address:"), 20, 353);
    m_address->setPlaceholderText(QStringLiteral("https://host/dav/user/calendar/"));
    m_user = addRow(QStringLiteral("User name:"), 48, 160);
    m_password = addRow(QStringLiteral("Password:"), 76, 160);
    m_password->setEchoMode(QLineEdit::Password);
    m_test = new QPushButton(QStringLiteral("Test"), this);
    m_test->setGeometry(448, 46, 81, 25);
    m_test->setAutoDefault(false);
    m_syncNow = new QPushButton(QStringLiteral("Sync now"), this);
    m_syncNow->setGeometry(448, 74, 81, 25);
    m_syncNow->setAutoDefault(false);
    m_answer = new QLabel(this);
    m_answer->setGeometry(8, 104, 515, 30);
    m_answer->setWordWrap(true);
    connect(m_test, &QPushButton::clicked, this, &CalDavBox::testClicked);
    connect(m_syncNow, &QPushButton::clicked, this, &CalDavBox::syncNowClicked);
}

CalDavBox::~CalDavBox()
{
    if (m_check)
        m_check->cancel();
}

QLineEdit *CalDavBox::addRow(const QString &label, int top, int width)
{
    auto *caption = new QLabel(label, this);
    caption->setGeometry(8, top + 4, BoxLeft - 12, 13);
    auto *box = new QLineEdit(this);
    box->setGeometry(BoxLeft, top, width, BoxHeight);
    caption->setBuddy(box);
    return box;
}

void CalDavBox::load(const QString &calendarPath)
{
    m_calendarPath = calendarPath;
    m_password->clear();
    m_answer->clear();
    const std::optional<CalDavBinding> bound = bindingOf(calendarPath);
    m_address->setText(bound ? bound->url.toString() : QString());
    m_user->setText(bound ? bound->user : QString());
    m_password->setPlaceholderText(bound && !bound->user.isEmpty() ? QStringLiteral("(in the keyring)") : QString());
}

std::optional<CalDavBinding> CalDavBox::typedBinding() const
{
    const QString address = m_address->text().trimmed();
    if (address.isEmpty())
        return std::nullopt;
    return CalDavBinding {QUrl(address, QUrl::StrictMode), m_user->text().trimmed()};
}

QString CalDavBox::problem() const
{
    const std::optional<CalDavBinding> binding = typedBinding();
    return binding ? CalDavBinding::urlProblem(binding->url) : QString();
}

Outcome CalDavBox::save(const QString &calendarPath)
{
    m_calendarPath = calendarPath;
    const std::optional<CalDavBinding> binding = typedBinding();
    if (!binding) {
        return bindingOf(calendarPath) ? CalDavBinding::clear(calendarPath) : Outcome {};
    }
    if (const QString why = CalDavBinding::urlProblem(binding->url); !why.isEmpty())
        return Outcome::failed(why);
    const Outcome written = CalDavBinding::write(calendarPath, *binding);
    if (!written)
        return written;
    if (!m_password->text().isEmpty())
        storePassword(*binding, m_password->text());
    return {};
}

void CalDavBox::storePassword(const CalDavBinding &binding, const QString &password)
{
    emit passwordTyped(binding, password);
    auto *keyring = new PasswordSource(this);
    connect(keyring, &PasswordSource::stored, keyring, &QObject::deleteLater);
    connect(keyring, &PasswordSource::missing, this, [this, keyring](const QString &why) {
        keyring->deleteLater();
        emit message(QStringLiteral("The password could not be stored in the keyring (%1). The calendar stays "
                                    "bound; the planner asks for the password at its next start, unless %2 "
                                    "is set.")
                         .arg(why, QLatin1String(PasswordSource::environmentVariable)));
    });
    keyring->store(binding, password);
}

QString CalDavBox::testAnswer(const SyncSummary &summary)
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
    default:
        break;
    }
    return QStringLiteral("The test failed: ") + summary.message;
}

void CalDavBox::testClicked()
{
    const std::optional<CalDavBinding> binding = typedBinding();
    const QString why = problem();
    if (!binding || !why.isEmpty()) {
        m_answer->setText(binding ? why : QStringLiteral("Type the address of the calendar collection."));
        return;
    }
    if (m_check)
        return;
    // The typed password, else the one the environment gives (scripts, tests).
    QString password = m_password->text();
    if (password.isEmpty())
        password = PasswordSource::fromEnvironment().value_or(QString());
    m_check = new SyncEngine(m_calendarPath, *binding, password, QStringList(), nullptr, this);
    connect(m_check, &SyncEngine::finished, this, &CalDavBox::tested);
    m_test->setEnabled(false);
    m_answer->setText(QStringLiteral("Testing…"));
    m_check->startTest();
}

void CalDavBox::tested(const SyncSummary &summary)
{
    m_check->deleteLater();
    m_check = nullptr;
    m_test->setEnabled(true);
    const QString answer = testAnswer(summary);
    m_answer->setText(answer);
    emit testAnswered(answer);
}

void CalDavBox::syncNowClicked()
{
    if (m_calendarPath.isEmpty())
        return;
    if (const QString why = problem(); !why.isEmpty()) {
        m_answer->setText(why);
        return;
    }
    const Outcome saved = save(m_calendarPath);
    if (!saved) {
        m_answer->setText(saved.error());
        return;
    }
    m_answer->setText(typedBinding() ? QStringLiteral("Syncing; the title strip shows how it went.")
                                     : QStringLiteral("The calendar is bound to no server."));
    if (typedBinding())
        emit syncNowRequested(m_calendarPath);
}
