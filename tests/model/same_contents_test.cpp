#include "model/same_contents.h"

#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "platform/unique_fd.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reaches paths of any length.
FileIdentity identityOf(const QByteArray& path) {
    QByteArray name;
    const UniqueFd folder(openParentLinkFree(path, name));
    EntryInfo info;
    EXPECT_TRUE(statAt(folder.fd, name.constData(), info)) << path.constData();
    return FileIdentity::of(info);
}

// Puts the file's modification time at a fixed moment, so any later write shows.
void setOldTime(const QByteArray& path) {
    const struct timespec times[2] = {{1600000000, 123456789}, {1600000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// Writes `byte` at `offset` in place: the same inode and size.
void poke(const QByteArray& path, off_t offset, char byte) {
    const int fd = ::open(path.constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, &byte, 1, offset), 1);
    ::close(fd);
}

// Two chunks of comparison and a bit: a difference at the end is in the second read.
constexpr qint64 kSize = (1 << 20) + 10;

QByteArray contents() {
    QByteArray bytes(kSize, '\0');
    for (qint64 i = 0; i < kSize; ++i)
        bytes[i] = char(i * 7 % 251);
    return bytes;
}

struct Files {
    TempTree& tree;
    QByteArray marked, kept1, kept2;
};

} // namespace

TEST(SameContents, GoesOnlyWhenBothCopiesAreAsScannedAndEqual) {
    using Change = std::function<void(Files&)>;
    const QByteArray bytes = contents();
    const struct {
        const char* what;
        int kept; // how many of kept1, kept2 stay
        Change change;
        std::string reason;
    } cases[] = {
        {"untouched", 1, [](Files&) {}, ""},
        {"truncated", 1, [](Files& f) { ASSERT_EQ(::truncate(f.marked, kSize - 1), 0); },
         "it changed since the scan"},
        {"grown", 1, [](Files& f) { ASSERT_EQ(::truncate(f.marked, kSize + 1), 0); },
         "it changed since the scan"},
        {"replaced by the same bytes", 1,
         [&](Files& f) {
             f.tree.write("new", bytes);
             setOldTime(f.tree.abs("new"));
             ASSERT_EQ(::rename(f.tree.abs("new"), f.marked), 0);
         },
         "it changed since the scan"},
        {"edited in place", 1, [](Files& f) { poke(f.marked, 5, 'x'); },
         "it changed since the scan"},
        {"forged at the end", 1,
         [](Files& f) {
             poke(f.marked, kSize - 1, 'x');
             setOldTime(f.marked);
         },
         "its contents differ from the copy that stays"},
        {"forged at the start", 1,
         [](Files& f) {
             poke(f.kept1, 0, 'x');
             setOldTime(f.kept1);
         },
         "its contents differ from the copy that stays"},
        {"a link to the copy that stays", 1,
         [](Files& f) {
             ASSERT_EQ(::unlink(f.marked), 0);
             ASSERT_EQ(::symlink(f.kept1, f.marked), 0);
         },
         "it changed since the scan"},
        {"gone", 1, [](Files& f) { ASSERT_EQ(::unlink(f.marked), 0); }, "it is gone"},
        {"kept copy gone", 1, [](Files& f) { ASSERT_EQ(::unlink(f.kept1), 0); },
         "the copy that stays is gone"},
        {"kept copy edited", 1, [](Files& f) { poke(f.kept1, 5, 'x'); },
         "the copy that stays changed since the scan"},
        {"kept copy now a FIFO", 1,
         [](Files& f) {
             ASSERT_EQ(::unlink(f.kept1), 0);
             ASSERT_EQ(::mkfifo(f.kept1, 0600), 0);
         },
         "the copy that stays changed since the scan"},
        {"first kept copy gone, the next compared", 2,
         [](Files& f) { ASSERT_EQ(::unlink(f.kept1), 0); }, ""},
        {"every kept copy unusable, the first one's reason", 2,
         [](Files& f) {
             ASSERT_EQ(::truncate(f.kept1, 1), 0);
             ASSERT_EQ(::unlink(f.kept2), 0);
         },
         "the copy that stays changed since the scan"},
        {"no copy stays", 0, [](Files& f) { ASSERT_EQ(::unlink(f.kept1), 0); }, ""},
        {"no copy stays, changed", 0, [](Files& f) { poke(f.marked, 5, 'x'); },
         "it changed since the scan"},
    };
    for (const auto& c : cases) {
        TempTree tree;
        Files files{tree, tree.write("dir/marked", bytes), tree.write("dir/kept1", bytes),
                    tree.write("other/kept2", bytes)};
        QList<SeenCopy> kept;
        for (const QByteArray& path : {files.marked, files.kept1, files.kept2})
            setOldTime(path);
        const SeenCopy marked{fromNative(files.marked), identityOf(files.marked)};
        for (const QByteArray& path : {files.kept1, files.kept2})
            if (kept.size() < c.kept)
                kept.append({fromNative(path), identityOf(path)});
        c.change(files);
        EXPECT_EQ(sameContentsRefusal(marked, kept).toStdString(), c.reason) << c.what;
    }
}

TEST(SameContents, TheCheckHandsTheScannedIdentityOnOnlyForAFileThatMayGo) {
    TempTree tree;
    const QByteArray a = tree.write("a", "same"), b = tree.write("b", "same"),
                     c = tree.write("c", "diff");
    const FileIdentity seenA = identityOf(a);
    const FileCheck check = sameContentsCheck({
        {fromNative(a), {seenA, {{fromNative(b), identityOf(b)}}}},
        {fromNative(c), {identityOf(c), {{fromNative(b), identityOf(b)}}}},
    });
    const FileVerdict same = check(fromNative(a));
    EXPECT_TRUE(same.refusal.isEmpty());
    ASSERT_TRUE(same.expected);
    EXPECT_TRUE(same.expected->unchanged(seenA));
    const FileVerdict differ = check(fromNative(c));
    EXPECT_EQ(differ.refusal.toStdString(), "its contents differ from the copy that stays");
    EXPECT_FALSE(differ.expected);
    const FileVerdict unknown = check(fromNative(b));
    EXPECT_TRUE(unknown.refusal.isEmpty());
    EXPECT_FALSE(unknown.expected);
}

TEST(SameContents, ComparesFilesWithOddNamesPastPathMax) {
    TempTree tree;
    const QByteArray deep = tree.deepFile("d", 20, 250, 5000);
    const QByteArray odd = tree.write("bad\xff name", QByteArray(5000, '\0'));
    ASSERT_GT(deep.size(), 4096);
    EXPECT_EQ(sameContentsRefusal({fromNative(deep), identityOf(odd)}, {}).toStdString(),
              "it changed since the scan");
    EXPECT_EQ(sameContentsRefusal({fromNative(odd), identityOf(odd)},
                                  {{fromNative(deep), identityOf(deep)}})
                  .toStdString(),
              "");
}
