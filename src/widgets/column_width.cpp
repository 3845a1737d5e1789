#include "widgets/column_width.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kClassicLetterWidth = 6.0;
}

double averageLetterWidth(const QFontMetrics& metrics) {
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return double(metrics.horizontalAdvance(letters)) / double(letters.size());
}

int columnWidth(int described, const QFontMetrics& metrics, const QStringList& samples, int inset) {
    int width = int(std::lround(described * averageLetterWidth(metrics) / kClassicLetterWidth));
    for (const QString& text : samples)
        width = std::max(width, metrics.horizontalAdvance(text) + 2 * inset);
    return width;
}
