// The statistics collection end to end, through the real window: the drive walked, every file
// classified into the tallies, and the nine pages filled.
//
// - CollectVsFind: the 300,000-file tree in 20,000 folders (warm cache) against
//   `find TREE -printf '%s %A@ %C@ %T@ %f\n' >/dev/null` run alternately in the same process
//   (find prints the same three stamps, the size and the name of every entry).
//   The walk runs on the default threads. Budget: ratio (collection / find) at most 0.65.
// - Memory: the peak growth of the heap during a collection (every allocation counted), on a
//   tree of 20,000 files and on the 300,000-file tree. The statistics keep
//   tallies, not records, so both are about the same.
#include "platform/drives.h"
#include "stats/statistics_window.h"
#include "support/finder_bench.h"
#include "support/heap_counter.h"
#include "support/quiet_ui.h"
#include "support/run_tool.h"
#include "support/tree_gen.h"
#include "support/window_bench_main.h"

#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

double runFindStamps(const std::string& root) {
    return runTool({"find", root, "-printf", "%s %A@ %C@ %T@ %f\\n"});
}

std::unique_ptr<TfrmStatistics> openOn(const std::string& root) {
    setDriveListSeam([root] {
        return std::vector<Drive>{Drive{QString::fromStdString(root), "bench", "ext4"}};
    });
    auto w = std::make_unique<TfrmStatistics>();
    w->show();
    return w;
}

// One collection of `drive`, run to its end.
void collectOnce(TfrmStatistics& w, const QString& drive) {
    scanToEnd([&] { w.collect(drive); }, [&] { return w.collecting(); });
}

void CollectVsFind(benchmark::State& state) {
    QuietUi quiet;
    setUi(&quiet);
    const std::string& root = mainTree();
    auto w = openOn(root);
    const QString drive = QString::fromStdString(root);
    scanAgainst(
        state, {{"find", [&] { return runFindStamps(root); }}}, [&] { collectOnce(*w, drive); },
        [&] { return double(w->tallies().filesProcessed); });
    setUi(nullptr);
}

// The most the heap held above its level before the collection, in kB.
double peakHeapGrowthKb(TfrmStatistics& w, const QString& drive) {
    const long long before = heapLiveBytes();
    resetHeapPeak();
    collectOnce(w, drive);
    return double(heapPeakBytes() - before) / 1024.0;
}

void CollectMemory(benchmark::State& state) {
    QuietUi quiet;
    setUi(&quiet);
    const std::string small = benchTreeFolder() + "/stats-20k";
    makeTree(small, TreeShape{7, 20000, 1400, 20});
    const std::string& large = mainTree();
    for (auto _ : state) {
        auto w = openOn(small);
        collectOnce(*w, QString::fromStdString(small)); // the pages' first fill is not growth
        state.counters["small_files"] = double(20000);
        state.counters["small_growth_kB"] = peakHeapGrowthKb(*w, QString::fromStdString(small));
        w = openOn(large);
        collectOnce(*w, QString::fromStdString(large));
        state.counters["large_files"] = double(w->tallies().filesProcessed);
        state.counters["large_growth_kB"] = peakHeapGrowthKb(*w, QString::fromStdString(large));
    }
    setUi(nullptr);
}

} // namespace

BENCHMARK(CollectVsFind)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(CollectMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
