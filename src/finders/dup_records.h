#pragma once

#include "finders/file_records.h"

#include <QString>
#include <string>
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

// A number that orders like the sizes and is equal exactly when the size texts are equal
// (2048 and 2049 bytes both read "2 K"; 110 and 200 bytes both "0.1 K").
qint64 sizeTextKey(qint64 bytes);

// The records of the duplicate and file-hog finders: the file records that pass the size
// filter, their text fields in the two layouts, and their grouping.
//
// Text fields, separated by tabs in a record line:
//   duplicates (7): name padded to 14, size text, modified date, modified time, access date,
//                   folder + "/" (+ search-path marker), type
//   file hogs (6):  size text, modified date, modified time, access date,
//                   full path (+ search-path marker), type
// Names and folders show as they are on disk; tabs, line breaks and undecodable bytes in
// them are shown as visible escapes.
class DupRecords : public FileRecords {
public:
    explicit DupRecords(bool duplicates = true);

    bool duplicates() const { return duplicates_; }
    void clear() override;
    // Whether each record keeps the identity its file had at the walk (device, inode, size,
    // time to the nanosecond, links): the contents search needs it, the other searches do not
    // pay for it. Set before a walk; clear() keeps the setting.
    void setKeepIdentity(bool keep) { keepIdentity_ = keep; }
    const FileIdentity& identity(quint32 rec) const { return identities_[rec]; }
    void file(const ScanFile& file) override;
    void setFilter(const SizeFilter& filter) { filter_ = filter; }
    const SizeFilter& filter() const { return filter_; }

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

private:
    void nameKey(const Record& r, std::string& key) const;
    bool sameName(const Record& a, const Record& b) const;
    // File-hog mode's sorted list.
    std::vector<quint32> sizeOrder() const;
    // Per record, the rank of its upper-cased name among the distinct names (in ascending
    // byte order); `names` is set to how many distinct names there are.
    std::vector<quint32> rankNames(quint32& names) const;
    // Orders the records within each name's list.
    void orderWithinNames(KeyedLists& byName) const;

    bool duplicates_;
    SizeFilter filter_;
    bool keepIdentity_ = false;
    std::vector<FileIdentity> identities_;
};

// The records that the duplicate finder shows: every run of two or more neighbours in
// `sorted` (the sorted list) with the same key (sameKey), in list order; a record whose key
// occurs once is left out.
std::vector<quint32> duplicateRows(const DupRecords& records, const std::vector<quint32>& sorted,
                                   bool exact);
