#include "app/about.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/tool_windows.h"
#include "common/locations.h"
#include "controls/animated.h"
#include "controls/gradient_back.h"
#include "finders/dirhog_window.h"
#include "finders/dup_window.h"
#include "finders/scan_engine.h"
#include "finders/scan_session.h"
#include "platform/drives.h"
#include "platform/program_path.h"
#include "stats/statistics_window.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "support/walk_gate.h"
#include "widgets/string_grid.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
struct ButtonText {
    const char* caption;
    const char* label;
    int top;
};
const ButtonText toolTexts[7] = {
    {"&Duplicate files", "Locate and view duplicate files", 9},
    {"&File hogs", "Locate and view file hogs (large files)", 60},
    {"Files &accessed", "Files accessed within a range of dates", 111},
    {"Folder &hogs", "Displays large folders", 163},
    {"&Quick clean", "Cleans up temporary files", 214},
    {"&Statistics", "File/disk statistics", 265},
    {"&Browse", "Browse through files and folders", 316},
};
const ToolButton tools[7] = {ToolButton::Duplicate, ToolButton::FileHog, ToolButton::Files,
                             ToolButton::DirHogs,   ToolButton::Clean,   ToolButton::Statistic,
                             ToolButton::Browse};

// The help document of the program, from the source tree.
QString sourceHelpFile() {
    return QStringLiteral(ZELKOVA_SOURCE_DIR "/resources/zelkova.hlp");
}

// A tool window that counts how many of its kind are alive.
class ProbeTool : public QDialog {
public:
    explicit ProbeTool(QWidget* owner) : QDialog(owner) { ++alive; }
    ~ProbeTool() override { --alive; }
    static inline int alive = 0;
};
} // namespace

class MainWindowTest : public ::testing::Test {
protected:
    ScriptedUi ui;
};

TEST_F(MainWindowTest, HasItsFixedSizeCaptionGradientAndTenButtons) {
    TfrmMain w;
    EXPECT_EQ(w.size(), QSize(546, 413));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Zelkova '95 Version 2.5 from ") + makerName());
    EXPECT_FALSE(makerName().isEmpty());
    EXPECT_TRUE(w.font().bold());
    EXPECT_EQ(w.font().pixelSize(), 13);
    ASSERT_NE(w.GradientBack1, nullptr);
    EXPECT_TRUE(w.GradientBack1->isAllBlue());
    EXPECT_EQ(w.GradientBack1->geometry(), w.rect());

    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        QFrame* panel = w.toolPanel(tools[i]);
        QPushButton* button = w.toolButton(tools[i]);
        QLabel* label = w.toolLabel(tools[i]);
        EXPECT_EQ(panel->geometry(), QRect(22, toolTexts[i].top, 502, 40));
        EXPECT_EQ(button->parentWidget(), panel);
        EXPECT_EQ(button->size(), QSize(185, 28));
        EXPECT_EQ(button->text(), QString::fromUtf8(toolTexts[i].caption));
        EXPECT_FALSE(button->icon().isNull()) << "every tool button has a glyph";
        EXPECT_EQ(label->text(), QString::fromUtf8(toolTexts[i].label));
        EXPECT_TRUE(label->font().bold());
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                  label->contentsRect().width())
            << "the whole label text shows";
        EXPECT_EQ(label->font(), w.toolLabel(tools[0])->font()) << "all labels alike";
        EXPECT_GT(label->x(), button->geometry().right()) << "the label stands to the right";
        EXPECT_TRUE(panel->geometry().bottom() < 374);
        EXPECT_TRUE(button->toolTip().isEmpty());
    }
    EXPECT_EQ(w.btDuplicate, w.toolButton(ToolButton::Duplicate));
    EXPECT_EQ(w.btBrowse, w.toolButton(ToolButton::Browse));

    const QPushButton* small[3] = {w.btReach, w.btHelp, w.btClose};
    const char* captions[3] = {"Ab&out", "H&elp", "E&xit"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(small[i]->text(), QString::fromUtf8(captions[i]));
        EXPECT_EQ(small[i]->y(), 374);
        EXPECT_EQ(small[i]->size(), QSize(111, 28));
        EXPECT_TRUE(small[i]->isEnabled());
        EXPECT_LE(small[i]->geometry().right(), 546);
    }
    EXPECT_LT(w.btReach->x(), w.btHelp->x());
    EXPECT_LT(w.btHelp->geometry().right(), w.btClose->x());
    EXPECT_EQ(w.btClose->toolTip(), QStringLiteral("Quit and close "));
    EXPECT_TRUE(w.btReach->toolTip().isEmpty());
    EXPECT_FALSE(w.btHelp->icon().isNull());

    // Nothing is hidden under the gradient: every button is what a click there reaches.
    w.show();
    for (const QPushButton* b : {w.btDuplicate, w.btBrowse, w.btReach, w.btClose})
        EXPECT_EQ(w.childAt(b->mapTo(&w, b->rect().center())), b);
}

TEST_F(MainWindowTest, ToolButtonsWaitForTheirWindowsThenOpenThem) {
    TfrmMain w;
    for (ToolButton t : tools)
        EXPECT_FALSE(w.toolButton(t)->isEnabled());

    std::vector<ToolButton> opened;
    for (ToolButton t : tools)
        w.setToolOpener(t, [&opened, t] { opened.push_back(t); });
    for (ToolButton t : tools)
        EXPECT_TRUE(w.toolButton(t)->isEnabled());

    QTest::mouseClick(w.btDuplicate, Qt::LeftButton);
    QTest::mouseClick(w.btFileHog, Qt::LeftButton);
    w.btStatistic->click();
    w.btBrowse->click();
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened, (std::vector<ToolButton>{ToolButton::Duplicate, ToolButton::FileHog,
                                               ToolButton::Statistic, ToolButton::Browse}));

    // Taking an opener away disables its button again.
    w.setToolOpener(ToolButton::Clean, {});
    EXPECT_FALSE(w.btClean->isEnabled());
}

TEST_F(MainWindowTest, ModalToolIsMadeAfreshOwnedByTheMainWindowAndDestroyed) {
    TfrmMain w;
    w.setModalTool<ProbeTool>(ToolButton::DirHogs);
    std::vector<QPointer<QDialog>> shown;
    ui.onModal = [&](QDialog& d) {
        shown.emplace_back(&d);
        EXPECT_EQ(d.parentWidget(), &w);
        EXPECT_EQ(ProbeTool::alive, 1);
        return int(QDialog::Accepted);
    };
    w.btDirHogs->click();
    w.btDirHogs->click();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(ProbeTool::alive, 0);
    EXPECT_TRUE(shown[0].isNull() && shown[1].isNull());

    // A window whose modal run fails is destroyed too.
    ui.onModal = [](QDialog&) -> int { throw std::runtime_error("failed"); };
    EXPECT_THROW(w.btDirHogsClick(), std::runtime_error);
    EXPECT_EQ(ProbeTool::alive, 0);
}

TEST_F(MainWindowTest, ExitClosesTheWindow) {
    TfrmMain w;
    w.show();
    QSignalSpy closed(&w, &TfrmMain::closed);
    QTest::mouseClick(w.btClose, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(MainWindowTest, ShowingTurnsOnAquaHintsWithASecondsDelayAndNamesTheHelpFile) {
    setHelpFile(QString());
    TfrmMain w;
    w.show();
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 1000);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0, 255, 255));
    EXPECT_EQ(helpFile(), programFolder() + QStringLiteral("/zelkova.hlp"));
    // Showing again does not stack styles.
    QStyle* style = QApplication::style();
    w.hide();
    w.show();
    EXPECT_EQ(QApplication::style(), style);
}

TEST_F(MainWindowTest, TextsReadOnTheirGreyPanelsUnderLightAndDarkPalettes) {
    const QPalette original = QApplication::palette();
    QPalette dark(QColor(53, 53, 53), QColor(42, 42, 42));
    dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
    for (const QPalette& palette : {original, dark}) {
        QApplication::setPalette(palette);
        TfrmMain main;
        TfrmAbout about(&main);
        QList<QLabel*> labels = about.Panel1->findChildren<QLabel*>();
        for (ToolButton t : tools)
            labels << main.toolLabel(t);
        for (const QLabel* label : labels) {
            SCOPED_TRACE(label->objectName().toStdString());
            const QPalette& p = label->palette();
            EXPECT_GT(std::abs(qGray(p.color(QPalette::WindowText).rgb()) -
                               qGray(p.color(QPalette::Window).rgb())),
                      100);
        }
    }
    QApplication::setPalette(original);
}

TEST(HelpFileName, SitsBesideTheProgramWithOneSlash) {
    EXPECT_EQ(helpFileBeside(QStringLiteral("/opt/zelkova/bin/zelkova")),
              QStringLiteral("/opt/zelkova/bin/zelkova.hlp"));
    EXPECT_EQ(helpFileBeside(QStringLiteral("/zelkova")), QStringLiteral("/zelkova.hlp"));
    EXPECT_EQ(helpFileBeside(QStringLiteral("zelkova")), QStringLiteral("/zelkova.hlp"));
}

TEST(HelpFileName, IsFoundBesideTheProgramFirstThenInTheInstalledShareFolder) {
    struct Case {
        QByteArray beside;    // what lies at bin/zelkova.hlp: "file", "folder" or nothing
        bool installed;       // a file at share/zelkova/zelkova.hlp
        const char* expected; // relative to the tree
    };
    const Case cases[] = {
        {"file", true, "/bin/zelkova.hlp"},       {"file", false, "/bin/zelkova.hlp"},
        {"", true, "/share/zelkova/zelkova.hlp"}, {"folder", true, "/share/zelkova/zelkova.hlp"},
        {"", false, "/bin/zelkova.hlp"},
    };
    for (const Case& c : cases) {
        TempTree tree;
        tree.file("bin/zelkova");
        if (c.beside == "file")
            tree.file("bin/zelkova.hlp");
        else if (c.beside == "folder")
            tree.dir("bin/zelkova.hlp");
        if (c.installed)
            tree.file("share/zelkova/zelkova.hlp");
        EXPECT_EQ(findHelpFile(tree.path() + QStringLiteral("/bin/zelkova")),
                  tree.path() + QString::fromUtf8(c.expected))
            << c.beside.constData() << " " << c.installed;
    }
}

TEST_F(MainWindowTest, AboutIsModalOwnedAndShowsTheContactTexts) {
    TfrmMain w;
    bool seen = false;
    ui.onModal = [&](QDialog& d) {
        seen = true;
        auto* about = dynamic_cast<TfrmAbout*>(&d);
        EXPECT_NE(about, nullptr);
        if (about) {
            EXPECT_EQ(about->parentWidget(), &w);
        }
        return int(QDialog::Accepted);
    };
    w.btReach->click();
    EXPECT_TRUE(seen);

    TfrmAbout a;
    EXPECT_EQ(a.size(), QSize(420, 312));
    EXPECT_EQ(a.windowTitle(), QStringLiteral("How to contact us"));
    EXPECT_FALSE(a.GradientBack1->isAllBlue());
    EXPECT_EQ(a.lblProduct->text(), QStringLiteral("ZELKOVA '95"));
    EXPECT_EQ(a.lblMaker->text(), makerName());
    EXPECT_EQ(a.lblVersion->text(), QStringLiteral("Version 2.5 (32 bits)"));
    EXPECT_EQ(a.lblOther->text(),
              QStringLiteral("Call about our other products for DOS and Windows."));
    EXPECT_EQ(a.lblOther->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    for (QLabel* l : {a.lblProduct, a.lblMaker, a.lblAddress, a.lblVoice, a.lblFax, a.lblWeb,
                      a.lblVersion, a.lblOther}) {
        EXPECT_FALSE(l->text().isEmpty());
        EXPECT_TRUE(l->font().bold());
        EXPECT_EQ(l->parentWidget(), a.Panel1);
        EXPECT_LE(QFontMetrics(l->font()).horizontalAdvance(l->text()), l->contentsRect().width())
            << l->text().toStdString();
    }

    // The two icons: 32 x 32 strips of five frames in the panel's top corners.
    for (TAnimated* icon : {a.Animated1, a.Animated2}) {
        EXPECT_EQ(icon->size(), QSize(32, 32));
        EXPECT_EQ(icon->bitMap().size(), QSize(160, 32));
        EXPECT_EQ(icon->frameCount(), 5);
        EXPECT_TRUE(icon->play());
        EXPECT_TRUE(icon->hasTimer());
        EXPECT_LT(icon->y(), a.lblMaker->y());
    }
    EXPECT_LT(a.Animated1->x(), 40);
    EXPECT_GT(a.Animated2->geometry().right(), a.Panel1->width() - 40);
    EXPECT_EQ(a.Animated1->frame(), 3);
    EXPECT_EQ(a.Animated1->interval(), 260);
    EXPECT_FALSE(a.Animated1->reverse());
    EXPECT_EQ(a.Animated2->frame(), 0);
    EXPECT_EQ(a.Animated2->interval(), 250);
    EXPECT_TRUE(a.Animated2->reverse());

    QSignalSpy done(&a, &QDialog::accepted);
    a.btOK->click();
    EXPECT_EQ(done.count(), 1);
}

TEST_F(MainWindowTest, HelpOpensOneWindowOnTheProgramsDocument) {
    TfrmMain w;
    EXPECT_EQ(w.helpWindow(), nullptr);
    w.btHelp->click();
    TfrmHelp* help = w.helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->fileName(), programFolder() + QStringLiteral("/zelkova.hlp"));
    EXPECT_TRUE(help->isVisible());
    w.btHelp->click();
    EXPECT_EQ(w.findChildren<TfrmHelp*>().size(), 1);
}

TEST(HelpWindow, ShowsTheDocumentItsTopicsAndMovesBackAndForth) {
    TfrmHelp help;
    ASSERT_TRUE(help.openFile(sourceHelpFile())) << help.errorText().toStdString();
    EXPECT_TRUE(help.errorText().isEmpty());

    // Every tool and window of the program has a topic.
    QStringList titles;
    for (const HelpTopic& t : help.topics())
        titles << t.title;
    for (const char* expected :
         {"Duplicate files", "File hogs", "Files accessed", "Folder hogs", "Quick clean",
          "Statistics", "Browse", "Viewer", "Strings", "Details", "trash", "Settings", "drive"}) {
        EXPECT_TRUE(titles.filter(QString::fromUtf8(expected), Qt::CaseInsensitive).size() > 0)
            << expected;
    }
    ASSERT_GE(help.topics().size(), 10u);
    EXPECT_EQ(help.lbTopics->count(), int(help.topics().size()));

    help.showContext(1);
    EXPECT_EQ(help.currentAnchor(), help.topics()[0].anchor);
    EXPECT_EQ(help.lbTopics->currentRow(), 0);
    help.lbTopics->setCurrentRow(3);
    EXPECT_EQ(help.currentAnchor(), help.topics()[3].anchor);
    EXPECT_TRUE(help.btBack->isEnabled());
    help.btBack->click();
    EXPECT_EQ(help.currentAnchor(), help.topics()[0].anchor);
    EXPECT_EQ(help.lbTopics->currentRow(), 0) << "the contents follow Back";
    EXPECT_TRUE(help.btForward->isEnabled());
    help.btForward->click();
    EXPECT_EQ(help.lbTopics->currentRow(), 3);
}

TEST(HelpWindow, ReportsAMissingOrUnreadableFileInsideTheWindow) {
    TempTree tree;
    TfrmHelp help;
    const QString missing = tree.path() + QStringLiteral("/nothing/zelkova.hlp");
    EXPECT_FALSE(help.openFile(missing));
    EXPECT_TRUE(help.errorText().contains(missing));
    EXPECT_TRUE(help.viewer->toPlainText().contains(missing));
    EXPECT_TRUE(help.viewer->toPlainText().contains(QStringLiteral("could not be read")));
    EXPECT_TRUE(help.topics().empty());
    EXPECT_EQ(help.lbTopics->count(), 0);
    help.showContext(1); // no topic: nothing to go to, and no crash

    // A folder in place of the file.
    tree.dir("folder.hlp");
    EXPECT_FALSE(help.openFile(tree.path() + QStringLiteral("/folder.hlp")));

    // A readable document opened afterwards replaces the report.
    tree.file("good.hlp");
    const QByteArray good = tree.abs("good.hlp");
    FILE* f = fopen(good.constData(), "w");
    ASSERT_NE(f, nullptr);
    fputs("<h2><a name=\"one\"></a>First topic</h2><p>Body text</p>"
          "<h2><a name=\"two\"></a>Second topic</h2><p>More</p>",
          f);
    fclose(f);
    EXPECT_TRUE(help.openFile(QString::fromUtf8(good)));
    EXPECT_FALSE(help.viewer->toPlainText().contains(QStringLiteral("could not be read")));
    ASSERT_EQ(help.topics().size(), 2u);
    EXPECT_EQ(help.topics()[1].title, QStringLiteral("Second topic"));
    EXPECT_EQ(help.topics()[1].anchor, QStringLiteral("two"));
    EXPECT_FALSE(help.btBack->isEnabled()) << "a new document starts a new history";
}

TEST(HelpWindow, AFileTheUserMayNotReadIsReported) {
    // Root reads every file; the check runs in a child that has given up root.
    TempTree tree;
    tree.file("locked.hlp", 10);
    const QByteArray locked = tree.abs("locked.hlp");
    ASSERT_EQ(chmod(locked.constData(), 0), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)
            _exit(3);
        const HelpFileText text = readHelpFile(QString::fromUtf8(locked));
        _exit(text.error.contains(QStringLiteral("could not be read")) && text.html.isEmpty() ? 0
                                                                                              : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(MainWindowTest, TheDuplicateWindowOpensInTheModeOfItsButton) {
    TfrmMain w;
    plugInToolWindows(w);
    std::vector<bool> modes;
    ui.onModal = [&](QDialog& d) {
        auto* dup = dynamic_cast<TfrmDup*>(&d);
        EXPECT_NE(dup, nullptr);
        if (dup) {
            modes.push_back(dup->duplicates());
            EXPECT_EQ(dup->parentWidget(), &w);
        }
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(w.btDuplicate->isEnabled());
    ASSERT_TRUE(w.btFileHog->isEnabled());
    w.btFileHog->click();
    w.btDuplicate->click();
    EXPECT_EQ(modes, (std::vector<bool>{false, true}));
}

TEST(SearchPath, TheMainWindowRefillsTheListFromPath) {
    const QStringList saved = searchPathList();
    searchPathList() = QStringList{"/stale"};
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", "/opt/zelkova/bin:/usr/bin/");
    TfrmMain main;
    main.GetSearchPath();
    qputenv("PATH", oldPath);
    EXPECT_EQ(&main.lb1, &searchPathList());
    EXPECT_EQ(searchPathList(), (QStringList{"/opt/zelkova/bin", "/usr/bin"}));
    EXPECT_TRUE(isOnSearchPath("/opt/zelkova/bin"));
    EXPECT_FALSE(isOnSearchPath("/stale"));
    searchPathList() = saved;
}

// The statistics window over a test "drive", plugged into a main window.
class MainWindowWithStatisticsTest : public MainWindowTest {
protected:
    void SetUp() override {
        for (int f = 0; f < 20; ++f)
            tree.file("d" + QByteArray::number(f % 4) + "/f" + QByteArray::number(f), 1);
        setDriveListSeam([this] {
            return std::vector<Drive>{
                Drive{tree.path(), QStringLiteral("test"), QStringLiteral("tmpfs")}};
        });
        openMain();
    }
    void openMain() {
        main = std::make_unique<TfrmMain>();
        plugInToolWindows(*main);
        stats = main->findChild<TfrmStatistics*>();
    }
    void TearDown() override {
        main.reset();
        setDriveListSeam(nullptr);
    }

    TempTree tree;
    std::unique_ptr<TfrmMain> main;
    TfrmStatistics* stats = nullptr;
};

TEST_F(MainWindowWithStatisticsTest, ToolsStayEnabledAndAFinderScansWhileStatisticsCollect) {
    ASSERT_NE(stats, nullptr);
    main->btStatistic->click();
    EXPECT_TRUE(stats->isVisible());
    stats->close();
    main->btStatistic->click();
    EXPECT_EQ(main->findChildren<TfrmStatistics*>().size(), 1);

    WalkGate gate(stats->session().engine(), 2);
    stats->collect(tree.path());
    ASSERT_TRUE(gate.reached());
    for (ToolButton t : tools)
        EXPECT_TRUE(main->toolButton(t)->isEnabled());

    // A folder-hog scan runs to its end on its own walk while the collection waits.
    QStringList hogRows;
    ui.onModal = [&](QDialog& d) {
        auto& hog = dynamic_cast<TfrmDirHog&>(d);
        hog.show(); // ticks the drive
        hog.btTopClick();
        hog.session().wait();
        for (int r = 1; r <= hog.rowCounter; ++r)
            hogRows << hog.grid->cell(5, r).mid(tree.path().size()) + u':' + hog.grid->cell(2, r);
        return int(QDialog::Rejected);
    };
    main->btDirHogs->click();
    hogRows.sort();
    EXPECT_EQ(hogRows, (QStringList{"/d0:5", "/d1:5", "/d2:5", "/d3:5"}));
    EXPECT_TRUE(stats->collecting());

    gate.open();
    stats->session().wait();
    EXPECT_EQ(stats->tallies().filesProcessed, 20);
    EXPECT_TRUE(stats->windowTitle().endsWith(QStringLiteral("completed.")));
}

// Quitting by the main window's close ends the message loop at once and stops the collection;
// destroying the main window (the program's end) waits for the walk before the statistics
// window goes, with or without the quit first.
TEST_F(MainWindowWithStatisticsTest, QuittingDuringACollectionStopsItAndWaitsForTheWalk) {
    for (const bool quitFirst : {true, false}) {
        SCOPED_TRACE(quitFirst);
        if (!main)
            openMain();
        main->show();
        stats->show();
        QPointer<TfrmStatistics> window = stats;
        WalkGate gate(stats->session().engine(), 2);
        stats->collect(tree.path());
        ASSERT_TRUE(gate.reached());
        if (quitFirst) {
            QObject::connect(main.get(), &TfrmMain::closed, qApp, &QCoreApplication::quit);
            QTimer::singleShot(0, main.get(), [&] { main->close(); });
            QTimer watchdog;
            watchdog.setSingleShot(true);
            QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
            watchdog.start(10000);
            EXPECT_EQ(QCoreApplication::exec(), 0) << "the collection held the quit back";
            EXPECT_TRUE(stats->session().engine().aborted());
        }
        main.reset();
        gate.forgetEngine();
        EXPECT_TRUE(window.isNull());
    }
}
