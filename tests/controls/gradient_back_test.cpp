#include "controls/gradient_back.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// The colour each row ends up with once all bands are painted in order.
std::vector<QRgb> paintedRows(int height, bool allBlue) {
    std::vector<QRgb> rows(height, 0);
    for (const GradientBand& band : gradientBands(height, allBlue))
        for (int y = band.top; y < band.top + band.height && y < height; ++y)
            rows[y] = band.color;
    return rows;
}
} // namespace

TEST(GradientBands, At255PixelsBandsAreTwoHighAndColourZeroNeverShows) {
    const auto bands = gradientBands(255, true);
    ASSERT_EQ(bands.size(), 256u);
    EXPECT_EQ(bands[0].top, 0);
    EXPECT_EQ(bands[1].top, 0);
    for (int i = 2; i < 256; ++i)
        ASSERT_EQ(bands[i].top, i - 1) << "band " << i;
    for (const auto& band : bands)
        ASSERT_EQ(band.height, 2);

    const auto rows = paintedRows(255, true);
    for (int r = 0; r < 255; ++r)
        ASSERT_EQ(rows[r], allBlueTable()[r + 1]) << "row " << r;
}

TEST(GradientBands, LastBandReachesTheBottomForAnyHeight) {
    for (int h : {1, 100, 254, 256, 413, 1000, 4321}) {
        const auto bands = gradientBands(h, false);
        const float step = float(h) / 255.0f;
        EXPECT_EQ(bands[0].height, int(step) + 1) << h;
        EXPECT_GE(bands.back().top + bands.back().height, h) << h;
        // Every row is covered, so nothing of the window shows through.
        int covered = 0;
        for (const auto& band : bands)
            if (band.top <= covered)
                covered = std::max(covered, band.top + band.height);
        EXPECT_GE(covered, h) << h;
    }
}

TEST(GradientBands, TablesRunBlueToBlackAndBlueToRed) {
    EXPECT_EQ(allBlueTable()[0], qRgb(0, 0, 255));
    EXPECT_EQ(allBlueTable()[255], qRgb(0, 0, 0));
    EXPECT_EQ(allBlueTable()[100], qRgb(0, 0, 155));
    EXPECT_EQ(blueToRedTable()[0], qRgb(0, 0, 255));
    EXPECT_EQ(blueToRedTable()[128], qRgb(128, 0, 127));
    EXPECT_EQ(blueToRedTable()[255], qRgb(255, 0, 0));

    // Top rows nearly pure blue, bottom rows nearly black or nearly red.
    const auto blue = paintedRows(413, true);
    EXPECT_EQ(blue.front(), qRgb(0, 0, 254));
    EXPECT_EQ(blue.back(), qRgb(0, 0, 0));
    const auto red = paintedRows(312, false);
    EXPECT_EQ(red.front(), qRgb(1, 0, 254));
    EXPECT_EQ(red.back(), qRgb(255, 0, 0));
}

TEST(GradientBack, CoversItsParentBeneathTheOtherControlsAndPaintsTheChosenTable) {
    QWidget parent;
    parent.resize(200, 255);
    auto* child = new QWidget(&parent);
    child->setGeometry(10, 10, 20, 20);
    auto* back = new TGradientBack(&parent);
    EXPECT_EQ(back->geometry(), parent.rect());
    EXPECT_EQ(parent.childAt(15, 15), child) << "the gradient must stay beneath";
    EXPECT_TRUE(back->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(back->accessibleName().isEmpty());

    parent.show();
    parent.resize(300, 255);
    EXPECT_EQ(back->geometry(), QRect(0, 0, 300, 255));

    EXPECT_FALSE(back->isAllBlue());
    QImage picture = back->grab().toImage();
    EXPECT_EQ(picture.pixel(150, 254), blueToRedTable()[255]);
    back->setIsAllBlue(true);
    picture = back->grab().toImage();
    EXPECT_EQ(picture.pixel(0, 0), allBlueTable()[1]);
    EXPECT_EQ(picture.pixel(299, 100), allBlueTable()[101]);
    EXPECT_EQ(picture.pixel(150, 254), allBlueTable()[255]);
}
