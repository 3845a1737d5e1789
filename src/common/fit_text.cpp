#include "common/fit_text.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

namespace {

const QChar kEllipsis(0x2026);

// `count` letters from the start (or the end) of `text`, never splitting a surrogate pair.
QString head(const QString& text, qsizetype count) {
    if (count < text.size() && text.at(count).isLowSurrogate())
        ++count;
    return text.left(count);
}

QString tail(const QString& text, qsizetype count) {
    qsizetype from = text.size() - count;
    if (from > 0 && text.at(from).isLowSurrogate())
        --from;
    return text.mid(from);
}

// The part of `text` that could show in `room` pixels, with an ellipsis where the rest was
// taken out. No font draws a visible letter narrower than a pixel, so `room` letters from each
// end that is kept are more than ever fit; the measuring that follows elides again.
QString cutToRoom(const QString& text, Qt::TextElideMode mode, int room) {
    const qsizetype keep = qsizetype(std::max(room, 0)) + 8;
    if (text.size() <= 2 * keep + 1)
        return text;
    switch (mode) {
    case Qt::ElideLeft:
        return kEllipsis + tail(text, keep);
    case Qt::ElideMiddle:
        return head(text, keep) + kEllipsis + tail(text, keep);
    case Qt::ElideRight:
    case Qt::ElideNone:
        break;
    }
    return head(text, keep) + kEllipsis;
}

} // namespace

void fitText(QLabel* label) {
    QFont f = label->font();
    if (f.pixelSize() <= 0)
        f.setPixelSize(QFontInfo(f).pixelSize());
    while (f.pixelSize() > 9 &&
           QFontMetrics(f).horizontalAdvance(label->text()) > label->contentsRect().width())
        f.setPixelSize(f.pixelSize() - 1);
    label->setFont(f);
}

QString elideText(const QString& text, Qt::TextElideMode mode, const QFontMetrics& metrics,
                  int room) {
    const QString cut = cutToRoom(text, mode, room);
    // Whole when its rounded advance fits, as every column width is measured.
    if (cut.size() == text.size() && metrics.horizontalAdvance(text) <= room)
        return text;
    QString elided = metrics.elidedText(cut, mode, room);
    // The ellipsis put in above can meet the one the measuring puts in.
    if (cut.size() != text.size())
        elided.replace(QString(2, kEllipsis), QString(kEllipsis));
    if (!elided.isEmpty() && elided != QString(kEllipsis))
        return elided;
    qsizetype fit = 0;
    while (fit < cut.size() && metrics.horizontalAdvance(cut.left(fit + 1)) <= room)
        ++fit;
    return fit > 0 ? head(cut, fit) : elided;
}
