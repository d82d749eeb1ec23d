#include "folders/FolderSwitch.h"

#include "store/Cursor.h"
#include "folders/FolderFields.h"
#include "store/OptionFields.h"
#include "store/Unit2.h"

#include <QFileInfo>

FolderSwitch::FolderSwitch(TDataModule2 &dataModule, FolderSwitchHost host)
    : m_dm(dataModule)
    , m_host(std::move(host))
{ }

void FolderSwitch::call(const std::function<void(int)> &hook, int value) const
{
    if (hook)
        hook(value);
}

bool FolderSwitch::isActiveFolder()
{
    const QVariant active = m_dm.options().activeFolder();
    return active.isValid() && active.toLongLong() == m_dm.Table61().currentId();
}

FolderSwitch::Result FolderSwitch::switchToCurrentFolder(bool reopenActive)
{
    Cursor &folders = m_dm.Table61();
    const qint64 folderId = folders.currentId();
    if (folderId == 0 || folders.state() != Cursor::State::Browse)
        return Result::AlreadyActive;      // no posted row to switch to
    if (!reopenActive && isActiveFolder()) // 1
        return Result::AlreadyActive;

    // The views hold on to rows of the calendar that is about to close.
    const int shownView = m_host.releaseView ? m_host.releaseView() : 0; // 2

    const bool fileExists = QFileInfo(m_dm.currentFolderFilePath()).isFile();
    // After a Delete the active folder may be gone, and with it the folder
    // whose calendar the cursors read: a file that is no calendar then
    // leaves nothing to stay on, so the default calendar opens in its place.
    const bool canStay = activeFolderListed();
    m_dm.openCalendarFolder(canStay ? TDataModule2::Unopenable::KeepCalendar // 3
                                    : TDataModule2::Unopenable::DefaultCalendar);
    if (fileExists && !m_dm.folderFileOpened() && canStay) {
        // A file that is no calendar (another program's, a damaged one) was
        // not touched and the data module said why; the program stays on
        // its calendar, and the folder keeps the file it names.
        returnToActiveFolder();
        call(m_host.showView, shownView);
        return Result::Refused;
    }

    if (!m_dm.options().change({{OptionField::ActiveFolder, folderId}})) // 4
        emit m_dm.storeMessage(m_dm.Table60().lastError());
    m_dm.rewriteMissingFolderFile();     // 5
    if (m_dm.options().deleteOldItems()) // 6
        m_dm.purgeOldItems();

    call(m_host.showView, FolderFields::view(folders));               // 7
    call(m_host.showTaskPadView, FolderFields::taskPadView(folders)); // 8
    return Result::Switched;
}

bool FolderSwitch::activeFolderListed()
{
    Cursor &folders = m_dm.Table61();
    const qint64 here = folders.currentId();
    const QVariant active = m_dm.options().activeFolder();
    const bool listed = active.isValid() && folders.locate(FolderListField::Id, active);
    folders.locate(FolderListField::Id, here);
    return listed;
}

void FolderSwitch::returnToActiveFolder()
{
    Cursor &folders = m_dm.Table61();
    const QVariant active = m_dm.options().activeFolder();
    if (active.isValid())
        folders.locate(FolderListField::Id, active);
    if (m_host.showFolderName)
        m_host.showFolderName(folders.asText(FolderListField::Name));
}
