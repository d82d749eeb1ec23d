#pragma once

#include <QString>

#include <cstdint>

// Fills a calendar file with a repeatable mix of items over 2020-01-01 ..
// 2029-12-31, the way a long-used calendar looks:
//   80% one-date timed appointments (start 07:00..19:30, 30 to 90 minutes),
//    8% one-date all-day events,
//    7% multi-date items of 2 to 6 days (half all-day, half timed),
//    5% recurring series without end: every day, every weekday, weekly on
//       1 to 3 weekdays, monthly and yearly, in equal shares.
// About one item in five has a reminder. The same seed gives the same rows.
namespace ItemGenerator {

// Writes `count` items into the calendar file at path (which must exist and
// be empty) in one transaction, straight through SQLite in the documented
// file format. False with *error set when the file cannot be written.
bool fill(const QString &path, int count, std::uint64_t seed, QString *error);

// Sets up a complete data root at dir (options, folders list, default
// calendar) and fills its default calendar.
bool makeDataRoot(const QString &dir, int count, std::uint64_t seed, QString *error);

} // namespace ItemGenerator
