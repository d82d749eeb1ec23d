#pragma once

#include "sync/CalDavBinding.h"

#include <QObject>
#include <QString>

#include <optional>

// Where the password of a binding comes from, in this order: the
// environment variable DAYBROOK_CALDAV_PASSWORD (scripts and tests), then
// the system keyring (Secret Service on Linux, the credential store on
// Windows), then, on the command line only, the terminal. It is never
// written to a table file or a log.
//
// Keyring calls are asynchronous (the keyring may have to unlock first),
// so one source object answers once through found() or missing().
class PasswordSource : public QObject
{
    Q_OBJECT
public:
    explicit PasswordSource(QObject *parent = nullptr);

    static constexpr const char *environmentVariable = "DAYBROOK_CALDAV_PASSWORD";
    // The keyring service all bindings are stored under; the key is
    // keyringKey(binding).
    static QString keyringService();
    static QString keyringKey(const CalDavBinding &binding);

    // The environment's password, when the variable is set (even to "").
    static std::optional<QString> fromEnvironment();
    // Asks on the terminal without echo; nullopt when there is no terminal
    // or the user gave up (end of input).
    static std::optional<QString> askOnTerminal(const QString &prompt);

    // Looks the binding's password up: the environment first, then the
    // keyring. Answers with found() or missing(reason) once, later (never
    // from inside this call).
    void fetch(const CalDavBinding &binding);
    // Stores or forgets the binding's password in the keyring; answers with
    // stored() or missing(reason).
    void store(const CalDavBinding &binding, const QString &password);
    void forget(const CalDavBinding &binding);

signals:
    void found(const QString &password);
    void stored();
    // reason: the keyring's own text, fit to show ("No keyring is running").
    void missing(const QString &reason);
};
