#include "widgets/gauge.h"

#include "common/face_colours.h"

#include <QAccessible>
#include <QPainter>
#include <algorithm>

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
    setAccessibleDescription(QStringLiteral("Percentage bar"));
    setAccessibleName(QStringLiteral("0%"));
}

void TGauge::setProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == progress_)
        return;
    progress_ = percent;
    setAccessibleName(QString::number(progress_) + QLatin1Char('%'));
    update();
}

void TGauge::setForeColor(const QColor& c) {
    fore_ = c;
    update();
}

void TGauge::setBackColor(const QColor& c) {
    back_ = c;
    update();
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    p.fillRect(rect(), back_);
    const int filled = (width() - 2) * progress_ / 100;
    const QRect bar(1, 1, filled, height() - 2);
    p.fillRect(bar, fore_);
    p.setPen(Qt::gray);
    p.drawRect(frame);
    // The percentage in black or white, whichever reads on the colour under each part of it.
    const QString text = QString::number(progress_) + QLatin1Char('%');
    p.setPen(textColourOn(back_));
    p.setClipRect(QRect(bar.right() + 1, 0, width(), height()));
    p.drawText(rect(), Qt::AlignCenter, text);
    p.setPen(textColourOn(fore_));
    p.setClipRect(bar);
    p.drawText(rect(), Qt::AlignCenter, text);
}
