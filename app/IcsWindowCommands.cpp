#include "app/IcsWindowCommands.h"

#include "ical/IcsTransfer.h"

#include "store/Clock.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>

#include <memory>

namespace {

const QString filter = QStringLiteral("iCalendar files (*.ics)");

} // namespace

IcsWindowCommands::IcsWindowCommands(QWidget *window, Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_hooks(std::move(hooks))
    , m_lastDirectory(QDir::homePath())
{
    fillStandardDialogs(m_hooks);
}

void IcsWindowCommands::fillStandardDialogs(Hooks &hooks)
{
    if (!hooks.chooseImportFile)
        hooks.chooseImportFile = [](QWidget *parent, const QString &dir) {
            return QFileDialog::getOpenFileName(parent, QStringLiteral("Import iCalendar"), dir, filter);
        };
    if (!hooks.chooseExportFile)
        hooks.chooseExportFile = [](QWidget *parent, const QString &suggested) {
            return QFileDialog::getSaveFileName(parent, QStringLiteral("Export iCalendar"), suggested, filter);
        };
    if (!hooks.ask)
        hooks.ask = [](QWidget *parent, const QString &question) {
            return QMessageBox::question(parent, QStringLiteral("Import iCalendar"), question,
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                == QMessageBox::Yes;
        };
    if (!hooks.tell)
        hooks.tell = [](QWidget *parent, const QString &text, bool failure) {
            if (failure)
                QMessageBox::warning(parent, QStringLiteral("Daybrook Planner"), text);
            else
                QMessageBox::information(parent, QStringLiteral("Daybrook Planner"), text);
        };
}

// A progress dialog shown at once (reading a large file takes a while
// before the first item is known), which keeps the window painting
// meanwhile; the callback says whether to go on.
std::function<bool(int, int)> IcsWindowCommands::progressFor(const QString &label,
                                                             std::unique_ptr<QProgressDialog> &dialog)
{
    dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Cancel"), 0, 0, m_window);
    dialog->setWindowTitle(QStringLiteral("Daybrook Planner"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(0);
    dialog->show();
    QApplication::processEvents();
    QProgressDialog *shown = dialog.get();
    return [shown](int done, int total) {
        shown->setMaximum(total);
        shown->setValue(done);
        QApplication::processEvents();
        return !shown->wasCanceled();
    };
}

void IcsWindowCommands::importCalendar()
{
    const QString file = m_hooks.chooseImportFile(m_window, m_lastDirectory);
    if (file.isEmpty())
        return;
    m_lastDirectory = QFileInfo(file).absolutePath();
    const QString calendar = m_hooks.calendarPath();
    const QStringList names = m_hooks.typeNames();

    std::unique_ptr<QProgressDialog> dialog;
    auto progress = progressFor(QStringLiteral("Importing %1...").arg(QFileInfo(file).fileName()), dialog);
    IcsTransfer::ImportResult result = IcsTransfer::importFile(calendar, file, names, Clock::today(), false, progress);
    if (result.needsConsent) {
        dialog.reset();
        const QString question =
            QStringLiteral("%1 cannot be stored:\n\n%2\n\nImport the other items without them?")
                .arg(result.unstorable.size() == 1
                         ? QStringLiteral("1 item")
                         : QStringLiteral("%1 items").arg(QLocale().toString(result.unstorable.size())),
                     IcsTransfer::firstFew(result.unstorable, QStringLiteral("\n")));
        if (!m_hooks.ask(m_window, question)) {
            m_hooks.tell(m_window, QStringLiteral("Nothing was imported."), false);
            return;
        }
        progress = progressFor(QStringLiteral("Importing %1...").arg(QFileInfo(file).fileName()), dialog);
        result = IcsTransfer::importFile(calendar, file, names, Clock::today(), true, progress);
    }
    dialog.reset();
    if (result.ok && m_hooks.calendarChanged)
        m_hooks.calendarChanged();
    if (result.ok && m_hooks.imported)
        m_hooks.imported(result.inserted);
    m_hooks.tell(m_window, result.message, !result.ok && !result.cancelled);
}

void IcsWindowCommands::exportCalendar()
{
    const QString calendar = m_hooks.calendarPath();
    const QString suggested =
        QDir(m_lastDirectory).filePath(QFileInfo(calendar).completeBaseName() + QStringLiteral(".ics"));
    QString file = m_hooks.chooseExportFile(m_window, suggested);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".ics");
    m_lastDirectory = QFileInfo(file).absolutePath();

    std::unique_ptr<QProgressDialog> dialog;
    const auto progress = progressFor(QStringLiteral("Exporting to %1...").arg(QFileInfo(file).fileName()), dialog);
    const QStringList ownFiles = m_hooks.ownTableFiles ? m_hooks.ownTableFiles() : QStringList();
    const IcsTransfer::ExportResult result =
        IcsTransfer::exportFile(calendar, file, m_hooks.typeNames(), {}, {}, progress, ownFiles);
    dialog.reset();
    m_hooks.tell(m_window, result.message, !result.ok && !result.cancelled);
}
