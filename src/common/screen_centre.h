#pragma once

#include <QRect>
#include <QScreen>
#include <QWidget>

// Moves a window so that it stands in the middle of the screen it is on.
inline void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
