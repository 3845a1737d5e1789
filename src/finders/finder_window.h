#pragma once

#include "finders/file_openers.h"
#include "finders/row_actions.h"
#include "finders/scan_engine.h"
#include "finders/scan_session.h"
#include "widgets/result_list.h"
#include "widgets/result_menu.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QVBoxLayout;
class StringGrid;
class TDrivePanel;
class TWinPlace;

// The pop-up menu the marking finders share: "Details", the "Sort" submenu, the "Mark" and
// "Resize" submenus, a separator, "Run" and "View". `sorts` holds the Sort items in order.
struct FinderMenu {
    QMenu* PopupMenu1 = nullptr;
    QAction* Details1 = nullptr;
    QAction* Sort1 = nullptr; // the "Sort" submenu's item
    QAction *Mark1 = nullptr, *Resize1 = nullptr, *separator = nullptr;
    QAction *Run1 = nullptr, *View1 = nullptr;
    std::vector<QAction*> sorts;
};

// What sets one finder window apart from the others in the parts the shell builds.
struct FinderLook {
    const char* objectName;
    QSize size;                 // the opening size
    int panelHeight;            // the top panel's height
    int buttonLeft = 3;         // the button row's left edge in the panel
    int buttonTop = 0;          // the button row's top in the panel
    int drivesRight = 8;        // the drive panel's distance from the panel's right edge
    const char* statusName;     // the status label's object name
    QString gridTip;            // the grid's hint
    QString gridName;           // the grid's accessible name
    bool marks = true;          // rows are marked for deletion (Mark, Delete, the Delete key)
    bool deleteKey = true;      // the Delete key marks the current row
    bool widenToCaption = true; // buttons wider than 75 pixels when their caption needs it
    // The captions and hints of the result buttons.
    QString markHint = QStringLiteral("Mark file for deletion (double click on grid also works)");
    QString abortHint = QStringLiteral("Abort scan");
    QString deleteCaption = QStringLiteral("Delete");
    QString deleteHint = QStringLiteral("Delete marked files");
    QString printHint = QStringLiteral("Print list of files");
    QString clipHint = QStringLiteral("Copy list of files to clipboard");
    QString browseHint = QStringLiteral("Browse this file and folder");
    // Where the window's placement is kept.
    QString placeFile = QStringLiteral("zelkova.ini");
    QString placeSection;
    QString placeIdentifier;
};

// Fixes `w` at `width` by `height`, or at the least its content needs where that is more (a
// larger font), so a panel laid out for the design size keeps its look and never cuts text.
void fixAtLeast(QWidget* w, int width, int height);
// A label of a finder's panel with its object name, `width` pixels wide (or as wide as its
// text needs). It takes the height of its row; its text is centred in that height less the
// `top` pixels kept free above it.
QLabel* panelLabel(QWidget* parent, const char* name, const QString& text, int width, int top = 0);
// The file-match row of a finder's panel: `caption`, the editable file-match box "cbWildCard"
// `comboWidth` by 24 pixels ("*.*" at first; the caption is its buddy and accessible name) and
// the pattern's description "lblWild", `gap` pixels after the box, which takes the rest of the
// row (a long description is cut where the row ends).
struct MatchRow {
    QComboBox* combo;
    QLabel* description;
    QHBoxLayout* layout;
};
MatchRow makeMatchRow(QWidget* parent, QLabel* caption, int comboWidth, int gap);

// The shell of a finder window: a top panel with the tool's filter controls, the drive panel
// at its right and the button row along its bottom; the result grid with its marks, sort menu
// and pop-up menu; the status line; the scan session (Abort, Esc and closing during a scan);
// the row actions (Run, View, Details, Browse, Delete) and the window's placement. A tool
// adds its filter controls to Panel1, its start buttons to the row, its record store as the
// grid's row source and its columns, menu items and messages.
class FinderWindow : public QDialog {
    Q_OBJECT
public:
    ~FinderWindow() override;

    bool scanning() const { return session_->scanning(); }
    ScanSession& session() { return *session_; }
    ResultList& marks() { return *marks_; }
    // The marked paths, in marking order.
    const QStringList& lbDeleted() const { return marks_->lbDeleted; }
    // The windows the rows hand a file to; none until the program sets them.
    void setFileOpeners(FileOpeners openers) { openers_ = std::move(openers); }
    const FileOpeners& fileOpeners() const { return openers_; }

    // Rows written to the grid since the last ClearGrid.
    int rowCounter = 0;

    QFrame* Panel1 = nullptr;
    TDrivePanel* pnlDrives = nullptr;
    QPushButton *btClose = nullptr, *btAbort = nullptr;
    QPushButton* btMark = nullptr; // nullptr in a window without marks
    QPushButton *btDelete = nullptr, *btPrint = nullptr, *btClip = nullptr, *btBrowse = nullptr;
    StringGrid* grid = nullptr;
    QFrame* pnlBase = nullptr;
    TWinPlace* WinPlace1 = nullptr;

public Q_SLOTS:
    virtual void btDeleteClick();
    // Print and Clipboard: the tool's list with its title, and its lines.
    virtual void btPrintClick() = 0;
    virtual void btClipClick() = 0;
    void Run1Click();
    void View1Click();
    void Details1Click();

protected:
    FinderWindow(QWidget* owner, const FinderLook& look);

    // The first showing: the tool's FormShow between the shared reset and the placement.
    virtual void FormShow() = 0;
    // The grid's columns for the window's width.
    virtual void FormResize() = 0;
    // The tool's Sort item was chosen.
    virtual void sortChosen(QAction* item) = 0;
    // The groups whose every copy is marked, named for the deletion's confirmation; only the
    // duplicate finder has groups.
    virtual QStringList lastCopyGroups() const { return {}; }
    // What looks at each marked file just before it goes (model/delete_files.h); none but the
    // duplicate finder's search by contents has one.
    virtual FileCheck deletionCheck() const { return {}; }

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    QLabel* statusLine() const { return status_; }
    QVBoxLayout* frameLayout() const { return frameLayout_; }
    // The row that holds the drive panel; a tool may put a label before it.
    QHBoxLayout* driveRow() const { return driveRow_; }
    // The panel's top left area, up to the drive row, for the tool's filter controls; the
    // width the drive row leaves is theirs.
    QVBoxLayout* filterArea() const { return filterArea_; }
    // A button of the row, 75 by 28 pixels (wider when the look lets a caption widen it).
    QPushButton* makeRowButton(const char* name, const QString& caption, const QString& hint = {});
    // Fills the button row: the tool's start buttons, Close, Abort and Mark (one place: never
    // visible together), Delete, Print, Clipboard and Browse. Hidden buttons take no room.
    // Called once the tool has made its panel controls, before it uses the drive panel, the
    // row's buttons or the grid, which are made here.
    void setStartButtons(std::initializer_list<QPushButton*> starts);
    // Makes the scan session; `locked` are disabled during a walk, the result buttons hidden.
    void makeSession(QList<QWidget*> locked);
    // The exact path of a record, for the marks and the row actions.
    void setRecordPath(std::function<QString(quint32 record)> path);
    // The pop-up menu of a marking finder, its Sort items keyed by `keys` (in item order).
    FinderMenu buildFinderMenu(const char* sortName, const std::vector<SortItem>& items,
                               std::vector<std::function<double(int row)>> keys,
                               const char* separatorName,
                               const QString& unmarkCaption = QStringLiteral("Unmark all"));
    // Takes the Sort choices of a menu the tool built itself, and the panel's resizer.
    void useSortChoices(std::vector<SortChoice> choices);
    void useResizer(std::unique_ptr<TopPanelResizer> resizer) { resizer_ = std::move(resizer); }
    GridSortMenu& sortMenu() { return *sortMenu_; }

    // Empties the grid under `header`: two rows, no marks, the first Sort item checked.
    void clearGrid(const QStringList& header);
    // Shows the result buttons (hidden during the scan) after a scan that found `found` rows,
    // with `status` on the status line; with none found, says so and returns false.
    bool showResults(int found, const QString& status);
    // The folders the last scan could not open, with their reasons, in a message; nothing
    // when there were none. The pop-up menu item and a double click on the status line.
    void showUnreadFolders();
    // Hides the result buttons and Abort and empties the status line.
    void hideResultButtons();
    // The result buttons, in row order.
    QList<QPushButton*> resultButtons() const;
    // The browser at the current row's file, with `mask` as its pattern.
    void browseRow(const QString& mask);
    // The record of the selected data row, or -1.
    qint64 selectedRecord() const;

    ScanEngine engine_;

private:
    void buildPanel(const FinderLook& look);
    void buildRow(const FinderLook& look, std::initializer_list<QPushButton*> starts);
    void buildGrid(const FinderLook& look);

    QVBoxLayout* frameLayout_ = nullptr;
    QHBoxLayout* driveRow_ = nullptr;
    QVBoxLayout* filterArea_ = nullptr;
    QHBoxLayout* buttonRow_ = nullptr;
    QLabel* status_ = nullptr;
    const FinderLook look_;
    ScanSession* session_ = nullptr;
    ResultList* marks_ = nullptr;
    FileOpeners openers_;
    std::unique_ptr<RowActions> rows_;
    std::unique_ptr<GridSortMenu> sortMenu_;
    std::unique_ptr<TopPanelResizer> resizer_;
    std::function<QString(quint32)> recordPath_;
    // The pop-up menu's item for showUnreadFolders and the separator before it.
    QAction* unreadItem_ = nullptr;
    QAction* unreadSeparator_ = nullptr;
    void showUnreadItem(bool shown);
    bool shown_ = false;
};
