#pragma once

#include "model/delete_files.h"
#include "platform/entry_info.h"

#include <QHash>
#include <QList>
#include <QString>

// The last look before a duplicate goes: a file found to have the same contents as others is
// compared byte for byte, just before it is deleted or trashed, with a copy that stays. So a
// hash that matched by chance, or a file edited since the scan, never costs the only copy of
// its bytes.

// A file of a group of duplicates, as the scan saw it.
struct SeenCopy {
    QString path; // exact (platform/native_path.h)
    FileIdentity seen;
};

// Whether the file `marked` may go as a duplicate of the copies `kept` (members of its group
// that stay): empty when it may, else why not ("its contents differ from the copy that
// stays"). Each file is opened as the entry itself (never through a symbolic link, never a
// FIFO or device, its folders opened without following links) and only while it is the
// regular file the scan saw (FileIdentity::unchanged), before and after it is read.
//
// The copies that stay are tried in order: the first one still as the scan saw it is the one
// compared; when none is, the first one's state is the reason. With no copy staying (every
// copy confirmed to go), only the file's own identity is checked.
QString sameContentsRefusal(const SeenCopy& marked, const QList<SeenCopy>& kept);

// The marked files of groups of duplicates, by exact path: what the scan saw of each and the
// members of its group that stay.
struct MarkedCopy {
    FileIdentity seen;
    QList<SeenCopy> kept;
};

// The check for a deletion run (model/delete_files.h): each marked file is compared as above,
// and one that passes goes only while it is still what the scan saw. A path not in `marked`
// goes unchecked.
FileCheck sameContentsCheck(QHash<QString, MarkedCopy> marked);
