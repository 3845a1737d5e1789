#include "platform/folder_entries.h"

#include "platform/entry_info.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace {
// Marks an entry that vanished before its kind could be read; the iterator skips it.
constexpr unsigned char kGone = 0xff;
// Small enough that a deep tree's buffers (one per level) stay cheap, large enough that most
// folders are read in one or two calls; the buffer grows for big folders and keeps its size.
constexpr std::size_t kInitialSize = 8192;
constexpr std::size_t kMinimumRoom = 4096;

bool skipped(const dirent64* d) {
    const char* n = d->d_name;
    if (d->d_type == kGone)
        return true;
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

const char* firstKept(const char* at, const char* end) {
    while (at < end && skipped(reinterpret_cast<const dirent64*>(at)))
        at += reinterpret_cast<const dirent64*>(at)->d_reclen;
    return at;
}
} // namespace

bool FolderEntries::read(int fd) {
    if (data_.size() < kInitialSize)
        data_.resize(kInitialSize);
    used_ = 0;
    bool any = false;
    for (;;) {
        if (data_.size() - used_ < kMinimumRoom)
            data_.resize(data_.size() * 2);
        const ssize_t n = ::getdents64(fd, data_.data() + used_, data_.size() - used_);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && !any)
            return false;
        if (n <= 0)
            break; // the end, or a folder that fails part way: keep what was read
        any = true;
        used_ += std::size_t(n);
    }
    for (std::size_t off = 0; off < used_;) {
        auto* d = reinterpret_cast<dirent64*>(data_.data() + off);
        off += d->d_reclen;
        if (d->d_type != DT_UNKNOWN)
            continue;
        EntryInfo info;
        d->d_type = statAt(fd, d->d_name, info) ? IFTODT(info.mode) : kGone;
    }
    return true;
}

FolderEntry FolderEntries::Iterator::operator*() const {
    const auto* d = reinterpret_cast<const dirent64*>(at_);
    return {d->d_name, d->d_type};
}

FolderEntries::Iterator& FolderEntries::Iterator::operator++() {
    at_ = firstKept(at_ + reinterpret_cast<const dirent64*>(at_)->d_reclen, end_);
    return *this;
}

FolderEntries::Iterator FolderEntries::begin() const {
    const char* end = data_.data() + used_;
    return Iterator(firstKept(data_.data(), end), end);
}

FolderEntries::Iterator FolderEntries::end() const {
    const char* end = data_.data() + used_;
    return Iterator(end, end);
}
