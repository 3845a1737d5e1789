#include "clean/clean_window.h"

#include "clean/temp_files_window.h"
#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/ui.h"
#include "controls/pick_list.h"
#include "model/row_order.h"
#include "platform/date_text.h"
#include "widgets/column_width.h"
#include "widgets/push_button.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

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
    buildExtensionList();
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
    makeSession({btScan, btClose, pnlDrives, PickList1, btEdit, menu.PopupMenu1});
    records_.accept = nullptr; // the name filter of the walk is the only test
    records_.onRefused = [this] { session().stopAtLimit(); };
    engine_.setSink(&records_);
    engine_.setNameFilter(
        [this](const char* name, int length) { return matcher_.matches(name, length); });

    connect(btScan, &QPushButton::clicked, this, &TfrmClean::btScanClick);
    connect(btEdit, &QPushButton::clicked, this, &TfrmClean::btEditClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmClean::BrowseDirectory1Click);
    connect(pnlDrives, &TDrivePanel::boxClicked, this, &TfrmClean::cb1Click);
}

TfrmClean::~TfrmClean() {
    session().halt(); // the walk fills records_, which go before the shell
}

void TfrmClean::buildExtensionList() {
    Label2 = panelLabel(Panel1, "Label2",
                        QStringLiteral("Temporary file types to search and clean."), 300);
    fixAtLeast(Label2, 300, 18);
    PickList1 = new TPickList(Panel1);
    PickList1->setObjectName(QStringLiteral("PickList1"));
    PickList1->setToolTip(QStringLiteral("File extensions/types of temporary files"));
    PickList1->setAccessibleName(QStringLiteral("Temporary file types to search and clean"));
    PickList1->setMultiSelect(true);
    PickList1->Sorted = true;
    PickList1->setTabStops(QStringLiteral("16"));
    PickList1->setFixedSize(300, 98); // a longer list scrolls
    Label2->setBuddy(PickList1);
    btEdit = makePushButton(Panel1, "btEdit", QStringLiteral("Add/Delete"),
                            QStringLiteral("Add, delete temporary file extensions"), 75, 28);
    btEdit->setFixedSize(btEdit->size());
    Label1 = new QLabel(QStringLiteral("Hint: Use the Shift and Ctrl keys with the mouse click to "
                                       "select multiple file extensions."),
                        Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    // Two lines, as tight as at the design size, wider and taller for a larger font.
    const QFontMetrics metrics = Label1->fontMetrics();
    Label1->setFixedWidth(std::max(400, metrics.horizontalAdvance(Label1->text()) / 2 + 40));
    Label1->setMinimumHeight(std::max(30, 2 * metrics.lineSpacing() - 4));

    auto* listRow = new QHBoxLayout;
    listRow->setSpacing(6);
    listRow->addWidget(PickList1);
    listRow->addWidget(btEdit, 0, Qt::AlignTop);
    listRow->addStretch(1);
    QVBoxLayout* area = filterArea();
    area->setContentsMargins(8, 4, 0, 0);
    area->addWidget(Label2);
    area->addLayout(listRow);
    area->addWidget(Label1);
}

void TfrmClean::buildMenu() {
    static_cast<FinderMenu&>(menu) =
        buildFinderMenu("Sort1", FileRecordSort::items(QStringLiteral("&Access date")),
                        sorts_.keys(*grid), "N1", QStringLiteral("Unmark All"));
    menu.nameSorts();
    menu.N1 = menu.separator;
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
    layoutResultColumns(*grid, fileListColumns(), width());
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
    clearGrid(fileListHeader());
    sorts_.clear();
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
}

void TfrmClean::scan(const QStringList& selected) {
    records_.clear();
    listed_.clear();
    matcher_ = TempMatcher(selected);
    session().start(
        [this] {
            // Largest first, as the Size item sorts (equal sizes in walk order), made here so
            // the grid only takes the rows.
            std::vector<double> sizes(records_.count());
            for (quint32 rec = 0; rec < records_.count(); ++rec)
                sizes[rec] = double(records_.size(rec));
            const std::vector<int> order = keyOrder(sizes, true);
            listed_.assign(order.begin(), order.end());
        },
        [this](ScanSession::End) {
            // The grid takes every row before any is written. Size stays the checked sort.
            rowCounter = int(listed_.size());
            grid->setRowCount(std::max(2, rowCounter + 1));
            if (!listed_.empty())
                grid->setKeyedRows(1, listed_);
            if (showResults(rowCounter, rowCounter == 0 ? QString()
                                                        : formatThousands(rowCounter) +
                                                              QStringLiteral(" tempfiles found")))
                grid->setPopupMenu(menu.PopupMenu1);
        });
}

void TfrmClean::cb1Click() {
    btScan->setEnabled(pnlDrives->anyTicked());
}

// ---- result list operations

void TfrmClean::Sortbysize1Click(QAction* item) {
    if (grid->rowCount() < 2 || rowCounter == 0)
        return;
    BusyCursor busy;
    sorts_.prepare(item, menu);
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
