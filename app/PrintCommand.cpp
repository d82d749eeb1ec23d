#include "app/PrintCommand.h"

#include "store/Clock.h"
#include "store/DataRoot.h"
#include "store/OwnTableFiles.h"
#include "printing/PrintPreview.h"
#include "store/TerminalCommand.h"
#include "store/Unit2.h"
#include "app/ViewDates.h"

#include <QGuiApplication>
#include <QTextStream>

#include <memory>
#include <optional>

namespace {

using View = DataModuleHost::View;

struct PrintArguments
{
    View view = View::None;
    QDate date;
    QString pdf;
};

using TerminalCommand::fail;

const QString usage =
    QStringLiteral("usage: daybrook [--home DIR] --print day|week|month DATE --pdf FILE (DATE as YYYY-MM-DD)");

View viewNamed(const QString &name)
{
    if (name == QLatin1String("day"))
        return View::Day;
    if (name == QLatin1String("week"))
        return View::Week;
    if (name == QLatin1String("month"))
        return View::Month;
    return View::None;
}

// Reads the arguments after the program name; on a bad one, the line to show.
std::optional<PrintArguments> parse(const QStringList &arguments, QString *problem)
{
    PrintArguments parsed;
    bool seenPrint = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--home") && hasValue) {
            ++i; // the data root resolves it
        } else if (argument == QLatin1String("--pdf") && hasValue && parsed.pdf.isEmpty()) {
            parsed.pdf = arguments.at(++i);
        } else if (argument == QLatin1String("--print") && i + 2 < arguments.size() && !seenPrint) {
            seenPrint = true;
            const QString kind = arguments.at(++i);
            const QString dateText = arguments.at(++i);
            parsed.view = viewNamed(kind);
            if (parsed.view == View::None) {
                *problem = QStringLiteral("print: not a page (day, week or month): %1").arg(kind);
                return std::nullopt;
            }
            parsed.date = TerminalCommand::isoDate(dateText);
            if (!parsed.date.isValid()) {
                *problem = QStringLiteral("print: not a date (YYYY-MM-DD): %1").arg(dateText);
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--home") || argument == QLatin1String("--pdf")
                   || argument == QLatin1String("--print")) {
            *problem = usage;
            return std::nullopt;
        } else {
            *problem = QStringLiteral("print: unknown argument: %1").arg(argument);
            return std::nullopt;
        }
    }
    if (!seenPrint || parsed.pdf.isEmpty()) {
        *problem = usage;
        return std::nullopt;
    }
    return parsed;
}

PrintPreview::Request requestFor(PrintPreview &preview, const PrintArguments &arguments)
{
    PrintPreview::Request request;
    request.view = arguments.view;
    request.shownDate = arguments.date;
    request.title = ViewDates::caption(arguments.view, arguments.date);
    request.weekFirstDate = ViewDates::weekFirstDate(arguments.date);
    request.monthFirstDate = ViewDates::weekFirstDate(QDate(arguments.date.year(), arguments.date.month(), 1));
    request.now = Clock::now();
    if (arguments.view == View::Day)
        request.dayBlocks = preview.layOutDay(arguments.date);
    return request;
}

} // namespace

int runPrintCommand(const QStringList &arguments)
{
    QTextStream err(stderr);
    return runPrintCommand(arguments, err);
}

int runPrintCommand(const QStringList &arguments, QTextStream &err)
{
    QString problem;
    const std::optional<PrintArguments> parsed = parse(arguments, &problem);
    if (!parsed)
        return fail(err, problem);

    // Fonts and pictures need a GUI application, but no window is ever
    // shown: the page renders the same on a machine without a display.
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "daybrook";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    TDataModule2 store(DataRoot::resolve(arguments));
    if (const Outcome opened = store.openForReading(); !opened)
        return fail(err, QStringLiteral("print: %1").arg(opened.error()));

    const QString own = OwnTableFiles::matching(OwnTableFiles::of(store), parsed->pdf);
    if (!own.isEmpty())
        return fail(err, QStringLiteral("print: %1").arg(OwnTableFiles::refusal(own)));

    PrintPreview preview(store);
    if (!preview.prepare(requestFor(preview, *parsed)))
        return fail(err, usage);
    if (const Outcome written = PrintPreview::writePdf(*preview.page(parsed->view), parsed->pdf); !written) {
        err << QStringLiteral("print: cannot write %1: %2").arg(parsed->pdf, written.error()) << '\n';
        err.flush();
        return 1;
    }
    return 0;
}
