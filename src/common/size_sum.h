#pragma once

#include <QtGlobal>
#include <limits>

// Adds a file size to a sum of sizes. A file system may report sparse files of up to 8 EiB
// each (a memory file system does), so a sum of a few of them would pass the 64-bit range:
// the sum stops at the largest value instead of wrapping round to a negative one.
inline qint64 addSize(qint64 sum, qint64 size) {
    qint64 out = 0;
    if (__builtin_add_overflow(sum, size, &out))
        return size > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return out;
}
