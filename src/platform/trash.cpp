#include "platform/trash.h"

#include "platform/drives.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "platform/unique_fd.h"
#include "platform/whole_file.h"

#include <QRandomGenerator>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kWouldMake = -2; // a dry run's answer for a folder that would be made

bool fail(QString* error, int code) {
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(code));
    errno = code;
    return false;
}

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

bool lookAt(int dirFd, const char* name, struct statx& sx) {
    const int flags = (*name ? AT_SYMLINK_NOFOLLOW : AT_EMPTY_PATH) | AT_NO_AUTOMOUNT;
    return ::statx(dirFd, name, flags,
                   STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID, &sx) == 0;
}

quint64 deviceOf(const struct statx& sx) {
    return makedev(sx.stx_dev_major, sx.stx_dev_minor);
}

bool writableFolder(int fd) {
    return ::faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) == 0;
}

// Opens the folder `name` of `parentFd` as a trash folder: a real folder (not a link) owned by
// the user and writable. A missing one is made with mode 0700 when `create` is set; in a dry
// run it gives kWouldMake when it could be made. -1 when it cannot serve.
int trashFolderAt(int parentFd, const char* name, bool create) {
    struct statx sx;
    if (!lookAt(parentFd, name, sx)) {
        if (errno != ENOENT)
            return -1;
        if (!create)
            return writableFolder(parentFd) ? kWouldMake : -1;
        if (::mkdirat(parentFd, name, 0700) != 0 && errno != EEXIST)
            return -1;
        if (!lookAt(parentFd, name, sx))
            return -1;
    }
    if (!S_ISDIR(sx.stx_mode) || sx.stx_uid != ::getuid())
        return -1;
    const int fd = ::openat(parentFd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && !writableFolder(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The user's data folder, where the home trash lives.
QByteArray dataHome() {
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    if (data.startsWith('/'))
        return data;
    return qgetenv("HOME") + "/.local/share";
}

// Opens the nearest entry at or above `path` that exists (following links: the home trash is
// wherever the user's data folder leads).
int openNearest(QByteArray path) {
    while (!path.isEmpty()) {
        const int fd = ::open(path.constData(), O_PATH | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        const qsizetype slash = path.lastIndexOf('/');
        path = slash > 0 ? path.left(slash) : (slash == 0 && path != "/" ? "/" : QByteArray());
    }
    return -1;
}

// Makes the folders of `path` that are missing; the last one with mode 0700.
bool makePath(const QByteArray& path) {
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        if (::mkdir(path.left(i).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// The mount with id `mountId`.
std::optional<Drive> mountWithId(quint64 mountId) {
    for (const Drive& mount : mountedFileSystems())
        if (mount.mountId == mountId)
            return mount;
    return std::nullopt;
}

// The top-directory trash of the open mount top `topFd`.
int topTrashFolder(int topFd, bool create) {
    const QByteArray uid = QByteArray::number(qulonglong(::getuid()));
    struct statx sx;
    if (lookAt(topFd, ".Trash", sx) && S_ISDIR(sx.stx_mode) && (sx.stx_mode & S_ISVTX)) {
        const UniqueFd shared(
            ::openat(topFd, ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (shared.fd >= 0) {
            const int fd = trashFolderAt(shared.fd, uid.constData(), create);
            if (fd != -1)
                return fd;
        }
    }
    return trashFolderAt(topFd, (".Trash-" + uid).constData(), create);
}

// The name the entry gets in the trash on the given attempt: its own name first, then with a
// number, then with a random tag, put before the extension ("a.txt", "a.2.txt", "a.5f3c9e01.txt").
// Long names are shortened (at a character boundary) so "<name>.trashinfo" fits in 255 bytes.
QByteArray trashName(const QByteArray& name, int attempt) {
    QByteArray stem = name, ext;
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0 && name.size() - dot <= 16) {
        stem = name.left(dot);
        ext = name.mid(dot);
    }
    qsizetype keep = std::min<qsizetype>(stem.size(), 220 - ext.size());
    while (keep > 0 && keep < stem.size() && (uchar(stem[keep]) & 0xC0) == 0x80)
        --keep;
    stem.truncate(keep);
    if (attempt == 1)
        return stem + ext;
    if (attempt <= 9)
        return stem + '.' + QByteArray::number(attempt) + ext;
    return stem + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ext;
}

QByteArray infoText(const QByteArray& recordedPath) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/") + "\nDeletionDate=" + date +
           "\n";
}

} // namespace

QString topTrashRefusal(const Drive& mount) {
    // Mount points that the desktop counts as the system's own.
    static const QStringList systemFolders = {
        "/",          "/bin",   "/boot",      "/dev",     "/etc",      "/home",   "/lib",
        "/lib32",     "/lib64", "/libx32",    "/media",   "/mnt",      "/opt",    "/proc",
        "/root",      "/run",   "/sbin",      "/srv",     "/sys",      "/tmp",    "/usr",
        "/usr/local", "/var",   "/var/local", "/var/log", "/var/mail", "/var/tmp"};
    QString why;
    if (mount.fsType == u"tmpfs")
        why = QStringLiteral("it is a memory file system");
    else if (mount.fsType == u"overlay")
        why = QStringLiteral("it is an overlay file system");
    else if (mount.fsRoot != u"/")
        why = QStringLiteral("it is a bind mount of a folder of another file system");
    else if (systemFolders.contains(mount.root))
        why = QStringLiteral("it is a system mount");
    else
        return {};
    return QStringLiteral("The desktop's trash does not take files from ") + mount.root +
           QStringLiteral(": ") + why;
}

TrashBin::~TrashBin() {
    close();
}

void TrashBin::close() {
    for (int* fd : {&files_, &info_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    top_.clear();
    trashDevice_ = 0;
    trashInode_ = 0;
}

bool TrashBin::open(int dirFd, bool create, QString* error) {
    close();
    struct statx where;
    if (!lookAt(dirFd, "", where))
        return fail(error, errno);
    if (!(where.stx_mask & STATX_MNT_ID))
        return fail(error, ENOTSUP);
    struct statvfs vfs;
    if (::fstatvfs(dirFd, &vfs) == 0 && (vfs.f_flag & ST_RDONLY))
        return fail(error, EROFS);
    mountId_ = where.stx_mnt_id;

    // The home trash when it (or the folder it would be made in) is on the same mount.
    int trash = -1;
    const QByteArray home = dataHome() + "/Trash";
    struct statx sx;
    const UniqueFd near(openNearest(home));
    if (near.fd >= 0 && lookAt(near.fd, "", sx) && sx.stx_mnt_id == mountId_) {
        if (create && !makePath(home))
            return fail(error, errno);
        trash = ::open(home.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (trash < 0 && !create && errno == ENOENT)
            trash = S_ISDIR(sx.stx_mode) && writableFolder(near.fd) ? kWouldMake : -1;
        else if (trash >= 0 && !writableFolder(trash)) {
            ::close(trash);
            trash = -1;
        }
    } else if (const std::optional<Drive> mount = mountWithId(mountId_);
               mount && holdsUserFiles(*mount)) {
        // A trash the desktop would never show could not be restored from: none at all.
        const QString refused = topTrashRefusal(*mount);
        if (!refused.isEmpty())
            return fail(error, refused);
        // The mount's own top folder, reached without links and checked to be that mount.
        const QByteArray top = toNative(mount->root);
        const UniqueFd topFd(openFolderLinkFree(top));
        if (topFd.fd >= 0 && lookAt(topFd.fd, "", sx) && sx.stx_mnt_id == mountId_) {
            trash = topTrashFolder(topFd.fd, create);
            top_ = top;
        }
    } else {
        return fail(error, QStringLiteral("This file system has no trash"));
    }
    if (trash == kWouldMake)
        return true;
    if (trash < 0)
        return fail(error, QStringLiteral("No trash folder can be used on this file system"));
    const UniqueFd trashFd(trash);
    if (!lookAt(trashFd.fd, "", sx))
        return fail(error, errno);
    trashDevice_ = deviceOf(sx);
    trashInode_ = sx.stx_ino;

    for (auto [name, fd] : {std::pair{"files", &files_}, std::pair{"info", &info_}}) {
        *fd = trashFolderAt(trashFd.fd, name, create);
        if (*fd == kWouldMake) {
            *fd = -1;
        } else if (*fd < 0 || !lookAt(*fd, "", sx) || sx.stx_mnt_id != mountId_) {
            close();
            return fail(error, QStringLiteral("The trash folder cannot be written"));
        }
    }
    return true;
}

bool TrashBin::take(int parentFd, const QByteArray& name, const QByteArray& path,
                    const EntryInfo* expected, QString* error) {
    if (files_ < 0 || info_ < 0)
        return fail(error, QStringLiteral("No trash is open"));
    QByteArray recorded = path;
    if (!top_.isEmpty()) {
        const QByteArray prefix = top_ == "/" ? top_ : top_ + '/';
        if (path.startsWith(prefix))
            recorded = path.mid(prefix.size());
    }
    const QByteArray info = infoText(recorded);
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QByteArray unique = trashName(name, attempt);
        const QByteArray infoName = unique + ".trashinfo";
        const int fd = ::openat(info_, infoName.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return fail(error, errno);
        }
        const bool written = writeAll(fd, info);
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            ::unlinkat(info_, infoName.constData(), 0);
            return fail(error, written ? EIO : writeError);
        }
        // Just before the move: still the entry that was seen, and on this trash's mount.
        struct statx sx;
        int problem = 0;
        if (!lookAt(parentFd, name.constData(), sx))
            problem = errno;
        else if (expected && (deviceOf(sx) != expected->device || sx.stx_ino != expected->inode))
            problem = ESTALE;
        else if (sx.stx_mnt_id != mountId_)
            problem = EXDEV;
        if (problem == 0 && ::renameat2(parentFd, name.constData(), files_, unique.constData(),
                                        RENAME_NOREPLACE) != 0) {
            problem = errno;
            if (problem == EINVAL) { // a file system without RENAME_NOREPLACE
                struct stat st;
                if (::fstatat(files_, unique.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
                    problem = EEXIST;
                else if (::renameat(parentFd, name.constData(), files_, unique.constData()) == 0)
                    problem = 0;
                else
                    problem = errno;
            }
        }
        if (problem == 0)
            return true;
        ::unlinkat(info_, infoName.constData(), 0);
        if (problem == EEXIST)
            continue;
        if (problem == ESTALE) {
            fail(error, QStringLiteral("The file changed since it was listed"));
            errno = ESTALE;
            return false;
        }
        return fail(error, problem);
    }
    return fail(error, EEXIST);
}

bool TrashBin::isTrashFolder(const EntryInfo& folder) const {
    return trashInode_ != 0 && folder.device == trashDevice_ && folder.inode == trashInode_;
}

bool moveToTrash(const QString& path, QString* error) {
    const QByteArray native = tidyAbsolutePath(toNative(path));
    QByteArray name;
    const UniqueFd parent(openParentLinkFree(native, name));
    if (parent.fd < 0)
        return fail(error, native.isEmpty() ? QStringLiteral("No file named")
                                            : QString::fromLocal8Bit(std::strerror(errno)));
    TrashBin bin;
    return bin.open(parent.fd, true, error) && bin.take(parent.fd, name, native, nullptr, error);
}

bool trashUsable(const QString& path, QString* why) {
    const QByteArray native = tidyAbsolutePath(toNative(path));
    int fd = openFolderLinkFree(native);
    if (fd < 0 && errno == ENOTDIR) {
        QByteArray name;
        fd = openParentLinkFree(native, name);
    }
    const UniqueFd folder(fd);
    if (folder.fd < 0)
        return false;
    TrashBin bin;
    return bin.open(folder.fd, false, why);
}

QString trashRefusal(const QStringList& paths) {
    QSet<QByteArray> folders;
    QSet<quint64> mounts;
    for (const QString& path : paths) {
        QByteArray name;
        const QByteArray native = tidyAbsolutePath(toNative(path));
        const QByteArray folder = native.left(native.lastIndexOf('/') + 1);
        if (folders.contains(folder))
            continue;
        folders.insert(folder);
        const UniqueFd parent(openParentLinkFree(native, name));
        struct statx sx;
        if (parent.fd < 0 || !lookAt(parent.fd, "", sx) || !(sx.stx_mask & STATX_MNT_ID))
            continue;
        if (mounts.contains(sx.stx_mnt_id))
            continue;
        mounts.insert(sx.stx_mnt_id);
        TrashBin bin;
        QString why;
        if (!bin.open(parent.fd, false, &why))
            return why;
    }
    return {};
}
