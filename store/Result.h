#pragma once

#include <QString>

#include <optional>
#include <utility>

// What a one-shot call (open a file, start up, parse, import, export, write
// a file) gives back: its value, or the message that says why it failed, or
// that the user cancelled. A stateful object (a cursor) keeps bool +
// lastError() instead, because its error belongs to its state.
//
// A failure always carries a message; "cancelled" carries none and is no
// failure to report.
template<typename T> class Result
{
public:
    Result(T value)
        : m_value(std::move(value))
    { } // NOLINT: a value is success
    static Result failed(const QString &message) { return Result(message, false); }
    static Result cancelled() { return Result(QString(), true); }

    bool isOk() const { return m_value.has_value(); }
    explicit operator bool() const { return isOk(); }
    bool isCancelled() const { return m_cancelled; }
    bool isFailed() const { return !isOk() && !m_cancelled; }
    const QString &error() const { return m_error; } // empty unless failed

    // Only when isOk().
    const T &value() const & { return *m_value; }
    T &value() & { return *m_value; }
    T &&value() && { return std::move(*m_value); }
    const T *operator->() const { return &*m_value; }
    T *operator->() { return &*m_value; }

private:
    Result(const QString &message, bool cancelled)
        : m_error(message)
        , m_cancelled(cancelled)
    { }

    std::optional<T> m_value;
    QString m_error;
    bool m_cancelled = false;
};

// A call that gives nothing back but success.
template<> class Result<void>
{
public:
    Result() = default; // success
    static Result failed(const QString &message) { return Result(message, false); }
    static Result cancelled() { return Result(QString(), true); }

    bool isOk() const { return !m_failed && !m_cancelled; }
    explicit operator bool() const { return isOk(); }
    bool isCancelled() const { return m_cancelled; }
    bool isFailed() const { return m_failed; }
    const QString &error() const { return m_error; }

private:
    Result(const QString &message, bool cancelled)
        : m_error(message)
        , m_failed(!cancelled)
        , m_cancelled(cancelled)
    { }

    QString m_error;
    bool m_failed = false;
    bool m_cancelled = false;
};

using Outcome = Result<void>;
