#include "inspect/strings_window.h"

#include "platform/native_path.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

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
