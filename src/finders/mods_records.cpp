#include "finders/mods_records.h"

#include "platform/native_path.h"

#include <algorithm>
#include <cstring>
#include <numeric>

QString ModsRecords::field(quint32 rec, int column) const {
    switch (column) {
    case 0:
        return escapeForLine(name(rec));
    case 1:
        return fileDateToDateStr(lastAccessFileDate(rec));
    case 2:
        return fileDateToDateStr(creationFileDate(rec));
    case 3:
        return fileDateToDateStr(lastWriteFileDate(rec));
    case 4:
        return escapeForLine(folder(rec));
    case 5:
        return escapeForLine(type(rec));
    default:
        return QString();
    }
}

QString ModsRecords::line(quint32 rec) const {
    QString text;
    for (int c = 0; c < 5; ++c)
        text += field(rec, c) + u'\t';
    return text;
}

std::vector<quint32> ModsRecords::nameRanks() const {
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; };
    std::vector<quint32> order(count());
    std::iota(order.begin(), order.end(), 0u);
    const auto less = [&](quint32 a, quint32 b) {
        const Record& ra = at(a);
        const Record& rb = at(b);
        const char* na = nameBytes(ra);
        const char* nb = nameBytes(rb);
        const int n = std::min(ra.nameLength, rb.nameLength);
        for (int i = 0; i < n; ++i) {
            const auto ca = static_cast<unsigned char>(upper(na[i]));
            const auto cb = static_cast<unsigned char>(upper(nb[i]));
            if (ca != cb)
                return ca < cb;
        }
        return ra.nameLength < rb.nameLength;
    };
    std::sort(order.begin(), order.end(), less);
    std::vector<quint32> rank(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        rank[order[i]] = quint32(i);
    return rank;
}

std::vector<quint32> ModsRecords::folderRanksOfRecords() const {
    const std::vector<quint32> byFolder = folderRanks();
    std::vector<quint32> rank(count());
    for (quint32 r = 0; r < count(); ++r)
        rank[r] = byFolder[at(r).folder];
    return rank;
}
