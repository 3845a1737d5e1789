#include "finders/dirmap_window.h"

#include "common/reports.h"
#include "common/ui.h"
#include "common/win_place.h"
#include "finders/dirhog_window.h"
#include "finders/folder_map_view.h"
#include "widgets/push_button.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>

#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

TfrmDirMap::TfrmDirMap(TfrmDirHog* hog) : QWidget(hog, Qt::Window), hog_(hog) {
    setObjectName(QStringLiteral("frmDirMap"));
    setWindowTitle(QStringLiteral("Folder Map"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(800, 600);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);

    auto* top = new QHBoxLayout;
    btBack = makePushButton(this, "btBack", QStringLiteral("&Back"),
                            QStringLiteral("Back to the folder above (Backspace)"));
    btBack->setFocusPolicy(Qt::TabFocus);
    top->addWidget(btBack);
    pnlPath = new QWidget(this);
    pnlPath->setObjectName(QStringLiteral("pnlPath"));
    pnlPath->setAccessibleName(QStringLiteral("Folders zoomed into"));
    pnlPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    crumbs_ = new QHBoxLayout(pnlPath);
    crumbs_->setContentsMargins(0, 0, 0, 0);
    crumbs_->setSpacing(2);
    top->addWidget(pnlPath, 1);
    layout->addLayout(top);

    Map1 = new FolderMapView(this);
    layout->addWidget(Map1, 1);

    auto* legend = new QHBoxLayout;
    buildLegend(legend);
    layout->addLayout(legend);

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblInfo->setMinimumHeight(lblInfo->fontMetrics().lineSpacing() + 4);
    // A long path is cut at the window's edge; it never widens the window.
    lblInfo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(lblInfo);

    auto* buttons = new QHBoxLayout;
    btPrint =
        makePushButton(this, "btPrint", QStringLiteral("&Print"), QStringLiteral("Print the map"));
    btCopy = makePushButton(this, "btCopy", QStringLiteral("&Copy"),
                            QStringLiteral("Copy the map to the clipboard as a picture"));
    btClose =
        makePushButton(this, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
    buttons->addWidget(btPrint);
    buttons->addWidget(btCopy);
    buttons->addStretch(1);
    buttons->addWidget(btClose);
    layout->addLayout(buttons);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Browse1 = PopupMenu1->addAction(QStringLiteral("&Browse"));
    Browse1->setObjectName(QStringLiteral("Browse1"));
    Delete1 = PopupMenu1->addAction(QStringLiteral("&Delete"));
    Delete1->setObjectName(QStringLiteral("Delete1"));

    connectControls();
    WinPlace1 = makeWinPlace(this, QStringLiteral("frmDirMap"));
}

void TfrmDirMap::connectControls() {
    Map1->setStateSource([this](quint32 node) { return folderState(node); });
    connect(Map1, &FolderMapView::nodeChosen, this, &TfrmDirMap::nodeChosen);
    connect(Map1, &FolderMapView::zoomed, this, [this](quint32 top) {
        buildCrumbs();
        btBack->setEnabled(top != FolderTree::None);
        // Zooming in chooses the folder; following the list's choice chooses nothing more.
        if (top != FolderTree::None && !selecting_)
            selectRow(top);
        lblInfo->setText(currentInfo());
    });
    connect(Map1, &FolderMapView::hovered, this, [this](const QString& text) {
        lblInfo->setText(text.isEmpty() ? currentInfo() : QString(text).replace(u'\n', "   "));
    });
    connect(Map1, &FolderMapView::menuRequested, this, &TfrmDirMap::showMenu);
    connect(btBack, &QPushButton::clicked, Map1, &FolderMapView::zoomOut);
    connect(btPrint, &QPushButton::clicked, this, &TfrmDirMap::btPrintClick);
    connect(btCopy, &QPushButton::clicked, this, &TfrmDirMap::btCopyClick);
    connect(btClose, &QPushButton::clicked, this, &QWidget::close);
    connect(Browse1, &QAction::triggered, this, &TfrmDirMap::Browse1Click);
    connect(Delete1, &QAction::triggered, this, &TfrmDirMap::Delete1Click);
    connect(hog_->grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfrmDirMap::listRowChanged);
}

TfrmDirMap::~TfrmDirMap() {
    WinPlace1->savePlacement();
    delete WinPlace1;
}

void TfrmDirMap::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    WinPlace1->restorePlacement();
    Map1->setFocus();
}

void TfrmDirMap::buildLegend(QHBoxLayout* row) {
    const auto swatch = [&](const QColor& colour, const QString& text, bool hatched) {
        const int side = fontMetrics().height();
        QPixmap pixmap(side, side);
        pixmap.fill(colour);
        QPainter p(&pixmap);
        if (hatched)
            p.fillRect(pixmap.rect(), QBrush(QColor(0xbbbbbb), Qt::BDiagPattern));
        p.setPen(colour.darker(170));
        p.drawRect(0, 0, side - 1, side - 1);
        p.end();
        auto* box = new QLabel(this);
        box->setPixmap(pixmap);
        auto* label = new QLabel(text, this);
        box->setAccessibleName(text);
        row->addWidget(box);
        row->addWidget(label);
        row->addSpacing(8);
    };
    swatch(mapDepthColour(0), QStringLiteral("Drive"), false);
    for (int d = 1; d < mapDepthColours; ++d)
        swatch(mapDepthColour(d), QStringLiteral("Level %1").arg(d), false);
    swatch(mapFilesColour(), QStringLiteral("Files of a folder"), false);
    swatch(mapDeletedColour(), QStringLiteral("Deleted"), true);
    row->addStretch(1);
    auto* note =
        new QLabel(QStringLiteral("Colours repeat below level %1").arg(mapDepthColours - 1), this);
    note->setEnabled(false);
    row->addWidget(note);
}

void TfrmDirMap::buildCrumbs() {
    while (QLayoutItem* item = crumbs_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    std::vector<quint32> chain;
    for (quint32 n = Map1->top(); n != FolderTree::None; n = tree_.parent(n))
        chain.push_back(n);
    chain.push_back(FolderTree::None);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const quint32 node = *it;
        if (it != chain.rbegin())
            crumbs_->addWidget(new QLabel(QStringLiteral("\u203A"), pnlPath));
        const QString name =
            node == FolderTree::None ? QStringLiteral("All drives") : tree_.name(node);
        auto* b = new QPushButton(name, pnlPath);
        b->setFlat(true);
        b->setFocusPolicy(Qt::TabFocus);
        b->setToolTip(node == FolderTree::None ? name : tree_.path(node));
        b->setEnabled(node != Map1->top());
        connect(b, &QPushButton::clicked, this, [this, node] {
            if (node == FolderTree::None) {
                while (Map1->zoomOut()) {
                }
            } else {
                Map1->zoomTo(node);
            }
        });
        crumbs_->addWidget(b);
    }
    crumbs_->addStretch(1);
}

void TfrmDirMap::mapRecords() {
    tree_.build(hog_->records());
    Map1->setTree(&tree_);
    buildCrumbs();
    btBack->setEnabled(Map1->top() != FolderTree::None);
    btPrint->setEnabled(!tree_.empty());
    btCopy->setEnabled(!tree_.empty());
    listRowChanged();
    lblInfo->setText(currentInfo());
}

void TfrmDirMap::clearMap() {
    Map1->setTree(nullptr);
    tree_.clear();
    buildCrumbs();
    btBack->setEnabled(false);
    btPrint->setEnabled(false);
    btCopy->setEnabled(false);
    lblInfo->clear();
}

QString TfrmDirMap::currentInfo() const {
    const MapTile* t = Map1->currentTile();
    return t ? mapTileHover(tree_, *t).replace(u'\n', "   ") : QString();
}

FolderRowState TfrmDirMap::folderState(quint32 node) const {
    const quint32 rec = tree_.record(node);
    return rec == FolderTree::None ? FolderRowState::Listed : hog_->rowState(rec);
}

bool TfrmDirMap::selectRow(quint32 node) {
    const quint32 rec = tree_.record(node);
    if (rec == FolderTree::None)
        return false;
    selecting_ = true;
    const bool found = hog_->selectRecord(rec);
    selecting_ = false;
    return found;
}

void TfrmDirMap::nodeChosen(quint32 node) {
    selectRow(node);
    lblInfo->setText(currentInfo());
}

void TfrmDirMap::listRowChanged() {
    if (selecting_ || tree_.empty())
        return;
    const qint64 rec = hog_->currentRecord();
    if (rec < 0)
        return;
    selecting_ = true;
    Map1->showNode(tree_.nodeOfRecord(quint32(rec)));
    selecting_ = false;
}

void TfrmDirMap::showMenu(quint32 node, const QPoint& at) {
    menuNode_ = node;
    const bool listed = tree_.record(node) != FolderTree::None;
    Browse1->setEnabled(listed);
    Delete1->setEnabled(listed && !hog_->scanning());
    PopupMenu1->popup(at);
}

void TfrmDirMap::Browse1Click() {
    if (selectRow(menuNode_))
        hog_->btBrowseClick();
}

void TfrmDirMap::Delete1Click() {
    // The list's own deletion, on the folder's row: its confirmation, refusals and messages.
    if (!selectRow(menuNode_))
        return;
    hog_->btDeleteClick();
}

void TfrmDirMap::btPrintClick() {
    if (tree_.empty() || !ui().printDialog(appPrinter(), this))
        return;
    const quint32 top = Map1->top();
    const QString title =
        QStringLiteral("Folder map of ") +
        (top == FolderTree::None ? QStringLiteral("all drives") : tree_.path(top));
    printPicture(title, [&](QPainter& p, const QRect& area) {
        p.setFont(Map1->font());
        const auto tiles =
            layoutFolderMap(tree_, top, area, FolderMapView::layoutOptions(p.fontMetrics()));
        drawFolderMap(p, tree_, tiles, Map1->topDepth(),
                      [this](quint32 n) { return folderState(n); });
    });
}

void TfrmDirMap::btCopyClick() {
    if (!tree_.empty())
        QGuiApplication::clipboard()->setImage(Map1->picture(Map1->size()));
}
