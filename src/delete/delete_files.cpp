#include "delete/delete_files.h"

#include "platform/native_path.h"
#include "platform/trash.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

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

} // namespace

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
    const Fd dir(::open(parent.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
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
