#include "platform/file_lock.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// How long a writer waits for another copy of the program to let go. A copy holds the lock
// only to read and write one small file; one that keeps it longer is stuck (stopped in a
// debugger, say), and waiting on it would freeze this copy's window for good.
constexpr int kWaitMs = 30000;
constexpr int kRetryMs = 5;

// Takes the lock, retrying without blocking until the wait is over.
int lockWithin(int fd, int waitMs) {
    const timespec pause{0, kRetryMs * 1000000L};
    for (int waited = 0;; waited += kRetryMs) {
        const int rc = ::flock(fd, LOCK_EX | LOCK_NB);
        if (rc == 0 || (errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMs)
            return rc;
        ::nanosleep(&pause, nullptr);
    }
}
} // namespace

FileLock::FileLock(const QByteArray& lockPath) : path_(lockPath) {
    for (;;) {
        const int fd = ::open(path_.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        const int rc = lockWithin(fd, kWaitMs);
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
