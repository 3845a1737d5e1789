#include "finders/mods_window.h"

#include "common/profile.h"
#include "finders/pick_date.h"
#include "platform/clock.h"
#include "platform/date_text.h"
#include "platform/drives.h"
#include "platform/program_path.h"
#include "support/grid_check.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "support/walk_gate.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The date window over a test "drive": the temporary tree is the only drive of the list.
class ModsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDriveListSeam([this] { return drives; });
        drives = {Drive{tree.path(), QStringLiteral("test"), QStringLiteral("tmpfs")}};
        w = std::make_unique<TfrmMods>();
        w->session().setInline(true);
        w->noAtimeTest = [](const QString&) { return false; };
        w->show();
    }
    void TearDown() override {
        w.reset();
        setDriveListSeam(nullptr);
    }
    // A file whose modification time is the local date and time given.
    void fileAt(const char* rel, const QDateTime& when) {
        const QByteArray path = tree.file(rel);
        const timespec times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
    }
    void range(QRadioButton* when, const QDate& start, const QDate& end = QDate()) {
        w->rbModified->setChecked(true);
        when->setChecked(true);
        w->dtStart->setText(shortDateText(start));
        w->dtEnd->setText(shortDateText(end.isValid() ? end : start));
    }
    QStringList rowPaths() {
        QStringList out;
        for (int r = 1; r <= w->rowCounter; ++r)
            out << w->records().path(w->grid->rowKey(r));
        return out;
    }
    QString p(const char* rel) { return tree.path() + u'/' + QLatin1String(rel); }

    ScriptedUi ui;
    TempTree tree;
    std::vector<Drive> drives;
    std::unique_ptr<TfrmMods> w;
};

QDateTime at(int y, int m, int d) {
    return QDateTime(QDate(y, m, d), QTime(12, 0), Qt::LocalTime);
}

TEST_F(ModsWindowTest, ModifiedStampsAcrossTheRangesAndSortNewestFirst) {
    fileAt("old.txt", at(1975, 6, 1));
    fileAt("zero.txt", QDateTime::fromSecsSinceEpoch(0));
    fileAt("y2000.txt", at(2000, 1, 1));
    fileAt("later/y2040.txt", at(2040, 3, 1));
    tree.file(".hidden.txt");

    range(w->rbBefore, QDate(2000, 1, 1));
    w->btOKClick();
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage().toStdString();
    EXPECT_EQ(w->rowCounter, 3);
    EXPECT_EQ(w->pnlScan->text(), "Found : 3");

    range(w->rbAfter, QDate(2030, 1, 1));
    w->btOKClick();
    EXPECT_EQ(rowPaths(), QStringList{p("later/y2040.txt")});
    EXPECT_EQ(w->grid->cell(3, 1), shortDateText(QDate(2040, 3, 1)));

    range(w->rbBefore, QDate(2050, 1, 1));
    w->btOKClick();
    w->Sortbyname1Click(w->menu.ModificationDate1);
    EXPECT_EQ(w->grid->cell(0, 1), "y2040.txt");
    EXPECT_EQ(w->grid->cell(0, 2), "y2000.txt");
    EXPECT_EQ(w->grid->cell(3, 3), QString()); // no date: at the bottom
    EXPECT_EQ(w->grid->cell(3, 4), QString());

    // By name without regard to case, names sharing a long beginning included.
    tree.file("longname_b.txt");
    tree.file("LONGNAME_a.txt");
    w->btOKClick();
    w->Sortbyname1Click(w->menu.Sortbyname1);
    QStringList names;
    for (int r = 1; r <= w->rowCounter; ++r)
        names << w->grid->cell(0, r);
    EXPECT_EQ(names, (QStringList{"LONGNAME_a.txt", "longname_b.txt", "old.txt", "y2000.txt",
                                  "y2040.txt", "zero.txt"}));
}

TEST_F(ModsWindowTest, RowsAreExactPathsAndTheGridHoldsEveryRow) {
    // Two names differing in case, and 50 more: every row is written, none past the end.
    tree.file("Photos/a.jpg");
    tree.file("photos/a.jpg");
    for (int i = 0; i < 50; ++i)
        tree.file(QByteArray("many/f") + QByteArray::number(i));
    range(w->rbAfter, QDate(1990, 1, 1));
    w->cbWildCard->setEditText("*.jpg");
    w->btOKClick();
    ASSERT_EQ(w->rowCounter, 2);
    EXPECT_EQ(w->grid->rowCount(), 3);
    w->marks().Markall1Click();
    QStringList marked = w->lbDeleted();
    marked.sort();
    EXPECT_EQ(marked, (QStringList{p("Photos/a.jpg"), p("photos/a.jpg")}));

    // The clipboard: one line a row, five cells each ended by a tab.
    w->btClipClick();
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].count(u'\t'), 5);
    EXPECT_TRUE(lines[0].endsWith(u'\t'));

    w->cbWildCard->setEditText("*.*");
    w->btOKClick();
    EXPECT_EQ(w->rowCounter, 52);
    EXPECT_EQ(w->grid->rowCount(), 53);
    EXPECT_FALSE(w->grid->cell(0, 52).isEmpty());
}

TEST_F(ModsWindowTest, ABadDateFieldReportsOnceWithoutPingPong) {
    w->dtStart->setText("not a date");
    w->dtEnd->setText("nor this");
    // While the box is up the focus moves between the fields, as it does when a box closes.
    ui.onMessage = [this](const ScriptedUi::Message&) {
        w->dtEndExit();
        w->dtStartExit();
    };
    w->dtStartExit();
    EXPECT_EQ(ui.messageTexts(), QStringList{"Invalid start date"});

    // Through real focus changes: leaving one bad field for the other reports the first once
    // and puts the focus back, and the second does not answer with a box of its own.
    ui.onMessage = nullptr;
    ui.clear();
    QApplication::setActiveWindow(w.get());
    w->dtStart->setFocus();
    w->dtEnd->setFocus();
    EXPECT_EQ(ui.messageTexts(), QStringList{"Invalid start date"});
    EXPECT_TRUE(w->dtStart->hasFocus());

    // A bad date is not scanned as some other day.
    ui.onMessage = nullptr;
    ui.clear();
    w->btOKClick();
    EXPECT_EQ(ui.messageTexts(), QStringList{"Invalid start date"});
    EXPECT_EQ(w->rowCounter, 0);
}

TEST_F(ModsWindowTest, PickingDatesKeepsStartNotAfterEnd) {
    w->dtStart->setText(shortDateText(QDate(2020, 5, 10)));
    w->dtEnd->setText(shortDateText(QDate(2020, 5, 20)));
    ui.onModal = [](QDialog& d) {
        auto& picker = dynamic_cast<TfrmPickDate&>(d);
        EXPECT_EQ(picker.pickedDate(), QDate(2020, 5, 10));
        picker.Calendar->setSelectedDate(QDate(2020, 6, 1));
        return int(QDialog::Accepted);
    };
    w->popStartDateClick();
    EXPECT_EQ(w->dtStart->text(), shortDateText(QDate(2020, 6, 1)));
    EXPECT_EQ(w->dtEnd->text(), shortDateText(QDate(2020, 6, 1)));

    ui.onModal = [](QDialog& d) {
        dynamic_cast<TfrmPickDate&>(d).Calendar->setSelectedDate(QDate(2001, 1, 1));
        return int(QDialog::Rejected);
    };
    w->popEndDateClick();
    EXPECT_EQ(w->dtEnd->text(), shortDateText(QDate(2020, 6, 1)));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ModsWindowTest, NoatimeDriveIsToldOnceBelowTheGrid) {
    tree.file("a.txt");
    w->noAtimeTest = [](const QString&) { return true; };
    const QString hint = w->rbAccessed->toolTip();
    w->btOKClick();
    w->btOKClick();
    EXPECT_TRUE(w->lblNotice->isVisible());
    EXPECT_EQ(w->lblNotice->text().count(tree.path()), 1);
    EXPECT_EQ(w->rbAccessed->toolTip(), hint);
    EXPECT_EQ(w->pnlScan->text(), "Found : 1");
    EXPECT_TRUE(ui.messages.empty());

    w->noAtimeTest = [](const QString&) { return false; };
    w->btOKClick();
    EXPECT_FALSE(w->lblNotice->isVisible());
}

TEST_F(ModsWindowTest, StoppedScansEndWithTheirCountAndThePatternIsLockedMeanwhile) {
    for (int d = 0; d < 4; ++d)
        for (int f = 0; f < 4; ++f)
            tree.file("d" + QByteArray::number(d) + "/f" + QByteArray::number(f));
    range(w->rbAfter, QDate(1990, 1, 1));
    bool patternLocked = false;
    scanHeldAt(
        w->session(), 2, [&] { w->btOKClick(); },
        [&] {
            patternLocked = !w->cbWildCard->isEnabled();
            w->session().abort();
        });
    EXPECT_TRUE(patternLocked);
    EXPECT_TRUE(w->cbWildCard->isEnabled());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.front().text, ScanSession::kAbortText);
    EXPECT_LT(w->rowCounter, 16);
    EXPECT_EQ(w->pnlScan->text(), "Found : " + QString::number(w->rowCounter));

    // The record limit says what happened, and the count still follows.
    ui.clear();
    w->records().setLimit(2);
    w->btOKClick();
    EXPECT_EQ(ui.messageTexts(), QStringList{ScanSession::kLimitText});
    EXPECT_EQ(ui.messages.front().kind, MessageKind::Warning);
    EXPECT_EQ(w->pnlScan->text(), "Found : 2");
}

TEST_F(ModsWindowTest, PlacementIsKeptApartFromTheCleanersSlot) {
    Profile ini(QStringLiteral("zelkova.ini"));
    const QString cleaners = QStringLiteral("0 1 -1 -1 -1 -1 10 20 610 420");
    ini.writeString(programFilePath(), QStringLiteral("frmMods"), cleaners);
    w->setGeometry(100, 120, 700, 450);
    w.reset();
    EXPECT_EQ(ini.readString(programFilePath(), QStringLiteral("frmMods"), {}), cleaners);
    EXPECT_FALSE(Profile(QStringLiteral("zelkova95"))
                     .readString(programFilePath(), QStringLiteral("frmMods"), {})
                     .isEmpty());
    w = std::make_unique<TfrmMods>();
    w->session().setInline(true);
    w->show();
    EXPECT_EQ(w->geometry(), QRect(100, 120, 700, 450));
}

} // namespace

// At the opening size and made wider, no name, folder, type or date is cut without a sign, and
// the room a wider window gives goes to the name and the folder.
TEST_F(ModsWindowTest, CellsAreNeverCutWithoutASign) {
    const QByteArray deep = "projects/" + QByteArray(60, 'x') + '/';
    tree.file(deep + "alpha/" + QByteArray(100, 'n') + ".odt");
    tree.file(deep + "beta/readonly.txt");
    tree.file("short/a.tar.gz");
    range(w->rbAfter, QDate(1990, 1, 1));
    w->btOKClick();
    ASSERT_EQ(w->rowCounter, 3);
    EXPECT_GT(expectNoSilentCuts(*w->grid, "opening size"), 0);
    w->resize(1200, w->height());
    expectWideningGoesToNamesAndPaths(*w, *w->grid, 300, "date window");
    expectNoSilentCuts(*w->grid, "wider");
}
