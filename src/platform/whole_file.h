#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <sys/types.h>

// Reading and replacing a small file in one piece, by its byte path (platform/native_path.h).

// The file's bytes; empty when there is no file; nothing when something is there that cannot
// be read as a regular file (no permission, a folder, a device, a FIFO).
std::optional<QByteArray> readWholeFile(const QByteArray& path);

// Writes every byte to the open file, going on after interrupted and partial writes. False when
// a write fails (a full disk, say).
bool writeAll(int fd, QByteArrayView bytes);

// Reads from the open file until `length` bytes, its end or an error, going on after
// interrupted and partial reads: the bytes read, or -1 (errno set) when a read fails.
ssize_t readAll(int fd, char* out, size_t length);

// Makes `folder` and any missing folders above it (mode 0700). False when one cannot be made
// or something other than a folder is in the way.
bool makeFolders(const QByteArray& folder);

// Replaces the file's contents so that readers, and the disk after a crash or power cut, see
// either the old bytes or all of the new ones: the bytes go to a new file beside it
// (".<name>.<process number>.new"), which is flushed to the disk and then renamed over the old
// one. New files of that form left by writers that no longer run (killed mid-write) are
// removed first. A symbolic link stays a link and the file it leads to is replaced; the file
// keeps its permission bits. False, with the old file untouched, when any step fails (a full
// disk included).
bool replaceWholeFile(const QByteArray& path, QByteArrayView bytes);
