#pragma once

#include "finders/dup_records.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <span>
#include <vector>

// The duplicate finder's groups whose every listed copy is marked. `rows` is the list the grid
// shows (duplicateRows: each group's records stand together, a group is a run of the same key,
// sameKey with `exact`); `marked` says whether a record's row is marked. Returns the first
// record of each such group, in list order. A group with one copy left unmarked is not named.
std::vector<quint32> wholeMarkedGroups(const DupRecords& records, std::span<const quint32> rows,
                                       bool exact, const std::function<bool(quint32)>& marked);
// The same for groups told by `sameGroup(first, i)`: whether rows[i] belongs to the group that
// begins at rows[first].
std::vector<quint32> wholeMarkedGroups(std::span<const quint32> rows,
                                       const std::function<bool(size_t first, size_t i)>& sameGroup,
                                       const std::function<bool(quint32)>& marked);

// How the confirmation names a group: its file name as shown, and with `exact` its size text
// ("setup.exe (2 K)"), since exact groups of one name differ by size.
QString groupCaption(const DupRecords& records, quint32 rec, bool exact);
