#include "finders/scan_engine.h"

#include "common/size_sum.h"
#include "finders/walk_shares.h"
#include "platform/native_path.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <thread>
#include <time.h>
#include <utility>

namespace {
// Milliseconds on a monotonic clock. The coarse clock is read without a system call and is
// fine-grained enough for a 20 ms throttle.
qint64 monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The reason a subfolder was not entered: the errno of one that could not be opened, 0 for
// one passed over on purpose or changed under the walk.
int notEnteredError(DirWalk::EnterResult result) {
    if (result != DirWalk::NotOpened)
        return 0;
    return errno != 0 ? errno : EIO;
}

} // namespace

// Passes every call on to the engine's sink and keeps the folders that could not be opened.
// It sits on the thread that called walk(), so the list has a single thread's order.
class ScanEngine::Tally : public ScanSink {
public:
    Tally(ScanSink& sink, std::vector<UnreadFolder>& unread) : sink_(sink), unread_(unread) {}
    void enterFolder(const QByteArray& path, int depth) override { sink_.enterFolder(path, depth); }
    void folderNotEntered(const QByteArray& parent, const char* name, int error) override {
        if (error != 0) {
            QByteArray path = parent;
            if (path.size() != 1 || path[0] != '/')
                path.append('/');
            unread_.push_back({path.append(name), error});
        }
        sink_.folderNotEntered(parent, name, error);
    }
    void folderFiles(const QByteArray& path) override { sink_.folderFiles(path); }
    void file(const ScanFile& file) override { sink_.file(file); }
    void leaveFolder(const QByteArray& path, int depth) override { sink_.leaveFolder(path, depth); }

private:
    ScanSink& sink_;
    std::vector<UnreadFolder>& unread_;
};

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
    // Deep copies both ways: the bytes never pass between threads by a shared buffer.
    p.folder = QByteArray(folder_.constData(), folder_.size());
    return p;
}

void ScanEngine::resetProgress() {
    filesSeen_ = 0;
    bytesSeen_ = 0;
    unread_.clear();
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
    folder_ = QByteArray(path.constData(), path.size());
}

// One thread's part of a walk: depth-first through one subtree, its calls going to `out`
// (the sink itself, or the recorder of the thread's current share). With a pool, a subfolder
// is handed to an idle thread instead of being walked here.
class ScanEngine::Walker {
public:
    Walker(ScanEngine& engine, ScanSink* out, WalkPool* pool, int budget)
        : engine_(engine), out_(out), pool_(pool) {
        if (budget > 0)
            walk_.setDescriptorBudget(budget);
    }
    ~Walker() { flushProgress(); }

    // Walks the folder open as `fd` (taken over) at `depth`.
    void walkTree(int fd, const EntryInfo& info, const QByteArray& path, int depth) {
        walk_.adoptRoot(fd, info, path);
        base_ = depth;
        walkFolder();
        walk_.close();
    }

private:
    void walkFolder();
    bool shareFolder(const char* name);
    void listFiles(const FolderEntries& entries);
    void flushProgress();

    ScanEngine& engine_;
    ScanSink* out_;
    WalkPool* pool_;
    DirWalk walk_;
    int base_ = 0;
    qint64 files_ = 0; // progress not yet added to the engine's
    qint64 bytes_ = 0;
};

void ScanEngine::Walker::flushProgress() {
    engine_.filesSeen_.fetch_add(files_, std::memory_order_relaxed);
    // Sparse files of exabytes can pass the 64-bit range: the sum stops at its top.
    qint64 seen = engine_.bytesSeen_.load(std::memory_order_relaxed);
    while (!engine_.bytesSeen_.compare_exchange_weak(seen, addSize(seen, bytes_)))
        ;
    files_ = 0;
    bytes_ = 0;
}

// One folder: its subfolders first, each walked to the bottom, then its own files.
void ScanEngine::Walker::walkFolder() {
    if (engine_.aborted())
        return;
    const int depth = base_ + walk_.depth();
    engine_.noteFolder(walk_.path());
    if (engine_.folderHook_)
        engine_.folderHook_(walk_.path());
    if (out_)
        out_->enterFolder(walk_.path(), depth);

    // The entries stay in this level's buffer while the walk is below the folder.
    const FolderEntries& entries = walk_.readEntries();
    bool lost = false;
    for (const FolderEntry e : entries) {
        if (engine_.aborted())
            break;
        if (e.type != DT_DIR)
            continue;
        if (e.name[0] != '.' && pool_ && pool_->wantsShare() && shareFolder(e.name))
            continue;
        const DirWalk::EnterResult entered =
            e.name[0] == '.' ? DirWalk::NotFolder : walk_.enter(e.name);
        if (entered != DirWalk::Entered) {
            if (out_)
                out_->folderNotEntered(walk_.path(), e.name, notEnteredError(entered));
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
        if (out_)
            out_->folderNotEntered(walk_.parentPath(), walk_.name(), 0);
    } else if (!engine_.aborted() && out_) {
        listFiles(entries);
    }
    if (out_)
        out_->leaveFolder(walk_.path(), depth);
    flushProgress();
}

// Opens the subfolder `name` for an idle thread and marks its place in this thread's output.
// False, with nothing done, when no descriptor is free for it: then this thread walks it.
bool ScanEngine::Walker::shareFolder(const char* name) {
    if (!pool_->takeSlot())
        return false;
    EntryInfo info;
    int fd = -1;
    const DirWalk::EnterResult opened = walk_.openChild(name, info, fd);
    if (opened != DirWalk::Entered) {
        const int error = notEnteredError(opened);
        pool_->returnSlot();
        if (out_)
            out_->folderNotEntered(walk_.path(), name, error);
        return true;
    }
    QByteArray path = walk_.path();
    if (path.size() != 1 || path[0] != '/')
        path.append('/');
    path.append(name);
    static_cast<ShareRecorder*>(out_)->splice(
        pool_->share(fd, info, path, base_ + walk_.depth() + 1));
    return true;
}

void ScanEngine::Walker::listFiles(const FolderEntries& entries) {
    out_->folderFiles(walk_.path());
    const unsigned mask = engine_.fileMask_;
    const bool listHidden = mask & faHidden;
    const bool listSystem = mask & faSysFile;
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
        if (engine_.aborted())
            break;
        const int length = int(std::strlen(name));
        if (!engine_.matches(name, length))
            continue;
        EntryInfo info;
        if (!statAt(fd, name, info) || info.isFolder())
            continue; // gone, or replaced by a folder, since the folder was read
        if (!searchIncludes(info.attributes, mask))
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
        f.identity = FileIdentity::of(info);
        out_->file(f);
        ++files_;
        bytes_ = addSize(bytes_, f.size);
    }
}

bool ScanEngine::walk(const QString& root) {
    EntryInfo info;
    QByteArray path;
    const int fd = DirWalk::openFolder(toNative(root), info, path);
    if (fd < 0)
        return false;
    caller_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    // Not the caller's any more once the walk is over.
    struct Forget {
        std::atomic<std::thread::id>& caller;
        ~Forget() { caller.store(std::thread::id(), std::memory_order_relaxed); }
    } forget{caller_};
    const int threads = this->threads();
    const int budget = budget_ > 0 ? budget_ : defaultDescriptorBudget();
    Tally tally(sink_ ? *sink_ : nullSink_, unread_);
    if (threads == 1) {
        Walker(*this, sink_ ? &tally : nullptr, nullptr, budget).walkTree(fd, info, path, 0);
        return true;
    }
    // Each thread's own walk gets a part of the budget; what is left is for the subfolders
    // waiting to be taken, each held open by one descriptor.
    const int perThread = std::max(2, budget / (2 * threads));
    WalkPool pool(std::max(0, budget - threads * perThread));
    WalkShare* top = pool.addRoot(fd, info, path);
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&] {
        ShareRecorder recorder(pool);
        Walker walker(*this, &recorder, &pool, perThread);
        while (WalkShare* share = pool.next()) {
            const int shareFd = std::exchange(share->fd, -1);
            recorder.begin(*share);
            try {
                walker.walkTree(shareFd, share->info, share->path, share->depth);
            } catch (...) {
                // Out of memory: the walk stops, the caller learns why.
                abort();
                const std::lock_guard lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
            }
            recorder.end();
        }
    };
    std::vector<std::thread> walkers;
    // The threads are joined however the replay ends; a sink that throws stops the walk first.
    struct Join {
        ScanEngine& engine;
        std::vector<std::thread>& threads;
        void operator()() {
            for (std::thread& t : threads)
                if (t.joinable())
                    t.join();
        }
        ~Join() {
            if (std::uncaught_exceptions() > 0)
                engine.abort();
            (*this)();
        }
    } join{*this, walkers};
    for (int i = 0; i < threads; ++i)
        walkers.emplace_back(work);
    replayShares(pool, *top, *this, tally);
    join();
    if (failure)
        std::rethrow_exception(failure);
    return true;
}
