#include "sync/PasswordSource.h"

#include <QTimer>

#include <qt6keychain/keychain.h>

#include <cstdio>
#include <iostream>
#include <string>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

PasswordSource::PasswordSource(QObject *parent)
    : QObject(parent)
{ }

QString PasswordSource::keyringService()
{
    return QStringLiteral("Daybrook Planner CalDAV");
}

QString PasswordSource::keyringKey(const CalDavBinding &binding)
{
    return QStringLiteral("%1 %2").arg(binding.user, binding.url.toString(QUrl::RemoveUserInfo));
}

std::optional<QString> PasswordSource::fromEnvironment()
{
    if (!qEnvironmentVariableIsSet(environmentVariable))
        return std::nullopt;
    return qEnvironmentVariable(environmentVariable);
}

std::optional<QString> PasswordSource::askOnTerminal(const QString &prompt)
{
#ifdef Q_OS_UNIX
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    std::fputs(qPrintable(prompt), stderr);
    std::fflush(stderr);
    termios old {};
    const bool quiet = tcgetattr(STDIN_FILENO, &old) == 0;
    if (quiet) {
        termios silent = old;
        silent.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::string line;
    const bool read = bool(std::getline(std::cin, line));
    if (quiet)
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::fputs("\n", stderr);
    if (!read)
        return std::nullopt;
    return QString::fromStdString(line);
#else
    Q_UNUSED(prompt);
    return std::nullopt;
#endif
}

void PasswordSource::fetch(const CalDavBinding &binding)
{
    if (const std::optional<QString> password = fromEnvironment()) {
        const QString value = *password;
        QTimer::singleShot(0, this, [this, value] { emit found(value); });
        return;
    }
    auto *job = new QKeychain::ReadPasswordJob(keyringService(), this);
    job->setAutoDelete(true);
    job->setKey(keyringKey(binding));
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        if (job->error() == QKeychain::NoError)
            emit found(job->textData());
        else
            emit missing(job->errorString());
    });
    job->start();
}

void PasswordSource::store(const CalDavBinding &binding, const QString &password)
{
    auto *job = new QKeychain::WritePasswordJob(keyringService(), this);
    job->setAutoDelete(true);
    job->setKey(keyringKey(binding));
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        if (job->error() == QKeychain::NoError)
            emit stored();
        else
            emit missing(job->errorString());
    });
    job->start();
}

void PasswordSource::forget(const CalDavBinding &binding)
{
    auto *job = new QKeychain::DeletePasswordJob(keyringService(), this);
    job->setAutoDelete(true);
    job->setKey(keyringKey(binding));
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        if (job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound)
            emit stored();
        else
            emit missing(job->errorString());
    });
    job->start();
}
