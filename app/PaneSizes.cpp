#include "app/PaneSizes.h"

#include <algorithm>

namespace PaneSizes {

int snapToUnits(int length, int unit)
{
    if (length <= 0)
        return 0;
    const int whole = length / unit;
    const int remainder = length % unit;
    return (remainder * 2 < unit ? whole : whole + 1) * unit;
}

int snapRightPaneWidth(int proposedWidth)
{
    return std::max(snapToUnits(proposedWidth, NavigatorMonthWidth), CollapsedWidth);
}

int snapNavigatorHeight(int proposedHeight)
{
    return snapToUnits(proposedHeight, NavigatorMonthHeight);
}

int shownNavigatorHeight(int storedHeight, int room)
{
    if (storedHeight <= room)
        return storedHeight;
    return std::max(room, 0) / NavigatorMonthHeight * NavigatorMonthHeight;
}

int openFolderPaneWidth(int storedWidth)
{
    return std::clamp(storedWidth, FolderPaneMinimum, FolderPaneMaximum);
}

int dragFolderPaneWidth(int proposedWidth)
{
    return std::clamp(proposedWidth, FolderDragMinimum, FolderPaneMaximum);
}

} // namespace PaneSizes
