// The duplicate and file-hog finders end to end, through the real window: Scan pressed, the
// drive walked, the records made, grouped or ordered, and the grid filled.
//
// - ScanVsReferences/<mode>/<threads>: the 300,000-file tree in 20,000 folders (warm cache),
//   in duplicates mode and in file-hog mode with every file passing, walked by 1, 2 and 4
//   threads, against `find TREE -type f -printf '%s %f %h\n' >/dev/null` and
//   `ncdu -0 -o /dev/null -x TREE` run alternately in the same process. Budgets: ratio to find
//   at most 0.65, to ncdu at most 0.7; the processor time (cpu_ms, all threads) at most 1.2
//   times the one-thread figure of the same run (cpu_vs_one_thread).
// - ColdScanVsFind/<mode>: the same with the caches dropped before every run, find's and the
//   scan's alike, with the default threads; skipped with the reason where the caches cannot be
//   dropped (not root, or no writable /proc/sys/vm/drop_caches). Budget: ratio to find at
//   most 0.65.
// - MillionFiles: a 1,000,000-file tree scanned in file-hog mode with every file passing; the
//   peak of the memory the program allocates during the scan, per listed file, then refilling
//   the grid and sorting it by each Sort item (budget under a second each).
// - MillionUniqueNames: a 1,000,000-file tree where a quarter of the files have a name of
//   their own, scanned in both modes; the heap held at the end of the scan and at its peak,
//   per listed row. Budget: 100 bytes per listed row held.
// - LongestBlock: a duplicate scan of the million-file tree through the real window with the
//   event loop running, from Scan clicked until the grid is filled and painted; the longest
//   gap between two ticks of a 1 ms timer, that is the longest time the user-interface thread
//   did not get to its events. Budget: 50 ms.
//
// Trees are made once (sparse files) in benchTreeFolder() and kept for later runs.
#include "common/locations.h"
#include "common/ui.h"
#include "finders/dup_window.h"
#include "finders/scan_engine.h"
#include "finders/scan_session.h"
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
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
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

// The processor time of the one-thread scan of each mode in this run, the yardstick of the
// scans with more threads; 0 until measured.
double oneThreadCpu[2] = {0, 0};

// Scan pressed and the scan run to its end.
void scanOnce(TfrmDup& w) {
    scanToEnd([&] { w.btScanClick(); }, [&] { return w.session().scanning(); });
}

void ScanVsReferences(benchmark::State& state, bool duplicates) {
    const std::string& root = mainTree();
    const int threads = int(state.range(0));
    auto w = openOn(root, duplicates);
    w->session().engine().setThreads(threads);
    scanAgainst(
        state, {{"find", [&] { return runFind(root); }}, {"ncdu", [&] { return runNcdu(root); }}},
        [&] { scanOnce(*w); }, [&] { return double(w->rowCounter); });
    state.counters["threads"] = w->session().engine().threads();
    double& one = oneThreadCpu[duplicates ? 1 : 0];
    if (threads == 1)
        one = state.counters["cpu_ms"];
    if (one > 0)
        state.counters["cpu_vs_one_thread"] = state.counters["cpu_ms"] / one;
}

void ColdScanVsFind(benchmark::State& state, bool duplicates) {
    const std::string& root = mainTree();
    auto w = openOn(root, duplicates);
    state.counters["threads"] = w->session().engine().threads();
    scanAgainst(
        state, {{"find", [&] { return runFind(root); }}}, [&] { scanOnce(*w); },
        [&] { return double(w->rowCounter); }, true);
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
    scanOnce(w);
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

// Where the bytes and the time of a duplicate scan go, per listed row, step by step without
// the window: the records after the walk, the sorted list, and the list of rows.
void duplicateBreakdown(benchmark::State& state, const std::string& root) {
    malloc_trim(0);
    const long long before = heapLiveBytes();
    DupRecords records(true);
    records.setFilter(SizeFilter{SizeMode::Larger, 0, 0});
    ScanEngine engine;
    engine.setSink(&records);
    auto t = Clock::now();
    engine.walk(QString::fromStdString(root));
    state.counters["dups_walk_s"] = secondsSince(t);
    const long long walked = heapLiveBytes();
    t = Clock::now();
    std::vector<quint32> sorted = records.sortedList();
    state.counters["dups_sort_s"] = secondsSince(t);
    const long long ranked = heapLiveBytes();
    t = Clock::now();
    const std::vector<quint32> rows = duplicateRows(records, sorted, false);
    state.counters["dups_rows_s"] = secondsSince(t);
    const double listed = double(rows.size());
    state.counters["dups_part_records"] = double(walked - before) / listed;
    state.counters["dups_part_sorted_and_ranks"] = double(ranked - walked) / listed;
    state.counters["dups_part_rows"] = double(heapLiveBytes() - ranked) / listed;
    state.counters["unique_name_share"] = 1.0 - listed / double(records.count());
}

void MillionUniqueNames(benchmark::State& state) {
    const std::string& root = millionUniqueTree();
    runFind(root); // warm the cache
    for (auto _ : state) {
        for (const bool duplicates : {true, false}) {
            auto w = openOn(root, duplicates);
            measureScan(state, *w, duplicates ? "dups_" : "hogs_");
        }
        duplicateBreakdown(state, root);
    }
}

// Records the longest time between two ticks of a 1 ms timer: while the user-interface thread
// is busy elsewhere, the timer cannot fire.
class TickGaps : public QObject {
public:
    TickGaps() {
        connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.start(1);
    }
    void tick() {
        const auto now = Clock::now();
        if (last_ != Clock::time_point()) {
            const double gap = std::chrono::duration<double>(now - last_).count();
            if (gap > longest_) {
                longest_ = gap;
                longestEnded_ = now;
            }
        }
        last_ = now;
        if (onTick)
            onTick();
    }
    double longest() const { return longest_; }
    // When the longest gap ended.
    Clock::time_point longestEnded() const { return longestEnded_; }
    std::function<void()> onTick;

private:
    QTimer timer_;
    Clock::time_point last_, longestEnded_;
    double longest_ = 0;
};

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void LongestBlock(benchmark::State& state) {
    const std::string& root = millionTree();
    runFind(root); // warm the cache
    auto w = openOn(root, true);
    PaintCounter painted(w->grid->viewport());
    double longest = 0, total = 0, longestBegan = 0;
    for (auto _ : state) {
        w->ClearGrid();
        QEventLoop loop;
        TickGaps gaps;
        bool clicked = false;
        int paintsAtEnd = -1;
        const auto start = Clock::now();
        // The scan's end is seen by the session no longer scanning once Scan was clicked;
        // then the probe runs on until the grid has been painted after it.
        gaps.onTick = [&] {
            if (!clicked)
                return;
            if (paintsAtEnd < 0 && !w->session().scanning()) {
                paintsAtEnd = painted.paints;
                w->grid->viewport()->update(); // a paint even if the grid asked for none
            } else if (paintsAtEnd >= 0 && painted.paints > paintsAtEnd)
                loop.quit();
        };
        QTimer::singleShot(20, w.get(), [&] {
            clicked = true;
            w->btScan->click();
        });
        loop.exec();
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        total += s;
        if (gaps.longest() > longest) {
            longest = gaps.longest();
            // Where the block was: its start in the time from Scan to the grid painted.
            longestBegan =
                std::chrono::duration<double>(gaps.longestEnded() - start).count() - longest;
        }
    }
    state.counters["rows"] = double(w->rowCounter);
    state.counters["scan_to_paint_ms"] = total * 1000 / double(state.iterations());
    state.counters["longest_block_ms"] = longest * 1000;
    state.counters["longest_block_began_ms"] = longestBegan * 1000;
}

} // namespace

BENCHMARK_CAPTURE(ScanVsReferences, duplicates, true)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(ScanVsReferences, file_hogs_all_passing, false)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(ColdScanVsFind, duplicates, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(ColdScanVsFind, file_hogs_all_passing, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(MillionFiles)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(MillionUniqueNames)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(LongestBlock)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

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
