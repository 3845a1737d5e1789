#pragma once

#include "platform/dir_entry.h"
#include "platform/dir_walk.h"
#include "platform/entry_info.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// One file as a walk lists it. The name is the kernel's bytes (NUL-terminated) and is valid
// only during the call that hands the file over.
struct ScanFile {
    const char* name = nullptr;
    int nameLength = 0;
    qint64 size = 0; // bytes, 64-bit
    unsigned attributes = 0;
    qint64 writeTime = 0;    // seconds since the epoch (mtime)
    qint64 accessTime = 0;   // atime
    qint64 creationTime = 0; // birth time where recorded, else ctime
    // 0 for the first file the folder's file search returns, then 1, 2 ...
    int indexInFolder = 0;
    // Device, inode, link count and modification time to the nanosecond: what tells hard links
    // of one file apart from copies, and a file changed since the walk from the one it saw.
    FileIdentity identity;
};

// Receives what a walk finds. Folder paths are native bytes without a trailing "/" (except
// the root folder "/" itself); the reference is valid only during the call.
class ScanSink {
public:
    virtual ~ScanSink() = default;
    // A folder was entered, before anything below it is walked (depth 0: the walk's root).
    virtual void enterFolder(const QByteArray& path, int depth) {
        Q_UNUSED(path);
        Q_UNUSED(depth);
    }
    // A subfolder entry that the walk does not enter. `error` is the errno of a folder that
    // could not be opened; 0 for one left out on purpose (hidden, the mount point of another
    // file system) or one that changed under the walk.
    virtual void folderNotEntered(const QByteArray& parent, const char* name, int error) {
        Q_UNUSED(parent);
        Q_UNUSED(name);
        Q_UNUSED(error);
    }
    // The folder's files are about to be listed; everything below it has been walked.
    virtual void folderFiles(const QByteArray& path) { Q_UNUSED(path); }
    // One file of the folder last announced by folderFiles.
    virtual void file(const ScanFile& file) = 0;
    // The folder is done.
    virtual void leaveFolder(const QByteArray& path, int depth) {
        Q_UNUSED(path);
        Q_UNUSED(depth);
    }
};

// The depth-first walk every finder uses. It works through directory descriptors (openat,
// getdents64, statx without following links) and never changes the current folder.
// - A folder's subfolders are walked, in the order the folder yields them, before its files
//   are listed.
// - Hidden folders (name begins with ".") and anything that is not a folder (symbolic links
//   among them) are never entered; neither is the mount point of another file system, which
//   is a drive of its own. Symbolic links are never followed.
// - Files are listed when they match the file-match pattern and pass the attribute mask
//   (platform/dir_entry.h): with kFileMask, hidden and system files are left out.
// - A folder that cannot be opened, or that is no longer the folder the walk saw (the tree
//   changed under it), is reported through folderNotEntered and skipped; a file that is gone
//   by the time it is read is skipped. The walk goes on.
// - However deep the tree, the walk holds a bounded number of descriptors (platform/dir_walk.h).
//
// Threads. A walk runs on a pool of walking threads that share the folders of the tree: a
// thread that runs dry takes a subfolder another thread has seen but not started. The sink is
// called only on the thread that called walk(), and in exactly the order a single-threaded
// walk would call it, so sinks need no locks and every result is the same for any number of
// threads. The name filter runs on the walking threads and must not touch shared state.
// abort(), the progress figures and the folder hook are safe from any thread.
class ScanEngine {
public:
    ScanEngine();
    ~ScanEngine();
    ScanEngine(const ScanEngine&) = delete;
    ScanEngine& operator=(const ScanEngine&) = delete;

    void setSink(ScanSink* sink) { sink_ = sink; }
    // The file-match pattern ("*.*" lists every name, also names without a dot).
    void setPattern(const QString& pattern);
    // A test of each file's bare name (the kernel's bytes, valid during the call), made before
    // the file is looked at further. When set it takes the place of the file-match pattern.
    // It is called on the walking threads, at the same time from several of them.
    void setNameFilter(std::function<bool(const char* name, int length)> filter) {
        nameFilter_ = std::move(filter);
    }
    // The attribute mask of the file search (kFileMask unless set).
    void setFileMask(unsigned mask) { fileMask_ = mask; }

    // The number of walking threads: 1 walks on the calling thread alone; 0 (the default)
    // takes defaultThreads().
    void setThreads(int threads) { threads_ = std::max(0, threads); }
    int threads() const;
    // One per core, at most 8.
    static int defaultThreads();
    // The most descriptors all threads of a walk hold at once together; 0 (the default) takes
    // the walker's budget from the descriptor limit (platform/dir_walk.h).
    void setDescriptorBudget(int budget) { budget_ = std::max(0, budget); }

    // Walks the tree under `root` (a folder path; a trailing "/" is ignored) and returns when
    // the walk is over. False when the root itself cannot be opened; otherwise true, also
    // after an abort.
    bool walk(const QString& root);

    // This engine's abort flag. A walk tests it at every folder and before every further file
    // and ends quickly once it is set; what was found so far is kept. It stays set, so later
    // walks return at once, until clearAbort. Each engine has its own flag: stopping one walk
    // never stops another.
    // Made from another thread (Abort pressed), the files the walking threads had already
    // found still reach the sink. Made by the sink itself, during a call on the walk's thread
    // (a store that is full), no further file reaches it.
    void abort() {
        aborted_.store(true, std::memory_order_relaxed);
        if (std::this_thread::get_id() == caller_.load(std::memory_order_relaxed))
            sinkStopped_.store(true, std::memory_order_relaxed);
    }
    void clearAbort() {
        aborted_.store(false, std::memory_order_relaxed);
        sinkStopped_.store(false, std::memory_order_relaxed);
    }
    // Whether the sink stopped the walk itself.
    bool sinkStopped() const { return sinkStopped_.load(std::memory_order_relaxed); }
    bool aborted() const { return aborted_.load(std::memory_order_relaxed); }

    // Progress, readable from any thread while a walk runs: the files handed over so far and
    // their bytes, and a folder being walked now (native bytes). resetProgress sets them to
    // nothing; walks add to them.
    struct Progress {
        qint64 files = 0;
        qint64 bytes = 0;
        QByteArray folder;
    };
    Progress progress() const;
    void resetProgress();

    // The folders the walks since resetProgress could not open, in the order a single thread
    // meets them, with the errno of each. Read it on the thread that called walk(), or once
    // the walk is over.
    struct UnreadFolder {
        QByteArray path;
        int error = 0;
    };
    const std::vector<UnreadFolder>& unreadFolders() const { return unread_; }

    // Called on a walking thread as each folder is entered, with its path (tests use it to
    // change the tree or abort mid-walk). An empty function removes it; set it only between
    // walks.
    void setFolderHook(std::function<void(const QByteArray& path)> hook) {
        folderHook_ = std::move(hook);
    }

private:
    class Walker;
    class Tally;
    // Takes the calls of a walk that has no sink.
    class NullSink : public ScanSink {
        void file(const ScanFile&) override {}
    };
    bool matches(const char* name, int length) const;
    void noteFolder(const QByteArray& path);

    ScanSink* sink_ = nullptr;
    QString pattern_ = QStringLiteral("*.*");
    bool matchAll_ = true;
    std::function<bool(const char*, int)> nameFilter_;
    unsigned fileMask_ = kFileMask;
    int threads_ = 0;
    int budget_ = 0;
    std::function<void(const QByteArray&)> folderHook_;
    std::atomic<bool> aborted_{false};
    std::atomic<bool> sinkStopped_{false};
    std::atomic<std::thread::id> caller_; // the thread in walk(), which calls the sink
    std::atomic<qint64> filesSeen_{0};
    std::atomic<qint64> bytesSeen_{0};
    std::atomic<qint64> lastNoted_{0};
    mutable std::mutex folderMutex_;
    QByteArray folder_;
    NullSink nullSink_;
    std::vector<UnreadFolder> unread_;
};
