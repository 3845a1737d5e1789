#include "inspect/browse_window.h"

#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/screen_centre.h"
#include "common/ui.h"
#include "common/wild_card.h"
#include "common/win_place.h"
#include "delete/del_directory.h"
#include "delete/folder_delete.h"
#include "delete/really_delete.h"
#include "inspect/details_window.h"
#include "inspect/view_window.h"
#include "platform/date_text.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "widgets/column_width.h"
#include "widgets/folder_tree_model.h"
#include "widgets/push_button.h"
#include "widgets/result_list.h"
#include "widgets/result_menu.h"
#include "widgets/string_grid.h"
#include "widgets/tool_frame.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

namespace {
constexpr int kLeftPanelWidth = 169;
constexpr int kBottomPanelHeight = 34;
// The bottom panel and the left panel at the design size, for the minimum window size.
constexpr int kBottomPanelWidth = 632;
constexpr int kLeftPanelHeight = 353;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kWideButtonWidth = 120;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, int width = kButtonWidth) {
    QPushButton* b = makePushButton(parent, name, caption, hint, width, kButtonHeight);
    b->setFixedSize(b->size());
    return b;
}

QFrame* makePanel(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    return f;
}

QLabel* makeStatusPanel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// The folder that holds `path`; "/" for a folder directly under the root.
QString parentFolder(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

TfrmBrowse::TfrmBrowse(QWidget* owner) : TFormDialog(owner, kToolWindowFlags) {
    setObjectName(QStringLiteral("frmBrowse"));
    setWindowTitle(QStringLiteral("Browse through folders"));
    setSizeGripEnabled(true);
    // The described 640 pixels hold the columns in letters 6 pixels wide on average: the window
    // opens as much wider as its font's letters are, so that its columns fit as described.
    resize(std::max(640, columnWidth(640, fontMetrics())), 433);

    // The drive and its folder tree on the left, the shown folder's files taking the rest of
    // the width; under them the buttons, then the status strip.
    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addWidget(buildDrivePanel());
    middle->addWidget(buildFilePanel(), 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(middle, 1);
    layout->addWidget(buildButtonPanel());
    layout->addWidget(buildStatusStrip());

    setUpGrid();
    buildMenu();
    grid->setPopupMenu(menu.PopupMenu1);
    connectControls();
    fillDriveBox();
    WinPlace1 = makeWinPlace(this, QStringLiteral("frmBrowse"));
}

QFrame* TfrmBrowse::buildDrivePanel() {
    Panel3 = makePanel(this, "Panel3");
    Panel3->setFixedWidth(kLeftPanelWidth);
    auto* left = new QVBoxLayout(Panel3);
    left->setContentsMargins(2, 2, 2, 2);
    DriveComboBox1 = new QComboBox(Panel3);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setAccessibleName(QStringLiteral("Drive"));
    left->addWidget(DriveComboBox1);
    DirectoryListBox1 = new QTreeView(Panel3);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setToolTip(QStringLiteral("Double click to select"));
    DirectoryListBox1->setAccessibleName(QStringLiteral("Folders"));
    DirectoryListBox1->setHeaderHidden(true);
    DirectoryListBox1->setUniformRowHeights(true);
    // Deep folders scroll sideways rather than shortening their names.
    DirectoryListBox1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DirectoryListBox1->header()->setStretchLastSection(false);
    tree_ = new FolderTreeModel(this);
    DirectoryListBox1->setModel(tree_);
    left->addWidget(DirectoryListBox1, 1);
    return Panel3;
}

QFrame* TfrmBrowse::buildFilePanel() {
    Panel5 = makePanel(this, "Panel5");
    auto* right = new QVBoxLayout(Panel5);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    Panel6 = makePanel(Panel5, "Panel6");
    Panel6->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* top = new QHBoxLayout(Panel6);
    top->setContentsMargins(4, 2, 4, 2);
    Label1 = new QLabel(Panel6);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    top->addWidget(Label1);
    right->addWidget(Panel6);
    grid = new StringGrid(Panel5);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setToolTip(QStringLiteral("Double click to mark, right click for options"));
    grid->setAccessibleName(QStringLiteral("Files"));
    right->addWidget(grid, 1);
    return Panel5;
}

QFrame* TfrmBrowse::buildButtonPanel() {
    // "Delete Folder" 10 pixels from the left edge; the others in a row that ends 15 pixels
    // from the right edge, 7 pixels apart; a wider window only widens the gap between the two.
    Panel2 = makePanel(this, "Panel2");
    Panel2->setFixedHeight(kBottomPanelHeight);
    btDeleteDirectory =
        makeButton(Panel2, "btDeleteDirectory", QStringLiteral("Delete &Folder"),
                   QStringLiteral("Delete folder and all files/folders below"), kWideButtonWidth);
    btLaunch = makeButton(Panel2, "btLaunch", QStringLiteral("&Run"),
                          QStringLiteral("Run/launch associated application"));
    btView = makeButton(Panel2, "btView", QStringLiteral("&View"), QStringLiteral("View file"));
    btMark = makeButton(Panel2, "btMark", QStringLiteral("&Mark"),
                        QStringLiteral("Mark/unmark files for deletion"));
    btDeleteFiles = makeButton(Panel2, "btDeleteFiles", QStringLiteral("D&elete marked files"),
                               QStringLiteral("Delete marked files"), kWideButtonWidth);
    btDeleteFiles->setEnabled(false);
    btClose = makeButton(Panel2, "btClose", QStringLiteral("Close"), QString());
    auto* row = new QHBoxLayout(Panel2);
    row->setContentsMargins(10, 0, 15, 0);
    row->setSpacing(7);
    row->addWidget(btDeleteDirectory);
    row->addStretch(1);
    for (QPushButton* b : {btLaunch, btView, btMark, btDeleteFiles, btClose})
        row->addWidget(b);
    return Panel2;
}

QFrame* TfrmBrowse::buildStatusStrip() {
    pnlScan2 = makePanel(this, "pnlScan2");
    auto* status = new QHBoxLayout(pnlScan2);
    status->setContentsMargins(0, 0, 0, 0);
    status->setSpacing(2);
    pnlScan = makeStatusPanel(pnlScan2, "pnlScan");
    status->addWidget(pnlScan, 1);
    // A flat button rather than a label, so the keyboard and a screen reader can press it.
    pnlWild = new QPushButton(pnlScan2);
    pnlWild->setObjectName(QStringLiteral("pnlWild"));
    pnlWild->setToolTip(QStringLiteral("Click to change the wildcard pattern"));
    pnlWild->setFlat(true);
    pnlWild->setAutoDefault(false);
    pnlWild->setStyleSheet(QStringLiteral("text-align: left; padding: 0 3px;"));
    pnlWild->setFixedWidth(141);
    status->addWidget(pnlWild);
    pnlSize = makeStatusPanel(pnlScan2, "pnlSize");
    pnlSize->setFixedWidth(167);
    status->addWidget(pnlSize);
    return pnlScan2;
}

void TfrmBrowse::setUpGrid() {
    // Rows keyed by their entry in the file list, texts made when drawn.
    static const QStringList header{"Modified", "Time", "Access", "Size", "Filename", "Type"};
    grid->setColCount(FolderFiles::ColumnCount);
    for (int c = 0; c < FolderFiles::ColumnCount; ++c)
        grid->setCell(c, 0, header[c]);
    grid->setRowSource([this](quint32 key, int col) { return files_.cell(int(key), col); });
    grid->setRightAligned(FolderFiles::Size, true);
    grid->setTextInset(3);
    marks_ = new ResultList(*grid, this);
    marks_->setNameColumn(FolderFiles::Filename);
    marks_->setPathOfRow([this](int row) { return pathOfRow(row); });
    // Blank rows (an empty folder) are never marked: their path would be the folder itself.
    marks_->setRowLimit([this] { return files_.count(); });
    marks_->setStatusPrefix(QStringLiteral("Marked for deletion: "));
    marks_->setStatusSink([this](const QString& s) { pnlScan->setText(s); });
    marks_->setDeleteButton(btDeleteFiles);
}

void TfrmBrowse::connectControls() {
    connect(DriveComboBox1, &QComboBox::activated, this, &TfrmBrowse::DriveComboBox1Change);
    connect(DirectoryListBox1, &QTreeView::activated, this,
            &TfrmBrowse::DirectoryListBox1Activated);
    connect(grid, &StringGrid::cellDoubleClicked, this, &TfrmBrowse::gridDblClick);
    connect(btDeleteDirectory, &QPushButton::clicked, this, &TfrmBrowse::btDeleteDirectoryClick);
    connect(btLaunch, &QPushButton::clicked, this, &TfrmBrowse::btLaunchClick);
    connect(btView, &QPushButton::clicked, this, &TfrmBrowse::btViewClick);
    connect(btMark, &QPushButton::clicked, this, &TfrmBrowse::btMarkClick);
    connect(btDeleteFiles, &QPushButton::clicked, this, &TfrmBrowse::btDeleteFilesClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmBrowse::reject);
    connect(pnlWild, &QPushButton::clicked, this, &TfrmBrowse::pnlWildClick);
}

void TfrmBrowse::fillDriveBox() {
    // The drives, the current one (that of the home folder) chosen, shown at its home folder.
    const std::vector<Drive> drives = driveList();
    QStringList roots;
    for (const Drive& d : drives)
        roots << d.root;
    const int room = kLeftPanelWidth - 40;
    const QStringList captions = driveCaptions(
        roots, std::vector<int>(std::size_t(roots.size()), room), DriveComboBox1->fontMetrics());
    for (qsizetype i = 0; i < roots.size(); ++i) {
        DriveComboBox1->addItem(captions[i], roots[i]);
        DriveComboBox1->setItemData(int(i), roots[i], Qt::ToolTipRole);
        DriveComboBox1->setItemData(int(i), roots[i], Qt::AccessibleTextRole);
    }
    const int current = currentDriveIndex(drives);
    if (current >= 0) {
        const QString home = QDir::homePath();
        const std::optional<Drive> homeDrive = driveOf(home);
        setFolder(homeDrive && homeDrive->root == roots[current] ? home : roots[current]);
    }
}

TfrmBrowse::~TfrmBrowse() {
    WinPlace1->savePlacement();
    delete WinPlace1;
}

void TfrmBrowse::buildMenu() {
    ResultMenuBuilder b(this);
    menu.PopupMenu1 = b.menu();
    menu.Details1 = b.item("Details1", QStringLiteral("Details"));
    menu.Sort1 = b.beginSubmenu("Sort1", QStringLiteral("Sort"));
    std::vector<SortChoice> choices = b.sortItems({
        {"Name1", QStringLiteral("Name"), FolderFiles::Filename, SortKind::Text, false},
        {"ModifiedDate1", QStringLiteral("Modified &Date"), FolderFiles::Modified, SortKind::Date,
         true},
        {"AccessDate1", QStringLiteral("&Access Date"), FolderFiles::Access, SortKind::Date, true},
        {"Size1", QStringLiteral("&Size"), FolderFiles::Size, SortKind::Number, true},
        {"Type1", QStringLiteral("&Type"), FolderFiles::Type, SortKind::Text, false},
    });
    b.endSubmenu();
    // The keys come from the listed entries, not from the cell texts: the same order the
    // texts give (a date's day, the size, the upper-cased name and type), without making them.
    using Key = double (FolderFiles::*)(int) const;
    const Key keys[] = {&FolderFiles::nameKey, &FolderFiles::modifiedDateKey,
                        &FolderFiles::accessDateKey, &FolderFiles::sizeKey, &FolderFiles::typeKey};
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const Key key = keys[i];
        choices[i].key = [this, key](int row) {
            return grid->isKeyedRow(row) ? (files_.*key)(int(grid->rowKey(row))) : 0.0;
        };
    }
    menu.Name1 = choices[0].action;
    menu.ModifiedDate1 = choices[1].action;
    menu.AccessDate1 = choices[2].action;
    menu.Size1 = choices[3].action;
    menu.Type1 = choices[4].action;
    for (const SortChoice& c : choices) {
        QAction* a = c.action;
        connect(a, &QAction::triggered, this, [this, a] { Sortbyname1Click(a); });
    }
    sortMenu_ = std::make_unique<GridSortMenu>(*grid, std::move(choices));
    // The Mark submenu, with this window's own handlers rather than the shared ones.
    menu.Mark1 = b.beginSubmenu("Mark1", QStringLiteral("Mark"));
    connect(b.item("Markall2", QStringLiteral("Mark all")), &QAction::triggered, this,
            &TfrmBrowse::Markall2Click);
    connect(b.item("Unmarkall2", QStringLiteral("Unmark all")), &QAction::triggered, this,
            &TfrmBrowse::Unmarkall2Click);
    b.endSubmenu();
    menu.N1 = b.separator("N1");
    menu.Run1 = b.item("Run1", QStringLiteral("Run"));
    menu.View1 = b.item("View1", QStringLiteral("View"));
    connect(menu.Details1, &QAction::triggered, this, &TfrmBrowse::Details1Click);
    connect(menu.Run1, &QAction::triggered, this, &TfrmBrowse::btLaunchClick);
    connect(menu.View1, &QAction::triggered, this, &TfrmBrowse::btViewClick);
}

// ---- opening, showing, layout

void TfrmBrowse::setFolder(const QString& folder) {
    const std::optional<Drive> drive = driveOf(folder);
    int index = drive ? DriveComboBox1->findData(drive->root) : -1;
    if (index < 0)
        return;
    driveIndex_ = index;
    DriveComboBox1->setCurrentIndex(index);
    if (tree_->root() != drive->root)
        tree_->setRoot(drive->root);
    folder_ = folder;
    if (formShown())
        DirectoryListBox1Change();
}

void TfrmBrowse::setMask(const QString& mask) {
    mask_ = mask.isEmpty() ? QStringLiteral("*.*") : mask;
}

void TfrmBrowse::FormShow() {
    pnlWild->setText(QStringLiteral("Wildcard : ") + mask_);
    DirectoryListBox1Change();
    if (!selectName_.isEmpty()) {
        for (int row = 1; row <= files_.count(); ++row)
            if (files_.entry(int(grid->rowKey(row))).name == selectName_)
                grid->setCurrentRow(row);
    }

    const double dpi = logicalDpiX();
    const QScreen* s = screen();
    QSize minimum = minimumWindowSize(QRect(0, 0, kBottomPanelWidth, 0), dpi,
                                      s ? s->availableGeometry().width() : 1 << 20);
    minimum.setHeight(int(kLeftPanelHeight / 2 * dpi / 96.0));
    setMinimumSize(minimum);
    centreOnScreen(this);
    FormResize();
    WinPlace1->restorePlacement();
}

void TfrmBrowse::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmBrowse::FormResize() {
    // The described widths scaled to the grid's font; dates, times and sizes are never cut, and
    // the room a wider window gives goes to the name. The grid takes the window's width beside
    // the left panel (its own width lags behind while the window is being laid out).
    const QStringList dates = sampleDateTexts();
    using K = ColumnKind;
    layoutResultColumns(*grid,
                        {{K::Fixed, 69, dates},
                         {K::Fixed, 66, sampleTimeTexts()},
                         {K::Fixed, 66, dates},
                         {K::Figure, 61, {formatThousands(999'999'999)}},
                         {K::Name, 120},
                         {K::Text, 120}},
                        width() - Panel3->width());
}

// ---- folders

QString TfrmBrowse::driveRoot() const {
    return DriveComboBox1->itemData(driveIndex_).toString();
}

void TfrmBrowse::DriveComboBox1Change(int index) {
    const QString root = DriveComboBox1->itemData(index).toString();
    bool ready = false;
    try {
        ready = isDriveReady(root);
    } catch (const InvalidDriveId&) {
    }
    if (!ready) {
        // The drive box goes back to the drive that is shown.
        DriveComboBox1->setCurrentIndex(driveIndex_);
        return;
    }
    setFolder(root);
}

void TfrmBrowse::DirectoryListBox1Activated(const QModelIndex& index) {
    const QString path = tree_->pathOf(index);
    if (path.isEmpty())
        return;
    folder_ = path;
    DirectoryListBox1Change();
}

void TfrmBrowse::showTreeFolder() {
    const QModelIndex index = tree_->indexOf(folder_);
    if (!index.isValid())
        return;
    QTreeView* view = DirectoryListBox1;
    view->expand(index);
    view->setCurrentIndex(index);
    // The folder comes into view in the middle, the view scrolled as far left as lets its
    // name begin in the left half, so the starts of the folder names show. Centring alone
    // would scroll sideways to the middle of the widest name.
    view->scrollTo(index, QAbstractItemView::PositionAtCenter);
    view->resizeColumnToContents(0); // the header would size it only later
    QScrollBar* sideways = view->horizontalScrollBar();
    sideways->setValue(0);
    const int start = view->visualRect(index).left();
    const int half = view->viewport()->width() / 2;
    if (start > half)
        sideways->setValue(start - half);
}

void TfrmBrowse::DirectoryListBox1Change() {
    bool ready = false;
    try {
        ready = isDriveReady(driveRoot());
    } catch (const InvalidDriveId&) {
    }
    if (!ready)
        return;
    btDeleteFiles->setEnabled(false);
    marks_->clearAllMarks();
    {
        BusyCursor busy;
        FillGrid();
        // A folder that has gone since it was shown: the nearest folder above it that is
        // still there is shown instead, and the tree forgets the folders that went.
        const QString root = tree_->root();
        while (files_.error() == ENOENT && folder_ != root && folder_.size() > root.size()) {
            folder_ = parentFolder(folder_);
            tree_->refresh(tree_->indexOf(folder_));
            FillGrid();
        }
        QAction* sorted = sortMenu_->checkedItem();
        if (sorted && sorted != menu.Name1)
            sortMenu_->sortBy(sorted);
    }
    showTreeFolder();
    Label1->setText(escapeForLine(folder_));
    pnlScan->setText(QStringLiteral("Number of files : ") + QString::number(files_.count()));
    pnlSize->setText(QStringLiteral("Total size : ") + formatThousands(files_.totalSize()));
    if (files_.error() != 0 && files_.error() != ENOENT)
        errorBox(QStringLiteral("The folder %1 cannot be read (%2).")
                     .arg(escapeForLine(folder_),
                          QString::fromLocal8Bit(std::strerror(files_.error()))));
}

void TfrmBrowse::FillGrid() {
    files_.read(folder_, mask_);
    const int n = files_.count();
    grid->clearCells();
    grid->setRowCount(std::max(n, 1) + 1);
    std::vector<quint32> keys(std::size_t(n), 0);
    for (int i = 0; i < n; ++i)
        keys[std::size_t(i)] = quint32(i);
    grid->setKeyedRows(1, keys);
}

QString TfrmBrowse::pathOfRow(int row) const {
    if (row < 1 || row > files_.count() || !grid->isKeyedRow(row))
        return QString();
    return files_.path(int(grid->rowKey(row)));
}

const QStringList& TfrmBrowse::lbDeleted() const {
    return marks_->lbDeleted;
}

// ---- marks and sorts

void TfrmBrowse::btMarkClick() {
    const int row = grid->currentRow();
    if (row > 0 && !grid->cell(FolderFiles::Filename, row).isEmpty()) {
        marks_->deleteOneFile(row);
        if (row < grid->rowCount() - 1)
            grid->setCurrentRow(row + 1);
    }
    marks_->updateDeleteButton();
}

void TfrmBrowse::gridDblClick() {
    // The name cell, as the Mark button tests it: a file without an extension has no type.
    const int row = grid->currentRow();
    if (row > 0 && !grid->cell(FolderFiles::Filename, row).isEmpty())
        marks_->deleteOneFile(row);
    marks_->updateDeleteButton();
}

void TfrmBrowse::Markall2Click() {
    marks_->Markall1Click();
}

void TfrmBrowse::Unmarkall2Click() {
    marks_->Unmarkall1Click();
}

void TfrmBrowse::Sortbyname1Click(QAction* item) {
    if (grid->rowCount() < 2)
        return;
    sortMenu_->sortBy(item);
}

// ---- deleting

void TfrmBrowse::btDeleteFilesClick() {
    if (marks_->markedCount() == 0)
        return;
    {
        TfrmReallyDelete dlg(this);
        dlg.setMarks(marks_->marked());
        ui().showModal(dlg);
    }
    DirectoryListBox1Change();
}

void TfrmBrowse::btDeleteDirectoryClick() {
    const QString path = folder_;
    if (path == u"/" || isMountPoint(path)) {
        errorBox(QStringLiteral(
            "Cannot delete the root folder! To delete a folder including all files and "
            "sub-folders double click on the desired folder shown in the left panel."));
        return;
    }
    if (isProtectedFolder(path)) {
        errorBox(QStringLiteral("You cannot delete the folder %1 using Zelkova 95: the system "
                                "or your home folder needs it.")
                     .arg(escapeForLine(path)));
        return;
    }
    const std::optional<bool> choice = askDeleteDirectory(this, path);
    if (!choice)
        return;
    const bool recycle = *choice;
    folder_ = parentFolder(path);
    if (!removeEmptyFolder(path)) {
        qint64 files = 0;
        qint64 bytes = 0;
        const bool complete = deleteFolder(path, files, bytes, recycle);
        if (files > 0)
            infoBox(QStringLiteral("Deleted ") + formatThousands(files) +
                    QStringLiteral(" files for a savings of ") + formatThousands(bytes) +
                    QStringLiteral(" bytes.") +
                    (complete ? QString()
                              : QStringLiteral(" (Note: Deletion operation canceled ... not all "
                                               "files deleted)")));
    }
    tree_->refresh(tree_->indexOf(folder_));
    DirectoryListBox1Change();
}

// ---- acting on one file

std::optional<DirEntry> TfrmBrowse::currentEntry(QString& path) const {
    path = pathOfRow(grid->currentRow());
    if (path.isEmpty())
        return std::nullopt;
    return statPathLinkFree(path);
}

QString TfrmBrowse::currentRegularFile() {
    QString path;
    const std::optional<DirEntry> now = currentEntry(path);
    if (!now || (now->attributes & (faDirectory | faSysFile))) {
        // A link is never followed: running or viewing it would open what it leads to.
        if (now && now->link)
            infoBox(QStringLiteral("%1 is a symbolic link to %2. Links are not followed.")
                        .arg(escapeForLine(now->name), escapeForLine(now->linkTarget)));
        return QString();
    }
    return path;
}

void TfrmBrowse::btLaunchClick() {
    const QString path = currentRegularFile();
    if (path.isEmpty())
        return;
    if (!openWithDefaultApp(path))
        errorBox(QStringLiteral("Couldn't run ") +
                 escapeForLine(files_.entry(int(grid->rowKey(grid->currentRow()))).name));
}

void TfrmBrowse::btViewClick() {
    const QString path = currentRegularFile();
    if (!path.isEmpty())
        viewFile(path, this);
}

void TfrmBrowse::Details1Click() {
    // The details describe the entry itself, whatever its kind, and never open a link, FIFO
    // or device.
    QString path;
    const std::optional<DirEntry> now = currentEntry(path);
    if (now && !(now->attributes & faDirectory))
        showDetails(path, this);
}

void TfrmBrowse::pnlWildClick() {
    {
        TfrmWildCard dlg(this);
        dlg.cbWildCard->setEditText(mask_);
        if (ui().showModal(dlg) == QDialog::Accepted) {
            setMask(dlg.cbWildCard->currentText());
            DirectoryListBox1Change();
        }
    }
    pnlWild->setText(QStringLiteral("Wildcard : ") + mask_);
}

// ---- closing

bool TfrmBrowse::FormCloseQuery() {
    if (marks_->markedCount() <= 0)
        return true;
    return ui().askYesNo(QStringLiteral("You have ") + QString::number(marks_->markedCount()) +
                         QStringLiteral(" files marked for deletion. ") +
                         QStringLiteral("Do you really wish to exit without deleting?")) ==
           Answer::Yes;
}

void TfrmBrowse::reject() {
    if (FormCloseQuery())
        QDialog::reject();
}

void browseFolder(QWidget* parent, const QString& folder, const QString& fileName,
                  const QString& mask) {
    TfrmBrowse window(parent);
    if (!folder.isEmpty())
        window.setFolder(folder);
    window.selectFile(fileName);
    window.setMask(mask);
    ui().showModal(window);
}
