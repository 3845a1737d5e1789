#include "model/same_contents.h"

#include "platform/error_text.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"
#include "platform/unique_fd.h"
#include "platform/whole_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

enum class CopyState { Usable, Gone, Changed, Unreadable };

struct Look {
    CopyState state = CopyState::Usable;
    int error = 0; // the system's error number when Unreadable
};

Look lookOf(int error) {
    if (error == ENOENT)
        return {CopyState::Gone, 0};
    // A folder on the way, or the file itself, replaced by a link or by something else.
    if (error == ELOOP || error == ENOTDIR)
        return {CopyState::Changed, 0};
    return {CopyState::Unreadable, error};
}

bool stillSeen(int fd, const FileIdentity& seen) {
    EntryInfo now;
    return statAt(fd, "", now) && FileIdentity::of(now).unchanged(seen);
}

// Opens the copy for reading into `file` when it is still the regular file the scan saw.
Look openSeen(const SeenCopy& copy, UniqueFd& file) {
    const RegularFileOpen opened = openSeenFile(toNative(copy.path), copy.seen);
    file.fd = opened.fd;
    switch (opened.error) {
    case RegularFileError::None:
        return {};
    case RegularFileError::NotRegular:
    case RegularFileError::Changed:
        return {CopyState::Changed, 0};
    case RegularFileError::Missing:
    case RegularFileError::Refused:
        break;
    }
    return lookOf(opened.errorNumber);
}

QString reasonOf(const Look& look, bool stays) {
    switch (look.state) {
    case CopyState::Usable:
        break;
    case CopyState::Gone:
        return stays ? QStringLiteral("the copy that stays is gone") : QStringLiteral("it is gone");
    case CopyState::Changed:
        return stays ? QStringLiteral("the copy that stays changed since the scan")
                     : changedSinceScanText();
    case CopyState::Unreadable:
        return (stays ? QStringLiteral("the copy that stays could not be read (")
                      : QStringLiteral("it could not be read (")) +
               systemErrorText(look.error) + u')';
    }
    return {};
}

enum class Comparison { Same, Differ, MarkedUnreadable, KeptUnreadable };

// Compares the two open files from their start to their end in large sequential reads.
Comparison sameBytes(int marked, int kept, int& error) {
    constexpr size_t kChunk = size_t(1) << 20;
    ::posix_fadvise(marked, 0, 0, POSIX_FADV_SEQUENTIAL);
    ::posix_fadvise(kept, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> a(kChunk), b(kChunk);
    for (;;) {
        const ssize_t gotA = readAll(marked, a.data(), kChunk);
        if (gotA < 0) {
            error = errno;
            return Comparison::MarkedUnreadable;
        }
        const ssize_t gotB = readAll(kept, b.data(), kChunk);
        if (gotB < 0) {
            error = errno;
            return Comparison::KeptUnreadable;
        }
        if (gotA != gotB || std::memcmp(a.data(), b.data(), size_t(gotA)) != 0)
            return Comparison::Differ;
        if (size_t(gotA) < kChunk)
            return Comparison::Same;
    }
}

} // namespace

QString sameContentsRefusal(const SeenCopy& marked, const QList<SeenCopy>& kept) {
    UniqueFd self(-1);
    const Look own = openSeen(marked, self);
    if (own.state != CopyState::Usable)
        return reasonOf(own, false);
    Look firstProblem;
    for (const SeenCopy& copy : kept) {
        UniqueFd other(-1);
        const Look look = openSeen(copy, other);
        if (look.state != CopyState::Usable) {
            if (firstProblem.state == CopyState::Usable)
                firstProblem = look;
            continue;
        }
        int error = 0;
        const Comparison compared = sameBytes(self.fd, other.fd, error);
        // Written to while being read: no longer what the scan saw, whatever the bytes said.
        if (!stillSeen(self.fd, marked.seen))
            return reasonOf({CopyState::Changed, 0}, false);
        if (!stillSeen(other.fd, copy.seen))
            return reasonOf({CopyState::Changed, 0}, true);
        switch (compared) {
        case Comparison::Same:
            return {};
        case Comparison::Differ:
            return QStringLiteral("its contents differ from the copy that stays");
        case Comparison::MarkedUnreadable:
            return reasonOf({CopyState::Unreadable, error}, false);
        case Comparison::KeptUnreadable:
            return reasonOf({CopyState::Unreadable, error}, true);
        }
    }
    return reasonOf(firstProblem, true);
}

FileCheck sameContentsCheck(QHash<QString, MarkedCopy> marked) {
    return [marked = std::move(marked)](const QString& path) -> FileVerdict {
        const auto it = marked.constFind(path);
        if (it == marked.cend())
            return {};
        QString refusal = sameContentsRefusal({path, it->seen}, it->kept);
        if (!refusal.isEmpty())
            return {std::move(refusal), std::nullopt};
        return {QString(), it->seen};
    };
}
