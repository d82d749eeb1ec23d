#pragma once

#include "tests/support/TestSupport.h"

#include "ical/IcsTransfer.h"

#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/DataRoot.h"
#include "store/TableSchema.h"
#include "store/Unit2.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>
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
    auto flag = [&c](const char *f) {
        return c.isBlank(QLatin1String(f)) ? QStringLiteral("-")
            : c.asBool(QLatin1String(f))   ? QStringLiteral("1")
                                           : QStringLiteral("0");
    };
    auto txt = [&c](const char *f) { return c.asText(QLatin1String(f)); };
    for (c.first(); !c.eof(); c.next()) {
        QString days;
        for (const char *d : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
            days += flag(d);
        QStringList parts {date("S"),  date("E"),  time("St"),     time("Et"), flag("A"),  txt("Md"),
                           flag("Re"), txt("Ret"), days,           txt("D"),   txt("M"),   txt("T"),
                           flag("R"),  txt("Tr"),  txt("Tm"),      date("Rs"), time("Rt"), flag("Ta"),
                           flag("C"),  txt("P"),   txt("Subject"), txt("Loc")};
        // The series fields only where set, so rows of the four patterns read as before.
        const QStringList series {txt("Rr"), txt("Rx"), txt("Rp"), date("Ro")};
        if (!series.join(QString()).isEmpty())
            parts << series;
        lines << parts.join(QLatin1Char('|'));
    }
    return lines;
}

inline QString fixture(const QString &name)
{
    return qEnvironmentVariable("DAYBROOK_FIXTURES") + QStringLiteral("/ical/") + name;
}

inline const QStringList typeNames {"Standard", "Important",   "Business",        "Personal",
                                    "Vacation", "Must Attend", "Travel Required", "Needs Preparation",
                                    "Birthday", "Anniversary", "Phone Call"};

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// An export without the moments it was made at.
inline QByteArray withoutStamps(QByteArray text)
{
    QList<QByteArray> kept;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.startsWith("DTSTAMP:"))
            kept << line;
    }
    return kept.join('\n');
}

// A data root set up as on first start, with its default calendar.
class Home
{
public:
    Home()
    {
        TDataModule2 store(DataRoot::resolve({QStringLiteral("daybrook"), QStringLiteral("--home"), m_home.path()}));
        m_ok = store.startUp().isOk();
        m_calendar = store.Table50().filePath();
        store.closeAll();
    }
    bool ok() const { return m_ok; }
    QString calendar() const { return m_calendar; }
    QString path() const { return m_home.path(); }
    QString file(const QString &name) const { return m_home.path() + name; }

private:
    TempHome m_home;
    bool m_ok = false;
    QString m_calendar;
};

inline IcsTransfer::ImportResult importInto(const Home &home, const QString &ics, bool force = false,
                                            const IcsTransfer::Progress &progress = {})
{
    return IcsTransfer::importFile(home.calendar(), ics, typeNames, Clock::today(), force, progress);
}
