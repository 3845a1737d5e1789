#include "clean/clean_window.h"

#include "clean/temp_files_window.h"
#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/ui.h"
#include "controls/pick_list.h"
#include "platform/date_text.h"
#include "widgets/column_width.h"
#include "widgets/push_button.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <numeric>

namespace {
FinderLook cleanLook() {
    FinderLook look;
    look.objectName = "frmClean";
    look.size = QSize(636, 440);
    look.panelHeight = 184;
    look.buttonTop = 152;
    look.statusName = "pnlSel";
    look.gridTip = QStringLiteral("Double click to mark for deletion");
    look.gridName = QStringLiteral("Temporary files");
    look.placeIdentifier = QStringLiteral("frmMods");
    return look;
}
} // namespace

TfrmClean::TfrmClean(QWidget* owner) : FinderWindow(owner, cleanLook()) {
    setWindowTitle(QStringLiteral("Find and delete temporary files"));
    buildFilters();
    btScan = makeRowButton("btScan", QStringLiteral("&Scan"));
    btScan->setDefault(true);
    setStartButtons({btScan});
    pnlSel = statusLine();

    grid->setRowSource([this](quint32 key, int col) { return records_.field(key, col); });
    grid->setRightAligned(0, true);
    // The record's exact path: the search-path marker is only ever shown, and a name may hold
    // the marker's characters itself.
    marks().setNameColumn(4);
    setRecordPath([this](quint32 rec) { return records_.path(rec); });
    buildMenu();
    grid->setPopupMenu(nullptr); // offered once a scan has found files

    // The extensions in force are those selected when Scan was pressed; neither the list nor
    // its editor can change them under a running walk.
    makeSession({btScan, btClose, pnlDrives, PickList1, btEdit});
    records_.accept = nullptr; // the name filter of the walk is the only test
    records_.onRefused = [this] { session().stopAtLimit(); };
    engine_.setSink(&records_);
    engine_.setNameFilter(
        [this](const char* name, int length) { return matcher_.matches(name, length); });

    connect(btScan, &QPushButton::clicked, this, &TfrmClean::btScanClick);
    connect(btEdit, &QPushButton::clicked, this, &TfrmClean::btEditClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmClean::btPrintClick);
    connect(btClip, &QPushButton::clicked, this, &TfrmClean::btClipClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmClean::BrowseDirectory1Click);
    connect(pnlDrives, &TDrivePanel::boxClicked, this, &TfrmClean::cb1Click);
}

void TfrmClean::buildFilters() {
    Label2 = makePanelLabel(Panel1, "Label2",
                            QStringLiteral("Temporary file types to search and clean."),
                            QRect(8, 4, 300, 18));
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
                            QStringLiteral("Add, delete temporary file extensions"), 75, 28);
    btEdit->move(314, 22);
    Label1 = new QLabel(QStringLiteral("Hint: Use the Shift and Ctrl keys with the mouse click to "
                                       "select multiple file extensions."),
                        Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setGeometry(8, 120, 400, 30);
}

void TfrmClean::buildMenu() {
    // Keys from the records' numbers: sizes of 1,000,000 K and more stay in order, and dates
    // sort as times whatever the short date form.
    const auto key = [this](int row) { return grid->rowKey(row); };
    static_cast<FinderMenu&>(menu) = buildFinderMenu(
        "Sort1",
        {{"Size1", QStringLiteral("&Size"), 0, SortKind::Text, true},
         {"Date1", QStringLiteral("&Date"), 1, SortKind::Date, true},
         {"AccessDate1", QStringLiteral("&Access date"), 3, SortKind::Date, true},
         {"Name1", QStringLiteral("&Name"), 4, SortKind::Text, false},
         {"Type1", QStringLiteral("&Type"), 5, SortKind::Text, false}},
        {[this, key](int row) { return double(records_.size(key(row))); },
         [this, key](int row) { return records_.writeDateKey(key(row)); },
         [this, key](int row) { return records_.accessDateKey(key(row)); },
         [this, key](int row) { return double(pathRank_[key(row)]); },
         [this, key](int row) { return double(typeRank_[records_.typeIndex(key(row))]); }},
        "N1", QStringLiteral("Unmark All"));
    menu.N1 = menu.separator;
    menu.Size1 = menu.sorts[0];
    menu.Date1 = menu.sorts[1];
    menu.AccessDate1 = menu.sorts[2];
    menu.Name1 = menu.sorts[3];
    menu.Type1 = menu.sorts[4];
}

// ---- showing, layout

void TfrmClean::FormShow() {
    ReadInFromDisk();
    selectAllExtensions();
    ClearGrid();
    btScan->setEnabled(pnlDrives->anyTicked());
    btScan->setToolTip(QStringLiteral("Start scanning for temporary files"));
    btScan->setFocus();
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
    clearGrid({"Size in K", "Modified", "Time", "Access", "FileName", "Type"});
    pathRank_.clear();
    typeRank_.clear();
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
    const ScanSession::End end = session().run([this] {
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
    if (showResults(rowCounter, rowCounter == 0 ? QString()
                                                : formatThousands(rowCounter) +
                                                      QStringLiteral(" tempfiles found")))
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
    sortMenu().sortBy(item);
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
    if (marks().markedCount() < 1)
        return;
    FinderWindow::btDeleteClick();
}

void TfrmClean::BrowseDirectory1Click() {
    browseRow(QStringLiteral("*.*"));
}
