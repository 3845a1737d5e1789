#pragma once

#include "finders/scan_engine.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

// The bookkeeping that lets several threads walk one tree and still hand the sink exactly
// what a single-threaded walk would, in the same order.
//
// A share is one subtree a thread walks on its own: the thread that came upon the subfolder
// opened it (with every check of the walk) and left a splice mark in its own output where
// the subfolder's events belong. Each share's sink calls are recorded into chunks as the
// thread makes them; the replaying thread reads the root share's chunks in order and, at
// each splice mark, the whole of the spliced share first. Chunks are handed over as they
// fill, so a share is replayed while it is still being walked, and freed once replayed.
struct WalkShare {
    struct Chunk {
        std::vector<char> bytes;
    };
    int fd = -1;    // the subtree's folder, until a thread takes the share
    EntryInfo info; // what was seen of it
    QByteArray path;
    int depth = 0;
    // Guarded by the pool's mutex.
    std::deque<std::unique_ptr<Chunk>> chunks;
    bool done = false;
};

// The shares of one walk and the threads' rendezvous. One mutex guards the queue and the
// hand-over of chunks; a thread takes it once per chunk or share, never per file.
class WalkPool {
public:
    // `budget`: descriptors the shares waiting in the queue may hold together.
    explicit WalkPool(int budget) : freeSlots_(budget) {}
    ~WalkPool();

    // The root share: the walk's root folder, already open.
    WalkShare* addRoot(int fd, const EntryInfo& info, const QByteArray& path);

    // Whether a thread is idle and no share waits for it, so a subfolder should be shared.
    bool wantsShare() const {
        return idle_.load(std::memory_order_relaxed) > queued_.load(std::memory_order_relaxed);
    }
    // Reserves a descriptor for a share about to be opened; false when none is left.
    bool takeSlot();
    void returnSlot();
    // Queues a share for an idle thread; `fd` is the open subfolder (its slot taken).
    WalkShare* share(int fd, const EntryInfo& info, const QByteArray& path, int depth);

    // For the walking threads: the next share to walk, waiting while others may still make
    // some; nullptr when the walk is over.
    WalkShare* next();
    // A thread hands over a full chunk of a share, or ends the share (with its last chunk).
    void publish(WalkShare& share, std::unique_ptr<WalkShare::Chunk> chunk, bool last);

    // For the replaying thread: the share's next chunk, waiting for it; nullptr when the
    // share is over and every chunk was taken. The caller owns the chunk.
    std::unique_ptr<WalkShare::Chunk> take(WalkShare& share);

private:
    std::mutex mutex_;
    std::condition_variable work_;  // a share queued, or the walk over
    std::condition_variable chunk_; // a chunk published
    std::vector<std::unique_ptr<WalkShare>> shares_;
    std::deque<WalkShare*> queue_;
    int open_ = 0; // shares not yet done
    std::atomic<int> idle_{0};
    std::atomic<int> queued_{0};
    std::atomic<int> freeSlots_;
};

// A sink that records each call of one walking thread into the chunks of its current share.
class ShareRecorder : public ScanSink {
public:
    explicit ShareRecorder(WalkPool& pool) : pool_(pool) {}
    void begin(WalkShare& share) { share_ = &share; }
    // Publishes what is left and ends the share.
    void end();
    // The events of `spliced` belong here.
    void splice(WalkShare* spliced);

    void enterFolder(const QByteArray& path, int depth) override;
    void folderNotEntered(const QByteArray& parent, const char* name, int error) override;
    void folderFiles(const QByteArray& path) override;
    void file(const ScanFile& file) override;
    void leaveFolder(const QByteArray& path, int depth) override;

private:
    char* room(std::size_t bytes);
    void putPath(char kind, const QByteArray& path, int depth);

    WalkPool& pool_;
    WalkShare* share_ = nullptr;
    std::unique_ptr<WalkShare::Chunk> chunk_;
};

// Hands the recorded calls of `root` and the shares spliced into it to `sink`, in the order
// a single-threaded walk makes them, as they become available. Once the sink has stopped the
// walk (ScanEngine::sinkStopped) only the ends of folders already handed over follow.
void replayShares(WalkPool& pool, WalkShare& root, const ScanEngine& engine, ScanSink& sink);
