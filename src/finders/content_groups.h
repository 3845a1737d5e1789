#pragma once

#include "platform/entry_info.h"

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <vector>

// Finds the files whose contents are identical, among files a walk listed.
//
// The files are narrowed in three rounds, each reading only what the one before left:
//   1. by size: a size that occurs once has no duplicate, and a file of 0 bytes is no
//      duplicate of anything;
//   2. by a hash of the first and the last 4 KiB;
//   3. by a hash of the whole contents (XXH3, 128 bits).
// Names of one file (hard links: the same device and inode) are one file: it is read once
// and is one member of its group, never a duplicate of itself.
//
// Files are read, never mapped, in large sequential reads on a pool of threads; the holes of
// a sparse file are hashed as the zeros they read as, without reading them. A file is
// only read when it is still the regular file the walk saw: it is opened without following a
// link and without side effects (a FIFO or a device put in its place is never opened for
// reading), and checked against its identity before and after it is read. A file that is
// gone, unreadable, or changed since the walk (size, modification time, inode) is left out
// of every group and counted.
class ContentGroups {
public:
    // One file the walk listed: the caller's number for it, and what the walk saw.
    struct Candidate {
        quint32 record = 0;
        FileIdentity seen;
    };

    // One group of files with the same contents.
    struct Group {
        qint64 size = 0;
        // The members' records, one per distinct file, in the order of the candidates.
        std::vector<quint32> members;
    };

    struct Result {
        // Largest files first; groups of one size in the order of their first member among
        // the candidates.
        std::vector<Group> groups;
        // The other names of a group member that has hard links among the candidates:
        // (member's record, other name's record), in the order of the candidates.
        std::vector<std::pair<quint32, quint32>> otherNames;
        qint64 duplicates = 0; // members beyond the first of each group
        qint64 freeable = 0;   // bytes that deleting every duplicate would free: a member whose
                               // file has links beyond the listed names frees nothing, and the
                               // member counted as kept is one that frees the least
        qint64 changed = 0;    // left out: changed, replaced or gone while being compared
        qint64 unreadable = 0; // left out: could not be opened or read
        bool aborted = false;
    };

    // The number of reading threads; 0 (the default) takes ScanEngine::defaultThreads().
    void setThreads(int threads) { threads_ = threads; }

    // Groups the candidates. `nativePath` gives a record's exact path; it is called on the
    // reading threads and must not touch state that changes meanwhile.
    Result group(std::vector<Candidate> candidates,
                 const std::function<QByteArray(quint32 record)>& nativePath);

    // Safe from any thread: group() ends soon after, with what it had found dropped and
    // `aborted` set.
    void abort() { aborted_.store(true, std::memory_order_relaxed); }
    void clearAbort() { aborted_.store(false, std::memory_order_relaxed); }

    // Bytes read so far by the running group(), readable from any thread.
    qint64 bytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }

private:
    int threads_ = 0;
    std::atomic<bool> aborted_{false};
    std::atomic<qint64> bytesRead_{0};
};
