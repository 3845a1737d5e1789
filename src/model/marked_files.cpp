#include "model/marked_files.h"

#include "platform/dir_entry.h"
#include "platform/link_free_path.h"

#include <algorithm>
#include <limits>
#include <optional>

void MarkedFiles::mark(const QString& path) {
    // Every kind of file counts (hidden and system ones too), a folder does not.
    const std::optional<DirEntry> entry = path.isEmpty() ? std::nullopt : statPathLinkFree(path);
    if (entry && searchIncludes(entry->attributes, kAnyFileMask)) {
        ++count_;
        total_ += entry->size;
        counted_.insert(path, entry->size);
    }
    paths_.append(path);
}

void MarkedFiles::unmark(const QString& path) {
    const auto it = counted_.constFind(path);
    if (it != counted_.constEnd()) {
        --count_;
        total_ -= it.value();
        counted_.erase(it);
    }
    paths_.removeOne(path);
}

void MarkedFiles::clear() {
    paths_.clear();
    count_ = 0;
    total_ = 0;
    counted_.clear();
}

qint64 MarkedFiles::total() const {
    return qint64(std::clamp<__int128>(total_, 0, std::numeric_limits<qint64>::max()));
}
