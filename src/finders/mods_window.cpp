#include "finders/mods_window.h"

#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/ui.h"
#include "finders/date_fields.h"
#include "platform/date_text.h"
#include "platform/drives.h"
#include "widgets/column_width.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <numeric>

namespace {
FinderLook modsLook() {
    FinderLook look;
    look.objectName = "frmMods";
    look.size = QSize(636, 420);
    look.panelHeight = 171;
    look.buttonLeft = 4;
    look.buttonTop = 140;
    look.drivesRight = 10;
    look.statusName = "pnlScan";
    look.gridTip = QStringLiteral("Double click to mark for deletion, right click for options");
    look.gridName = QStringLiteral("Files in a range of dates");
    look.deleteKey = false;
    look.markHint = QStringLiteral("Mark files for deletion");
    look.abortHint = QStringLiteral("Browse file and directory");
    look.browseHint = QStringLiteral("Browse through files");
    // The date window keeps its placement in a file of its own: under the program's section
    // of "zelkova.ini" the key "frmMods" is the cleaner's.
    look.placeFile = QStringLiteral("zelkova95");
    look.placeIdentifier = QStringLiteral("frmMods");
    return look;
}

QRadioButton* makeRadio(QGroupBox* group, QBoxLayout* layout, const char* name,
                        const QString& caption) {
    auto* rb = new QRadioButton(caption, group);
    rb->setObjectName(QLatin1String(name));
    layout->addWidget(rb);
    return rb;
}

} // namespace

TfrmMods::TfrmMods(QWidget* owner) : FinderWindow(owner, modsLook()), noAtimeTest(mountedNoAtime) {
    setWindowTitle(QStringLiteral("Files in a range of dates"));
    buildDateFilter();
    btOK =
        makeRowButton("btOK", QStringLiteral("&Start"), QStringLiteral("Start scanning for files"));
    btOK->setDefault(true);
    setStartButtons({btOK});
    pnlScan = statusLine();
    lblNotice = new QLabel(this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    lblNotice->setWordWrap(true);
    lblNotice->setContentsMargins(4, 2, 4, 2);
    lblNotice->hide();
    frameLayout()->insertWidget(frameLayout()->indexOf(pnlBase), lblNotice);

    grid->setRowSource([this](quint32 key, int col) { return records_.field(key, col); });
    marks().setNameColumn(0);
    setRecordPath([this](quint32 rec) { return records_.path(rec); });
    buildMenu();

    // The pattern is read once when the scan starts, so it is locked with the dates.
    makeSession({btOK, btClose, pnlDrives, dtStart, dtEnd, popStartDate, popEndDate, cbWildCard});
    records_.onRefused = [this] { session().stopAtLimit(); };
    records_.accept = [this](const ScanFile& f) {
        const std::lock_guard lock(dateMutex_);
        return range_.passes(fileStamp(f, kind_));
    };
    engine_.setSink(&records_);

    connect(btOK, &QPushButton::clicked, this, &TfrmMods::btOKClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmMods::btBrowseClick);
    // The stamp and the range stay live during a scan: each file is tested by what they say
    // when it is found.
    for (QRadioButton* rb : {rbAccessed, rbCreated, rbModified})
        connect(rb, &QRadioButton::toggled, this, [this] { setDateTest(dateKind(), range_); });
    for (QRadioButton* rb : {rbBefore, rbBetween, rbAfter})
        connect(rb, &QRadioButton::toggled, this, &TfrmMods::rgWhenClick);
    connect(popStartDate, &QToolButton::clicked, this, &TfrmMods::popStartDateClick);
    connect(popEndDate, &QToolButton::clicked, this, &TfrmMods::popEndDateClick);
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmMods::cbWildCardChange);
    connect(pnlDrives, &TDrivePanel::boxClicked, this, &TfrmMods::cb1Click);
}

void TfrmMods::buildDateFilter() {
    rgWhat = new QGroupBox(QStringLiteral("Search for files that were"), Panel1);
    rgWhat->setObjectName(QStringLiteral("rgWhat"));
    // Margins as small as the design size lets them be: the boxes keep that size.
    auto* whatRow = new QHBoxLayout(rgWhat);
    whatRow->setContentsMargins(8, 1, 8, 0);
    rbAccessed = makeRadio(rgWhat, whatRow, "rbAccessed", QStringLiteral("Last accessed"));
    rbCreated = makeRadio(rgWhat, whatRow, "rbCreated", QStringLiteral("Created"));
    rbModified = makeRadio(rgWhat, whatRow, "rbModified", QStringLiteral("Last modified"));
    rbAccessed->setChecked(true);
    rbCreated->setToolTip(QStringLiteral(
        "The birth time where the file system records it, else the time of the last change "
        "to the file's entry"));
    fixAtLeast(rgWhat, 410, 44);

    rgWhen = new QGroupBox(Panel1);
    rgWhen->setObjectName(QStringLiteral("rgWhen"));
    auto* whenColumn = new QVBoxLayout(rgWhen);
    whenColumn->setContentsMargins(8, 2, 4, 1);
    whenColumn->setSpacing(0);
    rbBefore = makeRadio(rgWhen, whenColumn, "rbBefore", QStringLiteral("On or Before"));
    rbBetween = makeRadio(rgWhen, whenColumn, "rbBetween", QStringLiteral("In between"));
    rbAfter = makeRadio(rgWhen, whenColumn, "rbAfter", QStringLiteral("On or After"));
    rbBetween->setChecked(true);
    fixAtLeast(rgWhen, 120, 72);

    auto* whenRow = new QHBoxLayout;
    whenRow->setSpacing(8);
    whenRow->addWidget(rgWhen, 0, Qt::AlignTop);
    auto* fields = new QVBoxLayout;
    fields->setContentsMargins(0, 8, 0, 0);
    fields->setSpacing(12);
    fields->addLayout(makeDateRangeRow(Panel1, dtStart, popStartDate, lblAnd, dtEnd, popEndDate));
    dates_ = new DateFields(*this, *dtStart, *dtEnd);
    Label1 = panelLabel(Panel1, "Label1", QStringLiteral("Wildcard match"), 98, 2);
    const MatchRow match = makeMatchRow(Panel1, Label1, 90, 4);
    cbWildCard = match.combo;
    cbWildCard->setMaxVisibleItems(14);
    lblWild = match.description;
    fields->addLayout(match.layout);
    fields->addStretch(1);
    whenRow->addLayout(fields);

    QVBoxLayout* area = filterArea();
    area->setContentsMargins(4, 2, 0, 0);
    area->setSpacing(2);
    area->addWidget(rgWhat);
    area->addLayout(whenRow);
}

void TfrmMods::buildMenu() {
    // Keys from the records' numbers: a million rows sort without making their texts, and
    // dates sort as days, whatever the short date form.
    const auto key = [this](int row) { return grid->rowKey(row); };
    static_cast<FinderMenu&>(menu) = buildFinderMenu(
        "Sort1",
        {{"Sortbyname1", QStringLiteral("&Name"), 0, SortKind::Text, false},
         {"AccessDate1", QStringLiteral("Access &Date"), 1, SortKind::Date, true},
         {"CreationDate1", QStringLiteral("&Creation Date"), 2, SortKind::Date, true},
         {"ModificationDate1", QStringLiteral("&Modification Date"), 3, SortKind::Date, true},
         {"Folder1", QStringLiteral("&Folder"), 4, SortKind::Text, false},
         {"Type1", QStringLiteral("&Type"), 5, SortKind::Text, false}},
        {[this, key](int row) { return double(nameRank_[key(row)]); },
         [this, key](int row) { return records_.accessDateKey(key(row)); },
         [this, key](int row) { return records_.creationDateKey(key(row)); },
         [this, key](int row) { return records_.writeDateKey(key(row)); },
         [this, key](int row) { return double(folderRank_[key(row)]); },
         [this, key](int row) { return double(typeRank_[records_.typeIndex(key(row))]); }},
        "N1");
    menu.N1 = menu.separator;
    menu.Sortbyname1 = menu.sorts[0];
    menu.AccessDate1 = menu.sorts[1];
    menu.CreationDate1 = menu.sorts[2];
    menu.ModificationDate1 = menu.sorts[3];
    menu.Folder1 = menu.sorts[4];
    menu.Type1 = menu.sorts[5];
}

// ---- showing, layout

void TfrmMods::FormShow() {
    dtStart->setText(todayText());
    dtEnd->setText(todayText());
    btOK->setEnabled(pnlDrives->anyTicked());
    btOK->setFocus();
    ClearGrid();
    fillPatternCombo(cbWildCard);
    cbWildCardChange(cbWildCard->currentText());
    rgWhenClick();
}

void TfrmMods::FormResize() {
    const QStringList dates = sampleDateTexts();
    using K = ColumnKind;
    layoutResultColumns(*grid,
                        {{K::Name, 120},
                         {K::Fixed, 68, dates},
                         {K::Fixed, 68, dates},
                         {K::Fixed, 68, dates},
                         {K::Path, 189},
                         {K::Text, 120}},
                        width());
}

// ---- the grid and the scan

TfrmMods::~TfrmMods() {
    session().halt(); // the walk fills records_, which go before the shell
}

void TfrmMods::ClearGrid() {
    clearGrid({"Filename", "Accessed", "Created", "Modified", "Folder", "Type"});
    nameRank_.clear();
    folderRank_.clear();
    typeRank_.clear();
}

DateKind TfrmMods::dateKind() const {
    return rbCreated->isChecked()    ? DateKind::Created
           : rbModified->isChecked() ? DateKind::Modified
                                     : DateKind::Accessed;
}

DateRange TfrmMods::dateRange() const {
    const DateWhen when = rbBefore->isChecked()  ? DateWhen::Before
                          : rbAfter->isChecked() ? DateWhen::After
                                                 : DateWhen::Between;
    return DateRange(when, parseShortDate(dtStart->text()), parseShortDate(dtEnd->text()));
}

void TfrmMods::btOKClick() {
    // A bad date is reported by its field, never scanned as some other day.
    if (!parseShortDate(dtStart->text()).isValid()) {
        errorBox(QStringLiteral("Invalid start date"));
        dtStart->setFocus();
        return;
    }
    if (rbBetween->isChecked() && !parseShortDate(dtEnd->text()).isValid()) {
        errorBox(QStringLiteral("Invalid ending date"));
        dtEnd->setFocus();
        return;
    }
    ClearGrid();
    scan();
}

void TfrmMods::scan() {
    records_.clear();
    setDateTest(dateKind(), dateRange());
    engine_.setPattern(cbWildCard->currentText());
    showNotice();
    session().start({}, [this](ScanSession::End) {
        std::vector<quint32> keys(records_.count());
        std::iota(keys.begin(), keys.end(), 0u);
        if (!keys.empty())
            grid->setKeyedRows(1, keys);
        rowCounter = int(keys.size());
        grid->setRowCount(rowCounter >= 2 ? rowCounter + 1 : 2);
        // Every search ends with its count, a stopped one too.
        showResults(rowCounter, QStringLiteral("Found : ") + formatThousands(rowCounter));
    });
}

void TfrmMods::setDateTest(DateKind kind, const DateRange& range) {
    const std::lock_guard lock(dateMutex_);
    kind_ = kind;
    range_ = range;
}

void TfrmMods::showNotice() {
    // Said once per scan, in a line of its own, so no other text is replaced.
    QStringList still;
    for (const QString& root : pnlDrives->tickedRoots())
        if (noAtimeTest && noAtimeTest(root))
            still << root;
    lblNotice->setText(
        still.isEmpty()
            ? QString()
            : QStringLiteral("Last-access dates are not kept up to date on %1 (mounted noatime).")
                  .arg(still.join(QStringLiteral(", "))));
    lblNotice->setVisible(!still.isEmpty());
}

// ---- controls of the top panel

void TfrmMods::rgWhenClick() {
    const bool between = rbBetween->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{lblAnd, dtEnd, popEndDate})
        w->setVisible(between);
    if (session().scanning() && parseShortDate(dtStart->text()).isValid())
        setDateTest(kind_, dateRange());
}

void TfrmMods::cbWildCardChange(const QString& text) {
    lblWild->setText(patternDescription(text));
}

void TfrmMods::cb1Click() {
    btOK->setEnabled(pnlDrives->anyTicked());
}

void TfrmMods::dtStartExit() {
    dates_->startExit();
}

void TfrmMods::dtEndExit() {
    dates_->endExit();
}

void TfrmMods::popStartDateClick() {
    dates_->pick(true);
}

void TfrmMods::popEndDateClick() {
    dates_->pick(false);
}

// ---- result list operations

QString TfrmMods::printTitle() const {
    const DateKind k = dateKind();
    const QString stamp = k == DateKind::Accessed  ? QStringLiteral("Last accessed")
                          : k == DateKind::Created ? QStringLiteral("Created")
                                                   : QStringLiteral("Modified");
    const QString range = rbBefore->isChecked()  ? QStringLiteral("before ") + dtStart->text()
                          : rbAfter->isChecked() ? QStringLiteral("after ") + dtStart->text()
                                                 : QStringLiteral("between ") + dtStart->text() +
                                                       QStringLiteral(" and ") + dtEnd->text();
    return QStringLiteral("Files ") + stamp + u' ' + range;
}

void TfrmMods::btPrintClick() {
    printGridWithDialog(*grid, printTitle(), this);
}

void TfrmMods::btClipClick() {
    QStringList lines;
    lines.reserve(rowCounter);
    for (int r = 1; r <= rowCounter; ++r)
        lines << records_.line(grid->rowKey(r));
    copyLinesToClipboard(lines);
}

void TfrmMods::btBrowseClick() {
    browseRow(QStringLiteral("*.*"));
}

void TfrmMods::Sortbyname1Click(QAction* item) {
    if (grid->rowCount() < 2 || rowCounter == 0)
        return;
    BusyCursor busy;
    if (item == menu.Sortbyname1 && nameRank_.empty())
        nameRank_ = records_.nameRanks();
    if (item == menu.Folder1 && folderRank_.empty())
        folderRank_ = records_.folderRanksOfRecords();
    if (item == menu.Type1 && typeRank_.empty())
        typeRank_ = records_.typeRanks();
    sortMenu().sortBy(item);
}
