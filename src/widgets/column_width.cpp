#include "widgets/column_width.h"

#include "widgets/string_grid.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr double kClassicLetterWidth = 6.0;
}

double averageLetterWidth(const QFontMetrics& metrics) {
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return double(metrics.horizontalAdvance(letters)) / double(letters.size());
}

int columnWidth(int described, const QFontMetrics& metrics, const QStringList& samples, int inset) {
    int width = int(std::lround(described * averageLetterWidth(metrics) / kClassicLetterWidth));
    for (const QString& text : samples)
        width = std::max(width, metrics.horizontalAdvance(text) + 2 * inset);
    return width;
}

void layoutResultColumns(StringGrid& grid, const std::vector<ColumnPlan>& columns,
                         int clientWidth) {
    const QFontMetrics fm = grid.fontMetrics();
    std::vector<int> widths;
    int used = 0;
    int widest = 0;
    for (int c = 0; c < int(columns.size()); ++c) {
        widths.push_back(columnWidth(columns[c].described, fm,
                                     columns[c].samples + QStringList{grid.cell(c, 0)}));
        used += widths.back();
        if (columns[c].described > columns[widest].described)
            widest = c;
    }
    const int last = int(columns.size());
    const int lastWidth = columnWidth(kLastColumnLeast, fm, {grid.cell(last, 0)});
    // A font wider than the described one would push the last column out of sight: the widest
    // planned column (a path, as a rule) gives up width first, down to its heading.
    const int excess = used + lastWidth + 25 - clientWidth;
    if (excess > 0 && !widths.empty()) {
        const int narrowed =
            std::max(columnWidth(0, fm, {grid.cell(widest, 0)}), widths[widest] - excess);
        used -= widths[widest] - narrowed;
        widths[widest] = narrowed;
    }
    for (int c = 0; c < last; ++c)
        grid.setColWidth(c, widths[c]);
    grid.setColWidth(last, std::max(lastWidth, clientWidth - used - 25));
}
