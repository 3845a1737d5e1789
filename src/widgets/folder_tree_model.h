#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <memory>
#include <vector>

// The folders of one drive as a tree, read lazily: a folder's subfolders are listed when the
// view first asks for them (expanding it), straight from the kernel's entries. Names keep their
// bytes (platform/native_path.h), so names that are not UTF-8 survive. A symbolic link is never
// followed and never listed as a folder; names that begin with "." are not listed, as in every
// walk of the program. A folder on which another file system is mounted is listed like any
// other (it is the root of another drive). Siblings are ordered by name without regard to case.
class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Shows the tree of the folder `root` (a drive's mount point); its one top item is the root.
    void setRoot(const QString& root);
    QString root() const;

    // The item of the folder at the exact path `folder` under the root, reading the levels on
    // the way as needed; invalid when the folder is not under the root or cannot be reached.
    QModelIndex indexOf(const QString& folder);
    // The exact path of an item's folder; empty for an invalid index.
    QString pathOf(const QModelIndex& index) const;
    // Reads the subfolders of `index` again (after a deletion, or to show a folder that went).
    void refresh(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    void load(Node* node);

    std::unique_ptr<Node> root_;
};
