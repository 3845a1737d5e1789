#include "finders/scan_engine.h"

#include "platform/native_path.h"

#include <QCoreApplication>
#include <cstring>
#include <dirent.h>
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

void ScanEngine::pump() {
    if (pumpInterval_ > 0) {
        const qint64 now = monotonicMs();
        if (now - lastPump_ < pumpInterval_)
            return;
        lastPump_ = now;
    }
    runPump();
}

void ScanEngine::runPump() {
    if (status_)
        status_(fromNative(walk_.path()));
    if (pumpHook_)
        pumpHook_();
    QCoreApplication::processEvents();
}

bool ScanEngine::walk(const QString& root) {
    if (!walk_.openRoot(toNative(root)))
        return false;
    lastPump_ = monotonicMs();
    walkFolder();
    walk_.close();
    return true;
}

// One folder: its subfolders first, each walked to the bottom, then its own files.
void ScanEngine::walkFolder() {
    if (aborted_)
        return;
    const int depth = walk_.depth();
    if (sink_)
        sink_->enterFolder(walk_.path(), depth);

    // The entries stay in this level's buffer while the walk is below the folder.
    const FolderEntries& entries = walk_.readEntries();
    bool first = true;
    bool lost = false;
    for (const FolderEntry e : entries) {
        if (!first)
            pump();
        first = false;
        if (aborted_)
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
    } else if (!aborted_ && sink_) {
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
        if (index > 0)
            pump();
        if (aborted_)
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
    }
}
