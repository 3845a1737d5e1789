#pragma once

#include "widgets/grid_sort.h"
#include "widgets/result_list.h"

#include <QString>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QWidget;

// One Sort item as a finder describes it: the action's object name, its caption, and the
// column, key kind and order it sorts by.
struct SortItem {
    const char* name;
    QString caption;
    int column;
    SortKind kind;
    bool descending;
};

// Builds the pop-up menu of a result grid ("PopupMenu1", owned by the parent). Each finder
// lists its own items and sections in its own order; the builder names every action (its
// objectName), makes Sort items checkable with the first one checked, and wires the sections
// the finders share to the pieces that do their work.
class ResultMenuBuilder {
public:
    explicit ResultMenuBuilder(QWidget* parent);

    QMenu* menu() const { return menu_; }
    // A plain item of the menu, or of the submenu that is open.
    QAction* item(const char* name, const QString& caption);
    // Opens a submenu: the items that follow go into it until endSubmenu. Returns the item
    // that carries it.
    QAction* beginSubmenu(const char* name, const QString& caption);
    void endSubmenu();
    QAction* separator(const char* name);

    // The Sort items, checkable, the first checked; the choices (actions set) for a
    // GridSortMenu, in the same order.
    std::vector<SortChoice> sortItems(const std::vector<SortItem>& items);
    // The "Mark" submenu with "Mark all" ("Markall2") and the unmark item ("Unmarkall2"),
    // wired to the marks. Returns the submenu's item ("Mark1").
    QAction* markSubmenu(ResultList& marks,
                         const QString& unmarkCaption = QStringLiteral("Unmark all"));
    // "Shrink top panel" ("Shrinktoppanel1") and "Restore top panel" ("Restoretoppanel1",
    // disabled at first), wired to the resizer of `panel` that is returned.
    std::unique_ptr<TopPanelResizer> resizeItems(QWidget& panel);

private:
    QMenu* menu_ = nullptr;
    QMenu* current_ = nullptr;
};
