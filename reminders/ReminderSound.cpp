#include "reminders/ReminderSound.h"

#include "store/Clock.h"
#include "store/SafeFileWrite.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

const QString bundledChime = QStringLiteral(":/sounds/daybrook1.wav");

// The effect decodes in the background and, without an audio device, may
// never say that a file is no sound at all; the header says it at once.
bool looksLikeWave(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

} // namespace

ReminderSound::ReminderSound(QObject *parent)
    : QObject(parent)
    , m_hasDevice([] { return !QMediaDevices::defaultAudioOutput().isNull(); })
{ }

ReminderSound::~ReminderSound() = default;

void ReminderSound::play(const QString &path)
{
    // The file is the user's choice and is checked first: a wrong path
    // must be said also on a machine that cannot play anything just now,
    // or the user learns of it only when a reminder goes unheard.
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        report(path, tr("the file does not exist or cannot be read."));
        return;
    }
    if (!looksLikeWave(path)) {
        report(path, tr("it is not a wave file."));
        return;
    }
    if (!m_hasDevice || !m_hasDevice())
        return;
    // One effect per file; a new file gets a new effect, so a status change
    // of the old one cannot be taken for the new file's.
    if (!m_effect || m_loadedPath != file.absoluteFilePath()) {
        delete m_effect;
        m_effect = new QSoundEffect(this);
        m_loadedPath = file.absoluteFilePath();
        QSoundEffect *effect = m_effect;
        connect(effect, &QSoundEffect::statusChanged, this, [this, effect, path] {
            if (effect->status() == QSoundEffect::Error)
                report(path, tr("it is not a wave file that can be played."));
        });
        effect->setSource(QUrl::fromLocalFile(m_loadedPath));
    }
    if (m_effect->status() == QSoundEffect::Error) {
        report(path, tr("it is not a wave file that can be played."));
        return;
    }
    // Loading goes on in the background; play() starts as soon as it is done.
    m_effect->play();
    ++m_started;
}

void ReminderSound::report(const QString &path, const QString &why)
{
    // Once per alarm minute: an alarm is raised at most once in a minute,
    // and every alarm in a new minute that cannot sound is said again.
    const QDateTime now = Clock::now();
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    if (m_lastMessage == minute)
        return;
    m_lastMessage = minute;
    // Said after the alarm has run its course: a modal box inside the
    // scanner's tick would hold the tick open while later ticks go on.
    const QString text = tr("The reminder sound %1 cannot be played: %2").arg(path, why);
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (m_sink)
                m_sink(text);
        },
        Qt::QueuedConnection);
}

bool ReminderSound::provideDefaultFile(const QString &path)
{
    if (QFileInfo::exists(path))
        return true;
    QFile source(bundledChime);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    return SafeFileWrite::replace(path, source.readAll()).isOk();
}
