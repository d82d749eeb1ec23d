#pragma once

#include "store/Result.h"

#include <QString>
#include <QUrl>

#include <optional>

// Which CalDAV collection a calendar file is kept in step with. It lives
// in the calendar file itself (table `caldav_binding`, one row), so the
// binding travels with the file and another data root that opens the file
// syncs the same collection. The password never does: see PasswordSource.
struct CalDavBinding
{
    QUrl url;     // the collection, e.g. https://host/dav/user/calendar/
    QString user; // empty: the server asks for no sign-in

    bool operator==(const CalDavBinding &other) const = default;

    // The binding of a calendar file; nullopt when it is bound to nothing
    // (no table, or a blank address). Fails when the file cannot be read.
    static Result<std::optional<CalDavBinding>> read(const QString &calendarPath);
    // Binds the calendar file. Binding it to another collection than before
    // forgets what it knew of the old one (sync token, hrefs, ETags), so the
    // next sync is a first sync with the new collection.
    static Outcome write(const QString &calendarPath, const CalDavBinding &binding);
    // Unbinds it, forgetting every item's server state.
    static Outcome clear(const QString &calendarPath);

    // Why a typed address is no collection address ("" when it is one):
    // only http and https, with a host.
    static QString urlProblem(const QUrl &url);
};
