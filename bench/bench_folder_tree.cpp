// The browser's folder tree opening a folder of 10,000 subfolders: the tree view shown
// offscreen expands the folder's item, which reads and orders its subfolders. Against
// `find DIR -mindepth 1 -maxdepth 1 -type d` on the same folder, run alternately in the same
// invocation. Budget: under 0.3 s.
#include "support/run_tool.h"
#include "support/tree_gen.h"
#include "support/window_bench_main.h"
#include "widgets/folder_tree_model.h"

#include <QApplication>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {
constexpr int kSubfolders = 10000;

// The folder with kSubfolders subfolders, made once and kept.
std::string wideFolder() {
    const std::string folder = benchTreeFolder() + "/wide-folders";
    ::mkdir(benchTreeFolder().c_str(), 0755);
    ::mkdir(folder.c_str(), 0755);
    for (int i = 0; i < kSubfolders; ++i)
        ::mkdir((folder + "/Folder " + std::to_string(i * 7919 % kSubfolders)).c_str(), 0755);
    return folder;
}

void ExpandWideFolder(benchmark::State& state) {
    const std::string folder = wideFolder();
    const QString path = QString::fromStdString(folder);
    double oursTotal = 0, toolTotal = 0;
    for (auto _ : state) {
        const double tool =
            runTool({"find", folder, "-mindepth", "1", "-maxdepth", "1", "-type", "d"});
        FolderTreeModel model;
        model.setRoot(path.section(QLatin1Char('/'), 0, -2));
        QTreeView view;
        view.setModel(&model);
        view.resize(300, 600);
        view.show();
        const auto start = std::chrono::steady_clock::now();
        const QModelIndex wide = model.indexOf(path);
        view.expand(model.index(0, 0));
        view.expand(wide);
        QApplication::processEvents();
        const double ours =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (model.rowCount(wide) != kSubfolders || tool < 0) {
            state.SkipWithError("the folder was not listed whole");
            return;
        }
        state.SetIterationTime(ours);
        oursTotal += ours;
        toolTotal += tool;
    }
    state.counters["ours_per_tool_time"] = oursTotal / toolTotal;
}
} // namespace

BENCHMARK(ExpandWideFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
