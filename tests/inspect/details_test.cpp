#include "inspect/details_texts.h"
#include "inspect/details_window.h"
#include "inspect/pe_builder.h"
#include "platform/clock.h"
#include "platform/date_text.h"
#include "platform/launcher.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QDate kToday(2026, 5, 13); // a Wednesday

QString thousands(const char* digits) {
    return QString::fromLatin1(digits).replace(QLatin1Char(','),
                                               QLocale::system().groupSeparator());
}

// Fixes "now" and the UI seam for one test.
struct DetailsFixture : ::testing::Test {
    ScriptedUi ui;
    TempTree tree;
    DetailsFixture() {
        setClock([] { return QDateTime(kToday, QTime(12, 0)); });
    }
    ~DetailsFixture() override {
        setClock({});
        setLauncherSeam({});
    }
    QString path(const QByteArray& rel) const { return QString::fromUtf8(tree.abs(rel)); }
    QByteArray writeFile(const QByteArray& rel, const QByteArray& bytes) {
        const QByteArray p = tree.file(rel);
        const int fd = ::open(p.constData(), O_WRONLY | O_CLOEXEC);
        EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
        return p;
    }
};

QByteArray programImage() {
    const StringTable table{"040904B0", {{"CompanyName", "Zelkova Works"}}};
    return buildPe(false, versionBlock({table}, {0x04B00409})).bytes;
}
} // namespace

TEST(DetailsTexts, RelativeDateSeenFromAWednesdayInMay2026) {
    const struct {
        QDate date;
        const char* text;
    } cases[] = {
        {kToday, "Today"},
        {{2026, 5, 12}, "Yesterday"},
        {{2026, 5, 14}, "Tomorrow"},
        {{2026, 5, 10}, "This week"}, // the Sunday that began it
        {{2026, 5, 9}, "Last week"},
        {{2026, 5, 2}, "2 weeks ago"},
        {{2026, 1, 10}, "4 months ago"},
        {{2024, 2, 1}, "27 months ago"},
        {{2023, 1, 15}, "3 years 4 months ago"},
        {{2023, 4, 1}, "3 years 1 month ago"},
        {{2022, 5, 1}, "4 years ago"}, // twelve months carry into a year
        {{2021, 6, 1}, "4 years 11 months ago"},
        {{2026, 5, 16}, "This week"}, // the Saturday that ends it
        {{2026, 5, 17}, "Next week"},
        {{2026, 5, 24}, "2 weeks"},
        {{2026, 9, 1}, "4 months"},
        {{2027, 6, 1}, "13 months"},
        {{2029, 5, 1}, "3 years"},
        {{2030, 2, 1}, "3 years 9 months"},
        {QDate(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(relativeDateText(c.date, kToday), QString::fromLatin1(c.text))
            << c.date.toString().toStdString();
}

TEST(DetailsTexts, ClusterLineCountsPartlyFilledClustersAndNeverDividesByZero) {
    const qint64 over4G = 5LL * 1024 * 1024 * 1024 + 1;
    const struct {
        qint64 size, cluster;
        const char* text;
    } cases[] = {
        {0, 4096, "Cluster size: 4,096  Clusters used : 0  Wasted bytes : 0"},
        {8192, 4096, "Cluster size: 4,096  Clusters used : 2  Wasted bytes : 0"},
        {8193, 4096, "Cluster size: 4,096  Clusters used : 3  Wasted bytes : 4,095"},
        {over4G, 4096, "Cluster size: 4,096  Clusters used : 1,310,721  Wasted bytes : 4,095"},
        {over4G, 0, "Cluster size: ???  Clusters used : ???  Wasted bytes : ???"},
        {100, -1, "Cluster size: ???  Clusters used : ???  Wasted bytes : ???"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(clusterLine(c.size, c.cluster), thousands(c.text)) << c.size << " " << c.cluster;
}

TEST(DetailsTexts, AttributeWordsKeepTheirOrder) {
    EXPECT_EQ(attributeWords(0x3F), " ReadOnly Hidden System VolumeID Directory Archive");
    EXPECT_EQ(attributeWords(0), "");
}

TEST_F(DetailsFixture, EntriesAreDescribedAsListedWithoutFollowingLinks) {
    const QByteArray readOnly = tree.file("plain.txt", 10);
    ::chmod(readOnly.constData(), 0444);
    tree.file(".hidden", 1);
    tree.symlink("link.exe", "plain.txt");
    ASSERT_EQ(::mkfifo(tree.abs("pipe").constData(), 0644), 0);
    tree.dir("folder");
    const struct {
        const char* name;
        const char* attributes;
    } cases[] = {
        {"plain.txt", " ReadOnly Archive"},
        {".hidden", " Hidden Archive"},
        {"link.exe", " System"},
        {"pipe", " System"},
        {"folder", " Directory"},
    };
    for (const auto& c : cases) {
        const auto d = readFileDetails(path(c.name), kToday);
        ASSERT_TRUE(d) << c.name;
        EXPECT_EQ(d->attributes, QString::fromLatin1(c.attributes)) << c.name;
        EXPECT_TRUE(d->version.isEmpty()) << c.name;
        EXPECT_TRUE(d->sizeK.startsWith("Cluster size: ") && !d->sizeK.contains("???")) << c.name;
    }
    // The link's own size (its target text), not the size of the file it leads to.
    EXPECT_EQ(readFileDetails(path("link.exe"), kToday)->sizeBytes, "9 bytes");
    EXPECT_EQ(readFileDetails(path("link.exe"), kToday)->fileType, "link to plain.txt");
    EXPECT_FALSE(readFileDetails(path("missing"), kToday));
}

TEST_F(DetailsFixture, DatesShowTheirAgeOrQuestionMarksOutsideThePackedRange) {
    const QByteArray file = tree.file("dated", 1);
    const QDateTime yesterday(kToday.addDays(-1), QTime(23, 59, 59));
    const timespec times[2] = {{0, 0}, {yesterday.toSecsSinceEpoch(), 0}}; // access, write
    ASSERT_EQ(::utimensat(AT_FDCWD, file.constData(), times, 0), 0);
    const auto d = readFileDetails(path("dated"), kToday);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->modify, shortDateText(yesterday.date()) + "  Yesterday");
    EXPECT_EQ(d->access, "???"); // 1970
    EXPECT_EQ(detailsDateText(QDateTime(QDate(2108, 1, 2), QTime(0, 0)).toSecsSinceEpoch(), kToday),
              "???");
}

TEST_F(DetailsFixture, WindowShrinksWithoutVersionLinesAndShowsElevenForAProgram) {
    tree.file("README", 1234);
    writeFile("tool.exe", programImage());
    for (const bool program : {false, true}) {
        TfrmDetails window;
        window.fileName = path(program ? "tool.exe" : "README");
        window.FormShow();
        EXPECT_EQ(window.Memo1->isHidden(), !program);
        EXPECT_EQ(window.memoLines().size(), program ? 11 : 0);
        EXPECT_EQ(window.height() == 468, program);
        EXPECT_LT(window.btClose->geometry().bottom(), window.height());
        if (!program) {
            EXPECT_EQ(window.lblFileType->text(), "");
            EXPECT_EQ(window.lblSizeBytes->text(), thousands("1,234 bytes"));
        }
    }
}

TEST_F(DetailsFixture, VersionValuesLineUpWhateverTheirLabels) {
    const StringTable table{"040904B0",
                            {{"CompanyName", "Zelkova Works"},
                             {"FileDescription", "A tool"},
                             {"LegalCopyright", "(c) 1995"},
                             {"SpecialBuild", "none"}}};
    writeFile("tool.exe", buildPe(false, versionBlock({table}, {0x04B00409})).bytes);
    TfrmDetails window;
    window.fileName = path("tool.exe");
    window.FormShow();
    // Where each line's value begins: just past its label's tabs.
    QList<qreal> starts;
    const QTextDocument* doc = window.Memo1->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        doc->documentLayout()->blockBoundingRect(b); // lays the line out
        const QString text = b.text();
        const qsizetype value = text.lastIndexOf(QLatin1Char('\t')) + 1;
        ASSERT_GT(value, 0) << text.toStdString();
        starts << b.layout()->lineAt(0).cursorToX(int(value));
    }
    ASSERT_EQ(starts.size(), 11);
    for (const qreal x : starts)
        EXPECT_EQ(x, starts[0]);
}

TEST_F(DetailsFixture, LabelsCutOnScreenReadWholeAndLinksAreNotOpened) {
    const QByteArray deep = "a_rather_long_folder_name_that_is_wider_than_the_label_itself/";
    tree.file(deep + deep + "longpath.txt", 1);
    tree.symlink("link", deep + deep + "longpath.txt");
    const struct {
        QByteArray rel;
        QString type;
        bool opens;
    } cases[] = {
        {deep + deep + "longpath.txt", {}, true},
        {"link", "link to " + QString::fromUtf8(deep + deep) + "longpath.txt", false},
    };
    for (const auto& c : cases) {
        TfrmDetails window;
        window.fileName = path(c.rel);
        window.FormShow();
        const auto name = [](QLabel* l) {
            return QAccessible::queryAccessibleInterface(l)->text(QAccessible::Name);
        };
        EXPECT_EQ(name(window.lblFileName), window.fileName);
        if (!c.type.isEmpty()) {
            EXPECT_EQ(name(window.lblFileType), c.type);
            EXPECT_NE(window.lblFileType->text(), c.type) << "cut on screen";
        }
        EXPECT_EQ(window.btLaunch->isEnabled(), c.opens) << c.rel.constData();
        EXPECT_EQ(window.btView->isEnabled(), c.opens) << c.rel.constData();
    }
}

TEST_F(DetailsFixture, LaunchFailureIsReportedAndTheWindowStays) {
    QString launched;
    setLauncherSeam([&](const QString& p) {
        launched = p;
        return false;
    });
    TfrmDetails window;
    window.fileName = path("a b.txt");
    window.btLaunch->click();
    EXPECT_EQ(launched, window.fileName);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text, "Couldn't run " + window.fileName);
}

TEST_F(DetailsFixture, PrintedReportHoldsTheLabelsThenTheVersionLines) {
    writeFile("odd\tname.exe", programImage());
    TfrmDetails window;
    window.fileName = path("odd\tname.exe");
    window.FormShow();

    ui.printAccepted = false;
    window.btPrint->click();
    EXPECT_TRUE(window.lb.isEmpty());

    ui.printAccepted = true;
    ui.pdfPath = path("report.pdf");
    window.btPrint->click();
    ASSERT_EQ(window.lb.size(), 12 + 11);
    // The tab in the name is shown as an escape, so it cannot split the line.
    EXPECT_EQ(window.lb[0], "Name of file : \t" + path("odd") + "\\tname.exe");
    EXPECT_EQ(window.lb[4], "               \t" + window.lblSizeK->text());
    EXPECT_EQ(window.lb[10], "Attributes : \t Archive");
    EXPECT_EQ(window.lb.mid(12), window.memoLines());
    EXPECT_TRUE(tree.exists("report.pdf"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DetailsFixture, FifoOpensTheWindowWithoutBlocking) {
    ASSERT_EQ(::mkfifo(tree.abs("pipe").constData(), 0644), 0);
    QString attributes;
    ui.onModal = [&](QDialog& dialog) {
        dialog.show(); // fills the window as the desktop would
        attributes = static_cast<TfrmDetails&>(dialog).lblAttributes->text();
        return int(QDialog::Rejected);
    };
    showDetails(path("pipe"));
    EXPECT_EQ(attributes, " System");
}
