#pragma once

#include <QString>
#include <Qt>

class QFontMetrics;
class QLabel;

// Shrinks the label's font (not below 9 pixels) until its whole text fits its width, so a
// label never shows a cut text whatever face the desktop put in place of the one asked for.
void fitText(QLabel* label);

// `text` shortened to `room` pixels with an ellipsis where `mode` puts it (the text itself
// when it fits); where not even one letter and the ellipsis fit, the letters that fit, bare.
// A text far longer than could ever show is cut to what could before it is measured, so a
// path of hundreds of kilobytes costs no more than one of a few hundred letters.
QString elideText(const QString& text, Qt::TextElideMode mode, const QFontMetrics& metrics,
                  int room);
