#pragma once

#include "finders/dirmap_window.h"
#include "finders/finder_window.h"
#include "finders/folder_records.h"
#include "finders/folder_row_delete.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;

// The folder-hog finder: the folders of the ticked drives ranked by the bytes they hold, in
// "Main folders" mode (the folders directly under each drive's root with the totals of their
// whole trees) or "All Folders" mode (every folder with its own files). Each row shows the
// size, the share of the drive, the file and subfolder counts, the latest file access and the
// exact path. A folder can be deleted as a tree (for good or into the trash) or opened in the
// browser; the list can be sorted, printed and copied. The rows are backed by the records of
// the scan, so every action works on the folder's exact path and sorts use the numbers.
class TfrmDirHog : public FinderWindow {
    Q_OBJECT
public:
    explicit TfrmDirHog(QWidget* owner = nullptr);
    ~TfrmDirHog() override;

    const FolderRecords& records() const { return records_; }
    // The state of the folder of record `rec` after deletions.
    FolderRowState rowState(quint32 rec) const { return states_[rec]; }

    void ClearGrid();
    void scan(FolderRecords::Mode mode);
    // The records of the last scan in display order (largest first), whatever the grid's
    // sort; the clipboard's lines are made from them when copied.
    std::vector<quint32> lb;
    // The last scan was stopped by the person: the copied list says it is incomplete.
    bool incomplete = false;
    // The folder lines of the last scan, after the incomplete note when it was aborted.
    QStringList lbLines() const;

    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr;
    QPushButton *btTop = nullptr, *btAll = nullptr;
    QLabel* pnlScan = nullptr;
    // The pop-up menu's "&Map" (Ctrl+M): the last scan's folders as a map; enabled once a
    // scan has listed folders.
    QAction* Map1 = nullptr;
    // The map's window while it is open.
    TfrmDirMap* map() const { return map_; }
    // Makes the row of record `rec` the current one; false when it is not in the grid.
    bool selectRecord(quint32 rec);
    // The record of the current row, or -1.
    qint64 currentRecord() const { return selectedRecord(); }
    QMenu* PopupMenu1 = nullptr;
    QAction *SortbySize1 = nullptr, *SortbyFiles1 = nullptr, *SortbySubfolders1 = nullptr;
    QAction *SortbyAccessDate1 = nullptr, *SortbyName1 = nullptr;

public Q_SLOTS:
    void btTopClick();
    void btAllClick();
    void btDeleteClick() override;
    void btBrowseClick();
    void Map1Click();
    void cb1Click();
    void SortbySize1Click(QAction* item);
    void btPrintClick() override;
    void btClipClick() override;

private:
    void FormShow() override;
    void FormResize() override;
    void sortChosen(QAction* item) override { SortbySize1Click(item); }
    void buildLabels();
    void buildDriveLabel();
    void buildMenu();
    QString cellText(quint32 rec, int col) const;

    FolderRecords records_;
    std::vector<FolderRowState> states_;
    std::vector<quint32> nameRank_; // made when the grid is first sorted by name
    QPointer<TfrmDirMap> map_;
};
