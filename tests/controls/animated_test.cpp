#include "controls/animated.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// Steps `a` `n` times and returns the frames it showed after each step.
std::vector<int> run(TAnimated& a, int n) {
    std::vector<int> frames;
    for (int i = 0; i < n; ++i) {
        a.tick();
        frames.push_back(a.frame());
    }
    return frames;
}

// A strip of `count` frames 4 x 2 pixels, frame i filled with colours[i].
QImage strip(const std::vector<QColor>& colours) {
    QImage image(4 * int(colours.size()), 2, QImage::Format_RGB32);
    for (int i = 0; i < int(colours.size()); ++i)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                image.setPixelColor(4 * i + x, y, colours[i]);
    return image;
}
} // namespace

TEST(Animated, StartsWithItsDefaults) {
    TAnimated a;
    EXPECT_EQ(a.size(), QSize(30, 30));
    EXPECT_EQ(a.frameCount(), 1);
    EXPECT_EQ(a.frame(), 0);
    EXPECT_EQ(a.interval(), 0);
    EXPECT_FALSE(a.play());
    EXPECT_FALSE(a.reverse());
    EXPECT_TRUE(a.loop());
    EXPECT_FALSE(a.transparentColor().isValid());
    EXPECT_FALSE(a.hasTimer());
    EXPECT_FALSE(a.accessibleName().isEmpty());
}

TEST(Animated, ForwardsWrapsAndStopsOnTheLastFrameWithoutLoop) {
    TAnimated a;
    a.setFrameCount(5);
    a.setFrame(3);
    a.setInterval(100);
    a.setPlay(true);
    EXPECT_EQ(run(a, 6), (std::vector<int>{4, 0, 1, 2, 3, 4}));
    EXPECT_TRUE(a.play());

    a.setFrame(3);
    a.setLoop(false);
    EXPECT_EQ(run(a, 1), (std::vector<int>{4}));
    EXPECT_FALSE(a.play());
    EXPECT_FALSE(a.hasTimer());
    EXPECT_EQ(a.frame(), 4);
}

TEST(Animated, ReverseRunsBackwardsAndStopsOnFrameZeroWithoutLoop) {
    TAnimated a;
    a.setFrameCount(5);
    a.setReverse(true);
    a.setInterval(100);
    a.setPlay(true);
    EXPECT_EQ(run(a, 6), (std::vector<int>{4, 3, 2, 1, 0, 4}));
    EXPECT_TRUE(a.play());

    a.setFrame(0);
    a.setLoop(false);
    EXPECT_EQ(run(a, 4), (std::vector<int>{4, 3, 2, 1}));
    EXPECT_TRUE(a.hasTimer());
    EXPECT_EQ(run(a, 1), (std::vector<int>{0}));
    EXPECT_FALSE(a.play());
    EXPECT_FALSE(a.hasTimer());
}

TEST(Animated, FrameIsTakenModuloAndNegativeMeansLast) {
    TAnimated a;
    a.setFrameCount(5);
    a.setFrame(7);
    EXPECT_EQ(a.frame(), 2);
    a.setFrame(-3);
    EXPECT_EQ(a.frame(), 4);
    a.setFrame(5);
    EXPECT_EQ(a.frame(), 0);

    // A frame count below one would divide by zero; one frame is the least.
    a.setFrameCount(0);
    EXPECT_EQ(a.frameCount(), 1);
    a.setFrame(9);
    EXPECT_EQ(a.frame(), 0);
}

TEST(Animated, ChangeFrameIsSignalledOnlyOnAChangeWithTheFrameShown) {
    TAnimated a;
    a.setFrameCount(5);
    QSignalSpy spy(&a, &TAnimated::OnChangeFrame);
    a.setFrame(0); // unchanged
    a.setFrame(5); // 5 mod 5 is the frame shown
    EXPECT_EQ(spy.count(), 0);
    a.setFrame(7);
    a.setFrame(2); // unchanged
    a.setFrame(-1);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].value<TAnimated*>(), &a);
    EXPECT_EQ(spy[0][1].toInt(), 2);
    EXPECT_EQ(spy[1][1].toInt(), 4);
    a.tick(); // 4 -> 0
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy[2][1].toInt(), 0);
}

TEST(Animated, TimerRunsExactlyWhilePlayingWithAPositiveInterval) {
    TAnimated a;
    a.setPlay(true);
    EXPECT_FALSE(a.hasTimer()) << "interval 0 starts no timer";
    a.setInterval(250);
    EXPECT_TRUE(a.hasTimer());
    a.setInterval(-5);
    EXPECT_FALSE(a.hasTimer());
    a.setInterval(40);
    EXPECT_TRUE(a.hasTimer());
    a.setPlay(false);
    EXPECT_FALSE(a.hasTimer());
    a.setInterval(60);
    EXPECT_FALSE(a.hasTimer()) << "an interval alone does not start it";
    a.setPlay(true);
    EXPECT_TRUE(a.hasTimer());

    // And the timer really steps the frames.
    a.setFrameCount(3);
    QSignalSpy spy(&a, &TAnimated::OnChangeFrame);
    EXPECT_TRUE(spy.wait(2000));
    EXPECT_EQ(a.frame(), 1);
}

TEST(Animated, TakesTheStripHeightAndKeepsItsWidth) {
    TAnimated a;
    a.resize(4, 30);
    a.setBitMap(strip({Qt::red, Qt::green}));
    EXPECT_EQ(a.size(), QSize(4, 2));
    a.setBitMap(QImage());
    EXPECT_EQ(a.size(), QSize(4, 30));
}

TEST(Animated, PaintsTheFrameShownAndWhiteWhenEmpty) {
    QWidget parent;
    auto* a = new TAnimated(&parent);
    a->resize(4, 30);
    EXPECT_EQ(a->grab().toImage().pixelColor(2, 10), QColor(Qt::white));

    a->setBitMap(strip({Qt::red, Qt::green, Qt::blue}));
    a->setFrameCount(3);
    a->setFrame(1);
    EXPECT_EQ(a->grab().toImage().pixelColor(0, 0), QColor(Qt::green));
    a->setFrame(2);
    EXPECT_EQ(a->grab().toImage().pixelColor(3, 1), QColor(Qt::blue));
}

TEST(Animated, TransparentColourShowsTheControlsBackground) {
    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 30));
    parent.setPalette(palette);
    auto* a = new TAnimated(&parent);
    a->resize(4, 2);
    const QColor key(255, 0, 255);
    QImage image = strip({key, Qt::red});
    image.setPixelColor(1, 1, Qt::yellow);
    a->setBitMap(image);
    a->setFrameCount(2);

    QImage shot = a->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), key) << "without a transparent colour the strip is copied";

    a->setTransparentColor(key);
    shot = a->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(10, 200, 30));
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::yellow));
    a->setFrame(1);
    EXPECT_EQ(a->grab().toImage().pixelColor(2, 0), QColor(Qt::red));

    // A new background colour is picked up.
    a->setFrame(0);
    palette.setColor(QPalette::Window, QColor(0, 0, 90));
    parent.setPalette(palette);
    EXPECT_EQ(a->grab().toImage().pixelColor(0, 0), QColor(0, 0, 90));
}
