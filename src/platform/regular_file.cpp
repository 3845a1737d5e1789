#include "platform/regular_file.h"

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

// Opens for reading the regular file that the O_PATH descriptor `place` reaches. Opening the
// descriptor's own entry in /proc opens the very file that was looked at, whatever its name
// holds by now. Without /proc, `reopen` opens it by name again and the result is checked.
template <typename Reopen> RegularFileOpen openThroughPlace(int place, Reopen reopen) {
    if (place < 0)
        return failed(errorOf(errno), errno);
    struct stat seen;
    if (::fstat(place, &seen) != 0)
        return failed(RegularFileError::Refused, errno);
    if (!S_ISREG(seen.st_mode))
        return failed(RegularFileError::NotRegular, 0);
    char self[48];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", place);
    int fd = openRetrying(self, kReadFlags);
    if (fd < 0 && errno == ENOENT)
        fd = reopen();
    if (fd < 0)
        return failed(errorOf(errno), errno);
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || opened.st_dev != seen.st_dev || opened.st_ino != seen.st_ino) {
        ::close(fd);
        return failed(RegularFileError::Refused, EACCES);
    }
    return {fd, RegularFileError::None, 0};
}

} // namespace

RegularFileOpen openRegularFile(const QByteArray& path) {
    // A descriptor made with O_PATH reaches the file without opening it: a device's driver, a
    // FIFO's other end and a socket never learn of it.
    const UniqueFd place(openRetrying(path.constData(), O_PATH | O_CLOEXEC));
    return openThroughPlace(place.fd, [&] { return openRetrying(path.constData(), kReadFlags); });
}

RegularFileOpen openRegularFileAt(int dirFd, const QByteArray& name) {
    int fd;
    do
        fd = ::openat(dirFd, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    const UniqueFd place(fd);
    return openThroughPlace(place.fd, [&] {
        int again;
        do
            again = ::openat(dirFd, name.constData(), kReadFlags | O_NOFOLLOW);
        while (again < 0 && errno == EINTR);
        return again;
    });
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
