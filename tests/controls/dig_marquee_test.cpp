#include "controls/dig_marquee.h"

#include "common/resources_init.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
bool isBlack(QRgb p) {
    return (p & 0xFFFFFF) == 0;
}

// The pixels of `image` that are not black.
QRect litArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isBlack(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
    return area;
}
} // namespace

TEST(DigMarquee, LetterSheetHasItsCellsAndColourRows) {
    initResources();
    const QImage sheet(QStringLiteral(":/DMLETTER"));
    ASSERT_EQ(sheet.size(), QSize(marquee::glyphCount * marquee::glyphWidth,
                                  marquee::colourRows * marquee::glyphHeight));
    EXPECT_LE(sheet.colorCount(), 16);

    // Per row, which channels a lit LED shows: green, red, yellow, cyan, white.
    const char* channels[] = {"g", "r", "rg", "gb", "rgb"};
    for (int row = 0; row < marquee::colourRows; ++row) {
        for (int g = 0; g < marquee::glyphCount; ++g) {
            int lit = 0;
            for (int y = 0; y < marquee::glyphHeight; ++y)
                for (int x = 0; x < marquee::glyphWidth; ++x) {
                    const QRgb p =
                        sheet.pixel(g * marquee::glyphWidth + x, row * marquee::glyphHeight + y);
                    if (qMax(qRed(p), qMax(qGreen(p), qBlue(p))) < 200)
                        continue;
                    ++lit;
                    const QString want = QString::fromLatin1(channels[row]);
                    EXPECT_EQ(qRed(p) >= 200, want.contains(u'r')) << row << " " << g;
                    EXPECT_EQ(qGreen(p) >= 200, want.contains(u'g')) << row << " " << g;
                    EXPECT_EQ(qBlue(p) >= 200, want.contains(u'b')) << row << " " << g;
                }
            if (g == marquee::blankGlyph)
                EXPECT_EQ(lit, 0) << "the blank lights nothing, row " << row;
            else
                EXPECT_GT(lit, 0) << "glyph " << g << " row " << row;
        }
    }
}

TEST(DigMarquee, StartsScrollingItsDefaultCaption) {
    TDigMarquee m;
    EXPECT_EQ(m.size(), QSize(128, 21));
    EXPECT_EQ(m.speed(), 4);
    EXPECT_EQ(m.loops(), -1);
    EXPECT_EQ(m.interval(), 50);
    EXPECT_EQ(m.flashTicks(), 5);
    EXPECT_TRUE(m.marqueeEnabled());
    EXPECT_TRUE(m.hasTimer());
    EXPECT_FALSE(m.accessibleName().contains(u'~'));
    EXPECT_TRUE(m.accessibleName().contains(QStringLiteral("ZELKOVA")));

    m.setCaption(QStringLiteral("~2f ALERT"));
    EXPECT_EQ(m.accessibleName(), QStringLiteral("ALERT"));
}

TEST(DigMarquee, TimerRunsWhileEnabledWithAPositiveInterval) {
    TDigMarquee m;
    struct Step {
        int interval;
        bool enabled;
        bool timer;
    };
    const Step steps[] = {{0, true, false},   {30, true, true}, {-5, true, false},
                          {30, false, false}, {30, true, true}, {100000, true, true},
                          {0, false, false},  {1, true, true}};
    for (const auto& s : steps) {
        m.setInterval(s.interval);
        m.setMarqueeEnabled(s.enabled);
        EXPECT_EQ(m.hasTimer(), s.timer) << s.interval << " " << s.enabled;
    }
    EXPECT_EQ(m.interval(), 1);
    m.setInterval(100000);
    EXPECT_EQ(m.interval(), 32767) << "a 16-bit interval";

    // The timer really scrolls, and the notice comes through the signal.
    m.setInterval(1);
    m.setSpeed(200);
    m.setLoops(1);
    QSignalSpy spy(&m, &TDigMarquee::OnFinishScrolling);
    EXPECT_TRUE(spy.wait(2000));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].value<TDigMarquee*>(), &m);
}

TEST(DigMarquee, PaintsLitPixelsOnlyWhereTheGlyphsAre) {
    QWidget parent;
    auto* m = new TDigMarquee(&parent);
    m->resize(60, 25);
    m->setInterval(0);
    m->setFlashTicks(1);
    m->setCaption(QStringLiteral("~4 I~f I"));
    for (int i = 0; i < 8; ++i) // x = 60 - 8 * 4
        m->tick();
    ASSERT_EQ(m->state().x(), 28);
    ASSERT_FALSE(m->state().blinkPhase());

    const int top = (25 - marquee::glyphHeight) / 2;
    QImage shot = m->grab().toImage();
    const QRect both(28, top, 2 * marquee::glyphWidth, marquee::glyphHeight);
    QRect lit = litArea(shot);
    EXPECT_TRUE(both.contains(lit)) << "lit outside the glyphs";
    EXPECT_GT(lit.width(), marquee::glyphWidth) << "both glyphs show";

    // In the blink phase the blinking second glyph is gone and the first stays.
    m->tick();
    m->tick();
    ASSERT_TRUE(m->state().blinkPhase());
    lit = litArea(m->grab().toImage());
    EXPECT_TRUE(QRect(20, top, marquee::glyphWidth, marquee::glyphHeight).contains(lit));
    EXPECT_FALSE(lit.isEmpty());

    // Disabled, the panel is black and the text goes back to the right edge.
    m->setMarqueeEnabled(false);
    EXPECT_TRUE(litArea(m->grab().toImage()).isEmpty());
    EXPECT_EQ(m->state().x(), 60);
}
