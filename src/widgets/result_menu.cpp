#include "widgets/result_menu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace {
QAction* named(QAction* action, const char* name) {
    action->setObjectName(QString::fromLatin1(name));
    return action;
}
} // namespace

ResultMenuBuilder::ResultMenuBuilder(QWidget* parent) : menu_(new QMenu(parent)), current_(menu_) {
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
}

QAction* ResultMenuBuilder::item(const char* name, const QString& caption) {
    return named(current_->addAction(caption), name);
}

QAction* ResultMenuBuilder::beginSubmenu(const char* name, const QString& caption) {
    current_ = menu_->addMenu(caption);
    return named(current_->menuAction(), name);
}

void ResultMenuBuilder::endSubmenu() {
    current_ = menu_;
}

QAction* ResultMenuBuilder::separator(const char* name) {
    return named(current_->addSeparator(), name);
}

std::vector<SortChoice> ResultMenuBuilder::sortItems(const std::vector<SortItem>& items) {
    std::vector<SortChoice> choices;
    for (const SortItem& it : items) {
        QAction* a = item(it.name, it.caption);
        a->setCheckable(true);
        a->setChecked(choices.empty());
        choices.push_back(SortChoice{a, it.column, it.kind, it.descending, {}});
    }
    return choices;
}

QAction* ResultMenuBuilder::markSubmenu(ResultList& marks, const QString& unmarkCaption) {
    QAction* sub = beginSubmenu("Mark1", QStringLiteral("Mark"));
    QObject::connect(item("Markall2", QStringLiteral("Mark all")), &QAction::triggered, &marks,
                     &ResultList::Markall1Click);
    QObject::connect(item("Unmarkall2", unmarkCaption), &QAction::triggered, &marks,
                     &ResultList::Unmarkall1Click);
    endSubmenu();
    return sub;
}

std::unique_ptr<TopPanelResizer> ResultMenuBuilder::resizeItems(QWidget& panel) {
    QAction* shrink = item("Shrinktoppanel1", QStringLiteral("Shrink top panel"));
    QAction* restore = item("Restoretoppanel1", QStringLiteral("Restore top panel"));
    restore->setEnabled(false);
    auto resizer = std::make_unique<TopPanelResizer>(panel, *shrink, *restore);
    TopPanelResizer* r = resizer.get();
    // The menu (and so the actions) lives as long as the window that owns the resizer.
    QObject::connect(shrink, &QAction::triggered, menu_, [r] { r->Shrink1Click(); });
    QObject::connect(restore, &QAction::triggered, menu_, [r] { r->Grow1Click(); });
    return resizer;
}
