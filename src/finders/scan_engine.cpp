#include "finders/scan_engine.h"
#include "platform/unique_fd.h"

#include "platform/native_path.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {
int pumpIntervalMs = 20;
std::function<void()> pumpHook;

// Milliseconds on a monotonic clock. The coarse clock is read without a system call and is
// fine-grained enough for a 20 ms throttle.
qint64 monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

unsigned char typeFromMode(unsigned mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return DT_REG;
    case S_IFDIR:
        return DT_DIR;
    case S_IFLNK:
        return DT_LNK;
    default:
        return DT_UNKNOWN + 100; // some other kind: a system entry either way
    }
}

constexpr unsigned kFileFields =
    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_BTIME | STATX_CTIME;
} // namespace

void setPumpInterval(int milliseconds) {
    pumpIntervalMs = std::max(0, milliseconds);
}

int pumpInterval() {
    return pumpIntervalMs;
}

void setPumpHook(std::function<void()> hook) {
    pumpHook = std::move(hook);
}

ScanEngine::ScanEngine() = default;

ScanEngine::~ScanEngine() = default;

void ScanEngine::setPattern(const QString& pattern) {
    pattern_ = pattern;
    matchAll_ = pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
}

bool ScanEngine::matches(const char* name, int length) const {
    return matchAll_ || wildcardMatch(pattern_, fromNative(name, length));
}

void ScanEngine::pump() {
    if (pumpIntervalMs > 0) {
        const qint64 now = monotonicMs();
        if (now - lastPump_ < pumpIntervalMs)
            return;
        lastPump_ = now;
    }
    runPump();
}

void ScanEngine::runPump() {
    if (status_)
        status_(fromNative(path_));
    if (pumpHook)
        pumpHook();
    QCoreApplication::processEvents();
}

bool ScanEngine::walk(const QString& root) {
    QByteArray native = toNative(root);
    while (native.size() > 1 && native.endsWith('/'))
        native.chop(1);
    if (native.isEmpty())
        return false;
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct statx st;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_MNT_ID, &st) != 0) {
        ::close(fd);
        return false;
    }
    rootDevice_ = (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
    haveMountId_ = (st.stx_mask & STATX_MNT_ID) != 0;
    rootMountId_ = haveMountId_ ? st.stx_mnt_id : 0;
    path_ = native;
    lastPump_ = monotonicMs();
    walkFolder(fd, 0);
    return true;
}

// Whether the subfolder entry `name` of the folder `fd` is a folder of the walk's own file
// system. An automount point is not triggered: it reads as another file system.
bool ScanEngine::enterable(int fd, const char* name) const {
    struct statx st;
    if (statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_MNT_ID, &st) != 0)
        return false;
    if (!S_ISDIR(st.stx_mode))
        return false;
    const quint64 device = (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
    if (device != rootDevice_)
        return false;
    // A bind mount of the same file system keeps the device but is a mount of its own.
    if (haveMountId_ && (st.stx_mask & STATX_MNT_ID) && st.stx_mnt_id != rootMountId_)
        return false;
    return true;
}

void ScanEngine::readEntries(int fd, Level& level) {
    std::vector<char>& data = level.data;
    if (data.size() < 32768)
        data.resize(32768);
    size_t used = 0;
    for (;;) {
        if (data.size() - used < 4096)
            data.resize(data.size() * 2);
        const ssize_t n = getdents64(fd, data.data() + used, data.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the end, or a folder that fails mid-read: keep what was read
        used += size_t(n);
    }
    level.used = used;
}

void ScanEngine::walkFolder(int fd, int depth) {
    UniqueFd guard(fd);
    if (aborted_)
        return;
    if (sink_)
        sink_->enterFolder(path_, depth);

    if (levels_.size() <= size_t(depth))
        levels_.resize(depth + 1);
    Level& level = levels_[depth];
    readEntries(fd, level);
    char* const data = level.data.data();
    const size_t used = level.used;
    const qsizetype pathLength = path_.size();

    // Subfolders first, in the order the folder yields them.
    bool first = true;
    for (size_t off = 0; off < used;) {
        auto* d = reinterpret_cast<dirent64*>(data + off);
        off += d->d_reclen;
        if (!first)
            pump();
        first = false;
        if (aborted_)
            break;
        const char* name = d->d_name;
        if (isDotOrDotDot(name))
            continue;
        if (d->d_type == DT_UNKNOWN) {
            // Some file systems do not tell the kind in the entry; ask once and remember it
            // in the buffer for the file pass.
            struct statx st;
            if (statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE, &st) == 0)
                d->d_type = typeFromMode(st.stx_mode);
            else
                d->d_type = DT_UNKNOWN + 100; // gone: neither walked nor listed
        }
        if (d->d_type != DT_DIR)
            continue;
        if (name[0] == '.' || !enterable(fd, name)) {
            if (sink_)
                sink_->folderNotEntered(path_, name);
            continue;
        }
        const int child =
            ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (child < 0) {
            if (sink_)
                sink_->folderNotEntered(path_, name);
            continue;
        }
        if (pathLength != 1 || path_[0] != '/')
            path_.append('/');
        path_.append(name);
        walkFolder(child, depth + 1);
        path_.truncate(pathLength);
    }

    // Then the files of this folder.
    if (!aborted_ && sink_) {
        sink_->folderFiles(path_);
        const bool listHidden = fileMask_ & faHidden;
        const bool listSystem = fileMask_ & faSysFile;
        int index = 0;
        for (size_t off = 0; off < used;) {
            auto* d = reinterpret_cast<dirent64*>(data + off);
            off += d->d_reclen;
            if (d->d_type == DT_DIR)
                continue;
            const char* name = d->d_name;
            if (isDotOrDotDot(name))
                continue;
            if (!listHidden && name[0] == '.')
                continue;
            if (!listSystem && d->d_type != DT_REG && d->d_type != DT_UNKNOWN)
                continue;
            if (index > 0)
                pump();
            if (aborted_)
                break;
            const int length = int(std::strlen(name));
            if (!matches(name, length))
                continue;
            struct statx st;
            if (statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kFileFields, &st) != 0)
                continue; // gone since the folder was read
            if (S_ISDIR(st.stx_mode))
                continue; // replaced by a folder since the folder was read
            const unsigned attributes =
                mapAttributes(name, st.stx_mode, (st.stx_attributes & STATX_ATTR_NODUMP) != 0);
            if (!searchIncludes(attributes, fileMask_))
                continue;
            ScanFile f;
            f.name = name;
            f.nameLength = length;
            f.size = qint64(st.stx_size);
            f.attributes = attributes;
            f.writeTime = st.stx_mtime.tv_sec;
            f.accessTime = st.stx_atime.tv_sec;
            f.creationTime =
                (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_ctime.tv_sec;
            f.indexInFolder = index++;
            sink_->file(f);
        }
    }
    if (sink_)
        sink_->leaveFolder(path_, depth);
}
