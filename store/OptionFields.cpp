#include "store/OptionFields.h"

#include "store/Cursor.h"

namespace FolderListField {

void setNewFolderView(Cursor &folders)
{
    folders.setValue(RightPaneWidth, DefaultRightPaneWidth);
    folders.setValue(NavigatorHeight, DefaultNavigatorHeight);
    folders.setValue(View, DefaultView);
    folders.setValue(TaskPadView, DefaultTaskPadView);
}

} // namespace FolderListField
