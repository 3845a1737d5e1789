#pragma once

#include "common/reports.h"
#include "widgets/column_width.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <functional>
#include <span>
#include <vector>

class QMenu;
class QPainter;
class StringGrid;

// The one table model behind every StringGrid. Its rows are the grid's data rows (grid row
// r is model row r - 1); the grid's row 0 is the horizontal header. The text of a cell comes
// from its stored text, or, for a keyed row, from the grid's row source.
class StringGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringGridModel(StringGrid& grid);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    friend class StringGrid;
    StringGrid& grid_;
};

// A string grid for result lists, in grid coordinates: row 0 is the header row (shown as the
// table's header), rows 1 .. rowCount() - 1 are data rows. The window sets the row count.
// A data row is one of:
//  - empty (every cell ""),
//  - stored: its cells are kept as texts,
//  - keyed: it holds a 32-bit key and its cell texts are made by the row source when they are
//    drawn, copied or printed, so a finder can list a million files from compact records.
// Every row carries one mark (the "attached object" of its name column). Moving rows moves
// the whole row: its key or cells, and its mark.
class StringGrid : public QTableView, public ReportGrid {
    Q_OBJECT
public:
    // Makes the text of column `col` of the record `key`.
    using RowSource = std::function<QString(quint32 key, int col)>;
    // Draws one cell (the window's gridDrawCell); row 0 is the header row.
    using DrawCell = std::function<void(QPainter& painter, const QRect& rect, int col, int row)>;

    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    // Number of columns.
    int colCount() const;
    void setColCount(int count);
    // Number of rows, the header row included (at least 1). Growing adds empty rows;
    // shrinking drops the last rows with their cells and marks.
    int rowCount() const;
    void setRowCount(int count);

    // The text of a cell; "" outside the grid. Row 0 is the header.
    QString cell(int col, int row) const;
    // Sets the text of a cell inside the grid (ignored outside). A keyed row becomes a stored
    // row holding its current texts first.
    void setCell(int col, int row, const QString& text);
    // Sets the cells of a row from column 0 on; further columns become "". The row must exist.
    void setRowCells(int row, const QStringList& cells);
    // Makes every data row empty and unmarked (the header row and the row count stay).
    void clearCells();

    // The source of keyed rows' texts. Setting it repaints.
    void setRowSource(RowSource source);
    // Makes `row` a keyed row holding `key` (its stored cells are dropped).
    void setRowKey(int row, quint32 key);
    // Writes keyed rows from `firstRow` on, one per key, growing the row count as needed.
    // One model notification for the whole batch.
    void setKeyedRows(int firstRow, std::span<const quint32> keys);
    bool isKeyedRow(int row) const;
    // The key of a keyed row; 0 for other rows.
    quint32 rowKey(int row) const;

    // The per-row mark. setMarked repaints the row's mark column.
    bool marked(int row) const;
    void setMarked(int row, bool on);
    // Removes every mark.
    void clearMarks();
    // The column in which the default drawing shows the mark glyph (0 by default).
    int markColumn() const;
    void setMarkColumn(int col);

    // Reorders data rows: afterwards row first + p holds what row order[p] held before, for
    // every p. `order` must be a permutation of first .. first + order.size() - 1.
    void permuteRows(int first, std::span<const int> order);

    // Column widths in pixels; the person can drag them.
    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // The column plan (column_width.h): how each column shows its texts and takes its room.
    // A name or text column's text too long for its cell ends in "…", a path's loses its
    // middle, and the whole text is the cell's tooltip; fixed and figure columns are laid out
    // wide enough never to be cut. Columns beyond the plan show like text columns.
    void setColumnPlan(std::vector<ColumnPlan> plan);
    ColumnKind columnKind(int col) const;
    // Lays the planned columns out in `clientWidth` (planColumnWidths), each figure column
    // wide enough for the widest figure it holds. The width is remembered: when rows change,
    // their figures are measured a batch of rows per turn of the event loop, and the columns
    // are laid out again once the widest figure of a column changed.
    void layoutColumns(int clientWidth);
    // The text a cell shows in its column's present width; its whole text when not cut.
    QString shownText(int col, int row) const;
    // The whole text of a cell whose text is cut; "" for a cell shown whole.
    QString cutCellText(int col, int row) const;

    // The selected (current) row; 0 when none. The header row is never current.
    int currentRow() const;
    // Makes `row` current and selects it; 0 (or a row outside the grid) clears the selection.
    void setCurrentRow(int row);
    bool isRowSelected(int row) const;

    // Owner drawing: the window's function draws every cell, the header row's included. When
    // none is set the default drawing below is used.
    void setDrawCell(DrawCell draw);
    // The finders' drawing of one cell: background filled (highlight for a selected row,
    // button face for the header), text clipped to the cell, its top 2 pixels below the cell's
    // top; right-aligned columns end textInset() pixels left of the right edge, others start
    // textInset() pixels right of the left edge; a marked row's mark-column cell shows the
    // 16x16 mark glyph at (left + 2, top + 2), purple transparent, and its text from left + 18.
    void drawCellDefault(QPainter& painter, const QRect& rect, int col, int row) const;
    // Columns that the default drawing right-aligns (none by default).
    // Rows for which `shaded` is true are drawn on the palette's alternate base, so that runs
    // of rows (groups) can be told apart; none by default.
    void setRowShade(std::function<bool(int row)> shaded) { shade_ = std::move(shaded); }
    void setRightAligned(int col, bool right);
    bool isRightAligned(int col) const;
    // Distance of the text from the cell's side in the default drawing (2 by default).
    void setTextInset(int pixels);
    int textInset() const;

    // The pop-up menu shown on a right click in the grid (not owned; nullptr for none).
    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const;

    // ReportGrid: the cells, the row count and the column widths as the report printer needs.
    int reportColumnCount() const override;
    int reportRowCount() const override;
    QString reportCell(int column, int row) const override;
    int reportColumnWidth(int column) const override;

Q_SIGNALS:
    // A double click in the grid's rows (after the clicked row became current).
    void cellDoubleClicked();
    // A key was released while the grid had the focus (Qt::Key value).
    void keyReleased(int key);

protected:
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    friend class StringGridModel;

    enum : quint8 { Stored = 1, Keyed = 2, Marked = 4 };
    // One data row: 8 bytes. `ref` is the key of a keyed row or the index of a stored row's
    // cells in stored_.
    struct Row {
        quint32 ref = 0;
        quint8 flags = 0;
    };

    // Rows and the heading are 18 pixels high, or as high as a larger font needs.
    void fitRowsToFont();
    const Row* rowAt(int row) const;
    void releaseStored(Row& r);
    quint32 allocStored();
    void materialize(int row);
    void notifyRows(int first, int last);
    // Where the default drawing puts a cell's text: its left edge and its room in pixels.
    std::pair<int, int> textSpan(const QRect& rect, int col, int row) const;
    QString fitCell(const QString& text, int col, int row, int room) const;
    bool hasFigures() const;
    // Rows from `first` on changed: figures measured there are measured again.
    void rowsChanged(int first);
    // Measures the figures of up to `limit` rows not yet measured; true when all are.
    bool measureFigures(int limit);
    void scheduleRefit();
    void refitFigures();

    StringGridModel* model_;
    QStringList header_;
    int cols_ = 0;
    std::vector<Row> rows_; // data rows; rows_[r - 1] is grid row r
    std::vector<QStringList> stored_;
    std::vector<quint32> freeStored_;
    RowSource source_;
    std::function<bool(int row)> shade_;
    DrawCell draw_;
    std::vector<bool> rightAligned_;
    int markColumn_ = 0;
    int inset_ = 2;
    std::vector<ColumnPlan> plan_;
    std::vector<QString> widest_;     // per column: the widest figure of rows 1 .. measured_
    std::vector<QString> laidWidest_; // the widest figures of the last layout
    int measured_ = 0;
    int clientWidth_ = -1; // that of the last layout; -1 before any
    bool refitPending_ = false;
    QMenu* popup_ = nullptr;
};
