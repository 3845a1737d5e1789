#pragma once

#include "platform/entry_info.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Deleting and trashing listed files, without any window. Paths are exact (lossless, see
// platform/native_path.h); a symbolic link is always dealt with as the link itself.

// Sorts paths the way the confirmation list shows them: ascending without regard to case,
// ties broken by the exact text so the order never depends on the input order.
QStringList sortedForDeletion(QStringList paths);

// Removes one file for good. Its folder is opened without following a link anywhere in the
// path (platform/link_free_path.h) and the entry is removed relative to it, so a listed link is
// removed as a link, a folder swapped for a link since the listing is refused, and the path may
// be of any length. A folder is not removed. `freed` receives the bytes the removal gave back:
// the entry's own size (lstat) taken just before the removal when that was its last link, 0
// while another link of the file stays. With `expected`, the entry must still be that file,
// unchanged (FileIdentity::unchanged), when it is looked at just before the removal; else it
// stays, with errno ESTALE. False, with errno set, when the file stays.
bool deleteOneFile(const QString& path, qint64* freed = nullptr,
                   const FileIdentity* expected = nullptr);

// Moves one file to the trash (platform/trash.h), its folder opened as for deleteOneFile; on
// failure it stays where it is and is never deleted for good instead. A folder is not sent.
// `sent` receives what was sent, as looked at just before the attempt (its size and links
// among it); `error` says why it failed. `expected` as for deleteOneFile (errno ESTALE,
// `error` changedSinceScanText()).
bool sendToRecycleBin(const QString& path, FileIdentity* sent = nullptr, QString* error = nullptr,
                      const FileIdentity* expected = nullptr);

// Why a file is kept that is no longer the file a scan listed.
QString changedSinceScanText();

// The question asked before anything is sent to the trash.
QString recycleBinQuestion();

// Names groups of duplicates whose every copy is marked: the first three captions, then
// "and n more" for the rest ("a.txt, b.txt, c.txt and 2 more").
QString namedGroups(const QStringList& groups);
// The warning the confirmation shows for those groups, and the second question asked before
// they go (after the usual one).
QString lastCopiesWarning(const QStringList& groups);
QString lastCopiesQuestion(const QStringList& groups);

// What the confirmation says under its savings when `files` of the listed files have other
// links that stay: "(2 files have other links that stay: deleting them frees no space)".
// Empty for 0.
QString keptLinksText(qint64 files);

// What the deletion windows say in place of the trash when it is refused; `why` is the
// platform's reason (platform/trash.h).
QString noTrashText(const QString& why);

// What a run's check says of one file, just before it is attempted: an empty `refusal` lets it
// go, and then, when `expected` is set, only while it is still that file, unchanged; that is
// looked at again just before the removal, so a file swapped after the check stays.
struct FileVerdict {
    QString refusal;
    std::optional<FileIdentity> expected;
};
using FileCheck = std::function<FileVerdict(const QString& path)>;

// A file a run's check kept, and why.
struct RefusedFile {
    QString path;
    QString reason;
};

// What a run really did: the files removed (or trashed) and their bytes, a file of several
// hard links counted once: deleted for good, when its last link goes; trashed, the first time
// one of its names goes.
struct FileRunResult {
    qint64 files = 0; // names removed or trashed
    qint64 bytes = 0;
    int stoppedAt = -1; // index of the file at which a trash run stopped; -1 when it did not
    QString stopReason; // why that file could not be sent
    QList<RefusedFile> refused; // kept by the check, in run order; not in the counts
};

// Called with the index of each file before it is attempted.
using RunProgress = std::function<void(int index)>;

// Deletes every path for good, in the given order. A file that cannot be deleted is passed to
// `failed` with the system's reason ("Permission denied") and the run goes on. With a `check`,
// each file is checked just before it is attempted; a refused one stays, is listed in
// `refused` and the run goes on.
FileRunResult
deleteFilesForGood(const QStringList& paths, const RunProgress& progress,
                   const std::function<void(const QString& path, const QString& reason)>& failed,
                   const FileCheck& check = {});

// Sends the paths to the trash one by one, in the given order, and stops at the first that
// cannot be sent; that one and all after it stay where they are. A file refused by `check`
// stays, is listed in `refused`, and does not stop the run.
FileRunResult sendFilesToTrash(const QStringList& paths, const RunProgress& progress,
                               const FileCheck& check = {});

// The message listing the files a run's check kept: "2 files were not deleted:" (or "sent to
// the recycle bin") and a line "path: reason" for each, the first 20 of them, then
// "and n more".
QString refusedFilesText(const QList<RefusedFile>& refused, bool toTrash);
