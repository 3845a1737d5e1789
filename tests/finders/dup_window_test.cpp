#include "finders/dup_window.h"

#include "common/locations.h"
#include "common/number_text.h"
#include "common/profile.h"
#include "delete/really_delete.h"
#include "finders/file_openers.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "platform/native_path.h"
#include "support/grid_check.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "support/walk_gate.h"
#include "widgets/number_field.h"
#include "widgets/string_grid.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QString kAbortText = QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER");

// A finder window over a test "drive": the temporary tree is the only drive of the list.
class DupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveListSeam([this] { return drives; });
        drives = {Drive{tree.path(), QStringLiteral("test"), QStringLiteral("tmpfs")}};
    }
    void TearDown() override {
        setDriveListSeam(nullptr);
        setLauncherSeam(nullptr);
    }

    // Opens the window as the main window would and shows it; every file passes the filter.
    std::unique_ptr<TfrmDup> open(bool duplicates) {
        auto w = std::make_unique<TfrmDup>(duplicates);
        w->session().setInline(true);
        w->show();
        w->num1->setValue(0);
        return w;
    }

    QStringList rowTexts(const TfrmDup& w, int column) {
        QStringList out;
        for (int r = 1; r < w.grid->rowCount(); ++r)
            out << w.grid->cell(column, r);
        return out;
    }
    // The exact paths of the listed rows, top to bottom (the texts may be in lower case).
    QStringList rowPaths(const TfrmDup& w) {
        QStringList out;
        for (int r = 1; r <= w.rowCounter; ++r)
            out << w.records().path(w.grid->rowKey(r));
        return out;
    }
    QString p(const char* rel) { return tree.path() + u'/' + QLatin1String(rel); }
    // Answers the deletion's confirmation window; `warning` receives the last-copy warning it
    // showed, empty when none.
    enum class Confirm { Delete, Recycle, Cancel };
    void answerConfirmation(Confirm answer, QString* warning = nullptr) {
        ui.onModal = [answer, warning](QDialog& d) {
            auto& confirm = dynamic_cast<TfrmReallyDelete&>(d);
            if (warning)
                *warning =
                    confirm.lblLastCopies->isHidden() ? QString() : confirm.lblLastCopies->text();
            if (answer == Confirm::Delete)
                confirm.btDeleteAllClick();
            else if (answer == Confirm::Recycle)
                confirm.btRecycleClick();
            return answer == Confirm::Cancel ? int(QDialog::Rejected) : confirm.result();
        };
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

TEST_F(DupWindowTest, OpeningSetsUpEachMode) {
    auto dup = open(true);
    EXPECT_EQ(dup->windowTitle(), "Find and delete duplicate files");
    EXPECT_EQ(dup->btScan->toolTip(), "Duplicates on file name only");
    EXPECT_FALSE(dup->btExact->isHidden());
    EXPECT_FALSE(dup->menu.Sortbysize1->isVisible());
    EXPECT_EQ(dup->grid->colCount(), 7);
    EXPECT_EQ(dup->grid->cell(0, 0), "Filename");
    EXPECT_EQ(dup->grid->rowCount(), 2);
    EXPECT_EQ(dup->num2->value(), 250);
    EXPECT_EQ(dup->lblKB1->text(), "KB (256000 bytes)");
    EXPECT_TRUE(dup->pnlDrives->isTicked(1));
    EXPECT_EQ(dup->pnlDrives->driveRoot(1), tree.path());
    for (QWidget* hidden : {(QWidget*)dup->btAbort, (QWidget*)dup->btMark, (QWidget*)dup->btDelete,
                            (QWidget*)dup->btPrint, (QWidget*)dup->btClip, (QWidget*)dup->btBrowse,
                            (QWidget*)dup->num2, (QWidget*)dup->lblAnd})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_EQ(dup->cbWildCard->currentText(), "*.*");
    EXPECT_EQ(dup->lblWild->text(), "All files");
    EXPECT_EQ(dup->cbWildCard->itemText(0), "*.*");
    EXPECT_TRUE(dup->menu.View1->isVisible());
    EXPECT_TRUE(dup->menu.Details1->isVisible());

    auto hog = open(false);
    EXPECT_EQ(hog->windowTitle(), "Find and delete file hogs");
    EXPECT_TRUE(hog->btExact->isHidden());
    EXPECT_TRUE(hog->menu.Sortbysize1->isVisible());
    EXPECT_EQ(hog->grid->colCount(), 6);
    EXPECT_EQ(hog->grid->cell(4, 0), "FileName");

    hog->resize(1000, 500);
    EXPECT_EQ(hog->pnlDrives->x() + hog->pnlDrives->width(), 1000 - 8);
}

// At the opening size and made wider, no cell is cut without a sign: sizes of gigabytes and
// terabytes show whole, names and folders too long for their cells show "…" and have their
// whole text as tooltip, and duplicates whose folders differ inside still read apart. The room
// a wider window gives goes to the name and the folder.
TEST_F(DupWindowTest, CellsAreNeverCutWithoutASign) {
    const QByteArray deep = "projects/" + QByteArray(60, 'x') + '/';
    tree.file(deep + "alpha/Huge.iso", 5LL << 30);
    tree.file(deep + "beta/Huge.iso", 5LL << 30);
    tree.file(deep + "alpha/" + QByteArray(120, 'n') + ".txt", 8LL << 40);
    tree.file(deep + "beta/" + QByteArray(120, 'n') + ".txt", 8LL << 40);
    for (bool duplicates : {true, false}) {
        auto w = open(duplicates);
        w->btScanClick();
        QCoreApplication::processEvents();
        ASSERT_EQ(w->rowCounter, 4);
        const std::string mode = duplicates ? "duplicates" : "file hogs";
        EXPECT_GT(expectNoSilentCuts(*w->grid, mode), 0);
        // The two rows of each group of duplicates differ only in a folder inside their path.
        if (duplicates) {
            for (int row : {1, 3})
                EXPECT_NE(w->grid->shownText(5, row), w->grid->shownText(5, row + 1)) << row;
        }

        w->resize(1200, w->height());
        expectWideningGoesToNamesAndPaths(*w, *w->grid, 300, mode);
        expectNoSilentCuts(*w->grid, mode + ", wider");
    }
}

TEST_F(DupWindowTest, SizeFilterControls) {
    auto w = open(false);
    w->rbBetween->click();
    EXPECT_FALSE(w->num2->isHidden());
    EXPECT_FALSE(w->lblAnd->isHidden());
    w->rbSmaller->click();
    EXPECT_TRUE(w->num2->isHidden());
    w->num1->setValue(1024);
    w->num1Exit();
    EXPECT_EQ(w->lblKB1->text(), KiloToMega(1024));

    // Unticking the last drive disables Scan and Exact; ticking one enables both.
    w->pnlDrives->box(1)->click();
    EXPECT_FALSE(w->btScan->isEnabled());
    EXPECT_FALSE(w->btExact->isEnabled());
    w->pnlDrives->box(1)->click();
    EXPECT_TRUE(w->btScan->isEnabled());
    EXPECT_TRUE(w->btExact->isEnabled());
}

TEST_F(DupWindowTest, DuplicatesScanGroupsNamesAndExactAlsoSizes) {
    tree.file("a/Readme.txt", 2048);
    tree.file("b/README.TXT", 2049);
    tree.file("c/readme.txt", 3072);
    tree.file("c/single.txt", 10);
    tree.file("d/x.bin", 5);
    tree.file("e/x.bin", 5);
    tree.file(".hidden/x.bin", 5);
    auto w = open(true);

    w->btScanClick();
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    EXPECT_EQ(w->rowCounter, 5);
    EXPECT_EQ(w->grid->rowCount(), 6);
    EXPECT_EQ(w->pnlSel->text(), "5 duplicates found");
    EXPECT_EQ(rowTexts(*w, 0), (QStringList{"Readme.txt    ", "README.TXT    ", "readme.txt    ",
                                            "x.bin         ", "x.bin         "}));
    EXPECT_EQ(rowPaths(*w), (QStringList{p("a/Readme.txt"), p("b/README.TXT"), p("c/readme.txt"),
                                         p("d/x.bin"), p("e/x.bin")}));
    EXPECT_EQ(rowTexts(*w, 5)[0], p("a/"));
    EXPECT_EQ(w->grid->cell(1, 1), "     2 K");
    for (QWidget* shown : {(QWidget*)w->btMark, (QWidget*)w->btDelete, (QWidget*)w->btPrint,
                           (QWidget*)w->btClip, (QWidget*)w->btBrowse})
        EXPECT_FALSE(shown->isHidden());
    EXPECT_TRUE(w->btAbort->isHidden());
    EXPECT_FALSE(w->btDelete->isEnabled());
    EXPECT_TRUE(w->btScan->isEnabled());
    EXPECT_TRUE(w->cbWildCard->isEnabled());

    // Exact: 2048 and 2049 bytes read the same, 3072 does not.
    w->btExactClick();
    EXPECT_EQ(rowPaths(*w),
              (QStringList{p("a/Readme.txt"), p("b/README.TXT"), p("d/x.bin"), p("e/x.bin")}));
    EXPECT_EQ(w->pnlSel->text(), "4 duplicates found");

    // A pattern narrows the search.
    w->cbWildCard->setEditText("*.txt");
    w->btScanClick();
    EXPECT_EQ(w->rowCounter, 3);
}

TEST_F(DupWindowTest, FileHogsLargestFirstSortMarksAndClipboard) {
    tree.file("big/Huge.iso", 3LL << 30);
    tree.file("exact.bin", 256000);
    tree.file("under.bin", 255999);
    tree.file("mid/Million.dat", 1048576000);
    tree.file("mid/zeta.dat", 300000);
    auto w = open(false);
    w->num1->setValue(250);

    w->btScanClick();
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    EXPECT_EQ(w->pnlSel->text(), "4 file hogs found");
    EXPECT_EQ(rowTexts(*w, 0), (QStringList{"3145728 K", "1024000 K", "   292 K", "   250 K"}));
    EXPECT_EQ(rowPaths(*w).first(), p("big/Huge.iso"));
    EXPECT_EQ(rowTexts(*w, 4).first(), p("big/Huge.iso"));

    // Mark the largest: the total is its true 64-bit size.
    w->grid->setCurrentRow(1);
    w->marks().gridDblClick();
    EXPECT_EQ(w->pnlSel->text(),
              QStringLiteral("1 files %1 bytes").arg(formatThousands(3LL << 30)));
    EXPECT_TRUE(w->btDelete->isEnabled());
    EXPECT_EQ(w->lbDeleted(), QStringList{p("big/Huge.iso")});

    // By name the rows move with their marks; by size largest-first comes back.
    w->Sortbysize1Click(w->menu.Name1);
    EXPECT_TRUE(w->menu.Name1->isChecked());
    EXPECT_FALSE(w->menu.Size1->isChecked());
    EXPECT_EQ(rowPaths(*w), (QStringList{p("big/Huge.iso"), p("exact.bin"), p("mid/Million.dat"),
                                         p("mid/zeta.dat")}));
    EXPECT_TRUE(w->grid->marked(1));
    w->Sortbysize1Click(w->menu.Type1);
    w->Sortbysize1Click(w->menu.Size1);
    EXPECT_EQ(w->grid->cell(0, 1), "3145728 K");
    EXPECT_TRUE(w->grid->marked(1));

    // The clipboard holds the records largest first whatever the grid's order.
    w->Sortbysize1Click(w->menu.Name1);
    w->btClipClick();
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("3145728 K\t"));
    EXPECT_TRUE(lines[3].startsWith("   250 K\t"));
    EXPECT_EQ(lines[0].split(u'\t').size(), 6);

    // Printing goes to the PDF file the print dialog chose.
    QTemporaryDir out;
    ui.pdfPath = out.filePath("list.pdf");
    w->btPrintClick();
    EXPECT_GT(QFileInfo(ui.pdfPath).size(), 0);
}

TEST_F(DupWindowTest, NothingFoundAndTheOrderOfTheTwoNumbers) {
    tree.file("small.txt", 10);
    auto w = open(false);
    w->num1->setValue(250);
    w->btScanClick();
    EXPECT_EQ(ui.messageTexts(), QStringList{"No files found."});
    EXPECT_TRUE(w->btPrint->isHidden());
    EXPECT_TRUE(w->btBrowse->isHidden());
    EXPECT_TRUE(w->btMark->isHidden());

    ui.clear();
    w->rbBetween->click();
    w->num1->setValue(200);
    w->num2->setValue(100);
    w->btScanClick();
    EXPECT_EQ(ui.messageTexts(),
              QStringList{"The second number must be larger or equal than the first number"});
    ui.clear();
    w->btExactClick();
    EXPECT_EQ(ui.messageTexts(), QStringList{"No files found."});

    // In between 100 and 100 lists exactly the files of 102,400 bytes.
    tree.file("a.bin", 102400);
    tree.file("b.bin", 102401);
    ui.clear();
    w->num1->setValue(100);
    w->btScanClick();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(rowPaths(*w), QStringList{p("a.bin")});
}

TEST_F(DupWindowTest, DriveThatCannotBeOpenedIsReportedAndTheOthersScanned) {
    tree.file("f.bin", 5);
    TempTree other;
    other.file("plain", 1);
    // A "drive" whose root is a file: ready for statvfs, but no folder to walk.
    drives.push_back(Drive{other.path() + "/plain", QStringLiteral("x"), QStringLiteral("tmpfs")});
    auto w = open(false);
    w->pnlDrives->box(2)->setChecked(true);
    w->btScanClick();
    EXPECT_EQ(ui.messageTexts(), QStringList{"Can't open drive " + other.path() + "/plain"});
    EXPECT_EQ(ui.messages.front().kind, MessageKind::Error);
    EXPECT_TRUE(ui.sounds.empty());
    EXPECT_EQ(w->rowCounter, 1);
}

TEST_F(DupWindowTest, RecordLimitWarnsAndKeepsThePartialList) {
    for (int i = 0; i < 6; ++i)
        tree.file("f" + QByteArray::number(i), 10 + i);
    auto w = open(false);
    w->records().setLimit(2);
    w->btScanClick();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(ui.messages[0].text, TfrmDup::kResourceText);
    EXPECT_EQ(w->rowCounter, 2);
    EXPECT_EQ(w->pnlSel->text(), "2 file hogs found");
}

TEST_F(DupWindowTest, AbortMidWalkKeepsWhatWasFound) {
    for (int d = 0; d < 10; ++d)
        for (int f = 0; f < 5; ++f)
            tree.file("d" + QByteArray::number(d) + "/f" + QByteArray::number(f), 100);
    auto w = open(false);
    // Abort is live during the walk; the walk ends, then the abort is reported.
    scanHeldAt(
        w->session(), 4, [&] { w->btScanClick(); },
        [&] {
            EXPECT_FALSE(w->btAbort->isHidden());
            EXPECT_FALSE(w->btScan->isEnabled());
            w->btAbort->click();
        });
    EXPECT_EQ(ui.messageTexts(), QStringList{kAbortText});
    EXPECT_LT(w->rowCounter, 50);
    EXPECT_EQ(w->pnlSel->text(), QStringLiteral("%1 file hogs found").arg(w->rowCounter));
    EXPECT_TRUE(w->btScan->isEnabled());
    EXPECT_TRUE(w->btAbort->isHidden());

    // Esc during a scan stops it as Abort does, and the window stays open.
    ui.clear();
    scanHeldAt(
        w->session(), 4, [&] { w->btScanClick(); },
        [&] { QTest::keyClick(w.get(), Qt::Key_Escape); });
    EXPECT_EQ(ui.messageTexts(), QStringList{kAbortText});
    EXPECT_LT(w->rowCounter, 50);
    EXPECT_TRUE(w->isVisible());

    // The next scan starts afresh and lists everything.
    ui.clear();
    w->btScanClick();
    EXPECT_EQ(w->rowCounter, 50);
}

TEST_F(DupWindowTest, AFailureInsideTheWalkLeavesTheWindowUnlocked) {
    tree.file("d/a", 1);
    tree.file("d/b", 1);
    auto w = open(false);
    w->session().engine().setNameFilter(
        [](const char*, int) -> bool { throw std::runtime_error("disk on fire"); });
    w->session().engine().setThreads(1); // the failure comes from the walk's own thread
    EXPECT_THROW(w->btScanClick(), std::runtime_error);
    EXPECT_FALSE(w->scanning());
    EXPECT_TRUE(w->btScan->isEnabled());
    EXPECT_TRUE(w->btClose->isEnabled());
    EXPECT_TRUE(w->pnlDrives->isEnabled());
    EXPECT_TRUE(w->btAbort->isHidden());
}

TEST_F(DupWindowTest, ClosingDuringAScanWaitsForTheWalkToLetGo) {
    for (int d = 0; d < 10; ++d)
        for (int f = 0; f < 5; ++f)
            tree.file("d" + QByteArray::number(d) + "/f" + QByteArray::number(f), 100);
    auto w = open(true);
    bool closedEarly = false;
    scanHeldAt(
        w->session(), 4, [&] { w->btScanClick(); },
        [&] {
            w->close(); // the title bar's close box
            closedEarly = !w->isVisible();
        });
    EXPECT_FALSE(closedEarly);
    EXPECT_TRUE(w->session().stopped());
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Rejected);
    EXPECT_FALSE(w->scanning());
    // No "No files found." or other message for a window that is going.
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DupWindowTest, DeleteMarkedFilesForGood) {
    tree.file("a/dup.txt", 1000);
    tree.file("b/dup.txt", 1500);
    tree.file("c/tab\tname.txt", 700);
    tree.file("d/tab\tname.txt", 700);
    auto w = open(true);
    w->btScanClick();
    ASSERT_EQ(w->rowCounter, 4);
    // Mark rows 1 and 3 with the Mark button (it moves down a row each time).
    w->grid->setCurrentRow(1);
    w->btMark->click();
    EXPECT_EQ(w->grid->currentRow(), 2);
    w->grid->setCurrentRow(3);
    w->btMark->click();
    ASSERT_EQ(w->lbDeleted().size(), 2);
    EXPECT_EQ(w->lbDeleted()[1], rowPaths(*w)[2]);
    EXPECT_TRUE(w->lbDeleted()[1].contains(u'\t'));

    // The clipboard shows the tab as an escape and keeps one record per line.
    w->btClipClick();
    EXPECT_TRUE(QApplication::clipboard()->text().contains("tab\\tname.txt"));
    EXPECT_EQ(QApplication::clipboard()->text().split(u'\n').size(), 4);

    const qint64 before = totalsKey("Ndelete");
    QStringList handed;
    ui.onModal = [&](QDialog& d) {
        auto& confirm = dynamic_cast<TfrmReallyDelete&>(d);
        handed = confirm.files();
        EXPECT_EQ(confirm.savings, 1700);
        confirm.btDeleteAllClick();
        return confirm.result();
    };
    w->btDeleteClick();
    EXPECT_EQ(handed.size(), 2);
    EXPECT_EQ(w->result(), QDialog::Accepted);
    // Exactly the marked files went, by their exact names.
    for (const QString& path : rowPaths(*w)) {
        struct stat st;
        EXPECT_EQ(::lstat(toNative(path).constData(), &st) == 0, !handed.contains(path))
            << path.toStdString();
    }
    EXPECT_TRUE(handed.contains(p("a/dup.txt")));
    EXPECT_EQ(totalsKey("Ndelete"), before + 2);
}

TEST_F(DupWindowTest, DeleteIntoTheTrash) {
    tree.file("a/junk.bak", 300);
    tree.file("b/junk.bak", 400);
    auto w = open(true);
    w->btScanClick();
    w->marks().Markall1Click();
    EXPECT_EQ(w->pnlSel->text(), "2 files 700 bytes");
    const qint64 before = totalsKey("NWaste");
    const QDir info(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/info");
    const qsizetype infosBefore = info.entryList({"*.trashinfo"}, QDir::Files).size();
    answerConfirmation(Confirm::Recycle);
    w->btDeleteClick();
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_FALSE(tree.exists("a/junk.bak"));
    EXPECT_FALSE(tree.exists("b/junk.bak"));
    EXPECT_EQ(info.entryList({"*.trashinfo"}, QDir::Files).size(), infosBefore + 2);
    EXPECT_EQ(totalsKey("NWaste"), before + 2);
}

TEST_F(DupWindowTest, DeletingEveryCopyOfAGroupNeedsASecondYes) {
    tree.file("a/keep.txt", 10);
    tree.file("b/keep.txt", 10);
    tree.file("a/junk.bak", 20);
    tree.file("b/junk.bak", 20);
    auto w = open(true);
    w->btScanClick();
    ASSERT_EQ(rowPaths(*w),
              (QStringList{p("a/junk.bak"), p("b/junk.bak"), p("a/keep.txt"), p("b/keep.txt")}));
    for (int row : {1, 2, 3})
        w->marks().deleteOneFile(row);
    QString warning;
    answerConfirmation(Confirm::Delete, &warning);
    // The usual question, then the second one: No keeps every file.
    ui.answers = {Answer::Yes, Answer::No};
    w->btDeleteClick();
    EXPECT_EQ(warning, "Every copy of junk.bak is marked: no copy will be left.");
    ASSERT_EQ(ui.questions.size(), 2);
    EXPECT_TRUE(ui.questions[1].startsWith(warning));
    EXPECT_EQ(ui.lastMessage(), "Files not deleted");
    EXPECT_TRUE(w->isVisible());
    for (const char* f : {"a/junk.bak", "b/junk.bak", "a/keep.txt", "b/keep.txt"})
        EXPECT_TRUE(tree.exists(f)) << f;

    ui.answers = {Answer::Yes, Answer::Yes};
    w->btDeleteClick();
    EXPECT_EQ(ui.questions.size(), 4);
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_FALSE(tree.exists("a/junk.bak"));
    EXPECT_FALSE(tree.exists("b/junk.bak"));
    EXPECT_FALSE(tree.exists("a/keep.txt"));
    EXPECT_TRUE(tree.exists("b/keep.txt"));
}

TEST_F(DupWindowTest, ContentsGroupsEqualBytesWhateverTheirNames) {
    tree.write("photos/IMG_0002.JPG", "aaaa");
    tree.write("backup/IMG_0002.JPG", "bbbb"); // same name, other bytes: no duplicate
    tree.write("backup/copy.jpg", "aaaa");
    ASSERT_EQ(::link(tree.abs("backup/copy.jpg"), tree.abs("backup/copy-link.jpg")), 0);
    tree.write("big/one.iso", QByteArray(5000, 'x'));
    tree.write("big/two.iso", QByteArray(5000, 'x'));
    tree.file("empty"); // files of 0 bytes are nobody's duplicate
    tree.file("sub/empty");
    auto w = open(true);
    w->btContentsClick();
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    // Largest first; the hard link is one member, listed under the name met first.
    EXPECT_EQ(rowPaths(*w),
              (QStringList{p("big/one.iso"), p("big/two.iso"), p("backup/copy-link.jpg"),
                           p("backup/copy.jpg"), p("photos/IMG_0002.JPG")}));
    EXPECT_EQ(rowTexts(*w, 7), (QStringList{"1", "1", "2", "2 (hard link)", "2"}));
    EXPECT_EQ(w->pnlSel->text(), "2 duplicates found in 2 groups, 5,004 bytes could be freed");

    // Every name of the second group marked: the confirmation names it.
    for (int row : {3, 4, 5})
        w->marks().deleteOneFile(row);
    QString warning;
    answerConfirmation(Confirm::Cancel, &warning);
    w->btDeleteClick();
    EXPECT_TRUE(warning.startsWith("Every copy of copy-link.jpg (")) << warning.toStdString();
    // With the hard link's other name left, a copy stays.
    w->marks().deleteOneFile(4);
    w->btDeleteClick();
    EXPECT_EQ(warning, QString());

    // Names and Exact still go by names alone.
    w->btExactClick();
    EXPECT_EQ(rowPaths(*w), (QStringList{p("empty"), p("sub/empty"), p("backup/IMG_0002.JPG"),
                                         p("photos/IMG_0002.JPG")}));
}

// Deleting by contents compares each marked copy with one that stays: a copy forged since the
// scan (other bytes, its size and time kept) stays and is named; the other marked copy goes.
TEST_F(DupWindowTest, ContentsDeletionKeepsACopyThatNoLongerMatches) {
    for (const char* f : {"a/x.bin", "b/x.bin", "c/x.bin"})
        tree.write(f, "same bytes");
    auto w = open(true);
    w->btContentsClick();
    ASSERT_EQ(rowPaths(*w), (QStringList{p("a/x.bin"), p("b/x.bin"), p("c/x.bin")}));
    w->marks().deleteOneFile(1);
    w->marks().deleteOneFile(2);
    struct stat seen;
    ASSERT_EQ(::stat(tree.abs("b/x.bin").constData(), &seen), 0);
    tree.write("b/x.bin", "SAME BYTES");
    const struct timespec times[2] = {seen.st_mtim, seen.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, tree.abs("b/x.bin").constData(), times, 0), 0);
    answerConfirmation(Confirm::Delete);
    w->btDeleteClick();
    EXPECT_EQ(ui.lastMessage(), "1 file was not deleted:\n" + p("b/x.bin") +
                                    ": its contents differ from the copy that stays");
    EXPECT_FALSE(tree.exists("a/x.bin"));
    EXPECT_TRUE(tree.exists("b/x.bin"));
    EXPECT_TRUE(tree.exists("c/x.bin"));
}

TEST_F(DupWindowTest, CancelKeepsTheWindowAndNothingMarkedClosesAtOnce) {
    tree.file("a/x.txt", 10);
    tree.file("b/x.txt", 10);
    auto w = open(true);
    w->btScanClick();
    w->grid->setCurrentRow(2);
    w->marks().gridDblClick();
    int shown = 0;
    ui.onModal = [&](QDialog&) {
        ++shown;
        return int(QDialog::Rejected);
    };
    w->btDeleteClick();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->grid->marked(2));
    EXPECT_EQ(w->lbDeleted(), QStringList{p("b/x.txt")});
    EXPECT_TRUE(tree.exists("b/x.txt"));

    w->marks().Unmarkall1Click();
    EXPECT_EQ(w->pnlSel->text(), "0 files 0 bytes");
    w->btDeleteClick();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(DupWindowTest, RunOpensTheFileOrReportsTheFailure) {
    tree.file("doc.unknownext", 10);
    tree.file("gone.txt", 10);
    auto w = open(false);
    w->btScanClick();
    ASSERT_EQ(w->rowCounter, 2);
    QStringList launched;
    bool succeed = false;
    setLauncherSeam([&](const QString& path) {
        launched << path;
        return succeed;
    });
    const int docRow = w->grid->cell(4, 1).endsWith("doc.unknownext") ? 1 : 2;
    w->grid->setCurrentRow(docRow);
    w->Run1Click();
    EXPECT_EQ(launched, QStringList{p("doc.unknownext")});
    EXPECT_EQ(ui.messageTexts(), QStringList{"Couldn't run " + p("doc.unknownext")});

    ui.clear();
    succeed = true;
    w->Run1Click();
    EXPECT_TRUE(ui.messages.empty());

    // A file that went since the scan: nothing happens.
    ::unlink(tree.abs("gone.txt").constData());
    w->grid->setCurrentRow(3 - docRow);
    w->Run1Click();
    EXPECT_EQ(launched.size(), 2);
    EXPECT_TRUE(ui.messages.empty());
}

// Openers that record what the rows hand them.
struct RecordingOpeners {
    QStringList viewed, detailed, browsed; // browsed: folder, name and mask joined by "|"
    // View, Details and Browse on each row from 1 to `last`, through the menu and the button.
    void onRows(TfrmDup& w, int last) {
        w.setFileOpeners(
            {[this](const QString& path, QWidget*) { viewed << path; },
             [this](const QString& path, QWidget*) { detailed << path; },
             [this](QWidget*, const QString& folder, const QString& name, const QString& mask) {
                 browsed << folder + '|' + name + '|' + mask;
             }});
        for (int r = 1; r <= last; ++r) {
            w.grid->setCurrentRow(r);
            w.menu.View1->trigger();
            w.menu.Details1->trigger();
            w.btBrowse->click();
        }
    }
};

TEST_F(DupWindowTest, ViewDetailsAndBrowseGetTheRecordsExactPathInBothModes) {
    // A byte that is not UTF-8 shows as an escape; a trailing blank looks like padding.
    const QList<QByteArray> rels{"One/Odd \xff Byte.Txt", "One/Ends Blank ",
                                 "Two/Odd \xff Byte.Txt", "Two/Ends Blank "};
    QStringList expected;
    for (const QByteArray& rel : rels) {
        tree.file(rel, 2000);
        expected << fromNative(tree.abs(rel));
    }
    expected.sort();
    for (const bool duplicates : {true, false}) {
        SCOPED_TRACE(duplicates ? "duplicates" : "file hogs");
        auto w = open(duplicates);
        w->cbWildCard->setEditText(QStringLiteral("*"));
        w->btScanClick();
        ASSERT_EQ(w->rowCounter, 4);

        RecordingOpeners rec;
        rec.onRows(*w, 4);
        QStringList viewed = rec.viewed;
        viewed.sort();
        EXPECT_EQ(viewed, expected);
        EXPECT_EQ(rec.detailed, rec.viewed);
        ASSERT_EQ(rec.browsed.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const QStringList parts = rec.browsed[i].split(u'|');
            EXPECT_EQ(parts[0] + u'/' + parts[1], rec.viewed[i]);
            EXPECT_EQ(parts[2], "*");
        }
    }
}

TEST_F(DupWindowTest, ViewAndDetailsOpenOnlyARegularFileThatIsThereNow) {
    // Listed as regular files; since the scan one went, one became a FIFO and one a link.
    for (const char* name : {"here.txt", "gone.txt", "pipe.txt", "link.txt"})
        tree.file(name, 10);
    auto w = open(false);
    w->btScanClick();
    ASSERT_EQ(w->rowCounter, 4);
    for (const char* name : {"gone.txt", "pipe.txt", "link.txt"})
        ::unlink(tree.abs(name).constData());
    ASSERT_EQ(::mkfifo(tree.abs("pipe.txt").constData(), 0600), 0);
    tree.symlink("link.txt", "here.txt");

    RecordingOpeners rec;
    rec.onRows(*w, 4);
    EXPECT_EQ(rec.viewed, QStringList{p("here.txt")});
    EXPECT_EQ(rec.detailed, QStringList{p("here.txt")});
    // Browse needs only a listed row: the browser shows the folder as it is now.
    EXPECT_EQ(rec.browsed.size(), 4);
    EXPECT_TRUE(rec.browsed.contains(tree.path() + "|gone.txt|*.*"));

    // No listed row (a cleared grid): nothing at all.
    rec.browsed.clear();
    w->ClearGrid();
    rec.onRows(*w, 1);
    EXPECT_EQ(rec.viewed.size(), 1);
    EXPECT_TRUE(rec.browsed.isEmpty());
}

TEST_F(DupWindowTest, EachFinderKeepsItsOwnPlacement) {
    {
        auto w = open(true);
        w->setGeometry(100, 120, 700, 450);
    }
    {
        auto w = open(false);
        w->setGeometry(50, 60, 800, 500);
    }
    const Profile ini(QStringLiteral("zelkova.ini"));
    const QString dups = ini.readString("frmDups", "frmMods", QString());
    const QString hogs = ini.readString("frmMods", "frmMods", QString());
    EXPECT_FALSE(dups.isEmpty());
    EXPECT_FALSE(hogs.isEmpty());
    EXPECT_NE(dups, hogs);

    auto again = open(true);
    EXPECT_EQ(again->size(), QSize(700, 450));
}

// Under any font size, every size, date and time cell and every heading fits its column, the
// widest size text and the widest dates of the locale included.
TEST_F(DupWindowTest, FixedFormCellsFitTheirColumnsUnderAnyFont) {
    tree.file("a/Huge.iso", 3LL << 30);
    tree.file("b/Huge.iso", 100);
    for (bool duplicates : {true, false}) {
        auto w = open(duplicates);
        w->btScanClick();
        ASSERT_EQ(w->rowCounter, 2) << duplicates;
        const std::vector<int> fixed =
            duplicates ? std::vector<int>{1, 2, 3, 4} : std::vector<int>{0, 1, 2, 3};
        for (int pixels : {11, 13, 16, 21}) {
            QFont font = w->grid->font();
            font.setPixelSize(pixels);
            w->grid->setFont(font);
            w->resize(w->width() + 1, w->height()); // runs FormResize
            const QFontMetrics fm(font);
            for (int col = 0; col < w->grid->colCount(); ++col) {
                QStringList texts{w->grid->cell(col, 0)};
                if (std::find(fixed.begin(), fixed.end(), col) != fixed.end())
                    texts << rowTexts(*w, col);
                for (const QString& text : texts)
                    EXPECT_LE(fm.horizontalAdvance(text) + 4, w->grid->colWidth(col))
                        << pixels << " px, column " << col << ": " << text.toStdString();
            }
        }
    }
}

// Two finders scan side by side, each with its own abort state: stopping one walk never stops
// the other, and starting one never undoes the other's stop.
TEST_F(DupWindowTest, EachScanHasItsOwnAbortState) {
    for (int d = 0; d < 10; ++d)
        for (int f = 0; f < 5; ++f)
            tree.file("d" + QByteArray::number(d) + "/f" + QByteArray::number(f), 100);
    for (const bool abortFirst : {true, false}) {
        SCOPED_TRACE(abortFirst ? "first aborted" : "second aborted");
        ui.clear();
        std::unique_ptr<TfrmDup> first = open(false);
        std::unique_ptr<TfrmDup> second = open(true);
        TfrmDup& stopped = abortFirst ? *first : *second;
        TfrmDup& going = abortFirst ? *second : *first;
        first->session().setInline(false);
        {
            WalkGate gate(first->session().engine(), 4);
            first->btScanClick();
            ASSERT_TRUE(gate.reached());
            if (abortFirst)
                first->btAbort->click();
            // The second starts while the first's walk is held, stopped or not.
            scanHeldAt(
                second->session(), 4, [&] { second->btScanClick(); },
                [&] {
                    if (!abortFirst)
                        second->btAbort->click();
                });
            gate.open();
            first->session().wait();
        }
        EXPECT_LT(stopped.rowCounter, 50);
        EXPECT_TRUE(stopped.session().stopped());
        EXPECT_EQ(going.rowCounter, 50);
        EXPECT_FALSE(going.session().stopped());
        EXPECT_EQ(ui.messageTexts().count(kAbortText), 1);
    }
}

TEST_F(DupWindowTest, ScreenReadersReadTheStatusAndToggleTheSizeChoice) {
    tree.file("a/x.txt", 10);
    tree.file("b/x.txt", 10);
    auto w = open(true);
    w->btScanClick();
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(w->pnlSel);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->text(QAccessible::Name), "2 duplicates found");
    w->grid->setCurrentRow(1);
    w->marks().gridDblClick();
    EXPECT_EQ(status->text(QAccessible::Name), "1 files 10 bytes");

    // "In between" chosen through the accessible toggle action shows the second number.
    QAccessibleInterface* between = QAccessible::queryAccessibleInterface(w->rbBetween);
    ASSERT_TRUE(between && between->actionInterface());
    between->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(w->rbBetween->isChecked());
    EXPECT_FALSE(w->num2->isHidden());
    EXPECT_FALSE(w->lblAnd->isHidden());
}
