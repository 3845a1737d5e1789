#include "finders/file_records.h"

#include "common/locations.h"
#include "common/number_text.h"
#include "model/row_order.h"
#include "platform/date_text.h"
#include "platform/file_time.h"
#include "platform/file_types.h"
#include "platform/native_path.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <string_view>

namespace {
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

QString sizeText(qint64 bytes) {
    return formatSizeK(bytes / 1024, bytes) + QStringLiteral(" K");
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

KeyedLists listByKey(const std::vector<quint32>& keyOf, quint32 keys) {
    KeyedLists lists;
    lists.start.assign(size_t(keys) + 1, 0);
    for (const quint32 k : keyOf)
        ++lists.start[k + 1];
    for (quint32 k = 0; k < keys; ++k)
        lists.start[k + 1] += lists.start[k];
    lists.items.resize(keyOf.size());
    std::vector<quint32> next(lists.start.begin(), lists.start.end() - 1);
    for (size_t i = 0; i < keyOf.size(); ++i)
        lists.items[next[keyOf[i]]++] = quint32(i);
    return lists;
}

// ---- FileStamps

namespace {
// The stamps' epoch: 30 December 1979, 00:00 UTC, before the first local second of 1980 in
// every time zone; 32 bits of seconds reach past the last local second of 2107 in all of them.
constexpr qint64 kStampEpoch = 315360000;
} // namespace

FileStamps::FileStamps() {
    oldest_ = QDateTime(QDate(1980, 1, 1), QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();
    newest_ = QDateTime(QDate(2108, 1, 1), QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch() - 1;
}

quint32 FileStamps::stamp(qint64 unixSeconds) const {
    if (unixSeconds < oldest_ || unixSeconds > newest_)
        return Outside;
    return quint32(unixSeconds - kStampEpoch);
}

quint32 FileStamps::packed(quint32 stamp) {
    return stamp == Outside ? 0 : packFileTime(qint64(stamp) + kStampEpoch);
}

// ---- FileRecords

FileRecords::FileRecords() = default;

FileRecords::~FileRecords() = default;

void FileRecords::clear() {
    refused_ = false;
    count_ = 0;
    records_.clear();
    records_.shrink_to_fit();
    lastChunkTrimmed_ = false;
    names_.clear();
    folderPaths_.clear();
    folders_.clear();
    folders_.shrink_to_fit();
    types_.clear();
    typeByExtension_.clear();
    haveLastType_ = false;
    havePendingFolder_ = false;
    pendingFolder_.clear();
    folderIndex_ = -1;
}

void FileRecords::folderFiles(const QByteArray& path) {
    // The path is valid only during this call: a copy (shared, not copied byte by byte) is
    // kept for the folder's files.
    pendingFolder_ = path;
    havePendingFolder_ = true;
    folderIndex_ = -1;
}

quint32 FileRecords::typeOf(const char* name, int length) {
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

void FileRecords::leaveFolder(const QByteArray&, int depth) {
    if (depth != 0)
        return;
    names_.trim();
    folderPaths_.trim();
    trimRecords();
}

void FileRecords::trimRecords() {
    const quint32 used = count_ & ((1u << RecordChunkBits) - 1);
    if (used == 0 || lastChunkTrimmed_)
        return;
    auto fitted = std::make_unique<Record[]>(used);
    std::copy_n(records_.back().get(), used, fitted.get());
    records_.back() = std::move(fitted);
    lastChunkTrimmed_ = true;
}

void FileRecords::untrimRecords() {
    const quint32 used = count_ & ((1u << RecordChunkBits) - 1);
    auto whole = std::make_unique<Record[]>(size_t(1) << RecordChunkBits);
    std::copy_n(records_.back().get(), used, whole.get());
    records_.back() = std::move(whole);
    lastChunkTrimmed_ = false;
}

bool FileRecords::intern(const ScanFile& file, Record& r) {
    if (folderIndex_ < 0) {
        if (!havePendingFolder_ || folders_.size() >= IndexLimit)
            return false;
        Folder f;
        if (!folderPaths_.add(pendingFolder_.constData(), size_t(pendingFolder_.size()), f.path))
            return false;
        f.length = quint32(pendingFolder_.size());
        f.onSearchPath = isOnSearchPath(fromNative(pendingFolder_));
        folderIndex_ = qint64(folders_.size());
        folders_.push_back(f);
    }
    if (!names_.add(file.name, size_t(file.nameLength), r.name))
        return false;
    r.folder = quint32(folderIndex_);
    return true;
}

void FileRecords::file(const ScanFile& file) {
    if (refused_ || (accept && !accept(file)))
        return;
    Record r;
    quint32 type = 0;
    if (qint64(count_) >= limit_ || count_ == std::numeric_limits<quint32>::max() ||
        file.nameLength > 0x7FFF || !intern(file, r) ||
        (type = typeOf(file.name, file.nameLength)) >= IndexLimit) {
        refused_ = true;
        if (onRefused)
            onRefused();
        return;
    }
    r.size = file.size;
    r.written = stamps_.stamp(file.writeTime);
    r.accessed = stamps_.stamp(file.accessTime);
    r.created = stamps_.stamp(file.creationTime);
    r.type = type;
    r.nameLength = quint16(file.nameLength);
    r.asciiName = !hasNonAscii(file.name, file.nameLength);
    const quint32 slot = count_ & ((1u << RecordChunkBits) - 1);
    if (slot == 0)
        records_.push_back(std::make_unique<Record[]>(size_t(1) << RecordChunkBits));
    else if (lastChunkTrimmed_)
        untrimRecords();
    records_.back()[slot] = r;
    ++count_;
}

qint64 FileRecords::size(quint32 rec) const {
    return at(rec).size;
}

QString FileRecords::name(quint32 rec) const {
    const Record& r = at(rec);
    return fromNative(nameBytes(r), r.nameLength);
}

QByteArray FileRecords::folderBytes(quint32 folder) const {
    const Folder& f = folders_[folder];
    return QByteArray(folderPaths_.at(f.path), qsizetype(f.length));
}

QString FileRecords::folder(quint32 rec) const {
    return fromNative(folderBytes(at(rec).folder));
}

QByteArray FileRecords::nativePath(quint32 rec) const {
    const Record& r = at(rec);
    QByteArray p = folderBytes(r.folder);
    if (!p.endsWith('/'))
        p.append('/');
    p.append(nameBytes(r), r.nameLength);
    return p;
}

QString FileRecords::path(quint32 rec) const {
    return fromNative(nativePath(rec));
}

QString FileRecords::type(quint32 rec) const {
    return types_.at(at(rec).type);
}

quint32 FileRecords::typeIndex(quint32 rec) const {
    return at(rec).type;
}

bool FileRecords::onSearchPath(quint32 rec) const {
    return folders_[at(rec).folder].onSearchPath;
}

quint32 FileRecords::lastWriteFileDate(quint32 rec) const {
    return FileStamps::packed(at(rec).written);
}

quint32 FileRecords::lastAccessFileDate(quint32 rec) const {
    return FileStamps::packed(at(rec).accessed);
}

quint32 FileRecords::creationFileDate(quint32 rec) const {
    return FileStamps::packed(at(rec).created);
}

// Stamps order like the times, with the times outside the packed range first.
double FileRecords::writeDateKey(quint32 rec) const {
    return double(at(rec).written);
}

double FileRecords::accessDateKey(quint32 rec) const {
    return double(at(rec).accessed);
}

double FileRecords::creationDateKey(quint32 rec) const {
    return double(at(rec).created);
}

// A folder's sort text: its path with a final "/" (the root "/" has one already), the
// letters a to z upper-cased. Read straight from the arena, never copied.
struct FileRecords::FolderKey {
    const char* path;
    size_t length;
    bool slash;
    size_t size() const { return length + (slash ? 1 : 0); }
    char operator[](size_t i) const { return i < length ? upperAscii(path[i]) : '/'; }
};

FileRecords::FolderKey FileRecords::folderKey(quint32 folder) const {
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

FileRecords::FolderOrder FileRecords::folderOrder() const {
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

std::vector<quint32> FileRecords::folderRanks() const {
    return folderOrder().group;
}

std::vector<quint32> FileRecords::pathRanks() const {
    // A full path is the folder's text with its "/" and then the name. Folders are put in
    // the order of those texts (groups), and each folder's records in the order of their
    // names. Two folders whose texts are not one the beginning of the other keep that order
    // with all their records. A folder whose text begins with another's (a folder below it,
    // the "child") goes as one block among the upper folder's records: before the first
    // name that is greater than the rest of its text. That rest holds a "/", which no name
    // does, so it never equals a name.
    const FolderOrder folders = folderOrder();
    const KeyedLists children = childGroups(folders);
    const KeyedLists records = recordsByName(folders);
    return mergePaths(folders, children, records);
}

KeyedLists FileRecords::childGroups(const FolderOrder& folders) const {
    // Each group's nearest group whose text begins its own; a group without one is listed
    // under the extra key groupCount.
    const auto groupCount = quint32(folders.groupFolder.size());
    auto groupKey = [&](quint32 g) { return folderKey(folders.groupFolder[g]); };
    std::vector<quint32> parent(groupCount, groupCount);
    std::vector<quint32> open;
    for (quint32 g = 0; g < groupCount; ++g) {
        const FolderKey k = groupKey(g);
        while (!open.empty() && !beginsWith(k, groupKey(open.back())))
            open.pop_back();
        if (!open.empty())
            parent[g] = open.back();
        open.push_back(g);
    }
    return listByKey(parent, groupCount + 1);
}

KeyedLists FileRecords::recordsByName(const FolderOrder& folders) const {
    // The first eight bytes of the upper-cased name settle most comparisons without reading a
    // record (names hold no zero byte, so zero-padded prefixes order like the names).
    struct Item {
        quint64 prefix;
        quint32 rec;
    };
    const quint32 n = count_;
    std::vector<quint32> groupOf(n);
    for (quint32 i = 0; i < n; ++i)
        groupOf[i] = folders.group[at(i).folder];
    KeyedLists lists = listByKey(groupOf, quint32(folders.groupFolder.size()));
    groupOf = {};
    std::vector<Item> items;
    for (size_t g = 0; g + 1 < lists.start.size(); ++g) {
        const quint32 b = lists.start[g], e = lists.start[g + 1];
        items.clear();
        for (quint32 k = b; k < e; ++k) {
            const Record& r = at(lists.items[k]);
            const char* name = nameBytes(r);
            quint64 prefix = 0;
            for (int c = 0; c < 8; ++c)
                prefix = (prefix << 8) |
                         (c < r.nameLength ? static_cast<unsigned char>(upperAscii(name[c])) : 0u);
            items.push_back(Item{prefix, lists.items[k]});
        }
        std::sort(items.begin(), items.end(), [&](const Item& x, const Item& y) {
            if (x.prefix != y.prefix)
                return x.prefix < y.prefix;
            const Record& rx = at(x.rec);
            const Record& ry = at(y.rec);
            const int c = compareFolded(nameBytes(rx), rx.nameLength, nameBytes(ry), ry.nameLength);
            return c != 0 ? c < 0 : x.rec < y.rec;
        });
        for (quint32 k = b; k < e; ++k)
            lists.items[k] = items[k - b].rec;
    }
    return lists;
}

std::vector<quint32> FileRecords::mergePaths(const FolderOrder& folders, const KeyedLists& children,
                                             const KeyedLists& records) const {
    // Each group's records are merged with its children's blocks, depth first, starting from
    // each group that is no one's child.
    const auto groupCount = quint32(folders.groupFolder.size());
    auto groupKey = [&](quint32 g) { return folderKey(folders.groupFolder[g]); };
    std::vector<quint32> rank(count_);
    quint32 placed = 0;
    struct Frame {
        quint32 group;
        quint32 rec;   // next record of the group (index into records.items)
        quint32 child; // next child (index into children.items)
    };
    std::vector<Frame> stack;
    for (quint32 k = children.start[groupCount]; k < children.start[groupCount + 1]; ++k) {
        const quint32 root = children.items[k];
        stack.push_back(Frame{root, records.start[root], children.start[root]});
        while (!stack.empty()) {
            Frame& f = stack.back();
            const bool recordsLeft = f.rec < records.start[f.group + 1];
            const bool childrenLeft = f.child < children.start[f.group + 1];
            if (!recordsLeft && !childrenLeft) {
                stack.pop_back();
                continue;
            }
            bool takeRecord = recordsLeft;
            if (recordsLeft && childrenLeft) {
                const Record& r = at(records.items[f.rec]);
                const FolderKey rest = groupKey(children.items[f.child]);
                takeRecord = compareKeys(rest, groupKey(f.group).size(),
                                         NameKey{nameBytes(r), r.nameLength}, 0) > 0;
            }
            if (takeRecord) {
                rank[records.items[f.rec++]] = placed++;
            } else {
                const quint32 c = children.items[f.child++];
                stack.push_back(Frame{c, records.start[c], children.start[c]});
            }
        }
    }
    return rank;
}

std::vector<quint32> FileRecords::typeRanks() const {
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
