#include "finders/result_list.h"

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

    EXPECT_EQ(pathFromFolderAndName(QStringLiteral("/usr/bin") + kSearchPathMarker,
                                    QStringLiteral("ls            ")),
              QStringLiteral("/usr/bin/ls"));
    EXPECT_EQ(pathFromFolderAndName(QStringLiteral("/"), QStringLiteral("a long file name.txt")),
              QStringLiteral("/a long file name.txt"));
    EXPECT_EQ(joinFolderAndName(QStringLiteral("/home/x/"), QStringLiteral("f")),
              QStringLiteral("/home/x/f"));
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
    const ResultMenu menu = buildResultMenu(&window);
    GridSortMenu sort(grid, fileHogSortChoices(menu));
    // Right-justified size texts, as the finders write them.
    addRow("m/zeta", 1, QStringLiteral("      0.1 K"));
    const QString big = addRow("m/alpha", 9000, QStringLiteral("      8.8 K"));
    addRow("m/Beta", 2048, QStringLiteral("      2.0 K"));
    addRow("m/gamma", 2048, QStringLiteral("      2.0 K"));
    list.deleteOneFile(2); // alpha

    sort.sortBy(menu.Name1);
    EXPECT_TRUE(menu.Name1->isChecked());
    EXPECT_FALSE(menu.Size1->isChecked());
    EXPECT_EQ(sort.checkedItem(), menu.Name1);
    EXPECT_TRUE(grid.cell(4, 1).endsWith(QStringLiteral("/alpha")));
    EXPECT_TRUE(grid.cell(4, 2).endsWith(QStringLiteral("/Beta")));
    EXPECT_TRUE(grid.marked(1));

    sort.sortBy(menu.Size1);
    EXPECT_EQ(sort.checkedItem(), menu.Size1);
    EXPECT_EQ(grid.cell(4, 1), big);
    EXPECT_TRUE(grid.marked(1));
    EXPECT_FALSE(grid.marked(2) || grid.marked(3) || grid.marked(4));
    EXPECT_TRUE(grid.cell(4, 4).endsWith(QStringLiteral("/zeta")));
    // The marked list keeps marking order; the sort ran under the busy cursor.
    EXPECT_EQ(list.lbDeleted, QStringList{big});
    EXPECT_GE(scripted.busyCalls, 2);

    sort.sortBy(menu.Type1);
    sort.reset();
    EXPECT_EQ(sort.checkedItem(), menu.Size1);
    EXPECT_FALSE(menu.Type1->isChecked());
    // A grid with only the header row is left alone, checks included.
    grid.setRowCount(1);
    sort.sortBy(menu.Date1);
    EXPECT_EQ(sort.checkedItem(), menu.Size1);
}

TEST(ResultMenu, NamedItemsCaptionsAndStates) {
    QWidget window;
    const ResultMenu m = buildResultMenu(&window);
    const QList<QAction*> top = m.PopupMenu1->actions();
    ASSERT_EQ(top.size(), 7);
    QStringList captions;
    for (QAction* a : top)
        captions << a->text();
    EXPECT_EQ(captions, QStringList({"Details", "Sort", "Mark", "Resize", "", "Run", "View"}));
    EXPECT_TRUE(m.N3->isSeparator());
    QStringList sortCaptions;
    for (QAction* a : m.Sortbysize1->menu()->actions())
        sortCaptions << a->text() + (a->isChecked() ? "*" : "");
    EXPECT_EQ(sortCaptions, QStringList({"&Size*", "&Date", "&Access Date", "&Name", "&Type"}));
    EXPECT_EQ(m.Markall2->text(), QStringLiteral("Mark all"));
    EXPECT_EQ(m.Unmarkall2->text(), QStringLiteral("Unmark all"));
    EXPECT_TRUE(m.Shrinktoppanel1->isEnabled());
    EXPECT_FALSE(m.Restoretoppanel1->isEnabled());
    EXPECT_EQ(m.PopupMenu1->findChild<QAction*>(QStringLiteral("Restoretoppanel1")),
              m.Restoretoppanel1);
}

TEST(TopPanel, ShrinkAndRestore) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* panel = new QWidget;
    panel->setFixedHeight(172);
    layout->addWidget(panel);
    layout->addWidget(new QWidget);
    window.resize(640, 406);
    window.show();
    const ResultMenu m = buildResultMenu(&window);
    TopPanelResizer resizer(*panel, *m.Shrinktoppanel1, *m.Restoretoppanel1);
    resizer.rememberHeight();
    EXPECT_EQ(resizer.rememberedHeight(), 172);

    resizer.Shrink1Click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(m.Shrinktoppanel1->isEnabled());
    EXPECT_TRUE(m.Restoretoppanel1->isEnabled());
    resizer.Grow1Click();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->height(), 172);
    EXPECT_TRUE(m.Shrinktoppanel1->isEnabled());
    EXPECT_FALSE(m.Restoretoppanel1->isEnabled());
}

TEST(WindowSize, MinimumFromTheTopPanel) {
    const QRect panel(0, 0, 632, 172);
    EXPECT_EQ(minimumWindowSize(panel, 96, 1920), QSize(635, 344));
    EXPECT_EQ(minimumWindowSize(panel, 120, 1920), QSize(793, 430));
    EXPECT_EQ(minimumWindowSize(panel, 96, 600), QSize(590, 344));
}

TEST(PrintTitle, FromModeSizePatternAndDrives) {
    const QString kb1 = QStringLiteral("KB (256000 bytes)");
    EXPECT_EQ(printTitle(false, sizePhrase(SizeChoice::Larger, kb1, QString()),
                         QStringLiteral("*.*"), QStringLiteral("/ ")),
              QStringLiteral("File Hogs larger or equal to KB (256000 bytes) matching *.* on "
                             "drive(s) / "));
    EXPECT_EQ(printTitle(true, sizePhrase(SizeChoice::Smaller, kb1, QString()),
                         QStringLiteral("*.bak"), QStringLiteral("/ /home ")),
              QStringLiteral("Duplicates smaller or equal to KB (256000 bytes) matching *.bak on "
                             "drive(s) / /home "));
    EXPECT_EQ(sizePhrase(SizeChoice::Between, QStringLiteral("KB (102400 bytes)"),
                         QStringLiteral("KB ( 9.8 Meg)")),
              QStringLiteral("in between KB (102400 bytes) and KB ( 9.8 Meg)"));
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
    grid.setRowCells(1, {QStringLiteral("a\tb"), QStringLiteral("c\nd"), QStringLiteral("e")});
    grid.setRowCells(2, {QStringLiteral("f"), QString(), QStringLiteral("g")});
    EXPECT_EQ(gridLines(grid, 0, 2, 3), QStringList({"H0\t\t", "a\\tb\tc\\nd\te", "f\t\tg"}));
    EXPECT_EQ(gridLines(grid, 1, 2, 2, true), QStringList({"a\\tb\tc\\nd\t", "f\t\t"}));
}
