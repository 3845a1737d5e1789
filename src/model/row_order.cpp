#include "model/row_order.h"

#include "platform/date_text.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <utility>

namespace {

// A key that can be ordered: a NaN would break the sort's ordering.
double orderable(double v) {
    return std::isnan(v) ? 0.0 : v;
}

qint64 defaultDateKey() {
    return QDate(1900, 1, 1).toJulianDay();
}

// Sorts (key, position) pairs by key alone, keeping equal keys in their order, and returns
// the positions.
template <typename Key>
std::vector<int> orderOf(std::vector<std::pair<Key, int>>& keyed, bool descending) {
    if (descending)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return b.first < a.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> order(keyed.size());
    for (std::size_t p = 0; p < keyed.size(); ++p)
        order[p] = keyed[p].second;
    return order;
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

std::vector<int> keyOrder(const std::vector<double>& keys, bool descending) {
    std::vector<std::pair<double, int>> keyed(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        keyed[i] = {orderable(keys[i]), int(i)};
    return orderOf(keyed, descending);
}

std::vector<int> keyOrder(const std::vector<qint64>& keys, bool descending) {
    std::vector<std::pair<qint64, int>> keyed(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        keyed[i] = {keys[i], int(i)};
    return orderOf(keyed, descending);
}

// ---- text keys -----------------------------------------------------------------------------
//
// Comparing a million strings through their pointers costs cache misses per comparison, so
// texts are sorted by eight UTF-16 code units at a time held in the sort entries themselves:
// sort by the first eight, then, within each run of equal entries, by the next eight, and so
// on (a most-significant-digit radix sort with stable sorts as its digit sorts). The result
// is the plain code-by-code order; a shorter text comes before a longer one it begins.

namespace {

// Four code units from `from` on, upper-cased as text keys are (a to z only), most
// significant first; 0 past the end, so a shorter text sorts before a longer one it begins.
template <typename Entry> quint64 packUnits(const Entry& e, qsizetype from) {
    quint64 v = 0;
    for (qsizetype i = from; i < from + 4; ++i) {
        char16_t c = i < e.size ? e.text[i] : 0u;
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - (u'a' - u'A'));
        v = (v << 16) | c;
    }
    return v;
}

template <typename Entry> void loadDigits(Entry& e, qsizetype offset) {
    e.hi = packUnits(e, offset);
    e.lo = packUnits(e, offset + 4);
}

// Sorts entries whose first eight units are loaded already.
template <typename Entry> void sortTextEntries(std::vector<Entry>& e, bool descending) {
    struct Pending {
        std::size_t begin, end;
        qsizetype offset;
    };
    const auto less = [descending](const Entry& a, const Entry& b) {
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

} // namespace

TextOrder::TextOrder(int n) : texts_(std::max(n, 0)), entries_(std::max(n, 0)) {}

void TextOrder::set(int position, QString text) {
    // The text is kept as it is (upper-cased while packed), and its first eight units are
    // packed while it is at hand.
    texts_[position] = std::move(text);
    Entry& e = entries_[position];
    e.text = reinterpret_cast<const char16_t*>(texts_[position].constData());
    e.size = qint32(std::min<qsizetype>(texts_[position].size(), INT_MAX));
    e.position = position;
    loadDigits(e, 0);
}

std::vector<int> TextOrder::order(bool descending) {
    sortTextEntries(entries_, descending);
    std::vector<int> order(entries_.size());
    for (std::size_t p = 0; p < entries_.size(); ++p)
        order[p] = entries_[p].position;
    return order;
}
