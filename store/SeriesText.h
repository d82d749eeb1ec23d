#pragma once

#include <QString>

class SeriesOccurrences;

// A series in a few words for a list of items, e.g. "Every week on Monday
// and Thursday, from 3/2/2020" or "Every month on the last Friday, from
// 1/31/2025, 10 times". Dates follow the locale, as every date a person reads.
namespace SeriesText {

QString describe(const SeriesOccurrences &series);

} // namespace SeriesText
