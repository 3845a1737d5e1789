#pragma once

#include "finders/file_records.h"

#include <QString>
#include <vector>

// The records of the date finder and their six grid cells: name, the last-access, creation
// and last-write dates as short date texts (empty when the file has no such date), the
// folder and the type. Names and folders show as they are on disk, with tabs, line breaks
// and undecodable bytes as visible escapes.
class ModsRecords : public FileRecords {
public:
    static constexpr int FieldCount = 6;
    QString field(quint32 rec, int column) const;
    // The clipboard line: columns 0 to 4, each followed by a tab.
    QString line(quint32 rec) const;
    // Per record, its place in the ascending order of the names, and of the folders,
    // upper-cased (a to z): the Name and Folder sort keys.
    std::vector<quint32> nameRanks() const;
    std::vector<quint32> folderRanksOfRecords() const;
};
