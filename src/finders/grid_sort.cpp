#include "finders/grid_sort.h"

#include "platform/date_text.h"
#include "widgets/string_grid.h"

#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// Clamps first .. last to the data rows; false when fewer than two rows remain.
bool dataRange(const StringGrid& grid, int& first, int& last) {
    first = std::max(first, 1);
    last = std::min(last, grid.rowCount() - 1);
    return last > first;
}

// Sorts (key, position) pairs by key alone, keeping equal keys in their order, and moves the
// grid rows accordingly in one pass.
template <typename Key>
void sortByKeys(StringGrid& grid, int first, std::vector<std::pair<Key, int>>& keyed,
                bool descending) {
    if (descending)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return b.first < a.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> order(keyed.size());
    for (std::size_t p = 0; p < keyed.size(); ++p)
        order[p] = first + keyed[p].second;
    grid.permuteRows(first, order);
}

// A key that can be ordered: a NaN would break the sort's ordering.
double orderable(double v) {
    return std::isnan(v) ? 0.0 : v;
}

qint64 defaultDateKey() {
    return QDate(1900, 1, 1).toJulianDay();
}

} // namespace

QString textSortKey(const QString& cell) {
    QString key = cell;
    for (QChar& c : key)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return key;
}

double numberSortKey(const QString& cell) {
    QString text = cell.trimmed();
    text.remove(u',');
    bool ok = false;
    double v = QLocale::c().toDouble(text, &ok);
    if (!ok)
        v = QLocale().toDouble(text, &ok); // the locale's own grouping, e.g. "1.234"
    return ok ? orderable(v) : 0.0;
}

qint64 dateSortKey(const QString& cell) {
    if (cell.isEmpty())
        return defaultDateKey();
    const QDate date = parseShortDate(cell);
    return date.isValid() ? date.toJulianDay() : defaultDateKey();
}

void sortGridRows(StringGrid& grid, int first, int last, bool descending, int column,
                  SortKind kind) {
    if (!dataRange(grid, first, last))
        return;
    const int n = last - first + 1;
    switch (kind) {
    case SortKind::Text: {
        std::vector<std::pair<QString, int>> keyed(n);
        for (int i = 0; i < n; ++i)
            keyed[i] = {textSortKey(grid.cell(column, first + i)), i};
        sortByKeys(grid, first, keyed, descending);
        break;
    }
    case SortKind::Number: {
        std::vector<std::pair<double, int>> keyed(n);
        for (int i = 0; i < n; ++i)
            keyed[i] = {numberSortKey(grid.cell(column, first + i)), i};
        sortByKeys(grid, first, keyed, descending);
        break;
    }
    case SortKind::Date: {
        // Reading a date through the locale is slow and a list holds few distinct dates, so
        // each distinct text is read once.
        QHash<QString, qint64> known;
        std::vector<std::pair<qint64, int>> keyed(n);
        for (int i = 0; i < n; ++i) {
            const QString text = grid.cell(column, first + i);
            auto it = known.constFind(text);
            if (it == known.constEnd())
                it = known.insert(text, dateSortKey(text));
            keyed[i] = {it.value(), i};
        }
        sortByKeys(grid, first, keyed, descending);
        break;
    }
    }
}

void sortGridRowsBy(StringGrid& grid, int first, int last, bool descending,
                    const std::function<double(int row)>& key) {
    if (!key || !dataRange(grid, first, last))
        return;
    const int n = last - first + 1;
    std::vector<std::pair<double, int>> keyed(n);
    for (int i = 0; i < n; ++i)
        keyed[i] = {orderable(key(first + i)), i};
    sortByKeys(grid, first, keyed, descending);
}
