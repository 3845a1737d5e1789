// The folder-hog finder end to end, through the real window: the mode button pressed, the
// drive walked, the folder records made, ordered once and the grid filled.
//
// - MainFolders: the 300,000-file tree in 20,000 folders (warm cache) against
//   `du -sx --apparent-size` over the same top folders. Budget: ratio at most 0.65.
// - AllFolders: the same tree against `du -x --apparent-size` on it. Budget: ratio at most 0.65.
// The walks run on the default threads.
// Both report the heap held after the scan per listed folder (budget 100 bytes).
// - MemoryAtScale: that heap on the 300,000-file tree and on the million-file tree, and per
//   folder added between the two.
#include "common/locations.h"
#include "finders/dirhog_window.h"
#include "finders/scan_session.h"
#include "platform/drives.h"
#include "support/finder_bench.h"
#include "support/heap_counter.h"
#include "support/run_tool.h"
#include "support/tree_gen.h"
#include "support/window_bench_main.h"

#include <QCheckBox>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The visible folders directly under `root`, as the main-folders mode lists them.
std::vector<std::string> topFolders(const std::string& root) {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(root.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_type == DT_DIR && e->d_name[0] != '.')
                out.push_back(root + "/" + e->d_name);
        ::closedir(d);
    }
    return out;
}

// One scan in `mode`, run to its end.
void scanOnce(TfrmDirHog& w, FolderRecords::Mode mode) {
    scanToEnd([&] { w.scan(mode); }, [&] { return w.session().scanning(); });
}

void compare(benchmark::State& state, FolderRecords::Mode mode) {
    const std::string& root = mainTree();
    std::vector<std::string> du{"du", "-x", "--apparent-size"};
    if (mode == FolderRecords::Mode::MainFolders) {
        du = {"du", "-sx", "--apparent-size"};
        for (const std::string& f : topFolders(root))
            du.push_back(f);
    } else {
        du.push_back(root);
    }
    setDriveListSeam([root] {
        return std::vector<Drive>{Drive{QString::fromStdString(root), "bench", "ext4"}};
    });
    auto open = [] {
        auto w = std::make_unique<TfrmDirHog>();
        w->show();
        w->pnlDrives->box(1)->setChecked(true);
        return w;
    };
    auto w = open();
    runTool(du); // warm the cache for both
    scanOnce(*w, mode);
    double duTotal = 0, scanTotal = 0;
    double heldPerFolder = 0, peakPerFolder = 0;
    for (auto _ : state) {
        const double d = runTool(du);
        if (d < 0) {
            state.SkipWithError("du failed");
            break;
        }
        // A fresh window, so the heap held after the scan is this scan's alone.
        w.reset();
        w = open();
        malloc_trim(0);
        const long long before = heapLiveBytes();
        resetHeapPeak();
        const auto start = Clock::now();
        scanOnce(*w, mode);
        const double s = secondsSince(start);
        heldPerFolder = double(heapLiveBytes() - before) / double(w->rowCounter);
        peakPerFolder = double(heapPeakBytes() - before) / double(w->rowCounter);
        state.SetIterationTime(s);
        duTotal += d;
        scanTotal += s;
    }
    state.counters["folders"] = double(w->rowCounter);
    state.counters["du_ms"] = duTotal * 1000 / double(state.iterations());
    state.counters["scan_ms"] = scanTotal * 1000 / double(state.iterations());
    state.counters["ratio"] = scanTotal / duTotal;
    state.counters["held_bytes_per_folder"] = heldPerFolder;
    state.counters["peak_bytes_per_folder"] = peakPerFolder;
    setDriveListSeam(nullptr);
}

// The heap an "All Folders" scan holds per listed folder, on the 300,000-file tree and on the
// million-file tree, and per folder added between the two: the part that grows with the drive.
void MemoryAtScale(benchmark::State& state) {
    struct Figures {
        double folders, held, peak;
    };
    auto measure = [](const std::string& root) {
        setDriveListSeam([root] {
            return std::vector<Drive>{Drive{QString::fromStdString(root), "bench", "ext4"}};
        });
        auto w = std::make_unique<TfrmDirHog>();
        w->show();
        w->pnlDrives->box(1)->setChecked(true);
        malloc_trim(0);
        const long long before = heapLiveBytes();
        resetHeapPeak();
        scanOnce(*w, FolderRecords::Mode::AllFolders);
        const Figures f{double(w->rowCounter), double(heapLiveBytes() - before),
                        double(heapPeakBytes() - before)};
        setDriveListSeam(nullptr);
        return f;
    };
    const std::string& small = mainTree();
    const std::string& large = millionTree();
    runTool({"du", "-x", "--apparent-size", small});
    runTool({"du", "-x", "--apparent-size", large});
    for (auto _ : state) {
        const Figures a = measure(small);
        const Figures b = measure(large);
        state.counters["folders_300k"] = a.folders;
        state.counters["folders_1m"] = b.folders;
        state.counters["held_bytes_per_folder_300k"] = a.held / a.folders;
        state.counters["held_bytes_per_folder_1m"] = b.held / b.folders;
        state.counters["peak_bytes_per_folder_1m"] = b.peak / b.folders;
        state.counters["held_bytes_per_added_folder"] = (b.held - a.held) / (b.folders - a.folders);
    }
}

} // namespace

BENCHMARK_CAPTURE(compare, MainFolders, FolderRecords::Mode::MainFolders)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(compare, AllFolders, FolderRecords::Mode::AllFolders)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

BENCHMARK(MemoryAtScale)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
