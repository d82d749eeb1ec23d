#pragma once

#include "store/DataRoot.h"
#include "store/Result.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CalendarPreload;
class QMessageBox;
class QWidget;
class TDataModule2;
class TForm1;

// The planner's life after the single-instance guard: the main window, the
// data module's start-up (which configures the window), showing the window,
// the other windows created hidden, and Exit.
class PlannerProgram : public QObject
{
    Q_OBJECT
public:
    using Part = std::function<void(PlannerProgram &)>;
    using MessageSink = std::function<void(const QString &)>;

    struct Settings
    {
        DataRoot root;
        // Asked whenever it matters; the desktop's own answer by default.
        std::function<bool()> trayAvailable;
        // Where messages for the user go; a message box by default (standard
        // error on a platform without a screen).
        MessageSink showMessage;
        // Without showMessage: runs the box a message gets (exec() by
        // default); a test looks at the box instead.
        std::function<void(QMessageBox &)> runMessageBox;
        // The calendar being read while the window is made (main() starts
        // it): start-up waits for it, then finds the file loaded.
        std::shared_ptr<CalendarPreload> preload;
    };

    explicit PlannerProgram(Settings settings);
    ~PlannerProgram() override;

    // Installed into the new main window before the data module starts (the
    // views, the folder list, the task pad), in the order added.
    void addMainWindowPart(Part part) { m_mainWindowParts.push_back(std::move(part)); }
    // Creates one of the windows that wait hidden until used (editors,
    // options, reminders, folder editor, about box, report layouts), in the
    // order added, after the main window is shown.
    void addHiddenWindow(Part part) { m_hiddenWindows.push_back(std::move(part)); }

    // Main window, data module start-up, show unless hidden at start, the
    // hidden windows. Fails, saying why, when the store could not start;
    // nothing is shown then.
    [[nodiscard]] Outcome start();

    // Exit: closes the calendar, the folders list and the options, then
    // announces that the program is over (main ends the event loop with 0).
    void exit();
    bool hasExited() const { return m_exited; }

    TForm1 &mainWindow() { return *m_mainWindow; }
    TDataModule2 &dataModule() { return *m_dataModule; }
    // A message raised by `window` (none: by the program itself) opens as
    // that window's child, above it.
    void showMessage(const QString &text, QWidget *window = nullptr) const;

    // The box for a message raised by `window`: its child, modal to it, and
    // on top where the window stays on top of all others, since a box
    // beneath such a window can neither be seen nor reached.
    static std::unique_ptr<QMessageBox> messageBoxFor(const QString &text, QWidget *window);

signals:
    void finished(int exitCode);

private:
    Settings m_settings;
    std::unique_ptr<TDataModule2> m_dataModule;
    std::unique_ptr<TForm1> m_mainWindow;
    std::vector<Part> m_mainWindowParts;
    std::vector<Part> m_hiddenWindows;
    bool m_exited = false;
};
