#include "widgets/column_width.h"

#include "widgets/string_grid.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

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
    int used = 0;
    for (int c = 0; c < int(columns.size()); ++c) {
        const int w = columnWidth(columns[c].described, fm,
                                  columns[c].samples + QStringList{grid.cell(c, 0)});
        grid.setColWidth(c, w);
        used += w;
    }
    const int last = int(columns.size());
    grid.setColWidth(last,
                     std::max(columnWidth(0, fm, {grid.cell(last, 0)}), clientWidth - used - 25));
}
