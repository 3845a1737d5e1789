#include "finders/marked_groups.h"

#include "platform/native_path.h"

std::vector<quint32> wholeMarkedGroups(const DupRecords& records, std::span<const quint32> rows,
                                       bool exact, const std::function<bool(quint32)>& marked) {
    return wholeMarkedGroups(
        rows, [&](size_t first, size_t i) { return records.sameKey(rows[first], rows[i], exact); },
        marked);
}

std::vector<quint32> wholeMarkedGroups(std::span<const quint32> rows,
                                       const std::function<bool(size_t first, size_t i)>& sameGroup,
                                       const std::function<bool(quint32)>& marked) {
    std::vector<quint32> groups;
    const size_t n = rows.size();
    for (size_t start = 0; start < n;) {
        bool all = true;
        size_t end = start;
        for (; end < n && sameGroup(start, end); ++end)
            all = all && marked(rows[end]);
        if (all)
            groups.push_back(rows[start]);
        start = end;
    }
    return groups;
}

QString groupCaption(const DupRecords& records, quint32 rec, bool exact) {
    const QString name = escapeForLine(records.name(rec));
    return exact ? name + QStringLiteral(" (") + records.field(rec, 1).trimmed() + u')' : name;
}
