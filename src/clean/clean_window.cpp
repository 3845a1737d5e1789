#include "clean/clean_window.h"

#include "clean/temp_files_window.h"
#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/screen_centre.h"
#include "common/ui.h"
#include "common/win_place.h"
#include "controls/pick_list.h"
#include "platform/date_text.h"
#include "widgets/column_width.h"
#include "widgets/push_button.h"
#include "widgets/result_menu.h"
#include "widgets/string_grid.h"
#include "widgets/tool_frame.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <numeric>

namespace {
constexpr int kPanelHeight = 184;
constexpr int kPanelWidth = 632;
constexpr int kButtonTop = 152;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 28;
} // namespace

TfrmClean::TfrmClean(QWidget* owner) : QDialog(owner, kToolWindowFlags) {
    setObjectName(QStringLiteral("frmClean"));
    setWindowTitle(QStringLiteral("Find and delete temporary files"));
    resize(636, 440);
    const ToolFrame frame = buildToolFrame(*this, kPanelHeight);
    QVBoxLayout* layout = frame.layout;
    Panel1 = frame.Panel1;

    Label2 = new QLabel(QStringLiteral("Temporary file types to search and clean."), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 4, 300, 18);
    PickList1 = new TPickList(Panel1);
    PickList1->setObjectName(QStringLiteral("PickList1"));
    PickList1->setToolTip(QStringLiteral("File extensions/types of temporary files"));
    PickList1->setAccessibleName(QStringLiteral("Temporary file types to search and clean"));
    PickList1->setMultiSelect(true);
    PickList1->Sorted = true;
    PickList1->setTabStops(QStringLiteral("16"));
    PickList1->setGeometry(8, 22, 300, 98);
    Label2->setBuddy(PickList1);
    btEdit = makePushButton(Panel1, "btEdit", QStringLiteral("Add/Delete"),
                            QStringLiteral("Add, delete temporary file extensions"), kButtonWidth,
                            kButtonHeight);
    btEdit->move(314, 22);
    Label1 = new QLabel(QStringLiteral("Hint: Use the Shift and Ctrl keys with the mouse click to "
                                       "select multiple file extensions."),
                        Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setGeometry(8, 120, 400, 30);

    pnlDrives = new TDrivePanel(Panel1);
    pnlDrives->move(kPanelWidth - pnlDrives->width() - 8, 8);

    btScan = makePushButton(Panel1, "btScan", QStringLiteral("&Scan"), QString(), kButtonWidth,
                            kButtonHeight);
    btScan->setDefault(true);
    btClose = makePushButton(Panel1, "btClose", QStringLiteral("Close"),
                             QStringLiteral("Close window"), kButtonWidth, kButtonHeight);
    btAbort = makePushButton(Panel1, "btAbort", QStringLiteral("&Abort"),
                             QStringLiteral("Abort scan"), kButtonWidth, kButtonHeight);
    btMark = makePushButton(Panel1, "btMark", QStringLiteral("&Mark"),
                            QStringLiteral("Mark file for deletion (double click on grid also "
                                           "works)"),
                            kButtonWidth, kButtonHeight);
    btDelete = makePushButton(Panel1, "btDelete", QStringLiteral("Delete"),
                              QStringLiteral("Delete marked files"), kButtonWidth, kButtonHeight);
    btPrint = makePushButton(Panel1, "btPrint", QStringLiteral("&Print"),
                             QStringLiteral("Print list of files"), kButtonWidth, kButtonHeight);
    btClip = makePushButton(Panel1, "btClip", QStringLiteral("C&lipboard"),
                            QStringLiteral("Copy list of files to clipboard"), kButtonWidth,
                            kButtonHeight);
    btBrowse =
        makePushButton(Panel1, "btBrowse", QStringLiteral("&Browse"),
                       QStringLiteral("Browse this file and folder"), kButtonWidth, kButtonHeight);
    btDelete->setEnabled(false);

    grid = new StringGrid(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setToolTip(QStringLiteral("Double click to mark for deletion"));
    grid->setAccessibleName(QStringLiteral("Temporary files"));
    layout->addWidget(grid, 1);
    pnlSel = makeStatusLine(this, &pnlBase);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlSel->setObjectName(QStringLiteral("pnlSel"));
    layout->addWidget(pnlBase);

    grid->setRowSource([this](quint32 key, int col) { return records_.field(key, col); });
    grid->setRightAligned(0, true);
    marks_ = new ResultList(*grid, this);
    marks_->setNameColumn(4);
    marks_->setPathOfRow([this](int row) {
        // The record's exact path: the search-path marker is only ever shown, and a name may
        // hold the marker's characters itself.
        return grid->isKeyedRow(row) ? records_.path(grid->rowKey(row)) : QString();
    });
    marks_->setRowLimit([this] { return rowCounter; });
    marks_->setStatusSink([this](const QString& s) { pnlSel->setText(s); });
    marks_->setDeleteButton(btDelete);

    rows_ = std::make_unique<RowActions>(*this, *marks_);
    buildMenu();

    ScanSession::Parts parts;
    parts.window = this;
    parts.drives = pnlDrives;
    parts.abortButton = btAbort;
    parts.status = pnlSel;
    parts.busyArea = grid->viewport();
    // The extensions in force are those selected when Scan was pressed; neither the list nor
    // its editor can change them under a running walk.
    parts.lockWhileScanning = {btScan, btClose, pnlDrives, PickList1, btEdit};
    parts.hideWhenScanning = {btMark, btDelete, btPrint, btClip, btBrowse};
    session_ = new ScanSession(engine_, parts, this);
    records_.accept = nullptr; // the name filter of the walk is the only test
    records_.onRefused = [this] { session_->stopAtLimit(); };
    engine_.setSink(&records_);
    engine_.setNameFilter(
        [this](const char* name, int length) { return matcher_.matches(name, length); });

    connect(btScan, &QPushButton::clicked, this, &TfrmClean::btScanClick);
    connect(btEdit, &QPushButton::clicked, this, &TfrmClean::btEditClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btMark, &QPushButton::clicked, marks_, &ResultList::DeleteAllFiles);
    connect(btDelete, &QPushButton::clicked, this, &TfrmClean::btDeleteClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmClean::btPrintClick);
    connect(btClip, &QPushButton::clicked, this, &TfrmClean::btClipClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmClean::BrowseDirectory1Click);
    connect(grid, &StringGrid::cellDoubleClicked, marks_, &ResultList::gridDblClick);
    connect(grid, &StringGrid::keyReleased, this, [this](int key) {
        if (key == Qt::Key_Delete)
            marks_->DeleteAllFiles();
    });
    connect(pnlDrives, &TDrivePanel::boxClicked, this, &TfrmClean::cb1Click);
    connect(menu.Run1, &QAction::triggered, this, &TfrmClean::Run1Click);
    connect(menu.View1, &QAction::triggered, this, &TfrmClean::View1Click);
    connect(menu.Details1, &QAction::triggered, this, &TfrmClean::Details1Click);
    for (QAction* a : {menu.Size1, menu.Date1, menu.AccessDate1, menu.Name1, menu.Type1})
        connect(a, &QAction::triggered, this, [this, a] { Sortbysize1Click(a); });

    WinPlace1 = new TWinPlace(this);
    WinPlace1->IniFileName = QStringLiteral("zelkova.ini");
    WinPlace1->Identifier = QStringLiteral("frmMods");
}

TfrmClean::~TfrmClean() {
    WinPlace1->savePlacement();
    delete WinPlace1;
}

void TfrmClean::buildMenu() {
    ResultMenuBuilder b(this);
    menu.PopupMenu1 = b.menu();
    menu.Details1 = b.item("Details1", QStringLiteral("Details"));
    menu.Sort1 = b.beginSubmenu("Sort1", QStringLiteral("Sort"));
    std::vector<SortChoice> choices = b.sortItems({
        {"Size1", QStringLiteral("&Size"), 0, SortKind::Text, true},
        {"Date1", QStringLiteral("&Date"), 1, SortKind::Date, true},
        {"AccessDate1", QStringLiteral("&Access date"), 3, SortKind::Date, true},
        {"Name1", QStringLiteral("&Name"), 4, SortKind::Text, false},
        {"Type1", QStringLiteral("&Type"), 5, SortKind::Text, false},
    });
    b.endSubmenu();
    menu.Size1 = choices[0].action;
    menu.Date1 = choices[1].action;
    menu.AccessDate1 = choices[2].action;
    menu.Name1 = choices[3].action;
    menu.Type1 = choices[4].action;
    // Keys from the records' numbers: sizes of 1,000,000 K and more stay in order, and dates
    // sort as times whatever the short date form.
    const auto key = [this](int row) { return grid->rowKey(row); };
    choices[0].key = [this, key](int row) { return double(records_.size(key(row))); };
    choices[1].key = [this, key](int row) { return records_.writeDateKey(key(row)); };
    choices[2].key = [this, key](int row) { return records_.accessDateKey(key(row)); };
    choices[3].key = [this, key](int row) { return double(pathRank_[key(row)]); };
    choices[4].key = [this, key](int row) {
        return double(typeRank_[records_.typeIndex(key(row))]);
    };
    sortMenu_ = std::make_unique<GridSortMenu>(*grid, std::move(choices));
    menu.Mark1 = b.markSubmenu(*marks_, QStringLiteral("Unmark All"));
    menu.Resize1 = b.beginSubmenu("Resize1", QStringLiteral("Resize"));
    resizer_ = b.resizeItems(*Panel1);
    b.endSubmenu();
    menu.N1 = b.separator("N1");
    menu.Run1 = b.item("Run1", QStringLiteral("Run"));
    menu.View1 = b.item("View1", QStringLiteral("View"));
}

// ---- showing, layout

void TfrmClean::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmClean::FormShow() {
    ReadInFromDisk();
    selectAllExtensions();
    resizer_->rememberHeight();
    ClearGrid();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btAbort, btMark, btDelete})
        b->hide();
    session_->setStatus(QString());
    pnlDrives->buildDriveBoxes();
    btScan->setEnabled(pnlDrives->anyTicked());
    btClose->setEnabled(true);
    btScan->setToolTip(QStringLiteral("Start scanning for temporary files"));

    // Scan, Close, then Mark (Abort in its place while scanning), Delete, Print, Clipboard
    // and Browse, each 3 pixels right of the one before.
    placeButtonRow({btScan, btClose, btMark, btDelete, btPrint, btClip, btBrowse}, 3, kButtonTop);
    btAbort->move(btMark->pos());
    btScan->setFocus();

    setFinderMinimumSize(*this, kPanelWidth, kPanelHeight);
    centreOnScreen(this);
    FormResize();
    WinPlace1->restorePlacement();
}

void TfrmClean::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmClean::FormResize() {
    // The described widths scaled to the grid's font; sizes, dates and times are never cut, and
    // the room a wider window gives goes to the path.
    const QStringList sizes{formatSizeK(3145728, 3LL << 30) + QStringLiteral(" K"),
                            formatSizeK(0, 100) + QStringLiteral(" K")};
    const QStringList dates = sampleDateTexts();
    using K = ColumnKind;
    layoutResultColumns(*grid,
                        {{K::Figure, 54, sizes},
                         {K::Fixed, 64, dates},
                         {K::Fixed, 64, sampleTimeTexts()},
                         {K::Fixed, 64, dates},
                         {K::Path, 296},
                         {K::Text, 120}},
                        width());
    pnlDrives->move(std::max(0, width() - pnlDrives->width() - 8), pnlDrives->y());
}

// ---- the extension list

void TfrmClean::ReadInFromDisk() {
    PickList1->clear();
    for (const QString& entry : ::ReadInFromDisk(IniFileName))
        PickList1->add(entry);
}

void TfrmClean::selectAllExtensions() {
    PickList1->selectAll();
}

bool TfrmClean::isThisFileTemporary(const QString& name) const {
    return ::isThisFileTemporary(name, PickList1->selectedTexts());
}

void TfrmClean::btEditClick() {
    TfrmTempFiles editor(this);
    editor.IniFileName = IniFileName;
    ui().showModal(editor);
    // The list as saved; the person selects again.
    ReadInFromDisk();
}

// ---- the grid and the scan

void TfrmClean::ClearGrid() {
    static const QStringList header{"Size in K", "Modified", "Time", "Access", "FileName", "Type"};
    grid->setColCount(int(header.size()));
    for (int c = 0; c < header.size(); ++c)
        grid->setCell(c, 0, header[c]);
    grid->clearCells();
    grid->setRowCount(2);
    rowCounter = 0;
    sortMenu_->reset();
    pathRank_.clear();
    typeRank_.clear();
    marks_->clearAllMarks();
    grid->setPopupMenu(nullptr);
}

void TfrmClean::btScanClick() {
    const QStringList selected = PickList1->selectedTexts();
    if (selected.isEmpty()) {
        errorBox(QStringLiteral("Select at least one file extension"));
        return;
    }
    ClearGrid();
    scan(selected);
    Sortbysize1Click(menu.Size1);
}

void TfrmClean::scan(const QStringList& selected) {
    records_.clear();
    matcher_ = TempMatcher(selected);
    const ScanSession::End end = session_->run([this] {
        // The grid takes every row before any is written.
        std::vector<quint32> keys(records_.count());
        std::iota(keys.begin(), keys.end(), 0u);
        rowCounter = int(keys.size());
        grid->setRowCount(std::max(2, rowCounter + 1));
        if (!keys.empty())
            grid->setKeyedRows(1, keys);
    });
    if (end == ScanSession::End::Closed)
        return;
    if (rowCounter == 0) {
        session_->setStatus(QString());
        infoBox(QStringLiteral("No files found."));
        return;
    }
    for (QPushButton* b : {btMark, btDelete, btPrint, btClip, btBrowse})
        b->show();
    marks_->updateDeleteButton();
    session_->setStatus(formatThousands(rowCounter) + QStringLiteral(" tempfiles found"));
    grid->setPopupMenu(menu.PopupMenu1);
}

void TfrmClean::cb1Click() {
    btScan->setEnabled(pnlDrives->anyTicked());
}

// ---- result list operations

void TfrmClean::Sortbysize1Click(QAction* item) {
    if (grid->rowCount() < 2 || rowCounter == 0)
        return;
    BusyCursor busy;
    if (item == menu.Name1 && pathRank_.empty())
        pathRank_ = records_.pathRanks();
    if (item == menu.Type1 && typeRank_.empty())
        typeRank_ = records_.typeRanks();
    sortMenu_->sortBy(item);
}

QString TfrmClean::printTitle() const {
    return QStringLiteral("Temporary files  on drive(s) ") + pnlDrives->tickedCaptions();
}

void TfrmClean::btPrintClick() {
    printGridWithDialog(*grid, printTitle(), this);
}

void TfrmClean::btClipClick() {
    copyLinesToClipboard(gridLines(*grid, 0, rowCounter, 6));
}

void TfrmClean::btDeleteClick() {
    // Nothing counts as marked (Mark all over files that have all gone): no confirmation, and
    // the list stays open.
    if (marks_->markedCount() < 1)
        return;
    rows_->btDeleteClick();
}

void TfrmClean::BrowseDirectory1Click() {
    rows_->BrowseDirectory1Click(QStringLiteral("*.*"));
}

void TfrmClean::Run1Click() {
    rows_->Run1Click();
}

void TfrmClean::View1Click() {
    rows_->View1Click();
}

void TfrmClean::Details1Click() {
    rows_->Details1Click();
}
