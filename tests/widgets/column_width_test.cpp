#include "widgets/column_width.h"

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
