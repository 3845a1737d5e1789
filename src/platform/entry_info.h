#pragma once

#include <QtGlobal>

// What one look at a directory entry tells, mapped once: its kind and permission bits, the
// program's attributes (platform/dir_entry.h), its size and three times, and its identity
// (device, inode and mount), so a caller can check just before acting that an entry is still
// the one it saw.
struct EntryInfo {
    unsigned mode = 0;       // kind and permission bits (st_mode)
    unsigned attributes = 0; // FileAttribute bits
    qint64 size = 0;         // bytes as the file system reports them (also for a folder)
    qint64 writeTime = 0;    // mtime, seconds since the epoch
    qint64 accessTime = 0;   // atime
    qint64 creationTime = 0; // birth time where the file system records it, else ctime
    quint64 device = 0;      // makedev() of the file system's device
    quint64 inode = 0;
    quint32 links = 1;      // hard links to the file (st_nlink)
    qint32 writeNanos = 0;  // the nanoseconds of writeTime
    quint64 mountId = 0;    // the kernel's mount id; 0 when it is not known
    bool mountRoot = false; // the entry is the root of a mount

    bool isFolder() const;
    bool isRegular() const;
    // The same file: same device and inode.
    bool sameFile(const EntryInfo& other) const {
        return device == other.device && inode == other.inode;
    }
};

// What says that a file is still the one a walk listed: the same device and inode, the same
// size and the same modification time to the nanosecond. A file edited, truncated, grown or
// replaced since has another identity.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 writeTime = 0; // seconds since the epoch
    qint32 writeNanos = 0;
    quint32 links = 1; // not compared: a new link elsewhere leaves the file as it was

    static FileIdentity of(const EntryInfo& info) {
        return {info.device, info.inode, info.size, info.writeTime, info.writeNanos, info.links};
    }
    bool sameFile(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
    bool unchanged(const FileIdentity& other) const {
        return sameFile(other) && size == other.size && writeTime == other.writeTime &&
               writeNanos == other.writeNanos;
    }
};

// Reads the entry `name` of the open folder `dirFd` (or a path with AT_FDCWD) without
// following a symbolic link and without triggering an automount. An empty name reads `dirFd`
// itself. The attributes are judged from the name's last component. statx is used where the
// kernel allows it; where it is refused (ENOSYS, EPERM: older kernels, sandboxes) fstatat
// gives the same minus the birth time, the "no dump" flag and the mount id. False, with
// errno set, when the entry is gone or cannot be read.
bool statAt(int dirFd, const char* name, EntryInfo& info);
