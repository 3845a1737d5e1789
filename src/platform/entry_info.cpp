#include "platform/entry_info.h"

#include "platform/dir_entry.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
// Set once statx has been refused: the process's kernel or sandbox will refuse it again, so
// every later look goes straight to fstatat. It belongs to the process, not to a walk: every
// thread that walks shares it, and it only ever turns true.
std::atomic<bool> statxRefused{false};

constexpr unsigned kWanted = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE |
                             STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME | STATX_MNT_ID;

bool statFallback(int dirFd, const char* name, EntryInfo& info) {
    struct stat st;
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (*name ? 0 : AT_EMPTY_PATH);
    if (::fstatat(dirFd, name, &st, flags) != 0)
        return false;
    info.mode = st.st_mode;
    info.attributes = mapAttributes(name, st.st_mode, false);
    info.size = qint64(st.st_size);
    info.writeTime = st.st_mtim.tv_sec;
    info.writeNanos = qint32(st.st_mtim.tv_nsec);
    info.links = quint32(st.st_nlink);
    info.accessTime = st.st_atim.tv_sec;
    info.creationTime = st.st_ctim.tv_sec;
    info.device = st.st_dev;
    info.inode = st.st_ino;
    info.mountId = 0;
    info.mountRoot = false;
    return true;
}
} // namespace

bool EntryInfo::isFolder() const {
    return S_ISDIR(mode);
}

bool EntryInfo::isRegular() const {
    return S_ISREG(mode);
}

bool statAt(int dirFd, const char* name, EntryInfo& info) {
    if (statxRefused.load(std::memory_order_relaxed))
        return statFallback(dirFd, name, info);
    struct statx sx;
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (*name ? 0 : AT_EMPTY_PATH);
    if (::statx(dirFd, name, flags, kWanted, &sx) != 0) {
        if (errno != ENOSYS && errno != EPERM)
            return false;
        statxRefused = true;
        return statFallback(dirFd, name, info);
    }
    const bool noDump =
        (sx.stx_attributes_mask & STATX_ATTR_NODUMP) && (sx.stx_attributes & STATX_ATTR_NODUMP);
    info.mode = sx.stx_mode;
    info.attributes = mapAttributes(name, sx.stx_mode, noDump);
    info.size = qint64(sx.stx_size);
    info.writeTime = sx.stx_mtime.tv_sec;
    info.writeNanos = qint32(sx.stx_mtime.tv_nsec);
    info.links = sx.stx_nlink;
    info.accessTime = sx.stx_atime.tv_sec;
    // Some file systems (overlay layers among them) report a birth time of exactly the epoch
    // for files whose birth they never recorded: that is no creation time.
    const bool born =
        (sx.stx_mask & STATX_BTIME) && (sx.stx_btime.tv_sec != 0 || sx.stx_btime.tv_nsec != 0);
    info.creationTime = born ? sx.stx_btime.tv_sec : qint64(sx.stx_ctime.tv_sec);
    info.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    info.inode = sx.stx_ino;
    info.mountId = (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0;
    info.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                     (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
    return true;
}
