// The file viewer's core on big files, each figure against a reference tool run alternately
// in the same invocation (the machines are shared and noisy):
//
// - CountLines: counting the lines of a file (warm cache) against `wc -l`: a 1 GiB text file,
//   1 GiB of NUL bytes written out, and a 5 GiB sparse file that is one line of NUL bytes.
//   Budget: at least 1 GB/s.
// - CountInControl: the control opening the 1 GiB NUL file and counting it on its worker
//   thread, against `wc -l`; the longest the user-interface thread went without turning its
//   event loop meanwhile. Budget: the thread stays live (well under 100 ms).
// - GiantLineKeys: keys in the control (each painted) on the 5 GiB one-line file, against the
//   same keys on a 1,000-line file. Budget: under 100 ms a key.
// - GoToLineSparse: Go to line 2 in an 8 GiB sparse file without LF and in a 1 TiB one, from
//   opening to the caret there. Budget: under 100 ms.
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
#include "model/file_view_model.h"
#include "widgets/file_viewer.h"

#include <QApplication>
#include <QKeyEvent>
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

// A sparse file of `size` bytes, then `tail`.
std::string sparseFile(const char* name, std::int64_t size, const std::string& tail = {}) {
    const std::string path = benchTreeFolder() + "/" + name;
    ::mkdir(benchTreeFolder().c_str(), 0755);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, size) != 0)
        return {};
    const bool written =
        ::pwrite(fd, tail.data(), tail.size(), size) == static_cast<ssize_t>(tail.size());
    ::close(fd);
    return written ? path : std::string();
}

std::string sparseFile() {
    return sparseFile("viewer-4g-sparse.bin", kSparseSize);
}

// 1 GiB of NUL bytes written out (no holes), made once.
std::string nulFile() {
    const std::string path = benchTreeFolder() + "/viewer-1g-nul.bin";
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && st.st_size == kTextSize)
        return path;
    ::mkdir(benchTreeFolder().c_str(), 0755);
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return {};
    const std::vector<char> zeros(1 << 20, '\0');
    for (std::int64_t written = 0; written < kTextSize; written += zeros.size())
        std::fwrite(zeros.data(), 1, zeros.size(), out);
    std::fclose(out);
    return path;
}

// A 5 GiB line of NUL bytes (sparse), then one short line.
std::string giantLineFile() {
    return sparseFile("viewer-5g-line.bin", std::int64_t(5) << 30, "\nshort line\n");
}

// Times `ours` and the reference tool alternately and reports both rates and their ratio.
template <typename Ours>
void againstTool(benchmark::State& state, const std::string& path,
                 const std::vector<std::string>& tool, Ours ours, std::int64_t size = kTextSize) {
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
    const double mb = static_cast<double>(size) / 1e6 * static_cast<double>(state.iterations());
    state.counters["ours_MB_s"] = mb / oursTotal;
    state.counters["tool_MB_s"] = mb / toolTotal;
    state.counters["ours_per_tool_time"] = oursTotal / toolTotal;
}

void CountLines(benchmark::State& state, std::string (*file)()) {
    const std::string path = file();
    struct stat st {};
    ::stat(path.c_str(), &st);
    std::int64_t lines = 0;
    againstTool(
        state, path, {"wc", "-l", path},
        [&] {
            FileViewModel view;
            view.open(QString::fromStdString(path));
            view.countAll();
            lines = view.lineCount().value_or(-1);
        },
        st.st_size);
    state.counters["lines"] = static_cast<double>(lines);
}

// Turns the event loop until `done`; the longest time between two turns, in ms.
template <typename Done> double longestStall(Done done) {
    double longest = 0;
    auto last = Clock::now();
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto now = Clock::now();
        longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    }
    return longest;
}

void CountInControl(benchmark::State& state) {
    const std::string path = nulFile();
    FileViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    double stall = 0;
    againstTool(state, path, {"wc", "-l", path}, [&] {
        viewer.setFileName(QString::fromStdString(path));
        viewer.open();
        stall = std::max(
            stall, longestStall([&] { return viewer.lineCount() != FileViewer::kUncounted; }));
    });
    state.counters["ui_longest_stall_ms"] = stall;
}

// Each key, then the control painted; the slowest key in ms.
double keysMs(FileViewer& viewer) {
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_End, {}},
        {Qt::Key_Home, {}},
        {Qt::Key_Down, {}},
        {Qt::Key_Up, {}},
        {Qt::Key_End, {}},
        {Qt::Key_Right, {}},
        {Qt::Key_Left, {}},
        {Qt::Key_PageDown, {}},
        {Qt::Key_PageUp, {}},
        {Qt::Key_End, Qt::ControlModifier},
        {Qt::Key_Home, Qt::ControlModifier},
    };
    double slowest = 0;
    for (const auto& [key, modifiers] : keys) {
        const auto start = Clock::now();
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&viewer, &press);
        benchmark::DoNotOptimize(viewer.viewport()->grab());
        slowest = std::max(slowest, seconds(start) * 1e3);
    }
    return slowest;
}

void GiantLineKeys(benchmark::State& state) {
    const std::string path = giantLineFile();
    const std::string small = benchTreeFolder() + "/viewer-1000-lines.txt";
    if (FILE* out = std::fopen(small.c_str(), "wb")) {
        for (int i = 0; i < 1000; ++i)
            std::fprintf(out, "line %d of a small file with some words on it\n", i);
        std::fclose(out);
    }
    if (path.empty()) {
        state.SkipWithError("could not make the file");
        return;
    }
    FileViewer giant, plain;
    for (const auto& [viewer, file] : {std::pair{&giant, &path}, std::pair{&plain, &small}}) {
        viewer->resize(800, 600);
        viewer->show();
        viewer->setFileName(QString::fromStdString(*file));
        viewer->open();
        viewer->countAllLines();
    }
    double giantMs = 0, plainMs = 0;
    for (auto _ : state) {
        giantMs = std::max(giantMs, keysMs(giant));
        plainMs = std::max(plainMs, keysMs(plain));
    }
    state.counters["giant_slowest_key_ms"] = giantMs;
    state.counters["small_slowest_key_ms"] = plainMs;
}

void GoToLineSparse(benchmark::State& state, std::int64_t size) {
    const std::string path = sparseFile("viewer-goto-sparse.bin", size);
    if (path.empty()) {
        state.SkipWithError("could not make the sparse file");
        return;
    }
    FileViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    for (auto _ : state) {
        viewer.setFileName(QString::fromStdString(path));
        viewer.open();
        viewer.goTo(1, 0);
        longestStall([&] { return viewer.work() == FileViewer::Work::None; });
        benchmark::DoNotOptimize(viewer.viewport()->grab());
    }
    state.counters["caret_line"] = static_cast<double>(viewer.caret().line);
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
BENCHMARK_CAPTURE(CountLines, text, textFile)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(CountLines, nul, nulFile)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(CountLines, sparse_giant_line, giantLineFile)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(CountInControl)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(GiantLineKeys)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(GoToLineSparse, sparse_8g, std::int64_t(8) << 30)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(GoToLineSparse, sparse_1t, std::int64_t(1) << 40)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
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
