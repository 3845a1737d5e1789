#pragma once

#include "common/form_dialog.h"
#include "inspect/folder_files.h"

#include <QString>
#include <QStringList>
#include <memory>

class FolderTreeModel;
class GridSortMenu;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QModelIndex;
class QPushButton;
class QTreeView;
class ResultList;
class StringGrid;
class TWinPlace;

// The pop-up menu of the browser's grid, by item.
struct BrowseMenu {
    QMenu* PopupMenu1 = nullptr;
    QAction* Details1 = nullptr;
    QAction* Sort1 = nullptr; // the "Sort" submenu's item
    QAction *Name1 = nullptr, *ModifiedDate1 = nullptr, *AccessDate1 = nullptr, *Size1 = nullptr,
            *Type1 = nullptr; // the Sort items
    QAction* Mark1 = nullptr; // the "Mark" submenu's item
    QAction* N1 = nullptr;    // separator
    QAction *Run1 = nullptr, *View1 = nullptr;
};

// The folder browser: a drive and its folder tree on the left, the files of the shown folder
// in a grid on the right, buttons and a status strip along the bottom. The files can be
// marked and deleted through the deletion confirmation, the shown folder deleted as a tree,
// and a file run, viewed or inspected. Every action works on the exact path of a listed entry
// (the folder it was read from and its name as the kernel gave it); the process's current
// directory is never changed.
class TfrmBrowse : public TFormDialog {
    Q_OBJECT
public:
    explicit TfrmBrowse(QWidget* owner = nullptr);
    ~TfrmBrowse() override;

    // Before showing: the folder to open at (on the drive that holds it), the file of that
    // folder to select, the file mask ("*.*" when empty).
    void setFolder(const QString& folder);
    void selectFile(const QString& name) { selectName_ = name; }
    void setMask(const QString& mask);

    // The shown folder (exact path) and the file mask.
    const QString& folder() const { return folder_; }
    const QString& mask() const { return mask_; }
    // The hidden file list: the shown folder's entries that match the mask.
    const FolderFiles& FileListBox1() const { return files_; }
    // The marks: the marked paths (lbDeleted), the marked count and total.
    ResultList& marks() { return *marks_; }
    const QStringList& lbDeleted() const;
    // The exact path of a listed row; empty for the header and blank rows.
    QString pathOfRow(int row) const;

    // Shows `folder` (the folder list's change): marks cleared, the grid filled from the
    // folder's files and sorted again by the checked sort, the counts shown. Nothing happens
    // when the drive is not ready. A folder that has gone is replaced by the nearest folder
    // above it that is still there.
    void DirectoryListBox1Change();
    // Lists the shown folder into the grid (one blank row when it holds no file).
    void FillGrid();

    QFrame* Panel3 = nullptr;
    QComboBox* DriveComboBox1 = nullptr;
    QTreeView* DirectoryListBox1 = nullptr;
    QFrame *Panel5 = nullptr, *Panel6 = nullptr;
    QLabel* Label1 = nullptr;
    StringGrid* grid = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton *btDeleteDirectory = nullptr, *btLaunch = nullptr, *btView = nullptr,
                *btMark = nullptr, *btDeleteFiles = nullptr, *btClose = nullptr;
    QFrame* pnlScan2 = nullptr;
    QLabel* pnlScan = nullptr;
    QPushButton* pnlWild = nullptr;
    QLabel* pnlSize = nullptr;
    BrowseMenu menu;
    TWinPlace* WinPlace1 = nullptr;

public Q_SLOTS:
    // A drive picked in the drive box: its tree, and its root as the shown folder.
    void DriveComboBox1Change(int index);
    // A folder activated in the tree (double click or Enter) becomes the shown folder.
    void DirectoryListBox1Activated(const QModelIndex& index);
    void btMarkClick();
    void gridDblClick();
    void Markall2Click();
    void Unmarkall2Click();
    void Sortbyname1Click(QAction* item);
    void btDeleteFilesClick();
    void btDeleteDirectoryClick();
    void btLaunchClick();
    void btViewClick();
    void Details1Click();
    void pnlWildClick();
    // Esc, Close and the title bar: with marked files, only a Yes lets the window close.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The parts of the window, each returning its panel; then the grid's columns and marks,
    // the signals, and the drive box with the drive to start on.
    QFrame* buildDrivePanel();
    QFrame* buildFilePanel();
    QFrame* buildButtonPanel();
    QFrame* buildStatusStrip();
    void setUpGrid();
    void connectControls();
    void fillDriveBox();
    void FormShow() override;
    // Lays the grid's columns out in the width the window gives it.
    void FormResize();
    void buildMenu();
    bool FormCloseQuery();
    void showTreeFolder();
    // The current row's exact path and what is there now (nullopt: nothing, or no listed row).
    std::optional<DirEntry> currentEntry(QString& path) const;
    // The exact path of the current row when a regular file is there now; empty otherwise,
    // after a word to the user when a link is there.
    QString currentRegularFile();
    QString driveRoot() const;

    QString folder_;
    QString mask_ = QStringLiteral("*.*");
    QString selectName_;
    FolderFiles files_;
    FolderTreeModel* tree_ = nullptr;
    ResultList* marks_ = nullptr;
    std::unique_ptr<GridSortMenu> sortMenu_;
    int driveIndex_ = -1;
};

// Opens the folder browser modally, as every opener does: the window is made, shown and
// destroyed when it closes. With `folder` given it opens at that exact folder (on the drive
// that holds it), with the file `fileName` of that folder selected and `mask` as its
// file-match pattern; an empty mask keeps "*.*".
void browseFolder(QWidget* parent, const QString& folder = {}, const QString& fileName = {},
                  const QString& mask = {});
