#include "common/locations.h"
#include "finders/dup_records.h"
#include "model/row_order.h"
#include "model/search_path.h"
#include "platform/date_text.h"
#include "platform/file_time.h"
#include "platform/file_types.h"
#include "support/temp_tree.h"

#include <QDateTime>
#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace {

qint64 localSeconds(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toSecsSinceEpoch();
}

// Feeds records as a walk would: one folder, its files in search order.
class Feeder {
public:
    explicit Feeder(DupRecords& records) : records_(records) {}
    Feeder& folder(const QByteArray& path) {
        path_ = path;
        index_ = 0;
        records_.folderFiles(path_);
        return *this;
    }
    Feeder& file(const QByteArray& name, qint64 size, qint64 written = 0, qint64 accessed = 0) {
        ScanFile f;
        f.name = name.constData();
        f.nameLength = int(name.size());
        f.size = size;
        f.writeTime = written ? written : localSeconds(2001, 2, 3, 4, 5, 6);
        f.accessTime = accessed ? accessed : localSeconds(2002, 3, 4, 5, 6, 8);
        f.indexInFolder = index_++;
        records_.file(f);
        return *this;
    }

private:
    DupRecords& records_;
    QByteArray path_;
    int index_ = 0;
};

SizeFilter everything() {
    return SizeFilter{SizeMode::Larger, 0, 0};
}

QStringList names(const DupRecords& r, const std::vector<quint32>& recs) {
    QStringList out;
    for (quint32 i : recs)
        out << r.folder(i) + u'/' + r.name(i);
    return out;
}

} // namespace

TEST(SizeFilterTest, BoundsAreInclusiveKilobytesAndSixtyFourBit) {
    const SizeFilter larger{SizeMode::Larger, 250, 0};
    EXPECT_TRUE(larger.passes(256000));
    EXPECT_FALSE(larger.passes(255999));
    EXPECT_TRUE(larger.passes(3LL << 30)); // a 3 GB file is larger, not negative

    const SizeFilter smaller{SizeMode::Smaller, 250, 0};
    EXPECT_TRUE(smaller.passes(256000));
    EXPECT_TRUE(smaller.passes(0));
    EXPECT_FALSE(smaller.passes(256001));
    EXPECT_FALSE(smaller.passes(5LL << 30));

    const SizeFilter exactly{SizeMode::Between, 100, 100};
    EXPECT_TRUE(exactly.passes(102400));
    EXPECT_FALSE(exactly.passes(102399));
    EXPECT_FALSE(exactly.passes(102401));

    const SizeFilter reversed{SizeMode::Between, 200, 100};
    EXPECT_FALSE(reversed.passes(150 * 1024));
    EXPECT_FALSE(reversed.passes(200 * 1024));
}

TEST(SizeTextTest, KeyIsEqualExactlyWhenTheTextsAreAndOrdersLikeSizes) {
    const std::vector<qint64> sizes{0,
                                    1,
                                    50,
                                    102,
                                    103,
                                    110,
                                    200,
                                    500,
                                    1023,
                                    1024,
                                    2047,
                                    2048,
                                    2049,
                                    3072,
                                    1000000,
                                    1048576000,
                                    1048576 * 1023LL,
                                    3LL << 30};
    for (qint64 a : sizes)
        for (qint64 b : sizes) {
            EXPECT_EQ(sizeTextKey(a) == sizeTextKey(b), sizeText(a) == sizeText(b))
                << a << " " << b;
            if (a < b) {
                EXPECT_LE(sizeTextKey(a), sizeTextKey(b)) << a << " " << b;
            }
        }
    EXPECT_EQ(sizeText(500), "      0.4 K");
    EXPECT_EQ(sizeText(0), "      0.0 K");
    EXPECT_EQ(sizeText(3500), "     3 K");
    EXPECT_EQ(sizeText(3LL << 30), "3145728 K");
}

TEST(FileDateTextTest, FallbacksForZeroAndInvalidValues) {
    const quint32 packed = packFileTime(localSeconds(1999, 12, 31, 23, 59, 58));
    EXPECT_EQ(fileDateToDateStr(packed), shortDateText(QDate(1999, 12, 31)));
    EXPECT_EQ(fileDateToTimeStr(packed), longTimeText(QTime(23, 59, 58)));
    EXPECT_EQ(fileDateToDateStr(0), QString());
    EXPECT_EQ(fileDateToTimeStr(0), longTimeText(QTime(12, 0, 0)));
    // Month 13: no valid date.
    const quint32 invalid = (quint32((2000 - 1980) << 9 | 13 << 5 | 1) << 16);
    EXPECT_EQ(fileDateToDateStr(invalid), shortDateText(QDate(1980, 1, 1)));
    EXPECT_EQ(fileDateToTimeStr(invalid), longTimeText(QTime(12, 0, 0)));
}

TEST(DupRecordsTest, DuplicateRecordTextsShowNamesAsOnDisk) {
    DupRecords r(true);
    r.setFilter(everything());
    const qint64 written = localSeconds(2001, 2, 3, 4, 5, 6);
    const qint64 accessed = localSeconds(2002, 3, 4, 5, 6, 8);
    Feeder(r)
        .folder("/data/Docs")
        .file("ReadMe.TXT", 3500, written, accessed)
        .file("Other.Doc", 500)
        .file("AVeryLongFileNameThatIsKept.txt", 2048)
        .folder("/")
        .file("Top", 0, localSeconds(1975, 1, 1, 0, 0, 0));
    ASSERT_EQ(r.count(), 4u);
    EXPECT_EQ(r.fieldCount(), 7);

    const QString typeTxt = extensionToType(".TXT");
    EXPECT_EQ(r.line(0), "ReadMe.TXT    \t     3 K\t" + shortDateText(QDate(2001, 2, 3)) + u'\t' +
                             longTimeText(QTime(4, 5, 6)) + u'\t' +
                             shortDateText(QDate(2002, 3, 4)) + "\t/data/Docs/\t" + typeTxt);
    // Every file of a folder, not only the first, shows its name and folder as they are.
    EXPECT_EQ(r.field(1, 0), "Other.Doc     ");
    EXPECT_EQ(r.field(1, 1), "      0.4 K");
    EXPECT_EQ(r.field(1, 5), "/data/Docs/");
    EXPECT_EQ(r.field(1, 6), extensionToType(".Doc"));
    // A long name is never cut.
    EXPECT_EQ(r.field(2, 0), "AVeryLongFileNameThatIsKept.txt");
    // The root folder keeps a single "/"; a date before 1980 shows empty with a noon time; a
    // name without a dot has the type of an empty extension.
    EXPECT_EQ(r.field(3, 5), "/");
    EXPECT_EQ(r.path(3), "/Top");
    EXPECT_EQ(r.field(3, 2), QString());
    EXPECT_EQ(r.field(3, 3), longTimeText(QTime(12, 0, 0)));
    EXPECT_EQ(r.field(3, 6), extensionToType(QString()));
}

TEST(DupRecordsTest, FileHogRecordTextsKeepCaseAndEscapeOddBytes) {
    DupRecords r(false);
    r.setFilter(SizeFilter{SizeMode::Larger, 1, 0});
    Feeder(r)
        .folder("/mnt/x/Mixed")
        .file("Small.bin", 10) // fails the filter
        .file("Zeta.TXT", 3LL << 30)
        .file("tab\there.t\tx", 4096) // a tab in the name and in the type
        .file("Bad\xff.txt", 2048)
        .file("Twin.txt", 1024)
        .file("twin.txt", 1024);
    ASSERT_EQ(r.count(), 5u);
    EXPECT_EQ(r.fieldCount(), 6);
    EXPECT_EQ(r.field(0, 0), "3145728 K");
    EXPECT_EQ(r.field(0, 4), "/mnt/x/Mixed/Zeta.TXT");
    EXPECT_EQ(r.size(0), 3LL << 30);
    // A tab or an undecodable byte never splits a record; the real path keeps the bytes.
    EXPECT_EQ(r.field(1, 4), "/mnt/x/Mixed/tab\\there.t\\tx");
    EXPECT_EQ(r.line(1).count(u'\t'), 5);
    EXPECT_EQ(r.field(2, 4), "/mnt/x/Mixed/Bad\\xff.txt");
    EXPECT_EQ(r.nativePath(2), QByteArray("/mnt/x/Mixed/Bad\xff.txt"));
    // Two files whose names differ only in case read differently.
    EXPECT_EQ(r.field(3, 4), "/mnt/x/Mixed/Twin.txt");
    EXPECT_EQ(r.field(4, 4), "/mnt/x/Mixed/twin.txt");
}

TEST(DupRecordsTest, SearchPathFoldersCarryTheMarkerButNotThePath) {
    searchPathList().append("/zelkova/Bin");
    DupRecords dup(true), hog(false);
    for (DupRecords* r : {&dup, &hog}) {
        r->setFilter(everything());
        Feeder(*r).folder("/zelkova/Bin").file("tool", 1).folder("/zelkova/bin").file("tool", 1);
    }
    searchPathList().removeAll("/zelkova/Bin");
    EXPECT_EQ(dup.field(0, 5), "/zelkova/Bin/" + kSearchPathMarker);
    EXPECT_EQ(dup.field(1, 5), "/zelkova/bin/");
    EXPECT_EQ(hog.field(0, 4), "/zelkova/Bin/tool" + kSearchPathMarker);
    EXPECT_EQ(hog.path(0), "/zelkova/Bin/tool");
}

TEST(DupRecordsTest, RecordsFromARealWalk) {
    TempTree t;
    t.file("Sub/Big.Img", 3LL << 30);
    t.file("Sub/small.txt", 10);
    t.file("exact.bin", 256000);
    t.file("under.bin", 255999);
    DupRecords r(false);
    r.setFilter(SizeFilter{SizeMode::Larger, 250, 0});
    ScanEngine engine;
    engine.setSink(&r);
    ASSERT_TRUE(engine.walk(t.path()));
    QStringList listed;
    for (quint32 i = 0; i < r.count(); ++i)
        listed << r.path(i);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{t.path() + "/Sub/Big.Img", t.path() + "/exact.bin"}));
    for (quint32 i = 0; i < r.count(); ++i) {
        if (r.name(i) == "Big.Img") {
            EXPECT_EQ(r.field(i, 0), "3145728 K");
        }
    }
}

TEST(DupRecordsTest, GroupsByNameWithoutCaseAndExactlyBySizeText) {
    DupRecords r(true);
    r.setFilter(everything());
    Feeder(r)
        .folder("/a")
        .file("Readme.txt", 2048)
        .file("single.txt", 5)
        .file("abcdefghijklmnop1.txt", 1)
        .file("tiny", 110)
        .folder("/b")
        .file("README.TXT", 2049)
        .file("abcdefghijklmnop2.txt", 1)
        .file("TINY", 200)
        .folder("/c")
        .file("readme.txt", 3072)
        .folder("/d")
        .file("\xc3\x84rger", 1)
        .folder("/e")
        .file("\xc3\xa4rger", 1);

    const std::vector<quint32> sorted = r.sortedList();
    ASSERT_EQ(sorted.size(), r.count());
    // Equal names stand together, and a group is ordered by size text.
    EXPECT_EQ(names(r, duplicateRows(r, sorted, false)),
              (QStringList{"/a/Readme.txt", "/b/README.TXT", "/c/readme.txt", "/a/tiny", "/b/TINY",
                           "/d/\u00c4rger", "/e/\u00e4rger"}));
    // Exact: 2048 and 2049 bytes both read 2 K, 3072 reads 3 K; 110 and 200 bytes both 0.1 K.
    EXPECT_EQ(names(r, duplicateRows(r, sorted, true)),
              (QStringList{"/a/Readme.txt", "/b/README.TXT", "/a/tiny", "/b/TINY", "/d/\u00c4rger",
                           "/e/\u00e4rger"}));
}

TEST(DupRecordsTest, UndecodableBytesKeepNamesApartWithoutRegardToCase) {
    // Undecodable bytes after a letter that changes case: x\xff and x\xfe differ, x\xff and
    // X\xff are one name. A long s upper-cases to S, so that name is one with an ASCII name.
    DupRecords r(true);
    r.setFilter(everything());
    Feeder(r)
        .folder("/a")
        .file("x\xff.dat", 1)
        .file("x\xfe.dat", 1)
        .file("\xc3\xa9t\xe9", 1)
        .file("\xc5\xbf.dat", 1)
        .folder("/b")
        .file("X\xff.DAT", 1)
        .file("\xc3\x89T\xe9", 1)
        .file("S.DAT", 1);
    // Before and after sortedList: the same answer.
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_TRUE(r.sameKey(0, 4, false)) << pass;
        EXPECT_FALSE(r.sameKey(0, 1, false)) << pass;
        EXPECT_TRUE(r.sameKey(2, 5, false)) << pass;
        EXPECT_TRUE(r.sameKey(3, 6, false)) << pass;
        r.sortedList();
    }
    QStringList shown;
    for (quint32 rec : duplicateRows(r, r.sortedList(), false))
        shown << r.field(rec, 0).trimmed() + r.field(rec, 5);
    EXPECT_EQ(shown, (QStringList{"\u017f.dat/a/", "S.DAT/b/", "x\\xff.dat/a/", "X\\xff.DAT/b/",
                                  "\u00e9t\\xe9/a/", "\u00c9T\\xe9/b/"}));
}

TEST(DupRecordsTest, FileHogsListLargestFirstBeyondAMillionK) {
    DupRecords r(false);
    r.setFilter(everything());
    Feeder(r)
        .folder("/x")
        .file("mid", 999999LL * 1024)
        .file("small", 10)
        .file("million", 1048576000)
        .file("huge", 3LL << 30)
        .file("mid2", 999999LL * 1024 + 5);
    std::vector<quint32> list = r.sortedList();
    std::reverse(list.begin(), list.end());
    EXPECT_EQ(names(r, list),
              (QStringList{"/x/huge", "/x/million", "/x/mid2", "/x/mid", "/x/small"}));
}

TEST(DupRecordsTest, TheLimitRefusesFurtherRecordsOnce) {
    DupRecords r(false);
    r.setLimit(3);
    r.setFilter(everything());
    int refusals = 0;
    r.onRefused = [&] { ++refusals; };
    Feeder f(r);
    f.folder("/x");
    for (int i = 0; i < 6; ++i)
        f.file("f" + QByteArray::number(i), i);
    EXPECT_EQ(r.count(), 3u);
    EXPECT_EQ(refusals, 1);
    EXPECT_TRUE(r.refused());
    r.clear();
    EXPECT_EQ(r.count(), 0u);
    EXPECT_FALSE(r.refused());
}

TEST(DupRecordsTest, PathRanksFollowTheUpperCasedPathTexts) {
    // Names and folders from a small alphabet with characters on both sides of "/" and both
    // cases of a letter, so that a file in a folder and the files of a folder below it
    // interleave, and folders differ only in case.
    for (const unsigned seed : {7u, 11u, 23u, 42u, 99u}) {
        std::mt19937 rng(seed);
        const char alphabet[] = "aB.-0bA";
        DupRecords r(false);
        r.setFilter(everything());
        Feeder feeder(r);
        // The root folder's text already ends in "/"; its files interleave with everything.
        feeder.folder("/").file("r", 1).file("R-", 1).file("zz", 1).file("r0", 1);
        for (int folder = 0; folder < 60; ++folder) {
            QByteArray path = "/r";
            const int depth = int(rng() % 5);
            for (int d = 0; d < depth; ++d) {
                path += '/';
                for (int k = 0, n = 1 + int(rng() % 6); k < n; ++k)
                    path += alphabet[rng() % 7];
            }
            feeder.folder(path);
            for (int file = 0, n = 1 + int(rng() % 5); file < n; ++file) {
                QByteArray name;
                for (int k = 0, len = 1 + int(rng() % 10); k < len; ++k)
                    name += alphabet[rng() % 7];
                feeder.file(name, 1);
            }
        }
        QStringList paths;
        for (quint32 i = 0; i < r.count(); ++i)
            paths << r.path(i);

        const std::vector<quint32> rank = r.pathRanks();
        std::vector<qint64> byRank(r.count(), -1);
        for (quint32 i = 0; i < r.count(); ++i) {
            ASSERT_LT(rank[i], r.count());
            ASSERT_EQ(byRank[rank[i]], -1) << "rank given twice";
            byRank[rank[i]] = i;
        }
        for (quint32 p = 1; p < r.count(); ++p) {
            const QString& a = paths[byRank[p - 1]];
            const QString& b = paths[byRank[p]];
            EXPECT_LE(textSortKey(a), textSortKey(b))
                << seed << ": " << a.toStdString() << " / " << b.toStdString();
        }
    }
}

TEST(DupRecordsTest, SortKeysForDatesAndTypes) {
    DupRecords r(false);
    r.setFilter(everything());
    Feeder(r)
        .folder("/k")
        .file("old.txt", 1, localSeconds(1990, 1, 1, 0, 0, 0))
        .file("new.doc", 1, localSeconds(2020, 1, 1, 0, 0, 0))
        .file("ancient.txt", 1, localSeconds(1975, 1, 1, 0, 0, 0))
        .file("future.zzzq", 1, localSeconds(2200, 1, 1, 0, 0, 0));
    EXPECT_LT(r.writeDateKey(0), r.writeDateKey(1));
    // Dates shown empty count as the oldest.
    EXPECT_LT(r.writeDateKey(2), r.writeDateKey(0));
    EXPECT_EQ(r.writeDateKey(3), r.writeDateKey(2));

    const std::vector<quint32> typeRank = r.typeRanks();
    for (quint32 a = 0; a < r.count(); ++a)
        for (quint32 b = 0; b < r.count(); ++b)
            EXPECT_EQ(typeRank[r.typeIndex(a)] < typeRank[r.typeIndex(b)],
                      textSortKey(r.type(a)) < textSortKey(r.type(b)));
}
