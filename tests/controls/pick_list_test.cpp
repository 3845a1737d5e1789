#include "controls/pick_list.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(PickList, TabStopTexts) {
    struct Case {
        QString text;
        QStringList stops;
        QString error;
    };
    const std::vector<Case> cases = {
        {"10;20;30", {"10", "20", "30"}, ""},
        {"16", {"16"}, ""},
        {"", {}, ""},
        {"5;;10", {"5"}, " is an invalid tab stop"},
        {";5", {}, ";5 is an invalid tab stop"},
        {"5;10;", {"5", "10"}, " is an invalid tab stop"},
        {"8;x;9", {"8"}, "x is an invalid tab stop"},
        {"-4", {"-4"}, ""},
    };
    for (const Case& c : cases) {
        const TabStopParse p = parseTabStops(c.text);
        EXPECT_EQ(p.stops, c.stops) << c.text.toStdString();
        EXPECT_EQ(p.error, c.error) << c.text.toStdString();
    }
}

TEST(PickList, SettingStopsKeepsThoseBeforeTheBadTokenAndReadsBack) {
    TPickList list;
    list.setTabStops("10;20;30");
    EXPECT_EQ(list.TabStops(), "10;20;30");
    try {
        list.setTabStops("5;10;");
        FAIL() << "no error";
    } catch (const TabStopError& e) {
        EXPECT_EQ(e.message(), " is an invalid tab stop");
    }
    EXPECT_EQ(list.TabStops(), "5;10");
    list.setTabStops("");
    EXPECT_EQ(list.TabStops(), "");
}

TEST(PickList, TabPositionsCountFromTheLeftEdge) {
    const std::vector<int> tabs = tabPixels({"16", "0", "4"}, 7);
    EXPECT_EQ(tabs, (std::vector<int>{28, 112}));
    struct Case {
        int x, next;
    };
    for (const Case c : {Case{0, 28}, Case{28, 112}, Case{50, 112}, Case{112, 168}, Case{170, 224}})
        EXPECT_EQ(nextTabPosition(c.x, tabs, 7), c.next) << c.x;

    // A stop far past any screen stays a position a drawn text can still be placed at.
    for (const char* stop : {"2147483647", "999999999", "306783379"}) {
        const std::vector<int> far = tabPixels({stop, "4"}, 7);
        ASSERT_EQ(far.size(), 2u) << stop;
        EXPECT_EQ(far[0], 28) << stop;
        EXPECT_GT(far[1], 28) << stop;
        EXPECT_LT(far[1], 1 << 24) << stop;
        EXPECT_EQ(nextTabPosition(far[1], far, 7) % 56, 0) << stop;
    }
}

TEST(PickList, SelectionIsTheCheckedStateAndSortedInsertIgnoresCase) {
    TPickList list;
    list.Sorted = true;
    list.setMultiSelect(true);
    for (const char* t : {"*.tmp", "*.BAK", "*.old", "*.$$$"})
        list.add(t);
    EXPECT_EQ(list.texts(), (QStringList{"*.$$$", "*.BAK", "*.old", "*.tmp"}));
    list.item(1)->setSelected(true);
    list.item(3)->setSelected(true);
    EXPECT_EQ(list.selectedTexts(), (QStringList{"*.BAK", "*.tmp"}));
    for (int i = 0; i < list.count(); ++i)
        EXPECT_EQ(list.item(i)->data(Qt::CheckStateRole).toInt(),
                  list.item(i)->isSelected() ? Qt::Checked : Qt::Unchecked)
            << i;
    // What a screen reader is told about each item.
    list.show();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&list);
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->childCount(), 4);
    EXPECT_TRUE(a->child(1)->state().checked);
    EXPECT_FALSE(a->child(2)->state().checked);
    // The platform's drawing shows no box of its own.
    list.setSelectedStyle(TSelectedStyle::psStandard);
    EXPECT_FALSE(list.item(1)->data(Qt::CheckStateRole).isValid());
}

TEST(PickList, ChangeOnlyWhenTheClickMovesTheCurrentItem) {
    TPickList list;
    list.resize(200, 100);
    list.add("a");
    list.add("b");
    list.show();
    QSignalSpy spy(&list, &TPickList::OnChange);
    const auto click = [&](int row) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.item(row)).center());
    };
    click(1);
    click(1);
    click(0);
    EXPECT_EQ(spy.count(), 2);
}
