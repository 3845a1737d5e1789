#include "model/page_cache.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <unistd.h>

void PageCache::reset(int fd) {
    fd_ = fd;
    clear();
}

void PageCache::clear() {
    pages_.clear();
}

const PageCache::Page* PageCache::page(std::int64_t number) {
    ++clock_;
    for (Page& p : pages_) {
        if (p.number == number) {
            p.lastUse = clock_;
            return &p;
        }
    }
    Page* slot = nullptr;
    if (static_cast<int>(pages_.size()) < kPageCount) {
        pages_.reserve(kPageCount); // the pages never move once made
        slot = &pages_.emplace_back();
        slot->bytes.resize(kPageSize);
    } else {
        slot = &*std::min_element(pages_.begin(), pages_.end(), [](const Page& a, const Page& b) {
            return a.lastUse < b.lastUse;
        });
    }
    slot->number = number;
    slot->lastUse = clock_;
    slot->valid = 0;
    // Short reads are retried until the end of the file or an error; what was read stays. The
    // last page of the largest file ends at the top of the offsets: a read past it fails.
    const std::int64_t start = number * kPageSize;
    const std::int64_t size = std::min(kPageSize, std::numeric_limits<std::int64_t>::max() - start);
    while (slot->valid < size) {
        const ssize_t n = ::pread(fd_, slot->bytes.data() + slot->valid,
                                  static_cast<size_t>(size - slot->valid), start + slot->valid);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        slot->valid += n;
    }
    return slot;
}

std::int64_t PageCache::read(std::int64_t offset, std::int64_t length, char* out) {
    if (fd_ < 0 || offset < 0 || length <= 0)
        return 0;
    std::int64_t done = 0;
    while (done < length) {
        const std::int64_t at = offset + done;
        const Page* p = page(at / kPageSize);
        const std::int64_t inPage = at % kPageSize;
        if (p->valid <= inPage)
            break;
        const std::int64_t n = std::min(length - done, p->valid - inPage);
        std::memcpy(out + done, p->bytes.data() + inPage, static_cast<size_t>(n));
        done += n;
        if (p->valid < kPageSize)
            break; // the file ends in this page
    }
    return done;
}
