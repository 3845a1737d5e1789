// Strings extraction from a 1 GB file in the page cache, against a plain read() of the same
// file with the same buffer size, run alternately in the same process.
//
// The file looks like a large program or data file: stretches of NUL bytes, stretches of
// arbitrary bytes and runs of letters, digits and blanks of every length up to 150. It is made
// once in benchTreeFolder() and kept for later runs.
//
// Budget: at least 500 MB/s; the ratio (extraction time / read time) shows what the scan
// itself costs.
//
// The strings window listing the same file, against the extraction alone: the ratio shows what
// keeping the window live costs (the list shown as it grows, events handled every 20 ms), and
// the peak memory what a list of millions of strings takes.
#include "inspect/strings_extract.h"
#include "inspect/strings_window.h"
#include "support/tree_gen.h"
#include "support/window_bench_main.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QListView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr long long FileSize = 1LL << 30;
constexpr size_t ReadSize = 1 << 20;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// 16 MiB of generated content, written 64 times over.
std::string makeSample() {
    std::mt19937_64 random(1995);
    std::string bytes;
    bytes.reserve((16u << 20) + 200);
    static const char text[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789  ";
    while (bytes.size() < 16u << 20) {
        const unsigned kind = unsigned(random() % 10);
        const size_t length = 1 + size_t(random() % 150);
        for (size_t i = 0; i < length; ++i) {
            if (kind < 4)
                bytes += '\0';
            else if (kind < 7)
                bytes += char(random());
            else
                bytes += text[random() % (sizeof text - 1)];
        }
    }
    bytes.resize(16u << 20);
    return bytes;
}

const std::string& sampleFile() {
    static const std::string path = [] {
        const std::string folder = benchTreeFolder();
        ::mkdir(folder.c_str(), 0755);
        const std::string p = folder + "/strings-1g.bin";
        struct stat st;
        if (::stat(p.c_str(), &st) == 0 && st.st_size == FileSize)
            return p;
        std::fprintf(stderr, "making %s ...\n", p.c_str());
        const std::string sample = makeSample();
        const std::string part = p + ".part";
        const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (long long done = 0; fd >= 0 && done < FileSize; done += (long long)sample.size())
            if (::write(fd, sample.data(), sample.size()) != ssize_t(sample.size()))
                std::abort();
        ::close(fd);
        ::rename(part.c_str(), p.c_str());
        return p;
    }();
    return path;
}

// Reads the whole file through one reused buffer, as the extraction does, and does nothing
// with the bytes.
double plainRead(const std::string& path) {
    const auto start = Clock::now();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::unique_ptr<char[]> buffer(new char[ReadSize]);
    long long total = 0;
    for (ssize_t n; (n = ::read(fd, buffer.get(), ReadSize)) > 0;) {
        benchmark::DoNotOptimize(buffer.get());
        total += n;
    }
    ::close(fd);
    if (total != FileSize)
        std::abort();
    return secondsSince(start);
}

void StringsVsRead(benchmark::State& state) {
    const std::string& path = sampleFile();
    const QString qpath = QString::fromStdString(path);
    plainRead(path); // warm the cache
    StringList list;
    double readTotal = 0, extractTotal = 0;
    for (auto _ : state) {
        readTotal += plainRead(path);
        const auto start = Clock::now();
        if (extractStrings(qpath, list) != ExtractResult::Done) {
            state.SkipWithError("extraction failed");
            break;
        }
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        extractTotal += s;
    }
    const double mb = double(FileSize) / 1e6 * double(state.iterations());
    state.counters["strings"] = double(list.count());
    state.counters["read_MB_per_s"] = mb / readTotal;
    state.counters["strings_MB_per_s"] = mb / extractTotal;
    state.counters["ratio"] = extractTotal / readTotal;
}

void StringsWindowVsExtract(benchmark::State& state) {
    const std::string& path = sampleFile();
    const QString qpath = QString::fromStdString(path);
    plainRead(path);
    double extractTotal = 0, windowTotal = 0;
    size_t found = 0;
    int shown = 0;
    for (auto _ : state) {
        {
            StringList list;
            const auto start = Clock::now();
            extractStrings(qpath, list);
            extractTotal += secondsSince(start);
            found = list.count();
        }
        const auto start = Clock::now();
        {
            TfrmStrings window;
            window.fileName = qpath;
            window.show();
            shown = window.Memo1->model()->rowCount();
        }
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        windowTotal += s;
    }
    if (size_t(shown) != found)
        state.SkipWithError("the window shows another number of strings");
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double mb = double(FileSize) / 1e6 * double(state.iterations());
    state.counters["strings"] = double(found);
    state.counters["window_MB_per_s"] = mb / windowTotal;
    state.counters["ratio"] = windowTotal / extractTotal;
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
}

} // namespace

BENCHMARK(StringsVsRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(StringsWindowVsExtract)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
