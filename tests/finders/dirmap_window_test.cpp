#include "finders/dirmap_window.h"

#include "delete/del_directory.h"
#include "finders/dirhog_window.h"
#include "finders/folder_map_view.h"
#include "platform/drives.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The map of the folder-hog window's "All Folders" scan of a test drive.
class DirMapWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveListSeam([this] { return drives; });
        drives = {Drive{tree.path(), QStringLiteral("test"), QStringLiteral("tmpfs")}};
        tree.file("Big/f", 600000);
        tree.file("Big/Sub/g", 300000);
        tree.file("Mid/h", 250000);
        tree.file("Small/i", 120000);
        hog = std::make_unique<TfrmDirHog>();
        hog->session().setInline(true);
        hog->show();
        EXPECT_FALSE(hog->Map1->isEnabled()); // nothing to draw before a scan
        hog->btAllClick();
        EXPECT_TRUE(hog->Map1->isEnabled());
        hog->Map1->trigger();
        map = hog->map();
        map->resize(700, 500);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        view = map->Map1;
    }
    void TearDown() override { setDriveListSeam(nullptr); }

    quint32 node(const QString& rel) const {
        const FolderTree& t = map->tree();
        for (quint32 n = 0; n < t.count(); ++n)
            if (t.path(n) == tree.path() + rel)
                return n;
        return FolderTree::None;
    }
    // The folder of the list's current row, below the drive.
    QString listed() const {
        const qint64 rec = hog->currentRecord();
        return rec < 0 ? QStringLiteral("(none)")
                       : hog->records().path(quint32(rec)).mid(tree.path().size());
    }
    // A point of the folder's own tile, in its name strip (what lies inside has its own).
    QPoint pointOf(const QString& rel) const {
        const int i = tileOf(view->tiles(), node(rel));
        EXPECT_GE(i, 0) << rel.toStdString();
        return i < 0 ? QPoint() : view->tiles()[size_t(i)].rect().topLeft() + QPoint(4, 4);
    }
    // The tile menu's Delete on the folder, the confirmation answered with Delete.
    void deleteFromMap(const QString& rel, int* asked) {
        ui.onModal = [asked](QDialog& d) {
            ++*asked;
            auto& confirm = dynamic_cast<TfrmDelDirectory&>(d);
            confirm.btDeleteClick();
            return confirm.result();
        };
        QTest::mouseClick(view, Qt::LeftButton, {}, pointOf(rel));
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint(), {});
        QApplication::sendEvent(view, &menu);
        map->PopupMenu1->hide();
        map->Delete1->trigger();
    }

    ScriptedUi ui;
    TempTree tree;
    std::vector<Drive> drives;
    std::unique_ptr<TfrmDirHog> hog;
    TfrmDirMap* map = nullptr;
    FolderMapView* view = nullptr;
};

} // namespace

TEST_F(DirMapWindowTest, ZoomBackAndSelectionKeepTheListAndTheMapInStep) {
    // A click chooses the folder's row.
    QTest::mouseClick(view, Qt::LeftButton, {}, pointOf("/Mid"));
    EXPECT_EQ(listed(), "/Mid");
    // A double click zooms into a folder and chooses it; its subfolder is on the map now.
    const QPoint big = pointOf("/Big");
    QMouseEvent twice(QEvent::MouseButtonDblClick, big, view->mapToGlobal(big), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(view, &twice);
    EXPECT_EQ(view->top(), node("/Big"));
    EXPECT_EQ(listed(), "/Big");
    EXPECT_GE(tileOf(view->tiles(), node("/Big/Sub")), 0);
    // A row chosen in the list becomes the current tile, zooming out when it is not shown.
    hog->selectRecord(map->tree().record(node("/Big/Sub")));
    EXPECT_EQ(view->currentNode(), node("/Big/Sub"));
    EXPECT_EQ(view->top(), node("/Big"));
    hog->selectRecord(map->tree().record(node("/Small")));
    EXPECT_EQ(view->currentNode(), node("/Small"));
    EXPECT_EQ(view->top(), node(""));
    EXPECT_EQ(listed(), "/Small"); // the map's zooming out does not choose another row
    // Arrow keys move between the tiles of one folder, and the list follows.
    view->setFocus();
    const quint32 before = view->currentNode();
    for (int key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) {
        QTest::keyClick(view, Qt::Key(key));
        EXPECT_EQ(listed(), map->tree().path(view->currentNode()).mid(tree.path().size()));
    }
    EXPECT_NE(before, FolderTree::None);
    // Backspace goes back up to the folder above, leaving the one it came from current.
    QTest::keyClick(view, Qt::Key_Backspace);
    EXPECT_EQ(view->top(), FolderTree::None);
    EXPECT_EQ(view->currentNode(), node(""));
    EXPECT_FALSE(map->btBack->isEnabled());
}

TEST_F(DirMapWindowTest, DeletingFromTheMapGoesThroughTheListsConfirmationAndRules) {
    int asked = 0;
    deleteFromMap("/Mid", &asked);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(tree.exists("Mid"));
    const quint32 rec = map->tree().record(node("/Mid"));
    EXPECT_EQ(hog->rowState(rec), FolderRowState::Deleted);
    EXPECT_EQ(hog->grid->cell(0, hog->grid->currentRow()).trimmed(), "DELETED");
    // Once more: the list's refusal, no confirmation.
    deleteFromMap("/Mid", &asked);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ui.lastMessage(), "Folder already deleted/recycled");
    // The drive's root is protected from the map as from the list. The map opens zoomed into
    // it; zoomed out, the root's tile is the whole drive.
    EXPECT_TRUE(view->zoomOut());
    deleteFromMap("", &asked);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ui.lastMessage(), "You cannot delete the root folder using Zelkova 95");
    EXPECT_TRUE(tree.exists("Big/f"));
    // The deleted folder is drawn as its row reads: its colour is gone from the map.
    const QImage picture = view->picture(view->size());
    const QPoint at = pointOf("/Mid");
    EXPECT_NE(picture.pixelColor(at), mapDepthColour(1));
}

TEST_F(DirMapWindowTest, PrintAndCopyGiveThePictureAndANewScanRedraws) {
    map->btCopy->click();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), view->size());
    // Print goes through the print dialog: cancelled, nothing is written.
    ui.pdfPath = tree.path() + "/map.pdf";
    ui.printAccepted = false;
    map->btPrint->click();
    EXPECT_FALSE(QFileInfo::exists(ui.pdfPath));
    ui.printAccepted = true;
    map->btPrint->click();
    EXPECT_GT(QFileInfo(ui.pdfPath).size(), 1000);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    // A new scan empties the map while it walks and draws the new records after.
    tree.file("Mid/more", 5000000);
    hog->btAllClick();
    EXPECT_EQ(map->tree().total(node("/Mid")), 5250000);
    EXPECT_EQ(view->tiles().empty(), false);
}
