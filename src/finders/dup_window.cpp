#include "finders/dup_window.h"

#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/screen_centre.h"
#include "common/ui.h"
#include "common/win_place.h"
#include "finders/dup_title.h"
#include "platform/date_text.h"
#include "widgets/column_width.h"
#include "widgets/number_field.h"
#include "widgets/result_menu.h"
#include "widgets/string_grid.h"
#include "widgets/tool_frame.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

bool duplicatesMode = false;

const QString TfrmDup::kResourceText = QStringLiteral(
    "Due to Windows resource limitations ... cannot process any more files.\r\rTry increasing "
    "the file size limits or file match and re-scan.");

namespace {
constexpr int kPanelHeight = 172;
constexpr int kPanelWidth = 632; // the top panel at the design size: minimum 635 by 344
constexpr int kButtonTop = 141;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 28;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    b->resize(kButtonWidth, kButtonHeight);
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(r);
    return l;
}
} // namespace

TfrmDup::TfrmDup(QWidget* owner)
    : QDialog(owner, kToolWindowFlags), duplicates_(duplicatesMode), records_(duplicatesMode) {
    setObjectName(QStringLiteral("frmDup"));
    resize(640, 406);
    // The top panel: size filter, file match, drives and the button row.
    const ToolFrame frame = buildToolFrame(*this, kPanelHeight);
    QVBoxLayout* layout = frame.layout;
    Panel1 = frame.Panel1;

    rbLarger = new QRadioButton(QStringLiteral("Larger or equal to"), Panel1);
    rbLarger->setObjectName(QStringLiteral("rbLarger"));
    rbLarger->setGeometry(8, 10, 140, 20);
    rbLarger->setChecked(true);
    rbSmaller = new QRadioButton(QStringLiteral("Smaller or equal to"), Panel1);
    rbSmaller->setObjectName(QStringLiteral("rbSmaller"));
    rbSmaller->setGeometry(8, 32, 140, 20);
    rbBetween = new QRadioButton(QStringLiteral("In between"), Panel1);
    rbBetween->setObjectName(QStringLiteral("rbBetween"));
    rbBetween->setGeometry(8, 54, 140, 20);

    num1 = new TNumberField(Panel1);
    num1->setObjectName(QStringLiteral("num1"));
    num1->setRange(0, 10000);
    num1->setGeometry(180, 8, 80, 22);
    num1->setAccessibleNames(QStringLiteral("First size in KB"));
    lblKB1 = makeLabel(Panel1, "lblKB1", QStringLiteral("KB"), QRect(267, 11, 150, 18));
    lblAnd = makeLabel(Panel1, "lblAnd", QStringLiteral("and"), QRect(150, 36, 28, 18));
    num2 = new TNumberField(Panel1);
    num2->setObjectName(QStringLiteral("num2"));
    num2->setRange(0, 10000);
    num2->setGeometry(180, 33, 80, 22);
    num2->setAccessibleNames(QStringLiteral("Second size in KB"));
    lblKB2 = makeLabel(Panel1, "lblKB2", QStringLiteral("KB"), QRect(267, 36, 150, 18));
    lblAnd->hide();
    num2->hide();
    lblKB2->hide();

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 77, 410, 2);

    Label3 = makeLabel(Panel1, "Label3", QStringLiteral("Matching"), QRect(8, 92, 60, 18));
    cbWildCard = new QComboBox(Panel1);
    cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
    cbWildCard->setEditable(true);
    cbWildCard->setInsertPolicy(QComboBox::NoInsert);
    cbWildCard->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
    cbWildCard->setAccessibleName(QStringLiteral("Matching"));
    cbWildCard->setGeometry(70, 89, 100, 24);
    cbWildCard->setEditText(QStringLiteral("*.*"));
    Label3->setBuddy(cbWildCard);
    lblWild = makeLabel(Panel1, "lblWild", QStringLiteral("All files"), QRect(178, 92, 230, 18));

    pnlDrives = new TDrivePanel(Panel1);
    pnlDrives->move(kPanelWidth - 205 - 8, 8);

    btScan = makeButton(Panel1, "btScan", QStringLiteral("&Scan"), QString());
    btExact = makeButton(Panel1, "btExact", QStringLiteral("&Exact"),
                         QStringLiteral("Search for duplicates based on file name AND size"));
    btClose =
        makeButton(Panel1, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
    btAbort = makeButton(Panel1, "btAbort", QStringLiteral("&Abort"), QStringLiteral("Abort scan"));
    btMark = makeButton(Panel1, "btMark", QStringLiteral("&Mark"),
                        QStringLiteral("Mark file for deletion (double click on grid also works)"));
    btDelete = makeButton(Panel1, "btDelete", QStringLiteral("Delete"),
                          QStringLiteral("Delete marked files"));
    btPrint = makeButton(Panel1, "btPrint", QStringLiteral("&Print"),
                         QStringLiteral("Print list of files"));
    btClip = makeButton(Panel1, "btClip", QStringLiteral("C&lipboard"),
                        QStringLiteral("Copy list of files to clipboard"));
    btBrowse = makeButton(Panel1, "btBrowse", QStringLiteral("&Browse"),
                          QStringLiteral("Browse this file and folder"));
    btAbort->hide();
    btDelete->setEnabled(false);
    btBrowse->hide();

    // The result grid and the status line.
    grid = new StringGrid(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setToolTip(QStringLiteral("Double click to mark for deletion, right click for options"));
    grid->setAccessibleName(duplicates_ ? QStringLiteral("Duplicate files")
                                        : QStringLiteral("File hogs"));
    layout->addWidget(grid, 1);
    pnlSel = makeStatusLine(this, &pnlBase);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlSel->setObjectName(QStringLiteral("pnlSel"));
    layout->addWidget(pnlBase);

    grid->setRowSource([this](quint32 key, int col) { return records_.field(key, col); });
    grid->setRightAligned(duplicates_ ? 1 : 0, true);
    marks_ = new ResultList(*grid, this);
    marks_->setNameColumn(nameColumn());
    marks_->setPathOfRow([this](int row) {
        // The record's exact path, never the text a cell shows.
        return grid->isKeyedRow(row) ? records_.path(grid->rowKey(row)) : QString();
    });
    marks_->setRowLimit([this] { return rowCounter; });
    marks_->setStatusSink([this](const QString& s) { pnlSel->setText(s); });
    marks_->setDeleteButton(btDelete);

    rows_ = std::make_unique<RowActions>(*this, *marks_);
    buildMenu();
    grid->setPopupMenu(menu.PopupMenu1);

    // The scan: Abort, Esc and closing stop this window's walk only.
    ScanSession::Parts parts;
    parts.window = this;
    parts.drives = pnlDrives;
    parts.abortButton = btAbort;
    parts.status = pnlSel;
    parts.busyArea = grid->viewport();
    parts.lockWhileScanning = {btScan,     btExact,  btClose,   num1,     num2,
                               cbWildCard, rbLarger, rbSmaller, rbBetween};
    parts.hideWhenScanning = {btMark, btDelete, btPrint, btClip, btBrowse};
    session_ = new ScanSession(engine_, parts, this);
    session_->setLimitText(kResourceText);
    // A record refused by the store ends the walk as Abort does; what was found is kept.
    records_.onRefused = [this] { session_->stopAtLimit(); };
    engine_.setSink(&records_);

    connect(btScan, &QPushButton::clicked, this, &TfrmDup::btScanClick);
    connect(btExact, &QPushButton::clicked, this, &TfrmDup::btExactClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btMark, &QPushButton::clicked, marks_, &ResultList::DeleteAllFiles);
    connect(btDelete, &QPushButton::clicked, this, &TfrmDup::btDeleteClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmDup::btPrintClick);
    connect(btClip, &QPushButton::clicked, this, &TfrmDup::btClipClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmDup::BrowseDirectory1Click);
    connect(grid, &StringGrid::cellDoubleClicked, marks_, &ResultList::gridDblClick);
    connect(grid, &StringGrid::keyReleased, this, [this](int key) {
        if (key == Qt::Key_Delete)
            marks_->DeleteAllFiles();
    });
    // Toggled, not clicked: a screen reader's toggle action changes the choice without a click.
    for (QRadioButton* rb : {rbLarger, rbSmaller, rbBetween})
        connect(rb, &QRadioButton::toggled, this, &TfrmDup::rbLargerClick);
    connect(num1, &TNumberField::exited, this, &TfrmDup::num1Exit);
    connect(num1, &TNumberField::spinReleased, this, &TfrmDup::num1Exit);
    connect(num2, &TNumberField::exited, this, &TfrmDup::num2Exit);
    connect(num2, &TNumberField::spinReleased, this, &TfrmDup::num2Exit);
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmDup::cbWildCardChange);
    connect(pnlDrives, &TDrivePanel::boxClicked, this, &TfrmDup::cb1Click);
    connect(menu.Run1, &QAction::triggered, this, &TfrmDup::Run1Click);
    connect(menu.View1, &QAction::triggered, this, &TfrmDup::View1Click);
    connect(menu.Details1, &QAction::triggered, this, &TfrmDup::Details1Click);
    for (QAction* a : {menu.Size1, menu.Date1, menu.AccessDate1, menu.Name1, menu.Type1})
        connect(a, &QAction::triggered, this, [this, a] { Sortbysize1Click(a); });

    // The placement: one entry for each of the two finders.
    WinPlace1 = new TWinPlace(this);
    WinPlace1->IniFileName = QStringLiteral("zelkova.ini");
    WinPlace1->Section = duplicates_ ? QStringLiteral("frmDups") : QStringLiteral("frmMods");
    WinPlace1->Identifier = QStringLiteral("frmMods");
}

void TfrmDup::buildMenu() {
    ResultMenuBuilder b(this);
    menu.PopupMenu1 = b.menu();
    menu.Details1 = b.item("Details1", QStringLiteral("Details"));
    menu.Sortbysize1 = b.beginSubmenu("Sortbysize1", QStringLiteral("Sort"));
    std::vector<SortChoice> choices = b.sortItems({
        {"Size1", QStringLiteral("&Size"), 0, SortKind::Text, true},
        {"Date1", QStringLiteral("&Date"), 1, SortKind::Date, true},
        {"AccessDate1", QStringLiteral("&Access Date"), 3, SortKind::Date, true},
        {"Name1", QStringLiteral("&Name"), 4, SortKind::Text, false},
        {"Type1", QStringLiteral("&Type"), 5, SortKind::Text, false},
    });
    b.endSubmenu();
    menu.Size1 = choices[0].action;
    menu.Date1 = choices[1].action;
    menu.AccessDate1 = choices[2].action;
    menu.Name1 = choices[3].action;
    menu.Type1 = choices[4].action;
    // Sort by numbers taken from the records, not by the cell texts: sizes of 1,000,000 K and
    // more stay in order, and a million rows sort without making their texts.
    choices[0].key = [this](int row) { return double(records_.size(grid->rowKey(row))); };
    choices[1].key = [this](int row) { return records_.writeDateKey(grid->rowKey(row)); };
    choices[2].key = [this](int row) { return records_.accessDateKey(grid->rowKey(row)); };
    choices[3].key = [this](int row) { return double(pathRank_[grid->rowKey(row)]); };
    choices[4].key = [this](int row) {
        return double(typeRank_[records_.typeIndex(grid->rowKey(row))]);
    };
    sortMenu_ = std::make_unique<GridSortMenu>(*grid, std::move(choices));
    menu.Mark1 = b.markSubmenu(*marks_);
    menu.Resize1 = b.beginSubmenu("Resize1", QStringLiteral("Resize"));
    resizer_ = b.resizeItems(*Panel1);
    b.endSubmenu();
    menu.N3 = b.separator("N3");
    menu.Run1 = b.item("Run1", QStringLiteral("Run"));
    menu.View1 = b.item("View1", QStringLiteral("View"));
}

TfrmDup::~TfrmDup() {
    WinPlace1->savePlacement();
    delete WinPlace1;
}

// ---- showing, layout

void TfrmDup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmDup::FormShow() {
    resizer_->rememberHeight();
    ClearGrid();
    num1->setValue(250);
    num2->setValue(250);
    btPrint->hide();
    btClip->hide();
    btBrowse->hide();
    lbFiles.clear();
    lbList.clear();
    btAbort->hide();
    session_->setStatus(QString());

    pnlDrives->buildDriveBoxes();

    btMark->hide();
    btDelete->hide();
    btScan->setEnabled(true);
    btClose->setEnabled(true);

    if (duplicates_) {
        menu.Sortbysize1->setVisible(false);
        setWindowTitle(QStringLiteral("Find and delete duplicate files"));
        btScan->setToolTip(QStringLiteral("Duplicates on file name only"));
        btExact->show();
    } else {
        menu.Sortbysize1->setVisible(true);
        setWindowTitle(QStringLiteral("Find and delete file hogs"));
        btScan->setToolTip(QStringLiteral("Start scanning for file hogs"));
        btExact->hide();
    }

    // The button row: Scan, Exact (duplicates only), Close, then Abort and Mark sharing one
    // place (never visible together), Delete, Print, Clipboard and Browse.
    const int step = kButtonWidth + 3;
    int left = 3;
    btScan->move(left, kButtonTop);
    left += step;
    btExact->move(left, kButtonTop);
    if (duplicates_)
        left += step;
    btClose->move(left, kButtonTop);
    left += step;
    for (QPushButton* b : {btAbort, btMark})
        b->move(left, kButtonTop);
    for (QPushButton* b : {btDelete, btPrint, btClip, btBrowse}) {
        left += step;
        b->move(left, kButtonTop);
    }
    btScan->setFocus();

    setFinderMinimumSize(*this, kPanelWidth, kPanelHeight);
    centreOnScreen(this);
    FormResize();

    if (cbWildCard->currentText().isEmpty())
        cbWildCard->setEditText(QStringLiteral("*.*"));
    fillPatternCombo(cbWildCard);
    cbWildCardChange(cbWildCard->currentText());
    lblKB1->setText(KiloToMega(num1->value()));
    lblKB2->setText(KiloToMega(num2->value()));

    WinPlace1->restorePlacement();
}

void TfrmDup::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmDup::FormResize() {
    // The described widths scaled to the grid's font; sizes, dates and times are never cut, and
    // the room a wider window gives goes to the name and the folder.
    const QStringList sizes{formatSizeK(3145728, 3LL << 30) + QStringLiteral(" K"),
                            formatSizeK(0, 100) + QStringLiteral(" K")};
    const QStringList dates = sampleDateTexts();
    const QStringList times = sampleTimeTexts();
    using K = ColumnKind;
    layoutResultColumns(*grid,
                        duplicates_ ? std::vector<ColumnPlan>{{K::Name, 93},
                                                              {K::Figure, 54, sizes},
                                                              {K::Fixed, 64, dates},
                                                              {K::Fixed, 70, times},
                                                              {K::Fixed, 70, dates},
                                                              {K::Path, 184},
                                                              {K::Text, 120}}
                                    : std::vector<ColumnPlan>{{K::Figure, 54, sizes},
                                                              {K::Fixed, 64, dates},
                                                              {K::Fixed, 64, times},
                                                              {K::Fixed, 64, dates},
                                                              {K::Path, 296},
                                                              {K::Text, 120}},
                        width());
    const int client = width();
    pnlDrives->move(std::max(0, client - pnlDrives->width() - 8), pnlDrives->y());
}

// ---- the grid

void TfrmDup::ClearGrid() {
    static const QStringList dupHeader{"Filename", "Size in K", "Modified", "Time",
                                       "Access",   "Folder",    "Type"};
    static const QStringList hogHeader{"Size in K", "Modified", "Time",
                                       "Access",    "FileName", "Type"};
    const QStringList& header = duplicates_ ? dupHeader : hogHeader;
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
    grid->setFocus();
}

void TfrmDup::addToGrid(std::span<const quint32> recs) {
    if (recs.empty())
        return;
    grid->setKeyedRows(rowCounter + 1, recs);
    rowCounter += int(recs.size());
}

void TfrmDup::addDups(bool exact) {
    lbList = records_.sortedList();
    lbFiles = duplicateRows(records_, lbList, exact);
    addToGrid(lbFiles);
}

void TfrmDup::reSort() {
    lbList = records_.sortedList();
    lbFiles.assign(lbList.rbegin(), lbList.rend());
    addToGrid(lbFiles);
}

// ---- scanning

SizeFilter TfrmDup::sizeFilter() const {
    SizeFilter f;
    f.mode = rbBetween->isChecked()   ? SizeMode::Between
             : rbSmaller->isChecked() ? SizeMode::Smaller
                                      : SizeMode::Larger;
    f.first = num1->value();
    f.second = num2->value();
    return f;
}

void TfrmDup::scan(bool exact) {
    // The grid's rows name records of the store about to be emptied.
    if (rowCounter > 0)
        ClearGrid();
    lbFiles.clear();
    lbList.clear();
    records_.clear();
    records_.setFilter(sizeFilter());
    engine_.setPattern(cbWildCard->currentText());
    const ScanSession::End end = session_->run([&] {
        if (duplicates_)
            addDups(exact);
        else
            reSort();
        if (rowCounter > 1)
            grid->setRowCount(rowCounter + 1);
    });
    if (end == ScanSession::End::Closed)
        return; // no report for a window that is going

    if (!lbFiles.empty()) {
        btMark->show();
        btDelete->show();
    }
    marks_->updateDeleteButton();
    if (lbFiles.empty()) {
        session_->setStatus(QString());
        infoBox(QStringLiteral("No files found."));
        return;
    }
    btPrint->show();
    btClip->show();
    btBrowse->show();
    session_->setStatus(
        formatThousands(qint64(lbFiles.size())) +
        (duplicates_ ? QStringLiteral(" duplicates found") : QStringLiteral(" file hogs found")));
}

void TfrmDup::btScanClick() {
    if (rbBetween->isChecked() && num2->value() < num1->value()) {
        errorBox(QStringLiteral("The second number must be larger or equal than the first number"));
        return;
    }
    ClearGrid();
    scan(false);
}

void TfrmDup::btExactClick() {
    ClearGrid();
    scan(true);
}

// ---- controls of the top panel

void TfrmDup::rbLargerClick() {
    const bool between = rbBetween->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{num2, lblKB2, lblAnd})
        w->setVisible(between);
}

void TfrmDup::num1Exit() {
    lblKB1->setText(KiloToMega(num1->value()));
}

void TfrmDup::num2Exit() {
    lblKB2->setText(KiloToMega(num2->value()));
}

void TfrmDup::cb1Click() {
    btScan->setEnabled(pnlDrives->anyTicked());
    btExact->setEnabled(btScan->isEnabled());
}

void TfrmDup::cbWildCardChange(const QString& text) {
    lblWild->setText(patternDescription(text));
}

// ---- result list operations

void TfrmDup::Sortbysize1Click(QAction* item) {
    if (duplicates_ || grid->rowCount() < 2)
        return;
    BusyCursor busy;
    if (item == menu.Name1 && pathRank_.empty())
        pathRank_ = records_.pathRanks();
    if (item == menu.Type1 && typeRank_.empty())
        typeRank_ = records_.typeRanks();
    sortMenu_->sortBy(item);
}

void TfrmDup::btPrintClick() {
    const QString title =
        printTitle(duplicates_, sizePhrase(sizeFilter().mode, lblKB1->text(), lblKB2->text()),
                   cbWildCard->currentText(), pnlDrives->tickedCaptions());
    printGridWithDialog(*grid, title, this);
}

void TfrmDup::btClipClick() {
    // The records in scan order (largest first for file hogs, whatever the grid's sort).
    QStringList lines;
    lines.reserve(qsizetype(lbFiles.size()));
    for (quint32 rec : lbFiles)
        lines << records_.line(rec);
    copyLinesToClipboard(lines);
}

void TfrmDup::btDeleteClick() {
    rows_->btDeleteClick();
}

void TfrmDup::Run1Click() {
    rows_->Run1Click();
}

void TfrmDup::View1Click() {
    rows_->View1Click();
}

void TfrmDup::Details1Click() {
    rows_->Details1Click();
}

void TfrmDup::BrowseDirectory1Click() {
    rows_->BrowseDirectory1Click(cbWildCard->currentText());
}
