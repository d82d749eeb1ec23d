#pragma once

#include "store/TableSchema.h"

// Bytes a numeric field takes where rows are packed (the picture's rows and
// the records kept beside the candidate lists): dates (Julian days of years
// 1 to 9999) and times (ms of a day) fit 32 bits, booleans a byte; integers
// keep 64 bits so that every 32-bit value stays distinct from a blank.
inline int packedWidth(FieldType type)
{
    switch (type) {
    case FieldType::Boolean:
        return 1;
    case FieldType::Date:
    case FieldType::Time:
        return 4;
    default:
        return 8;
    }
}
