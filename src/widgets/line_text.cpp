#include "widgets/line_text.h"

#include "platform/native_path.h"

#include <algorithm>

namespace {
const char kHexDigits[] = "0123456789ABCDEF";

QChar shownByte(unsigned char b) {
    return b < 32 || b > 127 ? QChar(u'.') : QChar(b);
}

} // namespace

int hexOffsetDigits(std::int64_t offset) {
    int digits = 8;
    while (digits < 16 && (static_cast<std::uint64_t>(offset) >> (4 * digits)) != 0)
        ++digits;
    return digits;
}

QString hexLineText(std::int64_t offset, const unsigned char* bytes, int count) {
    // Written in place: a copy of a big selection in hex makes millions of these lines.
    const int digits = hexOffsetDigits(offset);
    QString line(digits + 2 + 3 * kHexLineBytes + 1 + count, u' ');
    QChar* out = line.data();
    for (int i = digits - 1; i >= 0;
         --i, offset = static_cast<std::int64_t>(static_cast<std::uint64_t>(offset) >> 4))
        out[i] = QChar(kHexDigits[offset & 0xF]);
    out += digits + 2;
    for (int i = 0; i < count; ++i, out += 3) {
        out[0] = QChar(kHexDigits[bytes[i] >> 4]);
        out[1] = QChar(kHexDigits[bytes[i] & 0xF]);
    }
    out = line.data() + digits + 2 + 3 * kHexLineBytes + 1;
    for (int i = 0; i < count; ++i)
        out[i] = shownByte(bytes[i]);
    return line;
}

namespace {
struct Walked {
    int columns;        // columns the walked bytes take
    std::int64_t bytes; // bytes walked
};

// Walks a text line's bytes as they are shown, handing each shown piece to `emit`, until the
// bytes end or `stopColumn` (at most kTextLineMax) columns are shown.
template <typename Emit>
Walked walkTextLine(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize,
                    int stopColumn, Emit emit) {
    stopColumn = std::min(stopColumn, kTextLineMax);
    int chars = 0;
    std::int64_t i = 0;
    while (i < count && chars < stopColumn) {
        const unsigned char b = bytes[i];
        if (b == '\t' && expandTabs && tabSize > 0) {
            const int next = std::min((chars / tabSize + 1) * tabSize, kTextLineMax);
            emit(QString(next - chars, u' '));
            chars = next;
            ++i;
            continue;
        }
        if (b < 0x80) {
            // DEL is a control character too; it would draw as a box.
            emit(b == 0 ? QChar(u' ') : b == 0x7F ? QChar(u'.') : shownByte(b));
            ++chars, ++i;
            continue;
        }
        char32_t cp = 0;
        const int len = utf8Sequence(bytes + i, count - i, cp);
        if (len == 0 || cp < 0xA0) { // undecodable, or a C1 control character
            emit(QChar(u'.'));
            i += len == 0 ? 1 : len;
        } else {
            emit(QString::fromUcs4(&cp, 1));
            i += len;
        }
        ++chars;
    }
    return {chars, i};
}
} // namespace

QString textLineText(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize) {
    QString line;
    walkTextLine(bytes, count, expandTabs, tabSize, kTextLineMax,
                 [&](const auto& piece) { line += piece; });
    return line;
}

int textColumn(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize) {
    return walkTextLine(bytes, count, expandTabs, tabSize, kTextLineMax, [](const auto&) {})
        .columns;
}

std::int64_t textByteAtColumn(const unsigned char* bytes, std::int64_t count, int column,
                              bool expandTabs, int tabSize) {
    return walkTextLine(bytes, count, expandTabs, tabSize, std::max(column, 0), [](const auto&) {})
        .bytes;
}
