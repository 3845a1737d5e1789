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

int placeButtonRow(std::initializer_list<QPushButton*> buttons, int left, int top) {
    for (QPushButton* b : buttons) {
        b->move(left, top);
        left += b->width() + 3;
    }
    return left;
}

QPushButton* makeIconButton(QWidget* parent, const QString& caption, const QString& hint,
                            QStyle::StandardPixmap icon) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    b->setAccessibleDescription(hint);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoDefault(false);
    return b;
}
