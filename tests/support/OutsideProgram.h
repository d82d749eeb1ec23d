#pragma once

#include <QLatin1Char>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

// Another program's view of a calendar file: its own SQLite connection,
// none of the planner's code between the test and the file.

// Every row of the items table, `No` first, fields joined by '|'.
inline QStringList fileRows(const QString &path)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    sqlite3_stmt *select = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, "SELECT * FROM items ORDER BY rowid", -1, &select, nullptr) == SQLITE_OK) {
        while (sqlite3_step(select) == SQLITE_ROW) {
            QStringList values;
            for (int c = 0; c < sqlite3_column_count(select); ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select, c));
                values << (text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
            }
            rows << values.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}

// Runs SQL on the file as another program would; false if it failed.
inline bool runOutside(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    const bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK
        && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}
