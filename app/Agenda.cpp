#include "app/Agenda.h"

#include "app/AgendaLine.h"
#include "store/Cursor.h"
#include "store/DataRoot.h"
#include "views/OccurrenceRules.h"
#include "store/ItemFields.h"
#include "store/TerminalCommand.h"
#include "store/Unit2.h"

#include <QDate>
#include <QTextStream>

namespace {

using AgendaLine::appendDate;
using AgendaLine::appendOneLine;
using AgendaLine::appendTime;
using TerminalCommand::fail;

constexpr qint64 maxDays = 3660;

// The fields an agenda line shows, looked up once.
struct AgendaFields
{
    explicit AgendaFields(const Cursor &c)
        : S(c.field(ItemField::S))
        , E(c.field(ItemField::E))
        , St(c.field(ItemField::St))
        , Et(c.field(ItemField::Et))
        , flags {c.field(ItemField::A), c.field(ItemField::Re), c.field(ItemField::Ta)}
        , T(c.field(ItemField::T))
        , Subject(c.field(ItemField::Subject))
    { }
    Cursor::Field S, E, St, Et;
    Cursor::Field flags[3];
    Cursor::Field T, Subject;
};

// One item: No, S, E, St, Et, A, Re, Ta, T, Subject, tab-separated. The
// agenda may print tens of thousands of these, so the line is built by hand.
void appendItem(QString &page, const Cursor &c, const AgendaFields &f)
{
    const QLatin1Char tab('\t');
    page += QString::number(c.currentId());
    page += tab;
    appendDate(page, c.asDate(f.S));
    page += tab;
    appendDate(page, c.asDate(f.E));
    page += tab;
    appendTime(page, c.asTime(f.St));
    page += tab;
    appendTime(page, c.asTime(f.Et));
    for (const Cursor::Field flag : f.flags) {
        page += tab;
        page += c.asBool(flag) ? QLatin1Char('1') : QLatin1Char('0');
    }
    page += tab;
    if (!c.isBlank(f.T))
        page += QString::number(c.asInt(f.T));
    page += tab;
    appendOneLine(page, c.textView(f.Subject));
    page += QLatin1Char('\n');
}

} // namespace

int runAgenda(const QStringList &arguments)
{
    return TerminalCommand::run(
        [&arguments](QTextStream &out, QTextStream &err) { return runAgenda(arguments, out, err); });
}

int runAgenda(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--agenda"));
    if (at < 0 || at + 2 >= arguments.size())
        return fail(err, QStringLiteral("usage: daybrook [--home DIR] --agenda FROM TO (dates as YYYY-MM-DD)"));
    const QString fromText = arguments.at(at + 1);
    const QString toText = arguments.at(at + 2);
    const QDate from = TerminalCommand::isoDate(fromText);
    const QDate to = TerminalCommand::isoDate(toText);
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
    // What the store has to say (a folder's file that is missing and the
    // calendar read instead) goes with the agenda, on stderr; a failure
    // says it once, in its own line.
    QStringList notes;
    QObject::connect(&store, &TDataModule2::storeMessage, [&notes](const QString &text) { notes << text; });
    if (const Outcome opened = store.openForReading(1); !opened)
        return fail(err, QStringLiteral("agenda: %1").arg(opened.error()));
    for (const QString &note : notes)
        err << "agenda: " << note << '\n';
    err.flush();

    Cursor &day = store.table(1);
    const AgendaFields fields(day);
    QString page;
    for (QDate date = from; date <= to; date = date.addDays(1)) {
        page.clear();
        appendDate(page, date);
        page += QLatin1Char('\n');
        OccurrenceRules::occursOn(day, date);
        for (day.first(); !day.eof(); day.next())
            appendItem(page, day, fields);
        out << page;
    }
    return 0;
}
