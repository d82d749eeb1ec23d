#pragma once

#include <QString>

// What one sync of one calendar did, or why it stopped.
struct SyncSummary
{
    enum class Failure {
        None,         // synced
        Unreachable,  // no answer, or the server is not there (DNS, refused, timeout)
        SignInFailed, // the server refused the credentials (401/403)
        Certificate,  // TLS verification failed; message holds the error's text
        NotCalendar,  // the address answers but is no calendar collection
        ServerError,  // 5xx or an answer that cannot be read; retried on the next sync
        LocalFile,    // the calendar file could not be read or written
        Cancelled,    // cancel() was called; what was done so far is kept
    };

    Failure failure = Failure::None;
    QString message; // empty when synced; else the server's answer or the error's text

    int pulled = 0;    // items added or changed from the server
    int pushed = 0;    // local items added or changed on the server
    int deleted = 0;   // items deleted, on either side
    int conflicts = 0; // items changed on both sides: kept twice ("... (conflicting copy)")
    int waiting = 0;   // local changes still not on the server after this sync
    int readOnly = 0;  // server series the planner cannot hold, shown read-only and never pushed

    bool ok() const { return failure == Failure::None; }
    // "pulled 3, pushed 1, deleted 0, conflicts 0": the one line the
    // command line prints.
    QString countsLine() const;
};
