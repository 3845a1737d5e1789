#pragma once

#include <QByteArray>
#include <cstdint>

// Opening a file for reading only when it is a regular file. What the path names is looked at
// through a descriptor that cannot read (O_PATH) and opened for reading only through that
// descriptor, once it is known to be a regular file: a FIFO, socket or device is never opened,
// not even one put in the file's place between the look and the open. The open is also
// non-blocking, so that nothing can stall the program.
enum class RegularFileError {
    None,       // opened
    Missing,    // nothing at the path (or a folder on the way is missing)
    NotRegular, // a folder, FIFO, socket or device
    Refused,    // no permission, or the system refused for another reason
};

struct RegularFileOpen {
    int fd = -1; // the caller closes it (platform/unique_fd.h)
    RegularFileError error = RegularFileError::None;
    int errorNumber = 0; // the system's error number for Missing and Refused
};

// Opens the file at the byte path (platform/native_path.h) read-only; symbolic links are
// followed. Others may read and write the file meanwhile.
RegularFileOpen openRegularFile(const QByteArray& path);

// The same for the entry `name` of the open folder `dirFd`, without following it when it is a
// symbolic link: a link is NotRegular.
RegularFileOpen openRegularFileAt(int dirFd, const QByteArray& name);

// A copy in memory of a file whose size says nothing of what reading it gives: the files of
// proc and sysfs report 0 bytes or a whole page whatever they hold, and other kernel file
// systems report 0 bytes. Such a file is read from its start to its end, or to `limit` bytes,
// into an anonymous memory file that can be read at any offset and keeps its size.
struct FileCopy {
    int fd = -1;      // the memory file (the caller closes it); -1 when no copy was made
    bool cut = false; // the file held more than `limit` bytes
};
// Makes the copy for the open regular file when its size cannot be trusted: on proc or sysfs,
// or a size of 0 while reading gives bytes. No copy (fd -1) for any other file, an empty file
// on an ordinary file system included, so that it is read and followed as it grows.
FileCopy copyOfSizelessFile(int fd, std::int64_t limit);
