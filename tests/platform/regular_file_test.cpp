#include "platform/link_free_path.h"
#include "platform/regular_file.h"
#include "platform/unique_fd.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(RegularFile, OpensOnlyRegularFilesAndSaysWhyNot) {
    TempTree tree;
    tree.file("plain", 5);
    tree.symlink("link", "plain");
    tree.dir("folder");
    ASSERT_EQ(::mkfifo(tree.abs("fifo").constData(), 0600), 0);
    tree.symlink("fifo link", "fifo");
    const struct {
        QByteArray path;
        RegularFileError error;
    } cases[] = {
        {tree.abs("link"), RegularFileError::None},
        {tree.abs("missing"), RegularFileError::Missing},
        {tree.abs("plain/x"), RegularFileError::Missing},
        {tree.abs("folder"), RegularFileError::NotRegular},
        {tree.abs("fifo"), RegularFileError::NotRegular},
        {tree.abs("fifo link"), RegularFileError::NotRegular},
        {"/dev/null", RegularFileError::NotRegular},
    };
    for (const auto& c : cases) {
        const RegularFileOpen opened = openRegularFile(c.path);
        const UniqueFd owned(opened.fd);
        EXPECT_EQ(opened.error, c.error) << c.path.constData();
        EXPECT_EQ(opened.fd >= 0, c.error == RegularFileError::None) << c.path.constData();
    }
}

// Files that report no size, or a page, whatever they hold are copied as read; any other file,
// an empty one included, is read where it lies.
TEST(RegularFile, CopiesOnlyFilesWithoutATrustworthySize) {
    TempTree tree;
    const struct {
        QByteArray path;
        std::int64_t limit;
        bool copied;
        bool cut;
    } cases[] = {
        {tree.write("plain", "text\n"), 100, false, false},
        {tree.write("empty", ""), 100, false, false},
        {"/proc/self/status", 1 << 20, true, false},
        {"/proc/self/status", 10, true, true},
        {"/sys/devices/system/cpu/online", 100, true, false},
    };
    for (const auto& c : cases) {
        if (::access(c.path.constData(), R_OK) != 0)
            continue; // a system without that pseudo file
        const RegularFileOpen opened = openRegularFile(c.path);
        ASSERT_EQ(opened.error, RegularFileError::None) << c.path.constData();
        const UniqueFd file(opened.fd);
        const FileCopy copy = copyOfSizelessFile(file.fd, c.limit);
        const UniqueFd copied(copy.fd);
        EXPECT_EQ(copy.fd >= 0, c.copied) << c.path.constData();
        EXPECT_EQ(copy.cut, c.cut) << c.path.constData();
        if (copy.fd < 0)
            continue;
        // The copy holds what reading gave, and says so in its size.
        struct stat st;
        ASSERT_EQ(::fstat(copy.fd, &st), 0);
        char bytes[64] = {};
        const ssize_t got = ::pread(copy.fd, bytes, sizeof bytes - 1, 0);
        EXPECT_GT(st.st_size, 0) << c.path.constData();
        EXPECT_LE(st.st_size, c.limit) << c.path.constData();
        EXPECT_EQ(got, std::min<off_t>(st.st_size, sizeof bytes - 1)) << c.path.constData();
    }
}

// A file is opened only as it was seen, reached without following any link, at a short path
// and at one beyond PATH_MAX alike.
TEST(RegularFile, OpensASeenFileOnlyWhileItIsTheSame) {
    TempTree tree;
    const QByteArray deep = tree.deepFile("deep", 24, 200, 3);
    const QByteArray shallow = tree.file("shallow/f", 3);
    for (const QByteArray& file : {shallow, deep}) {
        const QByteArray folder = file.left(file.lastIndexOf('/'));
        const UniqueFd dir(openFolderLinkFree(folder));
        ASSERT_GE(dir.fd, 0);
        ASSERT_EQ(::symlinkat("f", dir.fd, "link"), 0);
        ASSERT_EQ(::mkfifoat(dir.fd, "fifo", 0600), 0);
        ASSERT_EQ(::mkdirat(dir.fd, "sub", 0700), 0);
        ASSERT_EQ(::linkat(dir.fd, "f", dir.fd, "sub/f", 0), 0);
        ASSERT_EQ(::symlinkat("sub", dir.fd, "sub link"), 0);
        EntryInfo info;
        ASSERT_TRUE(statAt(dir.fd, "f", info));
        const FileIdentity seen = FileIdentity::of(info);
        FileIdentity grown = seen;
        grown.size += 1;
        const struct {
            const char* name;
            FileIdentity seen;
            RegularFileError error;
        } cases[] = {
            {"f", seen, RegularFileError::None},
            {"sub/f", seen, RegularFileError::None},
            {"f", grown, RegularFileError::Changed},
            {"link", seen, RegularFileError::NotRegular},
            {"fifo", seen, RegularFileError::NotRegular},
            {"gone", seen, RegularFileError::Missing},
            {"sub link/f", seen, RegularFileError::Missing},
        };
        for (const auto& c : cases) {
            const RegularFileOpen opened = openSeenFile(folder + '/' + c.name, c.seen);
            const UniqueFd owned(opened.fd);
            EXPECT_EQ(opened.error, c.error) << c.name << " " << folder.size();
            EXPECT_EQ(opened.fd >= 0, c.error == RegularFileError::None) << c.name;
        }
    }
}
