#include "platform/regular_file.h"
#include "platform/unique_fd.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(RegularFile, OpensOnlyRegularFilesAndSaysWhyNot) {
    TempTree tree;
    tree.file("plain", 5);
    tree.symlink("link", "plain");
    tree.dir("folder");
    ASSERT_EQ(::mkfifo(tree.abs("fifo").constData(), 0600), 0);
    const struct {
        QByteArray path;
        RegularFileError error;
    } cases[] = {
        {tree.abs("link"), RegularFileError::None},
        {tree.abs("missing"), RegularFileError::Missing},
        {tree.abs("folder"), RegularFileError::NotRegular},
        {tree.abs("fifo"), RegularFileError::NotRegular},
        {"/dev/null", RegularFileError::NotRegular},
    };
    for (const auto& c : cases) {
        const RegularFileOpen opened = openRegularFile(c.path);
        const UniqueFd owned(opened.fd);
        EXPECT_EQ(opened.error, c.error) << c.path.constData();
        EXPECT_EQ(opened.fd >= 0, c.error == RegularFileError::None) << c.path.constData();
    }
}
