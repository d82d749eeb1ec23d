#pragma once

#include "store/OptionFields.h"

class Cursor;
class QVariant;

// The view settings a folders row keeps for its folder: right pane width
// ("5"), navigator height ("6"), last view ("7") and task pad view ("8").
// Other programs may write the row, so each is read through one rule: a
// value the planner itself never writes (out of range, blank, or text in a
// number field) reads as the value a new folder starts with.
namespace FolderFields {

// Six months down fill the tallest screen in common use; a taller stored
// height can only come from elsewhere.
constexpr int MaxNavigatorHeight = 6 * FolderListField::DefaultNavigatorHeight;
// Wider than any desktop of screens side by side.
constexpr int MaxRightPaneWidth = 40 * FolderListField::DefaultRightPaneWidth;

int rightPaneWidth(const QVariant &stored);  // 1..MaxRightPaneWidth
int navigatorHeight(const QVariant &stored); // 0..MaxNavigatorHeight
int view(const QVariant &stored);            // 1 day, 2 week, 3 month
int taskPadView(const QVariant &stored);     // 1..5

// The same rules on the current row of the folders cursor; the defaults
// when it is closed or has no row.
int rightPaneWidth(const Cursor &folders);
int navigatorHeight(const Cursor &folders);
int view(const Cursor &folders);
int taskPadView(const Cursor &folders);

} // namespace FolderFields
