#include "platform/dir_entry.h"
#include "platform/dir_walk.h"
#include "support/temp_tree.h"

#include <QStringList>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList entryNames(const FolderEntries& entries) {
    QStringList out;
    for (const FolderEntry e : entries)
        out << QString::fromUtf8(e.name) + (e.type == DT_DIR ? "/" : "");
    out.sort();
    return out;
}

// Makes a chain of `depth` folders named `name` below `dirFd`, each holding a file "f";
// relative to descriptors, so the chain may be longer than PATH_MAX.
void makeChain(int dirFd, const QByteArray& name, int depth) {
    int fd = ::dup(dirFd);
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(::mkdirat(fd, name.constData(), 0755), 0);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        ::close(::openat(fd, "f", O_CREAT | O_WRONLY, 0644));
    }
    ::close(fd);
}

// Removes everything below `dirFd` through descriptors (names past PATH_MAX included).
void emptyFolder(int dirFd) {
    FolderEntries entries;
    const int fd = ::dup(dirFd);
    entries.read(fd);
    for (const FolderEntry e : entries) {
        if (e.type == DT_DIR) {
            const int sub = ::openat(fd, e.name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            emptyFolder(sub);
            ::close(sub);
        }
        ::unlinkat(fd, e.name, e.type == DT_DIR ? AT_REMOVEDIR : 0);
    }
    ::close(fd);
}

} // namespace

TEST(DirWalk, DeepTreePastPathMaxWithinTheDescriptorBudget) {
    TempTree t;
    const QByteArray name(200, 'n');
    constexpr int kDepth = 40; // 40 x 201 bytes: twice PATH_MAX
    {
        const int root = ::open(t.nativePath().constData(), O_RDONLY | O_DIRECTORY);
        makeChain(root, name, kDepth);
        ::close(root);
    }

    DirWalk walk;
    walk.setDescriptorBudget(3);
    ASSERT_TRUE(walk.openRoot(t.nativePath() + "//"));
    EXPECT_EQ(walk.path(), t.nativePath());
    int mostHeld = 0;
    for (int d = 1; d <= kDepth; ++d) {
        ASSERT_EQ(walk.enter(name.constData()), DirWalk::Entered) << d;
        mostHeld = std::max(mostHeld, walk.heldDescriptors());
        EXPECT_EQ(entryNames(walk.readEntries()).first(), "f");
    }
    EXPECT_EQ(mostHeld, 3);
    EXPECT_EQ(walk.path().size(), t.nativePath().size() + kDepth * 201);
    EXPECT_STREQ(walk.name(), name.constData());

    // Back up: every level is the folder it was, and can be read again.
    for (int d = kDepth - 1; d >= 0; --d) {
        ASSERT_TRUE(walk.leave()) << d;
        ASSERT_GE(walk.fd(), 0);
        EXPECT_EQ(walk.depth(), d);
        EXPECT_EQ(walk.heldDescriptors(), std::min(d + 1, 2));
        struct stat st;
        ASSERT_EQ(::fstat(walk.fd(), &st), 0);
        EXPECT_EQ(quint64(st.st_ino), walk.folderInfo().inode);
        EXPECT_EQ(entryNames(walk.readEntries()).contains(QString::fromUtf8(name) + "/"), true);
    }
    EXPECT_EQ(walk.path(), t.nativePath());
    walk.close();
    EXPECT_EQ(walk.heldDescriptors(), 0);
    const int root = ::open(t.nativePath().constData(), O_RDONLY | O_DIRECTORY);
    emptyFolder(root);
    ::close(root);
}

TEST(DirWalk, EntersOnlyRealFoldersThatAreStillWhatWasSeen) {
    TempTree t;
    t.file("file");
    t.dir("a/inner");
    t.dir("b");
    t.symlink("link", "a");
    t.symlink("dangling", "nothere");
    DirWalk walk;
    ASSERT_TRUE(walk.openRoot(t.nativePath()));
    EXPECT_EQ(entryNames(walk.readEntries()),
              (QStringList{"a/", "b/", "dangling", "file", "link"}));

    const struct {
        const char* name;
        DirWalk::EnterResult result;
    } cases[] = {{"file", DirWalk::NotFolder},
                 {"link", DirWalk::NotFolder},
                 {"dangling", DirWalk::NotFolder},
                 {"missing", DirWalk::NotFolder}};
    for (const auto& c : cases) {
        EXPECT_EQ(walk.enter(c.name), c.result) << c.name;
        EXPECT_EQ(walk.depth(), 0);
    }

    // The caller saw "a"; by the time it enters, "a" is another folder.
    EntryInfo seen;
    ASSERT_TRUE(statAt(walk.fd(), "a", seen));
    ASSERT_EQ(::rename(t.abs("a").constData(), t.abs("old").constData()), 0);
    ASSERT_EQ(::rename(t.abs("b").constData(), t.abs("a").constData()), 0);
    EXPECT_EQ(walk.enter("a", &seen), DirWalk::Changed);
    ASSERT_EQ(walk.enter("old", &seen), DirWalk::Entered);
    EXPECT_EQ(walk.parentPath(), t.nativePath());
    EXPECT_EQ(entryNames(walk.readEntries()), QStringList{"inner/"});
    EXPECT_TRUE(walk.leave());
    EXPECT_TRUE(walk.leave()); // at the root: stays
    EXPECT_EQ(walk.depth(), 0);

    EXPECT_FALSE(walk.openRoot(t.abs("file")));
    EXPECT_FALSE(walk.openRoot(t.abs("nothere")));
    EXPECT_FALSE(walk.openRoot(QByteArray()));
}

// A folder whose descriptor was given up is found again only if it is still the same folder;
// otherwise that level is lost and the walk carries on above it.
TEST(DirWalk, FolderRemovedWhileWalkedBelowIsLostNotReplaced) {
    TempTree t;
    t.file("a/b/c/d/deep.txt");
    t.file("a/top.txt");
    DirWalk walk;
    walk.setDescriptorBudget(3);
    ASSERT_TRUE(walk.openRoot(t.nativePath()));
    for (const char* n : {"a", "b", "c", "d"})
        ASSERT_EQ(walk.enter(n), DirWalk::Entered) << n;

    // Move c out of b and remove b; another folder (made first, so it cannot get b's inode
    // number) takes b's name.
    t.file("a/new/impostor.txt");
    ASSERT_EQ(::rename(t.abs("a/b/c").constData(), t.abs("a/c2").constData()), 0);
    ASSERT_EQ(::rmdir(t.abs("a/b").constData()), 0);
    ASSERT_EQ(::rename(t.abs("a/new").constData(), t.abs("a/b").constData()), 0);

    ASSERT_TRUE(walk.leave()); // c: its descriptor was held and follows the move
    EXPECT_EQ(walk.path(), t.abs("a/b/c"));
    EXPECT_EQ(entryNames(walk.readEntries()), QStringList{"d/"});
    EXPECT_FALSE(walk.leave()); // b: neither ".." of c nor the name "b" is that folder now
    EXPECT_EQ(walk.path(), t.abs("a/b"));
    EXPECT_EQ(walk.fd(), -1);
    EXPECT_TRUE(entryNames(walk.readEntries()).isEmpty());
    EXPECT_EQ(walk.enter("x"), DirWalk::NotOpened);
    ASSERT_TRUE(walk.leave()); // a is found again by name from the root
    EXPECT_EQ(walk.path(), t.abs("a"));
    EXPECT_EQ(entryNames(walk.readEntries()), (QStringList{"b/", "c2/", "top.txt"}));
}

TEST(DirWalk, StatMapsKindTimesAndIdentity) {
    TempTree t;
    const QByteArray file = t.file(".hidden", 12);
    const timespec times[2] = {{1000000000, 0}, {1200000000, 0}}; // access, write
    ASSERT_EQ(::utimensat(AT_FDCWD, file.constData(), times, 0), 0);
    t.symlink("link", ".hidden");
    const int dir = ::open(t.nativePath().constData(), O_RDONLY | O_DIRECTORY);
    EntryInfo info, link, self;
    ASSERT_TRUE(statAt(dir, ".hidden", info));
    ASSERT_TRUE(statAt(dir, "link", link));
    ASSERT_TRUE(statAt(dir, "", self));
    EntryInfo gone;
    EXPECT_FALSE(statAt(dir, "missing", gone));
    EXPECT_EQ(errno, ENOENT);
    ::close(dir);

    EXPECT_EQ(info.size, 12);
    EXPECT_EQ(info.attributes, unsigned(faHidden | faArchive));
    EXPECT_EQ(info.accessTime, 1000000000);
    EXPECT_EQ(info.writeTime, 1200000000);
    EXPECT_TRUE(info.isRegular());
    EXPECT_EQ(link.attributes, unsigned(faSysFile)); // the link itself, not its target
    EXPECT_FALSE(link.sameFile(info));
    EXPECT_TRUE(self.isFolder());
    struct stat st;
    ASSERT_EQ(::stat(t.nativePath().constData(), &st), 0);
    EXPECT_EQ(self.device, quint64(st.st_dev));
    EXPECT_EQ(self.inode, quint64(st.st_ino));
}
