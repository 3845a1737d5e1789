#include "finders/dup_window.h"

#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/ui.h"
#include "finders/dup_title.h"
#include "finders/marked_groups.h"
#include "platform/date_text.h"
#include "widgets/column_width.h"
#include "widgets/number_field.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QVBoxLayout>
#include <algorithm>

const QString TfrmDup::kResourceText = QStringLiteral(
    "Due to Windows resource limitations ... cannot process any more files.\r\rTry increasing "
    "the file size limits or file match and re-scan.");

namespace {
FinderLook dupLook(bool duplicates) {
    FinderLook look;
    look.objectName = "frmDup";
    // The duplicate finder's row holds a third search button (Contents): it opens wide enough
    // for the whole row, so the window does not widen once the result buttons show.
    look.size = QSize(duplicates ? 710 : 640, 406);
    look.panelHeight = 172;
    look.buttonTop = 141;
    look.statusName = "pnlSel";
    look.gridTip = QStringLiteral("Double click to mark for deletion, right click for options");
    look.gridName = duplicates ? QStringLiteral("Duplicate files") : QStringLiteral("File hogs");
    // One placement entry for each of the two finders.
    look.placeSection = duplicates ? QStringLiteral("frmDups") : QStringLiteral("frmMods");
    look.placeIdentifier = QStringLiteral("frmMods");
    look.widenToCaption = false;
    return look;
}
} // namespace

TfrmDup::TfrmDup(bool duplicates, QWidget* owner)
    : FinderWindow(owner, dupLook(duplicates)), duplicates_(duplicates), records_(duplicates) {
    buildSizeFilter();
    btScan = makeRowButton("btScan", QStringLiteral("&Scan"));
    btExact = makeRowButton("btExact", QStringLiteral("&Exact"),
                            QStringLiteral("Search for duplicates based on file name AND size"));
    btContents = makeRowButton("btContents", QStringLiteral("&Contents"),
                               QStringLiteral("Find files with the same contents"));
    setStartButtons({btScan, btExact, btContents});
    pnlSel = statusLine();

    // A contents search adds the group column, and shades every other group.
    grid->setRowSource([this](quint32 key, int col) {
        return col < records_.fieldCount() ? records_.field(key, col) : contents_.groupText(key);
    });
    grid->setRowShade([this](int row) {
        return search_ == Search::Contents && row <= rowCounter && grid->isKeyedRow(row) &&
               contents_.groupOf(grid->rowKey(row)) % 2 == 0;
    });
    grid->setRightAligned(duplicates_ ? 1 : 0, true);
    marks().setNameColumn(duplicates_ ? 0 : 4);
    setRecordPath([this](quint32 rec) { return records_.path(rec); });
    buildMenu();

    makeSession({btScan, btExact, btContents, btClose, num1, num2, cbWildCard, rbLarger, rbSmaller,
                 rbBetween});
    session().setLimitText(kResourceText);
    session().setStopHook([this] { grouper_.abort(); });
    session().setStage([this](QString& status, QString& figures) {
        if (!comparing_.load(std::memory_order_relaxed))
            return false;
        status = QStringLiteral("Comparing contents");
        figures =
            formatThousands(grouper_.bytesRead() / (1024 * 1024)) + QStringLiteral(" MB compared");
        return true;
    });
    // A record refused by the store ends the walk as Abort does; what was found is kept.
    records_.onRefused = [this] { session().stopAtLimit(); };
    engine_.setSink(&records_);

    connect(btScan, &QPushButton::clicked, this, &TfrmDup::btScanClick);
    connect(btExact, &QPushButton::clicked, this, &TfrmDup::btExactClick);
    connect(btContents, &QPushButton::clicked, this, &TfrmDup::btContentsClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmDup::BrowseDirectory1Click);
    // Toggled, not clicked: a screen reader's toggle action changes the choice without a click.
    for (QRadioButton* rb : {rbLarger, rbSmaller, rbBetween})
        connect(rb, &QRadioButton::toggled, this, &TfrmDup::rbLargerClick);
    connect(num1, &TNumberField::exited, this, &TfrmDup::num1Exit);
    connect(num1, &TNumberField::spinReleased, this, &TfrmDup::num1Exit);
    connect(num2, &TNumberField::exited, this, &TfrmDup::num2Exit);
    connect(num2, &TNumberField::spinReleased, this, &TfrmDup::num2Exit);
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmDup::cbWildCardChange);
    connect(pnlDrives, &TDrivePanel::boxClicked, this, &TfrmDup::cb1Click);
}

TfrmDup::~TfrmDup() {
    session().halt(); // the walk fills records_, which go before the shell
}

void TfrmDup::buildSizeFilter() {
    auto* radios = new QVBoxLayout;
    radios->setContentsMargins(0, 2, 2, 0);
    radios->setSpacing(2);
    const auto radio = [&](const char* name, const QString& caption) {
        auto* rb = new QRadioButton(caption, Panel1);
        rb->setObjectName(QLatin1String(name));
        fixAtLeast(rb, 140, 20);
        radios->addWidget(rb);
        return rb;
    };
    rbLarger = radio("rbLarger", QStringLiteral("Larger or equal to"));
    rbLarger->setChecked(true);
    rbSmaller = radio("rbSmaller", QStringLiteral("Smaller or equal to"));
    rbBetween = radio("rbBetween", QStringLiteral("In between"));

    // The sizes: "and" before the second one; the units after each. The second row keeps its
    // room while hidden, so the first stays where it is.
    auto* sizes = new QGridLayout;
    sizes->setHorizontalSpacing(0);
    sizes->setVerticalSpacing(3);
    const auto number = [&](const char* name, const QString& accessible) {
        auto* n = new TNumberField(Panel1);
        n->setObjectName(QLatin1String(name));
        n->setRange(0, 10000);
        n->setAccessibleNames(accessible);
        // The arrows stack beside the editor; the editor sets the height.
        n->setFixedSize(80, std::max(22, n->fontMetrics().height() + 4));
        return n;
    };
    num1 = number("num1", QStringLiteral("First size in KB"));
    lblKB1 = panelLabel(Panel1, "lblKB1", QStringLiteral("KB"), 157, 2);
    lblAnd = panelLabel(Panel1, "lblAnd", QStringLiteral("and"), 30, 2);
    num2 = number("num2", QStringLiteral("Second size in KB"));
    lblKB2 = panelLabel(Panel1, "lblKB2", QStringLiteral("KB"), 157, 2);
    for (QLabel* kb : {lblKB1, lblKB2}) { // as wide as "KB (256000 bytes)" and the like need
        kb->setIndent(7);
        kb->setMaximumWidth(QWIDGETSIZE_MAX); // the column keeps the design width (below)
        kb->setMinimumWidth(0);
        kb->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    }
    sizes->addWidget(num1, 0, 1);
    sizes->addWidget(lblKB1, 0, 2);
    sizes->addWidget(lblAnd, 1, 0);
    sizes->addWidget(num2, 1, 1);
    sizes->addWidget(lblKB2, 1, 2);
    sizes->setColumnMinimumWidth(2, 157);
    for (QWidget* w : std::initializer_list<QWidget*>{lblAnd, num2, lblKB2}) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
        w->hide();
    }
    auto* sizeRow = new QHBoxLayout;
    sizeRow->setSpacing(0);
    sizeRow->addLayout(radios);
    sizeRow->addLayout(sizes);
    sizeRow->setAlignment(sizes, Qt::AlignTop);
    sizeRow->addStretch(1);

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setFixedHeight(2);
    Bevel1->setMinimumWidth(410);

    Label3 = panelLabel(Panel1, "Label3", QStringLiteral("Matching"), 62);
    const MatchRow match = makeMatchRow(Panel1, Label3, 100, 8);
    cbWildCard = match.combo;
    lblWild = match.description;

    QVBoxLayout* area = filterArea();
    area->setContentsMargins(8, 8, 0, 0);
    area->addLayout(sizeRow);
    area->addSpacing(3);
    area->addWidget(Bevel1, 0, Qt::AlignLeft);
    area->addSpacing(10);
    area->addLayout(match.layout);
}

void TfrmDup::buildMenu() {
    static_cast<FinderMenu&>(menu) =
        buildFinderMenu("Sortbysize1", FileRecordSort::items(QStringLiteral("&Access Date")),
                        sorts_.keys(*grid), "N3");
    menu.nameSorts();
    menu.Sortbysize1 = menu.Sort1;
    menu.N3 = menu.separator;
}

// ---- showing, layout

void TfrmDup::FormShow() {
    ClearGrid();
    num1->setValue(250);
    num2->setValue(250);
    lbFiles.clear();
    lbList.clear();
    btScan->setEnabled(true);
    menu.Sortbysize1->setVisible(!duplicates_);
    btExact->setVisible(duplicates_);
    btContents->setVisible(duplicates_);
    if (duplicates_) {
        setWindowTitle(QStringLiteral("Find and delete duplicate files"));
        btScan->setToolTip(QStringLiteral("Duplicates on file name only"));
    } else {
        setWindowTitle(QStringLiteral("Find and delete file hogs"));
        btScan->setToolTip(QStringLiteral("Start scanning for file hogs"));
    }
    btScan->setFocus();

    if (cbWildCard->currentText().isEmpty())
        cbWildCard->setEditText(QStringLiteral("*.*"));
    fillPatternCombo(cbWildCard);
    cbWildCardChange(cbWildCard->currentText());
    lblKB1->setText(KiloToMega(num1->value()));
    lblKB2->setText(KiloToMega(num2->value()));
}

void TfrmDup::FormResize() {
    if (!duplicates_) {
        layoutResultColumns(*grid, fileListColumns(), width());
        return;
    }
    // The described widths scaled to the grid's font; sizes, dates and times are never cut, and
    // the room a wider window gives goes to the name and the folder.
    const QStringList dates = sampleDateTexts();
    using K = ColumnKind;
    std::vector<ColumnPlan> plan{{K::Name, 93},         {K::Figure, 54, sampleSizeTexts()},
                                 {K::Fixed, 64, dates}, {K::Fixed, 70, sampleTimeTexts()},
                                 {K::Fixed, 70, dates}, {K::Path, 184},
                                 {K::Text, 120}};
    if (search_ == Search::Contents)
        plan.push_back({K::Fixed, 60, {QStringLiteral("99,999 (hard link)")}});
    layoutResultColumns(*grid, plan, width());
}

// ---- the grid

QStringList TfrmDup::gridHeader() const {
    if (!duplicates_)
        return fileListHeader();
    QStringList header{"Filename", "Size in K", "Modified", "Time", "Access", "Folder", "Type"};
    if (search_ == Search::Contents)
        header << QStringLiteral("Group");
    return header;
}

void TfrmDup::ClearGrid() {
    clearGrid(gridHeader());
    sorts_.clear();
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
}

void TfrmDup::addContentDups() {
    lbList = records_.sortedList();
    // A walk stopped by the person leaves nothing worth comparing; one stopped by the record
    // limit compares what it found.
    if (engine_.aborted() && !engine_.sinkStopped())
        return;
    comparing_ = true;
    const ContentGroups::Result result =
        grouper_.group(ContentsSearch::candidates(records_, lbList),
                       [this](quint32 rec) { return records_.nativePath(rec); });
    comparing_ = false;
    contents_.take(result, records_.count());
    lbFiles = contents_.rows();
}

void TfrmDup::reSort() {
    lbList = records_.sortedList();
    lbFiles.assign(lbList.rbegin(), lbList.rend());
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

void TfrmDup::scan(Search search) {
    // The grid's rows name records of the store about to be emptied.
    search_ = duplicates_ ? search : Search::Names;
    ClearGrid();
    FormResize();
    lbFiles.clear();
    lbList.clear();
    records_.clear();
    contents_.clear();
    grouper_.clearAbort();
    records_.setKeepIdentity(search_ == Search::Contents);
    records_.setFilter(sizeFilter());
    engine_.setPattern(cbWildCard->currentText());
    // The lists are made on the scan's thread; the grid takes them here.
    session().start(
        [this] {
            if (!duplicates_)
                reSort();
            else if (search_ == Search::Contents)
                addContentDups();
            else
                addDups(search_ == Search::Exact);
        },
        [this](ScanSession::End) {
            addToGrid(lbFiles);
            if (rowCounter > 1)
                grid->setRowCount(rowCounter + 1);
            const int found = int(lbFiles.size());
            const QString figures = formatThousands(found);
            showResults(found, search_ == Search::Contents ? contents_.status()
                               : found == 0                ? QString()
                               : duplicates_ ? figures + QStringLiteral(" duplicates found")
                                             : figures + QStringLiteral(" file hogs found"));
        });
}

bool TfrmDup::sizesInOrder() {
    if (rbBetween->isChecked() && num2->value() < num1->value()) {
        errorBox(QStringLiteral("The second number must be larger or equal than the first number"));
        return false;
    }
    return true;
}

void TfrmDup::btScanClick() {
    if (sizesInOrder())
        scan(Search::Names);
}

void TfrmDup::btExactClick() {
    scan(Search::Exact);
}

void TfrmDup::btContentsClick() {
    if (sizesInOrder())
        scan(Search::Contents);
}

QStringList TfrmDup::lastCopyGroups() const {
    if (!duplicates_ || scanning())
        return {};
    const QSet<QString> marked(lbDeleted().begin(), lbDeleted().end());
    const auto isMarked = [&](quint32 r) { return marked.contains(records_.path(r)); };
    const bool exact = search_ != Search::Names;
    const std::vector<quint32> groups =
        search_ == Search::Contents
            ? wholeMarkedGroups(
                  lbFiles, [this](size_t a, size_t b) { return contents_.sameGroup(a, b); },
                  isMarked)
            : wholeMarkedGroups(records_, lbFiles, exact, isMarked);
    QStringList captions;
    for (quint32 rec : groups)
        captions << groupCaption(records_, rec, exact);
    return captions;
}

FileCheck TfrmDup::deletionCheck() const {
    if (!duplicates_ || scanning() || search_ != Search::Contents)
        return {};
    const QSet<QString> marked(lbDeleted().begin(), lbDeleted().end());
    return sameContentsCheck(contents_.markedCopies(
        records_, [&](quint32 r) { return marked.contains(records_.path(r)); }));
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
    btContents->setEnabled(btScan->isEnabled());
}

void TfrmDup::cbWildCardChange(const QString& text) {
    lblWild->setText(patternDescription(text));
}

// ---- result list operations

void TfrmDup::Sortbysize1Click(QAction* item) {
    if (duplicates_ || grid->rowCount() < 2)
        return;
    BusyCursor busy;
    sorts_.prepare(item, menu);
    sortMenu().sortBy(item);
}

void TfrmDup::btPrintClick() {
    QString title =
        printTitle(duplicates_, sizePhrase(sizeFilter().mode, lblKB1->text(), lblKB2->text()),
                   cbWildCard->currentText(), pnlDrives->tickedCaptions());
    if (search_ == Search::Contents)
        title.insert(title.indexOf(u' '), QStringLiteral(" by contents"));
    printGridWithDialog(*grid, title, this);
}

void TfrmDup::btClipClick() {
    // The records in scan order (largest first for file hogs, whatever the grid's sort).
    QStringList lines;
    lines.reserve(qsizetype(lbFiles.size()));
    for (quint32 rec : lbFiles)
        lines << (search_ == Search::Contents
                      ? records_.line(rec) + u'\t' + contents_.groupText(rec)
                      : records_.line(rec));
    copyLinesToClipboard(lines);
}

void TfrmDup::BrowseDirectory1Click() {
    browseRow(cbWildCard->currentText());
}
