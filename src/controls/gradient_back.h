#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <vector>

// One stripe of the gradient: `height` rows from `top`, in `color`.
struct GradientBand {
    int top = 0;
    int height = 0;
    QRgb color = 0;
};

// The two colour tables, 256 entries each, built once:
// all-blue (0, 0, 255 - i): blue down to black; blue-to-red (i, 0, 255 - i).
const std::array<QRgb, 256>& allBlueTable();
const std::array<QRgb, 256>& blueToRedTable();

// The 256 bands, in painting order, that cover a gradient `height` pixels high. Band i has
// colour i of the chosen table; each later band paints over the earlier ones.
std::vector<GradientBand> gradientBands(int height, bool allBlue);

// A vertical gradient behind a window's controls. It covers its parent's whole client area
// (following the parent's size), stays beneath the parent's other children and lets every
// mouse event through to them.
class TGradientBack : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool isAllBlue READ isAllBlue WRITE setIsAllBlue)

public:
    explicit TGradientBack(QWidget* parent);

    bool isAllBlue() const { return isAllBlue_; }
    // Stores the choice; the new colours show at the next paint.
    void setIsAllBlue(bool value) { isAllBlue_ = value; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isAllBlue_ = false;
};
