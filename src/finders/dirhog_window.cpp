#include "finders/dirhog_window.h"

#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/ui.h"
#include "delete/del_directory.h"
#include "finders/dirmap_window.h"
#include "finders/folder_map_view.h"
#include "platform/date_text.h"
#include "platform/drives.h"
#include "widgets/column_width.h"
#include "widgets/result_menu.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <numeric>
#include <tuple>
#include <utility>

namespace {
FinderLook dirHogLook() {
    FinderLook look;
    look.objectName = "frmDirHog";
    look.size = QSize(638, 414);
    look.panelHeight = 169;
    look.buttonTop = 136;
    look.drivesRight = 10;
    look.statusName = "pnlScan";
    look.gridName = QStringLiteral("Folder hogs");
    look.marks = false;
    look.deleteCaption = QStringLiteral("&Delete");
    look.deleteHint = QStringLiteral("Delete the folder");
    look.printHint = QStringLiteral("Print list of directories");
    look.clipHint = QStringLiteral("Copy list of directories to clipboard");
    look.browseHint = QStringLiteral("Browse the files and folder");
    look.placeSection = QStringLiteral("frmDirHog");
    look.placeIdentifier = QStringLiteral("frmDirHog");
    return look;
}
} // namespace

TfrmDirHog::TfrmDirHog(QWidget* owner) : FinderWindow(owner, dirHogLook()) {
    setWindowTitle(QStringLiteral("Folder Hogs"));
    btTop = makeRowButton("btTop", QStringLiteral("&Main folders"),
                          QStringLiteral("Only topmost folders. Does not display sub-folders."));
    btAll = makeRowButton("btAll", QStringLiteral("&All Folders"),
                          QStringLiteral("ALL folders including sub-folders are displayed"));
    buildLabels();
    setStartButtons({btTop, btAll});
    buildDriveLabel(); // beside the drive panel
    pnlScan = statusLine();

    grid->setRowSource([this](quint32 rec, int col) { return cellText(rec, col); });
    grid->setColCount(6);
    for (int c = 0; c <= 3; ++c)
        grid->setRightAligned(c, true);
    buildMenu();
    grid->setPopupMenu(PopupMenu1);

    makeSession({btTop, btAll, btClose, pnlDrives});
    // Each drive's size is taken before it is walked, for the shares of its folders.
    session().setDriveWalk([this](const QString& root) {
        const std::optional<DiskGeometry> g = diskGeometry(root);
        records_.setDriveBytes(g ? g->totalBytes() : -1);
        return engine_.walk(root);
    });
    records_.onRefused = [this] { session().stopAtLimit(); };
    engine_.setSink(&records_);
    engine_.setFileMask(kAnyFileMask); // hidden, system and read-only files count too

    connect(btTop, &QPushButton::clicked, this, &TfrmDirHog::btTopClick);
    connect(btAll, &QPushButton::clicked, this, &TfrmDirHog::btAllClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmDirHog::btBrowseClick);
    connect(Map1, &QAction::triggered, this, &TfrmDirHog::Map1Click);
    Map1->setEnabled(false);
    connect(grid, &StringGrid::cellDoubleClicked, this, &TfrmDirHog::btDeleteClick);
    connect(pnlDrives, &TDrivePanel::boxClicked, this, &TfrmDirHog::cb1Click);
}

void TfrmDirHog::buildLabels() {
    // Each caption with its explanation beside it; the explanations wrap short of the drive
    // label, whatever the window's width.
    auto* labels = new QGridLayout;
    labels->setContentsMargins(8, 12, 8, 0);
    labels->setHorizontalSpacing(2);
    labels->setVerticalSpacing(8);
    const auto add = [&](int row, const char* name, const QString& caption,
                         const char* explanationName, const QString& explanation) {
        QLabel* l = panelLabel(Panel1, name, caption, 40);
        fixAtLeast(l, 40, 18);
        auto* text = new QLabel(explanation, Panel1);
        text->setObjectName(QLatin1String(explanationName));
        text->setWordWrap(true);
        // Two lines tall, whatever the width: the row below never moves.
        text->setMinimumWidth(120);
        text->setFixedHeight(std::max(36, 2 * text->fontMetrics().lineSpacing() + 2));
        text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        labels->addWidget(l, row, 0, Qt::AlignTop);
        labels->addWidget(text, row, 1);
        return std::pair{l, text};
    };
    std::tie(Label1, Label2) = add(0, "Label1", QStringLiteral("Main -"), "Label2",
                                   QStringLiteral("only main folders are displayed (those "
                                                  "folders directly under the main folder)"));
    std::tie(Label3, Label5) = add(1, "Label3", QStringLiteral("All -"), "Label5",
                                   QStringLiteral("all folders including sub-folders are "
                                                  "individually displayed"));
    filterArea()->addLayout(labels);
}

void TfrmDirHog::buildDriveLabel() {
    // "Drives:" keeps 10 pixels left of the drive panel, 2 pixels below its top.
    Label4 = new QLabel(QStringLiteral("D&rives:"), Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setContentsMargins(0, 2, 0, 0);
    const QFontMetrics metrics = Label4->fontMetrics();
    Label4->setFixedSize(std::max(50, metrics.horizontalAdvance(QStringLiteral("Drives:"))),
                         std::max(20, metrics.height() + 2));
    Label4->setBuddy(pnlDrives);
    driveRow()->insertWidget(0, Label4, 0, Qt::AlignTop);
}

void TfrmDirHog::buildMenu() {
    ResultMenuBuilder b(this);
    PopupMenu1 = b.menu();
    std::vector<SortChoice> choices = b.sortItems({
        {"SortbySize1", QStringLiteral("Sort by &Size"), 0, SortKind::Number, true},
        {"SortbyFiles1", QStringLiteral("Sort by # &Files"), 2, SortKind::Number, true},
        {"SortbySubfolders1", QStringLiteral("Sort by # Sub-f&olders"), 3, SortKind::Number, true},
        {"SortbyAccessDate1", QStringLiteral("Sort by &Access Date"), 4, SortKind::Date, true},
        {"SortbyName1", QStringLiteral("Sort by &Name"), 5, SortKind::Text, false},
    });
    SortbySize1 = choices[0].action;
    SortbyFiles1 = choices[1].action;
    SortbySubfolders1 = choices[2].action;
    SortbyAccessDate1 = choices[3].action;
    SortbyName1 = choices[4].action;
    // The numbers held in the records, never the cell texts: totals of 10,000,000 K and more
    // keep their order.
    choices[0].key = [this](int row) { return double(records_.bytes(grid->rowKey(row))); };
    choices[1].key = [this](int row) { return double(records_.files(grid->rowKey(row))); };
    choices[2].key = [this](int row) { return double(records_.subfolders(grid->rowKey(row))); };
    choices[3].key = [this](int row) { return records_.latestAccessKey(grid->rowKey(row)); };
    choices[4].key = [this](int row) { return double(nameRank_[grid->rowKey(row)]); };
    for (const SortChoice& c : choices) {
        QAction* a = c.action;
        connect(a, &QAction::triggered, this, [this, a] { SortbySize1Click(a); });
    }
    useSortChoices(std::move(choices));
    b.separator("N1");
    useResizer(b.resizeItems(*Panel1));
    PopupMenu1->addSeparator();
    Map1 = PopupMenu1->addAction(QStringLiteral("&Map"));
    Map1->setObjectName(QStringLiteral("Map1"));
    Map1->setToolTip(QStringLiteral("Show the folders as a map"));
    // Reachable without the menu too.
    Map1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    Map1->setShortcutContext(Qt::WindowShortcut);
    addAction(Map1);
}

QString TfrmDirHog::cellText(quint32 rec, int col) const {
    if (col == 0)
        return folderRowSizeCell(states_[rec], records_.field(rec, 0));
    return records_.field(rec, col);
}

// ---- showing, layout

void TfrmDirHog::FormShow() {
    Map1->setEnabled(false);
    ClearGrid();
    lb.clear();
    cb1Click();
    btTop->setFocus();
}

void TfrmDirHog::FormResize() {
    // The described widths scaled to the grid's font; the figures and the date are never cut,
    // and the folder's path takes the rest.
    const QStringList sizes{folderSizeText(qint64(99999999) * 1024),
                            QStringLiteral("PARTLY RECYCLED")};
    using K = ColumnKind;
    layoutResultColumns(*grid,
                        {{K::Figure, 61, sizes},
                         {K::Figure, 40, {QStringLiteral("100.00")}},
                         {K::Figure, 40},
                         {K::Figure, 70},
                         {K::Fixed, 90, sampleDateTexts()},
                         {K::Path, 300}},
                        width());
}

// ---- the grid

TfrmDirHog::~TfrmDirHog() {
    session().halt(); // the walk fills records_, which go before the shell
    delete map_;      // it draws records_ too
}

void TfrmDirHog::ClearGrid() {
    clearGrid({"Size", "% Used", "# Files", "# Sub-folders", "Latest File Access", "Name"});
    nameRank_.clear();
}

// ---- scanning

void TfrmDirHog::btTopClick() {
    ClearGrid();
    scan(FolderRecords::Mode::MainFolders);
}

void TfrmDirHog::btAllClick() {
    ClearGrid();
    scan(FolderRecords::Mode::AllFolders);
}

void TfrmDirHog::scan(FolderRecords::Mode mode) {
    // The grid's rows name records of the store about to be emptied.
    if (rowCounter > 0)
        ClearGrid();
    lb.clear();
    incomplete = false;
    Map1->setEnabled(false);
    if (map_)
        map_->clearMap(); // the walk refills the records it draws
    records_.clear(mode);
    states_.clear();
    session().start(
        [this] {
            // Collect, then sort once: largest first.
            records_.compact();
            lb = records_.largestFirst();
            states_.assign(records_.count(), FolderRowState::Listed);
        },
        [this](ScanSession::End) {
            grid->setKeyedRows(1, lb);
            rowCounter = int(lb.size());
            grid->setRowCount(std::max(2, rowCounter + 1));
            incomplete = session().stopped() && !records_.refused();
            showResults(rowCounter, QStringLiteral("Folders : ") + QString::number(rowCounter));
            Map1->setEnabled(rowCounter > 0);
            if (map_ && rowCounter > 0)
                map_->mapRecords();
        });
}

void TfrmDirHog::cb1Click() {
    btTop->setEnabled(pnlDrives->anyTicked());
    btAll->setEnabled(btTop->isEnabled());
}

// ---- result list operations

void TfrmDirHog::SortbySize1Click(QAction* item) {
    if (grid->rowCount() < 2 || rowCounter < 1)
        return;
    BusyCursor busy;
    if (item == SortbyName1 && nameRank_.empty()) {
        // Names without regard to case; the exact text breaks ties so "Photos" and "photos"
        // keep one order.
        std::vector<quint32> byName(records_.count());
        std::iota(byName.begin(), byName.end(), 0u);
        std::vector<QString> paths(records_.count());
        for (quint32 i = 0; i < records_.count(); ++i)
            paths[i] = records_.path(i);
        std::sort(byName.begin(), byName.end(), [&](quint32 a, quint32 b) {
            const int c = paths[a].compare(paths[b], Qt::CaseInsensitive);
            return c != 0 ? c < 0 : paths[a] < paths[b];
        });
        nameRank_.assign(records_.count(), 0);
        for (quint32 i = 0; i < byName.size(); ++i)
            nameRank_[byName[i]] = i;
    }
    sortMenu().sortBy(item);
}

void TfrmDirHog::btPrintClick() {
    printGridWithDialog(
        *grid, QStringLiteral("Folder hogs on drive(s) ") + pnlDrives->tickedCaptions(), this);
}

QStringList TfrmDirHog::lbLines() const {
    QStringList lines;
    lines.reserve(qsizetype(lb.size()) + 1);
    // A list cut short says so before its first line.
    if (incomplete)
        lines << ScanSession::kAbortText;
    for (quint32 rec : lb)
        lines << records_.line(rec);
    return lines;
}

void TfrmDirHog::btClipClick() {
    copyLinesToClipboard(lbLines());
}

void TfrmDirHog::btBrowseClick() {
    const qint64 rec = selectedRecord();
    if (rec < 0 || !fileOpeners().browse)
        return;
    fileOpeners().browse(this, records_.path(quint32(rec)), QString(), QStringLiteral("*.*"));
}

void TfrmDirHog::Map1Click() {
    if (scanning() || rowCounter < 1)
        return;
    if (!map_) {
        map_ = new TfrmDirMap(this);
        map_->mapRecords();
    }
    map_->show();
    map_->raise();
    map_->activateWindow();
}

bool TfrmDirHog::selectRecord(quint32 rec) {
    for (int row = 1; row <= rowCounter; ++row) {
        if (grid->isKeyedRow(row) && grid->rowKey(row) == rec) {
            grid->setCurrentRow(row);
            return true;
        }
    }
    return false;
}

void TfrmDirHog::btDeleteClick() {
    // The folder-tree deletion walks on this thread and asks its questions there; it never
    // starts while this window's walk still fills the records it would act on.
    const qint64 rec = scanning() ? -1 : selectedRecord();
    if (rec < 0)
        return;
    const quint32 r = quint32(rec);
    if (!folderRowDeletable(states_[r])) {
        errorBox(QStringLiteral("Folder already deleted/recycled"));
        return;
    }
    const QString path = records_.path(r); // exact, as on disk
    const QString refusal = folderDeleteRefusal(path);
    if (!refusal.isEmpty()) {
        errorBox(refusal);
        return;
    }
    const std::optional<bool> choice = askDeleteDirectory(this, path);
    if (!choice)
        return;
    const bool recycle = *choice;
    const FolderRowDeletion d = deleteListedFolder(path, recycle);
    states_[r] = d.state;
    grid->viewport()->update();
    if (map_)
        map_->Map1->refresh(); // the folder's tile shows what its row reads
    const QString report = folderDeletionReport(d, recycle);
    if (!report.isEmpty())
        infoBox(report);
    if (!d.totalsError.isEmpty())
        errorBox(d.totalsError);
}
