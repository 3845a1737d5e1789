#include "support/temp_tree.h"

#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

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

// Gives back read, write and search permission to a folder, so the temporary tree can be
// removed after a test made parts of it unreadable.
int unlockOne(const char* path, const struct stat* st, int, struct FTW*) {
    if (S_ISDIR(st->st_mode))
        ::chmod(path, 0755);
    return 0;
}

int removeOne(const char* path, const struct stat*, int type, struct FTW*) {
    if (type == FTW_DP || type == FTW_D || type == FTW_DNR)
        ::rmdir(path);
    else
        ::unlink(path);
    return 0;
}
} // namespace

void removeTree(const QByteArray& path) {
    // Works on bytes, so names that are not UTF-8 go too; permissions a test took away are
    // given back first.
    ::chmod(path.constData(), 0755);
    ::nftw(path.constData(), unlockOne, 32, FTW_PHYS);
    ::nftw(path.constData(), removeOne, 32, FTW_PHYS | FTW_DEPTH);
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

bool TempTree::exists(const QByteArray& rel) const {
    struct stat st;
    return ::lstat(abs(rel).constData(), &st) == 0;
}
