#include "widgets/grid_sort.h"

#include "platform/date_text.h"
#include "widgets/string_grid.h"

#include <QHash>
#include <QLocale>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Clamps first .. last to the data rows; false when fewer than two rows remain.
bool dataRange(const StringGrid& grid, int& first, int& last) {
    first = std::max(first, 1);
    last = std::min(last, grid.rowCount() - 1);
    return last > first;
}

// Moves grid rows into the order of `positions` (offsets from `first`).
template <typename Entries> void applyOrder(StringGrid& grid, int first, const Entries& entries) {
    std::vector<int> order(entries.size());
    for (std::size_t p = 0; p < entries.size(); ++p)
        order[p] = first + int(entries[p].second);
    grid.permuteRows(first, order);
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
    applyOrder(grid, first, keyed);
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

// A key that can be ordered: a NaN would break the sort's ordering.
double orderable(double v) {
    return std::isnan(v) ? 0.0 : v;
}

qint64 defaultDateKey() {
    return QDate(1900, 1, 1).toJulianDay();
}

// ---- text keys -----------------------------------------------------------------------------
//
// Comparing a million strings through their pointers costs cache misses per comparison, so
// texts are sorted by eight UTF-16 code units at a time held in the sort entries themselves:
// sort by the first eight, then, within each run of equal entries, by the next eight, and so
// on (a most-significant-digit radix sort with stable sorts as its digit sorts). The result
// is the plain code-by-code order; a shorter text comes before a longer one it begins.

struct TextEntry {
    quint64 hi = 0;                 // code units 0 .. 3 of the current eight, first highest
    quint64 lo = 0;                 // code units 4 .. 7
    const char16_t* text = nullptr; // the cell text (kept alive by the caller)
    qint32 size = 0;                // its length
    qint32 second = 0;              // the row's position in the range (named for applyOrder)
};

// Four code units from `from` on, upper-cased as text keys are (a to z only), most
// significant first; 0 past the end, so a shorter text sorts before a longer one it begins.
quint64 packUnits(const TextEntry& e, qsizetype from) {
    quint64 v = 0;
    for (qsizetype i = from; i < from + 4; ++i) {
        char16_t c = i < e.size ? e.text[i] : 0u;
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - (u'a' - u'A'));
        v = (v << 16) | c;
    }
    return v;
}

void loadDigits(TextEntry& e, qsizetype offset) {
    e.hi = packUnits(e, offset);
    e.lo = packUnits(e, offset + 4);
}

// Sorts entries whose first eight units are loaded already.
void sortTextEntries(std::vector<TextEntry>& e, bool descending) {
    struct Pending {
        std::size_t begin, end;
        qsizetype offset;
    };
    const auto less = [descending](const TextEntry& a, const TextEntry& b) {
        if (descending)
            return b.hi != a.hi ? b.hi < a.hi : b.lo < a.lo;
        return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo;
    };
    std::vector<Pending> pending{{0, e.size(), 0}};
    while (!pending.empty()) {
        const Pending run = pending.back();
        pending.pop_back();
        if (run.offset > 0)
            for (std::size_t i = run.begin; i < run.end; ++i)
                loadDigits(e[i], run.offset);
        std::stable_sort(e.begin() + run.begin, e.begin() + run.end, less);
        // Runs of equal digits go on with the next eight units while any text in the run is
        // longer than what was compared so far.
        std::size_t i = run.begin;
        while (i < run.end) {
            std::size_t j = i + 1;
            bool longer = e[i].size > run.offset + 8;
            while (j < run.end && e[j].hi == e[i].hi && e[j].lo == e[i].lo) {
                longer = longer || e[j].size > run.offset + 8;
                ++j;
            }
            if (j - i > 1 && longer)
                pending.push_back({i, j, run.offset + 8});
            i = j;
        }
    }
}

// ---- number keys ---------------------------------------------------------------------------

// Reads plain ASCII numbers ("1,234", " 12.5") without going through QLocale; nullopt when
// the text needs the slow path.
std::optional<double> fastNumber(const QString& cell) {
    char buf[64];
    int n = 0;
    qsizetype i = 0, end = cell.size();
    while (i < end && cell.at(i).isSpace())
        ++i;
    while (end > i && cell.at(end - 1).isSpace())
        --end;
    if (i < end && cell.at(i) == u'+')
        ++i;
    for (; i < end; ++i) {
        const char16_t c = cell.at(i).unicode();
        if (c == u',')
            continue;
        if (c > 127 || n == int(sizeof buf))
            return std::nullopt;
        buf[n++] = char(c);
    }
    if (n == 0)
        return 0.0;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(buf, buf + n, v);
    if (ptr != buf + n)
        return std::nullopt;
    if (ec == std::errc::result_out_of_range)
        return buf[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    if (ec != std::errc())
        return std::nullopt;
    return v;
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
    if (const std::optional<double> v = fastNumber(cell))
        return orderable(*v);
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
        // The cells are kept as they are (upper-cased while packed), and their first eight
        // units are packed while each text is at hand.
        std::vector<QString> keys(n);
        std::vector<TextEntry> entries(n);
        forEachCell(grid, first, n, column, [&](int i, QString text) {
            keys[i] = std::move(text);
            TextEntry& e = entries[i];
            e.text = reinterpret_cast<const char16_t*>(keys[i].constData());
            e.size = qint32(std::min<qsizetype>(keys[i].size(), INT_MAX));
            e.second = i;
            loadDigits(e, 0);
        });
        sortTextEntries(entries, descending);
        applyOrder(grid, first, entries);
        break;
    }
    case SortKind::Number: {
        std::vector<std::pair<double, int>> keyed(n);
        forEachCell(grid, first, n, column, [&](int i, const QString& text) {
            keyed[i] = {numberSortKey(text), i};
        });
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
