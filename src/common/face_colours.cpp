#include "common/face_colours.h"

#include <QPalette>
#include <QWidget>

#include <cmath>

namespace {
// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
double luminance(const QColor& c) {
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}
} // namespace

QColor textColourOn(const QColor& background) {
    const double l = luminance(background);
    // Contrast with black is (l + 0.05) / 0.05, with white 1.05 / (l + 0.05).
    return (l + 0.05) * (l + 0.05) >= 0.05 * 1.05 ? QColor(Qt::black) : QColor(Qt::white);
}

void setGreyFace(QWidget* widget) {
    QPalette grey = widget->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    grey.setColor(QPalette::WindowText, textColourOn(grey.color(QPalette::Window)));
    widget->setPalette(grey);
}
