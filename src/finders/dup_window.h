#pragma once

#include "finders/dup_records.h"
#include "finders/row_actions.h"
#include "finders/scan_engine.h"
#include "finders/scan_session.h"
#include "widgets/result_list.h"

#include <QDialog>
#include <QString>
#include <memory>
#include <span>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class StringGrid;
class TDrivePanel;
class TNumberField;
class TWinPlace;

// The pop-up menu of the duplicate and file-hog grid, by item.
struct DupMenu {
    QMenu* PopupMenu1 = nullptr;
    QAction* Details1 = nullptr;
    QAction* Sortbysize1 = nullptr; // the "Sort" submenu's item
    QAction* Size1 = nullptr;
    QAction* Date1 = nullptr;
    QAction* AccessDate1 = nullptr;
    QAction* Name1 = nullptr;
    QAction* Type1 = nullptr;
    QAction* Mark1 = nullptr;   // the "Mark" submenu's item
    QAction* Resize1 = nullptr; // the "Resize" submenu's item
    QAction* N3 = nullptr;      // separator
    QAction* Run1 = nullptr;
    QAction* View1 = nullptr;
};

// Set by the main window immediately before it opens the duplicate window: true makes that
// window the duplicate-file finder, false the file-hog finder.
extern bool duplicatesMode;

// The duplicate-file finder (duplicatesMode true when the window is made) and the file-hog
// finder (false): a size filter, a file-match pattern and drive boxes on the top panel, the
// result grid in the middle and a status line along the bottom. The window keeps its own
// texts, size filter and layout; the scan session (locking, walking the ticked drives, Abort,
// Esc, closing, the record limit), the result list (marks), the row actions (Run, View,
// Details, Browse, Delete) and the menu builder do the work the finders share. A scan fills
// compact records; the grid shows them through their record numbers, so it holds a million
// rows.
class TfrmDup : public QDialog {
    Q_OBJECT
public:
    // The warning shown when the record store refuses a file (the record limit).
    static const QString kResourceText;

    explicit TfrmDup(QWidget* owner = nullptr);
    ~TfrmDup() override;

    bool duplicates() const { return duplicates_; }
    bool scanning() const { return session_->scanning(); }
    ScanSession& session() { return *session_; }

    // The scan: lock the window, walk the ticked drives, fill the grid, unlock, report.
    void scan(bool exact);
    // Duplicates mode: every group of equal names (with `exact`, names and size texts).
    void addDups(bool exact);
    // File-hog mode: all records, largest first.
    void reSort();
    // Writes records as the next grid rows.
    void addToGrid(std::span<const quint32> records);
    void ClearGrid();

    // The hidden lists: the sorted records of the last scan and the records shown, in the
    // grid order of the scan. Both hold record numbers of `records()`.
    std::vector<quint32> lbList;
    std::vector<quint32> lbFiles;
    // Rows written to the grid since the last ClearGrid.
    int rowCounter = 0;
    const DupRecords& records() const { return records_; }
    DupRecords& records() { return records_; }
    ResultList& marks() { return *marks_; }
    // The marked paths, in marking order.
    const QStringList& lbDeleted() const { return marks_->lbDeleted; }

    // Controls.
    QFrame* Panel1 = nullptr;
    QRadioButton* rbLarger = nullptr;
    QRadioButton* rbSmaller = nullptr;
    QRadioButton* rbBetween = nullptr;
    TNumberField* num1 = nullptr;
    TNumberField* num2 = nullptr;
    QLabel* lblKB1 = nullptr;
    QLabel* lblAnd = nullptr;
    QLabel* lblKB2 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    TDrivePanel* pnlDrives = nullptr;
    QPushButton* btScan = nullptr;
    QPushButton* btExact = nullptr;
    QPushButton* btClose = nullptr;
    QPushButton* btAbort = nullptr;
    QPushButton* btMark = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btClip = nullptr;
    QPushButton* btBrowse = nullptr;
    StringGrid* grid = nullptr;
    QFrame* pnlBase = nullptr;
    QLabel* pnlSel = nullptr;
    DupMenu menu;
    TWinPlace* WinPlace1 = nullptr;

public Q_SLOTS:
    void btScanClick();
    void btExactClick();
    void btDeleteClick();
    void btPrintClick();
    void btClipClick();
    void Run1Click();
    void View1Click();
    void Details1Click();
    void BrowseDirectory1Click();
    void Sortbysize1Click(QAction* item);
    void rbLargerClick();
    void num1Exit();
    void num2Exit();
    void cb1Click();
    void cbWildCardChange(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void FormResize();
    void buildMenu();
    SizeFilter sizeFilter() const;
    int nameColumn() const { return duplicates_ ? 0 : 4; }

    const bool duplicates_;
    DupRecords records_;
    ScanEngine engine_;
    ScanSession* session_ = nullptr;
    ResultList* marks_ = nullptr;
    std::unique_ptr<RowActions> rows_;
    std::unique_ptr<GridSortMenu> sortMenu_;
    std::unique_ptr<TopPanelResizer> resizer_;
    std::vector<quint32> pathRank_; // made when the grid is first sorted by name
    std::vector<quint32> typeRank_;
    bool shown_ = false;
};
