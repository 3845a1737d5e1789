#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "widgets/file_viewer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
using Pos = FileViewer::Position;
constexpr auto Found = FileViewer::SearchResult::Found;
constexpr auto NotFound = FileViewer::SearchResult::NotFound;

// A control shown offscreen on `path`, sized for a few lines.
struct Shown {
    explicit Shown(const QByteArray& path) {
        viewer.resize(400, 200);
        viewer.setFileName(QString::fromUtf8(path));
        EXPECT_TRUE(viewer.open().isEmpty());
        viewer.show();
    }
    ScriptedUi ui;
    FileViewer viewer;
};

std::string text(Pos p) {
    return std::to_string(p.line) + ":" + std::to_string(p.column);
}
} // namespace

// Find next goes on from the last match in both directions and modes, so it never finds the
// same match twice; a failed search changes nothing.
TEST(FileViewer, SearchMovesOnFromEachMatch) {
    TempTree tree;
    // Tabs and a character of two bytes before the matches make columns differ from bytes.
    Shown shown(tree.write("f", "\xc3\xa9\tfoo bar FOO\nxfoo\n"));
    FileViewer& v = shown.viewer;
    using O = FileViewer::SearchOptions;
    const struct {
        bool hex;
        const char* text;
        O options;
        std::vector<std::string> found; // where each match starts, in order
    } cases[] = {
        {false, "Foo", {false, false, true}, {"0:8", "0:16", "1:1"}},
        {false, "FOO", {false, true, true}, {"0:16"}},
        {false, "Foo", {true, false, true}, {"1:1", "0:16", "0:8"}},
        {false, "foo", {true, true, true}, {"1:1", "0:8"}},
        {true, "Foo", {false, false, true}, {"0:19", "0:43", "1:10"}},
        {true, "Foo", {true, false, true}, {"1:10", "0:43", "0:19"}},
    };
    for (const auto& c : cases) {
        v.setInHexMode(c.hex);
        v.goTo(0, 0);
        std::vector<std::string> found;
        O options = c.options;
        while (v.search(c.text, options) == Found && found.size() < 5) {
            const auto s = v.selection();
            found.push_back(text(s.start));
            EXPECT_EQ(v.caret(), options.backward ? s.start : s.end);
            EXPECT_EQ(s.end.column - s.start.column, c.hex ? 3 * 3 - 1 : 3);
            options.global = false; // F3
        }
        EXPECT_EQ(found, c.found) << c.hex << c.options.backward << c.options.matchCase;
        const auto caret = v.caret();
        const auto before = v.selection();
        EXPECT_EQ(v.search(c.text, options), NotFound);
        EXPECT_EQ(v.caret(), caret);
        EXPECT_EQ(v.selection().start, before.start);
    }
    EXPECT_EQ(v.search("", {}), NotFound);
}

TEST(FileViewer, GoToClampsAndIgnoresEmptyFile) {
    TempTree tree;
    Shown shown(tree.write("f", "a\nbb\nccc\n"));
    const struct {
        std::int64_t line;
        int column;
        Pos caret;
    } cases[] = {{-5, 0, {0, 0}}, {0, 1, {0, 1}}, {2, 2, {2, 2}}, {2, 9, {2, 3}}, {99, 0, {2, 0}}};
    for (const auto& c : cases) {
        shown.viewer.goTo(c.line, c.column);
        EXPECT_EQ(shown.viewer.caret(), c.caret) << c.line;
    }
    Shown empty(tree.write("e", ""));
    QSignalSpy status(&empty.viewer, &FileViewer::showStatus);
    empty.viewer.goTo(3, 0);
    EXPECT_EQ(empty.viewer.caret(), Pos{});
    EXPECT_EQ(status.count(), 0);
    EXPECT_EQ(empty.viewer.lineCount(), 0);
}

// More than the first megabyte: uncounted at first, then the timer counts it and says so.
TEST(FileViewer, LineCountBecomesKnownOnTheTimer) {
    TempTree tree;
    QByteArray bytes;
    for (int i = 0; i < 300000; ++i)
        bytes += "line " + QByteArray::number(i) + "\n";
    Shown shown(tree.write("f", bytes));
    EXPECT_EQ(shown.viewer.lineCount(), FileViewer::kUncounted);
    QSignalSpy status(&shown.viewer, &FileViewer::showStatus);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return shown.viewer.lineCount() != FileViewer::kUncounted; }));
    EXPECT_EQ(shown.viewer.lineCount(), 300000);
    EXPECT_GE(status.count(), 1);
}

TEST(FileViewer, CopiesSelectionAsShownAndRefusesHugeOnes) {
    TempTree tree;
    Shown shown(tree.write("f", "alpha\nbe\tta\ngamma"));
    FileViewer& v = shown.viewer;
    QGuiApplication::clipboard()->setText("before");
    EXPECT_EQ(v.copy(), FileViewer::CopyResult::NothingSelected);
    v.goTo(0, 2);
    QTest::keyClick(&v, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(v.copy(), FileViewer::CopyResult::Copied);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "pha\nbe\tta\ngam");
    QGuiApplication::clipboard()->setText("other");
    QTest::keyClick(&v, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "pha\nbe\tta\ngam");

    QGuiApplication::clipboard()->setText("before");
    Shown huge(tree.file("huge", FileViewer::kCopyLimit + 100));
    huge.viewer.setInHexMode(true);
    huge.viewer.selectAll();
    EXPECT_EQ(huge.viewer.copy(), FileViewer::CopyResult::TooLarge);
    QTest::keyClick(&huge.viewer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    ASSERT_EQ(huge.ui.messages.size(), 1u);
    EXPECT_EQ(huge.ui.messages[0].text, FileViewer::copyTooLargeText());
}

// Another program cuts the file short or makes it longer while it is shown.
TEST(FileViewer, FollowsFileCutShortAndGrown) {
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += "line " + QByteArray::number(i) + "\n";
    TempTree tree;
    const QByteArray path = tree.write("f", bytes);
    Shown shown(path);
    FileViewer& v = shown.viewer;
    v.countAllLines();
    v.goTo(4990, 4);
    QTest::keyClick(&v, Qt::Key_Up, Qt::ShiftModifier);
    ASSERT_EQ(::truncate(path.constData(), bytes.indexOf("line 10\n") + 4), 0);
    QSignalSpy status(&v, &FileViewer::showStatus);
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.fileSize() < bytes.size(); }, 3000));
    EXPECT_GE(status.count(), 1);
    EXPECT_EQ(v.lineCount(), 11);
    EXPECT_EQ(v.caret(), (Pos{10, 4}));
    EXPECT_LE(v.topLine(), 10);
    EXPECT_EQ(v.lineText(10), "line");
    EXPECT_TRUE(v.lineText(4000).isEmpty());
    v.grab(); // paints what is left

    tree.write("f", bytes + "last");
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.fileSize() > bytes.size(); }, 3000));
    v.countAllLines();
    EXPECT_EQ(v.lineCount(), 5001);
    EXPECT_EQ(v.lineText(5000), "last");
}

// Offsets past 4 GiB take a ninth digit, and the last line is reachable by keys and goTo.
TEST(FileViewer, HexModeOfHugeSparseFile) {
    TempTree tree;
    const std::int64_t size = std::int64_t(5) << 30;
    Shown shown(tree.file("big", size));
    FileViewer& v = shown.viewer;
    v.setInHexMode(true);
    const std::int64_t last = size / 16 - 1;
    EXPECT_EQ(v.lineCount(), last + 1);
    QTest::keyClick(&v, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(v.caret().line, last);
    EXPECT_TRUE(v.lineText(last).startsWith("13FFFFFF0  00 00"));
    EXPECT_GT(v.topLine(), last - 20);
    v.goTo(std::int64_t(1) << 62, 0);
    EXPECT_EQ(v.caret().line, last);
    v.grab();
}

TEST(FileViewer, KeysMoveTheCaret) {
    TempTree tree;
    Shown shown(tree.write("f", "abc\n\tx\nlonger line\nz"));
    FileViewer& v = shown.viewer;
    const struct {
        Pos from;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Pos to;
    } cases[] = {
        {{0, 3}, Qt::Key_Right, {}, {1, 0}},
        {{1, 0}, Qt::Key_Left, {}, {0, 3}},
        {{0, 0}, Qt::Key_Left, {}, {0, 0}},
        {{2, 10}, Qt::Key_Up, {}, {1, 9}}, // a tab shows as 8 columns
        {{0, 2}, Qt::Key_Down, {}, {1, 2}},
        {{3, 1}, Qt::Key_Down, {}, {3, 1}},
        {{2, 4}, Qt::Key_Home, {}, {2, 0}},
        {{2, 4}, Qt::Key_End, {}, {2, 11}},
        {{2, 4}, Qt::Key_Home, Qt::ControlModifier, {0, 0}},
        {{0, 1}, Qt::Key_End, Qt::ControlModifier, {3, 1}},
        {{0, 1}, Qt::Key_PageDown, {}, {3, 1}},
        {{3, 0}, Qt::Key_PageUp, {}, {0, 0}},
    };
    for (const auto& c : cases) {
        v.goTo(c.from.line, c.from.column);
        QTest::keyClick(&v, c.key, c.modifiers);
        EXPECT_EQ(v.caret(), c.to) << text(c.from) << " key " << c.key;
        EXPECT_FALSE(v.hasSelection());
    }
    v.goTo(2, 1);
    QTest::keyClick(&v, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(v.selection().start, (Pos{1, 0}));
    EXPECT_EQ(v.selection().end, (Pos{2, 1}));
    // The caret keeps its byte across modes: "o" of "longer" is byte 8 of the file.
    v.goTo(2, 1);
    v.setInHexMode(true);
    EXPECT_EQ(v.caret(), (Pos{0, 10 + 3 * 8}));
    v.setInHexMode(false);
    EXPECT_EQ(v.caret(), (Pos{2, 1}));
    v.goTo(3, 1); // after the last byte
    v.setInHexMode(true);
    EXPECT_EQ(v.caret(), (Pos{1, 10 + 3 * 3}));
}

TEST(FileViewer, MouseSetsCaretAndDragSelects) {
    TempTree tree;
    Shown shown(tree.write("f", "first line\nsecond line\n"));
    FileViewer& v = shown.viewer;
    const int h = v.fontMetrics().height();
    const int w = v.fontMetrics().horizontalAdvance('0');
    QWidget* port = v.viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(2 + 3 * w, h / 2));
    QTest::mouseMove(port, QPoint(2 + 6 * w, h + h / 2));
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(2 + 6 * w, h + h / 2));
    EXPECT_EQ(v.selection().start, (Pos{0, 3}));
    EXPECT_EQ(v.selection().end, (Pos{1, 6}));
    QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, QPoint(2 + 50 * w, h / 2));
    EXPECT_EQ(v.selection().end, (Pos{0, 10}));
}

// Selected text shows where it stood unselected: its ink lies within the highlight, no
// unselected ink shows through the highlight, and a selected character shows whole, however
// far along the line, in both modes.
TEST(FileViewer, SelectionHighlightCoversTheGlyphsItSelects) {
    TempTree tree;
    // "Z" at bytes 0, 37 and 41; in hex, at columns 59 of line 0 and 64 of line 2.
    Shown shown(tree.write("f", "Zabcdefghijklmnopqrstuvwxyz0123456789Z...Z and on\n"));
    FileViewer& v = shown.viewer;
    v.resize(700, 100);
    QPalette pal = v.palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Highlight, Qt::blue);
    pal.setColor(QPalette::HighlightedText, Qt::red);
    v.setPalette(pal);
    const struct {
        bool hex;
        Pos from, to;
        bool oneZ; // selects one "Z"
    } cases[] = {
        {false, {0, 0}, {0, 1}, true},   {false, {0, 37}, {0, 38}, true},
        {false, {0, 41}, {0, 42}, true}, {false, {0, 26}, {0, 45}, false},
        {true, {0, 59}, {0, 60}, true},  {true, {2, 64}, {2, 65}, true},
        {true, {2, 61}, {2, 65}, false}, {true, {1, 0}, {2, 0}, false},
    };
    int oneZInk = -1;
    for (const auto& c : cases) {
        v.setInHexMode(c.hex);
        v.select(c.from, c.to);
        const QImage image = v.viewport()->grab().toImage();
        const int h = v.fontMetrics().height();
        const int top = static_cast<int>(c.from.line - v.topLine()) * h;
        // The highlight's span, from the line's top row, above the glyphs.
        int left = image.width(), right = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, top) == Qt::blue) {
                left = std::min(left, x);
                right = x;
            }
        }
        int red = 0, blackInBlue = 0, redOutsideBlue = 0;
        for (int y = top; y < top + h; ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor p = image.pixelColor(x, y);
                if (p.red() > 200 && p.green() < 60 && p.blue() < 60) {
                    ++red;
                    redOutsideBlue += x < left || x > right;
                }
                // The caret stands at an edge.
                blackInBlue += x > left + 3 && x < right - 3 && p.red() < 60 && p.green() < 60 &&
                               p.blue() < 60;
            }
        }
        EXPECT_GT(red, 0) << text(c.from);
        EXPECT_EQ(redOutsideBlue, 0) << text(c.from);
        EXPECT_EQ(blackInBlue, 0) << text(c.from);
        // The same glyph, give or take the edge pixels of where it falls within a pixel.
        if (c.oneZ && oneZInk < 0) {
            oneZInk = red;
        } else if (c.oneZ) {
            EXPECT_NEAR(red, oneZInk, oneZInk / 4) << text(c.from);
        }
    }
}

// Find and Find next visit every match once, in order, forward and backward, however far
// beyond a line's cut at 1,023 columns it lies; each match selects its own bytes.
TEST(FileViewer, FindNextVisitsEveryMatchPastTheCut) {
    const QByteArray needle = "needle";
    std::uint64_t seed = 16;
    const auto next = [&](int n) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((seed >> 33) % static_cast<std::uint64_t>(n));
    };
    TempTree tree;
    for (int file = 0; file < 12; ++file) {
        QByteArray bytes = QByteArray(130, '\t') + needle + "\nsecond " + needle + "\n";
        while (bytes.size() < 6000) {
            switch (next(6)) {
            case 0:
                bytes += QByteArray(next(200), '\t');
                break;
            case 1:
                bytes += QByteArray(next(2000), 'x');
                break;
            case 2:
                bytes += needle;
                break;
            case 3:
                bytes += '\n';
                break;
            case 4:
                bytes += "\xc3\xa9 ab\t";
                break;
            default:
                bytes += QByteArray(next(40), ' ');
                break;
            }
        }
        const int count = static_cast<int>(bytes.count(needle));
        Shown shown(tree.write("f" + QByteArray::number(file), bytes));
        FileViewer& v = shown.viewer;
        for (const bool backward : {false, true}) {
            FileViewer::SearchOptions options{backward, true, true};
            int found = 0;
            while (found <= count && v.search("needle", options) == Found) {
                ++found;
                options.global = false;
                ASSERT_EQ(v.copy(), FileViewer::CopyResult::Copied);
                EXPECT_EQ(QGuiApplication::clipboard()->text(), "needle") << file;
            }
            EXPECT_EQ(found, count) << "file " << file << (backward ? " backward" : " forward");
        }
    }
}

// Copy takes the selected bytes of the file, not the 1,023 columns a long line shows.
TEST(FileViewer, CopiesTheSelectedBytesOfLongLines) {
    TempTree tree;
    const QByteArray longLine = QByteArray(2000, 'x') + "MID" + QByteArray(3000, 'y');
    const QByteArray bytes = "head\n" + longLine + "\r\nnext\tline\n";
    Shown shown(tree.write("f", bytes));
    FileViewer& v = shown.viewer;
    const struct {
        std::function<void()> select;
        QByteArray copied;
    } cases[] = {
        {[&] {
             v.goTo(0, 2);
             QTest::keyClick(&v, Qt::Key_Down, Qt::ShiftModifier);
             QTest::keyClick(&v, Qt::Key_Down, Qt::ShiftModifier);
             QTest::keyClick(&v, Qt::Key_Home, Qt::ShiftModifier);
         },
         "ad\n" + longLine + "\n"},
        {[&] {
             v.goTo(1, 4);
             QTest::keyClick(&v, Qt::Key_End, Qt::ShiftModifier);
         },
         longLine.mid(4)},
        {[&] {
             v.search("mid", {false, false, true});
         },
         "MID"},
        {[&] { v.selectAll(); }, "head\n" + longLine + "\nnext\tline"},
    };
    for (const auto& c : cases) {
        c.select();
        ASSERT_EQ(v.copy(), FileViewer::CopyResult::Copied);
        EXPECT_EQ(QGuiApplication::clipboard()->text().toUtf8(), c.copied) << (&c - cases);
    }
}

// Moves that need lines not counted yet, and searches through more than the first
// megabytes, go on in the background: the control answers at once, shows the work, and Esc
// stops it so that nothing moves afterwards.
TEST(FileViewer, BackgroundWorkEndsOrStopsWithEsc) {
    QByteArray bytes;
    constexpr int kLines = 250000;
    for (int i = 0; i < kLines; ++i)
        bytes += "line " + QByteArray::number(i).rightJustified(7, '0') + " of the file\n";
    bytes += "zebra\n";
    TempTree tree;
    const QByteArray path = tree.write("f", bytes);
    const struct {
        const char* name;
        std::function<void(FileViewer&)> start;
        FileViewer::Work work;
        Pos caret;
        Pos anchor;
    } cases[] = {
        {"ctrl+end",
         [](FileViewer& v) { QTest::keyClick(&v, Qt::Key_End, Qt::ControlModifier); },
         FileViewer::Work::Counting,
         {kLines, 5},
         {kLines, 5}},
        {"go to",
         [](FileViewer& v) { v.goTo(200000, 3); },
         FileViewer::Work::Counting,
         {200000, 3},
         {200000, 3}},
        {"select all",
         [](FileViewer& v) { v.selectAll(); },
         FileViewer::Work::Counting,
         {kLines, 5},
         {0, 0}},
        {"find",
         [](FileViewer& v) {
             v.search("ZEBRA", {false, false, true});
         },
         FileViewer::Work::Searching,
         {kLines, 5},
         {kLines, 0}},
    };
    for (const auto& c : cases) {
        for (const bool esc : {false, true}) {
            Shown shown(path);
            FileViewer& v = shown.viewer;
            QSignalSpy done(&v, &FileViewer::searchDone);
            ASSERT_EQ(v.lineCount(), FileViewer::kUncounted);
            c.start(v);
            EXPECT_EQ(v.work(), c.work) << c.name;
            EXPECT_EQ(v.caret(), Pos{}) << c.name;
            if (esc) {
                QTest::keyClick(&v, Qt::Key_Escape);
                EXPECT_EQ(v.work(), FileViewer::Work::None) << c.name;
                ASSERT_TRUE(QTest::qWaitFor([&] { return v.lineCount() == kLines + 1; }));
                QTest::qWait(50);
                EXPECT_EQ(v.caret(), Pos{}) << c.name;
                EXPECT_FALSE(v.hasSelection()) << c.name;
                EXPECT_EQ(done.count(), 0) << c.name;
                continue;
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return v.work() == FileViewer::Work::None; }));
            EXPECT_EQ(v.caret(), c.caret) << c.name;
            EXPECT_EQ(v.selection().start, c.anchor) << c.name;
            EXPECT_EQ(done.count(), c.work == FileViewer::Work::Searching ? 1 : 0) << c.name;
        }
    }
}

// A 5 GiB line of NUL bytes (a sparse file) is counted without reading it, and every key
// answers without reading it through; its copy is refused as too large.
TEST(FileViewer, GiantLineMovesWithoutReadingItThrough) {
    TempTree tree;
    const std::int64_t size = std::int64_t(5) << 30;
    const QByteArray path = tree.file("giant", size);
    {
        const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
        ASSERT_EQ(::pwrite(fd, "\nshort\n", 7, size), 7);
        ::close(fd);
    }
    Shown shown(path);
    FileViewer& v = shown.viewer;
    EXPECT_EQ(v.lineCount(), 2);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Pos to;
    } keys[] = {
        {Qt::Key_End, {}, {0, 1023}},
        {Qt::Key_Down, {}, {1, 5}},
        {Qt::Key_Up, {}, {0, 5}},
        {Qt::Key_End, Qt::ControlModifier, {1, 5}},
        {Qt::Key_Home, Qt::ControlModifier, {0, 0}},
        {Qt::Key_PageDown, {}, {1, 0}},
    };
    for (const auto& k : keys) {
        QTest::keyClick(&v, k.key, k.modifiers);
        EXPECT_EQ(v.caret(), k.to) << k.key;
        v.grab();
    }
    EXPECT_EQ(v.lineText(1), "short");
    v.goTo(0, 0);
    QTest::keyClick(&v, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(v.copy(), FileViewer::CopyResult::TooLarge);
    EXPECT_EQ(v.search("short", {true, true, true}), Found);
    EXPECT_EQ(v.caret(), (Pos{1, 0}));
}
