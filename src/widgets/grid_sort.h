#pragma once

#include <QDate>
#include <QString>
#include <functional>

class StringGrid;

// The grid row sort shared by every finder. Rows move whole (cells or key, and mark); rows
// with equal keys keep their order. Any number of rows.
enum class SortKind {
    Text,   // the cell upper-cased (a to z only), compared character code by character code
    Number, // the cell with every "," removed, read as a number; unreadable counts 0
    Date,   // the cell read as a short date; empty or unreadable counts 1 January 1900
};

// Sorts rows first .. last of `grid` by the text of `column` read as `kind`.
void sortGridRows(StringGrid& grid, int first, int last, bool descending, int column,
                  SortKind kind);

// Sorts rows first .. last by a number the caller makes for each row (for example a size in
// bytes or a packed date from the finder's own records), for grids too large to read back
// their cell texts quickly. `key` is called once per row.
void sortGridRowsBy(StringGrid& grid, int first, int last, bool descending,
                    const std::function<double(int row)>& key);

// The keys of the three kinds, as the sort compares them.
QString textSortKey(const QString& cell);
double numberSortKey(const QString& cell);
// The date's Julian day number; that of 1 January 1900 for an empty or unreadable date.
qint64 dateSortKey(const QString& cell);
