#pragma once

#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <vector>

// Byte storage in chunks that never move, so handles stay valid and growing never copies.
// A handle is 32 bits: the chunk number and the offset inside the chunk.
class ByteArena {
public:
    static constexpr int ChunkBits = 20; // 1 MiB chunks
    // The handle of a copy of the bytes; false when the arena is full.
    bool add(const char* bytes, size_t length, quint32& handle);
    const char* at(quint32 handle) const {
        return chunks_[handle >> ChunkBits].get() + (handle & ((1u << ChunkBits) - 1));
    }
    // Gives back the unused room of the last chunk once no more is added for a while; a later
    // add starts a new chunk. Handles stay valid.
    void trim();
    // Empties the arena and gives its memory back.
    void clear();

private:
    std::vector<std::unique_ptr<char[]>> chunks_;
    size_t used_ = 0; // in the last chunk
    size_t size_ = 0; // of the last chunk
};
