#pragma once

#include <QString>
#include <optional>
#include <vector>

// The classic file attributes, as the program uses them. On Linux:
// hidden = the name begins with "." ("." and ".." aside); system = neither a regular file nor
// a folder (symbolic links, devices, FIFOs, sockets); read-only = the owner's write bit is
// clear; archive = a regular file without the "no dump" flag; volume label = never set.
enum FileAttribute : unsigned {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
};

// Search masks: a search includes an entry unless the entry has one of the hidden, system,
// volume-label or folder attributes and the mask lacks it.
constexpr unsigned kFolderWalkMask = faDirectory;                   // 16
constexpr unsigned kFileMask = faReadOnly | faVolumeID | faArchive; // 41
constexpr unsigned kAnyFileMask = kFileMask | faHidden | faSysFile; // 47
constexpr unsigned kEverythingMask = kAnyFileMask | faDirectory;    // 63

bool searchIncludes(unsigned attributes, unsigned mask);

// One directory entry. Times are seconds since the Unix epoch (UTC).
struct DirEntry {
    QString name;    // without folder, lossless (platform/native_path.h)
    qint64 size = 0; // bytes, 64-bit; 0 for a folder
    unsigned attributes = 0;
    qint64 writeTime = 0;    // mtime
    qint64 accessTime = 0;   // atime
    qint64 creationTime = 0; // birth time where recorded, else ctime
    bool link = false;       // a symbolic link (never followed)
    QString linkTarget;      // a link's target as the link holds it; empty when unreadable
};

// The attributes of an entry from its name, its mode bits and whether it carries the
// "no dump" flag.
unsigned mapAttributes(const char* name, unsigned mode, bool noDump);

// Reads one entry without following a symbolic link (statx, AT_SYMLINK_NOFOLLOW), relative
// to an open folder descriptor (or AT_FDCWD with an absolute path). nullopt when it is gone
// or cannot be read.
std::optional<DirEntry> statEntry(int dirFd, const char* name);
// The same by absolute path.
std::optional<DirEntry> statPath(const QString& path);
// The target of the symbolic link `name` in the open folder `dirFd` (or a path with
// AT_FDCWD), as the link holds it, lossless; nullopt when it is not a link or cannot be read.
std::optional<QString> linkTargetAt(int dirFd, const char* name);

// The file-match test of a directory search: "*" (any run) and "?" (one character)
// wildcards, without regard to case. "*.*" matches every name, also names without a dot, and
// likewise "name.*" matches "name" itself.
bool wildcardMatch(const QString& pattern, const QString& name);

// The entries of one folder that match `pattern` and pass `mask`, in the order the folder
// yields them; "." and ".." are never listed. `ok` is false when the folder cannot be opened.
std::vector<DirEntry> listFolder(const QString& folder, const QString& pattern, unsigned mask,
                                 bool* ok = nullptr);
