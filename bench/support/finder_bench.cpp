#include "support/finder_bench.h"

#include "support/run_tool.h"
#include "support/tree_gen.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double processCpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

void scanToEnd(const std::function<void()>& start, const std::function<bool()>& running) {
    start();
    while (running())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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

const std::string& millionUniqueTree() {
    static const std::string root =
        treeRoot("scan-1m-unique", TreeShape{2025, 1000000, 66000, 20, 0.25});
    return root;
}

double runFind(const std::string& root) {
    return runTool({"find", root, "-type", "f", "-printf", "%s %f %h\\n"});
}

double runNcdu(const std::string& root) {
    return runTool({"ncdu", "-0", "-o", "/dev/null", "-x", root});
}

bool dropCaches(std::string& why) {
    if (::geteuid() != 0) {
        why = "not running as root";
        return false;
    }
    ::sync();
    const int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    if (fd < 0 || ::write(fd, "3\n", 2) != 2) {
        why = std::string("cannot write /proc/sys/vm/drop_caches: ") + std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

void scanAgainst(benchmark::State& state, const std::vector<Reference>& references,
                 const std::function<void()>& scan, const std::function<double()>& rows,
                 bool cold) {
    std::string why;
    auto prepare = [&] { return !cold || dropCaches(why); };
    if (!cold) { // warm the cache for all
        for (const Reference& r : references)
            r.run();
        scan();
    }
    std::vector<double> referenceTotal(references.size(), 0.0);
    double scanTotal = 0, cpuTotal = 0;
    for (auto _ : state) {
        bool ok = true;
        for (size_t i = 0; ok && i < references.size(); ++i) {
            ok = prepare();
            const double t = ok ? references[i].run() : -1;
            if (ok && t < 0)
                why = references[i].name + " failed";
            ok = ok && t >= 0;
            referenceTotal[i] += t;
        }
        if (!ok || !prepare()) {
            state.SkipWithError(why.c_str());
            return;
        }
        const double cpu = processCpuSeconds();
        const auto start = Clock::now();
        scan();
        const double s = secondsSince(start);
        cpuTotal += processCpuSeconds() - cpu;
        state.SetIterationTime(s);
        scanTotal += s;
    }
    const double n = double(state.iterations());
    state.counters["rows"] = rows();
    state.counters["scan_ms"] = scanTotal * 1000 / n;
    state.counters["cpu_ms"] = cpuTotal * 1000 / n;
    for (size_t i = 0; i < references.size(); ++i) {
        state.counters[references[i].name + "_ms"] = referenceTotal[i] * 1000 / n;
        state.counters["ratio_" + references[i].name] = scanTotal / referenceTotal[i];
    }
}

void scanAgainstFind(benchmark::State& state, const std::string& root,
                     const std::function<void()>& scan, const std::function<double()>& rows) {
    scanAgainst(state, {{"find", [&] { return runFind(root); }}}, scan, rows);
}
