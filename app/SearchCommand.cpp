#include "app/SearchCommand.h"

#include "app/AgendaLine.h"
#include "store/Cursor.h"
#include "store/DataRoot.h"
#include "store/ItemSearch.h"
#include "store/TerminalCommand.h"
#include "store/Unit2.h"

#include <QTextStream>

namespace {

using TerminalCommand::fail;

// No, S, E, St, Et, Subject, tab-separated.
void appendItem(QString &page, const FoundItem &item)
{
    const QLatin1Char tab('\t');
    page += QString::number(item.no);
    page += tab;
    AgendaLine::appendDate(page, item.start);
    page += tab;
    AgendaLine::appendDate(page, item.end);
    page += tab;
    AgendaLine::appendTime(page, item.startTime);
    page += tab;
    AgendaLine::appendTime(page, item.endTime);
    page += tab;
    AgendaLine::appendOneLine(page, item.subject);
    page += QLatin1Char('\n');
}

} // namespace

int runSearch(const QStringList &arguments)
{
    return TerminalCommand::run(
        [&arguments](QTextStream &out, QTextStream &err) { return runSearch(arguments, out, err); });
}

int runSearch(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--search"));
    if (at < 0 || at + 1 >= arguments.size())
        return fail(err, QStringLiteral("usage: daybrook [--home DIR] --search TEXT"));
    const ItemSearch search(arguments.at(at + 1));
    if (search.isEmpty())
        return fail(err, QStringLiteral("search: the text to find is empty"));

    TDataModule2 store(DataRoot::resolve(arguments));
    QStringList notes;
    QObject::connect(&store, &TDataModule2::storeMessage, [&notes](const QString &text) { notes << text; });
    if (const Outcome opened = store.openForReading(1); !opened)
        return fail(err, QStringLiteral("search: %1").arg(opened.error()));
    for (const QString &note : notes)
        err << "search: " << note << '\n';
    err.flush();

    Cursor &items = store.table(1);
    items.setFiltered(false);
    QString page;
    for (const FoundItem &item : search.findAll(items))
        appendItem(page, item);
    out << page;
    return 0;
}
