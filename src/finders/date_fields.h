#pragma once

#include <QObject>
#include <QString>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

// Today in the short date form.
QString todayText();

// The row of a date range on a finder's panel, made into the pointers given: the start field
// "dtStart" and its calendar button "popStartDate", "and", the end field "dtEnd" and its button
// "popEndDate". The fields are 100 by 24 pixels, the buttons 24 square (more where a larger
// font needs it).
QHBoxLayout* makeDateRangeRow(QWidget* parent, QLineEdit*& start, QToolButton*& popStart,
                              QLabel*& andLabel, QLineEdit*& end, QToolButton*& popEnd);

// The start and end date fields of a range. Each field is checked as the focus leaves it
// (not when the window or a menu takes the focus): a bad date gets its error box once and
// the focus back. While a box is open, or the focus is being put back, no field reports, so
// two bad fields cannot pass the focus and the box back and forth. The pop-up calendar fills
// a field and keeps start <= end, the field just picked winning.
class DateFields : public QObject {
public:
    DateFields(QWidget& window, QLineEdit& start, QLineEdit& end);

    void startExit();
    void endExit();
    // The calendar for the start field (`start` true) or the end field.
    void pick(bool start);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check(QLineEdit& field, const QString& error);

    QWidget& window_;
    QLineEdit& start_;
    QLineEdit& end_;
    bool checking_ = false;
};
