#include "widgets/grid_sort.h"

#include "platform/date_text.h"
#include "widgets/string_grid.h"

#include <QDate>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

// A grid whose column 0 holds `texts` in rows 1 .. n and whose column 1 holds each row's
// original number, so a test can see where rows went.
void fill(StringGrid& grid, const QStringList& texts) {
    grid.setColCount(2);
    grid.setRowCount(int(texts.size()) + 1);
    for (int i = 0; i < texts.size(); ++i)
        grid.setRowCells(i + 1, {texts[i], QString::number(i + 1)});
}

QStringList column(const StringGrid& grid, int col) {
    QStringList out;
    for (int r = 1; r < grid.rowCount(); ++r)
        out.append(grid.cell(col, r));
    return out;
}

} // namespace

TEST(GridSort, TextUpperCasesOnlyAsciiLettersAndComparesCodes) {
    EXPECT_EQ(textSortKey(QStringLiteral("abc-xyzé")), QStringLiteral("ABC-XYZé"));

    StringGrid grid;
    fill(grid, {"banana", "_under", "Apple", "apple", "Zed", "cherry", "éclair", "10", "9"});
    sortGridRows(grid, 1, grid.rowCount() - 1, false, 0, SortKind::Text);
    // Digits < upper-case letters < "_" < letters beyond ASCII; "Apple" and "apple" are equal
    // keys and keep their order.
    EXPECT_EQ(column(grid, 0), QStringList({"10", "9", "Apple", "apple", "banana", "cherry", "Zed",
                                            "_under", "éclair"}));

    sortGridRows(grid, 1, grid.rowCount() - 1, true, 0, SortKind::Text);
    EXPECT_EQ(column(grid, 0), QStringList({"éclair", "_under", "Zed", "cherry", "banana", "Apple",
                                            "apple", "9", "10"}));
}

TEST(GridSort, TextsSharingLongBeginnings) {
    // Paths share long beginnings; texts differ only far in, or only in length or case.
    const QString base = QStringLiteral("/home/someone/projects/zelkova/");
    StringGrid grid;
    fill(grid, {base + "b/x.txt", base + "a/y.txt", base + "a/", base + "A/y.txt",
                base + "a/y.txt.bak", base + "a", base + "a/y.txt", base + "a/y.txs"});
    sortGridRows(grid, 1, grid.rowCount() - 1, false, 0, SortKind::Text);
    EXPECT_EQ(column(grid, 0), QStringList({base + "a", base + "a/", base + "a/y.txs",
                                            base + "a/y.txt", base + "A/y.txt", base + "a/y.txt",
                                            base + "a/y.txt.bak", base + "b/x.txt"}));
    EXPECT_EQ(column(grid, 1), QStringList({"6", "3", "8", "2", "4", "7", "5", "1"}));

    sortGridRows(grid, 1, grid.rowCount() - 1, true, 0, SortKind::Text);
    EXPECT_EQ(column(grid, 1), QStringList({"1", "5", "2", "4", "7", "8", "3", "6"}));
}

TEST(GridSort, NumbersDropCommasAndUnreadableCountsZero) {
    EXPECT_DOUBLE_EQ(numberSortKey(QStringLiteral("1,234,567")), 1234567.0);
    EXPECT_DOUBLE_EQ(numberSortKey(QStringLiteral(" 12.5 ")), 12.5);
    EXPECT_DOUBLE_EQ(numberSortKey(QStringLiteral("abc")), 0.0);
    EXPECT_DOUBLE_EQ(numberSortKey(QString()), 0.0);
    EXPECT_DOUBLE_EQ(numberSortKey(QStringLiteral("nan")), 0.0);

    StringGrid grid;
    fill(grid, {"999", "1,000", "-3", "junk", "12.5", "2,000,000"});
    sortGridRows(grid, 1, grid.rowCount() - 1, true, 0, SortKind::Number);
    EXPECT_EQ(column(grid, 0), QStringList({"2,000,000", "1,000", "999", "12.5", "junk", "-3"}));
    sortGridRows(grid, 1, grid.rowCount() - 1, false, 0, SortKind::Number);
    EXPECT_EQ(column(grid, 0), QStringList({"-3", "junk", "12.5", "999", "1,000", "2,000,000"}));
}

TEST(GridSort, DatesInTheShortFormWithUnreadableAs1900) {
    const QString d1850 = shortDateText(QDate(1850, 3, 1));
    const QString d1999 = shortDateText(QDate(1999, 12, 31));
    const QString d2000 = shortDateText(QDate(2000, 1, 1));
    const QString d2024 = shortDateText(QDate(2024, 2, 29));
    EXPECT_EQ(dateSortKey(d2024), QDate(2024, 2, 29).toJulianDay());
    EXPECT_EQ(dateSortKey(QString()), QDate(1900, 1, 1).toJulianDay());
    EXPECT_EQ(dateSortKey(QStringLiteral("not a date")), QDate(1900, 1, 1).toJulianDay());

    StringGrid grid;
    fill(grid, {d1999, QString(), d2024, d1850, QStringLiteral("31/31/31"), d2000, d2024});
    // Newest first; the empty and unreadable cells count as 1900 and keep their order.
    sortGridRows(grid, 1, grid.rowCount() - 1, true, 0, SortKind::Date);
    EXPECT_EQ(column(grid, 0), QStringList({d2024, d2024, d2000, d1999, QString(),
                                            QStringLiteral("31/31/31"), d1850}));
    EXPECT_EQ(column(grid, 1), QStringList({"3", "7", "6", "1", "2", "5", "4"}));
}

TEST(GridSort, SortsOnlyTheGivenRangeAndMovesWholeRows) {
    StringGrid grid;
    fill(grid, {"d", "c", "b", "a", "e"});
    grid.setMarked(3, true);
    sortGridRows(grid, 2, 4, false, 0, SortKind::Text);
    EXPECT_EQ(column(grid, 0), QStringList({"d", "a", "b", "c", "e"}));
    EXPECT_EQ(column(grid, 1), QStringList({"1", "4", "3", "2", "5"}));
    EXPECT_TRUE(grid.marked(3)); // "b" stayed in row 3
    // Ranges reaching past the grid are clipped; one row or none is left alone.
    sortGridRows(grid, -5, 99, true, 0, SortKind::Text);
    EXPECT_EQ(column(grid, 0), QStringList({"e", "d", "c", "b", "a"}));
    EXPECT_TRUE(grid.marked(4));
    sortGridRows(grid, 3, 3, false, 0, SortKind::Text);
    EXPECT_EQ(column(grid, 0), QStringList({"e", "d", "c", "b", "a"}));
}

TEST(GridSort, SeventyThousandKeyedRowsWithCallerKeys) {
    // Far beyond 65,535 rows: every row takes part, marks travel with their rows.
    const int n = 70000;
    StringGrid grid;
    grid.setColCount(1);
    grid.setRowSource([](quint32 key, int) { return QString::number(key); });
    std::vector<quint32> keys(n);
    for (int i = 0; i < n; ++i)
        keys[i] = quint32((i * 7919) % n); // a permutation of 0 .. n-1
    grid.setKeyedRows(1, keys);
    for (int r = 1; r <= n; ++r)
        if (grid.rowKey(r) % 1000 == 0)
            grid.setMarked(r, true);

    sortGridRows(grid, 1, n, false, 0, SortKind::Number);
    for (int r = 1; r <= n; ++r) {
        ASSERT_EQ(grid.rowKey(r), quint32(r - 1)) << "row " << r;
        ASSERT_EQ(grid.marked(r), (r - 1) % 1000 == 0) << "row " << r;
    }

    // Keys from the caller's own records, largest first; a NaN key counts as 0.
    sortGridRowsBy(grid, 1, n, true, [&](int row) {
        const quint32 k = grid.rowKey(row);
        return k == 5 ? std::numeric_limits<double>::quiet_NaN() : double(k);
    });
    EXPECT_EQ(grid.rowKey(1), quint32(n - 1));
    EXPECT_EQ(grid.rowKey(n - 5), 4u);
    EXPECT_EQ(grid.rowKey(n - 1), 0u); // NaN ties with 0 and kept its earlier place
    EXPECT_EQ(grid.rowKey(n), 5u);
    EXPECT_TRUE(grid.marked(n - 1)); // key 0 is marked
}
