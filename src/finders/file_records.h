#pragma once

#include "finders/byte_arena.h"
#include "finders/scan_engine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The size text of a listed file: the kilobyte text (whole K, or tenths below 1 K) and " K".
QString sizeText(qint64 bytes);

// Texts of a packed file date-time (platform/file_time.h): the short date, empty for 0 and
// 1 January 1980 for a value that is no valid date; the long time, noon for a value that is
// no valid date and time (0 among them).
QString fileDateToDateStr(quint32 packed);
QString fileDateToTimeStr(quint32 packed);

// The numbers 0 to n - 1 put into lists by a key each (a counting sort): list k is
// items[start[k] .. start[k + 1]), its numbers in ascending order.
struct KeyedLists {
    std::vector<quint32> start; // one more than there are keys
    std::vector<quint32> items;
};
// `keyOf` holds the key of each number, every one below `keys`.
KeyedLists listByKey(const std::vector<quint32>& keyOf, quint32 keys);

// File times in 32 bits. Only local dates of 1980 to 2107 are ever shown or compared (a
// packed file date-time holds no others), so a time is kept as seconds since an epoch a
// little before 1980, and every time outside that range as Outside, which orders before
// every other stamp. The range is the local time zone's when the object is made.
class FileStamps {
public:
    static constexpr quint32 Outside = 0;
    FileStamps();
    quint32 stamp(qint64 unixSeconds) const;
    // The packed file date-time of a stamp; 0 for Outside.
    static quint32 packed(quint32 stamp);

private:
    qint64 oldest_; // the first and last second of the range, since the Unix epoch
    qint64 newest_;
};

// The compact store that every file finder keeps: one record per listed file, filled by a
// walk (it is the walk's sink). A record keeps numbers, not texts: the 64-bit size, the three
// time stamps, the name's bytes in an arena, the index of its interned folder and of its
// interned type, so a million records take 32 bytes each plus their names. Texts are
// made only when they are shown, copied or printed. Names and folders are kept exactly as
// the walk found them: a record's path is always the file's exact path, and every action on
// a row takes it from the record, never from the row's text.
class FileRecords : public ScanSink {
public:
    // Records beyond the limit are refused: onRefused runs once and the store takes no more
    // until it is cleared. The default limit is ten million files.
    static constexpr qint64 DefaultLimit = 10'000'000;
    void setLimit(qint64 limit) { limit_ = std::max<qint64>(0, limit); }
    qint64 limit() const { return limit_; }

    FileRecords();
    ~FileRecords() override;
    FileRecords(const FileRecords&) = delete;
    FileRecords& operator=(const FileRecords&) = delete;

    // Empties the store (and gives its memory back) for a new scan.
    virtual void clear();
    // Which of the walk's files are kept; every file when empty.
    std::function<bool(const ScanFile&)> accept;
    // Runs once when a record is refused.
    std::function<void()> onRefused;
    bool refused() const { return refused_; }

    // ScanSink.
    void folderFiles(const QByteArray& path) override;
    void file(const ScanFile& file) override;
    // At the end of a root's walk the unused room of the last chunks is given back.
    void leaveFolder(const QByteArray& path, int depth) override;

    quint32 count() const { return count_; }

    // The record's facts.
    qint64 size(quint32 rec) const;
    QString name(quint32 rec) const;   // as on disk
    QString folder(quint32 rec) const; // as walked, no trailing "/" except at "/"
    QString path(quint32 rec) const;   // the exact full path
    QByteArray nativePath(quint32 rec) const;
    QString type(quint32 rec) const;
    quint32 typeIndex(quint32 rec) const;
    // Whether the record's folder is one of the search-path folders.
    bool onSearchPath(quint32 rec) const;
    // The time stamps as packed file date-times; 0 outside 1980 to 2107.
    quint32 lastWriteFileDate(quint32 rec) const;
    quint32 lastAccessFileDate(quint32 rec) const;
    quint32 creationFileDate(quint32 rec) const;

    // Sort keys for the result grid: later times give larger keys, and dates outside the
    // range a packed date can hold (shown empty) count as the oldest.
    double writeDateKey(quint32 rec) const;
    double accessDateKey(quint32 rec) const;
    double creationDateKey(quint32 rec) const;
    // Per record, its place in the ascending order of the full paths upper-cased (a to z).
    std::vector<quint32> pathRanks() const;
    // Per type (typeIndex), its place in the ascending order of the type texts upper-cased
    // (a to z).
    std::vector<quint32> typeRanks() const;

protected:
    // Folders and types are interned only for records, so there are never more of them than
    // records; beyond IndexLimit of either a record is refused as beyond the store's limit.
    static constexpr quint32 IndexLimit = 1u << 24;
    struct Record {
        qint64 size;
        quint32 name;    // arena handle
        quint32 written; // FileStamps
        quint32 accessed;
        quint32 created;
        quint64 folder : 24; // index into folders_
        quint64 type : 24;   // index into types_
        quint64 nameLength : 15;
        quint64 asciiName : 1;
    };
    // A million records must stay well under 100 bytes each with their names and lists.
    static_assert(sizeof(Record) == 32);
    const Record& at(quint32 rec) const {
        return records_[rec >> RecordChunkBits][rec & ((1u << RecordChunkBits) - 1)];
    }
    const char* nameBytes(const Record& r) const { return names_.at(r.name); }
    QByteArray folderBytes(quint32 folder) const;
    // Per folder, its place among the folders ordered by their texts upper-cased (a to z);
    // folders whose texts differ only in case share a place.
    std::vector<quint32> folderRanks() const;

private:
    struct Folder {
        quint32 path; // arena handle
        quint32 length;
        bool onSearchPath;
    };
    static constexpr int RecordChunkBits = 16;

    // The folders ordered by their texts upper-cased (a to z), each with a final "/": per
    // folder its group (folders whose texts differ only in case share one), the groups in
    // ascending order, and one folder of each group.
    struct FolderKey;
    struct FolderOrder {
        std::vector<quint32> group;
        std::vector<quint32> groupFolder;
    };
    FolderKey folderKey(quint32 folder) const;
    FolderOrder folderOrder() const;
    // The steps of pathRanks: per group the groups whose text begins with its own and no
    // nearer group's (its children); per group its records in name order; the two merged.
    KeyedLists childGroups(const FolderOrder& folders) const;
    KeyedLists recordsByName(const FolderOrder& folders) const;
    std::vector<quint32> mergePaths(const FolderOrder& folders, const KeyedLists& children,
                                    const KeyedLists& records) const;

    bool intern(const ScanFile& file, Record& r);
    quint32 typeOf(const char* name, int length);
    // Gives back the unused room of the last chunk of records, and makes it whole again
    // before a record goes into it.
    void trimRecords();
    void untrimRecords();

    FileStamps stamps_;
    bool refused_ = false;
    quint32 count_ = 0;
    qint64 limit_ = DefaultLimit;
    std::vector<std::unique_ptr<Record[]>> records_;
    bool lastChunkTrimmed_ = false;
    ByteArena names_;
    ByteArena folderPaths_;
    std::vector<Folder> folders_;
    QStringList types_;
    std::unordered_map<std::string, quint32> typeByExtension_;
    std::string lastExtension_;
    quint32 lastType_ = 0;
    bool haveLastType_ = false;
    QByteArray pendingFolder_;
    bool havePendingFolder_ = false;
    qint64 folderIndex_ = -1; // interned index of the pending folder, -1 until its first record
};
