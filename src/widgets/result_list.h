#pragma once

#include "model/marked_files.h"
#include "model/search_path.h"
#include "widgets/grid_sort.h"

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

class QAction;
class StringGrid;

// The marks of a result grid: binds the marked files (the marked list `lbDeleted`, the marked
// count and total) to the grid's marks and holds the handlers that toggle them. The window
// tells it what differs between finders: the name column, the path of a row, the row limit,
// where the status line goes and which button deletes.
class ResultList : public QObject {
    Q_OBJECT
private:
    // First, so that lbDeleted below can refer to it.
    MarkedFiles marks_;

public:
    explicit ResultList(StringGrid& grid, QObject* parent = nullptr);

    // The column that carries the mark (the grid's mark column follows it).
    void setNameColumn(int col);
    int nameColumn() const;
    // The full path of a data row (the search-path marker removed). Required before marking.
    void setPathOfRow(std::function<QString(int row)> pathOfRow);
    // The last row that may be marked (the window's row counter); none set: every data row.
    void setRowLimit(std::function<int()> rowLimit);
    // Receives the status line after each mark change.
    void setStatusSink(std::function<void(const QString&)> sink);
    // The text put before "%d files %s bytes" (for example "Marked for deletion: ").
    void setStatusPrefix(const QString& prefix);
    // The button enabled while at least one file is marked (not owned; may be nullptr).
    void setDeleteButton(QWidget* button);

    StringGrid& grid() const { return grid_; }
    // The exact path of a listed row (1 .. the row limit); empty for any other row.
    QString pathOf(int row) const;

    // The marked list (full paths in marking order), count and total.
    const QStringList& lbDeleted = marks_.paths();
    qint64 markedCount() const { return marks_.count(); }
    // At most the largest 64-bit value: sparse files of exabytes can pass it.
    qint64 markedTotal() const { return marks_.total(); }
    // The marked files themselves, for the deletion confirmation (TfrmReallyDelete::setMarks).
    const MarkedFiles& marked() const { return marks_; }
    // "%d files %s bytes" with the current count and total (thousands separators).
    QString statusText() const;

    // Toggles the mark of one row (nothing above the row limit). A file found on disk (hidden
    // and system files included, folders not) is counted with its size when it is marked, and
    // exactly that is taken off again when it is unmarked; a file not found changes no total.
    // The path enters or leaves the marked list either way.
    void deleteOneFile(int row);
    // Double click: toggles the current row's mark, then sets the Delete button.
    void gridDblClick();
    // Mark button and Delete key: toggles the current row's mark, moves down one row unless on
    // the last, then sets the Delete button.
    void DeleteAllFiles();
    // Marks every listed row (busy cursor), then enables Delete.
    void Markall1Click();
    // Removes every mark, disables Delete and shows the zero totals.
    void Unmarkall1Click();
    // Removes every mark and zeroes the count, total and marked list; the status is kept.
    void clearAllMarks();
    // Enables the Delete button exactly when at least one file is marked.
    void updateDeleteButton();

private:
    void showStatus();

    StringGrid& grid_;
    int nameColumn_ = 0;
    std::function<QString(int)> pathOfRow_;
    std::function<int()> rowLimit_;
    std::function<void(const QString&)> status_;
    QString prefix_;
    QWidget* deleteButton_ = nullptr;
    bool quiet_ = false;
};

// One entry of a Sort menu: the item, the column, the key kind and the order. When `key` is
// set the rows are sorted by it instead of the column's text (large grids).
struct SortChoice {
    QAction* action = nullptr;
    int column = 0;
    SortKind kind = SortKind::Text;
    bool descending = false;
    std::function<double(int row)> key;
};

// A Sort menu's items and the sort they run. The first choice is the one checked at start.
class GridSortMenu {
public:
    GridSortMenu(StringGrid& grid, std::vector<SortChoice> choices);
    // Checks the first item and unchecks the others (ClearGrid).
    void reset();
    // Sorts rows 1 .. rowCount() - 1 by the choice of `item`: nothing when the grid has fewer
    // than 2 rows or the item is not in the menu; otherwise unchecks every item, sorts under
    // the busy cursor and checks `item`.
    void sortBy(QAction* item);
    // The checked choice's item; nullptr when none.
    QAction* checkedItem() const;
    const std::vector<SortChoice>& choices() const { return choices_; }

private:
    StringGrid& grid_;
    std::vector<SortChoice> choices_;
};

// Hides and restores the top panel ("Shrink top panel", "Restore top panel").
class TopPanelResizer {
public:
    TopPanelResizer(QWidget& panel, QAction& shrinkItem, QAction& restoreItem);
    // Remembers the panel's height (when the window is shown).
    void rememberHeight();
    int rememberedHeight() const { return height_; }
    // Height 0: the panel is hidden; "Restore" enabled, "Shrink" disabled.
    void Shrink1Click();
    // The remembered height back; "Restore" disabled, "Shrink" enabled.
    void Grow1Click();

private:
    QWidget& panel_;
    QAction& shrink_;
    QAction& restore_;
    int height_ = 0;
    int minHeight_ = 0;
    int maxHeight_ = QWIDGETSIZE_MAX;
};

// The smallest size of a finder window, from the top panel's geometry (at 96 pixels per inch):
// width (left + width + 3) scaled by dpi / 96, the screen width - 10 when the screen is
// narrower; height (top + height) x 2 scaled by dpi / 96.
QSize minimumWindowSize(const QRect& topPanel, double dpi, int screenWidth);
// Gives `window` that smallest size for a top panel of `panelWidth` by `panelHeight` at the
// origin, at the window's own pixels per inch and on its screen.
void setFinderMinimumSize(QWidget& window, int panelWidth, int panelHeight);

// Shows the print dialog on the program's printer and, when confirmed, prints the grid under
// `title`. False when cancelled or when printing failed (that failure is reported).
bool printGridWithDialog(const StringGrid& grid, const QString& title, QWidget* parent);

// Puts the lines on the clipboard as plain text, joined with "\n"; every line, no limit.
void copyLinesToClipboard(const QStringList& lines);
// The lines of grid rows first .. last, each made of the cells of columns 0 .. colCount - 1
// joined by tabs (or each followed by a tab when `tabAfterEach`). Cells are taken as they are
// shown: whoever makes a cell text from a name escapes it with escapeForLine
// (platform/native_path.h), so no cell holds a tab or a line break.
QStringList gridLines(const StringGrid& grid, int first, int last, int colCount,
                      bool tabAfterEach = false);
