#pragma once

#include <QString>
#include <cstdint>

// Where a selection in the viewer begins and ends: lines from 0, the end column exclusive.
struct LineSpan {
    std::int64_t startLine = 0;
    int startColumn = 0;
    std::int64_t endLine = 0;
    int endColumn = 0;
};

// The printed form of line `line` of the selection `span`, given the line as shown: on the
// start line the characters before the start column become blanks, so the text keeps its
// columns; on the end line the text is cut at the end column. Both apply when the selection
// lies on one line.
QString selectionPrintLine(const QString& shown, std::int64_t line, const LineSpan& span);
