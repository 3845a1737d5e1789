#pragma once

#include "finders/scan_engine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The size filter of the duplicate and file-hog finders. Bounds are kilobytes of 1024 bytes,
// both inclusive; sizes are 64-bit, so a file of several gigabytes is judged by its true size.
enum class SizeMode { Larger, Smaller, Between };

struct SizeFilter {
    SizeMode mode = SizeMode::Larger;
    qint64 first = 250;  // K
    qint64 second = 250; // K, used by Between
    bool passes(qint64 bytes) const;
};

// The size text of a listed file: the kilobyte text (whole K, or tenths below 1 K) and " K".
QString sizeText(qint64 bytes);
// A number that orders like the sizes and is equal exactly when the size texts are equal
// (2048 and 2049 bytes both read "2 K"; 110 and 200 bytes both "0.1 K").
qint64 sizeTextKey(qint64 bytes);

// Texts of a packed file date-time (platform/file_time.h): the short date, empty for 0 and
// 1 January 1980 for a value that is no valid date; the long time, noon for a value that is
// no valid date and time (0 among them).
QString fileDateToDateStr(quint32 packed);
QString fileDateToTimeStr(quint32 packed);

// The records of the duplicate and file-hog finders: one compact record per listed file,
// filled by a walk (it is the walk's sink). A record keeps numbers, not texts: the size, the
// two time stamps, the name's bytes in an arena, the index of its interned folder and of its
// interned type. Its text fields are made only when they are shown, copied or printed, so a
// million listed files fit in well under 100 bytes each.
//
// Text fields, separated by tabs in a record line:
//   duplicates (7): name padded to 14, size text, modified date, modified time, access date,
//                   folder + "/" (+ search-path marker), type
//   file hogs (6):  size text, modified date, modified time, access date,
//                   full path (+ search-path marker), type
// The first file a folder's search returns shows its name and folder as they are; every later
// file of that folder shows them in lower case. Tabs, line breaks and undecodable bytes in a
// name are shown as visible escapes. The real path of a record (for marking, running and
// deleting) is always the file's exact path.
class DupRecords : public ScanSink {
public:
    // Records beyond the limit are refused: onRefused runs once and the scan ends as after
    // Abort, keeping what it has. The default limit is ten million files.
    static constexpr qint64 DefaultLimit = 10'000'000;
    static void setLimit(qint64 limit);
    static qint64 limit();

    explicit DupRecords(bool duplicates = true);
    ~DupRecords() override;
    DupRecords(const DupRecords&) = delete;
    DupRecords& operator=(const DupRecords&) = delete;

    bool duplicates() const { return duplicates_; }
    // Empties the store (and gives its memory back) for a new scan.
    void clear();
    void setFilter(const SizeFilter& filter) { filter_ = filter; }
    const SizeFilter& filter() const { return filter_; }
    // Runs once when a record is refused.
    std::function<void()> onRefused;
    bool refused() const { return refused_; }

    // ScanSink.
    void folderFiles(const QByteArray& path) override;
    void file(const ScanFile& file) override;

    // Number of records.
    quint32 count() const { return count_; }

    // The record's facts.
    qint64 size(quint32 rec) const;
    QString name(quint32 rec) const;   // as on disk
    QString folder(quint32 rec) const; // as walked, no trailing "/" except at "/"
    QString path(quint32 rec) const;   // the exact full path
    QByteArray nativePath(quint32 rec) const;
    QString type(quint32 rec) const;
    bool lowerCase(quint32 rec) const; // shown in lower case (not the folder's first file)

    // The text fields: 7 in duplicates mode, 6 in file-hog mode.
    int fieldCount() const { return duplicates_ ? 7 : 6; }
    QString field(quint32 rec, int index) const; // index 0 .. fieldCount() - 1
    QString line(quint32 rec) const;             // the fields joined by tabs

    // The records in the order of the sorted result list: duplicates mode groups equal names
    // (without regard to case) together, in ascending name order, and orders a group by size
    // text, then modification time, then folder text; file-hog mode orders by ascending size.
    std::vector<quint32> sortedList() const;
    // Whether two records have the same name without regard to case, and with `exact` the
    // same size text as well.
    bool sameKey(quint32 a, quint32 b, bool exact) const;

    // Sort keys for the result grid. Dates outside the range a packed date can hold (shown
    // empty) count as the oldest.
    double writeDateKey(quint32 rec) const;
    double accessDateKey(quint32 rec) const;
    // Per record, its place in the ascending order of the full paths upper-cased (a to z).
    std::vector<quint32> pathRanks() const;
    // Per type (typeIndex), its place in the ascending order of the type texts upper-cased
    // (a to z).
    std::vector<quint32> typeRanks() const;
    quint32 typeIndex(quint32 rec) const;

private:
    struct Record {
        qint64 size;
        qint64 writeTime;
        qint64 accessTime;
        quint32 name;   // arena handle
        quint32 folder; // index into folders_
        quint32 type;   // index into types_
        quint16 nameLength;
        quint8 flags;
    };
    struct Folder {
        quint32 path; // arena handle
        quint32 length;
        bool onSearchPath;
    };
    // Byte storage in chunks that never move, so handles stay valid and growing never copies.
    class Arena {
    public:
        static constexpr int ChunkBits = 20; // 1 MiB chunks
        // The handle of a copy of the bytes; false when the arena is full.
        bool add(const char* bytes, size_t length, quint32& handle);
        const char* at(quint32 handle) const {
            return chunks_[handle >> ChunkBits].get() + (handle & ((1u << ChunkBits) - 1));
        }
        void clear();

    private:
        std::vector<std::unique_ptr<char[]>> chunks_;
        size_t used_ = 0; // in the last chunk
        size_t size_ = 0; // of the last chunk
    };
    static constexpr int RecordChunkBits = 16;
    enum : quint8 { Lower = 1, NonAscii = 2 };

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

    const Record& at(quint32 rec) const {
        return records_[rec >> RecordChunkBits][rec & ((1u << RecordChunkBits) - 1)];
    }
    bool intern(const ScanFile& file, Record& r);
    quint32 typeOf(const char* name, int length);
    const char* nameBytes(const Record& r) const { return names_.at(r.name); }
    QByteArray folderBytes(quint32 folder) const;
    QString shownName(const Record& r) const;
    QString shownFolder(const Record& r) const;
    double dateKey(qint64 seconds) const;

    bool duplicates_;
    SizeFilter filter_;
    bool refused_ = false;
    quint32 count_ = 0;
    std::vector<std::unique_ptr<Record[]>> records_;
    Arena names_;
    Arena folderPaths_;
    std::vector<Folder> folders_;
    QStringList types_;
    std::unordered_map<std::string, quint32> typeByExtension_;
    std::string lastExtension_;
    quint32 lastType_ = 0;
    bool haveLastType_ = false;
    const QByteArray* pendingFolder_ = nullptr;
    qint64 folderIndex_ = -1; // interned index of the pending folder, -1 until its first record
    // Per record, the rank of its upper-cased name, made by sortedList in duplicates mode.
    mutable std::vector<quint32> nameRank_;
    qint64 oldestPackable_ = 0;
    qint64 newestPackable_ = 0;
};

// The records that the duplicate finder shows: every run of two or more neighbours in
// `sorted` (the sorted list) with the same key (sameKey), in list order; a record whose key
// occurs once is left out.
std::vector<quint32> duplicateRows(const DupRecords& records, const std::vector<quint32>& sorted,
                                   bool exact);
