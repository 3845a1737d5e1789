#include "platform/dir_entry.h"
#include "platform/native_path.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::optional<DirEntry> statBytes(const QByteArray& path) {
    return statEntry(AT_FDCWD, path.constData());
}

const DirEntry* find(const std::vector<DirEntry>& entries, const QString& name) {
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const DirEntry& e) { return e.name == name; });
    return it == entries.end() ? nullptr : &*it;
}

QStringList names(const std::vector<DirEntry>& entries) {
    QStringList out;
    for (const DirEntry& e : entries)
        out << e.name;
    out.sort();
    return out;
}
} // namespace

TEST(DirEntry, MapsKindsAndPermissionsToAttributes) {
    TempTree tree;
    tree.file("plain.txt", 10);
    tree.file(".hidden", 3);
    const QByteArray ro = tree.file("readonly.txt", 1);
    ASSERT_EQ(::chmod(ro.constData(), 0444), 0);
    tree.dir("folder");
    tree.symlink("link", "plain.txt");
    ASSERT_EQ(::mkfifo(tree.abs("fifo").constData(), 0644), 0);

    EXPECT_EQ(statBytes(tree.abs("plain.txt"))->attributes, unsigned(faArchive));
    EXPECT_EQ(statBytes(tree.abs(".hidden"))->attributes, unsigned(faHidden | faArchive));
    EXPECT_EQ(statBytes(tree.abs("readonly.txt"))->attributes, unsigned(faReadOnly | faArchive));
    EXPECT_EQ(statBytes(tree.abs("folder"))->attributes, unsigned(faDirectory));
    EXPECT_EQ(statBytes(tree.abs("link"))->attributes, unsigned(faSysFile));
    EXPECT_EQ(statBytes(tree.abs("fifo"))->attributes, unsigned(faSysFile));

    // "." and ".." are not hidden; a leading dot in a parent folder does not count.
    EXPECT_EQ(mapAttributes(".", S_IFDIR | 0755, false), unsigned(faDirectory));
    EXPECT_EQ(mapAttributes("..", S_IFDIR | 0755, false), unsigned(faDirectory));
    EXPECT_EQ(mapAttributes("/a/.b/c", S_IFREG | 0644, false), unsigned(faArchive));
    EXPECT_EQ(mapAttributes("/a/.b/", S_IFDIR | 0755, false), unsigned(faHidden | faDirectory));
    EXPECT_EQ(mapAttributes("/", S_IFDIR | 0755, false), unsigned(faDirectory));
    EXPECT_EQ(mapAttributes("x", S_IFREG | 0644, true), 0u);
}

TEST(DirEntry, NoDumpFlagClearsArchive) {
    TempTree tree;
    const QByteArray path = tree.file("nodump.dat", 5);
    const int fd = ::open(path.constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    const bool set = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                     (flags |= FS_NODUMP_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    ::close(fd);
    if (!set)
        GTEST_SKIP() << "this file system does not take the no-dump flag";
    const auto e = statBytes(path);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->attributes & faArchive, 0u);
}

TEST(DirEntry, ReadsSizesAndTimesWithoutFollowingLinks) {
    TempTree tree;
    const QByteArray big = tree.file("big.bin", qint64(5) << 30); // sparse, past 32 bits
    const timespec times[2] = {{1000000000, 0}, {1200000000, 0}}; // access, write
    ASSERT_EQ(::utimensat(AT_FDCWD, big.constData(), times, 0), 0);
    tree.symlink("to-big", "big.bin");
    tree.dir("sub");

    const auto file = statPath(fromNative(big));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, QStringLiteral("big.bin"));
    EXPECT_EQ(file->size, qint64(5) << 30);
    EXPECT_EQ(file->accessTime, 1000000000);
    EXPECT_EQ(file->writeTime, 1200000000);
    EXPECT_GT(file->creationTime, 0);

    const auto link = statPath(fromNative(tree.abs("to-big")));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->size, qint64(strlen("big.bin"))); // the link itself, not its target
    EXPECT_NE(link->writeTime, 1200000000);

    EXPECT_EQ(statPath(fromNative(tree.abs("sub")))->size, 0); // folders count no bytes
    EXPECT_FALSE(statPath(fromNative(tree.abs("missing"))));
    EXPECT_FALSE(statPath(QString()));
}

TEST(DirEntry, WildcardsIgnoreCaseAndTreatStarDotStarAsEverything) {
    EXPECT_TRUE(wildcardMatch("*.*", "README"));
    EXPECT_TRUE(wildcardMatch("*.*", ".profile"));
    EXPECT_TRUE(wildcardMatch("*", "a.b.c"));
    EXPECT_TRUE(wildcardMatch("*.TMP", "a.tmp"));
    EXPECT_TRUE(wildcardMatch("*.tmp", "ARCHIVE.OLD.TMP"));
    EXPECT_FALSE(wildcardMatch("*.tmp", "a.tmpx"));
    EXPECT_FALSE(wildcardMatch("*.tmp", "tmp"));
    EXPECT_TRUE(wildcardMatch("?.doc", "a.doc"));
    EXPECT_FALSE(wildcardMatch("?.doc", "ab.doc"));
    EXPECT_FALSE(wildcardMatch("?.doc", ".doc"));
    EXPECT_TRUE(wildcardMatch("a*b*c", "aXXbYYbZc"));
    EXPECT_FALSE(wildcardMatch("a*b*c", "aXXbYY"));
    EXPECT_TRUE(wildcardMatch("readme.*", "README"));
    EXPECT_TRUE(wildcardMatch("readme.*", "readme.txt"));
    EXPECT_FALSE(wildcardMatch("readme.*", "readmes"));
    EXPECT_TRUE(wildcardMatch(QString::fromUtf8("*.\xc3\x89T\xc3\x89"),
                              QString::fromUtf8("x.\xc3\xa9t\xc3\xa9")));
    EXPECT_FALSE(wildcardMatch("*.doc", ""));
}

TEST(DirEntry, ListsFolderThroughPatternAndMask) {
    TempTree tree;
    tree.file("a.tmp");
    tree.file("B.TMP");
    tree.file("c.txt");
    tree.file(".hidden.tmp");
    tree.symlink("link.tmp", "a.tmp");
    tree.dir("dir.tmp");

    bool ok = false;
    EXPECT_EQ(names(listFolder(tree.path(), "*.tmp", kFileMask, &ok)),
              QStringList({"B.TMP", "a.tmp"}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(names(listFolder(tree.path(), "*.tmp", kAnyFileMask)),
              QStringList({".hidden.tmp", "B.TMP", "a.tmp", "link.tmp"}));
    EXPECT_EQ(names(listFolder(tree.path(), "*.*", kFolderWalkMask)),
              QStringList({"B.TMP", "a.tmp", "c.txt", "dir.tmp"}));
    EXPECT_EQ(names(listFolder(tree.path(), "*.*", kEverythingMask)).size(), 6);

    const auto all = listFolder(tree.path(), "*", kEverythingMask);
    ASSERT_TRUE(find(all, "dir.tmp"));
    EXPECT_EQ(find(all, "dir.tmp")->attributes, unsigned(faDirectory));
    EXPECT_EQ(find(all, "link.tmp")->attributes, unsigned(faSysFile));

    listFolder(tree.path() + "/missing", "*.*", kEverythingMask, &ok);
    EXPECT_FALSE(ok);
}

TEST(DirEntry, ListsOddNamesExactly) {
    TempTree tree;
    const QByteArray odd[] = {"tab\there", "new\nline", "bad\xff\xfe.bin", "caf\xc3\xa9"};
    for (const QByteArray& n : odd)
        tree.file(n, 7);
    tree.dir("sub\x80");
    tree.file("sub\x80/inner\x81.txt", 2);

    const auto entries = listFolder(tree.path(), "*.*", kEverythingMask);
    ASSERT_EQ(entries.size(), 5u);
    for (const QByteArray& n : odd) {
        const DirEntry* e = find(entries, fromNative(n));
        ASSERT_TRUE(e) << n.toHex().constData();
        EXPECT_EQ(toNative(e->name), n);
        EXPECT_EQ(e->size, 7);
    }
    // A folder with an undecodable name can be listed in turn by the name it was given.
    const QString sub = tree.path() + "/" + find(entries, fromNative("sub\x80"))->name;
    const auto inner = listFolder(sub, "*.TXT", kFileMask);
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(toNative(inner[0].name), QByteArray("inner\x81.txt"));
    EXPECT_EQ(statPath(sub + "/" + inner[0].name)->size, 2);

    // The temporary folder's own clean-up cannot remove names that are not UTF-8.
    ::unlink(tree.abs("sub\x80/inner\x81.txt").constData());
    ::rmdir(tree.abs("sub\x80").constData());
    ::unlink(tree.abs("bad\xff\xfe.bin").constData());
}
