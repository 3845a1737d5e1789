#include "delete/folder_delete.h"

#include "app/message_boxes.h"
#include "app/ui.h"
#include "platform/drives.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "platform/trash.h"
#include "platform/unique_fd.h"

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

bool sameFolder(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The user's home folders: $HOME and the password database's entry (they may differ).
std::vector<QByteArray> homeFolders() {
    std::vector<QByteArray> homes;
    const QByteArray env = qgetenv("HOME");
    if (!env.isEmpty())
        homes.push_back(tidyAbsolutePath(env));
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
        homes.push_back(tidyAbsolutePath(QByteArray(pw->pw_dir)));
    return homes;
}

// What stayed behind, for the report at the end of a run.
QString leftoverText(const FolderDeletion& run, const QString& path) {
    return QStringLiteral("Not everything in %1 could be %2: %3 files and %4 folders remain.")
        .arg(path,
             run.recycle ? QStringLiteral("sent to the recycle bin") : QStringLiteral("deleted"))
        .arg(run.filesLeft)
        .arg(run.foldersLeft);
}

} // namespace

bool isProtectedFolder(const QString& path) {
    const QByteArray p = tidyAbsolutePath(toNative(path));
    // Only full paths can be judged; anything else is refused.
    if (!p.startsWith('/'))
        return true;
    // The root folder and every folder directly under it.
    if (p.lastIndexOf('/') == 0)
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
    struct stat root;
    if (::stat("/", &root) == 0 && (sameFolder(st, root) || sameFolder(parent, root)))
        return true;
    for (const QByteArray& home : homes) {
        // The home folder itself and every folder above it.
        QByteArray up = home;
        while (!up.isEmpty()) {
            struct stat other;
            if (::stat(up.constData(), &other) == 0 && sameFolder(st, other))
                return true;
            const qsizetype slash = up.lastIndexOf('/');
            up = slash > 0 ? up.left(slash) : QByteArray();
        }
    }
    return false;
}

void deleteFolderFile(int dirFd, const QByteArray& name, quint64 device, quint64 inode,
                      FolderDeletion& run) {
    if (deleteFolderStopped)
        return;
    struct stat st;
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return; // gone meanwhile
    const QByteArray path = run.path + '/' + name;
    const bool isLink = S_ISLNK(st.st_mode);
    const bool readOnly = !isLink && !(st.st_mode & S_IWUSR);
    const bool hidden = name.startsWith('.');
    const bool system = !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
    const QString tail = QStringLiteral("delete this file and continue deleting other files? ");
    auto agreed = [&](const char* what) {
        if (ui().askYesNoCancel(fromNative(path) + QLatin1String(what) + tail) == Answer::Yes)
            return true;
        deleteFolderStopped = true;
        return false;
    };
    // The attributes are confirmed, not cleared: see the header.
    if (readOnly && !agreed(" is read-only, "))
        return;
    if (hidden && !agreed(" is hidden, "))
        return;
    if (system && !agreed(" is a system file, "))
        return;

    if (run.progress)
        run.progress();
    const EntryId seen{device, inode};
    bool gone = false;
    if (run.recycle) {
        gone = run.bin && run.bin->take(dirFd, name, path, &seen);
    } else if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               EntryId{st.st_dev, st.st_ino} == seen && !S_ISDIR(st.st_mode)) {
        gone = ::unlinkat(dirFd, name.constData(), 0) == 0;
    }
    if (gone) {
        ++run.files;
        run.bytes += st.st_size;
    } else {
        ++run.filesLeft;
    }
}

void deleteFolderFiles(int dirFd, FolderDeletion& run) {
    for (const QByteArray& name : folderNames(dirFd)) {
        if (deleteFolderStopped)
            return;
        struct statx sx;
        if (!statEntryAt(dirFd, name.constData(), sx))
            continue; // gone meanwhile
        if (!S_ISDIR(sx.stx_mode)) {
            deleteFolderFile(dirFd, name, deviceOf(sx), sx.stx_ino, run);
            continue;
        }
        // The trash being filled is never trashed into itself.
        if (run.bin && run.bin->folderId() == EntryId{deviceOf(sx), sx.stx_ino}) {
            ++run.foldersLeft;
            continue;
        }
        const UniqueFd sub(openSubFolder(dirFd, name.constData(), sx, run.device));
        if (sub.fd < 0) {
            ++run.foldersLeft; // cannot be entered, or another file system: left alone
            continue;
        }
        const qsizetype length = run.path.size();
        run.path += '/' + name;
        deleteFolderFiles(sub.fd, run);
        run.path.truncate(length);
        if (deleteFolderStopped)
            return; // the folders that hold the kept file stay
        // Fails when something in it remained; then it stays and the walk goes on.
        if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) != 0)
            ++run.foldersLeft;
    }
}

FolderDeletion deleteFolderTree(const QString& path, bool recycle,
                                const std::function<void()>& progress) {
    deleteFolderStopped = false;
    FolderDeletion run;
    run.recycle = recycle;
    run.progress = progress;
    const QByteArray native = tidyAbsolutePath(toNative(path));
    if (isProtectedFolder(fromNative(native))) {
        run.refused = true;
        return run;
    }
    QByteArray name;
    const UniqueFd parent(openParentLinkFree(native, name));
    struct statx sx;
    if (parent.fd < 0 || !statEntryAt(parent.fd, name.constData(), sx))
        return run; // nothing reachable to delete
    run.device = deviceOf(sx);
    run.path = native.left(native.size() - name.size() - 1);

    TrashBin bin;
    if (recycle) {
        QString error;
        if (!bin.open(parent.fd, true, &error)) {
            run.refused = true;
            errorBox(QStringLiteral("The files of %1 cannot be sent to the recycle bin (%2). "
                                    "Nothing was deleted.")
                         .arg(fromNative(native), error));
            return run;
        }
        run.bin = &bin;
    }

    if (!S_ISDIR(sx.stx_mode)) {
        // A link (or anything else) where a folder was named goes as itself.
        deleteFolderFile(parent.fd, name, deviceOf(sx), sx.stx_ino, run);
    } else {
        const UniqueFd top(openSubFolder(parent.fd, name.constData(), sx, run.device));
        run.path = native;
        if (top.fd < 0) {
            ++run.foldersLeft;
        } else {
            deleteFolderFiles(top.fd, run);
            if (!deleteFolderStopped && ::unlinkat(parent.fd, name.constData(), AT_REMOVEDIR) != 0)
                ++run.foldersLeft;
        }
    }
    run.bin = nullptr;
    if (!deleteFolderStopped && (run.filesLeft > 0 || run.foldersLeft > 0))
        errorBox(leftoverText(run, fromNative(native)));
    return run;
}

bool deleteFolder(const QString& path, qint64& files, qint64& bytes, bool recycle) {
    const FolderDeletion run = deleteFolderTree(path, recycle);
    files = run.files;
    bytes = run.bytes;
    return !deleteFolderStopped && !run.refused;
}
