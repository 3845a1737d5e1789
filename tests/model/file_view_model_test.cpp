#include "model/file_search.h"
#include "model/file_view_model.h"
#include "model/line_index.h"
#include "platform/native_path.h"
#include "support/temp_tree.h"

#include <QByteArray>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
QStringList allLines(FileViewModel& view) {
    view.countAll();
    QStringList lines;
    for (std::int64_t i = 0; i < view.lineCount().value(); ++i)
        lines << view.lineText(i);
    return lines;
}
} // namespace

TEST(FileViewModel, TextLines) {
    const QString longLine(1023, u'x');
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"one\ntwo", {"one", "two"}},               // no final LF
        {"one\r\ntwo\r\n", {"one", "two"}},         // CR before LF dropped
        {"a\rb\r", {"a.b."}},                       // CR alone ends nothing
        {"\n\n", {"", ""}},                         // empty lines
        {QByteArray("a\0b\x01\x7f", 5), {"a b.."}}, // NUL blank, control bytes and DEL dots
        {"a\tb\n12345678\tc", {"a       b", "12345678        c"}},
        {"\xc3\xa9t\xc3\n\xed\xa0\x80", {"\u00e9t.", "..."}}, // cut and surrogate bytes
        {QByteArray(5000, 'x') + "\nend", {longLine, "end"}},
    };
    for (const auto& c : cases) {
        TempTree tree;
        FileViewModel view;
        ASSERT_TRUE(view.open(QString::fromUtf8(tree.write("f", c.bytes))).isEmpty());
        EXPECT_EQ(allLines(view), c.lines) << c.bytes.left(40).toStdString();
        QStringList inOrder;
        view.forEachLine(1, 99, [&](std::int64_t, const QString& line) { inOrder << line; });
        EXPECT_EQ(inOrder, c.lines.mid(1)) << c.bytes.left(40).toStdString();
    }
}

TEST(FileViewModel, TabsFollowSizeAndSwitch) {
    TempTree tree;
    FileViewModel view;
    ASSERT_TRUE(view.open(QString::fromUtf8(tree.write("f", "ab\tc\t"))).isEmpty());
    view.setTabSize(0); // ignored
    view.setTabSize(3);
    EXPECT_EQ(view.lineText(0), "ab c  ");
    view.setExpandTabs(false);
    EXPECT_EQ(view.lineText(0), "ab.c.");
}

// Where a match shows: its line, and its column after tabs and multi-byte characters.
TEST(FileViewModel, PositionOfOffset) {
    TempTree tree;
    FileViewModel view;
    const QByteArray bytes = "x\n\xc3\xa9\t\xf0\x9f\x98\x80z\r\nlast";
    ASSERT_TRUE(view.open(QString::fromUtf8(tree.write("f", bytes))).isEmpty());
    const auto at = [&](const char* text) { return bytes.indexOf(text); };
    EXPECT_EQ(view.positionOf(at("z")), (FileViewModel::Position{1, 9}));
    EXPECT_EQ(view.positionOf(at("last")), (FileViewModel::Position{2, 0}));
    EXPECT_FALSE(view.positionOf(bytes.size()).has_value());
    view.setHexMode(true);
    EXPECT_EQ(view.positionOf(12), (FileViewModel::Position{0, 10 + 3 * 12}));
    view.setHexMode(false);
    view.setExpandTabs(false);
    EXPECT_EQ(view.positionOf(at("z")), (FileViewModel::Position{1, 3}));
}

// Tiny strides, keep distances and budgets make every kept start and every step edge come up;
// each line start and each offset's line must match a plain split of the bytes, with long
// lines and with the holes of a sparse file.
TEST(LineIndex, MatchesPlainSplitWhileCountingInSteps) {
    QByteArray text;
    for (int i = 0; i < 3000; ++i)
        text += QByteArray(i % 7, 'a' + i % 26) + "\n";
    text += QByteArray(5000, 'L') + "\n" + QByteArray(300, 'M') + "\n" + QByteArray(70000, 'N');
    text += "\ntail";
    QByteArray holes(3 << 20, '\0');
    holes.replace(0, 3, "a\nb");
    holes.replace((1 << 20) + 100, 5, "x\n\ny\n");
    holes.replace(holes.size() - 5, 5, "\nlast");
    const struct {
        const QByteArray& bytes;
        bool sparse;
        std::int64_t budget, stride, keepBytes;
    } cases[] = {
        {text, false, 7, 3, 100},          {text, false, 1 << 30, 3, 1 << 20},
        {text, false, 1 << 30, 1024, 100}, {text, false, 1 << 30, 1024, 1 << 20},
        {holes, true, 5000, 2, 64},        {holes, true, 1 << 30, 1024, 1 << 20},
    };
    for (const auto& c : cases) {
        TempTree tree;
        const QByteArray path = tree.file("f", c.bytes.size());
        const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
        // Sparse: only the bytes that are not NUL are written, the rest stays a hole.
        for (qsizetype i = 0; i < c.bytes.size(); ++i) {
            if (!c.sparse) {
                ASSERT_EQ(::pwrite(fd, c.bytes.constData(), c.bytes.size(), 0), c.bytes.size());
                break;
            }
            if (c.bytes[i] != '\0') {
                ASSERT_EQ(::pwrite(fd, c.bytes.constData() + i, 1, i), 1);
            }
        }
        PageCache cache(fd);
        LineIndex index(c.stride, c.keepBytes);
        index.reset(fd, c.bytes.size());
        while (!index.step(c.budget))
            ASSERT_FALSE(index.lineCount().has_value());
        std::vector<std::int64_t> starts{0};
        for (qsizetype lf = c.bytes.indexOf('\n'); lf >= 0; lf = c.bytes.indexOf('\n', lf + 1))
            starts.push_back(lf + 1);
        const auto lines = static_cast<std::int64_t>(starts.size());
        ASSERT_EQ(index.lineCount(), lines) << c.budget << " " << c.stride;
        for (std::int64_t line = 0; line < lines; ++line) {
            const std::int64_t start = starts[line];
            ASSERT_EQ(index.lineStart(line, cache), start) << line;
            const std::int64_t last = line + 1 < lines ? starts[line + 1] - 1 : c.bytes.size() - 1;
            for (const std::int64_t at : {start, (start + last) / 2, last})
                ASSERT_EQ(index.lineOf(at, cache), line) << at;
        }
        EXPECT_FALSE(index.lineStart(lines, cache).has_value());
        // Out of order, a lookup must not go on from a later line looked up before.
        for (std::int64_t line = lines - 1; line >= 0; line -= 7)
            ASSERT_EQ(index.lineStart(line, cache), starts[line]) << line;
        ::close(fd);
    }
}

// A search from any offset, either way, with and without case, finds what a plain search of
// the bytes finds: across block edges, in the data between the holes of a sparse file, and
// in steps as small as one byte.
TEST(FileSearch, MatchesPlainSearchAcrossBlocksAndHoles) {
    QByteArray bytes(9 << 20, '\0');
    const std::int64_t places[] = {
        5, (1 << 20) - 2, (2 << 20) - 6, (4 << 20) + 4093, (8 << 20) + 17, bytes.size() - 6};
    for (const std::int64_t at : places)
        bytes.replace(at, 6, at % 2 ? "NeeDle" : "needle");
    TempTree tree;
    const QByteArray path = tree.file("f", bytes.size());
    const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    for (const std::int64_t at : places)
        ASSERT_EQ(::pwrite(fd, bytes.constData() + at, 6, at), 6);
    const QByteArray lower = bytes.toLower();
    for (const std::int64_t from : {std::int64_t(0), places[1], places[2] + 1, places[3] + 6,
                                    std::int64_t(7 << 20), std::int64_t(bytes.size())}) {
        for (const bool backward : {false, true}) {
            for (const bool matchCase : {false, true}) {
                const QByteArray& hay = matchCase ? bytes : lower;
                const qsizetype plain = backward
                                            ? (from == 0 ? -1 : hay.lastIndexOf("needle", from - 1))
                                            : hay.indexOf("needle", from);
                const auto expected = plain < 0 ? std::nullopt : std::optional<std::int64_t>(plain);
                EXPECT_EQ(findInFile(fd, bytes.size(), "needle", from, backward, matchCase),
                          expected)
                    << from << " " << backward << " " << matchCase;
                FileSearch stepped(fd, bytes.size(), "needle", from, backward, matchCase);
                std::optional<std::int64_t> found;
                while (!found && !stepped.done())
                    found = stepped.step(1);
                EXPECT_EQ(found, expected) << from << " " << backward << " in steps";
            }
        }
    }
    ::close(fd);
}

// A caret's offset and a byte's position are inverses in both modes, across tabs and
// characters of several bytes; a column inside a tab or a byte's digits stands before the
// next byte, one past the end at the line's end.
TEST(FileViewModel, OffsetOfCaretInvertsPositionOf) {
    TempTree tree;
    const QByteArray bytes = "x\n\xc3\xa9\t\xf0\x9f\x98\x80z\r\nlast";
    FileViewModel view;
    ASSERT_TRUE(view.open(QString::fromUtf8(tree.write("f", bytes))).isEmpty());
    const std::int64_t starts[] = {0, 1, 2, 4, 5, 9, 10, 12, 15};
    for (const bool hex : {false, true}) {
        view.setHexMode(hex);
        for (const auto at : starts) {
            const auto p = view.positionOf(at);
            ASSERT_TRUE(p.has_value());
            EXPECT_EQ(view.offsetOf(p->line, p->column), at) << hex << " " << at;
        }
    }
    view.setHexMode(false);
    const struct {
        std::int64_t line;
        int column;
        std::int64_t offset;
    } text[] = {{1, 3, 5}, {1, 8, 5}, {1, 9, 9}, {1, 99, 10}, {2, 4, 16}, {3, 0, -1}};
    for (const auto& c : text)
        EXPECT_EQ(view.offsetOf(c.line, c.column).value_or(-1), c.offset) << c.column;
    view.setHexMode(true);
    // Digits from column 10, three per byte; characters from column 59; 16 bytes in all.
    const struct {
        int column;
        std::int64_t offset;
    } hex[] = {{0, 0}, {10, 0}, {11, 1}, {12, 1}, {13, 1}, {40, 10}, {58, 16}, {61, 2}, {99, 16}};
    for (const auto& c : hex)
        EXPECT_EQ(view.offsetOf(0, c.column), c.offset) << c.column;
}

TEST(FileViewModel, HexLines) {
    TempTree tree;
    FileViewModel view;
    QByteArray bytes = "ABCDEFGHIJKLMNOP";
    bytes += QByteArray("\0\t\x7f\xff", 4);
    ASSERT_TRUE(view.open(QString::fromUtf8(tree.write("f", bytes))).isEmpty());
    view.setHexMode(true);
    EXPECT_EQ(view.lineCount(), 2);
    EXPECT_EQ(view.lineText(0), "00000000  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  "
                                "ABCDEFGHIJKLMNOP");
    const QString last = view.lineText(1);
    EXPECT_EQ(last, "00000010  00 09 7F FF" + QString(12 * 3 + 2, u' ') + "..\x7f.");
    EXPECT_EQ(last.indexOf(u".."), 59);
    EXPECT_TRUE(view.lineText(2).isEmpty());
    EXPECT_EQ(view.lineOf(17), 1);
}

// A 4 GiB sparse file: its hole holds no LF, so its one line is counted without reading it,
// and offsets past 4 GiB get a ninth digit.
TEST(FileViewModel, HugeSparseFile) {
    TempTree tree;
    const qint64 size = (qint64(1) << 32) + 20;
    const QByteArray path = tree.file("big", size);
    FileViewModel view;
    ASSERT_TRUE(view.open(QString::fromUtf8(path)).isEmpty());
    EXPECT_EQ(view.fileSize(), size);
    EXPECT_EQ(view.lineText(0), QString(1023, u' '));
    EXPECT_TRUE(view.lineText(1).isEmpty());
    EXPECT_EQ(view.lineCount(), 1);
    int shown = 0;
    view.forEachLine(0, 50, [&](std::int64_t, const QString&) { ++shown; });
    EXPECT_EQ(shown, 1);
    view.setHexMode(true);
    EXPECT_EQ(view.lineCount(), (size + 15) / 16);
    EXPECT_EQ(view.lineText((qint64(1) << 28) - 1).left(10), "FFFFFFF0  ");
    EXPECT_EQ(view.lineText(qint64(1) << 28).left(11), "100000000  ");
    EXPECT_EQ(view.positionOf(size - 1),
              (FileViewModel::Position{(qint64(1) << 28) + 1, 11 + 3 * 3}));
    EXPECT_EQ(view.lineText((qint64(1) << 28) + 1),
              "100000010  00 00 00 00" + QString(12 * 3 + 2, u' ') + "....");
}

TEST(FileViewModel, Find) {
    QByteArray bytes(3 << 20, '-');
    bytes.replace(5, 5, "Hello");
    bytes.replace((1 << 20) - 2, 5, "hello"); // across the first block edge
    bytes.replace((2 << 20) - 6, 5, "HELLO"); // across a backward block edge
    TempTree tree;
    FileViewModel view;
    ASSERT_TRUE(view.open(QString::fromUtf8(tree.write("f", bytes))).isEmpty());
    const std::int64_t edge = (1 << 20) - 2, third = (2 << 20) - 6, end = bytes.size();
    const struct {
        const char* text;
        std::int64_t from;
        bool backward, matchCase;
        std::optional<std::int64_t> found;
    } cases[] = {
        {"Hello", 0, false, true, 5},
        {"Hello", 6, false, true, std::nullopt},
        {"hello", 6, false, true, edge},
        {"hello", 6, false, false, edge},
        {"hello", edge + 1, false, false, third},
        {"hello", end, true, false, third},
        {"hello", third, true, false, edge},
        {"hello", edge, true, false, 5},
        {"hello", 5, true, false, std::nullopt},
        {"HELLO", end, true, true, third},
        {"hello", edge + 1, true, true, edge},
        {"", 0, false, false, std::nullopt},
        {"-----x", 0, false, false, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(view.find(c.text, c.from, c.backward, c.matchCase), c.found)
            << c.text << " from " << c.from << (c.backward ? " back" : "");
}

// Lines that go away read as empty; the count follows the file after a refresh.
TEST(FileViewModel, FileCutShortAndGrownWhileShown) {
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += "line " + QByteArray::number(i) + "\n";
    TempTree tree;
    const QByteArray path = tree.write("f", bytes);
    FileViewModel view;
    ASSERT_TRUE(view.open(QString::fromUtf8(path)).isEmpty());
    EXPECT_TRUE(view.countToLine(4999));
    EXPECT_FALSE(view.countToLine(5000));
    EXPECT_EQ(view.lineText(4000), "line 4000");
    view.countAll();
    ASSERT_EQ(view.lineCount(), 5000);

    const std::int64_t cut = bytes.indexOf("line 3000\n");
    ASSERT_EQ(::truncate(path.constData(), cut + 4), 0);
    view.lineText(4999); // not refreshed yet: may show the cached page, must not fail
    view.refresh();
    view.countAll();
    EXPECT_EQ(view.lineCount(), 3001);
    EXPECT_EQ(view.lineText(3000), "line");
    EXPECT_EQ(view.lineText(2999), "line 2999");

    tree.write("f", bytes + "last");
    view.refresh();
    view.countAll();
    EXPECT_EQ(view.lineCount(), 5001);
    EXPECT_EQ(view.lineText(5000), "last");
}

// What is not a regular file is refused without being opened: opening a FIFO wakes its
// writer, and opening a device can change a serial line or arm a watchdog.
TEST(FileViewModel, OpenErrorsAndNothingButRegularFilesIsOpened) {
    TempTree tree;
    tree.dir("folder");
    tree.write("plain", "x");
    ASSERT_EQ(::mkfifo(tree.abs("fifo").constData(), 0600), 0);
    tree.symlink("fifo link", "fifo");
    // A device of our own where the system lets us make one (the null device).
    const bool device = ::mknod(tree.abs("null").constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, tree.nativePath().constData(), IN_OPEN), 0);
    const char* denied = "Viewer: file access denied";
    const struct {
        const char* rel;
        const char* error;
    } cases[] = {
        {"missing", "Viewer: file not found"},
        {"missing/x", "Viewer: file not found"},
        {"plain/x", "Viewer: path not found or invalid file name"},
        {"folder", denied},
        {"fifo", denied},
        {"fifo link", denied},
        {device ? "null" : "fifo", denied},
    };
    FileViewModel view;
    for (const auto& c : cases) {
        EXPECT_EQ(view.open(tree.path() + u'/' + QString::fromUtf8(c.rel)), c.error) << c.rel;
        EXPECT_FALSE(view.isOpen());
        EXPECT_EQ(view.lineCount(), 0);
        EXPECT_TRUE(view.lineText(0).isEmpty());
    }
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "something refused was opened";
    ::close(watch);
}

// A proc or sysfs file shows what reading it gives, not what its size says (0, or a page).
TEST(FileViewModel, PseudoFilesShowWhatReadingGives) {
    const struct {
        const char* path;
        bool steady; // reads the same each time
    } cases[] = {{"/proc/self/status", false}, {"/sys/devices/system/cpu/online", true}};
    for (const auto& c : cases) {
        QFile file(QString::fromUtf8(c.path));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            continue; // a system without it
        const QByteArray bytes = file.readAll();
        const QList<QByteArray> lines = bytes.split('\n');
        FileViewModel view;
        ASSERT_TRUE(view.open(QString::fromUtf8(c.path)).isEmpty()) << c.path;
        view.countAll();
        // The first line up to its tab: /proc/self/status tells of the reader, which differs.
        EXPECT_TRUE(view.lineText(0).startsWith(QString::fromUtf8(lines[0].split('\t')[0])))
            << c.path;
        EXPECT_EQ(view.lineCount(), lines.size() - 1) << c.path;
        if (c.steady) {
            EXPECT_EQ(view.fileSize(), bytes.size()) << c.path;
        }
        EXPECT_FALSE(view.shownInPart());
    }
}

// A name with a newline and a byte that is not UTF-8 opens the very file, which still shows
// after it is deleted: the open descriptor keeps it.
TEST(FileViewModel, OddNameOpensAndOutlivesDeletion) {
    TempTree tree;
    const QByteArray path = tree.write("line\nbreak \xff.txt", "kept\n");
    FileViewModel view;
    ASSERT_TRUE(view.open(fromNative(path)).isEmpty());
    ASSERT_EQ(::unlink(path.constData()), 0);
    view.refresh();
    EXPECT_EQ(view.lineText(0), "kept");
    EXPECT_EQ(view.fileSize(), 5);
}
