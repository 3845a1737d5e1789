#include "widgets/string_grid.h"

#include "common/fit_text.h"
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
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <limits>

namespace {

// Rows whose figures are measured in one turn of the event loop.
constexpr int kMeasureBatch = 100'000;

// Whether figure `a` is wider than `b` in any font whose digits are alike in width: it has
// more characters, or as many and more of them digits.
bool widerFigure(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return a.size() > b.size();
    const auto digits = [](const QString& t) {
        return std::count_if(t.begin(), t.end(), [](QChar c) { return c.isDigit(); });
    };
    return digits(a) > digits(b);
}

// The whole text of a cut cell as its tooltip shows it: a tooltip does not wrap a line without
// blanks, so the text is broken into lines of at most 100 characters, after a "/" or a blank
// where one is near; of a text beyond 4,096 characters (the longest path the system opens by
// name) the first and the last 2,048 show, with "…" between.
QString toolTipForm(const QString& text) {
    constexpr qsizetype kLine = 100, kMost = 4096;
    const QString whole =
        text.size() <= kMost ? text
                             : text.left(kMost / 2) + QChar(0x2026) + u'\n' + text.right(kMost / 2);
    QStringList lines;
    for (qsizetype at = 0; at < whole.size();) {
        qsizetype end = std::min(whole.size(), at + kLine);
        if (end < whole.size()) {
            for (qsizetype b = end; b > at + kLine * 2 / 3; --b)
                if (whole.at(b - 1) == u'/' || whole.at(b - 1) == u' ') {
                    end = b;
                    break;
                }
            if (whole.at(end).isLowSurrogate())
                --end;
        }
        lines << whole.mid(at, end - at);
        at = end;
    }
    return Qt::convertFromPlainText(lines.join(u'\n'), Qt::WhiteSpacePre);
}

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
    if (role == Qt::ToolTipRole) {
        const QString whole = grid_.cutCellText(index.column(), row);
        return whole.isEmpty() ? QVariant() : QVariant(whole);
    }
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
    // Tab and Shift+Tab move to the window's other controls; the arrow keys move in the grid.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    fitRowsToFont();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setAccessibleName(QStringLiteral("Result list"));
}

StringGrid::~StringGrid() = default;

void StringGrid::fitRowsToFont() {
    const int height = std::max(18, fontMetrics().height() + 2);
    verticalHeader()->setDefaultSectionSize(height);
    horizontalHeader()->setFixedHeight(height);
}

void StringGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowsToFont();
}

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
    rowsChanged(data + 1);
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
    rowsChanged(row);
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
    rowsChanged(row);
}

void StringGrid::clearCells() {
    stored_.clear();
    freeStored_.clear();
    std::fill(rows_.begin(), rows_.end(), Row{});
    notifyRows(1, int(rows_.size()));
    rowsChanged(1);
}

void StringGrid::setRowSource(RowSource source) {
    source_ = std::move(source);
    viewport()->update();
    rowsChanged(1);
}

void StringGrid::setRowKey(int row, quint32 key) {
    if (!rowAt(row))
        return;
    Row& r = rows_[row - 1];
    releaseStored(r);
    r.ref = key;
    r.flags |= Keyed;
    notifyRows(row, row);
    rowsChanged(row);
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
    rowsChanged(firstRow);
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
    // The rows hold the same texts; only a measure that stopped among them starts again.
    if (measured_ < first + int(n) - 1)
        rowsChanged(first);
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
    painter.fillRect(rect, header                  ? pal.color(QPalette::Button)
                           : selected              ? pal.color(QPalette::Highlight)
                           : shade_ && shade_(row) ? pal.color(QPalette::AlternateBase)
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
    const auto [left, room] = textSpan(rect, col, row);
    const QString shown = fitCell(text, col, row, room);
    int x = left;
    if (!header && col == markColumn_ && marked(row)) {
        const QPixmap& glyph = markGlyph();
        if (!glyph.isNull())
            painter.drawPixmap(QRect(rect.x() + 2, rect.y() + 2, 16, 16), glyph,
                               QRect(0, 0, 16, 16));
    } else if (isRightAligned(col)) {
        x = left + room - fm.horizontalAdvance(shown);
    }
    painter.drawText(QPoint(x, rect.y() + 2 + fm.ascent()), shown);
    painter.restore();
}

std::pair<int, int> StringGrid::textSpan(const QRect& rect, int col, int row) const {
    const int left =
        row > 0 && col == markColumn_ && marked(row) ? rect.x() + 18 : rect.x() + inset_;
    return {left, std::max(0, rect.x() + rect.width() - inset_ - left)};
}

QString StringGrid::fitCell(const QString& text, int col, int row, int room) const {
    const Qt::TextElideMode mode =
        row > 0 && columnKind(col) == ColumnKind::Path ? Qt::ElideMiddle : Qt::ElideRight;
    // A data cell's rectangle leaves out the grid line on its right. A text that fits the
    // column's width less the insets is shown whole, ending a pixel nearer that line.
    const int line = row > 0 && showGrid() ? 1 : 0;
    return elideText(text, mode, QFontMetrics(font()), room + line);
}

QString StringGrid::shownText(int col, int row) const {
    const QString text = cell(col, row);
    if (text.isEmpty())
        return text;
    const int line = showGrid() ? 1 : 0;
    const int room = textSpan(QRect(0, 0, colWidth(col) - line, 1), col, row).second;
    return fitCell(text, col, row, room);
}

QString StringGrid::cutCellText(int col, int row) const {
    const QString text = cell(col, row);
    return shownText(col, row) == text ? QString() : text;
}

// ---- column plan -------------------------------------------------------------------------

void StringGrid::setColumnPlan(std::vector<ColumnPlan> plan) {
    if (plan == plan_)
        return;
    plan_ = std::move(plan);
    viewport()->update();
    rowsChanged(1);
}

ColumnKind StringGrid::columnKind(int col) const {
    return col >= 0 && col < int(plan_.size()) ? plan_[std::size_t(col)].kind : ColumnKind::Text;
}

bool StringGrid::hasFigures() const {
    return std::any_of(plan_.begin(), plan_.end(),
                       [](const ColumnPlan& p) { return p.kind == ColumnKind::Figure; });
}

void StringGrid::layoutColumns(int clientWidth) {
    clientWidth_ = clientWidth;
    if (!measureFigures(kMeasureBatch))
        scheduleRefit();
    const int n = std::min(int(plan_.size()), cols_);
    std::vector<ColumnPlan> plan(plan_.begin(), plan_.begin() + n);
    QStringList headings;
    for (int c = 0; c < n; ++c) {
        headings << cell(c, 0);
        if (plan[std::size_t(c)].kind == ColumnKind::Figure && !widest_[std::size_t(c)].isEmpty())
            plan[std::size_t(c)].samples << widest_[std::size_t(c)];
    }
    laidWidest_ = widest_;
    const std::vector<int> widths =
        planColumnWidths(plan, headings, fontMetrics(), clientWidth, inset_);
    for (int c = 0; c < n; ++c)
        setColWidth(c, widths[std::size_t(c)]);
}

void StringGrid::rowsChanged(int first) {
    if (!hasFigures())
        return;
    if (first <= measured_ || widest_.size() != plan_.size()) {
        measured_ = 0;
        widest_.assign(plan_.size(), QString());
    }
    scheduleRefit();
}

bool StringGrid::measureFigures(int limit) {
    if (!hasFigures())
        return true;
    if (widest_.size() != plan_.size()) {
        measured_ = 0;
        widest_.assign(plan_.size(), QString());
    }
    const int last = std::min(int(rows_.size()), measured_ + limit);
    for (std::size_t c = 0; c < plan_.size() && int(c) < cols_; ++c) {
        if (plan_[c].kind != ColumnKind::Figure)
            continue;
        for (int row = measured_ + 1; row <= last; ++row) {
            QString text = cell(int(c), row);
            if (widerFigure(text, widest_[c]))
                widest_[c] = std::move(text);
        }
    }
    measured_ = last;
    return measured_ == int(rows_.size());
}

void StringGrid::scheduleRefit() {
    if (refitPending_)
        return;
    refitPending_ = true;
    QTimer::singleShot(0, this, &StringGrid::refitFigures);
}

void StringGrid::refitFigures() {
    refitPending_ = false;
    if (!measureFigures(kMeasureBatch)) {
        scheduleRefit();
        return;
    }
    if (clientWidth_ >= 0 && widest_ != laidWidest_)
        layoutColumns(clientWidth_);
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

bool StringGrid::viewportEvent(QEvent* event) {
    // A cut cell's tooltip is its whole text, broken into lines a tooltip can show.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString whole =
            index.isValid() ? cutCellText(index.column(), index.row() + 1) : QString();
        if (!whole.isEmpty()) {
            QToolTip::showText(help->globalPos(), toolTipForm(whole), viewport(),
                               visualRect(index));
            return true;
        }
    }
    return QTableView::viewportEvent(event);
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
