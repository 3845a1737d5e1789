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

QString changedSinceScanText() {
    return QStringLiteral("it changed since the scan");
}

QString refusedFilesText(const QList<RefusedFile>& refused, bool toTrash) {
    constexpr qsizetype shown = 20;
    QString text = refused.size() == 1
                       ? QStringLiteral("1 file was not ")
                       : QString::number(refused.size()) + QStringLiteral(" files were not ");
    text += toTrash ? QStringLiteral("sent to the recycle bin:") : QStringLiteral("deleted:");
    for (qsizetype i = 0; i < std::min(shown, refused.size()); ++i)
        text += u'\n' + escapeForLine(refused[i].path) + QStringLiteral(": ") + refused[i].reason;
    if (refused.size() > shown)
        text += QStringLiteral("\nand ") + QString::number(refused.size() - shown) +
                QStringLiteral(" more");
    return text;
}

namespace {

// Whether the entry looked at is not the expected file; errno is then ESTALE.
bool notExpected(const EntryInfo& seen, const FileIdentity* expected) {
    if (!expected || FileIdentity::of(seen).unchanged(*expected))
        return false;
    errno = ESTALE;
    return true;
}

} // namespace

bool deleteOneFile(const QString& path, qint64* freed, const FileIdentity* expected) {
    if (freed)
        *freed = 0;
    QByteArray name;
    const UniqueFd dir(openParentLinkFree(toNative(path), name));
    if (dir.fd < 0)
        return false;
    EntryInfo seen;
    if (!statAt(dir.fd, name.constData(), seen))
        return false;
    if (seen.isFolder()) {
        errno = EISDIR;
        return false;
    }
    if (notExpected(seen, expected))
        return false;
    if (::unlinkat(dir.fd, name.constData(), 0) != 0)
        return false;
    // Another link keeps the file, and its space, on the disk.
    if (freed && seen.links <= 1)
        *freed = seen.size;
    return true;
}

bool sendToRecycleBin(const QString& path, FileIdentity* sent, QString* error,
                      const FileIdentity* expected) {
    if (sent)
        *sent = FileIdentity{};
    const auto failed = [error](int code) {
        if (error)
            *error = systemErrorText(code);
        errno = code;
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
    if (notExpected(seen, expected)) {
        if (error)
            *error = changedSinceScanText();
        errno = ESTALE;
        return false;
    }
    // The trash checks again, just before the move, that the entry is still this file.
    TrashBin bin;
    if (!bin.open(dir.fd, true, error) ||
        !bin.take(dir.fd, name, tidyAbsolutePath(native), &seen, error))
        return false;
    if (sent)
        *sent = FileIdentity::of(seen);
    return true;
}

namespace {

// Runs the check, if any, on the file about to be attempted: false when it refuses, the file
// then listed in `result`. `expected` receives what the file must still be.
bool mayGo(const FileCheck& check, const QString& path, std::optional<FileIdentity>& expected,
           FileRunResult& result) {
    expected.reset();
    if (!check)
        return true;
    FileVerdict verdict = check(path);
    if (!verdict.refusal.isEmpty()) {
        result.refused.append({path, verdict.refusal});
        return false;
    }
    expected = verdict.expected;
    return true;
}

// After a failed attempt: true, with the file listed as refused, when it failed because it was
// no longer the checked file.
bool refusedAsChanged(const std::optional<FileIdentity>& expected, int error, const QString& path,
                      FileRunResult& result) {
    if (!expected || error != ESTALE)
        return false;
    result.refused.append({path, changedSinceScanText()});
    return true;
}

} // namespace

FileRunResult
deleteFilesForGood(const QStringList& paths, const RunProgress& progress,
                   const std::function<void(const QString& path, const QString& reason)>& failed,
                   const FileCheck& check) {
    FileRunResult result;
    std::optional<FileIdentity> expected;
    for (int i = 0; i < paths.size(); ++i) {
        if (progress)
            progress(i);
        if (!mayGo(check, paths[i], expected, result))
            continue;
        qint64 freed = 0;
        if (deleteOneFile(paths[i], &freed, expected ? &*expected : nullptr)) {
            ++result.files;
            result.bytes = addSize(result.bytes, freed);
            continue;
        }
        const int error = errno;
        if (!refusedAsChanged(expected, error, paths[i], result) && failed)
            failed(paths[i], systemErrorText(error));
    }
    return result;
}

FileRunResult sendFilesToTrash(const QStringList& paths, const RunProgress& progress,
                               const FileCheck& check) {
    FileRunResult result;
    SeenFiles trashed; // a file of several links counts its bytes once per run
    std::optional<FileIdentity> expected;
    for (int i = 0; i < paths.size(); ++i) {
        if (progress)
            progress(i);
        if (!mayGo(check, paths[i], expected, result))
            continue;
        FileIdentity sent;
        QString why;
        if (!sendToRecycleBin(paths[i], &sent, &why, expected ? &*expected : nullptr)) {
            if (refusedAsChanged(expected, errno, paths[i], result))
                continue;
            result.stoppedAt = i;
            result.stopReason = why;
            break;
        }
        ++result.files;
        if (trashed.firstSight(sent))
            result.bytes = addSize(result.bytes, sent.size);
    }
    return result;
}
