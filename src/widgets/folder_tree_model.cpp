#include "widgets/folder_tree_model.h"

#include "platform/folder_entries.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "platform/unique_fd.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>

struct FolderTreeModel::Node {
    QString name; // the root's whole path, else the folder's own name
    Node* parent = nullptr;
    int row = 0;
    bool loaded = false;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {
// Siblings by name without regard to case; names equal but for case by their exact text.
bool before(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}
} // namespace

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::setRoot(const QString& root) {
    beginResetModel();
    root_ = std::make_unique<Node>();
    root_->name = root;
    endResetModel();
}

QString FolderTreeModel::root() const {
    return root_ ? root_->name : QString();
}

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QString FolderTreeModel::pathOf(const QModelIndex& index) const {
    const Node* node = nodeOf(index);
    if (!node)
        return {};
    QStringList names;
    for (; node->parent; node = node->parent)
        names.prepend(node->name);
    QString path = node->name;
    for (const QString& name : names)
        path = joined(path, name);
    return path;
}

void FolderTreeModel::load(Node* node) {
    node->loaded = true;
    // Every folder on the way is opened without following a link, so a folder replaced by a
    // link since it was listed is not entered.
    const UniqueFd fd(
        openFolderLinkFree(toNative(pathOf(createIndex(node->row, 0, node))), O_RDONLY));
    FolderEntries entries;
    if (fd.fd < 0 || !entries.read(fd.fd))
        return;
    std::vector<std::unique_ptr<Node>> children;
    for (const FolderEntry entry : entries) {
        if (entry.type != DT_DIR || entry.name[0] == '.')
            continue; // files, links and hidden folders are not part of the tree
        auto child = std::make_unique<Node>();
        child->name = fromNative(entry.name, qsizetype(std::strlen(entry.name)));
        child->parent = node;
        children.push_back(std::move(child));
    }
    std::sort(children.begin(), children.end(),
              [](const auto& a, const auto& b) { return before(a->name, b->name); });
    if (children.empty())
        return;
    const QModelIndex parent = createIndex(node->row, 0, node);
    beginInsertRows(parent, 0, int(children.size()) - 1);
    for (size_t i = 0; i < children.size(); ++i)
        children[i]->row = int(i);
    node->children = std::move(children);
    endInsertRows();
}

QModelIndex FolderTreeModel::indexOf(const QString& folder) {
    if (!root_)
        return {};
    const QString top = root_->name;
    QString rest;
    if (folder == top)
        rest.clear();
    else if (top == QLatin1String("/") && folder.startsWith(QLatin1Char('/')))
        rest = folder.mid(1);
    else if (folder.startsWith(top + QLatin1Char('/')))
        rest = folder.mid(top.size() + 1);
    else
        return {};
    Node* node = root_.get();
    for (const QString& name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!node->loaded)
            load(node);
        const auto found = std::find_if(node->children.begin(), node->children.end(),
                                        [&](const auto& child) { return child->name == name; });
        if (found == node->children.end())
            return {};
        node = found->get();
    }
    return createIndex(node->row, 0, node);
}

void FolderTreeModel::refresh(const QModelIndex& index) {
    Node* node = nodeOf(index);
    if (!node)
        return;
    if (!node->children.empty()) {
        beginRemoveRows(index, 0, int(node->children.size()) - 1);
        node->children.clear();
        endRemoveRows();
    }
    load(node);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || !root_)
        return {};
    if (!parent.isValid())
        return row == 0 ? createIndex(0, 0, root_.get()) : QModelIndex();
    const Node* node = nodeOf(parent);
    if (row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const Node* node = nodeOf(child);
    if (!node || !node->parent)
        return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return root_ ? 1 : 0;
    if (parent.column() != 0)
        return 0;
    return int(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const Node* node = nodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return escapeForLine(node->name);
    case Qt::ToolTipRole:
        return escapeForLine(pathOf(index));
    case Qt::DecorationRole:
        return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    default:
        return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid())
        return root_ != nullptr;
    const Node* node = nodeOf(parent);
    // Until a folder is read it may hold folders; reading every folder shown only to decide
    // on its expander would read the whole next level.
    return !node->loaded || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return node && !node->loaded;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (Node* node = nodeOf(parent); node && !node->loaded)
        load(node);
}
