#include "finders/scan_engine.h"
#include "platform/dir_walk.h"
#include "support/temp_tree.h"

#include <QStringList>
#include <atomic>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Every call a walk makes, with every figure, as one line each.
class CallLog : public ScanSink {
public:
    QList<QByteArray> calls;
    void enterFolder(const QByteArray& path, int depth) override {
        calls << "enter " + QByteArray::number(depth) + ' ' + path;
    }
    void folderNotEntered(const QByteArray& parent, const char* name, int error) override {
        calls << "skip " + parent + '/' + name + ' ' + QByteArray::number(error);
    }
    void folderFiles(const QByteArray& path) override { calls << "files " + path; }
    void file(const ScanFile& f) override {
        calls << "file " + QByteArray(f.name, f.nameLength) + ' ' + QByteArray::number(f.size) +
                     ' ' + QByteArray::number(f.attributes) + ' ' +
                     QByteArray::number(f.writeTime) + ' ' + QByteArray::number(f.indexInFolder) +
                     ' ' + QByteArray::number(f.identity.inode) + ' ' +
                     QByteArray::number(f.identity.links) + ' ' +
                     QByteArray::number(f.identity.writeNanos);
    }
    void leaveFolder(const QByteArray& path, int depth) override {
        calls << "leave " + QByteArray::number(depth) + ' ' + path;
    }
};

QList<QByteArray> walkWith(const QString& root, int threads, int budget = 0) {
    CallLog log;
    ScanEngine engine;
    engine.setThreads(threads);
    engine.setDescriptorBudget(budget);
    engine.setFileMask(kAnyFileMask);
    engine.setSink(&log);
    EXPECT_TRUE(engine.walk(root));
    return log.calls;
}

QByteArray num(int n) {
    return QByteArray::number(n);
}

// Trees of the shapes that stress sharing a walk between threads.
void deepChains(TempTree& t) {
    for (int chain = 0; chain < 3; ++chain) {
        QByteArray rel = "chain" + num(chain);
        for (int level = 0; level < 200; ++level) {
            rel += "/l" + num(level);
            t.file(rel + "/f", level);
            if (level % 50 == 0)
                t.file(rel + "/side/g", 1);
        }
    }
}

void oneBigFolder(TempTree& t) {
    const int folder = ::open(t.dir("big").constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < 100000; ++i)
        ::close(::openat(folder, ("f" + num(i)).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    ::close(folder);
    t.file("small/a", 1);
}

void manySmallFolders(TempTree& t) {
    for (int a = 0; a < 40; ++a)
        for (int b = 0; b < 40; ++b)
            for (int f = 0; f < 3; ++f)
                t.file("a" + num(a) + "/b" + num(b) + "/f" + num(f), a * b + f);
}

void oddNames(TempTree& t) {
    t.file("tab\there/new\nline", 3);
    t.file("bytes\xff\xfe/\x80name", 4);
    t.file(".hidden/inside", 5);
    t.file("plain/.hiddenfile", 6);
    t.symlink("plain/up", "..");
    t.symlink("plain/loop", "../plain");
    t.symlink("dangling", "nowhere");
    t.dir("empty");
    ::chmod(t.dir("locked").constData(), 0);
}

} // namespace

TEST(ParallelWalkTest, EveryThreadCountMakesTheSameCallsInTheSameOrder) {
    const std::pair<const char*, std::function<void(TempTree&)>> shapes[] = {
        {"deep chains", deepChains},
        {"one folder of 100,000 files", oneBigFolder},
        {"many small folders", manySmallFolders},
        {"odd names", oddNames},
    };
    for (const auto& [shape, make] : shapes) {
        SCOPED_TRACE(shape);
        TempTree t;
        make(t);
        const QList<QByteArray> one = walkWith(t.path(), 1);
        ASSERT_GT(one.size(), 3);
        for (const int threads : {2, 3, 8})
            EXPECT_EQ(walkWith(t.path(), threads), one) << threads << " threads";
        ::chmod(t.abs("locked").constData(), 0700);
    }
}

// 1,500 levels on each of eight branches, walked by every thread at once, while the whole
// program may hold no more than 1,024 descriptors: the walk must list every file.
TEST(ParallelWalkTest, DeepBranchesUnderADescriptorLimitUseEveryThread) {
    TempTree t;
    constexpr int kBranches = 8;
    for (int b = 0; b < kBranches; ++b)
        t.deepFile("b" + num(b), 1500, 1, b);
    const QList<QByteArray> one = walkWith(t.path(), 1);
    const pid_t pid = fork();
    if (pid == 0) {
        rlimit limit;
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = 1024;
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            _exit(3);
        std::mutex mutex;
        std::set<std::thread::id> walkers;
        CallLog log;
        ScanEngine engine;
        engine.setThreads(4);
        engine.setFileMask(kAnyFileMask);
        engine.setSink(&log);
        engine.setFolderHook([&](const QByteArray&) {
            const std::lock_guard lock(mutex);
            walkers.insert(std::this_thread::get_id());
        });
        if (!engine.walk(t.path()))
            _exit(4);
        _exit(log.calls == one ? (walkers.size() == 4 ? 0 : 5) : 6);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: no limit, 4: root, 5: a thread idle, 6: calls differ";
}

// Another thread removes folders, renames them and swaps folders for links while the walk
// runs. Whatever it finds, the walk ends, calls the sink in balanced pairs, and lists only
// files that were in the tree.
TEST(ParallelWalkTest, ATreeChangedDuringTheWalkIsWalkedSafely) {
    TempTree t;
    for (int a = 0; a < 30; ++a)
        for (int b = 0; b < 10; ++b)
            t.file("a" + num(a) + "/b" + num(b) + "/f", 1);
    std::atomic<bool> stop = false;
    std::thread changer([&] {
        for (int round = 0; !stop; ++round) {
            const QByteArray a = t.abs("a" + num(round % 30));
            const QByteArray moved = a + "x";
            ::rename(a.constData(), moved.constData());
            ::symlink(moved.constData(), a.constData());
            ::unlink(a.constData());
            ::rename(moved.constData(), a.constData());
            removeTree(a + "/b" + num(round % 10));
        }
    });
    for (int i = 0; i < 20; ++i) {
        CallLog log;
        ScanEngine engine;
        engine.setThreads(1 + i % 4);
        engine.setSink(&log);
        ASSERT_TRUE(engine.walk(t.path()));
        int open = 0;
        for (const QByteArray& call : log.calls) {
            open += call.startsWith("enter ") - call.startsWith("leave ");
            ASSERT_GE(open, 0);
            if (call.startsWith("file ")) {
                EXPECT_TRUE(call.startsWith("file f "));
            }
        }
        EXPECT_EQ(open, 0);
    }
    stop = true;
    changer.join();
}

// A sink that stops the walk (a record limit) gets no file after that, whatever the threads
// had found already, and every folder it was told of is closed again.
TEST(ParallelWalkTest, ASinkThatAbortsGetsNoFurtherFile) {
    TempTree t;
    manySmallFolders(t);
    struct Limited : CallLog {
        ScanEngine* engine = nullptr;
        int files = 0;
        void file(const ScanFile& f) override {
            CallLog::file(f);
            if (++files == 7)
                engine->abort();
        }
    };
    for (const int threads : {1, 2, 4}) {
        SCOPED_TRACE(threads);
        Limited sink;
        ScanEngine engine;
        sink.engine = &engine;
        engine.setThreads(threads);
        engine.setSink(&sink);
        ASSERT_TRUE(engine.walk(t.path()));
        EXPECT_EQ(sink.files, 7);
        int open = 0;
        for (const QByteArray& call : sink.calls)
            open += call.startsWith("enter ") - call.startsWith("leave ");
        EXPECT_EQ(open, 0);
    }
}
