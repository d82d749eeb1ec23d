#include "resources/DaybrookResources.h"
#include "tests/support/FullDisk.h"
#include "printing/PrintPreview.h"
#include "app/PlannerProgram.h"
#include "app/ShortcutBar.h"
#include "app/Subsystems.h"
#include "tests/support/TestSupport.h"
#include "app/Unit1.h"
#include "store/Unit2.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QToolButton>
#include <QtTest>

#include <memory>

// Print Preview driven through the main window as a user does it: the
// "Preview" button prepares the page at once and opens the preview half a
// second later, for the view shown at that moment.
class TestPrintPreviewFlow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void previewButtonOpensThePageOfTheView_data();
    void previewButtonOpensThePageOfTheView();
    void previewWaitsHalfASecond();
    void exportToPdfFromThePreview_data();
    void exportToPdfFromThePreview();

private:
    QPrintPreviewDialog *openDialog() const;

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<PlannerProgram> m_program;
};

void TestPrintPreviewFlow::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
}

void TestPrintPreviewFlow::init()
{
    m_home = std::make_unique<TempHome>();
    PlannerProgram::Settings settings;
    settings.root = DataRoot(m_home->path());
    settings.trayAvailable = [] { return false; };
    settings.showMessage = [](const QString &text) { qWarning("%s", qPrintable(text)); };
    m_program = std::make_unique<PlannerProgram>(std::move(settings));
    installSubsystems(*m_program);
    QVERIFY(m_program->start());
}

void TestPrintPreviewFlow::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QPrintPreviewDialog *>(w))
            w->close();
    m_program.reset();
    m_home.reset();
}

QPrintPreviewDialog *TestPrintPreviewFlow::openDialog() const
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

void TestPrintPreviewFlow::previewButtonOpensThePageOfTheView_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("orientation");
    QTest::newRow("day") << int(TForm1::View::Day) << int(QPageLayout::Portrait);
    QTest::newRow("week") << int(TForm1::View::Week) << int(QPageLayout::Portrait);
    QTest::newRow("month") << int(TForm1::View::Month) << int(QPageLayout::Landscape);
}

void TestPrintPreviewFlow::previewButtonOpensThePageOfTheView()
{
    QFETCH(int, view);
    QFETCH(int, orientation);
    TForm1 &form = m_program->mainWindow();
    form.showView(static_cast<TForm1::View>(view));
    form.shortcutBar()->previewButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(openDialog() != nullptr, 5000);
    QPrintPreviewDialog *dialog = openDialog();
    QCOMPARE(dialog->printer()->pageLayout().orientation(), QPageLayout::Orientation(orientation));
    QCOMPARE(dialog->printer()->docName(), form.dateCaption());
    auto *preview = dialog->findChild<QPrintPreviewWidget *>();
    QVERIFY(preview);
    QCOMPARE(preview->pageCount(), 1);
}

void TestPrintPreviewFlow::previewWaitsHalfASecond()
{
    TForm1 &form = m_program->mainWindow();
    form.showView(TForm1::View::Day);
    emit form.printPreviewRequested();
    QTest::qWait(250);
    QVERIFY(!openDialog());
    // The view shown when the timer fires decides the page.
    form.showView(TForm1::View::Month);
    QTRY_VERIFY_WITH_TIMEOUT(openDialog() != nullptr, 5000);
    QCOMPARE(openDialog()->printer()->pageLayout().orientation(), QPageLayout::Landscape);
}

void TestPrintPreviewFlow::exportToPdfFromThePreview_data()
{
    QTest::addColumn<QString>("target");  // below the data root, or "full device"
    QTest::addColumn<QString>("message"); // %1: the target's path
    QTest::newRow("a new file") << "page.pdf"
                                << "";
    QTest::newRow("the options table") << "Data/options.db"
                                       << "\"%1\" is one of the planner's own table files; choose another file.";
    QTest::newRow("a full device") << "full device"
                                   << "Cannot write \"%1\": No space left on device";
}

// The preview's print button on a machine without a printer exports the
// page as PDF through the same checked write as the print command: a
// refusal or a failed write is said, the preview stays open and an
// earlier file keeps its content.
void TestPrintPreviewFlow::exportToPdfFromThePreview()
{
    QFETCH(QString, target);
    QFETCH(QString, message);
    QTemporaryDir devices;
    const QString path = target == QLatin1String("full device") ? FullDisk::device(devices) : m_home->path() + target;
    if (path.isEmpty())
        QSKIP("making a device node needs root");
    const bool isFile = QFileInfo(path).isFile();
    QByteArray before;
    if (isFile) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        before = file.readAll();
    }

    TForm1 &form = m_program->mainWindow();
    auto *preview = form.findChild<PrintPreview *>();
    QVERIFY(preview);
    preview->choosePdfFile = [&path](QWidget *, const QString &) { return path; };
    QString told;
    preview->tellFailure = [&told](QWidget *, const QString &text) { told = text; };

    form.showView(TForm1::View::Month);
    form.shortcutBar()->previewButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(openDialog() != nullptr, 5000);
    QPrintPreviewDialog *dialog = openDialog();
    if (dialog->printer()->outputFormat() != QPrinter::PdfFormat)
        QSKIP("a printer is installed: the print button prints");
    QAction *print = nullptr;
    for (QAction *action : dialog->findChildren<QAction *>())
        if (action->text() == QLatin1String("Print"))
            print = action;
    QVERIFY(print);
    print->trigger();

    QCOMPARE(told, message.isEmpty() ? QString() : message.arg(QDir::toNativeSeparators(path)));
    QCOMPARE(dialog->isVisible(), !message.isEmpty());
    QFile file(path);
    if (message.isEmpty()) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("%PDF-"));
    } else if (isFile) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    } else {
        QVERIFY(!QFileInfo(path).isFile()); // still the device
    }
}

QTEST_MAIN(TestPrintPreviewFlow)
#include "test_print_preview_flow.moc"
