#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "platform/entry_info.h"

// The desktop's trash in the freedesktop.org layout ("files" and "info" folders, one
// ".trashinfo" per entry), written by the program itself: an entry is moved with renameat from
// the folder it was seen in, never looked up again by its path text, so a folder swapped for a
// link meanwhile cannot send something else to the trash.
//
// Which trash takes an entry:
// - the home trash ($XDG_DATA_HOME/Trash, by default ~/.local/share/Trash) when the entry is on
//   the same mount as that folder; its absolute path is recorded. Same mount, not just the same
//   file system: a rename across mounts fails, bind mounts of one file system included.
// - otherwise the top-directory trash of the entry's mount: "$top/.Trash/$uid" when
//   "$top/.Trash" is a real folder (not a link) with the sticky bit, else "$top/.Trash-$uid"
//   (made with mode 0700); the path is recorded relative to $top. Only mounts that hold user
//   files get one (holdsUserFiles of platform/drives.h: no pseudo file systems, no run-time
//   memory file systems under /run or /dev, nothing under /proc or /sys) and that the desktop's
//   trash can shows: see topTrashRefusal.
// - a read-only file system has no trash.
// Trash folders are real folders owned by the user; a link in their place is not used.

struct Drive;

// Why the desktop's trash can would never show a top-directory trash on `mount`, as a sentence
// for the person; empty when it would. The desktop refuses to trash on, and does not list, a
// memory (tmpfs) or overlay file system, a bind mount of a sub-folder (one that shows a folder
// other than its file system's root), and a file system mounted on a system folder ("/",
// "/home", "/var", "/mnt", ...; deeper mount points such as "/mnt/disk" are fine).
QString topTrashRefusal(const Drive& mount);

// One trash, opened for the entries of one mount.
class TrashBin {
public:
    TrashBin() = default;
    ~TrashBin();
    TrashBin(const TrashBin&) = delete;
    TrashBin& operator=(const TrashBin&) = delete;

    // Picks and opens the trash for entries of the mount that holds the open folder `dirFd`,
    // making its folders where they are missing. With `create` false nothing is made: the
    // answer says whether a call with `create` true would succeed.
    bool open(int dirFd, bool create, QString* error = nullptr);

    // Moves the entry `name` of the open folder `parentFd` into the trash; `path` is its full
    // path, recorded so the desktop can restore it. When `expected` is given the entry must
    // still be that file (EntryInfo::sameFile; errno ESTALE when not). On a name clash in the trash
    // both are kept. On failure nothing moved and no ".trashinfo" is left behind.
    bool take(int parentFd, const QByteArray& name, const QByteArray& path,
              const EntryInfo* expected = nullptr, QString* error = nullptr);

    // Whether `folder` is this trash's own folder (the one holding "files" and "info").
    bool isTrashFolder(const EntryInfo& folder) const;

private:
    void close();

    int files_ = -1;
    int info_ = -1;
    quint64 mountId_ = 0;
    QByteArray top_; // the mount's top folder for relative paths; empty for the home trash
    quint64 trashDevice_ = 0;
    quint64 trashInode_ = 0;
};

// Moves one file (or folder) to the trash by its full path. Its folders are opened without
// following links (platform/link_free_path.h), so the path may be of any length. Never deletes
// for good: on failure the file stays where it is and `error` (when given) says why.
bool moveToTrash(const QString& path, QString* error = nullptr);

// Whether entries of the folder `path` (of a file's folder when `path` is a file) can go to
// the trash: the same choice of trash as moveToTrash, without making anything. When not,
// `why` (when given) says why, as a sentence for the person.
bool trashUsable(const QString& path, QString* why = nullptr);

// Why the trash cannot take every one of the files `paths`: the first refusal met, as
// trashUsable words it; empty when it can. Each folder and each mount is asked once. A file
// whose folder cannot be reached is left to the run, which reports it.
QString trashRefusal(const QStringList& paths);
