#pragma once

#include "stats/stat_tallies.h"

#include <QColor>
#include <QString>
#include <span>

class QLabel;
class QWidget;
class TGauge;

// The parts the statistics pages are built from.
namespace statpage {

inline const QColor kNavy(0, 0, 128);
inline const QColor kTeal(0, 128, 128);
inline const QColor kPurple(128, 0, 128);

// A plain-text label.
QLabel* label(QWidget* parent, const QString& name, const QString& text = {});
// A right-aligned label for a figure.
QLabel* numberLabel(QWidget* parent, const QString& name);
TGauge* gauge(QWidget* parent, const QString& name, const QColor& fore);

} // namespace statpage

// One row of a tally page: its caption, the count with its share of all files, and the bytes
// with their share of all bytes.
struct TallyRow {
    QLabel* caption = nullptr;
    TGauge* countGauge = nullptr;
    QLabel* count = nullptr;
    TGauge* bytesGauge = nullptr;
    QLabel* bytes = nullptr;

    // Shows the tally; each bar shows its value as a share of `whole`, a whole of 0 leaving
    // the bar as it was.
    void show(const Tally& tally, const Tally& whole);
};

// The sum of the tallies, their bytes stopping at the largest 64-bit value.
Tally sumOf(std::span<const Tally> tallies);
