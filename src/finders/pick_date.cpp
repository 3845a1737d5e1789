#include "finders/pick_date.h"

#include "common/face_colours.h"
#include "platform/clock.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <algorithm>

QDate shiftPickDate(const QDate& date, int months) {
    const int index = date.year() * 12 + (date.month() - 1) + months;
    const int first = kFirstPickYear * 12;
    const int last = kLastPickYear * 12 + 11;
    const int clamped = std::clamp(index, first, last);
    const int year = clamped / 12;
    const int month = clamped % 12 + 1;
    const int days = QDate(year, month, 1).daysInMonth();
    return QDate(year, month, std::min(date.day(), days));
}

namespace {
// The month calendar with its own day cells: the displayed month's days as buttons (the
// selected one pressed in), the neighbouring months' days as teal cells outlined in navy. The
// numbers are black, and white on a button face too dark for black (a dark desktop palette).
class PickCalendar : public QCalendarWidget {
public:
    using QCalendarWidget::QCalendarWidget;

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override {
        painter->save();
        painter->setPen(palette().color(QPalette::Button));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        const QRect cell = rect.adjusted(1, 1, -1, -1);
        const bool shownMonth = date.month() == monthShown() && date.year() == yearShown();
        if (shownMonth) {
            QStyleOptionButton button;
            button.rect = cell;
            button.palette = palette();
            button.state = QStyle::State_Enabled |
                           (date == selectedDate() ? QStyle::State_Sunken | QStyle::State_HasFocus
                                                   : QStyle::State_Raised);
            style()->drawControl(QStyle::CE_PushButtonBevel, &button, painter, this);
            painter->setPen(textColourOn(palette().color(QPalette::Button)));
        } else {
            painter->setPen(QColor(Qt::darkBlue));
            painter->setBrush(QColor(Qt::darkCyan));
            painter->drawRect(cell.adjusted(0, 0, -1, -1));
            painter->setPen(Qt::black);
        }
        painter->drawText(cell, Qt::AlignCenter, QString::number(date.day()));
        painter->restore();
    }
};

// One arrow of a spinner: the spinner's hint as its tooltip, and a name of its own for screen
// readers, which cannot tell the arrows apart by the hint they share.
QToolButton* makeSpin(QWidget* parent, const char* name, Qt::ArrowType arrow, const QString& hint,
                      const QString& accessibleName, const QRect& r) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setArrowType(arrow);
    b->setToolTip(hint);
    b->setAccessibleName(accessibleName);
    b->setAccessibleDescription(hint);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus); // the focus stays on the calendar
    b->setGeometry(r);
    return b;
}

QDate today() {
    return currentDateTime().date();
}
} // namespace

TfrmPickDate::TfrmPickDate(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmPickDate"));
    setWindowTitle(QStringLiteral("Calendar"));
    setFixedSize(285, 202);
    // Six weeks and the day names fill the calendar's fixed 158 pixels at this size; the
    // desktop's own font may be larger and would cut the last week off.
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(3);
    Panel1->setGeometry(rect());

    Calendar = new PickCalendar(Panel1);
    Calendar->setObjectName(QStringLiteral("Calendar"));
    Calendar->setGeometry(6, 6, 240, 158);
    // The spinners move the month and the year; the label between the month arrows shows
    // which month is on view.
    Calendar->setNavigationBarVisible(false);
    Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar->setDateRange(QDate(kFirstPickYear, 1, 1), QDate(kLastPickYear, 12, 31));
    Calendar->setAccessibleName(QStringLiteral("Calendar"));

    const QString month = QStringLiteral("Change the displayed month");
    const QString year = QStringLiteral("Change the displayed year");
    MonthDown = makeSpin(Panel1, "MonthDown", Qt::LeftArrow, month,
                         QStringLiteral("Previous month"), QRect(6, 170, 26, 24));
    MonthUp = makeSpin(Panel1, "MonthUp", Qt::RightArrow, month, QStringLiteral("Next month"),
                       QRect(160, 170, 26, 24));
    YearUp = makeSpin(Panel1, "YearUp", Qt::UpArrow, year, QStringLiteral("Next year"),
                      QRect(250, 6, 28, 94));
    YearDown = makeSpin(Panel1, "YearDown", Qt::DownArrow, year, QStringLiteral("Previous year"),
                        QRect(250, 100, 28, 94));
    lblMonth = new QLabel(Panel1);
    lblMonth->setObjectName(QStringLiteral("lblMonth"));
    lblMonth->setAlignment(Qt::AlignCenter);
    lblMonth->setGeometry(32, 170, 128, 24);
    const auto showMonth = [this](int year, int month) {
        lblMonth->setText(QLocale().standaloneMonthName(month) + u' ' + QString::number(year));
    };
    connect(Calendar, &QCalendarWidget::currentPageChanged, this, showMonth);
    showMonth(Calendar->yearShown(), Calendar->monthShown());

    btnOk = new QToolButton(Panel1);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setToolTip(QStringLiteral("Select date"));
    btnOk->setAccessibleName(QStringLiteral("Select date"));
    btnOk->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    btnOk->setGeometry(218, 170, 28, 24);
    btnCancel = new QToolButton(Panel1);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setToolTip(QStringLiteral("Cancel"));
    btnCancel->setAccessibleName(QStringLiteral("Cancel"));
    btnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    btnCancel->setGeometry(190, 170, 28, 24);

    connect(MonthDown, &QToolButton::clicked, this, [this] { MonthSpinnerClick(-1); });
    connect(MonthUp, &QToolButton::clicked, this, [this] { MonthSpinnerClick(1); });
    connect(YearUp, &QToolButton::clicked, this, [this] { YearSpinnerClick(1); });
    connect(YearDown, &QToolButton::clicked, this, [this] { YearSpinnerClick(-1); });
    connect(btnOk, &QToolButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QToolButton::clicked, this, &QDialog::reject);
    connect(Calendar, &QCalendarWidget::activated, this, &QDialog::accept); // double click
    // The window sees key presses before the calendar does.
    Calendar->installEventFilter(this);
    const auto children = Calendar->findChildren<QWidget*>();
    for (QWidget* w : children)
        w->installEventFilter(this);
}

QDate TfrmPickDate::pickedDate() const {
    return Calendar->selectedDate();
}

void TfrmPickDate::setPickedDate(const QDate& date) {
    picked_ = date.isValid() ? date : today();
    Calendar->setSelectedDate(picked_);
}

void TfrmPickDate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!picked_.isValid())
        setPickedDate(QDate());
    Calendar->setFocus();
}

void TfrmPickDate::MonthSpinnerClick(int months) {
    Calendar->setSelectedDate(shiftPickDate(Calendar->selectedDate(), months));
    Calendar->setFocus();
}

void TfrmPickDate::YearSpinnerClick(int years) {
    MonthSpinnerClick(years * 12);
}

bool TfrmPickDate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Home:
            Calendar->setSelectedDate(today());
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            accept();
            return true;
        case Qt::Key_Escape:
            reject();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
