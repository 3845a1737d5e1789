#include "platform/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

RegularFileError errorOf(int err) {
    return err == ENOENT || err == ENOTDIR ? RegularFileError::Missing : RegularFileError::Refused;
}

} // namespace

RegularFileOpen openRegularFile(const QByteArray& path) {
    // Looking first keeps a device from being opened at all: opening one can have effects.
    struct stat before;
    if (::stat(path.constData(), &before) != 0)
        return {-1, errorOf(errno)};
    if (!S_ISREG(before.st_mode))
        return {-1, RegularFileError::NotRegular};
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return {-1, errorOf(errno)};
    // The name may have been pointed at something else between the look and the open.
    struct stat after;
    if (::fstat(fd, &after) != 0 || after.st_dev != before.st_dev ||
        after.st_ino != before.st_ino) {
        ::close(fd);
        return {-1, RegularFileError::Refused};
    }
    return {fd, RegularFileError::None};
}
