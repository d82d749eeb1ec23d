#pragma once

#include <QtGlobal>

#include <vector>

// What changed in a table file since the last announcement: the ids of the
// rows that were inserted, updated or deleted, or the whole file when it was
// read anew (another program wrote it) and any row may have come, changed
// or gone.
struct TableChange
{
    std::vector<qint64> ids; // ascending, each once; empty with wholeFile
    bool wholeFile = false;
};
