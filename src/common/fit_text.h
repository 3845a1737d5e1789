#pragma once

class QLabel;

// Shrinks the label's font (not below 9 pixels) until its whole text fits its width, so a
// label never shows a cut text whatever face the desktop put in place of the one asked for.
void fitText(QLabel* label);
