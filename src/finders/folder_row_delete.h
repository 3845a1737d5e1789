#pragma once

#include <QString>
#include <QtGlobal>

// What the folder-hog list shows for a listed folder after a deletion was tried on it.
enum class FolderRowState : quint8 {
    Listed,         // untouched (or the person stopped before anything was removed)
    Deleted,        // gone from the disk, deleted for good
    Recycled,       // gone from the disk, its files in the trash
    PartlyDeleted,  // some files were removed, the folder is still there: can be tried again
    PartlyRecycled, // the same in recycle mode
};

// The size cell of a folder row in `state`: the size text while listed, else the state's word.
QString folderRowSizeCell(FolderRowState state, const QString& sizeText);
// Whether a deletion may still be tried on a row in `state`.
inline bool folderRowDeletable(FolderRowState state) {
    return state != FolderRowState::Deleted && state != FolderRowState::Recycled;
}

// The refusal for a folder that may never be deleted (the root, a mount point, the system's
// and the home folder's own folders), by its exact path; empty when it may be deleted.
QString folderDeleteRefusal(const QString& path);

// The outcome of deleting one listed folder.
struct FolderRowDeletion {
    FolderRowState state = FolderRowState::Listed;
    qint64 files = 0;          // files really removed
    qint64 bytes = 0;          // and their bytes
    bool stopped = false;      // the person stopped it at a question
    bool emptyRemoved = false; // the folder was empty and was simply removed
    QString totalsError;       // why the deletion totals could not be updated; "" when they were
};

// Deletes the folder at its exact `path` (for good, or its files into the trash): an empty
// folder is simply removed; otherwise the whole tree goes through the delete layer, which asks
// about read-only, hidden and system files and reports what stayed behind. The row state says
// "gone" only when nothing is left at the path afterwards. The deletion totals grow by what was
// really removed; when the settings file refuses that, the outcome still says what was removed
// and `totalsError` says why the totals stayed behind.
FolderRowDeletion deleteListedFolder(const QString& path, bool recycle);

// The information text after a deletion that removed files ("Deleted 1,234 files for a savings
// of ..."), with a note when the folder is still there; empty when no file was removed.
QString folderDeletionReport(const FolderRowDeletion& d, bool recycle);
