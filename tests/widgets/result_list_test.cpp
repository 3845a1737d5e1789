#include "widgets/result_list.h"
#include "widgets/result_menu.h"

#include "common/number_text.h"
#include "platform/native_path.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString status(qint64 files, qint64 bytes) {
    return QStringLiteral("%1 files %2 bytes").arg(files).arg(formatThousands(bytes));
}

// A file-hog grid (size text in column 0, the full path in column 4) over real files, with
// the result list wired as a finder window wires it.
class ResultListTest : public ::testing::Test {
protected:
    void SetUp() override {
        setUi(&scripted);
        grid.setColCount(6);
        for (int c = 0; c < 6; ++c)
            grid.setCell(
                c, 0,
                QStringList{"Size in K", "Modified", "Time", "Access", "FileName", "Type"}[c]);
        list.setNameColumn(4);
        list.setPathOfRow([this](int row) { return stripSearchPathMarker(grid.cell(4, row)); });
        list.setRowLimit([this] { return rowCounter; });
        list.setStatusSink([this](const QString& s) { lastStatus = s; });
        list.setDeleteButton(&btDelete);
        btDelete.setEnabled(false);
    }
    void TearDown() override { setUi(nullptr); }

    // Adds a row for a file of `size` bytes made at `rel` (or no file when size < 0).
    QString addRow(const QByteArray& rel, qint64 size, const QString& sizeText = QString(),
                   const QString& suffix = QString()) {
        const QString path = fromNative(size >= 0 ? tree.file(rel, size) : tree.abs(rel));
        ++rowCounter;
        grid.setRowCount(rowCounter + 1);
        grid.setRowCells(rowCounter, {sizeText, "", "", "", path + suffix, ""});
        return path;
    }

    ScriptedUi scripted;
    TempTree tree;
    StringGrid grid;
    ResultList list{grid};
    QPushButton btDelete;
    int rowCounter = 0;
    QString lastStatus;
};

// The file-hog Sort items.
std::vector<SortItem> hogSortItems() {
    return {
        {"Size1", QStringLiteral("&Size"), 0, SortKind::Text, true},
        {"Date1", QStringLiteral("&Date"), 1, SortKind::Date, true},
        {"AccessDate1", QStringLiteral("&Access Date"), 3, SortKind::Date, true},
        {"Name1", QStringLiteral("&Name"), 4, SortKind::Text, false},
        {"Type1", QStringLiteral("&Type"), 5, SortKind::Text, false},
    };
}

} // namespace

TEST_F(ResultListTest, DoubleClickTogglesMarkAndTotals) {
    const QString a = addRow("a.bin", 1000);
    const QString b = addRow("sub/.hidden", 2345);
    grid.setCurrentRow(1);
    list.gridDblClick();
    EXPECT_TRUE(grid.marked(1));
    EXPECT_EQ(lastStatus, status(1, 1000));
    EXPECT_EQ(list.lbDeleted, QStringList{a});
    EXPECT_TRUE(btDelete.isEnabled());

    grid.setCurrentRow(2); // hidden files count like any other
    list.gridDblClick();
    EXPECT_EQ(lastStatus, status(2, 3345));
    EXPECT_EQ(list.lbDeleted, QStringList({a, b}));

    grid.setCurrentRow(1);
    list.gridDblClick();
    EXPECT_FALSE(grid.marked(1));
    EXPECT_EQ(lastStatus, status(1, 2345));
    EXPECT_EQ(list.lbDeleted, QStringList{b});
    grid.setCurrentRow(2);
    list.gridDblClick();
    EXPECT_EQ(lastStatus, status(0, 0));
    EXPECT_EQ(list.markedTotal(), 0);
    EXPECT_TRUE(list.lbDeleted.isEmpty());
    EXPECT_FALSE(btDelete.isEnabled());

    // Nothing happens on the header row or beyond the row counter.
    grid.setCurrentRow(0);
    list.gridDblClick();
    grid.setRowCount(5);
    list.deleteOneFile(4);
    EXPECT_FALSE(grid.marked(4));
    EXPECT_EQ(list.markedCount(), 0);
}

TEST_F(ResultListTest, MissingFilesAndFoldersChangeNoTotals) {
    const QString gone = addRow("gone.txt", -1);
    const QString folder = fromNative(tree.dir("folder"));
    ++rowCounter;
    grid.setRowCount(rowCounter + 1);
    grid.setRowCells(rowCounter, {"", "", "", "", folder, ""});
    const QString big = addRow("big.bin", 5'000'000'000); // sparse, beyond 32 bits

    list.deleteOneFile(1);
    list.deleteOneFile(2);
    EXPECT_TRUE(grid.marked(1));
    EXPECT_TRUE(grid.marked(2));
    EXPECT_EQ(list.lbDeleted, QStringList({gone, folder}));
    EXPECT_EQ(lastStatus, status(0, 0));

    list.deleteOneFile(3);
    EXPECT_EQ(list.markedTotal(), 5'000'000'000);
    // The file vanishes while marked: unmarking still takes off what marking added, so the
    // totals never claim a file that is no longer marked.
    ASSERT_EQ(::unlink(toNative(big).constData()), 0);
    list.deleteOneFile(3);
    EXPECT_EQ(lastStatus, status(0, 0));
    EXPECT_EQ(list.lbDeleted, QStringList({gone, folder}));
    // A file that appears after it was marked is not subtracted either.
    tree.file("gone.txt", 77);
    list.deleteOneFile(1);
    EXPECT_EQ(list.markedCount(), 0);
    EXPECT_EQ(list.markedTotal(), 0);
}

TEST_F(ResultListTest, SearchPathMarkerStaysOutOfThePath) {
    const QString a = addRow("bin/tool", 10, QString(), kSearchPathMarker);
    list.deleteOneFile(1);
    EXPECT_EQ(list.lbDeleted, QStringList{a});
    EXPECT_EQ(list.markedTotal(), 10);
}

TEST_F(ResultListTest, MarkButtonMovesDownButStaysOnTheLastRow) {
    addRow("1", 1);
    addRow("2", 2);
    addRow("3", 3);
    list.DeleteAllFiles(); // no current row: nothing
    EXPECT_EQ(list.markedCount(), 0);
    EXPECT_FALSE(btDelete.isEnabled());

    grid.setCurrentRow(2);
    list.DeleteAllFiles();
    EXPECT_TRUE(grid.marked(2));
    EXPECT_EQ(grid.currentRow(), 3);
    list.DeleteAllFiles();
    EXPECT_TRUE(grid.marked(3));
    EXPECT_EQ(grid.currentRow(), 3);
    EXPECT_EQ(lastStatus, status(2, 5));
    EXPECT_TRUE(btDelete.isEnabled());
}

TEST_F(ResultListTest, MarkAllAndUnmarkAll) {
    const QString a = addRow("a", 100);
    const QString b = addRow("b", 200);
    const QString c = addRow("c", 300);
    grid.setRowCount(10); // rows past the row counter are never marked
    list.deleteOneFile(2);

    list.Markall1Click();
    EXPECT_EQ(list.markedCount(), 3);
    EXPECT_EQ(lastStatus, status(3, 600));
    EXPECT_EQ(list.lbDeleted, QStringList({a, b, c}));
    EXPECT_TRUE(grid.marked(1) && grid.marked(2) && grid.marked(3));
    EXPECT_FALSE(grid.marked(4));
    EXPECT_TRUE(btDelete.isEnabled());
    EXPECT_GE(scripted.busyCalls, 1);
    EXPECT_EQ(scripted.busyDepth, 0);

    list.Unmarkall1Click();
    EXPECT_EQ(lastStatus, status(0, 0));
    EXPECT_TRUE(list.lbDeleted.isEmpty());
    EXPECT_FALSE(grid.marked(1) || grid.marked(2) || grid.marked(3));
    EXPECT_FALSE(btDelete.isEnabled());

    // Marking again after Unmark all counts from zero.
    list.deleteOneFile(3);
    EXPECT_EQ(lastStatus, status(1, 300));
}

TEST_F(ResultListTest, SortMenuChecksAndMarksTravel) {
    QWidget window;
    ResultMenuBuilder builder(&window);
    GridSortMenu sort(grid, builder.sortItems(hogSortItems()));
    auto item = [&](const char* name) {
        return builder.menu()->findChild<QAction*>(QLatin1String(name));
    };
    // Right-justified size texts, as the finders write them.
    addRow("m/zeta", 1, QStringLiteral("      0.1 K"));
    const QString big = addRow("m/alpha", 9000, QStringLiteral("      8.8 K"));
    addRow("m/Beta", 2048, QStringLiteral("      2.0 K"));
    addRow("m/gamma", 2048, QStringLiteral("      2.0 K"));
    list.deleteOneFile(2); // alpha

    sort.sortBy(item("Name1"));
    EXPECT_TRUE(item("Name1")->isChecked());
    EXPECT_FALSE(item("Size1")->isChecked());
    EXPECT_EQ(sort.checkedItem(), item("Name1"));
    EXPECT_TRUE(grid.cell(4, 1).endsWith(QStringLiteral("/alpha")));
    EXPECT_TRUE(grid.cell(4, 2).endsWith(QStringLiteral("/Beta")));
    EXPECT_TRUE(grid.marked(1));

    sort.sortBy(item("Size1"));
    EXPECT_EQ(sort.checkedItem(), item("Size1"));
    EXPECT_EQ(grid.cell(4, 1), big);
    EXPECT_TRUE(grid.marked(1));
    EXPECT_FALSE(grid.marked(2) || grid.marked(3) || grid.marked(4));
    EXPECT_TRUE(grid.cell(4, 4).endsWith(QStringLiteral("/zeta")));
    // The marked list keeps marking order; the sort ran under the busy cursor.
    EXPECT_EQ(list.lbDeleted, QStringList{big});
    EXPECT_GE(scripted.busyCalls, 2);

    sort.sortBy(item("Type1"));
    sort.reset();
    EXPECT_EQ(sort.checkedItem(), item("Size1"));
    EXPECT_FALSE(item("Type1")->isChecked());
    // A grid with only the header row is left alone, checks included.
    grid.setRowCount(1);
    sort.sortBy(item("Date1"));
    EXPECT_EQ(sort.checkedItem(), item("Size1"));
}

// A window of another shape (Sort items flat in the menu, then the panel items) gets working
// shared sections from the builder: Mark all and Unmark all act on the marks, Shrink and
// Restore on the top panel.
TEST_F(ResultListTest, MenuBuilderWiresTheSharedSections) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* panel = new QWidget;
    panel->setFixedHeight(172);
    layout->addWidget(panel);
    layout->addWidget(new QWidget);
    window.resize(640, 406);
    window.show();

    ResultMenuBuilder b(&window);
    const std::vector<SortChoice> choices =
        b.sortItems({{"SortbySize1", QStringLiteral("Sort by &Size"), 0, SortKind::Text, true},
                     {"SortbyName1", QStringLiteral("Sort by &Name"), 5, SortKind::Text, false}});
    b.separator("N1");
    std::unique_ptr<TopPanelResizer> resizer = b.resizeItems(*panel);
    b.markSubmenu(list, QStringLiteral("Unmark All"));
    QStringList captions;
    for (QAction* a : b.menu()->actions())
        captions << a->text() + (a->isChecked() ? "*" : "") + (a->isEnabled() ? "" : "-");
    EXPECT_EQ(captions, QStringList({"Sort by &Size*", "Sort by &Name", "", "Shrink top panel",
                                     "Restore top panel-", "Mark"}));
    EXPECT_EQ(choices[1].column, 5);

    resizer->rememberHeight();
    b.menu()->findChild<QAction*>("Shrinktoppanel1")->trigger();
    EXPECT_FALSE(panel->isVisible());
    QAction* restore = b.menu()->findChild<QAction*>("Restoretoppanel1");
    ASSERT_TRUE(restore->isEnabled());
    restore->trigger();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->height(), 172);

    addRow("a", 100);
    addRow("b", 20);
    QAction* markAll = window.findChild<QAction*>("Markall2");
    ASSERT_TRUE(markAll);
    markAll->trigger();
    EXPECT_EQ(lastStatus, status(2, 120));
    EXPECT_TRUE(btDelete.isEnabled());
    window.findChild<QAction*>("Unmarkall2")->trigger();
    EXPECT_EQ(lastStatus, status(0, 0));
    EXPECT_FALSE(grid.marked(1));
}

TEST(WindowSize, MinimumFromTheTopPanel) {
    const QRect panel(0, 0, 632, 172);
    EXPECT_EQ(minimumWindowSize(panel, 96, 1920), QSize(635, 344));
    EXPECT_EQ(minimumWindowSize(panel, 120, 1920), QSize(793, 430));
    EXPECT_EQ(minimumWindowSize(panel, 96, 600), QSize(590, 344));
}

TEST(PrintFlow, CancelledDialogPrintsNothing) {
    ScriptedUi scripted;
    setUi(&scripted);
    TempTree tree;
    scripted.printAccepted = false;
    scripted.pdfPath = tree.path() + QStringLiteral("/out.pdf");
    StringGrid grid;
    grid.setColCount(1);
    grid.setRowCount(2);
    grid.setRowCells(1, {QStringLiteral("x")});
    EXPECT_FALSE(printGridWithDialog(grid, QStringLiteral("T"), nullptr));
    EXPECT_FALSE(QFile::exists(scripted.pdfPath));

    scripted.printAccepted = true;
    EXPECT_TRUE(printGridWithDialog(grid, QStringLiteral("T"), nullptr));
    EXPECT_TRUE(QFile::exists(scripted.pdfPath));
    setUi(nullptr);
}

TEST(Clipboard, ExactTextOfEveryLine) {
    QStringList lines;
    for (int i = 0; i < 40000; ++i)
        lines << QStringLiteral("name%1\t    1.0 K\t/x/").arg(i);
    copyLinesToClipboard(lines);
    const QString text = QApplication::clipboard()->text();
    EXPECT_EQ(text, lines.join(u'\n'));
    EXPECT_TRUE(text.endsWith(QStringLiteral("name39999\t    1.0 K\t/x/")));

    StringGrid grid;
    grid.setColCount(3);
    grid.setRowCount(3);
    grid.setCell(0, 0, QStringLiteral("H0"));
    // Cells hold shown texts: a name with a tab or a backslash, escaped once where its cell
    // text was made, is copied as shown.
    grid.setRowCells(1, {escapeForLine(QStringLiteral("a\tb")),
                         escapeForLine(QStringLiteral("c\\d")), QStringLiteral("e")});
    grid.setRowCells(2, {QStringLiteral("f"), QString(), QStringLiteral("g")});
    EXPECT_EQ(gridLines(grid, 0, 2, 3), QStringList({"H0\t\t", "a\\tb\tc\\\\d\te", "f\t\tg"}));
    EXPECT_EQ(gridLines(grid, 1, 2, 2, true), QStringList({"a\\tb\tc\\\\d\t", "f\t\t"}));
}
