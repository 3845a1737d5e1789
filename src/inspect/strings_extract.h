#pragma once

#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The readable strings of a file: runs of ASCII letters, digits and blanks of a bounded length,
// found block by block.

// The strings found, in file order, kept compact for lists of millions: all bytes in one
// arena and the end offset of each string.
class StringList {
public:
    void clear();
    void append(const char* bytes, size_t length);
    size_t count() const { return ends_.size(); }
    std::string_view bytes(size_t i) const {
        const quint64 begin = i == 0 ? 0 : ends_[i - 1];
        return {arena_.data() + begin, size_t(ends_[i] - begin)};
    }
    // Every byte of a string is ASCII, so the text is the bytes as they are.
    QString text(size_t i) const;

private:
    std::vector<char> arena_;
    std::vector<quint64> ends_;
};

// Finds the strings in a file's bytes given in consecutive pieces of any size.
//
// The file is judged in fixed blocks of BlockSize bytes from its start, each by itself: a
// string byte is an ASCII letter, digit or blank, every other byte is a break byte. A run of
// string bytes is listed, bytes unchanged, when it has from minimum + 1 to maximum + 1 bytes and
// a break byte follows it in the same block. Longer runs are left out whole, and so is a run
// that reaches the end of its block or of the file. The pieces given to feed() need not
// follow the blocks: a run split between two pieces is judged whole.
class StringsExtractor {
public:
    static constexpr size_t BlockSize = 2048;

    explicit StringsExtractor(StringList& out, int minimum = 5, int maximum = 100);
    // The next bytes of the file.
    void feed(const char* data, size_t length);

private:
    // Bytes that all lie in one block; `endsBlock` when the last of them is its last byte.
    void scan(const char* data, size_t length, bool endsBlock);

    StringList& out_;
    size_t shortest_;
    size_t longest_;
    size_t inBlock_ = 0; // bytes of the current block already seen
    size_t run_ = 0;     // string bytes since the last break byte in this block
    std::string carry_;  // the current run's bytes from earlier pieces, unless it is too long
};

enum class ExtractResult {
    Done,         // the file was read to its end (or to a read error, which ends it alike)
    Stopped,      // `goOn` asked to stop; what was found so far is listed
    CouldNotOpen, // nothing there, not a regular file, or not readable; the list is untouched
};

// Clears `list` and fills it with the strings of the file at `path`, read through one reused
// buffer in large blocks. `goOn`, when given, is called after each block; returning false
// stops. A FIFO, socket or device is refused without blocking.
ExtractResult extractStrings(const QString& path, StringList& list,
                             const std::function<bool()>& goOn = {}, int minimum = 5,
                             int maximum = 100);

// The message for a file that extractStrings() could not open.
QString couldNotOpenText(const QString& path);
