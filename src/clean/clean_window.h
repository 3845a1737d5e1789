#pragma once

#include "clean/temp_extensions.h"
#include "finders/dup_records.h"
#include "finders/file_grid.h"
#include "finders/finder_window.h"

#include <vector>

class QAction;
class QLabel;
class QPushButton;
class TPickList;

// The pop-up menu of the cleaner's grid, by item.
struct CleanMenu : FileSortMenu {
    QAction* N1 = nullptr; // separator
};

// The quick cleaner: every file on the ticked drives whose extension is one of the selected
// temporary-file extensions, listed with its size, dates, full path and type, to be marked
// and deleted (for good or into the trash) through the deletion confirmation. The walk is
// the finders' walk: hidden files, hidden folders, other file systems and symbolic links are
// never touched. Rows are backed by records that keep each file's exact path.
class TfrmClean : public FinderWindow {
    Q_OBJECT
public:
    explicit TfrmClean(QWidget* owner = nullptr);
    ~TfrmClean() override;

    const DupRecords& records() const { return records_; }
    DupRecords& records() { return records_; }
    // The settings file that holds the extension list.
    QString IniFileName = QStringLiteral("zelkova.ini");

    // Whether a bare file name is one of the selected extensions' files.
    bool isThisFileTemporary(const QString& name) const;
    // "Temporary files  on drive(s) " and each ticked drive followed by a blank.
    QString printTitle() const;

    QLabel* Label2 = nullptr;
    TPickList* PickList1 = nullptr;
    QPushButton* btEdit = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* btScan = nullptr;
    QLabel* pnlSel = nullptr;
    CleanMenu menu;

public Q_SLOTS:
    void btScanClick();
    void btPrintClick() override;
    void btClipClick() override;
    void btEditClick();
    void cb1Click();
    void btDeleteClick() override;
    void BrowseDirectory1Click();
    void Sortbysize1Click(QAction* item);

private:
    void FormShow() override;
    void FormResize() override;
    void buildExtensionList();
    void buildMenu();
    void sortChosen(QAction* item) override { Sortbysize1Click(item); }
    void ReadInFromDisk();
    void selectAllExtensions();
    void ClearGrid();
    void scan(const QStringList& selected);

    DupRecords records_{false};
    std::vector<quint32> listed_; // the records in the grid's order after the scan
    TempMatcher matcher_;
    FileRecordSort sorts_{records_};
};
