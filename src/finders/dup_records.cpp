#include "finders/dup_records.h"

#include "common/locations.h"
#include "common/number_text.h"
#include "finders/result_list.h"
#include "platform/date_text.h"
#include "platform/file_time.h"
#include "platform/file_types.h"
#include "platform/native_path.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>

namespace {
qint64 recordLimit = DupRecords::DefaultLimit;

constexpr double kOldestKey = -1e300;

inline char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

// Compares two byte strings with the letters a to z upper-cased, byte by byte (unsigned).
int compareFolded(const char* a, size_t an, const char* b, size_t bn) {
    const size_t n = std::min(an, bn);
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(upperAscii(a[i]));
        const auto cb = static_cast<unsigned char>(upperAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return an == bn ? 0 : (an < bn ? -1 : 1);
}

bool hasNonAscii(const char* s, int n) {
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return true;
    return false;
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

QString sizeText(qint64 bytes) {
    return formatSizeK(bytes / 1024, bytes) + QStringLiteral(" K");
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

QString fileDateToDateStr(quint32 packed) {
    if (packed == 0)
        return QString();
    const QDateTime dt = unpackFileTime(packed);
    return shortDateText(dt.isValid() ? dt.date() : QDate(1980, 1, 1));
}

QString fileDateToTimeStr(quint32 packed) {
    const QDateTime dt = unpackFileTime(packed);
    return longTimeText(dt.isValid() ? dt.time() : QTime(12, 0, 0));
}

// ---- Arena

bool DupRecords::Arena::add(const char* bytes, size_t length, quint32& handle) {
    constexpr size_t chunk = size_t(1) << ChunkBits;
    constexpr size_t maxChunks = size_t(1) << (32 - ChunkBits);
    if (chunks_.empty() || size_ - used_ < length) {
        if (chunks_.size() >= maxChunks)
            return false;
        // An item larger than a chunk gets a chunk of its own.
        size_ = std::max(chunk, length);
        chunks_.push_back(std::make_unique<char[]>(size_));
        used_ = 0;
    }
    handle = quint32((chunks_.size() - 1) << ChunkBits) | quint32(used_);
    std::memcpy(chunks_.back().get() + used_, bytes, length);
    used_ += length;
    if (size_ > chunk)
        used_ = size_; // nothing more goes into an oversized chunk
    return true;
}

void DupRecords::Arena::clear() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    used_ = size_ = 0;
}

// ---- DupRecords

void DupRecords::setLimit(qint64 limit) {
    recordLimit = std::max<qint64>(0, limit);
}

qint64 DupRecords::limit() {
    return recordLimit;
}

DupRecords::DupRecords(bool duplicates) : duplicates_(duplicates) {
    oldestPackable_ = QDateTime(QDate(1980, 1, 1), QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();
    newestPackable_ =
        QDateTime(QDate(2108, 1, 1), QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch() - 1;
}

DupRecords::~DupRecords() = default;

void DupRecords::clear() {
    refused_ = false;
    count_ = 0;
    records_.clear();
    records_.shrink_to_fit();
    names_.clear();
    folderPaths_.clear();
    folders_.clear();
    folders_.shrink_to_fit();
    types_.clear();
    typeByExtension_.clear();
    haveLastType_ = false;
    nameRank_ = {};
    pendingFolder_ = nullptr;
    folderIndex_ = -1;
}

void DupRecords::folderFiles(const QByteArray& path) {
    pendingFolder_ = &path;
    folderIndex_ = -1;
}

quint32 DupRecords::typeOf(const char* name, int length) {
    const void* dot = memrchr(name, '.', size_t(length));
    const std::string_view ext =
        dot ? std::string_view(static_cast<const char*>(dot),
                               name + length - static_cast<const char*>(dot))
            : std::string_view();
    // Neighbouring files mostly share their extension.
    if (haveLastType_ && ext == lastExtension_)
        return lastType_;
    std::string key(ext);
    auto it = typeByExtension_.find(key);
    if (it == typeByExtension_.end()) {
        const quint32 index = quint32(types_.size());
        types_.append(extensionToType(fromNative(key.data(), qsizetype(key.size()))));
        it = typeByExtension_.emplace(std::move(key), index).first;
    }
    lastExtension_ = it->first;
    lastType_ = it->second;
    haveLastType_ = true;
    return lastType_;
}

bool DupRecords::intern(const ScanFile& file, Record& r) {
    if (folderIndex_ < 0) {
        if (!pendingFolder_)
            return false;
        Folder f;
        if (!folderPaths_.add(pendingFolder_->constData(), size_t(pendingFolder_->size()), f.path))
            return false;
        f.length = quint32(pendingFolder_->size());
        f.onSearchPath = isOnSearchPath(fromNative(*pendingFolder_));
        folderIndex_ = qint64(folders_.size());
        folders_.push_back(f);
    }
    if (!names_.add(file.name, size_t(file.nameLength), r.name))
        return false;
    r.folder = quint32(folderIndex_);
    return true;
}

void DupRecords::file(const ScanFile& file) {
    if (refused_ || !filter_.passes(file.size))
        return;
    Record r;
    if (qint64(count_) >= recordLimit || count_ == std::numeric_limits<quint32>::max() ||
        file.nameLength > 0xFFFF || !intern(file, r)) {
        refused_ = true;
        if (onRefused)
            onRefused();
        return;
    }
    r.size = file.size;
    r.writeTime = file.writeTime;
    r.accessTime = file.accessTime;
    r.type = typeOf(file.name, file.nameLength);
    r.nameLength = quint16(file.nameLength);
    r.flags = 0;
    if (file.indexInFolder > 0)
        r.flags |= Lower;
    if (hasNonAscii(file.name, file.nameLength))
        r.flags |= NonAscii;
    const quint32 slot = count_ & ((1u << RecordChunkBits) - 1);
    if (slot == 0)
        records_.push_back(std::make_unique<Record[]>(size_t(1) << RecordChunkBits));
    records_.back()[slot] = r;
    ++count_;
}

qint64 DupRecords::size(quint32 rec) const {
    return at(rec).size;
}

QString DupRecords::name(quint32 rec) const {
    const Record& r = at(rec);
    return fromNative(nameBytes(r), r.nameLength);
}

QByteArray DupRecords::folderBytes(quint32 folder) const {
    const Folder& f = folders_[folder];
    return QByteArray(folderPaths_.at(f.path), qsizetype(f.length));
}

QString DupRecords::folder(quint32 rec) const {
    return fromNative(folderBytes(at(rec).folder));
}

QByteArray DupRecords::nativePath(quint32 rec) const {
    const Record& r = at(rec);
    QByteArray p = folderBytes(r.folder);
    if (!p.endsWith('/'))
        p.append('/');
    p.append(nameBytes(r), r.nameLength);
    return p;
}

QString DupRecords::path(quint32 rec) const {
    return fromNative(nativePath(rec));
}

QString DupRecords::type(quint32 rec) const {
    return types_.at(at(rec).type);
}

quint32 DupRecords::typeIndex(quint32 rec) const {
    return at(rec).type;
}

bool DupRecords::lowerCase(quint32 rec) const {
    return at(rec).flags & Lower;
}

QString DupRecords::shownName(const Record& r) const {
    QString n = fromNative(nameBytes(r), r.nameLength);
    return (r.flags & Lower) ? n.toLower() : n;
}

// The folder as a record shows it: with a final "/", in lower case when due.
QString DupRecords::shownFolder(const Record& r) const {
    QString f = fromNative(folderBytes(r.folder));
    if (r.flags & Lower)
        f = f.toLower();
    if (!f.endsWith(u'/'))
        f += u'/';
    return f;
}

QString DupRecords::field(quint32 rec, int index) const {
    const Record& r = at(rec);
    const int i = duplicates_ ? index : index + 1; // file-hog fields lack the name field
    switch (i) {
    case 0:
        return escapeForLine(shownName(r)).leftJustified(14, u' ');
    case 1:
        return sizeText(r.size);
    case 2:
        return fileDateToDateStr(packFileTime(r.writeTime));
    case 3:
        return fileDateToTimeStr(packFileTime(r.writeTime));
    case 4:
        return fileDateToDateStr(packFileTime(r.accessTime));
    case 5: {
        QString text = escapeForLine(shownFolder(r));
        if (!duplicates_)
            text += escapeForLine(shownName(r));
        if (folders_[r.folder].onSearchPath)
            text += kSearchPathMarker;
        return text;
    }
    case 6:
        return types_.at(r.type);
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
    if (nameRank_.size() == count_) {
        if (nameRank_[a] != nameRank_[b])
            return false;
    } else {
        const Record& ra = at(a);
        const Record& rb = at(b);
        const bool same =
            (!(ra.flags & NonAscii) && !(rb.flags & NonAscii))
                ? compareFolded(nameBytes(ra), ra.nameLength, nameBytes(rb), rb.nameLength) == 0
                : fromNative(nameBytes(ra), ra.nameLength).toUpper() ==
                      fromNative(nameBytes(rb), rb.nameLength).toUpper();
        if (!same)
            return false;
    }
    return !exact || sizeTextKey(at(a).size) == sizeTextKey(at(b).size);
}

std::vector<quint32> DupRecords::sortedList() const {
    const quint32 n = count_;
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
    Arena distinct;                  // each distinct name: two length bytes, then the name
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
        const Record& r = at(i);
        const char* s = nameBytes(r);
        if (!(r.flags & NonAscii)) {
            scratch.resize(r.nameLength);
            for (int k = 0; k < r.nameLength; ++k)
                scratch[size_t(k)] = upperAscii(s[k]);
        } else {
            const QByteArray up = toNative(fromNative(s, r.nameLength).toUpper());
            scratch.assign(up.constData(), size_t(std::min<qsizetype>(up.size(), 0xFFFF)));
        }
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
        qint64 writeTime;
        quint32 folder;
        quint32 rec;
        bool operator<(const Item& o) const {
            if (sizeKey != o.sizeKey)
                return sizeKey < o.sizeKey;
            if (writeTime != o.writeTime)
                return writeTime < o.writeTime;
            if (folder != o.folder)
                return folder < o.folder;
            return rec < o.rec;
        }
    };
    const std::vector<quint32> folderRank = folderOrder().group;
    std::vector<Item> items;
    for (quint32 p = 0; p < u; ++p) {
        const quint32 b = start[p], e = start[p + 1];
        if (e - b < 2)
            continue;
        items.clear();
        for (quint32 k = b; k < e; ++k) {
            const Record& r = at(list[k]);
            items.push_back(Item{sizeTextKey(r.size), r.writeTime, folderRank[r.folder], list[k]});
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

double DupRecords::dateKey(qint64 seconds) const {
    if (seconds < oldestPackable_ || seconds > newestPackable_)
        return kOldestKey; // shown as an empty date
    return double(seconds);
}

double DupRecords::writeDateKey(quint32 rec) const {
    return dateKey(at(rec).writeTime);
}

double DupRecords::accessDateKey(quint32 rec) const {
    return dateKey(at(rec).accessTime);
}

// A folder's sort text: its path with a final "/" (the root "/" has one already), the
// letters a to z upper-cased. Read straight from the arena, never copied.
struct DupRecords::FolderKey {
    const char* path;
    size_t length;
    bool slash;
    size_t size() const { return length + (slash ? 1 : 0); }
    char operator[](size_t i) const { return i < length ? upperAscii(path[i]) : '/'; }
};

DupRecords::FolderKey DupRecords::folderKey(quint32 folder) const {
    const Folder& f = folders_[folder];
    const char* p = folderPaths_.at(f.path);
    return FolderKey{p, f.length, f.length == 0 || p[f.length - 1] != '/'};
}

namespace {
// Compares a[skipA ...] with b[skipB ...], byte by byte (unsigned).
template <typename A, typename B>
int compareKeys(const A& a, size_t skipA, const B& b, size_t skipB) {
    const size_t an = a.size() - skipA, bn = b.size() - skipB;
    const size_t n = std::min(an, bn);
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[skipA + i]);
        const auto cb = static_cast<unsigned char>(b[skipB + i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return an == bn ? 0 : (an < bn ? -1 : 1);
}

// Compares two folder keys; equal stretches of bytes are skipped eight at a time, since
// folder paths share long beginnings.
template <typename K> int compareFolderKeys(const K& a, const K& b) {
    const size_t n = std::min(a.length, b.length);
    size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            quint64 x, y;
            std::memcpy(&x, a.path + i, 8);
            std::memcpy(&y, b.path + i, 8);
            if (x == y) {
                i += 8;
                continue;
            }
            i += size_t(__builtin_ctzll(x ^ y) / 8); // the first differing byte (little endian)
        }
        const auto ca = static_cast<unsigned char>(upperAscii(a.path[i]));
        const auto cb = static_cast<unsigned char>(upperAscii(b.path[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
    }
    // One path is the beginning of the other (or both are equal): the rest decides, the
    // final "/" included.
    return compareKeys(a, i, b, i);
}

template <typename K> bool beginsWith(const K& key, const K& prefix) {
    if (key.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (key[i] != prefix[i])
            return false;
    return true;
}

// A name's bytes with a to z upper-cased, indexable like a FolderKey.
struct NameKey {
    const char* name;
    size_t length;
    size_t size() const { return length; }
    char operator[](size_t i) const { return upperAscii(name[i]); }
};
} // namespace

DupRecords::FolderOrder DupRecords::folderOrder() const {
    FolderOrder o;
    const size_t folderCount = folders_.size();
    std::vector<quint32> byKey(folderCount);
    std::iota(byKey.begin(), byKey.end(), 0u);
    std::sort(byKey.begin(), byKey.end(), [&](quint32 a, quint32 b) {
        return compareFolderKeys(folderKey(a), folderKey(b)) < 0;
    });
    // Folders whose texts differ only in case share a group; groups are in key order.
    o.group.resize(folderCount);
    for (size_t p = 0; p < folderCount; ++p) {
        if (o.groupFolder.empty() ||
            compareFolderKeys(folderKey(o.groupFolder.back()), folderKey(byKey[p])) != 0)
            o.groupFolder.push_back(byKey[p]);
        o.group[byKey[p]] = quint32(o.groupFolder.size() - 1);
    }
    return o;
}

std::vector<quint32> DupRecords::pathRanks() const {
    // A full path is the folder's text with its "/" and then the name. Folders are put in
    // the order of those texts (groups), and each folder's records in the order of their
    // names. Two folders whose texts are not one the beginning of the other keep that order
    // with all their records. A folder whose text begins with another's (a folder below it,
    // the "child") goes as one block among the upper folder's records: before the first
    // name that is greater than the rest of its text. That rest holds a "/", which no name
    // does, so it never equals a name.
    const FolderOrder folders = folderOrder();
    const size_t groupCount = folders.groupFolder.size();
    auto groupKey = [&](quint32 g) { return folderKey(folders.groupFolder[g]); };

    // Each group's nearest group whose text begins its own, and the children of each group
    // in ascending order.
    std::vector<qint64> parent(groupCount, -1);
    {
        std::vector<quint32> open;
        for (quint32 g = 0; g < groupCount; ++g) {
            const FolderKey k = groupKey(g);
            while (!open.empty() && !beginsWith(k, groupKey(open.back())))
                open.pop_back();
            if (!open.empty())
                parent[g] = open.back();
            open.push_back(g);
        }
    }
    std::vector<quint32> childStart(groupCount + 1, 0);
    for (size_t g = 0; g < groupCount; ++g)
        if (parent[g] >= 0)
            ++childStart[size_t(parent[g]) + 1];
    for (size_t g = 0; g < groupCount; ++g)
        childStart[g + 1] += childStart[g];
    std::vector<quint32> children(childStart[groupCount]);
    {
        std::vector<quint32> next(childStart.begin(), childStart.end() - 1);
        for (quint32 g = 0; g < groupCount; ++g)
            if (parent[g] >= 0)
                children[next[size_t(parent[g])]++] = g;
    }
    parent = {};

    // The records by group, then name. The first eight bytes of the upper-cased name settle
    // most comparisons without reading a record (names hold no zero byte, so zero-padded
    // prefixes order like the names).
    struct Item {
        quint32 group;
        quint32 rec;
        quint64 prefix;
    };
    const quint32 n = count_;
    std::vector<Item> items(n);
    for (quint32 i = 0; i < n; ++i) {
        const Record& r = at(i);
        const char* name = nameBytes(r);
        quint64 prefix = 0;
        for (int k = 0; k < 8; ++k)
            prefix = (prefix << 8) |
                     (k < r.nameLength ? static_cast<unsigned char>(upperAscii(name[k])) : 0u);
        items[i] = Item{folders.group[r.folder], i, prefix};
    }
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.group != b.group)
            return a.group < b.group;
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const Record& ra = at(a.rec);
        const Record& rb = at(b.rec);
        const int c = compareFolded(nameBytes(ra), ra.nameLength, nameBytes(rb), rb.nameLength);
        return c != 0 ? c < 0 : a.rec < b.rec;
    });
    std::vector<quint32> recStart(groupCount + 1, 0);
    for (const Item& it : items)
        ++recStart[it.group + 1];
    for (size_t g = 0; g < groupCount; ++g)
        recStart[g + 1] += recStart[g];

    // Merge each group's records with its children's blocks, depth first.
    std::vector<quint32> rank(n);
    quint32 placed = 0;
    struct Frame {
        quint32 group;
        quint32 rec;   // next record of the group (index into items)
        quint32 child; // next child (index into children)
    };
    std::vector<Frame> stack;
    for (quint32 root = 0; root < groupCount;) {
        stack.push_back(Frame{root, recStart[root], childStart[root]});
        while (!stack.empty()) {
            Frame& f = stack.back();
            const bool recordsLeft = f.rec < recStart[f.group + 1];
            const bool childrenLeft = f.child < childStart[f.group + 1];
            if (!recordsLeft && !childrenLeft) {
                stack.pop_back();
                continue;
            }
            bool takeRecord = recordsLeft;
            if (recordsLeft && childrenLeft) {
                const Record& r = at(items[f.rec].rec);
                const FolderKey rest = groupKey(children[f.child]);
                takeRecord = compareKeys(rest, groupKey(f.group).size(),
                                         NameKey{nameBytes(r), r.nameLength}, 0) > 0;
            }
            if (takeRecord) {
                rank[items[f.rec++].rec] = placed++;
            } else {
                const quint32 c = children[f.child++];
                stack.push_back(Frame{c, recStart[c], childStart[c]});
            }
        }
        // The next group that is no one's child: the first after this root's descendants.
        quint32 next = root + 1;
        while (next < groupCount && beginsWith(groupKey(next), groupKey(root)))
            ++next;
        root = next;
    }
    return rank;
}

std::vector<quint32> DupRecords::typeRanks() const {
    const quint32 n = quint32(types_.size());
    std::vector<QString> keys(n);
    for (quint32 i = 0; i < n; ++i)
        keys[i] = textSortKey(types_.at(i));
    std::vector<quint32> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) { return keys[a] < keys[b]; });
    std::vector<quint32> rank(n);
    for (quint32 p = 0; p < n; ++p)
        rank[order[p]] = p;
    return rank;
}
