#pragma once

#include <QStringList>
#include <vector>

class QFontMetrics;

// Grid column widths for the font the grid really uses. The windows describe their column
// widths in pixels at 96 dots per inch for the classic 8 pt sans serif dialog font, whose
// letters ("A" to "Z" and "a" to "z") average 6 pixels. Fonts of today are wider, and the
// screen's dots per inch are already part of a font's pixel metrics, so a described width is
// scaled by the ratio of the real font's average letter width to the classic one.

// The average advance of the 52 Latin letters in the font, in pixels.
double averageLetterWidth(const QFontMetrics& metrics);

// A described width scaled to the font, never less than the widest of `samples` (the texts the
// column must show whole: its heading, the widest date, "3145728 K" ...) with `inset` pixels of
// room on either side.
int columnWidth(int described, const QFontMetrics& metrics, const QStringList& samples = {},
                int inset = 2);

class StringGrid;

// One column of a result grid: its described width and the texts it must show whole.
struct ColumnPlan {
    int described;
    QStringList samples;
};
// Lays out a result grid: each planned column at its described width scaled to the grid's
// font and wide enough for its samples and its heading; the column after them takes the
// rest of `clientWidth` less the 25 pixels the described layouts leave free, and at least
// kLastColumnLeast (scaled) and its heading. Where that does not fit, the widest planned
// column narrows, down to its heading, so the last column stays in sight.
inline constexpr int kLastColumnLeast = 80;
void layoutResultColumns(StringGrid& grid, const std::vector<ColumnPlan>& columns, int clientWidth);
