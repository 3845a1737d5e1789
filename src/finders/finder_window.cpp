#include "finders/finder_window.h"

#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/screen_centre.h"
#include "common/ui.h"
#include "common/win_place.h"
#include "finders/unread_folders.h"
#include "widgets/push_button.h"
#include "widgets/string_grid.h"
#include "widgets/tool_frame.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kPanelWidth = 632; // the top panel at the design size
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 28;
constexpr int kButtonGap = 3;
} // namespace

void fixAtLeast(QWidget* w, int width, int height) {
    w->setFixedSize(w->minimumSizeHint().expandedTo(QSize(width, height)));
}

QLabel* panelLabel(QWidget* parent, const char* name, const QString& text, int width, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFixedWidth(std::max(width, l->minimumSizeHint().width() + 2)); // 2: a gap after it
    l->setContentsMargins(0, top, 0, 0);
    return l;
}

MatchRow makeMatchRow(QWidget* parent, QLabel* caption, int comboWidth, int gap) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cbWildCard"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
    combo->setAccessibleName(caption->text());
    fixAtLeast(combo, comboWidth, 24);
    combo->setEditText(QStringLiteral("*.*"));
    caption->setBuddy(combo);

    auto* description = new QLabel(QStringLiteral("All files"), parent);
    description->setObjectName(QStringLiteral("lblWild"));
    description->setContentsMargins(0, caption->contentsMargins().top(), 0, 0);
    description->setIndent(gap);
    description->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(caption);
    row->addWidget(combo);
    row->addWidget(description, 1);
    return {combo, description, row};
}

FinderWindow::FinderWindow(QWidget* owner, const FinderLook& look)
    : QDialog(owner, kToolWindowFlags), look_(look) {
    setObjectName(QLatin1String(look.objectName));
    resize(look.size);
    buildPanel(look);

    WinPlace1 = new TWinPlace(this);
    WinPlace1->IniFileName = look.placeFile;
    if (!look.placeSection.isEmpty())
        WinPlace1->Section = look.placeSection;
    WinPlace1->Identifier = look.placeIdentifier;
}

FinderWindow::~FinderWindow() {
    session_->halt();
    WinPlace1->savePlacement();
    delete WinPlace1;
}

void FinderWindow::buildPanel(const FinderLook& look) {
    const ToolFrame frame = buildToolFrame(*this, look.panelHeight);
    frameLayout_ = frame.layout;
    Panel1 = frame.Panel1;

    // The tool's filter controls take the panel's top left, up to the drive row; the drive
    // panel keeps to the top right corner and the button row to the bottom, whatever the
    // window's width.
    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* top = new QHBoxLayout;
    top->setSpacing(0);
    filterArea_ = new QVBoxLayout;
    filterArea_->setSpacing(0);
    top->addLayout(filterArea_, 1);
    driveRow_ = new QHBoxLayout;
    driveRow_->setContentsMargins(0, 8, look.drivesRight, 0);
    driveRow_->setSpacing(10);
    top->addLayout(driveRow_);
    column->addLayout(top);
    column->addStretch(1);
    buttonRow_ = new QHBoxLayout;
    buttonRow_->setContentsMargins(look.buttonLeft, 0, 0,
                                   look.panelHeight - look.buttonTop - kButtonHeight);
    buttonRow_->setSpacing(kButtonGap);
    column->addLayout(buttonRow_);
}

void FinderWindow::buildRow(const FinderLook& look, std::initializer_list<QPushButton*> starts) {
    // Made after the tool's panel controls, so that Tab reaches them in the order of old:
    // the tool's controls, the drives, the start buttons, the rest of the row, the grid.
    filterArea_->addStretch(1);
    pnlDrives = new TDrivePanel(Panel1);
    driveRow_->addWidget(pnlDrives, 0, Qt::AlignTop);
    for (QPushButton* b : starts) {
        // Taken out and put back: a widget given a parent goes to the end of the Tab order.
        b->setParent(nullptr);
        b->setParent(Panel1);
    }
    btClose = makeRowButton("btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
    btAbort = makeRowButton("btAbort", QStringLiteral("&Abort"), look.abortHint);
    if (look.marks)
        btMark = makeRowButton("btMark", QStringLiteral("&Mark"), look.markHint);
    btDelete = makeRowButton("btDelete", look.deleteCaption, look.deleteHint);
    btPrint = makeRowButton("btPrint", QStringLiteral("&Print"), look.printHint);
    btClip = makeRowButton("btClip", QStringLiteral("C&lipboard"), look.clipHint);
    btBrowse = makeRowButton("btBrowse", QStringLiteral("&Browse"), look.browseHint);
    // Shown once a scan has found something; hidden now, so the row asks no room for them.
    for (QPushButton* b : resultButtons())
        b->hide();
    btAbort->hide();
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btDelete, &QPushButton::clicked, this, &FinderWindow::btDeleteClick);
    connect(btPrint, &QPushButton::clicked, this, &FinderWindow::btPrintClick);
    connect(btClip, &QPushButton::clicked, this, &FinderWindow::btClipClick);
}

void FinderWindow::buildGrid(const FinderLook& look) {
    grid = new StringGrid(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setToolTip(look.gridTip);
    grid->setAccessibleName(look.gridName);
    frameLayout_->addWidget(grid, 1);
    status_ = makeStatusLine(this, &pnlBase);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    status_->setObjectName(QLatin1String(look.statusName));
    status_->installEventFilter(this);
    frameLayout_->addWidget(pnlBase);
    if (!look.marks)
        return;

    marks_ = new ResultList(*grid, this);
    marks_->setPathOfRow([this](int row) {
        // The record's exact path, never one rebuilt from the cells.
        return grid->isKeyedRow(row) && recordPath_ ? recordPath_(grid->rowKey(row)) : QString();
    });
    marks_->setRowLimit([this] { return rowCounter; });
    marks_->setStatusSink([this](const QString& s) { status_->setText(s); });
    marks_->setDeleteButton(btDelete);
    btDelete->setEnabled(false);
    rows_ = std::make_unique<RowActions>(*this, *marks_, openers_);
    connect(btMark, &QPushButton::clicked, marks_, &ResultList::DeleteAllFiles);
    connect(grid, &StringGrid::cellDoubleClicked, marks_, &ResultList::gridDblClick);
    if (look.deleteKey) {
        connect(grid, &StringGrid::keyReleased, this, [this](int key) {
            if (key == Qt::Key_Delete)
                marks_->DeleteAllFiles();
        });
    }
}

QPushButton* FinderWindow::makeRowButton(const char* name, const QString& caption,
                                         const QString& hint) {
    QPushButton* b = makePushButton(Panel1, name, caption, hint, kButtonWidth, kButtonHeight);
    if (!look_.widenToCaption)
        b->resize(kButtonWidth, kButtonHeight);
    return b;
}

void FinderWindow::setStartButtons(std::initializer_list<QPushButton*> starts) {
    buildRow(look_, starts);
    QList<QPushButton*> row(starts);
    row << btClose << btAbort << resultButtons();
    for (QPushButton* b : row) {
        b->setFixedSize(b->size());
        buttonRow_->addWidget(b);
    }
    buttonRow_->addStretch(1);
    // A larger font may need a taller panel than the design's.
    Panel1->setFixedHeight(std::max(look_.panelHeight, Panel1->layout()->minimumSize().height()));
    buildGrid(look_);
}

QList<QPushButton*> FinderWindow::resultButtons() const {
    QList<QPushButton*> buttons;
    if (btMark)
        buttons << btMark;
    buttons << btDelete << btPrint << btClip << btBrowse;
    return buttons;
}

void FinderWindow::makeSession(QList<QWidget*> locked) {
    ScanSession::Parts parts;
    parts.window = this;
    parts.drives = pnlDrives;
    parts.abortButton = btAbort;
    parts.status = status_;
    parts.busyArea = grid->viewport();
    parts.lockWhileScanning = std::move(locked);
    // No row action (Delete among them) while the walk that lists the rows runs.
    if (QMenu* menu = grid->popupMenu()) {
        if (!parts.lockWhileScanning.contains(menu))
            parts.lockWhileScanning << menu;
        // Shown only after a scan that could not open some folders.
        unreadSeparator_ = menu->addSeparator();
        unreadItem_ = menu->addAction(QStringLiteral("&Unreadable Folders..."), this,
                                      &FinderWindow::showUnreadFolders);
        unreadItem_->setObjectName(QStringLiteral("UnreadFolders1"));
        showUnreadItem(false);
    }
    for (QPushButton* b : resultButtons())
        parts.hideWhenScanning << b;
    session_ = new ScanSession(engine_, parts, this);
}

void FinderWindow::setRecordPath(std::function<QString(quint32 record)> path) {
    recordPath_ = std::move(path);
}

FinderMenu FinderWindow::buildFinderMenu(const char* sortName, const std::vector<SortItem>& items,
                                         std::vector<std::function<double(int row)>> keys,
                                         const char* separatorName, const QString& unmarkCaption) {
    FinderMenu menu;
    ResultMenuBuilder b(this);
    menu.PopupMenu1 = b.menu();
    menu.Details1 = b.item("Details1", QStringLiteral("Details"));
    menu.Sort1 = b.beginSubmenu(sortName, QStringLiteral("Sort"));
    std::vector<SortChoice> choices = b.sortItems(items);
    b.endSubmenu();
    for (size_t i = 0; i < choices.size(); ++i) {
        menu.sorts.push_back(choices[i].action);
        choices[i].key = std::move(keys[i]);
        QAction* a = choices[i].action;
        connect(a, &QAction::triggered, this, [this, a] { sortChosen(a); });
    }
    useSortChoices(std::move(choices));
    menu.Mark1 = b.markSubmenu(*marks_, unmarkCaption);
    menu.Resize1 = b.beginSubmenu("Resize1", QStringLiteral("Resize"));
    resizer_ = b.resizeItems(*Panel1);
    b.endSubmenu();
    menu.separator = b.separator(separatorName);
    menu.Run1 = b.item("Run1", QStringLiteral("Run"));
    menu.View1 = b.item("View1", QStringLiteral("View"));
    connect(menu.Run1, &QAction::triggered, this, &FinderWindow::Run1Click);
    connect(menu.View1, &QAction::triggered, this, &FinderWindow::View1Click);
    connect(menu.Details1, &QAction::triggered, this, &FinderWindow::Details1Click);
    grid->setPopupMenu(menu.PopupMenu1);
    return menu;
}

void FinderWindow::useSortChoices(std::vector<SortChoice> choices) {
    sortMenu_ = std::make_unique<GridSortMenu>(*grid, std::move(choices));
}

// ---- showing, layout

void FinderWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    resizer_->rememberHeight();
    hideResultButtons();
    pnlDrives->buildDriveBoxes();
    btClose->setEnabled(true);
    FormShow();
    setFinderMinimumSize(*this, kPanelWidth, Panel1->height());
    setMinimumSize(minimumSize().expandedTo(minimumSizeHint()));
    centreOnScreen(this);
    FormResize();
    WinPlace1->restorePlacement();
}

// A text that grows once the window is up (a larger font, a longer size caption) raises the
// window's smallest size with the layout, so no control is squeezed below what it needs.
bool FinderWindow::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::LayoutRequest && shown_)
        setMinimumSize(minimumSize().expandedTo(minimumSizeHint()));
    return handled;
}

void FinderWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void FinderWindow::hideResultButtons() {
    for (QPushButton* b : resultButtons())
        b->hide();
    btAbort->hide();
    showUnreadItem(false);
    session_->setStatus(QString());
}

bool FinderWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == status_ && event->type() == QEvent::MouseButtonDblClick && !scanning())
        showUnreadFolders();
    return QDialog::eventFilter(watched, event);
}

void FinderWindow::showUnreadItem(bool shown) {
    if (!unreadItem_)
        return;
    unreadSeparator_->setVisible(shown);
    unreadItem_->setVisible(shown);
}

void FinderWindow::showUnreadFolders() {
    if (engine_.unreadFolders().empty())
        return;
    ui().message(MessageKind::Information, QStringLiteral("Unreadable Folders"),
                 QStringLiteral("These folders could not be read:\n\n") +
                     unreadListText(engine_.unreadFolders()));
}

// ---- the grid

void FinderWindow::clearGrid(const QStringList& header) {
    grid->setColCount(int(header.size()));
    for (int c = 0; c < header.size(); ++c)
        grid->setCell(c, 0, header[c]);
    grid->clearCells();
    grid->setRowCount(2);
    rowCounter = 0;
    sortMenu_->reset();
    if (marks_)
        marks_->clearAllMarks();
}

bool FinderWindow::showResults(int found, const QString& status) {
    const qsizetype unread = qsizetype(engine_.unreadFolders().size());
    session_->setStatus(status.isEmpty() ? unreadNote(unread).trimmed()
                                         : status + unreadNote(unread));
    showUnreadItem(unread > 0);
    if (found == 0) {
        infoBox(QStringLiteral("No files found."));
        return false;
    }
    for (QPushButton* b : resultButtons())
        b->show();
    if (marks_)
        marks_->updateDeleteButton();
    return true;
}

qint64 FinderWindow::selectedRecord() const {
    const int row = grid->currentRow();
    if (row < 1 || row > rowCounter || !grid->isRowSelected(row) || !grid->isKeyedRow(row))
        return -1;
    return grid->rowKey(row);
}

// ---- row actions

void FinderWindow::btDeleteClick() {
    rows_->btDeleteClick(lastCopyGroups(), deletionCheck());
}

void FinderWindow::Run1Click() {
    rows_->Run1Click();
}

void FinderWindow::View1Click() {
    rows_->View1Click();
}

void FinderWindow::Details1Click() {
    rows_->Details1Click();
}

void FinderWindow::browseRow(const QString& mask) {
    rows_->BrowseDirectory1Click(mask);
}
