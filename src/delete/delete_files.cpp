#include "delete/delete_files.h"
#include "platform/unique_fd.h"

#include "platform/native_path.h"
#include "platform/trash.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Splits a native path into its parent folder and last component. The parent of "/name" is
// "/", of a bare name ".". Trailing slashes are not accepted: they name a folder.
bool splitPath(const QByteArray& path, QByteArray& parent, QByteArray& name) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        parent = ".";
        name = path;
    } else {
        parent = slash == 0 ? QByteArray("/") : path.left(slash);
        name = path.mid(slash + 1);
    }
    return !name.isEmpty() && name != "." && name != "..";
}

// The nearest folder at or above `path` that exists (by stat, following links as the trash
// itself would be reached).
QByteArray nearestExisting(QByteArray path, struct stat& st) {
    while (!path.isEmpty()) {
        if (::stat(path.constData(), &st) == 0)
            return path;
        const qsizetype slash = path.lastIndexOf('/');
        path = slash > 0 ? path.left(slash) : (slash == 0 && path != "/" ? "/" : QByteArray());
    }
    return path;
}

// A trash folder is usable when it is a real folder we may write into (and so are its
// "files" and "info" folders where they exist), or when it does not exist yet and the folder
// it would be made in is writable.
bool trashFolderUsable(const QByteArray& trash) {
    struct stat st;
    if (::lstat(trash.constData(), &st) == 0) {
        if (!S_ISDIR(st.st_mode) || ::access(trash.constData(), W_OK | X_OK) != 0)
            return false;
        for (const char* sub : {"/files", "/info"}) {
            const QByteArray p = trash + sub;
            if (::lstat(p.constData(), &st) == 0 &&
                (!S_ISDIR(st.st_mode) || ::access(p.constData(), W_OK | X_OK) != 0))
                return false;
        }
        return true;
    }
    const QByteArray base = nearestExisting(trash, st);
    return !base.isEmpty() && S_ISDIR(st.st_mode) && ::access(base.constData(), W_OK | X_OK) == 0;
}

// The user's data folder, where the home trash lives.
QByteArray dataHome() {
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (data.startsWith('/'))
        return data;
    return qgetenv("HOME") + "/.local/share";
}

// The mount point of the file system that holds the folder `dir` (on device `dev`).
QByteArray mountTop(QByteArray dir, dev_t dev) {
    while (dir != "/") {
        const qsizetype slash = dir.lastIndexOf('/');
        const QByteArray up = slash > 0 ? dir.left(slash) : QByteArray("/");
        struct stat st;
        if (::stat(up.constData(), &st) != 0 || st.st_dev != dev)
            break;
        dir = up;
    }
    return dir;
}

} // namespace

bool trashUsable(const QString& path) {
    QByteArray p = toNative(path);
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    if (!p.startsWith('/'))
        return false;
    struct statvfs vfs;
    if (::statvfs(p.constData(), &vfs) != 0 || (vfs.f_flag & ST_RDONLY))
        return false;
    struct stat st;
    if (::lstat(p.constData(), &st) != 0)
        return false;

    const QByteArray homeTrash = dataHome() + "/Trash";
    struct stat homeSt;
    if (!nearestExisting(homeTrash, homeSt).isEmpty() && homeSt.st_dev == st.st_dev)
        return trashFolderUsable(homeTrash);

    // Another file system: the trash folders at its top.
    QByteArray dir = p;
    if (!S_ISDIR(st.st_mode))
        dir = p.lastIndexOf('/') > 0 ? p.left(p.lastIndexOf('/')) : QByteArray("/");
    const QByteArray top = mountTop(dir, st.st_dev);
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(qulonglong(::getuid()));
    struct stat shared;
    const QByteArray sharedTrash = base + "/.Trash";
    if (::lstat(sharedTrash.constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX) && trashFolderUsable(sharedTrash + "/" + uid))
        return true;
    return trashFolderUsable(base + "/.Trash-" + uid);
}

QStringList sortedForDeletion(QStringList paths) {
    std::stable_sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return paths;
}

QString recycleBinQuestion() {
    // The blank line stands where the message has two carriage returns.
    return QStringLiteral("Note that the recycle bin may be full or that you may have the "
                          "\"Immediately Remove Files On Delete\" option turned on in the "
                          "recycle bin. If either is true, then you will not be able to recover "
                          "the deleted files from the recycle bin. \n\n"
                          "Send to the recycle bin anyway?");
}

bool deleteOneFile(const QString& path, qint64* size) {
    if (size)
        *size = 0;
    QByteArray parent, name;
    if (!splitPath(toNative(path), parent, name))
        return false;
    const UniqueFd dir(::open(parent.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.fd < 0)
        return false;
    struct stat st;
    if (::fstatat(dir.fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (::unlinkat(dir.fd, name.constData(), 0) != 0)
        return false;
    if (size)
        *size = st.st_size;
    return true;
}

bool sendToRecycleBin(const QString& path, qint64* size) {
    if (size)
        *size = 0;
    struct stat st;
    if (::lstat(toNative(path).constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    if (!moveToTrash(path))
        return false;
    if (size)
        *size = st.st_size;
    return true;
}

FileRunResult deleteFilesForGood(const QStringList& paths, const RunProgress& progress,
                                 const std::function<void(const QString& path)>& failed) {
    FileRunResult result;
    for (int i = 0; i < paths.size(); ++i) {
        if (progress)
            progress(i);
        qint64 size = 0;
        if (deleteOneFile(paths[i], &size)) {
            ++result.files;
            result.bytes += size;
        } else if (failed) {
            failed(paths[i]);
        }
    }
    return result;
}

FileRunResult sendFilesToTrash(const QStringList& paths, const RunProgress& progress) {
    FileRunResult result;
    for (int i = 0; i < paths.size(); ++i) {
        if (progress)
            progress(i);
        qint64 size = 0;
        if (!sendToRecycleBin(paths[i], &size)) {
            result.stoppedAt = i;
            break;
        }
        ++result.files;
        result.bytes += size;
    }
    return result;
}
