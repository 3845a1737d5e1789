#include "widgets/grid_sort.h"

#include "widgets/string_grid.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace {

// Clamps first .. last to the data rows; false when fewer than two rows remain.
bool dataRange(const StringGrid& grid, int& first, int& last) {
    first = std::max(first, 1);
    last = std::min(last, grid.rowCount() - 1);
    return last > first;
}

// Moves grid rows into `order` (positions counted from `first`).
void applyOrder(StringGrid& grid, int first, std::vector<int> order) {
    for (int& p : order)
        p += first;
    grid.permuteRows(first, order);
}

// Calls fn(position, text) for the cell of `column` in each of rows first .. first + n - 1.
// Keyed rows are read in the order of their keys, so that a finder's records, which lie in
// memory in key order, are visited one after the other instead of at random (after an
// earlier sort the rows' keys are shuffled); the reading order does not change the result.
// This pays off for texts, whose characters the sort reads again later; a number or a date
// is used up at once, and there the extra ordering costs more than it saves.
template <typename Fn>
void forEachCell(const StringGrid& grid, int first, int n, int column, Fn fn) {
    std::vector<quint64> keyed;
    keyed.reserve(n);
    for (int i = 0; i < n; ++i) {
        if (grid.isKeyedRow(first + i))
            keyed.push_back(quint64(grid.rowKey(first + i)) << 32 | quint32(i));
        else
            fn(i, grid.cell(column, first + i));
    }
    std::sort(keyed.begin(), keyed.end());
    for (const quint64 k : keyed) {
        const int i = int(quint32(k));
        fn(i, grid.cell(column, first + i));
    }
}

} // namespace

void sortGridRows(StringGrid& grid, int first, int last, bool descending, int column,
                  SortKind kind) {
    if (!dataRange(grid, first, last))
        return;
    const int n = last - first + 1;
    switch (kind) {
    case SortKind::Text: {
        TextOrder texts(n);
        forEachCell(grid, first, n, column,
                    [&](int i, QString text) { texts.set(i, std::move(text)); });
        applyOrder(grid, first, texts.order(descending));
        break;
    }
    case SortKind::Number: {
        std::vector<double> keys(n);
        forEachCell(grid, first, n, column,
                    [&](int i, const QString& text) { keys[i] = numberSortKey(text); });
        applyOrder(grid, first, keyOrder(keys, descending));
        break;
    }
    case SortKind::Date: {
        // Reading a date through the locale is slow and a list holds few distinct dates, so
        // each distinct text is read once.
        QHash<QString, qint64> known;
        std::vector<qint64> keys(n);
        for (int i = 0; i < n; ++i) {
            const QString text = grid.cell(column, first + i);
            auto it = known.constFind(text);
            if (it == known.constEnd())
                it = known.insert(text, dateSortKey(text));
            keys[i] = it.value();
        }
        applyOrder(grid, first, keyOrder(keys, descending));
        break;
    }
    }
}

void sortGridRowsBy(StringGrid& grid, int first, int last, bool descending,
                    const std::function<double(int row)>& key) {
    if (!key || !dataRange(grid, first, last))
        return;
    const int n = last - first + 1;
    std::vector<double> keys(n);
    for (int i = 0; i < n; ++i)
        keys[i] = key(first + i);
    applyOrder(grid, first, keyOrder(keys, descending));
}
