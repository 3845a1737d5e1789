#include "widgets/line_index.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
constexpr std::int64_t kReadSize = 1 << 20;
// Counting runs over small blocks with a plain loop the compiler vectorises; only the block
// holding a kept line start is walked LF by LF.
constexpr std::int64_t kCountBlock = 4096;

std::int64_t countLineFeeds(const char* p, std::int64_t n) {
    std::int64_t count = 0;
    // A byte-wide sum over at most 255 bytes cannot overflow and vectorises to byte compares.
    for (std::int64_t i = 0; i < n; i += 255) {
        const std::int64_t end = std::min(n, i + 255);
        unsigned char part = 0;
        for (std::int64_t j = i; j < end; ++j)
            part += p[j] == '\n';
        count += part;
    }
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

void LineIndex::reset(int fd, std::int64_t size) {
    fd_ = fd;
    size_ = size;
    scanned_ = 0;
    lineFeeds_ = 0;
    endsWithLineFeed_ = true;
    starts_.assign(1, 0);
    lastLine_ = -1;
}

void LineIndex::resize(std::int64_t size) {
    size_ = size;
    lastLine_ = -1;
    if (size >= scanned_)
        return;
    // Go back to the last kept start inside the file: everything before it is unchanged.
    while (starts_.size() > 1 && starts_.back() > size)
        starts_.pop_back();
    scanned_ = starts_.back();
    lineFeeds_ = static_cast<std::int64_t>(starts_.size() - 1) * stride_;
    endsWithLineFeed_ = true;
}

void LineIndex::countBlock(const char* p, std::int64_t n) {
    for (std::int64_t i = 0; i < n; i += kCountBlock) {
        const char* block = p + i;
        const std::int64_t len = std::min(kCountBlock, n - i);
        const std::int64_t nextKept = static_cast<std::int64_t>(starts_.size()) * stride_;
        const std::int64_t feeds = countLineFeeds(block, len);
        if (lineFeeds_ + feeds < nextKept) {
            lineFeeds_ += feeds;
            continue;
        }
        const char* q = block;
        const char* end = block + len;
        while (const void* lf = std::memchr(q, '\n', static_cast<size_t>(end - q))) {
            q = static_cast<const char*>(lf) + 1;
            if (++lineFeeds_ % stride_ == 0)
                starts_.push_back(scanned_ + (q - p));
        }
    }
    if (n > 0)
        endsWithLineFeed_ = p[n - 1] == '\n';
}

bool LineIndex::step(std::int64_t budget) {
    if (buffer_.empty())
        buffer_.resize(kReadSize);
    while (budget > 0 && scanned_ < size_) {
        const std::int64_t want = std::min({kReadSize, budget, size_ - scanned_});
        const ssize_t got = ::pread(fd_, buffer_.data(), static_cast<size_t>(want), scanned_);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            size_ = scanned_; // the file ends sooner than it said: count what is there
            break;
        }
        countBlock(buffer_.data(), got);
        scanned_ += got;
        budget -= got;
    }
    return counted();
}

std::optional<std::int64_t> LineIndex::lineCount() const {
    if (!counted())
        return std::nullopt;
    return lineFeeds_ + (size_ > 0 && !endsWithLineFeed_ ? 1 : 0);
}

std::int64_t LineIndex::knownLines() const {
    if (counted())
        return *lineCount();
    return lineFeeds_; // line lineFeeds_ starts after the last LF but may go on
}

std::optional<std::int64_t> LineIndex::lineStart(std::int64_t n, PageCache& cache) const {
    if (n < 0 || n > lineFeeds_ || (counted() && n >= *lineCount()))
        return std::nullopt;
    std::int64_t from = starts_[static_cast<std::size_t>(n / stride_)];
    std::int64_t skip = n % stride_;
    // Lines asked in order (painting, printing) go on from the last one instead of the kept
    // start before it.
    if (lastLine_ >= 0 && lastLine_ <= n && n - lastLine_ < skip) {
        from = lastStart_;
        skip = n - lastLine_;
    }
    const auto start = skipLines(from, skip, cache);
    if (start) {
        lastLine_ = n;
        lastStart_ = *start;
    }
    return start;
}

std::optional<std::int64_t> LineIndex::lineOf(std::int64_t offset, PageCache& cache) const {
    if (offset < 0 || offset > scanned_)
        return std::nullopt;
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    const auto kept = static_cast<std::int64_t>(it - starts_.begin()) - 1;
    std::int64_t line = kept * stride_;
    char buf[PageCache::kPageSize];
    for (std::int64_t at = starts_[static_cast<std::size_t>(kept)]; at < offset;) {
        const std::int64_t got =
            cache.read(at, std::min<std::int64_t>(sizeof buf, offset - at), buf);
        if (got <= 0)
            return std::nullopt;
        line += countLineFeeds(buf, got);
        at += got;
    }
    return line;
}
