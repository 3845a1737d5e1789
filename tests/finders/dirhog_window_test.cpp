#include "finders/dirhog_window.h"

#include "common/number_text.h"
#include "common/profile.h"
#include "delete/del_directory.h"
#include "finders/file_openers.h"
#include "platform/drives.h"
#include "platform/native_path.h"
#include "support/child_process.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "support/walk_gate.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <limits>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder-hog window over a test "drive": the temporary tree is the only drive.
class DirHogWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveListSeam([this] { return drives; });
        drives = {Drive{tree.path(), QStringLiteral("test"), QStringLiteral("tmpfs")}};
    }
    void TearDown() override { setDriveListSeam(nullptr); }

    std::unique_ptr<TfrmDirHog> open() {
        auto w = std::make_unique<TfrmDirHog>();
        w->session().setInline(true);
        w->show();
        return w;
    }
    // Each listed row as "exact path below the tree:size:files:subfolders", top to bottom.
    QStringList rows(const TfrmDirHog& w) {
        QStringList out;
        for (int r = 1; r <= w.rowCounter; ++r)
            out << w.records().path(w.grid->rowKey(r)).mid(tree.path().size()) + u':' +
                       w.grid->cell(0, r).trimmed() + u':' + w.grid->cell(2, r) + u':' +
                       w.grid->cell(3, r);
        return out;
    }
    int rowOf(const TfrmDirHog& w, const QString& rel) {
        for (int r = 1; r <= w.rowCounter; ++r)
            if (w.records().path(w.grid->rowKey(r)) == tree.path() + rel)
                return r;
        return -1;
    }
    // Selects the row of `rel` and deletes it, answering the confirmation with `recycle`.
    void deleteRow(TfrmDirHog& w, const QString& rel, bool recycle = false) {
        ui.onModal = [recycle](QDialog& d) {
            auto& confirm = dynamic_cast<TfrmDelDirectory&>(d);
            if (recycle)
                confirm.btRecycleClick();
            else
                confirm.btDeleteClick();
            return confirm.result();
        };
        w.grid->setCurrentRow(rowOf(w, rel));
        w.btDeleteClick();
    }

    ScriptedUi ui;
    TempTree tree;
    std::vector<Drive> drives;
};

qint64 totalsKey(const char* key) {
    return Profile(QStringLiteral("zelkova.ini"))
        .readInteger(QStringLiteral("Zelkova"), QLatin1String(key), 0);
}

} // namespace

TEST_F(DirHogWindowTest, BothModesListExactFoldersLargestFirst) {
    // "Photos" and "photos" are two folders; a link counts as an entry of its own size (the
    // length of its target); hidden files count, hidden folders are never listed.
    tree.file("Photos/a.jpg", 4096);
    tree.file("Photos/Sub/b.jpg", 2048);
    tree.file("Photos/.thumbs", 1024);
    tree.file("photos/c.jpg", 500);
    tree.symlink("photos/link", "../Photos");
    tree.file(".cache/x", 9000);
    tree.file("top.txt", 100);
    auto w = open();

    w->btTopClick();
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    EXPECT_EQ(rows(*w), (QStringList{"/Photos:7 K:3:1", "/photos:0.4 K:2:0"}));
    EXPECT_EQ(w->grid->cell(5, 1), tree.path() + "/Photos");
    EXPECT_EQ(w->pnlScan->text(), "Folders : 2");
    for (QPushButton* b : {w->btDelete, w->btPrint, w->btClip, w->btBrowse})
        EXPECT_FALSE(b->isHidden()) << b->objectName().toStdString();

    w->btAllClick();
    EXPECT_EQ(rows(*w), (QStringList{"/Photos:5 K:2:1", "/Photos/Sub:2 K:1:0", "/photos:0.4 K:2:0",
                                     ":0.1 K:1:3"}));

    // The clipboard holds the lines largest first.
    w->btClipClick();
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\t") + tree.path() + "/Photos"))
        << lines[0].toStdString();
}

TEST_F(DirHogWindowTest, SortsUseTheRecordedNumbers) {
    // Text order of the size cells would put 2,000,000 K above 10,000,000 K.
    tree.file("Ten/f", 10000000LL * 1024);
    tree.file("Two/f", 2000000LL * 1024);
    for (const char* f : {"Many/1", "Many/2", "Many/3"})
        tree.file(f, 1);
    auto w = open();
    w->btTopClick();
    auto firstPaths = [&] {
        QStringList out;
        for (const QString& r : rows(*w))
            out << r.section(u':', 0, 0);
        return out;
    };
    w->SortbySize1Click(w->SortbyName1);
    EXPECT_EQ(firstPaths(), (QStringList{"/Many", "/Ten", "/Two"}));
    w->SortbySize1Click(w->SortbySize1);
    EXPECT_EQ(firstPaths(), (QStringList{"/Ten", "/Two", "/Many"}));
    EXPECT_TRUE(w->SortbySize1->isChecked());
    w->SortbySize1Click(w->SortbyFiles1);
    EXPECT_EQ(firstPaths()[0], "/Many");
    EXPECT_FALSE(w->SortbySize1->isChecked());
}

TEST_F(DirHogWindowTest, DeletingActsOnTheExactFolderOnce) {
    tree.file("Photos/a", 3000);
    tree.file("photos/b", 10);
    tree.dir("Empty");
    auto w = open();
    w->btTopClick();
    const qint64 before = std::max<qint64>(0, totalsKey("Ndelete"));

    deleteRow(*w, "/Photos");
    EXPECT_FALSE(tree.exists("Photos"));
    EXPECT_TRUE(tree.exists("photos/b"));
    EXPECT_EQ(w->grid->cell(0, rowOf(*w, "/Photos")), "DELETED");
    EXPECT_EQ(ui.lastMessage(), "Deleted 1 files for a savings of 3,000 bytes.");
    EXPECT_EQ(totalsKey("Ndelete"), before + 1);

    // Into the trash: the files count as recycled.
    const qint64 wasted = std::max<qint64>(0, totalsKey("NWaste"));
    ui.clear();
    deleteRow(*w, "/photos", true);
    EXPECT_FALSE(tree.exists("photos"));
    EXPECT_EQ(w->grid->cell(0, rowOf(*w, "/photos")), "RECYCLED");
    EXPECT_EQ(ui.lastMessage(), "Recycled 1 files for a savings of 10 bytes.");
    EXPECT_EQ(totalsKey("NWaste"), wasted + 1);

    // A second try on the row, and an empty folder that is simply removed without a message.
    ui.clear();
    deleteRow(*w, "/Photos");
    EXPECT_EQ(ui.lastMessage(), "Folder already deleted/recycled");
    ui.clear();
    deleteRow(*w, "/Empty");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(tree.exists("Empty"));
    EXPECT_EQ(w->grid->cell(0, rowOf(*w, "/Empty")), "DELETED");
}

TEST_F(DirHogWindowTest, PartialDeletionLeavesTheRowRetryable) {
    // Two read-only files: Yes to the first question, No to the second.
    for (const char* f : {"Keep/r1", "Keep/r2"})
        ASSERT_EQ(::chmod(tree.file(f, 700).constData(), 0444), 0);
    auto w = open();
    w->btTopClick();
    const qint64 before = std::max<qint64>(0, totalsKey("Ndelete"));
    ui.answers = {Answer::Yes, Answer::No};
    deleteRow(*w, "/Keep");
    EXPECT_EQ(ui.questions.size(), 2);
    EXPECT_TRUE(tree.exists("Keep"));
    EXPECT_EQ(w->grid->cell(0, rowOf(*w, "/Keep")), "PARTLY DELETED");
    EXPECT_EQ(ui.lastMessage(), "Deleted 1 files for a savings of 700 bytes. (Note: Deletion "
                                "operation canceled ... not all files deleted)");
    EXPECT_EQ(totalsKey("Ndelete"), before + 1);

    // The retry removes the rest and the folder.
    ui.clear();
    deleteRow(*w, "/Keep");
    EXPECT_FALSE(tree.exists("Keep"));
    EXPECT_EQ(w->grid->cell(0, rowOf(*w, "/Keep")), "DELETED");
    EXPECT_EQ(totalsKey("Ndelete"), before + 2);
}

TEST_F(DirHogWindowTest, ASettingsFileThatCannotBeWrittenStillShowsTheFolderDeleted) {
    tree.file("Doomed/f", 300);
    auto w = open();
    w->btTopClick();
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    tree.file("config/zelkova"); // a file where the settings folder should be
    qputenv("XDG_CONFIG_HOME", tree.abs("config"));
    deleteRow(*w, "/Doomed");
    qputenv("XDG_CONFIG_HOME", config);
    EXPECT_FALSE(tree.exists("Doomed"));
    EXPECT_EQ(w->grid->cell(0, rowOf(*w, "/Doomed")), "DELETED");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Deleted 1 files for a savings of 300 bytes.");
    EXPECT_TRUE(ui.messages[1].text.startsWith("Unable to write to "));
}

// A memory file system holds sparse files of exabytes: a folder of two 5 EiB files totals the
// top of the 64-bit range, and its deletion reports and stores that, never a wrapped sum.
TEST_F(DirHogWindowTest, ExabyteFilesSumToTheTopOfTheRange) {
    tree.dir("mem");
    const ChildResult r = runInMountNamespace([&]() -> QString {
        if (::mount("tmpfs", tree.abs("mem").constData(), "tmpfs", 0, "size=1m") != 0)
            return kChildSkip;
        drives = {Drive{fromNative(tree.abs("mem")), QStringLiteral("m"), QStringLiteral("tmpfs")}};
        for (const char* name : {"mem/big/a", "mem/big/b"})
            tree.file(name, qint64(5) << 60);
        constexpr qint64 top = std::numeric_limits<qint64>::max();
        QString problems;
        const auto expect = [&](const QString& got, const QString& want) {
            if (got != want)
                problems += got + QStringLiteral(" instead of ") + want + QStringLiteral("; ");
        };
        auto w = open();
        // Painting may hand work to threads that the forked child does not have.
        w->setUpdatesEnabled(false);
        w->btTopClick();
        if (w->rowCounter != 1)
            return QStringLiteral("%1 rows").arg(w->rowCounter);
        expect(QString::number(w->records().bytes(w->grid->rowKey(1))), QString::number(top));
        expect(w->grid->cell(0, 1), folderSizeText(top));
        expect(w->grid->cell(1, 1), QStringLiteral("???"));
        deleteRow(*w, "/mem/big");
        expect(ui.lastMessage(),
               "Deleted 2 files for a savings of " + formatThousands(top) + " bytes.");
        expect(QString::number(totalsKey("SizeDelete")), QString::number(top));
        return problems;
    });
    if (r.skipped)
        GTEST_SKIP() << "no mount namespace";
    EXPECT_EQ(r.problems, "");
}

TEST_F(DirHogWindowTest, ProtectedFoldersAreRefused) {
    tree.file("a/f", 10);
    auto w = open();
    w->btAllClick();
    int shown = 0;
    ui.onModal = [&](QDialog&) { return ++shown, int(QDialog::Rejected); };
    // The drive's root is a row of its own in "All Folders" mode.
    w->grid->setCurrentRow(rowOf(*w, ""));
    w->btDeleteClick();
    EXPECT_EQ(ui.lastMessage(), "You cannot delete the root folder using Zelkova 95");
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(tree.exists("a/f"));

    for (const QString& path :
         {QStringLiteral("/"), QStringLiteral("/usr"), QStringLiteral("/home"), QDir::homePath()})
        EXPECT_FALSE(folderDeleteRefusal(path).isEmpty()) << path.toStdString();
    EXPECT_TRUE(folderDeleteRefusal(tree.path() + "/a").isEmpty());
}

TEST_F(DirHogWindowTest, BrowseOpensTheExactFolder) {
    tree.file("Photos/a", 10);
    tree.file("photos/b", 1);
    QString opened;
    auto w = open();
    w->setFileOpeners(
        FileOpeners{{}, {}, [&](QWidget*, const QString& folder, const QString&, const QString&) {
                        opened = folder;
                    }});
    w->btTopClick();
    w->grid->setCurrentRow(rowOf(*w, "/photos"));
    w->btBrowseClick();
    EXPECT_EQ(opened, tree.path() + "/photos");
}

TEST_F(DirHogWindowTest, AbortKeepsWhatWasFoundAndSaysSo) {
    for (const char* f : {"a/f", "b/f", "c/f"})
        tree.file(f, 2048);
    auto w = open();
    scanHeldAt(
        w->session(), 3, [&] { w->btAllClick(); }, [&] { w->session().abort(); });
    EXPECT_EQ(ui.lastMessage(), "LIST INCOMPLETE ... ABORTED BY USER");
    w->btClipClick();
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    EXPECT_EQ(lines.first(), "LIST INCOMPLETE ... ABORTED BY USER");
    EXPECT_EQ(lines.size(), w->rowCounter + 1);
    EXPECT_EQ(w->pnlScan->text(), QStringLiteral("Folders : ") + QString::number(w->rowCounter));
}

TEST_F(DirHogWindowTest, FolderGoneSinceTheScanIsNotMarkedDeleted) {
    tree.file("Gone/f", 100);
    auto w = open();
    w->btTopClick();
    removeTree(tree.abs("Gone"));
    const qint64 before = std::max<qint64>(0, totalsKey("Ndelete"));
    deleteRow(*w, "/Gone");
    EXPECT_TRUE(ui.lastMessage().contains("Nothing was deleted")) << ui.lastMessage().toStdString();
    EXPECT_NE(w->grid->cell(0, rowOf(*w, "/Gone")), "DELETED");
    EXPECT_EQ(std::max<qint64>(0, totalsKey("Ndelete")), before);
}

TEST_F(DirHogWindowTest, MountedAndUnreadableFoldersAddNothingFalse) {
    // A file system mounted below the root is another drive, and a folder the user may not
    // open cannot be totalled: both count only as subfolders of their parent, with no row that
    // claims a total for them.
    tree.file("a/f", 100);
    tree.file("a/closed/x", 1000);
    tree.dir("a/mnt");
    tree.file("b/g", 200);
    ASSERT_EQ(::chmod(tree.abs("a/closed").constData(), 0), 0);
    ASSERT_EQ(::chmod(tree.nativePath().constData(), 0755), 0);
    const ChildResult r = runInMountNamespace([&]() -> QString {
        if (::mount("tmpfs", tree.abs("a/mnt").constData(), "tmpfs", 0, "size=1m") != 0)
            return kChildSkip;
        tree.file("a/mnt/big", 5000);
        // Root opens every folder: the scan runs as an unprivileged user.
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            return kChildSkip;
        QString problems;
        auto w = open();
        const auto lines = [&] {
            QStringList out;
            for (int row = 1; row <= w->rowCounter; ++row) {
                const quint32 rec = w->grid->rowKey(row);
                out << QStringLiteral("%1:%2:%3:%4")
                           .arg(w->records().path(rec).mid(tree.path().size()))
                           .arg(w->records().bytes(rec))
                           .arg(w->records().files(rec))
                           .arg(w->records().subfolders(rec));
            }
            return out.join(u' ');
        };
        w->btTopClick();
        if (lines() != "/b:200:1:0 /a:100:1:2")
            problems += "main folders: " + lines() + "; ";
        w->btAllClick();
        if (lines() != "/b:200:1:0 /a:100:1:2 :0:0:2")
            problems += "all folders: " + lines() + "; ";
        if (!ui.messages.empty())
            problems += "message: " + ui.lastMessage();
        // The closed folder is told, the other file system is not.
        const QString status = w->findChild<QLabel*>("pnlScan")->text();
        if (status != "Folders : 3 (1 folder could not be read)")
            problems += "status: " + status + "; ";
        QAction* item = w->findChild<QAction*>("UnreadFolders1");
        if (!item || !item->isVisible())
            return problems + "no menu item";
        item->trigger();
        if (!ui.lastMessage().endsWith(tree.path() + "/a/closed: Permission denied"))
            problems += "list: " + ui.lastMessage();
        return problems;
    });
    ::chmod(tree.abs("a/closed").constData(), 0755);
    if (r.skipped)
        GTEST_SKIP() << "mounting or changing user is not permitted here";
    EXPECT_EQ(r.problems.toStdString(), "");
}

TEST_F(DirHogWindowTest, NoFolderIsDeletedWhileTheWindowsOwnWalkRuns) {
    tree.file("Old/f", 100);
    auto w = open();
    w->btTopClick();
    int asked = 0;
    ui.onModal = [&](QDialog&) { return ++asked, int(QDialog::Accepted); };
    scanHeldAt(
        w->session(), 1, [&] { w->btTopClick(); },
        [&] {
            w->grid->setCurrentRow(1);
            w->btDeleteClick();
        });
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(QFileInfo::exists(tree.path() + "/Old/f"));
    EXPECT_EQ(rows(*w).size(), 1);
}
