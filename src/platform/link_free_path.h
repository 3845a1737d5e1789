#pragma once

#include "platform/dir_entry.h"
#include "platform/entry_info.h"

#include <QByteArray>
#include <QString>
#include <fcntl.h>
#include <optional>

// Opening an absolute path without following any symbolic link in it and without the PATH_MAX
// limit: the path is walked from "/" one component at a time with openat(O_NOFOLLOW |
// O_DIRECTORY), so every folder on the way is the real folder of that name. A path with a link
// anywhere in its folders, a "." or ".." component, or a relative path is refused (ELOOP or
// ENOTDIR for a link, EINVAL for the rest). Repeated and trailing slashes are ignored.

// The path with repeated slashes collapsed and a trailing one dropped ("/" stays "/").
QByteArray tidyAbsolutePath(QByteArray path);

// Opens the folder `path`. `flags` are added to O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC for the
// last component (O_PATH for a descriptor that only anchors *at calls, O_RDONLY to read it).
// Returns the descriptor, or -1 with errno set.
int openFolderLinkFree(const QByteArray& path, int flags = O_PATH);

// Opens the folder that holds the last component of `path` (as openFolderLinkFree with O_PATH)
// and puts that component in `name`. The last component itself is not looked at. Returns -1
// with errno set when the folder cannot be opened or the path names no entry ("/").
int openParentLinkFree(const QByteArray& path, QByteArray& name);

// Opens the entry `path` names with `flags` (O_CLOEXEC is added), its folders reached as above
// and the entry itself not followed when it is a symbolic link: with O_PATH | O_NOFOLLOW that
// opens the link itself, otherwise it fails with ELOOP. One call where the kernel resolves a
// path without links itself (openat2), else one call per folder. Returns the descriptor, or
// -1 with errno set.
int openLinkFree(const QByteArray& path, int flags);

// statEntry of the last component of `path`, its folders opened as above; nullopt when it
// cannot be reached that way. Works for paths of any length.
std::optional<DirEntry> statPathLinkFree(const QString& path);
// The same look into `info` (platform/entry_info.h), with the entry's identity and links; false,
// with errno set, when it cannot be reached or read.
bool statPathLinkFree(const QString& path, EntryInfo& info);
