#include "platform/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

FileLock::FileLock(const QByteArray& lockPath) : path_(lockPath) {
    for (;;) {
        const int fd = ::open(path_.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        int rc;
        while ((rc = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        // The holder before us may have removed the file we waited on and another process may
        // have made a new one: the lock counts only when it is on the file the name holds now.
        struct stat held, named;
        const bool moved = rc == 0 && ::fstat(fd, &held) == 0 &&
                           (::lstat(path_.constData(), &named) == 0
                                ? held.st_dev != named.st_dev || held.st_ino != named.st_ino
                                : errno == ENOENT);
        if (rc == 0 && !moved) {
            fd_ = fd;
            return;
        }
        ::close(fd);
        if (!moved)
            return;
    }
}

FileLock::~FileLock() {
    if (fd_ < 0)
        return;
    ::unlink(path_.constData());
    ::close(fd_);
}

bool FileLock::locked() const {
    return fd_ >= 0;
}
