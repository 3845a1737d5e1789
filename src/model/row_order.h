#pragma once

#include <QString>
#include <vector>

// How the rows of a result list are ordered, without the grid that shows them: the keys a
// column's texts are read as, and stable orders of those keys (equal keys keep their order).
enum class SortKind {
    Text,   // the cell upper-cased (a to z only), compared character code by character code
    Number, // the cell with every "," removed, read as a number; unreadable counts 0
    Date,   // the cell read as a short date; empty or unreadable counts 1 January 1900
};

// The keys of the three kinds, as the sort compares them.
QString textSortKey(const QString& cell);
double numberSortKey(const QString& cell);
// The date's Julian day number; that of 1 January 1900 for an empty or unreadable date.
qint64 dateSortKey(const QString& cell);

// The order of `keys`: positions into them, smallest key first (largest first when
// `descending`). A NaN counts as 0.
std::vector<int> keyOrder(const std::vector<double>& keys, bool descending);
std::vector<int> keyOrder(const std::vector<qint64>& keys, bool descending);

// The order of n texts compared as text keys. Each text is handed over once with set(), in
// any order of positions; a shorter text comes before a longer one it begins.
class TextOrder {
public:
    explicit TextOrder(int n);
    // Keeps `text` as the text at `position` (0 .. n-1).
    void set(int position, QString text);
    // Positions into the texts, in order.
    std::vector<int> order(bool descending);

private:
    // A text with the eight code units it is compared by next, packed into the entry so that
    // the sort rarely follows the pointer.
    struct Entry {
        quint64 hi = 0;                 // code units 0 .. 3 of the current eight, first highest
        quint64 lo = 0;                 // code units 4 .. 7
        const char16_t* text = nullptr; // the text (kept alive in texts_)
        qint32 size = 0;                // its length
        qint32 position = 0;            // its position among the texts
    };
    std::vector<QString> texts_;
    std::vector<Entry> entries_;
};
