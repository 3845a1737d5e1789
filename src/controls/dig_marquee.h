#pragma once

#include "controls/marquee_state.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

// An LED sign: one line of text scrolls from right to left across a black panel, in glyphs
// from the coloured letter sheet, with colour and blinking set by escape codes in the
// caption (see marquee::renderCaption). With Loops n of 1 or more the text crosses n times
// and then rests out of sight, and OnFinishScrolling is raised once; with 0 or less it
// scrolls for ever.
//
// The glyphs are drawn at paint time, only those that fall inside the control, so a long
// caption costs no picture of its own.
class TDigMarquee : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(int Speed READ speed WRITE setSpeed)
    Q_PROPERTY(int Loops READ loops WRITE setLoops)
    Q_PROPERTY(int Interval READ interval WRITE setInterval)
    Q_PROPERTY(bool Enabled READ marqueeEnabled WRITE setMarqueeEnabled)
    Q_PROPERTY(int FlashTicks READ flashTicks WRITE setFlashTicks)

public:
    static const QString defaultCaption;

    explicit TDigMarquee(QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    // Renders the new text and sends it in from the right edge for Loops passes again.
    void setCaption(const QString& caption);

    // Pixels per tick, 0 to 65535.
    int speed() const { return state_.speed(); }
    void setSpeed(int pixelsPerTick) { state_.setSpeed(pixelsPerTick); }

    int loops() const { return state_.loops(); }
    void setLoops(int loops) { state_.setLoops(loops); }

    // Milliseconds, -32768 to 32767; 0 or less stops the timer.
    int interval() const { return interval_; }
    void setInterval(int milliseconds);

    // Scrolling and drawing of the text. Separate from the widget's own enabled state, which
    // still governs the mouse.
    bool marqueeEnabled() const { return enabled_; }
    void setMarqueeEnabled(bool value);

    // The blink half-period in ticks, less 1; 0 or less turns blinking off.
    int flashTicks() const { return state_.flashTicks(); }
    void setFlashTicks(int ticks) { state_.setFlashTicks(ticks); }

    const MarqueeState& state() const { return state_; }
    // True while the scrolling timer runs.
    bool hasTimer() const { return timer_.isActive(); }
    // One timer step: scroll, blink, and raise the notice when the last pass ends.
    void tick();

Q_SIGNALS:
    void OnFinishScrolling(TDigMarquee* sender);
    void OnClick(TDigMarquee* sender);
    void OnDblClick(TDigMarquee* sender);
    void OnMouseDown(TDigMarquee* sender, Qt::MouseButton button, Qt::KeyboardModifiers keys,
                     QPoint at);
    void OnMouseMove(TDigMarquee* sender, Qt::KeyboardModifiers keys, QPoint at);
    void OnMouseUp(TDigMarquee* sender, Qt::MouseButton button, Qt::KeyboardModifiers keys,
                   QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void updateTimer();

    QString caption_;
    MarqueeState state_;
    int interval_ = 50;
    bool enabled_ = true;
    QTimer timer_;
    QImage sheet_;
};
