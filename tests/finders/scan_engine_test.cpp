#include "finders/scan_engine.h"
#include "platform/native_path.h"
#include "support/temp_tree.h"

#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <map>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Records what a walk reports, as "enter <path>", "files <path>" and "file <path>/<name>".
class RecordingSink : public ScanSink {
public:
    QStringList events;
    QStringList files; // full paths
    std::map<QString, unsigned> attributes;
    std::map<QString, int> index;
    QStringList notEntered;

    void enterFolder(const QByteArray& path, int) override {
        events << QStringLiteral("enter ") + fromNative(path);
    }
    void folderNotEntered(const QByteArray& parent, const char* name, int) override {
        notEntered << fromNative(parent) + u'/' + QString::fromUtf8(name);
    }
    void folderFiles(const QByteArray& path) override {
        folder_ = fromNative(path);
        events << QStringLiteral("files ") + folder_;
    }
    void file(const ScanFile& f) override {
        const QString p = folder_ + u'/' + fromNative(f.name, f.nameLength);
        events << QStringLiteral("file ") + p;
        files << p;
        attributes[p] = f.attributes;
        index[p] = f.indexInFolder;
    }

private:
    QString folder_;
};

class ScanEngineTest : public ::testing::Test {
protected:
    QString p(const TempTree& t, const char* rel) { return t.path() + u'/' + QLatin1String(rel); }
};

// Runs `work` in a child process and gives back its exit code (-1 when it died) and what it
// wrote. The output is read before the child is waited for, so it may exceed a pipe's buffer.
std::pair<int, QByteArray> childOutput(const std::function<int(int fd)>& work) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {-1, {}};
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        _exit(work(fds[1]));
    }
    ::close(fds[1]);
    QByteArray out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, n);
    ::close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// Walks `root` and writes the listed files, one per line, sorted, with their attributes.
int writeListing(int fd, const QString& root) {
    RecordingSink sink;
    ScanEngine engine;
    engine.setSink(&sink);
    engine.setFileMask(kAnyFileMask);
    if (!engine.walk(root))
        return 4;
    QStringList lines;
    for (const QString& f : sink.files)
        lines << f + u' ' + QString::number(sink.attributes[f]);
    lines.sort();
    const QByteArray out = lines.join(u'\n').toUtf8();
    return ::write(fd, out.constData(), size_t(out.size())) == out.size() ? 0 : 5;
}

// Makes statx fail with EPERM in this process, as some sandboxes do. (For ENOSYS the C
// library stands in with fstatat itself.)
bool refuseStatx() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_statx, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{sizeof filter / sizeof filter[0], filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Lets uid 65534 through every folder from / down to `path`.
// Lets every user reach `path`: folders on the way that others cannot read or enter get those
// bits added; nothing is taken away (the shared /tmp keeps its sticky, world-writable mode).
void openUpTo(const QByteArray& path) {
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != '/')
            continue;
        const QByteArray folder = path.left(i);
        struct stat st;
        if (::stat(folder.constData(), &st) == 0 && (st.st_mode & 0055) != 0055)
            ::chmod(folder.constData(), (st.st_mode & 07777) | 0055);
    }
}

} // namespace

TEST_F(ScanEngineTest, SubfoldersComeBeforeFilesAndMasksHold) {
    TempTree t;
    t.file("top.txt", 10);
    t.file("a/one.txt", 20);
    t.file("a/deep/two.txt", 30);
    t.file("b/three.TXT", 40);
    t.file(".hidden/inside.txt");
    t.file("a/.dotfile.txt");
    t.file("readonly.txt", 5);
    ::chmod(t.abs("readonly.txt").constData(), 0444);
    t.symlink("linkdir", "a");
    t.symlink("linkfile.txt", "top.txt");
    ::mkfifo(t.abs("pipe.txt").constData(), 0644);
    t.dir("emptydir");

    RecordingSink sink;
    ScanEngine engine;
    engine.setSink(&sink);
    ASSERT_TRUE(engine.walk(t.path() + u'/'));

    QStringList sorted = sink.files;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{p(t, "a/deep/two.txt"), p(t, "a/one.txt"), p(t, "b/three.TXT"),
                                   p(t, "readonly.txt"), p(t, "top.txt")}));

    // Everything below a folder is reported before the folder's own files.
    const auto at = [&](const QString& e) { return sink.events.indexOf(e); };
    EXPECT_LT(at("file " + p(t, "a/deep/two.txt")), at("files " + p(t, "a")));
    EXPECT_LT(at("file " + p(t, "a/one.txt")), at("files " + t.path()));
    EXPECT_LT(at("file " + p(t, "b/three.TXT")), at("files " + t.path()));
    EXPECT_EQ(sink.events.first(), "enter " + t.path());
    // The root's own files come last of all.
    EXPECT_EQ(sink.events.last(), "file " + sink.files.last());
    EXPECT_TRUE(sink.files.last() == p(t, "top.txt") || sink.files.last() == p(t, "readonly.txt"));
    // An empty folder is still visited and asked for its files.
    EXPECT_GE(at("files " + p(t, "emptydir")), 0);
    // Neither the hidden folder nor the link to a folder is entered.
    EXPECT_EQ(at("enter " + p(t, ".hidden")), -1);
    EXPECT_EQ(at("enter " + p(t, "linkdir")), -1);
    EXPECT_TRUE(sink.notEntered.contains(p(t, ".hidden")));

    EXPECT_TRUE(sink.attributes[p(t, "readonly.txt")] & faReadOnly);
    EXPECT_TRUE(sink.attributes[p(t, "top.txt")] & faArchive);
    EXPECT_FALSE(sink.attributes[p(t, "top.txt")] & faReadOnly);
    // The root folder's files are numbered in the order the search returned them.
    std::vector<int> rootIndexes{sink.index[p(t, "top.txt")], sink.index[p(t, "readonly.txt")]};
    std::sort(rootIndexes.begin(), rootIndexes.end());
    EXPECT_EQ(rootIndexes, (std::vector<int>{0, 1}));
}

TEST_F(ScanEngineTest, PatternAndMaskChooseTheFiles) {
    TempTree t;
    t.file("a.txt");
    t.file("B.TXT");
    t.file("c.doc");
    t.file("noext");
    t.file(".hidden.txt");
    t.symlink("link.txt", "a.txt");

    RecordingSink sink;
    ScanEngine engine;
    engine.setSink(&sink);
    engine.setPattern("*.txt");
    ASSERT_TRUE(engine.walk(t.path()));
    sink.files.sort();
    EXPECT_EQ(sink.files, (QStringList{p(t, "B.TXT"), p(t, "a.txt")}));

    // "*.*" takes names without a dot too; the mask with hidden and system lists all files.
    RecordingSink all;
    engine.setSink(&all);
    engine.setPattern("*.*");
    engine.setFileMask(kAnyFileMask);
    ASSERT_TRUE(engine.walk(t.path()));
    EXPECT_EQ(all.files.size(), 6);
    EXPECT_TRUE(all.attributes[p(t, "link.txt")] & faSysFile);
    EXPECT_TRUE(all.attributes[p(t, ".hidden.txt")] & faHidden);
}

TEST_F(ScanEngineTest, MissingRootIsReported) {
    TempTree t;
    t.file("plain");
    ScanEngine engine;
    RecordingSink sink;
    engine.setSink(&sink);
    EXPECT_FALSE(engine.walk(t.path() + "/nothere"));
    EXPECT_FALSE(engine.walk(p(t, "plain")));
    EXPECT_FALSE(engine.walk(QString()));
    EXPECT_TRUE(sink.events.isEmpty());
}

TEST_F(ScanEngineTest, UnreadableFoldersAreSkippedAndTold) {
    TempTree t;
    t.file("before/a.txt");
    t.file("before/shut/x.txt");
    t.file("locked/secret.txt");
    t.file("locked/inner/deeper.txt");
    t.file(".hidden/h.txt");
    t.file("after/b.txt");
    t.file("top.txt");
    openUpTo(t.nativePath());
    ::chmod(t.abs("locked").constData(), 0);
    ::chmod(t.abs("before/shut").constData(), 0);
    ::chmod(t.abs(".hidden").constData(), 0); // never opened, so never told

    // Root ignores permission bits, so the walk runs as an unprivileged user in a child.
    QByteArray told[2];
    for (const int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        const auto [code, out] = childOutput([&](int fd) {
            if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)
                return 3;
            RecordingSink sink;
            ScanEngine engine;
            engine.setSink(&sink);
            engine.setThreads(threads);
            if (!engine.walk(t.path()))
                return 4;
            QByteArray out = sink.files.join(u'\n').toUtf8() + "\n--\n";
            for (const ScanEngine::UnreadFolder& u : engine.unreadFolders())
                out += u.path + ' ' + QByteArray::number(u.error) + '\n';
            return ::write(fd, out.constData(), size_t(out.size())) == out.size() ? 0 : 5;
        });
        ASSERT_EQ(code, 0);
        const qsizetype cut = out.indexOf("\n--\n");
        QStringList files = QString::fromUtf8(out.left(cut)).split(u'\n');
        files.sort();
        EXPECT_EQ(files, (QStringList{p(t, "after/b.txt"), p(t, "before/a.txt"), p(t, "top.txt")}));
        told[threads - 1] = out.mid(cut + 4).trimmed();
        QList<QByteArray> lines = told[threads - 1].split('\n');
        std::sort(lines.begin(), lines.end());
        const QByteArray denied = ' ' + QByteArray::number(EACCES);
        EXPECT_EQ(lines,
                  (QList<QByteArray>{t.abs("before/shut") + denied, t.abs("locked") + denied}));
    }
    EXPECT_EQ(told[0], told[1]); // the same list in the same order
}

TEST_F(ScanEngineTest, FilesThatVanishOrAreRenamedMidWalkAreSkipped) {
    TempTree t;
    t.file("sub/one.txt");
    t.file("sub/two.txt");
    t.file("victim.txt");
    t.file("moved.txt");
    t.file("stays.txt");

    // The root's entries are read before its subfolder is walked and its files are read
    // afterwards; the subfolder is entered in between. One thread keeps that order in time.
    bool done = false;
    RecordingSink sink;
    ScanEngine engine;
    engine.setThreads(1);
    engine.setFolderHook([&](const QByteArray& path) {
        if (done || !path.endsWith("/sub"))
            return;
        done = true;
        ::unlink(t.abs("victim.txt").constData());
        ::rename(t.abs("moved.txt").constData(), t.abs("renamed.txt").constData());
    });
    engine.setSink(&sink);
    ASSERT_TRUE(engine.walk(t.path()));
    ASSERT_TRUE(done);
    sink.files.sort();
    EXPECT_EQ(sink.files,
              (QStringList{p(t, "stays.txt"), p(t, "sub/one.txt"), p(t, "sub/two.txt")}));
}

TEST_F(ScanEngineTest, SymbolicLinkLoopsAreNotFollowed) {
    TempTree t;
    t.file("a/real.txt");
    t.symlink("a/up", "..");
    t.symlink("a/self", "self");
    t.symlink("a/loop", "../a");
    RecordingSink sink;
    ScanEngine engine;
    engine.setSink(&sink);
    ASSERT_TRUE(engine.walk(t.path()));
    EXPECT_EQ(sink.files, QStringList{p(t, "a/real.txt")});
    EXPECT_EQ(sink.events.filter(QStringLiteral("enter ")).size(), 2);
}

TEST_F(ScanEngineTest, AnotherFileSystemMountedInsideIsNotEntered) {
    TempTree t;
    t.file("outside.txt");
    t.dir("mnt");
    t.file("real/bound.txt");
    t.dir("bind");
    // A private mount namespace in a child, so the mount is gone when the child ends.
    const auto [code, out] = childOutput([&](int fd) {
        if (unshare(CLONE_NEWNS) != 0)
            return 77;
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return 77;
        if (mount("zelkova-test", t.abs("mnt").constData(), "tmpfs", 0, "size=1m") != 0)
            return 77;
        // A bind mount of the same file system is a mount of its own too.
        if (mount(t.abs("real").constData(), t.abs("bind").constData(), nullptr, MS_BIND,
                  nullptr) != 0)
            return 77;
        TempTree* tree = &t;
        tree->file("mnt/inside.txt");
        RecordingSink sink;
        ScanEngine engine;
        engine.setSink(&sink);
        if (!engine.walk(t.path()))
            return 4;
        // The mounted file system is walked when it is a drive of its own.
        RecordingSink inner;
        engine.setSink(&inner);
        if (!engine.walk(p(t, "mnt")))
            return 5;
        const QByteArray out = (sink.files + QStringList{"--"} + inner.files).join(u'\n').toUtf8();
        return ::write(fd, out.constData(), size_t(out.size())) == out.size() ? 0 : 6;
    });
    if (code == 77)
        GTEST_SKIP() << "mounting a tmpfs in a private mount namespace is not permitted here";
    ASSERT_EQ(code, 0);
    EXPECT_EQ(
        QString::fromUtf8(out).split(u'\n'),
        (QStringList{p(t, "real/bound.txt"), p(t, "outside.txt"), "--", p(t, "mnt/inside.txt")}));
}

TEST_F(ScanEngineTest, AbortEndsTheWalkAndANewWalkAfterwardsFindsEverything) {
    TempTree t;
    for (int d = 0; d < 5; ++d)
        for (int f = 0; f < 4; ++f)
            t.file(QByteArray("d") + QByteArray::number(d) + "/f" + QByteArray::number(f));
    for (const int threads : {1, 2, 4}) {
        SCOPED_TRACE(threads);
        std::atomic<int> entered = 0;
        RecordingSink sink;
        ScanEngine engine;
        engine.setThreads(threads);
        engine.setFolderHook([&](const QByteArray&) {
            if (++entered == 3)
                engine.abort();
        });
        engine.setSink(&sink);
        ASSERT_TRUE(engine.walk(t.path()));
        EXPECT_TRUE(engine.aborted());
        EXPECT_LT(sink.files.size(), 20);

        // A walk started with the flag set does nothing.
        RecordingSink none;
        engine.setSink(&none);
        ASSERT_TRUE(engine.walk(t.path()));
        EXPECT_TRUE(none.events.isEmpty());

        RecordingSink all;
        engine.setSink(&all);
        engine.setFolderHook({});
        engine.clearAbort();
        ASSERT_TRUE(engine.walk(t.path()));
        EXPECT_EQ(all.files.size(), 20);
    }
}

TEST_F(ScanEngineTest, ProgressCountsTheFilesHandedOver) {
    TempTree t;
    t.file("x/a", 100);
    t.file("x/b", 20);
    t.file("c", 3);
    ScanEngine engine;
    RecordingSink sink;
    engine.setSink(&sink);
    ASSERT_TRUE(engine.walk(t.path()));
    const ScanEngine::Progress p = engine.progress();
    EXPECT_EQ(p.files, 3);
    EXPECT_EQ(p.bytes, 123);
    EXPECT_TRUE(p.folder.startsWith(t.nativePath()));
    engine.resetProgress();
    EXPECT_EQ(engine.progress().files, 0);
}

TEST_F(ScanEngineTest, NamesThatAreNotTextArePassedAsBytes) {
    TempTree t;
    const QByteArray odd("tab\there\nnl\xff.txt");
    t.file(odd, 7);
    RecordingSink sink;
    ScanEngine engine;
    engine.setSink(&sink);
    ASSERT_TRUE(engine.walk(t.path()));
    ASSERT_EQ(sink.files.size(), 1);
    EXPECT_EQ(toNative(sink.files.first()), t.abs(odd));
    ::unlink(t.abs(odd).constData()); // the temporary folder's own clean-up cannot name it
}

TEST_F(ScanEngineTest, DeepTreeUnderALowDescriptorLimitListsEveryFile) {
    TempTree t;
    QByteArray rel;
    for (int d = 0; d < 300; ++d) {
        rel += "d/";
        t.file(rel + "f" + QByteArray::number(d));
    }
    const auto [code, out] = childOutput([&](int fd) {
        rlimit limit;
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = 64;
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return 3;
        return writeListing(fd, t.path());
    });
    ASSERT_EQ(code, 0);
    EXPECT_EQ(out.count('\n') + 1, 300);
}

TEST_F(ScanEngineTest, WalksAndMapsTheSameWhereStatxIsRefused) {
    TempTree t;
    t.file("top.txt", 3);
    t.file(".hidden", 1);
    t.file("sub/deeper/inner.txt", 5);
    ::chmod(t.file("sub/readonly").constData(), 0444);
    t.symlink("sub/link", "../top.txt");
    const auto [normalCode, normal] =
        childOutput([&](int fd) { return writeListing(fd, t.path()); });
    const auto [code, refused] = childOutput([&](int fd) {
        if (!refuseStatx())
            return 77;
        struct statx sx;
        if (::statx(AT_FDCWD, "/", 0, STATX_TYPE, &sx) == 0 || errno != EPERM)
            return 78;
        return writeListing(fd, t.path());
    });
    if (code == 77)
        GTEST_SKIP() << "no system-call filter here";
    ASSERT_EQ(normalCode, 0);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(normal.count('\n') + 1, 5);
    EXPECT_EQ(refused, normal);
}
