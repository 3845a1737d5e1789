#include "widgets/line_scroll.h"

#include <gtest/gtest.h>

TEST(LineScroll, MapsAnyLineCountOntoTheBar) {
    for (const std::int64_t maxTop :
         {std::int64_t(0), std::int64_t(500), std::int64_t(kLineScrollMax),
          std::int64_t(kLineScrollMax) + 1, std::int64_t(1) << 40, std::int64_t(1) << 60}) {
        const int maximum = lineScrollMaximum(maxTop);
        EXPECT_EQ(lineScrollValue(maxTop, maxTop), maximum);
        EXPECT_EQ(lineAtScrollValue(maximum, maxTop), maxTop);
        EXPECT_EQ(lineAtScrollValue(0, maxTop), 0);
        std::int64_t previous = -1;
        for (std::int64_t top = 0; top <= maxTop; top += maxTop / 7 + 1) {
            const int value = lineScrollValue(top, maxTop);
            EXPECT_GE(value, 0);
            const auto back = lineAtScrollValue(value, maxTop);
            EXPECT_LE(back, top);
            EXPECT_LT(top - back, std::max<std::int64_t>(1, maxTop / kLineScrollMax + 1));
            EXPECT_GT(back, previous);
            previous = back;
        }
    }
}
