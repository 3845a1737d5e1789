#include "platform/regular_file.h"
#include "platform/unique_fd.h"
#include "support/temp_tree.h"

#include <fcntl.h>
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
    const UniqueFd folder(::open(tree.nativePath().constData(), O_PATH | O_CLOEXEC));
    // By path a link is followed; as a folder's entry it is not.
    const struct {
        QByteArray name;
        RegularFileError error;
        RegularFileError entryError;
    } cases[] = {
        {"plain", RegularFileError::None, RegularFileError::None},
        {"link", RegularFileError::None, RegularFileError::NotRegular},
        {"missing", RegularFileError::Missing, RegularFileError::Missing},
        {"plain/x", RegularFileError::Missing, RegularFileError::Missing},
        {"folder", RegularFileError::NotRegular, RegularFileError::NotRegular},
        {"fifo", RegularFileError::NotRegular, RegularFileError::NotRegular},
        {"fifo link", RegularFileError::NotRegular, RegularFileError::NotRegular},
        {"/dev/null", RegularFileError::NotRegular, RegularFileError::NotRegular},
    };
    for (const auto& c : cases) {
        const QByteArray path = c.name.startsWith('/') ? c.name : tree.abs(c.name);
        for (const bool entry : {false, true}) {
            const RegularFileOpen opened =
                entry ? openRegularFileAt(folder.fd, c.name) : openRegularFile(path);
            const UniqueFd owned(opened.fd);
            const RegularFileError want = entry ? c.entryError : c.error;
            EXPECT_EQ(opened.error, want) << c.name.constData() << entry;
            EXPECT_EQ(opened.fd >= 0, want == RegularFileError::None) << c.name.constData();
        }
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
