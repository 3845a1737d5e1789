#include "finders/folder_records.h"

#include "common/number_text.h"
#include "common/size_sum.h"
#include "platform/native_path.h"

#include <QLocale>
#include <algorithm>
#include <numeric>

QString folderSizeText(qint64 bytes) {
    const qint64 k = bytes / 1024;
    const QString number =
        k >= 1 ? QString::number(k).rightJustified(7, u' ') : formatSizeK(0, bytes);
    return number + QStringLiteral(" K");
}

QString driveShareText(qint64 bytes, qint64 driveBytes) {
    if (driveBytes <= 0 || bytes >= driveBytes)
        return QStringLiteral("???");
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(double(bytes) / double(driveBytes) * 100.0, 'f', 2);
}

void FolderRecords::clear(Mode mode) {
    mode_ = mode;
    refused_ = false;
    open_.clear();
    openNode_.clear();
    nodes_ = {};
    records_ = {};
    drives_ = {-1};
    paths_.clear();
    counted_.clear();
}

FolderRecords::Tally* FolderRecords::counting() {
    if (mode_ == Mode::AllFolders)
        return open_.empty() ? nullptr : &open_.back();
    // Main folders: everything below a folder of depth 1 counts in it.
    return open_.size() >= 2 ? &open_[1] : nullptr;
}

void FolderRecords::enterFolder(const QByteArray& path, int depth) {
    open_.resize(size_t(depth));
    openNode_.resize(size_t(depth));
    if (depth >= (mode_ == Mode::AllFolders ? 1 : 2))
        ++counting()->subfolders;
    open_.emplace_back();
    // Main folders keeps only the root and the folders directly under it.
    quint32 node = Node::NoParent;
    const bool parentKept = depth == 0 || openNode_.back() != Node::NoParent;
    if (!refused_ && parentKept && (mode_ == Mode::AllFolders || depth <= 1)) {
        const qsizetype start = depth == 0 ? 0 : path.lastIndexOf('/') + 1;
        Node n{depth == 0 ? Node::NoParent : openNode_.back(), 0, quint32(path.size() - start)};
        if (paths_.add(path.constData() + start, n.nameLength, n.name)) {
            node = quint32(nodes_.size());
            nodes_.push_back(n);
        }
    }
    openNode_.push_back(node);
}

void FolderRecords::folderNotEntered(const QByteArray& parent, const char* name, int error) {
    Q_UNUSED(parent);
    Q_UNUSED(error);
    // Hidden folders count only as the direct subfolders of a folder of its own.
    if (mode_ == Mode::MainFolders && name[0] == '.')
        return;
    if (Tally* t = counting())
        ++t->subfolders;
}

void FolderRecords::file(const ScanFile& file) {
    // The first name met counts, wherever it lies; a later name of the same file never does.
    if (!counted_.firstSight(file.identity))
        return;
    Tally* t = counting();
    if (!t)
        return;
    t->bytes = addSize(t->bytes, file.size);
    ++t->files;
    t->latest = std::max(t->latest, stamps_.stamp(file.accessTime));
}

void FolderRecords::leaveFolder(const QByteArray& path, int depth) {
    if (open_.size() != size_t(depth) + 1)
        return; // not a folder this store saw entered
    Q_UNUSED(path);
    const Tally tally = open_.back();
    const quint32 node = openNode_.back();
    open_.pop_back();
    openNode_.pop_back();
    if (refused_ || (mode_ == Mode::MainFolders && depth != 1))
        return;
    Record r;
    static_cast<Tally&>(r) = tally;
    r.drive = quint32(drives_.size() - 1);
    r.node = node;
    if (qint64(records_.size()) >= FileRecords::DefaultLimit || node == Node::NoParent) {
        refused_ = true;
        if (onRefused)
            onRefused();
        return;
    }
    records_.push_back(r);
}

void FolderRecords::compact() {
    records_.shrink_to_fit();
    nodes_.shrink_to_fit();
    paths_.trim();
    counted_.clear();
}

quint32 FolderRecords::latestAccessFileDate(quint32 rec) const {
    return FileStamps::packed(records_[rec].latest);
}

QByteArray FolderRecords::nativePath(quint32 rec) const {
    // The names from the folder up to the walk's root, then joined root first.
    std::vector<const Node*> chain;
    for (quint32 n = records_[rec].node; n != Node::NoParent; n = nodes_[n].parent)
        chain.push_back(&nodes_[n]);
    QByteArray path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin() && !path.endsWith('/'))
            path += '/';
        path.append(paths_.at((*it)->name), qsizetype((*it)->nameLength));
    }
    return path;
}

QString FolderRecords::path(quint32 rec) const {
    return fromNative(nativePath(rec));
}

QString FolderRecords::field(quint32 rec, int index) const {
    const Record& r = records_[rec];
    switch (index) {
    case 0:
        return folderSizeText(r.bytes);
    case 1:
        return driveShareText(r.bytes, drives_[r.drive]);
    case 2:
        return QString::number(r.files);
    case 3:
        return QString::number(r.subfolders);
    case 4:
        return fileDateToDateStr(latestAccessFileDate(rec));
    case 5:
        return escapeForLine(path(rec));
    default:
        return QString();
    }
}

QString FolderRecords::line(quint32 rec) const {
    QString text;
    for (int i = 0; i < FieldCount; ++i) {
        if (i > 0)
            text += u'\t';
        text += field(rec, i);
    }
    return text;
}

std::vector<quint32> FolderRecords::largestFirst() const {
    std::vector<quint32> list(records_.size());
    std::iota(list.begin(), list.end(), 0u);
    std::stable_sort(list.begin(), list.end(),
                     [&](quint32 a, quint32 b) { return records_[a].bytes > records_[b].bytes; });
    return list;
}
