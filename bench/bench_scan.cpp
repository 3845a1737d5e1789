// The duplicate and file-hog finders end to end, through the real window: Scan pressed, the
// drive walked, the records made, grouped or ordered, and the grid filled.
//
// - ScanVsFind: a 300,000-file tree in 20,000 folders (warm cache), in duplicates mode and in
//   file-hog mode with every file passing, against
//   `find TREE -type f -printf '%s %f %h\n' >/dev/null` run alternately in the same process.
//   Budget: ratio (scan / find) at most 1.
// - MillionFiles: a 1,000,000-file tree scanned in file-hog mode with every file passing; the
//   peak of the memory the program allocates during the scan, per listed file (budget 100
//   bytes), then refilling the grid and sorting it by each Sort item (budget under a second
//   each).
//
// Trees are made once (sparse files) in benchTreeFolder() and kept for later runs.
#include "common/locations.h"
#include "common/ui.h"
#include "finders/dup_window.h"
#include "platform/drives.h"
#include "support/finder_bench.h"
#include "support/heap_counter.h"
#include "support/quiet_ui.h"
#include "support/tree_gen.h"
#include "widgets/number_field.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The finder window with the tree as its only drive, every file passing the size filter.
std::unique_ptr<TfrmDup> openOn(const std::string& root, bool duplicates) {
    setDriveListSeam([root] {
        return std::vector<Drive>{Drive{QString::fromStdString(root), "bench", "ext4"}};
    });
    auto w = std::make_unique<TfrmDup>(duplicates);
    w->show();
    w->pnlDrives->box(1)->setChecked(true);
    w->rbLarger->setChecked(true);
    w->num1->setValue(0);
    return w;
}

void ScanVsFind(benchmark::State& state, bool duplicates) {
    const std::string& root = mainTree();
    auto w = openOn(root, duplicates);
    scanAgainstFind(
        state, root, [&] { w->btScanClick(); }, [&] { return double(w->rowCounter); });
}

// Scans the million-file tree in the window's mode and reports the memory the scan held at
// its peak and at its end, per listed file and per file walked.
void measureScan(benchmark::State& state, TfrmDup& w, const char* prefix) {
    w.ClearGrid();
    w.lbFiles.clear();
    w.lbList.clear();
    w.lbFiles.shrink_to_fit();
    w.lbList.shrink_to_fit();
    malloc_trim(0);
    const long long before = heapLiveBytes();
    resetHeapPeak();
    const auto start = Clock::now();
    w.btScanClick();
    const double scan = secondsSince(start);
    const double peak = double(heapPeakBytes() - before);
    const double held = double(heapLiveBytes() - before);
    const double listed = double(w.rowCounter);
    const double walked = double(w.records().count());
    const std::string p(prefix);
    state.counters[p + "listed"] = listed;
    state.counters[p + "scan_s"] = scan;
    state.counters[p + "peak_bytes_per_listed_file"] = peak / listed;
    state.counters[p + "held_bytes_per_listed_file"] = held / listed;
    state.counters[p + "peak_bytes_per_file"] = peak / walked;
}

void MillionFiles(benchmark::State& state) {
    const std::string& root = millionTree();
    runFind(root); // warm the cache
    for (auto _ : state) {
        {
            auto dups = openOn(root, true);
            measureScan(state, *dups, "dups_");
        }
        auto w = openOn(root, false);
        measureScan(state, *w, "hogs_");

        // Filling the grid again from the records: order them and write the rows.
        w->ClearGrid();
        auto t = Clock::now();
        w->reSort();
        state.counters["fill_s"] = secondsSince(t);

        const std::pair<const char*, QAction*> items[] = {{"sort_name_s", w->menu.Name1},
                                                          {"sort_size_s", w->menu.Size1},
                                                          {"sort_date_s", w->menu.Date1},
                                                          {"sort_access_s", w->menu.AccessDate1},
                                                          {"sort_type_s", w->menu.Type1}};
        for (const auto& [label, item] : items) {
            t = Clock::now();
            w->Sortbysize1Click(item);
            state.counters[label] = secondsSince(t);
        }
    }
}

} // namespace

BENCHMARK_CAPTURE(ScanVsFind, duplicates, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(ScanVsFind, file_hogs_all_passing, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(MillionFiles)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The windows save their placement: keep that away from the real settings.
    char home[] = "/tmp/zelkova-bench-XXXXXX";
    if (mkdtemp(home)) {
        setenv("XDG_CONFIG_HOME", home, 1);
        setenv("XDG_DATA_HOME", home, 1);
    }
    QApplication app(argc, argv);
    QuietUi quiet;
    setUi(&quiet);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setUi(nullptr);
    setDriveListSeam(nullptr);
    const std::string cleanup = std::string("rm -rf '") + home + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
