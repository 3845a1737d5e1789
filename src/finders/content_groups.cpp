#include "finders/content_groups.h"

#include "finders/scan_engine.h"
#include "platform/regular_file.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <numeric>
#include <thread>
#include <unistd.h>
#include <xxhash.h>

namespace {

// Round 2 hashes this much from each end of a file. A file of at most twice as much is read
// whole there, so its round-2 hash is already the hash of its whole contents.
constexpr qint64 kEdge = 4096;
constexpr qint64 kReadWholeUpTo = 2 * kEdge;
// Round 3 reads in steps of this size into each thread's own buffer.
constexpr qint64 kChunk = qint64(1) << 20;
constexpr quint32 kNoFile = ~quint32(0);

enum class Outcome : quint8 { Pending, Hashed, Changed, Unreadable };

// One distinct file (device and inode) among the candidates.
struct File {
    quint32 first = 0; // the candidate that names it first: its member record
    quint32 names = 1; // its names among the candidates
    Outcome outcome = Outcome::Pending;
    // Round 2's hash (of the ends, or of the whole contents of a small file), then round 3's.
    // Hashes are only ever compared between files of one size, so the two kinds never meet.
    XXH128_hash_t hash{0, 0};
};

bool hashLess(const XXH128_hash_t& a, const XXH128_hash_t& b) {
    return a.high64 != b.high64 ? a.high64 < b.high64 : a.low64 < b.low64;
}

// Reads and hashes files on one thread, with its own buffer and hash state.
class Hasher {
public:
    Hasher(const std::atomic<bool>& aborted, std::atomic<qint64>& bytesRead)
        : aborted_(aborted), bytesRead_(bytesRead), buffer_(new char[kChunk]),
          state_(XXH3_createState()) {}
    ~Hasher() { XXH3_freeState(state_); }
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    // Hashes the file at `path` if it is still the file `seen` describes: its two ends
    // (`whole` false, for files above kReadWholeUpTo) or all of it. The file must still be
    // that file, unchanged, once it has been read.
    Outcome hash(const QByteArray& path, const FileIdentity& seen, bool whole, XXH128_hash_t& out) {
        const RegularFileOpen opened = openSeenFile(path, seen);
        const UniqueFd file(opened.fd);
        switch (opened.error) {
        case RegularFileError::None:
            break;
        case RegularFileError::Refused:
            return Outcome::Unreadable;
        default:
            return Outcome::Changed;
        }
        bool complete = false;
        if (seen.size <= kReadWholeUpTo) {
            complete = hashWhole(file.fd, seen.size, out);
        } else if (whole) {
            ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            complete = hashWhole(file.fd, seen.size, out);
        } else {
            complete = hashEnds(file.fd, seen.size, out);
        }
        if (aborted_.load(std::memory_order_relaxed))
            return Outcome::Pending;
        // A read that ended early found the file shorter than the walk saw it.
        EntryInfo after;
        if (!statAt(file.fd, "", after) || !FileIdentity::of(after).unchanged(seen))
            return Outcome::Changed;
        if (!complete)
            return errno_ == 0 ? Outcome::Changed : Outcome::Unreadable;
        return Outcome::Hashed;
    }

private:
    // Reads `length` bytes at `offset` into the buffer from `into` on; false at an error
    // (errno_ set) or the end of the file (errno_ 0).
    bool readAt(int fd, qint64 offset, qint64 length, qint64 into = 0) {
        char* const out = buffer_.get() + into;
        qint64 done = 0;
        while (done < length) {
            const ssize_t n = ::pread(fd, out + done, size_t(length - done), offset + done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                errno_ = n < 0 ? errno : 0;
                return false;
            }
            done += n;
        }
        bytesRead_.fetch_add(length, std::memory_order_relaxed);
        return true;
    }

    bool hashEnds(int fd, qint64 size, XXH128_hash_t& out) {
        if (!readAt(fd, 0, kEdge) || !readAt(fd, size - kEdge, kEdge, kEdge))
            return false;
        out = XXH3_128bits(buffer_.get(), size_t(2 * kEdge));
        return true;
    }

    // Streams the whole file through the hash; the abort flag is looked at between reads.
    // The holes of a sparse file read as zeros and are hashed as zeros without reading them, so
    // they cost neither the disk nor the page cache anything. Small files are read at once.
    bool hashWhole(int fd, qint64 size, XXH128_hash_t& out) {
        static const char zeros[kChunk] = {};
        XXH3_128bits_reset(state_);
        for (qint64 offset = 0; offset < size;) {
            // A hole up to the next data, or data up to the next hole, read a chunk at least
            // (a hole read reads zeros), so that the loop goes on whatever the file does.
            const bool small = size <= kReadWholeUpTo;
            const qint64 data = small ? offset : seek(fd, offset, SEEK_DATA, size);
            const bool hole = data > offset;
            const qint64 end = hole    ? data
                               : small ? size
                                       : std::max(seek(fd, offset, SEEK_HOLE, size),
                                                  std::min(size, offset + kChunk));
            for (qint64 length; offset < end; offset += length) {
                if (aborted_.load(std::memory_order_relaxed))
                    return false;
                length = std::min(kChunk, end - offset);
                if (hole) {
                    bytesRead_.fetch_add(length, std::memory_order_relaxed);
                } else if (!readAt(fd, offset, length)) {
                    return false;
                }
                XXH3_128bits_update(state_, hole ? zeros : buffer_.get(), size_t(length));
            }
        }
        out = XXH3_128bits_digest(state_);
        return true;
    }

    // The next data (SEEK_DATA) or hole (SEEK_HOLE) at or after `offset`, at most `size`. A
    // file system that cannot tell has data everywhere and a hole at the end.
    static qint64 seek(int fd, qint64 offset, int whence, qint64 size) {
        const off_t at = ::lseek(fd, offset, whence);
        if (at >= 0)
            return std::min<qint64>(at, size);
        // ENXIO: no data after `offset`.
        return whence == SEEK_DATA && errno != ENXIO ? offset : size;
    }

    const std::atomic<bool>& aborted_;
    std::atomic<qint64>& bytesRead_;
    std::unique_ptr<char[]> buffer_;
    XXH3_state_t* state_;
    int errno_ = 0;
};

// Calls work(i, hasher) for every i below `count` on up to `threads` threads, each taking the
// next index as it runs dry.
template <typename Work>
void onThreads(int threads, size_t count, const std::atomic<bool>& aborted,
               std::atomic<qint64>& bytesRead, const Work& work) {
    std::atomic<size_t> next{0};
    const auto run = [&] {
        Hasher hasher(aborted, bytesRead);
        for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
            if (aborted.load(std::memory_order_relaxed))
                return;
            work(i, hasher);
        }
    };
    const int extra = int(std::min<size_t>(size_t(std::max(threads, 1)), count)) - 1;
    std::vector<std::thread> pool;
    for (int t = 0; t < extra; ++t)
        pool.emplace_back(run);
    run();
    for (std::thread& thread : pool)
        thread.join();
}

// Splits `ids`, files of one size in the candidates' order, into the sets whose hashes are
// equal, and adds those of two or more files to `out` in the order of their first file.
void splitByHash(std::vector<quint32>& ids, const std::vector<File>& files,
                 std::vector<std::vector<quint32>>& out) {
    std::stable_sort(ids.begin(), ids.end(),
                     [&](quint32 a, quint32 b) { return hashLess(files[a].hash, files[b].hash); });
    const size_t added = out.size();
    for (size_t begin = 0, end; begin < ids.size(); begin = end) {
        end = begin + 1;
        while (end < ids.size() && XXH128_isEqual(files[ids[end]].hash, files[ids[begin]].hash))
            ++end;
        if (end - begin >= 2)
            out.emplace_back(ids.begin() + qsizetype(begin), ids.begin() + qsizetype(end));
    }
    std::sort(out.begin() + qsizetype(added), out.end(),
              [&](const auto& a, const auto& b) { return files[a[0]].first < files[b[0]].first; });
}

// The distinct files (device and inode) of every size that more than one file has, largest
// size first, each size's files in the candidates' order. Each name knows the candidate that
// names its file first (`memberOf`), each such member its file (`fileOf`).
struct DistinctFiles {
    std::vector<File> files;
    std::vector<quint32> memberOf, fileOf;
};

using Candidates = std::vector<ContentGroups::Candidate>;

// Adds the distinct files of `run`, the candidates of one size, when there are two or more.
void addFilesOfOneSize(std::vector<quint32>& run, const Candidates& candidates, DistinctFiles& d) {
    // Names of one file sort together, the first named first.
    std::sort(run.begin(), run.end(), [&](quint32 a, quint32 b) {
        const FileIdentity &x = candidates[a].seen, &y = candidates[b].seen;
        if (x.device != y.device)
            return x.device < y.device;
        return x.inode != y.inode ? x.inode < y.inode : a < b;
    });
    std::vector<File>& files = d.files;
    const size_t firstFile = files.size();
    for (size_t i = 0; i < run.size(); ++i) {
        if (i > 0 && candidates[run[i]].seen.sameFile(candidates[run[i - 1]].seen)) {
            ++files.back().names;
            d.memberOf[run[i]] = files.back().first;
        } else {
            files.push_back({});
            files.back().first = d.memberOf[run[i]] = run[i];
        }
    }
    if (files.size() - firstFile < 2) { // one file under several names
        for (quint32 c : run)
            d.memberOf[c] = kNoFile;
        files.resize(firstFile);
        return;
    }
    std::sort(files.begin() + qsizetype(firstFile), files.end(),
              [](const File& a, const File& b) { return a.first < b.first; });
    for (size_t f = firstFile; f < files.size(); ++f)
        d.fileOf[files[f].first] = quint32(f);
}

DistinctFiles distinctFiles(const Candidates& candidates) {
    const auto sizeOf = [&](quint32 c) { return candidates[c].seen.size; };
    // Sizes that occur more than once, largest first, each as a run of candidates in their
    // own order.
    std::vector<quint32> order;
    order.reserve(candidates.size());
    for (quint32 c = 0; c < candidates.size(); ++c) {
        if (sizeOf(c) > 0)
            order.push_back(c);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](quint32 a, quint32 b) { return sizeOf(a) > sizeOf(b); });
    DistinctFiles d;
    d.memberOf.assign(candidates.size(), kNoFile);
    d.fileOf.assign(candidates.size(), kNoFile);
    std::vector<quint32> run;
    for (size_t begin = 0, end; begin < order.size(); begin = end) {
        end = begin + 1;
        while (end < order.size() && sizeOf(order[end]) == sizeOf(order[begin]))
            ++end;
        if (end - begin >= 2) {
            run.assign(order.begin() + qsizetype(begin), order.begin() + qsizetype(end));
            addFilesOfOneSize(run, candidates, d);
        }
    }
    return d;
}

// Turns the sets of files of equal contents into the result's groups and other names.
void collectGroups(const std::vector<std::vector<quint32>>& sets, const DistinctFiles& d,
                   const Candidates& candidates, ContentGroups::Result& result) {
    const std::vector<File>& files = d.files;
    const auto sizeOf = [&](quint32 c) { return candidates[c].seen.size; };
    // Deleting a duplicate frees its bytes only when every name of its file is listed: a
    // file with links elsewhere stays on the disk. A group keeps one member; keeping the one
    // that frees the least (nothing, when a member has links elsewhere) leaves the most to
    // win back, so a group frees the sum over its members less their smallest share.
    std::vector<bool> grouped(files.size(), false);
    for (const auto& set : sets) {
        ContentGroups::Group group;
        group.size = sizeOf(files[set[0]].first);
        qint64 frees = 0, least = group.size;
        for (quint32 f : set) {
            const ContentGroups::Candidate& member = candidates[files[f].first];
            group.members.push_back(member.record);
            grouped[f] = true;
            const qint64 share = member.seen.links > files[f].names ? 0 : group.size;
            frees += share;
            least = std::min(least, share);
        }
        result.duplicates += qint64(set.size()) - 1;
        result.freeable += frees - least;
        result.groups.push_back(std::move(group));
    }
    for (quint32 c = 0; c < candidates.size(); ++c) {
        const quint32 member = d.memberOf[c];
        if (member != kNoFile && member != c && grouped[d.fileOf[member]])
            result.otherNames.emplace_back(candidates[member].record, candidates[c].record);
    }
}

// Splits the hashed files of `ids`, which run from the largest size down, into sets by size
// and hash.
void splitBySizeAndHash(const std::vector<quint32>& ids, const std::vector<File>& files,
                        const Candidates& candidates, std::vector<std::vector<quint32>>& out) {
    const auto sizeOf = [&](quint32 f) { return candidates[files[f].first].seen.size; };
    std::vector<quint32> same;
    for (size_t begin = 0, end; begin < ids.size(); begin = end) {
        const qint64 size = sizeOf(ids[begin]);
        same.clear();
        for (end = begin; end < ids.size() && sizeOf(ids[end]) == size; ++end) {
            if (files[ids[end]].outcome == Outcome::Hashed)
                same.push_back(ids[end]);
        }
        splitByHash(same, files, out);
    }
}

} // namespace

ContentGroups::Result
ContentGroups::group(std::vector<Candidate> candidates,
                     const std::function<QByteArray(quint32 record)>& nativePath) {
    bytesRead_.store(0, std::memory_order_relaxed);
    const int threads = threads_ > 0 ? threads_ : ScanEngine::defaultThreads();
    Result result;
    const auto sizeOf = [&](quint32 c) { return candidates[c].seen.size; };
    const auto aborted = [] {
        Result dropped;
        dropped.aborted = true;
        return dropped;
    };

    DistinctFiles distinct = distinctFiles(candidates);
    std::vector<File>& files = distinct.files;

    // Reads the files given by `ids` on the threads; false when aborted. A file that cannot be
    // hashed is counted and left out of every later round.
    const auto hashRound = [&](const std::vector<quint32>& ids, bool whole) {
        onThreads(threads, ids.size(), aborted_, bytesRead_, [&](size_t i, Hasher& hasher) {
            File& file = files[ids[i]];
            const Candidate& member = candidates[file.first];
            file.outcome = hasher.hash(nativePath(member.record), member.seen, whole, file.hash);
        });
        if (aborted_.load(std::memory_order_relaxed))
            return false;
        for (quint32 f : ids) {
            result.changed += files[f].outcome == Outcome::Changed;
            result.unreadable += files[f].outcome == Outcome::Unreadable;
        }
        return true;
    };
    // Round 2: the ends of every file; the whole of a small one, which so needs no round 3.
    std::vector<quint32> ids(files.size());
    std::iota(ids.begin(), ids.end(), 0);
    if (!hashRound(ids, false))
        return aborted();
    std::vector<std::vector<quint32>> ends, sets;
    splitBySizeAndHash(ids, files, candidates, ends);
    ids.clear();
    for (const auto& set : ends) {
        if (sizeOf(files[set[0]].first) <= kReadWholeUpTo)
            sets.push_back(set);
        else
            ids.insert(ids.end(), set.begin(), set.end());
    }

    // Round 3: the whole contents of the larger files whose ends agree. Their sizes are all
    // above those of the sets already made, so their sets come first.
    std::vector<std::vector<quint32>> large;
    std::sort(ids.begin(), ids.end(), [&](quint32 a, quint32 b) {
        const qint64 x = sizeOf(files[a].first), y = sizeOf(files[b].first);
        return x != y ? x > y : files[a].first < files[b].first;
    });
    if (!hashRound(ids, true))
        return aborted();
    splitBySizeAndHash(ids, files, candidates, large);
    sets.insert(sets.begin(), large.begin(), large.end());

    collectGroups(sets, distinct, candidates, result);
    return result;
}
