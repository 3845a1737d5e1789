#include "model/line_index.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// Big reads keep the system calls few; 1 MiB still fits the caches while it is counted.
constexpr std::int64_t kReadSize = 1 << 20;
// Blocks are counted whole; only a block where a start is kept is walked LF by LF.
constexpr std::int64_t kCountBlock = 4096;

std::int64_t countLineFeeds(const char* p, std::int64_t n) {
    std::int64_t count = 0;
    std::int64_t i = 0;
#if defined(__SSE2__)
    // Byte-wide tallies in four registers: at most 255 rounds of 64 bytes before they are
    // summed, so no tally overflows.
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    const auto load = [&](std::int64_t at) {
        return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)), lf);
    };
    while (n - i >= 64) {
        __m128i a = zero, b = zero, c = zero, d = zero;
        for (std::int64_t rounds = std::min<std::int64_t>((n - i) / 64, 255); rounds > 0;
             --rounds, i += 64) {
            a = _mm_sub_epi8(a, load(i));
            b = _mm_sub_epi8(b, load(i + 16));
            c = _mm_sub_epi8(c, load(i + 32));
            d = _mm_sub_epi8(d, load(i + 48));
        }
        const __m128i sum =
            _mm_add_epi64(_mm_add_epi64(_mm_sad_epu8(a, zero), _mm_sad_epu8(b, zero)),
                          _mm_add_epi64(_mm_sad_epu8(c, zero), _mm_sad_epu8(d, zero)));
        count += _mm_cvtsi128_si64(sum) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sum, sum));
    }
#endif
    for (; i < n; ++i)
        count += p[i] == '\n';
    return count;
}

// Offset just after the `skip`-th LF from `from`, read through the cache; nothing when the
// file ends first.
std::optional<std::int64_t> skipLines(std::int64_t from, std::int64_t skip, PageCache& cache) {
    char buf[PageCache::kPageSize];
    std::int64_t at = from;
    // Small reads first: most skips end within a line or two.
    std::int64_t want = 4096;
    while (skip > 0) {
        const std::int64_t got = cache.read(at, want, buf);
        want = std::min<std::int64_t>(want * 4, sizeof buf);
        if (got <= 0)
            return std::nullopt;
        const char* p = buf;
        const char* end = buf + got;
        while (skip > 0) {
            const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
            if (!lf)
                break;
            p = static_cast<const char*>(lf) + 1;
            --skip;
        }
        at += skip > 0 ? got : p - buf;
    }
    return at;
}
} // namespace

LineCounter::LineCounter(int fd, const CountState& state, std::int64_t stride,
                         std::int64_t keepBytes)
    : fd_(fd), state_(state), stride_(stride), keepBytes_(keepBytes) {}

bool LineCounter::count(std::int64_t end, std::int64_t budget, std::vector<LineMark>& marks) {
    while (state_.scanned < end) {
        const std::int64_t at = state_.scanned;
        // A hole reads as NUL bytes, so it holds no LF: step over it. A file system that
        // cannot tell holes from data says every byte is data.
        const off_t data = ::lseek(fd_, at, SEEK_DATA);
        if (data < 0 && errno == ENXIO) {
            // No data from here on: the rest is a hole, or the file now ends before `at`.
            struct stat st {};
            const std::int64_t fileEnd = ::fstat(fd_, &st) == 0 ? st.st_size : end;
            const std::int64_t to = std::clamp<std::int64_t>(fileEnd, at, end);
            if (to > at) {
                state_.scanned = to;
                state_.endsWithLineFeed = false;
            }
            if (to < end)
                return false;
            continue;
        }
        if (data > at) {
            state_.scanned = std::min<std::int64_t>(data, end);
            state_.endsWithLineFeed = false;
            continue;
        }
        if (budget <= 0)
            break;
        const std::int64_t want = std::min({kReadSize, budget, end - at});
        if (static_cast<std::int64_t>(buffer_.size()) < want)
            buffer_.resize(static_cast<size_t>(want));
        const ssize_t got = ::pread(fd_, buffer_.data(), static_cast<size_t>(want), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // the file ends sooner than it said
        countBlock(buffer_.data(), got, marks);
        state_.scanned += got;
        budget -= got;
    }
    return true;
}

void LineCounter::countBlock(const char* p, std::int64_t n, std::vector<LineMark>& marks) {
    const std::int64_t base = state_.scanned;
    for (std::int64_t i = 0; i < n; i += kCountBlock) {
        const char* block = p + i;
        const std::int64_t len = std::min(kCountBlock, n - i);
        const std::int64_t feeds = countLineFeeds(block, len);
        // No start in this block can be kept: too few lines and bytes since the last kept one.
        if (feeds == 0 || (state_.lineFeeds + feeds - state_.lastKept.line < stride_ &&
                           base + i + len - state_.lastKept.offset < keepBytes_)) {
            state_.lineFeeds += feeds;
            continue;
        }
        const char* q = block;
        const char* end = block + len;
        while (const void* lf = std::memchr(q, '\n', static_cast<size_t>(end - q))) {
            q = static_cast<const char*>(lf) + 1;
            const LineMark start{++state_.lineFeeds, base + (q - p)};
            if (start.line - state_.lastKept.line >= stride_ ||
                start.offset - state_.lastKept.offset >= keepBytes_) {
                marks.push_back(start);
                state_.lastKept = start;
            }
        }
    }
    if (n > 0)
        state_.endsWithLineFeed = p[n - 1] == '\n';
}

void LineIndex::reset(int fd, std::int64_t size) {
    fd_ = fd;
    size_ = size;
    state_ = {};
    marks_.assign(1, LineMark{});
    lastFeed_ = -1;
}

void LineIndex::resize(std::int64_t size) {
    size_ = size;
    lastFeed_ = -1;
    if (size >= state_.scanned)
        return;
    // Go back to the last kept start inside the file: everything before it is unchanged.
    while (marks_.size() > 1 && marks_.back().offset > size)
        marks_.pop_back();
    const LineMark last = marks_.back();
    state_ = {last.offset, last.line, true, last};
}

bool LineIndex::step(std::int64_t budget) {
    LineCounter counter = this->counter();
    const bool whole = counter.count(size_, budget, marks_);
    take({}, counter.state(), !whole);
    return counted();
}

LineCounter LineIndex::counter() const {
    return LineCounter(fd_, state_, stride_, keepBytes_);
}

void LineIndex::take(const std::vector<LineMark>& marks, const CountState& state, bool cutShort) {
    marks_.insert(marks_.end(), marks.begin(), marks.end());
    state_ = state;
    if (cutShort)
        size_ = state_.scanned; // count what is there; a refresh follows the file
}

std::optional<std::int64_t> LineIndex::lineCount() const {
    if (!counted())
        return std::nullopt;
    return state_.lineFeeds + (size_ > 0 && !state_.endsWithLineFeed ? 1 : 0);
}

std::int64_t LineIndex::knownLines() const {
    if (counted())
        return *lineCount();
    return state_.lineFeeds; // line lineFeeds starts after the last LF but may go on
}

std::optional<std::int64_t> LineIndex::afterLineFeed(std::int64_t k, PageCache& cache) const {
    const auto it = std::upper_bound(marks_.begin(), marks_.end(), k,
                                     [](std::int64_t v, const LineMark& m) { return v < m.line; });
    const LineMark& kept = *std::prev(it);
    std::int64_t from = kept.offset;
    std::int64_t skip = k - kept.line;
    // Lines asked in order (painting, printing) go on from the last one instead of the kept
    // start before it.
    if (lastFeed_ >= kept.line && lastFeed_ <= k && k - lastFeed_ < skip) {
        from = lastStart_;
        skip = k - lastFeed_;
    }
    const auto start = skipLines(from, skip, cache);
    if (start) {
        lastFeed_ = k;
        lastStart_ = *start;
    }
    return start;
}

std::optional<std::int64_t> LineIndex::lineStart(std::int64_t n, PageCache& cache) const {
    if (n < 0 || n > state_.lineFeeds || (counted() && n >= *lineCount()))
        return std::nullopt;
    return afterLineFeed(n, cache);
}

std::optional<std::int64_t> LineIndex::nextLineStart(std::int64_t n, PageCache& cache) const {
    if (n < 0 || n >= state_.lineFeeds)
        return std::nullopt;
    return afterLineFeed(n + 1, cache);
}

std::optional<std::int64_t> LineIndex::lineOf(std::int64_t offset, PageCache& cache) const {
    if (offset < 0 || offset > state_.scanned)
        return std::nullopt;
    const auto it =
        std::upper_bound(marks_.begin(), marks_.end(), offset,
                         [](std::int64_t v, const LineMark& m) { return v < m.offset; });
    const LineMark& kept = *std::prev(it);
    // Every start up to the next kept one lies less than keepBytes after this one, so the LFs
    // before `offset` all lie in that stretch.
    const std::int64_t to = std::min(offset, kept.offset + keepBytes_);
    std::int64_t line = kept.line;
    char buf[PageCache::kPageSize];
    for (std::int64_t at = kept.offset; at < to;) {
        const std::int64_t got = cache.read(at, std::min<std::int64_t>(sizeof buf, to - at), buf);
        if (got <= 0)
            return std::nullopt;
        line += countLineFeeds(buf, got);
        at += got;
    }
    return line;
}
