#include "model/delete_files.h"

#include "platform/native_path.h"
#include "support/child_process.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString native(const QByteArray& bytes) {
    return fromNative(bytes);
}

bool present(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

} // namespace

TEST(DeleteFilesForGood, FilesTheUserMayNotRemoveAreReportedAndTheRunGoesOn) {
    TempTree tree;
    // Root may remove anything, so the run is made by an unprivileged child.
    ASSERT_EQ(::chmod(tree.nativePath().constData(), 0755), 0);
    const QByteArray locked = tree.file("locked/file", 10);
    const QByteArray open = tree.file("open/file", 20);
    ASSERT_EQ(::chown(tree.abs("open").constData(), 65534, 65534), 0);

    const ChildResult r = runAsNobody([&] {
        QStringList failed;
        const FileRunResult run =
            deleteFilesForGood({native(locked), native(open)}, {},
                               [&](const QString& p, const QString& why) { failed << p + why; });
        QString problems;
        if (run.files != 1 || run.bytes != 20)
            problems +=
                QStringLiteral("counted %1 files, %2 bytes; ").arg(run.files).arg(run.bytes);
        if (failed != QStringList{native(locked) + QStringLiteral("Permission denied")})
            problems +=
                QStringLiteral("failures: ") + failed.join(QLatin1Char(',')) + QStringLiteral("; ");
        return problems;
    });
    EXPECT_EQ(r.problems.toStdString(), "");
    EXPECT_TRUE(present(locked));
    EXPECT_FALSE(present(open));
}

TEST(DeleteOneFile, NeverGoesThroughALinkOrRemovesAFolder) {
    TempTree tree;
    const QByteArray inside = tree.file("real/file", 8);
    tree.symlink("via", "real");
    EXPECT_FALSE(deleteOneFile(native(tree.abs("via/file"))));
    EXPECT_TRUE(present(inside));
    EXPECT_FALSE(deleteOneFile(native(tree.abs("real"))));
    EXPECT_FALSE(sendToRecycleBin(native(tree.abs("real"))));
    EXPECT_TRUE(present(tree.abs("real")));
    qint64 size = -1;
    EXPECT_TRUE(deleteOneFile(native(inside), &size));
    EXPECT_EQ(size, 8);
}

TEST(ListedFiles, AFolderSwappedForALinkAfterListingIsNeverFollowed) {
    for (const bool toTrash : {false, true}) {
        TempTree tree;
        const QByteArray listed = tree.file("list/sub/victim", 4);
        const QByteArray outside = tree.file("outside/sub/victim", 8);
        const auto swap = [&](int) {
            ASSERT_EQ(::rename(tree.abs("list").constData(), tree.abs("list.moved").constData()),
                      0);
            ASSERT_EQ(::symlink(tree.abs("outside").constData(), tree.abs("list").constData()), 0);
        };
        QStringList failed;
        const FileRunResult run =
            toTrash
                ? sendFilesToTrash({native(listed)}, swap)
                : deleteFilesForGood({native(listed)}, swap,
                                     [&](const QString& path, const QString&) { failed << path; });
        EXPECT_TRUE(present(outside)) << toTrash;
        EXPECT_TRUE(trashedAs(outside).isEmpty());
        EXPECT_TRUE(present(tree.abs("list.moved/sub/victim")));
        EXPECT_EQ(run.files, 0);
        if (toTrash)
            EXPECT_EQ(run.stoppedAt, 0);
        else
            EXPECT_EQ(failed, QStringList{native(listed)});
    }
}

TEST(LastCopies, AFewGroupsAreNamedAndTheRestCounted) {
    const struct {
        QStringList groups;
        QString named;
    } cases[] = {
        {{"a"}, "a"},
        {{"a", "b"}, "a and b"},
        {{"a", "b", "c", "d"}, "a, b, c and d"},
        {{"a", "b", "c", "d", "e"}, "a, b, c and 2 more"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(namedGroups(c.groups), c.named);
}

// A check refuses one file and another is swapped after its check passed: both stay and are
// listed, the others go and are counted, and a trash run is not stopped by them.
TEST(CheckedRun, RefusedAndSwappedFilesStayAndTheRunGoesOn) {
    for (const bool toTrash : {false, true}) {
        TempTree tree;
        const QString a = native(tree.file("a", 1)), refused = native(tree.file("b", 20)),
                      swapped = native(tree.file("c", 300)), d = native(tree.file("d", 4000));
        const FileCheck check = [&](const QString& path) -> FileVerdict {
            EntryInfo info;
            EXPECT_TRUE(statAt(AT_FDCWD, toNative(path).constData(), info));
            if (path == refused)
                return {QStringLiteral("its contents differ from the copy that stays"), {}};
            if (path == swapped) { // replaced between the check and the removal
                tree.file("c.new", 300);
                EXPECT_EQ(::rename(tree.abs("c.new").constData(), toNative(path).constData()), 0);
            }
            return {QString(), FileIdentity::of(info)};
        };
        const FileRunResult run = toTrash ? sendFilesToTrash({a, refused, swapped, d}, {}, check)
                                          : deleteFilesForGood(
                                                {a, refused, swapped, d}, {},
                                                [](const QString& path, const QString&) {
                                                    ADD_FAILURE() << path.toStdString();
                                                },
                                                check);
        EXPECT_EQ(run.files, 2) << toTrash;
        EXPECT_EQ(run.bytes, 4001) << toTrash;
        EXPECT_EQ(run.stoppedAt, -1) << toTrash;
        EXPECT_EQ(refusedFilesText(run.refused, toTrash).toStdString(),
                  QStringLiteral("2 files were not %1:\n"
                                 "%2: its contents differ from the copy that stays\n"
                                 "%3: it changed since the scan")
                      .arg(toTrash ? "sent to the recycle bin" : "deleted", refused, swapped)
                      .toStdString());
        for (const QString& kept : {refused, swapped})
            EXPECT_TRUE(present(toNative(kept))) << kept.toStdString();
        for (const QString& gone : {a, d})
            EXPECT_FALSE(present(toNative(gone))) << gone.toStdString();
        if (toTrash) {
            EXPECT_TRUE(trashedAs(toNative(swapped)).isEmpty());
        }
    }
}

TEST(CheckedRun, TheListOfKeptFilesIsCut) {
    QList<RefusedFile> refused;
    for (int i = 0; i < 22; ++i)
        refused.append({QStringLiteral("/f%1").arg(i), QStringLiteral("why")});
    const QStringList lines = refusedFilesText(refused, false).split(u'\n');
    EXPECT_EQ(lines.size(), 22);
    EXPECT_EQ(lines.front(), QStringLiteral("22 files were not deleted:"));
    EXPECT_EQ(lines.back(), QStringLiteral("and 2 more"));
    EXPECT_EQ(refusedFilesText(refused.first(1), true),
              QStringLiteral("1 file was not sent to the recycle bin:\n/f0: why"));
}
