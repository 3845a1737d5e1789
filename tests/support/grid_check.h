#pragma once

// Checks of what a person sees in a result grid (header only: the programs that include it
// link the widgets).

#include "widgets/string_grid.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Every data cell shows its whole text, or a text cut with "…" whose tooltip is the whole text;
// a path keeps its end. Dates, times and figures are never cut: their columns are at least as
// wide as each of their texts. Returns the number of cut cells.
inline int expectNoSilentCuts(const StringGrid& grid, const std::string& where) {
    const QChar ellipsis(0x2026);
    const QFontMetrics fm = grid.fontMetrics();
    const QAbstractItemModel* model = grid.model();
    int cut = 0;
    for (int row = 1; row < grid.rowCount(); ++row)
        for (int col = 0; col < grid.colCount(); ++col) {
            const QString whole = grid.cell(col, row);
            const ColumnKind kind = grid.columnKind(col);
            const std::string at = where + ", column " + std::to_string(col) + ", row " +
                                   std::to_string(row) + ": " + whole.left(80).toStdString();
            if (kind == ColumnKind::Fixed || kind == ColumnKind::Figure) {
                EXPECT_LE(fm.horizontalAdvance(whole) + 2 * grid.textInset(), grid.colWidth(col))
                    << at;
            }
            const QString shown = grid.shownText(col, row);
            const QVariant tip = model->data(model->index(row - 1, col), Qt::ToolTipRole);
            if (shown == whole) {
                EXPECT_FALSE(tip.isValid()) << at;
                continue;
            }
            ++cut;
            EXPECT_EQ(tip.toString(), whole) << at;
            EXPECT_EQ(shown.count(ellipsis), 1) << at << " shows " << shown.toStdString();
            if (kind == ColumnKind::Path) {
                EXPECT_TRUE(whole.endsWith(shown.mid(shown.indexOf(ellipsis) + 1)) &&
                            !shown.endsWith(ellipsis))
                    << at << " shows " << shown.toStdString();
            }
        }
    return cut;
}

// Making `window` wider by `extra` pixels gives all of it to the grid's name and path columns.
inline void expectWideningGoesToNamesAndPaths(QWidget& window, const StringGrid& grid, int extra,
                                              const std::string& where) {
    std::vector<int> before;
    for (int col = 0; col < grid.colCount(); ++col)
        before.push_back(grid.colWidth(col));
    window.resize(window.width() + extra, window.height());
    int grown = 0;
    for (int col = 0; col < grid.colCount(); ++col) {
        const ColumnKind kind = grid.columnKind(col);
        if (kind == ColumnKind::Name || kind == ColumnKind::Path)
            grown += grid.colWidth(col) - before[std::size_t(col)];
        else
            EXPECT_EQ(grid.colWidth(col), before[std::size_t(col)]) << where << ", column " << col;
    }
    EXPECT_EQ(grown, extra) << where;
}
