#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

// One search of an open file (the descriptor is not owned) for `needle`, made in steps so that
// it can run a slice at a time, or on a worker thread. Forward it finds the first match that
// starts at or after `from`; backward the last one that starts before `from`. Without
// `matchCase` ASCII letters match either case. The file is read in blocks with pread; a needle
// without NUL bytes cannot match in a hole of a sparse file, so holes are stepped over.
class FileSearch {
public:
    FileSearch(int fd, std::int64_t size, const QByteArray& needle, std::int64_t from,
               bool backward, bool matchCase);

    // Searches on through up to `budget` more bytes (holes stepped over are free). Returns the
    // match's offset once found; nothing while the search goes on or when it ends without one.
    std::optional<std::int64_t> step(std::int64_t budget);
    // Nothing is left to search: the match is found or the whole range searched.
    bool done() const { return lo_ >= hi_; }
    // The bytes of the range passed over so far, and the whole range, for showing progress.
    std::int64_t passed() const { return total_ - (hi_ - lo_); }
    std::int64_t total() const { return total_; }

private:
    // Reads bytes [from, from + length) folded as the pattern is; the number read.
    std::int64_t readBlock(std::int64_t from, std::int64_t length);
    // The first (or with `last` the last) match in the first `got` bytes read.
    std::optional<std::int64_t> match(std::int64_t from, std::int64_t got, bool last) const;

    int fd_;
    QByteArray pattern_;
    bool backward_;
    bool matchCase_;
    bool skipHoles_;
    // Match starts still to search: [lo_, hi_).
    std::int64_t lo_ = 0;
    std::int64_t hi_ = 0;
    std::int64_t total_ = 0;
    std::vector<char> buffer_;
};

// Searches the first `size` bytes of an open file at once: the match's offset, nothing for no
// match or an empty needle.
std::optional<std::int64_t> findInFile(int fd, std::int64_t size, const QByteArray& needle,
                                       std::int64_t from, bool backward, bool matchCase);
