#pragma once

#include <QByteArray>
#include <QString>

// A Linux file name is bytes, not text. These two functions are the only place where paths
// cross between the program's QString and the kernel's bytes, and they are lossless: valid
// UTF-8 decodes as usual, and each byte that does not decode is kept as the code point
// U+DC80 + (byte - 0x80) and turned back into that byte on the way out.
QString fromNative(const char* bytes, qsizetype length);
// The length of the valid UTF-8 sequence at `p` (1 to 4, with `left` bytes available) and its
// code point, or 0 when the bytes do not decode (overlong forms, surrogates and values past
// U+10FFFF included).
int utf8Sequence(const unsigned char* p, qint64 left, char32_t& cp);
QString fromNative(const QByteArray& bytes);
QByteArray toNative(const QString& path);

// Upper- or lower-cases a name or path and keeps every undecodable byte's stand-in as it is.
// Qt's own case change turns a lone stand-in into U+FFFD once a letter before it changes
// case, which would make different names equal and show a character that is not on disk.
enum class LetterCase { Upper, Lower };
QString changeCase(const QString& text, LetterCase to);

// A text for showing a path inside a tab-separated line (clipboard, reports): tab, line
// feed, carriage return and other control characters become visible escapes (\t, \n, \r,
// \xHH), a backslash becomes \\ and an undecodable byte becomes \xHH.
QString escapeForLine(const QString& path);
