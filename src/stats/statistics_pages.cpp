// The nine pages of the statistics window: how they are built and how the tallies fill them.
#include "stats/statistics_window.h"

#include "common/locations.h"
#include "common/number_text.h"
#include "common/profile.h"
#include "common/ui.h"
#include "model/deletion_totals.h"
#include "platform/date_text.h"
#include "platform/drives.h"
#include "platform/file_time.h"
#include "platform/file_types.h"
#include "widgets/column_width.h"
#include "widgets/gauge.h"
#include "widgets/push_button.h"
#include "widgets/result_list.h"
#include "widgets/result_menu.h"
#include "widgets/string_grid.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <numeric>
#include <optional>

namespace {
const QColor kNavy(0, 0, 128);
const QColor kTeal(0, 128, 128);
const QColor kPurple(128, 0, 128);

QLabel* label(QWidget* parent, const QString& name, const QString& text = {}) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLabel* numberLabel(QWidget* parent, const QString& name) {
    QLabel* l = label(parent, name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(110);
    return l;
}

TGauge* gauge(QWidget* parent, const QString& name, const QColor& fore) {
    auto* g = new TGauge(parent);
    g->setObjectName(name);
    g->setForeColor(fore);
    g->setMinimumWidth(120);
    return g;
}

// A page of tally rows under the four headings, rows named by `names` with the given prefixes
// for the count bar, count, bytes bar and bytes.
struct RowNames {
    QString countGauge, count, bytesGauge, bytes;
};

QGridLayout* tallyGrid(QWidget* page) {
    auto* grid = new QGridLayout;
    const QStringList heads{QStringLiteral("% of total # files"), QStringLiteral("# Files"),
                            QStringLiteral("% of total size"), QStringLiteral("File Sizes")};
    for (int c = 0; c < heads.size(); ++c) {
        QLabel* h = label(page, QStringLiteral("Heading%1").arg(c + 1), heads[c]);
        h->setAlignment(Qt::AlignCenter);
        grid->addWidget(h, 0, c + 1);
    }
    return grid;
}

TallyRow tallyRow(QWidget* page, QGridLayout* grid, int gridRow, const QString& caption,
                  const RowNames& n, const QColor& countColour, const QColor& bytesColour) {
    TallyRow r;
    r.caption = label(page, QStringLiteral("lblRow") + n.count, caption);
    r.countGauge = gauge(page, n.countGauge, countColour);
    r.count = numberLabel(page, n.count);
    r.bytesGauge = gauge(page, n.bytesGauge, bytesColour);
    r.bytes = numberLabel(page, n.bytes);
    grid->addWidget(r.caption, gridRow, 0);
    grid->addWidget(r.countGauge, gridRow, 1);
    grid->addWidget(r.count, gridRow, 2);
    grid->addWidget(r.bytesGauge, gridRow, 3);
    grid->addWidget(r.bytes, gridRow, 4);
    return r;
}

// Fills rows with their tallies: each bar shows its value as a share of `whole`, by default
// its column's sum; a whole of 0 leaves its bars as they were.
template <size_t N>
void fillRows(std::array<TallyRow, N>& rows, const std::array<Tally, N>& tallies, size_t first,
              std::optional<Tally> whole = std::nullopt) {
    if (!whole) {
        whole = Tally{};
        for (size_t i = first; i < N; ++i) {
            whole->count += tallies[i].count;
            whole->bytes = addSize(whole->bytes, tallies[i].bytes);
        }
    }
    for (size_t i = first; i < N; ++i) {
        rows[i].count->setText(formatThousands(tallies[i].count));
        rows[i].bytes->setText(formatThousands(tallies[i].bytes));
        if (const auto pct = gaugePercent(tallies[i].count, whole->count))
            rows[i].countGauge->setProgress(*pct);
        if (const auto pct = gaugePercent(tallies[i].bytes, whole->bytes))
            rows[i].bytesGauge->setProgress(*pct);
    }
}

const QStringList kAgeCaptions{QStringLiteral("Not recorded"), QStringLiteral("<= 7 days"),
                               QStringLiteral("8 - 30 days"),  QStringLiteral("31 - 60 days"),
                               QStringLiteral("61-120 days"),  QStringLiteral("121-365 days"),
                               QStringLiteral("1 - 2 years"),  QStringLiteral("2 - 3 years"),
                               QStringLiteral("3 - 4 years"),  QStringLiteral("Over 4 years")};
} // namespace

void TfrmStatistics::buildPages() {
    OvcNotebook1->addTab(buildDiskPage(), QStringLiteral("Disk space"));
    OvcNotebook1->addTab(buildDeletedPage(), QStringLiteral("Deleted"));
    OvcNotebook1->addTab(buildTypesPage(), QStringLiteral("Types"));
    OvcNotebook1->addTab(buildSizesPage(), QStringLiteral("Sizes"));
    OvcNotebook1->addTab(buildOverhangPage(), QStringLiteral("Overhang"));
    for (int set = 0; set < 3; ++set)
        OvcNotebook1->addTab(buildAgePage(set),
                             QStringList{QStringLiteral("Accessed"), QStringLiteral("Created"),
                                         QStringLiteral("Modified")}[set]);
    OvcNotebook1->addTab(buildAttributesPage(), QStringLiteral("Attributes"));
}

// ---- "Disk space"

QWidget* TfrmStatistics::buildDiskPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    QLabel* Label24 = label(page, QStringLiteral("Label24"), QStringLiteral("&Drive:"));
    cbDrive = new QComboBox(page);
    cbDrive->setObjectName(QStringLiteral("cbDrive"));
    cbDrive->setToolTip(QStringLiteral("The drive selected for statistics"));
    cbDrive->setAccessibleName(QStringLiteral("Drive"));
    Label24->setBuddy(cbDrive);
    fillDriveList();
    lblDriveName = label(page, QStringLiteral("lblDriveName"));
    lblTotal = numberLabel(page, QStringLiteral("lblTotal"));
    lblFreeC = label(page, QStringLiteral("lblFreeC"));
    lblFree = numberLabel(page, QStringLiteral("lblFree"));
    lblPct = label(page, QStringLiteral("lblPct"));
    Label26 = label(page, QStringLiteral("Label26"));
    lblUsed = numberLabel(page, QStringLiteral("lblUsed"));
    lblPct2 = label(page, QStringLiteral("lblPct2"));
    Gauge1 = gauge(page, QStringLiteral("Gauge1"), Qt::blue);
    Gauge1->setBackColor(Qt::magenta);
    Gauge1->setMinimumHeight(24);

    grid->addWidget(Label24, 0, 0);
    grid->addWidget(cbDrive, 0, 1);
    grid->addWidget(lblDriveName, 1, 0, 1, 3);
    grid->addWidget(label(page, QStringLiteral("lblTotalC"), QStringLiteral("Total Capacity")), 2,
                    0);
    grid->addWidget(lblTotal, 2, 1);
    grid->addWidget(label(page, QStringLiteral("Label25"), QStringLiteral("bytes")), 2, 2);
    grid->addWidget(lblFreeC, 3, 0);
    grid->addWidget(lblFree, 3, 1);
    grid->addWidget(lblPct, 3, 2);
    grid->addWidget(Label26, 4, 0);
    grid->addWidget(lblUsed, 4, 1);
    grid->addWidget(lblPct2, 4, 2);
    grid->addWidget(Gauge1, 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(3, 1);
    connect(cbDrive, &QComboBox::activated, this, &TfrmStatistics::cbDriveClick);
    return page;
}

// The drives mounted now; the chosen one stays chosen while it is mounted, else the drive
// of the home folder is.
void TfrmStatistics::fillDriveList() {
    const QString chosen = cbDrive->currentText();
    const std::vector<Drive> drives = driveList();
    cbDrive->clear();
    int current = std::max(0, currentDriveIndex(drives));
    for (size_t i = 0; i < drives.size(); ++i) {
        cbDrive->addItem(drives[i].root);
        if (drives[i].root == chosen)
            current = int(i);
    }
    cbDrive->setCurrentIndex(current);
}

void TfrmStatistics::cbDriveClick() {
    lblDriveName->setText(QStringLiteral("Disk drive: ") + cbDrive->currentText());
    doDiskSize();
}

void TfrmStatistics::doDiskSize() {
    const QString root = cbDrive->currentText();
    // A drive that cannot be read, or that has been unmounted since the list was built (its
    // folder then belongs to another file system), leaves the page as it was.
    if (root.isEmpty() || !isDriveReadyNow(root))
        return;
    const std::optional<DiskGeometry> g = diskGeometry(root);
    if (!g)
        return;
    const qint64 total = g->totalBytes();
    const qint64 free = g->freeBytes();
    const int pct = gaugePercent(free, total).value_or(0);
    Gauge1->setProgress(100 - pct);
    lblTotal->setText(formatThousands(total));
    lblFree->setText(formatThousands(free));
    lblPct->setText(QStringLiteral("bytes (") + QString::number(pct) + QStringLiteral(" %) "));
    lblFreeC->setText(QStringLiteral("Free Space on Drive ") + root + QStringLiteral(": "));
    Label26->setText(QStringLiteral("Used Space on Drive ") + root + QStringLiteral(": "));
    lblUsed->setText(formatThousands(total - free));
    lblPct2->setText(QStringLiteral("bytes (") + QString::number(100 - pct) +
                     QStringLiteral(" %) "));
    // Little room left shows in red; otherwise the palette's text colour (black on a light
    // window, light on a dark one), like the figures beside it.
    const QString colour = pct <= 5 ? QStringLiteral("color: red") : QString();
    lblFree->setStyleSheet(colour);
    lblPct->setStyleSheet(colour);
}

// ---- "Deleted"

QWidget* TfrmStatistics::buildDeletedPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const auto edit = [page](const QString& name, const QString& accessible) {
        auto* e = new QLineEdit(page);
        e->setObjectName(name);
        e->setReadOnly(true);
        e->setAccessibleName(accessible);
        return e;
    };
    edNdelete = edit(QStringLiteral("edNdelete"), QStringLiteral("Deleted files"));
    edSzDelete = edit(QStringLiteral("edSzDelete"), QStringLiteral("Deleted bytes"));
    edNWaste = edit(QStringLiteral("edNWaste"), QStringLiteral("Recycled files"));
    edSzWaste = edit(QStringLiteral("edSzWaste"), QStringLiteral("Recycled bytes"));
    lblSince1 = label(page, QStringLiteral("lblSince1"));
    Button1 = makePushButton(page, "Button1", QStringLiteral("Reset these numbers"), {}, 140);
    grid->addWidget(
        label(page, QStringLiteral("Label46"), QStringLiteral("Files processed by Zelkova 95")), 0,
        0, 1, 3);
    grid->addWidget(label(page, QStringLiteral("lblFileDel"), QStringLiteral("Deleted files")), 1,
                    0);
    grid->addWidget(edNdelete, 1, 1);
    grid->addWidget(edSzDelete, 1, 2);
    grid->addWidget(label(page, QStringLiteral("lblFileWaste"),
                          QStringLiteral("Files sent to the recycle bin")),
                    2, 0);
    grid->addWidget(edNWaste, 2, 1);
    grid->addWidget(edSzWaste, 2, 2);
    grid->addWidget(lblSince1, 3, 0, 1, 3);
    grid->addWidget(Button1, 4, 0);
    grid->setRowStretch(5, 1);
    connect(Button1, &QPushButton::clicked, this, &TfrmStatistics::Button1Click);
    return page;
}

void TfrmStatistics::showFilesDeleted() {
    const Profile ini(QStringLiteral("zelkova.ini"));
    const QString section = QStringLiteral("Zelkova");
    const auto read = [&](const char* key) {
        return ini.readInteger(section, QLatin1String(key), -1);
    };
    const qint64 date = read("DelDate");
    const QDate day = date < 0 ? QDate() : fromDayNumber(date);
    lblSince1->setText(day.isValid() ? QStringLiteral("Since ") + shortDateText(day) : QString());
    // A missing, negative or unreadable figure reads "n/a".
    const auto show = [&](const char* countKey, const char* bytesKey, QLineEdit* files,
                          QLineEdit* bytes) {
        const qint64 n = read(countKey);
        const qint64 size = read(bytesKey);
        files->setText(n > 0 ? formatThousands(n) + QStringLiteral(" files")
                             : QStringLiteral("n/a"));
        bytes->setText(n > 0 && size >= 0 ? formatThousands(size) + QStringLiteral(" bytes")
                                          : QStringLiteral("n/a"));
    };
    show("Ndelete", "SizeDelete", edNdelete, edSzDelete);
    show("NWaste", "SizeWaste", edNWaste, edSzWaste);
}

void TfrmStatistics::Button1Click() {
    if (ui().askYesNo(QStringLiteral("Reset cumulative totals?")) != Answer::Yes)
        return;
    resetDeletionTotals();
    lblSince1->clear();
    for (QLineEdit* e : {edNdelete, edSzDelete, edNWaste, edSzWaste})
        e->setText(QStringLiteral("n/a"));
}

// ---- "Types"

QWidget* TfrmStatistics::buildTypesPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QLabel* Label22 = label(page, QStringLiteral("Label22"),
                            QStringLiteral("Files are grouped by file extension (three letters "
                                           "after the '.' in the file name).  This is a listing "
                                           "of all files with common file extensions."));
    Label22->setWordWrap(true);
    layout->addWidget(Label22);
    gridTypes = new StringGrid(page);
    gridTypes->setObjectName(QStringLiteral("gridTypes"));
    gridTypes->viewport()->installEventFilter(this); // the columns follow its width
    gridTypes->setAccessibleName(QStringLiteral("File types"));
    gridTypes->setColCount(6);
    const QStringList header{QStringLiteral("Extension"), QStringLiteral("Type"),
                             QStringLiteral("# Files"),   QStringLiteral("Top Ten #"),
                             QStringLiteral("Size"),      QStringLiteral("Top Ten Size")};
    for (int c = 0; c < 6; ++c) {
        gridTypes->setCell(c, 0, header[c]);
        gridTypes->setRightAligned(c, c >= 2);
    }
    fitTypeColumns();
    gridTypes->setTextInset(3);
    gridTypes->setRowSource([this](quint32 entry, int col) { return typeCell(entry, col); });
    layout->addWidget(gridTypes, 1);
    btSort =
        makePushButton(page, "btSort", QStringLiteral("&Sort"), QStringLiteral("Sort columns "));
    layout->addWidget(btSort, 0, Qt::AlignLeft);

    ResultMenuBuilder b(this);
    PopupMenu1 = b.menu();
    std::vector<SortChoice> choices = b.sortItems({
        {"SortbyExtension1", QStringLiteral("Sort by &Extension"), 0, SortKind::Text, false},
        {"SortbyType1", QStringLiteral("Sort by &Type"), 1, SortKind::Text, false},
        {"SortbyNumber1", QStringLiteral("Sort by &Number of files"), 2, SortKind::Number, true},
        {"SortbySize1", QStringLiteral("Sort by &Size"), 4, SortKind::Number, true},
    });
    SortbyExtension1 = choices[0].action;
    SortbyType1 = choices[1].action;
    SortbyNumber1 = choices[2].action;
    SortbySize1 = choices[3].action;
    // The tallies themselves, never their texts: sums of any width and any group separator
    // keep their order.
    const auto entry = [this](int row) { return tallies_.types()[gridTypes->rowKey(row)]; };
    choices[2].key = [entry](int row) { return double(entry(row).tally.count); };
    choices[3].key = [entry](int row) { return double(entry(row).tally.bytes); };
    sortMenu_ = std::make_unique<GridSortMenu>(*gridTypes, std::move(choices));
    gridTypes->setPopupMenu(PopupMenu1);
    for (QAction* a : {SortbyExtension1, SortbyType1, SortbyNumber1, SortbySize1})
        connect(a, &QAction::triggered, this, [this, a] { SortbyExtensionClick(a); });
    connect(btSort, &QPushButton::clicked, this, &TfrmStatistics::btSortClick);
    return page;
}

QString TfrmStatistics::typeCell(quint32 i, int col) const {
    if (i >= tallies_.types().size())
        return QString();
    const StatTallies::TypeEntry& e = tallies_.types()[i];
    const auto rank = [](int r) { return r > 0 ? QString::number(r) : QString(); };
    switch (col) {
    case 0:
        return e.extension;
    case 1:
        return typeNames_[i];
    case 2:
        return formatThousands(e.tally.count);
    case 3:
        return rank(countRanks_[i]);
    case 4:
        return formatThousands(e.tally.bytes);
    case 5:
        return rank(sizeRanks_[i]);
    default:
        return QString();
    }
}

// The described widths, scaled to the font and widened to the heading and the widest figure.
void TfrmStatistics::fitTypeColumns() {
    static const int described[] = {80, 216, 54, 68, 76, 80};
    qint64 mostFiles = 0, mostBytes = 0;
    for (const auto& e : tallies_.types()) {
        mostFiles = std::max(mostFiles, e.tally.count);
        mostBytes = std::max(mostBytes, e.tally.bytes);
    }
    const QString widest[] = {QString(),
                              QString(),
                              formatThousands(mostFiles),
                              QStringLiteral("10"),
                              formatThousands(mostBytes),
                              QStringLiteral("10")};
    const QFontMetrics fm = gridTypes->fontMetrics();
    int widths[6];
    int used = 0;
    for (int c = 0; c < 6; ++c) {
        widths[c] = columnWidth(described[c], fm, {gridTypes->cell(c, 0), widest[c]},
                                gridTypes->textInset());
        used += widths[c];
    }
    // The type names give up width, down to half their described width, before the figures
    // on the right are pushed out of sight.
    const int room = gridTypes->viewport()->width();
    if (room > 0 && used > room)
        widths[1] = std::max(columnWidth(described[1] / 2, fm), widths[1] - (used - room));
    for (int c = 0; c < 6; ++c)
        gridTypes->setColWidth(c, widths[c]);
}

void TfrmStatistics::doFileTypes() {
    const std::vector<StatTallies::TypeEntry>& types = tallies_.types();
    std::vector<qint64> counts, bytes;
    typeNames_.clear();
    for (const auto& e : types) {
        counts.push_back(e.tally.count);
        bytes.push_back(e.tally.bytes);
        typeNames_.push_back(extensionToType(e.extension));
    }
    countRanks_ = topTenRanks(counts);
    sizeRanks_ = topTenRanks(bytes);
    gridTypes->clearCells();
    gridTypes->setRowCount(1);
    std::vector<quint32> keys(types.size());
    std::iota(keys.begin(), keys.end(), 0u);
    gridTypes->setKeyedRows(1, keys);
    gridTypes->setRowCount(int(types.size()) + 1);
    fitTypeColumns();
}

void TfrmStatistics::SortbyExtensionClick(QAction* item) {
    if (gridTypes->rowCount() < 3)
        return; // one type or none: nothing to order
    sortMenu_->sortBy(item);
}

void TfrmStatistics::btSortClick() {
    PopupMenu1->popup(btSort->mapToGlobal(QPoint(0, -70)));
}

// ---- "Sizes"

QWidget* TfrmStatistics::buildSizesPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGridLayout* grid = tallyGrid(page);
    const QStringList captions{
        QStringLiteral("0 - 16 K"),   QStringLiteral("16K - 32K"),  QStringLiteral("32K - 128K"),
        QStringLiteral("128K - 1Mb"), QStringLiteral("1Mb - 2Mb"),  QStringLiteral("2Mb - 4Mb"),
        QStringLiteral("4Mb - 8Mb"),  QStringLiteral("8Mb - 16Mb"), QStringLiteral("Over 16Mb")};
    for (int n = 1; n <= 9; ++n) {
        const QString k = QString::number(n);
        sizeRows[size_t(n)] = tallyRow(page, grid, n, captions[n - 1],
                                       {QStringLiteral("gaFsN") + k, QStringLiteral("lblSizeN") + k,
                                        QStringLiteral("gaFsS") + k, QStringLiteral("lblSize") + k},
                                       kNavy, kTeal);
    }
    layout->addLayout(grid);
    lblCluster = label(page, QStringLiteral("lblCluster"));
    lblCluster->setWordWrap(true);
    layout->addWidget(lblCluster);
    layout->addStretch();
    return page;
}

void TfrmStatistics::doFileSizes() {
    fillRows(sizeRows, tallies_.sizes, 1);
}

// ---- "Overhang"

QWidget* TfrmStatistics::buildOverhangPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(label(page, QStringLiteral("Label80"), QStringLiteral("Cluster overhang")));
    auto* grid = overhangGrid_ = new QGridLayout;
    const QStringList heads{QStringLiteral("Partion size"), QStringLiteral("Cluster size"),
                            QStringLiteral("Percent wasted"), QStringLiteral("Wasted space")};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(label(page, QStringLiteral("Heading%1").arg(c + 1), heads[c]), 0, c + 1);
    const QStringList partitions{QStringLiteral("255 Mb "), QStringLiteral("256 Mb - 511 Mb"),
                                 QStringLiteral("512 Mb - 1023 Mb"),
                                 QStringLiteral("1 Gig - 2047 Mb"),
                                 QStringLiteral("2 Gig - 4095 Mb")};
    imArrow = label(page, QStringLiteral("imArrow"), QStringLiteral("\u27a4"));
    imArrow->setAccessibleName(QStringLiteral("Your cluster size"));
    imArrow->hide();
    for (int n = 1; n <= 5; ++n) {
        const QString k = QString::number(n);
        grid->addWidget(label(page, QStringLiteral("lblPart") + k, partitions[n - 1]), n, 1);
        overhangRowCaption[size_t(n)] = label(
            page, QStringLiteral("lblClus") + k,
            QString::number(StatTallies::kClusterSizes[size_t(n - 1)] / 1024) + QLatin1Char('K'));
        grid->addWidget(overhangRowCaption[size_t(n)], n, 2);
        gaOver[size_t(n)] = gauge(page, QStringLiteral("gaOver") + k, kNavy);
        grid->addWidget(gaOver[size_t(n)], n, 3);
        lblOver[size_t(n)] = numberLabel(page, QStringLiteral("lblOver") + k);
        grid->addWidget(lblOver[size_t(n)], n, 4);
    }
    grid->setColumnMinimumWidth(0, 20);
    layout->addLayout(grid);

    pnlOverhang = new QWidget(page);
    pnlOverhang->setObjectName(QStringLiteral("pnlOverhang"));
    auto* panel = new QGridLayout(pnlOverhang);
    lblNumFiles = label(pnlOverhang, QStringLiteral("lblNumFiles"));
    lblSize = label(pnlOverhang, QStringLiteral("lblSize"));
    lblLbl = label(pnlOverhang, QStringLiteral("lblLbl"));
    panel->addWidget(lblNumFiles, 0, 0, 1, 2);
    panel->addWidget(
        label(pnlOverhang, QStringLiteral("Label90"), QStringLiteral("Total file sizes:")), 1, 0);
    panel->addWidget(lblSize, 1, 1);
    panel->addWidget(lblLbl, 2, 0, 1, 2);
    pnlOverhang->hide();
    layout->addWidget(pnlOverhang);

    Memo1 = new QPlainTextEdit(page);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameStyle(QFrame::NoFrame);
    // The lines were broken for a memo of one fixed width: one that ends in a blank runs on into
    // the next, so the memo wraps them as one paragraph at its own width.
    const QStringList lines{
        QStringLiteral("This page is an illustration of the amount of disk space wasted due to "
                       "'cluster overhang.'  This is the smallest amount of space a "),
        QStringLiteral("file will actually use.   The arrow points to your actual cluster size, "
                       "the other numbers are hypothetical."),
        QString(),
        QStringLiteral("Due to the design of both Windows 95 and DOS the hard disk is divided "
                       "into clusters.  Files are stored in clusters. A file of one "),
        QStringLiteral("byte will take an entire cluster and a file that's one byte larger than "
                       "a cluster will take two clusters.  The larger the partition, the "),
        QStringLiteral("more overhang or waste is involved."),
        QString(),
        QStringLiteral("Solutions are to either repartition your hard disk or use disk "
                       "compression.")};
    QString text;
    for (const QString& line : lines)
        text += line.endsWith(u' ') ? line : line + u'\n';
    text.chop(1);
    Memo1->setPlainText(text);
    layout->addWidget(Memo1, 1);
    return page;
}

// The row of the drive's own cluster size; 0 when it is none of the five.
static int clusterRow(qint64 clusterSize) {
    for (size_t i = 0; i < StatTallies::kClusterSizes.size(); ++i)
        if (StatTallies::kClusterSizes[i] == clusterSize)
            return int(i) + 1;
    return 0;
}

void TfrmStatistics::drawClusterArrow() {
    const int row = clusterRow(clusterSize_);
    imArrow->setVisible(row > 0);
    if (row > 0) {
        overhangGrid_->addWidget(imArrow, row, 0); // beside the row's cluster size
    }
}

void TfrmStatistics::doOverHang() {
    qint64 total = 0;
    for (int n = 1; n <= 9; ++n) {
        sizeRows[size_t(n)].bytes->setText(formatThousands(tallies_.sizes[size_t(n)].bytes));
        total = addSize(total, tallies_.sizes[size_t(n)].bytes);
    }
    for (int n = 1; n <= 5; ++n)
        lblOver[size_t(n)]->setText(formatThousands(tallies_.overhang[size_t(n - 1)]));
    drawClusterArrow();
    pnlOverhang->show();
    lblSize->setText(formatThousands(total / 1048576) + QStringLiteral(" Mb"));
    lblNumFiles->setText(QStringLiteral("Number of files scanned: ") +
                         formatThousands(tallies_.filesProcessed));
    if (const int row = clusterRow(clusterSize_))
        lblLbl->setText(
            QStringLiteral("Actual space used  ") +
            formatThousands(addSize(total, tallies_.overhang[size_t(row - 1)]) / 1048576) +
            QStringLiteral(" Mb"));
    for (int n = 1; n <= 5; ++n) {
        const qint64 waste = tallies_.overhang[size_t(n - 1)];
        if (const auto pct = gaugePercent(waste, addSize(waste, total)))
            gaOver[size_t(n)]->setProgress(*pct);
    }
}

// ---- "Accessed", "Created", "Modified"

QWidget* TfrmStatistics::buildAgePage(int set) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGridLayout* grid = tallyGrid(page);
    struct Names {
        const char *countGauge, *count, *bytesGauge, *bytes;
    };
    const Names names[3] = {{"gaFaN", "lblAgeN", "gaFaS", "lblAgeS"},
                            {"gaFcN", "lblCr", "gaFcS", "lblCrS"},
                            {"gaFwN", "lblWr", "gaFwS", "lblFw"}};
    const Names& n = names[set];
    for (int row = 0; row <= 9; ++row) {
        const QString k = QString::number(row);
        ageRows[size_t(set)][size_t(row)] =
            tallyRow(page, grid, row + 1, kAgeCaptions[row],
                     {QLatin1String(n.countGauge) + k, QLatin1String(n.count) + k,
                      QLatin1String(n.bytesGauge) + k, QLatin1String(n.bytes) + k},
                     kPurple, kNavy);
    }
    layout->addLayout(grid);
    QStringList notes;
    if (set == StatTallies::Accessed)
        notes = {QStringLiteral("Note: prior versions of Windows and DOS did not store the file "
                                "access date."),
                 QStringLiteral("Files never recorded as being accessed are probably old files "
                                "that were converted to Windows 95.")};
    else if (set == StatTallies::Created)
        notes = {QStringLiteral("Note: prior versions of Windows and DOS did not store the file "
                                "creation date independent of the last file modification or "
                                "file write date."),
                 QStringLiteral("Files never recorded as being created are probably old files "
                                "that were converted to Windows 95.")};
    else
        notes = {QStringLiteral("Note: prior versions of Windows and DOS treated the file "
                                "creation date synonomously  with the last file modification "
                                "date.  Therefore all files have a file modification date.")};
    for (int i = 0; i < notes.size(); ++i) {
        QLabel* l = label(page, QStringLiteral("lblNote%1").arg(i + 1), notes[i]);
        l->setWordWrap(true);
        layout->addWidget(l);
    }
    layout->addStretch();
    return page;
}

void TfrmStatistics::doFileAges() {
    for (size_t set = 0; set < 3; ++set)
        fillRows(ageRows[set], tallies_.ages[set], 0);
}

// ---- "Attributes"

QWidget* TfrmStatistics::buildAttributesPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGridLayout* grid = tallyGrid(page);
    const QStringList captions{QStringLiteral("Hidden"), QStringLiteral("Read-only"),
                               QStringLiteral("System"), QStringLiteral("Archive")};
    const QStringList keys{QStringLiteral("Hidden"), QStringLiteral("ReadOnly"),
                           QStringLiteral("System"), QStringLiteral("Archive")};
    for (int i = 0; i < 4; ++i)
        attrRows[size_t(i)] =
            tallyRow(page, grid, i + 1, captions[i],
                     {QStringLiteral("gaN") + keys[i], QStringLiteral("lblN") + keys[i],
                      QStringLiteral("gaSz") + keys[i], QStringLiteral("lblSz") + keys[i]},
                     kNavy, kTeal);
    layout->addLayout(grid);
    layout->addStretch();
    return page;
}

void TfrmStatistics::doFileAttrs() {
    const StatTallies& t = tallies_;
    // A file counts under every attribute it carries, so the rows overlap: their bars are
    // shares of all the files and bytes processed, not of the rows' sum.
    fillRows(attrRows, std::array<Tally, 4>{t.hidden, t.readOnly, t.system, t.archive}, 0,
             Tally{t.filesProcessed, t.totalBytes});
}
