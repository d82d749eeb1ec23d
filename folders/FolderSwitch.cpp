#include "FolderSwitch.h"

#include "Cursor.h"
#include "Unit2.h"

#include <QFileInfo>

namespace {

const QString idField = QStringLiteral("1");
const QString nameField = QStringLiteral("2");
const QString pathField = QStringLiteral("3");
const QString fileField = QStringLiteral("4");
const QString viewField = QStringLiteral("7");
const QString taskPadViewField = QStringLiteral("8");

constexpr int activeFolderOption = 46;
constexpr int purgeOption = 52;

bool isView(int view)
{
    return view >= 1 && view <= 3;
}

} // namespace

FolderSwitch::FolderSwitch(TDataModule2 &dataModule, FolderSwitchHost host)
    : m_dm(dataModule)
    , m_host(std::move(host))
{
}

void FolderSwitch::call(const std::function<void(int)> &hook, int value) const
{
    if (hook)
        hook(value);
}

bool FolderSwitch::isActiveFolder()
{
    const QVariant active = m_dm.Table60().value(QString::number(activeFolderOption));
    return active.isValid() && active.toLongLong() == m_dm.Table61().currentId();
}

FolderSwitch::Result FolderSwitch::switchToCurrentFolder(bool reopenActive)
{
    Cursor &folders = m_dm.Table61();
    const qint64 folderId = folders.currentId();
    if (folderId == 0 || folders.state() != Cursor::State::Browse)
        return Result::AlreadyActive; // no posted row to switch to
    if (!reopenActive && isActiveFolder())                                                  // 1
        return Result::AlreadyActive;

    // The views hold on to rows of the calendar that is about to close.
    const int shownView = m_host.releaseView ? m_host.releaseView() : 0;                 // 2

    const QString file = TDataModule2::folderFilePath(folders.asText(pathField), folders.asText(fileField));
    const bool fileExists = QFileInfo(file).isFile();
    m_dm.openCalendarFolder();                                                              // 3
    if (fileExists && !m_dm.folderFileOpened()) {
        // A file that is no calendar (another program's, a damaged one) was
        // not touched and the data module said why; the program stays on
        // its calendar, and the folder keeps the file it names.
        returnToActiveFolder();
        call(m_host.showView, shownView);
        return Result::Refused;
    }

    if (!m_dm.options().change({{activeFolderOption, folderId}}))                           // 4
        emit m_dm.storeMessage(m_dm.Table60().lastError());
    m_dm.rewriteMissingFolderFile();                                                        // 5
    if (m_dm.options().boolField(purgeOption))                                              // 6
        m_dm.purgeOldItems();

    const int folderView = folders.asText(viewField).toInt();                               // 7
    call(m_host.showView, isView(folderView) ? folderView : shownView);
    call(m_host.showTaskPadView, folders.asText(taskPadViewField).toInt());                 // 8
    return Result::Switched;
}

void FolderSwitch::returnToActiveFolder()
{
    Cursor &folders = m_dm.Table61();
    const QVariant active = m_dm.Table60().value(QString::number(activeFolderOption));
    if (active.isValid())
        folders.locate(idField, active);
    if (m_host.showFolderName)
        m_host.showFolderName(folders.asText(nameField));
}
