#include "model/file_view_model.h"

#include "model/file_search.h"
#include "model/line_text.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {
// A text line shows at most kTextLineMax characters of at most 4 bytes each.
constexpr std::int64_t kTextLineBytes = 4 * (kTextLineMax + 1);
constexpr std::int64_t kCountChunk = 1 << 20;
} // namespace

QString viewerOpenError(int error) {
    switch (error) {
    case ENOENT:
        return QStringLiteral("Viewer: file not found");
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return QStringLiteral("Viewer: path not found or invalid file name");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Viewer: too many open files");
    case EACCES:
    case EPERM:
        return QStringLiteral("Viewer: file access denied");
    default:
        return QStringLiteral("Viewer triggered I/O error %1").arg(error);
    }
}

FileViewModel::~FileViewModel() {
    close();
}

void FileViewModel::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
    cut_ = false;
    cache_.reset(-1);
    index_.reset(-1, 0);
}

QString FileViewModel::open(const QString& path) {
    close();
    // Only a regular file is shown: anything else is refused before it is opened, as a file
    // the viewer may not read.
    const RegularFileOpen opened = openRegularFile(toNative(path));
    if (opened.error == RegularFileError::NotRegular)
        return viewerOpenError(EACCES);
    if (opened.error != RegularFileError::None)
        return viewerOpenError(opened.errorNumber);
    int fd = opened.fd;
    // A file that gives more or less than its size says (proc, sysfs) is shown as read once.
    const FileCopy copy = copyOfSizelessFile(fd, kSizelessFileLimit);
    if (copy.fd >= 0) {
        ::close(fd);
        fd = copy.fd;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return viewerOpenError(error);
    }
    fd_ = fd;
    cut_ = copy.cut;
    size_ = st.st_size;
    mtime_ = st.st_mtim;
    cache_.reset(fd_);
    index_.reset(fd_, size_);
    index_.step(kCountChunk); // enough for the first screen of most files
    return {};
}

void FileViewModel::setTabSize(int size) {
    if (size > 0)
        tabSize_ = size;
}

bool FileViewModel::changedOnDisk() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 &&
           (st.st_size != size_ || st.st_mtim.tv_sec != mtime_.tv_sec ||
            st.st_mtim.tv_nsec != mtime_.tv_nsec);
}

bool FileViewModel::refresh() {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return false;
    if (st.st_size == size_ && st.st_mtim.tv_sec == mtime_.tv_sec &&
        st.st_mtim.tv_nsec == mtime_.tv_nsec)
        return false;
    cache_.clear();
    if (st.st_size == size_)
        index_.reset(fd_, st.st_size); // rewritten in place: count it again
    else
        index_.resize(st.st_size);
    size_ = st.st_size;
    mtime_ = st.st_mtim;
    return true;
}

std::optional<std::int64_t> FileViewModel::lineCount() const {
    if (fd_ < 0)
        return 0;
    if (hexMode_)
        return size_ / kHexLineBytes + (size_ % kHexLineBytes != 0); // size_ + 15 may overflow
    return index_.lineCount();
}

bool FileViewModel::countStep(std::int64_t budget) {
    return index_.step(budget);
}

bool FileViewModel::countToLine(std::int64_t n) {
    if (hexMode_)
        return n < *lineCount(); // hex lines need no counting
    while (n > index_.knownLines() && !index_.counted())
        countStep(kCountChunk);
    return !index_.counted() || n < index_.knownLines();
}

std::int64_t FileViewModel::countedBytes() const {
    return hexMode_ ? size_ : index_.countedBytes();
}

std::int64_t FileViewModel::knownLines() const {
    if (const auto count = lineCount())
        return *count;
    return index_.knownLines() + 1;
}

void FileViewModel::countAll() {
    index_.step(std::numeric_limits<std::int64_t>::max());
}

std::optional<std::int64_t> FileViewModel::lineOffset(std::int64_t n) {
    if (fd_ < 0 || n < 0)
        return std::nullopt;
    if (hexMode_)
        return n < *lineCount() ? std::optional(n * kHexLineBytes) : std::nullopt;
    return index_.lineStart(n, cache_);
}

std::optional<std::int64_t> FileViewModel::lineOf(std::int64_t offset) {
    if (fd_ < 0 || offset < 0 || offset >= size_)
        return std::nullopt;
    if (hexMode_)
        return offset / kHexLineBytes;
    return index_.lineOf(offset, cache_);
}

std::optional<FileViewModel::Position> FileViewModel::positionOf(std::int64_t offset) {
    const auto line = lineOf(offset);
    const auto start = line ? lineOffset(*line) : std::nullopt;
    if (!start)
        return std::nullopt;
    if (hexMode_) {
        return Position{*line, hexOffsetDigits(*start) + 2 + 3 * static_cast<int>(offset - *start)};
    }
    return Position{*line, textColumnAt(*start, offset)};
}

int FileViewModel::textColumnAt(std::int64_t start, std::int64_t offset) {
    // Columns beyond the cut all show at its end.
    char bytes[kTextLineBytes];
    const auto got = cache_.read(start, std::min(offset - start, kTextLineBytes), bytes);
    return textColumn(reinterpret_cast<const unsigned char*>(bytes), got, expandTabs_, tabSize_);
}

std::optional<FileViewModel::Span> FileViewModel::spanOf(std::int64_t offset, std::int64_t length) {
    if (length <= 0)
        return std::nullopt;
    const auto start = positionOf(offset);
    const auto last = positionOf(offset + length - 1);
    if (!start || !last)
        return std::nullopt;
    if (hexMode_)
        return Span{*start, {last->line, last->column + 2}};
    const auto lineStart = lineOffset(last->line);
    if (!lineStart)
        return std::nullopt;
    return Span{*start, {last->line, textColumnAt(*lineStart, offset + length)}};
}

std::optional<std::int64_t> FileViewModel::offsetOf(std::int64_t line, int column) {
    const auto start = lineOffset(line);
    if (!start)
        return std::nullopt;
    if (hexMode_) {
        const int count = static_cast<int>(std::min<std::int64_t>(kHexLineBytes, size_ - *start));
        const int digits = hexOffsetDigits(*start) + 2;
        const int chars = digits + 3 * kHexLineBytes + 1;
        int byte = 0;
        if (column >= chars)
            byte = column - chars;
        else if (column > digits)
            byte = (column - digits + 2) / 3;
        return *start + std::clamp(byte, 0, count);
    }
    char bytes[kTextLineBytes];
    const auto read = textLineBytes(*start, bytes);
    const auto* shown = reinterpret_cast<const unsigned char*>(bytes);
    const bool cut = !read.ended || textByteAtColumn(shown, read.length, kTextLineMax, expandTabs_,
                                                     tabSize_) < read.length;
    if (cut && column >= textColumn(shown, read.length, expandTabs_, tabSize_))
        return textLineEnd(line);
    return *start + textByteAtColumn(shown, read.length, column, expandTabs_, tabSize_);
}

std::optional<std::int64_t> FileViewModel::textLineEnd(std::int64_t n) {
    const auto start = lineOffset(n);
    if (!start)
        return std::nullopt;
    const auto next = index_.nextLineStart(n, cache_);
    if (!next)
        return std::max(*start, index_.countedBytes()); // no LF counted yet: as far as counted
    std::int64_t end = *next - 1;
    char cr = 0;
    if (end > *start && cache_.read(end - 1, 1, &cr) == 1 && cr == '\r')
        --end; // CR LF ends a line as LF does
    return end;
}

FileViewModel::LineBytes FileViewModel::textLineBytes(std::int64_t start, char* out) {
    LineBytes line;
    line.length = cache_.read(start, kTextLineBytes, out);
    line.ended = line.length < kTextLineBytes;
    if (const void* lf = std::memchr(out, '\n', static_cast<size_t>(line.length))) {
        line.length = static_cast<const char*>(lf) - out;
        line.next = start + line.length + 1;
        line.ended = true;
        if (line.length > 0 && out[line.length - 1] == '\r')
            --line.length; // CR LF ends a line as LF does
    }
    return line;
}

QString FileViewModel::copiedText(std::int64_t from, std::int64_t to) {
    from = std::clamp<std::int64_t>(from, 0, size_);
    to = std::clamp<std::int64_t>(to, from, size_);
    QByteArray bytes(static_cast<qsizetype>(to - from), Qt::Uninitialized);
    const auto got = cache_.read(from, to - from, bytes.data());
    return ::copiedText(reinterpret_cast<const unsigned char*>(bytes.constData()), got);
}

void FileViewModel::forEachLine(std::int64_t first, std::int64_t last,
                                const std::function<void(std::int64_t, const QString&)>& take) {
    // Only lines whose start is known: looking further for a line end could read a huge
    // file through.
    last = std::min(last, knownLines() - 1);
    first = std::max<std::int64_t>(first, 0);
    if (hexMode_) {
        for (std::int64_t n = first; n <= last; ++n)
            take(n, lineText(n));
        return;
    }
    auto at = first <= last ? lineOffset(first) : std::nullopt;
    if (!at)
        return;
    char bytes[kTextLineBytes];
    for (std::int64_t n = first;; ++n) {
        const auto line = textLineBytes(*at, bytes);
        take(n, textLineText(reinterpret_cast<const unsigned char*>(bytes), line.length,
                             expandTabs_, tabSize_));
        if (n == last)
            return;
        // The next line starts after the LF read with this one; the index finds it beyond a
        // line longer than that, without reading the line through.
        at = line.next >= 0 ? line.next : index_.nextLineStart(n, cache_);
        if (!at)
            return; // the file was cut short since it was counted
    }
}

QString FileViewModel::lineText(std::int64_t n) {
    const auto start = lineOffset(n);
    if (!start)
        return {};
    if (hexMode_) {
        unsigned char bytes[kHexLineBytes];
        const auto got = cache_.read(*start, kHexLineBytes, reinterpret_cast<char*>(bytes));
        return got > 0 ? hexLineText(*start, bytes, static_cast<int>(got)) : QString();
    }
    char bytes[kTextLineBytes];
    const auto line = textLineBytes(*start, bytes);
    return textLineText(reinterpret_cast<const unsigned char*>(bytes), line.length, expandTabs_,
                        tabSize_);
}

std::optional<std::int64_t> FileViewModel::find(const QString& text, std::int64_t from,
                                                bool backward, bool matchCase) const {
    if (fd_ < 0)
        return std::nullopt;
    return findInFile(fd_, size_, text.toUtf8(), from, backward, matchCase);
}

FileSearch FileViewModel::search(const QString& text, std::int64_t from, bool backward,
                                 bool matchCase) const {
    return FileSearch(fd_, fd_ < 0 ? 0 : size_, text.toUtf8(), from, backward, matchCase);
}
