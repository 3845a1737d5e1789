#pragma once

#include "model/row_order.h"

#include <QString>
#include <functional>

class StringGrid;

// The grid row sort shared by every finder. Rows move whole (cells or key, and mark); rows
// with equal keys keep their order. Any number of rows.

// Sorts rows first .. last of `grid` by the text of `column` read as `kind`.
void sortGridRows(StringGrid& grid, int first, int last, bool descending, int column,
                  SortKind kind);

// Sorts rows first .. last by a number the caller makes for each row (for example a size in
// bytes or a packed date from the finder's own records), for grids too large to read back
// their cell texts quickly. `key` is called once per row.
void sortGridRowsBy(StringGrid& grid, int first, int last, bool descending,
                    const std::function<double(int row)>& key);
