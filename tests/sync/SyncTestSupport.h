#pragma once

#include "CalDavServer.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One planner data root driven through its command line, as a script or a
// second device would, with its own runtime directory; and the calendar
// file beside it, read and written with SQL as another program would.
class PlannerRoot
{
public:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };

    PlannerRoot();
    QString home() const { return m_home.path(); }
    QString calendarPath() const;

    // Runs the planner with --home and the given arguments; the password
    // goes through the environment only.
    Run daybrook(const QStringList &arguments, const QString &password = QString());
    // The same, started and left running (for a kill).
    std::unique_ptr<QProcess> startDaybrook(const QStringList &arguments, const QString &password);

    Run bind(const CalDavServer &server, const QString &password = QString());
    Run sync(const CalDavServer &server, const QString &password = QString());
    Run importText(const QByteArray &ics);

    // Rows of a query on the calendar file, each value as text ("" for NULL).
    QList<QStringList> query(const QString &sql) const;
    QStringList column(const QString &sql) const;
    bool exec(const QString &sql) const;

private:
    QProcessEnvironment environment(const QString &password) const;

    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
    int m_imports = 0;
};

// A VCALENDAR around the given components.
QByteArray calendarText(const QByteArray &components);
// A VEVENT with the given UID and summary on 2026-12-14 at 09:00 UTC, and
// extra lines (ending in CRLF) inside it.
QByteArray eventText(const QByteArray &uid, const QByteArray &summary, const QByteArray &extra = QByteArray(),
                     int day = 14);
