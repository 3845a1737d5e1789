#include "stats/types_page.h"

#include "common/number_text.h"
#include "platform/file_types.h"
#include "stats/stat_page_parts.h"
#include "widgets/column_width.h"
#include "widgets/push_button.h"
#include "widgets/result_list.h"
#include "widgets/result_menu.h"
#include "widgets/string_grid.h"

#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <numeric>

TypesPage::TypesPage(const StatTallies& tallies) : tallies_(tallies) {
    auto* layout = new QVBoxLayout(this);
    QLabel* Label22 =
        statpage::label(this, QStringLiteral("Label22"),
                        QStringLiteral("Files are grouped by file extension (three letters "
                                       "after the '.' in the file name).  This is a listing "
                                       "of all files with common file extensions."));
    Label22->setWordWrap(true);
    layout->addWidget(Label22);
    gridTypes = new StringGrid(this);
    gridTypes->setObjectName(QStringLiteral("gridTypes"));
    gridTypes->viewport()->installEventFilter(this); // the columns follow its width
    gridTypes->setAccessibleName(QStringLiteral("File types"));
    gridTypes->setColCount(6);
    const QStringList header{QStringLiteral("Extension"), QStringLiteral("Type"),
                             QStringLiteral("# Files"),   QStringLiteral("Top Ten #"),
                             QStringLiteral("Size"),      QStringLiteral("Top Ten Size")};
    for (int c = 0; c < 6; ++c) {
        gridTypes->setCell(c, 0, header[c]);
        gridTypes->setRightAligned(c, c >= 2);
    }
    fitTypeColumns();
    gridTypes->setTextInset(3);
    gridTypes->setRowSource([this](quint32 entry, int col) { return typeCell(entry, col); });
    layout->addWidget(gridTypes, 1);
    btSort =
        makePushButton(this, "btSort", QStringLiteral("&Sort"), QStringLiteral("Sort columns "));
    layout->addWidget(btSort, 0, Qt::AlignLeft);
    buildSortMenu();
    connect(btSort, &QPushButton::clicked, this, [this] { btSortClick(); });
}

TypesPage::~TypesPage() = default;

void TypesPage::buildSortMenu() {
    ResultMenuBuilder b(this);
    PopupMenu1 = b.menu();
    std::vector<SortChoice> choices = b.sortItems({
        {"SortbyExtension1", QStringLiteral("Sort by &Extension"), 0, SortKind::Text, false},
        {"SortbyType1", QStringLiteral("Sort by &Type"), 1, SortKind::Text, false},
        {"SortbyNumber1", QStringLiteral("Sort by &Number of files"), 2, SortKind::Number, true},
        {"SortbySize1", QStringLiteral("Sort by &Size"), 4, SortKind::Number, true},
    });
    SortbyExtension1 = choices[0].action;
    SortbyType1 = choices[1].action;
    SortbyNumber1 = choices[2].action;
    SortbySize1 = choices[3].action;
    // The tallies themselves, never their texts: sums of any width and any group separator
    // keep their order.
    const auto entry = [this](int row) { return tallies_.types()[gridTypes->rowKey(row)]; };
    choices[2].key = [entry](int row) { return double(entry(row).tally.count); };
    choices[3].key = [entry](int row) { return double(entry(row).tally.bytes); };
    sortMenu_ = std::make_unique<GridSortMenu>(*gridTypes, std::move(choices));
    gridTypes->setPopupMenu(PopupMenu1);
    for (QAction* a : {SortbyExtension1, SortbyType1, SortbyNumber1, SortbySize1})
        connect(a, &QAction::triggered, this, [this, a] { SortbyExtensionClick(a); });
}

bool TypesPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gridTypes->viewport() && event->type() == QEvent::Resize)
        fitTypeColumns();
    return QWidget::eventFilter(watched, event);
}

QString TypesPage::typeCell(quint32 i, int col) const {
    if (i >= tallies_.types().size())
        return QString();
    const StatTallies::TypeEntry& e = tallies_.types()[i];
    const auto rank = [](int r) { return r > 0 ? QString::number(r) : QString(); };
    switch (col) {
    case 0:
        return e.extension;
    case 1:
        return typeNames_[i];
    case 2:
        return formatThousands(e.tally.count);
    case 3:
        return rank(countRanks_[i]);
    case 4:
        return formatThousands(e.tally.bytes);
    case 5:
        return rank(sizeRanks_[i]);
    default:
        return QString();
    }
}

// The described widths, scaled to the font and widened to the heading and the widest figure.
void TypesPage::fitTypeColumns() {
    static const int described[] = {80, 216, 54, 68, 76, 80};
    qint64 mostFiles = 0, mostBytes = 0;
    for (const auto& e : tallies_.types()) {
        mostFiles = std::max(mostFiles, e.tally.count);
        mostBytes = std::max(mostBytes, e.tally.bytes);
    }
    const QString widest[] = {QString(),
                              QString(),
                              formatThousands(mostFiles),
                              QStringLiteral("10"),
                              formatThousands(mostBytes),
                              QStringLiteral("10")};
    const QFontMetrics fm = gridTypes->fontMetrics();
    int widths[6];
    int used = 0;
    for (int c = 0; c < 6; ++c) {
        widths[c] = columnWidth(described[c], fm, {gridTypes->cell(c, 0), widest[c]},
                                gridTypes->textInset());
        used += widths[c];
    }
    // The type names give up width, down to half their described width, before the figures
    // on the right are pushed out of sight.
    const int room = gridTypes->viewport()->width();
    if (room > 0 && used > room)
        widths[1] = std::max(columnWidth(described[1] / 2, fm), widths[1] - (used - room));
    for (int c = 0; c < 6; ++c)
        gridTypes->setColWidth(c, widths[c]);
}

void TypesPage::showTypes() {
    const std::vector<StatTallies::TypeEntry>& types = tallies_.types();
    std::vector<qint64> counts, bytes;
    typeNames_.clear();
    for (const auto& e : types) {
        counts.push_back(e.tally.count);
        bytes.push_back(e.tally.bytes);
        typeNames_.push_back(extensionToType(e.extension));
    }
    countRanks_ = topTenRanks(counts);
    sizeRanks_ = topTenRanks(bytes);
    gridTypes->clearCells();
    gridTypes->setRowCount(1);
    std::vector<quint32> keys(types.size());
    std::iota(keys.begin(), keys.end(), 0u);
    gridTypes->setKeyedRows(1, keys);
    gridTypes->setRowCount(int(types.size()) + 1);
    fitTypeColumns();
}

void TypesPage::fill() {
    showTypes();
    sortMenu_->reset();
    sortMenu_->sortBy(SortbyExtension1);
}

void TypesPage::SortbyExtensionClick(QAction* item) {
    if (gridTypes->rowCount() < 3)
        return; // one type or none: nothing to order
    sortMenu_->sortBy(item);
}

void TypesPage::btSortClick() {
    PopupMenu1->popup(btSort->mapToGlobal(QPoint(0, -70)));
}
