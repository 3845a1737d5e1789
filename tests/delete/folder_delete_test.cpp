#include "delete/del_directory.h"
#include "delete/folder_delete.h"
#include "delete/really_delete.h"
#include "model/delete_files.h"
#include "platform/native_path.h"
#include "platform/trash.h"
#include "support/child_process.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

QString native(const QByteArray& bytes) {
    return fromNative(bytes);
}

bool present(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// Restores an environment variable when it goes out of scope.
struct EnvGuard {
    QByteArray name, value;
    explicit EnvGuard(const char* n) : name(n), value(qgetenv(n)) {}
    ~EnvGuard() { qputenv(name.constData(), value); }
};

} // namespace

TEST(DeleteFolder, RemovesTheWholeTreeAndCountsIt) {
    ScriptedUi ui;
    TempTree tree;
    tree.file("top/a.txt", 100);
    tree.file("top/sub/deeper/b.txt", 200);
    tree.file("top/.hidden/c.txt", 5); // hidden folders are entered without a question
    tree.dir("top/empty");
    qint64 files = -1, bytes = -1;
    EXPECT_TRUE(deleteFolder(native(tree.abs("top/")), files, bytes, false));
    EXPECT_FALSE(present(tree.abs("top")));
    EXPECT_EQ(files, 3);
    EXPECT_EQ(bytes, 305);
    EXPECT_TRUE(ui.questions.isEmpty());
}

// Hard links: a file with a name outside the tree frees nothing when deleted for good, names of
// one file inside the tree count once; trashing counts each file once.
TEST(DeleteFolder, CountsTheBytesOfAFileOfSeveralLinksOnce) {
    for (const bool recycle : {false, true}) {
        ScriptedUi ui;
        TempTree tree;
        tree.file("top/a1", 1000);
        tree.hardLink("top/sub/a2", "top/a1");
        tree.hardLink("keep/a3", "top/a1");
        tree.file("top/b1", 200);
        tree.hardLink("top/sub/b2", "top/b1");
        tree.file("top/p", 5);
        qint64 files = 0, bytes = 0;
        EXPECT_TRUE(deleteFolder(native(tree.abs("top")), files, bytes, recycle));
        EXPECT_FALSE(present(tree.abs("top")));
        EXPECT_EQ(files, 5) << recycle;
        EXPECT_EQ(bytes, recycle ? 1205 : 205) << recycle;
        for (const char* name : {"top/a1", "top/sub/a2", "top/b1", "top/sub/b2", "top/p"})
            forgetTrashed(tree.abs(name));
    }
}

TEST(DeleteFolder, RemovesALinkAsALinkAndLeavesItsTargetAlone) {
    ScriptedUi ui;
    TempTree tree;
    const QByteArray target = tree.file("outside/keep.txt", 9);
    tree.file("top/x", 1);
    tree.symlink("top/to-outside", tree.abs("outside"));
    qint64 files = 0, bytes = 0;
    EXPECT_TRUE(deleteFolder(native(tree.abs("top")), files, bytes, false));
    EXPECT_EQ(ui.questions,
              QStringList{native(tree.abs("top/to-outside")) +
                          QStringLiteral(" is a system file, delete this file and continue "
                                         "deleting other files? ")});
    EXPECT_FALSE(present(tree.abs("top")));
    EXPECT_TRUE(present(target));
    EXPECT_EQ(files, 2);
}

TEST(DeleteFolder, AsksAboutAReadOnlyHiddenFileAndStopsOnNo) {
    const QByteArray name = ".secret";
    const QString readOnlyQ =
        QStringLiteral(" is read-only, delete this file and continue deleting other files? ");
    const QString hiddenQ =
        QStringLiteral(" is hidden, delete this file and continue deleting other files? ");
    for (const Answer first : {Answer::Yes, Answer::No, Answer::Cancel}) {
        ScriptedUi ui;
        TempTree tree;
        const QByteArray file = tree.file("top/sub/" + name, 12);
        ASSERT_EQ(::chmod(file.constData(), 0444), 0);
        ui.answers = {first, Answer::Yes};
        qint64 files = -1, bytes = -1;
        const bool finished = deleteFolder(native(tree.abs("top")), files, bytes, false);
        const QString shown = native(tree.abs("top/sub/" + name));
        if (first == Answer::Yes) {
            EXPECT_TRUE(finished);
            EXPECT_EQ(ui.questions, QStringList({shown + readOnlyQ, shown + hiddenQ}));
            EXPECT_FALSE(present(tree.abs("top")));
            EXPECT_EQ(files, 1);
            EXPECT_EQ(bytes, 12);
        } else {
            EXPECT_FALSE(finished);
            EXPECT_EQ(ui.questions, QStringList{shown + readOnlyQ});
            EXPECT_TRUE(present(file));
            EXPECT_TRUE(present(tree.abs("top/sub")));
            EXPECT_EQ(files, 0);
            EXPECT_EQ(bytes, 0);
        }
    }
}

TEST(DeleteFolder, RecycleModeTrashesTheFilesAndRemovesTheFolders) {
    ScriptedUi ui;
    TempTree tree;
    const QByteArray a = tree.file("top/a", 3);
    const QByteArray b = tree.file("top/sub/b\tc", 4);
    qint64 files = 0, bytes = 0;
    EXPECT_TRUE(deleteFolder(native(tree.abs("top")), files, bytes, true));
    EXPECT_FALSE(present(tree.abs("top")));
    EXPECT_FALSE(trashedAs(a).isEmpty());
    EXPECT_FALSE(trashedAs(b).isEmpty());
    EXPECT_TRUE(trashedAs(tree.abs("top/sub")).isEmpty()); // folders are not trashed
    EXPECT_EQ(files, 2);
    EXPECT_EQ(bytes, 7);
}

TEST(DeleteFolder, ReportsWhatStaysAndLeavesItsPermissionsAlone) {
    TempTree tree;
    ASSERT_EQ(::chmod(tree.nativePath().constData(), 0755), 0);
    tree.file("top/a", 1);
    const QByteArray closed = tree.file("top/closed/b", 1);
    tree.file("top/open/c", 1);
    const QByteArray kept = tree.file("top/locked/kept", 1);
    for (const char* rel : {"top", "top/a", "top/open", "top/open/c", "top/locked/kept"})
        ASSERT_EQ(::lchown(tree.abs(rel).constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(tree.abs("top/closed").constData(), 0700), 0); // root's own
    ASSERT_EQ(::chmod(kept, 0444), 0); // the user's, in a folder they may not change

    const ChildResult r = runAsNobody([&] {
        ScriptedUi ui;
        const FolderDeletion run = deleteFolderTree(native(tree.abs("top")), false);
        QString problems;
        if (run.files != 2 || run.filesLeft != 1 || run.foldersLeft != 3)
            problems += QStringLiteral("went %1, files left %2, folders left %3; ")
                            .arg(run.files)
                            .arg(run.filesLeft)
                            .arg(run.foldersLeft);
        if (ui.questions.size() != 1 || ui.messages.size() != 1 ||
            ui.messages[0].kind != MessageKind::Error)
            problems += u"expected one question and one error box; ";
        else if (!ui.messages[0].text.endsWith(QStringLiteral(" remain (Permission denied).")))
            problems += ui.messages[0].text;
        return problems;
    });
    EXPECT_EQ(r.problems.toStdString(), "");
    EXPECT_TRUE(present(closed));
    EXPECT_FALSE(present(tree.abs("top/a")));
    EXPECT_FALSE(present(tree.abs("top/open")));
    struct stat st;
    ASSERT_EQ(::lstat(kept.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u); // a Yes changes nothing on a file that stays
}

TEST(DeleteFolder, TrashesOnlyWhatTheWalkSawWhenAFolderIsSwappedForALink) {
    ScriptedUi ui;
    TempTree tree;
    std::vector<QByteArray> inside, outside;
    for (int i = 0; i < 20; ++i) {
        inside.push_back(tree.abs("top/d/f" + QByteArray::number(i)));
        tree.file("top/d/f" + QByteArray::number(i), 1);
        outside.push_back(tree.file("outside/f" + QByteArray::number(i), 1));
    }
    bool swapped = false;
    const FolderDeletion run = deleteFolderTree(native(tree.abs("top")), true, [&] {
        if (std::exchange(swapped, true))
            return;
        ASSERT_EQ(::rename(tree.abs("top/d").constData(), tree.abs("top/d.moved").constData()), 0);
        ASSERT_EQ(::symlink(tree.abs("outside").constData(), tree.abs("top/d").constData()), 0);
    });
    for (const QByteArray& path : outside) {
        EXPECT_TRUE(present(path)) << path.constData();
        EXPECT_TRUE(trashedAs(path).isEmpty());
    }
    EXPECT_EQ(run.files, 20);
    for (const QByteArray& path : inside)
        forgetTrashed(path);

    // A folder named through a link is not reached: refused with a message.
    ui.clear();
    const QByteArray kept = tree.file("real/sub/kept", 1);
    tree.symlink("via", "real");
    EXPECT_TRUE(deleteFolderTree(native(tree.abs("via/sub")), false).refused);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(present(kept));
}

TEST(DeleteFolder, LeavesTheTrashItFillsWhenItLiesInTheTree) {
    ScriptedUi ui;
    TempTree tree;
    EnvGuard data("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", tree.abs("top/data"));
    const QByteArray earlier = tree.file("top/data/Trash/files/earlier", 2);
    tree.file("top/data/Trash/info/earlier.trashinfo", 2);
    const QByteArray a = tree.file("top/a", 3);
    const FolderDeletion run = deleteFolderTree(native(tree.abs("top")), true);
    EXPECT_TRUE(present(earlier));
    EXPECT_FALSE(present(a));
    EXPECT_TRUE(present(tree.abs("top/data/Trash/files/a")));
    EXPECT_EQ(run.files, 1);
    EXPECT_EQ(ui.messages.size(), 1u); // the folders that hold the trash stay
}

TEST(DeleteFolder, NeverEntersOrRemovesAMountPoint) {
    TempTree tree;
    tree.file("top/a", 1);
    tree.dir("top/keep/tmpfs");
    tree.dir("top/keep/bind");
    const QByteArray outside = tree.file("elsewhere/precious", 4);
    const ChildResult r = runInMountNamespace([&]() -> QString {
        if (::mount("tmpfs", tree.abs("top/keep/tmpfs").constData(), "tmpfs", 0, "size=1m") != 0 ||
            ::mount(tree.abs("elsewhere").constData(), tree.abs("top/keep/bind").constData(),
                    nullptr, MS_BIND, nullptr) != 0)
            return kChildSkip;
        tree.file("top/keep/tmpfs/inside", 2);
        ScriptedUi ui;
        qint64 files = 0, bytes = 0;
        QString problems;
        if (!deleteFolder(native(tree.abs("top")), files, bytes, false))
            problems += u"stopped; ";
        if (files != 1)
            problems += QStringLiteral("files %1; ").arg(files);
        if (!present(tree.abs("top/keep/tmpfs/inside")) || !present(outside) ||
            !present(tree.abs("top/keep/bind/precious")))
            problems += u"a mounted file system was entered; ";
        if (present(tree.abs("top/a")))
            problems += u"the rest was not deleted; ";
        if (!isProtectedFolder(native(tree.abs("top/keep/bind"))))
            problems += u"a bind mount is not protected; ";
        return problems;
    });
    if (r.skipped)
        GTEST_SKIP() << "mounting is not permitted here";
    EXPECT_EQ(r.problems.toStdString(), "");
    EXPECT_TRUE(present(outside));
}

TEST(DeleteFolder, ProtectedFoldersAreRecognisedAndRefused) {
    for (const char* path : {"/", "/usr", "/usr/", "//etc", "/lib", "/var", "/usr/../etc", "/home",
                             "/opt", "/srv", "/mnt", "/media", "/tmp", "/no-such-folder-here"})
        EXPECT_TRUE(isProtectedFolder(QString::fromLatin1(path))) << path;
    EXPECT_TRUE(isProtectedFolder(QStringLiteral("relative/folder")));
    EXPECT_FALSE(isProtectedFolder(QStringLiteral("/usr/share/doc")));

    TempTree tree;
    tree.symlink("to-root", "/");
    EXPECT_TRUE(isProtectedFolder(native(tree.abs("to-root/usr")))); // /usr by another name
    EXPECT_FALSE(isProtectedFolder(native(tree.abs("to-root"))));    // only the link would go

    // The home folder and the folders holding it are refused, untouched.
    EnvGuard home("HOME");
    const QByteArray mine = tree.file("users/me/notes.txt", 3);
    qputenv("HOME", tree.abs("users/me"));
    EXPECT_TRUE(isProtectedFolder(native(tree.abs("users/me"))));
    ScriptedUi ui;
    qint64 files = -1, bytes = -1;
    EXPECT_FALSE(deleteFolder(native(tree.abs("users")), files, bytes, false));
    EXPECT_TRUE(present(mine));
    EXPECT_EQ(files, 0);
}

TEST(TrashUsable, NotOfferedWhenTheHomeTrashIsBlocked) {
    TempTree tree;
    EXPECT_TRUE(trashUsable(tree.path()));

    const QByteArray trash = trashFolder();
    const QByteArray aside = trash + ".aside";
    const bool hadTrash = present(trash);
    if (hadTrash) {
        ASSERT_EQ(::rename(trash.constData(), aside.constData()), 0);
    }
    tree.file("blocker");
    ASSERT_EQ(::rename(tree.abs("blocker").constData(), trash.constData()), 0);
    const bool withBlockedTrash = trashUsable(tree.path());
    ::unlink(trash.constData());
    if (hadTrash)
        ::rename(aside.constData(), trash.constData());
    EXPECT_FALSE(withBlockedTrash);
}

namespace {

// Each mount: whether a trash is offered, and where the real move puts a file ("" where it
// must fail and leave the file). The desktop's trash can lists none of a tmpfs, nor of a bind
// mount of a sub-folder, so those get no trash; a bind mount of a whole file system does.
struct TrashCase {
    const char* folder;
    const char* trashedAs;
};
constexpr TrashCase kTrashCases[] = {
    {"ro", ""},                            // read-only
    {"rw", "rw/.Trash-0/files/f"},         // a mount of its own: its top trash
    {"mem", ""},                           // a memory file system
    {"bind", ""},                          // a bind mount of a sub-folder
    {"whole", "whole/.Trash-0/files/f"},   // a bind mount of a whole file system
    {"sticky", "sticky/.Trash/0/files/f"}, // a shared sticky trash
    {"linked", "linked/.Trash-0/files/f"}, // ".Trash" is a link: not used
};

// Mounts the cases' file systems (in a mount namespace of its own) and puts a file "f" in
// each; false when mounting is not permitted.
bool mountTrashCases(TempTree& tree) {
    for (const char* m : {"ro", "rw", "sticky", "linked", "whole-src"})
        if (::mount("ramfs", tree.abs(m).constData(), "ramfs", 0, nullptr) != 0)
            return false;
    if (::mount("tmpfs", tree.abs("mem").constData(), "tmpfs", 0, "size=1m") != 0)
        return false;
    for (const auto& [from, to] : {std::pair{"src", "bind"}, std::pair{"whole-src", "whole"}})
        if (::mount(tree.abs(from).constData(), tree.abs(to).constData(), nullptr, MS_BIND,
                    nullptr) != 0)
            return false;
    for (const char* m : {"ro", "rw", "mem", "sticky", "linked", "whole"})
        tree.file(QByteArray(m) + "/f", 1);
    tree.file("ro/sub/g", 1);
    tree.dir("sticky/.Trash");
    ::chmod(tree.abs("sticky/.Trash").constData(), 01777);
    tree.dir("linked/elsewhere");
    ::chmod(tree.abs("linked/elsewhere").constData(), 01777);
    tree.symlink("linked/.Trash", "elsewhere");
    return ::mount(nullptr, tree.abs("ro").constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) ==
           0;
}

// Offers and moves the file of every case; what went otherwise than the case says.
QString trashEveryCase(const TempTree& tree) {
    QString problems;
    for (const TrashCase& c : kTrashCases) {
        const QByteArray file = tree.abs(c.folder) + "/f";
        const bool offered = trashUsable(native(tree.abs(c.folder)));
        QString error;
        const bool moved = moveToTrash(native(file), &error);
        const bool expected = *c.trashedAs != 0;
        if (offered != expected || moved != expected)
            problems += QStringLiteral("%1: offered %2, moved %3 (%4); ")
                            .arg(QLatin1String(c.folder))
                            .arg(offered)
                            .arg(moved)
                            .arg(error);
        if (expected ? !present(tree.abs(c.trashedAs)) : !present(file))
            problems += QStringLiteral("%1: not where it belongs; ").arg(QLatin1String(c.folder));
    }
    // The path is recorded relative to the mount's top folder.
    QFile info(QString::fromUtf8(tree.abs("rw/.Trash-0/info/f.trashinfo")));
    if (!info.open(QIODevice::ReadOnly) || !info.readAll().contains("\nPath=f\n"))
        problems += u"no relative path recorded; ";
    return problems;
}

// The refusals of the cases' trashes: their texts, the two deletion windows, a folder
// deletion; what went otherwise.
QString refuseTheTrashes(const TempTree& tree) {
    QString problems;
    // The refusal names the mount and says why; a list is refused by any one of its files.
    const QString refused = trashRefusal(
        {native(tree.abs("rw/f2")), native(tree.abs("mem/f")), native(tree.abs("bind/f"))});
    if (!refused.contains(native(tree.abs("mem"))) || !refused.contains(u"memory"))
        problems += QStringLiteral("tmpfs refused as: ") + refused + QStringLiteral("; ");
    if (!trashRefusal({native(tree.abs("rw/f2")), native(tree.abs("whole/g"))}).isEmpty())
        problems += u"a list that can go to the trash was refused; ";
    // Both deletion windows offer deletion for good only, and say why.
    TfrmReallyDelete files;
    files.setFiles({native(tree.abs("rw/f2")), native(tree.abs("mem/f"))});
    TfrmDelDirectory folder;
    folder.setDirectory(native(tree.abs("bind")));
    folder.show();
    if (files.btRecycle->isEnabled() || files.lblNoTrash->isHidden() ||
        files.lblNoTrash->text() != noTrashText(trashRefusal({native(tree.abs("mem/f"))})) ||
        folder.btRecycle->isEnabled() || !folder.Label3->text().contains(u"bind mount"))
        problems += u"a window offered a refused trash; ";

    // A folder deletion that cannot use a trash says so and touches nothing.
    ScriptedUi ui;
    const FolderDeletion run = deleteFolderTree(native(tree.abs("ro/sub")), true);
    if (!run.refused || ui.messages.size() != 1 || !ui.questions.isEmpty())
        problems += u"a folder with no trash was not refused with a message; ";
    return problems;
}

} // namespace

TEST(TrashUsable, AnswersWhatTheRealMoveDoes) {
    TempTree tree;
    for (const TrashCase& c : kTrashCases)
        tree.dir(c.folder);
    tree.dir("whole-src");
    tree.file("src/f", 1);
    const ChildResult r = runInMountNamespace([&]() -> QString {
        if (!mountTrashCases(tree))
            return kChildSkip;
        return trashEveryCase(tree) + refuseTheTrashes(tree);
    });
    if (r.skipped)
        GTEST_SKIP() << "mounting is not permitted here";
    EXPECT_EQ(r.problems.toStdString(), "");
}

TEST(DelDirectory, ChoosesBetweenDeletionTrashAndStayingOpen) {
    ScriptedUi ui;
    TempTree tree;
    {
        TfrmDelDirectory dlg;
        dlg.setDirectory(tree.path());
        dlg.show();
        EXPECT_TRUE(dlg.btRecycle->isEnabled());
        ui.answers = {Answer::No};
        dlg.btRecycle->click();
        EXPECT_EQ(ui.questions, QStringList{recycleBinQuestion()});
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), 0);
        EXPECT_FALSE(dlg.recycle);
        dlg.btRecycle->click(); // Yes this time
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_TRUE(dlg.recycle);
    }
    {
        TfrmDelDirectory dlg;
        dlg.setDirectory(tree.path());
        dlg.recycle = true;
        dlg.show();
        EXPECT_FALSE(dlg.recycle); // reset when shown
        dlg.btDelete->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_FALSE(dlg.recycle);
    }
    {
        TfrmDelDirectory dlg;
        dlg.setDirectory(QStringLiteral("/no/such/folder/anywhere"));
        dlg.show();
        EXPECT_FALSE(dlg.btRecycle->isEnabled());
        dlg.BitBtn3->click();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
}

TEST(DeleteFolder, RemovesATreeDeeperThanTheDescriptorLimit) {
    ScriptedUi ui;
    TempTree tree;
    const QByteArray deepest = tree.deepFile("top", 1500, 250, 3);
    tree.file("top/side", 4);
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const FolderDeletion run = deleteFolderTree(native(tree.abs("top")), false);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(run.files, 2);
    EXPECT_EQ(run.foldersLeft, 0);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    EXPECT_FALSE(present(tree.abs("top")));
}
