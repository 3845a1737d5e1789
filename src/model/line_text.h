#pragma once

#include <QString>
#include <cstdint>

// The texts of the viewer's lines, made from the file's bytes.

// Bytes per hex line.
constexpr int kHexLineBytes = 16;
// Characters a text line shows at most.
constexpr int kTextLineMax = 1023;

// A hex line: the offset as 8 upper-case hex digits (more only past 4 GiB), two blanks, each
// byte as two hex digits and a blank, then from column 59 (for an 8-digit offset) the bytes as
// characters, where a byte below 32 or above 127 shows as ".". A short last line keeps the
// character column in place.
// Digits of a hex line's offset: 8, more past 4 GiB.
int hexOffsetDigits(std::int64_t offset);
QString hexLineText(std::int64_t offset, const unsigned char* bytes, int count);

// A text line from its bytes (without the line end): UTF-8 decoded, a
// NUL shown as a blank, tabs expanded to the next multiple of `tabSize` when `expandTabs`,
// and any other control character or byte that does not decode shown as ".". At most
// kTextLineMax characters.
QString textLineText(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize);

// The column where the byte after the first `count` bytes of a text line shows, counted as
// textLineText shows them (tabs expanded, one column per character).
int textColumn(const unsigned char* bytes, std::int64_t count, bool expandTabs, int tabSize);

// The inverse of textColumn: how many of the line's bytes show before `column`. A column
// inside a character's cells (a wide tab) counts that character as before it; a column past
// the line's end (or its cut) gives the bytes shown.
std::int64_t textByteAtColumn(const unsigned char* bytes, std::int64_t count, int column,
                              bool expandTabs, int tabSize);

// The text a copy of the bytes puts on the clipboard: characters as textLineText shows them,
// but whole lines, without the cut, and with tabs and line ends (LF, CR LF) as "\t" and "\n".
QString copiedText(const unsigned char* bytes, std::int64_t count);
