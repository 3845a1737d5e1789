#pragma once

#include "model/file_search.h"
#include "model/line_index.h"
#include "model/page_cache.h"

#include <QString>
#include <cstdint>
#include <functional>
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

    // The most read of a file whose size cannot be trusted (proc, sysfs), which is shown as
    // read once rather than read where it lies.
    static constexpr std::int64_t kSizelessFileLimit = 16 << 20;

    // Closes any open file and opens `path` read-only. Returns an empty text, or the error
    // to show ("Viewer: file not found", ...) with no file open. Only a regular file opens.
    QString open(const QString& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    std::int64_t fileSize() const { return size_; }
    // The file was read once and held more than kSizelessFileLimit bytes: only those show.
    bool shownInPart() const { return cut_; }

    bool hexMode() const { return hexMode_; }
    void setHexMode(bool on) { hexMode_ = on; }
    bool expandTabs() const { return expandTabs_; }
    void setExpandTabs(bool on) { expandTabs_ = on; }
    int tabSize() const { return tabSize_; }
    void setTabSize(int size); // 0 and below are ignored

    // Lines in the current mode; 0 with no file. In text mode nothing while still counting.
    std::optional<std::int64_t> lineCount() const;
    // The text lines are all counted (whatever the mode).
    bool linesCounted() const { return index_.counted(); }
    // Counts up to `budget` more bytes of text lines; true when all are counted.
    bool countStep(std::int64_t budget);
    void countAll();
    // A counter that goes on from where the text lines' count stands, to count on another
    // thread; its results come back by takeCount (see LineIndex::take).
    LineCounter counter() const { return index_.counter(); }
    void takeCount(const std::vector<LineMark>& marks, const CountState& state, bool cutShort) {
        index_.take(marks, state, cutShort);
    }
    // Counts until line `n` is known or the file ends; false when there is no such line.
    bool countToLine(std::int64_t n);
    // Bytes counted from the start (the whole file in hex mode).
    std::int64_t countedBytes() const;
    // Lines that can be shown now: every line once counted, else the counted lines and the
    // one being counted.
    std::int64_t knownLines() const;

    // Line `n` as shown; empty past the end, and for a text line the counting has not reached
    // yet (opening counts the first megabyte, enough for the first screen of most files).
    QString lineText(std::int64_t n);
    // Byte offset where line `n` starts in the current mode, once its start is counted.
    std::optional<std::int64_t> lineOffset(std::int64_t n);
    // The line (current mode) that holds byte `offset`; nothing for a text line not counted
    // yet.
    std::optional<std::int64_t> lineOf(std::int64_t offset);

    // The line and shown column of byte `offset` in the current mode (in hex mode, the column
    // of its two digits), for selecting a match.
    struct Position {
        std::int64_t line = 0;
        int column = 0;
        bool operator==(const Position&) const = default;
    };
    std::optional<Position> positionOf(std::int64_t offset);
    // Where the `length` bytes from `offset` show: the start of the first and the end
    // (exclusive column) of the last, for selecting a match.
    struct Span {
        Position start;
        Position end;
    };
    std::optional<Span> spanOf(std::int64_t offset, std::int64_t length);
    // The inverse of positionOf for a caret: the offset of the byte the caret at `column` of
    // `line` stands before. A column inside a byte's hex digits or a tab's cells stands
    // before the next byte; one past the line's end stands at its end (before its line end),
    // also for a text line cut at kTextLineMax, whose end may lie far beyond what it shows.
    std::optional<std::int64_t> offsetOf(std::int64_t line, int column);
    // The text that copying bytes [from, to) puts on the clipboard (see copiedText).
    QString copiedText(std::int64_t from, std::int64_t to);

    // Hands lines `first` to `last` (inclusive), as lineText shows them, to `take` in order,
    // reading on through the file instead of looking each line up; stops after the last
    // known line (see knownLines).
    void forEachLine(std::int64_t first, std::int64_t last,
                     const std::function<void(std::int64_t, const QString&)>& take);

    // Finds `text` (as UTF-8) from byte `from`: forward at or after it, backward before it.
    std::optional<std::int64_t> find(const QString& text, std::int64_t from, bool backward,
                                     bool matchCase) const;
    // The same search, to be run in steps (on another thread too, while the file stays open).
    FileSearch search(const QString& text, std::int64_t from, bool backward, bool matchCase) const;

    // The file's size or time differs from what is shown.
    bool changedOnDisk() const;
    // Looks at the file again: a changed size or time drops the cached pages, and the line
    // index follows a file that was cut short or grew. True when the file changed.
    bool refresh();

private:
    // The bytes of the text line starting at `start`, without its line end, at most what a
    // shown line needs (kTextLineBytes), into `out`.
    struct LineBytes {
        std::int64_t length = 0; // bytes of the line in `out`
        std::int64_t next = -1;  // where the next line starts, when its LF was read
        bool ended = false;      // the line ends within the bytes read (LF or end of file)
    };
    LineBytes textLineBytes(std::int64_t start, char* out);
    // Where text line `n` ends (its LF, or CR LF), or where what is counted of it ends.
    std::optional<std::int64_t> textLineEnd(std::int64_t n);
    // The column where byte `offset` shows on the text line starting at `start`.
    int textColumnAt(std::int64_t start, std::int64_t offset);

    int fd_ = -1;
    std::int64_t size_ = 0;
    bool cut_ = false;
    struct timespec mtime_ {};
    bool hexMode_ = false;
    bool expandTabs_ = true;
    int tabSize_ = 8;
    PageCache cache_;
    LineIndex index_;
};

// The error text for a failed open, from the system's error number.
QString viewerOpenError(int error);
