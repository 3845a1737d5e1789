// The folder map of an "All Folders" scan, from the scan's folder records to the first picture,
// without the walk: the generated tree's folders and files are handed to the records as a walk
// hands them over, then each benchmark times the map's own work.
//
// - FirstMap/20000, FirstMap/200000: the tree built from the records, laid out and painted at
//   1280 by 800. Budgets: 100 ms and 500 ms. Reported beside it: the bytes the map holds per
//   folder beyond the records (tree and tiles; budget 32), and the time as a ratio to sorting
//   the folders' totals once (the reference, timed in the same run).
// - Resize/20000: laid out and painted again at another size. Budget: 50 ms.
// - Zoom/20000: zoomed into the largest folder and back, each laid out and painted. Budget:
//   50 ms a step.
#include "finders/folder_map.h"
#include "finders/folder_map_view.h"
#include "finders/folder_records.h"
#include "support/tree_gen.h"
#include "support/window_bench_main.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The records of an "All Folders" walk of a generated tree of `folders` folders (15 files a
// folder), made once per size.
const FolderRecords& recordsOf(int folders) {
    static std::map<int, std::unique_ptr<FolderRecords>> made;
    auto& slot = made[folders];
    if (slot)
        return *slot;
    TreeShape shape;
    shape.folders = folders;
    shape.files = folders * 15;
    std::vector<std::string> paths;
    std::map<std::string, std::vector<std::int64_t>> sizes;
    std::map<std::string, std::vector<size_t>> children;
    generateTree(
        shape, [&](const std::string& f) { paths.push_back(f); },
        [&](const GeneratedFile& f) { sizes[f.folder].push_back(f.size); });
    for (size_t i = 1; i < paths.size(); ++i) {
        const size_t slash = paths[i].rfind('/');
        children[slash == std::string::npos ? "" : paths[i].substr(0, slash)].push_back(i);
    }
    slot = std::make_unique<FolderRecords>();
    FolderRecords& r = *slot;
    r.clear(FolderRecords::Mode::AllFolders);
    r.setDriveBytes(qint64(1) << 42);
    quint64 inode = 0;
    // Depth first, as the walk goes: a folder's subfolders, then its own files, then it is left.
    const std::function<void(size_t, int)> walk = [&](size_t i, int depth) {
        const QByteArray path = "/bench" + QByteArray(paths[i].empty() ? "" : "/") +
                                QByteArray::fromStdString(paths[i]);
        r.enterFolder(path, depth);
        for (size_t c : children[paths[i]])
            walk(c, depth + 1);
        for (std::int64_t s : sizes[paths[i]]) {
            ScanFile file;
            file.name = "f";
            file.nameLength = 1;
            file.size = s;
            file.identity.inode = ++inode;
            file.identity.size = s;
            r.file(file);
        }
        r.leaveFolder(path, depth);
    };
    walk(0, 0);
    r.compact();
    return r;
}

// Lays out and paints the map below `top` in `image`; returns the tiles drawn.
size_t drawMap(const FolderTree& tree, quint32 top, QImage& image) {
    image.fill(Qt::white);
    QPainter p(&image);
    const auto tiles =
        layoutFolderMap(tree, top, image.rect(), FolderMapView::layoutOptions(p.fontMetrics()));
    drawFolderMap(p, tree, tiles, 0, {});
    return tiles.size();
}

// The reference: the folders' totals sorted once.
double referenceTime(const FolderRecords& records) {
    std::vector<qint64> totals(records.count());
    for (quint32 i = 0; i < records.count(); ++i)
        totals[i] = records.bytes(i);
    const auto start = Clock::now();
    std::sort(totals.begin(), totals.end());
    benchmark::DoNotOptimize(totals.data());
    return seconds(start);
}

void FirstMap(benchmark::State& state) {
    const FolderRecords& records = recordsOf(int(state.range(0)));
    QImage image(1280, 800, QImage::Format_RGB32);
    double mapTotal = 0, refTotal = 0;
    size_t held = 0, tiles = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        FolderTree tree;
        tree.build(records);
        const auto laid = layoutFolderMap(tree, FolderTree::None, image.rect(),
                                          FolderMapView::layoutOptions(QFontMetrics(QFont())));
        {
            QPainter p(&image);
            image.fill(Qt::white);
            drawFolderMap(p, tree, laid, 0, {});
        }
        const double t = seconds(start);
        state.SetIterationTime(t);
        mapTotal += t;
        refTotal += referenceTime(records);
        held = tree.bytesHeld() + laid.capacity() * sizeof(MapTile);
        tiles = laid.size();
    }
    state.counters["folders"] = records.count();
    state.counters["tiles"] = double(tiles);
    state.counters["bytes_per_folder"] = double(held) / records.count();
    state.counters["map_per_sort"] = mapTotal / refTotal;
}

// Resize (step 0) or zoom (step 1) at 20,000 folders.
void Repaint(benchmark::State& state, bool zoom) {
    const FolderRecords& records = recordsOf(20000);
    FolderTree tree;
    tree.build(records);
    QImage big(1280, 800, QImage::Format_RGB32), small(1000, 700, QImage::Format_RGB32);
    drawMap(tree, FolderTree::None, big);
    const quint32 root = tree.children(FolderTree::None)[0];
    const quint32 largest = tree.children(root)[0];
    bool flip = false;
    double mapTotal = 0, refTotal = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (zoom)
            drawMap(tree, flip ? FolderTree::None : largest, big);
        else
            drawMap(tree, FolderTree::None, flip ? big : small);
        const double t = seconds(start);
        state.SetIterationTime(t);
        mapTotal += t;
        refTotal += referenceTime(records);
        flip = !flip;
    }
    state.counters["map_per_sort"] = mapTotal / refTotal;
}

void Resize(benchmark::State& state) {
    Repaint(state, false);
}
void Zoom(benchmark::State& state) {
    Repaint(state, true);
}

} // namespace

BENCHMARK(FirstMap)->Arg(20000)->Arg(200000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Resize)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Zoom)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
