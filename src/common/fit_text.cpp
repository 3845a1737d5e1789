#include "common/fit_text.h"

#include <QFontMetrics>
#include <QLabel>

void fitText(QLabel* label) {
    QFont f = label->font();
    if (f.pixelSize() <= 0)
        f.setPixelSize(QFontInfo(f).pixelSize());
    while (f.pixelSize() > 9 &&
           QFontMetrics(f).horizontalAdvance(label->text()) > label->contentsRect().width())
        f.setPixelSize(f.pixelSize() - 1);
    label->setFont(f);
}
