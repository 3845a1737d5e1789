// The file viewer's core on big files, each figure against a reference tool run alternately
// in the same invocation (the machines are shared and noisy):
//
// - CountLines: counting the lines of a 1 GB text file (warm cache) against `wc -l`.
//   Budget: at least 1 GB/s.
// - Search: a search through the whole file for a text that is not there, with and without
//   case, against `grep -c` (and `grep -ci`). Budget: at least 1 GB/s.
// - FirstPage: opening a 4 GiB sparse file and making its first 50 text lines and 50 hex
//   lines. Budget: under 50 ms; the resident memory must not grow with the file.
// - LinesInOrder: lineText of the first 200,000 lines of the 1 GB file one after the other,
//   as printing all lines does; lines per second.
// - ControlFirstPage: the file-viewer control itself, shown offscreen, opening the same file
//   and painting its first page (a grab of the viewport), in text and in hex mode. Budget:
//   under 50 ms; resident memory under 64 MB above what it was before the first opening.
//
// The files are made once in benchTreeFolder() and kept for later runs.
#include "support/run_tool.h"
#include "support/tree_gen.h"
#include "support/window_bench_main.h"
#include "widgets/file_view_model.h"
#include "widgets/file_viewer.h"

#include <QApplication>
#include <QString>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::int64_t kTextSize = std::int64_t(1) << 30;
constexpr std::int64_t kSparseSize = (std::int64_t(4) << 30) + 123;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// A 1 GiB text file of lines from 0 to 120 bytes long, made once.
std::string textFile() {
    const std::string path = benchTreeFolder() + "/viewer-1g.txt";
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && st.st_size == kTextSize)
        return path;
    ::mkdir(benchTreeFolder().c_str(), 0755);
    const std::string part = path + ".part";
    FILE* out = std::fopen(part.c_str(), "wb");
    if (!out)
        return {};
    std::uint64_t seed = 1995;
    std::vector<char> line;
    std::int64_t written = 0;
    while (written < kTextSize) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const auto length = static_cast<std::int64_t>((seed >> 33) % 121);
        line.assign(static_cast<size_t>(std::min(length + 1, kTextSize - written)), 'a');
        for (size_t i = 0; i < line.size(); ++i)
            line[i] = static_cast<char>(" etaoinshrdluETAOIN\t,.0123"[(seed >> (i % 40)) % 26]);
        line.back() = '\n';
        std::fwrite(line.data(), 1, line.size(), out);
        written += static_cast<std::int64_t>(line.size());
    }
    std::fclose(out);
    std::rename(part.c_str(), path.c_str());
    return path;
}

std::string sparseFile() {
    const std::string path = benchTreeFolder() + "/viewer-4g-sparse.bin";
    ::mkdir(benchTreeFolder().c_str(), 0755);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, kSparseSize) != 0)
        return {};
    ::close(fd);
    return path;
}

// Times `ours` and the reference tool alternately and reports both rates and their ratio.
template <typename Ours>
void againstTool(benchmark::State& state, const std::string& path,
                 const std::vector<std::string>& tool, Ours ours) {
    if (path.empty()) {
        state.SkipWithError("could not make the file");
        return;
    }
    ours(); // warm the page cache
    double oursTotal = 0, toolTotal = 0;
    for (auto _ : state) {
        const double t = runTool(tool);
        if (t < 0) {
            state.SkipWithError("the reference tool failed");
            return;
        }
        const auto start = Clock::now();
        ours();
        const double o = seconds(start);
        toolTotal += t;
        oursTotal += o;
        state.SetIterationTime(o);
    }
    const double mb =
        static_cast<double>(kTextSize) / 1e6 * static_cast<double>(state.iterations());
    state.counters["ours_MB_s"] = mb / oursTotal;
    state.counters["tool_MB_s"] = mb / toolTotal;
    state.counters["ours_per_tool_time"] = oursTotal / toolTotal;
}

void CountLines(benchmark::State& state) {
    const std::string path = textFile();
    std::int64_t lines = 0;
    againstTool(state, path, {"wc", "-l", path}, [&] {
        FileViewModel view;
        view.open(QString::fromStdString(path));
        view.countAll();
        lines = view.lineCount().value_or(-1);
    });
    state.counters["lines"] = static_cast<double>(lines);
}

void Search(benchmark::State& state, bool matchCase) {
    const std::string path = textFile();
    const std::string needle = "zqzqzq"; // never in the file: the search reads it through
    std::vector<std::string> grep{"grep", "-c", needle, path};
    if (!matchCase)
        grep.insert(grep.begin() + 1, "-i");
    FileViewModel view;
    view.open(QString::fromStdString(path));
    againstTool(state, path, grep, [&] {
        benchmark::DoNotOptimize(view.find(QString::fromStdString(needle), 0, false, matchCase));
    });
}

long maxResidentKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void FirstPage(benchmark::State& state) {
    const std::string path = sparseFile();
    if (path.empty()) {
        state.SkipWithError("could not make the sparse file");
        return;
    }
    const long before = maxResidentKb();
    for (auto _ : state) {
        FileViewModel view;
        view.open(QString::fromStdString(path));
        for (int i = 0; i < 50; ++i)
            benchmark::DoNotOptimize(view.lineText(i));
        view.setHexMode(true);
        for (int i = 0; i < 50; ++i)
            benchmark::DoNotOptimize(view.lineText(i));
    }
    state.counters["max_rss_growth_kB"] = static_cast<double>(maxResidentKb() - before);
}
void LinesInOrder(benchmark::State& state) {
    const std::string path = textFile();
    FileViewModel view;
    view.open(QString::fromStdString(path));
    constexpr int kLines = 200000;
    view.countToLine(kLines);
    for (auto _ : state) {
        for (int i = 0; i < kLines; ++i)
            benchmark::DoNotOptimize(view.lineText(i));
    }
    state.counters["lines_per_s"] = benchmark::Counter(double(kLines) * double(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}

// The resident memory now, in kB.
long residentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

void ControlFirstPage(benchmark::State& state, bool hex) {
    const std::string path = sparseFile();
    if (path.empty()) {
        state.SkipWithError("could not make the sparse file");
        return;
    }
    FileViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    viewer.setInHexMode(hex);
    viewer.viewport()->grab(); // fonts and style loaded before the figures start
    const long before = residentKb();
    long peak = before;
    for (auto _ : state) {
        viewer.setFileName(QString::fromStdString(path));
        viewer.open();
        viewer.setInHexMode(hex);
        benchmark::DoNotOptimize(viewer.viewport()->grab());
        peak = std::max(peak, residentKb());
        state.PauseTiming();
        viewer.close();
        state.ResumeTiming();
    }
    state.counters["rss_growth_kB"] = static_cast<double>(peak - before);
}
} // namespace

BENCHMARK_CAPTURE(ControlFirstPage, text, false)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(ControlFirstPage, hex, true)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(LinesInOrder)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(CountLines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(Search, match_case, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(Search, ascii_folded, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(FirstPage)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
