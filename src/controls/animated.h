#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// Plays a strip of equally wide frames, held side by side in one picture, frame after frame
// on a timer. The control is as wide as one frame.
//
// A timer runs exactly while Play is true and Interval is above 0. Each tick steps the
// frame forwards (or backwards with Reverse), wrapping around; without Loop the animation
// stops on its last frame (on frame 0 when reversed). Pixels of TransparentColor are drawn in
// the control's background colour.
class TAnimated : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QImage BitMap READ bitMap WRITE setBitMap)
    Q_PROPERTY(int FrameCount READ frameCount WRITE setFrameCount)
    Q_PROPERTY(int Frame READ frame WRITE setFrame NOTIFY OnChangeFrame)
    Q_PROPERTY(int Interval READ interval WRITE setInterval)
    Q_PROPERTY(bool Play READ play WRITE setPlay)
    Q_PROPERTY(bool Reverse READ reverse WRITE setReverse)
    Q_PROPERTY(bool Loop READ loop WRITE setLoop)
    Q_PROPERTY(QColor TransparentColor READ transparentColor WRITE setTransparentColor)

public:
    explicit TAnimated(QWidget* parent = nullptr);
    ~TAnimated() override;

    const QImage& bitMap() const { return bitMap_; }
    // Copies the strip and takes its height (30 for an empty picture); the width stays.
    void setBitMap(const QImage& strip);

    int frameCount() const { return frameCount_; }
    // At least 1: a strip always has a frame to show.
    void setFrameCount(int count);

    int frame() const { return frame_; }
    // A negative value selects the last frame; any other is taken modulo the frame count.
    void setFrame(int value);

    int interval() const { return interval_; }
    void setInterval(int milliseconds);

    bool play() const { return play_; }
    void setPlay(bool value);

    bool reverse() const { return reverse_; }
    void setReverse(bool value) { reverse_ = value; }

    bool loop() const { return loop_; }
    void setLoop(bool value) { loop_ = value; }

    // An invalid colour (the default) means none.
    QColor transparentColor() const { return transparentColor_; }
    void setTransparentColor(const QColor& color);

    // True while the animation timer runs.
    bool hasTimer() const { return timerId_ != 0; }
    // One step of the animation, as the timer makes it.
    void tick();

Q_SIGNALS:
    // The shown frame changed; `frame` is the frame now shown.
    void OnChangeFrame(TAnimated* sender, int frame);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void startTimerIfDue();
    void stopTimer();
    void endCheck();
    // The strip with the transparent colour replaced by `background`, cached.
    const QImage& workPicture(const QColor& background);

    QImage bitMap_;
    int frameCount_ = 1;
    int frame_ = 0;
    int interval_ = 0;
    bool play_ = false;
    bool reverse_ = false;
    bool loop_ = true;
    QColor transparentColor_;
    int timerId_ = 0;

    QImage work_;
    QRgb workBackground_ = 0;
    bool workValid_ = false;
};
