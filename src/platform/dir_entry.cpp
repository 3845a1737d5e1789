#include "platform/dir_entry.h"

#include "platform/native_path.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr unsigned kMaskedAttributes = faHidden | faSysFile | faVolumeID | faDirectory;

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Where the last component of a path lies: [start, end), trailing slashes left out
// ("/a/b/" gives "b"; the root folder gives an empty range).
void lastComponentRange(const char* path, qsizetype& start, qsizetype& end) {
    end = qsizetype(std::strlen(path));
    while (end > 1 && path[end - 1] == '/')
        --end;
    start = end;
    while (start > 0 && path[start - 1] != '/')
        --start;
}

// The last component of a path given to statEntry ("/a/b/" gives "b", "/" gives "/").
QString lastComponent(const char* path) {
    qsizetype start, end;
    lastComponentRange(path, start, end);
    if (start == end) // the root folder, or an empty name
        return fromNative(path, end);
    return fromNative(path + start, end - start);
}

// Older kernels and some sandboxes refuse statx; fstatat gives the same minus the birth time
// and the "no dump" flag.
std::optional<DirEntry> statFallback(int dirFd, const char* name) {
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    DirEntry e;
    e.name = lastComponent(name);
    e.attributes = mapAttributes(name, st.st_mode, false);
    e.size = S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
    e.writeTime = st.st_mtim.tv_sec;
    e.accessTime = st.st_atim.tv_sec;
    e.creationTime = st.st_ctim.tv_sec;
    return e;
}

// Matches `name` against `pattern` ("*" any run, "?" one character) without regard to case.
// Iterative with one back-track point, so it runs in linear time for usual patterns.
bool globMatch(const QChar* p, qsizetype pn, const QChar* s, qsizetype sn) {
    qsizetype pi = 0, si = 0, starP = -1, starS = 0;
    while (si < sn) {
        if (pi < pn && p[pi] == u'*') {
            starP = pi++;
            starS = si;
        } else if (pi < pn && (p[pi] == u'?' || p[pi] == s[si] ||
                               p[pi].toCaseFolded() == s[si].toCaseFolded())) {
            ++pi;
            ++si;
        } else if (starP >= 0) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == u'*')
        ++pi;
    return pi == pn;
}
} // namespace

bool searchIncludes(unsigned attributes, unsigned mask) {
    return (attributes & kMaskedAttributes & ~mask) == 0;
}

unsigned mapAttributes(const char* name, unsigned mode, bool noDump) {
    unsigned a = 0;
    // The name may arrive as a path (statPath); only its last component counts.
    qsizetype start, end;
    lastComponentRange(name, start, end);
    const qsizetype length = end - start;
    const char* base = name + start;
    const bool dots =
        (length == 1 && base[0] == '.') || (length == 2 && base[0] == '.' && base[1] == '.');
    if (length > 0 && base[0] == '.' && !dots)
        a |= faHidden;
    const bool regular = S_ISREG(mode);
    const bool folder = S_ISDIR(mode);
    if (!regular && !folder)
        a |= faSysFile;
    if (folder)
        a |= faDirectory;
    if (regular && !noDump)
        a |= faArchive;
    if (!(mode & S_IWUSR))
        a |= faReadOnly;
    return a;
}

std::optional<DirEntry> statEntry(int dirFd, const char* name) {
    struct statx stx;
    const unsigned want = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME |
                          STATX_CTIME | STATX_BTIME;
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, want, &stx) != 0) {
        if (errno == ENOSYS || errno == EPERM)
            return statFallback(dirFd, name);
        return std::nullopt;
    }
    const bool noDump =
        (stx.stx_attributes_mask & STATX_ATTR_NODUMP) && (stx.stx_attributes & STATX_ATTR_NODUMP);
    DirEntry e;
    e.name = lastComponent(name);
    e.attributes = mapAttributes(name, stx.stx_mode, noDump);
    // A folder's own size is file-system bookkeeping, not content: folders count 0 bytes,
    // as in the classic directory search.
    e.size = S_ISDIR(stx.stx_mode) ? 0 : qint64(stx.stx_size);
    e.writeTime = stx.stx_mtime.tv_sec;
    e.accessTime = stx.stx_atime.tv_sec;
    e.creationTime =
        (stx.stx_mask & STATX_BTIME) ? stx.stx_btime.tv_sec : qint64(stx.stx_ctime.tv_sec);
    return e;
}

std::optional<DirEntry> statPath(const QString& path) {
    const QByteArray native = toNative(path);
    if (native.isEmpty())
        return std::nullopt;
    return statEntry(AT_FDCWD, native.constData());
}

bool wildcardMatch(const QString& pattern, const QString& name) {
    if (pattern == u"*" || pattern == u"*.*")
        return true;
    if (globMatch(pattern.constData(), pattern.size(), name.constData(), name.size()))
        return true;
    // "name.*" also matches "name" itself: an empty extension counts as any extension.
    if (pattern.endsWith(u".*") && !name.contains(u'.'))
        return globMatch(pattern.constData(), pattern.size() - 2, name.constData(), name.size());
    return false;
}

std::vector<DirEntry> listFolder(const QString& folder, const QString& pattern, unsigned mask,
                                 bool* ok) {
    std::vector<DirEntry> out;
    const int fd =
        ::open(toNative(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        if (ok)
            *ok = false;
        return out;
    }
    const bool everything = pattern == u"*" || pattern == u"*.*";
    while (const dirent* d = ::readdir(dir)) {
        if (isDotOrDotDot(d->d_name))
            continue;
        QString name = fromNative(d->d_name, qsizetype(std::strlen(d->d_name)));
        if (!everything && !wildcardMatch(pattern, name))
            continue;
        std::optional<DirEntry> e = statEntry(::dirfd(dir), d->d_name);
        if (!e || !searchIncludes(e->attributes, mask))
            continue; // gone since it was read, or filtered out
        e->name = std::move(name);
        out.push_back(std::move(*e));
    }
    ::closedir(dir);
    if (ok)
        *ok = true;
    return out;
}
