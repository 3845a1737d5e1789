#include "finders/dup_records.h"

#include "app/locations.h"
#include "app/number_text.h"
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

qint64 DupRecords::writeTime(quint32 rec) const {
    return at(rec).writeTime;
}

qint64 DupRecords::accessTime(quint32 rec) const {
    return at(rec).accessTime;
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

bool DupRecords::onSearchPath(quint32 rec) const {
    return folders_[at(rec).folder].onSearchPath;
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
// Compares key[skip ...] with the other key from its start, byte by byte (unsigned).
template <typename A, typename B> int compareKeys(const A& a, size_t skip, const B& b) {
    const size_t an = a.size() - skip, bn = b.size();
    const size_t n = std::min(an, bn);
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[skip + i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return an == bn ? 0 : (an < bn ? -1 : 1);
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
    std::sort(byKey.begin(), byKey.end(),
              [&](quint32 a, quint32 b) { return compareKeys(folderKey(a), 0, folderKey(b)) < 0; });
    // Folders whose texts differ only in case share a group; groups are in key order.
    o.group.resize(folderCount);
    for (size_t p = 0; p < folderCount; ++p) {
        if (o.groupFolder.empty() ||
            compareKeys(folderKey(o.groupFolder.back()), 0, folderKey(byKey[p])) != 0)
            o.groupFolder.push_back(byKey[p]);
        o.group[byKey[p]] = quint32(o.groupFolder.size() - 1);
    }
    return o;
}

std::vector<quint32> DupRecords::pathRanks() const {
    // A full path is the folder's text with its "/" and then the name. Folders are ranked by
    // that text once; two records of unrelated folders then compare by folder rank alone.
    // When one folder's text begins with the other's (a folder and one below it), the name
    // in the upper folder is compared with the rest of the lower folder's text; that rest
    // holds a "/", which no name does, so the comparison is decided inside it.
    const FolderOrder folders = folderOrder();
    const std::vector<quint32>& group = folders.group;
    // prefixEnd[g]: the first group after g whose key does not begin with the key of g.
    const size_t groupCount = folders.groupFolder.size();
    std::vector<quint32> prefixEnd(groupCount, quint32(groupCount));
    {
        std::vector<quint32> open;
        for (size_t g = 0; g < groupCount; ++g) {
            const FolderKey k = folderKey(folders.groupFolder[g]);
            while (!open.empty()) {
                const FolderKey top = folderKey(folders.groupFolder[open.back()]);
                if (beginsWith(k, top))
                    break;
                prefixEnd[open.back()] = quint32(g);
                open.pop_back();
            }
            open.push_back(quint32(g));
        }
    }

    const quint32 n = count_;
    std::vector<quint32> order(n);
    std::iota(order.begin(), order.end(), 0u);
    // The name of a record in the upper folder against the lower folder's text after the
    // upper folder's.
    auto nameVsRest = [&](const Record& upper, quint32 lowerFolder, size_t skip) {
        return -compareKeys(folderKey(lowerFolder), skip,
                            NameKey{nameBytes(upper), upper.nameLength});
    };
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        const Record& ra = at(a);
        const Record& rb = at(b);
        const quint32 fa = group[ra.folder], fb = group[rb.folder];
        if (fa == fb) {
            const int c = compareFolded(nameBytes(ra), ra.nameLength, nameBytes(rb), rb.nameLength);
            return c != 0 ? c < 0 : a < b;
        }
        if (fa < fb) {
            if (fb < prefixEnd[fa])
                return nameVsRest(ra, rb.folder, folderKey(ra.folder).size()) < 0;
            return true;
        }
        if (fa < prefixEnd[fb])
            return nameVsRest(rb, ra.folder, folderKey(rb.folder).size()) > 0;
        return false;
    });
    std::vector<quint32> rank(n);
    for (quint32 p = 0; p < n; ++p)
        rank[order[p]] = p;
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

qint64 DupRecords::memoryUsed() const {
    return qint64(records_.size()) * qint64(sizeof(Record)) * (qint64(1) << RecordChunkBits) +
           names_.memoryUsed() + folderPaths_.memoryUsed() +
           qint64(folders_.capacity() * sizeof(Folder));
}
