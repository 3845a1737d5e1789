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
    // Each name's first eight upper-cased bytes as one big-endian number decide most
    // comparisons without touching the names; ties compare the rest. No name holds a NUL, so
    // the zero padding of a short name orders it before the longer names it begins.
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; };
    struct Key {
        quint64 prefix;
        quint32 rec;
    };
    std::vector<Key> keys(count());
    for (quint32 r = 0; r < count(); ++r) {
        const Record& rec = at(r);
        const char* name = nameBytes(rec);
        quint64 prefix = 0;
        for (int i = 0; i < 8; ++i)
            prefix = (prefix << 8) |
                     (i < rec.nameLength ? static_cast<unsigned char>(upper(name[i])) : 0u);
        keys[r] = {prefix, r};
    }
    const auto less = [&](const Key& a, const Key& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const Record& ra = at(a.rec);
        const Record& rb = at(b.rec);
        const char* na = nameBytes(ra);
        const char* nb = nameBytes(rb);
        const int n = std::min(ra.nameLength, rb.nameLength);
        for (int i = 8; i < n; ++i) {
            const auto ca = static_cast<unsigned char>(upper(na[i]));
            const auto cb = static_cast<unsigned char>(upper(nb[i]));
            if (ca != cb)
                return ca < cb;
        }
        return ra.nameLength < rb.nameLength;
    };
    std::sort(keys.begin(), keys.end(), less);
    std::vector<quint32> rank(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        rank[keys[i].rec] = quint32(i);
    return rank;
}

std::vector<quint32> ModsRecords::folderRanksOfRecords() const {
    const std::vector<quint32> byFolder = folderRanks();
    std::vector<quint32> rank(count());
    for (quint32 r = 0; r < count(); ++r)
        rank[r] = byFolder[at(r).folder];
    return rank;
}
