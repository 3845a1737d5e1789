#pragma once

#include <Qt>

class QDialog;
class QFrame;
class QVBoxLayout;

// The title bar of a resizable tool window: system menu, maximise and close boxes.
inline constexpr Qt::WindowFlags kToolWindowFlags =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
    Qt::WindowCloseButtonHint;
// The title bar of a fixed-size dialog: system menu and close box.
inline constexpr Qt::WindowFlags kFixedDialogFlags =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
    Qt::MSWindowsFixedSizeDialogHint;

// The frame a finder's window is built in: a size grip, an outer layout without margins or
// spacing, and at its top the fixed-height panel "Panel1" that holds the window's controls.
// The caller adds the grid and the status line below the panel.
struct ToolFrame {
    QVBoxLayout* layout;
    QFrame* Panel1;
};
ToolFrame buildToolFrame(QDialog& window, int panelHeight);
