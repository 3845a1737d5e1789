#pragma once

#include "finders/content_groups.h"
#include "finders/dup_records.h"
#include "model/same_contents.h"

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

// The duplicate finder's search by contents, between its records and its grid, without
// widgets: which records are compared, and how the groups found become rows and texts.
class ContentsSearch {
public:
    // The files of the records that can have a duplicate: every record of more than 0 bytes
    // (the records already passed the window's size limits and file match), in the records'
    // sorted order, so that a group lists its members by name and folder.
    static std::vector<ContentGroups::Candidate> candidates(const DupRecords& records,
                                                            const std::vector<quint32>& sorted);

    // Takes a grouping's result: the rows are each group's members, largest files first, each
    // member followed by its other names (hard links of the same file).
    void take(const ContentGroups::Result& result, quint32 recordCount);
    void clear();

    // The records in grid order.
    const std::vector<quint32>& rows() const { return rows_; }
    // The group number (1, 2 ...) of a record, 0 when it is not listed.
    quint32 groupOf(quint32 rec) const;
    // Whether the record is another name of the member listed above it.
    bool isOtherName(quint32 rec) const;
    // The text of the group column: "3", or "3 (hard link)" for another name.
    QString groupText(quint32 rec) const;
    // Whether rows[first] and rows[i] are in one group.
    bool sameGroup(size_t first, size_t i) const;

    // "n duplicates found in g groups, w bytes could be freed", and after it the files left
    // out, if any: " (2 files changed while compared, 1 could not be read)". Empty when no
    // group was found.
    QString status() const;

    // For the check at deletion (model/same_contents.h): each listed file `isMarked`, by exact
    // path, with what the walk saw of it and the members of its group that stay.
    QHash<QString, MarkedCopy> markedCopies(const DupRecords& records,
                                            const std::function<bool(quint32)>& isMarked) const;

private:
    static constexpr quint32 OtherName = 0x80000000u;
    std::vector<quint32> rows_;
    std::vector<quint32> tag_; // per record: group number, OtherName for another name
    qint64 duplicates_ = 0;
    qint64 freeable_ = 0;
    qint64 changed_ = 0;
    qint64 unreadable_ = 0;
    quint32 groups_ = 0;
};
