#include "controls/gradient_back.h"

#include <QEvent>
#include <QPainter>

namespace {
std::array<QRgb, 256> makeTable(bool allBlue) {
    std::array<QRgb, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = qRgb(allBlue ? 0 : i, 0, 255 - i);
    return table;
}
} // namespace

const std::array<QRgb, 256>& allBlueTable() {
    static const std::array<QRgb, 256> table = makeTable(true);
    return table;
}

const std::array<QRgb, 256>& blueToRedTable() {
    static const std::array<QRgb, 256> table = makeTable(false);
    return table;
}

std::vector<GradientBand> gradientBands(int height, bool allBlue) {
    const auto& table = allBlue ? allBlueTable() : blueToRedTable();
    // Single precision on purpose: the band tops are the truncated multiples of this step.
    const float step = static_cast<float>(height) / 255.0f;
    const int bandHeight = static_cast<int>(step) + 1;
    std::vector<GradientBand> bands;
    bands.reserve(256);
    for (int i = 0; i < 256; ++i) {
        const int top = i <= 1 ? 0 : static_cast<int>(static_cast<float>(i - 1) * step);
        bands.push_back({top, bandHeight, table[i]});
    }
    return bands;
}

TGradientBack::TGradientBack(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Gradient background"));
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
    lower();
}

bool TGradientBack::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TGradientBack::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    for (const GradientBand& band : gradientBands(height(), isAllBlue_))
        painter.fillRect(QRect(0, band.top, w, band.height), QColor(band.color));
}
