#include "finders/date_range.h"
#include "finders/pick_date.h"
#include "platform/clock.h"
#include "platform/date_text.h"

#include <QCalendarWidget>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

qint64 local(int y, int m, int d, int h = 0, int min = 0, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::LocalTime).toSecsSinceEpoch();
}

TEST(DateRange, WholeDaysEachModeAndTimesNoPackedDateHolds) {
    const QDate may10(2020, 5, 10), may12(2020, 5, 12);
    struct Case {
        DateWhen when;
        QDate start, end;
        qint64 time;
        bool passes;
    };
    const Case cases[] = {
        {DateWhen::Before, may10, may10, local(2020, 5, 10, 23, 59, 59), true},
        {DateWhen::Before, may10, may10, local(2020, 5, 11), false},
        {DateWhen::After, may10, may10, local(2020, 5, 10), true},
        {DateWhen::After, may10, may10, local(2020, 5, 9, 23, 59, 59), false},
        // Both ends count; start = end is that one day; start after end lists nothing.
        {DateWhen::Between, may10, may12, local(2020, 5, 10), true},
        {DateWhen::Between, may10, may12, local(2020, 5, 12, 23, 59, 59), true},
        {DateWhen::Between, may10, may12, local(2020, 5, 13), false},
        {DateWhen::Between, may10, may10, local(2020, 5, 10, 12), true},
        {DateWhen::Between, may12, may10, local(2020, 5, 11), false},
        // Past 2038: a real date, not an overflow.
        {DateWhen::After, may10, may10, local(2040, 1, 1), true},
        {DateWhen::Before, may10, may10, local(2040, 1, 1), false},
        // Before 1980, zero and after 2107: no date to show, so "On or Before" only.
        {DateWhen::Before, may10, may10, local(1975, 6, 1), true},
        {DateWhen::Between, QDate(1970, 1, 1), may10, local(1975, 6, 1), false},
        {DateWhen::After, QDate(1970, 1, 1), may10, 0, false},
        {DateWhen::Before, may10, may10, 0, true},
        {DateWhen::After, may10, may10, local(2110, 1, 1), false},
        {DateWhen::Before, may10, may10, local(2110, 1, 1), true},
    };
    int i = 0;
    for (const Case& c : cases) {
        const DateRange range(c.when, c.start, c.end);
        EXPECT_EQ(range.passes(c.time), c.passes) << "case " << i;
        ++i;
    }
}

TEST(PickDate, MonthAndYearStepsKeepTheDayWhereTheMonthHasIt) {
    struct Case {
        QDate from;
        int months;
        QDate to;
    };
    const Case cases[] = {
        {QDate(2024, 3, 31), -1, QDate(2024, 2, 29)},
        {QDate(2023, 1, 31), 1, QDate(2023, 2, 28)},
        {QDate(2024, 2, 29), 12, QDate(2025, 2, 28)},
        {QDate(2024, 12, 15), 1, QDate(2025, 1, 15)},
        {QDate(2024, 1, 15), -1, QDate(2023, 12, 15)},
        // The years stop where four-digit years end.
        {QDate(9999, 12, 5), 1, QDate(9999, 12, 5)},
        {QDate(9999, 6, 5), 12, QDate(9999, 12, 5)},
        {QDate(1000, 1, 5), -1, QDate(1000, 1, 5)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shiftPickDate(c.from, c.months), c.to) << c.from.toString().toStdString();
    for (const QDate& d : {QDate(kFirstPickYear, 1, 1), QDate(kLastPickYear, 12, 31)})
        EXPECT_EQ(parseShortDate(shortDateText(d)), d) << shortDateText(d).toStdString();
}

TEST(PickDate, KeysAndWindowKind) {
    setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(9, 0)); });
    TfrmPickDate picker;
    // Not a pop-up: a click elsewhere must not close it.
    EXPECT_NE(picker.windowType(), Qt::Popup);
    EXPECT_TRUE(picker.windowFlags() & Qt::FramelessWindowHint);
    picker.setPickedDate(QDate(1999, 3, 31));
    picker.MonthSpinnerClick(-1);
    EXPECT_EQ(picker.pickedDate(), QDate(1999, 2, 28));
    picker.YearSpinnerClick(1);
    EXPECT_EQ(picker.pickedDate(), QDate(2000, 2, 28));

    QTest::keyClick(picker.Calendar, Qt::Key_Home);
    EXPECT_EQ(picker.pickedDate(), QDate(2026, 12, 8));
    QTest::keyClick(picker.Calendar, Qt::Key_Escape);
    EXPECT_EQ(picker.result(), QDialog::Rejected);
    QTest::keyClick(picker.Calendar, Qt::Key_Return);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    setClock(nullptr);
}

TEST(PickDate, SpinnersNavigateAndScreenReadersTellTheirArrowsApart) {
    TfrmPickDate picker;
    picker.setPickedDate(QDate(2024, 3, 31));
    picker.show();
    EXPECT_FALSE(picker.Calendar->isNavigationBarVisible());
    const auto onView = [](int month, int year) {
        return QLocale().standaloneMonthName(month) + u' ' + QString::number(year);
    };
    EXPECT_EQ(picker.lblMonth->text(), onView(3, 2024));
    picker.MonthDown->click();
    picker.YearUp->click();
    EXPECT_EQ(picker.lblMonth->text(), onView(2, 2025));
    QSet<QString> names;
    for (const QToolButton* arrow :
         {picker.MonthDown, picker.MonthUp, picker.YearUp, picker.YearDown})
        names.insert(arrow->accessibleName());
    EXPECT_EQ(names.size(), 4);
}

} // namespace
