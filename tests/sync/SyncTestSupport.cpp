#include "SyncTestSupport.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <memory>

PlannerRoot::PlannerRoot() = default;

QString PlannerRoot::calendarPath() const
{
    return m_home.filePath(QStringLiteral("Personal Calendar/Personal Calendar.db"));
}

QProcessEnvironment PlannerRoot::environment(const QString &password) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("DAYBROOK_HOME"));
    if (password.isNull())
        env.remove(QStringLiteral("DAYBROOK_CALDAV_PASSWORD"));
    else
        env.insert(QStringLiteral("DAYBROOK_CALDAV_PASSWORD"), password);
    return env;
}

std::unique_ptr<QProcess> PlannerRoot::startDaybrook(const QStringList &arguments, const QString &password)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment(password));
    process->start(QStringLiteral(DAYBROOK_EXECUTABLE), QStringList {QStringLiteral("--home"), home()} + arguments);
    process->waitForStarted();
    return process;
}

PlannerRoot::Run PlannerRoot::daybrook(const QStringList &arguments, const QString &password)
{
    std::unique_ptr<QProcess> process = startDaybrook(arguments, password);
    process->closeWriteChannel();
    process->waitForFinished(60000);
    Run run;
    run.code = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    run.out = QString::fromUtf8(process->readAllStandardOutput());
    run.err = QString::fromUtf8(process->readAllStandardError());
    return run;
}

PlannerRoot::Run PlannerRoot::bind(const CalDavServer &server, const QString &password)
{
    QStringList arguments {QStringLiteral("--caldav"), server.collectionUrl().toString()};
    if (!server.user().isEmpty())
        arguments << QStringLiteral("--user") << server.user();
    return daybrook(arguments, password.isNull() ? server.password() : password);
}

PlannerRoot::Run PlannerRoot::sync(const CalDavServer &server, const QString &password)
{
    return daybrook({QStringLiteral("--sync")}, password.isNull() ? server.password() : password);
}

PlannerRoot::Run PlannerRoot::importText(const QByteArray &ics)
{
    const QString path = m_runtime.filePath(QStringLiteral("import-%1.ics").arg(++m_imports));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(ics);
    file.close();
    return daybrook({QStringLiteral("--import"), path});
}

QList<QStringList> PlannerRoot::query(const QString &sql) const
{
    QList<QStringList> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(calendarPath()).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                row << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, c)));
            rows << row;
        }
    } else {
        rows << QStringList {QStringLiteral("SQL error: %1").arg(QString::fromUtf8(sqlite3_errmsg(db)))};
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

QStringList PlannerRoot::column(const QString &sql) const
{
    QStringList values;
    for (const QStringList &row : query(sql))
        values << row.value(0);
    return values;
}

bool PlannerRoot::exec(const QString &sql) const
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(calendarPath()).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QByteArray calendarText(const QByteArray &components)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Sync tests//EN\r\n" + components + "END:VCALENDAR\r\n";
}

QByteArray eventText(const QByteArray &uid, const QByteArray &summary, const QByteArray &extra, int day)
{
    const QByteArray date = QByteArray::number(20261200 + day);
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:" + date
        + "T090000Z\r\nDTEND:" + date + "T100000Z\r\nSUMMARY:" + summary + "\r\n" + extra + "END:VEVENT\r\n";
}
