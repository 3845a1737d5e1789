#include "common/reports.h"

#include "platform/clock.h"
#include "platform/date_text.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
class FakeGrid : public ReportGrid {
public:
    QList<QStringList> rows; // rows[row][column], row 0 the header
    QList<int> widths;

    int reportColumnCount() const override { return int(widths.size()); }
    int reportRowCount() const override { return int(rows.size()); }
    QString reportCell(int column, int row) const override { return rows[row][column]; }
    int reportColumnWidth(int column) const override { return widths[column]; }
};

class ReportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setClock([] { return QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7)); });
        appPrinter().setOutputFormat(QPrinter::PdfFormat);
        appPrinter().setOutputFileName(pdf);
    }
    void TearDown() override { setClock({}); }

    QString printed() const {
        return QStringLiteral("Printed : ") + shortDateText(QDate(2024, 3, 9)) +
               QStringLiteral("  ") + longTimeText(QTime(14, 5, 7));
    }
    QByteArray pdfBytes() const {
        QFile f(pdf);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    qsizetype pageCount() const {
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
        return QString::fromLatin1(pdfBytes()).count(page);
    }

    TempTree tree;
    QString pdf = tree.path() + QStringLiteral("/report.pdf");
    ScriptedUi seam;
};
} // namespace

TEST_F(ReportsTest, ListBoxLinesAreIndented) {
    EXPECT_EQ(listBoxReportLines({QStringLiteral("Attributes: A"), QString()},
                                 QStringLiteral("File details of /tmp/a")),
              QStringList({QStringLiteral("   File details of /tmp/a"),
                           QStringLiteral("   ") + printed(), QString(), QString(),
                           QStringLiteral("   Attributes: A"), QStringLiteral("   ")}));
}

TEST_F(ReportsTest, GridLinesPadCellsToTheColumnWidthAndNeverCutThem) {
    FakeGrid grid;
    grid.widths = {60, 35, 5};
    grid.rows = {{QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("X")}};
    EXPECT_EQ(gridReportLines(grid, QStringLiteral("Duplicate files")),
              QStringList({QStringLiteral("Duplicate files"), printed(), QString(), QString(),
                           QStringLiteral("Name       Size  X ")}));

    const QString wide = QStringLiteral("/a/very/long/folder/name/that/is/wider.txt");
    grid.rows << QStringList{wide, QStringLiteral("12345678"), QString()};
    const QStringList lines = gridReportLines(grid, QStringLiteral("t"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[5], wide + QStringLiteral(" 12345678  "));
}

TEST_F(ReportsTest, ReportsArePrintedAsPdfWithNewPagesWhenFull) {
    FakeGrid grid;
    grid.widths = {120, 60};
    grid.rows = {{QStringLiteral("Name"), QStringLiteral("Size")},
                 {QStringLiteral("a.txt"), QStringLiteral("1")}};
    ASSERT_TRUE(printGrid(grid, QStringLiteral("Files")));
    EXPECT_TRUE(seam.messages.empty());
    EXPECT_TRUE(pdfBytes().startsWith("%PDF"));
    EXPECT_EQ(pageCount(), 1);
    EXPECT_EQ(seam.busyCalls, 1);
    EXPECT_EQ(seam.busyDepth, 0);

    QStringList many;
    for (int i = 0; i < 500; ++i)
        many << QStringLiteral("line %1").arg(i);
    ASSERT_TRUE(printListBox(many, QStringLiteral("Many")));
    EXPECT_TRUE(seam.messages.empty());
    const qsizetype pages = pageCount();
    EXPECT_GT(pages, 1);
    EXPECT_LT(pages, 50); // one line a printed line, not one line a page
    EXPECT_EQ(seam.busyDepth, 0);
}

TEST_F(ReportsTest, UnwritableOutputShowsThePrintError) {
    appPrinter().setOutputFileName(tree.path() + QStringLiteral("/no/such/folder/r.pdf"));
    EXPECT_FALSE(printListBox({QStringLiteral("x")}, QStringLiteral("t")));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(seam.lastMessage(), QStringLiteral("Error printing report ... quitting"));
    EXPECT_TRUE(seam.sounds.empty());
    EXPECT_EQ(seam.busyDepth, 0);

    FakeGrid grid;
    grid.widths = {60};
    grid.rows = {{QStringLiteral("h")}};
    EXPECT_FALSE(printGrid(grid, QStringLiteral("t")));
    EXPECT_EQ(seam.messages.size(), 2u);
}
