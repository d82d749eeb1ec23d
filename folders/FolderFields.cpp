#include "folders/FolderFields.h"

#include "store/Cursor.h"
#include "store/OptionFields.h"

#include <QVariant>

namespace FolderFields {

namespace {

// The whole number stored, when it is one within [lowest, highest].
int inRange(const QVariant &stored, int lowest, int highest, int fallback)
{
    if (!stored.isValid() || stored.isNull())
        return fallback;
    bool ok = false;
    const qlonglong number =
        stored.typeId() == QMetaType::QString ? stored.toString().trimmed().toLongLong(&ok) : stored.toLongLong(&ok);
    if (!ok || number < lowest || number > highest)
        return fallback;
    return int(number);
}

QVariant field(const Cursor &folders, const QString &name)
{
    if (!folders.isOpen() || folders.eof())
        return QVariant();
    return folders.value(name);
}

} // namespace

int rightPaneWidth(const QVariant &stored)
{
    return inRange(stored, 1, MaxRightPaneWidth, FolderListField::DefaultRightPaneWidth);
}

int navigatorHeight(const QVariant &stored)
{
    return inRange(stored, 0, MaxNavigatorHeight, FolderListField::DefaultNavigatorHeight);
}

int view(const QVariant &stored)
{
    return inRange(stored, 1, 3, FolderListField::DefaultView);
}

int taskPadView(const QVariant &stored)
{
    return inRange(stored, 1, 5, FolderListField::DefaultTaskPadView);
}

int rightPaneWidth(const Cursor &folders)
{
    return rightPaneWidth(field(folders, FolderListField::RightPaneWidth));
}

int navigatorHeight(const Cursor &folders)
{
    return navigatorHeight(field(folders, FolderListField::NavigatorHeight));
}

int view(const Cursor &folders)
{
    return view(field(folders, FolderListField::View));
}

int taskPadView(const Cursor &folders)
{
    return taskPadView(field(folders, FolderListField::TaskPadView));
}

} // namespace FolderFields
