#include "finders/dup_records.h"

#include "model/search_path.h"
#include "platform/native_path.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <string_view>

namespace {
inline char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}
} // namespace

bool SizeFilter::passes(qint64 bytes) const {
    switch (mode) {
    case SizeMode::Larger:
        return bytes >= first * 1024;
    case SizeMode::Smaller:
        return bytes <= first * 1024;
    case SizeMode::Between:
        return bytes >= first * 1024 && bytes <= second * 1024;
    }
    return false;
}

qint64 sizeTextKey(qint64 bytes) {
    const qint64 k = bytes / 1024;
    if (k >= 1)
        return k + 10; // above every tenths key
    qint64 tenths = bytes / 103;
    if (tenths == 0 && bytes > 0)
        tenths = 1;
    return tenths;
}

DupRecords::DupRecords(bool duplicates) : duplicates_(duplicates) {
    accept = [this](const ScanFile& file) { return filter_.passes(file.size); };
}

void DupRecords::clear() {
    FileRecords::clear();
    nameRank_ = {};
}

// The name's grouping key: its bytes upper-cased, the undecodable ones kept as they are.
void DupRecords::nameKey(const Record& r, std::string& key) const {
    const char* s = nameBytes(r);
    if (r.asciiName) {
        key.resize(r.nameLength);
        for (int k = 0; k < r.nameLength; ++k)
            key[size_t(k)] = upperAscii(s[k]);
    } else {
        const QByteArray up = toNative(changeCase(fromNative(s, r.nameLength), LetterCase::Upper));
        key.assign(up.constData(), size_t(std::min<qsizetype>(up.size(), 0xFFFF)));
    }
}

QString DupRecords::field(quint32 rec, int index) const {
    const Record& r = at(rec);
    const int i = duplicates_ ? index : index + 1; // file-hog fields lack the name field
    switch (i) {
    case 0:
        return escapeForLine(name(rec)).leftJustified(14, u' ');
    case 1:
        return sizeText(r.size);
    case 2:
        return fileDateToDateStr(lastWriteFileDate(rec));
    case 3:
        return fileDateToTimeStr(lastWriteFileDate(rec));
    case 4:
        return fileDateToDateStr(lastAccessFileDate(rec));
    case 5: {
        // Name and folder as they are on disk.
        QString text = duplicates_ ? folder(rec) : path(rec);
        if (duplicates_ && !text.endsWith(u'/'))
            text += u'/';
        text = escapeForLine(text);
        if (onSearchPath(rec))
            text += kSearchPathMarker;
        return text;
    }
    case 6:
        return escapeForLine(type(rec));
    default:
        return QString();
    }
}

QString DupRecords::line(quint32 rec) const {
    QString text;
    for (int i = 0; i < fieldCount(); ++i) {
        if (i > 0)
            text += u'\t';
        text += field(rec, i);
    }
    return text;
}

bool DupRecords::sameKey(quint32 a, quint32 b, bool exact) const {
    // The name ranks of the last sortedList, while they still cover every record.
    if (nameRank_.size() == count()) {
        if (nameRank_[a] != nameRank_[b])
            return false;
    } else {
        std::string ka, kb;
        nameKey(at(a), ka);
        nameKey(at(b), kb);
        if (ka != kb)
            return false;
    }
    return !exact || sizeTextKey(at(a).size) == sizeTextKey(at(b).size);
}

std::vector<quint32> DupRecords::sortedList() const {
    const quint32 n = count();
    if (!duplicates_) {
        // Ascending size; equal sizes in reverse walk order, so that reading the list from
        // its end gives the largest files first and equal sizes in walk order.
        std::vector<std::pair<qint64, quint32>> keyed(n);
        for (quint32 i = 0; i < n; ++i)
            keyed[i] = {at(i).size, ~i};
        std::sort(keyed.begin(), keyed.end());
        std::vector<quint32> list(n);
        for (quint32 i = 0; i < n; ++i)
            list[i] = ~keyed[i].second;
        return list;
    }

    // Duplicates: give every distinct upper-cased name an id through an open-addressing table
    // over the distinct names' bytes, rank the distinct names, then place the records by rank
    // (a counting sort), so no record text is ever compared. The ranks are kept for sameKey.
    std::vector<quint32>& rank = nameRank_;
    rank.assign(n, 0);
    ByteArena distinct;              // each distinct name: two length bytes, then the name
    std::vector<quint32> distinctAt; // arena handles by id
    auto distinctName = [&](quint32 id) {
        const auto* p = reinterpret_cast<const unsigned char*>(distinct.at(distinctAt[id]));
        return std::string_view(reinterpret_cast<const char*>(p + 2), size_t(p[0]) | size_t(p[1])
                                                                                         << 8);
    };
    struct Slot {
        quint32 tag; // the hash's high half
        quint32 id;  // 0: empty, else the distinct name's id + 1
    };
    std::vector<Slot> table(1024);
    size_t mask = table.size() - 1;
    std::string scratch;
    for (quint32 i = 0; i < n; ++i) {
        nameKey(at(i), scratch);
        quint64 h = 14695981039346656037ull; // FNV-1a
        for (const char c : scratch)
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        const auto tag = quint32(h >> 32);
        size_t slot = size_t(h) & mask;
        quint32 id = 0;
        for (; table[slot].id; slot = (slot + 1) & mask) {
            if (table[slot].tag == tag && distinctName(table[slot].id - 1) == scratch) {
                id = table[slot].id;
                break;
            }
        }
        if (!id) {
            std::string entry;
            entry.reserve(scratch.size() + 2);
            entry += char(scratch.size() & 0xFF);
            entry += char(scratch.size() >> 8);
            entry += scratch;
            quint32 handle = 0;
            if (!distinct.add(entry.data(), entry.size(), handle))
                throw std::bad_alloc();
            distinctAt.push_back(handle);
            id = quint32(distinctAt.size());
            table[slot] = Slot{tag, id};
            if (distinctAt.size() * 4 > table.size() * 3) {
                // Keep the table at most three quarters full.
                std::vector<Slot> bigger(table.size() * 2);
                const size_t m = bigger.size() - 1;
                for (const Slot& t : table) {
                    if (!t.id)
                        continue;
                    const std::string_view name = distinctName(t.id - 1);
                    quint64 hh = 14695981039346656037ull;
                    for (const char c : name)
                        hh = (hh ^ static_cast<unsigned char>(c)) * 1099511628211ull;
                    size_t k = size_t(hh) & m;
                    while (bigger[k].id)
                        k = (k + 1) & m;
                    bigger[k] = t;
                }
                table.swap(bigger);
                mask = m;
            }
        }
        rank[i] = id - 1;
    }
    table = {};
    const auto u = quint32(distinctAt.size());
    std::vector<quint32> byName(u);
    std::iota(byName.begin(), byName.end(), 0u);
    std::sort(byName.begin(), byName.end(),
              [&](quint32 a, quint32 b) { return distinctName(a) < distinctName(b); });
    std::vector<quint32> rankOfId(u);
    for (quint32 p = 0; p < u; ++p)
        rankOfId[byName[p]] = p;
    byName = {};
    distinct.clear();
    distinctAt = {};
    std::vector<quint32> start(size_t(u) + 1, 0);
    for (quint32 i = 0; i < n; ++i) {
        rank[i] = rankOfId[rank[i]];
        ++start[rank[i] + 1];
    }
    rankOfId = {};
    for (quint32 p = 0; p < u; ++p)
        start[p + 1] += start[p];
    std::vector<quint32> list(n);
    {
        std::vector<quint32> next(start.begin(), start.end() - 1);
        for (quint32 i = 0; i < n; ++i)
            list[next[rank[i]]++] = i;
    }

    // The records of a name that occurs more than once are ordered by size text, then
    // modification time, then folder text, then walk order. Each group's keys are read once
    // into a small buffer and sorted there.
    struct Item {
        qint64 sizeKey;
        quint32 written;
        quint32 folder;
        quint32 rec;
        bool operator<(const Item& o) const {
            if (sizeKey != o.sizeKey)
                return sizeKey < o.sizeKey;
            if (written != o.written)
                return written < o.written;
            if (folder != o.folder)
                return folder < o.folder;
            return rec < o.rec;
        }
    };
    const std::vector<quint32> folderRank = folderRanks();
    std::vector<Item> items;
    for (quint32 p = 0; p < u; ++p) {
        const quint32 b = start[p], e = start[p + 1];
        if (e - b < 2)
            continue;
        items.clear();
        for (quint32 k = b; k < e; ++k) {
            const Record& r = at(list[k]);
            items.push_back(Item{sizeTextKey(r.size), r.written, folderRank[r.folder], list[k]});
        }
        std::sort(items.begin(), items.end());
        for (quint32 k = b; k < e; ++k)
            list[k] = items[k - b].rec;
    }
    return list;
}

std::vector<quint32> duplicateRows(const DupRecords& records, const std::vector<quint32>& sorted,
                                   bool exact) {
    std::vector<quint32> rows;
    const size_t n = sorted.size();
    size_t s = 0;
    while (s + 1 < n) {
        size_t i = s + 1;
        while (i < n && records.sameKey(sorted[s], sorted[i], exact))
            ++i;
        if (i - s >= 2)
            rows.insert(rows.end(), sorted.begin() + qsizetype(s), sorted.begin() + qsizetype(i));
        s = i;
    }
    return rows;
}
