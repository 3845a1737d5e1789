#include "finders/scan_session.h"

#include "common/locations.h"
#include "finders/scan_engine.h"
#include "platform/drives.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "support/walk_gate.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

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
        session->setInline(true);
        QObject::connect(session, &ScanSession::finished,
                         [this](ScanSession::End end) { ends << end; });
    }
    void TearDown() override { setDriveListSeam(nullptr); }
    // One scan with the walk held at its n-th folder while `during` runs.
    void scanHeld(int atFolder, const std::function<void()>& during,
                  std::function<void()> prepare = {},
                  std::function<void(ScanSession::End)> finish = {}) {
        scanHeldAt(
            *session, atFolder, [&] { session->start(std::move(prepare), std::move(finish)); },
            during);
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
    QList<ScanSession::End> ends; // as finished() told them
};

} // namespace

TEST_F(ScanSessionTest, AbortThenEscReportOnceAndUnlock) {
    bool lockedDuringWalk = false;
    scanHeld(5, [&] {
        lockedDuringWalk = session->scanning() && !scanButton->isEnabled() &&
                           !drives->isEnabled() && abortButton->isVisible() &&
                           resultButton->isHidden();
        abortButton->click();
        EXPECT_TRUE(abortButton->isHidden());
        // A second Esc while the walk lets go reports nothing more.
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    EXPECT_EQ(ends, QList{ScanSession::End::Stopped});
    EXPECT_TRUE(lockedDuringWalk);
    EXPECT_EQ(ui.messageTexts(), QStringList{ScanSession::kAbortText});
    EXPECT_LT(sink.files, 50);
    EXPECT_TRUE(scanButton->isEnabled());
    EXPECT_TRUE(drives->isEnabled());
    EXPECT_TRUE(abortButton->isHidden());
    EXPECT_FALSE(session->scanning());

    // The next scan starts afresh and runs to its end.
    sink.files = 0;
    session->start({}, {});
    EXPECT_EQ(ends.last(), ScanSession::End::Complete);
    EXPECT_EQ(sink.files, 50);
}

TEST_F(ScanSessionTest, RecordLimitAndMemoryExhaustionKeepWhatWasFound) {
    // A store refusing (again) and memory running out, in the sink on the walk's side.
    struct Case {
        const char* name;
        std::function<void()> atFile7;
    };
    const Case cases[] = {
        {"refused",
         [&] {
             session->stopAtLimit();
             session->stopAtLimit(); // a store refusing again warns no more
         }},
        {"out of memory", [] { throw std::bad_alloc(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.clear();
        sink.files = 0;
        sink.onFile = [&] {
            if (sink.files == 7)
                c.atFile7();
        };
        int listedWhenFull = -1;
        bool finished = false;
        session->start([&] { listedWhenFull = sink.files; },
                       [&](ScanSession::End end) {
                           finished = true;
                           EXPECT_EQ(end, ScanSession::End::Stopped);
                           EXPECT_FALSE(session->scanning());
                       });
        EXPECT_TRUE(finished);
        EXPECT_EQ(listedWhenFull, 7);
        EXPECT_EQ(ui.messageTexts(), QStringList{kLimit});
        EXPECT_TRUE(scanButton->isEnabled());
    }
}

// Any other failure in the walk unlocks the window and comes out where the scan ends.
TEST_F(ScanSessionTest, AFailureInTheWalkUnlocksAndIsRaisedAtTheEnd) {
    sink.onFile = [] { throw std::runtime_error("disk on fire"); };
    bool finished = false;
    EXPECT_THROW(session->start({}, [&](ScanSession::End) { finished = true; }),
                 std::runtime_error);
    EXPECT_FALSE(finished);
    EXPECT_FALSE(session->scanning());
    EXPECT_TRUE(scanButton->isEnabled());
    EXPECT_TRUE(abortButton->isHidden());
}

TEST_F(ScanSessionTest, ClosingDuringTheWalkClosesOnceItHasLetGo) {
    bool stillOpen = false;
    bool finishRan = false;
    scanHeld(
        3,
        [&] {
            window.close();
            stillOpen = window.isVisible();
        },
        {}, [&](ScanSession::End) { finishRan = true; });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(ends, QList{ScanSession::End::Closed});
    EXPECT_FALSE(finishRan);
    EXPECT_LT(sink.files, 50);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(ui.messages.empty());
}

// While the walk runs, the status line shows the folder being walked, shortened to the line
// with its middle left out, and beside it the files and bytes so far; both go at the end.
TEST_F(ScanSessionTest, ProgressShowsTheFolderAndTheFiguresWhileWalking) {
    QByteArray deep = "deep";
    for (char level = 'a'; level < 'f'; ++level) {
        deep += '/' + QByteArray(200, level);
        tree.file(deep + "/f", 1024 * 1024);
    }
    QLabel* progress = progressLabelOf(status);
    ASSERT_TRUE(progress);
    status->parentWidget()->setGeometry(0, 0, 500, 24);
    QString shown;
    session->setInline(false);
    {
        // Each folder takes 25 ms, so the progress notes each; held at the deepest.
        WalkGate gate(
            engine, [&](const QByteArray& path) { return path.endsWith(QByteArray(200, 'e')); },
            std::chrono::milliseconds(25));
        session->start({}, {});
        ASSERT_TRUE(gate.reached());
        EXPECT_TRUE(progress->isVisible());
        // The figures come with the timer, five times a second.
        EXPECT_TRUE(QTest::qWaitFor([&] { return status->text().contains(QChar(0x2026)); }, 2000))
            << status->text().toStdString();
        shown = status->text();
        gate.open();
        session->wait();
    }
    EXPECT_TRUE(shown.startsWith(tree.path().left(3))) << shown.toStdString();
    EXPECT_LE(status->fontMetrics().horizontalAdvance(shown), status->contentsRect().width());
    EXPECT_TRUE(progress->isHidden());
    EXPECT_TRUE(progress->text().isEmpty());
    EXPECT_TRUE(progress->accessibleDescription().isEmpty());
}

// The figures: thousands grouped, whole megabytes; a screen reader finds them under the
// label's fixed name without the label announcing each change.
TEST_F(ScanSessionTest, ProgressFigures) {
    const struct {
        qint64 files, bytes;
        const char* text;
    } cases[] = {{0, 0, "0 files, 0 MB"},
                 {12345, 1048575, "12,345 files, 0 MB"},
                 {1000000, qint64(5) << 40, "1,000,000 files, 5,242,880 MB"}};
    for (const auto& c : cases)
        EXPECT_EQ(progressText(c.files, c.bytes), QString::fromLatin1(c.text));
    EXPECT_EQ(progressLabelOf(status)->accessibleName(), "Progress");
}
