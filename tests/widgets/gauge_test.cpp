#include "widgets/gauge.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// Whether the gauge's picture holds text pixels that are nearly black, and nearly white.
std::pair<bool, bool> darkAndLightPixels(TGauge& gauge) {
    const QImage image = gauge.grab().toImage();
    bool dark = false, light = false;
    for (int y = 1; y < image.height() - 1; ++y)
        for (int x = 1; x < image.width() - 1; ++x) {
            const QColor c = image.pixelColor(x, y);
            dark |= std::max({c.red(), c.green(), c.blue()}) < 60;
            light |= std::min({c.red(), c.green(), c.blue()}) > 200;
        }
    return {dark, light};
}

TEST(Gauge, PercentageReadsOnTheColourUnderIt) {
    struct Case {
        QColor fore, back;
        int progress;
        bool dark, light; // text pixels expected
    };
    const Case cases[] = {
        {Qt::blue, Qt::magenta, 0, true, false},   // black on magenta
        {Qt::blue, Qt::magenta, 100, false, true}, // white on blue
        {QColor(0, 0, 128), Qt::white, 0, true, true},
        {QColor(0, 0, 128), Qt::white, 100, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progress);
        TGauge gauge;
        gauge.resize(120, 24);
        gauge.setForeColor(c.fore);
        gauge.setBackColor(c.back);
        gauge.setProgress(c.progress);
        const auto [dark, light] = darkAndLightPixels(gauge);
        EXPECT_EQ(dark, c.dark);
        EXPECT_EQ(light, c.light);
    }
}

} // namespace
