#include "clean/clean_window.h"

#include "clean/temp_files_window.h"
#include "common/locations.h"
#include "common/number_text.h"
#include "common/select_extension.h"
#include "controls/pick_list.h"
#include "delete/really_delete.h"
#include "finders/file_records.h"
#include "finders/scan_session.h"
#include "platform/drives.h"
#include "platform/file_types.h"
#include "platform/native_path.h"
#include "support/child_process.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "support/walk_gate.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <limits>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// The cleaner over a test "drive": the temporary tree is the only drive of the list, and the
// extension list lives in a settings file of the test's own.
class CleanWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveListSeam([this] { return drives; });
        drives = {Drive{tree.path(), QStringLiteral("test"), QStringLiteral("tmpfs")}};
    }
    void TearDown() override {
        w.reset();
        setDriveListSeam(nullptr);
    }
    void open(const char* section = nullptr) {
        if (section)
            settings.write("z.ini", section);
        w = std::make_unique<TfrmClean>();
        w->session().setInline(true);
        w->IniFileName = settings.path() + QStringLiteral("/z.ini");
        w->show();
    }
    QStringList rowPaths() const {
        QStringList out;
        for (int r = 1; r <= w->rowCounter; ++r)
            out << w->records().path(w->grid->rowKey(r));
        return out;
    }
    QString p(const char* rel) const { return tree.path() + u'/' + QString::fromUtf8(rel); }
    // Sends the marked files on through the confirmation, for good or into the trash.
    void confirmDelete(bool recycle) {
        ui.onModal = [recycle](QDialog& d) {
            auto& confirm = dynamic_cast<TfrmReallyDelete&>(d);
            if (recycle)
                confirm.btRecycleClick();
            else
                confirm.btDeleteAllClick();
            return confirm.result();
        };
        w->btDeleteClick();
    }

    ScriptedUi ui;
    TempTree tree;
    TempTree settings;
    std::vector<Drive> drives;
    std::unique_ptr<TfrmClean> w;
};

TEST_F(CleanWindowTest, ScanMarkAndDeleteForGood) {
    tree.file("a.tmp", 100);
    tree.file("sub/B.TMP", 3000);
    tree.file("sub/x.tmp.bak", 2000);
    tree.file("keep.txt", 10);
    tree.file("README", 10);
    tree.file("a.tmp1", 10);
    tree.file(".hidden.tmp", 10);
    tree.file("sub/.cache/in_hidden.tmp", 10);
    tree.symlink("link.tmp", "a.tmp");
    open();
    // No list saved: the four built-in extensions, all selected.
    EXPECT_EQ(w->PickList1->selectedTexts().size(), 4);
    w->btScanClick();
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    // Sorted by size, largest first.
    EXPECT_EQ(rowPaths(), (QStringList{p("sub/B.TMP"), p("sub/x.tmp.bak"), p("a.tmp")}));
    EXPECT_EQ(w->pnlSel->text(), "3 tempfiles found");
    EXPECT_EQ(w->grid->cell(0, 1), "     2 K");
    EXPECT_EQ(w->grid->cell(4, 1), p("sub/B.TMP"));

    w->btClipClick();
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Size in K\tModified\tTime\tAccess\tFileName\tType");

    w->grid->setCurrentRow(1);
    w->btMark->click();
    w->grid->setCurrentRow(3);
    w->btMark->click();
    EXPECT_EQ(w->pnlSel->text(), "2 files 3,100 bytes");
    // A marked file that goes before the deletion is reported; the other one still goes.
    ASSERT_EQ(::unlink(tree.abs("a.tmp").constData()), 0);
    confirmDelete(false);
    EXPECT_EQ(ui.messageTexts(),
              QStringList{"Couldn't delete file - " + p("a.tmp") + " (No such file or directory)"});
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_FALSE(tree.exists("sub/B.TMP"));
    EXPECT_FALSE(tree.exists("a.tmp"));
    for (const char* kept : {"sub/x.tmp.bak", "keep.txt", "README", ".hidden.tmp",
                             "sub/.cache/in_hidden.tmp", "link.tmp"})
        EXPECT_TRUE(tree.exists(kept)) << kept;
}

// Names that line-based texts and shells treat specially, and swaps made between the scan and
// the deletion: each marked file goes exactly, its neighbours stay, and nothing outside the
// tree is reached.
TEST_F(CleanWindowTest, OddNamesGoExactlyAndSwapsSinceTheScanReachNothingOutside) {
    TempTree outside;
    outside.file("f.tmp", 7);
    outside.file("keep.tmp", 7);
    const std::vector<QByteArray> marked = {"line\nbreak.tmp", "tab\there.TMP", "-rf.tmp",
                                            "bad\xff.tmp",     "swap/f.tmp",    "lnk.tmp"};
    const std::vector<QByteArray> unmarked = {"bad\xfe.tmp", "-rf.TMP", "swap/g.tmp"};
    for (const auto* names : {&marked, &unmarked})
        for (const QByteArray& n : *names)
            tree.file(n, 10);
    open();
    w->btScanClick();
    ASSERT_EQ(w->rowCounter, int(marked.size() + unmarked.size()));
    QStringList wanted;
    for (const QByteArray& n : marked)
        wanted << fromNative(tree.abs(n));
    for (int r = 1; r <= w->rowCounter; ++r) {
        if (!wanted.contains(w->records().path(w->grid->rowKey(r))))
            continue;
        w->grid->setCurrentRow(r);
        w->btMark->click();
    }
    QStringList listed = w->lbDeleted();
    listed.sort();
    wanted.sort();
    EXPECT_EQ(listed, wanted);

    // The folder becomes a link to the outside tree, the file a link to an outside file.
    ASSERT_EQ(::rename(tree.abs("swap").constData(), tree.abs("swap.old").constData()), 0);
    tree.symlink("swap", outside.nativePath());
    ASSERT_EQ(::unlink(tree.abs("lnk.tmp").constData()), 0);
    tree.symlink("lnk.tmp", outside.abs("keep.tmp"));
    confirmDelete(false);

    for (const char* gone : {"line\nbreak.tmp", "tab\there.TMP", "-rf.tmp", "bad\xff.tmp"})
        EXPECT_FALSE(tree.exists(gone)) << gone;
    for (const char* kept : {"bad\xfe.tmp", "-rf.TMP", "swap.old/f.tmp", "swap.old/g.tmp"})
        EXPECT_TRUE(tree.exists(kept)) << kept;
    EXPECT_TRUE(outside.exists("f.tmp"));
    EXPECT_TRUE(outside.exists("keep.tmp"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.lastMessage().startsWith("Couldn't delete file - " + p("swap/f.tmp") + " ("));
}

// A memory file system holds sparse files of exabytes: the marked total and the deletion's
// sums stay right (unmarking takes off exactly what marking added) and never wrap round.
TEST_F(CleanWindowTest, ExabyteFilesKeepTheirSums) {
    tree.dir("mem");
    const ChildResult r = runInMountNamespace([&]() -> QString {
        if (::mount("tmpfs", tree.abs("mem").constData(), "tmpfs", 0, "size=1m") != 0)
            return kChildSkip;
        drives = {Drive{fromNative(tree.abs("mem")), QStringLiteral("m"), QStringLiteral("tmpfs")}};
        for (const char* name : {"mem/a.tmp", "mem/b.tmp", "mem/c.tmp"})
            tree.file(name, qint64(1) << 62);
        QString problems;
        const auto expect = [&](const QString& got, const QString& want) {
            if (got != want)
                problems += got + QStringLiteral(" instead of ") + want + QStringLiteral("; ");
        };
        open();
        // Painting may hand work to threads that the forked child does not have.
        w->setUpdatesEnabled(false);
        w->btScanClick();
        w->marks().Markall1Click();
        expect(w->pnlSel->text(),
               "3 files " + formatThousands(std::numeric_limits<qint64>::max()) + " bytes");
        for (int row : {1, 2}) {
            w->grid->setCurrentRow(row);
            w->btMark->click();
        }
        expect(w->pnlSel->text(), "1 files " + formatThousands(qint64(1) << 62) + " bytes");
        w->marks().Markall1Click();
        confirmDelete(false);
        for (const char* name : {"mem/a.tmp", "mem/b.tmp", "mem/c.tmp"})
            if (tree.exists(name))
                problems += QString::fromUtf8(name) + QStringLiteral(" stayed; ");
        if (!ui.messages.empty())
            problems += ui.lastMessage();
        return problems;
    });
    if (r.skipped)
        GTEST_SKIP() << "no mount namespace";
    EXPECT_EQ(r.problems, "");
}

TEST_F(CleanWindowTest, TheRecordLimitWarnsWithItsReasonAndKeepsThePartialList) {
    for (const char* name : {"a.tmp", "b.tmp", "c.tmp", "d.tmp"})
        tree.file(name);
    open();
    w->records().setLimit(2);
    w->btScanClick();
    EXPECT_EQ(ui.messageTexts(), QStringList{ScanSession::kLimitText});
    EXPECT_EQ(w->rowCounter, 2);
    EXPECT_EQ(w->pnlSel->text(), "2 tempfiles found");
}

TEST_F(CleanWindowTest, TheSelectionAtScanIsTheOneInForce) {
    tree.file("a.tmp");
    tree.file("b.bak");
    open();
    // Nothing selected: the error, and the rows stay.
    w->btScanClick();
    ASSERT_EQ(w->rowCounter, 2);
    w->PickList1->clearSelection();
    w->btScanClick();
    EXPECT_EQ(ui.messageTexts(), QStringList{"Select at least one file extension"});
    EXPECT_EQ(w->rowCounter, 2);

    // Only *.tmp selected; changing the selection mid-walk changes nothing, and neither the
    // list nor its editor can be used meanwhile.
    for (int i = 0; i < w->PickList1->count(); ++i)
        w->PickList1->item(i)->setSelected(w->PickList1->item(i)->text().startsWith("*.tmp"));
    bool locked = true;
    scanHeldAt(
        w->session(), 1, [&] { w->btScanClick(); },
        [&] {
            locked = !w->PickList1->isEnabled() && !w->btEdit->isEnabled();
            w->PickList1->selectAll();
        });
    EXPECT_TRUE(locked);
    EXPECT_EQ(rowPaths(), QStringList{p("a.tmp")});
    EXPECT_TRUE(w->PickList1->isEnabled());
}

TEST_F(CleanWindowTest, SizesPastTwoGigabytesSortByTheirNumbers) {
    tree.file("small.tmp", 10 * 1024);
    tree.file("two.tmp", 2LL << 30);
    tree.file("five.tmp", 5LL << 30);
    tree.file("million.tmp", 1000000LL * 1024);
    tree.file("nines.tmp", 999999LL * 1024);
    for (int i = 0; i < 60; ++i)
        tree.file(QByteArray("many/f") + QByteArray::number(i) + ".bak", 1);
    open();
    w->btScanClick();
    // Every row is written, none past the grid's end.
    ASSERT_EQ(w->rowCounter, 65);
    EXPECT_EQ(w->grid->rowCount(), 66);
    EXPECT_FALSE(w->grid->cell(4, 65).isEmpty());
    EXPECT_EQ(rowPaths().mid(0, 5), (QStringList{p("five.tmp"), p("two.tmp"), p("million.tmp"),
                                                 p("nines.tmp"), p("small.tmp")}));
    EXPECT_EQ(w->grid->cell(0, 1).trimmed(), "5242880 K");
    w->Sortbysize1Click(w->menu.Name1);
    EXPECT_EQ(rowPaths().last(), p("two.tmp"));
    w->Sortbysize1Click(w->menu.Size1);
    EXPECT_EQ(rowPaths().first(), p("five.tmp"));
}

TEST_F(CleanWindowTest, TheSearchPathMarkerIsOnlyShown) {
    // A real name that holds the marker's characters: taking the marker out of the shown text
    // would name the other file.
    tree.file("bin/tool*(SEARCHPATH)*.tmp", 5);
    tree.file("bin/tool.tmp", 7);
    searchPathList() << p("bin");
    open();
    w->btScanClick();
    searchPathList().removeAll(p("bin"));
    ASSERT_EQ(w->rowCounter, 2);
    w->Sortbysize1Click(w->menu.Name1);
    EXPECT_EQ(w->grid->cell(4, 1), p("bin/tool*(SEARCHPATH)*.tmp") + "*(SEARCHPATH)*");
    w->grid->setCurrentRow(1);
    w->btMark->click();
    EXPECT_EQ(w->lbDeleted(), QStringList{p("bin/tool*(SEARCHPATH)*.tmp")});
    confirmDelete(false);
    EXPECT_FALSE(tree.exists("bin/tool*(SEARCHPATH)*.tmp"));
    EXPECT_TRUE(tree.exists("bin/tool.tmp"));
}

TEST_F(CleanWindowTest, FilesGoneSinceTheScanAndATrashThatRefuses) {
    tree.file("gone.tmp", 50);
    tree.file("stays.tmp", 60);
    open();
    w->btScanClick();
    ASSERT_EQ(w->rowCounter, 2);

    // Every listed file gone: Mark all counts nothing, and Delete opens no confirmation and
    // keeps the list open.
    ::unlink(tree.abs("gone.tmp").constData());
    ::rename(tree.abs("stays.tmp").constData(), tree.abs("moved").constData());
    w->marks().Markall1Click();
    EXPECT_EQ(w->pnlSel->text(), "0 files 0 bytes");
    int shown = 0;
    ui.onModal = [&](QDialog&) {
        ++shown;
        return int(QDialog::Accepted);
    };
    w->btDeleteClick();
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(w->isVisible());

    // One file back; the trash cannot be written: reported, and the file stays.
    ::rename(tree.abs("moved").constData(), tree.abs("stays.tmp").constData());
    w->marks().Unmarkall1Click();
    w->marks().Markall1Click();
    EXPECT_EQ(w->pnlSel->text(), "1 files 60 bytes");
    const QByteArray trash = qgetenv("XDG_DATA_HOME") + "/Trash";
    const QByteArray aside = trash + ".aside";
    const bool hadTrash = ::access(trash.constData(), F_OK) == 0;
    if (hadTrash) {
        ASSERT_EQ(::rename(trash.constData(), aside.constData()), 0);
    }
    tree.file("blocker");
    ASSERT_EQ(::rename(tree.abs("blocker").constData(), trash.constData()), 0);
    confirmDelete(true);
    ::unlink(trash.constData());
    if (hadTrash)
        ::rename(aside.constData(), trash.constData());
    EXPECT_EQ(ui.messageTexts().size(), 1);
    EXPECT_TRUE(tree.exists("stays.tmp"));
}

TEST_F(CleanWindowTest, TheEditorsListComesBackUnselected) {
    tree.file("a.old");
    open("[TempFiles]\nNumber=1\nFile1=*.tmp\n");
    ASSERT_EQ(w->PickList1->count(), 1);
    ui.onModal = [](QDialog& d) {
        auto& editor = dynamic_cast<TfrmTempFiles&>(d);
        editor.show();
        editor.btDefaultsClick();
        editor.reject();
        return editor.result();
    };
    w->btEditClick();
    EXPECT_EQ(w->PickList1->count(), 6);
    EXPECT_TRUE(w->PickList1->selectedTexts().isEmpty());
    w->PickList1->selectAll();
    w->btScanClick();
    EXPECT_EQ(rowPaths(), QStringList{p("a.old")});
}

// ---- the extension list's editor

class TempFilesWindowTest : public ::testing::Test {
protected:
    void open(const char* section = nullptr) {
        if (section)
            settings.write("z.ini", section);
        w = std::make_unique<TfrmTempFiles>();
        w->IniFileName = ini();
        w->show();
    }
    QString ini() const { return settings.path() + QStringLiteral("/z.ini"); }
    QStringList patterns() const {
        QStringList out;
        for (const QString& e : w->PickList1->texts())
            out << entryPattern(e);
        return out;
    }
    ScriptedUi ui;
    TempTree settings;
    std::unique_ptr<TfrmTempFiles> w;
};

TEST_F(TempFilesWindowTest, DefaultsDeleteClearAndSaveOnClose) {
    open("[TempFiles]\nNumber=0\n");
    EXPECT_EQ(w->PickList1->count(), 0);
    w->btDefaultsClick();
    w->btDefaultsClick();
    EXPECT_EQ(patterns(), (QStringList{"*.$$$", "*.bak", "*.fts", "*.old", "*.temp", "*.tmp"}));

    // Delete: nothing selected does nothing; otherwise the next entry takes the selection.
    w->btDeleteClick();
    EXPECT_EQ(w->PickList1->count(), 6);
    w->PickList1->item(1)->setSelected(true);
    w->btDeleteClick();
    EXPECT_EQ(w->PickList1->selectedTexts().size(), 1);
    EXPECT_EQ(entryPattern(w->PickList1->selectedTexts()[0]), "*.fts");
    w->PickList1->clearSelection();
    w->PickList1->item(4)->setSelected(true);
    w->btDeleteClick();
    EXPECT_TRUE(w->PickList1->selectedTexts().isEmpty());

    ui.answers = {Answer::No, Answer::Cancel};
    w->btClearClick();
    w->btClearClick();
    EXPECT_EQ(w->PickList1->count(), 4);

    // Add: the choice window's pattern, unless an entry differing only in case is there.
    ui.onModal = [](QDialog& d) {
        auto& choice = dynamic_cast<TfrmSelectExtension&>(d);
        choice.chosenPattern = "*.FTS";
        choice.chosenType = extensionToType(".fts").toUpper();
        return int(QDialog::Accepted);
    };
    w->btAddClick();
    EXPECT_EQ(w->PickList1->count(), 4);

    w->reject();
    EXPECT_EQ(ReadInFromDisk(ini()).size(), 4);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TempFilesWindowTest, ARefusedSaveShowsOneMessageAndKeepsTheOldList) {
    open("[TempFiles]\nNumber=2\nFile1=*.a\nFile2=*.b\n");
    const QStringList old = ReadInFromDisk(ini());
    w->btDefaultsClick();
    settings.dir("z.ini.lock"); // every write is refused
    w->reject();
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.lastMessage().startsWith("Unable to write to "));
    EXPECT_EQ(ReadInFromDisk(ini()), old);
}

} // namespace
