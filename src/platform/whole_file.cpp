#include "platform/whole_file.h"

#include "platform/regular_file.h"
#include "platform/unique_fd.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The name that `path` finally stands for once symbolic links are followed (it need not
// exist yet); nothing for a loop of links or a path that cannot be looked at.
std::optional<QByteArray> followLinks(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), target, sizeof target);
        if (n < 0)
            return errno == EINVAL || errno == ENOENT ? std::optional(path) : std::nullopt;
        if (n == sizeof target)
            return std::nullopt;
        QByteArray next(target, n);
        if (!next.startsWith('/'))
            next.prepend(path.left(path.lastIndexOf('/') + 1));
        path = next;
    }
    return std::nullopt;
}

} // namespace

bool writeAll(int fd, QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

std::optional<QByteArray> readWholeFile(const QByteArray& path) {
    // Only a regular file is opened: a FIFO or device put in the file's place is never
    // opened, so it can neither stall the program nor be woken by it.
    const RegularFileOpen opened = openRegularFile(path);
    if (opened.error == RegularFileError::Missing && opened.errorNumber == ENOENT)
        return QByteArray();
    const UniqueFd file(opened.fd);
    if (opened.error != RegularFileError::None)
        return std::nullopt;
    struct stat st;
    if (::fstat(file.fd, &st) != 0)
        return std::nullopt;
    QByteArray data;
    data.reserve(qsizetype(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return data;
        data.append(buffer, n);
    }
}

bool makeFolders(const QByteArray& folder) {
    struct stat st;
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (errno != ENOENT)
        return false;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0 && !makeFolders(folder.left(slash)))
        return false;
    return ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST;
}

bool replaceWholeFile(const QByteArray& path, QByteArrayView bytes) {
    const std::optional<QByteArray> target = followLinks(path);
    if (!target)
        return false;
    const qsizetype slash = target->lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target->left(slash) : slash == 0 ? "/" : ".";
    const QByteArray name = target->mid(slash + 1);
    const UniqueFd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0)
        return false;
    struct stat old;
    const bool existed = ::fstatat(dir.fd, name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return false;

    // The process number keeps two writers' new files apart; a leftover of a crashed
    // process of the same number is overwritten.
    const QByteArray temp = '.' + name + '.' + QByteArray::number(::getpid()) + ".new";
    int out = ::openat(dir.fd, temp.constData(),
                       O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (out < 0)
        return false;
    bool ok = !existed || ::fchmod(out, old.st_mode & 07777) == 0;
    ok = ok && writeAll(out, bytes) && ::fsync(out) == 0;
    ok = ::close(out) == 0 && ok;
    ok = ok && ::renameat(dir.fd, temp.constData(), dir.fd, name.constData()) == 0;
    if (!ok) {
        ::unlinkat(dir.fd, temp.constData(), 0);
        return false;
    }
    // The rename itself reaches the disk.
    ::fsync(dir.fd);
    return true;
}
