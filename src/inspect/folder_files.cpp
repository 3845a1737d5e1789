#include "inspect/folder_files.h"

#include "common/number_text.h"
#include "common/size_sum.h"
#include "model/row_order.h"
#include "model/search_path.h"
#include "platform/date_text.h"
#include "platform/file_time.h"
#include "platform/file_types.h"
#include "platform/native_path.h"

#include <algorithm>
#include <cerrno>

namespace {
// Hidden entries and folders are left out; links and other special files stay.
constexpr unsigned kListedMask = kFileMask | faSysFile;

QString dateText(qint64 unixSeconds) {
    return shortDateText(packedDate(packFileTime(unixSeconds)));
}

double dateKey(qint64 unixSeconds) {
    const QDate date = packedDate(packFileTime(unixSeconds));
    return double(date.isValid() ? date.toJulianDay() : QDate(1900, 1, 1).toJulianDay());
}
} // namespace

bool FolderFiles::read(const QString& folder, const QString& mask) {
    clear();
    folder_ = folder;
    bool ok = false;
    entries_ = listFolder(folder, mask, kListedMask, &ok);
    error_ = ok ? 0 : errno;
    // The sort key of each name is made once, not at every comparison.
    std::vector<std::pair<QString, int>> keys(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i)
        keys[i] = {textSortKey(entries_[i].name), int(i)};
    std::sort(keys.begin(), keys.end(), [this](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return entries_[std::size_t(a.second)].name < entries_[std::size_t(b.second)].name;
    });
    std::vector<DirEntry> sorted;
    sorted.reserve(entries_.size());
    for (const auto& k : keys) {
        sorted.push_back(std::move(entries_[std::size_t(k.second)]));
        total_ = addSize(total_, sorted.back().size);
    }
    entries_ = std::move(sorted);
    return ok;
}

void FolderFiles::clear() {
    entries_.clear();
    total_ = 0;
    error_ = 0;
    typeRanks_.clear();
}

QString FolderFiles::path(int i) const {
    return joinFolderAndName(folder_, entry(i).name);
}

QString FolderFiles::typeOf(int i) const {
    if (entry(i).link)
        return linkTypeText(entry(i).linkTarget);
    const QString ext = extensionOf(entry(i).name);
    auto it = types_.find(ext);
    if (it == types_.end())
        it = types_.insert(ext, extensionToType(ext));
    return it.value();
}

QString FolderFiles::cell(int i, int column) const {
    const DirEntry& e = entry(i);
    switch (column) {
    case Modified:
        return dateText(e.writeTime);
    case Time: {
        const QTime t = packedTime(packFileTime(e.writeTime));
        return t.isValid() ? longTimeText(t) : QStringLiteral("12:00:00");
    }
    case Access:
        return dateText(e.accessTime);
    case Size:
        return formatThousands(e.size);
    case Filename:
        // A tab or line break in a name shows as an escape, never as a break in the cell.
        return escapeForLine(e.name);
    case Type:
        return typeOf(i);
    default:
        return QString();
    }
}

double FolderFiles::modifiedDateKey(int i) const {
    return dateKey(entry(i).writeTime);
}

double FolderFiles::accessDateKey(int i) const {
    return dateKey(entry(i).accessTime);
}

double FolderFiles::typeKey(int i) const {
    if (typeRanks_.isEmpty()) {
        std::vector<std::pair<QString, QString>> types; // sort key, text
        QHash<QString, bool> seen;
        for (int r = 0; r < count(); ++r) {
            const QString t = typeOf(r);
            if (!seen.contains(t)) {
                seen.insert(t, true);
                types.emplace_back(textSortKey(t), t);
            }
        }
        std::sort(types.begin(), types.end());
        for (std::size_t r = 0; r < types.size(); ++r)
            typeRanks_.insert(types[r].second, int(r));
    }
    return double(typeRanks_.value(typeOf(i)));
}
