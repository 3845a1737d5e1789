#pragma once

#include <QColor>

class QWidget;

// Black or white, whichever stands out more against `background` (the larger contrast of
// relative luminance). For text the program draws on a background it paints itself, so that
// it reads under light and dark desktop palettes alike.
QColor textColourOn(const QColor& background);

// Gives `widget` the classic grey face, (192, 192, 192) whatever the desktop's palette, with
// its window text in the colour that reads on it.
void setGreyFace(QWidget* widget);
