#include "common/number_text.h"
#include "common/profile.h"
#include "delete/really_delete.h"
#include "model/delete_files.h"
#include "model/marked_files.h"
#include "model/same_contents.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "support/child_process.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kIni = QStringLiteral("zelkova.ini");

qint64 total(const char* key) {
    return Profile(kIni).readInteger(QStringLiteral("Zelkova"), QString::fromLatin1(key), -1);
}

QString native(const QByteArray& bytes) {
    return fromNative(bytes);
}

bool present(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

class ReallyDelete : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(settingsFilePath(kIni)); }
    ScriptedUi ui;
    TempTree tree;
};

} // namespace

TEST_F(ReallyDelete, ListsFilesSortedWithoutRegardToCaseAndCountsThem) {
    TfrmReallyDelete dlg;
    dlg.setFiles({QStringLiteral("/t/b.txt"), QStringLiteral("/t/C.txt"),
                  QStringLiteral("/t/a.txt"), QStringLiteral("/t/A.txt"),
                  QStringLiteral("/t/tab\there\nline")});
    EXPECT_EQ(dlg.files(), QStringList({QStringLiteral("/t/A.txt"), QStringLiteral("/t/a.txt"),
                                        QStringLiteral("/t/b.txt"), QStringLiteral("/t/C.txt"),
                                        QStringLiteral("/t/tab\there\nline")}));
    ASSERT_EQ(dlg.lb1->count(), 5);
    EXPECT_EQ(dlg.lb1->item(4)->text(), QStringLiteral("/t/tab\\there\\nline"));
    EXPECT_EQ(dlg.lblDelete->text(), QStringLiteral("The following 5 files will be deleted."));

    dlg.savings = 1234567;
    dlg.show();
    EXPECT_EQ(dlg.lblSavings->text(), formatThousands(1234567) + QStringLiteral(" bytes"));
    dlg.hide();

    // A list of one keeps the plural, and a new list replaces the old one.
    dlg.setFiles({QStringLiteral("/t/only")});
    EXPECT_EQ(dlg.lb1->count(), 1);
    EXPECT_EQ(dlg.lblDelete->text(), QStringLiteral("The following 1 files will be deleted."));
}

TEST_F(ReallyDelete, EmptyListAndDeclinedQuestionsChangeNothing) {
    TfrmReallyDelete empty;
    empty.btDelete->click();
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("There are no files to delete")});
    EXPECT_EQ(ui.messages.back().kind, MessageKind::Warning);
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_EQ(empty.result(), 0);

    ui.clear();
    const QByteArray file = tree.file("keep.txt", 10);
    TfrmReallyDelete dlg;
    dlg.setFiles({native(file)});
    ui.answers = {Answer::No, Answer::No};
    dlg.btDelete->click();
    dlg.btRecycle->click();
    EXPECT_EQ(ui.questions.size(), 2);
    EXPECT_EQ(ui.questions[0], QStringLiteral("Really delete?"));
    EXPECT_EQ(ui.questions[1], recycleBinQuestion());
    EXPECT_EQ(ui.messageTexts(), QStringList({QStringLiteral("Files not deleted"),
                                              QStringLiteral("Files not deleted")}));
    EXPECT_EQ(ui.messages.back().kind, MessageKind::Information);
    EXPECT_TRUE(present(file));
    EXPECT_EQ(dlg.lb1->count(), 1);
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(total("Ndelete"), -1);
    EXPECT_EQ(total("NWaste"), -1);
}

TEST_F(ReallyDelete, DeletesInListOrderReportsFailuresAndCountsOnlyWhatWent) {
    const QByteArray big = tree.file("B.dat", 100);
    const QByteArray small = tree.file("a.dat", 50);
    const QByteArray target = tree.file("outside/target.dat", 70);
    const QByteArray link = tree.symlink("link", target);
    const QString gone1 = native(tree.abs("Zmissing"));
    const QString gone2 = native(tree.abs("bmissing"));

    TfrmReallyDelete dlg;
    dlg.setFiles({gone1, native(link), native(big), gone2, native(small)});
    dlg.savings = 999999;
    dlg.btDelete->click();

    // Each failure names the file and gives the system's reason.
    const QString reason = QStringLiteral(" (No such file or directory)");
    EXPECT_EQ(ui.messageTexts(),
              QStringList({QStringLiteral("Couldn't delete file - ") + gone2 + reason,
                           QStringLiteral("Couldn't delete file - ") + gone1 + reason}));
    EXPECT_FALSE(present(big));
    EXPECT_FALSE(present(small));
    EXPECT_FALSE(present(link));
    EXPECT_TRUE(present(target)); // a link goes as a link
    EXPECT_EQ(ui.busyDepth, 0);
    EXPECT_EQ(dlg.bar->maximum(), 4);
    EXPECT_EQ(dlg.bar->value(), 4);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.lb1->count(), 0);
    EXPECT_EQ(dlg.lblDelete->text(), QStringLiteral("The following 0 files will be deleted."));
    EXPECT_EQ(total("Ndelete"), 3);
    EXPECT_EQ(total("SizeDelete"), 100 + 50 + qint64(target.size()));
    EXPECT_EQ(total("NWaste"), -1);
}

TEST_F(ReallyDelete, ASettingsFileThatCannotBeWrittenIsReportedAndTheWindowStillCloses) {
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    tree.file("config/zelkova"); // a file where the settings folder should be
    qputenv("XDG_CONFIG_HOME", tree.abs("config"));
    const QByteArray file = tree.file("doomed", 4);
    TfrmReallyDelete dlg;
    dlg.setFiles({native(file)});
    dlg.btDelete->click();
    qputenv("XDG_CONFIG_HOME", config);

    EXPECT_FALSE(present(file));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.lastMessage().startsWith(QStringLiteral("Unable to write to ")));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.lb1->count(), 0);
}

TEST_F(ReallyDelete, TrashRunStopsAtTheFirstFailureAndCountsTheFilesThatWent) {
    const QByteArray f1 = tree.file("f1", 11);
    const QByteArray f2 = tree.file("f2", 22);
    const QByteArray f4 = tree.file("f4", 44);
    const QByteArray f5 = tree.file("f5", 55);
    TfrmReallyDelete dlg;
    dlg.setFiles({native(f5), native(f4), native(tree.abs("f3")), native(f2), native(f1)});
    dlg.savings = 132;
    dlg.btRecycle->click();

    EXPECT_EQ(ui.messageTexts(),
              QStringList{QStringLiteral("An error occurred sending files to the recycle bin.  "
                                         "The bin may be full. (No such file or directory)")});
    for (const QByteArray& sent : {f1, f2}) {
        EXPECT_FALSE(present(sent));
        const QByteArray inTrash = trashedAs(sent);
        EXPECT_FALSE(inTrash.isEmpty()) << sent.constData();
        EXPECT_TRUE(present(inTrash)) << inTrash.constData();
    }
    EXPECT_TRUE(present(f4));
    EXPECT_TRUE(present(f5));
    EXPECT_TRUE(trashedAs(f4).isEmpty());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(total("NWaste"), 2);
    EXPECT_EQ(total("SizeWaste"), 33);
    EXPECT_EQ(total("Ndelete"), -1);
}

TEST_F(ReallyDelete, TrashThatCannotBeWrittenLeavesTheFilesInPlace) {
    const QByteArray a = tree.file("a", 5);
    const QByteArray b = tree.file("b", 6);
    TfrmReallyDelete dlg;
    dlg.setFiles({native(a), native(b)});
    ASSERT_TRUE(dlg.btRecycle->isEnabled());

    // The trash breaks after the files were listed.
    const QByteArray trash = trashFolder();
    const QByteArray aside = trash + ".aside";
    const bool hadTrash = present(trash);
    if (hadTrash) {
        ASSERT_EQ(::rename(trash.constData(), aside.constData()), 0);
    }
    tree.file("blocker", 0);
    ASSERT_EQ(::rename(tree.abs("blocker").constData(), trash.constData()), 0);
    dlg.btRecycle->click();
    const QStringList shown = ui.messageTexts();
    // Listed now, the files are offered deletion for good only.
    TfrmReallyDelete later;
    later.setFiles({native(a)});
    const bool offeredLater = later.btRecycle->isEnabled();

    ::unlink(trash.constData());
    if (hadTrash)
        ::rename(aside.constData(), trash.constData());

    EXPECT_FALSE(offeredLater);

    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral(
        "An error occurred sending files to the recycle bin.  The bin may be full. (")))
        << shown[0].toStdString();
    EXPECT_TRUE(present(a));
    EXPECT_TRUE(present(b));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(total("NWaste"), -1);
    EXPECT_EQ(total("SizeWaste"), -1);
}

TEST_F(ReallyDelete, OddNamesAreDeletedAndTrashedExactly) {
    const QByteArray names[] = {"tab\tname", "new\nline", " leading blank", "bad\xff\xfe bytes"};
    QStringList toDelete, toTrash;
    for (const QByteArray& name : names) {
        toDelete << native(tree.file("del/" + name, 3));
        toTrash << native(tree.file("trash/" + name, 4));
    }
    {
        TfrmReallyDelete dlg;
        dlg.setFiles(toDelete);
        dlg.btDelete->click();
    }
    {
        TfrmReallyDelete dlg;
        dlg.setFiles(toTrash);
        dlg.btRecycle->click();
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    for (const QByteArray& name : names) {
        EXPECT_FALSE(present(tree.abs("del/" + name))) << name.toHex().constData();
        EXPECT_FALSE(present(tree.abs("trash/" + name))) << name.toHex().constData();
        EXPECT_FALSE(trashedAs(tree.abs("trash/" + name)).isEmpty()) << name.toHex().constData();
        forgetTrashed(tree.abs("trash/" + name)); // the test home's cleanup needs UTF-8 names
    }
    EXPECT_EQ(total("Ndelete"), 4);
    EXPECT_EQ(total("NWaste"), 4);
    EXPECT_EQ(total("SizeWaste"), 16);
}

TEST_F(ReallyDelete, FilesPastPathMaxAreDeletedAndTrashed) {
    const QByteArray doomed = tree.deepFile("d", 20, 250, 5);
    const QByteArray binned = tree.deepFile("t", 20, 250, 6);
    ASSERT_GT(doomed.size(), 4096);
    for (const bool toTrash : {false, true}) {
        TfrmReallyDelete dlg;
        dlg.setFiles({native(toTrash ? binned : doomed)});
        (toTrash ? dlg.btRecycle : dlg.btDelete)->click();
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    EXPECT_FALSE(statPathLinkFree(native(doomed)));
    EXPECT_FALSE(statPathLinkFree(native(binned)));
    EXPECT_FALSE(trashedAs(binned).isEmpty());
    EXPECT_EQ(total("Ndelete"), 1);
    EXPECT_EQ(total("SizeWaste"), 6);
}

// What the marked links of a file free, said in the confirmation and added by the run. The
// tree: "a" of 1000 bytes with three names in one folder, "b" of 200 bytes with two names in
// two folders, "c" of 30 bytes with a second name outside the list, "p" of 5 bytes alone.
TEST_F(ReallyDelete, HardLinksFreeSpaceOnlyWhenEveryNameGoes) {
    struct Case {
        QList<QByteArray> marked;
        qint64 savings;   // shown, and added by a deletion for good
        qint64 keptLinks; // marked names whose file keeps another name
        qint64 trashed;   // added by trashing: each file once
    };
    const Case cases[] = {
        {{"s/a1"}, 0, 1, 1000},
        {{"s/a1", "s/a3"}, 0, 2, 1000},
        {{"s/a1", "s/a2", "s/a3"}, 1000, 0, 1000},
        {{"x/b1", "y/b2"}, 200, 0, 200},
        {{"y/b2", "s/c1", "s/p"}, 5, 2, 235},
        {{"s/a1", "s/a2", "s/a3", "x/b1", "s/c1", "s/p"}, 1005, 2, 1235},
    };
    for (const Case& c : cases) {
        for (const bool toTrash : {false, true}) {
            QFile::remove(settingsFilePath(kIni));
            TempTree t;
            t.file("s/a1", 1000);
            t.hardLink("s/a2", "s/a1");
            t.hardLink("s/a3", "s/a1");
            t.file("x/b1", 200);
            t.hardLink("y/b2", "x/b1");
            t.file("s/c1", 30);
            t.hardLink("elsewhere/c2", "s/c1");
            t.file("s/p", 5);
            MarkedFiles marks;
            for (const QByteArray& name : c.marked)
                marks.mark(native(t.abs(name)));
            const QString what = QStringLiteral("%1 %2").arg(
                QString::fromLatin1(c.marked.join(' ')), toTrash ? "trash" : "delete");

            TfrmReallyDelete dlg;
            dlg.setMarks(marks);
            dlg.show();
            EXPECT_EQ(dlg.lblSavings->text(), formatThousands(c.savings) + QStringLiteral(" bytes"))
                << what.toStdString();
            EXPECT_EQ(dlg.lblKeptLinks->isVisibleTo(&dlg), c.keptLinks > 0) << what.toStdString();
            EXPECT_EQ(dlg.lblKeptLinks->text(), keptLinksText(c.keptLinks)) << what.toStdString();
            (toTrash ? dlg.btRecycle : dlg.btDelete)->click();
            EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
            EXPECT_EQ(total(toTrash ? "NWaste" : "Ndelete"), c.marked.size()) << what.toStdString();
            EXPECT_EQ(total(toTrash ? "SizeWaste" : "SizeDelete"),
                      toTrash         ? c.trashed
                      : c.savings > 0 ? c.savings
                                      : -1) // 0 adds nothing
                << what.toStdString();
            if (toTrash)
                for (const QByteArray& name : c.marked)
                    forgetTrashed(t.abs(name));
        }
    }
}

// Of three marked duplicates one was forged since the scan (its bytes differ, its identity
// does not): the others go and are counted, it stays, and one warning says why.
TEST_F(ReallyDelete, ACheckedDuplicateThatDiffersStaysAndIsReported) {
    for (const bool toTrash : {false, true}) {
        QFile::remove(settingsFilePath(kIni));
        ui.clear();
        const QByteArray dir = toTrash ? "t/" : "d/";
        const auto identity = [](const QByteArray& path) {
            EntryInfo info;
            EXPECT_TRUE(statAt(AT_FDCWD, path.constData(), info));
            return FileIdentity::of(info);
        };
        const QByteArray kept = tree.write(dir + "kept", "same");
        QHash<QString, MarkedCopy> marked;
        for (const char* name : {"a", "b", "forged"}) {
            const QByteArray path = tree.write(dir + name, "same");
            marked.insert(native(path), {identity(path), {{native(kept), identity(kept)}}});
        }
        // Other bytes of the same size, the modification time put back.
        const QByteArray forged = tree.abs(dir + "forged");
        const FileIdentity seen = marked[native(forged)].seen;
        const int fd = ::open(forged.constData(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, "SAME", 4, 0), 4);
        ::close(fd);
        const struct timespec times[2] = {{seen.writeTime, seen.writeNanos},
                                          {seen.writeTime, seen.writeNanos}};
        ASSERT_EQ(::utimensat(AT_FDCWD, forged.constData(), times, 0), 0);

        TfrmReallyDelete dlg;
        dlg.setFiles(marked.keys());
        dlg.setCheck(sameContentsCheck(marked));
        (toTrash ? dlg.btRecycle : dlg.btDelete)->click();

        ASSERT_EQ(ui.messages.size(), 1u) << toTrash;
        EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);
        EXPECT_EQ(ui.messages[0].text,
                  QStringLiteral("1 file was not %1:\n%2: its contents differ from the copy "
                                 "that stays")
                      .arg(toTrash ? "sent to the recycle bin" : "deleted", native(forged)));
        EXPECT_TRUE(present(forged));
        EXPECT_TRUE(present(kept));
        EXPECT_FALSE(present(tree.abs(dir + "a")));
        EXPECT_FALSE(present(tree.abs(dir + "b")));
        EXPECT_EQ(total(toTrash ? "NWaste" : "Ndelete"), 2);
        EXPECT_EQ(total(toTrash ? "SizeWaste" : "SizeDelete"), 8);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
}
