#include "controls/animated.h"

#include <QEvent>
#include <QPainter>
#include <QTimerEvent>

namespace {
constexpr int emptyHeight = 30;
}

TAnimated::TAnimated(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Animation"));
    resize(30, 30);
}

TAnimated::~TAnimated() {
    stopTimer();
}

void TAnimated::setBitMap(const QImage& strip) {
    bitMap_ = strip.copy();
    workValid_ = false;
    resize(width(), bitMap_.isNull() ? emptyHeight : bitMap_.height());
    update();
}

void TAnimated::setFrameCount(int count) {
    count = qMax(1, count);
    if (count == frameCount_)
        return;
    frameCount_ = count;
    update();
}

void TAnimated::setFrame(int value) {
    const int next = value < 0 ? frameCount_ - 1 : value % frameCount_;
    if (next == frame_)
        return;
    frame_ = next;
    Q_EMIT OnChangeFrame(this, frame_);
    update();
}

void TAnimated::setInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    stopTimer();
    startTimerIfDue();
}

void TAnimated::setPlay(bool value) {
    if (value == play_)
        return;
    play_ = value;
    if (play_)
        startTimerIfDue();
    else
        stopTimer();
}

void TAnimated::setTransparentColor(const QColor& color) {
    if (color == transparentColor_)
        return;
    transparentColor_ = color;
    workValid_ = false;
    update();
}

void TAnimated::startTimerIfDue() {
    if (play_ && interval_ > 0 && timerId_ == 0)
        timerId_ = startTimer(interval_);
}

void TAnimated::stopTimer() {
    if (timerId_ != 0) {
        killTimer(timerId_);
        timerId_ = 0;
    }
}

void TAnimated::tick() {
    if (reverse_) {
        setFrame(frame_ - 1);
        if (frame_ == 0)
            endCheck();
    } else {
        setFrame(frame_ + 1);
        if (frame_ == frameCount_ - 1)
            endCheck();
    }
}

void TAnimated::endCheck() {
    if (!loop_)
        setPlay(false);
}

void TAnimated::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timerId_)
        tick();
    else
        QWidget::timerEvent(event);
}

void TAnimated::changeEvent(QEvent* event) {
    // The transparent pixels take the background colour, so a new palette needs a new work
    // picture.
    if (event->type() == QEvent::PaletteChange)
        workValid_ = false;
    QWidget::changeEvent(event);
}

const QImage& TAnimated::workPicture(const QColor& background) {
    if (workValid_ && workBackground_ == background.rgb())
        return work_;
    work_ = QImage(bitMap_.size(), QImage::Format_RGB32);
    work_.fill(background);
    {
        QPainter painter(&work_);
        painter.drawImage(0, 0, bitMap_);
    }
    // Compare against the strip itself, not the composed picture, so a partly transparent
    // pixel that happens to blend into the key colour is left alone.
    const QImage source = bitMap_.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparentColor_.rgb() & 0xFFFFFF;
    const QRgb fill = background.rgb();
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(work_.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            if ((in[x] & 0xFFFFFF) == key && qAlpha(in[x]) == 255)
                out[x] = fill;
        }
    }
    workBackground_ = background.rgb();
    workValid_ = true;
    return work_;
}

void TAnimated::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (bitMap_.isNull()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    const QColor background = palette().color(backgroundRole());
    // Frames past the end of the strip show the background rather than stale pixels.
    painter.fillRect(rect(), background);
    const int w = width();
    const QRect source(w * frame_, 0, w, bitMap_.height());
    const QImage& picture = transparentColor_.isValid() ? workPicture(background) : bitMap_;
    painter.drawImage(rect(), picture, source);
}
