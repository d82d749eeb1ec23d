#include "Agenda.h"

#include "Cursor.h"
#include "DataRoot.h"
#include "OccurrenceRules.h"
#include "Unit2.h"

#include <QCoreApplication>
#include <QDate>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

constexpr qint64 maxDays = 3660;

QDate parseIsoDate(const QString &text)
{
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!iso.match(text).hasMatch())
        return QDate();
    return QDate::fromString(text, Qt::ISODate);
}

QString dateText(const QDate &date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QString timeText(const QTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("HH:mm")) : QString();
}

QString flag(const Cursor &cursor, const QString &field)
{
    return cursor.asBool(field) ? QStringLiteral("1") : QStringLiteral("0");
}

// A subject may hold tabs or line breaks typed by the user; they would
// split the line, so each becomes a blank.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

void writeItem(const Cursor &c, QTextStream &out)
{
    const QChar tab = QLatin1Char('\t');
    out << c.value(QStringLiteral("No")).toLongLong() << tab
        << dateText(c.asDate(QStringLiteral("S"))) << tab
        << dateText(c.asDate(QStringLiteral("E"))) << tab
        << timeText(c.asTime(QStringLiteral("St"))) << tab
        << timeText(c.asTime(QStringLiteral("Et"))) << tab
        << flag(c, QStringLiteral("A")) << tab
        << flag(c, QStringLiteral("Re")) << tab
        << flag(c, QStringLiteral("Ta")) << tab
        << (c.isBlank(QStringLiteral("T")) ? QString() : QString::number(c.asInt(QStringLiteral("T")))) << tab
        << oneLine(c.asText(QStringLiteral("Subject"))) << '\n';
}

int fail(QTextStream &err, const QString &line)
{
    err << line << '\n';
    err.flush();
    return 2;
}

} // namespace

int runAgenda(const QStringList &arguments)
{
    // The data root may be the executable's own directory, which only an
    // application object knows; the planner calls this before it has one.
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "daybrook";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runAgenda(arguments, out, err);
    out.flush();
    return code;
}

int runAgenda(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--agenda"));
    if (at < 0 || at + 2 >= arguments.size())
        return fail(err, QStringLiteral("usage: daybrook [--home DIR] --agenda FROM TO (dates as YYYY-MM-DD)"));
    const QString fromText = arguments.at(at + 1);
    const QString toText = arguments.at(at + 2);
    const QDate from = parseIsoDate(fromText);
    const QDate to = parseIsoDate(toText);
    if (!from.isValid())
        return fail(err, QStringLiteral("agenda: not a date (YYYY-MM-DD): %1").arg(fromText));
    if (!to.isValid())
        return fail(err, QStringLiteral("agenda: not a date (YYYY-MM-DD): %1").arg(toText));
    if (to < from)
        return fail(err, QStringLiteral("agenda: the range ends before it starts: %1 %2").arg(fromText, toText));
    if (from.daysTo(to) + 1 > maxDays)
        return fail(err, QStringLiteral("agenda: the range is longer than %1 days").arg(maxDays));

    // One cursor in `sta` order, like a month cell, is all the agenda reads.
    TDataModule2 store(DataRoot::resolve(arguments));
    if (!store.openForReading(1))
        return fail(err, QStringLiteral("agenda: %1").arg(store.startUpError()));

    Cursor &day = store.table(1);
    for (QDate date = from; date <= to; date = date.addDays(1)) {
        out << date.toString(Qt::ISODate) << '\n';
        OccurrenceRules::occursOn(day, date);
        for (day.first(); !day.eof(); day.next())
            writeItem(day, out);
    }
    return 0;
}
