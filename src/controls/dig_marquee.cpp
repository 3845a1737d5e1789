#include "controls/dig_marquee.h"

#include "common/resources_init.h"

#include <QMouseEvent>
#include <QPainter>

const QString TDigMarquee::defaultCaption =
    QStringLiteral("~5 ZELKOVA '95 ~3 WINS BACK YOUR DISK SPACE ");

namespace {
// The letter sheet, loaded once and shared by every marquee.
const QImage& letterSheet() {
    static const QImage sheet = [] {
        initResources();
        return QImage(QStringLiteral(":/DMLETTER")).convertToFormat(QImage::Format_RGB32);
    }();
    return sheet;
}
} // namespace

TDigMarquee::TDigMarquee(QWidget* parent) : QWidget(parent), sheet_(letterSheet()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(128, 21);
    connect(&timer_, &QTimer::timeout, this, &TDigMarquee::tick);
    setCaption(defaultCaption);
    updateTimer();
}

void TDigMarquee::setCaption(const QString& caption) {
    caption_ = caption;
    state_.setCaption(caption, width());
    setAccessibleName(marquee::captionText(caption));
    update();
}

void TDigMarquee::setInterval(int milliseconds) {
    interval_ = qBound(-32768, milliseconds, 32767);
    updateTimer();
}

void TDigMarquee::setMarqueeEnabled(bool value) {
    enabled_ = value;
    updateTimer();
    state_.restart(width());
    repaint();
}

void TDigMarquee::updateTimer() {
    // A timer of interval 0 would fire on every pass of the event loop: stop instead.
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

void TDigMarquee::tick() {
    if (state_.tick(width()))
        Q_EMIT OnFinishScrolling(this);
    update();
}

void TDigMarquee::paintEvent(QPaintEvent*) {
    // Widgets are painted into a back buffer and shown in one step, so the sign does not
    // flicker.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const auto& glyphs = state_.glyphs();
    if (!enabled_ || glyphs.empty() || sheet_.isNull())
        return;
    const int top = (height() - marquee::glyphHeight) / 2;
    const qint64 x = state_.x();
    const bool blinkPhase = state_.blinkPhase();
    // Only the glyphs that fall inside the control are drawn.
    const qint64 first = x < 0 ? -x / marquee::glyphWidth : 0;
    for (qint64 k = first; k < qint64(glyphs.size()); ++k) {
        const qint64 left = x + k * marquee::glyphWidth;
        if (left >= width())
            break;
        const marquee::Glyph& g = glyphs[size_t(k)];
        if (blinkPhase && g.blinking)
            continue;
        painter.drawImage(QPoint(int(left), top), sheet_,
                          QRect(g.glyph * marquee::glyphWidth, g.colourRow * marquee::glyphHeight,
                                marquee::glyphWidth, marquee::glyphHeight));
    }
}

void TDigMarquee::mousePressEvent(QMouseEvent* event) {
    Q_EMIT OnMouseDown(this, event->button(), event->modifiers(), event->position().toPoint());
}

void TDigMarquee::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT OnMouseMove(this, event->modifiers(), event->position().toPoint());
}

void TDigMarquee::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Q_EMIT OnMouseUp(this, event->button(), event->modifiers(), at);
    if (event->button() == Qt::LeftButton && rect().contains(at))
        Q_EMIT OnClick(this);
}

void TDigMarquee::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_EMIT OnMouseDown(this, event->button(), event->modifiers(), event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        Q_EMIT OnDblClick(this);
}
