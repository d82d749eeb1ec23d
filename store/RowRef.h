#pragma once

#include <QtGlobal>

#include <vector>

// A visible row of a cursor: its id, and the slot where the table keeps its
// fields, so that moving to the row reads its fields without looking the id
// up. A slot stays the row's until the row is deleted, and a deleted row
// leaves every cursor's list at once, so the two never disagree.
struct RowRef
{
    qint64 id = 0;
    int slot = -1;
};

using RowList = std::vector<RowRef>;
