#include "stats/stat_tallies.h"

#include <QTimeZone>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>

namespace {

const QDateTime kNow(QDate(2026, 6, 15), QTime(12, 0));

StatTallies::File fileOf(const char* name, qint64 size, unsigned attributes = 0x20) {
    StatTallies::File f;
    f.name = name;
    f.nameLength = int(strlen(name));
    f.size = size;
    f.attributes = attributes;
    f.accessTime = f.creationTime = f.writeTime = kNow.toSecsSinceEpoch();
    return f;
}

qint64 at(int daysFromToday, QTime time = QTime(12, 0)) {
    return QDateTime(kNow.date().addDays(daysFromToday), time).toSecsSinceEpoch();
}

TEST(StatTallies, SizesAndOverhangAtTheirBoundaries) {
    struct Case {
        qint64 size;
        int bucket;
        std::array<qint64, 5> overhang;
    };
    const qint64 tb = qint64(1) << 40;
    const Case cases[] = {
        {0, 1, {0, 0, 0, 0, 0}},
        {1, 1, {4095, 8191, 16383, 32767, 65535}},
        {4096, 1, {0, 4096, 12288, 28672, 61440}},
        {16384, 1, {0, 0, 0, 16384, 49152}},
        {16385, 2, {4095, 8191, 16383, 16383, 49151}},
        {16777216, 8, {0, 0, 0, 0, 0}},
        {16777217, 9, {4095, 8191, 16383, 32767, 65535}},
        // A 3 GB file is large, not small: sizes are 64-bit.
        {qint64(3) << 30, 9, {0, 0, 0, 0, 0}},
        {tb + 1, 9, {4095, 8191, 16383, 32767, 65535}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        StatTallies t;
        t.clearVariables(kNow);
        t.crunchNumbers(fileOf("f.dat", c.size));
        for (int b = 1; b <= 9; ++b)
            EXPECT_EQ(t.sizes[size_t(b)].count, b == c.bucket ? 1 : 0) << b;
        EXPECT_EQ(t.sizes[size_t(c.bucket)].bytes, c.size);
        EXPECT_EQ(t.overhang, c.overhang);
        EXPECT_EQ(t.totalBytes, c.size);
    }
}

TEST(StatTallies, SumsPassTheThirtyTwoBitRange) {
    StatTallies t;
    t.clearVariables(kNow);
    for (int i = 0; i < 3; ++i)
        t.crunchNumbers(fileOf("big.iso", (qint64(1) << 40) + 1));
    EXPECT_EQ(t.totalBytes, 3 * ((qint64(1) << 40) + 1));
    EXPECT_EQ(t.overhang[0], 3 * 4095);
    ASSERT_EQ(t.types().size(), 1u);
    EXPECT_EQ(t.types()[0].tally.bytes, t.totalBytes);

    // Sparse files of 4 EiB each, as a memory file system allows: the sums stop at the top
    // of the 64-bit range instead of wrapping round.
    constexpr qint64 top = std::numeric_limits<qint64>::max();
    for (int i = 0; i < 3; ++i)
        t.crunchNumbers(fileOf("huge.iso", qint64(1) << 62));
    EXPECT_EQ(t.totalBytes, top);
    EXPECT_EQ(t.types()[0].tally.bytes, top);
    EXPECT_EQ(t.sizes[9].bytes, top);
    EXPECT_EQ(t.archive.bytes, top);
    EXPECT_EQ(t.ages[StatTallies::Modified][1].bytes, top);
    EXPECT_EQ(t.sizes[9].count, 6);
}

TEST(StatTallies, AttributesCountEachOneAFileCarries) {
    struct Case {
        unsigned attributes;
        int readOnly, hidden, system, archive;
    };
    const Case cases[] = {
        {0x00, 0, 0, 0, 0}, {0x20, 0, 0, 0, 1}, {0x01, 1, 0, 0, 0},
        {0x02, 0, 1, 0, 0}, {0x04, 0, 0, 1, 0}, {0x21, 1, 0, 0, 1},
        {0x22, 0, 1, 0, 1}, {0x23, 1, 1, 0, 1}, {0x06, 0, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        StatTallies t;
        t.clearVariables(kNow);
        t.collectFileAttr(c.attributes, 10);
        EXPECT_EQ(t.readOnly.count, c.readOnly);
        EXPECT_EQ(t.hidden.count, c.hidden);
        EXPECT_EQ(t.system.count, c.system);
        EXPECT_EQ(t.archive.count, c.archive);
        EXPECT_EQ(t.archive.bytes, 10 * c.archive);
    }
}

TEST(StatTallies, AgeBucketsFollowTheirRowLabels) {
    struct Case {
        qint64 stamp;
        int bucket;
    };
    const Case cases[] = {
        {0, 0}, // the epoch: not recorded
        {QDateTime(QDate(1979, 12, 31), QTime(23, 59)).toSecsSinceEpoch(), 0},
        {QDateTime(QDate(1980, 1, 1), QTime(0, 0)).toSecsSinceEpoch(), 9},
        {QDateTime(QDate(2108, 1, 1), QTime(0, 0)).toSecsSinceEpoch(), 0},
        {at(0), 1},
        {at(1), 1}, // tomorrow is one day old
        {at(-7, QTime(0, 0)), 1},
        {at(-8, QTime(23, 59, 59)), 2},
        {at(-30), 2},
        {at(-31), 3},
        {at(-60), 3},
        {at(-61), 4}, // "61-120 days", not a bucket ending at 90
        {at(-91), 4},
        {at(-120), 4},
        {at(-121), 5},
        {at(-365), 5},
        {at(-366), 6},
        {at(-730), 6},
        {at(-1095), 7},
        {at(-1096), 8},
        {at(-1200), 8},
        {at(-1460), 8},
        {at(-1461), 9},
        {at(8), 2},
        {at(1461), 9},
    };
    StatTallies t;
    t.clearVariables(kNow);
    for (const Case& c : cases) {
        SCOPED_TRACE(QDateTime::fromSecsSinceEpoch(c.stamp).toString().toStdString());
        EXPECT_EQ(t.ageBucketOf(c.stamp), c.bucket);
        EXPECT_EQ(StatTallies::ageToIndex(t.daysAgo(c.stamp)), c.bucket);
    }
}

TEST(StatTallies, QuickAgeBucketsAgreeWithDayCountsAcrossTheYears) {
    // Every day of five years either side, at both ends of the day, also across clock changes.
    StatTallies t;
    t.clearVariables(kNow);
    for (int d = -1900; d <= 1900; ++d)
        for (QTime time : {QTime(0, 0), QTime(23, 59, 59)}) {
            const qint64 s = at(d, time);
            ASSERT_EQ(t.ageBucketOf(s), StatTallies::ageToIndex(t.daysAgo(s))) << d;
        }
}

TEST(StatTallies, QuickAgeBucketsAgreeWhereMidnightComesTwiceOrNever) {
    // Havana put its clocks back from 01:00 to 00:00 on 6 November 2016; Sao Paulo put them
    // forward from 00:00 on 16 October 2016. Every "today" around both, every half hour of
    // the days where the one-week bound falls.
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const QByteArray zone = qgetenv("TZ");
    for (const char* tz : {"America/Havana", "America/Sao_Paulo"}) {
        qputenv("TZ", tz);
        ::tzset();
        for (QDate today(2016, 10, 15); today <= QDate(2016, 11, 20); today = today.addDays(1)) {
            StatTallies t;
            t.clearVariables(QDateTime(today, QTime(12, 0)));
            const qint64 noon = QDateTime(today, QTime(12, 0)).toSecsSinceEpoch();
            for (const qint64 from : {noon - 9 * 86400, noon + 6 * 86400})
                for (qint64 s = from; s < from + 3 * 86400; s += 1800)
                    ASSERT_EQ(t.ageBucketOf(s), StatTallies::ageToIndex(t.daysAgo(s)))
                        << tz << " " << today.toString(Qt::ISODate).toStdString() << " "
                        << QDateTime::fromSecsSinceEpoch(s).toString(Qt::ISODate).toStdString();
        }
    }
    if (hadZone)
        qputenv("TZ", zone);
    else
        qunsetenv("TZ");
    ::tzset();
}

TEST(StatTallies, ThreeStampsGoToTheirOwnSets) {
    StatTallies t;
    t.clearVariables(kNow);
    StatTallies::File f = fileOf("a.txt", 5);
    f.accessTime = 0; // never recorded
    f.creationTime = at(-100);
    f.writeTime = at(-2000);
    t.crunchNumbers(f);
    EXPECT_EQ(t.ages[StatTallies::Accessed][0].count, 1);
    EXPECT_EQ(t.ages[StatTallies::Created][4].bytes, 5);
    EXPECT_EQ(t.ages[StatTallies::Modified][9].count, 1);
}

TEST(StatTallies, Extensions) {
    struct Case {
        const char* name;
        QString extension;
    };
    const Case cases[] = {
        {"README", ""},
        {"name.", "."},
        {"x.html", ".HTML"},
        {"archive.tar.gz", ".GZ"},
        {".bashrc", ".BASHRC"},
        {"stra\xc3\x9f"
         "e.\xc3\x9f",
         QString::fromUtf8(".\xc3\x9f")}, // one letter stays one
        {"bad.\xff", QString(QChar(0x2e)) + QChar(0xdcff)},
        // A letter whose capital is another letter's keeps itself: the dotless i, the long s
        // and the final sigma are not the i, s and sigma.
        {"x.\xc4\xb1", QString::fromUtf8(".\xc4\xb1")},
        {"x.i", ".I"},
        {"x.\xc5\xbf", QString::fromUtf8(".\xc5\xbf")},
        {"x.\xcf\x82", QString::fromUtf8(".\xcf\x82")},
        {"x.\xcf\x83", QString::fromUtf8(".\xce\xa3")},
        {"x.\xc3\xa9", QString::fromUtf8(".\xc3\x89")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StatTallies::extensionOfName(c.name, int(strlen(c.name))), c.extension) << c.name;
}

TEST(StatTallies, TypeTableKeepsFirstMetOrderAndItsLimit) {
    StatTallies t;
    t.clearVariables(kNow);
    // The length counts characters: three faces are four with the dot, five CJK letters six.
    for (const char* name : {"b.txt", "README", "c.TXT", "x.config", "a.", "d.Jpg", "e", "f.html",
                             "g.\xf0\x9f\x98\x80\xf0\x9f\x98\x80\xf0\x9f\x98\x80",
                             "h.\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe8\xaa\x9e\xe8\xaa\x9e"})
        t.crunchNumbers(fileOf(name, 10));
    QStringList got;
    for (const auto& e : t.types())
        got << e.extension + QLatin1Char(':') + QString::number(e.tally.count);
    EXPECT_EQ(got, (QStringList{
                       ".TXT:2", ":2", ".:1", ".JPG:1", ".HTML:1",
                       QString::fromUtf8(".\xf0\x9f\x98\x80\xf0\x9f\x98\x80\xf0\x9f\x98\x80:1")}));

    // 10,000 distinct extensions: the table stops at 500, every other tally counts them all.
    t.clearVariables(kNow);
    for (int i = 0; i < 10000; ++i) {
        const QByteArray name = "f." + QByteArray::number(i, 36);
        t.crunchNumbers(fileOf(name.constData(), 1));
    }
    EXPECT_EQ(t.types().size(), size_t(StatTallies::kMaxTypes));
    EXPECT_EQ(t.filesProcessed, 10000);
    EXPECT_EQ(t.sizes[1].count, 10000);
    EXPECT_EQ(t.archive.count, 10000);
}

TEST(StatTallies, GaugePercent) {
    struct Case {
        qint64 value, total;
        std::optional<int> pct;
    };
    const Case cases[] = {
        {5, 0, std::nullopt}, {0, 0, std::nullopt},
        {1, 3, 33},           {3, 3, 100},
        {7, 3, 100}, // more than the total (files added meanwhile) stays within the bar
        {-1, 3, 0},           {qint64(1) << 61, (qint64(1) << 62), 50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gaugePercent(c.value, c.total), c.pct) << c.value << "/" << c.total;
}

TEST(StatTallies, TopTenRanks) {
    struct Case {
        std::vector<qint64> values;
        std::vector<int> ranks;
    };
    const Case cases[] = {
        {{}, {}},
        {{3, 9, 5}, {3, 1, 2}},
        // Equal sums: the first in table order gets the larger rank number, the other none.
        {{5, 5, 1}, {2, 0, 3}},
        // Past ten digits still ranks first.
        {{9999999999, 10000000000, 12}, {2, 1, 3}},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {0, 0, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(topTenRanks(c.values), c.ranks);
}

} // namespace
