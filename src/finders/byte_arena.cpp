#include "finders/byte_arena.h"

#include <algorithm>
#include <cstring>

bool ByteArena::add(const char* bytes, size_t length, quint32& handle) {
    constexpr size_t chunk = size_t(1) << ChunkBits;
    constexpr size_t maxChunks = size_t(1) << (32 - ChunkBits);
    if (chunks_.empty() || size_ - used_ < length) {
        if (chunks_.size() >= maxChunks)
            return false;
        // An item larger than a chunk gets a chunk of its own.
        size_ = std::max(chunk, length);
        chunks_.push_back(std::make_unique<char[]>(size_));
        used_ = 0;
    }
    handle = quint32((chunks_.size() - 1) << ChunkBits) | quint32(used_);
    std::memcpy(chunks_.back().get() + used_, bytes, length);
    used_ += length;
    if (size_ > chunk)
        used_ = size_; // nothing more goes into an oversized chunk
    return true;
}

void ByteArena::trim() {
    if (chunks_.empty() || used_ == size_)
        return;
    auto fitted = std::make_unique<char[]>(std::max<size_t>(used_, 1));
    std::memcpy(fitted.get(), chunks_.back().get(), used_);
    chunks_.back() = std::move(fitted);
    size_ = used_;
}

void ByteArena::clear() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    used_ = size_ = 0;
}
