#include "widgets/file_search.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr std::int64_t kBlock = 1 << 20;

// Lower-cases ASCII letters in place; a branch-free loop the compiler vectorises.
void foldAscii(char* p, std::int64_t n) {
    for (std::int64_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        p[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 32 : 0));
    }
}

std::int64_t readAt(int fd, char* out, std::int64_t length, std::int64_t offset) {
    std::int64_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(fd, out + done, static_cast<size_t>(length - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}
} // namespace

std::optional<std::int64_t> findInFile(int fd, std::int64_t size, const QByteArray& needle,
                                       std::int64_t from, bool backward, bool matchCase) {
    const std::int64_t m = needle.size();
    if (m == 0 || size < m)
        return std::nullopt;
    QByteArray pattern = needle;
    if (!matchCase)
        foldAscii(pattern.data(), m);
    std::vector<char> buf(static_cast<size_t>(kBlock + m - 1));

    // Searches [lo, lo + length) and gives the first match, or the last one when `last`.
    auto searchRange = [&](std::int64_t lo, std::int64_t length,
                           bool last) -> std::optional<std::int64_t> {
        const std::int64_t got = readAt(fd, buf.data(), length, lo);
        if (!matchCase)
            foldAscii(buf.data(), got);
        std::optional<std::int64_t> found;
        const char* p = buf.data();
        const char* end = buf.data() + got;
        while (const void* hit = memmem(p, static_cast<size_t>(end - p), pattern.constData(),
                                        static_cast<size_t>(m))) {
            found = lo + (static_cast<const char*>(hit) - buf.data());
            if (!last)
                break;
            p = static_cast<const char*>(hit) + 1;
        }
        return found;
    };

    if (!backward) {
        // Blocks overlap by m - 1 bytes so a match across a block edge is found.
        for (std::int64_t lo = std::max<std::int64_t>(from, 0); lo + m <= size; lo += kBlock) {
            const std::int64_t length = std::min(kBlock + m - 1, size - lo);
            if (auto hit = searchRange(lo, length, false))
                return hit;
        }
        return std::nullopt;
    }
    // A match must start before `from`, so it ends at most m - 1 bytes past it.
    std::int64_t hi = std::min(std::max<std::int64_t>(from, 0) + m - 1, size);
    while (hi >= m) {
        const std::int64_t lo = std::max<std::int64_t>(0, hi - (kBlock + m - 1));
        if (auto hit = searchRange(lo, hi - lo, true))
            return hit;
        if (lo == 0)
            break;
        hi = lo + m - 1;
    }
    return std::nullopt;
}
