// The details window's data for a 4 GiB sparse file that is not a program: the labels' texts
// and the version lines, as the window makes them when it is shown (the entry's look-up, its
// file system's geometry, the type name, the dates and the version reader).
//
// Budget: under 50 ms and under 128 KiB read from the file. The bytes are counted twice: the
// version reader's own count, and the process's whole read count (rchar of /proc/self/io, less
// what reading that file costs itself). Two files: one of NUL bytes, and one that starts with
// "MZ" and points at a program header near its end, so the reader follows it before it gives up.
//
// The type names are read once per process; the first call (which loads them) is shown apart
// and not timed with the rest.
#include "inspect/details_texts.h"
#include "inspect/version_info.h"
#include "support/tree_gen.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr long long FileSize = 4LL << 30;

// A sparse file of FileSize bytes whose first bytes are `head`.
std::string sparseFile(const char* name, const std::string& head) {
    const std::string folder = benchTreeFolder();
    ::mkdir(folder.c_str(), 0755);
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, FileSize) != 0 ||
        ::pwrite(fd, head.data(), head.size(), 0) != ssize_t(head.size()))
        std::abort();
    ::close(fd);
    return path;
}

std::string plainFile() {
    static const std::string path = sparseFile("details-4g.bin", std::string());
    return path;
}

// "MZ" and a program header offset (at 0x3C) 16 bytes before the end of the first 4 GiB less
// one page, far beyond any header the reader accepts.
std::string stubFile() {
    static const std::string path = [] {
        std::string head(64, '\0');
        head[0] = 'M';
        head[1] = 'Z';
        const unsigned offset = 0xFFFFEFF0u;
        std::memcpy(&head[0x3C], &offset, 4);
        return sparseFile("details-4g-mz.bin", head);
    }();
    return path;
}

long long rchar() {
    char text[512];
    const int fd = ::open("/proc/self/io", O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd >= 0 ? ::read(fd, text, sizeof text - 1) : -1;
    if (fd >= 0)
        ::close(fd);
    if (n <= 0)
        return -1;
    text[n] = '\0';
    const char* at = std::strstr(text, "rchar:");
    return at ? std::atoll(at + 6) : -1;
}

void Details(benchmark::State& state, std::string (*file)()) {
    const std::string path = file();
    const QString name = QString::fromStdString(path);
    const QDate today = QDate::currentDate();
    static bool warm = false;
    if (!warm) {
        warm = true;
        const auto start = std::chrono::steady_clock::now();
        const long long before = rchar();
        benchmark::DoNotOptimize(readFileDetails(name, today));
        const long long after = rchar();
        std::fprintf(
            stderr, "first call, type names loaded: %.1f ms, %lld bytes read\n",
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count(),
            after - before);
    }
    // What reading /proc/self/io adds to rchar by itself.
    const long long probe = -(rchar() - rchar());

    long long processBytes = 0;
    for (auto _ : state) {
        const long long before = rchar();
        auto details = readFileDetails(name, today);
        const long long after = rchar();
        benchmark::DoNotOptimize(details);
        processBytes = after - before - probe;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    qint64 readerBytes = 0;
    readVersionResource(fd, &readerBytes);
    ::close(fd);
    state.counters["reader_bytes"] = double(readerBytes);
    state.counters["process_bytes"] = double(processBytes);
}
} // namespace

BENCHMARK_CAPTURE(Details, nul_bytes, plainFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Details, mz_stub, stubFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
