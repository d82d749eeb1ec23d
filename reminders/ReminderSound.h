#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

class QSoundEffect;

// Plays the reminder sound without waiting for it. Without an audio
// device (a server, a test run) nothing is played. A file that is missing
// or cannot be played is reported through the message sink, device or
// not, at most once in a clock minute, so a reminder every minute does not
// bury the user.
class ReminderSound : public QObject
{
    Q_OBJECT
public:
    using MessageSink = std::function<void(const QString &)>;

    explicit ReminderSound(QObject *parent = nullptr);
    ~ReminderSound() override;

    void setMessageSink(MessageSink sink) { m_sink = std::move(sink); }
    // Whether an audio device is there; asked at every play. Tests set it.
    void setDeviceCheck(std::function<bool()> check) { m_hasDevice = std::move(check); }

    // Starts playing the file and returns at once.
    void play(const QString &path);

    // How many plays were started, for the tests.
    int playsStarted() const { return m_started; }

    // Writes the bundled chime to `path` unless a file is there. False when
    // it cannot be written.
    static bool provideDefaultFile(const QString &path);

private:
    void report(const QString &path, const QString &why);

    MessageSink m_sink;
    std::function<bool()> m_hasDevice;
    QSoundEffect *m_effect = nullptr;
    QString m_loadedPath;
    QDateTime m_lastMessage; // the minute of the last message
    int m_started = 0;
};
