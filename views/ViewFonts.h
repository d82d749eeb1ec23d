#pragma once

#include <QFont>

// Fonts of the calendar views. The classic 8-point "MS Sans Serif" is an
// 11-pixel sans-serif face; where it is missing a metric-compatible free
// face stands in.
namespace ViewFonts {

QFont cellFont();      // item rows, block labels
QFont rulerHourFont(); // the large hour numbers of the time ruler (21 px)
QFont rulerSmallFont();

} // namespace ViewFonts
