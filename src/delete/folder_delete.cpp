#include "delete/folder_delete.h"

#include "common/message_boxes.h"
#include "common/size_sum.h"
#include "common/ui.h"
#include "platform/dir_walk.h"
#include "platform/drives.h"
#include "platform/error_text.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "platform/trash.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

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

// What stayed behind, for the report at the end of a run, with the reason the first entry
// stayed.
QString leftoverText(const FolderDeletion& run, const QString& path) {
    return QStringLiteral("Not everything in %1 could be %2: %3 files and %4 folders remain%5.")
        .arg(path,
             run.recycle ? QStringLiteral("sent to the recycle bin") : QStringLiteral("deleted"))
        .arg(run.filesLeft)
        .arg(run.foldersLeft)
        .arg(run.firstFailure.isEmpty() ? QString()
                                        : QStringLiteral(" (") + run.firstFailure + u')');
}

// Counts an entry left behind, keeping the reason of the first one.
void leftBehind(qint64& counter, FolderDeletion& run, const QString& reason) {
    ++counter;
    if (run.firstFailure.isEmpty())
        run.firstFailure = reason;
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
    EntryInfo info;
    if (statAt(AT_FDCWD, p.constData(), info) && info.mountRoot)
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

void deleteFolderFile(int dirFd, const QByteArray& folder, const char* name, const EntryInfo& seen,
                      FolderDeletion& run) {
    if (run.stopped)
        return;
    // The full path is made only for a question or the trash's record.
    const auto path = [&] { return (folder == "/" ? folder : folder + '/') + name; };
    const bool isLink = S_ISLNK(seen.mode);
    const bool readOnly = !isLink && !(seen.mode & S_IWUSR);
    const bool hidden = name[0] == '.';
    const bool system = !seen.isRegular() && !seen.isFolder();
    const QString tail = QStringLiteral("delete this file and continue deleting other files? ");
    auto agreed = [&](const char* what) {
        if (ui().askYesNoCancel(fromNative(path()) + QLatin1String(what) + tail) == Answer::Yes)
            return true;
        run.stopped = true;
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
    bool gone = false;
    qint64 bytes = 0;
    QString reason;
    EntryInfo now;
    if (run.recycle) {
        gone = run.bin && run.bin->take(dirFd, name, path(), &seen, &reason);
        bytes = gone && run.trashed.firstSight(seen) ? seen.size : 0;
    } else if (statAt(dirFd, name, now) && now.sameFile(seen) && !now.isFolder()) {
        gone = ::unlinkat(dirFd, name, 0) == 0;
        if (!gone)
            reason = systemErrorText(errno);
        // Another link keeps the file, and its space, on the disk.
        bytes = now.links <= 1 ? seen.size : 0;
    }
    if (gone) {
        ++run.files;
        run.bytes = addSize(run.bytes, bytes);
    } else {
        leftBehind(run.filesLeft, run, reason);
    }
}

void deleteFolderFiles(DirWalk& walk, FolderDeletion& run) {
    for (const FolderEntry entry : walk.readEntries()) {
        if (run.stopped)
            return;
        EntryInfo info;
        if (!statAt(walk.fd(), entry.name, info))
            continue; // gone meanwhile
        if (!info.isFolder()) {
            deleteFolderFile(walk.fd(), walk.path(), entry.name, info, run);
            continue;
        }
        // The trash being filled is never trashed into itself.
        if (run.bin && run.bin->isTrashFolder(info)) {
            ++run.foldersLeft;
            continue;
        }
        // A folder that cannot be entered, or lies on another mount, is left alone.
        const DirWalk::EnterResult entered = walk.enter(entry.name, &info);
        if (entered != DirWalk::Entered) {
            leftBehind(run.foldersLeft, run,
                       entered == DirWalk::NotOpened ? systemErrorText(errno) : QString());
            continue;
        }
        deleteFolderFiles(walk, run);
        if (!walk.leave()) {
            // This folder cannot be had again as itself (the tree moved): stop working on it.
            ++run.foldersLeft;
            return;
        }
        if (run.stopped)
            return; // the folders that hold the kept file stay
        // Fails when something in it remained; then it stays and the walk goes on.
        if (::unlinkat(walk.fd(), entry.name, AT_REMOVEDIR) != 0)
            leftBehind(run.foldersLeft, run, systemErrorText(errno));
    }
}

FolderDeletion deleteFolderTree(const QString& path, bool recycle,
                                const std::function<void()>& progress) {
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
    EntryInfo top;
    if (parent.fd < 0 || !statAt(parent.fd, name.constData(), top)) {
        // Gone, or reached only through a link: nothing is touched, and the person is told.
        run.refused = true;
        errorBox(QStringLiteral("The folder %1 cannot be reached (%2). Nothing was deleted.")
                     .arg(fromNative(native), systemErrorText(errno)));
        return run;
    }

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

    if (!top.isFolder()) {
        // A link (or anything else) where a folder was named goes as itself.
        const QByteArray folder =
            native.left(std::max<qsizetype>(1, native.size() - name.size() - 1));
        deleteFolderFile(parent.fd, folder, name.constData(), top, run);
    } else {
        // The walk must start in the very folder that was looked at through its parent.
        DirWalk walk;
        if (!walk.openRoot(native)) {
            leftBehind(run.foldersLeft, run, systemErrorText(errno));
        } else if (!walk.folderInfo().sameFile(top)) {
            ++run.foldersLeft;
        } else {
            deleteFolderFiles(walk, run);
            walk.close();
            if (!run.stopped && ::unlinkat(parent.fd, name.constData(), AT_REMOVEDIR) != 0)
                leftBehind(run.foldersLeft, run, systemErrorText(errno));
        }
    }
    run.bin = nullptr;
    if (!run.stopped && (run.filesLeft > 0 || run.foldersLeft > 0))
        errorBox(leftoverText(run, fromNative(native)));
    return run;
}

bool removeEmptyFolder(const QString& path) {
    if (isProtectedFolder(path))
        return false;
    QByteArray name;
    const UniqueFd parent(openParentLinkFree(tidyAbsolutePath(toNative(path)), name));
    return parent.fd >= 0 && ::unlinkat(parent.fd, name.constData(), AT_REMOVEDIR) == 0;
}

bool deleteFolder(const QString& path, qint64& files, qint64& bytes, bool recycle) {
    const FolderDeletion run = deleteFolderTree(path, recycle);
    files = run.files;
    bytes = run.bytes;
    return !run.stopped && !run.refused;
}
