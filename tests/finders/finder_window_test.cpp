#include "finders/dirhog_window.h"
#include "finders/dup_window.h"
#include "finders/mods_window.h"

#include "common/locations.h"
#include "platform/drives.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "support/walk_gate.h"
#include "widgets/number_field.h"
#include "widgets/string_grid.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

struct FinderCase {
    const char* name;
    std::function<std::unique_ptr<FinderWindow>()> make;
    std::function<void(FinderWindow&)> scan;
};

const std::vector<FinderCase>& finderCases() {
    static const std::vector<FinderCase> cases{
        {"duplicates", [] { return std::make_unique<TfrmDup>(true); },
         [](FinderWindow& w) { static_cast<TfrmDup&>(w).btScanClick(); }},
        {"file hogs", [] { return std::make_unique<TfrmDup>(false); },
         [](FinderWindow& w) { static_cast<TfrmDup&>(w).btScanClick(); }},
        {"dates", [] { return std::make_unique<TfrmMods>(); },
         [](FinderWindow& w) { static_cast<TfrmMods&>(w).btOKClick(); }},
        {"folder hogs", [] { return std::make_unique<TfrmDirHog>(); },
         [](FinderWindow& w) { static_cast<TfrmDirHog&>(w).btTopClick(); }},
    };
    return cases;
}

// A finder as the main window opens it, its scans inline; every file passes the size filter.
std::unique_ptr<FinderWindow> open(const FinderCase& c) {
    auto w = c.make();
    w->session().setInline(true);
    w->show();
    if (auto* dup = qobject_cast<TfrmDup*>(w.get()))
        dup->num1->setValue(0);
    return w;
}

// The descriptors the process holds.
int openDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot).size());
}

// The visible buttons of the row along the panel's bottom, left to right.
std::vector<QPushButton*> visibleRow(FinderWindow& w) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    std::vector<QPushButton*> row;
    for (QPushButton* b : w.Panel1->findChildren<QPushButton*>())
        if (b->isVisible() && b->y() == w.btClose->y())
            row.push_back(b);
    std::sort(row.begin(), row.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    return row;
}

// The row closes up around hidden buttons: each visible one 3 pixels right of the one before,
// the first at the panel's left edge. Returns the captions, for the caller's checks.
QStringList expectClosedUp(FinderWindow& w, const std::string& when) {
    const std::vector<QPushButton*> row = visibleRow(w);
    QStringList captions;
    for (size_t i = 0; i < row.size(); ++i) {
        captions << row[i]->objectName();
        const int expected = i == 0 ? row[0]->x() : row[i - 1]->x() + row[i - 1]->width() + 3;
        EXPECT_EQ(row[i]->x(), expected) << when << ": " << row[i]->objectName().toStdString();
    }
    if (!row.empty()) {
        EXPECT_LE(row[0]->x(), 4) << when;
    }
    return captions;
}

class FinderWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveListSeam([this] { return drives; });
        drives = {Drive{tree.path(), QStringLiteral("test"), QStringLiteral("tmpfs")}};
        for (const char* f : {"a/same.txt", "b/same.txt"})
            tree.file(f, 4096);
    }
    void TearDown() override { setDriveListSeam(nullptr); }

    ScriptedUi ui;
    TempTree tree;
    std::vector<Drive> drives;
};

} // namespace

// Before, during and after a scan the button row shows its buttons side by side with no hole
// and no overlap: Abort takes the place the result buttons leave during the walk.
TEST_F(FinderWindowTest, ButtonRowClosesUpAroundAScan) {
    for (const FinderCase& c : finderCases()) {
        SCOPED_TRACE(c.name);
        auto w = open(c);
        const QSize opened = w->size();
        const QStringList idle = expectClosedUp(*w, "idle");
        EXPECT_TRUE(idle.endsWith(QStringLiteral("btClose"))) << idle.join(' ').toStdString();

        QStringList during;
        scanHeldAt(
            w->session(), 2, [&] { c.scan(*w); }, [&] { during = expectClosedUp(*w, "scanning"); });
        EXPECT_EQ(during, idle + QStringList{QStringLiteral("btAbort")});

        ASSERT_GT(w->rowCounter, 0);
        const QStringList after = expectClosedUp(*w, "after");
        EXPECT_EQ(after.mid(0, idle.size()), idle);
        EXPECT_TRUE(after.contains(QStringLiteral("btBrowse")));
        EXPECT_FALSE(after.contains(QStringLiteral("btAbort")));
        // The buttons that appear take the room they have: the window does not grow for them.
        EXPECT_EQ(w->size(), opened);
    }
}

// A larger window gives all its room to the grid and keeps the drive panel in the top right
// corner.
TEST_F(FinderWindowTest, WideningGoesToTheGridAndTheDrivesStayRight) {
    for (const FinderCase& c : finderCases()) {
        SCOPED_TRACE(c.name);
        auto w = c.make();
        w->show();
        const QSize before = w->size();
        const QSize grid = w->grid->size();
        const int panelHeight = w->Panel1->height();
        const int gap = w->width() - (w->pnlDrives->x() + w->pnlDrives->width());
        w->resize(1200, before.height() + 100);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        EXPECT_EQ(w->grid->size() - grid, w->size() - before);
        EXPECT_EQ(w->Panel1->height(), panelHeight);
        EXPECT_EQ(w->width() - (w->pnlDrives->x() + w->pnlDrives->width()), gap);
    }
}

// Tab runs through the tool's own controls first, then the drive boxes, the start buttons,
// Close, and last the grid.
TEST_F(FinderWindowTest, TabGoesFromTheFiltersToTheDrivesTheButtonsAndTheGrid) {
    for (const FinderCase& c : finderCases()) {
        SCOPED_TRACE(c.name);
        auto w = c.make();
        w->show();
        std::vector<QWidget*> order;
        for (QWidget* x = w->nextInFocusChain(); x != w.get(); x = x->nextInFocusChain())
            order.push_back(x);
        const auto at = [&](QWidget* x) { return std::find(order.begin(), order.end(), x); };
        const auto drives = at(w->pnlDrives->box(1));
        for (QWidget* x : w->Panel1->findChildren<QWidget*>()) {
            if (!(x->focusPolicy() & Qt::TabFocus) || w->pnlDrives->isAncestorOf(x) ||
                x->window() != w.get())
                continue;
            const bool rowButton =
                QStringList{"btScan",  "btExact", "btContents", "btOK",     "btTop",   "btAll",  "btClose",
                            "btAbort", "btMark",  "btDelete", "btPrint", "btClip", "btBrowse"}
                    .contains(x->objectName());
            EXPECT_EQ(at(x) < drives, !rowButton) << x->objectName().toStdString();
        }
        EXPECT_LT(at(w->btClose), at(w->grid));
        EXPECT_LT(at(w->btBrowse), at(w->grid));
    }
}

// With a larger font the filter controls grow and move apart: no two overlap, labels and radio
// buttons keep room for their text, and all stay above the button row.
TEST_F(FinderWindowTest, ALargerFontKeepsTheFilterControlsApartAndUncut) {
    const QFont normal = QApplication::font();
    QFont big = normal;
    big.setPointSizeF(normal.pointSizeF() * 1.6);
    QApplication::setFont(big);
    for (const FinderCase& c : finderCases()) {
        SCOPED_TRACE(c.name);
        auto w = c.make();
        w->show();
        // Each layer of nested layouts settles in its own round of posted requests.
        for (int round = 0; round < 4; ++round)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        std::vector<QWidget*> controls;
        for (QWidget* x : w->Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (x->isVisible() && x->y() < w->btClose->y())
                controls.push_back(x);
        for (size_t i = 0; i < controls.size(); ++i) {
            QWidget* a = controls[i];
            const std::string name = a->objectName().toStdString();
            EXPECT_LE(a->geometry().bottom(), w->btClose->y()) << name;
            for (size_t j = i + 1; j < controls.size(); ++j) {
                EXPECT_FALSE(a->geometry().intersects(controls[j]->geometry()))
                    << name << " and " << controls[j]->objectName().toStdString();
            }
            auto* label = qobject_cast<QLabel*>(a);
            const bool text = qobject_cast<QRadioButton*>(a) ||
                              (label && !label->wordWrap() &&
                               label->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored);
            if (text) {
                EXPECT_GE(a->width(), a->sizeHint().width()) << name;
            }
        }
    }
    QApplication::setFont(normal);
}

// Walks stopped at any moment, by Abort, Esc or the close box, leave the window as after the
// walk's end (a stopped scan shows what it found and says so once), hold no descriptor, and
// the next scan lists everything again. A window destroyed under its walk (the program
// quitting) waits for the walk first.
TEST_F(FinderWindowTest, WalksStoppedAtAnyMomentLetGoCleanly) {
    for (int d = 0; d < 12; ++d)
        for (const char* f : {"/same.txt", "/other.txt"})
            tree.file("d" + QByteArray::number(d) + f, 4096);
    const int folders = 15; // the root, a, b and the twelve
    std::mt19937 random(19);
    const int descriptors = openDescriptors();
    for (const FinderCase& c : finderCases()) {
        SCOPED_TRACE(c.name);
        auto w = open(c);
        c.scan(*w);
        const int full = w->rowCounter;
        ASSERT_GT(full, 0);
        for (const char* how : {"abort", "esc", "abort", "esc"}) {
            const int at = std::uniform_int_distribution(1, folders)(random);
            SCOPED_TRACE(std::string(how) + " at folder " + std::to_string(at));
            ui.clear();
            scanHeldAt(
                w->session(), at, [&] { c.scan(*w); },
                [&] {
                    EXPECT_FALSE(w->findChild<QLabel*>("lblProgress")->isHidden());
                    if (how == std::string("abort"))
                        w->btAbort->click();
                    else
                        QTest::keyClick(w.get(), Qt::Key_Escape);
                });
            EXPECT_TRUE(w->session().stopped());
            EXPECT_FALSE(w->scanning());
            EXPECT_EQ(ui.messageTexts().count(ScanSession::kAbortText), 1);
            EXPECT_LE(w->rowCounter, full);
            EXPECT_TRUE(w->btAbort->isHidden());
            EXPECT_TRUE(w->btClose->isEnabled());
            EXPECT_TRUE(w->findChild<QLabel*>("lblProgress")->isHidden());
            EXPECT_EQ(openDescriptors(), descriptors);
            ui.clear();
            c.scan(*w);
            EXPECT_EQ(w->rowCounter, full);
            EXPECT_FALSE(w->session().stopped());
        }

        ui.clear();
        scanHeldAt(
            w->session(), std::uniform_int_distribution(1, folders)(random), [&] { c.scan(*w); },
            [&] { w->close(); });
        EXPECT_FALSE(w->isVisible());
        EXPECT_TRUE(ui.messages.empty());

        // Destroyed while its walk is held at a folder: the walk sees its abort and ends
        // before the records it fills go.
        w->show();
        w->session().setInline(false);
        WalkGate gate(w->session().engine(), std::uniform_int_distribution(1, folders)(random));
        c.scan(*w);
        ASSERT_TRUE(gate.reached());
        w.reset();
        gate.forgetEngine();
        EXPECT_EQ(openDescriptors(), descriptors);
    }
}
