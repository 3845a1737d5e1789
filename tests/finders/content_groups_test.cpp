#include "finders/content_groups.h"
#include "platform/link_free_path.h"
#include "platform/unique_fd.h"
#include "support/temp_tree.h"

#include <QStringList>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Files of a temporary tree as a walk would list them: each path's record is its place in
// the list, its identity taken when it is added.
class Listed {
public:
    TempTree tree;

    void add(const QByteArray& rel) { addPath(tree.abs(rel), rel); }
    void addPath(const QByteArray& path, const QByteArray& shown) {
        QByteArray name;
        const UniqueFd parent(openParentLinkFree(path, name));
        EntryInfo info;
        ASSERT_TRUE(parent.fd >= 0 && statAt(parent.fd, name.constData(), info)) << shown.data();
        candidates.push_back({quint32(paths.size()), FileIdentity::of(info)});
        paths.push_back(path);
        shownNames.push_back(QString::fromLatin1(shown));
    }
    // Writes `bytes` at `rel` and lists it.
    void write(const QByteArray& rel, const QByteArray& bytes) {
        tree.write(rel, bytes);
        add(rel);
    }

    ContentGroups::Result group(int threads = 0) {
        engine.setThreads(threads);
        return engine.group(candidates, [this](quint32 record) { return paths[record]; });
    }

    // The groups ("size: names"), the other names of members ("member = name") and the
    // figures, one line each.
    std::string describe(const ContentGroups::Result& r) const {
        QStringList lines;
        for (const ContentGroups::Group& g : r.groups) {
            QString line = QString::number(g.size) + u':';
            for (quint32 m : g.members)
                line += u' ' + shownNames[m];
            lines << line;
        }
        for (const auto& [member, other] : r.otherNames)
            lines << shownNames[member] + QStringLiteral(" = ") + shownNames[other];
        lines << QStringLiteral("duplicates %1 freeable %2 changed %3 unreadable %4")
                     .arg(r.duplicates)
                     .arg(r.freeable)
                     .arg(r.changed)
                     .arg(r.unreadable);
        return lines.join(u'\n').toStdString();
    }

    ContentGroups engine;
    std::vector<ContentGroups::Candidate> candidates;
    std::vector<QByteArray> paths;
    QStringList shownNames;
};

// Bytes that differ from place to place, so that a hash of the wrong part cannot agree.
QByteArray pattern(qint64 size, quint32 seed = 0) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 1995 + seed;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    return bytes;
}

std::string joined(const QStringList& lines) {
    return lines.join(u'\n').toStdString();
}

void writeAt(const QByteArray& path, qint64 offset, char byte) {
    const UniqueFd fd(::open(path.constData(), O_WRONLY | O_CLOEXEC));
    ASSERT_EQ(::pwrite(fd.fd, &byte, 1, offset), 1) << path.data();
}

} // namespace

// Three files of each size: two the same, one differing in one byte at a place that each
// round must see (the ends, either side of the 4 KiB edges, the middle). Small files are
// hashed whole at once. Large ones are mostly holes: the same contents written out and left
// sparse are the same, and a byte in a hole or in the data differs. Any number of threads
// gives the same result.
TEST(ContentGroups, EqualSizesAreGroupedOnlyWithEqualContents) {
    constexpr qint64 kMiB = qint64(1) << 20;
    constexpr qint64 kBlock = 5000; // the data in the middle of a sparse file
    enum Layout { Written, Sparse, FirstWrittenOthersSparse };
    const struct {
        qint64 size;
        qint64 differsAt;
        Layout layout;
    } cases[] = {
        {1, 0, Written},
        {100, 99, Written},
        {4096, 4095, Written},
        {8192, 0, Written},
        {8192, 4096, Written},
        {8193, 4096, Written},
        {20000, 0, Written},
        {20000, 19999, Written},
        {20000, 4095, Written},
        {20000, 4096, Written},
        {20000, 4097, Written},
        {20000, 20000 - 4097, Written},
        {20000, 10000, Written},
        {3 * kMiB, kMiB, FirstWrittenOthersSparse},
        {3 * kMiB + 1, 3 * kMiB / 2, FirstWrittenOthersSparse},
        {1024 * kMiB, 512 * kMiB, Sparse},
    };
    Listed listed;
    QStringList expected;
    qint64 freeable = 0;
    quint32 seed = 0; // sizes repeat: each case has its own contents
    for (const auto& c : cases) {
        const QByteArray stem = QByteArray::number(c.size) + '.' + QByteArray::number(c.differsAt);
        ++seed;
        const qint64 blockAt = c.size / 2 - kBlock / 2;
        for (const char* suffix : {"a", "b", "c"}) {
            const QByteArray rel = stem + suffix;
            if (c.layout == Written) {
                listed.tree.write(rel, pattern(c.size, seed));
            } else if (c.layout == Sparse || *suffix != 'a') {
                listed.tree.file(rel, c.size);
                const UniqueFd fd(::open(listed.tree.abs(rel).constData(), O_WRONLY));
                ASSERT_EQ(::pwrite(fd.fd, pattern(kBlock, seed).constData(), kBlock, blockAt),
                          kBlock);
            } else {
                QByteArray bytes(c.size, '\0');
                bytes.replace(blockAt, kBlock, pattern(kBlock, seed));
                listed.tree.write(rel, bytes);
            }
        }
        writeAt(listed.tree.abs(stem + "c"), c.differsAt, '!');
        for (const char* suffix : {"c", "a", "b"})
            listed.add(stem + suffix);
        expected << QString::number(c.size) + QStringLiteral(": ") + stem + "a " + stem + 'b';
        freeable += c.size;
    }
    // Sizes that occur once, empty files and a single file with two names are no group.
    listed.write("once", "unique");
    listed.write("empty1", "");
    listed.write("empty2", "");
    listed.write("one file", "two names");
    ASSERT_EQ(::link(listed.tree.abs("one file").constData(),
                     listed.tree.abs("its other name").constData()),
              0);
    listed.add("its other name");
    std::stable_sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        return a.section(u':', 0, 0).toLongLong() > b.section(u':', 0, 0).toLongLong();
    });
    expected << QStringLiteral("duplicates %1 freeable %2 changed 0 unreadable 0")
                    .arg(std::size(cases))
                    .arg(freeable);
    for (int threads : {1, 4}) {
        const ContentGroups::Result r = listed.group(threads);
        EXPECT_EQ(listed.describe(r), joined(expected)) << threads << " threads";
        EXPECT_FALSE(r.aborted);
    }
}

// Names of one file are one member: its first listed name, the others told beside it. Space
// comes free only when every name of a file is listed, and the group keeps the member that
// would free the least.
TEST(ContentGroups, HardLinksAreOneFileAndFreeOnlyWhenEveryNameIsListed) {
    Listed listed;
    TempTree& t = listed.tree;
    t.dir("elsewhere");
    t.dir("sub");
    const auto link = [&](const char* from, const char* to) {
        ASSERT_EQ(::link(t.abs(from).constData(), t.abs(to).constData()), 0);
    };
    for (const char* name : {"x1", "x2"})
        t.write(name, pattern(50000));
    link("x1", "sub/x1 link");
    for (const char* name : {"y1", "y2"})
        t.write(name, pattern(400));
    link("y1", "elsewhere/y1"); // a name the walk did not list
    for (const char* name : {"w1", "w2"})
        t.write(name, pattern(300));
    link("w1", "elsewhere/w1");
    link("w2", "elsewhere/w2");
    t.write("z", pattern(200)); // one file under two names: no group
    link("z", "sub/z link");
    for (const char* name : {"v1", "v2"})
        t.write(name, pattern(100));
    link("v1", "sub/v1 link");
    for (const char* rel : {"sub/x1 link", "x2", "y1", "y2", "w1", "w2", "x1", "sub/z link", "z",
                            "v1", "sub/v1 link", "v2"})
        listed.add(rel);
    // Gone before it is read: its group drops, and with it the note of v1's other name.
    ASSERT_EQ(::unlink(t.abs("v2").constData()), 0);

    const QStringList expected = {
        "50000: sub/x1 link x2",
        "400: y1 y2",
        "300: w1 w2",
        "sub/x1 link = x1",
        "duplicates 3 freeable 50400 changed 1 unreadable 0",
    };
    EXPECT_EQ(listed.describe(listed.group()), joined(expected));
}

// A file that is not what the walk saw when it is read is left out of every group and
// counted; what took its place is never opened. Each size has two copies that stay as they
// were, so its group stays too.
TEST(ContentGroups, FilesChangedSinceTheWalkAreLeftOut) {
    Listed listed;
    TempTree& t = listed.tree;
    const auto truncateTo = [](const QByteArray& p, qint64 size) {
        ASSERT_EQ(::truncate(p.constData(), size), 0);
    };
    const auto replace = [](const QByteArray& p, const std::function<int()>& make) {
        ASSERT_EQ(::unlink(p.constData()), 0);
        ASSERT_EQ(make(), 0) << p.data();
    };
    using Change = std::function<void(const QByteArray& path, qint64 size)>;
    const struct {
        const char* name;
        Change change;
    } cases[] = {
        {"truncated", [&](const QByteArray& p, qint64) { truncateTo(p, 10); }},
        {"grown", [&](const QByteArray& p, qint64 size) { truncateTo(p, size + 1); }},
        {"edited",
         [](const QByteArray& p, qint64) {
             writeAt(p, 5, '!');
             const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
             ASSERT_EQ(::utimensat(AT_FDCWD, p.constData(), times, 0), 0);
         }},
        {"replaced",
         [&](const QByteArray& p, qint64 size) {
             const QByteArray copy = p + ".new";
             t.write(copy.mid(t.nativePath().size() + 1), pattern(size));
             ASSERT_EQ(::rename(copy.constData(), p.constData()), 0);
         }},
        {"fifo", [&](const QByteArray& p,
                     qint64) { replace(p, [&] { return ::mkfifo(p.constData(), 0600); }); }},
        {"symbolic link",
         [&](const QByteArray& p, qint64) {
             replace(p, [&] { return ::symlink("../a", p.constData()); });
         }},
        {"deleted", [](const QByteArray& p, qint64) { ASSERT_EQ(::unlink(p.constData()), 0); }},
        {"folder moved, link in its place",
         [](const QByteArray& p, qint64) {
             const QByteArray folder = p.left(p.lastIndexOf('/'));
             ASSERT_EQ(::rename(folder.constData(), (folder + " moved").constData()), 0);
             ASSERT_EQ(::symlink((folder + " moved").constData(), folder.constData()), 0);
         }},
    };
    QStringList expected;
    qint64 size = 0, freeable = 0;
    for (const auto& c : cases) {
        const QByteArray dir = QByteArray(c.name) + '/';
        size += 10000; // past the ends' 4 KiB, so that every round reads
        for (const char* name : {"a", "b", "inner/c"})
            listed.write(dir + name, pattern(size));
        expected.prepend(QString::number(size) + QStringLiteral(": ") + dir + "a " + dir + 'b');
        freeable += size;
    }
    size = 0;
    for (const auto& c : cases)
        c.change(listed.tree.abs(QByteArray(c.name) + "/inner/c"), size += 10000);
    expected << QStringLiteral("duplicates %1 freeable %2 changed %1 unreadable 0")
                    .arg(std::size(cases))
                    .arg(freeable);
    EXPECT_EQ(listed.describe(listed.group()), joined(expected));
}

// Names are the kernel's bytes, whatever they hold, and a path may be longer than PATH_MAX.
TEST(ContentGroups, NamesOfAnyBytesAndPathsOfAnyLength) {
    Listed listed;
    constexpr qint64 kSize = 100000; // sparse: zeros
    const QByteArray deep = listed.tree.deepFile("deep", 24, 200, kSize);
    ASSERT_GT(deep.size(), 4096);
    listed.addPath(deep, "deep");
    for (const QByteArray& rel :
         {QByteArray("not utf-8 \xff\xfe"), QByteArray("tab\there"), QByteArray("new\nline")}) {
        listed.tree.file(rel, kSize);
        listed.add(rel);
    }
    const QStringList expected = {
        QStringLiteral("100000: deep ") + listed.shownNames.mid(1).join(u' '),
        "duplicates 3 freeable 300000 changed 0 unreadable 0",
    };
    EXPECT_EQ(listed.describe(listed.group()), joined(expected));
}

namespace {
// Takes from this process the power to read and search any file whatever its mode, which root
// has; true when done.
bool dropReadOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH);
    return ::syscall(SYS_capset, &header, data) == 0;
}
} // namespace

TEST(ContentGroups, UnreadableFilesAreLeftOutAndCounted) {
    Listed listed;
    for (const char* name : {"a", "b", "locked", "small a", "small b", "small locked"})
        listed.write(name, pattern(QByteArray(name).startsWith("small") ? 100 : 9000));
    for (const char* name : {"locked", "small locked"})
        ASSERT_EQ(::chmod(listed.tree.abs(name).constData(), 0), 0);
    const QStringList expected = {
        "9000: a b",
        "100: small a small b",
        "duplicates 2 freeable 9100 changed 0 unreadable 2",
    };
    // Root reads every file whatever its mode: the grouping runs in a child process without
    // that power (on one thread: the child of a threaded process).
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && !dropReadOverride())
            ::_exit(2);
        const std::string got = listed.describe(listed.group(1));
        if (got != joined(expected))
            std::fprintf(stderr, "%s\n", got.c_str());
        ::_exit(got == joined(expected) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// An abort stops the whole-file reading between two reads and drops what was found; once
// cleared, the same engine groups again.
TEST(ContentGroups, AbortEndsTheReadingAndDropsWhatWasFound) {
    constexpr qint64 kSize = qint64(1) << 30;
    Listed listed;
    for (const char* name : {"a", "b"}) {
        listed.tree.file(name, kSize);
        listed.add(name);
    }
    int asked = 0;
    // The third path asked for is round 3's first.
    const auto abortingPath = [&](quint32 record) {
        if (++asked == 3)
            listed.engine.abort();
        return listed.paths[record];
    };
    listed.engine.setThreads(1);
    ContentGroups::Result r = listed.engine.group(listed.candidates, abortingPath);
    EXPECT_TRUE(r.aborted);
    EXPECT_TRUE(r.groups.empty());
    EXPECT_LT(listed.engine.bytesRead(), kSize);

    listed.engine.clearAbort();
    r = listed.group(1);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(r.groups.size(), 1u);
    EXPECT_EQ(listed.engine.bytesRead(), 2 * kSize + 4 * 4096);
}

// Each round reads only what the one before left: files whose ends differ are not read
// through, files of 8 KiB or less are read once.
TEST(ContentGroups, RoundsReadOnlyWhatTheyNeed) {
    const struct {
        qint64 size;
        qint64 differsAt; // -1: the same
        qint64 bytesRead;
    } cases[] = {
        {100000, 0, 4 * 4096},
        {100000, 99999, 4 * 4096},
        {100000, 50000, 4 * 4096 + 2 * 100000},
        {100000, -1, 4 * 4096 + 2 * 100000},
        {8000, 7999, 2 * 8000},
        {8000, -1, 2 * 8000},
    };
    for (const auto& c : cases) {
        Listed listed;
        QByteArray bytes = pattern(c.size);
        listed.write("a", bytes);
        if (c.differsAt >= 0)
            bytes[c.differsAt] = '!';
        listed.write("b", bytes);
        listed.group();
        EXPECT_EQ(listed.engine.bytesRead(), c.bytesRead) << c.size << " " << c.differsAt;
    }
}
