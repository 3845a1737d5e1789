#include "delete/folder_delete.h"
#include "platform/unique_fd.h"

#include "common/ui.h"
#include "delete/delete_files.h"
#include "platform/drives.h"
#include "platform/native_path.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

bool deleteFolderStopped = false;

namespace {

// Reads an entry without following a link and without triggering an automount.
bool statEntryAt(int dirFd, const char* name, struct statx& sx) {
    return ::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                   STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE, &sx) == 0;
}

quint64 deviceOf(const struct statx& sx) {
    return makedev(sx.stx_dev_major, sx.stx_dev_minor);
}

bool isMountRoot(const struct statx& sx) {
    return (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
           (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

// Opens the sub-folder `name` that was seen as `seen`, unless it is the root of a mount or
// lies on another file system than the tree. The descriptor is checked to be the very folder
// that was seen, so a folder swapped for a link or another folder meanwhile is not entered.
int openSubFolder(int dirFd, const char* name, const struct statx& seen, quint64 device) {
    if (isMountRoot(seen) || deviceOf(seen) != device)
        return -1;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_ino != seen.stx_ino || st.st_dev != device) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The names in an open folder, "." and ".." left out. They are read before anything is removed
// so that removing entries cannot disturb the reading.
std::vector<QByteArray> folderNames(int dirFd) {
    std::vector<QByteArray> names;
    const int fd = ::dup(dirFd);
    if (fd < 0)
        return names;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return names;
    }
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    return names;
}

QString childPath(const QString& folder, const QByteArray& name) {
    return folder + QLatin1Char('/') + fromNative(name);
}

// Collapses repeated slashes and drops a trailing one ("/" stays "/").
QByteArray tidyPath(QByteArray path) {
    while (path.contains("//"))
        path.replace("//", "/");
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool sameFolder(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The user's home folders: $HOME and the password database's entry (they may differ).
std::vector<QByteArray> homeFolders() {
    std::vector<QByteArray> homes;
    const QByteArray env = qgetenv("HOME");
    if (!env.isEmpty())
        homes.push_back(tidyPath(env));
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
        homes.push_back(tidyPath(QByteArray(pw->pw_dir)));
    return homes;
}

bool isSystemTopFolder(const QByteArray& name) {
    static const char* const names[] = {"bin", "boot", "dev", "etc", "proc", "root",
                                        "run", "sbin", "sys", "usr", "var"};
    for (const char* n : names)
        if (name == n)
            return true;
    return name.startsWith("lib");
}

} // namespace

bool isProtectedFolder(const QString& path) {
    const QByteArray p = tidyPath(toNative(path));
    // Only full paths can be judged; anything else is refused.
    if (!p.startsWith('/'))
        return true;
    if (p == "/")
        return true;
    const qsizetype lastSlash = p.lastIndexOf('/');
    if (lastSlash == 0 && isSystemTopFolder(p.mid(1)))
        return true;
    const std::vector<QByteArray> homes = homeFolders();
    for (const QByteArray& home : homes)
        if (home == p || home.startsWith(p + '/'))
            return true;
    if (isMountPoint(fromNative(p)))
        return true;

    // The same checks by identity, so another spelling of a protected folder ("/x/../usr",
    // a path through a link to "/") is caught too. A link itself is never protected: only the
    // link would be removed.
    struct stat st;
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    struct statx sx;
    if (statEntryAt(AT_FDCWD, p.constData(), sx) && isMountRoot(sx))
        return true;
    struct stat parent;
    if (::stat((p + "/..").constData(), &parent) == 0 && parent.st_dev != st.st_dev)
        return true;
    struct stat other;
    if (::stat("/", &other) == 0 && sameFolder(st, other))
        return true;
    if (DIR* root = ::opendir("/")) {
        bool hit = false;
        while (const dirent* e = ::readdir(root)) {
            if (isSystemTopFolder(QByteArray(e->d_name)) &&
                ::stat((QByteArray("/") + e->d_name).constData(), &other) == 0 &&
                sameFolder(st, other)) {
                hit = true;
                break;
            }
        }
        ::closedir(root);
        if (hit)
            return true;
    }
    for (const QByteArray& home : homes) {
        // The home folder itself and every folder above it.
        QByteArray up = home;
        while (!up.isEmpty()) {
            if (::stat(up.constData(), &other) == 0 && sameFolder(st, other))
                return true;
            const qsizetype slash = up.lastIndexOf('/');
            up = slash > 0 ? up.left(slash) : QByteArray();
        }
    }
    return false;
}

void deleteFolderFile(int dirFd, const QString& folder, const QByteArray& name,
                      FolderDeletion& run) {
    if (deleteFolderStopped)
        return;
    struct stat st;
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    const QString path = childPath(folder, name);
    const bool isLink = S_ISLNK(st.st_mode);
    const bool readOnly = !isLink && !(st.st_mode & S_IWUSR);
    const bool hidden = name.startsWith('.');
    const bool system = !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
    const QString tail = QStringLiteral("delete this file and continue deleting other files? ");
    auto agreed = [&](const char* what) {
        if (ui().askYesNoCancel(path + QLatin1String(what) + tail) == Answer::Yes)
            return true;
        deleteFolderStopped = true;
        return false;
    };
    if (readOnly) {
        if (!agreed(" is read-only, "))
            return;
        // Gives the owner write permission back; never follows a link.
        ::fchmodat(dirFd, name.constData(), (st.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW);
    }
    // A hidden file is hidden by its name and a system file by its kind: neither is cleared,
    // the entry is removed as itself.
    if (hidden && !agreed(" is hidden, "))
        return;
    if (system && !agreed(" is a system file, "))
        return;

    qint64 size = 0;
    bool gone = false;
    if (run.recycle) {
        gone = sendToRecycleBin(path, &size);
    } else if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               !S_ISDIR(st.st_mode) && ::unlinkat(dirFd, name.constData(), 0) == 0) {
        size = st.st_size;
        gone = true;
    }
    if (gone) {
        ++run.files;
        run.bytes += size;
    }
}

void deleteFolderFiles(int dirFd, const QString& folder, FolderDeletion& run) {
    for (const QByteArray& name : folderNames(dirFd)) {
        if (deleteFolderStopped)
            return;
        struct statx sx;
        if (!statEntryAt(dirFd, name.constData(), sx))
            continue; // gone meanwhile
        if (!S_ISDIR(sx.stx_mode)) {
            deleteFolderFile(dirFd, folder, name, run);
            continue;
        }
        const UniqueFd sub(openSubFolder(dirFd, name.constData(), sx, run.device));
        if (sub.fd < 0)
            continue; // cannot be entered, or another file system: left alone
        deleteFolderFiles(sub.fd, childPath(folder, name), run);
        if (deleteFolderStopped)
            return; // the folders that hold the kept file stay
        // Fails when something in it remained; then it stays and the walk goes on.
        ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
    }
}

bool deleteFolder(const QString& path, qint64& files, qint64& bytes, bool recycle) {
    files = 0;
    bytes = 0;
    deleteFolderStopped = false;
    const QByteArray native = tidyPath(toNative(path));
    if (isProtectedFolder(fromNative(native)))
        return false;

    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray parentPath = slash == 0 ? QByteArray("/") : native.left(slash);
    const QByteArray name = native.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    const UniqueFd parent(
        ::open(parentPath.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (parent.fd < 0)
        return true; // nothing reachable to delete
    struct statx sx;
    if (!statEntryAt(parent.fd, name.constData(), sx))
        return true;

    FolderDeletion run;
    run.recycle = recycle;
    run.device = deviceOf(sx);
    const QString parentText = fromNative(parentPath == "/" ? QByteArray() : parentPath);
    if (!S_ISDIR(sx.stx_mode)) {
        // A link (or anything else) where a folder was named goes as itself.
        deleteFolderFile(parent.fd, parentText, name, run);
    } else {
        const UniqueFd top(openSubFolder(parent.fd, name.constData(), sx, run.device));
        if (top.fd >= 0) {
            deleteFolderFiles(top.fd, fromNative(native), run);
            if (!deleteFolderStopped)
                ::unlinkat(parent.fd, name.constData(), AT_REMOVEDIR);
        }
    }
    files = run.files;
    bytes = run.bytes;
    return !deleteFolderStopped;
}
