#pragma once

#include "store/Cursor.h"
#include "store/TableSchema.h"

#include <QFileInfo>
#include <QStringList>

// One line per item of a calendar file, by `No`: the fields an import
// fills, so a whole import is compared with one expected text.
inline QStringList itemLines(const QString &calendarPath)
{
    const QFileInfo info(calendarPath);
    Cursor c(QStringLiteral("check"));
    c.setTableFile(info.absolutePath(), info.fileName(), calendarSchema());
    c.setReadOnly(true);
    if (!c.open())
        return {QStringLiteral("cannot open: ") + c.lastError()};
    QStringList lines;
    auto date = [&c](const char *f) { return c.asDate(QLatin1String(f)).toString(Qt::ISODate); };
    auto time = [&c](const char *f) { return c.asTime(QLatin1String(f)).toString(QStringLiteral("HH:mm")); };
    auto flag = [&c](const char *f) { return c.isBlank(QLatin1String(f)) ? QStringLiteral("-") : c.asBool(QLatin1String(f)) ? QStringLiteral("1") : QStringLiteral("0"); };
    auto txt = [&c](const char *f) { return c.asText(QLatin1String(f)); };
    for (c.first(); !c.eof(); c.next()) {
        QString days;
        for (const char *d : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
            days += flag(d);
        QStringList parts{date("S"), date("E"), time("St"), time("Et"), flag("A"), txt("Md"), flag("Re"), txt("Ret"), days,
                          txt("D"), txt("M"), txt("T"), flag("R"), txt("Tr"), txt("Tm"), date("Rs"), time("Rt"),
                          flag("Ta"), flag("C"), txt("P"), txt("Subject"), txt("Loc")};
        lines << parts.join(QLatin1Char('|'));
    }
    return lines;
}
