#include "platform/drives.h"

#include "platform/native_path.h"

#include <QSet>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
std::function<std::vector<Drive>()>& driveListSeam() {
    static std::function<std::vector<Drive>()> seam;
    return seam;
}

// Kernel and run-time file systems that hold no user files.
bool isPseudoFileSystem(const QString& type) {
    static const QSet<QString> pseudo = {
        "proc",        "sysfs",      "cgroup",    "cgroup2",    "devpts",      "devtmpfs",
        "mqueue",      "debugfs",    "tracefs",   "securityfs", "pstore",      "bpf",
        "configfs",    "fusectl",    "hugetlbfs", "autofs",     "binfmt_misc", "rpc_pipefs",
        "nsfs",        "efivarfs",   "selinuxfs", "nfsd",       "rootfs",      "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.lxcfs",
    };
    return pseudo.contains(type);
}

// Whether `path` is `folder` itself or lies below it.
bool atOrUnder(const QString& path, QStringView folder) {
    return path.startsWith(folder) &&
           (path.size() == folder.size() || path.at(folder.size()) == u'/');
}

} // namespace

bool holdsUserFiles(const Drive& d) {
    if (isPseudoFileSystem(d.fsType))
        return false;
    if (atOrUnder(d.root, u"/proc") || atOrUnder(d.root, u"/sys"))
        return false;
    // Memory file systems of the running system; a tmpfs elsewhere (/tmp) is a drive.
    const bool memory = d.fsType == u"tmpfs" || d.fsType == u"ramfs";
    if (memory && (atOrUnder(d.root, u"/run") || atOrUnder(d.root, u"/dev")))
        return false;
    // Read-only package images, often dozens of them.
    if (d.fsType == u"squashfs" && atOrUnder(d.root, u"/snap"))
        return false;
    return true;
}

namespace {

// Undoes the octal escapes (\040 for a blank, \011, \012, \134) of a mountinfo field.
QByteArray unescape(const QByteArray& field) {
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], d = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && d >= '0' && d <= '7') {
                out.append(char(((a - '0') << 6) | ((b - '0') << 3) | (d - '0')));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

QByteArray readMountInfo() {
    QByteArray text;
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            text.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(fd);
    return text;
}

// A bind-mounted file (containers mount /etc/hosts and the like) is no drive. A mount point
// that cannot be examined stays: it may be a drive that is not ready.
bool isFolderOrUnknown(const QString& root) {
    struct statx stx;
    if (::statx(AT_FDCWD, toNative(root).constData(),
                AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, STATX_TYPE, &stx) != 0)
        return true;
    return !(stx.stx_mask & STATX_TYPE) || S_ISDIR(stx.stx_mode);
}

QString withoutTrailingSlashes(const QString& path) {
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == u'/')
        --end;
    return path.left(end);
}

// The drive in `drives` with the longest root that holds `path`; -1 when none does.
int longestPrefix(const std::vector<Drive>& drives, const QString& path) {
    int best = -1;
    qsizetype bestLength = -1;
    for (size_t i = 0; i < drives.size(); ++i) {
        const QString& root = drives[i].root;
        const bool holds = root == u"/" ? path.startsWith(u'/') : atOrUnder(path, root);
        if (holds && root.size() > bestLength) {
            best = int(i);
            bestLength = root.size();
        }
    }
    return best;
}

QString homeFolder() {
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) {
        if (const passwd* pw = ::getpwuid(::getuid()))
            home = pw->pw_dir;
    }
    // A home reached through a symbolic link lies on the drive the link points into.
    char resolved[PATH_MAX];
    if (!home.isEmpty() && ::realpath(home.constData(), resolved))
        home = resolved;
    return fromNative(home);
}
} // namespace

std::vector<Drive> parseMountInfo(const QByteArray& text) {
    std::vector<Drive> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // id parent major:minor root mount-point options [optional...] - type source super
        if (fields.size() < 10)
            continue;
        qsizetype dash = -1;
        for (qsizetype i = 6; i < fields.size(); ++i) {
            if (fields[i] == "-") {
                dash = i;
                break;
            }
        }
        if (dash < 0 || dash + 2 >= fields.size())
            continue;
        Drive d;
        d.fsRoot = fromNative(unescape(fields[3]));
        d.root = fromNative(unescape(fields[4]));
        d.fsType = fromNative(unescape(fields[dash + 1]));
        d.device = fromNative(unescape(fields[dash + 2]));
        d.mountId = fields[0].toULongLong();
        if (!d.root.startsWith(u'/'))
            continue;
        mounts.push_back(std::move(d));
    }
    return mounts;
}

std::vector<Drive> drivesFromMounts(const std::vector<Drive>& mounts) {
    // A later mount on the same point hides the earlier one: keep the last.
    std::vector<Drive> drives;
    QSet<QString> seen;
    for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) {
        if (seen.contains(it->root))
            continue;
        seen.insert(it->root);
        if (holdsUserFiles(*it))
            drives.push_back(*it);
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.root < b.root; });
    return drives;
}

std::vector<Drive> mountedFileSystems() {
    return parseMountInfo(readMountInfo());
}

std::vector<Drive> driveList() {
    if (const auto& seam = driveListSeam())
        return seam();
    std::vector<Drive> drives = drivesFromMounts(parseMountInfo(readMountInfo()));
    std::erase_if(drives, [](const Drive& d) { return !isFolderOrUnknown(d.root); });
    return drives;
}

int currentDriveIndex(const std::vector<Drive>& drives) {
    if (drives.empty())
        return -1;
    const int i = longestPrefix(drives, homeFolder());
    return i < 0 ? 0 : i;
}

void setDriveListSeam(std::function<std::vector<Drive>()> seam) {
    driveListSeam() = std::move(seam);
}

std::optional<Drive> driveOf(const QString& path) {
    const std::vector<Drive> drives = driveList();
    const int i = longestPrefix(drives, path);
    if (i < 0)
        return std::nullopt;
    return drives[size_t(i)];
}

bool driveReady(const QString& root) {
    if (root.isEmpty())
        return false;
    struct statvfs vfs;
    return ::statvfs(toNative(root).constData(), &vfs) == 0;
}

bool mountedNoAtime(const QString& root) {
    struct statvfs vfs;
    return ::statvfs(toNative(root).constData(), &vfs) == 0 && (vfs.f_flag & ST_NOATIME) != 0;
}

namespace {
DiskGeometry geometryFrom(const struct statvfs& vfs) {
    const qint64 fragment = qint64(vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize);
    DiskGeometry g;
    if (fragment >= 512 && fragment % 512 == 0) {
        g.bytesPerSector = 512;
        g.sectorsPerCluster = fragment / 512;
    } else {
        // An odd block size cannot be told in 512-byte sectors; one sector per cluster keeps
        // the byte figures right.
        g.bytesPerSector = fragment;
        g.sectorsPerCluster = 1;
    }
    g.totalClusters = qint64(vfs.f_blocks);
    g.freeClusters = qint64(vfs.f_bavail);
    return g;
}
} // namespace

std::optional<DiskGeometry> diskGeometry(const QString& root) {
    if (root.isEmpty())
        return std::nullopt;
    struct statvfs vfs;
    if (::statvfs(toNative(root).constData(), &vfs) != 0)
        return std::nullopt;
    return geometryFrom(vfs);
}

std::optional<DiskGeometry> diskGeometryOf(int fd) {
    struct statvfs vfs;
    if (::fstatvfs(fd, &vfs) != 0)
        return std::nullopt;
    return geometryFrom(vfs);
}

bool isMountPoint(const QString& path) {
    if (path.isEmpty())
        return false;
    const QString p = withoutTrailingSlashes(path);
    for (const Drive& m : parseMountInfo(readMountInfo())) {
        if (m.root == p)
            return true;
    }
    // A test's stand-in drives count as mount points too.
    if (const auto& seam = driveListSeam()) {
        for (const Drive& d : seam()) {
            if (withoutTrailingSlashes(d.root) == p)
                return true;
        }
    }
    return false;
}
