#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;
class SpinArrow;

// A whole-number entry field with its spin button. The field takes only whole numbers within
// its range (0 ... 10000 unless set otherwise): while its text is anything else (letters,
// out of range, empty) it shows black text on a red background and value() keeps the last
// good number. Leaving the field with such a text refuses it: the field goes back to the
// number it held before the typing began. The spin button steps by 1 and stops at the
// range's ends (no wrap-around).
class TNumberField : public QWidget {
    Q_OBJECT
public:
    explicit TNumberField(QWidget* parent = nullptr);

    // The last good number.
    int value() const { return value_; }
    // Sets the number (brought into the range) and shows it.
    void setValue(int value);

    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    // Whether the text shown is a number the field accepts.
    bool isValid() const { return valid_; }
    // Steps the number by `steps` (negative: down), stopping at the range's ends.
    void stepBy(int steps);

    // Names the field for screen readers: the entry gets `name`, the arrows "Increase " and
    // "Decrease " followed by it.
    void setAccessibleNames(const QString& name);

    QLineEdit* editor() const { return editor_; }
    QToolButton* upButton() const;
    QToolButton* downButton() const;

Q_SIGNALS:
    // The good number changed (typing, spinning or setValue).
    void valueChanged(int value);
    // The entry lost the focus to another control of the window.
    void exited();
    // The mouse was released on the spin button (or an arrow was pressed without the mouse,
    // for example by a screen reader).
    void spinReleased();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textEdited(const QString& text);
    void showValid(bool valid);
    void showValue();
    void arrowClicked(SpinArrow* arrow, int step);

    QLineEdit* editor_ = nullptr;
    SpinArrow* up_ = nullptr;
    SpinArrow* down_ = nullptr;
    int minimum_ = 0;
    int maximum_ = 10000;
    int value_ = 0;
    // The number before the current typing: what a refused text gives way to.
    int committed_ = 0;
    bool valid_ = true;
};
