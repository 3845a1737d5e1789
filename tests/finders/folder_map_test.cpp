#include "finders/folder_map.h"
#include "finders/folder_records.h"

#include <gtest/gtest.h>
#include <map>

namespace {

// Feeds a tree to the records as a walk would: `files` maps each folder path (the first one
// the root) to its own file sizes; folders come in walk order, parents first.
class FakeWalk {
public:
    explicit FakeWalk(FolderRecords::Mode mode = FolderRecords::Mode::AllFolders) {
        records.clear(mode);
    }
    void run(const std::vector<std::pair<QByteArray, std::vector<qint64>>>& folders) {
        std::vector<std::pair<QByteArray, const std::vector<qint64>*>> open;
        const auto leave = [&] {
            records.leaveFolder(open.back().first, int(open.size()) - 1);
            open.pop_back();
        };
        const auto emitFiles = [&](const std::vector<qint64>& sizes) {
            for (qint64 s : sizes) {
                ScanFile f;
                f.name = "f";
                f.nameLength = 1;
                f.size = s;
                f.identity.inode = ++inode_;
                f.identity.size = s;
                records.file(f);
            }
        };
        for (const auto& [path, sizes] : folders) {
            while (!open.empty() && !path.startsWith(open.back().first + '/')) {
                emitFiles(*open.back().second);
                leave();
            }
            records.enterFolder(path, int(open.size()));
            open.push_back({path, &sizes});
        }
        while (!open.empty()) {
            emitFiles(*open.back().second);
            leave();
        }
        tree.build(records);
    }
    quint32 node(const QByteArray& path) const {
        for (quint32 r = 0; r < records.count(); ++r)
            if (records.nativePath(r) == path)
                return records.nodeOf(r);
        return FolderTree::None;
    }
    FolderRecords records;
    FolderTree tree;

private:
    quint64 inode_ = 0;
};

qint64 areaOf(const QRect& r) {
    return qint64(r.width()) * r.height();
}

// Checks every laid-out sibling group: inside the parent's content, no overlap, and each area
// proportional to its bytes within one pixel's rounding of each edge.
void checkLayout(const FolderTree& tree, quint32 top, const std::vector<MapTile>& tiles,
                 const QRect& area0, const MapLayoutOptions& o) {
    std::vector<int> parentOf(tiles.size(), -1);
    std::vector<int> stack; // the folder tiles enclosing the current one
    for (size_t i = 0; i < tiles.size(); ++i) {
        const MapTile& t = tiles[i];
        while (int(stack.size()) > t.level)
            stack.pop_back();
        ASSERT_EQ(int(stack.size()), t.level) << "tile " << i << " skips a level";
        QRect inner = area0;
        qint64 sum = tree.total(top);
        if (!stack.empty()) {
            const MapTile& p = tiles[size_t(stack.back())];
            inner = p.rect().adjusted(o.border, o.border, -o.border, -o.border);
            if (p.labelled)
                inner.setTop(inner.top() + o.header);
            sum = tree.total(p.node);
            parentOf[i] = stack.back();
        }
        EXPECT_TRUE(inner.contains(t.rect())) << "tile " << i << " leaves its parent";
        const qint64 bytes = t.kind == MapTile::Files ? tree.own(t.node) : tree.total(t.node);
        const double want = double(bytes) / double(sum) * double(areaOf(inner));
        EXPECT_NEAR(double(areaOf(t.rect())), want, t.w + t.h + 1.0) << "tile " << i;
        for (size_t j = 0; j < i; ++j)
            if (parentOf[j] == parentOf[i] && tiles[j].level == t.level) {
                EXPECT_FALSE(tiles[j].rect().intersects(t.rect())) << i << " overlaps " << j;
            }
        if (t.kind == MapTile::Folder)
            stack.push_back(int(i));
    }
}

} // namespace

TEST(FolderMapTest, TreeTotalsComeFromOnePassOverTheRecords) {
    FakeWalk w;
    w.run({{"/r", {100}}, {"/r/a", {10, 20}}, {"/r/a/x", {5}}, {"/r/b", {}}, {"/r/c", {300}}});
    const FolderTree& t = w.tree;
    EXPECT_EQ(t.total(w.node("/r")), 435);
    EXPECT_EQ(t.own(w.node("/r")), 100);
    EXPECT_EQ(t.total(w.node("/r/a")), 35);
    EXPECT_EQ(t.total(FolderTree::None), 435);
    // Largest first, the empty folder last.
    const auto kids = t.children(w.node("/r"));
    ASSERT_EQ(kids.size(), 3u);
    EXPECT_EQ(t.path(kids[0]), "/r/c");
    EXPECT_EQ(t.path(kids[2]), "/r/b");
    EXPECT_EQ(t.depth(w.node("/r/a/x")), 2);
    EXPECT_LE(t.bytesHeld(), 32u * t.count() + 64);
}

TEST(FolderMapTest, MainFoldersMapTheirRootsWithoutOwnFiles) {
    FakeWalk w(FolderRecords::Mode::MainFolders);
    w.run({{"/r", {1000}}, {"/r/a", {10}}, {"/r/a/deep", {30}}, {"/r/b", {50}}});
    const quint32 root = w.tree.children(FolderTree::None)[0];
    EXPECT_EQ(w.tree.record(root), FolderTree::None);
    EXPECT_EQ(w.tree.total(root), 90); // the root's own file counts nowhere
    const auto tiles = layoutFolderMap(w.tree, FolderTree::None, QRect(0, 0, 400, 300));
    for (const MapTile& tile : tiles)
        EXPECT_NE(tile.kind, MapTile::Files);
}

TEST(FolderMapTest, LayoutsAreProportionalInsideTheirParentsAndNeverOverlap) {
    struct Case {
        const char* what;
        std::vector<std::pair<QByteArray, std::vector<qint64>>> folders;
    };
    std::vector<Case> cases;
    cases.push_back({"nested, with own files beside subfolders",
                     {{"/r", {4000}},
                      {"/r/a", {1000, 2000}},
                      {"/r/a/x", {700}},
                      {"/r/a/y", {300}},
                      {"/r/b", {1500}},
                      {"/r/c", {500}}}});
    cases.push_back({"empty folders beside full ones",
                     {{"/r", {}}, {"/r/e1", {}}, {"/r/a", {10}}, {"/r/e2", {0, 0}}}});
    // 64-bit sizes: 2^40-byte sparse files beside a few bytes.
    cases.push_back({"terabytes", {{"/r", {}}, {"/r/t", {1LL << 40, 1LL << 40}}, {"/r/s", {7}}}});
    Case huge{"one huge folder beside thousands of tiny ones",
              {{"/r", {}}, {"/r/huge", {1LL << 36}}}};
    for (int i = 0; i < 3000; ++i)
        huge.folders.push_back({"/r/t" + QByteArray::number(i), {1000 + i}});
    cases.push_back(huge);
    const MapLayoutOptions o;
    for (const QRect& area : {QRect(0, 0, 800, 600), QRect(10, 20, 97, 403)}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in " + std::to_string(area.width()));
            FakeWalk w;
            w.run(c.folders);
            const auto tiles = layoutFolderMap(w.tree, FolderTree::None, area, o);
            checkLayout(w.tree, FolderTree::None, tiles, area, o);
            if (w.tree.total(FolderTree::None) > 0) {
                EXPECT_FALSE(tiles.empty());
            }
        }
    }
}

TEST(FolderMapTest, EmptyDrivesAndZeroByteFoldersGetNoTile) {
    FakeWalk w;
    w.run({{"/r", {}}, {"/r/e", {}}});
    EXPECT_TRUE(layoutFolderMap(w.tree, FolderTree::None, QRect(0, 0, 200, 200)).empty());
}

TEST(FolderMapTest, ZoomedMapFillsTheAreaWithTheFolderAlone) {
    FakeWalk w;
    w.run({{"/r", {}}, {"/r/a", {600}}, {"/r/a/x", {300}}, {"/r/b", {100}}, {"/r/c", {50}}});
    const quint32 a = w.node("/r/a");
    const QRect area(0, 0, 300, 200);
    const auto tiles = layoutFolderMap(w.tree, a, area);
    ASSERT_FALSE(tiles.empty());
    checkLayout(w.tree, a, tiles, area, MapLayoutOptions{});
    qint64 sum = 0;
    for (const MapTile& t : tiles) {
        EXPECT_NE(t.node, w.node("/r/b"));
        if (t.level == 0)
            sum += areaOf(t.rect());
    }
    EXPECT_EQ(sum, areaOf(area)); // its subfolder and own files share the whole area
    // A leaf zoomed into shows its own files.
    const auto leaf = layoutFolderMap(w.tree, w.node("/r/a/x"), area);
    ASSERT_EQ(leaf.size(), 1u);
    EXPECT_EQ(leaf[0].kind, MapTile::Files);
}

TEST(FolderMapTest, HitsAndArrowKeysFindTheRightTiles) {
    FakeWalk w;
    w.run({{"/r", {}},
           {"/r/a", {200}},
           {"/r/a/x", {200}},
           {"/r/b", {400}},
           {"/r/c", {400}},
           {"/r/d", {400}}});
    const quint32 root = w.node("/r");
    const auto tiles = layoutFolderMap(w.tree, root, QRect(0, 0, 400, 400));
    const int a = tileOf(tiles, w.node("/r/a"));
    const int x = tileOf(tiles, w.node("/r/a/x"));
    ASSERT_GE(a, 0);
    ASSERT_GE(x, 0);
    // The innermost tile wins a hit.
    EXPECT_EQ(tileAt(tiles, tiles[size_t(x)].rect().center()), x);
    EXPECT_EQ(tileAt(tiles, QPoint(-5, 5)), -1);
    // Four equal folders in a 2 by 2 grid: each arrow reaches a sibling, never a child, and
    // going there and back returns to the start.
    const std::pair<int, int> dirs[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    int moved = 0;
    for (auto [dx, dy] : dirs) {
        const int to = neighbourTile(tiles, a, dx, dy);
        EXPECT_EQ(tiles[size_t(to)].level, tiles[size_t(a)].level);
        if (to != a) {
            ++moved;
            EXPECT_EQ(neighbourTile(tiles, to, -dx, -dy), a);
        }
    }
    EXPECT_EQ(moved, 2); // a corner tile has two neighbours
}

TEST(FolderMapTest, HoverTellsPathBytesAndShare) {
    FakeWalk w;
    w.records.setDriveBytes(1LL << 41);
    w.run({{"/r", {}}, {"/r/big", {1LL << 40}}});
    const auto tiles = layoutFolderMap(w.tree, FolderTree::None, QRect(0, 0, 100, 100));
    const int big = tileOf(tiles, w.node("/r/big"));
    ASSERT_GE(big, 0);
    const QString text = mapTileHover(w.tree, tiles[size_t(big)]);
    EXPECT_TRUE(text.startsWith("/r/big\n1,099,511,627,776 bytes (1.0 TB)\n50"))
        << text.toStdString();
}
