#pragma once

#include "platform/seen_files.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

class DirWalk;
class TrashBin;
struct EntryInfo;

// Deleting a whole folder tree, for good or into the trash.
//
// The walk works through folder descriptors (openat/unlinkat/renameat), never changes the
// current directory, never follows a symbolic link (a link is removed as a link) and never goes
// into another mounted file system (a mount point inside the tree is neither entered nor
// removed). Every entry is removed or trashed relative to the folder it was read from, after
// checking that it is still the entry that was read, so swapping a folder for a link during
// the walk cannot reach anything outside the tree. Hidden and system entries are included;
// before a read-only, hidden or system entry the person is asked, and any answer but Yes stops
// the whole walk. A Yes does not change the entry's permissions: removing it needs none, and
// a file in the trash keeps the permissions it is restored with.

// The running state and outcome of one folder deletion.
struct FolderDeletion {
    qint64 files = 0; // files really deleted or trashed
    // Their sizes (lstat, taken just before each attempt), a file of several hard links once:
    // deleted for good, when its last link goes (a link outside the tree keeps it); trashed,
    // the first time one of its names goes.
    qint64 bytes = 0;
    qint64 filesLeft = 0;   // files that could not be deleted or trashed
    qint64 foldersLeft = 0; // folders still standing: not opened, not emptied, or skipped
    QString firstFailure;   // why the first entry left behind stayed ("Permission denied")
    bool recycle = false;
    bool refused = false;           // a protected folder, or no usable trash: nothing was touched
    bool stopped = false;           // the person stopped the walk at an attribute question
    quint64 device = 0;             // the file system the tree lives on
    QByteArray path;                // the folder being worked on; one buffer for the whole walk
    TrashBin* bin = nullptr;        // the trash in recycle mode
    SeenFiles trashed;              // the files of several links trashed so far
    std::function<void()> progress; // called before each file is attempted
};

// Deletes the folder `path` (a full path; a trailing "/" is ignored) with everything in it and
// says what happened. In recycle mode the files go to the trash one by one and the emptied
// folders are removed for good; the trash folder itself is skipped when it lies in the tree.
// Whatever stays behind (not stopped by the person) is reported in an error box with the
// reason the first entry stayed, and so are a folder that cannot be reached without following
// a link and a trash that cannot take the tree's files (then nothing is touched).
FolderDeletion deleteFolderTree(const QString& path, bool recycle,
                                const std::function<void()>& progress = {});

// deleteFolderTree with the routine's classic interface: `files` and `bytes` are set to what
// was really deleted or sent to the trash. Returns false when the person stopped the walk at an
// attribute question, and also, touching nothing, when `path` is a protected folder or its
// files cannot go to the trash.
bool deleteFolder(const QString& path, qint64& files, qint64& bytes, bool recycle);

// Empties the walk's current folder (platform/dir_walk.h: one path buffer, a bounded number of
// descriptors, never a link followed or another mount entered): every file through
// deleteFolderFile, every sub-folder emptied and then removed.
void deleteFolderFiles(DirWalk& walk, FolderDeletion& run);

// One entry `name` of the open folder `dirFd` (whose path is `folder`) that is not a folder, as
// it was seen (`seen`): the attribute questions in the order read-only, hidden, system, then
// deletion for good or trashing, only while it is still that entry. Does nothing once the walk
// is stopped.
void deleteFolderFile(int dirFd, const QByteArray& folder, const char* name, const EntryInfo& seen,
                      FolderDeletion& run);

// Removes the folder `path` when it is empty, through its parent's descriptor, without
// following a link anywhere in the path. False when it is not empty, is gone, is not a folder
// or is protected (below); nothing else is touched.
bool removeEmptyFolder(const QString& path);

// Folders that are never deleted: "/", every folder directly under it (/bin, /home, /tmp ...),
// every mount point, the user's home folder and every folder that holds it, by any spelling
// of their paths. Callers refuse these.
bool isProtectedFolder(const QString& path);
