#include "model/line_text.h"

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

// The character the bytes at `bytes` (`count` of them left) show as, other than a tab, and
// how many bytes it takes: NUL a blank, a control character, DEL or a byte that does not
// decode ".", anything else itself.
char32_t shownChar(const unsigned char* bytes, std::int64_t count, int& length) {
    const unsigned char b = bytes[0];
    length = 1;
    if (b < 0x80) // DEL is a control character too; it would draw as a box
        return b == 0 ? u' ' : b == 0x7F ? u'.' : shownByte(b).unicode();
    char32_t cp = 0;
    const int len = utf8Sequence(bytes, count, cp);
    if (len == 0)
        return u'.';
    length = len;
    return cp < 0xA0 ? u'.' : cp; // a C1 control character shows as "." too
}

void append(QString& text, char32_t c) {
    if (QChar::requiresSurrogates(c)) {
        text += QChar(QChar::highSurrogate(c));
        text += QChar(QChar::lowSurrogate(c));
    } else {
        text += QChar(static_cast<char16_t>(c));
    }
}

// Walks a text line's bytes as they are shown, handing each shown character to `emit` with its
// repeat count (a tab's blanks), until the bytes end or `stopColumn` (at most kTextLineMax)
// columns are shown.
template <typename Emit>
Walked walkTextLine(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize,
                    int stopColumn, Emit emit) {
    stopColumn = std::min(stopColumn, kTextLineMax);
    int chars = 0;
    std::int64_t i = 0;
    while (i < count && chars < stopColumn) {
        if (bytes[i] == '\t' && expandTabs && tabSize > 0) {
            const int next = std::min((chars / tabSize + 1) * tabSize, kTextLineMax);
            emit(u' ', next - chars);
            chars = next;
            ++i;
            continue;
        }
        int length = 1;
        const char32_t c = shownChar(bytes + i, count - i, length);
        emit(c, 1);
        i += length;
        ++chars;
    }
    return {chars, i};
}
} // namespace

QString textLineText(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize) {
    QString line;
    walkTextLine(bytes, count, expandTabs, tabSize, kTextLineMax, [&](char32_t c, int repeat) {
        while (repeat-- > 0)
            append(line, c);
    });
    return line;
}

int textColumn(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize) {
    return walkTextLine(bytes, count, expandTabs, tabSize, kTextLineMax, [](char32_t, int) {})
        .columns;
}

std::int64_t textByteAtColumn(const unsigned char* bytes, std::int64_t count, int column,
                              bool expandTabs, int tabSize) {
    return walkTextLine(bytes, count, expandTabs, tabSize, std::max(column, 0),
                        [](char32_t, int) {})
        .bytes;
}

QString copiedText(const unsigned char* bytes, std::int64_t count) {
    QString text;
    text.reserve(static_cast<qsizetype>(std::min<std::int64_t>(count, 1 << 26)));
    for (std::int64_t i = 0; i < count;) {
        const unsigned char b = bytes[i];
        if (b == '\n' || b == '\t' || (b == '\r' && i + 1 < count && bytes[i + 1] == '\n')) {
            if (b != '\r') // CR LF ends a line as LF does
                text += QChar(b);
            ++i;
            continue;
        }
        int length = 1;
        append(text, shownChar(bytes + i, count - i, length));
        i += length;
    }
    return text;
}
