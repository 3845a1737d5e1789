// The date finder end to end, through the real window: Start pressed, the drive walked, every
// file tested by its date and recorded, and the grid filled.
//
// - ScanVsFind: the 300,000-file tree in 20,000 folders (warm cache), every file passing ("On
//   or Before" the last day a date field takes), against
//   `find TREE -type f -printf '%s %f %h\n' >/dev/null` run alternately in the same process.
//   The walk runs on the default threads. Budget: ratio (scan / find) at most 0.65.
// - MillionSorts: the million-file tree scanned with every file passing: the heap the scan
//   held at its peak and at its end per listed file (budget 100 bytes), then each Sort item
//   timed (budget under a second each).
#include "common/locations.h"
#include "finders/mods_window.h"
#include "finders/scan_session.h"
#include "platform/date_text.h"
#include "platform/drives.h"
#include "support/finder_bench.h"
#include "support/heap_counter.h"
#include "support/tree_gen.h"
#include "support/window_bench_main.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <malloc.h>

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<TfrmMods> openOn(const std::string& root) {
    setDriveListSeam([root] {
        return std::vector<Drive>{Drive{QString::fromStdString(root), "bench", "ext4"}};
    });
    auto w = std::make_unique<TfrmMods>();
    w->show();
    w->pnlDrives->box(1)->setChecked(true);
    w->rbBefore->setChecked(true);
    w->rbModified->setChecked(true);
    w->dtStart->setText(shortDateText(QDate(9999, 12, 31)));
    return w;
}

// Start pressed and the scan run to its end.
void scanOnce(TfrmMods& w) {
    scanToEnd([&] { w.btOKClick(); }, [&] { return w.session().scanning(); });
}

void ScanVsFind(benchmark::State& state) {
    const std::string& root = mainTree();
    auto w = openOn(root);
    scanAgainstFind(
        state, root, [&] { scanOnce(*w); }, [&] { return double(w->rowCounter); });
}

void MillionSorts(benchmark::State& state) {
    const std::string& root = millionTree();
    runFind(root);
    for (auto _ : state) {
        auto w = openOn(root);
        malloc_trim(0);
        const long long before = heapLiveBytes();
        resetHeapPeak();
        auto t = Clock::now();
        scanOnce(*w);
        state.counters["scan_s"] = secondsSince(t);
        const double rows = double(w->rowCounter);
        state.counters["rows"] = rows;
        state.counters["peak_bytes_per_listed_file"] = double(heapPeakBytes() - before) / rows;
        state.counters["held_bytes_per_listed_file"] = double(heapLiveBytes() - before) / rows;
        const std::pair<const char*, QAction*> items[] = {
            {"sort_name_s", w->menu.Sortbyname1},
            {"sort_access_s", w->menu.AccessDate1},
            {"sort_created_s", w->menu.CreationDate1},
            {"sort_modified_s", w->menu.ModificationDate1},
            {"sort_folder_s", w->menu.Folder1},
            {"sort_type_s", w->menu.Type1}};
        for (const auto& [label, item] : items) {
            t = Clock::now();
            w->Sortbyname1Click(item);
            state.counters[label] = secondsSince(t);
        }
    }
}

} // namespace

BENCHMARK(ScanVsFind)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(MillionSorts)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
