#include "stats/statistics_window.h"

#include "stats/deleted_page.h"
#include "stats/disk_page.h"
#include "stats/overhang_page.h"
#include "stats/tally_pages.h"
#include "stats/types_page.h"

#include "controls/dig_marquee.h"

#include "common/number_text.h"
#include "common/profile.h"
#include "common/which_drive.h"
#include "finders/scan_engine.h"
#include "finders/scan_session.h"
#include "platform/date_text.h"
#include "platform/drives.h"
#include "platform/file_time.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "support/walk_gate.h"
#include "widgets/gauge.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <new>

namespace {

// The engine the window collects with.
ScanEngine& engineOf(TfrmStatistics& w) {
    return w.session().engine();
}

// One collection of `drive` in the background, run to its end.
void collectAll(TfrmStatistics& w, const QString& drive) {
    w.collect(drive);
    w.session().wait();
    EXPECT_FALSE(w.collecting());
}

// The statistics window over a test "drive": the temporary tree is the only drive.
class StatisticsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        drives = {Drive{tree.path(), QStringLiteral("test"), QStringLiteral("tmpfs")}};
        setDriveListSeam([this] { return drives; });
        ui.onModal = [](QDialog& d) {
            if (auto* w = dynamic_cast<TfrmWhichDrive*>(&d))
                return int(w->cbDrive->count() > 0 ? QDialog::Accepted : QDialog::Rejected);
            return int(QDialog::Rejected);
        };
    }
    void TearDown() override { setDriveListSeam(nullptr); }
    // The type grid's rows as "extension:count:count rank:size rank", top to bottom.
    static QStringList typeRows(const TfrmStatistics& w) {
        QStringList rows;
        for (int r = 1; r < w.typesPage->gridTypes->rowCount(); ++r)
            rows << w.typesPage->gridTypes->cell(0, r) + ':' + w.typesPage->gridTypes->cell(2, r) +
                        ':' + w.typesPage->gridTypes->cell(3, r) + ':' +
                        w.typesPage->gridTypes->cell(5, r);
        return rows;
    }

    TempTree tree;
    std::vector<Drive> drives;
    ScriptedUi ui;
};

TEST_F(StatisticsWindowTest, CollectsEveryFileOfTheDriveIntoThePages) {
    tree.file("a.txt", 1);
    tree.file(".profile", 0); // hidden files count
    tree.file("sub/b.TXT", 16385);
    tree.file("sub/big.img", qint64(1) << 40); // sparse
    tree.file("sub/deeper/README", 4096);
    tree.file("name.", 10);
    tree.file("sub/x.config", 3); // too long an extension for the table, counted elsewhere
    TfrmStatistics w;
    w.show();
    EXPECT_EQ(w.windowTitle(), "File Statistics Not Yet Collected");
    w.OvcNotebook1->setCurrentIndex(TfrmStatistics::Types);
    EXPECT_TRUE(w.pnlNotYet->isVisible());

    w.btOK->click();
    w.session().wait();
    EXPECT_EQ(ui.messageTexts(),
              QStringList{"Drive \"" + tree.path() +
                          "\" will be scanned.  The analysis may take some time.  You may quit "
                          "at any time by clicking CANCEL or pressing ESC."});
    EXPECT_EQ(w.windowTitle(), "Statistics for drive " + tree.path() + " completed.");
    EXPECT_EQ(w.lblStatus->text(), "Finished - 7 files processed");
    EXPECT_FALSE(w.pnlNotYet->isVisible());
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_TRUE(w.btOK->isEnabled());

    // Sorted by extension after the collection; ranks by the numbers.
    // README is met first (folders below before files): of the equal counts it alone is
    // ranked, with the largest rank number among them.
    EXPECT_EQ(typeRows(w), (QStringList{":1:4:3", ".:1::4", ".IMG:1::1", ".TXT:2:1:2"}));
    w.typesPage->SortbyExtensionClick(w.typesPage->SortbySize1);
    EXPECT_EQ(w.typesPage->gridTypes->cell(0, 1), ".IMG");
    EXPECT_TRUE(w.typesPage->SortbySize1->isChecked());

    EXPECT_EQ(w.sizesPage->rows[1].count->text(), "5");
    EXPECT_EQ(w.sizesPage->rows[2].count->text(), "1");
    EXPECT_EQ(w.sizesPage->rows[9].bytes->text(), formatThousands(qint64(1) << 40));
    EXPECT_EQ(w.sizesPage->rows[9].bytesGauge->progress(), 99);
    EXPECT_EQ(w.overhangPage->lblNumFiles->text(), "Number of files scanned: 7");
    EXPECT_EQ(w.overhangPage->lblSize->text(),
              formatThousands(((qint64(1) << 40) + 16385 + 4096 + 14) >> 20) + " Mb");
    EXPECT_TRUE(w.sizesPage->lblCluster->text().startsWith("Since drive " + tree.path() +
                                                           " is partitioned into "));
    // Regular files count as archive; ".profile" is hidden and archive, so under both.
    EXPECT_EQ(w.attributesPage->rows[0].count->text(), "1");
    EXPECT_EQ(w.attributesPage->rows[3].count->text(), "7");
    EXPECT_EQ(w.attributesPage->rows[0].countGauge->progress(), 14); // 1 of 7 files
    EXPECT_EQ(w.attributesPage->rows[3].countGauge->progress(), 100);
    EXPECT_EQ(w.agePages[StatTallies::Modified]->rows[1].count->text(), "7");
}

TEST_F(StatisticsWindowTest, ShowsProgressWhileCollectingAndCancelKeepsThePartialFigures) {
    for (int d = 0; d < 10; ++d)
        for (int f = 0; f < 10; ++f)
            tree.file(
                QByteArray("d") + QByteArray::number(d) + "/f" + QByteArray::number(f) + ".dat", 5);
    TfrmStatistics w;
    w.show();
    // One walking thread: held at the fifth folder, three folders' files are in.
    engineOf(w).setThreads(1);
    {
        WalkGate gate(engineOf(w), 5);
        w.collect(tree.path());
        ASSERT_TRUE(gate.reached());
        EXPECT_TRUE(w.collecting());
        EXPECT_TRUE(w.DigMarquee1->isVisible());
        EXPECT_TRUE(w.ProgressBar1->isVisible());
        EXPECT_FALSE(w.btOK->isEnabled());
        // The screen follows the walk by its timers, beside the status the figures so far.
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return w.lblStatus->text() == QStringLiteral("Processing files ... standby : 25") &&
                   w.lblProgress->accessibleDescription() == progressText(30, 150);
        })) << w.lblStatus->text().toStdString();
        EXPECT_TRUE(w.lblProgress->isVisible());

        w.btCancel->click(); // Cancel while collecting stops the walk
        w.session().wait();
    }
    EXPECT_FALSE(w.collecting());
    EXPECT_FALSE(w.lblProgress->isVisible());
    EXPECT_TRUE(w.DigMarquee1->caption().contains(QStringLiteral("ABORTED")));
    EXPECT_EQ(w.tallies().filesProcessed, 30);
    EXPECT_EQ(w.windowTitle(),
              "File Statistics for drive " + tree.path() + " incomplete ... aborted.");
    EXPECT_EQ(w.lblStatus->text(), "Finished - 30 files processed INCOMPLETE ... ABORTED");
    EXPECT_EQ(w.overhangPage->lblNumFiles->text(), "Number of files scanned: 30");
    EXPECT_EQ(w.sizesPage->rows[1].count->text(), "30");
    EXPECT_TRUE(w.collected());
    EXPECT_TRUE(w.btOK->isEnabled());
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_TRUE(w.isVisible()); // Cancel stopped the walk; it did not close the window

    // The next collection starts afresh and completes.
    engineOf(w).setThreads(0);
    collectAll(w, tree.path());
    EXPECT_EQ(w.tallies().filesProcessed, 100);
    EXPECT_EQ(w.lblStatus->text(), "Finished - 100 files processed");
    // The sign tells the end once and then steps aside.
    EXPECT_TRUE(w.DigMarquee1->caption().contains(QStringLiteral("COMPLETED: 100 FILES")));
    for (int t = 0; t < 10000 && w.DigMarquee1->isVisible(); ++t)
        w.DigMarquee1->tick();
    EXPECT_FALSE(w.DigMarquee1->isVisible());
}

TEST_F(StatisticsWindowTest, RunningOutOfMemoryStopsWithAWarningThatSaysWhy) {
    for (int f = 0; f < 30; ++f)
        tree.file("d" + QByteArray::number(f % 10) + "/f" + QByteArray::number(f), 1);
    TfrmStatistics w;
    w.show();
    engineOf(w).setThreads(1); // the hook then runs on the walk's own thread
    engineOf(w).setFolderHook([folders = 0](const QByteArray&) mutable {
        if (++folders == 5)
            throw std::bad_alloc();
    });
    collectAll(w, tree.path());
    EXPECT_EQ(ui.lastMessage(), ScanSession::kLimitText);
    EXPECT_EQ(ui.messages.back().kind, MessageKind::Warning);
    EXPECT_TRUE(w.lblStatus->text().endsWith(QStringLiteral("INCOMPLETE ... ABORTED")));
    EXPECT_FALSE(w.collecting());
}

// Closing the window lets the walk stop and closes it after; destroying it stops the walk and
// waits for it (the address sanitizer sees any use of the window after it is gone).
TEST_F(StatisticsWindowTest, ClosingOrDestroyingDuringACollectionStopsTheWalkFirst) {
    for (int f = 0; f < 30; ++f)
        tree.file("d" + QByteArray::number(f % 3) + "/f" + QByteArray::number(f), 1);
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy);
        auto w = std::make_unique<TfrmStatistics>();
        w->show();
        WalkGate gate(engineOf(*w), 2);
        w->collect(tree.path());
        ASSERT_TRUE(gate.reached());
        if (destroy) {
            w.reset();
            gate.forgetEngine();
            continue;
        }
        w->close();
        EXPECT_TRUE(w->isVisible()) << "the window stays until the walk has let go";
        w->session().wait();
        EXPECT_FALSE(w->collecting());
        EXPECT_FALSE(w->isVisible());
        EXPECT_LT(w->tallies().filesProcessed, 30);
        EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral("incomplete ... aborted.")));
    }
}

TEST_F(StatisticsWindowTest, ADriveGoneBetweenCollectionsKeepsTheEarlierFigures) {
    tree.file("a.txt", 100);
    TfrmStatistics w;
    w.show();
    collectAll(w, tree.path());
    const QString title = w.windowTitle();
    drives.clear(); // unmounted
    ui.clear();
    w.collect(tree.path());
    EXPECT_EQ(ui.messageTexts(), QStringList{"There is no disk in drive " + tree.path()});
    EXPECT_EQ(w.tallies().filesProcessed, 1);
    EXPECT_EQ(w.windowTitle(), title);
    EXPECT_EQ(w.sizesPage->rows[1].bytes->text(), "100");
    EXPECT_FALSE(w.ProgressBar1->isVisible());
}

TEST_F(StatisticsWindowTest, AnEmptyDriveLeavesTheBarsAlone) {
    TfrmStatistics w;
    w.show();
    w.sizesPage->rows[3].countGauge->setProgress(42);
    w.overhangPage->gaOver[1]->setProgress(7);
    collectAll(w, tree.path());
    EXPECT_EQ(w.lblStatus->text(), "Finished - 0 files processed");
    EXPECT_EQ(w.sizesPage->rows[3].countGauge->progress(), 42);
    EXPECT_EQ(w.overhangPage->gaOver[1]->progress(), 7);
    EXPECT_EQ(w.typesPage->gridTypes->rowCount(), 1);
    w.typesPage->SortbyExtensionClick(w.typesPage->SortbySize1); // nothing to sort
    EXPECT_TRUE(w.typesPage->SortbyExtension1->isChecked());
}

TEST_F(StatisticsWindowTest, DeletedPageReadsTheTotalsAndResetsThem) {
    struct Case {
        QByteArray ini;
        QString files, bytes, recycled, recycledBytes, since;
    };
    const QString day = shortDateText(QDate(2026, 1, 2));
    const Case cases[] = {
        {"", "n/a", "n/a", "n/a", "n/a", ""},
        {"Ndelete=0\nNWaste=3\nSizeWaste=4096\nDelDate=-1\n", "n/a", "n/a", "3 files",
         formatThousands(4096) + " bytes", ""},
        // Corrupt figures read as absent.
        {"Ndelete=12abc\nSizeDelete=5\nNWaste=2\nSizeWaste=x\nDelDate=zz\n", "n/a", "n/a",
         "2 files", "n/a", ""},
        // Figures past any real count, or past 64 bits.
        {"Ndelete=9223372036854775807\nSizeDelete=-5\nNWaste=99999999999999999999\n"
         "SizeWaste=1\nDelDate=9223372036854775807\n",
         formatThousands(9223372036854775807LL) + " files", "n/a", "n/a", "n/a", ""},
        {"Ndelete=1\nSizeDelete=0x7fffffffffffffff\nDelDate=-9223372036854775807\n", "1 files",
         formatThousands(9223372036854775807LL) + " bytes", "n/a", "n/a", ""},
        {"Ndelete=2\nSizeDelete=3000000000\nDelDate=" +
             QByteArray::number(dayNumber(QDate(2026, 1, 2))) + "\n",
         "2 files", formatThousands(3000000000) + " bytes", "n/a", "n/a", "Since " + day},
    };
    TfrmStatistics w;
    w.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini.constData());
        const QString ini = settingsFilePath(QStringLiteral("zelkova.ini"));
        QDir().mkpath(QFileInfo(ini).path());
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("[Zelkova]\n") + c.ini);
        f.close();
        w.OvcNotebook1->setCurrentIndex(TfrmStatistics::DiskSpace);
        w.OvcNotebook1->setCurrentIndex(TfrmStatistics::Deleted);
        EXPECT_EQ(w.deletedPage->edNdelete->text(), c.files);
        EXPECT_EQ(w.deletedPage->edSzDelete->text(), c.bytes);
        EXPECT_EQ(w.deletedPage->edNWaste->text(), c.recycled);
        EXPECT_EQ(w.deletedPage->edSzWaste->text(), c.recycledBytes);
        EXPECT_EQ(w.deletedPage->lblSince1->text(), c.since);
    }
    ui.answers = {Answer::No};
    w.deletedPage->Button1->click();
    EXPECT_EQ(w.deletedPage->edNdelete->text(), "2 files");
    ui.answers = {Answer::Yes};
    w.deletedPage->Button1->click();
    EXPECT_EQ(ui.questions.last(), "Reset cumulative totals?");
    EXPECT_EQ(w.deletedPage->edNdelete->text(), "n/a");
    EXPECT_EQ(w.deletedPage->lblSince1->text(), "");
    EXPECT_EQ(Profile(QStringLiteral("zelkova.ini")).readInteger("Zelkova", "Ndelete", 0), -1);
}

TEST_F(StatisticsWindowTest, DiskPageShowsTheDrivesOwnFigures) {
    TfrmStatistics w;
    w.show();
    const DiskGeometry g = *diskGeometry(tree.path());
    EXPECT_EQ(w.diskPage->lblDriveName->text(), "Disk drive: " + tree.path());
    EXPECT_EQ(w.diskPage->lblTotal->text(), formatThousands(g.totalBytes()));
    EXPECT_EQ(w.diskPage->lblFreeC->text(), "Free Space on Drive " + tree.path() + ": ");
    const int pct = int(g.freeBytes() * 100 / g.totalBytes());
    EXPECT_EQ(w.diskPage->Gauge1->progress(), 100 - pct);

    // Unmounted since the list was built: its folder now belongs to another file system,
    // whose figures are not this drive's.
    w.diskPage->lblTotal->setText(QStringLiteral("kept"));
    drives.clear();
    w.diskPage->cbDriveClick();
    EXPECT_EQ(w.diskPage->lblTotal->text(), "kept");
}

TEST_F(StatisticsWindowTest, PrintsTheTypeGridAsAReportAndOtherPagesAsPictures) {
    tree.file("a.txt", 1);
    TfrmStatistics w;
    w.show();
    collectAll(w, tree.path());
    for (int page : {int(TfrmStatistics::Types), int(TfrmStatistics::Sizes)}) {
        SCOPED_TRACE(page);
        ui.pdfPath = tree.path() + "/page" + QString::number(page) + ".pdf";
        w.OvcNotebook1->setCurrentIndex(page);
        w.btPrint->click();
        EXPECT_GT(QFile(ui.pdfPath).size(), 500);
    }
    ui.printAccepted = false;
    ui.pdfPath = tree.path() + "/cancelled.pdf";
    w.btPrint->click();
    EXPECT_FALSE(QFile::exists(ui.pdfPath));
}

} // namespace
