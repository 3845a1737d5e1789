#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Deleting a whole folder tree, for good or into the trash.
//
// The walk works through folder descriptors (openat/unlinkat), never changes the current
// directory, never follows a symbolic link (a link is removed as a link) and never goes into
// another mounted file system (a mount point inside the tree is neither entered nor removed).
// Hidden and system entries are included; before a read-only, hidden or system entry the
// person is asked, and any answer but Yes stops the whole walk.

// Set when the person stops a folder deletion at an attribute question; cleared when a
// deletion starts.
extern bool deleteFolderStopped;

// The running state of one folder deletion.
struct FolderDeletion {
    qint64 files = 0; // files really deleted or trashed
    qint64 bytes = 0; // their sizes (lstat, taken just before each attempt)
    bool recycle = false;
    quint64 device = 0; // the file system the tree lives on
};

// Deletes the folder `path` (a full path; a trailing "/" is ignored) with everything in it.
// `files` and `bytes` are set to what was really deleted or sent to the trash. In recycle mode
// the files go to the trash one by one and the emptied folders are removed for good. The folder
// itself is removed at the end when it is empty. Returns false when the person stopped the walk
// at an attribute question, and also, touching nothing, when `path` is a protected folder.
bool deleteFolder(const QString& path, qint64& files, qint64& bytes, bool recycle);

// Empties the open folder `dirFd`, whose full path is `folder`: every file through
// deleteFolderFile, every sub-folder on the same file system emptied and then removed. A
// sub-folder that cannot be opened is skipped; one that cannot be removed stays.
void deleteFolderFiles(int dirFd, const QString& folder, FolderDeletion& run);

// One entry of the open folder `dirFd` that is not a folder: the attribute questions in the
// order read-only, hidden, system, then deletion for good or trashing. A file that cannot be
// deleted stays silently. Does nothing once the walk is stopped.
void deleteFolderFile(int dirFd, const QString& folder, const QByteArray& name,
                      FolderDeletion& run);

// Folders that are never deleted: "/", every mount point, the system's top-level folders
// (/bin, /boot, /dev, /etc, /lib*, /proc, /root, /run, /sbin, /sys, /usr, /var), the user's
// home folder and every folder that holds it. Callers refuse these.
bool isProtectedFolder(const QString& path);
