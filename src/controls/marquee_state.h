#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// The letter sheet's geometry: one row of glyph cells per colour.
namespace marquee {
constexpr int glyphWidth = 11;
constexpr int glyphHeight = 19;
constexpr int glyphCount = 67;
constexpr int colourRows = 5; // green, red, yellow, cyan, white
constexpr int blankGlyph = 41;
// Starts an escape code; it has no glyph of its own.
constexpr char32_t escapeChar = U'~';

// The sheet cell of a character after upper-casing it: the blank for every character
// without a glyph of its own (tilde included). One character always gives one glyph: the
// upper case is taken character by character, so a letter whose capital form is two letters
// keeps its own single glyph (the blank).
int glyphIndex(char32_t c);

// One glyph of the scrolling text: its sheet cell and whether it is left out of the blink
// image.
struct Glyph {
    int glyph = blankGlyph;
    int colourRow = 0;
    bool blinking = false;
};

// The glyphs a caption draws, in order, after its escape codes. A tilde starts an escape
// code; within one, F (either case) toggles blinking, the digits 1 to 5 choose the colour
// row, a character drawn as the blank ends the code and is swallowed, and any other
// character is ignored.
std::vector<Glyph> renderCaption(const QString& caption);

// The characters of a caption that are drawn, as written: what the sign reads out.
QString captionText(const QString& caption);

// A text to be shown as it is inside a caption (a drive's name, say): its tildes, which have
// no glyph and would start escape codes, become blanks.
QString literalText(QString text);
} // namespace marquee

// The scrolling state of the marquee, without any widget: the glyph run, the strip's left
// edge x on a control `width` pixels wide, the passes still to go and the blink phase.
class MarqueeState {
public:
    const std::vector<marquee::Glyph>& glyphs() const { return glyphs_; }
    qint64 stripWidth() const { return qint64(glyphs_.size()) * marquee::glyphWidth; }
    qint64 x() const { return x_; }
    int passesToGo() const { return passes_; }
    bool finished() const { return finished_; }
    // True while the blink image shows (blinking glyphs hidden).
    bool blinkPhase() const { return blinkPhase_; }

    int speed() const { return speed_; }
    void setSpeed(int pixelsPerTick) { speed_ = qBound(0, pixelsPerTick, 0xFFFF); }
    int flashTicks() const { return flashTicks_; }
    void setFlashTicks(int ticks) { flashTicks_ = ticks; }
    int loops() const { return loops_; }

    // Renders the caption and sends the text in from the right edge for `loops` passes
    // again. The finished flag stays, so a new caption after the end raises no second
    // notice.
    void setCaption(const QString& caption, int width);
    // Starts counting the passes afresh: a later end raises the notice again.
    void setLoops(int loops);
    // Puts the text back at the right edge.
    void restart(int width) { x_ = width; }

    // One timer step. Returns true exactly when the last pass has just ended for the first
    // time since the passes were last set, which is when the finish notice is due.
    bool tick(int width);

private:
    std::vector<marquee::Glyph> glyphs_;
    qint64 x_ = 0;
    int speed_ = 4;
    int loops_ = -1;
    int passes_ = -1;
    bool finished_ = false;
    int flashTicks_ = 5;
    int blinkCounter_ = 0;
    bool blinkPhase_ = false;
};
