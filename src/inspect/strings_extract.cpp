#include "inspect/strings_extract.h"

#include "platform/native_path.h"
#include "platform/regular_file.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <unistd.h>

namespace {

// Letters, digits and the blank.
constexpr std::array<unsigned char, 256> StringBytes = [] {
    std::array<unsigned char, 256> table{};
    table[' '] = 1;
    for (int c = '0'; c <= '9'; ++c)
        table[c] = 1;
    for (int c = 'A'; c <= 'Z'; ++c)
        table[c] = table[c + 'a' - 'A'] = 1;
    return table;
}();

// A multiple of the block size, so that one read holds whole blocks.
constexpr size_t ReadSize = 1 << 20;
static_assert(ReadSize % StringsExtractor::BlockSize == 0);

} // namespace

void StringList::clear() {
    arena_.clear();
    ends_.clear();
}

void StringList::append(const char* bytes, size_t length) {
    arena_.insert(arena_.end(), bytes, bytes + length);
    ends_.push_back(arena_.size());
}

QString StringList::text(size_t i) const {
    const std::string_view b = bytes(i);
    return QString::fromLatin1(b.data(), qsizetype(b.size()));
}

StringsExtractor::StringsExtractor(StringList& out, int minimum, int maximum)
    : out_(out), shortest_(size_t(minimum) + 1), longest_(size_t(maximum) + 1) {}

void StringsExtractor::feed(const char* data, size_t length) {
    while (length > 0) {
        const size_t room = BlockSize - inBlock_;
        const size_t take = std::min(room, length);
        scan(data, take, take == room);
        inBlock_ = take == room ? 0 : inBlock_ + take;
        data += take;
        length -= take;
    }
}

void StringsExtractor::scan(const char* data, size_t length, bool endsBlock) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t run = run_;
    const size_t spread = longest_ - shortest_;
    // No branch on the kind of each byte: in binary data string bytes and break bytes alternate
    // at random, and such a branch, often mispredicted, costs about a third of the speed.
    for (size_t i = 0; i < length; ++i) {
        const size_t isString = StringBytes[bytes[i]];
        if (!isString & (run - shortest_ <= spread)) [[unlikely]] {
            if (run <= i) {
                out_.append(data + i - run, run);
            } else { // begun in an earlier piece
                carry_.append(data, i);
                out_.append(carry_.data(), carry_.size());
            }
        }
        run = (run + 1) & (0 - isString);
    }
    // A run that reaches the end of the block is never listed; one that reaches the end of
    // the piece keeps its bytes for the next piece unless it is already too long.
    if (endsBlock || run == 0 || run > longest_) {
        run_ = endsBlock ? 0 : run;
        carry_.clear();
        return;
    }
    if (run <= length)
        carry_.assign(data + length - run, run);
    else
        carry_.append(data, length);
    run_ = run;
}

ExtractResult extractStrings(const QString& path, StringList& list,
                             const std::function<bool()>& goOn, int minimum, int maximum) {
    const RegularFileOpen opened = openRegularFile(toNative(path));
    if (opened.error != RegularFileError::None)
        return ExtractResult::CouldNotOpen;
    const UniqueFd file(opened.fd);
    list.clear();
    StringsExtractor extractor(list, minimum, maximum);
    const std::unique_ptr<char[]> buffer(new char[ReadSize]);
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer.get(), ReadSize);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ExtractResult::Done;
        extractor.feed(buffer.get(), size_t(n));
        if (goOn && !goOn())
            return ExtractResult::Stopped;
    }
}

QString couldNotOpenText(const QString& path) {
    return QStringLiteral("Could not open file ") + path;
}
