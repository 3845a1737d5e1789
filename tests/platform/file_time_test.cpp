#include "platform/file_time.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <string>

namespace {
qint64 localSeconds(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toSecsSinceEpoch();
}

TEST(FileTime, PacksTheClassicBitLayout) {
    // 2021-06-15 13:45:31: year 41, month 6, day 15; 13 h, 45 min, 31 s kept as 15 two-second
    // steps.
    const quint32 packed = packFileTime(localSeconds(2021, 6, 15, 13, 45, 31));
    EXPECT_EQ(packed >> 16, (41u << 9) | (6u << 5) | 15u);
    EXPECT_EQ(packed & 0xFFFF, (13u << 11) | (45u << 5) | 15u);
    EXPECT_EQ(packedDate(packed), QDate(2021, 6, 15));
    EXPECT_EQ(packedTime(packed), QTime(13, 45, 30));
    EXPECT_EQ(packFileTime(localSeconds(1980, 1, 1, 0, 0, 0)), 0x00210000u);
}

// Sets the process's time zone for one test and puts the old one back.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            old_ = old, hadOld_ = true;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneGuard() {
        if (hadOld_)
            ::setenv("TZ", old_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

void checkRoundTrips() {
    for (qint64 t = localSeconds(1980, 1, 1, 0, 0, 0); t < localSeconds(2107, 12, 31, 0, 0, 0);
         t += 86400 * 97 + 3671) {
        const quint32 packed = packFileTime(t);
        ASSERT_NE(packed, 0u) << t;
        EXPECT_EQ(unpackToFileTime(packed), t - (t % 2 != 0 ? 1 : 0)) << t;
        EXPECT_EQ(packed, packLocalDateTime(QDateTime::fromSecsSinceEpoch(t)));
        EXPECT_EQ(unpackFileTime(packed), QDateTime::fromSecsSinceEpoch(t - t % 2));
    }
}
} // namespace

TEST(FileTime, RoundTripsThroughLocalTimeInTwoSecondSteps) {
    checkRoundTrips();
    {
        // A zone with summer time: the hour is the local one on either side of the change.
        ZoneGuard zone("Europe/Berlin");
        checkRoundTrips();
        EXPECT_EQ(packedTime(packFileTime(1719835200)), QTime(14, 0)); // 2024-07-01 12:00 UTC
        EXPECT_EQ(packedTime(packFileTime(1704110400)), QTime(13, 0)); // 2024-01-01 12:00 UTC
    }
    EXPECT_EQ(packLocalDateTime(QDateTime::fromSecsSinceEpoch(1300000000, Qt::UTC)),
              packFileTime(1300000000));
}

TEST(FileTime, OutsideTheRangeOrInvalidGivesZero) {
    EXPECT_EQ(packFileTime(localSeconds(1979, 12, 31, 23, 59, 59)), 0u);
    EXPECT_NE(packFileTime(localSeconds(2107, 12, 31, 23, 59, 59)), 0u);
    EXPECT_EQ(packFileTime(localSeconds(2108, 1, 1, 0, 0, 0)), 0u);
    EXPECT_EQ(packFileTime(-1), 0u);
    EXPECT_EQ(packLocalDateTime(QDateTime()), 0u);

    EXPECT_FALSE(unpackFileTime(0).isValid());
    EXPECT_FALSE(packedDate(0).isValid());
    EXPECT_TRUE(packedTime(0).isValid()); // midnight
    EXPECT_EQ(unpackToFileTime(0), -1);
    // 30 February, and 24:00, are no valid date or time.
    const quint32 feb30 = ((20u << 9) | (2u << 5) | 30u) << 16;
    EXPECT_FALSE(packedDate(feb30).isValid());
    EXPECT_FALSE(packedTime(feb30 | (24u << 11)).isValid());
}

TEST(FileTime, CountsDaysFromTheEndOf1899) {
    EXPECT_EQ(dayNumber(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(dayNumber(QDate(1900, 1, 1)), 2);
    EXPECT_EQ(dayNumber(QDate(2000, 1, 1)), 36526);
    EXPECT_EQ(dayNumber(QDate(1899, 12, 1)), -29);
    EXPECT_EQ(fromDayNumber(36526), QDate(2000, 1, 1));
    EXPECT_EQ(fromDayNumber(dayNumber(QDate(2107, 3, 4))), QDate(2107, 3, 4));
}
