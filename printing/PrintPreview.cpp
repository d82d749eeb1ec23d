#include "printing/PrintPreview.h"

#include "store/Cursor.h"
#include "store/LocaleFormats.h"
#include "views/OccurrenceRules.h"
#include "store/OptionFields.h"
#include "store/OwnTableFiles.h"
#include "store/SafeFileWrite.h"
#include "store/TaskPadFilter.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int PdfResolution = 300;

} // namespace

PrintPreview::PrintPreview(TDataModule2 &data, QObject *parent)
    : QObject(parent)
    , m_data(data)
{
    choosePdfFile = [](QWidget *parent, const QString &suggested) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Export to PDF"), suggested,
                                            QStringLiteral("*.pdf"));
    };
    tellFailure = [](QWidget *parent, const QString &text) {
        QMessageBox::warning(parent, QStringLiteral("Print Preview"), text);
    };
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
    return PrintGeometry::paperFor(m_data.options().paperIsLetter());
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
        if (!mayFilter(n) || !ReportPage::isCalendarDate(first.addDays(n - 1)))
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
    const int view = folders.isOpen() ? folders.asInt(FolderListField::TaskPadView) : TaskPadFilter::firstView;
    const TaskPadFilter::Dates dates {request.view, request.now.date(), request.shownDate, request.weekFirstDate,
                                      request.monthFirstDate};
    if (tasks.setFilter(TaskPadFilter::text(view, dates))) {
        tasks.setFiltered(true);
        m_ownFilters[47] = tasks.filter();
    }
}

DayPrintBlocks PrintPreview::layOutDay(const QDate &date)
{
    const PrintGeometry g = PrintGeometry::forPaper(paper(), m_data.options().dailyPrintTaskPad());
    return DayPrintBlocks::layOut(m_data, date, g.W - g.T - TForm11::AppointmentLeft);
}

bool PrintPreview::prepare(const Request &request)
{
    OptionsRecord &options = m_data.options();
    const bool use24Hour = options.clock24Hour();
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
        m_weekly.setGeometry(paper(), options.weeklyPrintTaskPad());
        filterDays(7, request.weekFirstDate);
        if (m_weekly.geometry().T > 0)
            applyTaskPadView(request);
        m_weekly.drawBody(m_data, request.weekFirstDate, use24Hour);
        break;
    case View::Day:
        m_daily.setGeometry(paper(), options.dailyPrintTaskPad());
        if (m_daily.geometry().T > 0)
            applyTaskPadView(request);
        m_daily.drawBody(m_data, request.dayBlocks, request.shownDate, options.dailyPrintFrom(), use24Hour);
        break;
    case View::None:
        return false;
    }

    // The print date follows the "Delete items older than" switch, as it
    // always has on these pages.
    target->setPrintDate(printDateText(request.now, use24Hour), options.deleteOldItems());
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
    takeOverPrinting(dialog, printer, target);
    dialog->open();
    return dialog;
}

QByteArray PrintPreview::pdfOf(const ReportPage &page)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfResolution);
        writer.setPageLayout(page.pageLayout());
        writer.setCreator(QStringLiteral("Daybrook Planner"));
        writer.setTitle(page.title());
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        page.render(painter, writer.resolution());
        painter.end();
    }
    return bytes;
}

void PrintPreview::takeOverPrinting(QPrintPreviewDialog *dialog, QPrinter *printer, const ReportPage *page)
{
    // The dialog's own PDF export writes the file unchecked, straight over
    // whatever file was chosen; its print button goes through this instead.
    const QList<QAction *> actions = dialog->findChildren<QAction *>();
    const auto print = std::find_if(actions.cbegin(), actions.cend(),
                                    [](const QAction *action) { return action->text() == QLatin1String("Print"); });
    if (print == actions.cend())
        return;
    QObject::disconnect(*print, &QAction::triggered, dialog, nullptr);
    connect(*print, &QAction::triggered, dialog,
            [this, dialog, printer, page] { printFromPreview(dialog, printer, *page); });
}

void PrintPreview::printFromPreview(QPrintPreviewDialog *dialog, QPrinter *printer, const ReportPage &page)
{
    QString file;
    if (printer->outputFormat() == QPrinter::NativeFormat) {
        QPrintDialog chooser(printer, dialog);
        if (chooser.exec() != QDialog::Accepted)
            return;
        file = printer->outputFormat() == QPrinter::PdfFormat ? printer->outputFileName() : QString();
        if (file.isEmpty()) {
            if (auto *widget = dialog->findChild<QPrintPreviewWidget *>())
                widget->print();
            dialog->accept();
            return;
        }
    } else {
        file = choosePdfFile(dialog, printer->outputFileName());
        if (file.isEmpty())
            return;
        // A new file gets the suffix; one that exists is what was chosen.
        if (QFileInfo(file).suffix().isEmpty() && !QFileInfo::exists(file))
            file += QStringLiteral(".pdf");
    }
    // On a refusal or a failed write the preview stays open: the user may
    // choose another file.
    const QString own = OwnTableFiles::matching(OwnTableFiles::of(m_data), file);
    if (!own.isEmpty()) {
        tellFailure(dialog, OwnTableFiles::refusal(own));
        return;
    }
    if (const Outcome written = writePdf(page, file); !written) {
        tellFailure(dialog,
                    QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(file), written.error()));
        return;
    }
    printer->setOutputFileName(file);
    dialog->accept();
}

Outcome PrintPreview::writePdf(const ReportPage &page, const QString &path)
{
    // Made whole in memory first (a page is small), so the file is written
    // in one checked step and replaced only once all of it is on disk.
    const QByteArray pdf = pdfOf(page);
    if (pdf.isEmpty())
        return Outcome::failed(QStringLiteral("the PDF could not be started"));
    return SafeFileWrite::replace(path, pdf);
}
