#include "platform/dir_entry.h"

#include "platform/dir_walk.h"
#include "platform/native_path.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr unsigned kMaskedAttributes = faHidden | faSysFile | faVolumeID | faDirectory;

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

// The entry `name` of the folder `dirFd` as `info` describes it, shown under `shownName`.
DirEntry toDirEntry(int dirFd, const char* name, QString shownName, const EntryInfo& info) {
    DirEntry e;
    e.name = std::move(shownName);
    e.attributes = info.attributes;
    if (S_ISLNK(info.mode)) {
        e.link = true;
        e.linkTarget = linkTargetAt(dirFd, name).value_or(QString());
    }
    // A folder's own size is file-system bookkeeping, not content: folders count 0 bytes,
    // as in the classic directory search.
    e.size = info.isFolder() ? 0 : info.size;
    e.writeTime = info.writeTime;
    e.accessTime = info.accessTime;
    e.creationTime = info.creationTime;
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
    EntryInfo info;
    if (!*name || !statAt(dirFd, name, info))
        return std::nullopt;
    return toDirEntry(dirFd, name, lastComponent(name), info);
}

std::optional<DirEntry> statPath(const QString& path) {
    const QByteArray native = toNative(path);
    if (native.isEmpty())
        return std::nullopt;
    return statEntry(AT_FDCWD, native.constData());
}

std::optional<QString> linkTargetAt(int dirFd, const char* name) {
    // A target longer than the buffer fills it: try again with a larger one.
    for (std::size_t size = 256; size <= (1u << 20); size *= 8) {
        std::vector<char> buffer(size);
        const ssize_t n = ::readlinkat(dirFd, name, buffer.data(), buffer.size());
        if (n < 0)
            return std::nullopt;
        if (std::size_t(n) < buffer.size())
            return fromNative(buffer.data(), qsizetype(n));
    }
    return std::nullopt;
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
    DirWalk walk;
    const bool opened = walk.openRoot(toNative(folder));
    if (ok)
        *ok = opened;
    if (!opened)
        return out;
    const bool everything = pattern == u"*" || pattern == u"*.*";
    for (const FolderEntry e : walk.readEntries()) {
        QString name = fromNative(e.name, qsizetype(std::strlen(e.name)));
        if (!everything && !wildcardMatch(pattern, name))
            continue;
        EntryInfo info;
        if (!statAt(walk.fd(), e.name, info) || !searchIncludes(info.attributes, mask))
            continue; // gone since it was read, or filtered out
        out.push_back(toDirEntry(walk.fd(), e.name, std::move(name), info));
    }
    return out;
}
