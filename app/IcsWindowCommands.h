#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class QWidget;

// "Import iCalendar..." and "Export iCalendar..." of the File menu: the
// file dialogs, a progress dialog that can cancel, the question when some
// items cannot be stored, and the closing summary.
class IcsWindowCommands : public QObject
{
    Q_OBJECT
public:
    // What the commands need from the program, and the dialogs they show;
    // tests replace the dialogs.
    struct Hooks
    {
        std::function<QString()> calendarPath;               // the active calendar file
        std::function<QStringList()> ownTableFiles;          // files an export must not overwrite
        std::function<QStringList()> typeNames;              // types 0..10
        std::function<void()> calendarChanged;               // after an import: re-read and rebuild
        std::function<void(const QList<qint64> &)> imported; // ... then the rows it added, as one step to undo
        std::function<QString(QWidget *, const QString &dir)> chooseImportFile;
        std::function<QString(QWidget *, const QString &suggested)> chooseExportFile;
        std::function<bool(QWidget *, const QString &question)> ask;
        std::function<void(QWidget *, const QString &text, bool failure)> tell;
    };

    IcsWindowCommands(QWidget *window, Hooks hooks, QObject *parent = nullptr);

    // The real dialogs for the hooks a caller left empty.
    static void fillStandardDialogs(Hooks &hooks);

public slots:
    void importCalendar();
    void exportCalendar();

private:
    std::function<bool(int, int)> progressFor(const QString &label, std::unique_ptr<class QProgressDialog> &dialog);

    QWidget *m_window;
    Hooks m_hooks;
    QString m_lastDirectory;
};
