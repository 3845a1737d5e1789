#pragma once

#include <cstddef>
#include <vector>

// One entry as a folder lists it. `name` is the kernel's bytes, NUL-terminated, valid until
// the buffer is read again. `type` is a DT_* kind (dirent.h), never DT_UNKNOWN.
struct FolderEntry {
    const char* name;
    unsigned char type;
};

// All the entries of one folder, read with getdents64 into a buffer that is kept and reused
// for the next folder. "." and ".." are left out. Where the file system does not tell an
// entry's kind, it is asked once (statx without following a link); an entry that is gone by
// then is left out too.
class FolderEntries {
public:
    // Reads the folder open as `fd` from its current position. False when the folder cannot
    // be read at all; a folder that fails part way keeps what was read.
    bool read(int fd);
    void clear() { used_ = 0; }

    class Iterator {
    public:
        FolderEntry operator*() const;
        Iterator& operator++();
        bool operator==(const Iterator& other) const { return at_ == other.at_; }

    private:
        friend class FolderEntries;
        Iterator(const char* at, const char* end) : at_(at), end_(end) {}
        const char* at_;
        const char* end_;
    };
    Iterator begin() const;
    Iterator end() const;

private:
    std::vector<char> data_;
    std::size_t used_ = 0;
};
