#pragma once

#include "model/page_cache.h"

#include <cstdint>
#include <optional>
#include <vector>

// A line start that the line index keeps: the line's number (from 0) and its byte offset.
struct LineMark {
    std::int64_t line = 0;
    std::int64_t offset = 0;
};

// How far the counting of a file's lines has come: all a count needs to go on from there.
struct CountState {
    std::int64_t scanned = 0;     // bytes counted from the start
    std::int64_t lineFeeds = 0;   // LFs in them
    bool endsWithLineFeed = true; // the last counted byte is LF, or nothing is counted
    LineMark lastKept;            // the last line start kept
};

// Counts the LFs of an open file (the descriptor is not owned) from a state on. It keeps the
// start of every `stride`-th line, and of any line that starts `keepBytes` or more after the
// last kept start, so that any line start is found by reading less than keepBytes from a kept
// one, however long the lines are. It reads large blocks, counts them with vector compares and
// steps over the holes of a sparse file, which hold no LF. It shares nothing, so a worker
// thread can run one on a copy of the index's state.
class LineCounter {
public:
    LineCounter(int fd, const CountState& state, std::int64_t stride, std::int64_t keepBytes);

    const CountState& state() const { return state_; }
    // Counts on towards byte `end`, reading at most `budget` bytes (holes stepped over are
    // free), and appends the starts it keeps to `marks`. False when the file ended before `end`.
    bool count(std::int64_t end, std::int64_t budget, std::vector<LineMark>& marks);

private:
    void countBlock(const char* p, std::int64_t n, std::vector<LineMark>& marks);

    int fd_;
    CountState state_;
    std::int64_t stride_;
    std::int64_t keepBytes_;
    std::vector<char> buffer_;
};

// Where the text lines of a file start. LF ends a line; a last line without LF still counts.
// Counted in steps here (step) or by a LineCounter elsewhere whose results come back by take(),
// so the window stays live while a big file is counted. Only some line starts are kept (see
// LineCounter), so a billion-line file's index stays a few megabytes; other starts are found
// by reading on from the nearest kept one, never more than keepBytes.
class LineIndex {
public:
    explicit LineIndex(std::int64_t stride = 1024, std::int64_t keepBytes = 1 << 20)
        : stride_(stride), keepBytes_(keepBytes) {}

    // Starts over on the descriptor (not owned), with the file's current size.
    void reset(int fd, std::int64_t size);
    // The file now has `size` bytes. A file cut below what was counted drops the starts
    // beyond it and counts that part again; a longer file is counted on to its new end.
    void resize(std::int64_t size);
    std::int64_t size() const { return size_; }

    // Counts up to `budget` more bytes. True when the whole file is counted.
    bool step(std::int64_t budget);
    // A counter that goes on from where the index stands, to count elsewhere.
    LineCounter counter() const;
    // Takes what a counter made by counter() has counted since: the starts it kept and its
    // state. `cutShort`: it found the file ending sooner than the index's size.
    void take(const std::vector<LineMark>& marks, const CountState& state, bool cutShort);

    bool counted() const { return state_.scanned >= size_; }
    std::int64_t countedBytes() const { return state_.scanned; }
    // The number of lines; nothing until the whole file is counted.
    std::optional<std::int64_t> lineCount() const;
    // Lines whose start is known so far (every line when counted).
    std::int64_t knownLines() const;

    // Byte offset of line `n` (from 0), read through `cache`; nothing when the line is not
    // known yet or no longer in the file.
    std::optional<std::int64_t> lineStart(std::int64_t n, PageCache& cache) const;
    // Byte offset just after the LF that ends line `n`; nothing when that LF is not counted
    // yet or the line has none.
    std::optional<std::int64_t> nextLineStart(std::int64_t n, PageCache& cache) const;
    // The line holding byte `offset`, which must lie in the counted part.
    std::optional<std::int64_t> lineOf(std::int64_t offset, PageCache& cache) const;

private:
    // Offset just after the `k`-th LF (k from 1; 0 gives 0), once counted.
    std::optional<std::int64_t> afterLineFeed(std::int64_t k, PageCache& cache) const;

    std::int64_t stride_;
    std::int64_t keepBytes_;
    int fd_ = -1;
    std::int64_t size_ = 0;
    CountState state_;
    std::vector<LineMark> marks_{LineMark{}}; // in order of lines and offsets alike
    // The last line start looked up, where a lookup of a later line can go on from.
    mutable std::int64_t lastFeed_ = -1;
    mutable std::int64_t lastStart_ = 0;
};
