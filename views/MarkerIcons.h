#pragma once

#include <QImage>

// The small black pictures that mark an item with a reminder, a recurrence
// or both. They are drawn on a transparent ground (white is the transparent
// colour of the original pictures), so they sit on any row colour.
enum class Marker { None, Reminder, Recurrence, Both };

namespace MarkerIcons {

// Reminder alone, recurrence alone, both, or none when neither flag is true.
Marker markerFor(bool reminder, bool recurring);

// 16 x 14 for Reminder and Recurrence, 32 x 14 for Both, null for None.
QImage image(Marker marker);

// Width taken by the marker's picture: 0, 16 or 32.
int width(Marker marker);

} // namespace MarkerIcons
