#pragma once

#include <QStringList>

class OptionsRecord;

// The display names of the eleven event types (0..10), in type order, as the
// iCalendar import and export map CATEGORIES to types.
QStringList typeNames(const OptionsRecord &options);
