#include "PrintPreview.h"

#include "Cursor.h"
#include "LocaleFormats.h"
#include "OccurrenceRules.h"
#include "TaskPadFilter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QScreen>

namespace {

constexpr int PdfResolution = 300;

} // namespace

PrintPreview::PrintPreview(TDataModule2 &data, QObject *parent)
    : QObject(parent)
    , m_data(data)
{
}

PrintPreview::~PrintPreview() = default;

ReportPage *PrintPreview::page(View view)
{
    switch (view) {
    case View::Day:
        return &m_daily;
    case View::Week:
        return &m_weekly;
    case View::Month:
        return &m_monthly;
    case View::None:
        break;
    }
    return nullptr;
}

PrintGeometry::Paper PrintPreview::paper() const
{
    return PrintGeometry::paperFor(m_data.options().boolField(20));
}

QString PrintPreview::printDateText(const QDateTime &now, bool use24Hour)
{
    const QString time = use24Hour ? now.time().toString(QStringLiteral("hh:mm"))
                                   : QLocale().toString(now.time(), QStringLiteral("h:mm AP"));
    return LocaleFormats::formatDate(now.date()) + QLatin1Char(' ') + time;
}

bool PrintPreview::mayFilter(int number) const
{
    const Cursor &cursor = m_data.table(number);
    return cursor.isOpen() && (!cursor.filtered() || cursor.filter() == m_ownFilters[number]);
}

void PrintPreview::filterDays(int count, const QDate &first)
{
    // The week and month views keep their cells' cursors filtered on the
    // days they show, and the page prints exactly those rows; filtering
    // them again here would change what the screen lists under its titles
    // (after a click in a neighbouring month's cell the navigator is in
    // another month than the cells). Only a cursor that no view has
    // filtered since the last page (a page printed from the command line,
    // or a view not installed) gets the views' own rule here.
    for (int n = 1; n <= count; ++n) {
        Cursor &cursor = m_data.table(n);
        if (!mayFilter(n))
            continue;
        OccurrenceRules::occursOn(cursor, first.addDays(n - 1));
        m_ownFilters[n] = cursor.filter();
    }
}

void PrintPreview::applyTaskPadView(const Request &request)
{
    // The task pad keeps its cursor filtered on its view; only a page
    // printed without it (from the command line) chooses the view itself.
    Cursor &tasks = m_data.Table47();
    if (!mayFilter(47))
        return;
    const Cursor &folders = m_data.Table61();
    const int view = folders.isOpen() ? folders.asInt(QStringLiteral("8")) : TaskPadFilter::firstView;
    const TaskPadFilter::Dates dates {request.now.date(), request.shownDate, request.weekFirstDate,
                                      request.monthFirstDate};
    if (tasks.setFilter(TaskPadFilter::text(view, request.view, dates))) {
        tasks.setFiltered(true);
        m_ownFilters[47] = tasks.filter();
    }
}

DayPrintBlocks PrintPreview::layOutDay(const QDate &date)
{
    const PrintGeometry g = PrintGeometry::forPaper(paper(), m_data.options().boolField(49));
    return DayPrintBlocks::layOut(m_data, date, g.W - g.T - TForm11::AppointmentLeft);
}

bool PrintPreview::prepare(const Request &request)
{
    OptionsRecord &options = m_data.options();
    const bool use24Hour = options.boolField(30);
    ReportPage *target = page(request.view);
    if (!target)
        return false;

    switch (request.view) {
    case View::Month:
        m_monthly.setPaper(paper());
        filterDays(42, request.monthFirstDate);
        m_monthly.drawBody(m_data, request.monthFirstDate, use24Hour);
        break;
    case View::Week:
        m_weekly.setGeometry(paper(), options.boolField(50));
        filterDays(7, request.weekFirstDate);
        if (m_weekly.geometry().T > 0)
            applyTaskPadView(request);
        m_weekly.drawBody(m_data, request.weekFirstDate, use24Hour);
        break;
    case View::Day:
        m_daily.setGeometry(paper(), options.boolField(49));
        if (m_daily.geometry().T > 0)
            applyTaskPadView(request);
        m_daily.drawBody(m_data, request.dayBlocks, request.shownDate, options.intField(53), use24Hour);
        break;
    case View::None:
        return false;
    }

    // The print date follows the "Delete items older than" switch, as it
    // always has on these pages.
    target->setPrintDate(printDateText(request.now, use24Hour), options.boolField(52));
    target->setTitle(request.title);
    return true;
}

QPrintPreviewDialog *PrintPreview::openPreview(View view, QWidget *parent)
{
    ReportPage *target = page(view);
    if (!target)
        return nullptr;
    auto *printer = new QPrinter(QPrinter::HighResolution);
    // Without a printer the preview still opens; its print button then
    // saves the page as PDF.
    if (QPrinterInfo::availablePrinters().isEmpty())
        printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageLayout(target->pageLayout());
    printer->setDocName(target->title());

    auto *dialog = new QPrintPreviewDialog(printer, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Print Preview"));
    // Large enough to read the page at once, within the screen.
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        dialog->resize(qMin(900, room.width() * 9 / 10), room.height() * 9 / 10);
    }
    connect(dialog, &QObject::destroyed, dialog, [printer] { delete printer; });
    connect(dialog, &QPrintPreviewDialog::paintRequested, dialog, [target](QPrinter *device) {
        QPainter painter;
        if (painter.begin(device))
            target->render(painter, device->resolution());
    });
    dialog->open();
    return dialog;
}

bool PrintPreview::writePdf(const ReportPage &page, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(PdfResolution);
        writer.setPageLayout(page.pageLayout());
        writer.setCreator(QStringLiteral("Daybrook Planner"));
        writer.setTitle(page.title());
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            if (error)
                *error = QStringLiteral("the PDF could not be started");
            return false;
        }
        page.render(painter, writer.resolution());
        painter.end();
    }
    if (file.error() != QFileDevice::NoError || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
