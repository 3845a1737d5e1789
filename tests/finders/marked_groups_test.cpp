#include "finders/marked_groups.h"

#include "finders/scan_engine.h"

#include <gtest/gtest.h>
#include <set>

namespace {

// Records fed as a walk would; record numbers follow the order of `files`.
struct Fed {
    const char* folder;
    const char* name;
    qint64 size;
};

void feed(DupRecords& r, std::initializer_list<Fed> files) {
    r.setFilter(SizeFilter{SizeMode::Larger, 0, 0});
    QByteArray folder;
    int index = 0;
    for (const Fed& f : files) {
        if (folder != f.folder) {
            folder = f.folder;
            index = 0;
            r.folderFiles(folder);
        }
        ScanFile s;
        s.name = f.name;
        s.nameLength = int(qstrlen(f.name));
        s.size = f.size;
        s.writeTime = 1000000000;
        s.accessTime = 1000000000;
        s.indexInFolder = index++;
        r.file(s);
    }
}

} // namespace

TEST(WholeMarkedGroups, NamesOnlyGroupsWithEveryCopyMarked) {
    DupRecords r(true);
    // Name groups: a.txt {0, 1, 6, 7}, b.txt {2, 3}, c.txt {4, 5, 8}. Exact splits a.txt into
    // 2 K {0, 1} and 4 K {6, 7}.
    feed(r, {{"/a", "a.txt", 2048},
             {"/b", "A.TXT", 2048},
             {"/b", "b.txt", 10},
             {"/c", "b.txt", 10},
             {"/c", "c.txt", 10},
             {"/d", "c.txt", 10},
             {"/e", "a.txt", 4096},
             {"/f", "a.txt", 4096},
             {"/f", "c.txt", 10}});
    struct Case {
        const char* what;
        bool exact;
        std::set<quint32> marked;
        QStringList groups;
    } cases[] = {
        {"every copy marked", false, {2, 3}, {"b.txt"}},
        {"all but one marked", false, {2}, {}},
        {"two groups, in list order", false, {4, 5, 8, 3, 2}, {"b.txt", "c.txt"}},
        {"a group of three with two marked", false, {4, 8}, {}},
        {"exact: one size of a name marked", true, {0, 1}, {"a.txt (2 K)"}},
        {"by name: the same marks leave copies", false, {0, 1}, {}},
        {"exact: both sizes marked", true, {0, 1, 6, 7}, {"a.txt (2 K)", "a.txt (4 K)"}},
        {"nothing marked", true, {}, {}},
    };
    for (const Case& c : cases) {
        const std::vector<quint32> rows = duplicateRows(r, r.sortedList(), c.exact);
        QStringList got;
        for (quint32 rec : wholeMarkedGroups(r, rows, c.exact,
                                             [&](quint32 rec) { return c.marked.contains(rec); }))
            got << groupCaption(r, rec, c.exact);
        EXPECT_EQ(got, c.groups) << c.what;
    }
}
