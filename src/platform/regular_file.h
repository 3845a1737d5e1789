#pragma once

#include <QByteArray>

// Opening a file for reading only when it is a regular file. A FIFO, socket or device in the
// file's place is refused before it is opened, and the open itself is non-blocking, so that a
// FIFO slipped in between the look and the open cannot stall the program either.
enum class RegularFileError {
    None,       // opened
    Missing,    // nothing at the path (or a folder on the way is missing)
    NotRegular, // a folder, FIFO, socket or device
    Refused,    // no permission, or the system refused for another reason
};

struct RegularFileOpen {
    int fd = -1; // the caller closes it (platform/unique_fd.h)
    RegularFileError error = RegularFileError::None;
};

// Opens the file at the byte path (platform/native_path.h) read-only; symbolic links are
// followed. Others may read and write the file meanwhile.
RegularFileOpen openRegularFile(const QByteArray& path);
