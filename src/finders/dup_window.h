#pragma once

#include "finders/content_groups.h"
#include "finders/contents_search.h"
#include "finders/dup_records.h"
#include "finders/file_grid.h"
#include "finders/finder_window.h"

#include <QString>
#include <span>
#include <vector>

class QComboBox;
class QLabel;
class QRadioButton;
class TNumberField;

// The pop-up menu of the duplicate and file-hog grid, by item.
struct DupMenu : FileSortMenu {
    QAction* Sortbysize1 = nullptr; // the "Sort" submenu's item
    QAction* N3 = nullptr;          // separator
};

// The duplicate-file finder (`duplicates` true) and the file-hog finder (false): a size
// filter, a file-match pattern and drive boxes on the top panel, the result grid in the
// middle and a status line along the bottom. The finder shell does the work the finders
// share; this window keeps its texts, size filter and columns. A scan fills compact records;
// the grid shows them through their record numbers, so it holds a million rows.
class TfrmDup : public FinderWindow {
    Q_OBJECT
public:
    // The warning shown when the record store refuses a file (the record limit).
    static const QString kResourceText;

    explicit TfrmDup(bool duplicates, QWidget* owner = nullptr);
    ~TfrmDup() override;

    bool duplicates() const { return duplicates_; }

    // The three searches of the duplicate finder: equal names (Scan), equal names and size
    // texts (Exact), equal contents (Contents).
    enum class Search { Names, Exact, Contents };
    Search search() const { return search_; }

    // The scan: lock the window and start the walk of the ticked drives; at its end the grid
    // is filled, the window unlocked and the result reported.
    void scan(Search search);
    // Duplicates mode: lbList and lbFiles from the records, lbFiles every group of equal names
    // (with `exact`, names and size texts). No widget is touched: it runs on the scan's thread.
    void addDups(bool exact);
    // Contents search: lbFiles every group of files with equal contents, compared on the
    // scan's thread.
    void addContentDups();
    // File-hog mode: lbList and lbFiles from the records, lbFiles all of them largest first.
    void reSort();
    // Writes records as the next grid rows.
    void addToGrid(std::span<const quint32> records);
    void ClearGrid();

    // The hidden lists: the sorted records of the last scan and the records shown, in the
    // grid order of the scan. Both hold record numbers of `records()`.
    std::vector<quint32> lbList;
    std::vector<quint32> lbFiles;
    const DupRecords& records() const { return records_; }
    DupRecords& records() { return records_; }

    // Controls.
    QRadioButton *rbLarger = nullptr, *rbSmaller = nullptr, *rbBetween = nullptr;
    TNumberField *num1 = nullptr, *num2 = nullptr;
    QLabel *lblKB1 = nullptr, *lblAnd = nullptr, *lblKB2 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    QPushButton *btScan = nullptr, *btExact = nullptr, *btContents = nullptr;
    QLabel* pnlSel = nullptr;
    DupMenu menu;

public Q_SLOTS:
    void btScanClick();
    void btExactClick();
    void btContentsClick();
    void BrowseDirectory1Click();
    void Sortbysize1Click(QAction* item);
    void rbLargerClick();
    void num1Exit();
    void num2Exit();
    void cb1Click();
    void cbWildCardChange(const QString& text);
    void btPrintClick() override;
    void btClipClick() override;

private:
    void FormShow() override;
    void FormResize() override;
    void sortChosen(QAction* item) override { Sortbysize1Click(item); }
    QStringList lastCopyGroups() const override;
    FileCheck deletionCheck() const override;
    void buildSizeFilter();
    void buildMenu();
    SizeFilter sizeFilter() const;
    // False, after telling the person, when In between has its second size below the first.
    bool sizesInOrder();
    QStringList gridHeader() const;

    const bool duplicates_;
    // The last scan's search: Exact splits groups by size text, Contents groups by contents.
    Search search_ = Search::Names;
    DupRecords records_;
    ContentGroups grouper_;
    ContentsSearch contents_;
    std::atomic<bool> comparing_{false}; // the contents are being compared
    FileRecordSort sorts_{records_};
};
