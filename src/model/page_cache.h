#pragma once

#include <cstdint>
#include <vector>

// A few fixed-size pages of one open file, read with pread on demand and dropped least
// recently used first. The file is never read through nor mapped, so showing any part of a
// huge file costs a page or two of memory. The cache does not own the descriptor.
class PageCache {
public:
    static constexpr std::int64_t kPageSize = 64 * 1024;
    static constexpr int kPageCount = 16;

    explicit PageCache(int fd = -1) : fd_(fd) {}
    void reset(int fd);

    // Copies up to `length` bytes from `offset` into `out`; fewer at the end of the file or when
    // a read fails (a file cut short while shown). Returns the number copied.
    std::int64_t read(std::int64_t offset, std::int64_t length, char* out);
    // Forgets every page, for when the file changed under the view.
    void clear();

private:
    struct Page {
        std::int64_t number = -1;
        std::int64_t valid = 0; // bytes the last read gave
        std::uint64_t lastUse = 0;
        std::vector<char> bytes;
    };
    const Page* page(std::int64_t number);

    int fd_;
    std::uint64_t clock_ = 0;
    std::vector<Page> pages_;
};
