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

quint64 fnv1a(std::string_view bytes) {
    quint64 h = 14695981039346656037ull;
    for (const char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

// The distinct names met so far, each with an id (0, 1, 2 ... in the order they were first
// met), found again through an open-addressing table over their bytes. Each name is kept in
// an arena as two length bytes and then its bytes.
class DistinctNames {
public:
    // The id of `name`, a new one when it was not met before.
    quint32 idOf(const std::string& name) {
        const quint64 h = fnv1a(name);
        const auto tag = quint32(h >> 32);
        const Slot* table = table_.data();
        size_t slot = size_t(h) & mask_;
        for (; table[slot].id; slot = (slot + 1) & mask_)
            if (table[slot].tag == tag && this->name(table[slot].id - 1) == name)
                return table[slot].id - 1;
        std::string entry;
        entry.reserve(name.size() + 2);
        entry += char(name.size() & 0xFF);
        entry += char(name.size() >> 8);
        entry += name;
        quint32 handle = 0;
        if (!arena_.add(entry.data(), entry.size(), handle))
            throw std::bad_alloc();
        handles_.push_back(handle);
        const auto id = quint32(handles_.size());
        table_[slot] = Slot{tag, id};
        if (handles_.size() * 4 > table_.size() * 3)
            grow(); // keep the table at most three quarters full
        return id - 1;
    }

    // Per id, the place of its name in the ascending byte order of the names. The names are
    // given up: the object holds nothing afterwards.
    std::vector<quint32> takeRanks() {
        table_ = {};
        const auto u = quint32(handles_.size());
        std::vector<quint32> byName(u);
        std::iota(byName.begin(), byName.end(), 0u);
        std::sort(byName.begin(), byName.end(),
                  [&](quint32 a, quint32 b) { return name(a) < name(b); });
        std::vector<quint32> rankOfId(u);
        for (quint32 p = 0; p < u; ++p)
            rankOfId[byName[p]] = p;
        arena_.clear();
        handles_ = {};
        return rankOfId;
    }

private:
    struct Slot {
        quint32 tag; // the hash's high half
        quint32 id;  // 0: empty, else the name's id + 1
    };

    std::string_view name(quint32 id) const {
        const auto* p = reinterpret_cast<const unsigned char*>(arena_.at(handles_[id]));
        return std::string_view(reinterpret_cast<const char*>(p + 2), size_t(p[0]) | size_t(p[1])
                                                                                         << 8);
    }

    void grow() {
        std::vector<Slot> bigger(table_.size() * 2);
        const size_t m = bigger.size() - 1;
        for (const Slot& t : table_) {
            if (!t.id)
                continue;
            size_t k = size_t(fnv1a(name(t.id - 1))) & m;
            while (bigger[k].id)
                k = (k + 1) & m;
            bigger[k] = t;
        }
        table_.swap(bigger);
        mask_ = m;
    }

    ByteArena arena_;
    std::vector<quint32> handles_; // arena handles by id
    std::vector<Slot> table_ = std::vector<Slot>(1024);
    size_t mask_ = 1023;
};
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
    identities_.clear();
    identities_.shrink_to_fit();
}

void DupRecords::file(const ScanFile& file) {
    const quint32 before = count();
    FileRecords::file(file);
    if (keepIdentity_ && count() > before)
        identities_.push_back(file.identity);
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

bool DupRecords::sameName(const Record& a, const Record& b) const {
    if (a.asciiName && b.asciiName) {
        if (a.nameLength != b.nameLength)
            return false;
        const char* x = nameBytes(a);
        const char* y = nameBytes(b);
        for (int k = 0; k < int(a.nameLength); ++k)
            if (upperAscii(x[k]) != upperAscii(y[k]))
                return false;
        return true;
    }
    // A name beyond ASCII may upper-case to an ASCII one.
    std::string ka, kb;
    nameKey(a, ka);
    nameKey(b, kb);
    return ka == kb;
}

bool DupRecords::sameKey(quint32 a, quint32 b, bool exact) const {
    return sameName(at(a), at(b)) && (!exact || sizeTextKey(at(a).size) == sizeTextKey(at(b).size));
}

std::vector<quint32> DupRecords::sortedList() const {
    if (!duplicates_)
        return sizeOrder();
    // Records are placed by the rank of their name (a counting sort), so no record text is
    // ever compared.
    KeyedLists byName;
    {
        quint32 names = 0;
        const std::vector<quint32> rank = rankNames(names);
        byName = listByKey(rank, names);
    } // the ranks are given back before the lists are ordered

    orderWithinNames(byName);
    return std::move(byName.items);
}

std::vector<quint32> DupRecords::sizeOrder() const {
    // Ascending size; equal sizes in reverse walk order, so that reading the list from its end
    // gives the largest files first and equal sizes in walk order.
    const quint32 n = count();
    std::vector<std::pair<qint64, quint32>> keyed(n);
    for (quint32 i = 0; i < n; ++i)
        keyed[i] = {at(i).size, ~i};
    std::sort(keyed.begin(), keyed.end());
    std::vector<quint32> list(n);
    for (quint32 i = 0; i < n; ++i)
        list[i] = ~keyed[i].second;
    return list;
}

std::vector<quint32> DupRecords::rankNames(quint32& names) const {
    const quint32 n = count();
    std::vector<quint32> rank(n, 0);
    std::vector<quint32> rankOfId;
    {
        DistinctNames distinct;
        std::string scratch;
        for (quint32 i = 0; i < n; ++i) {
            nameKey(at(i), scratch);
            rank[i] = distinct.idOf(scratch);
        }
        rankOfId = distinct.takeRanks();
    }
    for (quint32 i = 0; i < n; ++i)
        rank[i] = rankOfId[rank[i]];
    names = quint32(rankOfId.size());
    return rank;
}

void DupRecords::orderWithinNames(KeyedLists& byName) const {
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
    std::vector<quint32>& list = byName.items;
    std::vector<Item> items;
    for (size_t p = 0; p + 1 < byName.start.size(); ++p) {
        const quint32 b = byName.start[p], e = byName.start[p + 1];
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
    rows.shrink_to_fit(); // the list is kept as long as its rows are shown
    return rows;
}
