#include "inspect/view_window.h"

#include "inspect/find_dialog.h"
#include "inspect/strings_window.h"
#include "platform/native_path.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "widgets/file_viewer.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <unistd.h>

namespace {

class ViewWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TFindDlg& find = findDialog();
        find.Edit1->clear();
        find.RadioButton1->setChecked(true);
        find.CheckBox1->setChecked(false);
        find.CheckBox2->setChecked(false);
    }

    QString write(const QByteArray& rel, const QByteArray& bytes) {
        return fromNative(tree.write(rel, bytes));
    }

    // The window as an opener shows it.
    std::unique_ptr<TfrmView> view(const QString& path) {
        auto w = std::make_unique<TfrmView>();
        w->fileName = path;
        w->show();
        return w;
    }

    // The find dialog, when shown, takes these settings and closes with OK.
    void answerFind(const QString& text, bool backward, bool matchCase, bool global) {
        ui.onModal = [=](QDialog& d) {
            auto& find = dynamic_cast<TFindDlg&>(d);
            find.Edit1->setText(text);
            find.RadioButton2->setChecked(backward);
            find.RadioButton1->setChecked(!backward);
            find.CheckBox1->setChecked(matchCase);
            find.CheckBox2->setChecked(global);
            return int(QDialog::Accepted);
        };
    }

    ScriptedUi ui;
    TempTree tree;
};

TEST_F(ViewWindowTest, StatusLineAndMenusFollowTheFile) {
    auto empty = view(write("empty", ""));
    EXPECT_EQ(empty->windowTitle(), QStringLiteral("View File : ") + empty->fileName);
    EXPECT_EQ(empty->statusSection(0), QStringLiteral("1:1     "));
    EXPECT_EQ(empty->statusSection(1), QStringLiteral("Total: 0"));
    EXPECT_EQ(empty->statusSection(2), QStringLiteral("Top: 1    "));
    EXPECT_EQ(empty->statusSection(3), QStringLiteral("Bytes: 0"));
    for (QAction* a : {empty->Print1, empty->Selectall1, empty->Find1, empty->Findnext1,
                       empty->Gotoline1, empty->Copy1}) {
        empty->File1Click();
        empty->Clipboard1Click();
        empty->Search1Click();
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    }

    // Lines past the first megabyte are counted later: the total shows "?" meanwhile.
    QByteArray big;
    for (int i = 0; i < 40000; ++i)
        big += QByteArray(40, 'a') + '\n';
    auto w = view(write("big", big));
    EXPECT_EQ(w->statusSection(1), QStringLiteral("Total: ?"));
    EXPECT_TRUE(w->Print1->isEnabled());
    EXPECT_TRUE(w->Find1->isEnabled());
    EXPECT_FALSE(w->Findnext1->isEnabled()); // no search text yet
    w->Viewer1->countAllLines();
    w->Viewer1->goTo(11, 3);
    EXPECT_EQ(w->statusSection(0), QStringLiteral("12:4    "));
    EXPECT_EQ(w->statusSection(1), QStringLiteral("Total: 40,000"));
    EXPECT_EQ(w->statusSection(3), QStringLiteral("Bytes: 1,640,000"));
    // Screen readers read the status line as a bar of labels, the blank spare one left out.
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(w->Header1);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->role(), QAccessible::StatusBar);
    QStringList read;
    for (int i = 0; i < bar->childCount(); ++i) {
        EXPECT_EQ(bar->child(i)->role(), QAccessible::StaticText);
        EXPECT_EQ(bar->indexOfChild(bar->child(i)), i);
        read << bar->child(i)->text(QAccessible::Name);
    }
    EXPECT_EQ(read, QStringList({"12:4", "Total: 40,000",
                                 "Top: " + QString::number(w->Viewer1->topLine() + 1),
                                 "Bytes: 1,640,000"}));
}

TEST_F(ViewWindowTest, AFileThatCannotBeOpenedIsReportedAndNothingIsShown) {
    auto w = view(tree.path() + QStringLiteral("/missing"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Viewer: file not found"));
    EXPECT_FALSE(w->Viewer1->isOpen());
    EXPECT_FALSE(w->Find1->isEnabled());
}

TEST_F(ViewWindowTest, FindThenFindNextGoesOnFromTheLastMatchAndNeverGlobally) {
    const QString path = write("text", "alpha beta alpha\nALPHA gamma\n");
    const QString notFound = QStringLiteral("Search string 'alpha' not found");
    // The caret (as the status line shows it) after Find and after each Find next; "" for the
    // not-found message.
    const struct {
        bool backward, matchCase, global;
        QStringList carets;
    } cases[] = {
        {false, false, false, {"1:6", "1:17", "2:6", ""}},
        {false, true, false, {"1:6", "1:17", ""}},
        // Global and backward starts at the end; Find next goes on backward from there.
        {true, false, true, {"2:1", "1:12", "1:1", ""}},
        {true, true, true, {"1:12", "1:1", ""}},
        {false, false, true, {"1:6", "1:17", "2:6", ""}},
    };
    for (const auto& c : cases) {
        auto w = view(path);
        // A global search starts at an end of the file, wherever the caret is.
        if (c.global)
            w->Viewer1->goTo(c.backward ? 0 : 1, 3);
        ui.clear();
        answerFind(QStringLiteral("alpha"), c.backward, c.matchCase, c.global);
        for (int step = 0; step < c.carets.size(); ++step) {
            step == 0 ? w->Find1Click() : w->Findnext1Click();
            if (c.carets[step].isEmpty())
                EXPECT_EQ(ui.lastMessage(), notFound);
            else
                EXPECT_EQ(w->statusSection(0).trimmed(), c.carets[step])
                    << "case " << (&c - cases) << " step " << step;
        }
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(w->Findnext1->isEnabled());
    }

    // The dialog keeps its text and options for the next viewer; a cancelled Find changes
    // nothing.
    findDialog().RadioButton1->setChecked(true);
    auto next = view(path);
    EXPECT_TRUE(next->Findnext1->isEnabled());
    ui.onModal = [](QDialog&) { return int(QDialog::Rejected); };
    next->Find1Click();
    EXPECT_EQ(next->statusSection(0).trimmed(), QStringLiteral("1:1"));
    next->Findnext1Click();
    EXPECT_EQ(next->statusSection(0).trimmed(), QStringLiteral("1:6"));
}

TEST_F(ViewWindowTest, GoToLineAndTabSizeTakeOnlyNumbersInRange) {
    QByteArray text;
    for (int i = 0; i < 10; ++i)
        text += "line\n";
    auto w = view(write("lines", text));
    const struct {
        const char* answer;
        std::int64_t line; // the caret's line afterwards; it starts on index 4
    } goTos[] = {{"3", 2},
                 {"0", 0},
                 {"-5", 0},
                 {"abc", 4},
                 {"", 4},
                 {"999", 9},
                 {"-9223372036854775808", 0}};
    for (const auto& c : goTos) {
        w->Viewer1->goTo(4, 0);
        ui.inputs.push_back(QString::fromLatin1(c.answer));
        w->Gotoline1Click();
        EXPECT_EQ(w->Viewer1->caret().line, c.line) << c.answer;
    }
    EXPECT_EQ(ui.questions.last(), QStringLiteral("Enter line number (1 to 10)"));

    const struct {
        const char* answer;
        int size; // the tab size afterwards; it starts at 8
    } tabs[] = {{"0", 8}, {"300", 8}, {"abc", 8}, {"4", 4}, {"255", 255}, {"256", 8}};
    for (const auto& c : tabs) {
        w->Viewer1->setTabSize(8);
        ui.inputs.push_back(QString::fromLatin1(c.answer));
        w->Tabsize1Click();
        EXPECT_EQ(w->Viewer1->tabSize(), c.size) << c.answer;
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ViewWindowTest, HexModeMenuAndRadioButtonsAgree) {
    auto w = view(write("twenty", QByteArray(20, 'z')));
    w->HexMode1->trigger();
    EXPECT_TRUE(w->Viewer1->inHexMode());
    EXPECT_TRUE(w->rbHex->isChecked());
    EXPECT_EQ(w->Viewer1->lineCount(), 2);
    w->rbAscii->click();
    EXPECT_FALSE(w->Viewer1->inHexMode());
    EXPECT_FALSE(w->HexMode1->isChecked());
}

TEST_F(ViewWindowTest, PrintingAllOfAnUncountedFileCountsItsLinesFirst) {
    // Lines longer than the first megabyte can count: the total is unknown when printing.
    QByteArray text;
    for (int i = 0; i < 1200; ++i)
        text += QByteArray(1000, 'p') + '\n';
    auto w = view(write("long", text));
    ASSERT_EQ(w->Viewer1->lineCount(), FileViewer::kUncounted);
    ui.pdfPath = tree.path() + QStringLiteral("/all.pdf");
    w->Print1Click();
    EXPECT_FALSE(ui.selectionOffered);
    EXPECT_EQ(w->Viewer1->lineCount(), 1200);
    QFile pdf(ui.pdfPath);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_GT(pdf.readAll().count("/Type /Page\n"), 1);
    EXPECT_TRUE(ui.messages.empty());

    // With a selection the dialog offers the Selection range.
    w->Viewer1->goTo(0, 0);
    answerFind(QStringLiteral("ppp"), false, false, false);
    w->Find1Click();
    ui.printSelection = true;
    ui.pdfPath = tree.path() + QStringLiteral("/selection.pdf");
    w->Print1Click();
    EXPECT_TRUE(ui.selectionOffered);
    EXPECT_TRUE(QFile::exists(ui.pdfPath));
}

TEST_F(ViewWindowTest, ADropOpensTheFirstFileByItsExactBytesAndKeepsTheTitle) {
    const QString shown = write("shown", "first\n");
    // A name that is not UTF-8, deep enough for a path of more than 80 characters.
    const QByteArray rel = QByteArray("sub/") + QByteArray(90, 'd') + "/caf\xE9 dropped";
    const QString dropped = write(rel, "dropped\n");
    auto w = view(shown);
    const QString title = w->windowTitle();

    QByteArray list = "file://" + QByteArray(toNative(dropped)).toPercentEncoding("/") +
                      "\r\nfile://" + toNative(shown) + "\r\n";
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), list);
    // The drop goes to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &drop);
    EXPECT_EQ(w->Viewer1->fileName(), dropped);
    EXPECT_TRUE(w->Viewer1->isOpen());
    EXPECT_EQ(w->Viewer1->lineText(0), QStringLiteral("dropped"));
    EXPECT_EQ(w->windowTitle(), title);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ViewWindowTest, TheStringsButtonOpensTheStringsOfTheFileShown) {
    auto w = view(write("first", "first\n"));
    const QString path = write("strings", QByteArray("\0first string\0", 14));
    ui.openFile = path;
    w->Open1Click();
    w->setGeometry(120, 130, 640, 420);
    QString title, file;
    QRect geometry;
    ui.onModal = [&](QDialog& d) {
        auto& s = dynamic_cast<TfrmStrings&>(d);
        title = s.windowTitle();
        file = s.fileName;
        geometry = s.geometry();
        return int(QDialog::Rejected);
    };
    w->btStrings->click();
    EXPECT_EQ(title, QStringLiteral("ASCII strings for : ") + path);
    EXPECT_EQ(file, path);
    EXPECT_EQ(geometry, w->geometry());
}

} // namespace

namespace {

// A search through more than the first megabytes goes on in the background: the status line
// shows it, Esc stops it wherever the focus is (and only then closes the window), and a
// search that ends without a match says so.
TEST_F(ViewWindowTest, BackgroundSearchShowsProgressAndStopsWithEsc) {
    QByteArray text;
    for (int i = 0; i < 200000; ++i)
        text += "a line without what is looked for\n";
    auto w = view(write("big", text));
    answerFind(QStringLiteral("zebra"), false, false, true);
    w->Find1Click();
    EXPECT_TRUE(w->statusSection(4).startsWith(QStringLiteral("Searching: ")));
    w->btClose->setFocus();
    QTest::keyClick(w->btClose, Qt::Key_Escape);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->statusSection(4), QStringLiteral(" "));
    QTest::qWait(100);
    EXPECT_TRUE(ui.messages.empty());

    w->Findnext1Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.messages.empty(); }));
    EXPECT_EQ(ui.lastMessage(), QStringLiteral("Search string 'zebra' not found"));
    EXPECT_EQ(w->statusSection(4), QStringLiteral(" "));
    QTest::keyClick(w->btClose, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

// The largest file there can be, 2^63 - 1 bytes (sparse, on tmpfs), in hex mode: its line
// count does not overflow, the prompt names it, the view shows its lines to the last, and
// searches from either end find nothing without running past the top of the range.
TEST_F(ViewWindowTest, HexModeOfTheLargestFile) {
    QTemporaryDir shm(QStringLiteral("/dev/shm/zelkova-XXXXXX"));
    const QByteArray path = QFile::encodeName(shm.path()) + "/largest";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const bool made = fd >= 0 && ::ftruncate(fd, std::numeric_limits<qint64>::max()) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!shm.isValid() || !made)
        GTEST_SKIP() << "no tmpfs for a file of 2^63 - 1 bytes";
    auto w = view(fromNative(path));
    EXPECT_EQ(w->Viewer1->lineCount(), 1); // one line of NUL bytes, counted without reading
    w->HexMode1->trigger();
    ui.inputs.push_back(std::nullopt);
    w->Gotoline1Click();
    EXPECT_EQ(ui.questions.last(), QStringLiteral("Enter line number (1 to 576460752303423488)"));
    EXPECT_TRUE(w->Viewer1->lineText(0).startsWith(QStringLiteral("00000000  00 00")));
    QTest::keyClick(w->Viewer1, Qt::Key_End, Qt::ControlModifier);
    const std::int64_t last = (std::int64_t(1) << 59) - 1;
    EXPECT_EQ(w->Viewer1->caret().line, last);
    EXPECT_EQ(w->Viewer1->lineText(last).left(23), QStringLiteral("7FFFFFFFFFFFFFF0  00 00"));
    w->grab();
    for (const bool backward : {true, false}) {
        answerFind(QStringLiteral("x"), backward, false, true);
        w->Find1Click();
    }
    EXPECT_EQ(ui.messageTexts(), QStringList(2, QStringLiteral("Search string 'x' not found")));
}

} // namespace
