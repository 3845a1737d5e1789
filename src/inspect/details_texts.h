#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// What the details window shows of one file, made without widgets.

// The age of `date` seen from `today` in words: "Today", "Yesterday", "Tomorrow", "This week",
// "Last week", "Next week", "n weeks ago", "n months ago", "n years m months ago" and their
// future forms without "ago". Weeks run from Sunday to Saturday. Empty for an invalid date.
QString relativeDateText(const QDate& date, const QDate& today);

// "Cluster size: k  Clusters used : n  Wasted bytes : w" for a file of `size` bytes on a file
// system whose clusters hold `clusterSize` bytes; "???" in place of the numbers when the
// cluster size is not known (0 or less).
QString clusterLine(qint64 size, qint64 clusterSize);

// The words of the set attribute bits (platform/dir_entry.h), each after a blank, in the
// order ReadOnly, Hidden, System, VolumeID, Directory, Archive.
QString attributeWords(unsigned attributes);

// A file time (seconds since the epoch) in local time: the short date, two blanks and its age
// seen from `today`; "???" when the time has no packed date (before 1980 or after 2107).
QString detailsDateText(qint64 unixSeconds, const QDate& today);

// The texts of the window's labels and its version lines.
struct FileDetails {
    QString fileName;
    QString fileType;
    QString sizeBytes; // "1,234 bytes"
    QString sizeK;     // the cluster line
    QString create;
    QString modify;
    QString access;
    QString attributes;
    QStringList version;
    bool regular = false; // a regular file, which Run and View may open
};

// Looks up the entry `fileName` names (a listed path, platform/native_path.h) without
// following a symbolic link, so the details describe the entry that was listed: a link shows
// its own size, dates, the System attribute and "link to" its target as its type. Only a
// regular file is read, for its version information; a FIFO, socket or device is only looked
// at. Nothing when the entry cannot be found.
std::optional<FileDetails> readFileDetails(const QString& fileName, const QDate& today);

// The lines of the printed details report; a tab or line break in the name shows as an escape.
QStringList detailsReportLines(const FileDetails& details);
