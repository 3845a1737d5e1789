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

// How a column of a result grid shows its texts and takes its room.
enum class ColumnKind {
    Text,   // a short text such as a type name: its described width; cut with "…" at the end
    Fixed,  // texts of a fixed form (dates, times): as wide as its samples, never cut
    Figure, // numbers: as wide as the widest figure it holds, never cut
    Name,   // a file name: cut with "…" at the end; shares the room a wider window gives
    Path,   // a folder or a whole path: cut with "…" in the middle; shares that room too
};

// One column of a result grid: its kind, its described width and the texts it must show
// whole besides its heading (for a figure column, besides the figures it holds).
struct ColumnPlan {
    ColumnKind kind = ColumnKind::Text;
    int described = 0;
    QStringList samples = {};
    bool operator==(const ColumnPlan&) const = default;
};

// The widths of the planned columns in a client width. Fixed and figure columns get their
// described width scaled to the font and at least their samples and heading; a figure is
// measured with each digit as wide as the font's widest, so no figure of as many characters
// is wider. Text, name and path columns start at their scaled described width. Room left over
// (the client width less the 25 pixels the described layouts leave free) goes to the name and
// path columns, in proportion to their described widths (to the text columns where there are
// none). Where room lacks, text columns narrow first, then name and path columns, each down to
// its least width (its heading, and 60 or 80 described pixels at most); past that the grid
// scrolls sideways.
std::vector<int> planColumnWidths(const std::vector<ColumnPlan>& columns,
                                  const QStringList& headings, const QFontMetrics& metrics,
                                  int clientWidth, int inset = 2);

class StringGrid;

// Gives a result grid its column plan and lays its columns out in `clientWidth`
// (StringGrid::setColumnPlan and StringGrid::layoutColumns).
void layoutResultColumns(StringGrid& grid, const std::vector<ColumnPlan>& columns, int clientWidth);
