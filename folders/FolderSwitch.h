#pragma once

#include <QString>

#include <functional>

class TDataModule2;

// What the main window does for a folder switch. Views are numbered as the
// folders list stores them: 1 day, 2 week, 3 month, 0 none.
struct FolderSwitchHost
{
    // The current view lets go of the calendar's rows (the day view drops
    // its blocks) and stops being current; returns the view it was.
    std::function<int()> releaseView;
    // Shows (and so builds) the view, exactly as the user choosing it; 0 shows none.
    std::function<void(int view)> showView;
    // Chooses the task pad view 1..5.
    std::function<void(int taskPadView)> showTaskPadView;
    // The folder name in the main window's title strip.
    std::function<void(const QString &name)> showFolderName;
};

// Makes the folder of the current Table61 row the active calendar: its
// calendar opened (or the default calendar for a missing file), options
// "46" set to it, a missing file rewritten to the default calendar, old
// items purged when options "52" says so, and the folder's own view and
// task pad view restored.
class FolderSwitch
{
public:
    enum class Result {
        AlreadyActive, // the folder was active already: nothing was done
        Switched,
        Refused, // its file is no calendar: the active calendar stays, Table61 is back on its row
                 // (when the active folder was just deleted, the folder becomes active on the
                 // default calendar instead, and the result is Switched)
    };

    FolderSwitch(TDataModule2 &dataModule, FolderSwitchHost host);

    // reopenActive: switch even when the row is the active folder (after
    // "OK" in "Edit Folder", so that a changed path or file takes effect).
    Result switchToCurrentFolder(bool reopenActive = false);

private:
    bool isActiveFolder();
    // Whether the row options "46" names is still in the folders list; the
    // current row stays where it is.
    bool activeFolderListed();
    void returnToActiveFolder();
    void call(const std::function<void(int)> &hook, int value) const;

    TDataModule2 &m_dm;
    FolderSwitchHost m_host;
};
