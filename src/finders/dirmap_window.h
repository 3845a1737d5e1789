#pragma once

#include "finders/folder_map.h"
#include "finders/folder_row_delete.h"

#include <QWidget>

class FolderMapView;
class QAction;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class TWinPlace;
class TfrmDirHog;

// The map of the folder-hog window's last scan, in a window of its own: the breadcrumb of the
// folders zoomed into, the map, its legend, the hover line and the Print, Copy and Close
// buttons. The map and the list stay in step: choosing a tile selects its folder's row, a row
// chosen in the list becomes the current tile, and zooming selects the folder zoomed into. The
// tile menu's Browse and Delete are the list's own, on that row.
class TfrmDirMap : public QWidget {
    Q_OBJECT
public:
    explicit TfrmDirMap(TfrmDirHog* hog);
    ~TfrmDirMap() override;

    // Draws the hog window's records (after a scan); forgets them while a scan refills them.
    void mapRecords();
    void clearMap();
    const FolderTree& tree() const { return tree_; }

    FolderMapView* Map1 = nullptr;
    QWidget* pnlPath = nullptr;
    QLabel* lblInfo = nullptr;
    QPushButton *btBack = nullptr, *btPrint = nullptr, *btCopy = nullptr, *btClose = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction *Browse1 = nullptr, *Delete1 = nullptr;
    TWinPlace* WinPlace1 = nullptr;

public Q_SLOTS:
    void btPrintClick();
    void btCopyClick();
    void Browse1Click();
    void Delete1Click();
    // The hog window's current row changed: its folder becomes the current tile.
    void listRowChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectControls();
    void buildCrumbs();
    void buildLegend(QHBoxLayout* row);
    void nodeChosen(quint32 node);
    void showMenu(quint32 node, const QPoint& at);
    // Selects the folder's row in the list; false when the folder has none.
    bool selectRow(quint32 node);
    QString currentInfo() const;
    FolderRowState folderState(quint32 node) const;

    TfrmDirHog* hog_;
    FolderTree tree_;
    QHBoxLayout* crumbs_ = nullptr;
    quint32 menuNode_ = FolderTree::None;
    bool selecting_ = false; // the map and the list are being brought in step
    bool shown_ = false;
};
