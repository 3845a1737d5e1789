#include "stats/stat_collector.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace {

// The collector on its own: no window. The folder hook runs on a walking thread, where
// progress() and abort() are allowed.
TEST(StatCollector, CountsEveryFileReportsProgressAndStartsAfreshAfterAnAbort) {
    TempTree tree;
    for (int f = 0; f < 40; ++f)
        tree.file("d" + QByteArray::number(f % 4) + "/f" + QByteArray::number(f) + ".dat", 5);
    tree.file(".hidden", 7);                  // a hidden file counts
    tree.symlink("link", "d0/f0.dat");        // so does a link, as a system file
    tree.file(".folder/not-walked.dat", 100); // a hidden folder is not entered
    const QDateTime now = QDateTime::currentDateTime();
    StatCollector c;
    std::atomic<int> folders{0};
    std::atomic<bool> monotonic{true};
    std::atomic<qint64> lastSeen{0};
    std::atomic<int> abortAt{3};
    c.engine().setFolderHook([&](const QByteArray&) {
        const StatCollector::Progress p = c.progress();
        if (p.files < lastSeen.exchange(p.files) || p.percent < 0 || p.percent > 100)
            monotonic = false;
        if (++folders == abortAt)
            c.abort();
    });
    // One walking thread, so the abort falls after the first folders' files.
    c.engine().setThreads(1);
    EXPECT_TRUE(c.collect(tree.path(), now));
    EXPECT_TRUE(c.aborted());
    EXPECT_GT(c.tallies().filesProcessed, 0);
    EXPECT_LT(c.tallies().filesProcessed, 42);
    EXPECT_EQ(c.progress().files, c.tallies().filesProcessed);

    abortAt = -1;
    lastSeen = 0;
    c.engine().setThreads(0);
    EXPECT_TRUE(c.collect(tree.path(), now));
    EXPECT_FALSE(c.aborted());
    EXPECT_TRUE(monotonic);
    const StatTallies& t = c.tallies();
    EXPECT_EQ(t.filesProcessed, 42);
    EXPECT_EQ(t.hidden.count, 1);
    EXPECT_EQ(t.system.count, 1);
    ASSERT_FALSE(t.types().empty());
    EXPECT_EQ(t.types()[0].extension, ".DAT");
    EXPECT_EQ(t.types()[0].tally.count, 40);
    EXPECT_EQ(c.drive(), tree.path());
    EXPECT_GT(c.clusterSize(), 0);
    EXPECT_EQ(c.progress().files, 42);

    EXPECT_FALSE(c.collect(tree.path() + "/gone", now)); // a root that cannot be opened
    EXPECT_EQ(c.tallies().filesProcessed, 0);
    EXPECT_EQ(c.progress().files, 0);
}

// A file of several hard links is one file of the disk: its first name is tallied, later names
// add to no tally, neither a count nor bytes. A second name outside the walked tree changes
// nothing. Collected twice, as the window does, so nothing carries over between collections.
TEST(StatCollector, AFileOfSeveralLinksIsTalliedOnce) {
    TempTree tree;
    tree.file("walked/Same/a1.dat", 1000);
    tree.hardLink("walked/Same/a2.bak", "walked/Same/a1.dat");
    tree.hardLink("walked/Same/a3.dat", "walked/Same/a1.dat");
    tree.file("walked/Two/b1.dat", 20000);
    tree.hardLink("walked/Two/Sub/b2.dat", "walked/Two/b1.dat");
    tree.file("walked/c1.dat", 30);
    tree.hardLink("outside/c2.dat", "walked/c1.dat");
    StatCollector c;
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(c.collect(tree.path() + "/walked", QDateTime::currentDateTime()));
        const StatTallies& t = c.tallies();
        EXPECT_EQ(t.filesProcessed, 3);
        EXPECT_EQ(t.totalBytes, 21030);
        qint64 typed = 0, sized = 0, aged = 0;
        for (const StatTallies::TypeEntry& e : t.types())
            typed += e.tally.bytes;
        for (const Tally& s : t.sizes)
            sized += s.bytes;
        for (const Tally& a : t.ages[StatTallies::Modified])
            aged += a.bytes;
        EXPECT_EQ(typed, 21030);
        EXPECT_EQ(sized, 21030);
        EXPECT_EQ(aged, 21030);
        EXPECT_EQ(t.archive.count, 3);
        EXPECT_EQ(t.sizes[1].count, 2); // 1000 and 30 bytes; 20000 bytes in the next bucket
        EXPECT_EQ(t.overhang[0], (4096 - 1000) + (4096 - 20000 % 4096) + (4096 - 30));
    }
}

} // namespace
