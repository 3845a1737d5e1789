#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// A drive is a mounted file system that holds user files (from /proc/self/mountinfo, pseudo
// file systems and the run-time tmpfs mounts under /run, /dev and /sys left out), in
// mount-point order. Its root is the mount point; a folder path ends in "/" only at "/".
struct Drive {
    QString root;        // mount point, e.g. "/", "/home", "/media/usb"
    QString device;      // mount source, e.g. "/dev/sda1"
    QString fsType;      // e.g. "ext4"
    quint64 mountId = 0; // the mount's id (as statx's stx_mnt_id gives it)
    // The folder of its file system that the mount shows: "/" for a whole file system, a
    // sub-folder for a bind mount of one.
    QString fsRoot = QStringLiteral("/");
};

// The drive list: the system's, or the test seam's when one is installed. All drives are
// listed; the drive panel shows at most 25 of them.
std::vector<Drive> driveList();
// Every mount of a /proc/self/mountinfo text, in the text's order, its fields' octal escapes
// (\040 for a blank) undone. Mount points and sources keep their bytes (native_path.h).
std::vector<Drive> parseMountInfo(const QByteArray& text);
// The drives among those mounts: where one point is mounted more than once the last mount
// wins; pseudo file systems, anything under /proc and /sys, the memory file systems under
// /run and /dev and package images under /snap are left out; sorted by mount point.
std::vector<Drive> drivesFromMounts(const std::vector<Drive>& mounts);
// Whether a mount holds user files, the rule of drivesFromMounts: no pseudo file system,
// nothing under /proc or /sys, no memory file system under /run or /dev, no package image
// under /snap.
bool holdsUserFiles(const Drive& mount);
// Every mount of this process, from /proc/self/mountinfo (the test seam does not apply).
std::vector<Drive> mountedFileSystems();
// Index in `drives` of the current drive (the one holding the user's home folder, by the
// longest mount-point prefix); 0 when none holds it; -1 when the list is empty.
int currentDriveIndex(const std::vector<Drive>& drives);
// Installs a replacement drive list for tests; an empty function restores the system's.
void setDriveListSeam(std::function<std::vector<Drive>()> seam);

// The drive whose file system holds `path` (longest mount-point prefix); nullopt when none.
std::optional<Drive> driveOf(const QString& path);

// True when statvfs on the root succeeds.
bool driveReady(const QString& root);
// Whether the file system at `root` is mounted without access-time updates ("noatime"), so
// the last-access times there do not move when files are read.
bool mountedNoAtime(const QString& root);

// Cluster geometry and space of a drive from statvfs: bytes per cluster = f_frsize,
// presented as f_frsize / 512 sectors of 512 bytes; all 64-bit.
struct DiskGeometry {
    qint64 sectorsPerCluster = 0;
    qint64 bytesPerSector = 512;
    qint64 freeClusters = 0;  // f_bavail
    qint64 totalClusters = 0; // f_blocks
    qint64 bytesPerCluster() const { return sectorsPerCluster * bytesPerSector; }
    qint64 freeBytes() const { return freeClusters * bytesPerCluster(); }
    qint64 totalBytes() const { return totalClusters * bytesPerCluster(); }
};
std::optional<DiskGeometry> diskGeometry(const QString& root);
// The same for the file system that holds the open file `fd` (an O_PATH descriptor serves, so
// a FIFO or device is never really opened).
std::optional<DiskGeometry> diskGeometryOf(int fd);

// Whether `path` is the mount point of some mounted file system (the root folder among
// them, pseudo file systems too), by exact path; a trailing "/" is ignored. While a test
// seam is installed its drives' roots count as well. Such folders are never deleted.
bool isMountPoint(const QString& path);
