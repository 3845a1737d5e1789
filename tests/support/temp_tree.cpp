#include "support/temp_tree.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
void makeParents(const QByteArray& path) {
    for (qsizetype i = 1; i < path.size(); ++i) {
        if (path[i] == '/') {
            const QByteArray part = path.left(i);
            if (::mkdir(part.constData(), 0755) != 0 && errno != EEXIST)
                throw std::runtime_error("mkdir failed: " + part.toStdString());
        }
    }
}

// Removes everything in the open folder `fd`, giving back the permissions a test took away.
// Works relative to descriptors, so depth and path length do not matter.
void emptyFolder(int fd) {
    std::vector<QByteArray> names;
    if (DIR* dir = ::fdopendir(::dup(fd))) {
        while (const dirent* e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        ::closedir(dir);
    }
    for (const QByteArray& name : names) {
        struct stat st;
        if (::fstatat(fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISDIR(st.st_mode)) {
            ::unlinkat(fd, name.constData(), 0);
            continue;
        }
        ::fchmodat(fd, name.constData(), 0755, 0);
        const int sub = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (sub >= 0) {
            emptyFolder(sub);
            ::close(sub);
        }
        ::unlinkat(fd, name.constData(), AT_REMOVEDIR);
    }
}
} // namespace

void removeTree(const QByteArray& path) {
    // Works on bytes, so names that are not UTF-8 go too. A deep tree needs a descriptor per
    // level.
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    ::chmod(path.constData(), 0755);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        emptyFolder(fd);
        ::close(fd);
    }
    ::rmdir(path.constData());
}

TempTree::TempTree() : dir_(QDir::tempPath() + QStringLiteral("/zelkova-tree-XXXXXX")) {
    if (!dir_.isValid())
        throw std::runtime_error("cannot make a temporary folder");
}

TempTree::~TempTree() {
    removeTree(nativePath());
}

QString TempTree::path() const {
    return dir_.path();
}

QByteArray TempTree::nativePath() const {
    return QFile::encodeName(dir_.path());
}

QByteArray TempTree::abs(const QByteArray& rel) const {
    return nativePath() + '/' + rel;
}

QByteArray TempTree::write(const QByteArray& rel, const QByteArray& bytes) {
    const QByteArray p = abs(rel);
    makeParents(p);
    const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + p.toStdString());
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    if (!written)
        throw std::runtime_error("write failed");
    return p;
}

QByteArray TempTree::file(const QByteArray& rel, qint64 size) {
    const QByteArray p = abs(rel);
    makeParents(p);
    const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + p.toStdString());
    if (size > 65536) {
        if (::ftruncate(fd, size) != 0) {
            ::close(fd);
            throw std::runtime_error("ftruncate failed");
        }
    } else if (size > 0) {
        QByteArray data(size, 'x');
        if (::write(fd, data.constData(), data.size()) != size) {
            ::close(fd);
            throw std::runtime_error("write failed");
        }
    }
    ::close(fd);
    return p;
}

QByteArray TempTree::dir(const QByteArray& rel) {
    const QByteArray p = abs(rel);
    makeParents(p + '/');
    return p;
}

QByteArray TempTree::symlink(const QByteArray& rel, const QByteArray& target) {
    const QByteArray p = abs(rel);
    makeParents(p);
    if (::symlink(target.constData(), p.constData()) != 0)
        throw std::runtime_error("symlink failed");
    return p;
}

QByteArray TempTree::hardLink(const QByteArray& rel, const QByteArray& existing) {
    const QByteArray p = abs(rel);
    makeParents(p);
    if (::link(abs(existing).constData(), p.constData()) != 0)
        throw std::runtime_error("link failed");
    return p;
}

bool TempTree::exists(const QByteArray& rel) const {
    struct stat st;
    return ::lstat(abs(rel).constData(), &st) == 0;
}

QByteArray TempTree::deepFile(const QByteArray& rel, int levels, int nameLength, qint64 size) {
    QByteArray path = dir(rel);
    int fd = ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < levels && fd >= 0; ++i) {
        const QByteArray name = QByteArray::number(i).rightJustified(nameLength, 'd');
        ::mkdirat(fd, name.constData(), 0755);
        const int next = ::openat(fd, name.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        path += '/' + name;
    }
    const int file =
        fd < 0 ? -1 : ::openat(fd, "f", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
    if (file < 0 || ::ftruncate(file, size) != 0)
        throw std::runtime_error("cannot make a deep file");
    ::close(file);
    return path + "/f";
}
