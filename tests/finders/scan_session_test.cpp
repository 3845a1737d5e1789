#include "finders/scan_session.h"

#include "common/locations.h"
#include "finders/scan_engine.h"
#include "platform/drives.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <new>

namespace {

const QString kLimit = QStringLiteral("limit reached");

class CountingSink : public ScanSink {
public:
    void file(const ScanFile&) override {
        ++files;
        if (onFile)
            onFile();
    }
    int files = 0;
    std::function<void()> onFile;
};

// A plain window (not a dialog, as the statistics window may be) with the parts a scan drives,
// over one test drive of 10 folders of 5 files.
class ScanSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveListSeam([this] {
            return std::vector<Drive>{
                Drive{tree.path(), QStringLiteral("t"), QStringLiteral("tmpfs")}};
        });
        for (int d = 0; d < 10; ++d)
            for (int f = 0; f < 5; ++f)
                tree.file("d" + QByteArray::number(d) + "/f" + QByteArray::number(f), 1);
        drives = new TDrivePanel(&window);
        drives->buildDriveBoxes();
        abortButton = new QPushButton(QStringLiteral("&Abort"), &window);
        scanButton = new QPushButton(QStringLiteral("&Scan"), &window);
        resultButton = new QPushButton(QStringLiteral("&Print"), &window);
        status = makeStatusLine(&window, nullptr);
        ScanSession::Parts parts;
        parts.window = &window;
        parts.drives = drives;
        parts.abortButton = abortButton;
        parts.status = status;
        parts.lockWhileScanning = {scanButton};
        parts.hideWhenScanning = {resultButton};
        session = new ScanSession(engine, parts, &window);
        session->setLimitText(kLimit);
        engine.setSink(&sink);
        abortButton->hide();
        window.show();
        engine.setPumpInterval(0);
    }
    void TearDown() override { setDriveListSeam(nullptr); }
    // Runs `action` at the n-th pump of the walk.
    void atPump(int n, std::function<void()> action) {
        engine.setPumpHook([this, n, action, count = 0]() mutable {
            if (++count == n)
                action();
        });
    }

    ScriptedUi ui;
    TempTree tree;
    QWidget window;
    TDrivePanel* drives = nullptr;
    QPushButton* abortButton = nullptr;
    QPushButton* scanButton = nullptr;
    QPushButton* resultButton = nullptr;
    QLabel* status = nullptr;
    ScanEngine engine;
    CountingSink sink;
    ScanSession* session = nullptr;
};

} // namespace

TEST_F(ScanSessionTest, AbortThenEscReportOnceAndUnlock) {
    bool lockedDuringWalk = false;
    atPump(12, [&] {
        lockedDuringWalk = !scanButton->isEnabled() && !drives->isEnabled() &&
                           abortButton->isVisible() && resultButton->isHidden();
        abortButton->click();
        // A second Esc while the walk unwinds reports nothing more.
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    EXPECT_EQ(session->run(), ScanSession::End::Stopped);
    EXPECT_TRUE(lockedDuringWalk);
    EXPECT_EQ(ui.messageTexts(), QStringList{ScanSession::kAbortText});
    EXPECT_LT(sink.files, 50);
    EXPECT_TRUE(scanButton->isEnabled());
    EXPECT_TRUE(drives->isEnabled());
    EXPECT_TRUE(abortButton->isHidden());

    // The next scan starts afresh and runs to its end.
    engine.setPumpHook(nullptr);
    sink.files = 0;
    EXPECT_EQ(session->run(), ScanSession::End::Complete);
    EXPECT_EQ(sink.files, 50);
}

TEST_F(ScanSessionTest, RecordLimitAndMemoryExhaustionKeepWhatWasFound) {
    sink.onFile = [&] {
        if (sink.files == 7) {
            session->stopAtLimit();
            session->stopAtLimit(); // a store refusing again warns no more
        }
    };
    int listedWhenFull = 0;
    EXPECT_EQ(session->run([&] { listedWhenFull = sink.files; }), ScanSession::End::Stopped);
    EXPECT_EQ(listedWhenFull, 7);
    EXPECT_EQ(ui.messageTexts(), QStringList{kLimit});

    // Out of memory in the middle of the walk: the same warning; the window's results step
    // still runs and the window is unlocked.
    ui.clear();
    sink.files = 0;
    sink.onFile = nullptr;
    atPump(30, [] { throw std::bad_alloc(); });
    bool resultsMade = false;
    EXPECT_EQ(session->run([&] { resultsMade = true; }), ScanSession::End::Stopped);
    EXPECT_TRUE(resultsMade);
    EXPECT_GT(sink.files, 0);
    EXPECT_EQ(ui.messageTexts(), QStringList{kLimit});
    EXPECT_TRUE(scanButton->isEnabled());
    EXPECT_FALSE(session->scanning());
}

TEST_F(ScanSessionTest, ClosingDuringTheWalkClosesOnceItHasUnwound) {
    bool stillOpen = false;
    atPump(5, [&] {
        window.close();
        stillOpen = window.isVisible();
    });
    int filesAfterWalk = -1;
    EXPECT_EQ(session->run([&] { filesAfterWalk = sink.files; }), ScanSession::End::Closed);
    EXPECT_TRUE(stillOpen);
    EXPECT_LT(filesAfterWalk, 50);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(ui.messages.empty());
}

// The folder being walked shows on the status line shortened to the line, its middle left
// out, however long its path.
TEST_F(ScanSessionTest, TheWalkedFolderFitsTheStatusLine) {
    QByteArray deep = "deep";
    for (char level = 'a'; level < 'm'; ++level) {
        deep += '/' + QByteArray(200, level);
        tree.file(deep + "/f", 1);
        tree.file(deep + "/g", 1); // a walk pumps after the first entry of a folder
    }
    status->parentWidget()->setGeometry(0, 0, 300, 24);
    QStringList shown;
    engine.setPumpHook([&] { shown << status->text(); });
    EXPECT_EQ(session->run(), ScanSession::End::Complete);
    const QString longest =
        *std::max_element(shown.begin(), shown.end(),
                          [](const QString& a, const QString& b) { return a.size() < b.size(); });
    EXPECT_TRUE(longest.startsWith(tree.path().left(3))) << longest.toStdString();
    EXPECT_TRUE(longest.contains(QChar(0x2026))) << longest.toStdString();
    EXPECT_LE(status->fontMetrics().horizontalAdvance(longest), status->contentsRect().width());
}
