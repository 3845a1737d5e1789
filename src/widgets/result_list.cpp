#include "widgets/result_list.h"

#include "common/number_text.h"
#include "common/reports.h"
#include "common/ui.h"
#include "widgets/string_grid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

// ---- marks ------------------------------------------------------------------------------

ResultList::ResultList(StringGrid& grid, QObject* parent) : QObject(parent), grid_(grid) {
    grid_.setMarkColumn(nameColumn_);
}

void ResultList::setNameColumn(int col) {
    nameColumn_ = col;
    grid_.setMarkColumn(col);
}

int ResultList::nameColumn() const {
    return nameColumn_;
}

void ResultList::setPathOfRow(std::function<QString(int)> pathOfRow) {
    pathOfRow_ = std::move(pathOfRow);
}

void ResultList::setRowLimit(std::function<int()> rowLimit) {
    rowLimit_ = std::move(rowLimit);
}

void ResultList::setStatusSink(std::function<void(const QString&)> sink) {
    status_ = std::move(sink);
}

void ResultList::setStatusPrefix(const QString& prefix) {
    prefix_ = prefix;
}

void ResultList::setDeleteButton(QWidget* button) {
    deleteButton_ = button;
}

QString ResultList::statusText() const {
    return prefix_ + QStringLiteral("%1 files %2 bytes")
                         .arg(markedCount())
                         .arg(formatThousands(markedTotal()));
}

void ResultList::showStatus() {
    if (status_)
        status_(statusText());
}

QString ResultList::pathOf(int row) const {
    if (row < 1 || row >= grid_.rowCount() || (rowLimit_ && row > rowLimit_()) || !pathOfRow_)
        return QString();
    return pathOfRow_(row);
}

void ResultList::deleteOneFile(int row) {
    if (row < 1 || row >= grid_.rowCount())
        return;
    if (rowLimit_ && row > rowLimit_())
        return;
    const QString path = pathOf(row);
    const bool mark = !grid_.marked(row);
    grid_.setMarked(row, mark);

    if (mark)
        marks_.mark(path);
    else
        marks_.unmark(path);
    if (!quiet_)
        showStatus();
}

void ResultList::updateDeleteButton() {
    if (deleteButton_)
        deleteButton_->setEnabled(markedCount() >= 1);
}

void ResultList::gridDblClick() {
    const int row = grid_.currentRow();
    if (row > 0)
        deleteOneFile(row);
    updateDeleteButton();
}

void ResultList::DeleteAllFiles() {
    const int row = grid_.currentRow();
    if (row > 0) {
        deleteOneFile(row);
        if (row < grid_.rowCount() - 1)
            grid_.setCurrentRow(row + 1);
    }
    updateDeleteButton();
}

void ResultList::clearAllMarks() {
    marks_.clear();
    grid_.clearMarks();
}

void ResultList::Markall1Click() {
    BusyCursor busy;
    clearAllMarks();
    // The status is written once at the end rather than after every row.
    quiet_ = true;
    bool any = false;
    const int last = grid_.rowCount() - 1;
    for (int row = 1; row <= last; ++row) {
        if (rowLimit_ && row > rowLimit_())
            break;
        deleteOneFile(row);
        any = true;
    }
    quiet_ = false;
    if (any)
        showStatus();
    if (deleteButton_)
        deleteButton_->setEnabled(true);
}

void ResultList::Unmarkall1Click() {
    clearAllMarks();
    if (deleteButton_)
        deleteButton_->setEnabled(false);
    showStatus();
}

// ---- sort menu --------------------------------------------------------------------------

GridSortMenu::GridSortMenu(StringGrid& grid, std::vector<SortChoice> choices)
    : grid_(grid), choices_(std::move(choices)) {
    for (const SortChoice& c : choices_)
        if (c.action)
            c.action->setCheckable(true);
}

void GridSortMenu::reset() {
    for (std::size_t i = 0; i < choices_.size(); ++i)
        if (choices_[i].action)
            choices_[i].action->setChecked(i == 0);
}

void GridSortMenu::sortBy(QAction* item) {
    const auto it = std::find_if(choices_.begin(), choices_.end(),
                                 [item](const SortChoice& c) { return item && c.action == item; });
    if (it == choices_.end() || grid_.rowCount() < 2)
        return;
    for (const SortChoice& c : choices_)
        if (c.action)
            c.action->setChecked(false);
    {
        BusyCursor busy;
        const int last = grid_.rowCount() - 1;
        if (it->key)
            sortGridRowsBy(grid_, 1, last, it->descending, it->key);
        else
            sortGridRows(grid_, 1, last, it->descending, it->column, it->kind);
    }
    item->setChecked(true);
}

QAction* GridSortMenu::checkedItem() const {
    for (const SortChoice& c : choices_)
        if (c.action && c.action->isChecked())
            return c.action;
    return nullptr;
}

// ---- top panel, window size --------------------------------------------------------------

TopPanelResizer::TopPanelResizer(QWidget& panel, QAction& shrinkItem, QAction& restoreItem)
    : panel_(panel), shrink_(shrinkItem), restore_(restoreItem) {}

void TopPanelResizer::rememberHeight() {
    height_ = panel_.height();
    minHeight_ = panel_.minimumHeight();
    maxHeight_ = panel_.maximumHeight();
}

void TopPanelResizer::Shrink1Click() {
    panel_.setFixedHeight(0);
    panel_.hide();
    restore_.setEnabled(true);
    shrink_.setEnabled(false);
}

void TopPanelResizer::Grow1Click() {
    panel_.setMinimumHeight(minHeight_);
    panel_.setMaximumHeight(maxHeight_);
    panel_.resize(panel_.width(), height_);
    panel_.show();
    restore_.setEnabled(false);
    shrink_.setEnabled(true);
}

QSize minimumWindowSize(const QRect& topPanel, double dpi, int screenWidth) {
    int width = int((topPanel.x() + topPanel.width() + 3) * dpi / 96.0);
    if (screenWidth < width)
        width = screenWidth - 10;
    const int height = int((topPanel.y() + topPanel.height()) * 2 * dpi / 96.0);
    return QSize(width, height);
}

void setFinderMinimumSize(QWidget& window, int panelWidth, int panelHeight) {
    const QScreen* screen = window.screen();
    window.setMinimumSize(
        minimumWindowSize(QRect(0, 0, panelWidth, panelHeight), window.logicalDpiX(),
                          screen ? screen->availableGeometry().width() : 1 << 20));
}

// ---- printing, clipboard ------------------------------------------------------------------

bool printGridWithDialog(const StringGrid& grid, const QString& title, QWidget* parent) {
    if (!ui().printDialog(appPrinter(), parent))
        return false;
    return printGrid(grid, title);
}

void copyLinesToClipboard(const QStringList& lines) {
    QGuiApplication::clipboard()->setText(lines.join(u'\n'));
}

QStringList gridLines(const StringGrid& grid, int first, int last, int colCount,
                      bool tabAfterEach) {
    QStringList lines;
    first = std::max(first, 0);
    last = std::min(last, grid.rowCount() - 1);
    colCount = std::min(colCount, grid.colCount());
    for (int row = first; row <= last; ++row) {
        QString line;
        for (int col = 0; col < colCount; ++col) {
            if (col > 0 && !tabAfterEach)
                line += u'\t';
            line += grid.cell(col, row);
            if (tabAfterEach)
                line += u'\t';
        }
        lines.append(line);
    }
    return lines;
}
