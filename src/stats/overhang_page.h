#pragma once

#include "stats/stat_tallies.h"

#include <QWidget>
#include <array>

class QGridLayout;
class QLabel;
class QPlainTextEdit;
class TGauge;

// "Overhang": the space that cluster overhang wastes at five cluster sizes, an arrow at the
// drive's own, and the totals of the files collected.
class OverhangPage : public QWidget {
public:
    OverhangPage();
    // Shows the tallies; `clusterSize` is the drive's, which the arrow points at when it is
    // one of the five.
    void fill(const StatTallies& tallies, qint64 clusterSize);

    // Rows 1 .. 5.
    std::array<TGauge*, 6> gaOver{};
    std::array<QLabel*, 6> lblOver{};
    QLabel* imArrow = nullptr; // beside the row of the drive's cluster size
    // The totals panel, hidden until the first collection, and its lines.
    QWidget* pnlOverhang = nullptr;
    QLabel *lblNumFiles = nullptr, *lblSize = nullptr, *lblLbl = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

private:
    void buildRows();
    void buildTotals();
    void buildMemo();

    QGridLayout* grid_ = nullptr;
};
