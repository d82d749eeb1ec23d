#include "folders/FolderCommands.h"

#include "store/Cursor.h"
#include "folders/FolderList.h"
#include "store/OptionFields.h"
#include "store/TableFile.h"
#include "store/Unit2.h"
#include "folders/Unit7.h"

#include <QFileInfo>

FolderCommands::FolderCommands(TDataModule2 &dataModule, FolderList &list, TForm7 &editor, FolderSwitchHost host,
                               FolderDialogs dialogs, QWidget *window)
    : QObject(window)
    , m_dm(dataModule)
    , m_list(list)
    , m_editor(editor)
    , m_switch(dataModule, std::move(host))
    , m_dialogs(std::move(dialogs))
    , m_window(window)
{
    connect(&m_list, &FolderList::folderClicked, this, &FolderCommands::folderClicked);
    connect(&m_list, &FolderList::editRequested, this, &FolderCommands::editFolder);
    connect(&m_list, &FolderList::deleteRequested, this, &FolderCommands::deleteFolder);
    connect(&m_editor, &TForm7::newCalendarRequested, this, [this] { newCalendar(); });
    connect(&m_editor, &TForm7::posted, this, &FolderCommands::editorPosted);
    connect(&m_editor, &TForm7::cancelled, &m_list, &FolderList::reload);
    connect(&m_editor, &TForm7::storeError, this, &FolderCommands::message);
}

QWidget *FolderCommands::dialogParent() const
{
    return m_editor.isVisible() ? static_cast<QWidget *>(&m_editor) : m_window;
}

void FolderCommands::newFolder()
{
    Cursor &folders = m_dm.Table61();
    if (!folders.isOpen() || folders.state() != Cursor::State::Browse)
        return;
    folders.insert();
    FolderListField::setNewFolderView(folders);
    m_list.reload(); // one row taller, so the new row shows
    m_editor.editCurrentRow();
}

bool FolderCommands::newCalendar()
{
    QWidget *parent = dialogParent();
    // The program's own directory, where the default calendar lives too.
    const QString startDir = m_dm.root().programDir();
    QString chosen = m_dialogs.chooseNewCalendarFile ? m_dialogs.chooseNewCalendarFile(parent, startDir) : QString();
    if (chosen.isEmpty())
        return false;
    // Every calendar file ends in ".db"; a name typed without it gets it.
    if (!chosen.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        chosen += QLatin1String(".db");
    const QFileInfo file(chosen);
    const QString dir = file.absolutePath() + QLatin1Char('/');
    const QString name = file.fileName();
    if (TableFile::exists(dir + name)) {
        const auto answer = m_dialogs.confirm
            ? m_dialogs.confirm(parent, QStringLiteral("Overwrite existing calendar ") + name + QLatin1Char('?'))
            : QMessageBox::Cancel;
        if (answer != QMessageBox::Yes)
            return false;
    }
    // A failure is told by the data module ("The calendar file is in use").
    return m_dm.createCalendarTable(dir, name);
}

void FolderCommands::editFolder()
{
    Cursor &folders = m_dm.Table61();
    if (!folders.isOpen() || folders.state() != Cursor::State::Browse)
        return;
    if (!folders.edit()) {
        emit message(folders.lastError());
        return;
    }
    m_editor.editCurrentRow();
}

void FolderCommands::editorPosted()
{
    m_list.reload();
    m_switch.switchToCurrentFolder(true);
    m_list.reload();
}

void FolderCommands::deleteFolder()
{
    Cursor &folders = m_dm.Table61();
    // The last folder stays: the program always has a calendar to show.
    if (!folders.isOpen() || folders.state() != Cursor::State::Browse || folders.recordCount() <= 1)
        return;
    if (!folders.deleteRow()) {
        emit message(folders.lastError());
        return;
    }
    moveToLastRowWhenPastTheEnd();
    m_list.reload();
    m_switch.switchToCurrentFolder();
    m_list.reload();
}

void FolderCommands::moveToLastRowWhenPastTheEnd()
{
    Cursor &folders = m_dm.Table61();
    if (!folders.eof())
        return;
    folders.first();
    for (int row = 1; row < folders.recordCount(); ++row)
        folders.next();
}

void FolderCommands::folderClicked(qint64 folderId)
{
    Cursor &folders = m_dm.Table61();
    if (!folders.isOpen() || folders.state() != Cursor::State::Browse)
        return;
    if (!folders.locate(FolderListField::Id, folderId))
        return;
    m_list.update();
    m_switch.switchToCurrentFolder();
    m_list.reload();
}
