#include "stats/stat_collector.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace {

// The collector on its own: no window, progress through its callback.
TEST(StatCollector, CountsEveryFileReportsProgressAndStartsAfreshAfterAnAbort) {
    TempTree tree;
    for (int f = 0; f < 40; ++f)
        tree.file("d" + QByteArray::number(f % 4) + "/f" + QByteArray::number(f) + ".dat", 5);
    tree.file(".hidden", 7);                  // a hidden file counts
    tree.symlink("link", "d0/f0.dat");        // so does a link, as a system file
    tree.file(".folder/not-walked.dat", 100); // a hidden folder is not entered
    const QDateTime now = QDateTime::currentDateTime();
    StatCollector c;
    c.engine().setPumpInterval(0);
    std::vector<qint64> seen;
    bool abortEarly = true;
    c.setProgressHandler([&](const StatCollector::Progress& p) {
        EXPECT_TRUE(seen.empty() || p.files >= seen.back());
        EXPECT_GE(p.percent, 0);
        EXPECT_LE(p.percent, 100);
        seen.push_back(p.files);
        if (abortEarly && p.files >= 5)
            c.abort();
    });
    EXPECT_TRUE(c.collect(tree.path(), now));
    EXPECT_TRUE(c.aborted());
    EXPECT_GT(c.tallies().filesProcessed, 0);
    EXPECT_LT(c.tallies().filesProcessed, 42);

    abortEarly = false;
    seen.clear();
    EXPECT_TRUE(c.collect(tree.path(), now));
    EXPECT_FALSE(c.aborted());
    const StatTallies& t = c.tallies();
    EXPECT_EQ(t.filesProcessed, 42);
    EXPECT_EQ(t.hidden.count, 1);
    EXPECT_EQ(t.system.count, 1);
    ASSERT_FALSE(t.types().empty());
    EXPECT_EQ(t.types()[0].extension, ".DAT");
    EXPECT_EQ(t.types()[0].tally.count, 40);
    EXPECT_EQ(c.drive(), tree.path());
    EXPECT_GT(c.clusterSize(), 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_LE(seen.back(), 42);

    EXPECT_FALSE(c.collect(tree.path() + "/gone", now)); // a root that cannot be opened
    EXPECT_EQ(c.tallies().filesProcessed, 0);
}

} // namespace
