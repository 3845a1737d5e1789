#include "model/delete_files.h"

#include "platform/native_path.h"
#include "support/child_process.h"
#include "support/temp_tree.h"

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
