#pragma once

#include "finders/date_range.h"
#include "finders/finder_window.h"
#include "finders/mods_records.h"

#include <functional>
#include <mutex>
#include <vector>

class QAction;
class DateFields;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// The pop-up menu of the date finder's grid, by item.
struct ModsMenu : FinderMenu {
    QAction *Sortbyname1 = nullptr, *AccessDate1 = nullptr, *CreationDate1 = nullptr;
    QAction *ModificationDate1 = nullptr, *Folder1 = nullptr, *Type1 = nullptr;
    QAction* N1 = nullptr; // separator
};

// Files by date: the files on the ticked drives whose last-access, creation or last-modified
// date is on or before a date, between two dates or on or after a date, and that match a
// pattern, each listed with its three dates, folder and type. The scan session walks, the
// records keep each listed file's exact path and its times as numbers, and the result list
// and row actions mark, delete, run, view, show details and browse, as in the other finders.
class TfrmMods : public FinderWindow {
    Q_OBJECT
public:
    explicit TfrmMods(QWidget* owner = nullptr);
    ~TfrmMods() override;

    const ModsRecords& records() const { return records_; }
    ModsRecords& records() { return records_; }

    // Whether a drive root is mounted without access-time updates; a seam for tests.
    std::function<bool(const QString& root)> noAtimeTest;

    // The range and the stamp that the controls choose now.
    DateRange dateRange() const;
    DateKind dateKind() const;
    // The print title: "Files " + stamp word + " " + the range in the fields' texts.
    QString printTitle() const;

    QGroupBox* rgWhat = nullptr;
    QRadioButton *rbAccessed = nullptr, *rbCreated = nullptr, *rbModified = nullptr;
    QGroupBox* rgWhen = nullptr;
    QRadioButton *rbBefore = nullptr, *rbBetween = nullptr, *rbAfter = nullptr;
    QLineEdit* dtStart = nullptr;
    QToolButton* popStartDate = nullptr;
    QLabel* lblAnd = nullptr;
    QLineEdit* dtEnd = nullptr;
    QToolButton* popEndDate = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    QPushButton* btOK = nullptr;
    QLabel* pnlScan = nullptr;
    // The line below the grid that says when last-access dates do not move on a drive.
    QLabel* lblNotice = nullptr;
    ModsMenu menu;

public Q_SLOTS:
    void btOKClick();
    void rgWhenClick();
    void cbWildCardChange(const QString& text);
    void cb1Click();
    void dtStartExit();
    void dtEndExit();
    void popStartDateClick();
    void popEndDateClick();
    void PrintClick() { btPrintClick(); }
    void btBrowseClick();
    void Sortbyname1Click(QAction* item);
    void btPrintClick() override;
    void btClipClick() override;

private:
    void FormShow() override;
    void FormResize() override;
    void sortChosen(QAction* item) override { Sortbyname1Click(item); }
    void buildDateFilter();
    void buildMenu();
    void ClearGrid();
    void scan();
    void showNotice();
    void setDateTest(DateKind kind, const DateRange& range);

    ModsRecords records_;
    std::vector<quint32> nameRank_, folderRank_, typeRank_;
    // Read afresh for each file on the scan's thread, as the stamp and range choices stay live
    // during a scan; the mutex hands each change over.
    std::mutex dateMutex_;
    DateRange range_;
    DateKind kind_ = DateKind::Accessed;
    DateFields* dates_ = nullptr;
};
