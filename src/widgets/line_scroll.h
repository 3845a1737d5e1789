#pragma once

#include <cstdint>

// A scroll bar's int range for a 64-bit top line. Up to kLineScrollMax the bar's value is the
// top line itself; beyond, the value is the top line's fraction of the lines, scaled onto
// 0 ... kLineScrollMax, so the bar's ends stay the first and the last top line.
constexpr int kLineScrollMax = 1 << 30;

// The bar's maximum for top lines 0 ... `maxTop`.
int lineScrollMaximum(std::int64_t maxTop);
// The bar's value for top line `top`.
int lineScrollValue(std::int64_t top, std::int64_t maxTop);
// The top line for the bar's value.
std::int64_t lineAtScrollValue(int value, std::int64_t maxTop);
