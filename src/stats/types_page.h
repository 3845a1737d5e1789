#pragma once

#include "stats/stat_tallies.h"

#include <QWidget>
#include <memory>
#include <vector>

class GridSortMenu;
class QAction;
class QMenu;
class QPushButton;
class StringGrid;

// "Types": a grid of the extensions in the tallies with their type names, counts, bytes and
// top-ten ranks, and a Sort menu. The grid's cells are made from the tallies when they are
// drawn, so the tallies must outlive the page.
class TypesPage : public QWidget {
public:
    explicit TypesPage(const StatTallies& tallies);
    ~TypesPage() override;

    // Empties the grid, for tallies that were just cleared.
    void clear() { showTypes(); }
    // Shows the tallies' types, sorted by extension.
    void fill();

    // Sorts by the choice of a Sort menu item; one type or none is left as it is.
    void SortbyExtensionClick(QAction* item);
    void btSortClick();

    StringGrid* gridTypes = nullptr;
    QPushButton* btSort = nullptr;
    // The Sort menu (also the grid's popup menu) and its items.
    QMenu* PopupMenu1 = nullptr;
    QAction *SortbyExtension1 = nullptr, *SortbyType1 = nullptr;
    QAction *SortbyNumber1 = nullptr, *SortbySize1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSortMenu();
    void showTypes();
    void fitTypeColumns();
    QString typeCell(quint32 entry, int col) const;

    const StatTallies& tallies_;
    std::unique_ptr<GridSortMenu> sortMenu_;
    std::vector<QString> typeNames_;
    std::vector<int> sizeRanks_, countRanks_;
};
