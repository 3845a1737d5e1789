#include "model/delete_files.h"
#include "platform/unique_fd.h"

#include "common/number_text.h"
#include "common/size_sum.h"
#include "platform/error_text.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "platform/seen_files.h"
#include "platform/trash.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QString namedGroups(const QStringList& groups) {
    constexpr qsizetype shown = 3;
    if (groups.size() <= shown + 1) {
        if (groups.size() < 2)
            return groups.value(0);
        return groups.first(groups.size() - 1).join(QStringLiteral(", ")) +
               QStringLiteral(" and ") + groups.last();
    }
    return groups.first(shown).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           QString::number(groups.size() - shown) + QStringLiteral(" more");
}

QString lastCopiesWarning(const QStringList& groups) {
    return QStringLiteral("Every copy of ") + namedGroups(groups) +
           QStringLiteral(" is marked: no copy will be left.");
}

QString lastCopiesQuestion(const QStringList& groups) {
    return lastCopiesWarning(groups) + QStringLiteral("\n\nDelete every copy anyway?");
}

QString keptLinksText(qint64 files) {
    if (files <= 0)
        return QString();
    if (files == 1)
        return QStringLiteral("(1 file has other links that stay: deleting it frees no space)");
    return QStringLiteral("(") + formatThousands(files) +
           QStringLiteral(" files have other links that stay: deleting them frees no space)");
}

QString noTrashText(const QString& why) {
    return why + QStringLiteral(". Files there can only be deleted for good.");
}

bool deleteOneFile(const QString& path, qint64* freed) {
    if (freed)
        *freed = 0;
    QByteArray name;
    const UniqueFd dir(openParentLinkFree(toNative(path), name));
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
    // Another link keeps the file, and its space, on the disk.
    if (freed && st.st_nlink <= 1)
        *freed = st.st_size;
    return true;
}

bool sendToRecycleBin(const QString& path, FileIdentity* sent, QString* error) {
    if (sent)
        *sent = FileIdentity{};
    const auto failed = [error](int code) {
        if (error)
            *error = systemErrorText(code);
        return false;
    };
    const QByteArray native = toNative(path);
    QByteArray name;
    const UniqueFd dir(openParentLinkFree(native, name));
    if (dir.fd < 0)
        return failed(errno);
    EntryInfo seen;
    if (!statAt(dir.fd, name.constData(), seen))
        return failed(errno);
    if (seen.isFolder())
        return failed(EISDIR);
    TrashBin bin;
    if (!bin.open(dir.fd, true, error) ||
        !bin.take(dir.fd, name, tidyAbsolutePath(native), &seen, error))
        return false;
    if (sent)
        *sent = FileIdentity::of(seen);
    return true;
}

FileRunResult
deleteFilesForGood(const QStringList& paths, const RunProgress& progress,
                   const std::function<void(const QString& path, const QString& reason)>& failed) {
    FileRunResult result;
    for (int i = 0; i < paths.size(); ++i) {
        if (progress)
            progress(i);
        qint64 freed = 0;
        if (deleteOneFile(paths[i], &freed)) {
            ++result.files;
            result.bytes = addSize(result.bytes, freed);
        } else if (failed) {
            failed(paths[i], systemErrorText(errno));
        }
    }
    return result;
}

FileRunResult sendFilesToTrash(const QStringList& paths, const RunProgress& progress) {
    FileRunResult result;
    SeenFiles trashed; // a file of several links counts its bytes once per run
    for (int i = 0; i < paths.size(); ++i) {
        if (progress)
            progress(i);
        FileIdentity sent;
        if (!sendToRecycleBin(paths[i], &sent, &result.stopReason)) {
            result.stoppedAt = i;
            break;
        }
        ++result.files;
        if (trashed.firstSight(sent))
            result.bytes = addSize(result.bytes, sent.size);
    }
    return result;
}
