#include "inspect/browse_window.h"

#include "common/number_text.h"
#include "common/wild_card.h"
#include "delete/del_directory.h"
#include "delete/really_delete.h"
#include "inspect/folder_files.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "platform/native_path.h"
#include "support/child_process.h"
#include "support/grid_check.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "widgets/folder_tree_model.h"
#include "widgets/result_list.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The browser over a temporary tree that the drive list presents as a drive of its own,
// beside "/", with the scripted UI and a launcher that only counts.
class BrowseWindowTest : public ::testing::Test {
protected:
    BrowseWindowTest() {
        setUi(&ui);
        const QString root = tree.path();
        setDriveListSeam([root] {
            return std::vector<Drive>{{"/", {}, {}, 0}, {root, {}, {}, 0}};
        });
        setLauncherSeam([this](const QString&) {
            ++launched;
            return true;
        });
    }
    ~BrowseWindowTest() override {
        w.reset();
        setLauncherSeam({});
        setDriveListSeam({});
        setUi(nullptr);
    }

    QString at(const QByteArray& rel) const { return fromNative(tree.abs(rel)); }
    // The browser shown at the folder `rel` of the tree.
    TfrmBrowse& open(const QByteArray& rel) {
        w = std::make_unique<TfrmBrowse>();
        w->setFolder(at(rel));
        w->show();
        return *w;
    }
    int rowOf(const QString& name) const {
        for (int row = 1; row < w->grid->rowCount(); ++row)
            if (w->grid->cell(4, row) == name)
                return row;
        return 0;
    }
    void click(const QString& name) {
        w->grid->setCurrentRow(rowOf(name));
        w->gridDblClick();
    }
    // Every modal window is recorded by its class name and answered with `result`.
    void answerModals(int result) {
        ui.onModal = [this, result](QDialog& d) {
            modals << QString::fromLatin1(d.metaObject()->className());
            return result;
        };
    }

    ScriptedUi ui;
    TempTree tree;
    std::unique_ptr<TfrmBrowse> w;
    int launched = 0;
    QStringList modals;
};

} // namespace

TEST_F(BrowseWindowTest, MarksStatusAndFolderChange) {
    tree.file("f/a.txt", 100);
    tree.file("f/b.dat", 2000);
    tree.file("f/README", 30); // no extension, so no type
    tree.file("f/.hidden", 5);
    tree.file("f/sub/deeper.txt", 7);
    open("f");
    EXPECT_EQ(w->grid->rowCount(), 4) << "hidden names and folders are not listed";
    EXPECT_EQ(w->pnlScan->text(), QStringLiteral("Number of files : 3"));
    EXPECT_EQ(w->pnlSize->text(), QStringLiteral("Total size : ") + formatThousands(2130));

    // A double click marks a file without an extension, as the Mark button does.
    click(QStringLiteral("README"));
    EXPECT_TRUE(w->grid->marked(rowOf(QStringLiteral("README"))));
    w->grid->setCurrentRow(rowOf(QStringLiteral("a.txt")));
    w->btMarkClick();
    EXPECT_EQ(w->grid->currentRow(), rowOf(QStringLiteral("a.txt")) + 1);
    EXPECT_EQ(w->pnlScan->text(), QStringLiteral("Marked for deletion: 2 files 130 bytes"));
    EXPECT_EQ(w->lbDeleted(), QStringList({at("f/README"), at("f/a.txt")}));
    EXPECT_TRUE(w->btDeleteFiles->isEnabled());
    click(QStringLiteral("README"));
    EXPECT_EQ(w->pnlScan->text(), QStringLiteral("Marked for deletion: 1 files 100 bytes"));

    // Sorted by size, then another folder: marks gone, the size sort applied again.
    w->Sortbyname1Click(w->menu.Size1);
    EXPECT_EQ(w->grid->cell(4, 1), QStringLiteral("b.dat"));
    tree.file("f/sub/zbig.bin", 9000);
    w->DirectoryListBox1Activated(
        static_cast<FolderTreeModel*>(w->DirectoryListBox1->model())->indexOf(at("f/sub")));
    EXPECT_EQ(w->folder(), at("f/sub"));
    EXPECT_EQ(w->grid->cell(4, 1), QStringLiteral("zbig.bin"));
    EXPECT_EQ(w->marks().markedCount(), 0);
    EXPECT_TRUE(w->lbDeleted().isEmpty());
    EXPECT_FALSE(w->btDeleteFiles->isEnabled());
    EXPECT_EQ(w->pnlScan->text(), QStringLiteral("Number of files : 2"));
}

TEST_F(BrowseWindowTest, MarkAllLeavesTheBlankRowOfAnEmptyFolder) {
    tree.dir("empty");
    open("empty");
    ASSERT_EQ(w->grid->rowCount(), 2);
    w->Markall2Click();
    EXPECT_FALSE(w->grid->marked(1));
    EXPECT_TRUE(w->lbDeleted().isEmpty()) << "the folder itself must never be marked";
    answerModals(QDialog::Accepted);
    w->btDeleteFilesClick();
    EXPECT_TRUE(modals.isEmpty());
    EXPECT_TRUE(tree.exists("empty"));
}

TEST_F(BrowseWindowTest, DeletesExactlyTheMarkedEntriesThenRefills) {
    const QByteArray odd[] = {"d/new\nline", "d/tab\there", "d/-dash", "d/bad\xff.bin"};
    for (const QByteArray& rel : odd)
        tree.file(rel, 10);
    tree.file("d/keep.txt", 1);
    tree.dir("elsewhere");
    tree.symlink("d/link-to-folder", tree.abs("elsewhere"));
    tree.file("elsewhere/inside", 3);
    open("d");
    ASSERT_EQ(w->grid->rowCount(), 7);

    w->Markall2Click();
    click(QStringLiteral("keep.txt")); // unmarked again
    QStringList handed;
    ui.onModal = [&](QDialog& d) {
        auto& dlg = dynamic_cast<TfrmReallyDelete&>(d);
        handed = dlg.files();
        EXPECT_EQ(dlg.savings, 40 + qint64(tree.abs("elsewhere").size()));
        dlg.btDeleteAllClick();
        return int(QDialog::Accepted);
    };
    w->btDeleteFilesClick();
    QStringList expected{at("d/link-to-folder")};
    for (const QByteArray& rel : odd)
        expected << fromNative(tree.abs(rel));
    handed.sort();
    expected.sort();
    EXPECT_EQ(handed, expected);
    for (const QByteArray& rel : odd)
        EXPECT_FALSE(tree.exists(rel));
    EXPECT_FALSE(tree.exists("d/link-to-folder"));
    EXPECT_TRUE(tree.exists("elsewhere/inside")) << "a link is removed as a link";
    EXPECT_EQ(w->grid->rowCount(), 2);
    EXPECT_EQ(w->grid->cell(4, 1), QStringLiteral("keep.txt"));
    EXPECT_EQ(w->marks().markedCount(), 0);
}

TEST_F(BrowseWindowTest, DeleteFolderRefusesProtectedFolders) {
    const QString rootText = QStringLiteral(
        "Cannot delete the root folder! To delete a folder including all files and sub-folders "
        "double click on the desired folder shown in the left panel.");
    const struct {
        QString folder;
        bool rootMessage;
    } cases[] = {
        {QStringLiteral("/"), true},
        {tree.path(), true}, // a mount point
        {QStringLiteral("/tmp"), false},
        {QDir::homePath(), false},
    };
    answerModals(QDialog::Accepted);
    for (const auto& c : cases) {
        ui.clear();
        w = std::make_unique<TfrmBrowse>();
        w->setFolder(c.folder);
        w->show();
        ASSERT_EQ(w->folder(), c.folder);
        w->btDeleteDirectoryClick();
        ASSERT_EQ(ui.messages.size(), 1u) << c.folder.toStdString();
        EXPECT_EQ(ui.messages[0].text == rootText, c.rootMessage) << c.folder.toStdString();
        EXPECT_TRUE(modals.isEmpty());
        EXPECT_EQ(w->folder(), c.folder);
    }
}

TEST_F(BrowseWindowTest, DeleteFolderRemovesTheShownTreeAndShowsItsParent) {
    tree.dir("p/empty");
    tree.file("p/full/x.bin", 1234);
    tree.file("p/full/y.bin", 1);
    tree.file("outside.txt", 9);
    tree.symlink("p/full/link", tree.abs("outside.txt"));
    tree.file("p/kept/z", 1);

    open("p/empty");
    answerModals(QDialog::Accepted);
    w->btDeleteDirectoryClick();
    EXPECT_FALSE(tree.exists("p/empty"));
    EXPECT_TRUE(ui.messages.empty()) << "an empty folder is removed without a count";
    EXPECT_EQ(w->folder(), at("p"));
    auto* model = static_cast<FolderTreeModel*>(w->DirectoryListBox1->model());
    EXPECT_FALSE(model->indexOf(at("p/empty")).isValid());

    w->DirectoryListBox1Activated(model->indexOf(at("p/full")));
    w->btDeleteDirectoryClick();
    EXPECT_EQ(modals, QStringList({"TfrmDelDirectory", "TfrmDelDirectory"}));
    EXPECT_FALSE(tree.exists("p/full"));
    EXPECT_TRUE(tree.exists("outside.txt"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Deleted 3 files for a savings of ")))
        << ui.messages[0].text.toStdString();
    EXPECT_EQ(w->folder(), at("p"));

    // Cancelled: nothing goes.
    w->DirectoryListBox1Activated(model->indexOf(at("p/kept")));
    answerModals(QDialog::Rejected);
    w->btDeleteDirectoryClick();
    EXPECT_TRUE(tree.exists("p/kept/z"));
    EXPECT_EQ(w->folder(), at("p/kept"));
}

TEST_F(BrowseWindowTest, ClosingWithMarksAsks) {
    tree.file("c/one", 1);
    open("c");
    click(QStringLiteral("one"));
    ui.answers = {Answer::No};
    w->btClose->click();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->marks().markedCount(), 1);
    ASSERT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(ui.questions[0],
              QStringLiteral("You have 1 files marked for deletion. Do you really wish to exit "
                             "without deleting?"));
    ui.answers = {Answer::Yes};
    w->reject();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(BrowseWindowTest, FoldersThatGoOrCannotBeRead) {
    tree.file("g/a/b/file", 1);
    open("g/a/b");
    removeTree(tree.abs("g/a"));
    w->DirectoryListBox1Change();
    EXPECT_EQ(w->folder(), at("g"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(w->pnlScan->text(), QStringLiteral("Number of files : 0"));
    auto* model = static_cast<FolderTreeModel*>(w->DirectoryListBox1->model());
    EXPECT_FALSE(model->indexOf(at("g/a")).isValid());

    // A folder that is there but cannot be listed (here: made a file since): one clear
    // message, an empty list.
    tree.dir("h/x");
    w->setFolder(at("h/x"));
    ASSERT_EQ(::rmdir(tree.abs("h/x").constData()), 0);
    tree.file("h/x", 1);
    ui.clear();
    w->DirectoryListBox1Change();
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(w->grid->rowCount(), 2);
    EXPECT_TRUE(w->grid->cell(4, 1).isEmpty());

    // A folder without read permission, where permissions apply (not to root).
    if (::geteuid() != 0) {
        tree.file("locked/f", 1);
        ASSERT_EQ(::chmod(tree.abs("locked").constData(), 0), 0);
        ui.clear();
        w->setFolder(at("locked"));
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(w->folder(), at("locked"));
        EXPECT_EQ(w->pnlScan->text(), QStringLiteral("Number of files : 0"));
        ::chmod(tree.abs("locked").constData(), 0700);
    }
}

TEST_F(BrowseWindowTest, LinksAndSpecialEntriesAreDescribedButNeverFollowed) {
    tree.dir("s/folder");
    tree.file("s/plain.txt", 4);
    ASSERT_EQ(::mkfifo(tree.abs("s/pipe").constData(), 0600), 0);
    const QByteArray toFile = tree.abs("s/plain.txt");
    tree.symlink("s/to-file", toFile);
    tree.symlink("s/to-folder", "folder");
    tree.symlink("s/dangling", "gone\xff\tname"); // an undecodable byte and a tab
    open("s");
    const struct {
        const char* name;
        QString type; // checked for links only
        qint64 size;
        QStringList opened; // by View, Details and Run, in that order
    } cases[] = {
        {"plain.txt", {}, 4, {"TfrmView", "TfrmDetails", "run"}},
        {"pipe", {}, 0, {"TfrmDetails"}},
        {"to-file", "link to " + fromNative(toFile), toFile.size(), {"TfrmDetails"}},
        {"to-folder", "link to folder", 6, {"TfrmDetails"}},
        {"dangling", "link to gone\\xff\\tname", 10, {"TfrmDetails"}},
    };
    answerModals(QDialog::Rejected);
    for (const auto& c : cases) {
        const int row = rowOf(QString::fromLatin1(c.name));
        ASSERT_GT(row, 0) << c.name;
        const bool link = !c.type.isEmpty();
        if (link) {
            EXPECT_EQ(w->grid->cell(5, row), c.type) << c.name;
        }
        EXPECT_EQ(w->grid->cell(3, row), formatThousands(c.size)) << c.name;
        w->grid->setCurrentRow(row);
        modals.clear();
        ui.clear();
        launched = 0;
        w->btViewClick();
        w->Details1Click();
        w->btLaunchClick();
        if (launched)
            modals << "run";
        EXPECT_EQ(modals, c.opened) << c.name;
        // View and Run each say why a link is not opened.
        EXPECT_EQ(ui.messages.size(), link ? 2u : 0u) << c.name;
    }
    EXPECT_TRUE(tree.exists("s/folder")) << "nothing was deleted through a link";

    setLauncherSeam([](const QString&) { return false; });
    w->grid->setCurrentRow(rowOf(QStringLiteral("plain.txt")));
    w->btLaunchClick();
    EXPECT_EQ(ui.lastMessage(), QStringLiteral("Couldn't run plain.txt"));
}

TEST_F(BrowseWindowTest, TheFolderTreeShowsTheStartOfTheCurrentFoldersName) {
    // A sibling name far wider than the tree, and a folder nested deeper than it is wide.
    tree.dir("t/" + QByteArray(200, 'w'));
    tree.dir("t/a/b");
    tree.dir("t/" + QByteArray("d/d/d/d/d/d/d/d/d/d/d/d/d/d/d"));
    for (const QByteArray& rel :
         {QByteArray("t/a/b"), QByteArray("t/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d")}) {
        open(rel);
        QTreeView* view = w->DirectoryListBox1;
        const QModelIndex current = view->currentIndex();
        ASSERT_EQ(static_cast<FolderTreeModel*>(view->model())->pathOf(current), at(rel));
        const int left = view->visualRect(current).left();
        EXPECT_GE(left, 0) << rel.constData();
        EXPECT_LE(left, view->viewport()->width() / 2) << rel.constData();
        if (rel == "t/a/b") {
            EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
        }
        const QRect r = view->visualRect(current);
        EXPECT_TRUE(r.top() >= 0 && r.bottom() < view->viewport()->height()) << rel.constData();
    }
}

TEST_F(BrowseWindowTest, OpenerAndMaskChooseTheListedFiles) {
    for (const char* rel : {"m/a.txt", "m/b.txt", "m/c.doc", "m/Makefile"})
        tree.file(rel, 1);
    QString current;
    int rows = 0;
    ui.onModal = [&](QDialog& d) {
        auto& b = dynamic_cast<TfrmBrowse&>(d);
        b.show();
        current = b.grid->cell(4, b.grid->currentRow());
        rows = b.grid->rowCount() - 1;
        return int(QDialog::Rejected);
    };
    browseFolder(nullptr, at("m"), QStringLiteral("b.txt"), QStringLiteral("*.txt"));
    EXPECT_EQ(current, QStringLiteral("b.txt"));
    EXPECT_EQ(rows, 2);

    // "*.*" lists names without a dot too; a new mask refills and drops the marks.
    open("m");
    EXPECT_EQ(w->grid->rowCount(), 5);
    click(QStringLiteral("Makefile"));
    ui.onModal = [](QDialog& d) {
        dynamic_cast<TfrmWildCard&>(d).cbWildCard->setEditText(QStringLiteral("*.doc"));
        return int(QDialog::Accepted);
    };
    w->pnlWild->click();
    EXPECT_EQ(w->grid->rowCount(), 2);
    EXPECT_EQ(w->grid->cell(4, 1), QStringLiteral("c.doc"));
    EXPECT_EQ(w->marks().markedCount(), 0);
    EXPECT_EQ(w->pnlWild->text(), QStringLiteral("Wildcard : *.doc"));
}

// A memory file system holds sparse files of exabytes: two of 5 EiB total the top of the
// 64-bit range, not a wrapped-round sum.
TEST(FolderFiles, ExabyteFilesSumToTheTopOfTheRange) {
    TempTree tree;
    tree.dir("mem");
    const ChildResult r = runInMountNamespace([&]() -> QString {
        if (::mount("tmpfs", tree.abs("mem").constData(), "tmpfs", 0, "size=1m") != 0)
            return kChildSkip;
        for (const char* name : {"mem/a", "mem/b"})
            tree.file(name, qint64(5) << 60);
        FolderFiles files;
        if (!files.read(fromNative(tree.abs("mem")), QStringLiteral("*.*")))
            return QStringLiteral("unreadable");
        return files.totalSize() == std::numeric_limits<qint64>::max()
                   ? QString()
                   : QString::number(files.totalSize());
    });
    if (r.skipped)
        GTEST_SKIP() << "no mount namespace";
    EXPECT_EQ(r.problems, "");
}

// At the opening size a short name shows whole and every size whole, however large; a longer
// name or type is cut with a sign and has its whole text as tooltip; a wider window gives its
// room to the name.
TEST_F(BrowseWindowTest, CellsAreNeverCutWithoutASign) {
    tree.file("f/readonly.txt", 10);
    tree.file("f/huge.iso", 5LL << 30);
    tree.file("f/" + QByteArray(150, 'n') + ".txt", 1);
    open("f");
    QCoreApplication::processEvents();
    EXPECT_EQ(w->grid->shownText(4, rowOf("readonly.txt")), "readonly.txt");
    EXPECT_GT(expectNoSilentCuts(*w->grid, "opening size"), 0);
    w->resize(1200, w->height());
    expectWideningGoesToNamesAndPaths(*w, *w->grid, 300, "browser");
    expectNoSilentCuts(*w->grid, "wider");
}
