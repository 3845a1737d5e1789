#include "support/temp_tree.h"
#include "widgets/file_viewer_accessible.h"

#include <QAccessible>
#include <QTest>
#include <gtest/gtest.h>

namespace {
using Pos = FileViewer::Position;

std::string text(Pos p) {
    return std::to_string(p.line) + ":" + std::to_string(p.column);
}

QString lineAt(QAccessibleTextInterface* t, int offset) {
    int start = 0, end = 0;
    return t->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
}
} // namespace

TEST(ViewerTextWindow, OffsetsAndPositionsAgree) {
    const ViewerTextWindow w(256, {"ab", "", "cde"});
    EXPECT_EQ(w.text(), "ab\n\ncde");
    const struct {
        Pos position;
        int offset;
        Pos back; // where the offset leads
    } cases[] = {
        {{256, 0}, 0, {256, 0}},  {{256, 2}, 2, {256, 2}}, {{256, 9}, 2, {256, 2}},
        {{257, 0}, 3, {257, 0}},  {{258, 3}, 7, {258, 3}}, {{255, 0}, -1, {256, 0}},
        {{259, 0}, -1, {256, 0}}, {{258, 1}, 5, {258, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(w.offsetOf(c.position), c.offset) << text(c.position);
        if (c.offset >= 0) {
            EXPECT_EQ(w.positionAt(c.offset), c.back) << c.offset;
        }
    }
    EXPECT_EQ(w.positionAt(99), (Pos{258, 3}));
    EXPECT_EQ(ViewerTextWindow::blockStart(255), 0);
    EXPECT_EQ(ViewerTextWindow::blockStart(513), 512);
}

// A screen reader reads the file line by line: each Down puts the caret on the next line,
// whose text it reads at the caret, across the blocks the text window moves by. The caret's
// offset changes with each line, as screen readers pass over a caret that seems not to move.
TEST(FileViewerAccessible, ReadsLineByLineAtTheCaretWithTheSelection) {
    TempTree tree;
    QByteArray bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += "line " + QByteArray::number(i) + '\n';
    FileViewer v;
    v.resize(400, 200);
    v.setFileName(QString::fromUtf8(tree.write("f", bytes)));
    ASSERT_TRUE(v.open().isEmpty());
    v.show();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&v);
    ASSERT_NE(a, nullptr);
    QAccessibleTextInterface* t = a->textInterface();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(a->role(), QAccessible::EditableText);
    EXPECT_EQ(a->text(QAccessible::Name), "File viewer");
    EXPECT_EQ(a->text(QAccessible::Description), v.fileName());
    EXPECT_TRUE(a->state().readOnly);

    v.goTo(240, 0);
    for (int line = 240, before = -1; line < 280; ++line) {
        ASSERT_EQ(v.caret().line, line);
        const int caret = t->cursorPosition();
        EXPECT_EQ(lineAt(t, caret), QStringLiteral("line %1\n").arg(line));
        EXPECT_NE(caret, before) << line;
        before = caret;
        QTest::keyClick(&v, Qt::Key_Down);
    }
    v.goTo(500, 2);
    QTest::keyClick(&v, Qt::Key_Down, Qt::ShiftModifier);
    int start = 0, end = 0;
    ASSERT_EQ(t->selectionCount(), 1);
    t->selection(0, &start, &end);
    EXPECT_EQ(t->text(start, end), "ne 500\nli");
    // The screen reader can move the caret and select too.
    t->setCursorPosition(end + 7);
    EXPECT_EQ(v.caret(), (Pos{502, 0}));
    t->setSelection(0, end, end + 3);
    EXPECT_EQ(v.selection().start, (Pos{501, 2}));
    EXPECT_EQ(v.selection().end, (Pos{501, 5}));
}
