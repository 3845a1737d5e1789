#include "finders/contents_search.h"

#include <gtest/gtest.h>

namespace {

TEST(ContentsSearchTest, StatusCountsGroupsBytesAndFilesLeftOut) {
    struct Case {
        int groups;
        qint64 duplicates, freeable, changed, unreadable;
        const char* status;
    } cases[] = {
        {0, 0, 0, 0, 0, ""},
        {0, 0, 0, 1, 0, "1 file changed while compared"},
        {1, 1, 4096, 0, 0, "1 duplicate found in 1 group, 4,096 bytes could be freed"},
        {2, 3, 1LL << 40, 2, 1,
         "3 duplicates found in 2 groups, 1,099,511,627,776 bytes could be freed (2 files "
         "changed while compared, 1 file could not be read)"},
    };
    for (const Case& c : cases) {
        ContentGroups::Result r;
        for (int g = 0; g < c.groups; ++g)
            r.groups.push_back({10, {quint32(2 * g), quint32(2 * g + 1)}});
        r.duplicates = c.duplicates;
        r.freeable = c.freeable;
        r.changed = c.changed;
        r.unreadable = c.unreadable;
        ContentsSearch s;
        s.take(r, 8);
        EXPECT_EQ(s.status(), c.status);
    }
}

TEST(ContentsSearchTest, OtherNamesFollowTheirMemberInCandidateOrder) {
    ContentGroups::Result r;
    r.groups = {{100, {5, 1}}, {10, {2, 3}}};
    r.otherNames = {{1, 7}, {5, 0}, {1, 4}};
    ContentsSearch s;
    s.take(r, 8);
    EXPECT_EQ(s.rows(), (std::vector<quint32>{5, 0, 1, 7, 4, 2, 3}));
    EXPECT_EQ(s.groupText(4), "1 (hard link)");
    EXPECT_EQ(s.groupText(3), "2");
    EXPECT_EQ(s.groupText(6), "");
    EXPECT_TRUE(s.sameGroup(0, 4));
    EXPECT_FALSE(s.sameGroup(4, 5));
}

} // namespace
