#include "widgets/string_grid.h"

#include "common/resources_init.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <algorithm>
#include <limits>

namespace {

// The 16x16 mark glyph with its purple ground made transparent; null when the resource is
// missing, in which case a marked cell shows only the shifted text.
const QPixmap& markGlyph() {
    static const QPixmap glyph = [] {
        initResources();
        QPixmap pix(QStringLiteral(":/mark.png"));
        if (!pix.isNull())
            pix.setMask(pix.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
        return pix;
    }();
    return glyph;
}

// Hands every data cell to the grid's drawing.
class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(StringGrid& grid, const StringGrid::DrawCell& draw)
        : QStyledItemDelegate(&grid), grid_(grid), draw_(draw) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        if (draw_)
            draw_(*painter, option.rect, index.column(), index.row() + 1);
        else
            grid_.drawCellDefault(*painter, option.rect, index.column(), index.row() + 1);
        painter->restore();
    }

private:
    StringGrid& grid_;
    const StringGrid::DrawCell& draw_;
};

// The header row, drawn by the same function as the data rows (as row 0).
class GridHeader : public QHeaderView {
public:
    GridHeader(StringGrid& grid, const StringGrid::DrawCell& draw)
        : QHeaderView(Qt::Horizontal, &grid), grid_(grid), draw_(draw) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid())
            return;
        painter->save();
        if (draw_)
            draw_(*painter, rect, logicalIndex, 0);
        else
            grid_.drawCellDefault(*painter, rect, logicalIndex, 0);
        painter->restore();
    }

private:
    StringGrid& grid_;
    const StringGrid::DrawCell& draw_;
};

} // namespace

// ---- model -------------------------------------------------------------------------------

StringGridModel::StringGridModel(StringGrid& grid) : QAbstractTableModel(&grid), grid_(grid) {}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(grid_.rows_.size());
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.cols_;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return grid_.cell(index.column(), row);
    if (role == Qt::AccessibleDescriptionRole && index.column() == grid_.markColumn_ &&
        grid_.marked(row))
        return QStringLiteral("Marked");
    return {};
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return grid_.cell(section, 0);
    return {};
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---- grid --------------------------------------------------------------------------------

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), model_(new StringGridModel(*this)) {
    setHorizontalHeader(new GridHeader(*this, draw_));
    setModel(model_);
    setItemDelegate(new GridDelegate(*this, draw_));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setFixedHeight(18);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setAccessibleName(QStringLiteral("Result list"));
}

StringGrid::~StringGrid() = default;

int StringGrid::colCount() const {
    return cols_;
}

void StringGrid::setColCount(int count) {
    count = std::max(0, count);
    if (count == cols_)
        return;
    if (count > cols_) {
        model_->beginInsertColumns(QModelIndex(), cols_, count - 1);
        cols_ = count;
        header_.resize(count);
        rightAligned_.resize(count, false);
        model_->endInsertColumns();
        return;
    }
    model_->beginRemoveColumns(QModelIndex(), count, cols_ - 1);
    cols_ = count;
    header_.resize(count);
    rightAligned_.resize(count);
    for (QStringList& cells : stored_)
        if (cells.size() > count)
            cells.resize(count);
    model_->endRemoveColumns();
}

int StringGrid::rowCount() const {
    return int(rows_.size()) + 1;
}

void StringGrid::setRowCount(int count) {
    const int data = std::max(1, count) - 1;
    const int old = int(rows_.size());
    if (data == old)
        return;
    if (data > old) {
        model_->beginInsertRows(QModelIndex(), old, data - 1);
        rows_.resize(data);
        model_->endInsertRows();
        return;
    }
    model_->beginRemoveRows(QModelIndex(), data, old - 1);
    for (int i = data; i < old; ++i)
        releaseStored(rows_[i]);
    rows_.resize(data);
    model_->endRemoveRows();
}

const StringGrid::Row* StringGrid::rowAt(int row) const {
    if (row < 1 || row > int(rows_.size()))
        return nullptr;
    return &rows_[row - 1];
}

QString StringGrid::cell(int col, int row) const {
    if (col < 0 || col >= cols_)
        return {};
    if (row == 0)
        return header_.value(col);
    const Row* r = rowAt(row);
    if (!r)
        return {};
    if (r->flags & Keyed)
        return source_ ? source_(r->ref, col) : QString();
    if (r->flags & Stored)
        return stored_[r->ref].value(col);
    return {};
}

void StringGrid::releaseStored(Row& r) {
    if (r.flags & Stored) {
        stored_[r.ref] = QStringList();
        freeStored_.push_back(r.ref);
    }
    r.flags &= ~(Stored | Keyed);
    r.ref = 0;
}

quint32 StringGrid::allocStored() {
    if (!freeStored_.empty()) {
        const quint32 i = freeStored_.back();
        freeStored_.pop_back();
        return i;
    }
    stored_.emplace_back();
    return quint32(stored_.size() - 1);
}

void StringGrid::materialize(int row) {
    Row& r = rows_[row - 1];
    if (r.flags & Stored)
        return;
    QStringList cells;
    if (r.flags & Keyed) {
        cells.reserve(cols_);
        for (int c = 0; c < cols_; ++c)
            cells.append(source_ ? source_(r.ref, c) : QString());
    }
    const quint32 i = allocStored();
    stored_[i] = std::move(cells);
    r.ref = i;
    r.flags = quint8((r.flags & Marked) | Stored);
}

void StringGrid::notifyRows(int first, int last) {
    if (first > last || cols_ == 0)
        return;
    Q_EMIT model_->dataChanged(model_->index(first - 1, 0), model_->index(last - 1, cols_ - 1));
}

void StringGrid::setCell(int col, int row, const QString& text) {
    if (col < 0 || col >= cols_)
        return;
    if (row == 0) {
        header_[col] = text;
        Q_EMIT model_->headerDataChanged(Qt::Horizontal, col, col);
        horizontalHeader()->viewport()->update();
        return;
    }
    if (!rowAt(row))
        return;
    Row& r = rows_[row - 1];
    if (!(r.flags & (Stored | Keyed)) && text.isEmpty())
        return;
    materialize(row);
    QStringList& cells = stored_[r.ref];
    if (cells.size() <= col)
        cells.resize(col + 1);
    cells[col] = text;
    const QModelIndex index = model_->index(row - 1, col);
    Q_EMIT model_->dataChanged(index, index);
}

void StringGrid::setRowCells(int row, const QStringList& cells) {
    if (!rowAt(row))
        return;
    Row& r = rows_[row - 1];
    releaseStored(r);
    const quint32 i = allocStored();
    stored_[i] = cells.mid(0, cols_);
    r.ref = i;
    r.flags |= Stored;
    notifyRows(row, row);
}

void StringGrid::clearCells() {
    stored_.clear();
    freeStored_.clear();
    std::fill(rows_.begin(), rows_.end(), Row{});
    notifyRows(1, int(rows_.size()));
}

void StringGrid::setRowSource(RowSource source) {
    source_ = std::move(source);
    viewport()->update();
}

void StringGrid::setRowKey(int row, quint32 key) {
    if (!rowAt(row))
        return;
    Row& r = rows_[row - 1];
    releaseStored(r);
    r.ref = key;
    r.flags |= Keyed;
    notifyRows(row, row);
}

void StringGrid::setKeyedRows(int firstRow, std::span<const quint32> keys) {
    if (firstRow < 1 || keys.empty())
        return;
    const qint64 end = qint64(firstRow) + qint64(keys.size()); // one past the last row written
    if (end > std::numeric_limits<int>::max())
        return;
    const int oldCount = rowCount();
    if (end > oldCount)
        setRowCount(int(end));
    for (std::size_t k = 0; k < keys.size(); ++k) {
        Row& r = rows_[firstRow - 1 + k];
        releaseStored(r);
        r.ref = keys[k];
        r.flags |= Keyed;
    }
    // Rows that existed before changed their contents; the new ones were announced above.
    notifyRows(firstRow, std::min(int(end), oldCount) - 1);
}

bool StringGrid::isKeyedRow(int row) const {
    const Row* r = rowAt(row);
    return r && (r->flags & Keyed);
}

quint32 StringGrid::rowKey(int row) const {
    const Row* r = rowAt(row);
    return r && (r->flags & Keyed) ? r->ref : 0;
}

bool StringGrid::marked(int row) const {
    const Row* r = rowAt(row);
    return r && (r->flags & Marked);
}

void StringGrid::setMarked(int row, bool on) {
    if (!rowAt(row))
        return;
    Row& r = rows_[row - 1];
    if (bool(r.flags & Marked) == on)
        return;
    r.flags = on ? quint8(r.flags | Marked) : quint8(r.flags & ~Marked);
    if (markColumn_ >= 0 && markColumn_ < cols_) {
        const QModelIndex index = model_->index(row - 1, markColumn_);
        Q_EMIT model_->dataChanged(index, index);
    }
}

void StringGrid::clearMarks() {
    for (Row& r : rows_)
        r.flags &= ~Marked;
    notifyRows(1, int(rows_.size()));
}

int StringGrid::markColumn() const {
    return markColumn_;
}

void StringGrid::setMarkColumn(int col) {
    if (col == markColumn_)
        return;
    markColumn_ = col;
    viewport()->update();
}

void StringGrid::permuteRows(int first, std::span<const int> order) {
    const qint64 n = qint64(order.size());
    if (n == 0 || first < 1 || qint64(first) + n - 1 > qint64(rows_.size()))
        return;
    // A row given twice would leave two rows sharing one set of stored cells: refuse anything
    // that is not a permutation of the range.
    std::vector<bool> seen(order.size(), false);
    for (int from : order) {
        const qint64 p = qint64(from) - first;
        if (p < 0 || p >= n || seen[p])
            return;
        seen[p] = true;
    }
    std::vector<Row> moved(order.size());
    for (std::size_t p = 0; p < order.size(); ++p)
        moved[p] = rows_[order[p] - 1];
    std::copy(moved.begin(), moved.end(), rows_.begin() + (first - 1));
    notifyRows(first, first + int(n) - 1);
}

int StringGrid::colWidth(int col) const {
    if (col < 0 || col >= cols_)
        return 0;
    return columnWidth(col);
}

void StringGrid::setColWidth(int col, int width) {
    if (col < 0 || col >= cols_)
        return;
    setColumnWidth(col, std::max(0, width));
}

int StringGrid::currentRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() + 1 : 0;
}

void StringGrid::setCurrentRow(int row) {
    if (!rowAt(row)) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex current = currentIndex();
    const int col = current.isValid() ? current.column() : 0;
    const QModelIndex index = model_->index(row - 1, std::max(0, std::min(col, cols_ - 1)));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

bool StringGrid::isRowSelected(int row) const {
    if (!rowAt(row) || !selectionModel())
        return false;
    return selectionModel()->isRowSelected(row - 1, QModelIndex());
}

void StringGrid::setDrawCell(DrawCell draw) {
    draw_ = std::move(draw);
    viewport()->update();
    horizontalHeader()->viewport()->update();
}

void StringGrid::drawCellDefault(QPainter& painter, const QRect& rect, int col, int row) const {
    const bool header = row == 0;
    const bool selected = !header && isRowSelected(row);
    const QPalette& pal = palette();
    painter.save();
    painter.setClipRect(rect);
    painter.fillRect(rect, header     ? pal.color(QPalette::Button)
                           : selected ? pal.color(QPalette::Highlight)
                                      : pal.color(QPalette::Base));
    if (header) {
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
    }
    const QString text = cell(col, row);
    const QFontMetrics fm(font());
    painter.setFont(font());
    painter.setPen(header     ? pal.color(QPalette::ButtonText)
                   : selected ? pal.color(QPalette::HighlightedText)
                              : pal.color(QPalette::Text));
    int x = rect.x() + inset_;
    if (!header && col == markColumn_ && marked(row)) {
        const QPixmap& glyph = markGlyph();
        if (!glyph.isNull())
            painter.drawPixmap(QRect(rect.x() + 2, rect.y() + 2, 16, 16), glyph,
                               QRect(0, 0, 16, 16));
        x = rect.x() + 18;
    } else if (isRightAligned(col)) {
        x = rect.x() + rect.width() - inset_ - fm.horizontalAdvance(text);
    }
    painter.drawText(QPoint(x, rect.y() + 2 + fm.ascent()), text);
    painter.restore();
}

void StringGrid::setRightAligned(int col, bool right) {
    if (col < 0 || col >= cols_)
        return;
    rightAligned_[col] = right;
    viewport()->update();
}

bool StringGrid::isRightAligned(int col) const {
    return col >= 0 && col < int(rightAligned_.size()) && rightAligned_[col];
}

void StringGrid::setTextInset(int pixels) {
    inset_ = pixels;
    viewport()->update();
}

int StringGrid::textInset() const {
    return inset_;
}

void StringGrid::setPopupMenu(QMenu* menu) {
    popup_ = menu;
}

QMenu* StringGrid::popupMenu() const {
    return popup_;
}

int StringGrid::reportColumnCount() const {
    return colCount();
}

int StringGrid::reportRowCount() const {
    return rowCount();
}

QString StringGrid::reportCell(int column, int row) const {
    return cell(column, row);
}

int StringGrid::reportColumnWidth(int column) const {
    return colWidth(column);
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        Q_EMIT cellDoubleClicked();
}

void StringGrid::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT keyReleased(event->key());
}

void StringGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (popup_) {
        popup_->exec(event->globalPos());
        event->accept();
        return;
    }
    QTableView::contextMenuEvent(event);
}
