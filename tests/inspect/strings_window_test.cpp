#include "inspect/strings_window.h"

#include "platform/native_path.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListView>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class StringsWindowTest : public ::testing::Test {
protected:
    QString write(const QByteArray& rel, const QByteArray& bytes) {
        return fromNative(tree.write(rel, bytes));
    }

    ScriptedUi ui;
    TempTree tree;
};

TEST_F(StringsWindowTest, ListsTheStringsAndTheirCount) {
    TfrmStrings w;
    w.fileName = write("f", QByteArray("\0short\0a longer one\0another string\0", 36));
    w.show();
    EXPECT_EQ(w.lblCount->text(), QStringLiteral("2"));
    const QAbstractItemModel* model = w.Memo1->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(1, 0).data().toString(), QStringLiteral("another string"));
    EXPECT_EQ(ui.busyDepth, 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(StringsWrap, LinesBreakAfterABlankOrAtTheLastColumnAndKeepEveryCharacter) {
    const struct {
        const char* text;
        int columns;
        const char* lines;
    } cases[] = {
        {"abcdef", 6, "abcdef"},
        {"abcdefg", 3, "abc\ndef\ng"},
        {"hello world", 5, "hello \nworld"}, // the blank past the last column ends the line
        {"hello world", 8, "hello \nworld"},
        {"ab    cd", 3, "ab  \n  \ncd"},
        {" abcdefg", 3, " ab\ncde\nfg"}, // a leading blank is no place to break
        {"a b c d", 0, "a \nb \nc \nd"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wrappedString(c.text, c.columns), QString::fromLatin1(c.lines)) << c.text;
        EXPECT_EQ(wrappedLineCount(c.text, c.columns), QByteArray(c.lines).count('\n') + 1)
            << c.text;
    }
}

TEST_F(StringsWindowTest, LongStringsWrapSoEveryStringReadsWhole) {
    const QByteArray longest = QByteArray("Zelkova ").repeated(12) + "nineteen95"; // 106 > 101
    const QByteArray text = longest.left(101);
    TfrmStrings w;
    w.fileName = write("f", QByteArray("\0short1\0", 8) + text + '\0');
    w.show();
    QListView* view = w.Memo1;
    ASSERT_EQ(view->model()->rowCount(), 2);
    EXPECT_EQ(view->model()->index(1, 0).data().toString(), QString::fromLatin1(text));
    const QRect shortRow = view->visualRect(view->model()->index(0, 0));
    const QRect longRow = view->visualRect(view->model()->index(1, 0));
    ASSERT_LT(shortRow.width(), view->fontMetrics().horizontalAdvance(QString::fromLatin1(text)));
    EXPECT_GT(longRow.height(), shortRow.height()) << "the long string takes more lines";
    for (QString line : wrappedString(text.toStdString(), w.Memo1->columns()).split('\n')) {
        while (line.endsWith(u' ')) // blanks at the end of a line take no room
            line.chop(1);
        EXPECT_LE(view->fontMetrics().horizontalAdvance(line), longRow.width());
    }

    // Wide enough for every string on one line: rows of one height again, and narrow again.
    for (const int width : {2000, 455}) {
        w.resize(width, w.height());
        QCoreApplication::processEvents();
        EXPECT_EQ(view->uniformItemSizes(), width == 2000);
        EXPECT_EQ(view->visualRect(view->model()->index(1, 0)).height() ==
                      view->visualRect(view->model()->index(0, 0)).height(),
                  width == 2000);
    }
}

TEST_F(StringsWindowTest, EscDuringTheListingStopsItAndKeepsWhatWasFound) {
    // Several read blocks of strings; Esc arrives at the first chance the window gets.
    QByteArray bytes;
    while (bytes.size() < 8 * 1024 * 1024)
        bytes += "a string here\n";
    TfrmStrings w;
    w.fileName = write("big", bytes);
    QTimer::singleShot(0, &w, [&] { w.reject(); });
    w.show();
    const qsizetype all = bytes.count('\n');
    EXPECT_GT(w.strings().count(), 0u);
    EXPECT_LT(qsizetype(w.strings().count()), all);
    EXPECT_EQ(w.Memo1->model()->rowCount(), int(w.strings().count()));
    EXPECT_EQ(w.lblCount->text(), QString::number(w.strings().count()));
    EXPECT_TRUE(w.isVisible()); // stopping does not close the window
    w.reject();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(StringsWindowTest, AFileThatCannotBeOpenedIsReported) {
    TfrmStrings w;
    w.fileName = tree.path() + QStringLiteral("/missing");
    w.show();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Could not open file ") + w.fileName);
    EXPECT_EQ(w.lblCount->text(), QStringLiteral("0"));
    EXPECT_EQ(w.Memo1->model()->rowCount(), 0);
}

} // namespace
