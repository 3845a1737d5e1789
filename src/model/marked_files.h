#pragma once

#include "platform/entry_info.h"

#include <QMultiHash>
#include <QString>
#include <QStringList>

// The files marked in a result list: their paths in marking order, how many of them are files
// found on disk and their total size in bytes.
class MarkedFiles {
public:
    // Adds `path` to the marked list. A file found on disk (hidden and system files included,
    // folders not) is counted with its size; a path that is empty or not found changes no
    // total.
    void mark(const QString& path);
    // Takes `path` out of the marked list and off the totals by exactly what its mark added,
    // even when the file vanished or changed in between.
    void unmark(const QString& path);
    // Removes every mark and zeroes the count and total.
    void clear();

    // Full paths in marking order.
    const QStringList& paths() const { return paths_; }
    qint64 count() const { return count_; }
    // At most the largest 64-bit value: sparse files of exabytes can pass it.
    qint64 total() const;

    // What deleting every marked file would really free, by the links each file had when it
    // was marked. A file of one link frees its size. A file of several links frees its size
    // once when all its names are marked, and nothing while a name of it stays unmarked (also
    // one outside every list): `keptLinks` counts those marked names.
    struct Savings {
        qint64 bytes = 0;     // at most the largest 64-bit value
        qint64 keptLinks = 0; // marked names of files whose other links stay
    };
    Savings savings() const;

private:
    QStringList paths_;
    qint64 count_ = 0;
    // Wider than any sum of 64-bit sizes, so that unmarking takes off exactly what marking
    // added even past the 64-bit range.
    __int128 total_ = 0;
    // What each counted path was when it was marked (its size among it), so an unmark takes
    // off what the mark added and the savings know which names are links of one file.
    QMultiHash<QString, FileIdentity> counted_;
};
