#pragma once

#include <QString>

// The program's four message boxes, each modal with one OK button.
// Error box: the exclamation sound, then an "Error" box.
void errorBox(const QString& text);
// Warning box: the critical-stop sound, then a "Warning" box.
void warningBox(const QString& text);
// Information box: no sound, an "Information" box.
void infoBox(const QString& text);
// Plain error box: no sound, an "Error" box.
void plainErrorBox(const QString& text);
