#pragma once

#include "widgets/line_index.h"
#include "widgets/page_cache.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <sys/stat.h>

// What the file-viewer control shows, without any widget: one file opened read-only, its
// lines as text or as hex, counted in steps, read a few pages at a time and searched in
// blocks. Line numbers and offsets are 64-bit. A file that grows or shrinks while shown is
// followed by refresh(): lines that are gone read as empty, new ones are counted.
class FileViewModel {
public:
    FileViewModel() = default;
    ~FileViewModel();
    FileViewModel(const FileViewModel&) = delete;
    FileViewModel& operator=(const FileViewModel&) = delete;

    // Closes any open file and opens `path` read-only. Returns an empty text, or the error
    // to show ("Viewer: file not found", ...) with no file open.
    QString open(const QString& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    std::int64_t fileSize() const { return size_; }

    bool hexMode() const { return hexMode_; }
    void setHexMode(bool on) { hexMode_ = on; }
    bool expandTabs() const { return expandTabs_; }
    void setExpandTabs(bool on) { expandTabs_ = on; }
    int tabSize() const { return tabSize_; }
    void setTabSize(int size); // 0 and below are ignored

    // Lines in the current mode; 0 with no file. In text mode nothing while still counting.
    std::optional<std::int64_t> lineCount() const;
    // Counts up to `budget` more bytes of text lines; true when all are counted.
    bool countStep(std::int64_t budget);
    void countAll();
    // Counts until line `n` is known or the file ends; false when there is no such line.
    bool countToLine(std::int64_t n);

    // Line `n` as shown; empty past the end, and for a text line the counting has not reached
    // yet (opening counts the first megabyte, enough for the first screen of most files).
    QString lineText(std::int64_t n);
    // Byte offset where line `n` starts in the current mode, once its start is counted.
    std::optional<std::int64_t> lineOffset(std::int64_t n);
    // The line (current mode) that holds byte `offset`; counts text lines up to it.
    std::optional<std::int64_t> lineOf(std::int64_t offset);

    // The line and shown column of byte `offset` in the current mode (in hex mode, the column
    // of its two digits), for selecting a match.
    struct Position {
        std::int64_t line = 0;
        int column = 0;
        bool operator==(const Position&) const = default;
    };
    std::optional<Position> positionOf(std::int64_t offset);

    // Finds `text` (as UTF-8) from byte `from`: forward at or after it, backward before it.
    std::optional<std::int64_t> find(const QString& text, std::int64_t from, bool backward,
                                     bool matchCase) const;

    // Looks at the file again: a changed size or time drops the cached pages, and the line
    // index follows a file that was cut short or grew.
    void refresh();

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
    struct timespec mtime_ {};
    bool hexMode_ = false;
    bool expandTabs_ = true;
    int tabSize_ = 8;
    PageCache cache_;
    LineIndex index_;
};

// The error text for a failed open, from the system's error number.
QString viewerOpenError(int error);
