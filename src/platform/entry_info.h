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
    quint64 mountId = 0;    // the kernel's mount id; 0 when it is not known
    bool mountRoot = false; // the entry is the root of a mount

    bool isFolder() const;
    bool isRegular() const;
    // The same file: same device and inode.
    bool sameFile(const EntryInfo& other) const {
        return device == other.device && inode == other.inode;
    }
};

// Reads the entry `name` of the open folder `dirFd` (or a path with AT_FDCWD) without
// following a symbolic link and without triggering an automount. An empty name reads `dirFd`
// itself. The attributes are judged from the name's last component. statx is used where the
// kernel allows it; where it is refused (ENOSYS, EPERM: older kernels, sandboxes) fstatat
// gives the same minus the birth time, the "no dump" flag and the mount id. False, with
// errno set, when the entry is gone or cannot be read.
bool statAt(int dirFd, const char* name, EntryInfo& info);
