#pragma once

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

private:
    QStringList paths_;
    qint64 count_ = 0;
    // Wider than any sum of 64-bit sizes, so that unmarking takes off exactly what marking
    // added even past the 64-bit range.
    __int128 total_ = 0;
    // The size each counted path was counted with, so an unmark takes off what the mark added.
    QMultiHash<QString, qint64> counted_;
};
