#include "finders/contents_search.h"

#include "common/number_text.h"

#include <unordered_map>

std::vector<ContentGroups::Candidate>
ContentsSearch::candidates(const DupRecords& records, const std::vector<quint32>& sorted) {
    std::vector<ContentGroups::Candidate> out;
    out.reserve(sorted.size());
    for (quint32 rec : sorted)
        if (records.size(rec) > 0)
            out.push_back({rec, records.identity(rec)});
    return out;
}

void ContentsSearch::clear() {
    rows_.clear();
    tag_.clear();
    duplicates_ = freeable_ = changed_ = unreadable_ = 0;
    groups_ = 0;
}

void ContentsSearch::take(const ContentGroups::Result& result, quint32 recordCount) {
    clear();
    tag_.assign(recordCount, 0);
    // Each member's other names, in the candidates' order.
    std::unordered_map<quint32, std::vector<quint32>> others;
    for (const auto& [member, other] : result.otherNames)
        others[member].push_back(other);
    for (const ContentGroups::Group& g : result.groups) {
        ++groups_;
        for (quint32 rec : g.members) {
            rows_.push_back(rec);
            tag_[rec] = groups_;
            const auto names = others.find(rec);
            if (names == others.end())
                continue;
            for (quint32 name : names->second) {
                rows_.push_back(name);
                tag_[name] = groups_ | OtherName;
            }
        }
    }
    duplicates_ = result.duplicates;
    freeable_ = result.freeable;
    changed_ = result.changed;
    unreadable_ = result.unreadable;
}

quint32 ContentsSearch::groupOf(quint32 rec) const {
    return rec < tag_.size() ? tag_[rec] & ~OtherName : 0;
}

bool ContentsSearch::isOtherName(quint32 rec) const {
    return rec < tag_.size() && (tag_[rec] & OtherName);
}

QString ContentsSearch::groupText(quint32 rec) const {
    const quint32 group = groupOf(rec);
    if (group == 0)
        return {};
    const QString number = formatThousands(group);
    return isOtherName(rec) ? number + QStringLiteral(" (hard link)") : number;
}

bool ContentsSearch::sameGroup(size_t first, size_t i) const {
    return groupOf(rows_[first]) == groupOf(rows_[i]);
}

QString ContentsSearch::status() const {
    QStringList leftOut;
    if (changed_ > 0)
        leftOut << (changed_ == 1 ? QStringLiteral("1 file changed while compared")
                                  : formatThousands(changed_) +
                                        QStringLiteral(" files changed while compared"));
    if (unreadable_ > 0)
        leftOut << (unreadable_ == 1 ? QStringLiteral("1 file could not be read")
                                     : formatThousands(unreadable_) +
                                           QStringLiteral(" files could not be read"));
    if (groups_ == 0)
        return leftOut.join(QStringLiteral(", "));
    const QString note = leftOut.isEmpty()
                             ? QString()
                             : QStringLiteral(" (") + leftOut.join(QStringLiteral(", ")) + u')';
    return formatThousands(duplicates_) +
           (duplicates_ == 1 ? QStringLiteral(" duplicate found in ")
                             : QStringLiteral(" duplicates found in ")) +
           formatThousands(groups_) +
           (groups_ == 1 ? QStringLiteral(" group, ") : QStringLiteral(" groups, ")) +
           formatThousands(freeable_) + QStringLiteral(" bytes could be freed") + note;
}

QHash<QString, MarkedCopy>
ContentsSearch::markedCopies(const DupRecords& records,
                             const std::function<bool(quint32)>& isMarked) const {
    QHash<QString, MarkedCopy> copies;
    for (size_t first = 0; first < rows_.size();) {
        size_t end = first + 1;
        while (end < rows_.size() && sameGroup(first, end))
            ++end;
        QList<SeenCopy> kept;
        for (size_t i = first; i < end; ++i)
            if (!isMarked(rows_[i]))
                kept.append({records.path(rows_[i]), records.identity(rows_[i])});
        for (size_t i = first; i < end; ++i)
            if (isMarked(rows_[i]))
                copies.insert(records.path(rows_[i]), {records.identity(rows_[i]), kept});
        first = end;
    }
    return copies;
}
