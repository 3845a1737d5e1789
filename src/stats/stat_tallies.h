#pragma once

#include "common/size_sum.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <array>
#include <optional>
#include <vector>

// One tally: how many files and how many bytes they hold. 64-bit, so drives and files over
// 2 GB give right figures; the bytes stop at the largest 64-bit value (common/size_sum.h).
struct Tally {
    qint64 count = 0;
    qint64 bytes = 0;
    void add(qint64 size) {
        ++count;
        bytes = addSize(bytes, size);
    }
};

// The figures of one statistics collection: files by extension, size, attribute and the age
// of their three time stamps, and the space that cluster overhang would waste. Only tallies
// are kept, never one record per file, so memory does not grow with the number of files.
class StatTallies {
public:
    // Upper bounds (inclusive) of size buckets 1 to 8; bucket 9 holds everything larger.
    static constexpr std::array<qint64, 8> kSizeBounds{16384,   32768,   131072,  1048576,
                                                       2097152, 4194304, 8388608, 16777216};
    // Upper bounds in days (inclusive) of age buckets 1 to 8, matching the rows "<= 7 days"
    // ... "3 - 4 years"; bucket 9 is "Over 4 years", bucket 0 "Not recorded".
    static constexpr std::array<int, 8> kAgeBounds{7, 30, 60, 120, 365, 730, 1095, 1460};
    static constexpr std::array<qint64, 5> kClusterSizes{4096, 8192, 16384, 32768, 65536};
    // The type table holds at most this many extensions.
    static constexpr int kMaxTypes = 500;
    // Extensions longer than this many characters (the dot included) are not put in the type
    // table.
    static constexpr int kMaxExtensionLength = 5;

    enum AgeSet { Accessed = 0, Created = 1, Modified = 2 };

    struct TypeEntry {
        QString extension; // upper case with its dot (".TXT"); "" for names without one
        Tally tally;
    };

    // One file as the walk hands it over.
    struct File {
        const char* name = nullptr; // the kernel's bytes
        int nameLength = 0;
        qint64 size = 0;
        unsigned attributes = 0;
        qint64 accessTime = 0; // seconds since the epoch
        qint64 creationTime = 0;
        qint64 writeTime = 0;
    };

    // Clears every tally and fixes "today" for the age buckets: the local-time work of a
    // collection (day bounds and the range of recordable stamps) is done here, once, so that
    // classifying a stamp is a few comparisons.
    void clearVariables(const QDateTime& now);

    // Classifies one file into every tally.
    void crunchNumbers(const File& file);

    // The single classifiers, also used by crunchNumbers.
    // Counts the file under each of read-only, hidden, system and archive that it carries,
    // whatever else it carries: a hidden archive file counts under both, a file without
    // attributes under none.
    void collectFileAttr(unsigned attributes, qint64 size);
    // Tallies the extension (upper case, with its dot) in the type table.
    void insertType(const QString& extension, qint64 size);
    // The age bucket of `days` (-1: not recorded).
    static int ageToIndex(qint64 days);
    // The size bucket 1 .. 9 of a file size.
    static int sizeBucket(qint64 size);
    // Whole days between today (as set by clearVariables) and the local day of the stamp,
    // whichever comes first; -1 when the stamp cannot be recorded (before 1980 or after 2107
    // in local time, the epoch itself among them).
    qint64 daysAgo(qint64 unixSeconds) const;
    // The age bucket of a stamp, without working out its day: compares with the bounds made
    // by clearVariables.
    int ageBucketOf(qint64 unixSeconds) const;

    // The upper-cased extension of a file name in the kernel's bytes: from its last "." to the
    // end; "" when there is no dot. Upper-casing goes character by character, so it never
    // changes the length.
    static QString extensionOfName(const char* name, int length);

    qint64 filesProcessed = 0;
    qint64 totalBytes = 0;
    std::array<Tally, 10> sizes{}; // index 1 .. 9
    std::array<std::array<Tally, 10>, 3> ages{};
    Tally hidden, readOnly, system, archive;
    std::array<qint64, 5> overhang{};

    const std::vector<TypeEntry>& types() const { return types_; }

private:
    std::vector<TypeEntry> types_;        // in the order the extensions were first met
    QHash<QString, int> typeIndex_;       // extension -> position in types_
    qint64 recordableFrom_ = 0;           // local 1980-01-01 00:00
    qint64 recordableUntil_ = 0;          // local 2108-01-01 00:00 (exclusive)
    qint64 tomorrow_ = 0;                 // local midnight starting tomorrow
    std::array<qint64, 8> pastFrom_{};    // stamps from here on are at most kAgeBounds days old
    std::array<qint64, 8> futureUntil_{}; // stamps before here are at most that far ahead
    QDate today_;
};

// A gauge's whole percentage of value in total, kept within 0 .. 100; nullopt when the total
// is not above 0 (the gauge is then left as it was).
std::optional<int> gaugePercent(qint64 value, qint64 total);

// The top-ten ranks of the values, in their order: 1 for the largest, 0 for no rank. The ten
// largest values are ranked by descending value; equal values all point at the first entry
// holding that value, which keeps the largest rank number among them, while the others stay
// unranked.
std::vector<int> topTenRanks(const std::vector<qint64>& values);
