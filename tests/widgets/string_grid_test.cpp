#include "widgets/string_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Cells of keyed rows made from the key, so a test can tell which record a row shows.
QString keyedText(quint32 key, int col) {
    return QStringLiteral("k%1c%2").arg(key).arg(col);
}

// Fills rows the way a finder's addToGrid does: the row counter goes up, the row count grows
// by 50 whenever the row to write does not exist yet.
int fillLikeAFinder(StringGrid& grid, int records) {
    int counter = 0;
    for (int i = 0; i < records; ++i) {
        ++counter;
        if (grid.rowCount() <= counter)
            grid.setRowCount(grid.rowCount() + 50);
        grid.setRowCells(counter, {QString::number(i), QStringLiteral("x")});
    }
    return counter;
}

bool anyInk(const QImage& image, int x0, int x1) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = x0; x < x1; ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace

TEST(StringGrid, HeaderRowAndRowCountGrowth) {
    StringGrid grid;
    EXPECT_EQ(grid.rowCount(), 1); // the header row alone
    grid.setColCount(3);
    grid.setCell(0, 0, QStringLiteral("Filename"));
    grid.setCell(2, 0, QStringLiteral("Type"));
    EXPECT_EQ(grid.cell(0, 0), QStringLiteral("Filename"));
    EXPECT_EQ(grid.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Type"));
    // The header is not a data row of the view.
    grid.setRowCount(2);
    EXPECT_EQ(grid.model()->rowCount(), 1);

    const int counter = fillLikeAFinder(grid, 120);
    EXPECT_EQ(grid.rowCount(), 152); // 2, then 52, 102, 152
    grid.setRowCount(counter + 1);
    EXPECT_EQ(grid.rowCount(), 121);
    EXPECT_EQ(grid.cell(0, 120), QStringLiteral("119"));
    EXPECT_EQ(grid.cell(0, 0), QStringLiteral("Filename"));

    // Rows dropped by shrinking come back empty and unmarked.
    grid.setMarked(120, true);
    grid.setRowCount(100);
    grid.setRowCount(121);
    EXPECT_EQ(grid.cell(0, 120), QString());
    EXPECT_FALSE(grid.marked(120));
    // The row count never drops below the header row; cells outside the grid are empty.
    grid.setRowCount(0);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.cell(0, 5), QString());
    EXPECT_EQ(grid.cell(7, 0), QString());

    // Fewer columns drop texts; more columns come back empty.
    grid.setRowCount(2);
    grid.setRowCells(1, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    grid.setColCount(1);
    grid.setColCount(3);
    EXPECT_EQ(grid.cell(0, 1), QStringLiteral("a"));
    EXPECT_EQ(grid.cell(2, 1), QString());
}

TEST(StringGrid, StoredAndKeyedCells) {
    StringGrid grid;
    grid.setColCount(3);
    grid.setRowSource(keyedText);
    grid.setRowCount(2);
    grid.setRowCells(1, {QStringLiteral("stored")});
    const std::vector<quint32> keys{7, 8, 9};
    grid.setKeyedRows(2, keys);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.cell(0, 1), QStringLiteral("stored"));
    EXPECT_FALSE(grid.isKeyedRow(1));
    EXPECT_TRUE(grid.isKeyedRow(3));
    EXPECT_EQ(grid.rowKey(3), 8u);
    EXPECT_EQ(grid.cell(1, 3), QStringLiteral("k8c1"));
    // The view, and so the accessibility interface, reads the same texts.
    EXPECT_EQ(grid.model()->data(grid.model()->index(2, 2)).toString(), QStringLiteral("k8c2"));
    EXPECT_EQ(grid.reportCell(2, 4), QStringLiteral("k9c2"));
    EXPECT_EQ(grid.reportRowCount(), 5);

    // Writing one cell of a keyed row keeps its other texts.
    grid.setCell(0, 2, QStringLiteral("DELETED"));
    EXPECT_FALSE(grid.isKeyedRow(2));
    EXPECT_EQ(grid.cell(0, 2), QStringLiteral("DELETED"));
    EXPECT_EQ(grid.cell(1, 2), QStringLiteral("k7c1"));
    // A stored row can become keyed again; clearing empties every row and mark.
    grid.setRowKey(1, 3);
    EXPECT_EQ(grid.cell(0, 1), QStringLiteral("k3c0"));
    grid.setMarked(4, true);
    grid.clearCells();
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.cell(0, 1), QString());
    EXPECT_EQ(grid.cell(0, 3), QString());
    EXPECT_FALSE(grid.marked(4));
}

TEST(StringGrid, MarksTravelWithRows) {
    StringGrid grid;
    grid.setColCount(2);
    grid.setRowSource(keyedText);
    grid.setRowCount(5);
    grid.setRowCells(1, {QStringLiteral("one")});
    grid.setRowKey(2, 2);
    grid.setRowCells(3, {QStringLiteral("three")});
    grid.setRowKey(4, 4);
    grid.setMarked(1, true);
    grid.setMarked(4, true);

    const std::vector<int> order{4, 3, 1, 2};
    grid.permuteRows(1, order);
    EXPECT_EQ(grid.cell(0, 1), QStringLiteral("k4c0"));
    EXPECT_EQ(grid.cell(0, 2), QStringLiteral("three"));
    EXPECT_EQ(grid.cell(0, 3), QStringLiteral("one"));
    EXPECT_EQ(grid.cell(0, 4), QStringLiteral("k2c0"));
    EXPECT_TRUE(grid.marked(1));
    EXPECT_TRUE(grid.marked(3));
    EXPECT_FALSE(grid.marked(2));
    EXPECT_FALSE(grid.marked(4));

    // Not a permutation: nothing moves (two rows must never share one set of cells).
    const std::vector<int> bad{2, 2, 3};
    grid.permuteRows(2, bad);
    EXPECT_EQ(grid.cell(0, 2), QStringLiteral("three"));
    EXPECT_EQ(grid.cell(0, 3), QStringLiteral("one"));
    // Editing a moved row changes that row only.
    grid.setCell(1, 3, QStringLiteral("x"));
    EXPECT_EQ(grid.cell(1, 2), QString());
    EXPECT_EQ(grid.cell(1, 3), QStringLiteral("x"));
}

TEST(StringGrid, CurrentRowAndInputSignals) {
    StringGrid grid;
    grid.setColCount(2);
    grid.setRowCount(4);
    for (int r = 1; r < 4; ++r)
        grid.setRowCells(r, {QString::number(r), QStringLiteral("b")});
    EXPECT_EQ(grid.currentRow(), 0);
    grid.resize(300, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    grid.setCurrentRow(2);
    EXPECT_EQ(grid.currentRow(), 2);
    EXPECT_TRUE(grid.isRowSelected(2));
    grid.setCurrentRow(0); // the header can never be current
    EXPECT_EQ(grid.currentRow(), 0);
    EXPECT_FALSE(grid.isRowSelected(2));

    QSignalSpy doubleClicks(&grid, &StringGrid::cellDoubleClicked);
    const QRect cell3 = grid.visualRect(grid.model()->index(2, 1));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell3.center());
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(grid.currentRow(), 3);

    QSignalSpy keys(&grid, &StringGrid::keyReleased);
    QTest::keyRelease(&grid, Qt::Key_Delete);
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys.at(0).at(0).toInt(), int(Qt::Key_Delete));

    grid.setColWidth(1, 123);
    EXPECT_EQ(grid.colWidth(1), 123);
    EXPECT_EQ(grid.reportColumnWidth(1), 123);
    EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), 18);
    // A larger desktop font gets rows tall enough for its letters.
    QFont big = grid.font();
    big.setPixelSize(30);
    grid.setFont(big);
    EXPECT_GE(grid.verticalHeader()->defaultSectionSize(), QFontMetrics(big).height());
}

TEST(StringGrid, DefaultDrawingAlignsAndShowsTheMark) {
    StringGrid grid;
    grid.setColCount(2);
    grid.setRowCount(2);
    grid.setRowCells(1, {QStringLiteral("WWW"), QStringLiteral("WWW")});
    grid.setRightAligned(1, true);
    const QRect cell(0, 0, 120, 18);

    auto render = [&](int col) {
        QImage image(cell.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        grid.drawCellDefault(painter, cell, col, 1);
        painter.end();
        return image;
    };
    // Left-aligned text starts near the left edge; right-aligned text ends near the right.
    const QImage left = render(0);
    EXPECT_TRUE(anyInk(left, 0, 40));
    EXPECT_FALSE(anyInk(left, 80, 120));
    const QImage right = render(1);
    EXPECT_FALSE(anyInk(right, 0, 40));
    EXPECT_TRUE(anyInk(right, 80, 118));
    EXPECT_FALSE(anyInk(right, 118, 120));

    // A marked row's name cell: the glyph at (2, 2), purple drawn transparent, the text moved.
    grid.setMarked(1, true);
    const QImage marked = render(0);
    bool red = false;
    for (int y = 2; y < 18; ++y)
        for (int x = 2; x < 18; ++x) {
            const QColor c = marked.pixelColor(x, y);
            EXPECT_FALSE(c.red() == 255 && c.green() == 0 && c.blue() == 255);
            red = red || (c.red() > 150 && c.green() < 100 && c.blue() < 100);
        }
    EXPECT_TRUE(red);
    EXPECT_NE(marked, left);

    // A window's drawing function is called for data cells and for the header row.
    std::vector<std::pair<int, int>> drawn;
    grid.setDrawCell([&](QPainter&, const QRect&, int col, int row) {
        drawn.push_back({col, row});
    });
    grid.resize(300, 100);
    (void)grid.grab();
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(1, 0)), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(0, 1)), drawn.end());
}

TEST(StringGrid, ManyKeyedRows) {
    StringGrid grid;
    grid.setColCount(6);
    grid.setRowSource(keyedText);
    std::vector<quint32> keys(300000);
    for (quint32 i = 0; i < keys.size(); ++i)
        keys[i] = i;
    grid.setKeyedRows(1, keys);
    EXPECT_EQ(grid.rowCount(), 300001);
    EXPECT_EQ(grid.cell(5, 300000), QStringLiteral("k299999c5"));
    grid.setCurrentRow(299999);
    EXPECT_EQ(grid.currentRow(), 299999);
}

// Tab and Shift+Tab leave the grid for the window's next and previous controls, as in any
// other control; the arrow keys move between the grid's rows.
TEST(StringGrid, TabLeavesTheGridArrowsMoveInIt) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QPushButton(QStringLiteral("Before"), &window);
    auto* grid = new StringGrid(&window);
    auto* after = new QPushButton(QStringLiteral("After"), &window);
    for (QWidget* w : {(QWidget*)before, (QWidget*)grid, (QWidget*)after})
        layout->addWidget(w);
    grid->setColCount(3);
    grid->setRowCount(4);
    for (int r = 1; r < 4; ++r)
        grid->setRowCells(r, {QString::number(r), QStringLiteral("b"), QStringLiteral("c")});
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QWidget* focus;
        int row; // the grid's current row afterwards
    } cases[] = {
        {Qt::Key_Down, {}, grid, 2},
        {Qt::Key_Tab, {}, after, 1},
        {Qt::Key_Tab, Qt::ShiftModifier, before, 1},
        {Qt::Key_Backtab, {}, before, 1},
        {Qt::Key_Right, {}, grid, 1},
        {Qt::Key_Up, {}, grid, 1},
    };
    for (const auto& c : cases) {
        grid->setFocus();
        grid->setCurrentRow(1);
        QTest::keyClick(grid, c.key, c.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), c.focus) << c.key;
        if (c.focus == grid) {
            EXPECT_EQ(grid->currentRow(), c.key == Qt::Key_Down ? 2 : 1) << c.key;
        }
    }
}

// A cell too narrow for its text shows where it was cut ("…" at the end of a name or a text,
// in the middle of a path, so paths that differ only inside still read apart) and its tooltip
// is the whole text; a cell shown whole has no tooltip of its own. A figure column is as wide
// as the widest figure it holds, also one that arrives after the layout.
TEST(StringGrid, CutCellsShowASignFiguresAreNeverCut) {
    StringGrid grid;
    grid.setColCount(4);
    const QStringList headings{"Size", "Filename", "Folder", "Type"};
    for (int c = 0; c < 4; ++c)
        grid.setCell(c, 0, headings[c]);
    grid.setRowCount(4);
    grid.setRowCells(1, {"1,024", "a_rather_long_file_name_that_goes_on_and_on.txt",
                         "/home/zkuser/projects/alpha/src/lib", "plain text document of a kind"});
    grid.setRowCells(2, {"2,048", "readme", "/home/zkuser/projects/alpha/doc/lib", "text"});
    using K = ColumnKind;
    grid.setColumnPlan({{K::Figure, 30}, {K::Name, 80}, {K::Path, 80}, {K::Text, 60}});
    grid.layoutColumns(300);

    const QChar ellipsis(0x2026);
    const QAbstractItemModel* model = grid.model();
    const struct {
        int col, row;
        bool cut;
        int sign; // where "…" stands: 1 at the end, 0 inside
    } cases[] = {{0, 1, false, 0}, {1, 1, true, 1}, {1, 2, false, 0}, {2, 1, true, 0},
                 {2, 2, true, 0},  {3, 1, true, 1}, {3, 2, false, 0}};
    for (const auto& c : cases) {
        const QString whole = grid.cell(c.col, c.row);
        const QString shown = grid.shownText(c.col, c.row);
        const QVariant tip = model->data(model->index(c.row - 1, c.col), Qt::ToolTipRole);
        EXPECT_EQ(shown != whole, c.cut) << c.col << " " << c.row;
        EXPECT_EQ(tip.toString(), c.cut ? whole : QString()) << c.col << " " << c.row;
        if (!c.cut)
            continue;
        ASSERT_EQ(shown.count(ellipsis), 1) << c.col << " " << c.row;
        if (c.sign == 1)
            EXPECT_TRUE(shown.endsWith(ellipsis));
        else
            EXPECT_TRUE(whole.endsWith(shown.mid(shown.indexOf(ellipsis) + 1)) &&
                        !shown.endsWith(ellipsis));
    }
    EXPECT_NE(grid.shownText(2, 1), grid.shownText(2, 2));

    // A wider figure after the layout widens its column once the grid has had its turn.
    const QString big = QStringLiteral("5,368,709,120");
    grid.setRowCells(3, {big, "huge.iso", "/tmp", "disk image"});
    QCoreApplication::processEvents();
    EXPECT_GE(grid.colWidth(0), grid.fontMetrics().horizontalAdvance(big) + 4);
    EXPECT_EQ(grid.shownText(0, 3), big);
}
