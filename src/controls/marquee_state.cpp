#include "controls/marquee_state.h"

#include <QChar>
#include <string_view>

namespace marquee {

namespace {
// The sheet cells from 36 on, in order; the blank at 41 stands for every other character.
constexpr std::u32string_view signs = U":.+-$ !@#%&*()=\\/?;\",'^_|{}[]<>";

bool isBlank(char32_t c) {
    return glyphIndex(c) == blankGlyph;
}
} // namespace

int glyphIndex(char32_t c) {
    // The simple (one character) capital: a letter whose full capital form is several
    // letters, such as the sharp s, keeps itself and has no glyph.
    const char32_t upper = QChar::toUpper(c);
    if (upper >= U'A' && upper <= U'Z')
        return int(upper - U'A');
    if (upper >= U'0' && upper <= U'9')
        return 26 + int(upper - U'0');
    const auto at = signs.find(upper);
    return at == std::u32string_view::npos ? blankGlyph : 36 + int(at);
}

namespace {
// Walks the caption's escape codes and hands each drawn character, with its colour row and
// blinking, to `draw`.
template <typename Draw> void walkCaption(const QString& caption, Draw draw) {
    int row = 0;
    bool blinking = false;
    bool escape = false;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // One character is one code point: a surrogate pair is read as one.
        char32_t c = caption[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < caption.size() &&
            caption[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(caption[i].unicode(), caption[i + 1].unicode());
            ++i;
        }
        if (c == escapeChar) {
            escape = true;
        } else if (escape) {
            if (c == U'F' || c == U'f')
                blinking = !blinking;
            else if (c >= U'1' && c <= U'5')
                row = int(c - U'1');
            else if (isBlank(c))
                escape = false;
        } else {
            draw(c, row, blinking);
        }
    }
}
} // namespace

std::vector<Glyph> renderCaption(const QString& caption) {
    std::vector<Glyph> glyphs;
    walkCaption(caption, [&](char32_t c, int row, bool blinking) {
        glyphs.push_back({glyphIndex(c), row, blinking});
    });
    return glyphs;
}

QString captionText(const QString& caption) {
    QString text;
    walkCaption(caption, [&](char32_t c, int, bool) { text.append(QString::fromUcs4(&c, 1)); });
    return text;
}

QString literalText(QString text) {
    return text.replace(QChar(escapeChar), u' ');
}

} // namespace marquee

void MarqueeState::setCaption(const QString& caption, int width) {
    glyphs_ = marquee::renderCaption(caption);
    x_ = width;
    passes_ = loops_;
}

void MarqueeState::setLoops(int loops) {
    loops_ = loops;
    passes_ = loops;
    finished_ = false;
}

bool MarqueeState::tick(int width) {
    if (flashTicks_ < 1) {
        blinkPhase_ = false;
    } else if (++blinkCounter_ > flashTicks_) {
        blinkCounter_ = 0;
        blinkPhase_ = !blinkPhase_;
    }

    x_ -= speed_;
    const qint64 w = stripWidth();
    if (passes_ == 1) {
        // The last pass: the text rests just out of sight and the end is told once.
        if (x_ < -w) {
            x_ = -w;
            if (!finished_) {
                finished_ = true;
                return true;
            }
        }
    } else if (x_ < -w - speed_) {
        x_ = width;
        if (passes_ >= 2)
            --passes_;
    }
    return false;
}
