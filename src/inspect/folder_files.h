#pragma once

#include "platform/dir_entry.h"

#include <QHash>
#include <QString>
#include <vector>

// The files of one folder as the browser lists them: every entry that matches the file mask
// and is not a folder, hidden names (those beginning with ".") left out as in every walk of
// the program. A symbolic link is an entry of its own, never followed: its own size, and
// "link to" its target as its type. FIFOs, sockets and devices are entries too. Entries are
// in name order: the name upper-cased in the letters a to z, as the grid's text sort compares
// it, then the exact name. Each entry keeps the folder it was read from and its exact name, so
// every action works on the entry that was listed.
class FolderFiles {
public:
    // The grid's columns.
    enum Column { Modified, Time, Access, Size, Filename, Type, ColumnCount };

    // Reads `folder` (an absolute path) with the mask. False, with no entries, when the folder
    // cannot be read.
    bool read(const QString& folder, const QString& mask);
    void clear();
    // The error number of the last read that failed; 0 after one that did not.
    int error() const { return error_; }

    const QString& folder() const { return folder_; }
    int count() const { return int(entries_.size()); }
    const DirEntry& entry(int i) const { return entries_[std::size_t(i)]; }
    // The exact full path of entry `i`: the folder read, "/" unless it ends with one, the name.
    QString path(int i) const;
    // The sum of the listed sizes.
    qint64 totalSize() const { return total_; }

    // The text of a cell: the modification date and time, the access date (dates in the
    // short form, empty when the time has no date; the time "12:00:00" when it cannot be
    // converted), the size with thousands separators, the name (a tab or line break in it
    // escaped), the type of its extension (of a link: "link to" its target).
    QString cell(int i, int column) const;

    // Sort keys, larger sorting later in ascending order: the local date (not the time) of the
    // modification and of the access, 1 January 1900 when there is none; the size; the rank of
    // the name (entries are in name order); the rank of the type text among the listed types.
    double modifiedDateKey(int i) const;
    double accessDateKey(int i) const;
    double sizeKey(int i) const { return double(entry(i).size); }
    double nameKey(int i) const { return double(i); }
    double typeKey(int i) const;

private:
    QString typeOf(int i) const;

    QString folder_;
    std::vector<DirEntry> entries_;
    qint64 total_ = 0;
    int error_ = 0;
    mutable QHash<QString, QString> types_; // extension -> type text
    mutable QHash<QString, int> typeRanks_; // type text -> rank; made when first asked
};
