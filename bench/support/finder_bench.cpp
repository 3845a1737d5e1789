#include "support/finder_bench.h"

#include "support/run_tool.h"
#include "support/tree_gen.h"

#include <cstdio>

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

namespace {
std::string treeRoot(const char* name, const TreeShape& shape) {
    const std::string root = benchTreeFolder() + "/" + name;
    std::fprintf(stderr, "tree %s: %d files in %d folders ...\n", root.c_str(), shape.files,
                 shape.folders);
    const TreeFigures f = makeTree(root, shape);
    std::fprintf(stderr, "tree %s ready: %lld files, %lld folders\n", root.c_str(),
                 (long long)f.files, (long long)f.folders);
    return root;
}
} // namespace

const std::string& mainTree() {
    static const std::string root = treeRoot("scan-300k", TreeShape{1995, 300000, 20000, 20});
    return root;
}

const std::string& millionTree() {
    static const std::string root = treeRoot("scan-1m", TreeShape{2024, 1000000, 66000, 20});
    return root;
}

double runFind(const std::string& root) {
    return runTool({"find", root, "-type", "f", "-printf", "%s %f %h\\n"});
}

void scanAgainstFind(benchmark::State& state, const std::string& root,
                     const std::function<void()>& scan, const std::function<double()>& rows) {
    runFind(root); // warm the cache for both
    scan();
    double findTotal = 0, scanTotal = 0;
    for (auto _ : state) {
        const double f = runFind(root);
        if (f < 0) {
            state.SkipWithError("find failed");
            break;
        }
        const auto start = Clock::now();
        scan();
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        findTotal += f;
        scanTotal += s;
    }
    state.counters["rows"] = rows();
    state.counters["find_ms"] = findTotal * 1000 / double(state.iterations());
    state.counters["scan_ms"] = scanTotal * 1000 / double(state.iterations());
    state.counters["ratio"] = scanTotal / findTotal;
}
