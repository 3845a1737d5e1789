#include "finders/folder_records.h"
#include "finders/scan_engine.h"
#include "platform/dir_entry.h"
#include "platform/file_time.h"
#include "support/temp_tree.h"

#include <QDateTime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace {
qint64 localSeconds(int y, int mo, int d) {
    return QDateTime(QDate(y, mo, d), QTime(12, 0), Qt::LocalTime).toSecsSinceEpoch();
}

void setAccessTime(const QByteArray& path, qint64 seconds) {
    const timespec times[2] = {{seconds, 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

struct Totals {
    qint64 bytes;
    quint32 files;
    quint32 subfolders;
    QDate latest;
    bool operator==(const Totals&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Totals& t) {
    return os << t.bytes << " bytes, " << t.files << " files, " << t.subfolders << " subfolders, "
              << t.latest.toString(Qt::ISODate).toStdString();
}

// Walks the tree in the mode and gives each listed folder's totals by its path below the root.
std::map<QString, Totals> walk(const TempTree& t, FolderRecords::Mode mode) {
    FolderRecords records;
    records.clear(mode);
    ScanEngine engine;
    engine.setSink(&records);
    engine.setFileMask(kAnyFileMask); // every kind of file counts
    EXPECT_TRUE(engine.walk(t.path()));
    std::map<QString, Totals> out;
    for (quint32 i = 0; i < records.count(); ++i)
        out[records.path(i).mid(t.path().size())] =
            Totals{records.bytes(i), records.files(i), records.subfolders(i),
                   packedDate(records.latestAccessFileDate(i))};
    return out;
}
} // namespace

class FolderRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setAccessTime(t.file("top.txt", 100), localSeconds(2020, 1, 1));
        setAccessTime(t.file("Big/huge.img", 3LL << 30), localSeconds(2001, 1, 1));
        setAccessTime(t.file("Big/.hidden", 10), localSeconds(2003, 3, 3));
        setAccessTime(t.file("Big/Sub/a", 5), localSeconds(1975, 1, 1)); // no packed date
        setAccessTime(t.file("Big/Sub/Deep/b", 7), localSeconds(2002, 2, 2));
        t.file("Big/.cache/c", 1000); // a hidden folder is never entered
        // A symbolic link counts as a file of 3 bytes (its target's length).
        setAccessTime(t.symlink("Big/link", "Sub"), localSeconds(1990, 1, 1));
        t.dir("Empty");
    }
    TempTree t;
};

TEST_F(FolderRecordsTest, MainFoldersTotalTheirWholeTree) {
    // The root's own file counts nowhere; the hidden folder's subfolder is not counted.
    EXPECT_EQ(walk(t, FolderRecords::Mode::MainFolders),
              (std::map<QString, Totals>{
                  {"/Big", {(3LL << 30) + 10 + 3 + 5 + 7, 5, 2, QDate(2003, 3, 3)}},
                  {"/Empty", {0, 0, 0, QDate()}}}));
}

TEST_F(FolderRecordsTest, AllFoldersCountTheirOwnFilesAndDirectSubfolders) {
    EXPECT_EQ(walk(t, FolderRecords::Mode::AllFolders),
              (std::map<QString, Totals>{
                  {"", {100, 1, 2, QDate(2020, 1, 1)}},
                  {"/Big", {(3LL << 30) + 10 + 3, 3, 2, QDate(2003, 3, 3)}},
                  {"/Big/Sub", {5, 1, 1, QDate()}},
                  {"/Big/Sub/Deep", {7, 1, 0, QDate(2002, 2, 2)}},
                  {"/Empty", {0, 0, 0, QDate()}},
              }));
}

TEST(FolderRecordsFields, SizeTextShareAndOrder) {
    struct Size {
        qint64 bytes;
        const char* text;
    };
    for (const Size& s : {Size{0, "      0.0 K"}, Size{1, "      0.1 K"}, Size{1023, "      0.9 K"},
                          Size{1024, "      1 K"}, Size{3LL << 40, "3221225472 K"}})
        EXPECT_EQ(folderSizeText(s.bytes), s.text) << s.bytes;
    EXPECT_EQ(driveShareText(5LL << 30, 4LL << 30), "???");
    EXPECT_EQ(driveShareText(100, -1), "???");
    EXPECT_EQ(driveShareText(1, 3).remove(u',').remove(u'.'), "3333");
    EXPECT_EQ(driveShareText(3LL << 31, 4LL << 32).remove(u',').remove(u'.'), "3750");
}

// A file of several hard links counts once, where the walk first meets it: 3 names of one
// file in one folder; 2 names across a folder and its subfolder (the subfolder is walked
// first); a file with a second name outside the walked tree.
TEST(FolderRecordsLinks, AFileOfSeveralLinksCountsOnceWhereTheWalkFirstMeetsIt) {
    TempTree t;
    t.file("walked/Same/a1", 1000);
    t.hardLink("walked/Same/a2", "walked/Same/a1");
    t.hardLink("walked/Same/a3", "walked/Same/a1");
    t.file("walked/Same/plain", 5);
    t.file("walked/Two/b1", 200);
    t.hardLink("walked/Two/Sub/b2", "walked/Two/b1");
    t.file("walked/Out/c1", 30);
    t.hardLink("outside/c2", "walked/Out/c1");

    FolderRecords records; // one store for every scan, as the window keeps it
    const auto totals = [&](FolderRecords::Mode mode) {
        records.clear(mode);
        ScanEngine engine;
        engine.setSink(&records);
        EXPECT_TRUE(engine.walk(t.path() + "/walked"));
        std::map<QString, std::pair<qint64, quint32>> out;
        for (quint32 i = 0; i < records.count(); ++i)
            out[records.path(i).mid(t.path().size() + 7)] = {records.bytes(i), records.files(i)};
        return out;
    };
    using Out = std::map<QString, std::pair<qint64, quint32>>;
    // Twice: each scan counts afresh.
    for (int scan = 0; scan < 2; ++scan) {
        EXPECT_EQ(totals(FolderRecords::Mode::MainFolders),
                  (Out{{"/Same", {1005, 2}}, {"/Two", {200, 1}}, {"/Out", {30, 1}}}));
        EXPECT_EQ(totals(FolderRecords::Mode::AllFolders), (Out{{"", {0, 0}},
                                                                {"/Same", {1005, 2}},
                                                                {"/Two", {0, 0}},
                                                                {"/Two/Sub", {200, 1}},
                                                                {"/Out", {30, 1}}}));
    }
}
