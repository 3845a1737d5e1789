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
    QString line = QString::number(static_cast<qulonglong>(offset), 16)
                       .toUpper()
                       .rightJustified(hexOffsetDigits(offset), u'0');
    line += u"  ";
    for (int i = 0; i < kHexLineBytes; ++i) {
        if (i < count) {
            line += QChar(kHexDigits[bytes[i] >> 4]);
            line += QChar(kHexDigits[bytes[i] & 0xF]);
            line += u' ';
        } else {
            line += u"   ";
        }
    }
    line += u' ';
    for (int i = 0; i < count; ++i)
        line += shownByte(bytes[i]);
    return line;
}

namespace {
// Walks a text line's bytes as they are shown, handing each shown piece to `emit`, and
// returns the number of columns the bytes take (at most kTextLineMax).
template <typename Emit>
int walkTextLine(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize,
                 Emit emit) {
    int chars = 0;
    for (std::int64_t i = 0; i < count && chars < kTextLineMax;) {
        const unsigned char b = bytes[i];
        if (b == '\t' && expandTabs && tabSize > 0) {
            const int next = std::min((chars / tabSize + 1) * tabSize, kTextLineMax);
            emit(QString(next - chars, u' '));
            chars = next;
            ++i;
            continue;
        }
        if (b < 0x80) {
            emit(b == 0 ? QChar(u' ') : shownByte(b));
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
    return chars;
}
} // namespace

QString textLineText(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize) {
    QString line;
    walkTextLine(bytes, count, expandTabs, tabSize, [&](const auto& piece) { line += piece; });
    return line;
}

int textColumn(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize) {
    return walkTextLine(bytes, count, expandTabs, tabSize, [](const auto&) {});
}
