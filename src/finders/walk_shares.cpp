#include "finders/walk_shares.h"

#include <cstring>
#include <unistd.h>

namespace {
// A chunk is handed over when it holds this much; fewer, larger hand-overs keep the lock cold.
constexpr std::size_t kChunkBytes = 64 * 1024;

// The kinds of recorded calls.
enum : char {
    kEnter = 'E',
    kNotEntered = 'N',
    kFiles = 'F',
    kFile = 'f',
    kLeave = 'X',
    kSplice = 'S',
};

// A file's numbers as recorded; its name follows, NUL-terminated.
struct FileHead {
    FileIdentity identity; // holds the size and the modification time
    qint64 accessTime;
    qint64 creationTime;
    unsigned attributes;
    int indexInFolder;
    int nameLength;
};

template <typename T> char* put(char* at, const T& value) {
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

template <typename T> const char* get(const char* at, T& value) {
    std::memcpy(&value, at, sizeof value);
    return at + sizeof value;
}
} // namespace

// ---- pool

WalkPool::~WalkPool() {
    for (const auto& share : shares_)
        if (share->fd >= 0)
            ::close(share->fd);
}

WalkShare* WalkPool::addRoot(int fd, const EntryInfo& info, const QByteArray& path) {
    const std::lock_guard lock(mutex_);
    shares_.push_back(std::make_unique<WalkShare>());
    WalkShare* root = shares_.back().get();
    root->fd = fd;
    root->info = info;
    root->path = path;
    queue_.push_back(root);
    queued_.fetch_add(1, std::memory_order_relaxed);
    ++open_;
    return root;
}

bool WalkPool::takeSlot() {
    int free = freeSlots_.load(std::memory_order_relaxed);
    while (free > 0 && !freeSlots_.compare_exchange_weak(free, free - 1))
        ;
    return free > 0;
}

void WalkPool::returnSlot() {
    freeSlots_.fetch_add(1, std::memory_order_relaxed);
}

WalkShare* WalkPool::share(int fd, const EntryInfo& info, const QByteArray& path, int depth) {
    auto share = std::make_unique<WalkShare>();
    share->fd = fd;
    share->info = info;
    share->path = path;
    share->depth = depth;
    WalkShare* queued = share.get();
    {
        const std::lock_guard lock(mutex_);
        shares_.push_back(std::move(share));
        queue_.push_back(queued);
        queued_.fetch_add(1, std::memory_order_relaxed);
        ++open_;
    }
    work_.notify_one();
    return queued;
}

WalkShare* WalkPool::next() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!queue_.empty()) {
            // The oldest first: it comes earliest in the tree, where the replay waits.
            WalkShare* share = queue_.front();
            queue_.pop_front();
            queued_.fetch_sub(1, std::memory_order_relaxed);
            if (share->depth > 0)
                returnSlot(); // its descriptor now counts in the taking thread's budget
            return share;
        }
        if (open_ == 0)
            return nullptr;
        idle_.fetch_add(1, std::memory_order_relaxed);
        work_.wait(lock);
        idle_.fetch_sub(1, std::memory_order_relaxed);
    }
}

void WalkPool::publish(WalkShare& share, std::unique_ptr<WalkShare::Chunk> chunk, bool last) {
    bool over = false;
    {
        const std::lock_guard lock(mutex_);
        if (chunk && !chunk->bytes.empty())
            share.chunks.push_back(std::move(chunk));
        if (last) {
            share.done = true;
            over = --open_ == 0;
        }
    }
    chunk_.notify_one();
    if (over)
        work_.notify_all();
}

std::unique_ptr<WalkShare::Chunk> WalkPool::take(WalkShare& share) {
    std::unique_lock lock(mutex_);
    chunk_.wait(lock, [&] { return !share.chunks.empty() || share.done; });
    if (share.chunks.empty())
        return nullptr;
    std::unique_ptr<WalkShare::Chunk> chunk = std::move(share.chunks.front());
    share.chunks.pop_front();
    return chunk;
}

// ---- recording

char* ShareRecorder::room(std::size_t bytes) {
    if (chunk_ && chunk_->bytes.size() + bytes > kChunkBytes && !chunk_->bytes.empty())
        pool_.publish(*share_, std::move(chunk_), false);
    if (!chunk_) {
        chunk_ = std::make_unique<WalkShare::Chunk>();
        chunk_->bytes.reserve(std::max(kChunkBytes, bytes));
    }
    const std::size_t at = chunk_->bytes.size();
    chunk_->bytes.resize(at + bytes);
    return chunk_->bytes.data() + at;
}

void ShareRecorder::end() {
    pool_.publish(*share_, std::move(chunk_), true);
    share_ = nullptr;
}

void ShareRecorder::splice(WalkShare* spliced) {
    put(put(room(1 + sizeof spliced), kSplice), spliced);
}

void ShareRecorder::putPath(char kind, const QByteArray& path, int depth) {
    const int length = int(path.size());
    char* at = room(1 + 2 * sizeof(int) + std::size_t(length));
    at = put(put(put(at, kind), depth), length);
    std::memcpy(at, path.constData(), std::size_t(length));
}

void ShareRecorder::enterFolder(const QByteArray& path, int depth) {
    putPath(kEnter, path, depth);
}

void ShareRecorder::folderFiles(const QByteArray& path) {
    putPath(kFiles, path, 0);
}

void ShareRecorder::leaveFolder(const QByteArray& path, int depth) {
    putPath(kLeave, path, depth);
}

void ShareRecorder::folderNotEntered(const QByteArray& parent, const char* name, int error) {
    const int parentLength = int(parent.size());
    const int nameLength = int(std::strlen(name));
    char* at = room(1 + 3 * sizeof(int) + std::size_t(parentLength + nameLength + 1));
    at = put(put(put(at, kNotEntered), error), parentLength);
    std::memcpy(at, parent.constData(), std::size_t(parentLength));
    at = put(at + parentLength, nameLength);
    std::memcpy(at, name, std::size_t(nameLength) + 1);
}

void ShareRecorder::file(const ScanFile& f) {
    const FileHead head{f.identity,   f.accessTime,    f.creationTime,
                        f.attributes, f.indexInFolder, f.nameLength};
    char* at = put(put(room(1 + sizeof head + std::size_t(f.nameLength) + 1), kFile), head);
    std::memcpy(at, f.name, std::size_t(f.nameLength));
    at[f.nameLength] = '\0';
}

// ---- replay

namespace {
// Hands the recorded calls to the sink. Once the sink has stopped the walk it hands over what
// a single thread would still make after that: only the ends of the folders it entered.
class Replay {
public:
    Replay(const ScanEngine& engine, ScanSink& sink) : engine_(engine), sink_(sink) {}

    // Hands over the call at `at`; returns where the next begins, and the share to replay
    // first when the call is a splice mark.
    const char* one(const char* at, WalkShare*& spliced) {
        char kind;
        at = get(at, kind);
        switch (kind) {
        case kSplice:
            return get(at, spliced);
        case kFile:
            return file(at);
        case kNotEntered:
            return notEntered(at);
        default:
            return folder(kind, at);
        }
    }

private:
    bool stopped() const { return engine_.sinkStopped(); }

    const char* file(const char* at) {
        FileHead head;
        at = get(at, head);
        if (!stopped()) {
            ScanFile f;
            f.name = at;
            f.nameLength = head.nameLength;
            f.identity = head.identity;
            f.size = head.identity.size;
            f.attributes = head.attributes;
            f.writeTime = head.identity.writeTime;
            f.accessTime = head.accessTime;
            f.creationTime = head.creationTime;
            f.indexInFolder = head.indexInFolder;
            sink_.file(f);
        }
        return at + head.nameLength + 1;
    }

    const char* notEntered(const char* at) {
        int error;
        int length;
        at = get(get(at, error), length);
        const QByteArray parent(at, length);
        at = get(at + length, length);
        if (!stopped())
            sink_.folderNotEntered(parent, at, error);
        return at + length + 1;
    }

    const char* folder(char kind, const char* at) {
        int depth;
        int length;
        at = get(get(at, depth), length);
        // A copy of its own: a sink may keep the path.
        const QByteArray path(at, length);
        if (kind == kEnter) {
            const bool handed = !stopped();
            entered_.push_back(handed);
            if (handed)
                sink_.enterFolder(path, depth);
        } else if (kind == kFiles) {
            if (!stopped())
                sink_.folderFiles(path);
        } else {
            const bool handed = !entered_.empty() && entered_.back();
            if (!entered_.empty())
                entered_.pop_back();
            if (handed)
                sink_.leaveFolder(path, depth);
        }
        return at + length;
    }

    const ScanEngine& engine_;
    ScanSink& sink_;
    std::vector<bool> entered_; // per open folder, whether its entry was handed over
};
} // namespace

void replayShares(WalkPool& pool, WalkShare& root, const ScanEngine& engine, ScanSink& sink) {
    struct Frame {
        WalkShare* share;
        std::unique_ptr<WalkShare::Chunk> chunk;
        const char* at = nullptr;
        const char* end = nullptr;
    };
    Replay replay(engine, sink);
    std::vector<Frame> stack;
    stack.push_back({&root, nullptr});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.at == top.end) {
            top.chunk = pool.take(*top.share);
            if (!top.chunk) {
                stack.pop_back();
                continue;
            }
            top.at = top.chunk->bytes.data();
            top.end = top.at + top.chunk->bytes.size();
        }
        WalkShare* spliced = nullptr;
        top.at = replay.one(top.at, spliced);
        if (spliced)
            stack.push_back({spliced, nullptr});
    }
}
