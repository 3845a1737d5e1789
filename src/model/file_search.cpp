#include "model/file_search.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string.h>
#include <unistd.h>

namespace {
constexpr std::int64_t kBlock = 1 << 20;

// Lower-cases ASCII letters in place; a branch-free loop the compiler vectorises.
void foldAscii(char* p, std::int64_t n) {
    for (std::int64_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        p[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 32 : 0));
    }
}

// Where the data at or after `at` starts: `at` itself in data, a later offset after a hole,
// -1 when only a hole follows, -2 when the file system cannot tell.
std::int64_t dataFrom(int fd, std::int64_t at) {
    const off_t d = ::lseek(fd, at, SEEK_DATA);
    if (d >= 0)
        return d;
    return errno == ENXIO ? -1 : -2;
}

// The last byte of data before `end`; -1 when there is none. A binary search on where data
// starts: a few dozen seeks even for a hole of exabytes.
std::int64_t lastDataBefore(int fd, std::int64_t end) {
    const auto dataIn = [&](std::int64_t at) { // the first data byte in [at, end), or -1
        const std::int64_t d = dataFrom(fd, at);
        return d >= 0 && d < end ? d : -1;
    };
    std::int64_t lo = dataIn(0);
    if (lo < 0)
        return -1;
    std::int64_t hi = end - 1;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo + 1) / 2;
        if (const std::int64_t d = dataIn(mid); d >= 0)
            lo = d;
        else
            hi = mid - 1;
    }
    return lo;
}
} // namespace

FileSearch::FileSearch(int fd, std::int64_t size, const QByteArray& needle, std::int64_t from,
                       bool backward, bool matchCase)
    : fd_(fd), pattern_(needle), backward_(backward), matchCase_(matchCase),
      skipHoles_(!needle.contains('\0')) {
    const std::int64_t m = needle.size();
    if (m == 0 || size < m)
        return;
    const std::int64_t lastStart = size - m; // not from + m: `from` may be the largest offset
    from = std::max<std::int64_t>(from, 0);
    if (backward) {
        lo_ = 0;
        hi_ = from <= lastStart ? from : lastStart + 1;
    } else {
        lo_ = from;
        hi_ = lastStart + 1;
    }
    lo_ = std::min(lo_, hi_);
    total_ = hi_ - lo_;
    if (!matchCase)
        foldAscii(pattern_.data(), m);
}

std::int64_t FileSearch::readBlock(std::int64_t from, std::int64_t length) {
    buffer_.resize(static_cast<size_t>(std::max<std::int64_t>(length, 0)));
    std::int64_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(fd_, buffer_.data() + done, static_cast<size_t>(length - done), from + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    if (!matchCase_)
        foldAscii(buffer_.data(), done);
    return done;
}

std::optional<std::int64_t> FileSearch::match(std::int64_t from, std::int64_t got,
                                              bool last) const {
    std::optional<std::int64_t> found;
    const char* p = buffer_.data();
    const char* end = buffer_.data() + got;
    while (const void* hit = memmem(p, static_cast<size_t>(end - p), pattern_.constData(),
                                    static_cast<size_t>(pattern_.size()))) {
        found = from + (static_cast<const char*>(hit) - buffer_.data());
        if (!last)
            break;
        p = static_cast<const char*>(hit) + 1;
    }
    return found;
}

std::optional<std::int64_t> FileSearch::step(std::int64_t budget) {
    const std::int64_t m = pattern_.size();
    while (budget > 0 && lo_ < hi_) {
        if (!backward_) {
            if (skipHoles_) {
                const std::int64_t d = dataFrom(fd_, lo_);
                if (d == -2) {
                    skipHoles_ = false;
                } else if (d != lo_) {
                    lo_ = d < 0 ? hi_ : std::min(d, hi_);
                    continue;
                }
            }
            // Blocks overlap by m - 1 bytes, so a match across a block edge is found.
            const std::int64_t starts = std::min(kBlock, hi_ - lo_);
            const std::int64_t got = readBlock(lo_, starts + m - 1);
            const auto found = match(lo_, got, false);
            lo_ = got < starts + m - 1 ? hi_ : lo_ + starts; // a short read: the file ended
            if (found) {
                lo_ = hi_;
                return found;
            }
            budget -= got;
            continue;
        }
        const std::int64_t starts = std::min(kBlock, hi_ - lo_);
        const std::int64_t from = hi_ - starts;
        if (skipHoles_) {
            const std::int64_t d = dataFrom(fd_, from);
            if (d == -2) {
                skipHoles_ = false;
            } else if (d < 0 || d >= hi_ + m - 1) {
                // Only a hole in these bytes: a match ends at or before the last data byte
                // before them.
                const std::int64_t data = lastDataBefore(fd_, from);
                hi_ = data < 0 ? lo_ : std::clamp(data - m + 2, lo_, from);
                continue;
            }
        }
        const std::int64_t got = readBlock(from, starts + m - 1);
        const auto found = match(from, got, true);
        hi_ = from;
        if (found) {
            lo_ = hi_;
            return found;
        }
        budget -= std::max<std::int64_t>(got, 1);
    }
    return std::nullopt;
}

std::optional<std::int64_t> findInFile(int fd, std::int64_t size, const QByteArray& needle,
                                       std::int64_t from, bool backward, bool matchCase) {
    FileSearch search(fd, size, needle, from, backward, matchCase);
    return search.step(std::numeric_limits<std::int64_t>::max());
}
