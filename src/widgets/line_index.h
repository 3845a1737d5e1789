#pragma once

#include "widgets/page_cache.h"

#include <cstdint>
#include <optional>
#include <vector>

// Where the text lines of a file start, built in steps so the window stays live while a big
// file is counted. LF ends a line; a last line without LF still counts. Only every
// `stride`-th line start is kept, so a billion-line file's index stays a few megabytes; other
// starts are found by scanning forward from the nearest kept one.
class LineIndex {
public:
    explicit LineIndex(std::int64_t stride = 1024) : stride_(stride) {}

    // Starts over on the descriptor (not owned), with the file's current size.
    void reset(int fd, std::int64_t size);
    // The file now has `size` bytes. A file cut below what was counted drops the starts
    // beyond it and counts that part again; a longer file is counted on to its new end.
    void resize(std::int64_t size);

    // Counts up to `budget` more bytes. True when the whole file is counted.
    bool step(std::int64_t budget);
    bool counted() const { return scanned_ >= size_; }
    std::int64_t countedBytes() const { return scanned_; }
    // The number of lines; nothing until the whole file is counted.
    std::optional<std::int64_t> lineCount() const;
    // Lines whose start is known so far (every line when counted).
    std::int64_t knownLines() const;

    // Byte offset of line `n` (from 0), read through `cache`; nothing when the line is not
    // known yet or no longer in the file.
    std::optional<std::int64_t> lineStart(std::int64_t n, PageCache& cache) const;
    // The line holding byte `offset`, which must lie in the counted part.
    std::optional<std::int64_t> lineOf(std::int64_t offset, PageCache& cache) const;

private:
    void countBlock(const char* p, std::int64_t n);

    std::int64_t stride_;
    int fd_ = -1;
    std::int64_t size_ = 0;
    std::int64_t scanned_ = 0;            // bytes counted from the start
    std::int64_t lineFeeds_ = 0;          // LFs in the counted bytes
    bool endsWithLineFeed_ = true;        // the last counted byte is LF (or nothing is counted)
    std::vector<std::int64_t> starts_{0}; // starts_[k]: offset of line k * stride_
    std::vector<char> buffer_;
    // The last line start looked up, where a lookup of a later line can go on from.
    mutable std::int64_t lastLine_ = -1;
    mutable std::int64_t lastStart_ = 0;
};
