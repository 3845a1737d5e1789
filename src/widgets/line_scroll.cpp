#include "widgets/line_scroll.h"

#include <algorithm>

int lineScrollMaximum(std::int64_t maxTop) {
    return static_cast<int>(std::clamp<std::int64_t>(maxTop, 0, kLineScrollMax));
}

int lineScrollValue(std::int64_t top, std::int64_t maxTop) {
    top = std::clamp<std::int64_t>(top, 0, std::max<std::int64_t>(maxTop, 0));
    if (maxTop <= kLineScrollMax)
        return static_cast<int>(top);
    // 128-bit product: line numbers reach 2^60 for the largest files.
    return static_cast<int>(static_cast<__int128>(top) * kLineScrollMax / maxTop);
}

std::int64_t lineAtScrollValue(int value, std::int64_t maxTop) {
    value = std::clamp(value, 0, lineScrollMaximum(maxTop));
    if (maxTop <= kLineScrollMax)
        return value;
    return static_cast<std::int64_t>(static_cast<__int128>(value) * maxTop / kLineScrollMax);
}
