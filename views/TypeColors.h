#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The fixed colour of each event type (item field `T`, 0..10) and the small
// swatch that stands for a type in lists and menus.
namespace TypeColors {

constexpr int typeCount = 11;

// Row colour of type t. A type outside 0..10 (never written by the program)
// is painted like type 0.
QColor color(int type);

// 16 x 16 swatch on white: a 15 x 15 square, black one-pixel outline,
// filled with the type's colour (type 0 with a light grey so it shows).
QPixmap swatch(int type);
QIcon swatchIcon(int type);

} // namespace TypeColors
