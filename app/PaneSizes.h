#pragma once

// The size rules of the main window's panes and dividers. Pure functions, so
// the snapping can be checked without a window.
namespace PaneSizes {

constexpr int NavigatorMonthWidth = 194;  // one month of the navigator across
constexpr int NavigatorMonthHeight = 148; // one month of the navigator down
constexpr int CollapsedWidth = 1;         // a closed folder pane, the right pane in the month view
constexpr int FolderPaneMinimum = 100;    // an open folder pane is never narrower
constexpr int FolderPaneMaximum = 400;    // ...nor wider
constexpr int FolderDragMinimum = 30;     // the folder divider stops here while dragged

// Rounds a length to a whole number of units: a remainder below half a unit
// rounds down, otherwise up.
int snapToUnits(int length, int unit);

// Divider 2: the right pane holds whole navigator months across; a result of
// no month keeps a 1-pixel pane.
int snapRightPaneWidth(int proposedWidth);

// Divider 3: the navigator holds whole months down; no month hides it.
int snapNavigatorHeight(int proposedHeight);

// The navigator height shown for a stored one in `room` pixels: the
// stored height when it fits, else the whole months that do (none when not
// one does), so that the task pad below it stays on the screen.
int shownNavigatorHeight(int storedHeight, int room);

// Width of an open folder pane from the stored width (options "18").
int openFolderPaneWidth(int storedWidth);

// Divider 1: the width a drag proposes, kept inside what the pane can take.
int dragFolderPaneWidth(int proposedWidth);

} // namespace PaneSizes
