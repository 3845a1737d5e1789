#include "widgets/push_button.h"

#include <QPushButton>
#include <algorithm>

QPushButton* makePushButton(QWidget* parent, const char* name, const QString& caption,
                            const QString& hint, int width, int height) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    b->resize(std::max(width, b->sizeHint().width()), height);
    return b;
}
