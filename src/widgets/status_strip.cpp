#include "widgets/status_strip.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <vector>

namespace {

bool isShown(const QString& text) {
    return !text.trimmed().isEmpty();
}

// One section as a label. It is no object of its own, so the strip's interface keeps it.
class SectionAccessible : public QAccessibleInterface {
public:
    SectionAccessible(StatusStrip* strip, int section) : strip_(strip), section_(section) {}

    bool isValid() const override { return strip_ && section_ < strip_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        QAccessibleInterface* p = parent();
        return p ? p->window() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return strip_ ? QAccessible::queryAccessibleInterface(strip_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text type) const override {
        if (type != QAccessible::Name || !isValid())
            return {};
        return strip_->sectionText(section_).trimmed();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QWidget* v = strip_->viewport();
        const QPoint at = v->mapToGlobal(QPoint(strip_->sectionViewportPosition(section_), 0));
        return {at, QSize(strip_->sectionSize(section_), v->height())};
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        s.invisible = !isValid() || !strip_->isVisible();
        return s;
    }

private:
    QPointer<StatusStrip> strip_;
    int section_;
};

// The strip as a status bar whose children are its sections that show something.
class StripAccessible : public QAccessibleWidget {
public:
    explicit StripAccessible(StatusStrip* strip)
        : QAccessibleWidget(strip, QAccessible::StatusBar) {}
    ~StripAccessible() override {
        for (const QAccessible::Id id : ids_) {
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return static_cast<int>(shownSections().size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<int> shown = shownSections();
        if (index < 0 || index >= static_cast<int>(shown.size()))
            return nullptr;
        return section(shown[static_cast<size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<int> shown = shownSections();
        for (size_t i = 0; i < shown.size(); ++i) {
            if (section(shown[i]) == child)
                return static_cast<int>(i);
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface* c = child(i);
            if (c->rect().contains(x, y))
                return c;
        }
        return nullptr;
    }

    // The label of section `logical`, made when first asked for.
    QAccessibleInterface* section(int logical) const {
        if (logical >= static_cast<int>(ids_.size()))
            ids_.resize(static_cast<size_t>(logical) + 1, 0);
        QAccessible::Id& id = ids_[static_cast<size_t>(logical)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new SectionAccessible(strip(), logical));
        return QAccessible::accessibleInterface(id);
    }

private:
    StatusStrip* strip() const { return static_cast<StatusStrip*>(widget()); }
    std::vector<int> shownSections() const {
        std::vector<int> shown;
        for (int i = 0; i < strip()->count(); ++i) {
            const int logical = strip()->logicalIndex(i);
            if (isShown(strip()->sectionText(logical)))
                shown.push_back(logical);
        }
        return shown;
    }

    mutable std::vector<QAccessible::Id> ids_;
};

QAccessibleInterface* makeInterface(const QString&, QObject* object) {
    if (auto* strip = qobject_cast<StatusStrip*>(object))
        return new StripAccessible(strip);
    return nullptr;
}

} // namespace

StatusStrip::StatusStrip(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
    setSectionsClickable(false);
}

void StatusStrip::setModel(QAbstractItemModel* model) {
    if (this->model())
        disconnect(this->model(), &QAbstractItemModel::headerDataChanged, this, nullptr);
    QHeaderView::setModel(model);
    if (model)
        connect(model, &QAbstractItemModel::headerDataChanged, this, &StatusStrip::textsChanged);
}

QString StatusStrip::sectionText(int section) const {
    return model() ? model()->headerData(section, orientation()).toString() : QString();
}

void StatusStrip::textsChanged(Qt::Orientation changed, int first, int last) {
    if (changed != orientation() || !QAccessible::isActive())
        return;
    auto* strip = dynamic_cast<StripAccessible*>(QAccessible::queryAccessibleInterface(this));
    if (!strip)
        return;
    for (int i = first; i <= last && i < count(); ++i) {
        if (!isShown(sectionText(i)))
            continue; // not among the bar's labels
        QAccessibleEvent event(strip->section(i), QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}
