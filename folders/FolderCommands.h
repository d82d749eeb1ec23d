#pragma once

#include "folders/FolderDialogs.h"
#include "folders/FolderSwitch.h"

#include <QObject>

class FolderList;
class TDataModule2;
class TForm7;
class QWidget;

// The folder commands of the main window: New Folder, New Calendar, Edit
// folder (double click), Delete folder (Delete key) and the switch on a
// click in the folder list.
class FolderCommands : public QObject
{
    Q_OBJECT
public:
    FolderCommands(TDataModule2 &dataModule, FolderList &list, TForm7 &editor, FolderSwitchHost host,
                   FolderDialogs dialogs, QWidget *window);

    FolderSwitch &folderSwitch() { return m_switch; }

    void newFolder();
    // Asks for a file and creates an empty calendar there; the folders list
    // is not changed. False when nothing was created.
    bool newCalendar();
    void editFolder();
    void deleteFolder();
    void folderClicked(qint64 folderId);

signals:
    void message(const QString &text);

private:
    QWidget *dialogParent() const;
    void editorPosted();
    void moveToLastRowWhenPastTheEnd();

    TDataModule2 &m_dm;
    FolderList &m_list;
    TForm7 &m_editor;
    FolderSwitch m_switch;
    FolderDialogs m_dialogs;
    QWidget *m_window;
};
