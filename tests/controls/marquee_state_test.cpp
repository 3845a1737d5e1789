#include "controls/marquee_state.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
// The sheet's glyphs in order, as the letters they show (41 is the blank).
const QString sheetOrder = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789:.+-$ !@#%&*()=\\/"
                                          "?;\",'^_|{}[]<>");

// "A2*" for a red blinking A: the glyph, the escape digit of its colour, a star if it blinks.
QString describe(const std::vector<marquee::Glyph>& glyphs) {
    QStringList parts;
    for (const auto& g : glyphs)
        parts << sheetOrder[g.glyph] + QString::number(g.colourRow + 1) +
                     (g.blinking ? QStringLiteral("*") : QString());
    return parts.join(u'|');
}
} // namespace

TEST(MarqueeGlyphs, EachCharacterMapsToOneSheetCell) {
    ASSERT_EQ(sheetOrder.size(), marquee::glyphCount);
    for (int g = 0; g < marquee::glyphCount; ++g)
        EXPECT_EQ(marquee::glyphIndex(sheetOrder[g].unicode()), g) << sheetOrder[g].toLatin1();

    struct Case {
        char32_t c;
        int glyph;
    };
    const Case cases[] = {
        {U'a', 0},       {U'z', 25},      {U'q', 16}, // lower case shows as capitals
        {U'\t', 41},     {U'\n', 41},     {U'~', 41},
        {U'\u00e9', 41}, {U'\u00c9', 41}, // accented letters have no glyph
        {U'\u00df', 41}, {U'\ufb01', 41}, // sharp s and the fi ligature stay one character
        {U'\u0131', 8},                   // dotless i: its capital is a plain I
        {0x1F600, 41},   {0, 41},
    };
    for (const auto& c : cases)
        EXPECT_EQ(marquee::glyphIndex(c.c), c.glyph) << unsigned(c.c);
}

TEST(MarqueeGlyphs, EscapeCodesSetColourAndBlinkingAndAreNotDrawn) {
    struct Case {
        QString caption;
        QString glyphs;
        QString text;
    };
    const Case cases[] = {
        {"~2f ALERT", "A2*|L2*|E2*|R2*|T2*", "ALERT"},
        {"", "", ""},
        {"~~~", "", ""},
        {"~5~f", "", ""},
        {"~1 ", "", ""},
        {"ab~3 c", "A1|B1|C3", "abc"},
        {"a b", "A1| 1|B1", "a b"},
        // Inside a code, characters with a glyph of their own are skipped, up to a blank.
        {"~9x3 A", "A3", "A"},
        {"~2 a~fb~F c", "A2|C2", "ac"},
        {"~F\tA~f~f .", "A1*|.1*", "A."},
        {"A~f~f.B", "A1", "A"}, // a code without a blank runs to the end
        // Any character drawn as the blank ends the code, and is swallowed with it.
        {"~4\u00e9Z", "Z4", "Z"},
        // One glyph per character, whatever its capital form.
        {"\u00df!", " 1|!1", "\u00df!"},
        {"x\U0001F600y", "X1| 1|Y1", "x\U0001F600y"},
        // Text from outside (a mount point, say) shows every character and sets nothing.
        {"~3 " + marquee::literalText("/m/~Fx~1") + " A", "/3|M3|/3| 3|F3|X3| 3|13| 3|A3",
         "/m/ Fx 1 A"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describe(marquee::renderCaption(c.caption)), c.glyphs) << c.caption.toStdString();
        EXPECT_EQ(marquee::captionText(c.caption), c.text) << c.caption.toStdString();
    }
}

namespace {
constexpr int panel = 20; // control width; "AB" is 22 pixels wide

// Ticks `n` times and returns the ticks (1-based) on which the finish notice came.
std::vector<int> noticeTicks(MarqueeState& s, int n) {
    std::vector<int> at;
    for (int i = 1; i <= n; ++i)
        if (s.tick(panel))
            at.push_back(i);
    return at;
}
} // namespace

TEST(MarqueeScrolling, LastPassEndsOutOfSightWithOneNotice) {
    // At speed 4 from x = 20, an earlier pass wraps when x passes -26 (12 ticks); the last
    // pass ends when x passes -22 (11 ticks).
    struct Case {
        int loops;
        std::vector<int> notices;
    };
    const Case cases[] = {{1, {11}}, {2, {23}}, {3, {35}}, {0, {}}, {-1, {}}, {-7, {}}};
    for (const auto& c : cases) {
        MarqueeState s;
        s.setLoops(c.loops);
        s.setCaption(QStringLiteral("AB"), panel);
        EXPECT_EQ(noticeTicks(s, 200), c.notices) << c.loops;
        if (c.loops >= 1) {
            EXPECT_EQ(s.x(), -22) << "rests just out of sight";
            EXPECT_TRUE(s.finished());
        } else {
            EXPECT_GE(s.x(), -26);
            EXPECT_LE(s.x(), panel);
        }
    }
}

TEST(MarqueeScrolling, NewCaptionAfterTheEndScrollsAgainWithoutASecondNotice) {
    MarqueeState s;
    s.setLoops(2);
    s.setCaption(QStringLiteral("AB"), panel);
    EXPECT_EQ(noticeTicks(s, 100).size(), 1u);

    s.setCaption(QStringLiteral("ABC"), panel);
    EXPECT_EQ(s.x(), panel);
    EXPECT_EQ(s.passesToGo(), 2);
    std::vector<qint64> wraps;
    for (int i = 0; i < 100; ++i) {
        const qint64 before = s.x();
        EXPECT_FALSE(s.tick(panel));
        if (s.x() > before)
            wraps.push_back(i);
    }
    EXPECT_EQ(wraps.size(), 1u) << "crosses twice: one wrap between the passes";
    EXPECT_EQ(s.x(), -33);

    // Setting Loops again arms the notice.
    s.setLoops(1);
    s.setCaption(QStringLiteral("AB"), panel);
    EXPECT_EQ(noticeTicks(s, 100), (std::vector<int>{11}));
}

TEST(MarqueeScrolling, EmptyCaptionStillCountsItsPasses) {
    MarqueeState s;
    s.setLoops(1);
    s.setCaption(QString(), panel);
    EXPECT_EQ(s.stripWidth(), 0);
    EXPECT_EQ(noticeTicks(s, 10), (std::vector<int>{6}));
}

TEST(MarqueeBlinking, PhaseTogglesEveryFlashTicksPlusOneTicks) {
    struct Case {
        int flashTicks;
        QString phases; // after each tick, 1 while the blink image shows
    };
    const Case cases[] = {
        {5, "00000111111000000111"}, // the default: every 6 ticks
        {1, "01100110011001100110"},
        {0, "00000000000000000000"},
        {-3, "00000000000000000000"},
    };
    for (const auto& c : cases) {
        MarqueeState s;
        s.setFlashTicks(c.flashTicks);
        s.setCaption(QStringLiteral("~f A"), panel);
        QString phases;
        for (int i = 0; i < c.phases.size(); ++i) {
            s.tick(panel);
            phases += s.blinkPhase() ? u'1' : u'0';
        }
        EXPECT_EQ(phases, c.phases) << c.flashTicks;
    }
}
