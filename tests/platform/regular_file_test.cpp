#include "platform/regular_file.h"
#include "platform/unique_fd.h"
#include "support/temp_tree.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

TEST(RegularFile, OpensOnlyRegularFilesAndSaysWhyNot) {
    TempTree tree;
    tree.file("plain", 5);
    tree.symlink("link", "plain");
    tree.dir("folder");
    const QByteArray fifo = tree.abs("fifo");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const QByteArray socketPath = tree.abs("socket");
    const UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(socketPath.size()), sizeof address.sun_path);
    memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    ASSERT_EQ(::bind(listener.fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const QByteArray locked = tree.file("locked", 1);
    ASSERT_EQ(::chmod(locked.constData(), 0), 0);
    const bool root = ::geteuid() == 0; // root reads a file whatever its permissions

    const struct {
        QByteArray path;
        RegularFileError error;
    } cases[] = {
        {tree.abs("plain"), RegularFileError::None},
        {tree.abs("link"), RegularFileError::None},
        {tree.abs("missing"), RegularFileError::Missing},
        {tree.abs("plain/below"), RegularFileError::Missing},
        {tree.abs("folder"), RegularFileError::NotRegular},
        {fifo, RegularFileError::NotRegular},
        {socketPath, RegularFileError::NotRegular},
        {"/dev/null", RegularFileError::NotRegular},
        {locked, root ? RegularFileError::None : RegularFileError::Refused},
    };
    for (const auto& c : cases) {
        const RegularFileOpen opened = openRegularFile(c.path);
        const UniqueFd owned(opened.fd);
        EXPECT_EQ(opened.error, c.error) << c.path.constData();
        EXPECT_EQ(opened.fd >= 0, c.error == RegularFileError::None) << c.path.constData();
    }
}
