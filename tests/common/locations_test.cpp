#include "common/locations.h"
#include "common/select_extension.h"
#include "common/which_drive.h"
#include "common/wild_card.h"

#include "platform/file_types.h"
#include "platform/native_path.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

std::vector<Drive> drivesAt(const QStringList& roots) {
    std::vector<Drive> drives;
    for (const QString& r : roots)
        drives.push_back({r, QStringLiteral("/dev/test"), QStringLiteral("ext4")});
    return drives;
}

// Installs a drive list for one test and restores the system's afterwards.
struct DriveSeam {
    explicit DriveSeam(std::vector<Drive> drives) {
        setDriveListSeam([drives] { return drives; });
    }
    ~DriveSeam() { setDriveListSeam({}); }
};

// Replaces the search-path list for one test.
struct SearchPath {
    explicit SearchPath(const QStringList& folders) : saved(searchPathList()) {
        searchPathList() = folders;
    }
    ~SearchPath() { searchPathList() = saved; }
    QStringList saved;
};

} // namespace

TEST(DrivePanel, ThreeDrivesFillTheFirstColumnWithTheCurrentOneTicked) {
    TDrivePanel panel;
    EXPECT_EQ(panel.objectName(), "pnlDrives");
    EXPECT_EQ(panel.size(), QSize(205, 127));
    panel.buildDriveBoxes(drivesAt({"/", "/boot", "/home"}), 2);

    for (int n = 1; n <= 25; ++n) {
        QCheckBox* cb = panel.findChild<QCheckBox*>(QStringLiteral("cb%1").arg(n));
        ASSERT_NE(cb, nullptr) << n;
        EXPECT_EQ(cb, panel.box(n));
        EXPECT_EQ(cb->isHidden(), n > 3) << n;
    }
    EXPECT_EQ(panel.box(1)->text(), "/");
    EXPECT_EQ(panel.box(1)->toolTip(), "/");
    EXPECT_EQ(panel.driveRoot(2), "/boot");
    EXPECT_EQ(panel.driveRoot(3), "/home");
    EXPECT_EQ(panel.driveRoot(4), "");
    EXPECT_FALSE(panel.box(1)->isChecked());
    EXPECT_FALSE(panel.box(2)->isChecked());
    EXPECT_TRUE(panel.box(3)->isChecked());
    EXPECT_EQ(panel.tickedRoots(), QStringList{"/home"});
    EXPECT_EQ(panel.tickedCaptions(), "/home ");

    EXPECT_EQ(panel.box(1)->pos(), QPoint(8, 6));
    EXPECT_EQ(panel.box(5)->pos(), QPoint(8, 102));
    EXPECT_EQ(panel.box(6)->pos(), QPoint(46, 6));
    EXPECT_EQ(panel.box(25)->pos(), QPoint(160, 102));
    EXPECT_EQ(panel.box(0), nullptr);
    EXPECT_EQ(panel.box(26), nullptr);
}

TEST(DrivePanel, TheTwentySixthDriveHasNoBox) {
    QStringList roots;
    for (int i = 1; i <= 26; ++i)
        roots << QStringLiteral("/mnt/d%1").arg(i);
    TDrivePanel panel;
    panel.buildDriveBoxes(drivesAt(roots), 25); // the current drive is the 26th
    for (int n = 1; n <= 25; ++n)
        EXPECT_FALSE(panel.box(n)->isHidden()) << n;
    EXPECT_EQ(panel.driveRoot(25), "/mnt/d25");
    EXPECT_EQ(panel.findChild<QCheckBox*>("cb26"), nullptr);
    EXPECT_FALSE(panel.anyTicked());
    EXPECT_TRUE(panel.tickedRoots().isEmpty());
}

TEST(DrivePanel, ALongMountPointIsShortenedButKeptWhole) {
    const QString root = "/media/someone/A rather long volume label given to the backup disk";
    TDrivePanel panel;
    panel.buildDriveBoxes(drivesAt({"/", "/media/someone/usb", root}), 2);
    // One column in use: its boxes reach across the panel, so short mount points fit whole
    // and a long one keeps the start and the end of its last folder name.
    EXPECT_EQ(panel.box(2)->text(), "/media/someone/usb");
    QCheckBox* cb = panel.box(3);
    EXPECT_TRUE(cb->text().startsWith("A ")) << cb->text().toStdString();
    EXPECT_TRUE(cb->text().contains(QChar(0x2026))) << cb->text().toStdString();
    EXPECT_TRUE(cb->text().endsWith("disk")) << cb->text().toStdString();
    EXPECT_LE(cb->fontMetrics().horizontalAdvance(cb->text()), cb->width());
    EXPECT_LE(cb->geometry().right(), panel.width());
    EXPECT_EQ(cb->toolTip(), root);
    EXPECT_EQ(cb->property("driveRoot").toString(), root);
    EXPECT_EQ(cb->accessibleName(), root);
    EXPECT_EQ(panel.tickedRoots(), QStringList{root});
    EXPECT_EQ(panel.tickedCaptions(), root + " ");
}

// Eight drives, as on a desktop with removable media and portal mounts: two columns share the
// panel, and every box names its drive distinctly and within its room.
TEST(DrivePanel, EightDrivesGetDistinctCaptionsThatFit) {
    const QStringList roots{"/",
                            "/boot/efi",
                            "/home",
                            "/run/user/1000/doc",
                            "/tmp/doc",
                            "/tmp/zk-drives/tmpfs-scratch-1",
                            "/tmp/zk-drives/tmpfs-scratch-2",
                            "/media/someone/Photographs of the summer holiday"};
    TDrivePanel panel;
    panel.buildDriveBoxes(drivesAt(roots), 0);
    QStringList captions;
    for (int n = 1; n <= 8; ++n) {
        QCheckBox* cb = panel.box(n);
        captions << cb->text();
        EXPECT_GE(cb->text().size(), std::min<qsizetype>(3, roots[n - 1].size()))
            << cb->text().toStdString();
        EXPECT_LE(cb->geometry().right(), panel.contentsRect().right()) << n;
        EXPECT_EQ(cb->toolTip(), roots[n - 1]);
    }
    EXPECT_EQ(panel.box(1)->width(), panel.box(6)->width());
    EXPECT_EQ(QStringList(captions).removeDuplicates(), 0) << captions.join(" | ").toStdString();

    // All 25 boxes in use stand 38 pixels apart, as the panel was drawn.
    QStringList many;
    for (int i = 1; i <= 25; ++i)
        many << QStringLiteral("/mnt/d%1").arg(i);
    panel.buildDriveBoxes(drivesAt(many), 0);
    EXPECT_EQ(panel.box(6)->x() - panel.box(1)->x(), TDrivePanel::BoxWidth);
    EXPECT_LE(panel.box(25)->geometry().right(), panel.contentsRect().right());
}

TEST(DrivePanel, EachBuildStartsFromNoTicksAndEveryChangeIsSignalled) {
    TDrivePanel panel;
    QSignalSpy clicked(&panel, &TDrivePanel::boxClicked);
    panel.buildDriveBoxes(drivesAt({"/", "/home", "/srv"}), 0);
    EXPECT_EQ(clicked.count(), 0);

    panel.box(3)->click();
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(panel.tickedRoots(), (QStringList{"/", "/srv"}));
    EXPECT_EQ(panel.tickedCaptions(), "/ /srv ");
    panel.box(1)->click();
    panel.box(3)->click();
    EXPECT_EQ(clicked.count(), 3);
    EXPECT_FALSE(panel.anyTicked());

    // A screen reader ticks through the accessible toggle action, which clicks nothing.
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(panel.box(2));
    ASSERT_NE(box, nullptr);
    QAccessibleActionInterface* actions = box->actionInterface();
    ASSERT_NE(actions, nullptr);
    const QString toggle = QAccessibleActionInterface::toggleAction();
    ASSERT_TRUE(actions->actionNames().contains(toggle));
    actions->doAction(toggle);
    EXPECT_EQ(clicked.count(), 4);
    EXPECT_EQ(panel.tickedRoots(), QStringList{"/home"});
    actions->doAction(toggle);
    EXPECT_EQ(clicked.count(), 5);
    EXPECT_FALSE(panel.anyTicked());

    panel.box(2)->click();
    panel.box(3)->click();
    panel.buildDriveBoxes(drivesAt({"/", "/home"}), 1);
    EXPECT_EQ(clicked.count(), 7);
    EXPECT_EQ(panel.tickedRoots(), QStringList{"/home"});
    // The box of a drive that went away is hidden and unticked, not left behind.
    EXPECT_TRUE(panel.box(3)->isHidden());
    EXPECT_FALSE(panel.box(3)->isChecked());
    EXPECT_FALSE(panel.isTicked(3));

    panel.buildDriveBoxes(drivesAt({"/"}), -1);
    EXPECT_FALSE(panel.anyTicked());
}

// Rooms are given in widths of "M" so the cases hold for any font.
TEST(DriveCaptions, ShortenedCaptionsStayDistinctAndFit) {
    const QFontMetrics fm(QApplication::font());
    const int m = fm.horizontalAdvance(u'M');
    struct Case {
        QStringList roots;
        int room; // in widths of "M"
    } const cases[] = {
        {{"/run/user/1000/doc", "/tmp/doc"}, 5},
        {{"/run/user/1000/doc", "/tmp/doc", "/srv/doc"}, 5},
        {{"/tmp/zk-drives/tmpfs1", "/tmp/zk-drives/tmpfs2"}, 4},
        {{"/tmp/zk-drives/tmpfs", "/tmp/zk/tmpfs"}, 4},
        {{"/media/me/backup-2024-disk", "/media/me/backup-2025-disk"}, 5},
        {{"/snap/core20/1405", "/snap/core22/1405", "/snap/core22/1380"}, 5},
        {{"/media/me/A rather long volume label", "/home", "/"}, 6},
    };
    for (const Case& c : cases) {
        const std::vector<int> rooms(size_t(c.roots.size()), c.room * m);
        const QStringList captions = driveCaptions(c.roots, rooms, fm);
        const std::string what = captions.join(" | ").toStdString();
        ASSERT_EQ(captions.size(), c.roots.size());
        EXPECT_EQ(QStringList(captions).removeDuplicates(), 0) << what;
        for (qsizetype i = 0; i < captions.size(); ++i) {
            EXPECT_LE(fm.horizontalAdvance(captions[i]), c.room * m) << what;
            // Recognisable: whole, or a part of the path's end of two letters or more.
            const QString plain = QString(captions[i]).remove(QChar(0x2026));
            EXPECT_TRUE(captions[i] == c.roots[i] || (plain.size() >= 2 && !plain.startsWith(u'/')))
                << what;
        }
    }
    // Whatever fits is shown whole; "/" always is.
    EXPECT_EQ(driveCaptions({"/", "/home"}, {1, 40 * m}, fm), (QStringList{"/", "/home"}));
}

TEST(DrivePanel, BuildsFromTheSystemDriveList) {
    TempTree tree;
    DriveSeam seam(drivesAt({"/", tree.path()}));
    TDrivePanel panel;
    panel.buildDriveBoxes();
    EXPECT_EQ(panel.driveRoot(1), "/");
    EXPECT_EQ(panel.driveRoot(2), tree.path());
    EXPECT_TRUE(panel.box(3)->isHidden());
}

TEST(DriveReady, ListedDrivesAreAskedAndOtherIdsAreRefused) {
    TempTree tree;
    const QString gone = tree.path() + "/unmounted";
    DriveSeam seam(drivesAt({tree.path(), gone}));

    EXPECT_TRUE(isDriveReady(tree.path()));
    EXPECT_FALSE(isDriveReady(gone));

    for (const QString& id :
         {QString(), QStringLiteral("C"), tree.path() + "/", QStringLiteral("/no/such/drive")}) {
        try {
            isDriveReady(id);
            ADD_FAILURE() << "no exception for " << id.toStdString();
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Not a valid drive ID");
            EXPECT_NE(dynamic_cast<const InvalidDriveId*>(&e), nullptr);
        }
    }
}

TEST(SearchPath, PathEntriesBecomeExactAbsoluteFolders) {
    EXPECT_EQ(searchPathFromEnvironment("/usr/local/bin:/usr/bin/::bin:.:/usr/bin://"),
              (QStringList{"/usr/local/bin", "/usr/bin", "/"}));
    EXPECT_TRUE(searchPathFromEnvironment("").isEmpty());

    // A folder whose name is not UTF-8 keeps its bytes.
    const QByteArray odd("/opt/caf\xe9/bin");
    const QStringList folders = searchPathFromEnvironment("/bin:" + odd);
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(toNative(folders[1]), odd);

    SearchPath path(searchPathFromEnvironment("/usr/bin:/home/me/Tools/"));
    EXPECT_TRUE(isOnSearchPath("/usr/bin"));
    EXPECT_TRUE(isOnSearchPath("/home/me/Tools"));
    EXPECT_FALSE(isOnSearchPath("/USR/BIN"));
    EXPECT_FALSE(isOnSearchPath("/home/me/tools"));
    EXPECT_FALSE(isOnSearchPath("/usr"));
    EXPECT_FALSE(isOnSearchPath("/usr/bin/x"));
    EXPECT_FALSE(isOnSearchPath(""));

    searchPathList().clear();
    EXPECT_FALSE(isOnSearchPath("/usr/bin"));
}

TEST(PatternDescription, AllFilesOrTheTypeOfTheExtension) {
    EXPECT_EQ(patternDescription("*.*"), "All files");
    const QString text = patternDescription("*.txt");
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(text, extensionToType(".txt"));
    EXPECT_NE(text, "All files");
    EXPECT_EQ(patternDescription("*.zqxw"), "ZQXW File");
    // Only a leading "*" and "." are dropped, never a letter of the extension.
    for (const char* typed : {"log", ".log", "*.log"})
        EXPECT_EQ(patternDescription(QString::fromLatin1(typed)), extensionToType(".log")) << typed;
    EXPECT_EQ(patternDescription("zqxw"), "ZQXW File");
    EXPECT_EQ(patternDescription("*"), "");
}

TEST(ExtensionChoice, TypedExtensionsBecomePatterns) {
    const QString tmpType = extensionToType(".tmp");
    for (const char* typed : {"tmp", ".tmp", "*.tmp"}) {
        const ExtensionChoice c = chooseTemporaryExtension(QString::fromLatin1(typed));
        EXPECT_EQ(c.pattern, "*.tmp") << typed;
        EXPECT_EQ(c.type, tmpType) << typed;
    }
    // Patterns that stand for every file, and a blank text, add nothing.
    for (const char* typed : {"*", "*.*", ".*", "", "  "}) {
        const ExtensionChoice c = chooseTemporaryExtension(QString::fromLatin1(typed));
        EXPECT_TRUE(c.pattern.isEmpty()) << typed;
        EXPECT_TRUE(c.type.isEmpty()) << typed;
    }
    EXPECT_EQ(chooseTemporaryExtension("~*").pattern, "~*");
    EXPECT_EQ(chooseTemporaryExtension("~*").type, "");
    EXPECT_EQ(chooseTemporaryExtension("old.bak").pattern, "*old.bak");
    EXPECT_EQ(chooseTemporaryExtension("zqxw").type, "ZQXW File");
}

TEST(SelectExtension, OkWorksOutTheChoiceAndTheListKeepsTheTypedText) {
    ScriptedUi scripted;
    TfrmSelectExtension dlg;
    EXPECT_EQ(dlg.windowTitle(), "Select a temporary file extension");
    EXPECT_EQ(dlg.cbWildCard->currentText(), "*.*");
    EXPECT_EQ(dlg.lblWild->text(), "All files");
    EXPECT_EQ(dlg.cbWildCard->maxVisibleItems(), 14);

    dlg.cbWildCard->setEditText("tmp");
    dlg.FormShow();
    EXPECT_EQ(dlg.cbWildCard->currentText(), "tmp");
    ASSERT_GT(dlg.cbWildCard->count(), 0);
    EXPECT_EQ(dlg.cbWildCard->itemText(0), "*.*");

    dlg.cbWildCard->setEditText("*.zqxw");
    EXPECT_EQ(dlg.lblWild->text(), "ZQXW File");

    scripted.onModal = [](QDialog& d) {
        auto& sel = static_cast<TfrmSelectExtension&>(d);
        sel.cbWildCard->setEditText(".tmp");
        sel.BitBtn1->click();
        return sel.result();
    };
    EXPECT_EQ(ui().showModal(dlg), QDialog::Accepted);
    EXPECT_EQ(dlg.chosenPattern, "*.tmp");
    EXPECT_EQ(dlg.chosenType, extensionToType(".tmp"));

    dlg.cbWildCard->setEditText("*");
    dlg.BitBtn1Click();
    EXPECT_TRUE(dlg.chosenPattern.isEmpty());
    EXPECT_TRUE(dlg.chosenType.isEmpty());
}

TEST(WildCard, DescribesThePatternTheCallerPutIn) {
    TfrmWildCard dlg;
    EXPECT_EQ(dlg.windowTitle(), "Wildcard pattern");
    EXPECT_EQ(dlg.Label3->text(), "Change the wildcard matching pattern:");
    EXPECT_EQ(dlg.cbWildCard->currentText(), "*.*");
    EXPECT_EQ(dlg.lblWild->text(), "All files");

    dlg.cbWildCard->setEditText("*.txt");
    dlg.FormShow();
    EXPECT_EQ(dlg.cbWildCard->currentText(), "*.txt");
    EXPECT_EQ(dlg.cbWildCard->itemText(0), "*.*");
    EXPECT_TRUE(dlg.lblWild->text().isEmpty());
    EXPECT_EQ(dlg.lblType->text(), extensionToType(".txt"));
    EXPECT_EQ(dlg.lblType->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

    dlg.cbWildCard->setCurrentIndex(0); // picking "*.*" from the list
    EXPECT_EQ(dlg.lblWild->text(), "All files");
}

TEST(WhichDrive, OffersTheDrivesStartingAtTheCurrentOne) {
    TempTree tree;
    DriveSeam seam(drivesAt({"/", tree.path(), "/srv"}));
    {
        TfrmWhichDrive dlg(drivesAt({"/", tree.path(), "/srv"}), 1);
        EXPECT_EQ(dlg.windowTitle(), "Which drive?");
        EXPECT_EQ(dlg.Label1->text(), "Collect statistics for which drive?");
        EXPECT_EQ(dlg.cbDrive->toolTip(), "The drive selected for statistics");
        ASSERT_EQ(dlg.cbDrive->count(), 3);
        EXPECT_EQ(dlg.cbDrive->currentText(), tree.path());
        EXPECT_TRUE(dlg.btOK->isEnabled());
        dlg.cbDrive->setCurrentIndex(2);
        dlg.btOK->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.cbDrive->currentText(), "/srv");
    }
    {
        TfrmWhichDrive dlg; // the system's list through the seam
        EXPECT_EQ(dlg.cbDrive->count(), 3);
        dlg.btCancel->click();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    {
        TfrmWhichDrive dlg(std::vector<Drive>{}, -1);
        EXPECT_FALSE(dlg.btOK->isEnabled());
    }
}
