#pragma once

#include <QString>
#include <QStyle>
#include <initializer_list>

class QPushButton;
class QWidget;

// A button of a window's panel with its object name, caption and hint, at least `width` by
// `height` pixels and never narrower than its caption needs in the font in use. It does not
// become the dialog's default button on focus, so Enter stays with the control that has the
// focus; a window that wants a default button sets one.
QPushButton* makePushButton(QWidget* parent, const char* name, const QString& caption,
                            const QString& hint = {}, int width = 75, int height = 25);

// Places the buttons in a row at `top`, the first at `left` and each 3 pixels right of the one
// before; returns where a next button would go.
int placeButtonRow(std::initializer_list<QPushButton*> buttons, int left, int top);

// A button of a confirmation window: its caption, its hint (also read out as its accessible
// description) and a standard icon of the style. It does not become the default button on
// focus.
QPushButton* makeIconButton(QWidget* parent, const QString& caption, const QString& hint,
                            QStyle::StandardPixmap icon);
