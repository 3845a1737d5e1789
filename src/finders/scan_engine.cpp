#include "finders/scan_engine.h"

#include "platform/native_path.h"

#include <cstring>
#include <dirent.h>
#include <thread>
#include <time.h>

namespace {
// Milliseconds on a monotonic clock. The coarse clock is read without a system call and is
// fine-grained enough for a 20 ms throttle.
qint64 monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

ScanEngine::ScanEngine() = default;

ScanEngine::~ScanEngine() = default;

void ScanEngine::setPattern(const QString& pattern) {
    pattern_ = pattern;
    matchAll_ = pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
}

bool ScanEngine::matches(const char* name, int length) const {
    if (nameFilter_)
        return nameFilter_(name, length);
    return matchAll_ || wildcardMatch(pattern_, fromNative(name, length));
}

int ScanEngine::defaultThreads() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

int ScanEngine::threads() const {
    return threads_ > 0 ? threads_ : defaultThreads();
}

ScanEngine::Progress ScanEngine::progress() const {
    Progress p;
    p.files = filesSeen_.load(std::memory_order_relaxed);
    p.bytes = bytesSeen_.load(std::memory_order_relaxed);
    const std::lock_guard lock(folderMutex_);
    p.folder = folder_;
    return p;
}

void ScanEngine::resetProgress() {
    filesSeen_ = 0;
    bytesSeen_ = 0;
    const std::lock_guard lock(folderMutex_);
    folder_.clear();
}

// Keeps the folder for progress at most every 20 ms: a copy under a lock per folder would
// cost more than the walk's own work on trees of many small folders.
void ScanEngine::noteFolder(const QByteArray& path) {
    const qint64 now = monotonicMs();
    qint64 last = lastNoted_.load(std::memory_order_relaxed);
    if (now - last < 20 || !lastNoted_.compare_exchange_strong(last, now))
        return;
    const std::lock_guard lock(folderMutex_);
    folder_ = path;
}

bool ScanEngine::walk(const QString& root) {
    if (!walk_.openRoot(toNative(root)))
        return false;
    walkFolder();
    walk_.close();
    return true;
}

// One folder: its subfolders first, each walked to the bottom, then its own files.
void ScanEngine::walkFolder() {
    if (aborted())
        return;
    const int depth = walk_.depth();
    noteFolder(walk_.path());
    if (folderHook_)
        folderHook_(walk_.path());
    if (sink_)
        sink_->enterFolder(walk_.path(), depth);

    // The entries stay in this level's buffer while the walk is below the folder.
    const FolderEntries& entries = walk_.readEntries();
    bool lost = false;
    for (const FolderEntry e : entries) {
        if (aborted())
            break;
        if (e.type != DT_DIR)
            continue;
        if (e.name[0] == '.' || walk_.enter(e.name) != DirWalk::Entered) {
            if (sink_)
                sink_->folderNotEntered(walk_.path(), e.name);
            continue;
        }
        walkFolder();
        if (!walk_.leave()) {
            lost = true;
            break;
        }
    }

    if (lost) {
        // The folder was removed or replaced while the walk was below it: what is at its
        // path now is another folder, whose files are not listed as this one's.
        if (sink_)
            sink_->folderNotEntered(walk_.parentPath(), walk_.name());
    } else if (!aborted() && sink_) {
        listFiles(entries);
    }
    if (sink_)
        sink_->leaveFolder(walk_.path(), depth);
}

void ScanEngine::listFiles(const FolderEntries& entries) {
    sink_->folderFiles(walk_.path());
    const bool listHidden = fileMask_ & faHidden;
    const bool listSystem = fileMask_ & faSysFile;
    const int fd = walk_.fd();
    int index = 0;
    for (const FolderEntry e : entries) {
        if (e.type == DT_DIR)
            continue;
        const char* name = e.name;
        if (!listHidden && name[0] == '.')
            continue;
        if (!listSystem && e.type != DT_REG)
            continue;
        if (aborted())
            break;
        const int length = int(std::strlen(name));
        if (!matches(name, length))
            continue;
        EntryInfo info;
        if (!statAt(fd, name, info) || info.isFolder())
            continue; // gone, or replaced by a folder, since the folder was read
        if (!searchIncludes(info.attributes, fileMask_))
            continue;
        ScanFile f;
        f.name = name;
        f.nameLength = length;
        f.size = info.size;
        f.attributes = info.attributes;
        f.writeTime = info.writeTime;
        f.accessTime = info.accessTime;
        f.creationTime = info.creationTime;
        f.indexInFolder = index++;
        sink_->file(f);
        filesSeen_.fetch_add(1, std::memory_order_relaxed);
        bytesSeen_.fetch_add(f.size, std::memory_order_relaxed);
    }
}
