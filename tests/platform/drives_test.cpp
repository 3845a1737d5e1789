#include "platform/drives.h"
#include "platform/native_path.h"
#include "support/temp_tree.h"

#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {
QStringList roots(const std::vector<Drive>& drives) {
    QStringList out;
    for (const Drive& d : drives)
        out << d.root;
    return out;
}

// Clears the drive-list seam when a test ends, whatever happens in it.
struct SeamGuard {
    explicit SeamGuard(std::vector<Drive> drives) {
        setDriveListSeam([drives] { return drives; });
    }
    ~SeamGuard() { setDriveListSeam(nullptr); }
};

std::vector<Drive> drivesAt(const QStringList& list) {
    std::vector<Drive> out;
    for (const QString& r : list)
        out.push_back(Drive{r, "/dev/x", "ext4"});
    return out;
}

const char kSample[] =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw,size=123k\n"
    "25 24 0:23 / /dev/shm rw,relatime shared:3 - tmpfs tmpfs rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
    "28 27 0:25 / /run rw,nosuid shared:5 - tmpfs tmpfs rw,mode=755\n"
    "29 28 0:26 / /run/user/1000 rw shared:6 - tmpfs tmpfs rw\n"
    "30 27 0:27 / /tmp rw shared:7 - tmpfs tmpfs rw\n"
    "31 27 8:17 / /media/My\\040Disk\\011x rw shared:8 master:2 - vfat /dev/sdb\\0401 rw\n"
    "32 27 8:33 / /mnt/back\\134slash rw - ext4 /dev/sdc1 rw\n"
    "33 27 8:49 / /mnt/caf\xff rw - xfs /dev/sdd1 rw\n"
    "34 27 8:65 / /home rw - ext4 /dev/sde1 rw\n"
    "35 27 8:81 / /home rw - btrfs /dev/sdf1 rw\n"
    "36 27 8:97 / /mnt/hidden rw - ext4 /dev/sdg1 rw\n"
    "37 27 0:40 / /mnt/hidden rw - proc proc rw\n"
    "38 31 0:41 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "39 27 7:1 / /snap/core/123 ro - squashfs /dev/loop1 ro\n"
    "40 28 0:42 / /run/media/me/USB rw - exfat /dev/sdh1 rw\n"
    "garbage line\n"
    "41 27 0:43 / /broken rw no-separator-here ext4 /dev/x rw\n"
    "\n";
} // namespace

TEST(Drives, ParsesMountInfoWithEscapes) {
    const std::vector<Drive> mounts = parseMountInfo(QByteArray(kSample));
    ASSERT_EQ(mounts.size(), 18u);
    EXPECT_EQ(mounts[4].root, "/");
    EXPECT_EQ(mounts[4].device, "/dev/vda1");
    EXPECT_EQ(mounts[4].fsType, "ext4");
    EXPECT_EQ(mounts[4].mountId, 27u);
    EXPECT_EQ(mounts[4].fsRoot, "/");
    EXPECT_EQ(mounts[8].root, "/media/My Disk\tx");
    EXPECT_EQ(mounts[8].device, "/dev/sdb 1");
    EXPECT_EQ(mounts[9].root, "/mnt/back\\slash");
    EXPECT_EQ(toNative(mounts[10].root), QByteArray("/mnt/caf\xff"));
}

TEST(Drives, KeepsUserFileSystemsOnceInMountPointOrder) {
    const std::vector<Drive> drives = drivesFromMounts(parseMountInfo(QByteArray(kSample)));
    EXPECT_EQ(roots(drives),
              QStringList({"/", "/home", "/media/My Disk\tx", "/mnt/back\\slash",
                           fromNative("/mnt/caf\xff"), "/run/media/me/USB", "/tmp"}));
    // The later of two mounts on /home is the one in use.
    EXPECT_EQ(drives[1].fsType, "btrfs");

    // A container's overlay root is the user's file system.
    const std::vector<Drive> container =
        drivesFromMounts(parseMountInfo("1 0 0:50 / / rw - overlay overlay rw,lowerdir=/a\n"
                                        "2 1 0:51 / /proc rw - proc proc rw\n"));
    EXPECT_EQ(roots(container), QStringList({"/"}));
    EXPECT_TRUE(drivesFromMounts(parseMountInfo("")).empty());
}

TEST(Drives, FindsTheDriveHoldingAPath) {
    char resolved[PATH_MAX];
    ASSERT_TRUE(::realpath(std::getenv("HOME"), resolved));
    const QString home = fromNative(QByteArray(resolved));
    const QString parent = home.left(home.lastIndexOf('/'));

    // A root that only shares the leading characters ("/tmpx" for "/tmp") does not hold it.
    const std::vector<Drive> drives = drivesAt({"/", parent + "x", parent, "/elsewhere"});
    EXPECT_EQ(currentDriveIndex(drives), 2);
    EXPECT_EQ(currentDriveIndex(drivesAt({"/elsewhere"})), 0);
    EXPECT_EQ(currentDriveIndex({}), -1);

    SeamGuard seam(drivesAt({"/", "/a", "/a/b"}));
    EXPECT_EQ(roots(driveList()), QStringList({"/", "/a", "/a/b"}));
    EXPECT_EQ(driveOf("/a/b/c")->root, "/a/b");
    EXPECT_EQ(driveOf("/a/b")->root, "/a/b");
    EXPECT_EQ(driveOf("/ab/c")->root, "/");
    setDriveListSeam([] { return drivesAt({"/a"}); });
    EXPECT_FALSE(driveOf("/b"));
}

TEST(Drives, ReadsTheSystemsMountsAndSpace) {
    const std::vector<Drive> drives = driveList();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().root, "/");
    QStringList list = roots(drives);
    QStringList sorted = list;
    sorted.sort();
    EXPECT_EQ(list, sorted);
    EXPECT_FALSE(list.contains("/proc"));
    EXPECT_FALSE(list.contains("/dev/shm"));
    EXPECT_GE(currentDriveIndex(drives), 0);

    EXPECT_TRUE(driveReady("/"));
    TempTree tree;
    EXPECT_FALSE(driveReady(tree.path() + "/missing"));
    EXPECT_FALSE(driveReady(QString()));

    const auto g = diskGeometry("/");
    ASSERT_TRUE(g);
    EXPECT_GT(g->totalClusters, 0);
    EXPECT_GE(g->bytesPerCluster(), 512);
    EXPECT_LE(g->freeBytes(), g->totalBytes());
    EXPECT_FALSE(diskGeometry(tree.path() + "/missing"));
}

TEST(Drives, TellsMountPointsByExactPath) {
    TempTree tree;
    tree.dir("sub");
    EXPECT_TRUE(isMountPoint("/"));
    EXPECT_TRUE(isMountPoint("/proc"));
    EXPECT_TRUE(isMountPoint("/proc/"));
    EXPECT_FALSE(isMountPoint("/proc/self"));
    EXPECT_FALSE(isMountPoint(tree.path()));
    EXPECT_FALSE(isMountPoint(QString()));
    {
        SeamGuard seam(drivesAt({tree.path()}));
        EXPECT_TRUE(isMountPoint(tree.path() + "/"));
        EXPECT_FALSE(isMountPoint(tree.path() + "/sub"));
    }
    EXPECT_FALSE(isMountPoint(tree.path()));
}
