#include "platform/native_path.h"

namespace {
constexpr char16_t kEscapeBase = 0xDC00; // U+DC80..U+DCFF stand for bytes 0x80..0xFF

} // namespace

int utf8Sequence(const unsigned char* p, qint64 left, char32_t& cp) {
    if (left <= 0)
        return 0;
    const unsigned char c = p[0];
    int len;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (left < len)
        return 0;
    for (int k = 1; k < len; ++k) {
        const unsigned char cc = p[k];
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

QString fromNative(const char* bytes, qsizetype length) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    // Fast path: plain ASCII is the common case.
    qsizetype i = 0;
    while (i < length && s[i] < 0x80)
        ++i;
    if (i == length)
        return QString::fromLatin1(bytes, length);

    QString out;
    out.reserve(length);
    out.append(QLatin1StringView(bytes, i));
    while (i < length) {
        char32_t cp = 0;
        const int len = utf8Sequence(s + i, length - i, cp);
        if (len == 0) {
            out.append(QChar(char16_t(kEscapeBase + s[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            out.append(QChar(char16_t(0xD800 + (v >> 10))));
            out.append(QChar(char16_t(0xDC00 + (v & 0x3FF))));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        i += len;
    }
    return out;
}

QString fromNative(const QByteArray& bytes) {
    return fromNative(bytes.constData(), bytes.size());
}

QByteArray toNative(const QString& path) {
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t cp = path[i].unicode();
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && path[i + 1].unicode() >= 0xDC00 &&
            path[i + 1].unicode() <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (path[i + 1].unicode() - 0xDC00);
            ++i;
        } else if (cp >= 0xDC80 && cp <= 0xDCFF) {
            out.append(char(cp - kEscapeBase)); // an undecodable byte, kept as it was
            continue;
        }
        if (cp < 0x80) {
            out.append(char(cp));
        } else if (cp < 0x800) {
            out.append(char(0xC0 | (cp >> 6)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.append(char(0xE0 | (cp >> 12)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else {
            out.append(char(0xF0 | (cp >> 18)));
            out.append(char(0x80 | ((cp >> 12) & 0x3F)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

namespace {
bool isStandIn(const QString& text, qsizetype i) {
    const char16_t u = text[i].unicode();
    if (u < 0xDC80 || u > 0xDCFF)
        return false;
    // The low half of a surrogate pair is a character's, not a byte's.
    return i == 0 || !text[i - 1].isHighSurrogate();
}

QString convert(const QString& text, LetterCase to) {
    return to == LetterCase::Upper ? text.toUpper() : text.toLower();
}
} // namespace

QString changeCase(const QString& text, LetterCase to) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && !isStandIn(text, i))
        ++i;
    if (i == n)
        return convert(text, to);
    // Change the case of each stretch between stand-ins on its own.
    QString out;
    out.reserve(n);
    qsizetype start = 0;
    for (; i <= n; ++i) {
        if (i < n && !isStandIn(text, i))
            continue;
        out += convert(text.mid(start, i - start), to);
        if (i < n)
            out += text[i];
        start = i + 1;
    }
    return out;
}

QString escapeForLine(const QString& path) {
    QString out;
    out.reserve(path.size());
    for (const QChar ch : path) {
        const char16_t u = ch.unicode();
        if (u == '\t')
            out += QStringLiteral("\\t");
        else if (u == '\n')
            out += QStringLiteral("\\n");
        else if (u == '\r')
            out += QStringLiteral("\\r");
        else if (u == '\\')
            out += QStringLiteral("\\\\");
        else if (u < 0x20 || u == 0x7F)
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else if (u >= 0xDC80 && u <= 0xDCFF)
            out += QStringLiteral("\\x%1").arg(u - 0xDC00, 2, 16, QLatin1Char('0'));
        else
            out += ch;
    }
    return out;
}
