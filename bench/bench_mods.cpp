// The date finder end to end, through the real window: Start pressed, the drive walked, every
// file tested by its date and recorded, and the grid filled.
//
// - ScanVsFind: the 300,000-file tree in 20,000 folders (warm cache), every file passing ("On
//   or Before" the last day a date field takes), against
//   `find TREE -type f -printf '%s %f %h\n' >/dev/null` run alternately in the same process.
//   Budget: ratio (scan / find) at most 0.9.
// - MillionSorts: the million-file tree scanned with every file passing, then each Sort item
//   timed (budget under a second each).
#include "common/locations.h"
#include "finders/mods_window.h"
#include "platform/date_text.h"
#include "platform/drives.h"
#include "support/run_tool.h"
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

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double runFind(const std::string& root) {
    return runTool({"find", root, "-type", "f", "-printf", "%s %f %h\\n"});
}

std::string treeRoot(const char* name, const TreeShape& shape) {
    const std::string root = benchTreeFolder() + "/" + name;
    std::fprintf(stderr, "tree %s ...\n", root.c_str());
    makeTree(root, shape);
    return root;
}

// The same trees as the other finders' benchmarks, so they are made once for all.
const std::string& mainTree() {
    static const std::string root = treeRoot("scan-300k", TreeShape{1995, 300000, 20000, 20});
    return root;
}

const std::string& millionTree() {
    static const std::string root = treeRoot("scan-1m", TreeShape{2024, 1000000, 66000, 20});
    return root;
}

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

void ScanVsFind(benchmark::State& state) {
    const std::string& root = mainTree();
    auto w = openOn(root);
    runFind(root);
    w->btOKClick();
    double findTotal = 0, scanTotal = 0;
    for (auto _ : state) {
        const double f = runFind(root);
        if (f < 0) {
            state.SkipWithError("find failed");
            break;
        }
        const auto start = Clock::now();
        w->btOKClick();
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        findTotal += f;
        scanTotal += s;
    }
    state.counters["rows"] = double(w->rowCounter);
    state.counters["find_ms"] = findTotal * 1000 / double(state.iterations());
    state.counters["scan_ms"] = scanTotal * 1000 / double(state.iterations());
    state.counters["ratio"] = scanTotal / findTotal;
}

void MillionSorts(benchmark::State& state) {
    const std::string& root = millionTree();
    runFind(root);
    for (auto _ : state) {
        auto w = openOn(root);
        auto t = Clock::now();
        w->btOKClick();
        state.counters["scan_s"] = secondsSince(t);
        state.counters["rows"] = double(w->rowCounter);
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
