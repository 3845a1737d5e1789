#include "widgets/column_width.h"

#include "widgets/string_grid.h"

#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>
#include <numeric>

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

// Fixed and figure columns keep their width at any client width, a figure as wide as any
// figure of as many characters; the room a wider window gives goes to the name and path
// columns only, and a narrow one takes from the text columns first, then from the name and
// path, never below a column's least width. Past that the columns overflow (the grid scrolls
// sideways).
TEST(ColumnWidth, RoomGoesToNamesAndPathsNumbersAreNeverNarrowed) {
    QFont font = QApplication::font();
    font.setPixelSize(13);
    const QFontMetrics fm(font);
    using K = ColumnKind;
    const std::vector<ColumnPlan> plan{{K::Figure, 54, {"1,111,111"}},
                                       {K::Fixed, 64, {"12/31/2026"}},
                                       {K::Name, 93},
                                       {K::Path, 184},
                                       {K::Text, 100}};
    const QStringList headings{"Size", "Modified", "Filename", "Folder", "Type"};
    const auto widths = [&](int client) { return planColumnWidths(plan, headings, fm, client); };
    const auto sum = [](const std::vector<int>& w) {
        return std::accumulate(w.begin(), w.end(), 0);
    };
    const std::vector<int> roomy = widths(1500);
    const int least = columnWidth(80, fm, {"Filename"});
    for (char d = '0'; d <= '9'; ++d)
        EXPECT_GE(roomy[0], fm.horizontalAdvance(QString("1,111,111").replace('1', d)) + 4) << d;

    const struct {
        int client;
        bool fills; // the columns fill the client width less 25 pixels exactly
    } cases[] = {{1500, true}, {1800, true}, {900, true},  {700, true}, {600, true},
                 {550, true},  {500, true},  {300, false}, {50, false}};
    for (const auto& c : cases) {
        const std::vector<int> w = widths(c.client);
        EXPECT_EQ(w[0], roomy[0]) << c.client;
        EXPECT_EQ(w[1], roomy[1]) << c.client;
        for (int col = 0; col < 5; ++col)
            EXPECT_GE(w[col], fm.horizontalAdvance(headings[col]) + 4) << c.client << " " << col;
        EXPECT_GE(std::min(w[2], w[3]), least) << c.client;
        if (c.fills)
            EXPECT_EQ(sum(w) + 25, c.client) << c.client;
        else
            EXPECT_GT(sum(w) + 25, c.client) << c.client;
        if (c.client > 1500) { // wider: the name and the path take it all, the path the most
            EXPECT_EQ(w[4], roomy[4]);
            EXPECT_EQ(w[2] + w[3] - roomy[2] - roomy[3], c.client - 1500);
            EXPECT_GT(w[3] - roomy[3], w[2] - roomy[2]);
        }
        if (w[4] > columnWidth(60, fm, {"Type"})) { // the type narrows first
            EXPECT_GE(w[2], columnWidth(93, fm, {"Filename"})) << c.client;
            EXPECT_GE(w[3], columnWidth(184, fm, {"Folder"})) << c.client;
        }
    }
}
