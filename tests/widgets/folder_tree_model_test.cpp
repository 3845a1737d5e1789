#include "platform/native_path.h"
#include "support/temp_tree.h"
#include "widgets/folder_tree_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QStringList childNames(FolderTreeModel& model, const QModelIndex& parent) {
    if (model.canFetchMore(parent))
        model.fetchMore(parent);
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << model.pathOf(model.index(row, 0, parent)).section(QLatin1Char('/'), -1);
    return names;
}
} // namespace

// Only real folders are listed, in name order without regard to case; links, files and hidden
// folders are not, and odd names keep their exact bytes.
TEST(FolderTreeModel, ListsRealFoldersLazilyWithExactNames) {
    TempTree tree;
    for (const char* dir : {"b", "A", "c/deep/deeper", ".hidden", "line\nbreak \xff"})
        tree.dir(dir);
    tree.file("file.txt");
    tree.symlink("link", tree.abs("b"));
    FolderTreeModel model;
    model.setRoot(tree.path());
    const QModelIndex top = model.index(0, 0);
    EXPECT_EQ(model.pathOf(top), tree.path());
    EXPECT_EQ(model.rowCount(top), 0); // nothing read before the view asks
    EXPECT_EQ(childNames(model, top),
              QStringList({"A", "b", "c", fromNative(QByteArray("line\nbreak \xff"))}));

    const QString odd = tree.path() + "/" + fromNative(QByteArray("line\nbreak \xff"));
    const QModelIndex oddIndex = model.indexOf(odd);
    ASSERT_TRUE(oddIndex.isValid());
    EXPECT_EQ(toNative(model.pathOf(oddIndex)), tree.abs("line\nbreak \xff"));
    EXPECT_FALSE(model.data(oddIndex).toString().contains(QLatin1Char('\n')));

    // A deep folder is reached level by level; folders outside the root or missing are not.
    const QModelIndex deeper = model.indexOf(tree.path() + "/c/deep/deeper/");
    EXPECT_EQ(model.pathOf(deeper), tree.path() + "/c/deep/deeper");
    for (const QString& missing : {tree.path() + "/link", tree.path() + "/nothing",
                                   tree.path() + "x/c", QStringLiteral("/")})
        EXPECT_FALSE(model.indexOf(missing).isValid()) << missing.toStdString();
}

// A folder read again shows folders made or removed since, and one that went shows nothing.
TEST(FolderTreeModel, RefreshFollowsChangesAndVanishedFolders) {
    TempTree tree;
    tree.dir("top/old");
    FolderTreeModel model;
    model.setRoot(tree.path());
    const QModelIndex top = model.indexOf(tree.path() + "/top");
    EXPECT_EQ(childNames(model, top), QStringList({"old"}));
    ASSERT_EQ(::rmdir(tree.abs("top/old").constData()), 0);
    tree.dir("top/new");
    model.refresh(top);
    EXPECT_EQ(childNames(model, top), QStringList({"new"}));
    removeTree(tree.abs("top"));
    model.refresh(top);
    EXPECT_EQ(model.rowCount(top), 0);
    EXPECT_FALSE(model.hasChildren(top));
}

// The file system's root as the tree's root joins names without a double slash.
TEST(FolderTreeModel, RootFolderPaths) {
    FolderTreeModel model;
    model.setRoot(QStringLiteral("/"));
    const QModelIndex tmp = model.indexOf(QStringLiteral("/tmp"));
    ASSERT_TRUE(tmp.isValid());
    EXPECT_EQ(model.pathOf(tmp), QStringLiteral("/tmp"));
    EXPECT_EQ(model.pathOf(model.parent(tmp)), QStringLiteral("/"));
}
