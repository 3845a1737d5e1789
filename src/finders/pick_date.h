#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QFrame;
class QLabel;
class QToolButton;

// The years the picker offers: every date of them is written and read back with a
// four-digit year by the date module.
constexpr int kFirstPickYear = 1000;
constexpr int kLastPickYear = 9999;

// `date` moved by whole months (12 for a year): the day is kept unless the target month is
// shorter, then it is that month's last day. The result stays within the picker's years.
QDate shiftPickDate(const QDate& date, int months);

// The calendar pop-up of the date fields: a frameless modal dialog with a month calendar, a
// month spinner along the bottom, a year spinner along the right edge and OK / Cancel. Enter
// and a double click on a day accept, Esc cancels, Home goes to today.
class TfrmPickDate : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPickDate(QWidget* parent = nullptr);

    // The date shown when the picker opens (an invalid date stands for today); the calendar's
    // selected day, which the caller reads after OK.
    QDate pickedDate() const;
    void setPickedDate(const QDate& date);

    QFrame* Panel1 = nullptr;
    QCalendarWidget* Calendar = nullptr;
    QToolButton* MonthDown = nullptr; // the month spinner's left and right arrows
    QToolButton* MonthUp = nullptr;
    QLabel* lblMonth = nullptr;    // the month and year on view, between the month arrows
    QToolButton* YearUp = nullptr; // the year spinner's up and down arrows
    QToolButton* YearDown = nullptr;
    QToolButton* btnOk = nullptr;
    QToolButton* btnCancel = nullptr;

public Q_SLOTS:
    void MonthSpinnerClick(int months);
    void YearSpinnerClick(int years);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QDate picked_;
};
