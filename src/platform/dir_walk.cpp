#include "platform/dir_walk.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kFolderOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

} // namespace

// A quarter of the soft limit leaves room for everything else the program keeps open.
int defaultDescriptorBudget() {
    rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 256;
    return int(std::clamp<rlim_t>(limit.rlim_cur / 4, 8, 256));
}

long raiseDescriptorLimit() {
    rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur < limit.rlim_max && limit.rlim_max != RLIM_INFINITY) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return long(limit.rlim_cur);
}

DirWalk::DirWalk() = default;

DirWalk::~DirWalk() {
    close();
}

void DirWalk::setDescriptorBudget(int budget) {
    // The root's descriptor and the current folder's are always held.
    budgetSetting_ = std::max(2, budget);
    budget_ = budgetSetting_;
}

int DirWalk::openFolder(const QByteArray& root, EntryInfo& info, QByteArray& path) {
    path = root;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    if (path.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    const int fd = ::open(path.constData(), kFolderOpenFlags);
    if (fd < 0)
        return -1;
    if (!statAt(fd, "", info)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool DirWalk::openRoot(const QByteArray& root) {
    close();
    EntryInfo info;
    QByteArray path;
    const int fd = openFolder(root, info, path);
    if (fd < 0)
        return false;
    adoptRoot(fd, info, path);
    return true;
}

void DirWalk::adoptRoot(int fd, const EntryInfo& info, const QByteArray& path) {
    close();
    if (levels_.empty())
        levels_.emplace_back();
    Level& level = levels_[0];
    level.fd = fd;
    level.fresh = true;
    level.info = info;
    level.nameStart = 0;
    depth_ = 0;
    held_ = 1;
    budget_ = budgetSetting_ > 0 ? budgetSetting_ : defaultDescriptorBudget();
    path_ = path;
}

void DirWalk::close() {
    for (int i = 0; i <= depth_; ++i)
        closeLevel(levels_[i]);
    depth_ = -1;
    held_ = 0;
    path_.clear();
}

void DirWalk::closeLevel(Level& level) {
    if (level.fd < 0)
        return;
    ::close(level.fd);
    level.fd = -1;
    --held_;
}

int DirWalk::fd() const {
    return depth_ >= 0 ? levels_[depth_].fd : -1;
}

const char* DirWalk::name() const {
    return path_.constData() + (depth_ > 0 ? levels_[depth_].nameStart : 0);
}

QByteArray DirWalk::parentPath() const {
    if (depth_ <= 0)
        return path_;
    const int start = levels_[depth_].nameStart;
    return path_.left(start > 1 ? start - 1 : 1); // the parent "/" keeps its slash
}

const EntryInfo& DirWalk::folderInfo() const {
    return levels_[depth_].info;
}

const FolderEntries& DirWalk::readEntries() {
    Level& level = levels_[depth_];
    // From the start also when this level reads a second time.
    const bool atStart = level.fresh || (level.fd >= 0 && ::lseek(level.fd, 0, SEEK_SET) == 0);
    level.fresh = false;
    if (level.fd < 0 || !atStart || !level.entries.read(level.fd))
        level.entries.clear();
    return level.entries;
}

bool DirWalk::onOwnMount(const EntryInfo& info) const {
    const EntryInfo& root = levels_[0].info;
    if (info.device != root.device || info.mountRoot)
        return false;
    // A bind mount of the same file system keeps the device but is a mount of its own.
    return info.mountId == 0 || root.mountId == 0 || info.mountId == root.mountId;
}

// Opens a folder and checks that it is `expected`, by device and inode. fstat is the cheapest
// look at an open descriptor; the mount was judged from `expected` before opening.
int DirWalk::openChecked(int dirFd, const char* name, const EntryInfo& expected) const {
    const int fd = ::openat(dirFd, name, kFolderOpenFlags | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || quint64(st.st_dev) != expected.device ||
        quint64(st.st_ino) != expected.inode) {
        ::close(fd);
        errno = ESTALE;
        return -1;
    }
    return fd;
}

DirWalk::EnterResult DirWalk::openChild(const char* name, EntryInfo& look, int& child) const {
    const int parent = fd();
    if (parent < 0)
        return NotOpened;
    if (!statAt(parent, name, look))
        return NotFolder;
    return openSeen(parent, name, look, child);
}

DirWalk::EnterResult DirWalk::openSeen(int parent, const char* name, const EntryInfo& look,
                                       int& child) const {
    if (!look.isFolder())
        return NotFolder;
    if (!onOwnMount(look))
        return OtherMount;
    child = openChecked(parent, name, look);
    if (child < 0) {
        // Gone, or no longer a folder, or another folder: not what was seen.
        if (errno == ESTALE || errno == ENOENT || errno == ENOTDIR || errno == ELOOP)
            return Changed;
        return NotOpened;
    }
    return Entered;
}

DirWalk::EnterResult DirWalk::enter(const char* name, const EntryInfo* seen) {
    const int parent = fd();
    if (parent < 0)
        return NotOpened;
    EntryInfo look;
    if (seen)
        look = *seen;
    else if (!statAt(parent, name, look))
        return NotFolder;
    int child = -1;
    const EnterResult opened = openSeen(parent, name, look, child);
    if (opened != Entered)
        return opened;
    ++depth_;
    if (levels_.size() <= size_t(depth_))
        levels_.emplace_back();
    Level& level = levels_[depth_];
    level.fd = child;
    level.fresh = true;
    level.info = look;
    ++held_;
    if (path_.size() != 1 || path_[0] != '/')
        path_.append('/');
    level.nameStart = int(path_.size());
    path_.append(name);
    keepWithinBudget();
    return Entered;
}

// Closes the descriptors of the shallowest levels below the root until the budget holds.
// Those levels are opened again on the way back up.
void DirWalk::keepWithinBudget() {
    for (int i = 1; i < depth_ && held_ > budget_; ++i)
        closeLevel(levels_[i]);
}

bool DirWalk::leave() {
    if (depth_ <= 0)
        return true;
    const int up = depth_ - 1;
    if (levels_[up].fd < 0)
        regain(up);
    Level& child = levels_[depth_];
    closeLevel(child);
    path_.truncate(child.nameStart > 1 ? child.nameStart - 1 : 1);
    depth_ = up;
    return levels_[up].fd >= 0;
}

// Opens the level `level` again: through ".." of the folder below it, or else by name from
// the nearest held folder above it, each step checked to be the folder the walk saw there.
bool DirWalk::regain(int level) {
    Level& target = levels_[level];
    if (level < depth_ && levels_[level + 1].fd >= 0) {
        const int fd = openChecked(levels_[level + 1].fd, "..", target.info);
        if (fd >= 0) {
            target.fd = fd;
            target.fresh = true;
            ++held_;
            return true;
        }
    }
    int from = level - 1;
    while (from >= 0 && levels_[from].fd < 0)
        --from;
    if (from < 0)
        return false;
    int fd = levels_[from].fd;
    for (int i = from + 1; i <= level; ++i) {
        const int start = levels_[i].nameStart;
        const int end = i < depth_ ? levels_[i + 1].nameStart - 1 : int(path_.size());
        const QByteArray name = path_.mid(start, end - start);
        const int next = openChecked(fd, name.constData(), levels_[i].info);
        if (fd != levels_[from].fd)
            ::close(fd);
        if (next < 0)
            return false;
        fd = next;
    }
    target.fd = fd;
    target.fresh = true;
    ++held_;
    return true;
}
