#include "finders/date_fields.h"

#include "common/message_boxes.h"
#include "common/ui.h"
#include "finders/finder_window.h"
#include "finders/pick_date.h"
#include "platform/clock.h"
#include "platform/date_text.h"

#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

QString todayText() {
    return shortDateText(currentDateTime().date());
}

namespace {
QLineEdit* makeDateField(QWidget* parent, const char* name, const QString& accessible) {
    auto* e = new QLineEdit(QLatin1String(name), parent);
    e->setObjectName(QLatin1String(name));
    e->setAccessibleName(accessible);
    fixAtLeast(e, std::max(100, e->fontMetrics().horizontalAdvance(todayText()) + 16), 24);
    return e;
}

QToolButton* makePopButton(QWidget* parent, const char* name, const QString& accessible) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QStringLiteral("Popup Calendar"));
    b->setAccessibleName(accessible);
    b->setAutoRaise(true);
    b->setIcon(b->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    fixAtLeast(b, 24, 24);
    return b;
}
} // namespace

QHBoxLayout* makeDateRangeRow(QWidget* parent, QLineEdit*& start, QToolButton*& popStart,
                              QLabel*& andLabel, QLineEdit*& end, QToolButton*& popEnd) {
    start = makeDateField(parent, "dtStart", QStringLiteral("Start date"));
    popStart = makePopButton(parent, "popStartDate", QStringLiteral("Pick the start date"));
    andLabel = panelLabel(parent, "lblAnd", QStringLiteral("and"), 28, 2);
    end = makeDateField(parent, "dtEnd", QStringLiteral("End date"));
    popEnd = makePopButton(parent, "popEndDate", QStringLiteral("Pick the end date"));
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(start);
    row->addSpacing(2);
    row->addWidget(popStart);
    row->addSpacing(4);
    row->addWidget(andLabel);
    row->addWidget(end);
    row->addSpacing(2);
    row->addWidget(popEnd);
    row->addStretch(1);
    return row;
}

DateFields::DateFields(QWidget& window, QLineEdit& start, QLineEdit& end)
    : QObject(&window), window_(window), start_(start), end_(end) {
    start_.installEventFilter(this);
    end_.installEventFilter(this);
}

bool DateFields::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the window (another window, a menu) is not leaving the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == &start_)
                startExit();
            else if (watched == &end_)
                endExit();
        }
    }
    return QObject::eventFilter(watched, event);
}

void DateFields::check(QLineEdit& field, const QString& error) {
    if (checking_ || !field.isVisible() || parseShortDate(field.text()).isValid())
        return;
    checking_ = true;
    errorBox(error);
    field.setFocus();
    field.selectAll();
    checking_ = false;
}

void DateFields::startExit() {
    check(start_, QStringLiteral("Invalid start date"));
}

void DateFields::endExit() {
    check(end_, QStringLiteral("Invalid ending date"));
}

void DateFields::pick(bool start) {
    QLineEdit& field = start ? start_ : end_;
    checking_ = true; // the picker takes the focus; the field is checked after it
    field.setFocus();
    if (field.text().trimmed().isEmpty())
        field.setText(todayText());
    const QDate date = parseShortDate(field.text());
    if (!date.isValid()) {
        errorBox(QStringLiteral("'%1' is not a valid date").arg(field.text()));
        checking_ = false;
        return;
    }
    TfrmPickDate picker(&window_);
    picker.move(field.mapToGlobal(QPoint(0, field.height())));
    picker.setPickedDate(date);
    if (ui().showModal(picker) == QDialog::Accepted) {
        field.setText(shortDateText(picker.pickedDate()));
        field.selectAll();
    }
    checking_ = false;
    // Keep start <= end: the field just edited wins.
    const QDate s = parseShortDate(start_.text());
    const QDate e = parseShortDate(end_.text());
    if (s.isValid() && e.isValid() && s > e) {
        if (start)
            end_.setText(start_.text());
        else
            start_.setText(end_.text());
    }
}
