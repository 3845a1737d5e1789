#pragma once

#include <QByteArray>

// An exclusive lock between processes, held on a lock file by its byte path while this object
// lives; the lock file is removed again on release. The kernel lets go of the lock when the
// holder ends, however it ends, so a crash never leaves a lock that has to be judged stale:
// the next process takes the leftover file over. Waits up to 30 seconds while another process
// holds the lock, then gives up (locked() false). Not for nesting: a second lock on the same
// file in the same process waits out that time and fails.
class FileLock {
public:
    explicit FileLock(const QByteArray& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the lock file cannot be made or locked.
    bool locked() const;

private:
    QByteArray path_;
    int fd_ = -1;
};
