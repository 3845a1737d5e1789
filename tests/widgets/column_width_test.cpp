#include "widgets/column_width.h"

#include "widgets/string_grid.h"

#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>

// A described width follows the font's letters, not the screen alone: a font of twice the
// size gives a column about twice as wide, and no column is narrower than its samples.
TEST(ColumnWidth, ScalesWithTheFontAndHoldsItsSamples) {
    QFont small = QApplication::font();
    small.setPixelSize(11);
    QFont large = small;
    large.setPixelSize(22);
    const QFontMetrics fs(small), fl(large);

    const double ratio = double(columnWidth(300, fl)) / double(columnWidth(300, fs));
    EXPECT_NEAR(ratio, 2.0, 0.15);
    EXPECT_NEAR(columnWidth(300, fs), 300 * averageLetterWidth(fs) / 6.0, 1.0);

    const QString wide = QStringLiteral("3145728 K");
    EXPECT_EQ(columnWidth(10, fl, {wide, "0.1 K"}), fl.horizontalAdvance(wide) + 4);
}

// However narrow the window, the last column stays in sight at its least width: the widest
// planned column gives up width first, but never below its heading.
TEST(ColumnWidth, TheLastColumnStaysInSight) {
    StringGrid grid;
    grid.setColCount(4);
    const QStringList headings{"Size", "Date", "Path", "Type"};
    for (int c = 0; c < 4; ++c)
        grid.setCell(c, 0, headings[c]);
    const QFontMetrics fm = grid.fontMetrics();
    const int least = columnWidth(kLastColumnLeast, fm, {"Type"});
    for (const int client : {2000, 600, 300, 50}) {
        layoutResultColumns(grid, {{54, {}}, {64, {}}, {296, {}}}, client);
        const int planned = grid.colWidth(0) + grid.colWidth(1) + grid.colWidth(2);
        EXPECT_GE(grid.colWidth(3), least) << client;
        EXPECT_GE(grid.colWidth(2), columnWidth(0, fm, {"Path"})) << client;
        if (client >= 600) { // room enough: the columns fill the window exactly
            EXPECT_EQ(planned + grid.colWidth(3) + 25, client) << client;
        }
        EXPECT_EQ(grid.colWidth(0), columnWidth(54, fm, {"Size"})) << client;
    }
}
