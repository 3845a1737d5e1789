#pragma once

#include <QColor>
#include <QWidget>

// A percentage bar: a value of 0 to 100 drawn as a filled part of the bar with the
// percentage written across it. Its colours are settable; screen readers read it as a
// progress bar with its value.
class TGauge : public QWidget {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);

    int progress() const { return progress_; }
    // Kept within 0 .. 100.
    void setProgress(int percent);
    void setForeColor(const QColor& c);
    void setBackColor(const QColor& c);
    QColor foreColor() const { return fore_; }
    QColor backColor() const { return back_; }

    QSize sizeHint() const override { return QSize(100, 16); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
    QColor fore_ = Qt::black;
    QColor back_ = Qt::white;
};
