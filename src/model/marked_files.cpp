#include "model/marked_files.h"

#include "platform/dir_entry.h"
#include "platform/link_free_path.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>
#include <utility>

namespace {
qint64 clampedBytes(__int128 bytes) {
    return qint64(std::clamp<__int128>(bytes, 0, std::numeric_limits<qint64>::max()));
}
} // namespace

void MarkedFiles::mark(const QString& path) {
    // Every kind of file counts (hidden and system ones too), a folder does not.
    EntryInfo info;
    if (!path.isEmpty() && statPathLinkFree(path, info) &&
        searchIncludes(info.attributes, kAnyFileMask)) {
        ++count_;
        total_ += info.size;
        counted_.insert(path, FileIdentity::of(info));
    }
    paths_.append(path);
}

void MarkedFiles::unmark(const QString& path) {
    const auto it = counted_.constFind(path);
    if (it != counted_.constEnd()) {
        --count_;
        total_ -= it.value().size;
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
    return clampedBytes(total_);
}

MarkedFiles::Savings MarkedFiles::savings() const {
    // The files of several links, each with the names of it that are marked.
    struct Names {
        qint64 size = 0;
        quint32 links = 0;
        qint64 marked = 0;
    };
    QHash<std::pair<quint64, quint64>, Names> linked;
    QSet<QString> named; // a name marked twice is still one name
    __int128 bytes = 0;
    for (auto it = counted_.cbegin(); it != counted_.cend(); ++it) {
        const FileIdentity& id = it.value();
        if (id.links <= 1) {
            bytes += id.size;
            continue;
        }
        if (named.contains(it.key()))
            continue;
        named.insert(it.key());
        Names& names = linked[{id.device, id.inode}];
        names.size = id.size;
        names.links = std::max(names.links, id.links);
        ++names.marked;
    }
    Savings s;
    for (const Names& names : std::as_const(linked)) {
        if (names.marked >= names.links)
            bytes += names.size;
        else
            s.keptLinks += names.marked;
    }
    s.bytes = clampedBytes(bytes);
    return s;
}
