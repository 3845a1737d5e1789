#include "platform/regular_file.h"

#include "platform/link_free_path.h"
#include "platform/unique_fd.h"
#include "platform/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace {

RegularFileOpen failed(RegularFileError error, int err) {
    return {-1, error, err};
}

RegularFileError errorOf(int err) {
    return err == ENOENT || err == ENOTDIR ? RegularFileError::Missing : RegularFileError::Refused;
}

constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
constexpr std::int64_t kCopyChunk = 1 << 20;

int openRetrying(const char* path, int flags) {
    int fd;
    do
        fd = ::open(path, flags);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens the file that the O_PATH descriptor `place` refers to for reading, through the
// descriptor's own entry in /proc: that opens the very file that was looked at, whatever its
// name names by now. -1 with errno ENOENT when there is no /proc.
int reopenForReading(int place) {
    char self[48];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", place);
    return openRetrying(self, kReadFlags);
}

// Whether the descriptors `opened` and `place` reach the same file (a name opened again
// where /proc is missing may name another one by now).
bool sameFileAs(int opened, int place) {
    struct stat a, b;
    return ::fstat(opened, &a) == 0 && ::fstat(place, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool onPseudoFileSystem(int fd) {
    struct statfs fs {};
    return ::fstatfs(fd, &fs) == 0 && (fs.f_type == PROC_SUPER_MAGIC || fs.f_type == SYSFS_MAGIC);
}

// Reads on from the descriptor's position until the end, an error or `limit` bytes; a
// non-blocking file with nothing to give now (EAGAIN) has ended.
std::int64_t readUpTo(int fd, char* out, std::int64_t limit) {
    std::int64_t done = 0;
    while (done < limit) {
        const ssize_t n = ::read(fd, out + done, static_cast<size_t>(limit - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

RegularFileOpen openRegularFile(const QByteArray& path) {
    // A descriptor made with O_PATH reaches the file without opening it: a device's driver, a
    // FIFO's other end and a socket never learn of it.
    const UniqueFd place(openRetrying(path.constData(), O_PATH | O_CLOEXEC));
    if (place.fd < 0)
        return failed(errorOf(errno), errno);
    struct stat seen;
    if (::fstat(place.fd, &seen) != 0)
        return failed(RegularFileError::Refused, errno);
    if (!S_ISREG(seen.st_mode))
        return failed(RegularFileError::NotRegular, 0);
    // Without /proc the path is opened again and checked.
    int fd = reopenForReading(place.fd);
    if (fd < 0 && errno == ENOENT)
        fd = openRetrying(path.constData(), kReadFlags);
    if (fd < 0)
        return failed(errorOf(errno), errno);
    if (!sameFileAs(fd, place.fd)) {
        ::close(fd);
        return failed(RegularFileError::Refused, EACCES);
    }
    return {fd, RegularFileError::None, 0};
}

RegularFileOpen openSeenFile(const QByteArray& path, const FileIdentity& seen) {
    const auto error = [](int err) {
        return err == ELOOP ? RegularFileError::Missing : errorOf(err);
    };
    const UniqueFd place(openLinkFree(path, O_PATH));
    if (place.fd < 0)
        return failed(error(errno), errno);
    EntryInfo info;
    if (!statAt(place.fd, "", info))
        return failed(error(errno), errno);
    if (!info.isRegular())
        return failed(RegularFileError::NotRegular, 0);
    if (!FileIdentity::of(info).unchanged(seen))
        return failed(RegularFileError::Changed, 0);
    int fd = reopenForReading(place.fd);
    if (fd < 0 && errno == ENOENT) {
        // Without /proc the path is opened again, still without following a link, and what
        // it names by now is checked.
        do
            fd = openLinkFree(path, kReadFlags);
        while (fd < 0 && errno == EINTR);
        if (fd >= 0 && !sameFileAs(fd, place.fd)) {
            ::close(fd);
            return failed(RegularFileError::Changed, 0);
        }
    }
    if (fd < 0)
        return failed(error(errno), errno);
    return {fd, RegularFileError::None, 0};
}

FileCopy copyOfSizelessFile(int fd, std::int64_t limit) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const bool pseudo = onPseudoFileSystem(fd);
    if (!pseudo && st.st_size != 0)
        return {};
    // From the start; a file that cannot seek stands there still, as it was just opened.
    ::lseek(fd, 0, SEEK_SET);
    std::vector<char> chunk(kCopyChunk);
    std::int64_t got = readUpTo(fd, chunk.data(), kCopyChunk);
    if (!pseudo && got == 0)
        return {};
    UniqueFd copy(::memfd_create("zelkova-copy", MFD_CLOEXEC));
    if (copy.fd < 0)
        return {};
    // Reading goes one byte past the limit, to tell a file of exactly `limit` bytes from a
    // longer one.
    std::int64_t total = 0;
    while (got > 0) {
        const std::int64_t keep = std::min(got, limit - total);
        if (!writeAll(copy.fd, QByteArrayView(chunk.data(), keep)))
            return {};
        total += got;
        if (total > limit)
            break;
        got = readUpTo(fd, chunk.data(), std::min<std::int64_t>(kCopyChunk, limit + 1 - total));
    }
    const int result = copy.fd;
    copy.fd = -1;
    return {result, total > limit};
}
