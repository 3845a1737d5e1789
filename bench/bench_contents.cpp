// Hashing file contents for the duplicates by contents, from the page cache.
//
// - HashFromCache/<threads>: four files of 256 MiB with the same contents (written out, no
//   holes, so every byte is read), warm in the page cache, grouped by ContentGroups: the
//   rounds by size and by the ends are nothing beside the whole-contents round, which reads
//   and hashes all 1 GiB. Against, alternately in the same run, `cat` of the four files to
//   /dev/null and a raw read loop on the same threads that reads the files as the grouping
//   does but hashes nothing. Counters: GB/s of each (bytes read over wall time) and the time
//   ratios ours_per_cat and ours_per_raw. Budget: at least 2 GB/s with the default threads
//   (0: one per core, at most 8).
//
// The files are made once in benchTreeFolder() and kept for later runs.
#include "finders/content_groups.h"
#include "finders/scan_engine.h"
#include "platform/entry_info.h"
#include "platform/unique_fd.h"
#include "support/run_tool.h"
#include "support/tree_gen.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr qint64 kFileSize = qint64(256) << 20;
constexpr int kFiles = 4;
constexpr qint64 kChunk = qint64(1) << 20;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The four files, made once: pseudo-random bytes, the same in each.
const std::vector<std::string>& hashFiles() {
    static const std::vector<std::string> paths = [] {
        const std::string folder = benchTreeFolder() + "/contents-hash";
        ::mkdir(benchTreeFolder().c_str(), 0755);
        ::mkdir(folder.c_str(), 0755);
        std::vector<char> chunk(kChunk);
        std::vector<std::string> made;
        for (int i = 0; i < kFiles; ++i) {
            const std::string path = folder + "/copy" + std::to_string(i) + ".bin";
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0 && st.st_size == kFileSize &&
                st.st_blocks * 512 >= kFileSize) {
                made.push_back(path);
                continue;
            }
            const std::string part = path + ".part";
            const UniqueFd fd(::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
            std::uint64_t x = 1995;
            for (qint64 written = 0; fd.fd >= 0 && written < kFileSize; written += kChunk) {
                for (size_t b = 0; b < chunk.size(); b += 8) {
                    x = x * 6364136223846793005ULL + 1442695040888963407ULL;
                    std::memcpy(chunk.data() + b, &x, 8);
                }
                if (::write(fd.fd, chunk.data(), chunk.size()) != ssize_t(chunk.size()))
                    return std::vector<std::string>();
            }
            if (fd.fd < 0 || std::rename(part.c_str(), path.c_str()) != 0)
                return std::vector<std::string>();
            made.push_back(path);
        }
        return made;
    }();
    return paths;
}

// Reads the files whole on `threads` threads, a file at a time each, as the grouping does,
// and hashes nothing; the bytes read.
qint64 rawRead(const std::vector<std::string>& paths, int threads) {
    std::atomic<size_t> next{0};
    std::atomic<qint64> total{0};
    const auto run = [&] {
        std::vector<char> buffer(kChunk);
        for (size_t i; (i = next.fetch_add(1)) < paths.size();) {
            const UniqueFd fd(::open(paths[i].c_str(), O_RDONLY | O_CLOEXEC));
            ::posix_fadvise(fd.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            qint64 done = 0;
            for (ssize_t n; (n = ::pread(fd.fd, buffer.data(), buffer.size(), done)) > 0;)
                done += n;
            total += done;
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(run);
    run();
    for (std::thread& thread : pool)
        thread.join();
    return total;
}

void HashFromCache(benchmark::State& state) {
    const std::vector<std::string>& paths = hashFiles();
    if (int(paths.size()) != kFiles) {
        state.SkipWithError("could not make the files");
        return;
    }
    std::vector<ContentGroups::Candidate> candidates;
    for (const std::string& path : paths) {
        EntryInfo info;
        if (!statAt(AT_FDCWD, path.c_str(), info)) {
            state.SkipWithError("could not look at the files");
            return;
        }
        candidates.push_back({quint32(candidates.size()), FileIdentity::of(info)});
    }
    ContentGroups groups;
    groups.setThreads(int(state.range(0)));
    const int threads = state.range(0) > 0 ? int(state.range(0)) : ScanEngine::defaultThreads();
    const auto path = [&](quint32 record) { return QByteArray::fromStdString(paths[record]); };
    std::vector<std::string> cat = {"cat"};
    cat.insert(cat.end(), paths.begin(), paths.end());

    rawRead(paths, threads); // into the page cache
    double ours = 0, tool = 0, raw = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const ContentGroups::Result result = groups.group(candidates, path);
        const double o = seconds(start);
        if (result.groups.size() != 1 || result.groups[0].members.size() != size_t(kFiles)) {
            state.SkipWithError("the copies were not grouped");
            return;
        }
        bytes += groups.bytesRead();
        const double t = runTool(cat);
        const auto rawStart = Clock::now();
        rawRead(paths, threads);
        raw += seconds(rawStart);
        if (t < 0) {
            state.SkipWithError("cat failed");
            return;
        }
        ours += o;
        tool += t;
        state.SetIterationTime(o);
    }
    const double all = double(kFileSize) * kFiles * double(state.iterations());
    state.counters["threads"] = threads;
    state.counters["ours_GB_s"] = double(bytes) / ours / 1e9;
    state.counters["cat_GB_s"] = all / tool / 1e9;
    state.counters["raw_GB_s"] = all / raw / 1e9;
    state.counters["ours_per_cat"] = ours / tool;
    state.counters["ours_per_raw"] = ours / raw;
}

} // namespace

BENCHMARK(HashFromCache)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

BENCHMARK_MAIN();
