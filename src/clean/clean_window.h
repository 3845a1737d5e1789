#pragma once

#include "clean/temp_extensions.h"
#include "finders/dup_records.h"
#include "finders/row_actions.h"
#include "finders/scan_engine.h"
#include "finders/scan_session.h"
#include "widgets/result_list.h"

#include <QDialog>
#include <memory>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class StringGrid;
class TDrivePanel;
class TPickList;
class TWinPlace;

// The pop-up menu of the cleaner's grid, by item.
struct CleanMenu {
    QMenu* PopupMenu1 = nullptr;
    QAction* Details1 = nullptr;
    QAction* Sort1 = nullptr; // the "Sort" submenu's item
    QAction* Size1 = nullptr;
    QAction* Date1 = nullptr;
    QAction* AccessDate1 = nullptr;
    QAction* Name1 = nullptr;
    QAction* Type1 = nullptr;
    QAction* Mark1 = nullptr;
    QAction* Resize1 = nullptr;
    QAction* N1 = nullptr; // separator
    QAction* Run1 = nullptr;
    QAction* View1 = nullptr;
};

// The quick cleaner: every file on the ticked drives whose extension is one of the selected
// temporary-file extensions, listed with its size, dates, full path and type, to be marked
// and deleted (for good or into the trash) through the deletion confirmation. The walk is
// the finders' walk: hidden files, hidden folders, other file systems and symbolic links are
// never touched. Rows are backed by records that keep each file's exact path.
class TfrmClean : public QDialog {
    Q_OBJECT
public:
    explicit TfrmClean(QWidget* owner = nullptr);
    ~TfrmClean() override;

    ScanSession& session() { return *session_; }
    const DupRecords& records() const { return records_; }
    DupRecords& records() { return records_; }
    ResultList& marks() { return *marks_; }
    const QStringList& lbDeleted() const { return marks_->lbDeleted; }
    // Rows written since the last ClearGrid (the found files).
    int rowCounter = 0;
    // The settings file that holds the extension list.
    QString IniFileName = QStringLiteral("zelkova.ini");

    // Whether a bare file name is one of the selected extensions' files.
    bool isThisFileTemporary(const QString& name) const;
    // "Temporary files  on drive(s) " and each ticked drive followed by a blank.
    QString printTitle() const;

    QFrame* Panel1 = nullptr;
    QLabel* Label2 = nullptr;
    TPickList* PickList1 = nullptr;
    QPushButton* btEdit = nullptr;
    QLabel* Label1 = nullptr;
    TDrivePanel* pnlDrives = nullptr;
    QPushButton* btScan = nullptr;
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
    CleanMenu menu;
    TWinPlace* WinPlace1 = nullptr;

public Q_SLOTS:
    void btScanClick();
    void btEditClick();
    void cb1Click();
    void btDeleteClick();
    void btPrintClick();
    void btClipClick();
    void BrowseDirectory1Click();
    void Sortbysize1Click(QAction* item);
    void Run1Click();
    void View1Click();
    void Details1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void FormResize();
    void buildMenu();
    void ReadInFromDisk();
    void selectAllExtensions();
    void ClearGrid();
    void scan(const QStringList& selected);

    DupRecords records_{false};
    ScanEngine engine_;
    TempMatcher matcher_;
    ScanSession* session_ = nullptr;
    ResultList* marks_ = nullptr;
    std::unique_ptr<RowActions> rows_;
    std::unique_ptr<GridSortMenu> sortMenu_;
    std::unique_ptr<TopPanelResizer> resizer_;
    std::vector<quint32> pathRank_, typeRank_;
    bool shown_ = false;
};
