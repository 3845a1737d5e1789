#include "platform/drives.h"
#include "platform/launcher.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "platform/trash.h"
#include "support/temp_tree.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray dataHome() {
    return qgetenv("XDG_DATA_HOME");
}
QByteArray trashFolder() {
    return dataHome() + "/Trash";
}

// Byte paths throughout: some of the names here are not UTF-8.
QByteArray readAll(const QByteArray& path) {
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

bool writeAll(const QByteArray& path, const QByteArray& text) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return ok;
}

// The original paths recorded in the trash's info files, mapped to the trashed names.
std::map<QByteArray, QByteArray> trashedPaths() {
    std::map<QByteArray, QByteArray> out;
    const QByteArray infoDir = trashFolder() + "/info";
    DIR* dir = ::opendir(infoDir.constData());
    if (!dir)
        return out;
    while (const dirent* d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        if (!name.endsWith(".trashinfo"))
            continue;
        for (const QByteArray& line : readAll(infoDir + "/" + name).split('\n')) {
            if (line.startsWith("Path="))
                out[QByteArray::fromPercentEncoding(line.mid(5))] = name.chopped(10);
        }
    }
    ::closedir(dir);
    return out;
}

bool existsNoFollow(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}
} // namespace

TEST(Trash, MovesFilesIntoTheDesktopTrashRestorably) {
    TempTree tree;
    const QByteArray a = tree.file("a/same.txt", 3);
    const QByteArray b = tree.file("b/same.txt", 5);
    const QByteArray odd = tree.file("odd\xff\tname.bin", 2);

    QString error;
    ASSERT_TRUE(moveToTrash(fromNative(a), &error)) << error.toStdString();
    ASSERT_TRUE(moveToTrash(fromNative(b)));
    ASSERT_TRUE(moveToTrash(fromNative(odd)));
    EXPECT_FALSE(existsNoFollow(a));
    EXPECT_FALSE(existsNoFollow(b));
    EXPECT_FALSE(existsNoFollow(odd));

    // Each keeps its own entry, the name clash notwithstanding, and records where it was.
    const auto trashed = trashedPaths();
    ASSERT_TRUE(trashed.count(a));
    ASSERT_TRUE(trashed.count(b));
    ASSERT_TRUE(trashed.count(odd));
    EXPECT_NE(trashed.at(a), trashed.at(b));
    const QByteArray files = trashFolder() + "/files/";
    struct stat st;
    ASSERT_EQ(::lstat((files + trashed.at(a)).constData(), &st), 0);
    EXPECT_EQ(st.st_size, 3);
    ASSERT_EQ(::lstat((files + trashed.at(b)).constData(), &st), 0);
    EXPECT_EQ(st.st_size, 5);
    EXPECT_TRUE(existsNoFollow(files + trashed.at(odd)));
    const QByteArray info = readAll(trashFolder() + "/info/" + trashed.at(odd) + ".trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + tree.nativePath() + "/odd%FF%09name.bin\n"))
        << info.constData();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:"
                                                  "\\d\\d:\\d\\d\n$"))
                    .match(QString::fromLatin1(info))
                    .hasMatch())
        << info.constData();

    // The test home's own clean-up cannot remove names that are not UTF-8.
    ::unlink((files + trashed.at(odd)).constData());
    ::unlink((trashFolder() + "/info/" + trashed.at(odd) + ".trashinfo").constData());
}

TEST(Trash, TakesPathsPastPathMaxAndNamesOfAnyLength) {
    TempTree tree;
    const QByteArray deep = tree.deepFile("deep", 20, 250, 7); // over 5,000 bytes
    ASSERT_GT(deep.size(), 4096);
    const std::optional<DirEntry> entry = statPathLinkFree(fromNative(deep));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->size, 7);
    QString error;
    EXPECT_TRUE(moveToTrash(fromNative(deep), &error)) << error.toStdString();
    EXPECT_FALSE(existsNoFollow(deep));
    EXPECT_TRUE(trashedPaths().count(deep));

    // "<name>.trashinfo" would pass 255 bytes: the name is shortened in the trash, and a
    // second file of that name is kept beside the first.
    const QByteArray longName = QByteArray(250, 'n') + ".txt";
    for (int round = 0; round < 2; ++round) {
        const QByteArray path = tree.file(longName, 3);
        EXPECT_TRUE(moveToTrash(fromNative(path), &error)) << error.toStdString();
        EXPECT_FALSE(existsNoFollow(path));
    }
    int kept = 0;
    if (DIR* dir = ::opendir((trashFolder() + "/files").constData())) {
        while (const dirent* d = ::readdir(dir))
            kept += QByteArray(d->d_name).startsWith(QByteArray(200, 'n'));
        ::closedir(dir);
    }
    EXPECT_EQ(kept, 2);
}

TEST(Trash, TrashesALinkNotItsTarget) {
    TempTree tree;
    const QByteArray target = tree.file("target.dat", 9);
    const QByteArray link = tree.symlink("link.dat", target);
    ASSERT_TRUE(moveToTrash(fromNative(link)));
    EXPECT_FALSE(existsNoFollow(link));
    EXPECT_TRUE(existsNoFollow(target));
    const auto trashed = trashedPaths();
    ASSERT_TRUE(trashed.count(link));
    struct stat st;
    ASSERT_EQ(::lstat((trashFolder() + "/files/" + trashed.at(link)).constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(Trash, NoTopTrashWhereTheDesktopsTrashCanNeverShowsIt) {
    struct Case {
        const char* mountInfo;
        bool refused;
    };
    const Case cases[] = {
        {"40 1 0:40 / /mnt/tmp rw - tmpfs tmpfs rw", true},
        {"41 1 0:41 / /mnt/ram rw - ramfs ramfs rw", false},
        {"42 1 0:42 / /mnt/ovl rw - overlay overlay rw", true},
        {"43 1 8:1 /data/sub /srv/data rw - ext4 /dev/sda1 rw", true}, // a sub-folder's bind
        {"44 1 8:1 / /srv/data rw - ext4 /dev/sda1 rw", false},
        {"45 1 8:2 / /mnt rw - ext4 /dev/sdb1 rw", true},
        {"46 1 8:2 / /mnt/disk rw - ext4 /dev/sdb1 rw", false},
        {"47 1 8:3 / / rw - ext4 /dev/sdc1 rw", true},
        {"48 1 8:4 / /var rw - xfs /dev/sdd1 rw", true},
        {"49 1 8:5 / /media/usb\\040stick rw - vfat /dev/sde1 rw", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mountInfo);
        const std::vector<Drive> mounts = parseMountInfo(c.mountInfo);
        ASSERT_EQ(mounts.size(), 1u);
        const QString why = topTrashRefusal(mounts[0]);
        EXPECT_EQ(!why.isEmpty(), c.refused);
        EXPECT_TRUE(why.isEmpty() || why.contains(mounts[0].root));
    }
}

TEST(Trash, FailureLeavesTheFileInPlace) {
    TempTree tree;
    const QByteArray victim = tree.file("keep.txt", 4);
    QString error;
    EXPECT_FALSE(moveToTrash(fromNative(tree.abs("missing.txt")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(moveToTrash(QString()));

    // A trash that cannot be made: a plain file where its folder should be. The trash is
    // shared by the whole test program, so it is put back afterwards.
    const QByteArray trash = trashFolder();
    const QByteArray saved = dataHome() + "/Trash.saved";
    const bool hadTrash = existsNoFollow(trash);
    if (hadTrash) {
        ASSERT_EQ(::rename(trash.constData(), saved.constData()), 0);
    }
    ASSERT_TRUE(writeAll(trash, "not a folder"));
    error.clear();
    const bool trashed = moveToTrash(fromNative(victim), &error);
    ::unlink(trash.constData());
    if (hadTrash) {
        ASSERT_EQ(::rename(saved.constData(), trash.constData()), 0);
    }

    EXPECT_FALSE(trashed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(existsNoFollow(victim));
}

TEST(Launcher, OpensWithTheDefaultApplicationOrFails) {
    TempTree tree;
    const QByteArray marker = tree.abs("launched.txt");
    const QByteArray document = tree.file("note.txt");
    ASSERT_TRUE(writeAll(document, "hello"));
    // A viewer for plain text that copies the file it is given, made the default.
    ASSERT_EQ(::mkdir((dataHome() + "/applications").constData(), 0755) == 0 || errno == EEXIST,
              true);
    ASSERT_TRUE(writeAll(dataHome() + "/applications/zelkova-test-viewer.desktop",
                         "[Desktop Entry]\nType=Application\nName=Test viewer\nExec=cp %f " +
                             marker + "\nMimeType=text/plain;\n"));
    ASSERT_TRUE(writeAll(qgetenv("XDG_CONFIG_HOME") + "/mimeapps.list",
                         "[Default Applications]\ntext/plain=zelkova-test-viewer.desktop\n"));

    ASSERT_TRUE(openWithDefaultApp(fromNative(document)));
    QElapsedTimer timer;
    timer.start();
    while (readAll(marker) != "hello" && timer.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_EQ(readAll(marker), "hello");

    EXPECT_FALSE(openWithDefaultApp(fromNative(tree.abs("missing.txt"))));
    EXPECT_FALSE(openWithDefaultApp(QString()));

    // The seam replaces the real launcher until it is cleared.
    QString asked;
    setLauncherSeam([&](const QString& p) {
        asked = p;
        return false;
    });
    EXPECT_FALSE(openWithDefaultApp(fromNative(document)));
    EXPECT_EQ(asked, fromNative(document));
    setLauncherSeam(nullptr);
}
