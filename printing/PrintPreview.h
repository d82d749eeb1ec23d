#pragma once

#include "printing/DayPrintBlocks.h"
#include "printing/Unit10.h"
#include "printing/Unit11.h"
#include "store/Result.h"
#include "store/Unit2.h"
#include "printing/Unit9.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QPrintPreviewDialog;
class QPrinter;
class QWidget;

// The print flow: Print Preview prepares the page of the view that is
// shown (paper, body, print date, title), and the deferred preview opens a
// preview window of that one page, from which it can be printed or saved
// as PDF. The three pages are created once and kept, with their bodies.
class PrintPreview : public QObject
{
    Q_OBJECT
public:
    using View = DataModuleHost::View;

    // What the main window knows at the moment of Print Preview.
    struct Request
    {
        View view = View::None;
        QDate shownDate;      // the date navigator's date
        QString title;        // the view caption of the title strip
        QDate weekFirstDate;  // the week view's Monday
        QDate monthFirstDate; // the month view's first cell
        DayPrintBlocks dayBlocks;
        QDateTime now; // for the print date
    };

    explicit PrintPreview(TDataModule2 &data, QObject *parent = nullptr);
    ~PrintPreview() override;

    // PrintPreview1Click up to the timer: prepares the page of the view.
    // False when no view is shown (nothing to print).
    bool prepare(const Request &request);

    // Timer1Timer: a preview window of the page of the view shown now,
    // modal to the parent, deleted when closed. Null when no view is shown.
    QPrintPreviewDialog *openPreview(View view, QWidget *parent);

    ReportPage *page(View view);
    TForm9 &monthly() { return m_monthly; }
    TForm10 &weekly() { return m_weekly; }
    TForm11 &daily() { return m_daily; }

    // The day's blocks laid out afresh in a grid as wide as the printed
    // appointment column, for a page printed without the day view.
    DayPrintBlocks layOutDay(const QDate &date);

    // The print date: short date, a space, the time ("hh:mm" on the
    // 24-hour clock, else "h:mm AM").
    static QString printDateText(const QDateTime &now, bool use24Hour);

    // Writes the page as a one-page PDF. The file appears complete or not
    // at all, and a file it would replace stays as it was on any failure;
    // fails with the system's message when it cannot be written.
    static Outcome writePdf(const ReportPage &page, const QString &path);

    // The preview window's file dialog for "Export to PDF" and its message
    // when the file cannot be written; tests replace them.
    std::function<QString(QWidget *parent, const QString &suggested)> choosePdfFile;
    std::function<void(QWidget *parent, const QString &text)> tellFailure;

private:
    static QByteArray pdfOf(const ReportPage &page);
    void takeOverPrinting(QPrintPreviewDialog *dialog, QPrinter *printer, const ReportPage *page);
    void printFromPreview(QPrintPreviewDialog *dialog, QPrinter *printer, const ReportPage &page);
    PrintGeometry::Paper paper() const;
    bool mayFilter(int number) const;
    void filterDays(int count, const QDate &first);
    void applyTaskPadView(const Request &request);

    TDataModule2 &m_data;
    // By cursor number: the filter the last page set, if any. A cursor whose
    // filter is unset or still this one has not been filtered by its view.
    std::array<QString, 48> m_ownFilters;
    TForm9 m_monthly;
    TForm10 m_weekly;
    TForm11 m_daily;
};
