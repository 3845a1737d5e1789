#include "platform/link_free_path.h"

#include "platform/native_path.h"
#include "platform/unique_fd.h"

#include <QList>
#include <cerrno>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The components of an absolute path, or false for a relative one or one with "." or "..".
bool splitComponents(const QByteArray& path, QList<QByteArray>& parts) {
    if (!path.startsWith('/'))
        return false;
    parts.clear();
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty())
            continue;
        if (part == "." || part == "..")
            return false;
        parts.append(part);
    }
    return true;
}

// Opens parts[0 .. count) below "/", the last with `lastFlags`.
int openComponents(const QList<QByteArray>& parts, qsizetype count, int lastFlags) {
    const int base = O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open("/", (count == 0 ? lastFlags : O_PATH) | base);
    for (qsizetype i = 0; i < count && fd >= 0; ++i) {
        const int next =
            ::openat(fd, parts[i].constData(), (i + 1 == count ? lastFlags : O_PATH) | base);
        const int saved = errno;
        ::close(fd);
        errno = saved;
        fd = next;
    }
    return fd;
}

} // namespace

QByteArray tidyAbsolutePath(QByteArray path) {
    while (path.contains("//"))
        path.replace("//", "/");
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

int openFolderLinkFree(const QByteArray& path, int flags) {
    QList<QByteArray> parts;
    if (!splitComponents(path, parts)) {
        errno = EINVAL;
        return -1;
    }
    return openComponents(parts, parts.size(), flags);
}

int openParentLinkFree(const QByteArray& path, QByteArray& name) {
    QList<QByteArray> parts;
    if (!splitComponents(path, parts) || parts.isEmpty()) {
        errno = EINVAL;
        return -1;
    }
    name = parts.last();
    return openComponents(parts, parts.size() - 1, O_PATH);
}

int openLinkFree(const QByteArray& path, int flags) {
    flags |= O_NOFOLLOW | O_CLOEXEC;
    if (path.startsWith('/')) {
        open_how how{};
        how.flags = quint64(flags);
        how.resolve = RESOLVE_NO_SYMLINKS;
        const int fd = int(::syscall(SYS_openat2, AT_FDCWD, path.constData(), &how, sizeof how));
        // Too old a kernel, a sandbox that refuses the call, a path beyond PATH_MAX: the walk
        // one folder at a time serves all of them.
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != ENAMETOOLONG &&
                        errno != E2BIG && errno != EINVAL))
            return fd;
    }
    QByteArray name;
    const UniqueFd parent(openParentLinkFree(path, name));
    if (parent.fd < 0)
        return -1;
    return ::openat(parent.fd, name.constData(), flags);
}

std::optional<DirEntry> statPathLinkFree(const QString& path) {
    QByteArray name;
    const UniqueFd parent(openParentLinkFree(toNative(path), name));
    if (parent.fd < 0)
        return std::nullopt;
    return statEntry(parent.fd, name.constData());
}

bool statPathLinkFree(const QString& path, EntryInfo& info) {
    QByteArray name;
    const UniqueFd parent(openParentLinkFree(toNative(path), name));
    return parent.fd >= 0 && statAt(parent.fd, name.constData(), info);
}
